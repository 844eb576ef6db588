#include "modbus/map_model.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace tessary;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::filesystem::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// A header with the given length, address and checksum, then the given row bytes.
Bytes mapFile(std::uint32_t checksum, std::uint32_t length, std::uint8_t address,
              const Bytes& rows = {}) {
    Bytes b;
    const auto u32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    u32(checksum);
    u32(0xAABBCCDDu);
    u32(length);
    u32(address);
    for (std::uint8_t r : rows)
        b.push_back(r);
    return b;
}

} // namespace

TEST(MapRowTest, NewRowValuesAndLittleEndianLayout) {
    MapRow row;
    row.screenId = 0x1234;
    row.controlId = 0xABCD;
    row.slave = 254;
    row.functionCode = 23;
    row.startAddress = 0xFF01;
    row.use = kUseSystemTime;
    std::uint8_t out[kRowSize];
    encodeRow(row, out);
    EXPECT_EQ(Bytes(out, out + kRowSize),
              (Bytes{0x34, 0x12, 0xCD, 0xAB, 254, 23, 0x01, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(decodeRow(out), row);

    std::uint8_t fresh[kRowSize];
    encodeRow(MapRow{}, fresh);
    EXPECT_EQ(Bytes(fresh, fresh + kRowSize),
              (Bytes{0, 0, 0, 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(MapRowTest, ReservedBytesSurviveARoundTrip) {
    const Bytes in{1, 0, 2, 0, 3, 4, 5, 0, 1, 9, 8, 7, 6, 5, 4, 3};
    std::uint8_t out[kRowSize];
    encodeRow(decodeRow(in.data()), out);
    EXPECT_EQ(Bytes(out, out + kRowSize), in);
}

TEST(MapRowTest, TextsOfCodesAndUses) {
    EXPECT_EQ(functionCodeText(3), "03-ReadHoldingRegs");
    EXPECT_EQ(functionCodeText(23), "23-ReadWriteMultReg");
    EXPECT_EQ(functionCodeText(7), "7");
    EXPECT_EQ(useText(1), "画面切换绑定");
    EXPECT_EQ(useText(9), "9");
}

TEST(MapRowTest, ClampsTypedNumbersIntoColumnRanges) {
    EXPECT_EQ(clampField(NumberField::ScreenId, -5), 0);
    EXPECT_EQ(clampField(NumberField::ScreenId, 70000), 65535);
    EXPECT_EQ(clampField(NumberField::StartAddress, 65535), 65535);
    EXPECT_EQ(clampField(NumberField::Slave, 0), 1);
    EXPECT_EQ(clampField(NumberField::Slave, 255), 254);
    EXPECT_EQ(clampField(NumberField::ControlId, 1LL << 40), 65535);
}

TEST(DocumentTest, NewDocumentHoldsOneNewRowAtAddress201) {
    CTessaryDoc doc;
    ASSERT_EQ(doc.rows().size(), 1u);
    EXPECT_EQ(doc.rows()[0], MapRow{});
    EXPECT_EQ(doc.deviceAddress(), 201);
}

TEST(DocumentTest, DeviceAddressOutsideRangeIsRefused) {
    CTessaryDoc doc;
    EXPECT_FALSE(doc.setDeviceAddress(200));
    EXPECT_FALSE(doc.setDeviceAddress(211));
    EXPECT_EQ(doc.deviceAddress(), 201);
    EXPECT_TRUE(doc.setDeviceAddress(210));
    EXPECT_EQ(doc.deviceAddress(), 210);
}

TEST(DocumentTest, RemovingRowsSelectsLowestRemovedPositionOrLastRow) {
    CTessaryDoc doc;
    for (int i = 1; i < 6; ++i)
        doc.setField(doc.addRow(), NumberField::ScreenId, i);
    // rows hold screen ids 0..5
    EXPECT_EQ(doc.removeRows({3, 1, 3, 99}), 1);
    ASSERT_EQ(doc.rows().size(), 4u);
    EXPECT_EQ(doc.rows()[1].screenId, 2);
    EXPECT_EQ(doc.rows()[2].screenId, 4);
    EXPECT_EQ(doc.removeRows({3}), 2); // position 3 is now past the end
    EXPECT_EQ(doc.removeRows({}), -1);
    EXPECT_EQ(doc.removeRows({0, 1, 2}), -1);
    EXPECT_TRUE(doc.rows().empty());
}

TEST(MapFileTest, EmptyMapIsSixteenBytesWithChecksum983) {
    CTessaryDoc doc;
    doc.clear();
    EXPECT_EQ(doc.serialize(), mapFile(983, 0, 201));
}

TEST(MapFileTest, OneNewRowAddsFourForTheRowAndSixteenForTheLength) {
    CTessaryDoc doc;
    const Bytes row{0, 0, 0, 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(doc.serialize(), mapFile(983 + 16 + 4, 16, 201, row));
}

TEST(MapFileTest, SaveAndLoadRoundTripThroughDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path path = dir.filePath("map.mbm").toStdString();
    CTessaryDoc doc;
    ASSERT_TRUE(doc.setDeviceAddress(207));
    doc.setField(0, NumberField::ScreenId, 12);
    doc.rows()[0].use = kUseScreenChange;
    const auto r = doc.addRow();
    doc.rows()[r].functionCode = 16;
    doc.setField(r, NumberField::StartAddress, 40001);
    std::string error;
    ASSERT_TRUE(doc.saveFile(path, &error)) << error;
    EXPECT_EQ(readAll(path), doc.serialize());

    CTessaryDoc loaded;
    LoadStatus status{};
    ASSERT_TRUE(loaded.loadFile(path, &status, &error));
    EXPECT_EQ(status, LoadStatus::Ok);
    EXPECT_EQ(loaded, doc);
    EXPECT_EQ(loaded.serialize(), doc.serialize());
}

TEST(MapFileTest, SaveLeavesNoTemporaryFilesAndReplacesOldContent) {
    QTemporaryDir dir;
    const std::filesystem::path path = dir.filePath("map.mbm").toStdString();
    writeAll(path, Bytes(100, 0x55));
    CTessaryDoc doc;
    std::string error;
    ASSERT_TRUE(doc.saveFile(path, &error)) << error;
    EXPECT_EQ(readAll(path), doc.serialize());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(MapFileTest, SaveIntoMissingFolderFailsWithMessage) {
    QTemporaryDir dir;
    CTessaryDoc doc;
    std::string error;
    EXPECT_FALSE(doc.saveFile(dir.filePath("no/such/map.mbm").toStdString(), &error));
    EXPECT_FALSE(error.empty());
}

TEST(MapLoadTest, AddressByteIsClampedInto201To210) {
    CTessaryDoc doc;
    ASSERT_EQ(doc.load(mapFile(0xDD + 0xCC + 0xBB + 0xAA + 0, 0, 0).data(), 16), LoadStatus::Ok);
    EXPECT_EQ(doc.deviceAddress(), 201);
    ASSERT_EQ(doc.load(mapFile(0xDD + 0xCC + 0xBB + 0xAA + 255, 0, 255).data(), 16),
              LoadStatus::Ok);
    EXPECT_EQ(doc.deviceAddress(), 210);
    ASSERT_EQ(doc.load(mapFile(0xDD + 0xCC + 0xBB + 0xAA + 205, 0, 205).data(), 16),
              LoadStatus::Ok);
    EXPECT_EQ(doc.deviceAddress(), 205);
}

TEST(MapLoadTest, ShortHeaderOrWrongMagicLeavesDocumentEmpty) {
    CTessaryDoc doc;
    Bytes file = mapFile(983, 0, 201);
    EXPECT_EQ(doc.load(file.data(), 15), LoadStatus::HeaderError);
    EXPECT_TRUE(doc.rows().empty());
    EXPECT_EQ(doc.load(nullptr, 0), LoadStatus::HeaderError);
    file[7] = 0xAB;
    doc.addRow();
    EXPECT_EQ(doc.load(file.data(), file.size()), LoadStatus::HeaderError);
    EXPECT_TRUE(doc.rows().empty());
    EXPECT_STREQ(loadStatusMessage(LoadStatus::HeaderError), "文件头出错！");
}

TEST(MapLoadTest, MissingRowBytesKeepTheRowsReadSoFar) {
    CTessaryDoc source;
    source.addRow();
    source.setField(1, NumberField::ControlId, 77);
    Bytes file = source.serialize();
    file.resize(file.size() - 1); // the second row lacks its last byte
    CTessaryDoc doc;
    EXPECT_EQ(doc.load(file.data(), file.size()), LoadStatus::LengthError);
    ASSERT_EQ(doc.rows().size(), 1u);
    EXPECT_EQ(doc.rows()[0], MapRow{});
    EXPECT_STREQ(loadStatusMessage(LoadStatus::LengthError), "文件长度出错！");
}

TEST(MapLoadTest, HugeLengthFieldEndsAsLengthErrorWithoutReservingIt) {
    const Bytes file = mapFile(0, 0xFFFFFFF0u, 201, Bytes(32, 0));
    CTessaryDoc doc;
    EXPECT_EQ(doc.load(file.data(), file.size()), LoadStatus::LengthError);
    EXPECT_EQ(doc.rows().size(), 2u);
    EXPECT_LT(doc.rows().capacity(), 1000u);
}

TEST(MapLoadTest, ChecksumMismatchKeepsLoadedRows) {
    CTessaryDoc source;
    source.setField(0, NumberField::ScreenId, 3);
    Bytes file = source.serialize();
    file[0] ^= 1;
    CTessaryDoc doc;
    EXPECT_EQ(doc.load(file.data(), file.size()), LoadStatus::ChecksumError);
    ASSERT_EQ(doc.rows().size(), 1u);
    EXPECT_EQ(doc.rows()[0].screenId, 3);
    EXPECT_STREQ(loadStatusMessage(LoadStatus::ChecksumError), "文件校验和出错！");
}

TEST(MapLoadTest, TrailingBytesAndPartialRowLengthAreIgnored) {
    // Length 20 means one whole row; bytes after the row area are not read.
    Bytes row{5, 0, 6, 0, 7, 4, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::uint32_t sum = 0xDD + 0xCC + 0xBB + 0xAA + 20 + 201 + 5 + 6 + 7 + 4 + 8;
    Bytes file = mapFile(sum, 20, 201, row);
    file.insert(file.end(), {9, 9, 9, 9, 9});
    CTessaryDoc doc;
    EXPECT_EQ(doc.load(file.data(), file.size()), LoadStatus::Ok);
    ASSERT_EQ(doc.rows().size(), 1u);
    EXPECT_EQ(doc.rows()[0].controlId, 6);
}

TEST(MapLoadTest, MissingFileReportsErrorAndLeavesDocumentAlone) {
    QTemporaryDir dir;
    CTessaryDoc doc;
    doc.addRow();
    LoadStatus status = LoadStatus::Ok;
    std::string error;
    EXPECT_FALSE(doc.loadFile(dir.filePath("absent.mbm").toStdString(), &status, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(doc.loadFile(dir.path().toStdString(), &status, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(doc.rows().size(), 2u);
}
