// What the designer's drawing tests share: a Qt application with the shipped
// fonts only, a project written into a temporary folder, and pixel counts.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <string>
#include <vector>

namespace render_test {

// The application the painter needs (fonts for dial numbers), made once,
// with no installed font in reach.
void ensureGuiApplication();

// A showcase-sized project (800 x 480 model) with the showcase's pictures
// in art/ and one page `name` holding `items` (the page file's item lines).
void writeProject(const std::filesystem::path& folder, const std::string& page,
                  const std::string& items, const std::string& background = "24;32;48");

// Pixels of `region` (of both images) whose colours differ.
int differingPixels(const QImage& a, const QImage& b, const QRect& region);

// The script line that turns the simulated backlight fully on: a dimmed
// screenshot is darker than the page.
extern const std::string kFullBacklight;
// The script line that sets the simulated panel's clock to `clock`.
std::string setClockStep(const QDateTime& clock);

// Every page of the showcase drawn by `orvane --render` and shot by `dunmere
// --headless` after the compiled screen is shown, both at `clock`.
struct PageComparison {
    std::string page;
    int differing = 0; // pixels
    int total = 0;
    QImage designer, panel;
};
// Works in `folder`; empty, with the reason in `error`, when a program fails.
std::vector<PageComparison> compareShowcase(const std::filesystem::path& folder,
                                            const QDateTime& clock, std::string* error);

} // namespace render_test
