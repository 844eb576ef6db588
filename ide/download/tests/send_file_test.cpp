// Packet forms of SendFile and the file digest.
#include "fake_proxy.h"
#include "send_file.h"
#include "testing/test_support.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
using testsupport::TempFolder;
using tft::ide::testing::FakeProxy;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string writeFile(const TempFolder& dir, const std::string& name, std::size_t length) {
    Bytes b(length);
    for (std::size_t i = 0; i < length; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const std::string path = (dir.path() / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
}

std::vector<int> counts(const FakeProxy& proxy) {
    std::vector<int> out;
    for (const auto& call : proxy.of('d'))
        out.push_back(call.count());
    return out;
}

const std::uint8_t kHeader = 0x97;

TEST(SendFile, PacketCountsFollowTheBlockAndTheStartOffset) {
    TempFolder dir;
    struct Case {
        std::size_t length, block;
        std::uint64_t offset;
        std::vector<int> counts;
    } cases[] = {
        {2048, 2048, 0, {2048, 0}}, // a full block ends with a zero packet
        {0, 2048, 0, {0}},          // an empty file is one zero packet
        {5000, 2048, 0, {2048, 2048, 904}},
        {300, 256, 0, {256, 44}},           // the small device's block
        {1200, 2048, 3000, {1096, 104, 0}}, // shortened first chunk, closing zero packet
        {1096, 2048, 3000, {1096, 0}},      // the last packet carried nothing: no extra
        {5000, 2048, 4096, {2048, 2048, 904, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " bytes, block " + std::to_string(c.block) +
                     ", offset " + std::to_string(c.offset));
        FakeProxy proxy;
        const std::string path = writeFile(dir, "f.bin", c.length);
        ASSERT_TRUE(SendFile(proxy, &kHeader, 1, path, c.offset, c.block));
        EXPECT_EQ(proxy.headers(), (std::vector<Bytes>{{kHeader}}));
        EXPECT_EQ(counts(proxy), c.counts);
        for (const auto& call : proxy.of('d'))
            EXPECT_EQ(call.bytes.size(), c.block + 2);
    }
}

TEST(SendFile, PacketsCarryTheFileAndZerosAfterIt) {
    TempFolder dir;
    FakeProxy proxy;
    const std::string path = writeFile(dir, "f.bin", 2100);
    ASSERT_TRUE(SendFile(proxy, &kHeader, 1, path, 0, 2048));
    const auto data = proxy.of('d');
    ASSERT_EQ(data.size(), 2u);
    Bytes joined;
    joined.insert(joined.end(), data[0].bytes.begin() + 2, data[0].bytes.end());
    joined.insert(joined.end(), data[1].bytes.begin() + 2, data[1].bytes.begin() + 2 + 52);
    EXPECT_EQ(joined, testsupport::readBytes(path));
    EXPECT_TRUE(std::all_of(data[1].bytes.begin() + 54, data[1].bytes.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST(SendFile, StopsAtTheFirstMissingAcknowledge) {
    TempFolder dir;
    const std::string path = writeFile(dir, "f.bin", 10000);
    FakeProxy header;
    header.acknowledgeCalls = 0;
    EXPECT_FALSE(SendFile(header, &kHeader, 1, path, 0, 2048));
    EXPECT_EQ(header.calls.size(), 1u);
    FakeProxy data;
    data.acknowledgeCalls = 3; // the header and two packets
    EXPECT_FALSE(SendFile(data, &kHeader, 1, path, 0, 2048));
    EXPECT_EQ(data.of('d').size(), 3u);
}

TEST(SendFile, MissingFileSendsNotEvenTheHeader) {
    TempFolder dir;
    FakeProxy proxy;
    EXPECT_FALSE(SendFile(proxy, &kHeader, 1, (dir.path() / "none").string(), 0, 2048));
    EXPECT_TRUE(proxy.calls.empty());
}

TEST(SendFile, ProgressStaysBelowAHundredOnLargeFiles) {
    TempFolder dir;
    FakeProxy proxy;
    const std::string path = writeFile(dir, "f.bin", 2048 * 10 + 5);
    std::vector<int> seen;
    ASSERT_TRUE(SendFile(proxy, &kHeader, 1, path, 0, 2048, [&](int p) { seen.push_back(p); }));
    EXPECT_EQ(seen, (std::vector<int>{9, 19, 29, 39, 49, 59, 69, 79, 89, 99}));
}

TEST(SendFile, BlockSizeFollowsTheDeviceType) {
    EXPECT_EQ(downloadBlockSize(1), 256u);
    EXPECT_EQ(downloadBlockSize(0), 2048u);
    EXPECT_EQ(downloadBlockSize(2), 2048u);
}

TEST(FileDigest, HexMd5OfTheWholeFile) {
    TempFolder dir;
    dir.write("abc.txt", "abc");
    dir.write("empty.txt", "");
    EXPECT_EQ(fileDigest((dir.path() / "abc.txt").string()), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(fileDigest((dir.path() / "empty.txt").string()), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(fileDigest((dir.path() / "none").string()), "");
}

} // namespace
