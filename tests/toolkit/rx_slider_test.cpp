// The slider: its ruler pieces, geometry and value arithmetic as tables; its
// painting on the pixels of a bitmap; keys and the mouse as posted messages.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/form.h"
#include "framework/guard.h"
#include "support/e2e.h"
#include "support/paint_canvas.h"
#include "toolkit/rx_slider.h"

using namespace toolkit;

namespace {

constexpr SIZE kThumb{22, 20};   // the default horizontal thumb: two pictures of 11 x 20
constexpr SIZE kRuler{10, 4};
constexpr auto H = TSliderOrientation::soHorizontal;
constexpr auto V = TSliderOrientation::soVertical;

SliderGeometry Horizontal(int w, int h) { return ComputeSliderGeometry({w, h}, false, H, kThumb, 2, kRuler); }

}  // namespace

TEST(SliderRuler, PiecesKeepBothEndsAndStretchTheBody) {
    struct Case {
        int image, edge, target;
        std::vector<RulerPiece> want;
    } cases[] = {
        // Body 6: four bodies after the first piece, the last cut to end with the trailing edge.
        {10, 2, 30, {{0, 0, 8}, {8, 2, 6}, {14, 2, 6}, {20, 2, 6}, {26, 6, 4}}},
        // Exactly the image's length: the first piece and the trailing edge.
        {10, 2, 10, {{0, 0, 8}, {8, 8, 2}}},
        // Shorter than the image: the first piece alone, cut.
        {10, 2, 5, {{0, 0, 5}}},
        {10, 2, 0, {}},
        {0, 2, 30, {}},
        // No body between the ends: the image is repeated, never divided by.
        {4, 2, 10, {{0, 0, 4}, {4, 0, 4}, {8, 0, 2}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RulerPieces(c.image, c.edge, c.target), c.want) << c.image << "/" << c.edge << "/" << c.target;
}

TEST(SliderGeometry, ProgramsSliderPlacesRulerThumbAndPoints) {
    SliderGeometry g = Horizontal(261, 36);
    EXPECT_EQ(g.rulerLength, 249);
    EXPECT_EQ(g.thumbLength, 11);
    EXPECT_EQ(g.travel, 238);
    EXPECT_EQ(g.trackStart, 6);
    // The thinner ruler moves down by half the difference of the thicknesses.
    EXPECT_EQ(g.rulerOrigin.x, 6);
    EXPECT_EQ(g.rulerOrigin.y, 6 + (20 - 4) / 2);
    EXPECT_EQ(g.thumbAcross, 6);
    EXPECT_EQ(g.points.y, 20 + 7);
    SliderGeometry bevelled = ComputeSliderGeometry({261, 36}, true, H, kThumb, 2, kRuler);
    EXPECT_EQ(bevelled.rulerLength, 247);
    EXPECT_EQ(bevelled.trackStart, 7);
}

TEST(SliderGeometry, ValueAndPositionAgreeIncludingSizesWithoutTravel) {
    struct Case {
        SIZE client;
        int value;         // 0..75
        int position;      // of the thumb's left edge
        int backAt;        // the value read back at that position, smooth
    } cases[] = {
        {{261, 36}, 0, 6, 0},
        {{261, 36}, 75, 244, 75},
        {{261, 36}, 25, 6 + 79, 25},     // 238 * 25 / 75 = 79.3
        {{261, 36}, 38, 6 + 121, 38},
        // Sizes that leave the thumb no room to move: every value sits at the start.
        {{20, 36}, 40, 6, 0},
        {{17, 36}, 75, 6, 0},
        {{5, 5}, 75, 6, 0},
        {{0, 0}, 30, 6, 0},
    };
    for (const auto& c : cases) {
        SliderGeometry g = Horizontal(c.client.cx, c.client.cy);
        EXPECT_EQ(ThumbPositionOf(g, H, c.value, 0, 75), c.position) << c.client.cx << " value " << c.value;
        EXPECT_EQ(ValueAtPosition(g, H, c.client.cy, c.position, 0, 75, 2, true), c.backAt) << c.client.cx;
    }
    EXPECT_EQ(Horizontal(20, 36).travel, 0);
    EXPECT_EQ(Horizontal(5, 5).rulerLength, 0);

    // Without smooth moves the value snaps to steps: 37.5 steps of 2 halve to even.
    SliderGeometry g = Horizontal(261, 36);
    EXPECT_EQ(ValueAtPosition(g, H, 36, 6 + 119, 0, 75, 2, true), 38);
    EXPECT_EQ(ValueAtPosition(g, H, 36, 6 + 116, 0, 75, 10, false), 40);
    // Beyond the ends the value stays in range.
    EXPECT_EQ(ValueAtPosition(g, H, 36, 0, 0, 75, 2, true), 0);
    EXPECT_EQ(ValueAtPosition(g, H, 36, 400, 0, 75, 2, true), 75);
    EXPECT_EQ(ValueAtPosition(g, H, 36, 125, 10, 85, 2, true), 48);
}

TEST(SliderGeometry, VerticalValuesGrowUpwards) {
    SliderGeometry g = ComputeSliderGeometry({36, 261}, false, V, {40, 11}, 2, {4, 10});
    EXPECT_EQ(g.thumbLength, 11);
    EXPECT_EQ(g.thumbThickness, 20);
    EXPECT_EQ(g.travel, 238);
    EXPECT_EQ(ThumbPositionOf(g, V, 0, 0, 75), 261 - 6 - 11);
    EXPECT_EQ(ThumbPositionOf(g, V, 75, 0, 75), 6);
    EXPECT_EQ(ValueAtPosition(g, V, 261, 244, 0, 75, 2, true), 0);
    EXPECT_EQ(ValueAtPosition(g, V, 261, 6, 0, 75, 2, true), 75);
    SliderGeometry empty = ComputeSliderGeometry({36, 16}, false, V, {40, 11}, 2, {4, 10});
    EXPECT_EQ(empty.travel, 0);
    EXPECT_EQ(ValueAtPosition(empty, V, 16, 3, 0, 75, 2, true), 0);
}

TEST(SliderSteps, StepsSnapToMultiplesOfTheIncrement) {
    struct Case {
        TSliderStep step;
        int value, increment, min, max, want;
    } cases[] = {
        {TSliderStep::Up, 75, 2, 0, 75, 75},     // stays at the maximum
        {TSliderStep::Up, 3, 2, 0, 75, 6},       // 2 + 2 * round(1.5)
        {TSliderStep::Up, 5, 2, 0, 75, 6},       // 2 + 2 * round(2.5)
        {TSliderStep::Down, 3, 2, 0, 75, 2},
        {TSliderStep::Down, 0, 2, 0, 75, 0},
        {TSliderStep::Up, 7, 10, 5, 100, 20},    // multiples of 10, not 5 + multiples
        {TSliderStep::Down, 7, 10, 5, 100, 5},
        {TSliderStep::ToMin, 40, 2, 0, 75, 0},
        {TSliderStep::ToMax, 40, 2, 0, 75, 75},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SteppedValue(c.step, c.value, c.increment, c.min, c.max), c.want)
            << static_cast<int>(c.step) << " from " << c.value;
}

TEST(SliderPoints, TicksThinOutUntilFourPixelsApart) {
    auto ticks = TickPoints(0, 75, 2, 238);
    ASSERT_EQ(ticks.size(), 39u);   // round(37.5) + 1, 6 pixels apart
    EXPECT_EQ(ticks.front().value, 0);
    EXPECT_EQ(ticks.front().length, 5);
    EXPECT_EQ(ticks[1].value, 2);
    EXPECT_EQ(ticks[1].length, 3);
    EXPECT_EQ(ticks.back().value, 75);
    EXPECT_EQ(ticks.back().length, 5);
    // 20 pixels of travel: every 14th value (round(75 / 14) + 1 = 6 ticks), 4 pixels apart.
    auto sparse = TickPoints(0, 75, 2, 20);
    ASSERT_EQ(sparse.size(), 6u);
    EXPECT_EQ(sparse[1].value, 14);
    EXPECT_EQ(sparse.back().value, 75);
    // No travel: no division, one point per step at the same place.
    EXPECT_FALSE(TickPoints(0, 75, 2, 0).empty());
    EXPECT_TRUE(TickPoints(0, 0, 2, 100).empty());
}

namespace {

struct SliderFixture : ::testing::Test {
    framework::Form host{"frmSliderTest"};
    TRxSlider slider{host, "slTest"};
    int changes = 0, finished = 0;

    void SetUp() override {
        host.CreateHandle();
        framework::ControlSpec spec{framework::Kind::Custom, "slTest", nullptr, 0, 0, 261, 36, nullptr, 0};
        slider.CreateWindowFor(host.Handle(), spec, 100);
        slider.SetMaxValue(75);
        slider.SetIncrement(2);
        slider.OnChange = [this] { ++changes; };
        slider.OnChanged = [this] { ++finished; };
    }
    void Post(UINT m, WPARAM w = 0, LPARAM l = 0) {
        ::PostMessageA(slider.Handle(), m, w, l);
        e2e::Pump(0);
    }
    void Key(WPARAM key) { Post(WM_KEYDOWN, key, 1); }
    static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
};

}  // namespace

TEST_F(SliderFixture, PropertiesKeepValueIncrementAndRangeConsistent) {
    slider.SetValue(80);
    EXPECT_EQ(slider.Value(), 75);
    EXPECT_EQ(changes, 1);
    slider.SetValue(75);
    EXPECT_EQ(changes, 1) << "an unchanged value fires no change";
    try {
        slider.SetIncrement(76);
        FAIL() << "an increment beyond the range was taken";
    } catch (const framework::Exception& e) {
        EXPECT_STREQ(e.what(), "Value must be between 1 and 75");
    }
    EXPECT_THROW(slider.SetIncrement(0), framework::Exception);
    EXPECT_EQ(slider.Increment(), 2);
    slider.SetIncrement(20);
    slider.SetMaxValue(10);   // below minimum + increment: the increment follows
    EXPECT_EQ(slider.Increment(), 10);
    EXPECT_EQ(slider.Value(), 10);
    slider.SetMinValue(10);   // a range of nothing is ignored
    EXPECT_EQ(slider.MinValue(), 0);
}

TEST_F(SliderFixture, KeysStepAndReportTheFinishedChange) {
    Key(VK_RIGHT);
    EXPECT_EQ(slider.Value(), 2);
    slider.SetValue(3);
    Key(VK_RIGHT);
    EXPECT_EQ(slider.Value(), 6);
    Key(VK_LEFT);
    EXPECT_EQ(slider.Value(), 4);
    Key(VK_END);
    EXPECT_EQ(slider.Value(), 75);
    Key(VK_RIGHT);
    EXPECT_EQ(slider.Value(), 75);
    Key(VK_HOME);
    EXPECT_EQ(slider.Value(), 0);
    Key(VK_UP);   // a horizontal slider leaves Up to the dialog
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(finished, 6);
    EXPECT_EQ(::SendMessageA(slider.Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(SliderFixture, DraggingTheThumbFollowsTheMouse) {
    RECT thumb = slider.ThumbRect();
    EXPECT_EQ(thumb.left, 6);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(thumb.left + 4, thumb.top + 5));
    EXPECT_TRUE(slider.Dragging());
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(thumb.left + 4 + 119, thumb.top + 5));
    EXPECT_EQ(slider.Value(), 38);
    EXPECT_EQ(slider.ThumbRect().left, 6 + 121);
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(1000, thumb.top + 5));
    EXPECT_EQ(slider.Value(), 75);
    EXPECT_EQ(finished, 0);
    Post(WM_LBUTTONUP, 0, At(1000, thumb.top + 5));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(changes, 2);
    Post(WM_MOUSEMOVE, 0, At(10, thumb.top + 5));
    EXPECT_EQ(slider.Value(), 75) << "the thumb moved without the button";
}

TEST_F(SliderFixture, RulerClickRepeatsUntilTheThumbReachesTheMouse) {
    const int y = slider.Geometry().rulerOrigin.y + 1;
    // Sent, not posted: nothing else runs between the press and the checks.
    ::SendMessageA(slider.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(200, y));
    EXPECT_TRUE(slider.RulerTracking());
    EXPECT_EQ(slider.Value(), 2) << "a step at once";
    // The repeat timer runs while the button is held.
    EXPECT_TRUE(e2e::WaitUntil([&] { return slider.Value() > 2; }, 5000));
    for (int i = 0; i < 40; ++i) Post(WM_TIMER, TRxSlider::kRepeatTimer);
    RECT thumb = slider.ThumbRect();
    EXPECT_LE(thumb.left, 200);
    EXPECT_GT(thumb.right, 200) << "the thumb stops on the mouse point";
    const int stopped = slider.Value();
    Post(WM_TIMER, TRxSlider::kRepeatTimer);
    EXPECT_EQ(slider.Value(), stopped);
    ::SendMessageA(slider.Handle(), WM_LBUTTONUP, 0, At(200, y));
    EXPECT_FALSE(slider.RulerTracking());
    EXPECT_EQ(finished, 1);

    // Back down: a click left of the thumb steps down; released, nothing repeats.
    const int down = SteppedValue(TSliderStep::Down, stopped, 2, 0, 75);
    ::SendMessageA(slider.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, y));
    EXPECT_EQ(slider.Value(), down);
    ::SendMessageA(slider.Handle(), WM_LBUTTONUP, 0, At(20, y));
    for (int i = 0; i < 3; ++i) Post(WM_TIMER, TRxSlider::kRepeatTimer);
    EXPECT_EQ(slider.Value(), down) << "repeating after the release";
}

TEST_F(SliderFixture, PaintsGrooveThumbAndPointsInSystemColours) {
    slider.SetValue(0);
    e2e::PaintCanvas c(261, 36);
    slider.Paint(c.dc(), c.Rect());
    const SliderGeometry& g = slider.Geometry();
    const RECT thumb = slider.ThumbRect();
    EXPECT_EQ(c.At(2, 2), ::GetSysColor(COLOR_BTNFACE)) << "the slider's fill";
    // The groove's rows, far from the thumb.
    EXPECT_EQ(c.At(200, g.rulerOrigin.y), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(200, g.rulerOrigin.y + 1), ::GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(200, g.rulerOrigin.y + 3), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    // The thumb: light left edge, dark right edge, and nothing of its clear colour.
    EXPECT_EQ(c.At(thumb.left, thumb.top + 5), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(thumb.right - 1, thumb.top + 5), ::GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(thumb.left, thumb.bottom - 1), ::GetSysColor(COLOR_BTNFACE)) << "beside the thumb's point";
    EXPECT_EQ(c.Count(kSliderClear), 0);
    // Tick points below, at the middle of the thumb's places.
    const int middle = thumb.left + g.thumbLength / 2;
    EXPECT_EQ(c.At(middle, g.points.y), ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(c.At(ThumbPositionOf(g, H, 2, 0, 75) + g.thumbLength / 2, g.points.y + 2),
              ::GetSysColor(COLOR_WINDOWTEXT));

    // Pressed, the thumb shows its second picture.
    ::SendMessageA(slider.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(thumb.left + 4, thumb.top + 5));
    e2e::PaintCanvas pressed(261, 36);
    slider.Paint(pressed.dc(), pressed.Rect());
    EXPECT_NE(pressed.At(thumb.left + 2, thumb.top + 2), c.At(thumb.left + 2, thumb.top + 2));
    ::SendMessageA(slider.Handle(), WM_LBUTTONUP, 0, At(thumb.left + 4, thumb.top + 5));

    // Opaque fill in another colour; no points without the option.
    slider.SetColor(RGB(10, 200, 30));
    slider.SetOptions(soSmooth);
    e2e::PaintCanvas plain(261, 36);
    slider.Paint(plain.dc(), plain.Rect());
    EXPECT_EQ(plain.At(2, 2), RGB(10, 200, 30));
    EXPECT_EQ(plain.At(middle, g.points.y), RGB(10, 200, 30));
}

TEST_F(SliderFixture, TooSmallToMoveStillPaintsAndAnswers) {
    for (SIZE s : {SIZE{10, 10}, SIZE{20, 36}, SIZE{0, 0}, SIZE{3, 200}}) {
        ::SetWindowPos(slider.Handle(), nullptr, 0, 0, s.cx, s.cy, SWP_NOZORDER | SWP_NOMOVE);
        EXPECT_EQ(slider.Geometry().travel, 0) << s.cx << "x" << s.cy;
        slider.SetValue(40);
        Key(VK_RIGHT);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, At(s.cx / 2, s.cy / 2));
        Post(WM_MOUSEMOVE, MK_LBUTTON, At(s.cx, s.cy / 2));
        Post(WM_LBUTTONUP, 0, At(s.cx, s.cy / 2));
        e2e::PaintCanvas c(std::max<int>(1, s.cx), std::max<int>(1, s.cy));
        slider.Paint(c.dc(), c.Rect());
    }
    slider.SetOrientation(TSliderOrientation::soVertical);
    ::SetWindowPos(slider.Handle(), nullptr, 0, 0, 36, 12, SWP_NOZORDER | SWP_NOMOVE);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 6));
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(10, 0));
    Post(WM_LBUTTONUP, 0, At(10, 0));
    EXPECT_GE(slider.Value(), 0);
}
