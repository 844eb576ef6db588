// The built-in templates as data: both languages hold every attribute the
// compiler reads for each kind and nothing it does not; every item is
// complete; the two copies agree except where they are meant to differ.
#include "command_lines.h"
#include "compiler/items.h"
#include "property_template.h"

#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace tft;
using namespace tft::ide;

namespace {

struct NameCollector : AttributeVisitor {
    std::set<std::string> names;
    void integer(const char* name, std::int32_t&, std::int32_t) override { names.insert(name); }
    void real(const char* name, double&, double) override { names.insert(name); }
    void realAsInteger(const char* name, std::int32_t&, std::int32_t) override {
        names.insert(name);
    }
    void colour(const char* name, std::uint32_t&, std::uint32_t) override { names.insert(name); }
    void text(const char* name, std::string&, const char*) override { names.insert(name); }
};

// The compiler's records of each template kind (0 is both rectangle and ellipse).
std::vector<std::unique_ptr<ObjPropBase>> recordsOf(int typeId) {
    std::vector<std::unique_ptr<ObjPropBase>> r;
    switch (typeId) {
    case 0:
        r.push_back(std::make_unique<PropExport_Rectangle>());
        r.push_back(std::make_unique<PropExport_Ellipse>());
        break;
    case 1:
        r.push_back(std::make_unique<PropExport_Circle>());
        break;
    case 2:
        r.push_back(std::make_unique<PropExport_Line>());
        break;
    case 3:
        r.push_back(std::make_unique<PropExport_Curve>());
        break;
    case 4:
        r.push_back(std::make_unique<PropExport_Text>());
        break;
    case 5:
        r.push_back(std::make_unique<PropExport_Image>());
        break;
    case 6:
        r.push_back(std::make_unique<PropExport_Button>());
        break;
    case 7:
        r.push_back(std::make_unique<PropExport_TextDisplay>());
        break;
    case 8:
        r.push_back(std::make_unique<PropExport_Progress>());
        break;
    case 9:
        r.push_back(std::make_unique<PropExport_Meter>());
        break;
    case 10:
        r.push_back(std::make_unique<PropExport_Slider>());
        break;
    case 11:
        r.push_back(std::make_unique<PropExport_RTC>());
        break;
    case 12:
        r.push_back(std::make_unique<PropExport_Animation>());
        break;
    case 13:
        r.push_back(std::make_unique<PropExport_Graph>());
        break;
    }
    return r;
}

// What the compiler reads of an item of the kind: the common name and id,
// the text of the kinds that show one, and the record's own attributes.
std::set<std::string> compilerReads(int typeId) {
    NameCollector collector;
    for (auto& record : recordsOf(typeId))
        record->visit(collector);
    collector.names.insert({"name", "id"});
    if (typeId == 4 || typeId == 7)
        collector.names.insert("text");
    return collector.names;
}

void forEachItem(const pugi::xml_node& from, const std::function<void(pugi::xml_node)>& fn) {
    for (pugi::xml_node item : from.children("item")) {
        fn(item);
        forEachItem(item, fn);
    }
}

const int kLanguages[] = {kLanguageChinese, kLanguageEnglish};

} // namespace

TEST(Templates, EveryAttributeTheCompilerReadsIsInItsKindsTemplateAndNothingElse) {
    for (int language : kLanguages) {
        for (int typeId = 0; typeId <= 13; ++typeId) {
            SCOPED_TRACE("language " + std::to_string(language) + ", TYPEID " +
                         std::to_string(typeId));
            const PropertyTemplate tpl = PropertyTemplate::forShapeKind(typeId, language);
            ASSERT_FALSE(tpl.empty());
            const std::set<std::string> reads = compilerReads(typeId);
            ASSERT_GT(reads.size(), 3u);
            for (const std::string& name : reads)
                EXPECT_TRUE(tpl.find(name)) << name << " is read but not in the template";
            std::set<std::string> seen;
            forEachItem(tpl.root(), [&](pugi::xml_node item) {
                const std::string name = item.attribute("NAME").value();
                if (PropertyTemplate::isCategory(item)) {
                    EXPECT_EQ(reads.count(name), 0u)
                        << "category " << name << " hides an attribute";
                    return;
                }
                EXPECT_EQ(reads.count(name), 1u) << name << " is not read by the compiler";
                EXPECT_TRUE(seen.insert(name).second) << name << " twice";
            });
        }
    }
}

