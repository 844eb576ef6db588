#include "update_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>
#include <common/serial_ports.h>

namespace tessary {

namespace {

const char* const kRefresh = "Refresh";
const char* const kHint = "注意：开始更新设备前，必须暂停主控器，完成更新后恢复主控器。";

// Log lines from the worker go out as queued signals, so the list is only
// touched on the window's thread. The window outlives the worker (it joins it).
class WindowLog : public IUpdateLog {
public:
    explicit WindowLog(UpdateWindow* window) : window_(window) {}
    void clear() override { emit window_->logCleared(); }
    void append(const std::string& line) override {
        emit window_->logAppended(QString::fromStdString(line));
    }
    void replaceLast(const std::string& line) override {
        emit window_->logReplaced(QString::fromStdString(line));
    }

private:
    UpdateWindow* window_;
};

} // namespace

UpdateWindow::UpdateWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("更新Modbus设备"));
    setModal(false);

    auto* grid = new QGridLayout;
    folder_ = new QLineEdit(this);
    auto* folderButton = new QPushButton(QStringLiteral("打开..."), this);
    grid->addWidget(new QLabel(QStringLiteral("资源路径"), this), 0, 0);
    grid->addWidget(folder_, 0, 1);
    grid->addWidget(folderButton, 0, 2);
    images_ = new QCheckBox(QStringLiteral("下载图片资源"), this);
    touch_ = new QCheckBox(QStringLiteral("下载触控配置"), this);
    fonts_ = new QCheckBox(QStringLiteral("下载字库资源"), this);
    keyboard_ = new QCheckBox(QStringLiteral("下载系统键盘"), this);
    modbus_ = new QCheckBox(QStringLiteral("下载Modbus配置"), this);
    images_->setChecked(true);
    touch_->setChecked(true);
    modbus_->setChecked(true);
    grid->addWidget(images_, 1, 1);
    grid->addWidget(touch_, 2, 1);
    grid->addWidget(fonts_, 3, 1);
    grid->addWidget(keyboard_, 4, 1);
    map_ = new QLineEdit(this);
    auto* mapButton = new QPushButton(QStringLiteral("打开..."), this);
    grid->addWidget(modbus_, 5, 0);
    grid->addWidget(map_, 5, 1);
    grid->addWidget(mapButton, 5, 2);

    port_ = new QComboBox(this);
    port_->setEditable(true); // a pseudo-terminal or any device path can be typed
    baud_ = new QComboBox(this);
    for (const char* b : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"})
        baud_->addItem(QString::fromLatin1(b));
    baud_->setCurrentText(QStringLiteral("19200"));
    address_ = new QComboBox(this);
    for (int a = kDeviceAddressMin; a <= kDeviceAddressMax; ++a)
        address_->addItem(QString::number(a));
    grid->addWidget(new QLabel(QStringLiteral("串口"), this), 6, 0);
    grid->addWidget(port_, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("波特率"), this), 7, 0);
    grid->addWidget(baud_, 7, 1);
    grid->addWidget(new QLabel(QStringLiteral("设备地址"), this), 8, 0);
    grid->addWidget(address_, 8, 1);

    log_ = new QListWidget(this);
    hint_ = new QLabel(QString::fromUtf8(kHint), this);
    hint_->setWordWrap(true);
    updateButton_ = new QPushButton(QStringLiteral("开始更新设备"), this);
    stopButton_ = new QPushButton(QStringLiteral("停止主控器"), this);
    resumeButton_ = new QPushButton(QStringLiteral("恢复主控器"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(stopButton_);
    buttons->addWidget(resumeButton_);
    buttons->addStretch();
    buttons->addWidget(updateButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(hint_);
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);

    connect(folderButton, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getExistingDirectory(this, QString(), folder_->text());
        if (!f.isEmpty())
            folderChosen(f);
    });
    connect(mapButton, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getOpenFileName(this, QString(), map_->text(),
                                                       QStringLiteral("Modbus Map(*.mbm)"));
        if (!f.isEmpty())
            mapChosen(f);
    });
    connect(port_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index == 0)
            refreshPorts();
    });
    connect(updateButton_, &QPushButton::clicked, this, &UpdateWindow::startUpdate);
    connect(stopButton_, &QPushButton::clicked, this, &UpdateWindow::stopMaster);
    connect(resumeButton_, &QPushButton::clicked, this, &UpdateWindow::resumeMaster);
    connect(this, &UpdateWindow::logCleared, log_, &QListWidget::clear, Qt::QueuedConnection);
    connect(this, &UpdateWindow::logAppended, this, &UpdateWindow::appendLine,
            Qt::QueuedConnection);
    connect(this, &UpdateWindow::logReplaced, this, &UpdateWindow::replaceLastLine,
            Qt::QueuedConnection);
    // The worker's end re-enables the buttons; no polling timer is needed.
    connect(this, &UpdateWindow::workerFinished, this, &UpdateWindow::workerEnded,
            Qt::QueuedConnection);

    loadSettings();
    refreshPorts();
}

UpdateWindow::~UpdateWindow() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void UpdateWindow::workerEnded() {
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    for (QPushButton* b : {updateButton_, stopButton_, resumeButton_})
        b->setEnabled(true);
}

void UpdateWindow::stopAndWait() {
    cancel_ = true;
    workerEnded();
}

QCheckBox* UpdateWindow::box(int slotGroup) {
    switch (slotGroup) {
    case 0:
        return images_;
    case 1:
        return touch_;
    case 2:
        return fonts_;
    case 3:
        return keyboard_;
    default:
        return modbus_;
    }
}

