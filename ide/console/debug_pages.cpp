#include "debug_pages.h"

#include "string_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tft::ide {

namespace {
const QString kInsFilter = QStringLiteral("Instruction Files (*.ins)");
constexpr int kFieldColumns = 3;
constexpr int kButtonColumns = 4;
} // namespace

CommandPageWidget::CommandPageWidget(const CommandPageForm& page, ConsoleHooks& hooks,
                                     QWidget* parent)
    : QWidget(parent), form_(page), hooks_(hooks) {
    setObjectName(page.className);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QGridLayout;
    int i = 0;
    for (const PageField& f : page.fields) {
        QWidget* editor = nullptr;
        if (!f.choices.isEmpty()) {
            auto* combo = new QComboBox(this);
            combo->addItems(f.choices);
            combo->setCurrentIndex(f.initial.toInt());
            editor = combo;
        } else {
            editor = new QLineEdit(f.initial, this);
        }
        editor->setObjectName(f.key);
        fields_.insert(f.key, editor);
        const int row = i / kFieldColumns;
        const int col = (i % kFieldColumns) * 2;
        form->addWidget(new QLabel(f.label, this), row, col);
        form->addWidget(editor, row, col + 1);
        ++i;
    }
    layout->addLayout(form);
    auto* buttons = new QGridLayout;
    int b = 0;
    for (const PageButton& pb : page.buttons) {
        auto* push = new QPushButton(pb.label, this);
        connect(push, &QPushButton::clicked, this, [this, label = pb.label] { press(label); });
        buttons->addWidget(push, b / kButtonColumns, b % kButtonColumns);
        ++b;
    }
    layout->addLayout(buttons);
    layout->addStretch(1);
}

QMap<QString, QString> CommandPageWidget::texts() const {
    QMap<QString, QString> out;
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
        if (auto* combo = qobject_cast<QComboBox*>(it.value()))
            out.insert(it.key(), QString::number(combo->currentIndex()));
        else if (auto* line = qobject_cast<QLineEdit*>(it.value()))
            out.insert(it.key(), line->text());
    }
    return out;
}

void CommandPageWidget::setField(const QString& key, const QString& text) {
    QWidget* w = fields_.value(key);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentIndex(text.toInt());
    else if (auto* line = qobject_cast<QLineEdit*>(w))
        line->setText(text);
}

bool CommandPageWidget::press(const QString& button) {
    QString error;
    const std::vector<Frame> frames = buildFrames(form_, button, texts(), &error);
    if (frames.empty()) {
        if (hooks_.showMessage) {
            if (error == QLatin1String(kYearOutOfRange)) {
                hooks_.showMessage(ideText(sid::RtcYearRange));
            } else {
                QString label = error;
                for (const PageField& f : form_.fields)
                    if (f.key == error)
                        label = f.label;
                hooks_.showMessage(ideText(sid::FieldInvalid).arg(label));
            }
        }
        return false;
    }
    bool all = true;
    for (const Frame& f : frames)
        all = hooks_.send && hooks_.send(f) && all;
    return all;
}

CDebugInstructPage::CDebugInstructPage(const QString& iniPath, ConsoleHooks& hooks, QWidget* parent)
    : QWidget(parent), iniPath_(iniPath), hooks_(hooks), table_(new QTableWidget(this)),
      loop_(new QCheckBox(ideText(sid::CustomLoop), this)),
      interval_(new QLineEdit(QStringLiteral("100"), this)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("CDebugInstructPage"));
    list_.load(iniPath_);
    table_->setObjectName(QStringLiteral("CustomRows"));
    table_->setColumnCount(3);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->setColumnWidth(0, 28);
    table_->setColumnWidth(2, 60);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table_->setHorizontalHeaderLabels(
        {QString(), ideText(sid::ConsoleColumnCommand), ideText(sid::CustomSend)});
    fillTable();
    // A command typed into a row ticks it, one emptied unticks it: Run all
    // sends what was just typed instead of silently skipping it.
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 1)
            return;
        if (QTableWidgetItem* check = table_->item(item->row(), 0))
            check->setCheckState(item->text().trimmed().isEmpty() ? Qt::Unchecked : Qt::Checked);
    });

    auto* step = new QPushButton(ideText(sid::CustomStep), this);
    auto* all = new QPushButton(ideText(sid::CustomRunAll), this);
    auto* clear = new QPushButton(ideText(sid::CustomClear), this);
    auto* import = new QPushButton(ideText(sid::CustomImport), this);
    auto* exportButton = new QPushButton(ideText(sid::CustomExport), this);
    interval_->setObjectName(QStringLiteral("Interval"));
    interval_->setValidator(new QIntValidator(1, 3600000, interval_));
    loop_->setObjectName(QStringLiteral("LoopSend"));
    connect(step, &QPushButton::clicked, this, &CDebugInstructPage::singleStep);
    connect(all, &QPushButton::clicked, this, [this] { runAll(); });
    connect(clear, &QPushButton::clicked, this, &CDebugInstructPage::clearRows);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString f =
            QFileDialog::getOpenFileName(this, ideText(sid::CustomImport), {}, kInsFilter);
        if (!f.isEmpty())
            importFrom(f);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        QString f = QFileDialog::getSaveFileName(this, ideText(sid::CustomExport), {}, kInsFilter);
        if (f.isEmpty())
            return;
        if (!f.endsWith(QLatin1String(".ins"), Qt::CaseInsensitive))
            f += QStringLiteral(".ins");
        exportTo(f);
    });
    connect(loop_, &QCheckBox::toggled, this, &CDebugInstructPage::onLoopToggled);
    connect(timer_, &QTimer::timeout, this, [this] {
        readTable();
        if (loopSender_.tick([this](int row) { return sendRow(row); }) < 0)
            loop_->setChecked(false);
    });

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{
             step, all, loop_, new QLabel(ideText(sid::CustomInterval), this), interval_, clear,
             import, exportButton})
        bar->addWidget(w);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(bar);
    layout->addWidget(new QLabel(ideText(sid::CustomNote), this));
}

