// Shapes of the designer: value codes, kinds and their attributes, geometry,
// handles and hit tests.
#include "compiler/item_registry.h"
#include "shape_kinds.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using namespace tft::ide::basic_shape;

pugi::xml_node parseItem(pugi::xml_document& document, const char* text) {
    EXPECT_TRUE(document.load_string(text));
    return document.first_child();
}

std::string saved(const CShape& shape) {
    pugi::xml_document document;
    pugi::xml_node item = document.append_child("item");
    shape.save(item);
    std::ostringstream out;
    item.print(out, "", pugi::format_raw);
    return out.str();
}

TEST(ValueCodes, ColourWithTwoFieldsReadsBlue255) {
    EXPECT_EQ(readColour("12;34"), tft::rgb(12, 34, 255));
    EXPECT_EQ(readColour("12; 34; 56"), tft::rgb(12, 34, 56));
    EXPECT_EQ(readColour("255;0;0"), tft::rgb(255, 0, 0));
    for (const char* bad : {"", "12", "256;0;0", "1;2;3;4", "a;b;c", "1;;3", "-1;0;0", "1 ;2;3"})
        EXPECT_FALSE(readColour(bad)) << bad;
    EXPECT_EQ(writeColour(tft::rgb(12, 34, 255)), "12;34;255");
}

TEST(ValueCodes, FontsReadWeightAndWriteWithPoints) {
    const auto bold = readFont("Arial;12;bold");
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->face, "Arial");
    EXPECT_EQ(bold->weight, 700);
    EXPECT_EQ(bold->height, 12 * kFontDotsPerInch / 72);
    EXPECT_EQ(writeFont(*bold), "Arial;12pt;bold");
    const auto plain = readFont("Arial;12");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->weight, 400);
    EXPECT_EQ(writeFont(*plain), "Arial;12pt");
    EXPECT_EQ(readFont("Arial;12pt;bold"), bold);
    EXPECT_FALSE(readFont("Arial"));
    EXPECT_FALSE(readFont("Arial;x"));
    EXPECT_FALSE(readFont(";12"));
    EXPECT_FALSE(readFont(std::string(33, 'a') + ";12"));
}

