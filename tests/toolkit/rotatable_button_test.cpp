// The push button of every dialog: its colours, frame, gradient and caption
// as they land on the pixels of a bitmap it paints into.
#include <gtest/gtest.h>
#include <algorithm>
#include "framework/form.h"
#include "framework/owned.h"
#include "support/paint_canvas.h"
#include "toolkit/rotatable_button.h"

using toolkit::GradientLineColor;
using toolkit::TRotAngle;
using toolkit::TRotButton;

namespace {

constexpr COLORREF kFill = RGB(250, 240, 200);
constexpr COLORREF kEdge = RGB(20, 40, 160);
constexpr COLORREF kFocusFill = RGB(10, 160, 230);
constexpr COLORREF kFocusEdge = RGB(51, 51, 51);
constexpr COLORREF kGradEnd = RGB(90, 200, 10);
constexpr COLORREF kInk = RGB(0, 0, 0);

using Canvas = e2e::PaintCanvas;
using e2e::kUnpainted;

SIZE MeasureCaption(const toolkit::TFontSpec& font, const std::string& text) {
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    framework::Font f = toolkit::CreateCaptionFont(font, TRotAngle::ra0, false);
    framework::SelectScope sel(dc.get(), f.get());
    SIZE s{};
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &s);
    return s;
}

toolkit::TFontSpec CaptionFont(int height = -17) {
    toolkit::TFontSpec f;
    f.Name = "Tahoma";
    f.Height = height;
    f.Bold = true;
    f.Color = kInk;
    return f;
}

struct ButtonFixture : ::testing::Test {
    framework::Form host{"frmRotButtonTest"};
    TRotButton button{host, "btnTest"};
    void SetUp() override {
        button.SetColor(kFill);
        button.SetColorEdge(kEdge);
        button.SetColorFocus(kFocusFill);
        button.SetColorFocusEdge(kFocusEdge);
        button.SetGradientColor(kGradEnd);
        button.SetFont(CaptionFont());
        button.SetFontFocus(CaptionFont());
    }
    void CreateWindowOf(int w, int h) {
        host.CreateHandle();
        framework::ControlSpec spec{framework::Kind::Custom, "btnTest", nullptr, 0, 0, w, h, nullptr, 0};
        button.CreateWindowFor(host.Handle(), spec, 100);
    }
};

}  // namespace

TEST(RotButtonGradient, ChannelsStepInDoublePrecisionAndRoundHalvesToEven) {
    // From black to white over a span of 9: a step of 25.5 per line.
    struct { int p; bool invert; int want; } cases[] = {
        {0, false, 0}, {1, false, 26}, {3, false, 76}, {5, false, 128}, {9, false, 230},
        {0, true, 230}, {9, true, 0},
    };
    for (auto c : cases) {
        COLORREF got = GradientLineColor(RGB(0, 0, 0), RGB(255, 255, 255), c.p, 9, c.invert);
        EXPECT_EQ(GetRValue(got), c.want) << "p=" << c.p << " invert=" << c.invert;
        EXPECT_EQ(GetGValue(got), c.want);
        EXPECT_EQ(GetBValue(got), c.want);
    }
    // Channels run independently, downwards too: 200 -> 100 over 3 steps of 25.
    EXPECT_EQ(GradientLineColor(RGB(200, 0, 7), RGB(100, 0, 7), 2, 3, false), RGB(150, 0, 7));
    // The last line stops short of the end colour.
    EXPECT_NE(GradientLineColor(RGB(0, 0, 0), RGB(255, 255, 255), 30, 30, false), RGB(255, 255, 255));
}

TEST_F(ButtonFixture, PlainButtonHasFillInsideAOnePixelFrame) {
    Canvas c(60, 30);
    button.Paint(c.dc(), c.Rect());
    EXPECT_EQ(c.At(30, 15), kFill);
    EXPECT_EQ(c.At(1, 1), kFill);
    for (POINT p : {POINT{0, 15}, POINT{59, 15}, POINT{30, 0}, POINT{30, 29}, POINT{0, 0}, POINT{59, 29}})
        EXPECT_EQ(c.At(p.x, p.y), kEdge) << p.x << "," << p.y;
}

