#include "toolkit/xp_menu.h"
#include <algorithm>
#include <cmath>
#include <string>
#include "framework/guard.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

constexpr int kSeparatorHeight = 4;
constexpr int kTextPad = 5;
constexpr int kCheckSize = 10;
constexpr int kFadeDisabled = 40;
constexpr int kHighColourBits = 15;   // above this a device shows blends and fades

int Channel(int v) { return std::clamp(v, 0, 255); }

bool HighColour(HDC dc) { return ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES) > kHighColourBits; }

void Fill(HDC dc, const RECT& r, COLORREF c) {
    framework::Brush b(::CreateSolidBrush(c));
    ::FillRect(dc, &r, b.get());
}

void Frame(HDC dc, const RECT& r, COLORREF c) {
    framework::Brush b(::CreateSolidBrush(c));
    ::FrameRect(dc, &r, b.get());
}

SIZE PictureSize(const framework::MenuItem& item) {
    BITMAP bm{};
    if (!item.Picture || !::GetObjectA(item.Picture.get(), sizeof bm, &bm) || bm.bmWidth <= 0) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

// The caption as the menu shows it: "&&" is an ampersand, a lone "&" marks the key.
std::string ShownCaption(std::string_view caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

// Every pixel of a copy of the bitmap recoloured; the clear colour (its
// bottom-left pixel's) stays.
template <typename Recolour>
framework::Bitmap RecolouredCopy(HBITMAP source, SIZE size, Recolour recolour) {
    framework::Bitmap copy(static_cast<HBITMAP>(::CopyImage(source, IMAGE_BITMAP, 0, 0, 0)));
    if (!copy) return copy;
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    framework::SelectScope use(dc.get(), copy.get());
    const COLORREF clear = ::GetPixel(dc.get(), 0, size.cy - 1);
    COLORREF last = CLR_INVALID, lastOut = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) {
            const COLORREF p = ::GetPixel(dc.get(), x, y);
            if (p == clear) continue;
            if (p != last) lastOut = recolour(p), last = p;
            ::SetPixelV(dc.get(), x, y, lastOut);
        }
    return copy;
}

}  // namespace

COLORREF BlendTowardWhite(COLORREF c, int percent) {
    percent = std::clamp(percent, 0, 100);
    auto blend = [percent](int v) {
        return Channel(v + static_cast<int>(std::lround((255 - v) * percent / 100.0)));
    };
    return RGB(blend(GetRValue(c)), blend(GetGValue(c)), blend(GetBValue(c)));
}

COLORREF ShadeDown(COLORREF c, int amount) {
    return RGB(Channel(GetRValue(c) - amount), Channel(GetGValue(c) - amount + 2), Channel(GetBValue(c) - amount));
}

COLORREF GreyLevelColor(COLORREF c, int add) {
    const int g = std::min(240, (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 + add);
    return RGB(Channel(g), Channel(g), Channel(g));
}

TXPColors EffectiveColors(const TXPColorSettings& s, int bitsPerPixel) {
    const bool high = bitsPerPixel > kHighColourBits;
    const COLORREF white = RGB(255, 255, 255);
    TXPColors c{};
    if (s.useSystemColors) {
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE), highlight = ::GetSysColor(COLOR_HIGHLIGHT),
                       shadow = ::GetSysColor(COLOR_BTNSHADOW);
        c.itemArea = high ? BlendTowardWhite(face, 86) : white;
        c.iconStrip = high ? BlendTowardWhite(face, 16) : face;
        c.selectFill = high ? BlendTowardWhite(highlight, 68) : white;
        c.selectFrame = highlight;
        c.selectFont = ::GetSysColor(COLOR_MENUTEXT);
        c.disabled = high ? BlendTowardWhite(shadow, 10) : shadow;
        c.checkFrame = highlight;
        c.separator = high ? BlendTowardWhite(shadow, 25) : shadow;
        c.checkFill = high ? BlendTowardWhite(highlight, 80) : white;
        c.checkFillSelected = high ? BlendTowardWhite(highlight, 50) : white;
    } else {
        c.itemArea = s.color;
        c.iconStrip = s.iconBackColor;
        c.selectFill = high ? BlendTowardWhite(s.selectColor, 68) : s.selectColor;
        c.selectFrame = s.selectBorderColor;
        c.selectFont = s.selectFontColor;
        c.disabled = s.disabledColor;
        c.checkFrame = s.checkedColor;
        c.separator = s.separatorColor;
        c.checkFill = high ? BlendTowardWhite(s.selectColor, 80) : white;
        c.checkFillSelected = high ? BlendTowardWhite(s.selectColor, 50) : RGB(0xC0, 0xC0, 0xC0);
    }
    return c;
}

SIZE MeasureItemSize(bool separator, SIZE text, SIZE glyph, int iconWidth) {
    if (separator) return {std::max(0, iconWidth), kSeparatorHeight};
    const int width = text.cx + kTextPad + std::max<int>(glyph.cx, iconWidth);
    const int height = std::max<int>(text.cy + static_cast<int>(std::lround(0.75 * text.cy)), glyph.cy + 6);
    return {width, height};
}

