// The speed button: the glyph strip rule, the shared glyph lists, its frames
// on the pixels of a bitmap, and clicks and groups through posted messages.
#include <gtest/gtest.h>
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "support/e2e.h"
#include "support/paint_canvas.h"
#include "toolkit/rx_speed_button.h"

using namespace toolkit;

namespace {

// A strip of n pictures of w x h in one colour each, its bottom-left pixel
// (the clear colour) magenta.
framework::Bitmap Strip(int n, int w, int h) {
    framework::WindowDc screen(nullptr);
    framework::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), n * w, h));
    framework::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    framework::SelectScope use(dc.get(), bmp.get());
    for (int i = 0; i < n; ++i) {
        framework::Brush b(::CreateSolidBrush(RGB(40 * i, 90, 200)));
        RECT r{i * w, 0, i * w + w, h};
        ::FillRect(dc.get(), &r, b.get());
    }
    ::SetPixelV(dc.get(), 0, h - 1, RGB(255, 0, 255));
    return bmp;
}

struct SpeedButtonFixture : ::testing::Test {
    framework::Form host{"frmSpeedTest"};
    TRxSpeedButton a{host, "sbA"}, b{host, "sbB"};
    int clicksA = 0, clicksB = 0;

    void SetUp() override {
        host.CreateHandle();
        framework::ControlSpec specA{framework::Kind::Custom, "sbA", nullptr, 0, 0, 40, 30, "", 0};
        framework::ControlSpec specB{framework::Kind::Custom, "sbB", nullptr, 50, 0, 40, 30, "", 0};
        a.CreateWindowFor(host.Handle(), specA, 100);
        b.CreateWindowFor(host.Handle(), specB, 101);
        a.OnClick = [this] { ++clicksA; };
        b.OnClick = [this] { ++clicksB; };
    }
    static void Press(TRxSpeedButton& s, int x, int y) {
        ::PostMessageA(s.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::PostMessageA(s.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        e2e::Pump(0);
    }
};

}  // namespace

TEST(SpeedButtonGlyph, StripSizesSayHowManyPictures) {
    struct Case {
        int w, h, want;
    } cases[] = {
        {16, 16, 1}, {32, 16, 2}, {80, 16, 5}, {96, 16, 1},   // six or more: one picture
        {30, 16, 0}, {16, 0, 0}, {0, 16, 0}, {-16, 16, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(GlyphCountFor(c.w, c.h), c.want) << c.w << "x" << c.h;
}

TEST(SpeedButtonGlyph, ButtonsShareOneListPerSizeAndFreeIt) {
    const int before = TGlyphCache::ListCount();
    framework::Bitmap strip = Strip(2, 12, 12);
    {
        TRxButtonGlyph one, two, other;
        one.SetGlyph(strip.get());
        two.SetGlyph(strip.get());
        EXPECT_EQ(one.NumGlyphs(), 2);
        EXPECT_EQ(one.ImageSize().cx, 12);
        EXPECT_GE(one.ImageIndex(TButtonState::Up), 0);
        EXPECT_GE(two.ImageIndex(TButtonState::Disabled), 0);
        EXPECT_EQ(one.Images(), two.Images()) << "one image list for one size";
        EXPECT_EQ(TGlyphCache::ListCount(), before + 1);
        framework::Bitmap big = Strip(1, 20, 20);
        other.SetGlyph(big.get());
        EXPECT_GE(other.ImageIndex(TButtonState::Up), 0);
        EXPECT_NE(other.Images(), one.Images());
        EXPECT_EQ(TGlyphCache::ListCount(), before + 2);
        // A cached picture is built once.
        EXPECT_EQ(one.ImageIndex(TButtonState::Up), one.ImageIndex(TButtonState::Up));
        one.SetGlyph(nullptr);
        EXPECT_EQ(one.ImageIndex(TButtonState::Up), -1);
    }
    EXPECT_EQ(TGlyphCache::ListCount(), before) << "lists nothing uses are freed";
}

TEST(SpeedButtonGlyph, PictureWithoutHeightIsRefused) {
    // A DIB section of height 0 cannot be made; a bitmap handle that is
    // no bitmap stands for it: the strip is refused, never divided by.
    TRxButtonGlyph g;
    framework::Brush notABitmap(::CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_THROW(g.SetGlyph(reinterpret_cast<HBITMAP>(notABitmap.get())), framework::Exception);
    EXPECT_EQ(g.ImageSize().cy, 0);
    EXPECT_EQ(g.ImageIndex(TButtonState::Up), -1);
}

TEST_F(SpeedButtonFixture, FramesOfUpPressedAndFlatInSystemColours) {
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), frame = ::GetSysColor(COLOR_WINDOWFRAME),
                   face = ::GetSysColor(COLOR_BTNFACE);
    e2e::PaintCanvas up(40, 30);
    a.Paint(up.dc(), up.Rect());
    EXPECT_EQ(up.At(0, 0), light);
    EXPECT_EQ(up.At(39, 29), frame);
    EXPECT_EQ(up.At(20, 15), face);
    EXPECT_EQ(up.Count(e2e::kUnpainted), 0);

    ::SendMessageA(a.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    e2e::PaintCanvas down(40, 30);
    a.Paint(down.dc(), down.Rect());
    EXPECT_EQ(down.At(0, 0), frame) << "pressed: dark top-left";
    EXPECT_EQ(down.At(39, 29), light);
    ::SendMessageA(a.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    // Flat without the mouse: no frame at all.
    a.SetFlat(true);
    e2e::PaintCanvas flat(40, 30);
    a.Paint(flat.dc(), flat.Rect());
    EXPECT_EQ(a.DrawnState(), TButtonState::Inactive);
    EXPECT_EQ(flat.At(0, 0), face);
    EXPECT_EQ(flat.At(39, 29), face);
}

TEST_F(SpeedButtonFixture, ClicksInsideOnlyAndGroupsHoldOneDown) {
    Press(a, 5, 5);
    EXPECT_EQ(clicksA, 1);
    // Released outside: no click.
    ::PostMessageA(a.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageA(a.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 5));
    ::PostMessageA(a.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
    e2e::Pump(0);
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(a.State(), TButtonState::Up);

    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    Press(a, 5, 5);
    EXPECT_TRUE(a.Down());
    EXPECT_EQ(a.State(), TButtonState::Exclusive);
    Press(b, 5, 5);
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down()) << "one button of a group down";
    Press(b, 5, 5);
    EXPECT_TRUE(b.Down()) << "without AllowAllUp the last one stays down";
    b.SetAllowAllUp(true);
    Press(b, 5, 5);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(clicksB, 3);

    ::EnableWindow(a.Handle(), FALSE);
    Press(a, 5, 5);
    EXPECT_EQ(clicksA, 2) << "a disabled button does not click";
    EXPECT_EQ(a.DrawnState(), TButtonState::Disabled);
}
