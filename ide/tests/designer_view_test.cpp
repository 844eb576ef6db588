// The page view under the offscreen platform, driven by synthesised mouse,
// wheel and key events on an active window: tools, selection, drags, the
// lock, snapping, zoom, the in-place editor, the clipboard and painting.
#include "designer_commands.h"
#include "orvane_view.h"
#include "page_document.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace tft::ide;
namespace designer = tft::ide::designer;
using basic_shape::ShapeRect;

namespace {

// Three rectangles: a (20,20)-(60,60), b (100,20)-(140,60) and c (40,40)-(90,90)
// on top of a; a text shape at (300,200).
const char* kPage = R"(<?xml version="1.0" encoding="UTF-8"?>
<DrawPage name="p" bk_transparent="0" bk_color="0;0;255" bk_image="">
  <item type="RECTANGLE" name="a" id="1" xOffset="20" yOffset="20" width="40" height="40" pen_color="255;0;0"/>
  <item type="RECTANGLE" name="b" id="2" xOffset="100" yOffset="20" width="40" height="40" pen_color="0;255;0"/>
  <item type="RECTANGLE" name="c" id="3" xOffset="40" yOffset="40" width="50" height="50" pen_color="0;0;0"/>
  <item type="TEXT" name="t" id="4" text="hello" xOffset="300" yOffset="200" width="120" height="30"/>
</DrawPage>
)";

class View : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ensureWidgetsApp();
        ASSERT_TRUE(document.loadText(kPage));
        view = std::make_unique<COrvaneView>(document);
        view->resize(1000, 700);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->setFocus();
        ASSERT_TRUE(view->hasFocus());
    }

    CShape& shape(const char* name) {
        for (auto& s : document.shapes())
            if (s->name() == name)
                return *s;
        throw std::runtime_error(name);
    }
    QPoint at(QPoint page) const { return view->toView(page).toPoint(); }
    QWidget* surface() const { return view->viewport(); }
    void click(QPoint page, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(surface(), Qt::LeftButton, modifiers, at(page));
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(surface(), Qt::LeftButton, modifiers, at(from));
        QTest::mouseEvent(QTest::MouseMove, surface(), Qt::NoButton, modifiers,
                          at((from + to) / 2));
        QTest::mouseEvent(QTest::MouseMove, surface(), Qt::NoButton, modifiers, at(to));
        QTest::mouseRelease(surface(), Qt::LeftButton, modifiers, at(to));
    }
    std::vector<std::string> selected() const {
        std::vector<std::string> names;
        for (const CShape* s : document.selection())
            names.push_back(s->name());
        return names;
    }

    PageDocument document;
    std::unique_ptr<COrvaneView> view;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(View, ARectangleDraggedFromBottomRightToTopLeftIsStoredNormalised) {
    view->runCommand(designer::ToolFirst + 3); // 32777, hollow rectangle
    view->setForeground(QColor(10, 20, 30));
    drag({400, 300}, {250, 220}, Qt::AltModifier); // Alt: no snapping
    ASSERT_EQ(document.shapes().size(), 5u);
    const CShape& made = *document.shapes().back();
    EXPECT_EQ(made.name(), "Rectangle1");
    EXPECT_EQ(made.rect(), (ShapeRect{250, 220, 400, 300}));
    EXPECT_EQ(made.property("xOffset"), "250");
    EXPECT_EQ(made.property("yOffset"), "220");
    EXPECT_EQ(made.property("width"), "150");
    EXPECT_EQ(made.property("height"), "80");
    EXPECT_EQ(made.property("pen_color"), "10;20;30");
    EXPECT_EQ(selected(), Names{"Rectangle1"});
    EXPECT_EQ(view->tool(), designer::ToolPointer);
    // One step of history: undo removes it, redo brings it back.
    EXPECT_EQ(document.history().count(), 1);
    view->undo();
    EXPECT_EQ(document.shapes().size(), 4u);
    view->redo();
    EXPECT_EQ(document.shapes().back()->rect(), (ShapeRect{250, 220, 400, 300}));
}

