// The Modbus map: rows that tell a panel working as a Modbus master which remote
// registers or coils to poll or write and what each entry drives on the panel,
// plus the panel's own device address. Plain data and the .mbm file layout; no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessary {

constexpr std::size_t kRowSize = 16;
constexpr std::size_t kHeaderSize = 16;
constexpr std::uint32_t kMapMagic = 0xAABBCCDDu;

constexpr std::uint8_t kDeviceAddressMin = 201;
constexpr std::uint8_t kDeviceAddressMax = 210;
constexpr std::uint8_t kDeviceAddressDefault = 201;

constexpr int kSlaveMin = 1;
constexpr int kSlaveMax = 254;

// What a row is bound to on the panel (byte 8 of a row).
enum RowUse : std::uint8_t {
    kUseControlUpdate = 0,
    kUseScreenChange = 1,
    kUseSystemTime = 2,
};

// One map entry, exactly as stored: 16 bytes, multi-byte fields little-endian.
struct MapRow {
    std::uint16_t screenId = 0;
    std::uint16_t controlId = 0;
    std::uint8_t slave = 1;
    std::uint8_t functionCode = 3;
    std::uint16_t startAddress = 0;
    std::uint8_t use = kUseControlUpdate;
    // Kept as read so that a load-save round trip never changes a file's bytes.
    std::array<std::uint8_t, 7> reserved{};

    bool operator==(const MapRow& o) const;
    bool operator!=(const MapRow& o) const { return !(*this == o); }
};

void encodeRow(const MapRow& row, std::uint8_t* out); // writes kRowSize bytes
MapRow decodeRow(const std::uint8_t* in);             // reads kRowSize bytes

// Rows as they travel between maps (the clipboard): their 16-byte records back
// to back, exactly as in a map file.
std::vector<std::uint8_t> encodeRows(const std::vector<MapRow>& rows);
// False (and `rows` untouched) unless `size` is whole rows, at least one, and
// no more than a map file may hold.
bool decodeRows(const std::uint8_t* data, std::size_t size, std::vector<MapRow>* rows);

struct CodeText {
    std::uint8_t code;
    const char* text;
};
// The function codes offered in the grid, in drop-down order.
extern const std::array<CodeText, 9> kFunctionCodes;
// The uses, in drop-down order (index == value).
extern const std::array<CodeText, 3> kUses;

// Display text of a function code or use; a value outside the lists (possible
// in a file written elsewhere) shows as its decimal number.
std::string functionCodeText(std::uint8_t code);
std::string useText(std::uint8_t use);

// The editable numeric columns and their ranges.
enum class NumberField { ScreenId, ControlId, Slave, StartAddress };
int fieldMin(NumberField f);
int fieldMax(NumberField f);
int clampField(NumberField f, long long value);

// Address bytes up to 200 become 201, above 210 become 210.
std::uint8_t clampDeviceAddress(int value);

enum class LoadStatus {
    Ok,
    HeaderError,   // short header or wrong magic: nothing loaded
    LengthError,   // a row missing bytes: the rows before it stay
    ChecksumError, // sum differs: everything read stays
};
// The user-facing message of a load outcome (empty for Ok).
const char* loadStatusMessage(LoadStatus status);

// CTessaryDoc: the map document. A new document holds one new row.
class CTessaryDoc {
public:
    CTessaryDoc();

    const std::vector<MapRow>& rows() const { return rows_; }
    std::vector<MapRow>& rows() { return rows_; }
    std::uint8_t deviceAddress() const { return deviceAddress_; }
    // Refuses (returns false) an address outside 201-210.
    bool setDeviceAddress(int address);

    // Appends a new row; returns its index.
    std::size_t addRow();
    // Inserts `rows` before position `at` (the end when past it); returns the
    // position of the first inserted row.
    std::size_t insertRows(std::size_t at, const std::vector<MapRow>& rows);
    // Removes the given rows (any order, duplicates and bad indexes ignored);
    // returns the row to select afterwards: the lowest removed position, or
    // the last row when that is now past the end; -1 when the table is empty
    // or nothing was removed.
    long removeRows(std::vector<std::size_t> indexes);
    void clear() { rows_.clear(); }

    // Stores a typed number into a row's column, clamped to the column's range;
    // returns the value stored.
    int setField(std::size_t row, NumberField field, long long value);

    // The .mbm bytes: header (checksum, magic, length, address) then the rows.
    std::vector<std::uint8_t> serialize() const;
    // Replaces the content from .mbm bytes. Never reads past `size`.
    LoadStatus load(const std::uint8_t* data, std::size_t size);

    // Writes atomically (temporary file, then rename): a failed save leaves the
    // old file untouched. On failure returns false and sets `error`.
    bool saveFile(const std::filesystem::path& path, std::string* error) const;
    // Reads a file; a file that cannot be read sets `error` and returns false
    // (the document is then untouched). Otherwise `status` holds the outcome.
    bool loadFile(const std::filesystem::path& path, LoadStatus* status, std::string* error);

    bool operator==(const CTessaryDoc& o) const {
        return rows_ == o.rows_ && deviceAddress_ == o.deviceAddress_;
    }

private:
    std::vector<MapRow> rows_;
    std::uint8_t deviceAddress_ = kDeviceAddressDefault;
};

// Largest file the loader accepts: more rows than any panel can hold, with room
// to spare; bigger files are refused before anything is read into memory.
constexpr std::uintmax_t kMaxMapFileSize = 16u * 1024u * 1024u;

} // namespace tessary
