#include "sys_config_dialog.h"

#include "common/serial_port.h"
#include "common/serial_ports.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace tft {

const QString CSysConfigDlg::kVirtualPort = QStringLiteral("虚拟串口 (pseudo-terminal)");

CSysConfigDlg::CSysConfigDlg(const QString& port, int baud, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("串口设置"));
    ports_ = new QComboBox(this);
    ports_->setEditable(true); // a pseudo-terminal or other device can be typed in
    rates_ = new QComboBox(this);
    for (std::uint32_t rate : CSerialPort::kBaudRates)
        rates_->addItem(QString::number(rate), int(rate));
    if (baud > 0 && rates_->findData(baud) < 0)
        rates_->addItem(QString::number(baud), baud); // a rate the host chose off the list
    const int rateIndex = rates_->findData(baud);
    rates_->setCurrentIndex(rateIndex >= 0 ? rateIndex : 3);
    refreshPorts();
    if (!port.isEmpty())
        ports_->setCurrentText(port);

    auto* refresh = new QPushButton(QStringLiteral("刷新"), this);
    connect(refresh, &QPushButton::clicked, this, &CSysConfigDlg::refreshPorts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("串口"), ports_);
    form->addRow(QString(), refresh);
    form->addRow(QStringLiteral("波特率"), rates_);
    form->addRow(buttons);
}

void CSysConfigDlg::refreshPorts() {
    const QString chosen = ports_->currentText();
    ports_->clear();
    ports_->addItem(kVirtualPort);
    for (const std::string& p : listSerialPorts())
        ports_->addItem(QString::fromStdString(p));
    ports_->setCurrentText(chosen.isEmpty() ? kVirtualPort : chosen);
}

QString CSysConfigDlg::port() const {
    return ports_->currentText();
}
int CSysConfigDlg::baud() const {
    return rates_->currentData().toInt();
}

} // namespace tft
