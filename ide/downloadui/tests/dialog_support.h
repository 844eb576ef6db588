// A stand-in for the main window's side of DownloadPort that keeps what the
// dialogs hand it, and showing a dialog as the active window.
#pragma once

#include "download_request.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace dluitest {

struct RecordingPort {
    std::vector<tft::ide::DownloadRequest> submitted;
    bool busy = false;
    bool refuse = false;
    QStringList output;
    int instructions = 0;

    tft::ide::DownloadPort port() {
        tft::ide::DownloadPort p;
        p.submit = [this](const tft::ide::DownloadRequest& r) {
            if (refuse)
                return false;
            submitted.push_back(r);
            return true;
        };
        p.busy = [this] { return busy; };
        p.output = [this](const QString& line) { output << line; };
        p.showInstructions = [this] { ++instructions; };
        return p;
    }
};

// Shows `w` and waits until it is the active window.
inline bool activate(QWidget& w) {
    w.show();
    w.raise();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w) && QApplication::activeWindow() == &w;
}

// With DLUI_SCREENSHOTS set (a folder), the dialog is saved there as NAME.png
// so its look can be checked by eye.
inline void screenshot(QWidget& w, const char* name) {
    const QByteArray folder = qgetenv("DLUI_SCREENSHOTS");
    if (!folder.isEmpty())
        w.grab().save(QDir(QString::fromLocal8Bit(folder))
                          .filePath(QLatin1String(name) + QStringLiteral(".png")));
}

} // namespace dluitest
