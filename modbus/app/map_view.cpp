#include "map_view.h"

#include "project_link.h"

#include <QBrush>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

namespace tessary {

namespace {

const char* const kHeaders[kColumnCount] = {
    "序号(Num)",
    "用途(Use)",
    "画面ID(Screen)",
    "控件ID(Control)",
    "从机(Slave)",
    "功能码(FunctionCode)",
    "起始地址(StartAddress)",
};
constexpr int kColumnWidth = 200;
const char* const kHidden = "------";

std::optional<NumberField> numberField(int column) {
    switch (column) {
    case kColScreen:
        return NumberField::ScreenId;
    case kColControl:
        return NumberField::ControlId;
    case kColSlave:
        return NumberField::Slave;
    case kColStart:
        return NumberField::StartAddress;
    default:
        return std::nullopt;
    }
}

int fieldValue(const MapRow& row, NumberField f) {
    switch (f) {
    case NumberField::ScreenId:
        return row.screenId;
    case NumberField::ControlId:
        return row.controlId;
    case NumberField::Slave:
        return row.slave;
    case NumberField::StartAddress:
        return row.startAddress;
    }
    return 0;
}

bool idsHidden(const MapRow& row, int column) {
    return row.use == kUseScreenChange && (column == kColScreen || column == kColControl);
}

} // namespace

MapTableModel::MapTableModel(MapEditor* editor, QObject* parent)
    : QAbstractTableModel(parent), editor_(editor),
      shownRows_(static_cast<int>(editor->document().rows().size())) {
    connect(editor_, &MapEditor::documentChanged, this, &MapTableModel::documentChanged);
}

void MapTableModel::documentChanged() {
    const int rows = static_cast<int>(editor_->document().rows().size());
    if (rows != shownRows_) {
        // A structural change: the grid is rebuilt from the document.
        beginResetModel();
        shownRows_ = rows;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, kColumnCount - 1));
    }
}

int MapTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int MapTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant MapTableModel::data(const QModelIndex& index, int role) const {
    const auto& rows = editor_->document().rows();
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return {};
    const MapRow& row = rows[static_cast<std::size_t>(index.row())];
    const int col = index.column();
    if (role == Qt::DisplayRole) {
        if (col == kColNumber)
            return index.row();
        if (col == kColUse)
            return QString::fromStdString(useText(row.use));
        if (col == kColFunction)
            return QString::fromStdString(functionCodeText(row.functionCode));
        if (idsHidden(row, col))
            return QString::fromLatin1(kHidden);
        if (project_ && row.use == kUseControlUpdate && (col == kColScreen || col == kColControl))
            return idText(row, col);
        if (auto f = numberField(col))
            return fieldValue(row, *f);
    } else if (role == Qt::ToolTipRole || role == Qt::BackgroundRole) {
        const auto& found = rowProblems_;
        if (static_cast<std::size_t>(index.row()) >= found.size() || found[index.row()].empty())
            return {};
        bool error = false;
        QStringList reasons;
        for (std::size_t p : found[static_cast<std::size_t>(index.row())]) {
            error = error || problems_[p].severity == MapProblem::Severity::Error;
            reasons << QString::fromStdString(problems_[p].chineseText);
        }
        if (role == Qt::ToolTipRole)
            return reasons.join(QLatin1Char('\n'));
        return QBrush(error ? QColor(255, 205, 205) : QColor(255, 236, 179));
    } else if (role == Qt::EditRole) {
        if (col == kColUse)
            return row.use;
        if (col == kColFunction)
            return row.functionCode;
        // Text, so the in-place editor is a plain line edit: anything typed
        // reaches setData and is clamped there.
        if (auto f = numberField(col))
            return QString::number(fieldValue(row, *f));
    }
    return {};
}

