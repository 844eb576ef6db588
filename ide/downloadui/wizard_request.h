// The download wizard's job: the boxes the user checked, the files of the
// resource folder, the system fonts and keyboard generated when the folder
// lacks them.
#pragma once

#include "download_request.h"

#include <QString>
#include <QStringList>

namespace tft::ide {

struct WizardChoice {
    bool images = false, fonts = false, keyboard = false, screens = false, modbus = false;
    QString resourceFolder;
    QString modbusFile; // the chosen .mbm
};

// What the wizard needs of the open project.
struct WizardProject {
    QString appDir;             // fonts, keyboard art and the model catalogue
    std::uint32_t fontMask = 0; // the system fonts of the project's model
    QString outputFolder;       // the default resource folder
    QString projectFile;        // the Modbus check; empty when no project is open
    bool chinese = true;        // language of the Modbus check's texts
};

struct WizardOutcome {
    DownloadRequest request; // bits 0: nothing to submit
    QStringList lines;       // what generating the packs reported
    QString error;           // set: nothing is submitted
};

// The job of the checked boxes (bits | kWizardJobMark, force set). Font and
// keyboard files missing from the folder are generated beside the picture
// index, or in <tempFolder>/orvane_res when there is none; files already in
// the folder are never replaced. The map goes only when its file exists.
WizardOutcome buildWizardRequest(const WizardChoice& choice, const WizardProject& project,
                                 const QString& tempFolder);

} // namespace tft::ide
