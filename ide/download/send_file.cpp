#include "send_file.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <openssl/evp.h>
#include <vector>

namespace tft::ide {

std::size_t downloadBlockSize(std::uint16_t deviceType) {
    return deviceType == 1 ? 256 : 2048;
}

bool SendFile(IDeviceProxy& proxy, const std::uint8_t* header, std::size_t headerLength,
              const std::string& path, std::uint64_t startOffset, std::size_t block,
              const ProgressSink& progress) {
    // The file is opened before the header goes: a panel that accepted the
    // header waits for packets, and would take the next header as data.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || block == 0)
        return false;
    const std::uint64_t length = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    if (!proxy.SendCommand(header, headerLength))
        return false;
    std::vector<std::uint8_t> packet(block + 2);
    std::size_t chunk = block - static_cast<std::size_t>(startOffset % block);
    std::uint64_t sent = 0;
    std::size_t count = 0;
    for (;;) {
        std::fill(packet.begin(), packet.end(), 0);
        in.read(reinterpret_cast<char*>(packet.data() + 2), std::streamsize(chunk));
        count = static_cast<std::size_t>(in.gcount());
        packet[0] = static_cast<std::uint8_t>(count & 0xFF);
        packet[1] = static_cast<std::uint8_t>(count >> 8);
        if (!proxy.SendData(packet.data(), packet.size()))
            return false;
        if (count < chunk)
            break;
        sent += count;
        const std::uint64_t percent = length ? sent * 100 / length : 100;
        if (percent < 100 && progress)
            progress(static_cast<int>(percent));
        chunk = block;
    }
    if (startOffset > 0 && count > 0) {
        std::fill(packet.begin(), packet.end(), 0);
        if (!proxy.SendData(packet.data(), packet.size()))
            return false;
    }
    return true;
}

std::string fileDigest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1)
        return {};
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        if (in.gcount() > 0 &&
            EVP_DigestUpdate(ctx.get(), buffer.data(), std::size_t(in.gcount())) != 1)
            return {};
    }
    if (in.bad())
        return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &size) != 1)
        return {};
    std::string hex;
    char two[3];
    for (unsigned i = 0; i < size; ++i) {
        std::snprintf(two, sizeof two, "%02X", digest[i]);
        hex += two;
    }
    return hex;
}

} // namespace tft::ide
