// Edits of a page through the document's entry points: arranging, order,
// clipboard, property changes, and undo and redo of every one of them.
#include "arrange.h"
#include "compiler/item_registry.h"
#include "page_document.h"
#include "shape_kinds.h"
#include "undo_commands.h"

#include <gtest/gtest.h>

namespace {

using namespace tft::ide;
using basic_shape::CShape;
using basic_shape::ShapeRect;

constexpr int kRectangleTool = 32777;

// A page of rectangles at the given places, nothing selected.
class Page : public ::testing::Test {
protected:
    void add(std::initializer_list<ShapeRect> rects) {
        for (const ShapeRect& rect : rects)
            page.createShape(kRectangleTool, rect, 0);
        page.clearSelection();
        page.history().clear();
        page.setModified(false);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& shape : page.shapes())
            result.push_back(shape->name());
        return result;
    }
    ShapeRect rect(std::size_t index) const { return page.shapes()[index]->rect(); }
    PageDocument page;
};

TEST_F(Page, CreatedShapesGetUniqueNamesAndIds) {
    page.createShape(kRectangleTool, {100, 80, 10, 20}, tft::rgb(1, 2, 3));
    page.createShape(kRectangleTool, {0, 0, 5, 5}, 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle1", "Rectangle2"}));
    EXPECT_EQ(page.shapes()[1]->id(), 2);
    EXPECT_EQ(rect(0), (ShapeRect{10, 20, 100, 80}));
    EXPECT_EQ(page.shapes()[0]->property("pen_color"), "1;2;3");
    EXPECT_FALSE(page.shapes()[0]->isSelected());
    EXPECT_EQ(page.shapes()[1]->state(), CShape::Selected);
    EXPECT_EQ(page.uniqueName("Rectangle12"), "Rectangle3");
    EXPECT_EQ(page.uniqueName("Rectangle1", page.shapes()[0].get()), "Rectangle1");
    EXPECT_EQ(page.uniqueName("label"), "label1");
}

// Creating a shape clears the selection, not the hidden bit: a hidden shape
// would otherwise come back into the saved page.
TEST_F(Page, CreatingKeepsHiddenShapesHidden) {
    add({{0, 0, 10, 10}});
    page.shapes()[0]->setState(CShape::Hidden | CShape::kSelectedReference);
    page.createShape(kRectangleTool, {20, 20, 30, 30}, 0);
    EXPECT_EQ(page.shapes()[0]->state(), CShape::Hidden);
    EXPECT_EQ(page.text().find("Rectangle1"), std::string::npos);
}

TEST_F(Page, AlignLeftUsesTheFirstSelectedInPageOrderAndMarksIt) {
    add({{50, 0, 60, 10}, {20, 20, 40, 30}, {30, 40, 35, 50}});
    page.select(2);
    page.select(1, true);
    page.select(0, true);
    ASSERT_TRUE(page.arrange(kAlignLeft));
    EXPECT_EQ(page.shapes()[0]->state(), CShape::kSelectedReference);
    EXPECT_EQ(page.shapes()[1]->state(), CShape::Selected);
    EXPECT_EQ(rect(1), (ShapeRect{50, 20, 70, 30}));
    EXPECT_EQ(rect(2), (ShapeRect{50, 40, 55, 50}));
    // A marked reference wins over page order.
    page.shapes()[0]->setState(CShape::Selected);
    page.shapes()[2]->setState(CShape::kSelectedReference);
    ASSERT_TRUE(page.arrange(kAlignRight));
    EXPECT_EQ(rect(0), (ShapeRect{45, 0, 55, 10}));
    EXPECT_EQ(rect(1), (ShapeRect{35, 20, 55, 30}));
    page.clearSelection();
    EXPECT_FALSE(page.arrange(kAlignLeft));
}

TEST_F(Page, CentreAndSizeFollowTheReference) {
    add({{0, 0, 100, 50}, {10, 200, 30, 210}});
    page.setScreenSize({800, 480});
    page.selectAll();
    ASSERT_TRUE(page.arrange(kCentreHorizontally));
    EXPECT_EQ(rect(1), (ShapeRect{40, 200, 60, 210}));
    ASSERT_TRUE(page.arrange(kCentreVertically));
    EXPECT_EQ(rect(1), (ShapeRect{40, 20, 60, 30}));
    ASSERT_TRUE(page.arrange(kSameSize));
    EXPECT_EQ(rect(1), (ShapeRect{40, 20, 140, 70}));
    ASSERT_TRUE(page.arrange(kCentreHorizontallyInPage));
    EXPECT_EQ(rect(0), (ShapeRect{350, 0, 450, 50}));
    ASSERT_TRUE(page.arrange(kCentreVerticallyInPage));
    EXPECT_EQ(rect(1), (ShapeRect{350, 215, 450, 265}));
}

TEST_F(Page, DistributeSpacesTheMiddleShapesAndLeavesTwoAlone) {
    add({{0, 0, 10, 10}, {100, 0, 120, 10}});
    page.selectAll();
    EXPECT_FALSE(page.arrange(kDistributeHorizontally));
    EXPECT_FALSE(page.canUndo());
    EXPECT_EQ(rect(0), (ShapeRect{0, 0, 10, 10}));
    EXPECT_EQ(rect(1), (ShapeRect{100, 0, 120, 10}));
    page.createShape(kRectangleTool, {15, 0, 25, 10}, 0);
    page.selectAll();
    ASSERT_TRUE(page.arrange(kDistributeHorizontally));
    // Free space 120 - 40 = 80, two gaps of 40.
    EXPECT_EQ(rect(2), (ShapeRect{50, 0, 60, 10}));
    EXPECT_EQ(rect(1), (ShapeRect{100, 0, 120, 10}));
}

TEST_F(Page, OrderAtTheEndsChangesNothing) {
    add({{0, 0, 10, 10}, {50, 50, 60, 60}, {5, 5, 15, 15}});
    page.select(2);
    EXPECT_FALSE(page.order(kOrderToTop));
    EXPECT_FALSE(page.order(kOrderForwardOne));
    EXPECT_FALSE(page.canUndo());
    page.select(0);
    EXPECT_FALSE(page.order(kOrderBackOne));
    EXPECT_FALSE(page.order(kOrderToBottom));
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle1", "Rectangle2", "Rectangle3"}));
    ASSERT_TRUE(page.order(kOrderForwardOne));
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle1", "Rectangle3"}));
    ASSERT_TRUE(page.order(kOrderToTop));
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle3", "Rectangle1"}));
    // Back past the shape that overlaps it, over the one that does not.
    page.select(1);
    ASSERT_TRUE(page.order(kOrderForwardPastOverlap));
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle1", "Rectangle3"}));
    page.select(0);
    EXPECT_FALSE(page.order(kOrderForwardPastOverlap));
    page.selectAll();
    EXPECT_FALSE(page.order(kOrderToTop));
    page.undo();
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle3", "Rectangle1"}));
}

TEST_F(Page, FiftyOneEditsKeepTheLastFifty) {
    add({{0, 0, 10, 10}});
    page.select(0);
    for (int i = 0; i < 51; ++i)
        ASSERT_TRUE(page.nudge(1, 0));
    EXPECT_EQ(page.history().count(), PageDocument::kUndoLimit);
    int undone = 0;
    while (page.canUndo())
        page.undo(), ++undone;
    EXPECT_EQ(undone, 50);
    EXPECT_EQ(rect(0).left, 1); // the state after the first edit
    EXPECT_TRUE(page.isModified());
}

TEST_F(Page, AnEditAfterUndoClearsRedo) {
    add({{0, 0, 10, 10}});
    page.select(0);
    ASSERT_TRUE(page.nudge(0, 1));
    page.undo();
    EXPECT_TRUE(page.canRedo());
    EXPECT_FALSE(page.isModified());
    ASSERT_TRUE(page.nudge(-1, 0));
    EXPECT_FALSE(page.canRedo());
    EXPECT_EQ(rect(0), (ShapeRect{-1, 0, 9, 10}));
}

TEST_F(Page, UndoingADeletionRestoresOrderNamesAndIds) {
    add({{0, 0, 10, 10}, {20, 0, 30, 10}, {40, 0, 50, 10}, {60, 0, 70, 10}});
    page.select(1);
    page.select(2, true);
    const std::string before = page.text();
    ASSERT_TRUE(page.deleteSelection());
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle1", "Rectangle4"}));
    page.undo();
    EXPECT_EQ(page.text(), before);
    EXPECT_EQ(page.shapes()[2]->id(), 3);
    EXPECT_TRUE(page.shapes()[1]->isSelected()); // the selection comes back
    EXPECT_FALSE(page.shapes()[0]->isSelected());
    page.redo();
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle1", "Rectangle4"}));
    ASSERT_TRUE(page.deleteAll());
    EXPECT_TRUE(page.shapes().empty());
    page.undo();
    EXPECT_EQ(page.shapes().size(), 2u);
}

TEST_F(Page, UndoingACreationAndItsRedo) {
    add({{0, 0, 10, 10}});
    CShape* created = page.createShape(32779, {0, 0, 40, 40}, 0);
    ASSERT_TRUE(created);
    const std::string text = page.text();
    page.undo();
    EXPECT_EQ(page.shapes().size(), 1u);
    page.redo();
    ASSERT_EQ(page.shapes().size(), 2u);
    EXPECT_EQ(page.text(), text);
    EXPECT_EQ(page.shapes()[1]->kindName(), "Circle");
    // An equal copy held by the page alone: a later undo cannot touch it.
    const auto* command = dynamic_cast<const CCommand*>(page.history().command(0));
    ASSERT_TRUE(command);
    EXPECT_EQ(command->state(), CCommand::Done);
    page.shapes()[1]->offset(5, 5); // not through the history
    page.undo();
    EXPECT_EQ(command->state(), CCommand::Undone);
    page.redo();
    EXPECT_EQ(page.text(), text);
}

TEST_F(Page, CutRemovesAndPasteRenames) {
    add({{0, 0, 10, 10}, {20, 0, 30, 10}});
    page.select(0);
    const std::string clip = page.cutSelection();
    ASSERT_FALSE(clip.empty());
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2"}));
    EXPECT_EQ(page.paste(clip), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle1"}));
    EXPECT_EQ(page.paste(clip), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle2", "Rectangle1", "Rectangle3"}));
    EXPECT_EQ(page.shapes()[2]->id(), 4);
    EXPECT_EQ(page.selection().size(), 1u);
    EXPECT_EQ(rect(2), (ShapeRect{0, 0, 10, 10}));
    page.undo();
    page.undo();
    page.undo(); // the cut
    EXPECT_EQ(names(), (std::vector<std::string>{"Rectangle1", "Rectangle2"}));
    for (const char* foreign : {"", "hello", "<DrawPage/>", "<a><item type=\"GADGET\"/></a>", "<x"})
        EXPECT_EQ(page.paste(foreign), 0) << foreign;
    EXPECT_EQ(page.history().index(), 0);
    page.clearSelection();
    EXPECT_TRUE(page.cutSelection().empty());

    // A name free on the page is kept; a taken one is numbered.
    PageDocument other;
    const std::string entry = "<DrawPage><item type=\"TEXT_DISPLAY\" name=\"entry\" id=\"2\" "
                              "xOffset=\"1\" yOffset=\"2\" width=\"30\" height=\"20\"/></DrawPage>";
    ASSERT_EQ(other.paste(entry), 1);
    ASSERT_EQ(other.paste(entry), 1);
    EXPECT_EQ(other.shapes()[0]->name(), "entry");
    EXPECT_EQ(other.shapes()[1]->name(), "entry1");
}

TEST_F(Page, EveryKindTravelsThroughTheClipboard) {
    for (const char* kind : tft::ItemRegistry::kinds()) {
        auto shape = basic_shape::createShape(kind);
        shape->setRect({1, 2, 30, 40});
        page.addShape(std::move(shape));
    }
    page.selectAll();
    const std::string clip = page.copySelection();
    PageDocument other;
    ASSERT_EQ(other.paste(clip), 15);
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(other.shapes()[i]->typeName(), page.shapes()[i]->typeName());
        EXPECT_EQ(other.shapes()[i]->name(), page.shapes()[i]->name());
    }
}

TEST_F(Page, PropertyChangesGoToTheSelection) {
    add({{0, 0, 10, 10}, {20, 0, 30, 10}, {40, 0, 50, 10}});
    page.select(0);
    page.select(2, true);
    EXPECT_EQ(page.setProperty("pen_width", "3"), PageDocument::PropertyResult::Applied);
    EXPECT_EQ(page.shapes()[0]->property("pen_width"), "3");
    EXPECT_EQ(page.shapes()[1]->property("pen_width"), "1");
    EXPECT_EQ(page.shapes()[2]->property("pen_width"), "3");
    EXPECT_EQ(page.setProperty("width", "25"), PageDocument::PropertyResult::Applied);
    EXPECT_EQ(rect(2), (ShapeRect{40, 0, 65, 10}));
    EXPECT_EQ(page.setProperty("pen_width", "wide"), PageDocument::PropertyResult::Rejected);
    EXPECT_EQ(page.setProperty("id", "9"), PageDocument::PropertyResult::Rejected);
    EXPECT_EQ(page.setProperty("name", "2nd"), PageDocument::PropertyResult::InvalidName);
    EXPECT_EQ(page.setProperty("name", "a-b"), PageDocument::PropertyResult::InvalidName);
    EXPECT_EQ(page.setProperty("name", "Rectangle2"), PageDocument::PropertyResult::DuplicateName);
    EXPECT_EQ(page.setProperty("name", "frame_1"), PageDocument::PropertyResult::Applied);
    EXPECT_EQ(names(), (std::vector<std::string>{"frame_1", "Rectangle2", "Rectangle3"}));
    EXPECT_EQ(page.history().count(), 3);
    page.undo();
    page.undo();
    EXPECT_EQ(rect(2), (ShapeRect{40, 0, 50, 10}));
    EXPECT_EQ(page.shapes()[0]->name(), "Rectangle1");
}

// The view's drags: snapshot at the press, shapes changed while dragging,
// one command at the release, none when nothing moved.
TEST_F(Page, ADragIsOneCommandAndAClickNone) {
    add({{10, 10, 50, 50}, {60, 10, 70, 20}});
    page.takeSnapshot();
    page.select(0);
    EXPECT_FALSE(page.commit("Move"));
    EXPECT_FALSE(page.canUndo());
    EXPECT_TRUE(page.shapes()[0]->isSelected());
    page.takeSnapshot();
    for (int step = 0; step < 5; ++step)
        page.shapes()[0]->offset(2, 1);
    EXPECT_TRUE(page.commit("Move"));
    EXPECT_FALSE(page.hasSnapshot());
    EXPECT_EQ(page.history().count(), 1);
    EXPECT_EQ(rect(0), (ShapeRect{20, 15, 60, 55}));
    EXPECT_TRUE(page.isModified());
    page.undo();
    EXPECT_EQ(rect(0), (ShapeRect{10, 10, 50, 50}));
    EXPECT_FALSE(page.commit("nothing taken"));
}

TEST_F(Page, ResizeThroughAHandleIsOneCommand) {
    add({{10, 10, 50, 50}});
    ASSERT_TRUE(page.resizeShape(0, 1, {0, 60}));
    EXPECT_EQ(rect(0), (ShapeRect{10, 50, 50, 60}));
    EXPECT_FALSE(page.resizeShape(0, 8, {0, 0}));
    EXPECT_FALSE(page.resizeShape(3, 0, {0, 0}));
    page.undo();
    EXPECT_EQ(rect(0), (ShapeRect{10, 10, 50, 50}));
    EXPECT_FALSE(page.isModified());
}

} // namespace