TEST_F(ButtonFixture, RoundedButtonLeavesItsCornersAlone) {
    button.SetRounded(true);
    Canvas c(60, 30);
    button.Paint(c.dc(), c.Rect());
    EXPECT_EQ(c.At(0, 0), kUnpainted);
    EXPECT_EQ(c.At(59, 29), kUnpainted);
    EXPECT_EQ(c.At(30, 0), kEdge);
    EXPECT_EQ(c.At(0, 15), kEdge);
    EXPECT_EQ(c.At(30, 15), kFill);
}

TEST_F(ButtonFixture, GradientFillsEveryRowWithoutFrame) {
    button.SetGradient(true);
    Canvas c(40, 30);
    button.Paint(c.dc(), c.Rect());
    for (int y = 0; y < 30; ++y) {
        COLORREF want = GradientLineColor(kFill, kGradEnd, y, 30, false);
        EXPECT_EQ(c.At(20, y), want) << "row " << y;
        EXPECT_EQ(c.At(0, y), want) << "row " << y << " has a frame";
    }
    EXPECT_NE(c.At(20, 0), c.At(20, 29));

    button.SetInvertGrad(true);
    Canvas inverted(40, 30);
    button.Paint(inverted.dc(), inverted.Rect());
    for (int y = 0; y < 30; ++y) EXPECT_EQ(inverted.At(20, y), GradientLineColor(kFill, kGradEnd, 30 - y, 30, false));
}

TEST_F(ButtonFixture, UpwardGradientRunsByColumns) {
    button.SetAngle(TRotAngle::ra90);
    button.SetGradient(true);
    Canvas c(30, 50);
    button.Paint(c.dc(), c.Rect());
    for (int x = 0; x < 30; ++x) {
        COLORREF want = GradientLineColor(kFill, kGradEnd, x, 30, false);
        EXPECT_EQ(c.At(x, 5), want) << "column " << x;
        EXPECT_EQ(c.At(x, 45), want) << "column " << x;
    }
}

TEST_F(ButtonFixture, RoundingWinsOverAGradientAndAGradientSetLaterClearsIt) {
    button.SetGradient(true);
    button.SetRounded(true);   // both on, as a form may store them
    Canvas c(60, 30);
    button.Paint(c.dc(), c.Rect());
    EXPECT_EQ(c.At(30, 15), kFill);
    EXPECT_EQ(c.At(30, 28), kFill);   // no gradient towards the bottom
    EXPECT_EQ(c.At(0, 0), kUnpainted);

    button.SetGradient(true);
    EXPECT_FALSE(button.Rounded());
}

TEST_F(ButtonFixture, CaptionsSitInTheirBoxAndAutoSizeFitsThem) {
    const std::string caption = "Apply settings";
    button.SetCaption(caption);
    SIZE ext = MeasureCaption(CaptionFont(), caption);
    int m = button.Margin();
    ASSERT_GT(ext.cx, ext.cy);

    button.SetAutoSize(true);
    EXPECT_EQ(button.Extent().cx, 2 * m + ext.cx);
    EXPECT_EQ(button.Extent().cy, 2 * m + ext.cy);
    // Measured with the normal font, whatever the focus font is.
    button.SetFontFocus(CaptionFont(-40));
    button.SetCaption(caption);
    EXPECT_EQ(button.Extent().cx, 2 * m + ext.cx);

    button.SetColorEdge(kFill);   // so that only the caption is ink
    Canvas flat(button.Extent().cx, button.Extent().cy);
    button.Paint(flat.dc(), flat.Rect());
    RECT ink = flat.InkBox(kFill);
    ASSERT_LT(ink.left, ink.right) << "no caption painted";
    EXPECT_GE(ink.left, m - 1);
    EXPECT_GE(ink.top, m - 1);
    EXPECT_LE(ink.right, m + ext.cx + 1);
    EXPECT_LE(ink.bottom, m + ext.cy + 1);
    EXPECT_GT(ink.right - ink.left, ink.bottom - ink.top);

    button.SetAngle(TRotAngle::ra90);
    EXPECT_EQ(button.Extent().cx, 2 * m + ext.cy);
    EXPECT_EQ(button.Extent().cy, 2 * m + ext.cx);
    Canvas up(button.Extent().cx, button.Extent().cy);
    button.Paint(up.dc(), up.Rect());
    ink = up.InkBox(kFill);
    ASSERT_LT(ink.left, ink.right) << "no upward caption painted";
    EXPECT_GE(ink.left, m - 1);
    EXPECT_GE(ink.top, m - 1);
    EXPECT_LE(ink.right, m + ext.cy + 1);
    EXPECT_LE(ink.bottom, m + ext.cx + 1);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left) << "the caption does not run upwards";
}

