// `orvane --download`: compiles a project once, then downloads its files to
// every named serial port at once, one worker per port.
#pragma once

#include "device_proxy.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tft {
class CSerialPort;
}

namespace tft::ide {

// Makes the download link over an open serial port.
using SerialProxyFactory = std::function<std::unique_ptr<IDeviceProxy>(CSerialPort& port)>;

struct BatchDownload {
    std::filesystem::path project;  // the .tftprj file
    std::vector<std::string> ports; // devices, each downloaded to in parallel
    std::uint32_t baud = 9600;
    std::uint32_t bits = 0; // download job bits (images 0x4 ... Modbus map 0x800)
    std::string modbus;     // the .mbm for bit 0x800
    bool force = false;     // pictures even when unchanged
    int language = 0;       // velmic's -l
    std::filesystem::path appDir;
    SerialProxyFactory proxy;
    std::function<void(const std::string&)> print;    // one result line per port
    std::function<void(const std::string&)> progress; // everything else, per port
};

// The job bits of an --only list ("images,voices,fonts,screens,keyboard,
// modbus"); false with the offending word.
bool parseDownloadKinds(const std::string& list, std::uint32_t* bits, std::string* bad);
// Every kind but the Modbus map.
constexpr std::uint32_t kBatchDefaultBits = 0x4 | 0x8 | 0x10 | 0x80 | 0x100;

// Returns 0 only when the compile and the download to every port succeeded.
int runBatchDownload(const BatchDownload& job);

// The device type of the panel's firmware information (EE FE reply), asked
// over the open port; false when no reply came.
bool askDeviceType(CSerialPort& port, std::uint16_t* type);

} // namespace tft::ide
