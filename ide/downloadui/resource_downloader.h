// CResouceDownloader: the production wizard. The user picks which resources
// go (pictures, fonts, system keyboard, screens, Modbus map) from which
// folder, then downloads them to the panel or packs them for an SD card.
// Modeless; the main window keeps one and shows it centred on itself.
#pragma once

#include "download_request.h"
#include "map_check.h"
#include "wizard_request.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tft::ide {

class CResouceDownloader : public QDialog {
    Q_OBJECT
public:
    enum Box { Images, Fonts, Keyboard, Screens, Modbus, BoxCount };

    // `project` is asked each time the wizard is shown or used, so it follows
    // the project the main window has open.
    CResouceDownloader(DownloadPort port, std::function<WizardProject()> project,
                       QWidget* parent = nullptr);

    // Shows the wizard centred on its parent and brings it to the front; the
    // folder follows the project's output folder unless the user changed it.
    void present();

    // "开始下载": the job of the checked boxes, after the map check. True
    // when the job was submitted.
    bool startDownload();
    // "生成SD卡资源包": the packet folder written, or empty.
    QString makeSdPacket();
    // A map was chosen: shows it and its check.
    void setMapFile(const QString& file);

    WizardChoice choice() const;
    QCheckBox* box(Box which) const { return boxes_[which]; }
    QLineEdit* folderEdit() const { return folder_; }
    QLineEdit* mapEdit() const { return map_; }
    QListWidget* problemList() const { return problems_; }
    QLabel* problemSummary() const { return summary_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* sdButton() const { return sd_; }

    // What the wizard asks of the user and the desktop; tests replace them.
    std::function<QString()> askSdDestination;
    std::function<QString()> askMapFile;
    std::function<QString()> askResourceFolder;
    std::function<bool(const QString& question)> confirm;
    std::function<void(const QString& message)> showMessage;
    std::function<void(const QString& folder)> openFolder;

private:
    // Runs the map check when the map goes; false when the user declined to
    // go on with errors.
    bool mapAccepted();
    void showCheck(const MapCheck& check);
    void message(const QString& text);

    DownloadPort port_;
    std::function<WizardProject()> project_;
    QString defaultFolder_;
    QString checkedMap_; // the map last shown with its check
    QCheckBox* boxes_[BoxCount] = {};
    QLineEdit* folder_;
    QLineEdit* map_;
    QLabel* summary_;
    QListWidget* problems_;
    QPushButton* start_;
    QPushButton* sd_;
};

} // namespace tft::ide