// The painter ---------------------------------------------------------------------------

TXPMenu::TXPMenu(framework::Form& owner) : owner_(owner) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_.reset(::CreateFontIndirectA(&metrics.lfMenuFont));
    if (!font_) font_.reset(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    Colors.color = Colors.iconBackColor = Colors.separatorColor = ::GetSysColor(COLOR_BTNFACE);
    Colors.selectColor = Colors.selectBorderColor = Colors.checkedColor = ::GetSysColor(COLOR_HIGHLIGHT);
    Colors.selectFontColor = Colors.fontColor = ::GetSysColor(COLOR_MENUTEXT);
    Colors.disabledColor = ::GetSysColor(COLOR_INACTIVECAPTION);
}

TXPMenu::~TXPMenu() {
    // The items' handlers point here: they go before the painter does.
    for (framework::PopupMenu* m : menus_) {
        HookTree(m->Items, false);
        m->OnBuild = nullptr;
        m->RemoveFreeNotification(this);
    }
}

void TXPMenu::AddMenu(framework::PopupMenu& menu) {
    menus_.push_back(&menu);
    menu.AddFreeNotification(this, [this, m = &menu] { std::erase(menus_, m); });
    menu.OnBuild = [this, m = &menu] {
        if (active_) HookTree(m->Items, true);
    };
    if (active_) HookTree(menu.Items, true);
}

void TXPMenu::SetActive(bool on) {
    if (on == active_) return;
    active_ = on;
    for (framework::PopupMenu* m : menus_) HookTree(m->Items, on);
    if (owner_.Handle()) ::DrawMenuBar(owner_.Handle());
}

void TXPMenu::HookTree(framework::MenuItem& parent, bool install) {
    if (parent.Tag == kUntouchedTag) return;
    for (int i = 0; i < parent.Count(); ++i) {
        framework::MenuItem& item = parent[i];
        if (install) Hook(item);
        else Unhook(item);
        HookTree(item, install);
    }
}

void TXPMenu::Hook(framework::MenuItem& item) {
    if (item.Tag == kUntouchedTag || item.DrawOwner == this) return;
    if (item.OwnerDrawn() && !OverrideOwnerDraw) return;
    item.OnMeasureItem = [this](framework::MenuItem& i, HDC dc, UINT& w, UINT& h) { MeasureMenuItem(i, dc, w, h); };
    item.OnAdvancedDrawItem = [this](framework::MenuItem& i, HDC dc, const RECT& r, UINT state) {
        PaintMenuItem(i, dc, r, state);
    };
    item.DrawOwner = this;
}

void TXPMenu::Unhook(framework::MenuItem& item) {
    if (item.DrawOwner != this) return;
    item.OnMeasureItem = nullptr;
    item.OnAdvancedDrawItem = nullptr;
    item.DrawOwner = nullptr;
}

void TXPMenu::MeasureMenuItem(framework::MenuItem& item, HDC dc, UINT& width, UINT& height) const {
    if (!active_) return;
    SIZE text{0, 0};
    if (!item.IsSeparator()) {
        framework::SelectScope use(dc, MenuFont());
        const std::string shown = ShownCaption(item.Caption);
        ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &text);
        if (text.cy == 0) {
            TEXTMETRICA tm{};
            ::GetTextMetricsA(dc, &tm);
            text.cy = tm.tmHeight;
        }
    }
    const SIZE s = MeasureItemSize(item.IsSeparator(), text, PictureSize(item), IconWidth);
    width = std::max<UINT>(width, static_cast<UINT>(s.cx));
    height = item.IsSeparator() ? static_cast<UINT>(s.cy) : std::max<UINT>(height, static_cast<UINT>(s.cy));
}

void TXPMenu::PaintMenuItem(framework::MenuItem& item, HDC dc, const RECT& rect, UINT state) const {
    if (!active_) return;
    const bool high = HighColour(dc);
    const TXPColors c = EffectiveColors(Colors, high ? 32 : 8);
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool enabled = item.Enabled && !(state & (ODS_DISABLED | ODS_GRAYED));
    RECT r = rect;
    RECT strip{r.left, r.top, r.left + IconWidth, r.bottom};
    const SIZE glyph = PictureSize(item);
    RECT text{std::max<LONG>(strip.right, strip.left + glyph.cx + 4), r.top, r.right, r.bottom};

    if (enabled || !selected) PaintBackground(dc, r, strip, c, high);
    if (selected && DrawSelect && enabled && !item.IsSeparator()) {
        RECT sel{r.left, r.top + 1, r.right, r.bottom - 1};
        Fill(dc, sel, c.selectFill);
        Frame(dc, sel, c.selectFrame);
    }
    if (item.IsSeparator()) {
        const int y = r.top + (r.bottom - r.top) / 2;
        DrawLine(dc, text.left + 7, y, r.right - 1, y, c.separator);
        return;
    }
    if (item.Checked) {
        RECT box = glyph.cx > 0 ? RECT{strip.left + 1, strip.top + 2, strip.right - 3, strip.bottom - 2}
                                : RECT{strip.left + (IconWidth - kCheckSize) / 2,
                                       strip.top + (r.bottom - r.top - kCheckSize) / 2, 0, 0};
        if (glyph.cx == 0) box.right = box.left + kCheckSize, box.bottom = box.top + kCheckSize;
        PaintCheck(dc, item, box, selected, glyph.cx > 0, c);
    }
    if (glyph.cx > 0) PaintGlyph(dc, item, strip, selected, high, c);
    const COLORREF ink = !enabled ? c.disabled : selected ? c.selectFont : Colors.fontColor;
    PaintText(dc, item, text, ink);
}

