#include "display_sync.h"

#include "common/frame.h"
#include "dorsalis/page_renderer.h"

namespace tft::ide {

std::vector<std::vector<std::uint8_t>> pageFrames(const std::string& tftresPath,
                                                  const std::string& pageName) {
    const int page = FindPageId(tftresPath, pageName);
    if (page < 0)
        return {};
    const std::unique_ptr<IPageRenderer> renderer = CreatePageRenderer();
    renderer->Close();
    if (!renderer->Open(tftresPath))
        return {};
    const std::vector<std::uint8_t> stream =
        RenderPageFrames(*renderer, static_cast<std::uint16_t>(page));
    ReceiveBuffer buffer;
    buffer.append(stream.data(), stream.size());
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::vector<std::uint8_t> frame; !(frame = buffer.extractFrame()).empty();)
        frames.push_back(std::move(frame));
    return frames;
}

} // namespace tft::ide