void UpdateWindow::folderChosen(const QString& folder) {
    folder_->setText(folder);
    images_->setChecked(true);
    touch_->setChecked(true);
    if (isVisible())
        fitPathsAndHint();
}

void UpdateWindow::mapChosen(const QString& file) {
    map_->setText(file);
    modbus_->setChecked(true);
    if (isVisible())
        fitPathsAndHint();
}

void UpdateWindow::refreshPorts() {
    const QString current = port_->count() > 1 ? port_->currentText() : savedPort_;
    port_->clear();
    port_->addItem(QString::fromLatin1(kRefresh));
    for (const std::string& p : tft::listSerialPorts())
        port_->addItem(QString::fromStdString(p));
    int index = current.isEmpty() ? -1 : port_->findText(current);
    if (index < 0 && !current.isEmpty() && current != QLatin1String(kRefresh)) {
        // A port the user typed (a pseudo-terminal) stays selectable.
        port_->addItem(current);
        index = port_->count() - 1;
    }
    if (index < 0)
        index = port_->count() > 1 ? 1 : 0;
    port_->setCurrentIndex(index);
}

void UpdateWindow::showEvent(QShowEvent* event) {
    refreshPorts();
    QDialog::showEvent(event);
    fitPathsAndHint();
}

void UpdateWindow::fitPathsAndHint() {
    layout()->activate();
    const QFontMetrics fm = folder_->fontMetrics();
    // A field shows its text with a few pixels of frame and margin on each side.
    int extra = 0;
    for (QLineEdit* field : {folder_, map_})
        extra = std::max(extra, fm.horizontalAdvance(field->text()) + 12 - field->width());
    extra =
        std::max(extra, hint_->fontMetrics().horizontalAdvance(hint_->text()) + 2 - hint_->width());
    if (extra <= 0)
        return;
    int wanted = width() + extra;
    if (const QScreen* s = screen())
        wanted =
            std::min(wanted, s->availableGeometry().width() - (frameGeometry().width() - width()));
    if (wanted > width())
        resize(wanted, height());
}

UpdateRequest UpdateWindow::request() const {
    UpdateRequest r;
    const QString port = port_->currentText();
    r.port = port == QLatin1String(kRefresh) ? std::string() : port.toStdString();
    r.baud = baud_->currentText().toUInt();
    r.address = static_cast<std::uint8_t>(address_->currentText().toInt());
    r.selection.folder = folder_->text().toStdString();
    r.selection.images = images_->isChecked();
    r.selection.touch = touch_->isChecked();
    r.selection.fonts = fonts_->isChecked();
    r.selection.keyboard = keyboard_->isChecked();
    r.selection.modbus = modbus_->isChecked();
    r.selection.mapFile = map_->text().toStdString();
    return r;
}

void UpdateWindow::startWorker(std::function<void(IUpdateLog&)> job) {
    if (running_.exchange(true))
        return; // a second start while one runs is ignored
    if (worker_.joinable())
        worker_.join();
    saveSettings();
    cancel_ = false;
    for (QPushButton* b : {updateButton_, stopButton_, resumeButton_})
        b->setEnabled(false);
    worker_ = std::thread([this, job = std::move(job)] {
        WindowLog log(this);
        job(log);
        emit workerFinished();
    });
}

void UpdateWindow::startUpdate() {
    const UpdateRequest r = request();
    startWorker([this, r](IUpdateLog& log) {
        if (r.port.empty()) {
            log.clear();
            log.append(kLogPortError);
            return;
        }
        runSerialUpdate(r, log, &cancel_);
    });
}

void UpdateWindow::stopMaster() {
    const UpdateRequest r = request();
    startWorker([r](IUpdateLog& log) { runMasterCommand(r.port, r.baud, true, log); });
}

void UpdateWindow::resumeMaster() {
    const UpdateRequest r = request();
    startWorker([r](IUpdateLog& log) { runMasterCommand(r.port, r.baud, false, log); });
}

void UpdateWindow::loadSettings() {
    QSettings s; // organisation and program set in main()
    s.beginGroup(QStringLiteral("Settings"));
    folder_->setText(s.value(QStringLiteral("ResourcePath")).toString());
    map_->setText(s.value(QStringLiteral("ModbusMapPath")).toString());
    savedPort_ = s.value(QStringLiteral("ModbusPort")).toString();
    const QString baud =
        s.value(QStringLiteral("ModbusBaudRate"), QStringLiteral("19200")).toString();
    if (baud_->findText(baud) >= 0)
        baud_->setCurrentText(baud);
    const QString address =
        s.value(QStringLiteral("ModbusDeviceAddress"), QStringLiteral("201")).toString();
    if (address_->findText(address) >= 0)
        address_->setCurrentText(address);
}

void UpdateWindow::saveSettings() const {
    QSettings s; // organisation and program set in main()
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("ResourcePath"), folder_->text());
    s.setValue(QStringLiteral("ModbusMapPath"), map_->text());
    s.setValue(QStringLiteral("ModbusPort"), port_->currentText());
    s.setValue(QStringLiteral("ModbusBaudRate"), baud_->currentText());
    s.setValue(QStringLiteral("ModbusDeviceAddress"), address_->currentText());
}

} // namespace tessary

namespace tessary {

void UpdateWindow::appendLine(const QString& line) {
    log_->addItem(line);
    log_->scrollToBottom();
}

void UpdateWindow::replaceLastLine(const QString& line) {
    if (log_->count() == 0)
        log_->addItem(line);
    else
        log_->item(log_->count() - 1)->setText(line);
}

} // namespace tessary
