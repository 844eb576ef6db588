// COrvaneApp: what `orvane` does with its command line: print help or the
// version, build a project in batch, or show the splash and the main window
// on the project named there (else on the most recent one).
#pragma once

#include <QString>

namespace tft::ide {

class CMainFrame;

// Opens the project of the command line; when there is none or it does not
// open, the most recent project instead.
void openAtStart(CMainFrame& frame, const QString& project);

int runOrvane(int argc, char** argv);

} // namespace tft::ide
