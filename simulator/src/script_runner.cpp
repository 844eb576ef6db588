#include "simulator/script_runner.h"

#include "common/hex_text.h"
#include "simulator/virtual_panel.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdio>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>

namespace tft {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kExpectWithinMs = 1000;
constexpr std::uint32_t kTouchHoldMs = 100;

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g%%", value);
    return text;
}

QImage displayImage(VirtualPanel& panel) {
    int w = 0, h = 0;
    const auto frame = panel.Device().VisibleFrame(&w, &h);
    if (w <= 0 || h <= 0 || frame.size() < std::size_t(w) * std::size_t(h))
        return {};
    // The same conversion as a screenshot, so a screenshot is a valid stored picture.
    return QImage(reinterpret_cast<const uchar*>(frame.data()), w, h, w * 2, QImage::Format_RGB16)
        .convertToFormat(QImage::Format_RGB888);
}

bool masked(const std::vector<QRect>& masks, int x, int y) {
    for (const QRect& r : masks)
        if (r.contains(x, y))
            return true;
    return false;
}

// Compares the display with a stored picture; on a mismatch writes
// NAME.actual.png and NAME.diff.png beside it. Empty when it matches.
std::string comparePicture(const QImage& actual, const fs::path& stored, double tolerancePercent,
                           const std::vector<QRect>& masks) {
    const fs::path base = stored.parent_path() / stored.stem();
    const QString actualFile = QString::fromStdString(base.string() + ".actual.png");
    const QString diffFile = QString::fromStdString(base.string() + ".diff.png");
    const QImage expected =
        QImage(QString::fromStdString(stored.string())).convertToFormat(QImage::Format_RGB888);
    std::string why;
    if (expected.isNull()) {
        why = "cannot read the picture " + stored.string();
    } else if (expected.size() != actual.size()) {
        why = stored.string() + " is " + std::to_string(expected.width()) + "x" +
              std::to_string(expected.height()) + ", the display " +
              std::to_string(actual.width()) + "x" + std::to_string(actual.height());
    } else {
        QImage diff(actual.size(), QImage::Format_RGB888);
        long differing = 0, counted = 0;
        for (int y = 0; y < actual.height(); ++y) {
            const uchar* a = actual.constScanLine(y);
            const uchar* e = expected.constScanLine(y);
            uchar* d = diff.scanLine(y);
            for (int x = 0; x < actual.width(); ++x, a += 3, e += 3, d += 3) {
                if (masked(masks, x, y)) {
                    d[0] = d[1] = d[2] = 0x60; // left out: dark grey
                    continue;
                }
                ++counted;
                if (a[0] != e[0] || a[1] != e[1] || a[2] != e[2]) {
                    ++differing;
                    d[0] = 0xFF; // differing: pure red
                    d[1] = d[2] = 0;
                } else {
                    for (int c = 0; c < 3; ++c) // the same: the display, faded
                        d[c] = static_cast<uchar>(0xC0 + a[c] / 4);
                }
            }
        }
        if (differing == 0 ||
            (counted > 0 && double(differing) * 100.0 <= tolerancePercent * double(counted)))
            return {};
        why = stored.string() + ": " + std::to_string(differing) + " of " +
              std::to_string(counted) + " pixels differ (" +
              percent(counted ? double(differing) * 100.0 / double(counted) : 100.0) +
              ", tolerance " + percent(tolerancePercent) + "); see " + diffFile.toStdString();
        diff.save(diffFile, "PNG");
    }
    if (actual.save(actualFile, "PNG"))
        why += "; the display is in " + actualFile.toStdString();
    return why;
}

// Hex text without the blank after the last byte.
std::string hexLine(const std::vector<std::uint8_t>& bytes) {
    std::string text = toHexText(bytes);
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string orNothing(const std::vector<std::uint8_t>& bytes) {
    return bytes.empty() ? "(nothing)" : hexLine(bytes);
}

} // namespace

std::vector<ScriptCase> scriptCases(const Script& script, const std::string& defaultName) {
    std::vector<ScriptCase> cases;
    for (const ScriptStep& step : script.steps) {
        if (step.kind == ScriptStep::Kind::Test) {
            cases.push_back({step.file, {}});
            continue;
        }
        if (cases.empty())
            cases.push_back({defaultName, {}});
        cases.back().steps.push_back(step);
    }
    return cases;
}

