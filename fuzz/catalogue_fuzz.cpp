// Device catalogue text: any bytes load into some catalogue without fault.
#include "compiler/device_catalogue.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto c =
        tft::DeviceCatalogue::parse(std::string(reinterpret_cast<const char*>(data), size));
    for (std::size_t i = 0; i < c.count(); ++i) {
        if (c.at(i).TypeName.size() > tft::DeviceProp::kTypeNameMax)
            std::abort();
        (void)c.at(i).typeNameUtf8();
        if (c.findByType(c.at(i).TypeID) == nullptr)
            std::abort();
    }
    return 0;
}
