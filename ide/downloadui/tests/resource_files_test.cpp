// The files of a resource folder by their extensions, whatever their case,
// the same file on every machine when two match.
#include "resource_files.h"
#include "testing/test_support.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tft::ide;
using testsupport::TempFolder;

namespace {

std::string at(const TempFolder& dir, const std::string& name) {
    return QDir::toNativeSeparators(QString::fromStdString((dir.path() / name).string()))
        .toStdString();
}

} // namespace

TEST(ResourceFiles, EachKindByItsExtensionInAnyCase) {
    TempFolder dir;
    for (const char* name : {"p.GRAIDX", "p.Gwb", "p.pwi", "p.PWAV", "p.si", "p.fbin", "p.FIDX",
                             "p.sbin", "p.tftres", "p.c", "readme.txt", "p.mbm"})
        dir.write(name, "x");
    dir.write("sub/q.si", "x"); // subfolders are not looked into
    const DownloadFiles f = collectResourceFiles(QString::fromStdString(dir.path().string()));
    EXPECT_EQ(f.imageIndex, at(dir, "p.GRAIDX"));
    EXPECT_EQ(f.imageData, at(dir, "p.Gwb"));
    EXPECT_EQ(f.voiceIndex, at(dir, "p.pwi"));
    EXPECT_EQ(f.voiceData, at(dir, "p.PWAV"));
    EXPECT_EQ(f.screens, at(dir, "p.si"));
    EXPECT_EQ(f.fontData, at(dir, "p.fbin"));
    EXPECT_EQ(f.fontIndex, at(dir, "p.FIDX"));
    EXPECT_EQ(f.keyboard, at(dir, "p.sbin"));
    EXPECT_TRUE(f.modbus.empty()); // a map is chosen, not found
}

TEST(ResourceFiles, TheFirstInNameOrderWinsWhenTwoMatch) {
    TempFolder dir;
    // Written in an order that is not the name order.
    for (const char* name : {"b.gwb", "c.gra", "a.gra", "z.si", "m.si", "y.sbin", "x.SBIN"})
        dir.write(name, "x");
    const DownloadFiles f = collectResourceFiles(QString::fromStdString(dir.path().string()));
    EXPECT_EQ(f.imageData, at(dir, "a.gra"));
    EXPECT_EQ(f.screens, at(dir, "m.si"));
    EXPECT_EQ(f.keyboard, at(dir, "x.SBIN"));
}

TEST(ResourceFiles, AnEmptyOrMissingFolderHasNothing) {
    TempFolder dir;
    dir.write("folder.si/inner.txt", "x"); // a folder named like a file is no file
    const DownloadFiles f = collectResourceFiles(QString::fromStdString(dir.path().string()));
    EXPECT_TRUE(f.screens.empty());
    const DownloadFiles none =
        collectResourceFiles(QString::fromStdString((dir.path() / "missing").string()));
    EXPECT_TRUE(none.imageIndex.empty() && none.screens.empty() && none.fontData.empty());
    EXPECT_TRUE(collectResourceFiles(QString()).screens.empty());
}
