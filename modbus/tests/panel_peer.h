// A simulated panel on the far side of a pseudo-terminal pair: it frames the
// update and master commands, answers them the way a panel does, rebuilds the
// files it receives, and can be told to corrupt, hold back or drop replies.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessary::testpeer {

enum class Fault {
    None,          // the right reply (spaces out the faults queued around it)
    BadCrc,        // the reply's last byte flipped
    WrongSequence, // a data reply carries the sequence number plus one
    Drop,          // no reply at all
    Garbage,       // bytes that are no reply
    Late,          // held back, then sent just before the next reply, in one write
};

class PanelPeer {
public:
    // Opens the pair and starts the peer thread. `paceBaud` > 0 makes the peer
    // take a frame's wire time to "receive" it and send its reply a byte at a
    // time at that rate, as a real line would.
    explicit PanelPeer(std::uint8_t address = 201, std::uint32_t paceBaud = 0);
    ~PanelPeer();
    PanelPeer(const PanelPeer&) = delete;
    PanelPeer& operator=(const PanelPeer&) = delete;

    // The path the program under test opens.
    const std::string& portName() const { return slaveName_; }

    // The next `count` replies to frames with function `function` suffer `fault`.
    void injectFault(std::uint8_t function, Fault fault, int count = 1);

    // Every well-formed frame received, in order.
    std::vector<std::vector<std::uint8_t>> frames() const;
    // The frames received with the given function code.
    std::vector<std::vector<std::uint8_t>> frames(std::uint8_t function) const;
    // The files completed by an End frame, by slot.
    std::map<int, std::vector<std::uint8_t>> files() const;
    // The slotFiles begun, in order (a retried Begin counts once per frame).
    std::vector<int> slotsBegun() const;

private:
    void run();
    void handle(const std::vector<std::uint8_t>& frame);
    void reply(std::vector<std::uint8_t> bytes, std::uint8_t function, std::size_t requestLength);
    bool takeFault(std::uint8_t function, Fault* fault);
    std::size_t frameLength(const std::vector<std::uint8_t>& buffer, bool* needMore);

    std::uint8_t address_;
    std::uint32_t paceBaud_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string slaveName_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> frames_;
    std::map<std::uint8_t, std::deque<Fault>> faults_;
    std::map<int, std::vector<std::uint8_t>> files_;
    std::vector<int> begun_;
    std::vector<std::uint8_t> held_; // a reply held back by Fault::Late (peer thread only)
    int currentSlot_ = -1;
    std::vector<std::uint8_t> currentFile_;
    int expectedSequence_ = 0;

    std::thread thread_;
};

} // namespace tessary::testpeer
