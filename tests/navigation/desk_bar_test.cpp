// The desktop bar: its rectangle on each edge, its buttons and its shape,
// and the bar itself docked in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/desk_bar.h"
#include "settings/vd_config.h"
#include "support/e2e.h"
#include "support/registry_values.h"

using navigation::DeskBarRect;
using navigation::DeskButtonRects;
using navigation::FreeArea;
using navigation::TaskbarPlace;

namespace {

constexpr SIZE kScreen{1280, 1024};

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != 0; }
std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

struct BarCase {
    const char* what;
    TaskbarPlace taskbar;
    UINT barEdge;
    RECT expected;
};

const BarCase kBarCases[] = {
    {"left bar, taskbar at the bottom: down to the screen's bottom", {ABE_BOTTOM, {0, 994, 1280, 1024}}, ABE_LEFT,
     {0, 0, 21, 1024}},
    {"top bar, taskbar at the bottom", {ABE_BOTTOM, {0, 994, 1280, 1024}}, ABE_TOP, {0, 0, 1280, 21}},
    {"right bar, taskbar at the bottom: above it", {ABE_BOTTOM, {0, 994, 1280, 1024}}, ABE_RIGHT,
     {1259, 0, 1280, 994}},
    {"bottom bar, taskbar at the bottom: right above it", {ABE_BOTTOM, {0, 994, 1280, 1024}}, ABE_BOTTOM,
     {0, 973, 1280, 994}},
    {"left bar beside a left taskbar", {ABE_LEFT, {0, 0, 60, 1024}}, ABE_LEFT, {60, 0, 81, 1024}},
    {"top bar below a top taskbar", {ABE_TOP, {0, 0, 1280, 40}}, ABE_TOP, {0, 40, 1280, 61}},
    {"right bar left of a right taskbar", {ABE_RIGHT, {1220, 0, 1280, 1024}}, ABE_RIGHT, {1199, 0, 1220, 1024}},
    {"bottom bar under a top taskbar", {ABE_TOP, {0, 0, 1280, 40}}, ABE_BOTTOM, {0, 1003, 1280, 1024}},
    {"an edge the shell does not know counts as the bottom", {9, {0, 1000, 1280, 1024}}, ABE_TOP, {0, 0, 1280, 21}},
};

TEST(DeskBarGeometry, TheBarTakesItsEdgeOfTheScreenWithoutTheTaskbar) {
    for (const auto& c : kBarCases) {
        const RECT r = DeskBarRect(c.barEdge, kScreen, FreeArea(kScreen, c.taskbar));
        EXPECT_TRUE(Same(r, c.expected)) << c.what << ": " << Text(r);
    }
}

TEST(DeskBarGeometry, TheDeskBarValueOfEachEdge) {
    EXPECT_EQ(navigation::DeskBarIndex(ABE_LEFT), 1);
    EXPECT_EQ(navigation::DeskBarIndex(ABE_RIGHT), 2);
    EXPECT_EQ(navigation::DeskBarIndex(ABE_TOP), 3);
    EXPECT_EQ(navigation::DeskBarIndex(ABE_BOTTOM), 4);
    for (int index = 1; index <= 4; ++index)
        EXPECT_EQ(navigation::DeskBarIndex(static_cast<UINT>(settings::DeskBarEdge(index))), index);
}

struct ButtonCase {
    UINT edge;
    int across, currentAcross;   // left or top of the buttons across the bar
};
const ButtonCase kButtonCases[] = {
    {ABE_LEFT, -6, -4}, {ABE_TOP, -4, -2}, {ABE_RIGHT, 3, 1}, {ABE_BOTTOM, 3, 1}};

