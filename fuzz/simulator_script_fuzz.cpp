// The headless runner's script parser on any text, and the recorder on any
// bytes: whatever it records must parse back into the same bytes.
#include "simulator/recorder.h"
#include "simulator/script.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tft::Script script =
        tft::parseScript(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!script.ok() && !script.steps.empty())
        std::abort(); // a refused script runs nothing
    for (const tft::ScriptStep& step : script.steps) {
        const bool bytes =
            step.kind == tft::ScriptStep::Kind::Send || step.kind == tft::ScriptStep::Kind::Expect;
        if (step.line < 1 || bytes == step.bytes.empty() ||
            (step.kind == tft::ScriptStep::Kind::Compare &&
             !(step.tolerancePercent >= 0 && step.tolerancePercent <= 100)))
            std::abort();
    }

    std::string text;
    tft::ScriptRecorder recorder([&text](const std::string& line) {
        text += line;
        return true;
    });
    // The input as host bytes in blocks of varying size, a millisecond apart.
    for (std::size_t at = 0, block = 1; at < size; at += block, block = block % 7 + 1)
        recorder.Host(data + at, std::min(block, size - at), static_cast<std::int64_t>(at));
    recorder.Finish();
    const tft::Script recorded = tft::parseScript(text);
    if (!recorded.ok())
        std::abort();
    std::size_t at = 0;
    for (const tft::ScriptStep& step : recorded.steps) {
        if (step.kind == tft::ScriptStep::Kind::Wait)
            continue;
        if (step.kind != tft::ScriptStep::Kind::Send || at + step.bytes.size() > size)
            std::abort();
        for (std::uint8_t b : step.bytes)
            if (b != data[at++])
                std::abort();
    }
    if (at != size)
        std::abort();
    return 0;
}