CDebugInstructPage::~CDebugInstructPage() {
    saveList();
}

void CDebugInstructPage::fillTable() {
    const QSignalBlocker quiet(table_); // the stored ticks stand as they were saved
    table_->setRowCount(static_cast<int>(list_.rows().size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const CustomRow& row = list_.rows()[static_cast<std::size_t>(r)];
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        check->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
        table_->setItem(r, 0, check);
        table_->setItem(r, 1, new QTableWidgetItem(row.text));
        auto* link = new QPushButton(ideText(sid::CustomSend), table_);
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
        link->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
        connect(link, &QPushButton::clicked, this, [this, r] {
            readTable();
            sendRow(r);
        });
        table_->setCellWidget(r, 2, link);
    }
}

void CDebugInstructPage::readTable() {
    auto& rows = list_.rows();
    rows.resize(static_cast<std::size_t>(table_->rowCount()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        CustomRow& row = rows[static_cast<std::size_t>(r)];
        const QTableWidgetItem* check = table_->item(r, 0);
        const QTableWidgetItem* text = table_->item(r, 1);
        row.checked = check && check->checkState() == Qt::Checked;
        row.text = text ? text->text() : QString();
    }
}

bool CDebugInstructPage::rowMarked(int row) const {
    const QTableWidgetItem* item = table_->item(row, 1);
    return item && item->data(Qt::UserRole).toBool();
}

bool CDebugInstructPage::sendRow(int row) {
    if (row < 0 || row >= table_->rowCount())
        return false;
    const QString text = list_.rows()[static_cast<std::size_t>(row)].text;
    const CommandText parsed = parseCommandText(text);
    if (parsed.tooLong) {
        if (hooks_.showMessage)
            hooks_.showMessage(ideText(sid::CommandTooLong)
                                   .arg(text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size()));
        return false;
    }
    if (parsed.bytes.empty())
        return false;
    if (QTableWidgetItem* item = table_->item(row, 1)) {
        const bool bad = !parsed.badTokens.isEmpty();
        item->setData(Qt::UserRole, bad);
        item->setBackground(bad ? QColor(255, 200, 200) : QBrush());
        item->setToolTip(bad ? ideText(sid::CommandBadHex).arg(row + 1) : QString());
    }
    return hooks_.send && hooks_.send(parsed.bytes);
}

void CDebugInstructPage::singleStep() {
    readTable();
    const int focus = table_->currentRow() < 0 ? list_.nextSendable(0) : table_->currentRow();
    const int next = list_.step(focus, [this](int r) { return sendRow(r); });
    if (next >= 0)
        table_->setCurrentCell(next, 1);
}

int CDebugInstructPage::runAll() {
    readTable();
    return list_.runAll([this](int r) { return sendRow(r); });
}

void CDebugInstructPage::clearRows() {
    loop_->setChecked(false);
    list_.clear();
    fillTable();
}

bool CDebugInstructPage::importFrom(const QString& path) {
    const bool ok = list_.load(path);
    fillTable();
    return ok;
}

bool CDebugInstructPage::exportTo(const QString& path) {
    readTable();
    return list_.save(path);
}

void CDebugInstructPage::saveList() {
    if (iniPath_.isEmpty())
        return;
    readTable();
    list_.save(iniPath_);
}

void CDebugInstructPage::onLoopToggled(bool on) {
    if (!on) {
        timer_->stop();
        return;
    }
    const int ms = interval_->text().toInt();
    timer_->setInterval(ms > 0 ? ms : 100);
    loopSender_.restart();
    timer_->start();
}

CDebugAssistantSheet::CDebugAssistantSheet(const QString& customIniPath, ConsoleHooks hooks,
                                           QWidget* parent)
    : QDialog(parent), hooks_(std::move(hooks)), tabs_(new QTabWidget(this)) {
    setObjectName(QStringLiteral("DebugAssistant"));
    setWindowTitle(ideText(sid::InstructionConsole));
    for (const CommandPageForm& form : commandPages())
        tabs_->addTab(new CommandPageWidget(form, hooks_, tabs_), form.title);
    custom_ = new CDebugInstructPage(customIniPath, hooks_, tabs_);
    tabs_->addTab(custom_, ideText(sid::CustomPage));
    tabs_->setUsesScrollButtons(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    resize(820, 560);
}

CommandPageWidget* CDebugAssistantSheet::page(const QString& className) const {
    return findChild<CommandPageWidget*>(className);
}

} // namespace tft::ide
