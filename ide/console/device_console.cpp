#include "device_console.h"

#include "common/serial_ports.h"
#include "debug_pages.h"
#include "string_table.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>

namespace tft::ide {

namespace {
const QString kPortIndexKey = QStringLiteral("Settings/ComPortIndex");
const QString kRateIndexKey = QStringLiteral("Settings/BandRateIndex");
// The port by its name as well: a position in the list moves when devices
// come and go, and a typed path is not in the list at all.
const QString kPortNameKey = QStringLiteral("Settings/ComPortName");
const QString kDetectKey = QStringLiteral("Settings/DetectInterval");
} // namespace

DeviceConsole::DeviceConsole(QMainWindow* frame, QToolBar* bar, QDockWidget* pane, QSettings* store,
                             const QString& appDir, std::function<void(const QString&)> showMessage)
    : QObject(frame), frame_(frame), store_(store), appDir_(appDir),
      showMessage_(std::move(showMessage)),
      log_([dir = appDir.toStdString()]() -> const InstructDictionary& {
          return InstructDictionary::shared(dir);
      }),
      pane_(pane) {
    listPorts = [] { return listSerialPorts(); };
    link_.setLog(&log_);
    LinkTexts texts;
    texts.firmware = ideText(sid::LinkFirmware).toStdString();
    texts.unknown = ideText(sid::LinkUnknownFrame).toStdString();
    texts.imageIndex = ideText(sid::LinkImageIndex).toStdString();
    texts.overlong = ideText(sid::LinkOverlong).toStdString();
    texts.noDevice = ideText(sid::LinkNoDevice);
    link_.setTexts(texts);
    const int detect = store_ ? store_->value(kDetectKey, 0).toInt() : 0;
    if (detect > 0)
        link_.setDetectInterval(detect);

    list_ = new CInstructListCtrl(log_, pane);
    list_->showMessage = showMessage_;
    if (pane)
        pane->setWidget(list_);

    ports_ = new QComboBox(bar);
    ports_->setObjectName(QStringLiteral("PortCombo33001"));
    ports_->setEditable(true); // a typed path, such as the simulator's virtual port
    ports_->setInsertPolicy(QComboBox::NoInsert);
    ports_->setMinimumContentsLength(24);
    ports_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    bauds_ = new QComboBox(bar);
    bauds_->setObjectName(QStringLiteral("BaudCombo33005"));
    for (std::uint32_t rate : CSerialPort::kBaudRates)
        bauds_->addItem(QString::number(rate));
    int rate = store_ ? store_->value(kRateIndexKey, 3).toInt() : 3;
    if (rate < 0 || rate >= DeviceLink::kRateCount)
        rate = 3;
    bauds_->setCurrentIndex(rate);
    link_.setRateIndex(rate);
    connect_ = new QAction(this);
    connect_->setObjectName(QStringLiteral("Command33004"));
    connect_->setCheckable(true);
    if (bar) {
        bar->addSeparator();
        bar->addWidget(ports_);
        bar->addWidget(bauds_);
        bar->addAction(connect_);
    }
    status_ = new QLabel(frame);
    status_->setObjectName(QStringLiteral("Status102"));
    if (frame)
        frame->statusBar()->addPermanentWidget(status_);

    connect(ports_, qOverload<int>(&QComboBox::activated), this, &DeviceConsole::onPortActivated);
    connect(ports_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (!link_.isOpen())
            toggleConnection();
    });
    connect(bauds_, qOverload<int>(&QComboBox::activated), this, &DeviceConsole::onBaudActivated);
    connect(connect_, &QAction::triggered, this, [this] { toggleConnection(); });
    connect(&link_, &DeviceLink::statusChanged, this, &DeviceConsole::refreshStatus);
    connect(&link_, &DeviceLink::rateIndexChanged, bauds_, &QComboBox::setCurrentIndex);
    connect(&link_, &DeviceLink::detectionFailed, this, [this] {
        if (pane_) {
            pane_->show();
            pane_->raise();
        }
        list_->redraw();
    });
    connect(&link_, &DeviceLink::linkLost, this, [this](const QString& reason) {
        log_.appendNote(ideText(sid::LinkLost).arg(reason).toStdString());
        if (showMessage_)
            showMessage_(ideText(sid::LinkLost).arg(reason));
    });
    retranslate();
    enumeratePorts();
    const int saved = store_ ? store_->value(kPortIndexKey, 1).toInt() : 1;
    const QString name = store_ ? store_->value(kPortNameKey).toString() : QString();
    const int named = name.isEmpty() ? -1 : ports_->findText(name);
    if (named > 0)
        ports_->setCurrentIndex(named);
    else if (name.startsWith(QLatin1Char('/')))
        ports_->setEditText(name);
    else if (saved > 0 && saved < ports_->count())
        ports_->setCurrentIndex(saved);
    refreshStatus();
}

