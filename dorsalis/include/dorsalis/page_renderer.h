// The page renderer: from a build's resource description (.tftres) and the
// screen image (.si) beside it, the command frames that draw one page on a
// panel, for keeping a connected panel showing the page being edited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tft {

class IPageRenderer {
public:
    virtual ~IPageRenderer() = default;
    // Forgets the open description (also called first, to reset).
    virtual void Close() = 0;
    // Opens a resource description and the screen image of the same base
    // name; false when either does not read or is not well formed.
    virtual bool Open(const std::string& tftresPath) = 0;
    // The frames of page `page` (its screen id). With `buffer` null only
    // `*count` is set to the size needed; otherwise at most `*count` bytes are
    // copied and `*count` is set to the size. False when nothing is open, the
    // page does not exist, or the buffer is too small.
    virtual bool RenderPage(std::uint16_t page, std::uint8_t* buffer, std::size_t* count) = 0;
};

std::unique_ptr<IPageRenderer> CreatePageRenderer();

// The id of the page named `name` in a resource description
// (//Resource/pages/page[@name=name]/@id); -1 when there is none.
int FindPageId(const std::string& tftresPath, const std::string& name);

// Both calls of the renderer in a row: the page's frames, empty on failure.
std::vector<std::uint8_t> RenderPageFrames(IPageRenderer& renderer, std::uint16_t page);

} // namespace tft
