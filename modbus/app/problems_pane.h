// The "问题(Problems)" pane: the attached project of the active map (or why
// it did not load) and the map's problems; a double-click selects the row.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessary {

class MapView;

class ProblemsPane : public QWidget {
    Q_OBJECT
public:
    explicit ProblemsPane(QWidget* parent = nullptr);
    // Follows this map (null: none).
    void setMap(MapView* view);
    QTreeWidget* list() { return list_; }
    QLabel* status() { return status_; }

private:
    void refresh();
    void activated(QTreeWidgetItem* item);

    QPointer<MapView> view_;
    QLabel* status_;
    QTreeWidget* list_;
};

} // namespace tessary
