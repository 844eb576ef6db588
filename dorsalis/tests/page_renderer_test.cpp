// The page renderer over an image written by the store.
#include "dorsalis/page_renderer.h"
#include "dorsalis/screen_info_store.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tft;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

namespace {

const Bytes kBackground{0xEE, 0x42, 0x12, 0x34, 0xFF, 0xFC, 0xFF, 0xFF};
const Bytes kClear{0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF};

struct Build {
    Build() : dir(fs::temp_directory_path() / ("renderer_" + std::to_string(::getpid()))) {
        fs::create_directories(dir);
        auto store = CreateScreenInfoStore();
        Bytes home = kBackground;
        home.insert(home.end(), kClear.begin(), kClear.end());
        store->SetScreenCommands(store->GetScreenId("home"), home.data(), home.size());
        store->GetScreenId("say \"hi\""); // handed out, never given commands
        Bytes cut = kClear;
        cut.insert(cut.end(), {0xEE, 0x01, 0xFF}); // a frame without its tail
        store->SetScreenCommands(store->GetScreenId("cut"), cut.data(), cut.size());
        EXPECT_TRUE(store->SaveScreenInfo((dir / "demo.si").string()));
        std::ofstream(dir / "demo.tftres")
            << "<?xml version=\"1.0\"?>\n<Resource><pages><page name=\"home\" id=\"0\"/>"
               "<page name=\"say &quot;hi&quot;\" id=\"1\"/><page name=\"cut\" id=\"2\"/>"
               "</pages></Resource>\n";
    }
    ~Build() { fs::remove_all(dir); }
    std::string tftres() const { return (dir / "demo.tftres").string(); }
    fs::path dir;
};

TEST(PageRenderer, ReturnsTheScreensFramesInTwoCalls) {
    Build build;
    auto renderer = CreatePageRenderer();
    renderer->Close();
    ASSERT_TRUE(renderer->Open(build.tftres()));
    std::size_t size = 0;
    ASSERT_TRUE(renderer->RenderPage(0, nullptr, &size));
    EXPECT_EQ(size, kBackground.size() + kClear.size());
    Bytes small(size - 1);
    std::size_t smallSize = small.size();
    EXPECT_FALSE(renderer->RenderPage(0, small.data(), &smallSize));
    Bytes expected = kBackground;
    expected.insert(expected.end(), kClear.begin(), kClear.end());
    EXPECT_EQ(RenderPageFrames(*renderer, 0), expected);
    // An empty screen draws nothing; bytes after the last tail are no frame.
    size = 99;
    EXPECT_TRUE(renderer->RenderPage(1, nullptr, &size));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(RenderPageFrames(*renderer, 2), kClear);
    EXPECT_FALSE(renderer->RenderPage(3, nullptr, &size));
    renderer->Close();
    EXPECT_FALSE(renderer->RenderPage(0, nullptr, &size));
}

TEST(PageRenderer, FindsPagesByNameEvenWithQuotationMarks) {
    Build build;
    EXPECT_EQ(FindPageId(build.tftres(), "home"), 0);
    EXPECT_EQ(FindPageId(build.tftres(), "say \"hi\""), 1);
    EXPECT_EQ(FindPageId(build.tftres(), "nothing"), -1);
    EXPECT_EQ(FindPageId((build.dir / "none.tftres").string(), "home"), -1);
}

TEST(PageRenderer, DamagedFilesDoNotOpen) {
    Build build;
    auto renderer = CreatePageRenderer();
    std::ofstream(build.dir / "bad.tftres") << "<Resource><pages>";
    EXPECT_FALSE(renderer->Open((build.dir / "bad.tftres").string()));
    // A screen image cut inside its index.
    fs::copy_file(build.dir / "demo.tftres", build.dir / "short.tftres");
    fs::copy_file(build.dir / "demo.si", build.dir / "short.si");
    fs::resize_file(build.dir / "short.si", 140);
    EXPECT_FALSE(renderer->Open((build.dir / "short.tftres").string()));
    // A record pointing past the end of the image.
    fs::copy_file(build.dir / "demo.tftres", build.dir / "far.tftres");
    {
        std::ifstream in(build.dir / "demo.si", std::ios::binary);
        Bytes image(std::istreambuf_iterator<char>(in), {});
        image[136 + 4] = 0xF0; // screen 0's offset
        image[136 + 7] = 0x7F;
        std::ofstream(build.dir / "far.si", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    ASSERT_TRUE(renderer->Open((build.dir / "far.tftres").string()));
    std::size_t size = 0;
    EXPECT_FALSE(renderer->RenderPage(0, nullptr, &size));
    EXPECT_FALSE(renderer->Open((build.dir / "missing.tftres").string()));
}

} // namespace
