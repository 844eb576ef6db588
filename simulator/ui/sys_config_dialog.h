// CSysConfigDlg: chooses the serial line of the simulated panel: a port of
// this machine, or a virtual port (a pseudo-terminal a host program opens).
#pragma once

#include <QComboBox>
#include <QDialog>

namespace tft {

class CSysConfigDlg : public QDialog {
    Q_OBJECT
public:
    static const QString kVirtualPort;

    CSysConfigDlg(const QString& port, int baud, QWidget* parent = nullptr);

    QString port() const;
    int baud() const;
    // Lists the ports again (sorted), keeping the choice where it still exists.
    void refreshPorts();
    QComboBox* portCombo() const { return ports_; }
    QComboBox* baudCombo() const { return rates_; }

private:
    QComboBox* ports_;
    QComboBox* rates_;
};

} // namespace tft
