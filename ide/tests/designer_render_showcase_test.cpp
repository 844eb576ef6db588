// Every page of the showcase as `orvane --render` draws it against the
// simulator's screenshot of the same compiled page: fewer than 2% of the
// pixels may differ.
#include "designer_render_support.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>
#include <set>

TEST(DesignerRenderShowcase, EveryPageMatchesTheSimulator) {
    render_test::ensureGuiApplication();
    testsupport::TempFolder folder;
    std::string error;
    const QDateTime clock(QDate(2026, 3, 14), QTime(9, 30, 0), Qt::UTC);
    const auto pages = render_test::compareShowcase(folder.path(), clock, &error);
    ASSERT_EQ(pages.size(), 4u) << error;
    for (const auto& page : pages) {
        const double share = double(page.differing) / page.total;
        EXPECT_LT(share, 0.02) << page.page << ": " << page.differing << " of " << page.total
                               << " pixels differ";
        // Two blank pictures would agree too: the page must show its content.
        std::set<QRgb> colours;
        for (int y = 0; y < page.designer.height(); y += 2)
            for (int x = 0; x < page.designer.width(); x += 2)
                colours.insert(page.designer.pixel(x, y));
        EXPECT_GT(colours.size(), 20u) << page.page;
    }
}
