#include "com_device_proxy.h"

#include "common/serial_port.h"

namespace tft::ide {

bool CComDeviceProxy::IsPresent() {
    return port_ && port_->IsOpen();
}

bool CComDeviceProxy::Open() {
    static const std::uint8_t kEnterDownload[] = {0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
    return exchange(kEnterDownload, sizeof kEnterDownload);
}

bool CComDeviceProxy::Close() {
    const std::uint8_t close = kCloseByte;
    return exchange(&close, 1);
}

bool CComDeviceProxy::SendCommand(const std::uint8_t* data, std::size_t length) {
    return exchange(data, length);
}

bool CComDeviceProxy::SendData(const std::uint8_t* data, std::size_t length) {
    return exchange(data, length);
}

bool CComDeviceProxy::exchange(const std::uint8_t* data, std::size_t length) {
    if (!port_ || length == 0 || data == nullptr)
        return false;
    // A short write counts as a failure: the panel would wait for bytes that
    // never come and its acknowledge would belong to nothing.
    if (port_->Write(data, length) != length)
        return false;
    std::uint8_t answer = 0;
    try {
        return port_->Read(&answer, 1) == 1 && answer == kAcknowledge;
    } catch (const CSerialException&) {
        return false;
    }
}

} // namespace tft::ide
