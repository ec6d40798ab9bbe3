#include "sampleprint/PrintSampleSheet.h"

#include <gtest/gtest.h>

// At 360 dpi: line height 55, label height 50, 13 between lines, 50 between
// labels, the image 25 below the last line.
TEST(SampleSheetLayout, LabelsWrapWhenTheyWouldReachThePageWidth) {
    struct Case {
        const char* name;
        std::vector<int> widths;
        int pageWidth;
        std::vector<std::pair<int, int>> positions; // left, top of each label
        int imageTop;
    };
    const Case cases[] = {
        {"one line", {100, 200, 300}, 1000, {{0, 13}, {150, 13}, {400, 13}}, 13 + 55 + 13 + 25},
        // 400 + 599 = 999 < 1000 still fits; 400 + 600 reaches the edge and wraps.
        {"ends just inside", {100, 200, 599}, 1000, {{0, 13}, {150, 13}, {400, 13}}, 106},
        {"reaches the edge",
         {100, 200, 600},
         1000,
         {{0, 13}, {150, 13}, {0, 81}},
         81 + 55 + 13 + 25},
        {"after a wrap the line goes on",
         {700, 400, 100, 900},
         1000,
         {{0, 13}, {0, 81}, {450, 81}, {0, 149}},
         242},
        // A label wider than the page starts a new line even as the first.
        {"wider than the page", {1200, 10}, 1000, {{0, 81}, {0, 149}}, 242},
        {"no labels", {}, 1000, {}, 106},
    };
    for (const Case& c : cases) {
        const SampleSheetLayout l = LayoutSampleSheet(c.widths, c.pageWidth, 360, 360, 4060, 1190);
        ASSERT_EQ(l.labels.size(), c.positions.size()) << c.name;
        for (std::size_t i = 0; i < l.labels.size(); ++i) {
            EXPECT_EQ(l.labels[i], (SheetRect{c.positions[i].first, c.positions[i].second,
                                              c.pageWidth, c.positions[i].second + 55}))
                << c.name << " label " << i;
        }
        EXPECT_EQ(l.imageTop, c.imageTop) << c.name;
    }
}

TEST(SampleSheetLayout, LineSpacingFollowsTheVerticalResolution) {
    const SampleSheetLayout l = LayoutSampleSheet({900, 900}, 1000, 1440, 720, 4060, 1190);
    EXPECT_EQ(l.lineHeight, 110);
    EXPECT_EQ(l.labelHeight, 100);
    EXPECT_EQ(l.labels[1].top, 13 + 110 + 13);
    EXPECT_EQ(l.imageTop, 136 + 110 + 13 + 50);
    EXPECT_EQ(l.tileWidth, 4060 * 4);
    EXPECT_EQ(l.tileStep, 4065 * 4);
}

// Tiles start at 0 and every tileStep while the start lies on the page, its
// right edge included; the last may run past it.
TEST(SampleSheetLayout, TilesCoverThePageFromTheLeftEdge) {
    struct Case {
        const char* name;
        int pageWidth;
        int dpi;
        std::vector<int> tiles;
    };
    const Case cases[] = {
        {"narrower than a tile", 3000, 360, {0}},
        {"exactly one step", 4065, 360, {0, 4065}},
        {"one short of a step", 4064, 360, {0}},
        {"44 in at 360 dpi", 15840, 360, {0, 4065, 8130, 12195}},
        {"44 in at 720 dpi", 31680, 720, {0, 8130, 16260, 24390}},
    };
    for (const Case& c : cases) {
        const SampleSheetLayout l = LayoutSampleSheet({}, c.pageWidth, c.dpi, c.dpi, 4060, 1190);
        EXPECT_EQ(l.tileX, c.tiles) << c.name;
    }
}

TEST(SampleSheetLayout, BandsAreDrawnBottomFirstAtTheirRows) {
    const SampleSheetLayout l = LayoutSampleSheet({}, 5000, 720, 720, 4060, 1190);
    EXPECT_EQ(l.BandRect(1190, 0, 1190), (SheetRect{0, l.imageTop, 8120, l.imageTop + 2380}));
    // The lower half first, then the upper half above it.
    EXPECT_EQ(l.BandRect(1190, 0, 595), (SheetRect{0, l.imageTop + 1190, 8120, l.imageTop + 2380}));
    EXPECT_EQ(l.BandRect(1190, 595, 595), (SheetRect{0, l.imageTop, 8120, l.imageTop + 1190}));
}

// A band that cannot be drawn is halved and tried again; the rows already
// drawn are not drawn again, and the last band takes what is left.
TEST(SampleSheetLayout, BandsHalveOnFailure) {
    std::vector<std::pair<int, int>> tried;
    auto drawAtMost = [&](int limit) {
        return [&tried, limit](int rowsDone, int band) {
            tried.emplace_back(rowsDone, band);
            return band <= limit;
        };
    };
    EXPECT_EQ(DrawImageBands(1190, drawAtMost(1190)), 0);
    EXPECT_EQ(tried, (std::vector<std::pair<int, int>>{{0, 1190}}));

    tried.clear();
    EXPECT_EQ(DrawImageBands(1190, drawAtMost(400)), 0);
    EXPECT_EQ(tried,
              (std::vector<std::pair<int, int>>{
                  {0, 1190}, {0, 595}, {0, 297}, {297, 297}, {594, 297}, {891, 297}, {1188, 2}}));

    tried.clear();
    EXPECT_EQ(DrawImageBands(5, drawAtMost(0)), -1);
    EXPECT_EQ(tried.back(), (std::pair<int, int>{0, 1}));
}

TEST(SampleSheetLayout, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(11, 360, 72), 55);
    EXPECT_EQ(MulDiv(5, 300, 72), 21);  // 20.83
    EXPECT_EQ(MulDiv(11, 300, 72), 46); // 45.83
    EXPECT_EQ(MulDiv(1, 36, 72), 1);    // 0.5
    EXPECT_EQ(MulDiv(-1, 36, 72), -1);
    EXPECT_EQ(MulDiv(1, 1, 0), 0);
}