QString MapTableModel::idText(const MapRow& row, int column) const {
    const ProjectScreen* screen = project_->findScreen(row.screenId);
    if (column == kColScreen)
        return screen ? QStringLiteral("%1  %2")
                            .arg(row.screenId)
                            .arg(QString::fromStdString(screen->name))
                      : QString::number(row.screenId);
    const ProjectControl* control = screen ? screen->findControl(row.controlId) : nullptr;
    return control ? QStringLiteral("%1  %2 (%3)")
                         .arg(row.controlId)
                         .arg(QString::fromStdString(control->name),
                              QString::fromStdString(control->kind))
                   : QString::number(row.controlId);
}

void MapTableModel::setAnnotations(std::shared_ptr<const ProjectIndex> project,
                                   std::vector<MapProblem> problems) {
    project_ = std::move(project);
    problems_ = std::move(problems);
    rowProblems_.assign(static_cast<std::size_t>(shownRows_), {});
    for (std::size_t p = 0; p < problems_.size(); ++p)
        if (problems_[p].row < rowProblems_.size())
            rowProblems_[problems_[p].row].push_back(p);
    if (shownRows_ > 0)
        emit dataChanged(index(0, 0), index(shownRows_ - 1, kColumnCount - 1));
}

QVariant MapTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
        return QString::fromUtf8(kHeaders[section]);
    return QAbstractTableModel::headerData(section, o, role);
}

Qt::ItemFlags MapTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const auto& rows = editor_->document().rows();
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()) ||
        index.column() == kColNumber)
        return f;
    if (idsHidden(rows[static_cast<std::size_t>(index.row())], index.column()))
        return f;
    return f | Qt::ItemIsEditable;
}

bool MapTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    bool ok = false;
    if (index.column() == kColUse || index.column() == kColFunction) {
        const int v = value.toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return false;
        if (index.column() == kColUse)
            editor_->setUse(row, static_cast<std::uint8_t>(v));
        else
            editor_->setFunctionCode(row, static_cast<std::uint8_t>(v));
        return true;
    }
    const auto field = numberField(index.column());
    if (!field)
        return false;
    const QString text = value.toString().trimmed();
    long long typed = text.toLongLong(&ok);
    if (!ok) {
        // Digits beyond the range of a 64-bit number still clamp to the top.
        static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
        if (!digits.match(text).hasMatch())
            return false;
        typed = text.startsWith('-') ? -1 : (1LL << 62);
    }
    editor_->setField(row, *field, typed);
    // A clamped value differs from what was typed even when the stored one
    // did not change, so the cell is refreshed either way.
    emit dataChanged(index, index);
    return true;
}

QWidget* ChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    auto* box = new QComboBox(parent);
    if (index.column() == kColUse) {
        for (const auto& u : kUses)
            box->addItem(QString::fromUtf8(u.text), u.code);
    } else {
        for (const auto& c : kFunctionCodes)
            box->addItem(QString::fromUtf8(c.text), c.code);
    }
    return box;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(box->findData(index.data(Qt::EditRole).toInt()));
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    if (box->currentIndex() >= 0)
        model->setData(index, box->currentData(), Qt::EditRole);
}

ProjectChoiceDelegate::ProjectChoiceDelegate(const MapEditor* editor, QObject* parent)
    : QStyledItemDelegate(parent), editor_(editor) {}

QWidget* ProjectChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    const auto& rows = editor_->document().rows();
    if (!project_ || index.row() >= static_cast<int>(rows.size()))
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (index.column() == kColScreen) {
        for (const ProjectScreen& screen : project_->screens())
            box->addItem(
                QStringLiteral("%1  %2").arg(screen.id).arg(QString::fromStdString(screen.name)),
                screen.id);
    } else if (const ProjectScreen* screen =
                   project_->findScreen(rows[static_cast<std::size_t>(index.row())].screenId)) {
        for (const ProjectControl& control : screen->controls)
            if (control.isControl)
                box->addItem(QStringLiteral("%1  %2 (%3)")
                                 .arg(control.id)
                                 .arg(QString::fromStdString(control.name),
                                      QString::fromStdString(control.kind)),
                             control.id);
    }
    return box;
}

void ProjectChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (!box) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString number = index.data(Qt::EditRole).toString();
    const int at = box->findData(number.toInt());
    if (at >= 0)
        box->setCurrentIndex(at);
    box->setEditText(at >= 0 ? box->itemText(at) : number);
}

void ProjectChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                         const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (!box) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // A listed entry stores its id; anything else is a typed number.
    const QString text = box->currentText().trimmed();
    const int at = box->findText(text);
    model->setData(index, at >= 0 ? box->itemData(at).toString() : text, Qt::EditRole);
}

void MapTable::endEdit() {
    const QModelIndex current = currentIndex();
    if (QWidget* ed = current.isValid() ? indexWidget(current) : nullptr) {
        commitData(ed);
        closeEditor(ed, QAbstractItemDelegate::NoHint);
    }
}

MapView::MapView(QWidget* parent) : QWidget(parent) {
    static int untitledCounter = 0;
    untitled_ = ++untitledCounter;
    model_ = new MapTableModel(&editor_, this);
    table_ = new MapTable(this);
    table_->setModel(model_);
    auto* choices = new ChoiceDelegate(table_);
    table_->setItemDelegateForColumn(kColUse, choices);
    table_->setItemDelegateForColumn(kColFunction, choices);
    projectChoices_ = new ProjectChoiceDelegate(&editor_, table_);
    table_->setItemDelegateForColumn(kColScreen, projectChoices_);
    table_->setItemDelegateForColumn(kColControl, projectChoices_);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < kColumnCount; ++c)
        table_->setColumnWidth(c, kColumnWidth);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MapView::selectionChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &MapView::selectionChanged, Qt::UniqueConnection);
        emit selectionChanged();
    });
    connect(&editor_, &MapEditor::documentChanged, this, &MapView::recheck);
}

void MapView::attachProject(const QString& path) {
    const int generation = ++loadGeneration_;
    projectPath_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    project_.reset();
    linkError_.clear();
    projectChoices_->setProject(nullptr);
    loading_ = !projectPath_.isEmpty();
    showProblems({});
    emit projectChanged();
    if (!loading_)
        return;
    runOffThread<LoadedProject>(
        this, [file = projectPath_] { return loadProject(file); },
        [this, generation](LoadedProject loaded) {
            if (generation != loadGeneration_)
                return; // another project was attached meanwhile
            loading_ = false;
            project_ = std::move(loaded.index);
            linkError_ = loaded.error;
            projectChoices_->setProject(project_);
            emit projectChanged();
            recheck();
        });
}

void MapView::recheck() {
    const int generation = ++checkGeneration_;
    if (!project_) {
        checking_ = false;
        showProblems({});
        return;
    }
    const std::vector<MapRow>& rows = editor_.document().rows();
    if (rows.size() < kBackgroundCheckRows) {
        checking_ = false;
        showProblems(checkMap(rows, *project_));
        return;
    }
    checking_ = true;
    runOffThread<std::vector<MapProblem>>(
        this, [rows, project = project_] { return checkMap(rows, *project); },
        [this, generation](std::vector<MapProblem> problems) {
            if (generation != checkGeneration_)
                return;
            checking_ = false;
            showProblems(std::move(problems));
        });
}

void MapView::showProblems(std::vector<MapProblem> problems) {
    problems_ = problems;
    model_->setAnnotations(project_, std::move(problems));
    emit problemsChanged();
}

void MapView::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    table_->endEdit();
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0));
    table_->setFocus();
}

void MapView::setFilePath(const QString& path) {
    path_ = path;
    setWindowTitle(displayName() + QStringLiteral("[*]"));
}

QString MapView::displayName() const {
    return path_.isEmpty() ? QStringLiteral("Map%1.mbm").arg(untitled_)
                           : QFileInfo(path_).fileName();
}

void MapView::addRow() {
    table_->endEdit();
    const int row = static_cast<int>(editor_.addRow());
    table_->selectRow(row);
}

