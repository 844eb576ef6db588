#include "properties_pane.h"

#include "compiler/attributes.h"
#include "property_editors.h"
#include "string_table.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tft::ide {

namespace {

QString attr(const pugi::xml_node& item, const char* name) {
    return QString::fromUtf8(item.attribute(name).value());
}

QStringList list(const pugi::xml_node& item, const char* name) {
    QStringList parts;
    for (const std::string& part : splitList(item.attribute(name).value()))
        parts << QString::fromStdString(part);
    return parts;
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(14, 14);
    pixmap.fill(colour.isValid() ? colour : QColor(Qt::transparent));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

// What a row shows for its value.
QString shownValue(const QString& kind, const QString& value, const QStringList& options,
                   const QStringList& enums) {
    if (kind == QLatin1String("SELECT")) {
        const qsizetype at = enums.indexOf(value);
        return at >= 0 ? options.value(at) : QString(); // no caption for an unknown value
    }
    if (kind == QLatin1String("COLOR")) {
        const QColor colour = colourOf(value);
        if (!colour.isValid())
            return value;
        const std::uint32_t held = rgb(std::uint32_t(colour.red()), std::uint32_t(colour.green()),
                                       std::uint32_t(colour.blue()));
        return QStringLiteral("%1  RGB565 0x%2")
            .arg(value)
            .arg(colourToRgb565(held), 4, 16, QLatin1Char('0'))
            .toUpper()
            .replace(QLatin1String("0X"), QLatin1String("0x"));
    }
    if (kind == QLatin1String("CHECKBOX"))
        return {};
    if (kind == QLatin1String("ACTION")) {
        const std::string text = value.toStdString();
        int count = 0;
        for (std::size_t at = text.find("<item"); at != std::string::npos;
             at = text.find("<item", at + 1))
            ++count;
        return ideText(sid::ActionCount).arg(count);
    }
    return value;
}

} // namespace

QString colourText(const QColor& colour) {
    return QStringLiteral("%1;%2;%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

QColor colourOf(const QString& text) {
    const auto held = parseColour(text.toStdString());
    if (!held)
        return {};
    return QColor(int(*held & 0xFF), int(*held >> 8 & 0xFF), int(*held >> 16 & 0xFF));
}

CPropertiesPane::CPropertiesPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PropertiesPane"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("PropertyFilter"));
    filter_->setClearButtonEnabled(true);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("PropertyGrid"));
    tree_->setColumnCount(2);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setAlternatingRowColors(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    tree_->header()->setStretchLastSection(true);
    tree_->setColumnWidth(0, 120);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->setItemDelegate(new PropertyDelegate(this));
    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("PropertyDescription"));
    description_->setWordWrap(true);
    description_->setTextFormat(Qt::RichText);
    description_->setMinimumHeight(48);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description_->setFrameShape(QFrame::StyledPanel);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("PropertyProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(filter_);
    layout->addWidget(tree_, 1);
    layout->addWidget(problem_);
    layout->addWidget(description_);
    connect(filter_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showDescription(item); });
    connect(tree_, &QTreeWidget::itemChanged, this, &CPropertiesPane::onItemChanged);
    retranslate();
}

void CPropertiesPane::retranslate() {
    filter_->setPlaceholderText(ideText(sid::PropertyFilter));
}

void CPropertiesPane::showOwner(IPropertyOwner* owner) {
    owner_ = owner;
    problem_->clear();
    problem_->hide();
    refresh();
}

void CPropertiesPane::refresh() {
    if (committing_)
        return; // the change in progress rebuilds when it is done
    rebuild(owner_ ? owner_->propertyTemplate() : PropertyTemplate());
}

void CPropertiesPane::rebuild(const PropertyTemplate& tpl) {
    // Keep what the user had open and where he was.
    QSet<QString> collapsed, expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if ((*it)->childCount() == 0)
            continue;
        ((*it)->isExpanded() ? expanded : collapsed) << (*it)->data(1, NameRole).toString();
    }
    const QString current =
        tree_->currentItem() ? tree_->currentItem()->data(1, NameRole).toString() : QString();
    building_ = true;
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    rootCaption_.clear();
    rootTips_.clear();
    if (const pugi::xml_node root = tpl.root()) {
        rootCaption_ = attr(root, "CAPTION");
        rootTips_ = attr(root, "TIPS");
        addItems(root, nullptr);
    }
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        const QString name = (*it)->data(1, NameRole).toString();
        if (collapsed.contains(name))
            (*it)->setExpanded(false);
        else if (expanded.contains(name))
            (*it)->setExpanded(true);
        if (!current.isEmpty() && name == current)
            tree_->setCurrentItem(*it);
    }
    applyFilter();
    tree_->setUpdatesEnabled(true);
    building_ = false;
    showDescription(tree_->currentItem());
}

