// CPageFrame: the document frame of a page. The designer view of the page
// plugs in here; until it exists the frame shows the page's name and says
// that the designer is not built yet.
#pragma once

#include <QWidget>

class QLabel;

namespace tft::ide {

class CPageFrame : public QWidget {
    Q_OBJECT
public:
    explicit CPageFrame(const QString& file, QWidget* parent = nullptr);
    const QString& file() const { return file_; }
    void setFile(const QString& file);
    void retranslate();

private:
    QString file_;
    QLabel* label_;
};

} // namespace tft::ide
