// Mouse gestures: the stroke rule, the code built from a path, the trail's
// dots, and the trail window that shows nothing but them; and the edge
// navigator's geometry and neighbour rule.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "navigation/edge_geometry.h"
#include "navigation/gesture.h"

using namespace navigation;

namespace {

// Points from `from` by `step` each, `count` of them after the first.
std::vector<POINT> Line(POINT from, POINT step, int count) {
    std::vector<POINT> pts{from};
    for (int i = 0; i < count; ++i) pts.push_back({pts.back().x + step.x, pts.back().y + step.y});
    return pts;
}

// The code a path gives, point by point as the poll feeds it.
std::string CodeOf(const std::vector<std::vector<POINT>>& legs) {
    TGestureRecognizer r;
    r.Reset();
    for (const auto& leg : legs)
        for (POINT p : leg) r.AddPoint(p);
    return r.Code();
}

}  // namespace

TEST(GestureStroke, ClassifiedByLengthRatioAndMajority) {
    struct Case {
        const char* what;
        std::vector<POINT> pts;
        TStroke want;
    } cases[] = {
        {"76 pixels right", {{100, 100}, {138, 100}, {176, 100}}, TStroke::None},
        {"77 pixels right", {{100, 100}, {138, 100}, {177, 100}}, TStroke::Right},
        {"77 right, 25 across", {{100, 100}, {140, 125}, {177, 110}}, TStroke::Right},
        {"77 right, 26 across", {{100, 100}, {140, 126}, {177, 110}}, TStroke::None},
        {"77 left", {{300, 100}, {260, 100}, {223, 100}}, TStroke::Left},
        {"77 up", {{100, 300}, {100, 260}, {100, 223}}, TStroke::Up},
        {"77 down", {{100, 100}, {100, 140}, {100, 177}}, TStroke::Down},
        {"76 down", {{100, 100}, {100, 140}, {100, 176}}, TStroke::None},
        {"right and back left: a tie counts as right", {{100, 100}, {200, 100}, {100, 100}}, TStroke::Right},
        {"down and back up: a tie counts as up", {{100, 100}, {100, 200}, {100, 100}}, TStroke::Up},
        {"more steps left than right", {{300, 100}, {310, 100}, {200, 100}, {190, 100}}, TStroke::Left},
        {"45-degree diagonal", {{100, 100}, {150, 150}, {200, 200}}, TStroke::None},
        {"two points, however long", {{100, 100}, {900, 100}}, TStroke::None},
        {"one point", {{100, 100}}, TStroke::None},
        {"standing still", {{100, 100}, {100, 100}, {100, 100}, {100, 100}}, TStroke::None},
        {"left of the primary screen", {{-400, 100}, {-360, 100}, {-300, 100}}, TStroke::Right},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyStroke(c.pts), c.want) << c.what;
}

