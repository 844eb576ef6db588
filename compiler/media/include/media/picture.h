// Pictures for the panel: RGB565 pixels with the colour key 0x0000 for
// transparency (an opaque pixel that would be 0x0000 is stored as 0x0001).
// A pixel is transparent when the picture drawn on black and on white gives
// two different RGB565 values there.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace tft {

constexpr std::uint16_t kTransparentKey = 0x0000;
constexpr std::uint16_t kOpaqueBlack = 0x0001;
constexpr int kMaxPictureFrames = 255;

enum class PictureKind { Gif, Png, Bmp, Jpeg, Wmf, Icon, Unsupported };

// By the extension in lower case: gif; png; bmp, dib; jpg, jpe, jpeg, jfif; wmf; icon, ico.
PictureKind pictureKind(const std::string& path);

struct PanelPicture {
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::uint16_t>> frames; // one for still pictures
    int delay = 0; // animated: rounded average frame delay, 10 ms units, at most 255
    bool animated = false;
    bool framesCut = false; // more than 255 frames: only the first 255 were kept
};

struct PictureRequest {
    std::string path;
    int targetWidth = 0; // 0: the picture's own size
    int targetHeight = 0;
    bool crop = false; // drawn at its own size and cut to the target, instead of scaled
    QRect effective;   // the part of the target to keep; empty: all of it
};

struct PictureResult {
    enum class Status { Ok, Unsupported, LoadFailed, OutOfMemory };
    Status status = Status::Ok;
    PanelPicture picture;
    std::string error;
};

// Loads, draws to the target, marks transparency and keeps the effective
// rectangle; GIF files give all their frames (animated when more than one).
PictureResult convertPicture(const PictureRequest& request);

// The RGB565 value of a drawn pixel (top bits of each channel).
std::uint16_t toRgb565(unsigned rgb);

// Combines the same drawing on black and on white into keyed RGB565 pixels.
std::vector<std::uint16_t> keyedPixels(const QImage& onBlack, const QImage& onWhite);

// Pictures the compiler draws itself (meter dials, slider thumbs): `draw` is
// called twice, on a black and on a white canvas of width x height.
std::vector<std::uint16_t> renderKeyed(int width, int height,
                                       const std::function<void(QPainter&)>& draw);

} // namespace tft
