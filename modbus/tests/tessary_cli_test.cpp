// tessary's batch mode through its real command line, against the simulated
// panel on a pseudo-terminal.
#include "modbus/map_model.h"
#include "modbus/update_protocol.h"
#include "panel_peer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

using namespace tessary;
using tessary::testpeer::Fault;
using tessary::testpeer::PanelPeer;

namespace {

struct Outcome {
    int exitCode = -1;
    QStringList out;
    QString err;
};

// `withoutDisplay` runs it as on a console: no X or Wayland display, no
// platform chosen.
Outcome runTessary(const QStringList& args, bool withoutDisplay = false) {
    QProcess p;
    if (withoutDisplay) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        p.setProcessEnvironment(env);
    }
    p.setProgram(QStringLiteral(TFT_APP_DIR "/tessary"));
    p.setArguments(args);
    p.start();
    Outcome r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString writeFile(const QTemporaryDir& dir, const char* name, std::size_t size) {
    const QString path = dir.filePath(name);
    std::ofstream out(path.toStdString(), std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i));
    return path;
}

QString mapFile(const QTemporaryDir& dir) {
    CTessaryDoc doc;
    doc.addRow();
    std::string error;
    const QString path = dir.filePath("line.mbm");
    EXPECT_TRUE(doc.saveFile(path.toStdString(), &error)) << error;
    return path;
}

} // namespace

TEST(TessaryBatchTest, UpdatePrintsProgressAndExitsZero) {
    QTemporaryDir dir;
    PanelPeer peer(205);
    const QString map = mapFile(dir);
    const Outcome r = runTessary({"--update", "--port", QString::fromStdString(peer.portName()),
                                  "--baud", "115200", "--address", "205", "--map", map});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, (QStringList{"开始更新Modbus配置文件......", "已完成0%...", "已完成100%...",
                                  "操作成功."}));
    EXPECT_EQ(peer.slotsBegun(), (std::vector<int>{6}));
    EXPECT_EQ(peer.files().at(6).size(), 48u);
}

TEST(TessaryBatchTest, FolderWithoutContentFlagsSendsImagesAndTouch) {
    QTemporaryDir dir;
    writeFile(dir, "a.graidx", 3);
    writeFile(dir, "a.gwb", 300);
    writeFile(dir, "a.si", 4);
    writeFile(dir, "a.fidx", 4);
    PanelPeer peer;
    const Outcome r = runTessary(
        {"--update", "--port", QString::fromStdString(peer.portName()), "--folder", dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(peer.slotsBegun(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.out.count("操作成功."), 3);
    EXPECT_TRUE(r.out.contains("已完成42%..."));

    PanelPeer fontsOnly;
    const Outcome f =
        runTessary({"--update", "--port", QString::fromStdString(fontsOnly.portName()), "--folder",
                    dir.path(), "--fonts"});
    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    EXPECT_EQ(fontsOnly.slotsBegun(), (std::vector<int>{3}));
}

TEST(TessaryBatchTest, FailedExchangeExitsOne) {
    QTemporaryDir dir;
    PanelPeer peer;
    peer.injectFault(kFnBeginFile, Fault::BadCrc, 3);
    const Outcome r = runTessary(
        {"--update", "--port", QString::fromStdString(peer.portName()), "--map", mapFile(dir)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, (QStringList{"开始更新Modbus配置文件......", "操作失败!!!"}));
}

TEST(TessaryBatchTest, MissingPortIsReportedAndExitsOne) {
    QTemporaryDir dir;
    const Outcome r =
        runTessary({"--update", "--port", dir.filePath("ttyNone"), "--map", mapFile(dir)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, (QStringList{"操作异常，请检查串口是否存在，且没有被其它程序打开。"}));
}

TEST(TessaryBatchTest, NothingToSendExitsOne) {
    QTemporaryDir dir;
    PanelPeer peer;
    const Outcome r = runTessary(
        {"--update", "--port", QString::fromStdString(peer.portName()), "--folder", dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("没有可发送的文件")) << r.err.toStdString();
    EXPECT_TRUE(peer.frames().empty());
}

TEST(TessaryBatchTest, BadCommandLinesExitTwo) {
    QTemporaryDir dir;
    const QString map = mapFile(dir);
    const QList<QStringList> bad{
        {"--update", "--map", map},                              // no port
        {"--update", "--port", "/dev/null", "--address", "200"}, // address range
        {"--update", "--port", "/dev/null", "--address", "2x1"}, // not a number
        {"--update", "--port", "/dev/null", "--baud", "1000"},   // rate not offered
        {"--update", "--port", "/dev/null", "--map", dir.filePath("none.mbm")},
        {"--update", "--port", "/dev/null", "--images"}, // no folder
        {"--update", "--stop-master", "--port", "/dev/null"},
        {"--stop-master", "--port", "/dev/null", "--map", map},
        {"--update", "--port"},
        {"--update", "--port", "/dev/null", "--bogus"},
    };
    for (const QStringList& args : bad) {
        const Outcome r = runTessary(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("usage:")) << args.join(' ').toStdString();
    }
}

TEST(TessaryBatchTest, StopAndResumeMaster) {
    PanelPeer peer;
    const QString port = QString::fromStdString(peer.portName());
    Outcome r = runTessary({"--stop-master", "--port", port, "--baud", "9600"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringList{"停止主控器：成功"});
    r = runTessary({"--resume-master", "--port", port});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringList{"恢复主控器：成功"});
    peer.injectFault(kFnStopMaster, Fault::Drop, 9);
    r = runTessary({"--stop-master", "--port", port});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringList{"停止主控器：失败"});
    EXPECT_EQ(peer.frames(kFnStopMaster).size(), 10u);
}

TEST(TessaryBatchTest, HelpPrintsUsageAndExitsWithoutADisplay) {
    for (const char* flag : {"--help", "-h"}) {
        const Outcome r = runTessary({QString::fromLatin1(flag)}, true);
        EXPECT_EQ(r.exitCode, 0) << flag << ": " << r.err.toStdString();
        ASSERT_FALSE(r.out.isEmpty()) << flag;
        EXPECT_TRUE(r.out[0].startsWith("Usage: tessary")) << r.out[0].toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    // An option the window does not know is a usage error, not a file name.
    const Outcome bad = runTessary({"--bogus"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("unknown argument: --bogus")) << bad.err.toStdString();
}
