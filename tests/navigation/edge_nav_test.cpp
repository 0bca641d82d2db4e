// The screen-edge navigation window: the neighbour rule over every layout,
// the bar's place at each edge of two screens, and the bar itself against a
// main form of the test process (shown only where an edge leads somewhere,
// hidden once the cursor leaves it, kept while its menu is open).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/edge_nav.h"
#include "settings/tables.h"
#include "support/fake_settings.h"
#include "support/e2e.h"

using namespace navigation;

namespace {

// The grid as the user sees it: a desktop's neighbour is the cell beside it
// in that direction; with wrap the far end of the same row or column.
int NeighbourInGrid(TScreenEdge edge, int desktop, int cols, int rows, bool wrap) {
    const int row = (desktop - 1) / cols, col = (desktop - 1) % cols;
    int r = row, c = col;
    switch (edge) {
    case TScreenEdge::Up: --r; break;
    case TScreenEdge::Right: ++c; break;
    case TScreenEdge::Down: ++r; break;
    case TScreenEdge::Left: --c; break;
    default: return desktop;
    }
    if (r < 0 || r >= rows || c < 0 || c >= cols) {
        if (!wrap) return desktop;
        r = (r + rows) % rows;
        c = (c + cols) % cols;
    }
    return settings::DesktopAt(c, r, cols);
}

}  // namespace

TEST(EdgeNeighbourRule, EveryLayoutDesktopAndEdgeWithAndWithoutWrap) {
    int checked = 0;
    for (const auto& layout : settings::Layouts) {
        const int count = layout.Columns * layout.Rows;
        for (int desktop = 1; desktop <= count; ++desktop)
            for (TScreenEdge edge : kScreenEdges)
                for (bool wrap : {false, true}) {
                    const int want = NeighbourInGrid(edge, desktop, layout.Columns, layout.Rows, wrap);
                    EXPECT_EQ(EdgeTarget(edge, desktop, layout.Columns, layout.Rows, wrap), want)
                        << layout.Text << " desktop " << desktop << " edge " << static_cast<int>(edge) << " wrap "
                        << wrap;
                    ++checked;
                }
    }
    EXPECT_EQ(checked, 8 * (5 + 4 + 6 + 8 + 9 + 6 + 8 + 4 + 5 + 4 + 3 + 3 + 2 + 2));
}

TEST(EdgeBarGeometry, EachEdgeAtTwoScreenSizes) {
    struct Case {
        int W, H;
        TScreenEdge edge;
        RECT want;
    } cases[] = {
        {1280, 1024, TScreenEdge::Up, {530, 0, 750, 20}},
        {1280, 1024, TScreenEdge::Right, {1260, 402, 1280, 622}},
        {1280, 1024, TScreenEdge::Down, {530, 1004, 750, 1024}},
        {1280, 1024, TScreenEdge::Left, {0, 402, 20, 622}},
        // Odd sizes: every half is an integer division.
        {1023, 767, TScreenEdge::Up, {401, 0, 621, 20}},
        {1023, 767, TScreenEdge::Right, {1003, 273, 1023, 493}},
        {1023, 767, TScreenEdge::Down, {401, 747, 621, 767}},
        {1023, 767, TScreenEdge::Left, {0, 273, 20, 493}},
    };
    for (const auto& c : cases) {
        const auto r = EdgeRect(c.edge, c.W, c.H);
        ASSERT_TRUE(r);
        EXPECT_TRUE(EqualRect(&*r, &c.want)) << c.W << "x" << c.H << " edge " << static_cast<int>(c.edge) << ": "
                                             << r->left << "," << r->top << "," << r->right << "," << r->bottom;
    }
    const RECT none = GetEdgeRect(TScreenEdge::None);
    EXPECT_TRUE(IsRectEmpty(&none));
}

TEST(EdgeBarGeometry, TheBorderLinesOnTheRightAndBottomStillHoldTheCursor) {
    const RECT bar{1260, 402, 1280, 622};
    EXPECT_TRUE(OnBar(bar, {1280, 622}));
    EXPECT_TRUE(OnBar(bar, {1260, 402}));
    EXPECT_FALSE(OnBar(bar, {1259, 500}));
    EXPECT_FALSE(OnBar(bar, {1270, 623}));
    EXPECT_NE(NumberAlignment(TScreenEdge::Up) & DT_VCENTER, 0u);
    EXPECT_NE(NumberAlignment(TScreenEdge::Right) & DT_CENTER, 0u);
}

