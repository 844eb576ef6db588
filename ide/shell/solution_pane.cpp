#include "solution_pane.h"

#include "commands.h"
#include "string_table.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace tft::ide {

namespace {

const Group kGroups[] = {Group::Pages, Group::Images, Group::Sounds, Group::Code};

int captionOf(Group group) {
    switch (group) {
    case Group::Pages:
        return sid::GroupPages;
    case Group::Images:
        return sid::GroupImages;
    case Group::Sounds:
        return sid::GroupSounds;
    case Group::Code:
        return sid::GroupCode;
    }
    return sid::GroupPages;
}

} // namespace

CSolutionPane::CSolutionPane(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("SolutionTree"));
    setHeaderHidden(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit openRequested(item); });
}

void CSolutionPane::rebuild(const ProjectWorkspace& project) {
    clear();
    if (!project.isOpen())
        return;
    auto* root = new QTreeWidgetItem(this, {project.title()});
    root->setData(0, GroupRole, RootItem);
    for (const Group g : kGroups) {
        auto* item = new QTreeWidgetItem(root, {ideText(captionOf(g))});
        item->setData(0, GroupRole, GroupItem);
        item->setData(0, PathRole, int(g));
        fillGroup(item, g, project);
    }
    expandAll();
}

void CSolutionPane::fillGroup(QTreeWidgetItem* groupItem, Group group,
                              const ProjectWorkspace& project) {
    qDeleteAll(groupItem->takeChildren());
    for (const QString& entry : project.entries(group)) {
        auto* item = new QTreeWidgetItem(groupItem, {entry});
        item->setData(0, GroupRole, int(group));
        item->setData(0, PathRole, entry);
    }
}

void CSolutionPane::refreshCode(const ProjectWorkspace& project) {
    if (QTreeWidgetItem* code = group(Group::Code)) {
        fillGroup(code, Group::Code, project);
        code->setExpanded(true);
    }
}

QTreeWidgetItem* CSolutionPane::group(Group g) const {
    QTreeWidgetItem* root = topLevelItem(0);
    if (!root)
        return nullptr;
    for (int i = 0; i < root->childCount(); ++i) {
        if (root->child(i)->data(0, PathRole).toInt() == int(g))
            return root->child(i);
    }
    return nullptr;
}

QStringList CSolutionPane::captions(Group g) const {
    QStringList out;
    if (QTreeWidgetItem* item = group(g)) {
        for (int i = 0; i < item->childCount(); ++i)
            out << item->child(i)->text(0);
    }
    return out;
}

QTreeWidgetItem* CSolutionPane::findEntry(Group g, const QString& relative) const {
    if (QTreeWidgetItem* item = group(g)) {
        for (int i = 0; i < item->childCount(); ++i)
            if (item->child(i)->data(0, PathRole).toString() == relative)
                return item->child(i);
    }
    return nullptr;
}

void CSolutionPane::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item)
        return;
    setCurrentItem(item);
    QMenu menu(this);
    for (const int id : {cmd::TreeAdd, cmd::TreeOpen, cmd::TreeRemove, cmd::TreeRename}) {
        QAction* action = menu.addAction(ideText(id));
        connect(action, &QAction::triggered, this,
                [this, id, item] { emit commandRequested(id, item); });
    }
    menu.exec(event->globalPos());
}

} // namespace tft::ide
