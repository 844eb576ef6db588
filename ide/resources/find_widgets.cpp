#include "find_widgets.h"

#include "string_table.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tft::ide {

CFindOptionsDlg::CFindOptionsDlg(const FindOptions& options, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindOptionsDlg"));
    setWindowTitle(ideText(sid::FindOptionsTitle));
    auto* scope = new QGroupBox(ideText(sid::FindScope), this);
    auto* scopeLayout = new QVBoxLayout(scope);
    const int captions[] = {sid::FindScopeCurrent, sid::FindScopeOpen, sid::FindScopeProject};
    for (int i = 0; i < 3; ++i) {
        scopes_[i] = new QRadioButton(ideText(captions[i]), scope);
        scopes_[i]->setObjectName(QStringLiteral("Scope%1").arg(i + 1));
        scopeLayout->addWidget(scopes_[i]);
    }
    const int chosen = options.scope >= 1 && options.scope <= 3 ? options.scope : 1;
    scopes_[chosen - 1]->setChecked(true);
    matchCase_ = new QCheckBox(ideText(sid::FindMatchCase), this);
    matchCase_->setObjectName(QStringLiteral("MatchCase"));
    matchCase_->setChecked(options.flags & FindOptions::MatchCase);
    wholeName_ = new QCheckBox(ideText(sid::FindWholeName), this);
    wholeName_->setObjectName(QStringLiteral("WholeName"));
    wholeName_->setChecked(options.flags & FindOptions::WholeName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scope);
    layout->addWidget(matchCase_);
    layout->addWidget(wholeName_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QRadioButton* CFindOptionsDlg::scopeButton(int scope) const {
    return scope >= 1 && scope <= 3 ? scopes_[scope - 1] : nullptr;
}

FindOptions CFindOptionsDlg::options() const {
    FindOptions options;
    for (int i = 0; i < 3; ++i)
        if (scopes_[i]->isChecked())
            options.scope = i + 1;
    options.flags = (matchCase_->isChecked() ? FindOptions::MatchCase : 0) |
                    (wholeName_->isChecked() ? FindOptions::WholeName : 0);
    return options;
}

CFindCombo::CFindCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("FindCombo"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMinimumContentsLength(16);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(lineEdit(), &QLineEdit::returnPressed, this,
            [this] { emit findRequested(currentText()); });
}

void CFindCombo::keyPressEvent(QKeyEvent* event) {
    // The combo holds the focus for its line edit, so the key comes here
    // first: search, and keep the combo from adding the text as an entry.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit findRequested(currentText());
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CFindCombo::remember(const QString& text) {
    history_.push(text);
    const QSignalBlocker block(this);
    clear();
    addItems(history_.items());
    setCurrentIndex(0);
    setEditText(text);
}

CFindPane::CFindPane(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("FindResults"));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (locate && item)
            locate(item->text());
    });
}

void CFindPane::setLines(const QStringList& lines) {
    clear();
    addItems(lines);
}

QStringList CFindPane::lines() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

} // namespace tft::ide