TEST_F(View, EveryToolCreatesItsKindAndSolidVariantsFill) {
    const std::pair<int, const char*> tools[] = {
        {32776, "LINE"},   {32777, "RECTANGLE"}, {32778, "RECTANGLE"},    {32779, "CIRCLE"},
        {32780, "CIRCLE"}, {32781, "ELLIPSE"},   {32782, "ELLIPSE"},      {32783, "TEXT"},
        {32784, "IMAGE"},  {32785, "BUTTON"},    {32786, "TEXT_DISPLAY"}, {32787, "PROGRESS"},
        {32788, "METER"},  {32789, "SLIDER"},    {32790, "RTC"},          {32791, "ANIMATION"},
        {32792, "GRAPH"},  {32775, "CURVE"}};
    int y = 100;
    for (const auto& [tool, type] : tools) {
        view->runCommand(tool);
        drag({500, y}, {560, y + 12});
        ASSERT_EQ(document.shapes().back()->typeName(), type) << tool;
        if (tool == 32778 || tool == 32780 || tool == 32782) {
            EXPECT_EQ(document.shapes().back()->property("fill_type"), "1") << tool;
        }
        y += 16;
    }
    // The line keeps the direction it was drawn in.
    view->runCommand(32776);
    drag({700, 400}, {650, 350}, Qt::AltModifier);
    EXPECT_EQ(document.shapes().back()->rect(), (ShapeRect{700, 400, 650, 350}));
    // A click without a drag makes a shape that can be seen and grabbed.
    view->runCommand(32777);
    click({600, 420});
    EXPECT_EQ(document.shapes().back()->rect(), (ShapeRect{600, 420, 680, 460}));
}

TEST_F(View, ClicksSelectTheTopmostShiftExtendsCtrlToggles) {
    click({50, 50}); // a and c overlap here; c is drawn later, on top
    EXPECT_EQ(selected(), Names{"c"});
    click({120, 30}, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Names{"b", "c"}));
    click({25, 25}, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Names{"a", "b", "c"}));
    click({120, 30}, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Names{"a", "c"}));
    click({25, 25}); // a plain click inside the selection keeps it for a drag
    EXPECT_EQ(selected(), (Names{"a", "c"}));
    click({600, 400}); // empty page clears
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(document.history().count(), 0); // selecting is not an edit
}

TEST_F(View, TheRubberBandSelectsShapesWhollyInsideAndShiftExtends) {
    drag({10, 10}, {95, 95}); // a and c inside; b only partly
    EXPECT_EQ(selected(), (Names{"a", "c"}));
    drag({200, 150}, {450, 260}); // replaces the selection
    EXPECT_EQ(selected(), Names{"t"});
    drag({95, 10}, {150, 70}, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Names{"b", "t"}));
    EXPECT_EQ(document.history().count(), 0);
}

TEST_F(View, ArrowKeysMoveBySinglePixelsAndTheAKeyOnlySelects) {
    click({120, 30});
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Up);
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{101, 21, 141, 61}));
    EXPECT_EQ(document.history().count(), 6);
    const ShapeRect a = shape("a").rect();
    QTest::keyClick(view.get(), Qt::Key_A);
    EXPECT_EQ(selected(), (Names{"a", "b", "c", "t"}));
    EXPECT_EQ(shape("a").rect(), a);
    EXPECT_EQ(document.history().count(), 6);
    // Delete removes the selection in one step.
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_TRUE(document.shapes().empty());
    view->undo();
    EXPECT_EQ(document.shapes().size(), 4u);
}

TEST_F(View, DraggingMovesTheSelectionAsOneStep) {
    click({25, 25});
    click({120, 30}, Qt::ShiftModifier);
    drag({120, 30}, {150, 230}, Qt::AltModifier); // Alt: no snapping
    EXPECT_EQ(shape("a").rect(), (ShapeRect{50, 220, 90, 260}));
    EXPECT_EQ(shape("b").rect(), (ShapeRect{130, 220, 170, 260}));
    EXPECT_EQ(shape("b").property("xOffset"), "130");
    EXPECT_EQ(shape("c").rect(), (ShapeRect{40, 40, 90, 90}));
    EXPECT_EQ(document.history().count(), 1);
    view->undo();
    EXPECT_EQ(shape("a").rect(), (ShapeRect{20, 20, 60, 60}));
    EXPECT_EQ(selected(), (Names{"a", "b"})); // the selection comes back with the shapes
}

