#include "property_editors.h"

#include "properties_pane.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidgetItem>

namespace tft::ide {

namespace {

const char* const kValueProperty = "propertyValue";

// A line edit with a "..." button beside it (colours, files).
class ButtonEdit : public QWidget {
public:
    explicit ButtonEdit(QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        line = new QLineEdit(this);
        button = new QToolButton(this);
        button->setText(QStringLiteral("..."));
        layout->addWidget(line, 1);
        layout->addWidget(button);
        setFocusProxy(line);
        setAutoFillBackground(true);
    }
    QLineEdit* line;
    QToolButton* button;
};

class SliderEdit : public QWidget {
public:
    explicit SliderEdit(QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        slider = new QSlider(Qt::Horizontal, this);
        spin = new QSpinBox(this);
        layout->addWidget(slider, 1);
        layout->addWidget(spin);
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, qOverload<int>(&QSpinBox::valueChanged), slider, &QSlider::setValue);
        setFocusProxy(spin);
        setAutoFillBackground(true);
    }
    void setRange(int low, int high) {
        slider->setRange(low, high);
        spin->setRange(low, high);
    }
    QSlider* slider;
    QSpinBox* spin;
};

// "face;12pt" with ";bold" for a bold font, as the page file holds fonts.
QString fontText(const QFont& font) {
    QString text = QStringLiteral("%1;%2pt").arg(font.family()).arg(font.pointSize());
    if (font.bold())
        text += QStringLiteral(";bold");
    return text;
}

QFont fontOf(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(';'));
    QFont font;
    if (!parts.value(0).isEmpty())
        font.setFamily(parts.value(0));
    QString size = parts.value(1);
    size.remove(QStringLiteral("pt"));
    if (size.toInt() > 0)
        font.setPointSize(size.toInt());
    font.setBold(parts.value(2).trimmed() == QLatin1String("bold"));
    return font;
}

QString kindOf(const QModelIndex& index) {
    return index.data(CPropertiesPane::KindRole).toString();
}

} // namespace

PropertyDelegate::PropertyDelegate(CPropertiesPane* pane)
    : QStyledItemDelegate(pane), pane_(pane) {}

void PropertyDelegate::finish(QWidget* editor) const {
    if (editor->property("finished").toBool())
        return;
    editor->setProperty("finished", true);
    auto* self = const_cast<PropertyDelegate*>(this);
    emit self->commitData(editor);
    emit self->closeEditor(editor);
}

