// Arbitrary line rates through termios2. Kept in a file of its own because the
// kernel's termbits header cannot share a translation unit with <termios.h>.
#include "serial_rate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tft::detail {

namespace {

// Standard rates keep their classic code, so every termios reader sees them;
// others go through BOTHER with the rate in the speed fields.
tcflag_t rateCode(std::uint32_t baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    case 1000000:
        return B1000000;
    case 2000000:
        return B2000000;
    default:
        return BOTHER;
    }
}

} // namespace

int setLineRate(int fd, std::uint32_t baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    const tcflag_t code = rateCode(baud);
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= code | (code << IBSHIFT);
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio);
}

int getLineRate(int fd, std::uint32_t* baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    *baud = tio.c_ospeed;
    return 0;
}

} // namespace tft::detail