TEST_F(View, MovesSnapToOtherShapesEdgesWithGuides) {
    click({120, 30});
    // b's left edge at 100 dragged to 62: 2 from a's right edge (60), 3 from
    // c's centre (65); the nearer one wins.
    QTest::mousePress(surface(), Qt::LeftButton, {}, at({120, 30}));
    QTest::mouseMove(surface(), at({100, 150}));
    QTest::mouseMove(surface(), at({82, 150}));
    EXPECT_EQ(shape("b").rect().left, 60);
    ASSERT_FALSE(view->guides().xs.empty());
    EXPECT_EQ(view->guides().xs, std::vector<int>{60});
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, at({82, 150}));
    EXPECT_EQ(shape("b").rect(), (ShapeRect{60, 140, 100, 180}));
    EXPECT_TRUE(view->guides().xs.empty());
}

TEST_F(View, HandlesResizeAndShowTheirCursors) {
    click({120, 30});
    QTest::mouseMove(surface(), at({120, 20}));
    EXPECT_EQ(surface()->cursor().shape(), Qt::SizeVerCursor); // top-centre
    QTest::mouseMove(surface(), at({140, 60}));
    EXPECT_EQ(surface()->cursor().shape(), Qt::SizeFDiagCursor); // bottom-right
    drag({140, 60}, {180, 110}, Qt::NoModifier);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 180, 110}));
    EXPECT_EQ(shape("b").property("width"), "80");
    EXPECT_EQ(document.history().count(), 1);
    // Escape in the middle of a resize puts the shape back.
    QTest::mousePress(surface(), Qt::LeftButton, {}, at({180, 110}));
    QTest::mouseMove(surface(), at({300, 300}));
    QTest::keyClick(view.get(), Qt::Key_Escape);
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, at({300, 300}));
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 180, 110}));
    EXPECT_EQ(document.history().count(), 1);
}

TEST_F(View, ALockedPageRefusesDragsAndChangesNothing) {
    view->setLocked(true);
    QSignalSpy refused(view.get(), &COrvaneView::dragRefused);
    click({120, 30}); // selecting still works
    EXPECT_EQ(selected(), Names{"b"});
    drag({120, 30}, {150, 30}); // 30 px: refused with the message
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 140, 60}));
    drag({120, 30}, {125, 35}); // a short drag moves nothing either
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 140, 60}));
    drag({140, 60}, {200, 100}); // a handle
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 140, 60}));
    view->runCommand(32777); // tools create nothing
    drag({400, 300}, {500, 400});
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(document.shapes().size(), 4u);
    EXPECT_EQ(document.history().count(), 0);
    EXPECT_FALSE(document.isModified());

    // Nor do keys and menu commands get round the lock.
    view->runCommand(designer::ToolPointer);
    click({120, 30});
    ASSERT_EQ(selected(), Names{"b"});
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    for (int id : {int(designer::Cut), int(designer::Paste), int(designer::DeleteAll),
                   int(designer::OrderFirst), int(designer::AlignFirst)})
        view->runCommand(id);
    EXPECT_EQ(refused.count(), 3 + 8);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{100, 20, 140, 60}));
    EXPECT_EQ(document.shapes().size(), 4u);
    EXPECT_FALSE(document.isModified());
    view->runCommand(designer::Copy); // copying changes nothing: allowed
    EXPECT_EQ(refused.count(), 3 + 8);
    view->setLocked(false);
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(shape("b").rect(), (ShapeRect{101, 20, 141, 60}));
}

TEST_F(View, TheStatusBarShowsPositionColourAndRgb565) {
    QSignalSpy status(view.get(), &COrvaneView::statusTextChanged);
    QTest::mouseMove(surface(), at({700, 400}));
    ASSERT_GE(status.count(), 1);
    EXPECT_EQ(status.last().at(0).toString(), "X=700,Y=400; RGB(0,0,255); RGB565(0X001F)");
    EXPECT_EQ(tft::ide::view::statusText({3, 4}, QColor(0xFF, 0xFF, 0xFF)),
              "X=3,Y=4; RGB(255,255,255); RGB565(0XFFFF)");
    EXPECT_EQ(tft::ide::view::rgb565(QColor(0x12, 0x34, 0x56)), 0x11AAu);
}

