// A LinkLog that keeps its rows for the tests, and the Qt application the
// link's timers and queued calls need.
#pragma once

#include "link_log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace linktest {

inline void ensureApp() {
    static int argc = 1;
    static char name[] = "link_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` holds or `limitMs` passed (a safety net
// for a failing test, not a timing assumption).
inline bool runUntil(const std::function<bool()>& done, int limitMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Row {
    char kind; // 'T' sent, 'R' received, 'N' note
    std::string text;
    std::string label;
    bool operator==(const Row& o) const {
        return kind == o.kind && text == o.text && label == o.label;
    }
};

inline void PrintTo(const Row& r, std::ostream* os) {
    *os << r.kind << " [" << r.text << "] [" << r.label << "]";
}

class RecordingLog : public tft::ide::LinkLog {
public:
    void appendFrame(tft::ide::LinkDirection d, const std::string& hex,
                     const std::string& label) override {
        std::lock_guard<std::mutex> g(m_);
        rows_.push_back({d == tft::ide::LinkDirection::Sent ? 'T' : 'R', hex, label});
    }
    void appendNote(const std::string& text) override {
        std::lock_guard<std::mutex> g(m_);
        rows_.push_back({'N', text, {}});
    }
    void clearRows() override {
        std::lock_guard<std::mutex> g(m_);
        rows_.clear();
        ++clears_;
    }
    std::vector<Row> rows() const {
        std::lock_guard<std::mutex> g(m_);
        return rows_;
    }
    int clears() const {
        std::lock_guard<std::mutex> g(m_);
        return clears_;
    }

private:
    mutable std::mutex m_;
    std::vector<Row> rows_;
    int clears_ = 0;
};

} // namespace linktest