TEST(ValueCodes, IntegersStayWithinTheirCode) {
    EXPECT_EQ(readInteger(ValueCode::Int8, "-128"), -128);
    EXPECT_FALSE(readInteger(ValueCode::Int8, "128"));
    EXPECT_FALSE(readInteger(ValueCode::Int16, "40000"));
    EXPECT_EQ(readInteger(ValueCode::Int32, " 7 "), 7);
    EXPECT_FALSE(readInteger(ValueCode::Int32, "2147483648"));
    EXPECT_FALSE(readInteger(ValueCode::Int32, "12abc"));
    EXPECT_EQ(readInteger(ValueCode::Int64, "-9000000000"), -9000000000LL);
    EXPECT_FALSE(readUnsigned(ValueCode::UInt8, "-1"));
    EXPECT_EQ(readUnsigned(ValueCode::UInt16, "65535"), 65535u);
    EXPECT_FALSE(readUnsigned(ValueCode::UInt16, "65536"));
    EXPECT_EQ(readUnsigned(ValueCode::UInt64, "18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(readReal("2.5"), 2.5);
    EXPECT_EQ(writeReal(-5.75), "-5.75");
}

TEST(DataExchange, FirstRegistrationWinsAndFontsBind) {
    CXMLDataExchange exchange;
    std::int32_t first = 0, second = 0;
    FontValue font;
    exchange.bindInteger("width", first, 1);
    exchange.bindInteger("width", second, 2);
    exchange.bindFont("numerical_font", font, FontValue{"Arial", 12, 400});
    ASSERT_EQ(exchange.bindings().size(), 2u);
    EXPECT_TRUE(CXMLDataExchange::read(*exchange.find("width"), "9"));
    EXPECT_EQ(first, 9);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(CXMLDataExchange::read(*exchange.find("numerical_font"), "Arial;12;bold"));
    EXPECT_EQ(CXMLDataExchange::write(*exchange.find("numerical_font")), "Arial;12pt;bold");
    EXPECT_FALSE(CXMLDataExchange::read(*exchange.find("numerical_font"), "nonsense"));
    EXPECT_EQ(font.weight, 700);
}

// Every kind binds exactly the attributes the compiler reads and writes, in
// its order, so the designer never writes one the compiler ignores.
TEST(ShapeKinds, AttributesAreTheCompilersOwn) {
    ASSERT_TRUE(tft::ensureItemFactoriesRegistered());
    for (const char* kind : tft::ItemRegistry::kinds()) {
        SCOPED_TRACE(kind);
        std::unique_ptr<CShape> shape = createShape(kind);
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->typeName(), kind);
        pugi::xml_document compilerDocument;
        pugi::xml_node compilerItem = compilerDocument.append_child("item");
        tft::ItemRegistry::instance().create(kind)->save(compilerItem);
        pugi::xml_document ours;
        pugi::xml_node item = ours.append_child("item");
        shape->setName("");
        shape->save(item);
        std::ostringstream a, b;
        compilerItem.print(a, "", pugi::format_raw);
        item.print(b, "", pugi::format_raw);
        EXPECT_EQ(b.str(), a.str());
    }
    EXPECT_FALSE(createShape("WIDGET"));
    ASSERT_TRUE(createShape("line"));
}

TEST(ShapeKinds, DefaultNamesAndTools) {
    const std::pair<int, const char*> tools[] = {
        {32775, "Curve"},       {32776, "Line"},     {32777, "Rectangle"}, {32779, "Circle"},
        {32781, "Ellipse"},     {32783, "Text"},     {32784, "Image"},     {32785, "Button"},
        {32786, "TextDisplay"}, {32787, "Progress"}, {32788, "meter"},     {32789, "slider"},
        {32791, "Animation"},   {32792, "Graph"}};
    for (const auto& [tool, name] : tools) {
        const auto shape = createShapeForTool(tool);
        ASSERT_TRUE(shape) << tool;
        EXPECT_EQ(shape->name(), name);
    }
    EXPECT_EQ(createShapeForTool(32777)->property("fill_type"), "0");
    EXPECT_EQ(createShapeForTool(32778)->property("fill_type"), "1");
    EXPECT_EQ(createShapeForTool(32780)->property("fill_type"), "1");
    EXPECT_EQ(createShapeForTool(32782)->property("fill_type"), "1");
    EXPECT_FALSE(createShapeForTool(kToolPointer));
    EXPECT_FALSE(createShapeForTool(32793));
    EXPECT_EQ(CTextDisplay().kindName(), "Text_Display");
    EXPECT_EQ(CTextDisplay().itemText().rfind(
                  "<item name=\"\" id=\"\" type=\"text_display\" text=\"\"", 0),
              0u);
}

TEST(ShapeItems, BadValuesTakeDefaultsAndForeignAttributesStay) {
    pugi::xml_document document;
    const pugi::xml_node item = parseItem(
        document,
        R"(<item type="TEXT_DISPLAY" name="box" id="x" fore_color="1;2;3;4" width="12.5" )"
        R"(glow="7" font="3" bkg_color="12;34"/>)");
    CTextDisplay shape;
    std::vector<LoadMessage> messages;
    shape.load(item, &messages);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].item, "box");
    EXPECT_EQ(messages[0].attribute, "id");
    EXPECT_EQ(messages[1].attribute, "fore_color");
    EXPECT_EQ(messages[2].attribute, "width");
    EXPECT_NE(messages[2].text.find("box"), std::string::npos);
    EXPECT_EQ(shape.id(), 1);
    EXPECT_EQ(shape.property("fore_color"), "0;0;255");
    EXPECT_EQ(shape.property("width"), "20");
    EXPECT_EQ(shape.property("font"), "3");
    EXPECT_EQ(shape.property("bkg_color"), "12;34;255");
    ASSERT_EQ(shape.foreignAttributes().size(), 1u);
    const std::string text = saved(shape);
    EXPECT_NE(text.find(" glow=\"7\""), std::string::npos);
    EXPECT_EQ(text.rfind("<item type=\"TEXT_DISPLAY\" name=\"box\" id=\"1\"", 0), 0u);
}

