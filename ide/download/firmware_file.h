// Firmware files between their plain ".hex" form and the ".crypt" form the
// panel's loader takes: RC4 over the whole file, keyed with the MD5 digest of
// a fixed pass phrase (docs/formats.md).
#pragma once

#include <string>
#include <vector>

namespace tft::ide {

// The 16-byte RC4 key: MD5 of the pass phrase's 36 characters.
std::vector<unsigned char> firmwareKey();

// RC4 keeps the length, and the same call encrypts and decrypts.
bool firmwareCipher(const std::vector<unsigned char>& in, std::vector<unsigned char>& out,
                    std::string* error);

// Writes `source` + ".crypt" (encrypt) or + ".hex" (decrypt), replacing an
// earlier one atomically. A source that does not read or is empty writes
// nothing. Returns the target path, or empty with the reason.
std::string convertFirmwareFile(const std::string& source, bool encrypt, std::string* error);

} // namespace tft::ide