TEST(DeskBarGeometry, ButtonsRunAlongTheBarAndTheCurrentOneStandsOut) {
    for (const auto& c : kButtonCases) {
        const bool vertical = c.edge == ABE_LEFT || c.edge == ABE_RIGHT;
        for (int count : {1, 4, 9}) {
            for (int current : {1, count}) {
                std::vector<SIZE> extents;
                for (int k = 0; k < count; ++k) {
                    const LONG along = 60 + 7 * k + (k + 1 == current ? 10 : 0), across = k + 1 == current ? 30 : 27;
                    extents.push_back(vertical ? SIZE{across, along} : SIZE{along, across});
                }
                const auto rects = DeskButtonRects(c.edge, extents, current);
                ASSERT_EQ(rects.size(), static_cast<size_t>(count));
                LONG along = 3;
                for (int k = 0; k < count; ++k) {
                    const RECT& r = rects[static_cast<size_t>(k)];
                    const LONG start = vertical ? r.top : r.left, side = vertical ? r.left : r.top;
                    const auto what = "edge " + std::to_string(c.edge) + ", " + std::to_string(count) +
                                      " desktops, current " + std::to_string(current) + ", button " +
                                      std::to_string(k + 1);
                    EXPECT_EQ(start, along) << what;
                    EXPECT_EQ(side, k + 1 == current ? c.currentAcross : c.across) << what;
                    EXPECT_EQ(r.right - r.left, extents[static_cast<size_t>(k)].cx) << what;
                    EXPECT_EQ(r.bottom - r.top, extents[static_cast<size_t>(k)].cy) << what;
                    along = (vertical ? r.bottom : r.right) + 2;
                }
            }
        }
    }
}

TEST(DeskBarGeometry, TheShapeIsTheUnionOfTheButtonsWithTheGapsCutOut) {
    const std::vector<RECT> buttons{{-6, 3, 21, 63}, {-4, 65, 23, 135}, {-6, 137, 21, 197}};
    framework::Region shape = navigation::DeskBarRegion(buttons);
    RECT box;
    ASSERT_NE(::GetRgnBox(shape.get(), &box), ERROR);
    // The outlines reach one pixel past the buttons, which the shell's
    // rounded regions leave out again: the shape covers the buttons exactly.
    EXPECT_TRUE(Same(box, RECT{-6, 3, 23, 197})) << Text(box);
    for (const RECT& b : buttons) {
        const int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
        EXPECT_TRUE(::PtInRegion(shape.get(), cx, cy));
        EXPECT_TRUE(::PtInRegion(shape.get(), cx, b.bottom - 1));   // the button's last row
        EXPECT_FALSE(::PtInRegion(shape.get(), cx, b.bottom));
    }
    EXPECT_FALSE(::PtInRegion(shape.get(), 10, 64));    // between the first two buttons
    EXPECT_FALSE(::PtInRegion(shape.get(), 10, 136));   // between the last two
    EXPECT_FALSE(::PtInRegion(shape.get(), -6, 3));     // a rounded corner
    framework::Region none = navigation::DeskBarRegion({});
    ASSERT_EQ(::GetRgnBox(none.get(), &box), NULLREGION);
}

// A bar of this process, with the engine's state for the current desktop.
class DeskBarForm : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        main = std::make_unique<engine::TfrmPTessarel>();
        engine::frmPTessarel = main.get();
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmDeskBar);
        app.SetMainForm(before);
        bar().FCaptions = {"desktop 1", "#2: Mail", "desktop 3", "desktop 4"};
    }
    void TearDown() override {
        if (navigation::frmDeskBar) framework::App().FreeForm(navigation::frmDeskBar);
        engine::frmPTessarel = nullptr;
        main.reset();
        e2e::ResetUserState();
    }
    navigation::TfrmDeskBar& bar() { return *navigation::frmDeskBar; }
    std::unique_ptr<engine::TfrmPTessarel> main;
};