void TXPMenu::PaintBackground(HDC dc, const RECT& item, const RECT& strip, const TXPColors& c,
                              bool highColour) const {
    if (Gradient && highColour) {
        // Column by column from the strip's side, lighter further in.
        int step = 0;
        for (int x = item.left; x < item.right; ++x) {
            RECT column{x, item.top, x + 1, item.bottom};
            Fill(dc, column, BlendTowardWhite(c.iconStrip, step));
            const int from = x - item.left;
            step = std::min(96, step + (from > 0 && from < IconWidth + 5 ? 3 : 1));
        }
        return;
    }
    Fill(dc, item, c.itemArea);
    Fill(dc, strip, c.iconStrip);
}

void TXPMenu::PaintCheck(HDC dc, const framework::MenuItem& item, RECT box, bool selected, bool hasGlyph,
                         const TXPColors& c) const {
    const COLORREF fill = selected ? c.checkFillSelected : c.checkFill;
    Fill(dc, box, fill);
    if (hasGlyph) {
        Frame(dc, box, item.Enabled ? c.selectFrame : c.disabled);
        return;
    }
    Frame(dc, box, item.Enabled ? c.checkFrame : c.disabled);
    // The tick: five short strokes down to the bottom and up to the right.
    const COLORREF ink = item.Enabled ? RGB(0, 0, 0) : c.disabled;
    const int x = box.left + 2, y = box.top + 4;
    for (int i = 0; i < 3; ++i) DrawLine(dc, x + i, y + i, x + i, y + i + 1, ink);
    for (int i = 1; i < 4; ++i) DrawLine(dc, x + 2 + i, y + 2 - i, x + 2 + i, y + 3 - i, ink);
}

void TXPMenu::PaintGlyph(HDC dc, const framework::MenuItem& item, const RECT& strip, bool selected,
                         bool highColour, const TXPColors& c) const {
    const SIZE size = PictureSize(item);
    int x = size.cx < IconWidth ? strip.left + (IconWidth - size.cx) / 2 - 1 : strip.left + 2;
    int y = strip.top + 3;
    if (!item.Enabled) {
        framework::Bitmap grey = RecolouredCopy(item.Picture.get(), size, [this](COLORREF p) {
            return BlendTowardWhite(GreyLevelColor(p, GrayLevel), kFadeDisabled);
        });
        if (grey) DrawBitmapMasked(dc, x, y, grey.get(), clDefault);
        return;
    }
    if (!item.Checked && !selected && highColour) {
        framework::Bitmap faded =
            RecolouredCopy(item.Picture.get(), size, [this](COLORREF p) { return BlendTowardWhite(p, DimLevel); });
        if (faded) DrawBitmapMasked(dc, x, y, faded.get(), clDefault);
        return;
    }
    if (!item.Checked && selected) {
        // Lifted: a shadow where it lay, the picture a pixel up and left.
        const COLORREF shadow = ShadeDown(c.selectFill, 50);
        framework::Bitmap shape =
            RecolouredCopy(item.Picture.get(), size, [shadow](COLORREF) { return shadow; });
        if (shape) DrawBitmapMasked(dc, x + 1, y + 1, shape.get(), clDefault);
        --x, --y;
    }
    DrawBitmapMasked(dc, x, y, item.Picture.get(), clDefault);
}

void TXPMenu::PaintText(HDC dc, const framework::MenuItem& item, const RECT& text, COLORREF ink) const {
    framework::SelectScope use(dc, MenuFont());
    const std::string caption = " " + item.Caption;
    RECT r{text.left + 3, text.top, text.right, text.bottom};
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (item.Default && item.Enabled) {
        // A soft shadow under the default item's caption.
        constexpr struct {
            int dx, dy, shade;
        } kShadow[] = {{1, 0, 30}, {1, 2, 30}, {0, 1, 40}, {1, 1, 60}};
        for (const auto& s : kShadow) {
            RECT sr = r;
            ::OffsetRect(&sr, s.dx, s.dy);
            ::SetTextColor(dc, ShadeDown(::GetPixel(dc, sr.left, (sr.top + sr.bottom) / 2), s.shade));
            ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &sr, format);
        }
    }
    ::SetTextColor(dc, ink);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, format);
    ::SetBkMode(dc, oldMode);
}

}  // namespace toolkit
