// Picture files: the first byte picks the type, the rest is the file. Every
// result is a clear status; converted pictures have whole frames.
#include "media/picture.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kExtensions[] = {"gif", "png", "bmp", "jpg", "ico"};
    const std::string path =
        "/tmp/picture_fuzz_" + std::to_string(::getpid()) + "." + kExtensions[data[0] % 5];
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
    const tft::PictureResult r = tft::convertPicture({path, 0, 0, false, {}});
    ::unlink(path.c_str());
    if (r.status == tft::PictureResult::Status::Ok)
        for (const auto& frame : r.picture.frames)
            if (frame.size() != std::size_t(r.picture.width) * r.picture.height)
                std::abort();
    return 0;
}
