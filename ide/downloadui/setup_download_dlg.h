// CSetupDownloadDlg: which link a download may take, stored as the
// "DownloadOptions" setting when the dialog closes with OK.
#pragma once

#include <QDialog>

class QButtonGroup;
class QSettings;

namespace tft::ide {

enum DownloadOption : int {
    kDownloadAuto = 0,       // USB when a USB panel is there, else the serial port
    kDownloadSerialOnly = 1, // the serial port only
};

// Whether a download may look for a USB panel under `options` (the stored
// value; only its low 16 bits count, an unknown choice counts as automatic).
bool usbAllowed(int options);

class CSetupDownloadDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the choice stored in `store` (section "Settings").
    explicit CSetupDownloadDlg(QSettings* store, QWidget* parent = nullptr);

    int choice() const;
    QButtonGroup* group() const { return group_; }

    // Stores the choice, then closes.
    void accept() override;

signals:
    // The value now stored: the main window keeps its own copy in step, as it
    // writes every setting again when the IDE ends.
    void optionsStored(int options);

private:
    QSettings* store_;
    QButtonGroup* group_;
};

} // namespace tft::ide