TEST_F(View, PaintsThePage50PixelsInWithFrameAndShadow) {
    const QImage& image = view->buffer();
    EXPECT_EQ(QColor(image.pixel(50, 50)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(image.pixel(49, 49)), QColor(0x32, 0x32, 0x32));
    EXPECT_EQ(QColor(image.pixel(850 + 2, 100)).red(), QColor(image.pixel(850 + 2, 100)).blue());
    EXPECT_LT(QColor(image.pixel(852, 100)).red(), QColor(image.pixel(960, 100)).red());
    // The grid draws a line every 20 pixels over the page.
    const QRgb plain = view->buffer().pixel(50 + 20, 50 + 10);
    view->runCommand(designer::Grid);
    EXPECT_NE(view->buffer().pixel(50 + 20, 50 + 10), plain);
    EXPECT_EQ(view->buffer().pixel(50 + 25, 50 + 10), plain);
    // The page picture is the page alone at its screen size.
    EXPECT_EQ(view->pagePicture().size(), QSize(800, 480));
}

TEST_F(View, CtrlWheelZoomsAroundTheCursorWithinLimits) {
    view->resize(500, 400); // room to scroll, so the point can stay put
    const QPoint cursor = at({200, 100});
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(cursor), QPointF(surface()->mapToGlobal(cursor)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(surface(), &event);
    };
    wheel(120);
    EXPECT_EQ(view->zoom(), 125);
    EXPECT_EQ(view->toPage(cursor), QPoint(200, 100));
    for (int i = 0; i < 20; ++i)
        wheel(120);
    EXPECT_EQ(view->zoom(), 800);
    for (int i = 0; i < 30; ++i)
        wheel(-120);
    EXPECT_EQ(view->zoom(), 25);
    EXPECT_EQ(tft::ide::view::nextZoom(110, -1), 100);
    EXPECT_EQ(tft::ide::view::nextZoom(110, 1), 125);
    // Drawing at 400 %: page pixels are four view pixels wide.
    view->setZoom(400, QPointF(0, 0));
    const QPoint corner = view->toView({0, 0}).toPoint();
    EXPECT_EQ(view->toPage(corner + QPoint(3, 3)), QPoint(0, 0));
    EXPECT_EQ(view->toPage(corner + QPoint(4, 4)), QPoint(1, 1));
    // ... with a grid between them.
    const QImage& zoomed = view->buffer();
    EXPECT_NE(zoomed.pixel(corner + QPoint(4, 2)), zoomed.pixel(corner + QPoint(2, 2)));
    view->setZoom(300, QPointF(0, 0));
    const QPoint at300 = view->toView({0, 0}).toPoint();
    EXPECT_EQ(view->buffer().pixel(at300 + QPoint(3, 1)),
              view->buffer().pixel(at300 + QPoint(1, 1)));
}

TEST_F(View, TheInPlaceEditorSetsTheTextAsOneStep) {
    QTest::mouseDClick(surface(), Qt::LeftButton, {}, at({350, 210}));
    QPlainTextEdit* editor = view->textEditor();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->toPlainText(), "hello");
    QTest::keyClicks(editor, "Abc"); // replaces the selected text; A types, not selects
    EXPECT_EQ(document.selection().size(), 1u);
    click({700, 400}); // a press elsewhere closes the editor
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(shape("t").property("text"), "Abc");
    EXPECT_EQ(document.history().count(), 1);
    view->undo();
    EXPECT_EQ(shape("t").property("text"), "hello");
    // Escape leaves the text alone; other kinds have no editor.
    click({350, 210});
    ASSERT_TRUE(view->editText());
    QTest::keyClicks(view->textEditor(), "zz");
    QTest::keyClick(view->textEditor(), Qt::Key_Escape);
    EXPECT_EQ(shape("t").property("text"), "hello");
    click({120, 30});
    EXPECT_FALSE(view->editText());
}

TEST_F(View, CopyAndPasteThroughTheSystemClipboard) {
    click({120, 30});
    view->copy();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat("application/x-orvane-items"));
    EXPECT_TRUE(data->text().startsWith("<DrawPage>"));
    PageDocument other;
    ASSERT_TRUE(other.loadText(kPage));
    COrvaneView second(other);
    EXPECT_TRUE(second.paste());
    ASSERT_EQ(other.shapes().size(), 5u);
    EXPECT_EQ(other.shapes().back()->name(), "b1");
    EXPECT_EQ(other.shapes().back()->id(), 5);
    EXPECT_EQ(other.shapes().back()->rect(), (ShapeRect{100, 20, 140, 60}));
    // Cut removes; foreign text pastes nothing.
    view->cut();
    EXPECT_EQ(document.shapes().size(), 3u);
    QApplication::clipboard()->setText("<item type=\"RECTANGLE\" name=\"x\"/>");
    EXPECT_FALSE(view->paste());
    EXPECT_FALSE(view->isCommandEnabled(designer::Paste));
    QApplication::clipboard()->setText("just words");
    EXPECT_FALSE(view->paste());
    EXPECT_EQ(document.shapes().size(), 3u);
}

