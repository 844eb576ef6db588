#include "common/paths.h"

#include <gtest/gtest.h>

using namespace tft;

TEST(Paths, JoinAcceptsBothSeparatorsAndKeepsCase) {
    EXPECT_EQ(joinProjectPath("/p/Proj", "Pages\\Main.xml"),
              std::filesystem::path("/p/Proj/Pages/Main.xml"));
    EXPECT_EQ(joinProjectPath("/p", "img/A.PNG"), std::filesystem::path("/p/img/A.PNG"));
    EXPECT_EQ(toNativeSeparators("a\\B\\c"), "a/B/c");
}

TEST(Paths, ConfinementOfOutputFolders) {
    EXPECT_EQ(checkConfinement("output"), Confinement::Inside);
    EXPECT_EQ(checkConfinement("output\\"), Confinement::Inside);
    EXPECT_EQ(checkConfinement("build/out"), Confinement::Inside);
    EXPECT_EQ(checkConfinement("a/../b"), Confinement::Inside);
    EXPECT_EQ(checkConfinement(""), Confinement::Empty);
    EXPECT_EQ(checkConfinement("   "), Confinement::Empty);
    EXPECT_EQ(checkConfinement("."), Confinement::FolderItself);
    EXPECT_EQ(checkConfinement(".\\"), Confinement::FolderItself);
    EXPECT_EQ(checkConfinement("output/.."), Confinement::FolderItself);
    EXPECT_EQ(checkConfinement(".."), Confinement::Escapes);
    EXPECT_EQ(checkConfinement("..\\other"), Confinement::Escapes);
    EXPECT_EQ(checkConfinement("a/../../b"), Confinement::Escapes);
    EXPECT_EQ(checkConfinement("/tmp/out"), Confinement::Absolute);
    EXPECT_EQ(checkConfinement("\\out"), Confinement::Absolute);
    EXPECT_EQ(checkConfinement("C:\\out"), Confinement::Absolute);
    EXPECT_EQ(checkConfinement("~/out"), Confinement::Absolute);
}

TEST(Paths, ApplicationDirIsTheTestsOwnFolder) {
    const auto dir = applicationDir();
    EXPECT_TRUE(std::filesystem::exists(dir / "common_tests"));
}
