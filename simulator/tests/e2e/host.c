/* A host program built from the panel's C driver: it opens the serial line
 * named on its command line, switches screens, sets and reads control values
 * and waits for a touch, printing what the panel answers. Exit 0 when every
 * answer came as expected. */
#include "hmi_driver.h"
#include "hmi_user_uart.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

static int line = -1;

static void put(uint8_t byte) {
    while (write(line, &byte, 1) != 1) {
    }
}

/* Reads frames until one starts with `want` (length `n`), for at most `ms`. */
static int await(const uint8_t* want, size_t n, int ms) {
    uint8_t frame[256];
    size_t len = 0;
    while (ms > 0) {
        struct pollfd p = {line, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0) {
            ms -= 10;
            continue;
        }
        uint8_t b;
        if (read(line, &b, 1) != 1)
            continue;
        if (len < sizeof frame)
            frame[len++] = b;
        if (len >= 4 && memcmp(frame + len - 4, "\xFF\xFC\xFF\xFF", 4) == 0) {
            for (size_t i = 0; i < len; ++i)
                printf("%02X ", frame[i]);
            printf("\n");
            if (len >= n && memcmp(frame, want, n) == 0)
                return 1;
            len = 0;
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    line = open(argv[1], O_RDWR | O_NOCTTY);
    if (line < 0)
        return 2;
    struct termios t;
    tcgetattr(line, &t);
    cfmakeraw(&t);
    tcsetattr(line, TCSANOW, &t);
    HMI_SetUartWrite(put);
    int ok = 1;

    SetScreen(1);
    ok &= await((const uint8_t*)"\xEE\xB1\x01\x00\x01", 5, 3000);
    SetScreen(0);
    ok &= await((const uint8_t*)"\xEE\xB1\x01\x00\x00", 5, 3000);
    SetProgressValue(0, 3, 77);
    GetControlValue(0, 3);
    ok &= await((const uint8_t*)"\xEE\xB1\x11\x00\x00\x00\x03\x12\x00\x00\x00\x4D", 12, 3000);
    SetTextValue(0, 2, "host");
    GetControlValue(0, 2);
    ok &= await((const uint8_t*)"\xEE\xB1\x11\x00\x00\x00\x02\x11host", 12, 3000);
    printf("touch?\n");
    fflush(stdout);
    ok &= await((const uint8_t*)"\xEE\x01", 2, 5000);
    printf(ok ? "all answered\n" : "missing answers\n");
    close(line);
    return ok ? 0 : 1;
}
