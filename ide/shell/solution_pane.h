// CSolutionPane: the project tree. One root item for the project and four
// groups (pages, images, sounds, code files), rebuilt from the open project.
#pragma once

#include "open_project.h"

#include <QTreeWidget>

namespace tft::ide {

class CSolutionPane : public QTreeWidget {
    Q_OBJECT
public:
    enum Role { GroupRole = Qt::UserRole + 1, PathRole };
    enum Kind { RootItem = -1, GroupItem = -2 };

    explicit CSolutionPane(QWidget* parent = nullptr);

    void rebuild(const ProjectWorkspace& project);
    // Refreshes only the code-files group (after a build).
    void refreshCode(const ProjectWorkspace& project);

    QTreeWidgetItem* group(Group group) const;
    // The entries a group shows, as their captions.
    QStringList captions(Group group) const;
    QTreeWidgetItem* findEntry(Group group, const QString& relative) const;

signals:
    void openRequested(QTreeWidgetItem* item);
    void commandRequested(int id, QTreeWidgetItem* item);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fillGroup(QTreeWidgetItem* groupItem, Group group, const ProjectWorkspace& project);
};

} // namespace tft::ide