DeviceConsole::~DeviceConsole() {
    delete assistant_.data();
    link_.setLog(nullptr);
}

void DeviceConsole::retranslate() {
    ports_->setToolTip(ideText(sid::PortCombo));
    bauds_->setToolTip(ideText(sid::BaudCombo));
    connect_->setText(ideText(link_.isOpen() ? sid::LinkDisconnect : sid::LinkConnect));
}

void DeviceConsole::enumeratePorts() {
    const QString typed = ports_->currentIndex() > 0 ? ports_->currentText() : QString();
    ports_->clear();
    ports_->addItem(ideText(sid::PortRefresh));
    for (const std::string& p : listPorts ? listPorts() : std::vector<std::string>{})
        ports_->addItem(QString::fromStdString(p));
    const int again = typed.isEmpty() ? -1 : ports_->findText(typed);
    ports_->setCurrentIndex(again > 0 ? again : (ports_->count() > 1 ? 1 : 0));
}

void DeviceConsole::onPortActivated(int index) {
    if (link_.isOpen()) {
        link_.disconnectLink();
        retranslate();
    }
    if (index == 0) {
        enumeratePorts();
        return;
    }
    toggleConnection();
}

void DeviceConsole::onBaudActivated(int index) {
    std::string error;
    if (!link_.setRateIndex(index, &error) && showMessage_)
        showMessage_(QString::fromStdString(error));
}

void DeviceConsole::toggleConnection() {
    if (link_.isOpen()) {
        link_.disconnectLink();
    } else {
        const QString name = ports_->currentText().trimmed();
        if (name.isEmpty() || name == ideText(sid::PortRefresh)) {
            if (showMessage_)
                showMessage_(ideText(sid::ChoosePort));
        } else {
            int rate = bauds_->currentIndex();
            if (rate < 0) {
                rate = 3;
                bauds_->setCurrentIndex(rate);
            }
            std::string error;
            if (!link_.connectTo(name.toStdString(), rate, &error)) {
                if (showMessage_)
                    showMessage_(ideText(sid::SerialOpenFailed) + QLatin1Char('\n') +
                                 QString::fromStdString(error));
            }
        }
    }
    connect_->setChecked(link_.isOpen());
    retranslate();
    refreshStatus();
}

QString DeviceConsole::statusText() const {
    const LinkStatusTexts texts{ideText(sid::LinkConnected), ideText(sid::LinkDisconnected),
                                ideText(sid::LinkFirmware), ideText(sid::LinkSoftware)};
    return linkStatusText(link_.isConnected(), link_.firmware(), texts,
                          QCoreApplication::applicationVersion());
}

void DeviceConsole::refreshStatus() {
    const QString text = statusText();
    connect_->setChecked(link_.isOpen());
    retranslate();
    if (status_->text() == text)
        return;
    status_->setText(text);
    if (frame_)
        QApplication::alert(frame_, 500);
}

CDebugAssistantSheet* DeviceConsole::assistant() {
    if (!assistant_) {
        ConsoleHooks hooks;
        hooks.send = [this](const Frame& f) {
            if (!link_.isOpen()) {
                if (showMessage_)
                    showMessage_(ideText(sid::ConsoleNotConnected));
                return false;
            }
            return link_.send(f);
        };
        hooks.showMessage = showMessage_;
        assistant_ = new CDebugAssistantSheet(customListFile(), hooks, frame_);
        connect(assistant_.data(), &QDialog::finished, assistant_.data(),
                [sheet = assistant_.data()] { sheet->customPage()->saveList(); });
    }
    return assistant_;
}

void DeviceConsole::showAssistant() {
    if (pane_) {
        pane_->show();
        pane_->raise();
    }
    CDebugAssistantSheet* sheet = assistant();
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

void DeviceConsole::writeSettings() {
    if (!store_)
        return;
    store_->setValue(kPortIndexKey, ports_->currentIndex() > 0 ? ports_->currentIndex() : 1);
    const QString name = ports_->currentText();
    if (!name.isEmpty() && name != ports_->itemText(0))
        store_->setValue(kPortNameKey, name);
    // The rate the user last chose is the one offered next time.
    store_->setValue(kRateIndexKey, bauds_->currentIndex() >= 0 ? bauds_->currentIndex() : 3);
}

QString DeviceConsole::customListFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return folder + QStringLiteral("/Instruct.ini");
}

} // namespace tft::ide
