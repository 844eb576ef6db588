// CNewProjectDlg: project name, folder and panel model, with the model's data
// as aligned label and value lines. OK refuses a folder that already exists.
#pragma once

#include "compiler/device_catalogue.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tft::ide {

// The aligned detail lines of a model ("%-35s" label, then the value).
QStringList deviceDetailLines(const CDeviceInfoProp& device);

class CNewProjectDlg : public QDialog {
public:
    CNewProjectDlg(const DeviceCatalogue& catalogue, const QString& folder,
                   QWidget* parent = nullptr);

    QString projectName() const;
    QString folder() const;
    // The chosen model, or null.
    const CDeviceInfoProp* device() const;

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* folderEdit() const { return folder_; }
    QListWidget* deviceList() const { return devices_; }
    QComboBox* seriesBox() const { return series_; }
    QPlainTextEdit* details() const { return details_; }
    // Set when OK was refused (string 500), for tests and the status bar.
    QString refusal() const { return refusal_; }

    void accept() override;

private:
    void fillDevices();
    void showDetails();

    const DeviceCatalogue& catalogue_;
    QLineEdit* name_;
    QLineEdit* folder_;
    QComboBox* series_;
    QListWidget* devices_;
    QPlainTextEdit* details_;
    QString refusal_;
};

} // namespace tft::ide
