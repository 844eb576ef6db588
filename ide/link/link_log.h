// Where the device link writes what it sends and receives: the instruction
// console's TX/RX log implements this. Calls come from the user-interface
// thread and the worker thread; implementations take their own lock.
#pragma once

#include <string>

namespace tft::ide {

enum class LinkDirection { Sent, Received };

class LinkLog {
public:
    virtual ~LinkLog() = default;
    // One frame as hex text ("%02X " per byte); `label` empty: the log finds
    // a comment in its command dictionary.
    virtual void appendFrame(LinkDirection direction, const std::string& hex,
                             const std::string& label) = 0;
    virtual void appendNote(const std::string& text) = 0;
    virtual void clearRows() = 0;
};

} // namespace tft::ide
