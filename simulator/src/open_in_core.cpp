#include "compiler/device_catalogue.h"
#include "core/nimbrel.h"
#include "simulator/sim_device.h"

namespace tft {

bool openInCore(SimDevice& device, const DeviceCatalogue* catalogue,
                const std::filesystem::path& siPath, std::string* error) {
    int w = 0, h = 0;
    if (!device.LoadProject(siPath, catalogue ? *catalogue : DeviceCatalogue::instance(), &w, &h,
                            error))
        return false;
    tft_set_size(w, h);
    tft_reset();
    return true;
}

} // namespace tft
