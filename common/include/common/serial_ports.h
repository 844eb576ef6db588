// Serial ports present on this machine, for port lists (Qt side).
#pragma once

#include <string>
#include <vector>

namespace tft {

// Device paths of the serial ports: the stable /dev/serial/by-id/... names
// where they exist, then the kernel names; sorted by plain case-sensitive
// ascending comparison.
std::vector<std::string> listSerialPorts();

} // namespace tft
