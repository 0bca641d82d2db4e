// The preview's geometry: grid, cell sizes, scaling both ways, placement,
// opacity.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include "engine/preview_layout.h"

using namespace engine::preview;

namespace {
constexpr SIZE kScreen{1280, 1024};

std::string Str(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}
bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

TEST(PreviewLayout, CellSizeByPreviewSize) {
    struct Case { int index; LONG w, h; } cases[] = {
        {0, 320, 240}, {1, 260, 195}, {2, 220, 165}, {3, 160, 120}, {-1, 260, 195}, {4, 260, 195}, {99, 260, 195},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CellSize(c.index).cx, c.w) << c.index;
        EXPECT_EQ(CellSize(c.index).cy, c.h) << c.index;
    }
}

TEST(PreviewLayout, ThumbnailsFollowTheGridRowByRow) {
    struct Case { int cols, rows, prevSize; SIZE client; int n; RECT thumb; } cases[] = {
        {1, 4, 1, {292, 803}, 1, {24, 3, 288, 202}},
        {1, 4, 1, {292, 803}, 4, {24, 603, 288, 802}},
        {3, 3, 0, {1000, 739}, 5, {349, 248, 673, 492}},
        {3, 3, 0, {1000, 739}, 9, {674, 493, 998, 737}},
        {2, 3, 2, {476, 514}, 4, {249, 173, 473, 342}},
        // The widest and the tallest grids fill the window to its edge.
        {5, 1, 3, {848, 131}, 5, {684, 3, 848, 127}},
        {1, 5, 2, {252, 852}, 5, {24, 683, 248, 852}},
    };
    for (const auto& c : cases) {
        const Grid g = LayoutGrid(c.cols, c.rows, CellSize(c.prevSize));
        EXPECT_EQ(g.Client().cx, c.client.cx) << c.cols << "x" << c.rows;
        EXPECT_EQ(g.Client().cy, c.client.cy) << c.cols << "x" << c.rows;
        EXPECT_TRUE(Same(g.Thumb(c.n), c.thumb)) << c.cols << "x" << c.rows << " #" << c.n << " " << Str(g.Thumb(c.n));
        EXPECT_EQ(g.DesktopAt({c.thumb.left, c.thumb.top}), c.n);
        EXPECT_EQ(g.DesktopAt({c.thumb.right - 1, c.thumb.bottom - 1}), c.n);
    }
    const Grid g = LayoutGrid(3, 3, CellSize(1));
    EXPECT_TRUE(Same(g.Thumb(0), RECT{}));
    EXPECT_TRUE(Same(g.Thumb(10), RECT{}));
    EXPECT_EQ(g.DesktopAt({10, 10}), 0) << "the left bar";
    EXPECT_EQ(g.DesktopAt({24 + 264, 50}), 0) << "the pixel between two thumbnails";
    EXPECT_EQ(g.DesktopAt({24 + 265, 50}), 2);
    EXPECT_EQ(g.DesktopAt({50, 2}), 0) << "the top strip";
    EXPECT_EQ(g.DesktopAt({50, 3 + 3 * 200}), 0) << "below the last row";
}

TEST(PreviewLayout, OpacityIsTheIntegerPartOfTheProduct) {
    struct Case { int transparency; BYTE alpha; bool on; } cases[] = {
        {-5, 255, false}, {0, 255, false}, {1, 253, true}, {20, 204, true},
        {25, 192, true}, {40, 153, true}, {75, 64, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PreviewAlpha(c.transparency).value, c.alpha) << c.transparency;
        EXPECT_EQ(PreviewAlpha(c.transparency).enabled, c.on) << c.transparency;
    }
}

TEST(PreviewLayout, LabelShrinksWhenTheNameIsWiderThanTheCellLessTen) {
    EXPECT_EQ(LabelPoints(264, 254), 31);
    EXPECT_EQ(LabelPoints(264, 255), 13);
    EXPECT_EQ(LabelPoints(164, 20), 31);
}

TEST(PreviewLayout, LabelsNameTheirThumbnailsByTag) {
    // Label4 carries Tag 6, Label6 Tag 4, Label7 Tag 9, Label9 Tag 7.
    EXPECT_EQ(kLabelTags[3], 6);
    EXPECT_EQ(kLabelTags[5], 4);
    EXPECT_EQ(kLabelTags[6], 9);
    EXPECT_EQ(kLabelTags[8], 7);
    std::array<bool, 10> seen{};
    for (int t : kLabelTags) seen[static_cast<size_t>(t)] = true;
    for (int n = 1; n <= 9; ++n) EXPECT_TRUE(seen[static_cast<size_t>(n)]) << "no label for desktop " << n;
}

TEST(PreviewLayout, WindowsAreScaledIntoTheMargin) {
    const SIZE medium{264, 199}, tiny{164, 124};
    struct Case { const char* what; RECT window; SIZE thumb; RECT drawn; } cases[] = {
        {"whole screen", {0, 0, 1280, 1024}, medium, {3, 3, 261, 196}},
        {"inside", {600, 500, 900, 700}, medium, {125, 98, 184, 134}},
        {"minimized", {-32000, -32000, -31850, -31975}, medium, {3, 3, 31, 6}},
        {"past the screen", {1000, 800, 1600, 1200}, medium, {206, 155, 261, 196}},
        {"tiny thumbnail", {80, 85, 400, 341}, tiny, {13, 13, 51, 41}},
    };
    for (const auto& c : cases) {
        const RECT d = ThumbWindowRect(c.window, kScreen, c.thumb);
        EXPECT_TRUE(Same(d, c.drawn)) << c.what << ": " << Str(d);
    }
    EXPECT_TRUE(Same(TitleStrip({10, 10, 100, 15}), RECT{10, 10, 100, 16}));
    EXPECT_TRUE(Same(TitleStrip({10, 10, 100, 100}), RECT{10, 10, 100, 28}));
}

