// The SD card packet: the compiled files copied under fixed names into
// "SD_PACKET" with a "config.ini" that names them, for a panel that loads
// its resources from a card.
#pragma once

#include <string>
#include <vector>

namespace tft::ide {

struct SdPacketChoice {
    bool images = false, fonts = false, keyboard = false, screens = false, modbus = false;
    std::string modbusFile; // the chosen .mbm
};

// Builds `destination`/SD_PACKET from the files of `resourceFolder` (taken in
// name order, so every machine writes the same config.ini). The folder is
// assembled beside its place and put there whole: on failure an earlier
// packet stays as it was and nothing half-written is left. Returns the
// packet folder, or empty with the reason.
std::string writeSdPacket(const std::string& resourceFolder, const std::string& destination,
                          const SdPacketChoice& choice, std::string* error);

} // namespace tft::ide
