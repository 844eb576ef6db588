// CSplashDlg: startup.jpg from the application folder with "VER <version>",
// closed by a 2000 ms timer.
#pragma once

#include <QSplashScreen>

namespace tft::ide {

class CSplashDlg : public QSplashScreen {
public:
    CSplashDlg(const QString& appDir, const QString& version);
    static constexpr int kShowMilliseconds = 2000;
};

} // namespace tft::ide