TEST_F(View, ColourCommandsSetTheCurrentColoursAndTheSelection) {
    view->chooseColour = [](const QColor&) { return QColor(1, 2, 3); };
    click({120, 30});
    view->runCommand(designer::ForegroundColour);
    EXPECT_EQ(view->foreground(), QColor(1, 2, 3));
    EXPECT_EQ(shape("b").property("pen_color"), "1;2;3");
    EXPECT_EQ(document.history().count(), 1);
    view->chooseColour = [](const QColor&) { return QColor(); }; // cancelled
    view->runCommand(designer::BackgroundColour);
    EXPECT_EQ(view->background(), QColor(Qt::white));
    view->runCommand(designer::SwapColours);
    EXPECT_EQ(view->background(), QColor(1, 2, 3));
    // The picker takes the colour under the next click.
    view->runCommand(designer::ColourPicker);
    click({700, 400});
    EXPECT_EQ(view->foreground(), QColor(0, 0, 255));
    EXPECT_EQ(document.shapes().size(), 4u);
}

TEST_F(View, OrderAndAlignCommandsGoThroughTheHistory) {
    click({120, 30});
    view->runCommand(designer::OrderFirst + 2); // to the top
    EXPECT_EQ(document.shapes().back()->name(), "b");
    view->runCommand(designer::OrderFirst + 2); // already there: nothing
    EXPECT_EQ(document.history().count(), 1);
    click({25, 25}, Qt::ShiftModifier);
    view->runCommand(40010); // align left on the first in page order (a)
    EXPECT_EQ(shape("b").rect().left, 20);
    EXPECT_EQ(shape("a").state(), CShape::kSelectedReference);
    EXPECT_EQ(document.history().count(), 2);
    EXPECT_FALSE(view->isCommandEnabled(40000)); // order needs exactly one
}

TEST_F(View, ARightClickSelectsTheShapeUnderItAndAsksForTheMenu) {
    QSignalSpy menu(view.get(), &COrvaneView::contextMenuRequested);
    click({25, 25});
    click({120, 30}, Qt::ShiftModifier);
    const auto rightClick = [&](QPoint page) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at(page),
                                surface()->mapToGlobal(at(page)));
        QApplication::sendEvent(surface(), &event);
    };
    rightClick({120, 30}); // inside the selection: it stays
    EXPECT_EQ(selected(), (Names{"a", "b"}));
    rightClick({350, 210}); // another shape: selected alone
    EXPECT_EQ(selected(), Names{"t"});
    EXPECT_EQ(menu.count(), 2);
}

TEST_F(View, ShowIdsAndThePagePictureCommands) {
    // Ids are written at each shape's top-left corner when shown.
    const QRect label(at({102, 22}), QSize(20, 12));
    const QImage plain = view->buffer().copy(label);
    view->setShowIds(true);
    EXPECT_NE(view->buffer().copy(label), plain);
    view->setShowIds(false);
    EXPECT_EQ(view->buffer().copy(label), plain);
    // Copy puts the page alone on the clipboard; save writes it where asked.
    view->runCommand(designer::CopyPagePicture);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(800, 480));
    EXPECT_EQ(QColor(copied.pixel(700, 400)), QColor(0, 0, 255));
    const QString file = QDir::temp().filePath(
        QStringLiteral("designer_view_%1.png").arg(QCoreApplication::applicationPid()));
    view->choosePicturePath = [&] { return file; };
    view->runCommand(designer::SavePagePicture);
    const QImage saved(file);
    QFile::remove(file);
    EXPECT_EQ(saved.size(), QSize(800, 480));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              view->pagePicture().convertToFormat(QImage::Format_RGB32));
    // Delete all is one step.
    view->runCommand(designer::DeleteAll);
    EXPECT_TRUE(document.shapes().empty());
    view->undo();
    EXPECT_EQ(document.shapes().size(), 4u);
}
