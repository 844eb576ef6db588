#include "log_dialog.h"

#include "simulator/recorder.h"
#include "simulator/traffic_log.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace tft {

CLogDlg::CLogDlg(TrafficLog& log, QWidget* parent) : QDialog(parent), log_(log) {
    setWindowTitle(QStringLiteral("通信记录"));
    table_ = new QTableWidget(0, 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("方向"),
                                       QStringLiteral("数值"), QStringLiteral("说明")});
    const int widths[4] = {100, 60, 300, 200};
    for (int i = 0; i < 4; ++i)
        table_->setColumnWidth(i, widths[i]);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    autoScroll_ = new QCheckBox(QStringLiteral("自动滚动"), this);
    autoScroll_->setChecked(true);
    auto* copy = new QPushButton(QStringLiteral("复制"), this);
    auto* clearButton = new QPushButton(QStringLiteral("清除"), this);
    auto* saveButton = new QPushButton(QStringLiteral("保存..."), this);
    auto* scriptButton = new QPushButton(QStringLiteral("另存为脚本..."), this);
    scriptButton->setObjectName(QStringLiteral("saveScript"));
    scriptButton->setToolTip(
        QStringLiteral("把记录保存为无界面模拟的脚本 (dunmere --headless FILE.si --script FILE)"));
    connect(copy, &QPushButton::clicked, this, &CLogDlg::copySelection);
    connect(clearButton, &QPushButton::clicked, this, &CLogDlg::clear);
    connect(saveButton, &QPushButton::clicked, this, &CLogDlg::save);
    connect(scriptButton, &QPushButton::clicked, this, &CLogDlg::saveScript);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(autoScroll_);
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(clearButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(scriptButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(700, 400);

    for (const LogRow& row : log_.Rows())
        appendRow(row);
    // Rows come from the receive and core threads; the table is filled on ours.
    log_.SetRowHandler([this](const LogRow& row) {
        QMetaObject::invokeMethod(
            this, [this, row] { appendRow(row); }, Qt::QueuedConnection);
    });
}

CLogDlg::~CLogDlg() {
    log_.SetRowHandler(nullptr);
}

void CLogDlg::appendRow(const LogRow& row) {
    const int r = table_->rowCount();
    table_->insertRow(r);
    const std::string* cells[4] = {&row.time, &row.direction, &row.value, &row.description};
    for (int c = 0; c < 4; ++c)
        table_->setItem(r, c, new QTableWidgetItem(QString::fromStdString(*cells[c])));
    if (autoScroll_->isChecked())
        table_->scrollToBottom();
}

void CLogDlg::copySelection() {
    const int r = table_->currentRow();
    if (r >= 0 && table_->item(r, 2))
        QApplication::clipboard()->setText(table_->item(r, 2)->text());
}

void CLogDlg::clear() {
    log_.Clear();
    table_->setRowCount(0);
}

bool CLogDlg::saveTo(const QString& file, QString* error) {
    QSaveFile out(file);
    const std::string text = log_.SaveText();
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), qint64(text.size())) != qint64(text.size()) || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool CLogDlg::saveScriptTo(const QString& file, QString* error) {
    QSaveFile out(file);
    const std::string text = scriptFromLog(
        log_.Rows(),
        scriptHeader_ ? scriptHeader_() : std::string("# Saved from dunmere's traffic log\n"));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), qint64(text.size())) != qint64(text.size()) || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

void CLogDlg::saveScript() {
    QString name = QString::fromStdString(TrafficLog::DefaultFileName()) + ".txt";
    name.replace(0, 3, QStringLiteral("SCRIPT"));
    QFileDialog dialog(this, QStringLiteral("另存为脚本"), name, QStringLiteral("Script(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString error;
    if (!saveScriptTo(dialog.selectedFiles().first(), &error))
        QMessageBox::warning(this, windowTitle(), error);
}

void CLogDlg::save() {
    const QString name = QString::fromStdString(TrafficLog::DefaultFileName()) + ".txt";
    QFileDialog dialog(this, QStringLiteral("保存"), name, QStringLiteral("Text(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString error;
    if (!saveTo(dialog.selectedFiles().first(), &error))
        QMessageBox::warning(this, windowTitle(), error);
}

} // namespace tft