TEST(Templates, EveryItemIsCompleteInBothLanguages) {
    const std::set<std::string> kinds = {"CATEGORY",  "INPUT",  "SELECT", "SCREEN",
                                         "CHECKBOX",  "SLIDER", "COLOR",  "FILE",
                                         "ANIMATION", "FONT",   "ACTION", "COMBOX"};
    for (int language : kLanguages) {
        std::vector<PropertyTemplate> all;
        for (int typeId = 0; typeId <= 13; ++typeId)
            all.push_back(PropertyTemplate::forShapeKind(typeId, language));
        all.push_back(PropertyTemplate::forScreen(language));
        all.push_back(PropertyTemplate::forProject(language));
        for (const PropertyTemplate& tpl : all) {
            ASSERT_FALSE(tpl.empty());
            forEachItem(tpl.root(), [&](pugi::xml_node item) {
                const std::string name = item.attribute("NAME").value();
                SCOPED_TRACE(name);
                EXPECT_FALSE(name.empty());
                EXPECT_TRUE(*item.attribute("CAPTION").value());
                EXPECT_TRUE(*item.attribute("TIPS").value()) << "no tooltip";
                EXPECT_EQ(kinds.count(PropertyTemplate::editorKind(item)), 1u);
                EXPECT_TRUE(item.attribute("VALUE")) << "no default";
                const auto options = splitList(item.attribute("OPTIONS").value());
                const auto enums = splitList(item.attribute("ENUMS").value());
                EXPECT_EQ(options.size(), enums.size());
                const bool filled = name == "font" || name == "DeviceType";
                if (PropertyTemplate::editorKind(item) == "SELECT" && !filled) {
                    EXPECT_NE(
                        std::find(enums.begin(), enums.end(), item.attribute("VALUE").value()),
                        enums.end())
                        << "the default is no choice";
                }
            });
        }
    }
}

TEST(Templates, TheTwoCopiesDifferOnlyWhereTheyAreMeantTo) {
    for (int typeId = 0; typeId <= 13; ++typeId) {
        EXPECT_EQ(PropertyTemplate::forShapeKind(typeId, kLanguageChinese).names(),
                  PropertyTemplate::forShapeKind(typeId, kLanguageEnglish).names())
            << typeId;
    }
    const auto zh = [](int id) { return PropertyTemplate::forShapeKind(id, kLanguageChinese); };
    const auto en = [](int id) { return PropertyTemplate::forShapeKind(id, kLanguageEnglish); };
    EXPECT_EQ(en(5).value("url"), "Select Image");
    EXPECT_EQ(zh(5).value("url"), "");
    EXPECT_STREQ(zh(6).find("url_up").attribute("EXPAND").value(), "1");
    EXPECT_STREQ(en(6).find("url_up").attribute("EXPAND").value(), "");
    EXPECT_STREQ(en(10).find("cursor_direction").attribute("EDITABLE").value(), "0");
    EXPECT_STREQ(zh(10).find("cursor_offset").attribute("EDITABLE").value(), "0");
    EXPECT_EQ(PropertyTemplate::forProject(kLanguageChinese).value("DeviceBacklightOff"), "50");
    EXPECT_EQ(PropertyTemplate::forProject(kLanguageEnglish).value("DeviceBacklightOff"), "0");
    // The button's pictures start collapsed; its usage type shows its items.
    EXPECT_STREQ(en(6).find("images").attribute("VALUE").value(), "0");
    EXPECT_STREQ(en(6).find("button_type").attribute("EXPAND").value(), "1");
}

TEST(Templates, ChoicesStoreTheirValuesNotTheirPositions) {
    const auto stored = [](const PropertyTemplate& tpl, const char* name, const char* caption) {
        const pugi::xml_node item = tpl.find(name);
        const auto options = splitList(item.attribute("OPTIONS").value());
        const auto enums = splitList(item.attribute("ENUMS").value());
        const auto at = std::find(options.begin(), options.end(), caption);
        return at == options.end() ? std::string("?") : enums[std::size_t(at - options.begin())];
    };
    for (int language : kLanguages) {
        const PropertyTemplate project = PropertyTemplate::forProject(language);
        EXPECT_EQ(stored(project, "DeviceBaudRate", "1000000"), "8");
        EXPECT_EQ(stored(project, "DeviceBaudRate", "2000000"), "9");
        EXPECT_EQ(stored(project, "DeviceBaudRate", "218750"), "10");
        EXPECT_EQ(stored(project, "DeviceBaudRate", "9600"), "3");
        EXPECT_EQ(stored(PropertyTemplate::forShapeKind(11, language), "format", "HH:MM:SS"), "3");
        EXPECT_EQ(stored(PropertyTemplate::forShapeKind(13, language), "sample_depth",
                         language == kLanguageChinese ? "2字节" : "2 Bytes"),
                  "2");
    }
}

TEST(Templates, AShapeKindWithoutATemplateGivesAnEmptyOne) {
    EXPECT_TRUE(PropertyTemplate::forShapeKind(14, kLanguageEnglish).empty());
    EXPECT_TRUE(PropertyTemplate::forShapeKind(-1, kLanguageEnglish).empty());
    PropertyTemplate bad;
    EXPECT_FALSE(bad.parse("<item"));
    EXPECT_TRUE(bad.empty());
    EXPECT_FALSE(bad.setValue("name", "x"));
}