CaseResult runCase(VirtualPanel& panel, const ScriptCase& scriptCase, bool fresh,
                   const fs::path& pictureDir) {
    CaseResult result;
    result.name = scriptCase.name;
    if (!fresh)
        panel.Restart();
    std::vector<QRect> masks;
    auto fail = [&](CaseResult::Outcome outcome, const std::string& report) {
        result.outcome = outcome;
        result.message = report.substr(0, report.find('\n'));
        result.report += report;
    };
    for (const ScriptStep& step : scriptCase.steps) {
        if (result.outcome != CaseResult::Outcome::Passed)
            break;
        const std::string where = "line " + std::to_string(step.line) + ": ";
        switch (step.kind) {
        case ScriptStep::Kind::Send:
            panel.Push(step.bytes);
            break;
        case ScriptStep::Kind::Touch:
            panel.Device().SetTouch(true, step.x, step.y);
            panel.Advance(0);
            break;
        case ScriptStep::Kind::Release:
            panel.Device().SetTouch(false, 0, 0);
            break;
        case ScriptStep::Kind::Tap:
            panel.Device().SetTouch(true, step.x, step.y);
            panel.Advance(kTouchHoldMs);
            panel.Device().SetTouch(false, step.x, step.y);
            panel.Advance(kTouchHoldMs);
            break;
        case ScriptStep::Kind::Wait:
            panel.Advance(step.ms);
            break;
        case ScriptStep::Kind::Expect: {
            const bool arrived = panel.WaitForSent(step.bytes.size(), kExpectWithinMs);
            const auto actual = panel.TakeSent(step.bytes.size());
            if (!arrived || actual != step.bytes)
                fail(CaseResult::Outcome::Failed, where + "expected " + hexLine(step.bytes) + "\n" +
                                                      where + "actual   " + orNothing(actual) +
                                                      "\n");
            break;
        }
        case ScriptStep::Kind::ExpectAny:
            if (!panel.WaitForFrame(kExpectWithinMs))
                fail(CaseResult::Outcome::Failed,
                     where + "expected a frame within " + std::to_string(kExpectWithinMs) +
                         " ms\n" + where + "actual   " +
                         orNothing(panel.TakeSent(panel.PendingSent())) + "\n");
            else
                panel.TakeFrame();
            break;
        case ScriptStep::Kind::ExpectNone: {
            bool quiet = panel.PendingSent() == 0;
            if (quiet)
                quiet = !panel.WaitForSent(1, step.ms);
            if (!quiet) {
                panel.WaitForFrame(kExpectWithinMs); // the whole frame, for the report
                fail(CaseResult::Outcome::Failed,
                     where + "expected nothing within " + std::to_string(step.ms) + " ms\n" +
                         where + "actual   " + orNothing(panel.TakeSent(panel.PendingSent())) +
                         "\n");
            }
            break;
        }
        case ScriptStep::Kind::Screenshot: {
            const QImage image = displayImage(panel);
            if (image.isNull() || !image.save(QString::fromStdString(step.file), "PNG"))
                fail(CaseResult::Outcome::Error, where + "cannot write " + step.file + "\n");
            else
                result.report += "screenshot " + step.file + "\n";
            break;
        }
        case ScriptStep::Kind::Compare: {
            const fs::path stored = fs::path(step.file).is_absolute()
                                        ? fs::path(step.file)
                                        : pictureDir / fs::path(step.file);
            const std::string why =
                comparePicture(displayImage(panel), stored, step.tolerancePercent, masks);
            if (!why.empty())
                fail(CaseResult::Outcome::Failed, where + why + "\n");
            break;
        }
        case ScriptStep::Kind::Mask:
            masks.emplace_back(step.x, step.y, step.width, step.height);
            break;
        case ScriptStep::Kind::SetClock:
            panel.SetClock(step.clockSeconds);
            break;
        case ScriptStep::Kind::Test:
            break; // cases are cut at these
        }
    }
    result.panelMs = panel.Now();
    return result;
}

Script loadScript(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    Script script;
    if (!in) {
        script.error = "cannot read the script";
        return script;
    }
    std::stringstream text;
    text << in.rdbuf();
    return parseScript(text.str());
}