// Values are written so that the compiler reads back what it read before:
// reals keep every digit (not six decimals) and the gap and style numbers
// stay signed as the compiler reads them (a "%u" form would turn -1 into a
// number the compiler rejects).
TEST(ShapeItems, ValuesReadBackAsTheCompilerReadThem) {
    pugi::xml_document document;
    const pugi::xml_node item =
        parseItem(document, R"(<item type="RTC" name="clock" zone="5.1234567" width="-3"/>)");
    CRTC clock;
    std::vector<LoadMessage> messages;
    clock.load(item, &messages);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(clock.property("zone"), "5.1234567");
    CText text;
    ASSERT_TRUE(text.propertyChanged("row_gap", "-1"));
    EXPECT_EQ(text.property("row_gap"), "-1");
    CAnimation animation; // auto_play is read as a real and kept whole
    ASSERT_TRUE(animation.propertyChanged("auto_play", "1.9"));
    EXPECT_EQ(animation.property("auto_play"), "1");
}

TEST(ShapeItems, UnknownKindIsWrittenBackUnchanged) {
    pugi::xml_document document;
    const pugi::xml_node item =
        parseItem(document, R"(<item type="WIDGET" name="w" spin="3"><part a="1"/></item>)");
    CUnknownShape shape;
    shape.load(item, nullptr);
    const auto copy = shape.clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name(), "w");
    EXPECT_EQ(saved(*copy), R"(<item type="WIDGET" name="w" spin="3"><part a="1"/></item>)");
    EXPECT_FALSE(copy->hitTest({0, 0}));
    EXPECT_EQ(copy->handleCount(), 0);
}

TEST(ShapeGeometry, RectangleDraggedBackwardsIsNormalised) {
    CRectangle shape;
    shape.setRect({100, 80, 100, 80});
    shape.dragHandle(4, {40, 30}); // bottom-right corner dragged up and left of the anchor
    EXPECT_EQ(shape.rect(), (ShapeRect{40, 30, 100, 80}));
    EXPECT_EQ(shape.property("xOffset"), "40");
    EXPECT_EQ(shape.property("yOffset"), "30");
    EXPECT_EQ(shape.property("width"), "60");
    EXPECT_EQ(shape.property("height"), "50");
    shape.setRect({10, 20, 5, 8});
    EXPECT_EQ(shape.rect(), (ShapeRect{5, 8, 10, 20}));
}

TEST(ShapeGeometry, CircleFollowsCentreAndRadius) {
    CCircle circle;
    ASSERT_TRUE(circle.propertyChanged("x", "50"));
    ASSERT_TRUE(circle.propertyChanged("y", "60"));
    ASSERT_TRUE(circle.propertyChanged("radius", "10"));
    EXPECT_EQ(circle.rect(), (ShapeRect{40, 50, 60, 70}));
    ASSERT_TRUE(circle.propertyChanged("radius", "25"));
    EXPECT_EQ(circle.rect(), (ShapeRect{25, 35, 75, 85}));
    circle.setRect({0, 0, 40, 30});
    EXPECT_EQ(circle.property("x"), "20");
    EXPECT_EQ(circle.property("y"), "15");
    EXPECT_EQ(circle.property("radius"), "15");
    EXPECT_FALSE(circle.propertyChanged("radius", "big"));
    EXPECT_FALSE(circle.propertyChanged("width", "3"));
}

TEST(ShapeGeometry, LineKeepsItsDirection) {
    CLine line;
    line.setRect({90, 80, 10, 20});
    EXPECT_EQ(line.property("x0"), "90");
    EXPECT_EQ(line.property("y1"), "20");
    EXPECT_EQ(line.handleCount(), 2);
    EXPECT_EQ(line.handle(0), QPoint(90, 80));
    line.offset(5, -5);
    EXPECT_EQ(line.rect(), (ShapeRect{95, 75, 15, 15}));
    line.dragHandle(1, {0, 0});
    EXPECT_EQ(line.property("x1"), "0");
    line.normalise();
    EXPECT_EQ(line.property("x0"), "95");
    // Hit by distance: near the segment, not merely inside its box.
    line.setRect({0, 0, 100, 100});
    EXPECT_TRUE(line.hitTest({50, 52}));
    EXPECT_FALSE(line.hitTest({80, 20}));
    EXPECT_FALSE(line.hitTest({104, 104}));
}

