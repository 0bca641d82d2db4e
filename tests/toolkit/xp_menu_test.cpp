// The flat menu painter: its colour rules, items measured and painted on the
// pixels of a bitmap (checked, disabled, separator, picture, default), the
// hooking rules, and no GDI object lost over many openings of a real menu.
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/popup_menu.h"
#include "support/e2e.h"
#include "support/paint_canvas.h"
#include "toolkit/xp_menu.h"

using namespace toolkit;
using framework::MenuItem;

namespace {

constexpr int kW = 160, kH = 22;

framework::Bitmap Picture(int w, int h, COLORREF c) {
    framework::WindowDc screen(nullptr);
    framework::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    framework::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    framework::SelectScope use(dc.get(), bmp.get());
    framework::Brush b(::CreateSolidBrush(c));
    RECT r{0, 0, w, h};
    ::FillRect(dc.get(), &r, b.get());
    ::SetPixelV(dc.get(), 0, h - 1, RGB(255, 0, 255));   // the clear colour
    return bmp;
}

struct XPMenuFixture : ::testing::Test {
    framework::Form host{"frmXPMenuTest"};
    framework::PopupMenu menu;
    TXPMenu xpm{host};
    MenuItem* plain = nullptr;
    MenuItem* file = nullptr;
    MenuItem* checked = nullptr;
    MenuItem* disabled = nullptr;
    MenuItem* separator = nullptr;
    MenuItem* pictured = nullptr;

    void SetUp() override {
        plain = &menu.Items.Add("miPlain", "Plain item");
        file = &menu.Items.Add("miFile", "&File");
        checked = &menu.Items.Add("miChecked", "Checked item");
        checked->Checked = true;
        disabled = &menu.Items.Add("miDisabled", "Disabled item");
        disabled->Enabled = false;
        separator = &menu.Items.AddSeparator("miSep");
        pictured = &menu.Items.Add("miPicture", "With picture");
        pictured->Picture = Picture(16, 16, RGB(0, 0, 200));
        xpm.IconWidth = 20;
        xpm.AddMenu(menu);
        xpm.SetActive(true);
    }
    std::unique_ptr<e2e::PaintCanvas> Paint(MenuItem& item, UINT state = 0) {
        auto c = std::make_unique<e2e::PaintCanvas>(kW, kH);
        xpm.PaintMenuItem(item, c->dc(), {0, 0, kW, kH - 1}, state);
        return c;
    }
    TXPColors Colours(const e2e::PaintCanvas& c) const {
        return EffectiveColors(xpm.Colors, ::GetDeviceCaps(c.dc(), BITSPIXEL));
    }
    static SIZE Text(const std::string& s) {
        framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
        NONCLIENTMETRICSA m{};
        m.cbSize = sizeof m;
        ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
        framework::Font f(::CreateFontIndirectA(&m.lfMenuFont));
        framework::SelectScope use(dc.get(), f.get());
        SIZE size{};
        ::GetTextExtentPoint32A(dc.get(), s.c_str(), static_cast<int>(s.size()), &size);
        return size;
    }
};

}  // namespace

