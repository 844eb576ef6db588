// The IDE's settings (section "Settings") and its recent project list
// (section "Recent Project List"), kept through QSettings under the
// organisation Pellisor and the application Orvane.
#pragma once

#include <QLocale>
#include <QSettings>
#include <QString>
#include <QStringList>

namespace tft::ide {

// The settings store of the running IDE.
QSettings* openUserSettings(QObject* parent = nullptr);

// 50010 for a Chinese user interface (China, Taiwan, Hong Kong), else 50011.
int defaultLanguage(const QLocale& locale);

struct IdeSettings {
    int language = 50011;
    int downloadOptions = 0;
    int baudRateIndex = 3;
    int comPortIndex = 1;
    int showId = 0;
    int syncDisplay = 0; // never read: it starts off on every start

    // Values missing from `store` take their first-start defaults.
    static IdeSettings read(QSettings& store, const QLocale& locale = QLocale::system());
    void write(QSettings& store) const;
};

class RecentProjects {
public:
    static constexpr int kSize = 6;
    static constexpr int kMenuTextLength = 30;

    void read(QSettings& store);
    void write(QSettings& store) const;

    // Puts `path` at the head (once).
    void add(const QString& path);
    // Removes entry `index` (0 is entry 1).
    void remove(int index);
    const QStringList& entries() const { return entries_; }
    // The menu text of an entry: the path cut to 30 characters.
    QString menuText(int index) const;

private:
    QStringList entries_;
};

} // namespace tft::ide