namespace {

class EdgeWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::frmPTessarel = &main_;
        main_.FGridCols = main_.FGridRows = 3;
        At(1);
        settings_.Set("wrapedgenav", 0);
        framework::Form* before = framework::App().MainForm();
        framework::App().CreateForm(frmEdgeNav);
        framework::App().SetMainForm(before);
        MoveCursor(CentreOfScreen());
    }
    void TearDown() override {
        if (frmEdgeNav) framework::App().FreeForm(frmEdgeNav);
        engine::frmPTessarel = nullptr;
    }
    void At(int desktop) { main_.FCurrentDesktop = main_.FRequestedDesktop = desktop; }
    static POINT CentreOfScreen() {
        return {::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2};
    }
    static void MoveCursor(POINT p) {
        ::SetCursorPos(p.x, p.y);
        ASSERT_TRUE(e2e::WaitUntil([p] {
            POINT now{};
            return ::GetCursorPos(&now) && now.x == p.x && now.y == p.y;
        })) << "the cursor did not move";
    }
    TfrmEdgeNav& Bar() { return *frmEdgeNav; }
    bool Shown() { return ::IsWindowVisible(Bar().Handle()) != 0; }

    e2e::FakeSettings settings_;
    engine::TfrmPTessarel main_;
};

}  // namespace

TEST_F(EdgeWindowTest, ShowsAtTheEdgeOnlyWhereItLeadsToAnotherDesktop) {
    At(5);
    Bar().ShowAtEdge(TScreenEdge::Right);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Bar().Target(), 6);
    EXPECT_EQ(Bar().NumberText(), "6");
    EXPECT_EQ(Bar().Caption(), "6");
    const RECT want = GetEdgeRect(TScreenEdge::Right), got = Bar().BoundsRect();
    EXPECT_TRUE(EqualRect(&want, &got));
    EXPECT_TRUE(Bar().ExStyle() & WS_EX_LAYERED);
    EXPECT_TRUE(Bar().ExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(Bar().ExStyle() & WS_EX_TOPMOST);
    BYTE alpha = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(Bar().Handle(), nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, kEdgeNavAlpha);

    // The last desktop of a row, without wrap: nothing to the right.
    At(3);
    Bar().ShowAtEdge(TScreenEdge::Up);
    EXPECT_FALSE(Shown());
    Bar().ShowAtEdge(TScreenEdge::Right);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Bar().Target(), 3);
    // With wrap the row's first desktop.
    settings_.Set("wrapedgenav", 1);
    Bar().ShowAtEdge(TScreenEdge::Right);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(Bar().NumberText(), "1");
}

TEST_F(EdgeWindowTest, AnOldTargetIsNeverReused) {
    At(4);
    Bar().ShowAtEdge(TScreenEdge::Down);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Bar().Target(), 7);
    At(1);
    Bar().ShowAtEdge(TScreenEdge::Up);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Bar().Target(), 1);
    EXPECT_EQ(main_.FLastEdge, 0) << "the dwell starts again";
}

TEST_F(EdgeWindowTest, ASwitchRetargetsTheBarAndAClickRequestsTheTarget) {
    At(5);
    Bar().ShowAtEdge(TScreenEdge::Left);
    ASSERT_EQ(Bar().Target(), 4);
    Bar().imBarClick();
    EXPECT_EQ(main_.FRequestedDesktop, 4);
    At(4);   // the switch is done
    Bar().UpdateEdgeTarget();
    EXPECT_TRUE(Shown()) << "a switch does not hide the bar";
    EXPECT_EQ(Bar().NumberText(), "4");
    // A mouse knock takes the edge and answers its target.
    At(2);
    EXPECT_EQ(Bar().TakeEdge(TScreenEdge::Down), 5);
    EXPECT_EQ(Bar().Edge(), TScreenEdge::Down);
}

TEST_F(EdgeWindowTest, TheCursorLeavingHidesItUnlessTheProgramsMenuIsOpen) {
    At(5);
    Bar().ShowAtEdge(TScreenEdge::Up);
    ASSERT_TRUE(Shown());
    const RECT bar = Bar().BoundsRect();
    MoveCursor({bar.right, bar.bottom});   // on its border line
    Bar().Timer1Timer();
    EXPECT_TRUE(Shown());

    // The program's own menu window, as the scan records it, keeps the bar.
    framework::Form menu("EdgeTestMenu");
    menu.CreateHandle();
    ::ShowWindow(menu.Handle(), SW_SHOWNA);
    main_.FOwnPopupWindow = menu.Handle();
    MoveCursor(CentreOfScreen());
    Bar().Timer1Timer();
    EXPECT_TRUE(Shown());
    ::ShowWindow(menu.Handle(), SW_HIDE);
    main_.FLastEdge = 1;
    Bar().Timer1Timer();
    EXPECT_FALSE(Shown());
    EXPECT_EQ(main_.FLastEdge, 0);
    main_.FOwnPopupWindow = nullptr;
}