void CPropertiesPane::addItems(const pugi::xml_node& from, QTreeWidgetItem* parent) {
    for (pugi::xml_node node : from.children("item")) {
        const QString kind = QString::fromStdString(PropertyTemplate::editorKind(node));
        const QString name = attr(node, "NAME");
        const QString value = attr(node, "VALUE");
        auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        row->setText(0, attr(node, "CAPTION"));
        row->setData(1, NameRole, name);
        row->setData(1, KindRole, kind);
        row->setData(1, ValueRole, value);
        row->setData(1, TipsRole, attr(node, "TIPS"));
        row->setToolTip(0, attr(node, "TIPS"));
        const bool editable = std::string_view(node.attribute("EDITABLE").value()) != "0";
        const bool enabled = std::string_view(node.attribute("ENABLE").value()) != "0";
        Qt::ItemFlags flags = Qt::ItemIsSelectable;
        if (enabled)
            flags |= Qt::ItemIsEnabled;
        if (kind == QLatin1String("CATEGORY")) {
            QFont bold = row->font(0);
            bold.setBold(true);
            row->setFont(0, bold);
            row->setFirstColumnSpanned(parent == nullptr);
            row->setFlags(flags);
            addItems(node, row);
            // A category's EXPAND opens it; the button's images group is shut.
            row->setExpanded(std::string_view(node.attribute("EXPAND").value()) == "1");
            continue;
        }
        const QStringList options = list(node, "OPTIONS");
        const QStringList enums = list(node, "ENUMS");
        row->setData(1, OptionsRole, options);
        row->setData(1, EnumsRole, enums.isEmpty() ? options : enums);
        row->setData(1, MinRole, node.attribute("MIN").as_int(0));
        row->setData(1, MaxRole, node.attribute("MAX").as_int(100));
        row->setData(1, SortRole, std::string_view(node.attribute("SORT").value()) == "1");
        const QString shown =
            kind == QLatin1String("SCREEN") ? value : shownValue(kind, value, options, enums);
        row->setText(1, shown);
        if (kind == QLatin1String("COLOR"))
            row->setIcon(1, swatch(colourOf(value)));
        if (kind == QLatin1String("CHECKBOX")) {
            flags |= Qt::ItemIsUserCheckable;
            row->setCheckState(1, value == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
        } else if (editable && enabled) {
            flags |= Qt::ItemIsEditable;
        }
        if (!editable) {
            flags &= ~Qt::ItemIsUserCheckable;
            row->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
            row->setForeground(1, palette().brush(QPalette::Disabled, QPalette::Text));
        }
        row->setFlags(flags);
        if (node.child("item")) {
            addItems(node, row);
            row->setExpanded(std::string_view(node.attribute("EXPAND").value()) == "1");
        }
    }
}

QTreeWidgetItem* CPropertiesPane::item(const QString& name) const {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(1, NameRole).toString() == name)
            return *it;
    return nullptr;
}

void CPropertiesPane::applyFilter() {
    const QString text = filter_->text().trimmed();
    // A row shows when it or one of its rows below matches, or a category
    // above it matches.
    std::function<bool(QTreeWidgetItem*, bool)> walk = [&](QTreeWidgetItem* row, bool shown) {
        const bool match = text.isEmpty() || row->text(0).contains(text, Qt::CaseInsensitive) ||
                           row->data(1, NameRole).toString().contains(text, Qt::CaseInsensitive);
        bool any = false;
        for (int i = 0; i < row->childCount(); ++i)
            any = walk(row->child(i), shown || match) || any;
        const bool visible = shown || match || any;
        row->setHidden(!visible);
        if (any && !text.isEmpty())
            row->setExpanded(true);
        return match || any;
    };
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        walk(tree_->topLevelItem(i), false);
}

void CPropertiesPane::showDescription(QTreeWidgetItem* row) {
    // Without a current row the owner's own description shows.
    const QString caption = row ? row->text(0) : rootCaption_;
    const QString tips = row ? row->data(1, TipsRole).toString() : rootTips_;
    if (caption.isEmpty() && tips.isEmpty()) {
        description_->clear();
        return;
    }
    description_->setText(
        QStringLiteral("<b>%1</b><br>%2").arg(caption.toHtmlEscaped(), tips.toHtmlEscaped()));
}

QString CPropertiesPane::description() const {
    return description_->text();
}

QString CPropertiesPane::problem() const {
    return problem_->text();
}

void CPropertiesPane::onItemChanged(QTreeWidgetItem* row, int column) {
    if (building_ || column != 1 || row->data(1, KindRole).toString() != QLatin1String("CHECKBOX"))
        return;
    const QString value =
        row->checkState(1) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
    if (value == row->data(1, ValueRole).toString())
        return;
    // The tree is inside its own change here: it is rebuilt afterwards.
    apply(row->data(1, NameRole).toString(), value, true);
}

bool CPropertiesPane::commit(QTreeWidgetItem* row, const QString& value) {
    return row && apply(row->data(1, NameRole).toString(), value, false);
}

bool CPropertiesPane::apply(const QString& name, const QString& value, bool deferRefresh) {
    if (!owner_ || name.isEmpty())
        return false;
    // Owners that answer a change by showing their properties again only
    // mark the grid for the rebuild below.
    committing_ = true;
    const std::string key = name.toStdString();
    const ChangeResult result = owner_->propertyChanged(key, value.toStdString());
    if (result.applied && changed)
        changed(key);
    committing_ = false;
    problem_->setText(result.reason);
    problem_->setVisible(!result.reason.isEmpty());
    // Show the owner's values again: the new one, or the old one kept.
    if (deferRefresh)
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    else
        refresh();
    return result.applied;
}

void CPropertiesPane::browse(QTreeWidgetItem* row) {
    if (!row || !chooseFile)
        return;
    const bool animation = row->data(1, KindRole).toString() == QLatin1String("ANIMATION");
    const QString filter =
        animation ? ideText(sid::PropertyAnimationFilter) : ideText(sid::PropertyFileFilter);
    const QString file = chooseFile(filter);
    if (file.isEmpty())
        return; // cancelled
    QString reason;
    const QString relative = importFile ? importFile(file, &reason) : QString();
    if (relative.isEmpty()) {
        problem_->setText(reason.isEmpty() ? ideText(sid::PropertyImportFailed).arg(file) : reason);
        problem_->show();
        return;
    }
    commit(row, relative);
}

} // namespace tft::ide