QWidget* PropertyDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (index.column() != 1)
        return nullptr;
    const QString kind = kindOf(index);
    const QString name = index.data(CPropertiesPane::NameRole).toString();
    if (kind == QLatin1String("SELECT") || kind == QLatin1String("SCREEN") ||
        kind == QLatin1String("COMBOX")) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(kind == QLatin1String("COMBOX"));
        const QStringList captions = index.data(CPropertiesPane::OptionsRole).toStringList();
        const QStringList enums = index.data(CPropertiesPane::EnumsRole).toStringList();
        QList<QPair<QString, QString>> choices;
        for (int i = 0; i < captions.size(); ++i)
            choices.append({captions[i], enums.value(i, captions[i])});
        if (index.data(CPropertiesPane::SortRole).toBool())
            std::stable_sort(choices.begin(), choices.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& choice : choices)
            combo->addItem(choice.first, choice.second);
        return combo;
    }
    if (kind == QLatin1String("SLIDER")) {
        auto* edit = new SliderEdit(parent);
        edit->setRange(index.data(CPropertiesPane::MinRole).toInt(),
                       index.data(CPropertiesPane::MaxRole).toInt());
        connect(edit->spin, &QSpinBox::editingFinished, this, [this, edit] { finish(edit); });
        connect(edit->slider, &QSlider::sliderReleased, this, [this, edit] { finish(edit); });
        return edit;
    }
    if (kind == QLatin1String("COLOR")) {
        auto* edit = new ButtonEdit(parent);
        connect(edit->line, &QLineEdit::returnPressed, this, [this, edit] { finish(edit); });
        connect(edit->button, &QToolButton::clicked, this, [this, edit] {
            if (!pane_->chooseColour)
                return;
            const QColor chosen = pane_->chooseColour(colourOf(edit->line->text()));
            if (!chosen.isValid())
                return; // cancelled: nothing changes
            edit->line->setText(colourText(chosen));
            finish(edit);
        });
        return edit;
    }
    if (kind == QLatin1String("FONT")) {
        auto* edit = new ButtonEdit(parent);
        connect(edit->line, &QLineEdit::returnPressed, this, [this, edit] { finish(edit); });
        connect(edit->button, &QToolButton::clicked, this, [this, edit] {
            if (!pane_->chooseFont)
                return;
            QFont font = fontOf(edit->line->text());
            if (!pane_->chooseFont(font))
                return; // cancelled: nothing changes
            edit->line->setText(fontText(font));
            finish(edit);
        });
        return edit;
    }
    if (kind == QLatin1String("FILE") || kind == QLatin1String("ANIMATION")) {
        auto* edit = new ButtonEdit(parent);
        edit->line->setReadOnly(true);
        connect(edit->button, &QToolButton::clicked, this, [this, edit, name] {
            edit->setProperty("finished", true); // the browse commits on its own
            QMetaObject::invokeMethod(
                pane_, [pane = pane_, name] { pane->browse(pane->item(name)); },
                Qt::QueuedConnection);
            emit const_cast<PropertyDelegate*>(this)->closeEditor(edit);
        });
        return edit;
    }
    if (kind == QLatin1String("ACTION")) {
        auto* button = new QPushButton(parent);
        button->setText(index.data(Qt::DisplayRole).toString() + QStringLiteral(" ..."));
        connect(button, &QPushButton::clicked, this, [this, button] {
            if (!pane_->editActions)
                return;
            QString actions = button->property(kValueProperty).toString();
            if (!pane_->editActions(actions))
                return; // cancelled
            button->setProperty(kValueProperty, actions);
            finish(button);
        });
        return button;
    }
    // INPUT, font and anything else: free text.
    auto* line = new QLineEdit(parent);
    (void)option;
    return line;
}

void PropertyDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString value = index.data(CPropertiesPane::ValueRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int at = combo->findData(value);
        combo->setCurrentIndex(at);
        if (combo->isEditable() && at < 0)
            combo->setEditText(value);
        // Picking a choice commits it at once.
        if (!combo->property("connected").toBool()) {
            combo->setProperty("connected", true);
            connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this,
                    [this, combo] { finish(combo); });
        }
    } else if (auto* slider = dynamic_cast<SliderEdit*>(editor)) {
        slider->spin->setValue(value.toInt());
    } else if (auto* edit = dynamic_cast<ButtonEdit*>(editor)) {
        edit->line->setText(value);
    } else if (auto* button = qobject_cast<QPushButton*>(editor)) {
        button->setProperty(kValueProperty, value);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(value);
    }
}

void PropertyDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    (void)model;
    QString value;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        value =
            combo->isEditable() && combo->currentText() != combo->itemText(combo->currentIndex())
                ? combo->currentText()
                : combo->currentData().toString();
        if (combo->currentIndex() < 0 && !combo->isEditable())
            return;
    } else if (auto* slider = dynamic_cast<SliderEdit*>(editor)) {
        value = QString::number(slider->spin->value());
    } else if (auto* edit = dynamic_cast<ButtonEdit*>(editor)) {
        if (edit->line->isReadOnly())
            return; // files change only through the browse button
        value = edit->line->text();
    } else if (auto* button = qobject_cast<QPushButton*>(editor)) {
        value = button->property(kValueProperty).toString();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        value = line->text();
    }
    if (value == index.data(CPropertiesPane::ValueRole).toString())
        return;
    // The value goes to the owner now, while it is still the row's owner;
    // the grid is rebuilt afterwards, not under the editor being closed.
    pane_->apply(index.data(CPropertiesPane::NameRole).toString(), value, true);
}

void PropertyDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    (void)index;
    editor->setGeometry(option.rect);
}

} // namespace tft::ide