TEST_F(ButtonFixture, HoverShowsFocusColoursAndAClickEndsIt) {
    CreateWindowOf(80, 28);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    HWND h = button.Handle();
    ASSERT_NE(h, nullptr);

    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(button.Hovered());
    Canvas hot(80, 28);
    button.Paint(hot.dc(), hot.Rect());
    EXPECT_EQ(hot.At(40, 14), kFocusFill);
    EXPECT_EQ(hot.At(0, 14), kFocusEdge);

    ::SendMessageA(h, WM_MOUSELEAVE, 0, 0);
    Canvas cold(80, 28);
    button.Paint(cold.dc(), cold.Rect());
    EXPECT_EQ(cold.At(40, 14), kFill);

    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ::SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(button.Pressed());
    ::SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.Pressed());
    EXPECT_FALSE(button.Hovered());
    // Still inside: the normal colours stay until the mouse enters again.
    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(12, 10));
    EXPECT_FALSE(button.Hovered());

    // Released outside the button: no click.
    ::SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    EXPECT_EQ(clicks, 1);
    host.DestroyHandle();
}

TEST_F(ButtonFixture, PressingMovesTheCaptionTwoPixelsRightAndDown) {
    CreateWindowOf(120, 30);
    button.SetCaption("Press");
    button.SetColorEdge(kFill);
    Canvas normal(120, 30);
    button.Paint(normal.dc(), normal.Rect());
    ::SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    Canvas pressed(120, 30);
    button.Paint(pressed.dc(), pressed.Rect());
    ::SendMessageA(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 500));

    RECT a = normal.InkBox(kFill), b = pressed.InkBox(kFill);
    ASSERT_LT(a.left, a.right);
    EXPECT_EQ(b.left - a.left, 2);
    EXPECT_EQ(b.top - a.top, 2);
    EXPECT_EQ(b.right - b.left, a.right - a.left);
    host.DestroyHandle();
}

TEST_F(ButtonFixture, CaptionSetOnTheWindowRunsTheLayout) {
    CreateWindowOf(10, 10);
    button.SetAutoSize(true);
    ::SetWindowTextA(button.Handle(), "A longer caption");
    SIZE ext = MeasureCaption(CaptionFont(), "A longer caption");
    RECT r;
    ::GetWindowRect(button.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 2 * button.Margin() + ext.cx);
    EXPECT_EQ(r.bottom - r.top, 2 * button.Margin() + ext.cy);
    host.DestroyHandle();
}

// A button larger than its caption has it in its middle, whichever way the
// caption runs; the press still moves it.
TEST_F(ButtonFixture, ACaptionSitsCentredOnALargerButton) {
    CreateWindowOf(200, 40);
    button.SetCaption("Help");
    button.SetColorEdge(kFill);
    for (TRotAngle angle : {TRotAngle::ra0, TRotAngle::ra90}) {
        button.SetAngle(angle);
        Canvas c(200, 40);
        button.Paint(c.dc(), c.Rect());
        const RECT ink = c.InkBox(kFill);
        ASSERT_LT(ink.left, ink.right) << "no caption painted";
        const int what = angle == TRotAngle::ra0 ? 0 : 90;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 3.0) << what;
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 20.0, 3.0) << what;
    }
    // Resized, it is centred again.
    button.SetAngle(TRotAngle::ra0);
    ::SetWindowPos(button.Handle(), nullptr, 0, 0, 120, 30, SWP_NOMOVE | SWP_NOZORDER);
    Canvas small(120, 30);
    button.Paint(small.dc(), small.Rect());
    const RECT ink = small.InkBox(kFill);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 60.0, 3.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 15.0, 3.0);
    host.DestroyHandle();
}
