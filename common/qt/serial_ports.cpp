#include "common/serial_ports.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <filesystem>
#include <set>

namespace tft {

std::vector<std::string> listSerialPorts() {
    std::set<std::string> kernelNames;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        kernelNames.insert(info.systemLocation().toStdString());

    std::vector<std::string> ports;
    std::error_code ec;
    const std::filesystem::path byId("/dev/serial/by-id");
    for (const auto& entry : std::filesystem::directory_iterator(byId, ec))
        ports.push_back(entry.path().string());
    ports.insert(ports.end(), kernelNames.begin(), kernelNames.end());
    std::sort(ports.begin(), ports.end());
    return ports;
}

} // namespace tft