TEST(GestureCode, OneLetterPerStrokeNeverTwiceInARow) {
    struct Case {
        const char* what;
        std::vector<std::vector<POINT>> legs;
        std::string want;
    } cases[] = {
        {"right, down, right", {Line({100, 100}, {10, 0}, 10), Line({200, 110}, {0, 10}, 10), Line({200, 210}, {10, 0}, 10)},
         "RDR"},
        {"right, a pause, right again", {Line({100, 100}, {10, 0}, 10), Line({200, 100}, {0, 0}, 50), Line({200, 100}, {10, 0}, 10)},
         "R"},
        {"300 pixels left in one drag", {Line({600, 300}, {-10, 0}, 30)}, "L"},
        {"up, right (the send-current gesture)", {Line({300, 600}, {0, -10}, 12), Line({300, 480}, {10, 0}, 12)}, "UR"},
        {"a 45-degree diagonal", {Line({100, 100}, {5, 5}, 60)}, ""},
        {"holding still", {Line({100, 100}, {0, 0}, 100)}, ""},
        {"two points only", {{{100, 100}, {900, 100}}}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CodeOf(c.legs), c.want) << c.what;
}

TEST(GestureCode, ResetStartsAnEmptyGesture) {
    TGestureRecognizer r;
    r.Reset();
    for (POINT p : Line({100, 100}, {10, 0}, 10)) r.AddPoint(p);
    ASSERT_EQ(r.Code(), "R");
    r.Reset();
    EXPECT_EQ(r.Code(), "");
    EXPECT_TRUE(r.Points().empty());
    // A new gesture's first stroke does not reach back into the old points.
    r.AddPoint({500, 500});
    r.AddPoint({500, 500});
    EXPECT_EQ(r.AddPoint({500, 500}), TStroke::None);
}

TEST(GestureCode, AppendDirectionDropsARepeat) {
    TGestureCode code;
    for (char c : std::string("RRDDLLR")) AppendDirection(code, c);
    EXPECT_EQ(code, "RDLR");
    AppendDirection(code, 0);
    EXPECT_EQ(code, "RDLR");
}

TEST(GestureTrail, DotsFourPixelsApartAlongTheLongerAxis) {
    struct Case {
        const char* what;
        POINT from, to;
        std::vector<POINT> want;
    } cases[] = {
        {"the same point: one dot 4 to the right", {10, 10}, {10, 10}, {{14, 10}}},
        {"12 right: three dots", {0, 0}, {12, 0}, {{4, 0}, {8, 0}, {12, 0}}},
        {"10 right: 2.5 rounds to 2 dots, the half to even", {0, 0}, {10, 0}, {{4, 0}, {8, 0}}},
        {"6 left: 1.5 rounds to 2 dots", {20, 0}, {14, 0}, {{16, 0}, {12, 0}}},
        {"8 up, 2 right: y is the longer axis", {0, 20}, {2, 12}, {{1, 16}, {2, 12}}},
        {"a tie goes along x", {0, 0}, {8, -8}, {{4, -4}, {8, -8}}},
        {"one pixel: still one dot", {5, 5}, {5, 6}, {{5, 9}}},
    };
    for (const auto& c : cases) {
        auto dots = TrailDotsBetween(c.from, c.to);
        ASSERT_EQ(dots.size(), c.want.size()) << c.what;
        for (size_t i = 0; i < dots.size(); ++i) {
            EXPECT_EQ(dots[i].x, c.want[i].x) << c.what << " dot " << i;
            EXPECT_EQ(dots[i].y, c.want[i].y) << c.what << " dot " << i;
        }
    }
}

namespace {

// The trail window's region, as the system holds it.
struct RegionState {
    int kind;   // NULLREGION, SIMPLEREGION, COMPLEXREGION or ERROR
    RECT box;
};
RegionState TrailRegion() {
    HRGN r = ::CreateRectRgn(0, 0, 0, 0);
    RegionState s{::GetWindowRgn(TrailWindow()->Handle(), r), {}};
    ::GetRgnBox(r, &s.box);
    ::DeleteObject(r);
    return s;
}

bool PointInTrail(POINT p) {
    HRGN r = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(TrailWindow()->Handle(), r);
    bool in = ::PtInRegion(r, p.x, p.y);
    ::DeleteObject(r);
    return in;
}

}  // namespace

TEST(GestureTrail, TheWindowShowsOnlyTheDotsOfTheGesture) {
    CreateTrailWindow();
    ASSERT_NE(TrailWindow(), nullptr);
    HWND w = TrailWindow()->Handle();
    EXPECT_FALSE(::IsWindowVisible(w));
    // Before it is ever shown its region is set, and empty.
    EXPECT_EQ(TrailRegion().kind, NULLREGION);
    RECT bounds{};
    ::GetWindowRect(w, &bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bounds.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    HWND before = ::GetForegroundWindow();
    ResetGesture();
    EXPECT_TRUE(::IsWindowVisible(w));
    EXPECT_EQ(::GetForegroundWindow(), before) << "the trail never takes the foreground";
    EXPECT_EQ(TrailRegion().kind, NULLREGION);

    for (POINT p : Line({300, 300}, {10, 0}, 10)) AddGesturePoint(p);
    RegionState s = TrailRegion();
    EXPECT_NE(s.kind, NULLREGION);
    // Dots of 8 pixels from the first point to the last.
    EXPECT_EQ(s.box.left, 300);
    EXPECT_EQ(s.box.top, 300);
    EXPECT_GE(s.box.right, 400 + 6);
    EXPECT_LE(s.box.right, 400 + 8);
    EXPECT_LE(s.box.bottom, 300 + 8);
    EXPECT_TRUE(PointInTrail({350, 303}));
    EXPECT_FALSE(PointInTrail({350, 320}));
    EXPECT_FALSE(PointInTrail({10, 10}));

    EXPECT_EQ(TakeGesture(), "R");
    EXPECT_FALSE(::IsWindowVisible(w));

    // The next gesture starts from an empty trail.
    ResetGesture();
    EXPECT_EQ(TrailRegion().kind, NULLREGION);
    EXPECT_EQ(TakeGesture(), "");
    CreateTrailWindow();
    EXPECT_EQ(TrailWindow()->Handle(), w) << "created once";
}

TEST(EdgeGeometry, BarsSitCentredOnEachEdgeAndTheStripIsTheOuterPixel) {
    constexpr int W = 1280, H = 1024;
    struct Case {
        TScreenEdge edge;
        RECT bar, strip;
    } cases[] = {
        {TScreenEdge::Up, {530, 0, 750, 20}, {530, 0, 750, 1}},
        {TScreenEdge::Right, {1260, 402, 1280, 622}, {1279, 402, 1280, 622}},
        {TScreenEdge::Down, {530, 1004, 750, 1024}, {530, 1023, 750, 1024}},
        {TScreenEdge::Left, {0, 402, 20, 622}, {0, 402, 1, 622}},
    };
    for (const auto& c : cases) {
        auto bar = EdgeRect(c.edge, W, H);
        auto strip = EdgeStrip(c.edge, W, H);
        ASSERT_TRUE(bar && strip);
        EXPECT_TRUE(EqualRect(&*bar, &c.bar)) << static_cast<int>(c.edge);
        EXPECT_TRUE(EqualRect(&*strip, &c.strip)) << static_cast<int>(c.edge);
    }
    EXPECT_FALSE(EdgeRect(TScreenEdge::None, W, H));
    EXPECT_FALSE(EdgeStrip(static_cast<TScreenEdge>(5), W, H));
    // The cursor pushed against the right edge is inside; one pixel in is not.
    const RECT right = *EdgeStrip(TScreenEdge::Right, W, H);
    EXPECT_TRUE(RectContains(right, {1279, 512}));
    EXPECT_FALSE(RectContains(right, {1278, 512}));
    EXPECT_FALSE(RectContains(right, {1279, 401}));
    EXPECT_FALSE(RectContains(right, {1279, 622}));
}

TEST(EdgeGeometry, NeighbourRuleWithAndWithoutWrap) {
    using E = TScreenEdge;
    struct Case {
        E edge;
        int current, cols, rows;
        bool wrap;
        int want;
    } cases[] = {
        // 3 x 3, desktop 5: every direction has a neighbour.
        {E::Up, 5, 3, 3, false, 2}, {E::Right, 5, 3, 3, false, 6}, {E::Down, 5, 3, 3, false, 8}, {E::Left, 5, 3, 3, false, 4},
        // The last of a row, the last row, the first of a row, the first row.
        {E::Right, 3, 3, 3, true, 1}, {E::Right, 3, 3, 3, false, 3},
        {E::Down, 7, 3, 3, true, 1}, {E::Down, 7, 3, 3, false, 7},
        {E::Left, 4, 3, 3, true, 6}, {E::Left, 4, 3, 3, false, 4},
        {E::Up, 2, 3, 3, true, 8}, {E::Up, 2, 3, 3, false, 2},
        // One column: left and right always stay, with or without wrap.
        {E::Left, 2, 1, 4, true, 2}, {E::Right, 2, 1, 4, true, 2}, {E::Left, 2, 1, 4, false, 2},
        {E::Right, 3, 1, 4, false, 3}, {E::Down, 4, 1, 4, true, 1},
        // 2 x 2 from desktop 2: right wraps to 1.
        {E::Right, 1, 2, 2, false, 2}, {E::Right, 2, 2, 2, true, 1}, {E::Right, 2, 2, 2, false, 2},
        // One row: up and down lead nowhere, with or without wrap; no grid, no target.
        {E::Up, 3, 4, 1, true, 3}, {E::Down, 3, 4, 1, true, 3}, {E::Up, 1, 0, 3, true, 1},
        // No edge, and a target that would leave the grid.
        {E::None, 5, 3, 3, true, 5}, {E::Down, 9, 3, 3, false, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EdgeTarget(c.edge, c.current, c.cols, c.rows, c.wrap), c.want)
            << "edge " << static_cast<int>(c.edge) << " from " << c.current << " in " << c.cols << "x" << c.rows
            << " wrap " << c.wrap;
}
