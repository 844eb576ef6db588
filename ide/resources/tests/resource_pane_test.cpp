// The resource pane from resource lists: rows, size texts and shares, the
// capacity bar, missing and malformed files, and the showcase after a real
// velmic build.
#include "command_lines.h"
#include "resource_pane.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <QProgressBar>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

void ensureApp() {
    testsupport::ensureWidgetsApp();
    currentStrings().load(languageFile(TFT_APP_DIR, kLanguageEnglish));
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

QStringList row(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int c = 0; c < 6; ++c)
        texts << item->text(c);
    return texts;
}

const char* kList = R"(<?xml version="1.0"?>
<Resource>
  <pages><page name="main" id="0"/><page name="setup" id="1"/></pages>
  <images>
    <image id="0" url="art\big.png" width="1024" height="512" crop="0" effect_left="0" effect_top="0" effect_width="1024" effect_height="512" size="1048576"/>
    <image id="1" url="art\one.png" width="300" height="280" crop="1" effect_left="0" effect_top="0" effect_width="299" effect_height="280" size="167773"/>
  </images>
  <waves>
    <wave id="0" url="a.wav" channels="1" samplebits="16" samplerate="32000" size="1023" offset="12845056"/>
    <wave id="1" url="b.wav" channels="2" samplebits="8" samplerate="32000" size="1024" offset="12846079"/>
  </waves>
</Resource>)";

class Pane : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    testsupport::TempFolder dir;
};

} // namespace

TEST_F(Pane, RowsCarryNumbersPathsSizesSharesAndDetails) {
    dir.write("p.tftres", kList);
    CResourcePane pane;
    EXPECT_TRUE(pane.load(q(dir.path() / "p.tftres"), 16).isEmpty());
    QTreeWidget* table = pane.table();
    EXPECT_EQ(table->headerItem()->text(4), "Utilisation(%)");
    ASSERT_EQ(table->topLevelItemCount(), 3);
    const QTreeWidgetItem* pages = table->topLevelItem(0);
    const QTreeWidgetItem* images = table->topLevelItem(1);
    const QTreeWidgetItem* waves = table->topLevelItem(2);
    EXPECT_EQ(pages->text(0), "Pages");
    EXPECT_EQ(pages->childCount(), 2);
    EXPECT_EQ(row(pages->child(1)), (QStringList{"page", "1", "setup", "0 bytes", "0.000", ""}));
    EXPECT_EQ(row(images), (QStringList{"Pictures", "2", "", "1.1600 MB", "7.250", ""}));
    EXPECT_EQ(row(images->child(0)),
              (QStringList{"image", "0", "art\\big.png", "1.0000 MB", "6.250",
                           "width:1024 (1024); height:512 (512);"}));
    EXPECT_EQ(row(images->child(1)), (QStringList{"image", "1", "art\\one.png", "163.84 KB",
                                                  "1.000", "width:299 (300); height:280 (280);"}));
    // Within the group: its share of the group's total.
    EXPECT_EQ(images->child(0)->toolTip(4), "86.207% of its group");
    EXPECT_EQ(waves->text(0), "Wave");
    EXPECT_EQ(row(waves->child(0)),
              (QStringList{"wave", "0", "a.wav", "1023 bytes", "0.006",
                           "channels:1; samplebits:16 bits; samplerate:32000 HZ;"}));
    EXPECT_EQ(waves->child(1)->text(3), "1.00 KB");
    EXPECT_EQ(waves->text(3), "2.00 KB");
}

TEST_F(Pane, TheCapacityBarCountsTheUsedAreaAgainstTheModel) {
    dir.write("p.tftres", kList);
    CResourcePane pane;
    // Pictures end at 1,216,349 bytes; the second sound ends 2,047 bytes
    // after the 128 KiB boundary that follows them.
    pane.load(q(dir.path() / "p.tftres"), 16);
    EXPECT_EQ(pane.list().usedBytes(), 0x140000 + 1023 + 1024);
    EXPECT_EQ(pane.level(), CResourcePane::Level::Normal);
    EXPECT_EQ(pane.capacityBar()->format(), "1.25 / 16 MB (7.8%)");
    pane.load(q(dir.path() / "p.tftres"), 1);
    EXPECT_EQ(pane.level(), CResourcePane::Level::Over);
    EXPECT_EQ(pane.capacityBar()->value(), 1000);
    dir.write("warn.tftres",
              "<Resource><images><image id=\"0\" size=\"1700000\"/></images></Resource>");
    pane.load(q(dir.path() / "warn.tftres"), 2);
    EXPECT_EQ(pane.level(), CResourcePane::Level::Warning);
    pane.load(q(dir.path() / "warn.tftres"), 0);
    EXPECT_EQ(pane.capacityBar()->format(),
              "Resource area size unknown (the project's device model does not exist)");
}