TEST(PreviewLayout, EveryPixelOfADrawnWindowPicksThatWindow) {
    const RECT windows[] = {
        {0, 0, 1280, 1024}, {600, 500, 900, 700}, {1000, 20, 1279, 300}, {7, 900, 333, 1023},
        {40, 40, 340, 240}, {70, 70, 370, 270}, {1270, 1010, 1280, 1024}, {0, 0, 5, 5},
    };
    for (int prevSize = 0; prevSize <= 3; ++prevSize) {
        const SIZE cell = CellSize(prevSize);
        const SIZE thumb{cell.cx + 4, cell.cy + 4};
        for (const RECT& w : windows) {
            const RECT d = ThumbWindowRect(w, kScreen, thumb);
            int misses = 0;
            for (int y = d.top; y <= d.bottom; ++y)
                for (int x = d.left; x <= d.right; ++x)
                    if (!RectHolds(w, ThumbPointToScreen({x, y}, kScreen, thumb))) ++misses;
            EXPECT_EQ(misses, 0) << "prevsize " << prevSize << " window " << Str(w) << " drawn " << Str(d);
        }
    }
    // The middle of a thumbnail stands for the middle of the screen.
    const POINT mid = ThumbPointToScreen({132, 99}, kScreen, {264, 199});
    EXPECT_NEAR(mid.x, 640, 5);
    EXPECT_NEAR(mid.y, 512, 5);
}

TEST(PreviewLayout, RectanglesHoldPointsOnAllFourBounds) {
    const RECT r{10, 20, 30, 40};
    EXPECT_TRUE(RectHolds(r, {10, 20}));
    EXPECT_TRUE(RectHolds(r, {30, 40}));
    EXPECT_FALSE(RectHolds(r, {9, 20}));
    EXPECT_FALSE(RectHolds(r, {30, 41}));
}

TEST(PreviewLayout, PlacedNextToTheTaskbarOnEachEdge) {
    const SIZE form{292, 803};
    struct Case { UINT edge; RECT bar; POINT at; } cases[] = {
        {ABE_BOTTOM, {0, 984, 1280, 1024}, {988, 181}},
        {ABE_BOTTOM, {0, 1023, 1280, 1024}, {988, 220}},   // what Wine answers
        {ABE_TOP, {0, 0, 1280, 40}, {988, 40}},
        {ABE_LEFT, {0, 0, 60, 1024}, {60, 221}},
        {ABE_RIGHT, {1220, 0, 1280, 1024}, {928, 221}},
    };
    for (const auto& c : cases) {
        auto at = TaskbarPlacement(c.edge, c.bar, kScreen, form);
        ASSERT_TRUE(at.has_value()) << c.edge;
        EXPECT_EQ(at->x, c.at.x) << c.edge;
        EXPECT_EQ(at->y, c.at.y) << c.edge;
    }
    EXPECT_FALSE(TaskbarPlacement(7, {}, kScreen, form).has_value());
}

TEST(PreviewLayout, PlacedAtTheMouseAndKeptOnTheScreen) {
    const SIZE form{292, 803};
    struct Case { bool middle; POINT cursor; POINT at; } cases[] = {
        {true, {10, 10}, {494, 111}},
        {false, {640, 512}, {494, 111}},
        {false, {10, 10}, {0, 0}},
        {false, {1275, 1020}, {988, 221}},
        {false, {300, 900}, {154, 221}},
    };
    for (const auto& c : cases) {
        const POINT at = MousePlacement(c.middle, c.cursor, kScreen, form);
        EXPECT_EQ(at.x, c.at.x) << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(at.y, c.at.y) << c.cursor.x << "," << c.cursor.y;
    }
}

TEST(PreviewLayout, ADraggedWindowKeepsItsTitleBarOnTheWorkArea) {
    const RECT area{0, 0, 1280, 1004};   // a 20-pixel taskbar at the bottom
    const SIZE window{400, 300};
    const int title = 24;
    struct Case {
        const char* what;
        POINT wanted;
        SIZE size;
        POINT at;
    } cases[] = {
        {"inside: where the drag asks", {100, 200}, window, {100, 200}},
        {"entered a thumbnail at its left edge", {-59, 200}, window, {0, 200}},
        {"past the right edge", {1100, 200}, window, {880, 200}},
        {"above the top", {300, -40}, window, {300, 0}},
        {"below the taskbar's edge: the title bar stays above it", {300, 990}, window, {300, 980}},
        {"the title bar just fits at the bottom", {300, 980}, window, {300, 980}},
        {"off two edges at once", {-500, 2000}, window, {0, 980}},
        {"wider than the area: its left edge on it", {-200, 100}, {1600, 300}, {0, 100}},
    };
    for (const auto& c : cases) {
        const POINT at = KeepTitleBarOn(area, c.wanted, c.size, title);
        EXPECT_EQ(at.x, c.at.x) << c.what;
        EXPECT_EQ(at.y, c.at.y) << c.what;
    }
    // A work area that does not start at the origin (a taskbar on the left).
    const POINT at = KeepTitleBarOn({60, 0, 1280, 1024}, {10, 10}, window, title);
    EXPECT_EQ(at.x, 60);
    EXPECT_EQ(at.y, 10);
}
