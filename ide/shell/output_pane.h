// The output pane: one row per compiler line, kept scrolled to its end.
// Double-clicking a row hands its text to the locate hook.
#pragma once

#include <QListWidget>
#include <functional>

namespace tft::ide {

class COutputPane : public QListWidget {
public:
    explicit COutputPane(QWidget* parent = nullptr);
    void appendLine(const QString& line);
    QStringList lines() const;
    // Filled by the find and locate code; receives the double-clicked line.
    std::function<void(const QString&)> locate;
};

} // namespace tft::ide
