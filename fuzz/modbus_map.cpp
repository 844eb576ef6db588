// Loads arbitrary bytes as a map file. Whatever loads must save again, and a
// file that loaded cleanly must come back byte for byte from its rows.
#include "modbus/map_model.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::CTessaryDoc doc;
    const tessary::LoadStatus status = doc.load(data, size);
    if (status == tessary::LoadStatus::HeaderError && !doc.rows().empty())
        std::abort();
    if (doc.deviceAddress() < tessary::kDeviceAddressMin ||
        doc.deviceAddress() > tessary::kDeviceAddressMax)
        std::abort();
    const std::vector<std::uint8_t> saved = doc.serialize();
    if (saved.size() != tessary::kHeaderSize + tessary::kRowSize * doc.rows().size())
        std::abort();
    tessary::CTessaryDoc again;
    if (again.load(saved.data(), saved.size()) != tessary::LoadStatus::Ok || !(again == doc))
        std::abort();
    if (status == tessary::LoadStatus::Ok && data[12] >= tessary::kDeviceAddressMin &&
        data[12] <= tessary::kDeviceAddressMax && size >= saved.size() &&
        std::memcmp(data + 4, saved.data() + 4, 8) == 0 &&
        std::memcmp(data + 16, saved.data() + 16, saved.size() - 16) != 0)
        std::abort();
    return 0;
}