TEST(ShapeGeometry, CurveBoxComesFromItsPoints) {
    CCurve curve;
    ASSERT_TRUE(curve.propertyChanged("path", "10,50,30,20,60,40"));
    EXPECT_EQ(curve.rect(), (ShapeRect{10, 20, 60, 50}));
    EXPECT_EQ(curve.handleCount(), 3);
    EXPECT_TRUE(curve.hitTest({20, 35}));
    EXPECT_FALSE(curve.hitTest({55, 25}));
    curve.offset(5, 5);
    EXPECT_EQ(curve.property("path"), "15,55,35,25,65,45");
    curve.dragHandle(1, {0, 0});
    EXPECT_EQ(curve.rect(), (ShapeRect{0, 0, 65, 55}));
    curve.setRect({0, 0, 130, 110});
    EXPECT_EQ(curve.property("path"), "30,110,0,0,130,90");
}

TEST(ShapeGeometry, HandlesCursorsAndHits) {
    CRectangle shape;
    shape.setRect({10, 20, 31, 41});
    EXPECT_EQ(shape.handleCount(), 8);
    EXPECT_EQ(shape.handle(1), QPoint(20, 20));
    EXPECT_EQ(shape.handle(3), QPoint(31, 30));
    EXPECT_EQ(shape.handle(7), QPoint(10, 30));
    EXPECT_EQ(shape.handleRect(0), (ShapeRect{6, 16, 14, 24}));
    EXPECT_EQ(shape.hitHandle({20, 21}), 1);
    EXPECT_EQ(shape.handleCursor(shape.hitHandle({20, 21})), Qt::SizeVerCursor);
    EXPECT_EQ(shape.handleCursor(0), Qt::SizeFDiagCursor);
    EXPECT_EQ(shape.handleCursor(4), Qt::SizeFDiagCursor);
    EXPECT_EQ(shape.handleCursor(2), Qt::SizeBDiagCursor);
    EXPECT_EQ(shape.handleCursor(6), Qt::SizeBDiagCursor);
    EXPECT_EQ(shape.handleCursor(3), Qt::SizeHorCursor);
    EXPECT_EQ(shape.handleCursor(5), Qt::SizeVerCursor);
    EXPECT_EQ(shape.hitHandle({25, 30}), -1);
    EXPECT_TRUE(shape.hitTest({8, 18}));
    EXPECT_FALSE(shape.hitTest({7, 18}));
    EXPECT_TRUE(shape.hitTest({32, 42}));
    EXPECT_FALSE(shape.hitTest({33, 30}));
    shape.dragHandle(1, {0, 60}); // the top edge dragged below the bottom
    EXPECT_EQ(shape.rect(), (ShapeRect{10, 41, 31, 60}));
    shape.moveTo({0, 0});
    EXPECT_EQ(shape.rect(), (ShapeRect{0, 0, 21, 19}));
}

TEST(ShapeCopy, CloneIsAnEqualSeparateShape) {
    CImageButton button;
    button.setName("ok");
    button.setId(7);
    button.setState(CShape::kSelectedReference);
    ASSERT_TRUE(button.propertyChanged("url_up", "art\\up.png"));
    button.setRect({1, 2, 30, 40});
    const auto copy = button.clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(saved(*copy), saved(button));
    EXPECT_EQ(copy->state(), CShape::kSelectedReference);
    EXPECT_EQ(copy->rect(), button.rect());
    copy->offset(1, 1);
    EXPECT_EQ(button.property("xOffset"), "1");
    EXPECT_FALSE(button.copyFrom(&button));
    EXPECT_FALSE(button.copyFrom(nullptr));
    CRectangle other;
    EXPECT_FALSE(other.copyFrom(&button));
}

} // namespace
