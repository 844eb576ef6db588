// A panel link that records what it is given and acknowledges until told not to.
#pragma once

#include "device_proxy.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tft::ide::testing {

struct FakeProxy : IDeviceProxy {
    struct Call {
        char kind; // 'o' open, 'c' close, 'h' header, 'd' data
        std::vector<std::uint8_t> bytes;
        int count() const { return bytes.size() < 2 ? -1 : bytes[0] | (bytes[1] << 8); }
    };
    bool present = true;
    bool acceptOpen = true;
    int acknowledgeCalls = 1 << 30; // header and data calls acknowledged before going silent
    int refuseCall = -1;            // the one header or data call (counted from 0) refused
    int sendCalls = 0;
    std::vector<Call> calls;

    bool IsPresent() override { return present; }
    bool Open() override {
        calls.push_back({'o', {}});
        return acceptOpen;
    }
    bool Close() override {
        calls.push_back({'c', {}});
        return acknowledgeCalls > 0;
    }
    bool SendCommand(const std::uint8_t* data, std::size_t length) override {
        calls.push_back({'h', {data, data + length}});
        return acknowledge();
    }
    bool SendData(const std::uint8_t* data, std::size_t length) override {
        calls.push_back({'d', {data, data + length}});
        return acknowledge();
    }
    bool acknowledge() { return sendCalls++ != refuseCall && acknowledgeCalls-- > 0; }
    std::vector<Call> of(char kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
    // The header bytes in the order sent, one string per header.
    std::vector<std::vector<std::uint8_t>> headers() const {
        std::vector<std::vector<std::uint8_t>> out;
        for (const Call& c : calls)
            if (c.kind == 'h')
                out.push_back(c.bytes);
        return out;
    }
};

} // namespace tft::ide::testing
