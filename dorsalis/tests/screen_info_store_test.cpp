#include "dorsalis/screen_info_store.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

class ScreenInfoFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dorsalis_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Bytes saveAndRead(tft::IScreenInfoStore& store) {
        const fs::path file = dir_ / "image.si";
        std::string error;
        EXPECT_TRUE(store.SaveScreenInfo(file.string(), &error)) << error;
        std::ifstream in(file, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

const Bytes kShowScreen1{0xEE, 0xB2, 0x00, 0x01, 0xFF, 0xFC, 0xFF, 0xFF};
const Bytes kClear{0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF};

} // namespace

TEST(ScreenIds, FirstRequestGetsNextIdAndNamesStayStable) {
    auto store = tft::CreateScreenInfoStore();
    EXPECT_EQ(store->GetScreenId("main"), 0);
    EXPECT_EQ(store->GetScreenId("setup"), 1);
    EXPECT_EQ(store->GetScreenId("main"), 0);
    // Names are compared exactly: a different case is another screen.
    EXPECT_EQ(store->GetScreenId("Main"), 2);
    EXPECT_EQ(store->GetScreenId(""), 3);
}

TEST(CommandBlocks, IdsFollowStoringOrder) {
    auto store = tft::CreateScreenInfoStore();
    EXPECT_EQ(store->AddCommandBlock(kClear.data(), kClear.size()), 0);
    EXPECT_EQ(store->AddCommandBlock(kClear.data(), kClear.size()), 1);
    EXPECT_EQ(store->AddCommandBlock(nullptr, 5), 2);
}

TEST(ProcessStore, FactoryAlwaysHandsOutTheSameObject) {
    EXPECT_NE(tft::GetScreenInfoStore(), nullptr);
    EXPECT_EQ(tft::GetScreenInfoStore(), tft::GetScreenInfoStore());
}

TEST_F(ScreenInfoFile, TwoScreensAndAStartupBlockAreLaidOutByteForByte) {
    auto store = tft::CreateScreenInfoStore();
    store->SetFormatTag(tft::kFormatTagQV10);
    const std::uint8_t settings[12] = {3, 0, 0x53, 0, 4, 1, 1, 3, 30, 0, 235, 55};
    store->SetDeviceSettings(settings);
    ASSERT_EQ(store->GetScreenId("main"), 0);
    ASSERT_EQ(store->GetScreenId("setup"), 1);
    const std::uint16_t block = store->AddCommandBlock(kShowScreen1.data(), kShowScreen1.size());
    store->SetStartupBlock(block, 1);
    store->SetScreenCommands(1, kClear.data(), kClear.size());
    const Bytes screen0{0xEE, 0x42, 0x00, 0x1F, 0xFF, 0xFC, 0xFF, 0xFF};
    store->SetScreenCommands(0, screen0.data(), screen0.size());

    const Bytes image = saveAndRead(*store);
    Bytes expected(136, 0);
    const Bytes head{'Q', 'V', '1', '0', 136, 0, 0, 0, 0, 0, 0,   0, 0, 0,
                     0,   0,   2,   0,   0,   0, 0, 0, 0, 0, 136, 0, 0, 0};
    std::copy(head.begin(), head.end(), expected.begin());
    expected[36] = 152; // start table after two index entries
    expected[40] = 1;   // one command block
    expected[44] = 182; // image size: 136 + 3 * 8 + 8 + 6 + 8
    std::copy(std::begin(settings), std::end(settings), expected.begin() + 88);
    const Bytes entries{7, 0, 0, 0, 160, 0, 0, 0,  // screen 0: 8 bytes at 160
                        5, 0, 0, 0, 168, 0, 0, 0,  // screen 1: 6 bytes at 168
                        7, 0, 0, 0, 174, 0, 0, 0}; // block 0: 8 bytes at 174
    expected.insert(expected.end(), entries.begin(), entries.end());
    expected.insert(expected.end(), screen0.begin(), screen0.end());
    expected.insert(expected.end(), kClear.begin(), kClear.end());
    expected.insert(expected.end(), kShowScreen1.begin(), kShowScreen1.end());
    EXPECT_EQ(image, expected);
}

TEST_F(ScreenInfoFile, ScreenWithoutCommandsIsAnEmptyIndexEntry) {
    auto store = tft::CreateScreenInfoStore();
    store->GetScreenId("only");
    const Bytes image = saveAndRead(*store);
    ASSERT_EQ(image.size(), 144u);
    EXPECT_EQ(u32At(image, 16), 1u);
    EXPECT_EQ(u32At(image, 136), 0xFFFFFFFFu);
    EXPECT_EQ(u32At(image, 140), 0u);
    // No startup block was named: the header says so rather than pointing at
    // an entry that does not exist.
    EXPECT_EQ(u32At(image, 8), 0xFFFFFFFFu);
    EXPECT_EQ(u32At(image, 40), 0u);
}

TEST_F(ScreenInfoFile, CommandsForIdsNeverHandedOutAreIgnored) {
    auto store = tft::CreateScreenInfoStore();
    store->SetScreenCommands(4, kClear.data(), kClear.size());
    const Bytes image = saveAndRead(*store);
    EXPECT_EQ(image.size(), 136u);
    EXPECT_EQ(u32At(image, 16), 0u);
}

TEST_F(ScreenInfoFile, ClearingTheStartupMarkForgetsTheBlock) {
    auto store = tft::CreateScreenInfoStore();
    const auto a = store->AddCommandBlock(kClear.data(), kClear.size());
    const auto b = store->AddCommandBlock(kClear.data(), kClear.size());
    store->SetStartupBlock(b, 1);
    store->SetStartupBlock(a, 0); // not the startup block: no change
    EXPECT_EQ(u32At(saveAndRead(*store), 8), 1u);
    store->SetStartupBlock(b, 0);
    EXPECT_EQ(u32At(saveAndRead(*store), 8), 0xFFFFFFFFu);
}

TEST_F(ScreenInfoFile, ReplacedCommandsKeepOnlyTheLastStream) {
    auto store = tft::CreateScreenInfoStore();
    store->GetScreenId("s");
    store->SetScreenCommands(0, kShowScreen1.data(), kShowScreen1.size());
    store->SetScreenCommands(0, kClear.data(), kClear.size());
    const Bytes image = saveAndRead(*store);
    EXPECT_EQ(u32At(image, 136), 5u);
    EXPECT_EQ(Bytes(image.begin() + 144, image.end()), kClear);
}

TEST_F(ScreenInfoFile, UnwritablePathFailsAndLeavesNothing) {
    auto store = tft::CreateScreenInfoStore();
    std::string error;
    EXPECT_FALSE(store->SaveScreenInfo((dir_ / "missing" / "x.si").string(), &error));
    EXPECT_NE(error.find("x.si"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ScreenInfoFile, RecordTooLongForTheCoreIsRefused) {
    auto store = tft::CreateScreenInfoStore();
    store->GetScreenId("huge");
    const Bytes huge(0x1000001, 0xAA);
    store->SetScreenCommands(0, huge.data(), huge.size());
    std::string error;
    EXPECT_FALSE(store->SaveScreenInfo((dir_ / "huge.si").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir_ / "huge.si"));
}
