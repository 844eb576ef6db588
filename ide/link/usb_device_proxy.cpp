#include "usb_device_proxy.h"

namespace tft::ide {

CUsbDeviceProxy::CUsbDeviceProxy(std::unique_ptr<UsbBackend> backend)
    : backend_(std::move(backend)) {}

CUsbDeviceProxy::~CUsbDeviceProxy() {
    Close();
}

bool CUsbDeviceProxy::IsPresent() {
    // Any device at all (every computer has its root hubs) would send every
    // download to USB and fail it for a panel on the serial line: only a
    // panel counts.
    if (!backend_)
        return false;
    for (const UsbBackend::DeviceId& d : backend_->devices())
        if (d.vendor == kVendor && d.product == kProduct)
            return true;
    return false;
}

bool CUsbDeviceProxy::Open() {
    if (!backend_)
        return false;
    Close();
    const auto devices = backend_->devices();
    // The last matching device wins; one that will not open gives way to
    // the one before it instead of leaving the link without a panel.
    for (std::size_t i = devices.size(); i-- > 0;) {
        if (devices[i].vendor != kVendor || devices[i].product != kProduct)
            continue;
        if (backend_->open(i, 1, 0)) {
            open_ = true;
            break;
        }
    }
    return open_;
}

bool CUsbDeviceProxy::Close() {
    if (open_ && backend_)
        backend_->close();
    open_ = false;
    return true;
}

bool CUsbDeviceProxy::SendCommand(const std::uint8_t* data, std::size_t length) {
    return transfer(kCommandEndpoint, data, length, kCommandPauseMs);
}

bool CUsbDeviceProxy::SendData(const std::uint8_t* data, std::size_t length) {
    return transfer(kDataEndpoint, data, length, 0);
}

bool CUsbDeviceProxy::transfer(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                               unsigned pauseMs) {
    if (!open_ || data == nullptr || length == 0)
        return false;
    if (backend_->bulkWrite(endpoint, data, length, kTimeoutMs) < 1)
        return false;
    if (pauseMs)
        backend_->pause(pauseMs);
    std::uint8_t answer = 0;
    return backend_->bulkRead(kAnswerEndpoint, &answer, 1, kTimeoutMs) == 1 &&
           answer == kAcknowledge;
}

} // namespace tft::ide
