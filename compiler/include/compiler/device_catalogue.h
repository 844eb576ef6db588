// The device catalogue: panel models read at run time from DeviceInfo.xml in the
// application folder. The compiler, the simulator and the IDE share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tft {

// The compiler's and simulator's record, fields in catalogue order.
struct DeviceProp {
    static constexpr std::size_t kTypeNameMax = 259; // characters; longer names are cut

    std::u16string TypeName; // at most kTypeNameMax UTF-16 units
    std::int32_t TypeID = 0;
    double ScreenSize = 4.3;
    std::int32_t ScreenResolutionWidth = 0;
    std::int32_t ScreenResolutionHeight = 0;
    std::int32_t ColorDepth = 0;
    std::int32_t TouchPane = 0;
    std::int32_t BlockSize = 0;
    std::int32_t SystemFontMask = 0;
    std::int32_t FlashSizeOfFont = 0;
    std::int32_t FlashSizeOfRes = 0;
    std::int32_t FlashSizeOfSystem = 0;
    std::int32_t CommMaskRes = 0;
    std::int32_t CommMaskCmd = 0;
    std::int32_t SupportScreenRvs = 0;
    std::int32_t SupportBuzzer = 0;
    std::int32_t SupportRTC = 0;
    std::int32_t SupportCursor = 0;
    std::int32_t SupportControl = 0;

    std::string typeNameUtf8() const;
};

// The IDE's record: the same fields plus those only the IDE reads.
struct CDeviceInfoProp : DeviceProp {
    std::int32_t Category = 0;
    std::int32_t ImageDownloadType = 0;
    std::int32_t Voltage = 0;
    std::int32_t SupportSDCard = 0;
    std::int32_t SupportKeyboard = 0;
    std::int32_t SupportAudio = 0;
};

class DeviceCatalogue {
public:
    // The process-wide catalogue, loaded from <application folder>/DeviceInfo.xml
    // on the first call. A missing or unreadable file gives an empty catalogue.
    static DeviceCatalogue& instance();

    // Loads a catalogue from a given file (tests, tools); never fails outwardly.
    static DeviceCatalogue load(const std::filesystem::path& file);
    static DeviceCatalogue parse(const std::string& xmlText);
    static DeviceCatalogue fromRecords(std::vector<CDeviceInfoProp> devices);

    // The first record with this TypeID (file order), or null.
    const CDeviceInfoProp* findByType(std::int32_t typeId) const;
    std::size_t count() const { return devices_.size(); }
    const CDeviceInfoProp& at(std::size_t index) const { return devices_.at(index); }

private:
    std::vector<CDeviceInfoProp> devices_;
};

} // namespace tft
