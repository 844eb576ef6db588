#pragma once

#include <cstdint>

namespace tft::detail {

// Sets input and output rate to `baud` bits per second; 0 on success, -1 with errno.
int setLineRate(int fd, std::uint32_t baud);
// The output rate the driver holds now.
int getLineRate(int fd, std::uint32_t* baud);

} // namespace tft::detail
