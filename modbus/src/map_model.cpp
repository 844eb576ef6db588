#include "modbus/map_model.h"

#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <fstream>

namespace tessary {

namespace {

void putU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

std::uint16_t getU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t getU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t byteSum(const std::uint8_t* p, std::size_t n, std::uint32_t sum = 0) {
    for (std::size_t i = 0; i < n; ++i)
        sum += p[i];
    return sum;
}

} // namespace

bool MapRow::operator==(const MapRow& o) const {
    return screenId == o.screenId && controlId == o.controlId && slave == o.slave &&
           functionCode == o.functionCode && startAddress == o.startAddress && use == o.use &&
           reserved == o.reserved;
}

void encodeRow(const MapRow& row, std::uint8_t* out) {
    putU16(out + 0, row.screenId);
    putU16(out + 2, row.controlId);
    out[4] = row.slave;
    out[5] = row.functionCode;
    putU16(out + 6, row.startAddress);
    out[8] = row.use;
    std::copy(row.reserved.begin(), row.reserved.end(), out + 9);
}

MapRow decodeRow(const std::uint8_t* in) {
    MapRow row;
    row.screenId = getU16(in + 0);
    row.controlId = getU16(in + 2);
    row.slave = in[4];
    row.functionCode = in[5];
    row.startAddress = getU16(in + 6);
    row.use = in[8];
    std::copy(in + 9, in + kRowSize, row.reserved.begin());
    return row;
}

std::vector<std::uint8_t> encodeRows(const std::vector<MapRow>& rows) {
    std::vector<std::uint8_t> bytes(rows.size() * kRowSize);
    for (std::size_t i = 0; i < rows.size(); ++i)
        encodeRow(rows[i], bytes.data() + i * kRowSize);
    return bytes;
}

bool decodeRows(const std::uint8_t* data, std::size_t size, std::vector<MapRow>* rows) {
    if (data == nullptr || size == 0 || size % kRowSize != 0 || size > kMaxMapFileSize)
        return false;
    rows->clear();
    rows->reserve(size / kRowSize);
    for (std::size_t at = 0; at < size; at += kRowSize)
        rows->push_back(decodeRow(data + at));
    return true;
}

const std::array<CodeText, 9> kFunctionCodes{{
    {1, "01-ReadCoil"},
    {2, "02-ReadDiscreteInput"},
    {3, "03-ReadHoldingRegs"},
    {4, "04-ReadInputRegs"},
    {5, "05-WriteSingleCoil"},
    {6, "06-WriteSingleReg"},
    {15, "15-WriteMultCoil"},
    {16, "16-WriteMultReg"},
    {23, "23-ReadWriteMultReg"},
}};

const std::array<CodeText, 3> kUses{{
    {kUseControlUpdate, "控件更新绑定"},
    {kUseScreenChange, "画面切换绑定"},
    {kUseSystemTime, "系统时间绑定"},
}};

std::string functionCodeText(std::uint8_t code) {
    for (const auto& c : kFunctionCodes)
        if (c.code == code)
            return c.text;
    return std::to_string(code);
}

std::string useText(std::uint8_t use) {
    for (const auto& u : kUses)
        if (u.code == use)
            return u.text;
    return std::to_string(use);
}

int fieldMin(NumberField f) {
    return f == NumberField::Slave ? kSlaveMin : 0;
}

int fieldMax(NumberField f) {
    return f == NumberField::Slave ? kSlaveMax : 65535;
}

int clampField(NumberField f, long long value) {
    return static_cast<int>(
        std::clamp<long long>(value, fieldMin(f), static_cast<long long>(fieldMax(f))));
}

std::uint8_t clampDeviceAddress(int value) {
    return static_cast<std::uint8_t>(std::clamp<int>(value, kDeviceAddressMin, kDeviceAddressMax));
}

const char* loadStatusMessage(LoadStatus status) {
    switch (status) {
    case LoadStatus::Ok:
        return "";
    case LoadStatus::HeaderError:
        return "文件头出错！";
    case LoadStatus::LengthError:
        return "文件长度出错！";
    case LoadStatus::ChecksumError:
        return "文件校验和出错！";
    }
    return "";
}

CTessaryDoc::CTessaryDoc() : rows_(1) {}

bool CTessaryDoc::setDeviceAddress(int address) {
    if (address < kDeviceAddressMin || address > kDeviceAddressMax)
        return false;
    deviceAddress_ = static_cast<std::uint8_t>(address);
    return true;
}

std::size_t CTessaryDoc::addRow() {
    rows_.emplace_back();
    return rows_.size() - 1;
}

std::size_t CTessaryDoc::insertRows(std::size_t at, const std::vector<MapRow>& rows) {
    at = std::min(at, rows_.size());
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), rows.begin(), rows.end());
    return at;
}

