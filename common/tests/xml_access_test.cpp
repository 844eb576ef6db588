#include "common/xml_access.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft;

namespace {

const char* kDoc = R"(<root><item NAME="a" v="1"/><item NAME="b" v="2"><sub/></item></root>)";

}

TEST(XmlAccess, SelectsNodesAndAttributesByXPath) {
    CXMLAccess x;
    ASSERT_TRUE(x.LoadText(kDoc));
    EXPECT_EQ(x.SelectNodes("//item").size(), 2u);
    EXPECT_EQ(x.GetAttribute("//item[@NAME=\"b\"]", "v"), "2");
    EXPECT_FALSE(x.GetAttribute("//item[@NAME=\"c\"]", "v").has_value());
    EXPECT_FALSE(x.GetAttribute("//item[@NAME=\"a\"]", "missing").has_value());
    EXPECT_FALSE(x.IsModified());
}

TEST(XmlAccess, InvalidXPathGivesNothing) {
    CXMLAccess x;
    ASSERT_TRUE(x.LoadText(kDoc));
    EXPECT_TRUE(x.SelectNode("//item[@NAME=").empty());
    EXPECT_TRUE(x.SelectNodes("///").empty());
    EXPECT_FALSE(x.SetAttribute("//[", "v", "1"));
}

TEST(XmlAccess, SetAndRemoveMarkModified) {
    CXMLAccess x;
    ASSERT_TRUE(x.LoadText(kDoc));
    EXPECT_TRUE(x.SetAttribute("//item[@NAME=\"a\"]", "v", "9"));
    EXPECT_TRUE(x.SetAttribute("//item[@NAME=\"a\"]", "new", "x"));
    EXPECT_TRUE(x.IsModified());
    EXPECT_EQ(x.GetAttribute("//item[@NAME=\"a\"]", "v"), "9");
    EXPECT_EQ(x.GetAttribute("//item[@NAME=\"a\"]", "new"), "x");
    EXPECT_TRUE(x.RemoveNode("//sub"));
    EXPECT_FALSE(x.RemoveNode("//sub"));
    EXPECT_EQ(x.GetXml().find("<sub"), std::string::npos);
}

TEST(XmlAccess, MalformedTextReportsTheOffset) {
    CXMLAccess x;
    std::string error;
    EXPECT_FALSE(x.LoadText("<root><a></root>", &error));
    EXPECT_NE(error.find("at byte"), std::string::npos);
    EXPECT_TRUE(x.SelectNode("/root").empty());
    EXPECT_FALSE(x.LoadFile("/nonexistent/file.xml", &error));
}

TEST(XmlAccess, SaveAndReloadRoundTrip) {
    const auto dir = std::filesystem::temp_directory_path() / "xml_access_test";
    std::filesystem::create_directories(dir);
    const auto file = (dir / "doc.xml").string();
    CXMLAccess x;
    ASSERT_TRUE(x.LoadText(kDoc));
    x.SetAttribute("/root", "title", "温度");
    ASSERT_TRUE(x.SaveFile(file));
    EXPECT_FALSE(x.IsModified());
    EXPECT_FALSE(std::filesystem::exists(file + ".saving"));
    CXMLAccess y;
    ASSERT_TRUE(y.LoadFile(file));
    EXPECT_EQ(y.GetAttribute("/root", "title"), "温度");
    EXPECT_EQ(y.SelectNodes("//item").size(), 2u);
    std::filesystem::remove_all(dir);
}

TEST(XmlAccess, SaveIntoMissingFolderFailsAndKeepsModified) {
    CXMLAccess x;
    ASSERT_TRUE(x.LoadText(kDoc));
    x.SetModified(true);
    std::string error;
    EXPECT_FALSE(x.SaveFile("/nonexistent/dir/doc.xml", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(x.IsModified());
}
