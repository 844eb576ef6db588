// CResourcePane: what the last build put into the panel's resource flash.
// A bar above the table shows how full the model's resource area is (amber
// above 80 %, red above 100 %); the table lists the pages, pictures and
// sounds of the compiler's resource list with sizes and shares.
#pragma once

#include "resource_list.h"

#include <QWidget>

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tft::ide {

class CResourcePane : public QWidget {
    Q_OBJECT
public:
    enum class Level { Normal, Warning, Over };

    explicit CResourcePane(QWidget* parent = nullptr);

    // Reads <Name>.tftres; `areaMiB` is the model's resource area (0 when
    // unknown). A missing file empties the pane quietly; a malformed one
    // empties it and returns the message for the output pane.
    QString load(const QString& path, int areaMiB);
    void clear();
    // Texts in the current language, rows rebuilt from the last list.
    void retranslate();

    QTreeWidget* table() const { return table_; }
    QProgressBar* capacityBar() const { return bar_; }
    Level level() const { return level_; }
    const ResourceList& list() const { return list_; }

private:
    void rebuild();
    void addGroup(const QString& caption, const ResourceGroup& group);
    void updateBar();

    QTreeWidget* table_;
    QProgressBar* bar_;
    ResourceList list_;
    int areaMiB_ = 0;
    Level level_ = Level::Normal;
};

} // namespace tft::ide
