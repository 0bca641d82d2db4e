// The preview's drawing: one picture per desktop, redrawn at every tick, in
// which every managed window is a scaled rectangle with its icon and title.
// Four redraws a second: every object made here has an owner and goes at
// the end of its scope.
#include <windows.h>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "framework/owned.h"
#include "framework/text.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

// TColor values ($BBGGRR), as COLORREF has them.
constexpr COLORREF kThumbBackground = 0xD0C0C0;
constexpr COLORREF kBorderCurrent = 0x00E0E0;
constexpr COLORREF kBorderOther = 0x606060;
constexpr COLORREF kStickyFill = 0xC0E0C0;
constexpr COLORREF kListedFill = 0xC0C0E0;
constexpr COLORREF kMarkedOutline = 0xF06060;
constexpr COLORREF kWindowFill = 0xE0E0E0;
constexpr COLORREF kTitleFill = 0xF0B0B0;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
// The left bar and the strips, and the marks drawn on the bar.
constexpr COLORREF kBarColor = RGB(72, 84, 104);
constexpr COLORREF kBarMark = RGB(150, 162, 184);
constexpr COLORREF kButtonFace = RGB(96, 110, 134);
constexpr COLORREF kButtonGlyph = RGB(240, 240, 240);

constexpr int kTitleChars = 250;
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

SIZE ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

HFONT CanvasFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

// A rectangle filled and outlined in one pixel, without making objects.
void FilledRect(HDC dc, const RECT& r, COLORREF fill, COLORREF outline) {
    framework::SelectScope brush(dc, ::GetStockObject(DC_BRUSH));
    framework::SelectScope pen(dc, ::GetStockObject(DC_PEN));
    ::SetDCBrushColor(dc, fill);
    ::SetDCPenColor(dc, outline);
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

std::string WindowTitle(HWND w) {
    // The title of another program's window is read without a message to it.
    char buf[kTitleChars + 1] = {};
    ::GetWindowTextA(w, buf, kTitleChars);
    return buf;
}

// The bar's two marks: a grid of four desktops and a grip of dots.
void DrawBarMarks(HDC dc, const RECT& bar) {
    const int x = bar.left + 4;
    const int gridTop = bar.bottom - 22;
    if (gridTop < 80) return;   // no room below the close and help buttons
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            RECT cell{x + c * 9, gridTop + r * 9, x + c * 9 + 7, gridTop + r * 9 + 7};
            FillSolid(dc, cell, kBarMark);
        }
    for (int i = 0; i < 5; ++i) {
        RECT dot{x + 7, gridTop - 14 - i * 5, x + 9, gridTop - 12 - i * 5};
        FillSolid(dc, dot, kBarMark);
    }
}

}  // namespace

void TfrmPTessarel::DrawPadlock(HDC dc, int size) {
    const RECT all{0, 0, size, size};
    FillSolid(dc, all, kThumbBackground);
    auto at = [size](int v) { return v * size / 100; };
    {
        // The shackle: an arch over the body, in a thick grey pen.
        framework::Pen shackle(::CreatePen(PS_SOLID, IntMax(at(9), 1), RGB(112, 112, 124)));
        framework::SelectScope pen(dc, shackle.get());
        framework::SelectScope brush(dc, ::GetStockObject(NULL_BRUSH));
        ::Arc(dc, at(29), at(12), at(71), at(58), at(71), at(35), at(29), at(35));
        ::MoveToEx(dc, at(29), at(35), nullptr);
        ::LineTo(dc, at(29), at(52));
        ::MoveToEx(dc, at(71), at(35), nullptr);
        ::LineTo(dc, at(71), at(52));
    }
    {
        framework::Pen edge(::CreatePen(PS_SOLID, 2, RGB(120, 88, 20)));
        framework::Brush body(::CreateSolidBrush(RGB(214, 168, 48)));
        framework::SelectScope pen(dc, edge.get());
        framework::SelectScope brush(dc, body.get());
        ::RoundRect(dc, at(17), at(46), at(83), at(92), at(12), at(12));
    }
    {
        // The keyhole.
        framework::SelectScope pen(dc, ::GetStockObject(NULL_PEN));
        framework::SelectScope brush(dc, ::GetStockObject(BLACK_BRUSH));
        ::Ellipse(dc, at(43), at(56), at(57), at(70));
        ::Rectangle(dc, at(47), at(64), at(54), at(82));
    }
}