bool MapView::hasSelection() const {
    return table_->selectionModel()->hasSelection();
}

std::vector<std::size_t> MapView::selectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& i : table_->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(i.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MapView::selectRows(int first, int count) {
    QItemSelection selection;
    selection.select(model_->index(first, 0), model_->index(first + count - 1, kColumnCount - 1));
    table_->setCurrentIndex(model_->index(first, 0));
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MapView::deleteSelected() {
    table_->endEdit();
    const long select = editor_.removeRows(selectedRows());
    if (select >= 0)
        table_->selectRow(static_cast<int>(select));
}

const char* const MapView::kRowsMimeType = "application/x-tessary-map-rows";

void MapView::copyRows() {
    table_->endEdit();
    const std::vector<std::size_t> indexes = selectedRows();
    if (indexes.empty())
        return;
    std::vector<MapRow> rows;
    QString text;
    for (std::size_t r : indexes) {
        rows.push_back(editor_.document().rows()[r]);
        // The grid's texts, tab-separated, for spreadsheets and editors.
        QStringList cells;
        for (int c = kColUse; c < kColumnCount; ++c)
            cells << model_->index(static_cast<int>(r), c).data().toString();
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    const std::vector<std::uint8_t> bytes = encodeRows(rows);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kRowsMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    mime->setText(text);
    QGuiApplication::clipboard()->setMimeData(mime);
}

void MapView::cutRows() {
    const std::vector<std::size_t> indexes = selectedRows();
    if (indexes.empty())
        return;
    copyRows();
    const long select = editor_.removeRows(indexes, QStringLiteral("剪切"));
    if (select >= 0)
        table_->selectRow(static_cast<int>(select));
}

namespace {

bool clipboardRows(std::vector<MapRow>* rows) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr)
        return false;
    const QByteArray bytes = data->data(QString::fromLatin1(MapView::kRowsMimeType));
    return decodeRows(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size()), rows);
}

} // namespace

bool MapView::canPaste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasFormat(QString::fromLatin1(kRowsMimeType));
}

void MapView::pasteRows() {
    table_->endEdit();
    std::vector<MapRow> rows;
    if (!clipboardRows(&rows))
        return;
    const std::vector<std::size_t> selected = selectedRows();
    std::size_t at = editor_.document().rows().size();
    if (!selected.empty())
        at = selected.back() + 1;
    else if (table_->currentIndex().isValid())
        at = static_cast<std::size_t>(table_->currentIndex().row()) + 1;
    const std::size_t first = editor_.insertRows(at, rows, QStringLiteral("粘贴"));
    selectRows(static_cast<int>(first), static_cast<int>(rows.size()));
}

void MapView::deleteAll(bool confirmed) {
    if (!confirmed)
        return;
    table_->endEdit();
    editor_.removeAll();
}

bool MapView::save(const QString& path, QString* error) {
    table_->endEdit();
    std::string why;
    if (!editor_.document().saveFile(path.toStdString(), &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    editor_.undoStack()->setClean();
    setFilePath(path);
    return true;
}

DeviceAddressDialog::DeviceAddressDialog(int address, QWidget* parent)
    : QDialog(parent), address_(address) {
    setWindowTitle(QStringLiteral("设备配置"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("设备地址(201~210):"), this));
    field_ = new QLineEdit(QString::number(address), this);
    layout->addWidget(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &DeviceAddressDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DeviceAddressDialog::reject);
}

std::optional<int> DeviceAddressDialog::parse(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < kDeviceAddressMin || v > kDeviceAddressMax)
        return std::nullopt;
    return v;
}

void DeviceAddressDialog::accept() {
    const auto v = parse(field_->text());
    if (!v) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("请输入一个介于 201 和 210 之间的整数。"));
        field_->setFocus();
        field_->selectAll();
        return; // the dialog stays open
    }
    address_ = *v;
    QDialog::accept();
}

} // namespace tessary
