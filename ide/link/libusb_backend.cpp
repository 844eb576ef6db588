// UsbBackend over libusb-1.0.
#include "usb_device_proxy.h"

#include <chrono>
#include <libusb.h>
#include <thread>

namespace tft::ide {

namespace {

class LibusbBackend : public UsbBackend {
public:
    LibusbBackend() {
        if (libusb_init(&context_) != 0)
            context_ = nullptr;
    }
    ~LibusbBackend() override {
        close();
        release();
        if (context_)
            libusb_exit(context_);
    }

    std::vector<DeviceId> devices() override {
        release();
        std::vector<DeviceId> ids;
        if (!context_)
            return ids;
        const ssize_t count = libusb_get_device_list(context_, &list_);
        if (count < 0) {
            list_ = nullptr;
            return ids;
        }
        count_ = static_cast<std::size_t>(count);
        for (std::size_t i = 0; i < count_; ++i) {
            libusb_device_descriptor d{};
            DeviceId id;
            if (libusb_get_device_descriptor(list_[i], &d) == 0) {
                id.vendor = d.idVendor;
                id.product = d.idProduct;
            }
            ids.push_back(id);
        }
        return ids;
    }

    bool open(std::size_t index, int configuration, int interface) override {
        close();
        if (!list_ || index >= count_)
            return false;
        if (libusb_open(list_[index], &handle_) != 0) {
            handle_ = nullptr;
            return false;
        }
        if (libusb_set_configuration(handle_, configuration) != 0 ||
            libusb_claim_interface(handle_, interface) != 0) {
            libusb_close(handle_);
            handle_ = nullptr;
            return false;
        }
        interface_ = interface;
        return true;
    }

    void close() override {
        if (!handle_)
            return;
        libusb_release_interface(handle_, interface_);
        libusb_close(handle_);
        handle_ = nullptr;
    }

    int bulkWrite(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                  unsigned timeoutMs) override {
        return bulk(endpoint, const_cast<std::uint8_t*>(data), length, timeoutMs);
    }
    int bulkRead(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                 unsigned timeoutMs) override {
        return bulk(endpoint, data, length, timeoutMs);
    }
    void pause(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

private:
    int bulk(std::uint8_t endpoint, std::uint8_t* data, std::size_t length, unsigned timeoutMs) {
        if (!handle_ || length > 0x7FFFFFFF)
            return -1;
        int done = 0;
        const int rc = libusb_bulk_transfer(handle_, endpoint, data, static_cast<int>(length),
                                            &done, timeoutMs);
        // A time-out still reports the bytes that went through.
        return rc == 0 || rc == LIBUSB_ERROR_TIMEOUT ? done : -1;
    }
    void release() {
        if (list_) {
            // Keep the device referenced while a handle is open.
            libusb_free_device_list(list_, 1);
            list_ = nullptr;
            count_ = 0;
        }
    }

    libusb_context* context_ = nullptr;
    libusb_device** list_ = nullptr;
    std::size_t count_ = 0;
    libusb_device_handle* handle_ = nullptr;
    int interface_ = 0;
};

} // namespace

std::unique_ptr<UsbBackend> makeLibusbBackend() {
    return std::make_unique<LibusbBackend>();
}

} // namespace tft::ide
