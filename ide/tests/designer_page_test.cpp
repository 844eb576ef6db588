// The page document: reading and writing page files, bad input, and the
// round trip of the examples through the real compiler.
#include "arrange.h"
#include "page_document.h"
#include "shape_kinds.h"
#include "testing/test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace tft::ide;
namespace fs = std::filesystem;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

constexpr const char* kPage = R"page(<?xml version="1.0" encoding="UTF-8"?>
<Page name="main" bk_transparent="0" bk_color="10;20;30" bk_image="(Image)" theme="dark">
  <item type="rectangle" name="frame" id="1" xOffset="10" yOffset="20" width="30" height="40"/>
  <item type="GADGET" name="thing" id="3" knob="7"/>
  <item type="LINE" name="rule" id="2" x0="5" y0="6" x1="1" y1="2" pen_color="red" dash="3"/>
</Page>
)page";

TEST(PageDocumentFile, ReadsAndWritesThePageForm) {
    PageDocument page;
    ASSERT_TRUE(page.loadText(kPage));
    EXPECT_EQ(page.pageProperty("bk_color"), "10;20;30");
    ASSERT_EQ(page.shapes().size(), 3u);
    EXPECT_EQ(page.shapes()[0]->rect(), (basic_shape::ShapeRect{10, 20, 40, 60}));
    EXPECT_EQ(page.shapes()[1]->typeName(), "GADGET");
    ASSERT_EQ(page.messages().size(), 2u);
    EXPECT_EQ(page.messages()[0].item, "thing");
    EXPECT_EQ(page.messages()[0].attribute, "type");
    EXPECT_EQ(page.messages()[1].item, "rule");
    EXPECT_EQ(page.messages()[1].attribute, "pen_color");
    EXPECT_FALSE(page.isModified());
    EXPECT_EQ(page.nextId(), 4); // the kept item's id counts too

    page.shapes()[0]->setState(basic_shape::CShape::Hidden);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<DrawPage name=\"main\" bk_transparent=\"0\" bk_color=\"10;20;30\" bk_image=\"(Image)\" "
        "theme=\"dark\">\n"
        "  <item type=\"GADGET\" name=\"thing\" id=\"3\" knob=\"7\" />\n"
        "  <item type=\"LINE\" name=\"rule\" id=\"2\" text=\"\" pen_color=\"0;0;0\" "
        "pen_width=\"1\" x0=\"5\" y0=\"6\" x1=\"1\" y1=\"2\" dash=\"3\" />\n"
        "</DrawPage>\n";
    EXPECT_EQ(page.text(), expected);
}

TEST(PageDocumentFile, BadFilesLeaveTheDocumentAsItWas) {
    PageDocument page;
    ASSERT_TRUE(page.loadText(kPage));
    std::string error;
    EXPECT_FALSE(page.loadText("<DrawPage><item", &error));
    EXPECT_NE(error.find("offset"), std::string::npos);
    EXPECT_FALSE(page.loadText("", &error));
    EXPECT_FALSE(page.load("/nonexistent/page.tft", &error));
    EXPECT_EQ(page.shapes().size(), 3u);
}

TEST(PageDocumentFile, SaveIsAtomicClearsModifiedAndKeepsHistory) {
    testsupport::TempFolder folder;
    const fs::path file = folder.path() / "main.tft";
    PageDocument page;
    ASSERT_TRUE(page.loadText(kPage));
    int notifications = 0;
    page.onModifiedChanged = [&](bool) { ++notifications; };
    page.select(0);
    ASSERT_TRUE(page.nudge(1, 0));
    EXPECT_TRUE(page.isModified());
    ASSERT_TRUE(page.save(file.string()));
    EXPECT_FALSE(page.isModified());
    EXPECT_EQ(page.title(), "main");
    EXPECT_EQ(notifications, 2);
    EXPECT_TRUE(page.canUndo());
    EXPECT_EQ(readText(file), page.text());
    // Only the page file is left in the folder: no temporary beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

    page.undo();
    EXPECT_TRUE(page.isModified());
    page.redo();
    EXPECT_FALSE(page.isModified()); // back at the saved state
    PageDocument reread;
    ASSERT_TRUE(reread.load(file.string()));
    EXPECT_EQ(reread.shapes()[0]->property("xOffset"), "11");

    // A page property is no shape edit: undo does not make it clean.
    ASSERT_TRUE(page.setPageProperty("bk_color", "1;2;3"));
    EXPECT_FALSE(page.setPageProperty("bk_color", "1"));
    EXPECT_FALSE(page.setPageProperty("size", "1"));
    EXPECT_TRUE(page.isModified());
    EXPECT_FALSE(page.save((folder.path() / "missing" / "x.tft").string()));
    EXPECT_TRUE(page.isModified());
}