TEST(XPMenuColours, BlendsAndShades) {
    struct Case {
        COLORREF got, want;
    } cases[] = {
        {BlendTowardWhite(RGB(0, 0, 0), 50), RGB(128, 128, 128)},
        {BlendTowardWhite(RGB(100, 200, 255), 0), RGB(100, 200, 255)},
        {BlendTowardWhite(RGB(100, 200, 255), 150), RGB(255, 255, 255)},   // limited to 100
        {ShadeDown(RGB(100, 100, 100), 30), RGB(70, 72, 70)},
        {ShadeDown(RGB(10, 250, 10), 20), RGB(0, 232, 0)},
        {ShadeDown(RGB(250, 250, 250), -40), RGB(255, 255, 255)},
        {GreyLevelColor(RGB(30, 60, 90), 10), RGB(70, 70, 70)},
        {GreyLevelColor(RGB(255, 255, 255), 10), RGB(240, 240, 240)},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);

    // Low colour: no blends, plain system colours and white.
    TXPColorSettings s;
    TXPColors low = EffectiveColors(s, 8), high = EffectiveColors(s, 32);
    EXPECT_EQ(low.itemArea, RGB(255, 255, 255));
    EXPECT_EQ(low.iconStrip, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(low.separator, ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(high.itemArea, BlendTowardWhite(::GetSysColor(COLOR_BTNFACE), 86));
    EXPECT_EQ(high.selectFill, BlendTowardWhite(::GetSysColor(COLOR_HIGHLIGHT), 68));
}

TEST_F(XPMenuFixture, ItemsAreMeasuredByCaptionPictureAndStrip) {
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    UINT w = 0, h = 0;
    xpm.MeasureMenuItem(*file, dc.get(), w, h);
    const SIZE text = Text("File");
    EXPECT_EQ(static_cast<int>(w), text.cx + 5 + 20) << "the & takes no room";
    EXPECT_EQ(static_cast<int>(h), std::max<int>(text.cy + static_cast<int>(std::lround(0.75 * text.cy)), 6));

    UINT sw = 0, sh = 30;
    xpm.MeasureMenuItem(*separator, dc.get(), sw, sh);
    EXPECT_EQ(sh, 4u);

    UINT pw = 0, ph = 0;
    xpm.MeasureMenuItem(*pictured, dc.get(), pw, ph);
    EXPECT_GE(ph, 16u + 6u);
    // The width is only ever raised.
    UINT wide = 1000, tall = 0;
    xpm.MeasureMenuItem(*plain, dc.get(), wide, tall);
    EXPECT_EQ(wide, 1000u);
}

TEST_F(XPMenuFixture, ItemsPaintStripAreaSelectionCheckAndSeparator) {
    {
        auto cp = Paint(*plain);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        EXPECT_EQ(c.At(5, 5), k.iconStrip);
        EXPECT_EQ(c.At(kW - 3, 2), k.itemArea);
        EXPECT_EQ(c.At(kW - 1, kH - 1), e2e::kUnpainted) << "nothing beyond the item";
        // A caption is there, in the font colour.
        EXPECT_GT(c.Count(::GetSysColor(COLOR_MENUTEXT)), 0);
    }
    {
        auto cp = Paint(*plain, ODS_SELECTED);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        EXPECT_EQ(c.At(kW - 3, kH / 2), k.selectFill);
        EXPECT_EQ(c.At(kW - 1, kH / 2), k.selectFrame);
        EXPECT_EQ(c.At(0, 1), k.selectFrame);
    }
    {
        auto cp = Paint(*checked);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        // A 10 x 10 box in the strip, framed, filled, with a black tick.
        const int left = (20 - 10) / 2, top = (kH - 1 - 10) / 2;
        EXPECT_EQ(c.At(left, top), k.checkFrame);
        EXPECT_EQ(c.At(left + 1, top + 1), k.checkFill);
        EXPECT_GT(c.Count(RGB(0, 0, 0)), 4);
    }
    {
        auto cp = Paint(*disabled);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        EXPECT_GT(c.Count(k.disabled), 0) << "the caption in the disabled colour";
        if (k.disabled != ::GetSysColor(COLOR_MENUTEXT)) {
            EXPECT_EQ(c.Count(::GetSysColor(COLOR_MENUTEXT)), 0);
        }
    }
    {
        auto cp = Paint(*separator);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        const int y = (kH - 1) / 2;
        EXPECT_EQ(c.At(20 + 7 + 5, y), k.separator);
        EXPECT_EQ(c.At(20 + 7 + 5, y - 2), k.itemArea);
        EXPECT_EQ(c.At(2, y), k.iconStrip);
    }
    {
        // The picture, faded while not selected, lies in the strip; its clear pixel shows the strip.
        auto cp = Paint(*pictured);
        auto& c = *cp;
        const TXPColors k = Colours(c);
        const int x = (20 - 16) / 2 - 1, y = 3;
        EXPECT_EQ(c.At(x + 5, y + 5), BlendTowardWhite(RGB(0, 0, 200), xpm.DimLevel));
        EXPECT_EQ(c.At(x, y + 15), k.iconStrip);
        auto sp = Paint(*pictured, ODS_SELECTED);
        auto& s = *sp;
        EXPECT_EQ(s.At(x + 5, y + 5), RGB(0, 0, 200)) << "selected: full colour";
    }
}

TEST_F(XPMenuFixture, HooksOnlyWhatIsFreeAndUnhooksOnlyItsOwn) {
    EXPECT_TRUE(plain->OwnerDrawn());
    MenuItem& own = menu.Items.Add("miOwn", "Own drawing");
    int ownDraws = 0;
    own.OnAdvancedDrawItem = [&](MenuItem&, HDC, const RECT&, UINT) { ++ownDraws; };
    MenuItem& untouched = menu.Items.Add("miUntouched", "Untouched");
    untouched.Tag = kUntouchedTag;
    MenuItem& sub = plain->Add("miSub", "Sub item");
    xpm.SetActive(false);
    xpm.SetActive(true);
    EXPECT_EQ(own.DrawOwner, nullptr) << "its own handler kept";
    EXPECT_FALSE(untouched.OwnerDrawn());
    EXPECT_EQ(sub.DrawOwner, &xpm) << "items at every depth";

    xpm.SetActive(false);
    EXPECT_FALSE(plain->OwnerDrawn());
    EXPECT_FALSE(sub.OwnerDrawn());
    ASSERT_TRUE(own.OnAdvancedDrawItem) << "deactivation never clears a handler that is not the painter's";

    // Inactive, the handlers paint nothing.
    e2e::PaintCanvas c(kW, kH);
    xpm.PaintMenuItem(*plain, c.dc(), {0, 0, kW, kH}, 0);
    EXPECT_EQ(c.Count(e2e::kUnpainted), kW * kH);
}

TEST_F(XPMenuFixture, PainterGoneLeavesNoHandlerBehind) {
    framework::PopupMenu other;
    MenuItem& item = other.Items.Add("miA", "A");
    {
        TXPMenu painter(host);
        painter.AddMenu(other);
        painter.SetActive(true);
        EXPECT_TRUE(item.OwnerDrawn());
    }
    EXPECT_FALSE(item.OwnerDrawn()) << "an item calling into a painter that has gone";
    // A menu freed before its painter is forgotten by it.
    auto early = std::make_unique<framework::PopupMenu>();
    early->Items.Add("miB", "B");
    TXPMenu painter(host);
    painter.AddMenu(*early);
    painter.SetActive(true);
    early.reset();
    painter.SetActive(false);
}

TEST_F(XPMenuFixture, GdiObjectsStayFlatOverManyOpenings) {
    host.CreateHandle();
    // Each opening is closed as soon as its loop runs idle.
    int measured = 0;
    plain->OnMeasureItem = [&, inner = plain->OnMeasureItem](MenuItem& i, HDC dc, UINT& w, UINT& h) {
        ++measured;
        inner(i, dc, w, h);
    };
    auto openAndClose = [&] {
        UINT_PTR timer = ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        menu.Popup(10, 10);
        ::KillTimer(nullptr, timer);
    };
    for (int i = 0; i < 20; ++i) openAndClose();   // caches and fonts settle first
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 500; ++i) openAndClose();
    const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_GE(measured, 520) << "the painter measured the items";
    // Wine answers 0 for every count; Windows gives the real one.
    if (before == 0) GTEST_SKIP() << "this system reports no GDI object count";
    EXPECT_LE(after, before + 2) << before << " -> " << after;
}

TEST_F(XPMenuFixture, ItemsAddedJustBeforeAnOpeningArePaintedToo) {
    host.CreateHandle();
    MenuItem* late = nullptr;
    menu.OnPopup = [&] { late = &menu.Items.Add("miLate", "Added on opening"); };
    UINT_PTR timer = ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    menu.Popup(10, 10);
    ::KillTimer(nullptr, timer);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->DrawOwner, &xpm);
}