TEST_F(DeskBarForm, DocksOnEachEdgeWritesItAndShapesItselfFromTheButtons) {
    e2e::RegistryValuesScope scope({"deskbar"});
    const SIZE screen = navigation::ScreenSize();
    const TaskbarPlace place = navigation::AskTaskbarPlace();
    for (UINT edge : {ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM}) {
        bar().FBarEdge = edge;
        bar().SetDeskBarVisible(true);
        EXPECT_TRUE(bar().Registered());
        EXPECT_TRUE(::IsWindowVisible(bar().Handle()));
        const RECT expected = DeskBarRect(edge, screen, FreeArea(screen, place));
        EXPECT_TRUE(Same(bar().BoundsRect(), expected)) << edge << ": " << Text(bar().BoundsRect());
        EXPECT_EQ(e2e::RegistryValuesScope::GetInt("deskbar"), navigation::DeskBarIndex(edge));

        ASSERT_EQ(bar().Buttons().size(), 4u);
        const auto& first = *bar().Buttons()[0];
        const auto& second = *bar().Buttons()[1];
        EXPECT_EQ(first.Caption(), "desktop 1");
        EXPECT_EQ(second.Caption(), "#2: Mail");
        const bool vertical = edge == ABE_LEFT || edge == ABE_RIGHT;
        EXPECT_EQ(first.Angle(), vertical ? toolkit::TRotAngle::ra90 : toolkit::TRotAngle::ra0);
        // Desktop 1 is current: bold and larger than the others.
        EXPECT_TRUE(first.Font().Bold);
        EXPECT_FALSE(second.Font().Bold);
        EXPECT_LT(first.Font().Height, second.Font().Height);

        HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(bar().Handle(), shape), ERROR);
        for (const auto& b : bar().Buttons()) {
            const RECT r = b->Bounds();
            EXPECT_TRUE(::PtInRegion(shape, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
        }
        ::DeleteObject(shape);
    }
    bar().SetDeskBarVisible(false);
    EXPECT_FALSE(bar().Registered());
    EXPECT_FALSE(::IsWindowVisible(bar().Handle()));
    EXPECT_TRUE(bar().Buttons().empty());
}

TEST_F(DeskBarForm, AClickMarksTheRequestedDesktopAtOnce) {
    bar().FBarEdge = ABE_TOP;
    bar().DockDeskBar();
    const auto& third = *bar().Buttons()[2];
    const RECT r = third.Bounds();
    ::SendMessageA(third.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(third.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(main->FRequestedDesktop, 3);
    EXPECT_TRUE(bar().Buttons()[2]->Font().Bold);
    EXPECT_FALSE(bar().Buttons()[0]->Font().Bold);
    EXPECT_EQ(bar().Buttons()[2]->Bounds().top, r.top + 2);   // stands out from the top edge
}

TEST_F(DeskBarForm, PositionNoticesThatChangeNothingDoNotDockAgain) {
    bar().FBarEdge = ABE_RIGHT;
    bar().DockDeskBar();
    // Docking builds the buttons anew: new windows.
    const HWND before = bar().Buttons()[0]->Handle();
    // Another bar registered beside this one: each notice it causes reaches
    // this bar, which must not answer with a move of its own.
    for (int i = 0; i < 5; ++i) ::SendMessageA(bar().Handle(), navigation::kDeskBarCallback, ABN_POSCHANGED, 0);
    EXPECT_EQ(bar().Buttons()[0]->Handle(), before);

    // A bar moved by someone else docks again on its edge.
    bar().SetBounds(100, 100, 21, 300);
    ::SetWindowPos(bar().Handle(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(bar().Handle(), navigation::kDeskBarCallback, ABN_POSCHANGED, 0);
    EXPECT_NE(bar().Buttons()[0]->Handle(), before);
    EXPECT_EQ(bar().BoundsRect().right, ::GetSystemMetrics(SM_CXSCREEN));
}

TEST_F(DeskBarForm, SizeChangesFromOutsideAreRefused) {
    bar().FBarEdge = ABE_LEFT;
    bar().DockDeskBar();
    const RECT docked = bar().BoundsRect();
    ::SetWindowPos(bar().Handle(), nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Same(bar().BoundsRect(), docked)) << Text(bar().BoundsRect());
}

}  // namespace

namespace {

TEST_F(DeskBarForm, TwoBarsOnOneEdgeDoNotAnswerEachOthersNoticesForEver) {
    // The shell tells every other bar of each move; a bar that docked again
    // at each notice would move the other in turn, without end.
    auto other = std::make_unique<navigation::TfrmDeskBar>();
    other->CreateHandle();
    other->FCaptions = {"desktop 1", "desktop 2"};
    bar().FBarEdge = ABE_LEFT;
    other->FBarEdge = ABE_LEFT;
    bar().DockDeskBar();
    other->DockDeskBar();
    EXPECT_TRUE(::IsWindowVisible(other->Handle()));
    EXPECT_GT(other->Width(), 0) << "a shell that answers an empty place leaves the bar its own";
    e2e::Pump(300);
    const HWND first = bar().Buttons()[0]->Handle();
    const HWND second = other->Buttons()[0]->Handle();
    // Quiet from here on: no bar docks again for a while.
    e2e::Pump(500);
    EXPECT_EQ(bar().Buttons()[0]->Handle(), first);
    EXPECT_EQ(other->Buttons()[0]->Handle(), second);
    other->RemoveAppBar();
    other.reset();
}

}  // namespace