// Cut-off and altered page files either load or fail cleanly, and whatever
// loads can be written, pasted and undone.
TEST(PageDocumentFile, DamagedPagesNeverBreakTheDocument) {
    const std::string source =
        readText(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase" / "gauges.tft");
    ASSERT_FALSE(source.empty());
    int loaded = 0;
    for (std::size_t cut = 0; cut < source.size(); cut += 37) {
        std::string damaged = source.substr(0, cut);
        std::string altered = source;
        altered[cut] = "\"<>;0-9&"[cut % 8];
        for (const std::string& text : {damaged, altered}) {
            PageDocument page;
            if (!page.loadText(text))
                continue;
            ++loaded;
            page.selectAll();
            const std::string clip = page.copySelection();
            page.paste(clip);
            page.arrange(kDistributeVertically);
            page.deleteSelection();
            while (page.canUndo())
                page.undo();
            EXPECT_FALSE(page.text().empty());
        }
    }
    EXPECT_GT(loaded, 0);
}

// Positions beyond what a panel can show are pinned to the 16-bit range as the
// page is read, so moving or resizing such a shape never overflows.
TEST(PageDocumentFile, HugeCoordinatesArePinnedNotOverflowed) {
    PageDocument page;
    ASSERT_TRUE(page.loadText(
        "<DrawPage><item type=\"RECTANGLE\" name=\"r\" id=\"3\" xOffset=\"-2147483000\" "
        "yOffset=\"2147483647\" width=\"2147483647\" height=\"9\"/>"
        "<item type=\"CIRCLE\" name=\"c\" id=\"4\" x=\"2147483647\" "
        "y=\"5\" radius=\"2147483647\"/></DrawPage>"));
    ASSERT_EQ(page.shapes().size(), 2u);
    const auto box = page.shapes()[0]->rect();
    EXPECT_EQ(box.left, -32767);
    EXPECT_EQ(box.top, 32767);
    EXPECT_EQ(box.width(), 32767);
    EXPECT_EQ(box.height(), 9);
    EXPECT_EQ(page.shapes()[1]->rect().right, 65534);
    page.selectAll();
    EXPECT_TRUE(page.moveSelection(5, 5));
}

// Every page of the examples read and written back unchanged compiles, with
// the real compiler, to the same screen file.
TEST(PageDocumentFile, ExamplesRoundTripToTheSameCompiledScreens) {
    for (const char* project : {"minimal", "showcase"}) {
        SCOPED_TRACE(project);
        testsupport::TempFolder folder;
        const fs::path source = fs::path(TFT_SOURCE_DIR) / "examples" / project;
        const fs::path before = folder.path() / "before", after = folder.path() / "after";
        fs::copy(source, before, fs::copy_options::recursive);
        fs::copy(source, after, fs::copy_options::recursive);
        int pages = 0;
        for (const auto& entry : fs::directory_iterator(after)) {
            if (entry.path().extension() != ".tft")
                continue;
            PageDocument page;
            ASSERT_TRUE(page.load(entry.path().string())) << entry.path();
            EXPECT_TRUE(page.messages().empty()) << entry.path();
            ASSERT_TRUE(page.save(entry.path().string()));
            ++pages;
        }
        EXPECT_GE(pages, 2);
        const std::string file = std::string(project) + ".tftprj";
        for (const fs::path& dir : {before, after}) {
            const auto run =
                testsupport::runProgram("velmic", {"-p", (dir / file).string(), "-l", "1"});
            ASSERT_EQ(run.status, 0) << run.output;
        }
        const std::string si = std::string("output/") + project + ".si";
        const auto compiled = testsupport::readBytes(before / si);
        ASSERT_FALSE(compiled.empty());
        EXPECT_EQ(testsupport::readBytes(after / si), compiled);
        // Saving again changes nothing.
        for (const auto& entry : fs::directory_iterator(after)) {
            if (entry.path().extension() != ".tft")
                continue;
            PageDocument page;
            ASSERT_TRUE(page.load(entry.path().string()));
            EXPECT_EQ(page.text(), readText(entry.path()));
        }
    }
}

} // namespace