void TfrmPTessarel::RefreshPreview() {
    for (auto& image : images_)
        if (image->Visible()) DrawDesktopThumb(image->Tag, *image);
    if (Handle()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TfrmPTessarel::DrawDesktopThumb(int desktop, framework::Image& image) {
    paintDesktop_ = desktop;
    paintImage_ = &image;
    const SIZE thumb = ThumbSize();
    if (thumb.cx < 8 || thumb.cy < 8) return;   // not laid out yet
    image.SetPictureSize(thumb.cx, thumb.cy);
    HDC dc = image.Canvas();
    const RECT all{0, 0, thumb.cx, thumb.cy};
    FillSolid(dc, all, Color());
    {
        framework::Pen border(::CreatePen(PS_SOLID, 2, desktop == FCurrentDesktop ? kBorderCurrent : kBorderOther));
        framework::Brush background(::CreateSolidBrush(kThumbBackground));
        framework::SelectScope pen(dc, border.get());
        framework::SelectScope brush(dc, background.get());
        ::Rectangle(dc, 2, 2, thumb.cx, thumb.cy);
    }

    if (IsLockedDesktop(desktop)) {
        ::BitBlt(dc, thumb.cx / 2 - 50, thumb.cy / 2 - 50, 100, 100, imLocked.Canvas(), 0, 0, SRCCOPY);
    } else {
        // Bottom to top, so that upper windows cover lower ones.
        std::vector<HWND> zOrder;
        ForEachTopWindow([&zOrder](HWND w) { zOrder.push_back(w); });
        for (auto it = zOrder.rbegin(); it != zOrder.rend(); ++it) DrawWindowThumb(*it);
    }

    if (settings::Flag("desknum")) {
        for (auto& label : labels_) {
            if (label->Visible() || label->Tag > DesktopCount() || label->Tag != desktop) continue;
            const std::string name = settings::DesktopName(desktop);
            framework::SelectScope font(dc, CanvasFont());
            SIZE text{};
            ::GetTextExtentPoint32A(dc, name.c_str(), static_cast<int>(name.size()), &text);
            ::SetBkMode(dc, OPAQUE);
            ::SetBkColor(dc, kWhite);
            ::SetTextColor(dc, kBlack);
            ::TextOutA(dc, thumb.cx - text.cx - 8, 5, name.c_str(), static_cast<int>(name.size()));
        }
    }
}

void TfrmPTessarel::DrawWindowThumb(HWND w) {
    const int idx = FindWindowRecord(w);
    if (idx < 0) return;
    const int recordDesktop = FWindowTable[static_cast<size_t>(idx)].Desktop;
    const bool recordVisible = FWindowTable[static_cast<size_t>(idx)].Visible != 0;
    const bool sticky = IsSticky(w);
    const bool belongs = sticky ? paintDesktop_ == FCurrentDesktop : recordDesktop == paintDesktop_;
    if (!belongs || !recordVisible || IsUnmanagedWindow(w, idx)) return;
    RECT window{};
    if (!::GetWindowRect(w, &window)) return;

    HDC dc = paintImage_->Canvas();
    const SIZE thumb = ThumbSize();
    const RECT d = preview::ThumbWindowRect(window, ScreenSize(), thumb);
    const std::string title = framework::Trim(WindowTitle(w));

    if (sticky)
        FilledRect(dc, d, kStickyFill, kMarkedOutline);
    else if (IsListedWindow(w))
        FilledRect(dc, d, kListedFill, kMarkedOutline);
    else
        FilledRect(dc, d, kWindowFill, kBlack);

    const RECT strip = preview::TitleStrip(d);
    if (!title.empty()) FilledRect(dc, strip, kTitleFill, kBlack);

    const bool large = settings::Flag("largeicons");
    if (framework::Icon icon = ExecutableIcon(GetWindowExeName(w))) {
        if (large) {
            framework::Brush frame(::CreateSolidBrush(kBlack));
            const RECT box{d.left, d.top, d.left + 34, d.top + 34};
            ::FrameRect(dc, &box, frame.get());
            ::DrawIconEx(dc, d.left + 1, d.top + 1, icon.get(), kLargeIcon, kLargeIcon, 0, nullptr, DI_NORMAL);
        } else {
            ::DrawIconEx(dc, d.left + 1, d.top + 1, icon.get(), kSmallIcon, kSmallIcon, 0, nullptr, DI_NORMAL);
        }
    }

    if (!title.empty()) {
        const int indent = large ? 33 : 17;
        const RECT clip{d.left + indent, d.top + 1, d.right - 2, strip.bottom - 2};
        framework::SelectScope font(dc, CanvasFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kBlack);
        ::ExtTextOutA(dc, d.left + indent + 1, d.top + 2, ETO_CLIPPED, &clip, title.c_str(),
                      static_cast<UINT>(title.size()), nullptr);
    }
}

void TfrmPTessarel::PaintPreviewBar(HDC dc, const RECT& client) {
    const RECT bar{0, 0, preview::kBarWidth, client.bottom};
    FillSolid(dc, bar, kBarColor);
    FillSolid(dc, {bar.right, 0, client.right, preview::kStripWidth}, kBarColor);
    FillSolid(dc, {bar.right, client.bottom - preview::kStripWidth, client.right, client.bottom}, kBarColor);
    FillSolid(dc, {client.right - preview::kStripWidth, 0, client.right, client.bottom}, kBarColor);

    // The close button: flat, a cross on a lighter square.
    FillSolid(dc, speedButton1_, kButtonFace);
    framework::Pen glyph(::CreatePen(PS_SOLID, 2, kButtonGlyph));
    framework::SelectScope pen(dc, glyph.get());
    const RECT& b = speedButton1_;
    ::MoveToEx(dc, b.left + 6, b.top + 6, nullptr);
    ::LineTo(dc, b.right - 6, b.bottom - 6);
    ::MoveToEx(dc, b.right - 7, b.top + 6, nullptr);
    ::LineTo(dc, b.left + 5, b.bottom - 6);

    // The help button: a bold question mark on the same square.
    FillSolid(dc, btnHelp_, kButtonFace);
    framework::Font bold(::CreateFontA(-15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    framework::SelectScope font(dc, bold ? static_cast<HGDIOBJ>(bold.get()) : CanvasFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kButtonGlyph);
    RECT help = btnHelp_;
    ::DrawTextA(dc, "?", 1, &help, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    DrawBarMarks(dc, bar);
}

void TfrmPTessarel::Paint(HDC dc, const RECT& client) {
    PaintPreviewBar(dc, client);
    for (const auto& image : images_)
        if (image->Visible()) image->PaintTo(dc);
    for (const auto& label : labels_)
        if (label->Visible()) label->PaintTo(dc);
}

}  // namespace engine
