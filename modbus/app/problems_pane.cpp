#include "problems_pane.h"

#include "map_view.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessary {

ProblemsPane::ProblemsPane(QWidget* parent)
    : QWidget(parent), status_(new QLabel(this)), list_(new QTreeWidget(this)) {
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    list_->setColumnCount(3);
    list_->setHeaderLabels({QStringLiteral("行(Row)"), QStringLiteral("级别(Level)"),
                            QStringLiteral("说明(Problem)")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(status_);
    layout->addWidget(list_);
    connect(list_, &QTreeWidget::itemActivated, this, &ProblemsPane::activated);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &ProblemsPane::activated);
    refresh();
}

void ProblemsPane::setMap(MapView* view) {
    if (view_ == view)
        return;
    if (view_)
        view_->disconnect(this);
    view_ = view;
    if (view) {
        connect(view, &MapView::projectChanged, this, &ProblemsPane::refresh);
        connect(view, &MapView::problemsChanged, this, &ProblemsPane::refresh);
        connect(view, &QObject::destroyed, this, &ProblemsPane::refresh, Qt::QueuedConnection);
    }
    refresh();
}

void ProblemsPane::refresh() {
    list_->clear();
    MapView* view = view_.data();
    if (!view || view->projectPath().isEmpty()) {
        status_->setText(
            QStringLiteral("未关联工程 — 工程(P) > 关联工程... 以按名称检查画面和控件"));
        return;
    }
    const QString path = QDir::toNativeSeparators(view->projectPath());
    if (!view->linkError().isEmpty()) {
        status_->setText(QStringLiteral("工程链接已断开：%1\n%2").arg(path, view->linkError()));
        return;
    }
    if (!view->project()) {
        status_->setText(QStringLiteral("正在读取工程 %1 …").arg(path));
        return;
    }
    const auto& problems = view->problems();
    int errors = 0;
    QList<QTreeWidgetItem*> items;
    for (const MapProblem& p : problems) {
        const bool error = p.severity == MapProblem::Severity::Error;
        errors += error ? 1 : 0;
        auto* item = new QTreeWidgetItem({QString::number(p.row),
                                          error ? QStringLiteral("错误") : QStringLiteral("警告"),
                                          QString::fromStdString(p.chineseText)});
        item->setData(0, Qt::UserRole, static_cast<qulonglong>(p.row));
        item->setToolTip(2, QString::fromStdString(p.text));
        items << item;
    }
    list_->addTopLevelItems(items);
    status_->setText(QStringLiteral("工程 %1（%2 个画面）：%3 个错误，%4 个警告")
                         .arg(path)
                         .arg(view->project()->screens().size())
                         .arg(errors)
                         .arg(problems.size() - std::size_t(errors)));
}

void ProblemsPane::activated(QTreeWidgetItem* item) {
    if (item && view_)
        view_->selectRow(static_cast<int>(item->data(0, Qt::UserRole).toULongLong()));
}

} // namespace tessary
