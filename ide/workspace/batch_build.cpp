#include "batch_build.h"

#include "common/paths.h"
#include "compiler/device_catalogue.h"
#include "fonttools/font_pack.h"
#include "fonttools/keyboard_pack.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <pugixml.hpp>
#include <system_error>

namespace tft {

namespace {

struct ProjectFacts {
    std::string name;
    std::string outputDirectory = "output\\";
    int deviceType = 0;
};

bool readProject(const std::filesystem::path& file, ProjectFacts& facts, std::string& error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_file(file.c_str());
    if (!r) {
        error = file.string() + ": " + r.description();
        return false;
    }
    const pugi::xml_node root = doc.document_element();
    facts.name = root.attribute("Name").as_string();
    if (root.attribute("OutputDirectory"))
        facts.outputDirectory = root.attribute("OutputDirectory").as_string();
    facts.deviceType = root.attribute("DeviceType").as_int();
    return true;
}

// Runs velmic with the IDE's command line, printing its lines as they come.
int runCompiler(const BatchBuild& build) {
    QProcess velmic;
    velmic.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = QString::fromStdString((build.appDir / "velmic").string());
    velmic.start(program, {QStringLiteral("-p"), QString::fromStdString(build.project.string()),
                           QStringLiteral("-l"), QString::number(build.language)});
    if (!velmic.waitForStarted()) {
        build.print("创建编译进程失败！");
        return -1;
    }
    QByteArray pending;
    auto flush = [&](bool all) {
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            build.print(QString::fromUtf8(pending.left(end)).remove('\r').toStdString());
            pending.remove(0, end + 1);
        }
        if (all && !pending.isEmpty()) {
            build.print(QString::fromUtf8(pending).toStdString());
            pending.clear();
        }
    };
    while (velmic.state() != QProcess::NotRunning) {
        velmic.waitForReadyRead(100);
        pending += velmic.readAll();
        flush(false);
    }
    pending += velmic.readAll();
    flush(true);
    return velmic.exitStatus() == QProcess::NormalExit ? velmic.exitCode() : -1;
}

// Copies the host driver sources, never replacing a file the user has there.
bool copyDriver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_directory(from, ec))
        return true;
    for (const auto& entry : std::filesystem::directory_iterator(from, ec)) {
        if (!entry.is_regular_file())
            continue;
        const auto target = to / entry.path().filename();
        if (std::filesystem::exists(target, ec))
            continue;
        if (!std::filesystem::copy_file(entry.path(), target, ec)) {
            error = "cannot copy " + entry.path().filename().string() + ": " + ec.message();
            return false;
        }
    }
    if (ec) {
        error = from.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

int runBatchBuild(const BatchBuild& build) {
    const int compiled = runCompiler(build);
    if (compiled != 0) {
        build.print("编译失败，未生成系统字库和系统键盘。");
        return compiled > 0 ? compiled : 1;
    }
    ProjectFacts facts;
    std::string error;
    if (!readProject(build.project, facts, error)) {
        build.print(error);
        return 1;
    }
    // velmic has already refused an output folder outside the project.
    const auto output = joinProjectPath(build.project.parent_path(), facts.outputDirectory);
    const DeviceCatalogue catalogue = DeviceCatalogue::load(build.appDir / "DeviceInfo.xml");
    const DeviceProp* device = catalogue.findByType(facts.deviceType);
    if (!device) {
        build.print("工程的设备类型不存在...");
        return 1;
    }
    const auto base = output / facts.name;
    bool ok = true;
    switch (fonttools::writeFontPack(build.appDir / "font",
                                     static_cast<std::uint32_t>(device->SystemFontMask),
                                     base.string() + ".fidx", base.string() + ".fbin", error)) {
    case fonttools::PackStatus::Written:
        build.print("生成系统字库 " + facts.name + ".fidx, " + facts.name + ".fbin");
        break;
    case fonttools::PackStatus::Skipped:
        build.print("没有系统字库列表，跳过系统字库。");
        break;
    case fonttools::PackStatus::Failed:
        build.print("生成系统字库失败：" + error);
        ok = false;
        break;
    }
    if (fonttools::writeKeyboardPack(build.appDir, build.appDir / "DeviceInfo.xml",
                                     base.string() + ".sbin", error)) {
        build.print("生成系统键盘 " + facts.name + ".sbin");
    } else {
        build.print("生成系统键盘失败：" + error);
        ok = false;
    }
    if (copyDriver(build.appDir / "hmi_driver", output, error)) {
        build.print("复制驱动文件到 " + output.string());
    } else {
        build.print("复制驱动文件失败：" + error);
        ok = false;
    }
    return ok ? 0 : 1;
}

} // namespace tft
