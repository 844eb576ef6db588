// Feeds one input to the designer's page document as a page file, writes it
// back and reads that again (which must succeed), then as clipboard text
// pasted into the page, followed by the edits a user makes on what arrived:
// select all, move, align, order, cut, paste, undo and redo.
#include "arrange.h"
#include "page_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tft::ide::PageDocument page;
    if (page.loadText(text)) {
        const std::string written = page.text();
        tft::ide::PageDocument again;
        if (!again.loadText(written))
            std::abort(); // what the designer writes, it must read
    }
    page.paste(text);
    page.selectAll();
    page.nudge(1, 1);
    page.moveSelection(-7, 5);
    page.arrange(tft::ide::kAlignLeft);
    page.arrange(tft::ide::kDistributeHorizontally);
    page.arrange(tft::ide::kCentreVerticallyInPage);
    page.order(tft::ide::kOrderToTop);
    if (!page.shapes().empty())
        page.resizeShape(0, 4, {30, 40});
    const std::string items = page.cutSelection();
    page.paste(items);
    page.undo();
    page.undo();
    page.redo();
    (void)page.text();
    return 0;
}