int runScriptFiles(const std::vector<std::string>& files, const fs::path& siPath, bool quiet,
                   std::string& out, std::string& err, std::vector<ScriptResult>* results) {
    std::vector<ScriptResult> all;
    std::vector<std::vector<ScriptCase>> cases;
    int status = 0;
    for (const std::string& file : files) {
        ScriptResult r;
        r.file = file;
        const Script script = loadScript(file);
        if (!script.ok()) {
            r.error = script.error;
            err += file + ": " + script.error + "\n";
            status = 2;
        }
        cases.push_back(script.ok() ? scriptCases(script, fs::path(file).filename().string())
                                    : std::vector<ScriptCase>());
        all.push_back(std::move(r));
    }
    VirtualPanel panel;
    std::string error;
    if (!panel.Open(siPath, &error)) {
        err += "cannot open the project: " + error + "\n";
        for (ScriptResult& r : all)
            if (r.error.empty())
                r.error = "cannot open the project: " + error;
        if (results)
            *results = std::move(all);
        return 2;
    }
    bool fresh = true;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const fs::path pictureDir = fs::path(all[i].file).parent_path();
        for (const ScriptCase& c : cases[i]) {
            CaseResult result = runCase(panel, c, fresh, pictureDir);
            fresh = false;
            const std::string label = all[i].file + ": " + c.name;
            if (result.outcome == CaseResult::Outcome::Passed) {
                if (!quiet)
                    out += result.report + "ok   " + label + "\n";
            } else {
                std::string indented;
                std::istringstream lines(result.report);
                for (std::string line; std::getline(lines, line);)
                    indented += "  " + all[i].file + ": " + line + "\n";
                err += "FAIL " + label + "\n" + indented;
                status = std::max(status, result.outcome == CaseResult::Outcome::Failed ? 1 : 2);
            }
            all[i].cases.push_back(std::move(result));
        }
    }
    if (results)
        *results = std::move(all);
    return status;
}

int runScript(const Script& script, const fs::path& siPath, std::string& report) {
    VirtualPanel panel;
    std::string error;
    if (!panel.Open(siPath, &error)) {
        report += "cannot open the project: " + error + "\n";
        return 2;
    }
    int status = 0;
    bool fresh = true;
    for (const ScriptCase& c : scriptCases(script, "script")) {
        const CaseResult r = runCase(panel, c, fresh, fs::current_path());
        fresh = false;
        report += r.report;
        if (r.outcome != CaseResult::Outcome::Passed)
            status = std::max(status, r.outcome == CaseResult::Outcome::Failed ? 1 : 2);
    }
    return status;
}

namespace {

// XML 1.0 takes no control characters and only well-formed UTF-8.
std::string xmlText(const std::string& text) {
    std::string clean;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            clean += (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F ? '?' : char(c);
            continue;
        }
        std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        bool ok = n != 0 && i + n <= text.size();
        for (std::size_t k = 1; ok && k < n; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!ok) {
            clean += '?';
            continue;
        }
        clean.append(text, i, n);
        i += n - 1;
    }
    return clean;
}

std::string seconds(std::uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000));
    return text;
}

} // namespace

std::string junitReport(const std::vector<ScriptResult>& results) {
    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("testsuites");
    root.append_attribute("name") = "dunmere";
    int allTests = 0, allFailures = 0, allErrors = 0;
    std::uint64_t allMs = 0;
    for (const ScriptResult& r : results) {
        pugi::xml_node suite = root.append_child("testsuite");
        suite.append_attribute("name") = xmlText(r.file).c_str();
        int tests = 0, failures = 0, errors = 0;
        std::uint64_t ms = 0;
        if (!r.error.empty()) {
            // A refused script is one case in error, so the CI shows it.
            pugi::xml_node c = suite.append_child("testcase");
            c.append_attribute("name") = xmlText(fs::path(r.file).filename().string()).c_str();
            c.append_attribute("classname") = xmlText(r.file).c_str();
            c.append_attribute("time") = "0.000";
            pugi::xml_node e = c.append_child("error");
            e.append_attribute("message") = xmlText(r.error).c_str();
            ++tests;
            ++errors;
        }
        for (const CaseResult& cr : r.cases) {
            pugi::xml_node c = suite.append_child("testcase");
            c.append_attribute("name") = xmlText(cr.name).c_str();
            c.append_attribute("classname") = xmlText(r.file).c_str();
            c.append_attribute("time") = seconds(cr.panelMs).c_str();
            ms += cr.panelMs;
            ++tests;
            if (cr.outcome != CaseResult::Outcome::Passed) {
                const bool failed = cr.outcome == CaseResult::Outcome::Failed;
                pugi::xml_node f = c.append_child(failed ? "failure" : "error");
                f.append_attribute("message") = xmlText(cr.message).c_str();
                f.append_child(pugi::node_pcdata).set_value(xmlText(cr.report).c_str());
                ++(failed ? failures : errors);
            } else if (!cr.report.empty()) {
                c.append_child("system-out")
                    .append_child(pugi::node_pcdata)
                    .set_value(xmlText(cr.report).c_str());
            }
        }
        suite.append_attribute("tests") = tests;
        suite.append_attribute("failures") = failures;
        suite.append_attribute("errors") = errors;
        suite.append_attribute("time") = seconds(ms).c_str();
        allTests += tests;
        allFailures += failures;
        allErrors += errors;
        allMs += ms;
    }
    root.append_attribute("tests") = allTests;
    root.append_attribute("failures") = allFailures;
    root.append_attribute("errors") = allErrors;
    root.append_attribute("time") = seconds(allMs).c_str();
    std::ostringstream text;
    doc.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

} // namespace tft