long CTessaryDoc::removeRows(std::vector<std::size_t> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(),
                                 [this](std::size_t i) { return i >= rows_.size(); }),
                  indexes.end());
    if (indexes.empty())
        return -1;
    const std::size_t lowest = indexes.front();
    // From the back, so earlier indexes stay valid.
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*it));
    if (rows_.empty())
        return -1;
    return static_cast<long>(std::min(lowest, rows_.size() - 1));
}

int CTessaryDoc::setField(std::size_t row, NumberField field, long long value) {
    const int v = clampField(field, value);
    if (row >= rows_.size())
        return v;
    MapRow& r = rows_[row];
    switch (field) {
    case NumberField::ScreenId:
        r.screenId = static_cast<std::uint16_t>(v);
        break;
    case NumberField::ControlId:
        r.controlId = static_cast<std::uint16_t>(v);
        break;
    case NumberField::Slave:
        r.slave = static_cast<std::uint8_t>(v);
        break;
    case NumberField::StartAddress:
        r.startAddress = static_cast<std::uint16_t>(v);
        break;
    }
    return v;
}

std::vector<std::uint8_t> CTessaryDoc::serialize() const {
    std::array<std::uint8_t, kHeaderSize> header{};
    putU32(header.data() + 4, kMapMagic);
    putU32(header.data() + 8, static_cast<std::uint32_t>(kRowSize * rows_.size()));
    header[12] = deviceAddress_;
    std::uint32_t sum = byteSum(header.data() + 4, kHeaderSize - 4);

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + kRowSize * rows_.size());
    out.insert(out.end(), header.begin(), header.end());
    std::array<std::uint8_t, kRowSize> row{};
    for (const MapRow& r : rows_) {
        encodeRow(r, row.data());
        sum = byteSum(row.data(), row.size(), sum);
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((sum >> (8 * i)) & 0xFF);
    return out;
}

LoadStatus CTessaryDoc::load(const std::uint8_t* data, std::size_t size) {
    rows_.clear();
    deviceAddress_ = kDeviceAddressDefault;
    if (size < kHeaderSize || getU32(data + 4) != kMapMagic)
        return LoadStatus::HeaderError;

    const std::uint32_t stored = getU32(data);
    const std::uint32_t length = getU32(data + 8);
    std::uint32_t sum = byteSum(data + 4, kHeaderSize - 4);
    deviceAddress_ = clampDeviceAddress(data[12]);

    // The row count comes from the file, so it is bounded by the bytes present
    // before anything is reserved.
    const std::size_t wanted = length / kRowSize;
    const std::size_t present = (size - kHeaderSize) / kRowSize;
    rows_.reserve(std::min(wanted, present));
    for (std::size_t i = 0; i < wanted; ++i) {
        if (i >= present)
            return LoadStatus::LengthError;
        const std::uint8_t* p = data + kHeaderSize + kRowSize * i;
        rows_.push_back(decodeRow(p));
        sum = byteSum(p, kRowSize, sum);
    }
    return sum == stored ? LoadStatus::Ok : LoadStatus::ChecksumError;
}

bool CTessaryDoc::saveFile(const std::filesystem::path& path, std::string* error) const {
    const std::vector<std::uint8_t> bytes = serialize();
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString().toStdString();
        return false;
    }
    const auto written =
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size()) || !file.commit()) {
        if (error)
            *error = file.errorString().toStdString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool CTessaryDoc::loadFile(const std::filesystem::path& path, LoadStatus* status,
                           std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        if (error)
            *error = "not a file: " + path.string();
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path.string();
        return false;
    }
    // Bytes past the header's row area are never used, so a huge file is read
    // only up to the cap; a length beyond it then ends as a length error.
    std::vector<std::uint8_t> bytes;
    std::array<char, 65536> chunk{};
    const std::size_t cap = kHeaderSize + kMaxMapFileSize;
    while (bytes.size() < cap && in) {
        in.read(chunk.data(),
                static_cast<std::streamsize>(std::min(chunk.size(), cap - bytes.size())));
        const auto got = in.gcount();
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
    if (in.bad()) {
        if (error)
            *error = "cannot read " + path.string();
        return false;
    }
    const LoadStatus s = load(bytes.data(), bytes.size());
    if (status)
        *status = s;
    return true;
}

} // namespace tessary