TEST_F(Pane, AMissingListEmptiesQuietlyAMalformedOneSaysSo) {
    dir.write("p.tftres", kList);
    CResourcePane pane;
    pane.load(q(dir.path() / "p.tftres"), 16);
    ASSERT_EQ(pane.table()->topLevelItemCount(), 3);
    EXPECT_TRUE(pane.load(q(dir.path() / "none.tftres"), 16).isEmpty());
    EXPECT_EQ(pane.table()->topLevelItemCount(), 0);

    pane.load(q(dir.path() / "p.tftres"), 16);
    dir.write("bad.tftres", "<Resource><pages><page name=\"x\"");
    const QString message = pane.load(q(dir.path() / "bad.tftres"), 16);
    EXPECT_EQ(pane.table()->topLevelItemCount(), 0);
    EXPECT_TRUE(message.startsWith("The resource list " + q(dir.path() / "bad.tftres") +
                                   " cannot be read: "))
        << message.toStdString();
    EXPECT_TRUE(message.contains("at offset")) << message.toStdString();
    dir.write("neg.tftres", "<Resource><images><image id=\"0\" size=\"-5\"/></images></Resource>");
    EXPECT_FALSE(pane.load(q(dir.path() / "neg.tftres"), 16).isEmpty());
    EXPECT_EQ(pane.table()->topLevelItemCount(), 0);
    dir.write("other.tftres", "<DrawPage/>");
    EXPECT_FALSE(pane.load(q(dir.path() / "other.tftres"), 16).isEmpty());
}

TEST_F(Pane, TheShowcaseAfterARealBuild) {
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
             fs::copy_options::recursive);
    const QString project = q(dir.path() / "showcase" / "showcase.tftprj");
    const SplitCommand command = splitCommandLine(compileProjectCommand(project, kLanguageEnglish));
    std::vector<std::string> args;
    for (const QString& arg : command.arguments)
        args.push_back(arg.toStdString());
    const auto run = testsupport::runProgram(command.program.toStdString(), args);
    ASSERT_EQ(run.status, 0) << run.output;
    const fs::path list = dir.path() / "showcase" / "output" / "showcase.tftres";
    ASSERT_TRUE(fs::exists(list));

    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(list.c_str()));
    const auto count = [&](const char* query) { return int(document.select_nodes(query).size()); };
    CResourcePane pane;
    EXPECT_TRUE(pane.load(q(list), 16).isEmpty());
    QTreeWidget* table = pane.table();
    ASSERT_EQ(table->topLevelItemCount(), 3);
    EXPECT_EQ(table->topLevelItem(0)->childCount(), 4);
    EXPECT_EQ(table->topLevelItem(0)->child(0)->text(2), "home");
    EXPECT_EQ(table->topLevelItem(1)->childCount(), count("//image"));
    EXPECT_EQ(table->topLevelItem(2)->childCount(), 1);
    EXPECT_EQ(table->topLevelItem(2)->child(0)->text(2), "art\\beep.wav");
    // The badge is a 96 x 96 picture: 18,432 bytes of RGB565.
    bool badge = false;
    for (int i = 0; i < table->topLevelItem(1)->childCount(); ++i) {
        const QTreeWidgetItem* item = table->topLevelItem(1)->child(i);
        if (item->text(2) == "art\\badge.png") {
            badge = true;
            EXPECT_EQ(item->text(3), "18.00 KB");
            EXPECT_EQ(item->text(4), "0.110");
            EXPECT_EQ(item->text(5), "width:96 (96); height:96 (96);");
        }
    }
    EXPECT_TRUE(badge);
    qint64 total = 0;
    for (const auto& image : document.select_nodes("//image"))
        total += image.node().attribute("size").as_llong();
    EXPECT_EQ(pane.list().images.total(), total);
    EXPECT_EQ(pane.level(), CResourcePane::Level::Normal);
}
