#include "action_list_dialog.h"

#include "string_table.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tft::ide {

CActionListDialog::CActionListDialog(const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ideText(sid::ActionEditorTitle));
    list_ = new QListWidget(this);
    const ActionList actions = ActionList::parse(text.toStdString());
    for (const std::string& item : actions.items()) {
        auto* row = new QListWidgetItem(QString::fromStdString(item), list_);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
    }
    types_ = new QComboBox(this);
    for (const std::string& type : ActionList::itemTypes())
        types_->addItem(QString::fromStdString(type));
    auto* add = new QPushButton(ideText(sid::ActionAdd), this);
    auto* remove = new QPushButton(ideText(sid::ActionRemove), this);
    auto* up = new QPushButton(ideText(sid::ActionUp), this);
    auto* down = new QPushButton(ideText(sid::ActionDown), this);
    connect(add, &QPushButton::clicked, this, &CActionListDialog::addAction);
    connect(remove, &QPushButton::clicked, this, &CActionListDialog::removeAction);
    connect(up, &QPushButton::clicked, this, [this] { moveAction(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveAction(1); });
    problem_ = new QLabel(this);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CActionListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CActionListDialog::reject);
    auto* side = new QVBoxLayout;
    side->addWidget(types_);
    side->addWidget(add);
    side->addWidget(remove);
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    resize(560, 320);
}

ActionList CActionListDialog::current() const {
    ActionList actions;
    for (int i = 0; i < list_->count(); ++i)
        actions.add(list_->item(i)->text().toStdString());
    return actions;
}

QString CActionListDialog::text() const {
    return QString::fromStdString(current().text());
}

void CActionListDialog::addAction() {
    auto* row = new QListWidgetItem(
        QString::fromStdString(ActionList::newItem(types_->currentText().toStdString())), list_);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    list_->setCurrentItem(row);
}

void CActionListDialog::removeAction() {
    delete list_->takeItem(list_->currentRow());
}

void CActionListDialog::moveAction(int by) {
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= list_->count())
        return;
    QListWidgetItem* item = list_->takeItem(row);
    list_->insertItem(to, item);
    list_->setCurrentRow(to);
}

void CActionListDialog::accept() {
    if (!current().isValid()) {
        problem_->setText(ideText(sid::PropertyBadActions).arg(windowTitle()));
        return;
    }
    QDialog::accept();
}

} // namespace tft::ide
