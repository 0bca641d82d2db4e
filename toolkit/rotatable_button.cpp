#include "toolkit/rotatable_button.h"
#include "framework/guard.h"
#include "framework/text.h"

namespace toolkit {
namespace {

constexpr char kWindowClass[] = "TRotButton";
constexpr int kPressShift = 2;          // the caption moves right and down while pressed
constexpr int kCornerEllipse = 6;

// The forms' usual look.
constexpr COLORREF kDialogInk = 0xA86216;
constexpr COLORREF kDialogInkFocus = 0x333333;
constexpr COLORREF kDialogFocusFill = 0x0A9FED;
constexpr COLORREF kDialogGradientFocus = 0xF0E0E0;
constexpr char kDialogFace[] = "Tahoma";
constexpr int kDialogFontHeight = -17;

int ScreenPixelsPerInch() {
    framework::WindowDc screen(nullptr);
    int ppi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

BYTE Channel(double c, double e, int q, int s) {
    double step = (e - c) / (s + 1);
    long long v = framework::BankersRound(q * step + c);
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

SIZE CaptionExtent(const TFontSpec& spec, std::string_view caption) {
    framework::WindowDc screen(nullptr);
    framework::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    framework::Font font = CreateCaptionFont(spec, TRotAngle::ra0, false);
    framework::SelectScope sel(dc.get(), font.get());
    SIZE sz{0, 0};
    ::GetTextExtentPoint32A(dc.get(), caption.data(), static_cast<int>(caption.size()), &sz);
    return sz;
}

}  // namespace

int TFontSpec::Size() const { return -::MulDiv(Height, 72, ScreenPixelsPerInch()); }

framework::Font CreateCaptionFont(const TFontSpec& font, TRotAngle angle, bool forPainting) {
    LOGFONTA lf{};
    lf.lfHeight = font.Size();
    lf.lfEscapement = angle == TRotAngle::ra90 ? 900 : 0;
    lf.lfOrientation = 0;
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = forPainting && font.Italic;
    lf.lfUnderline = forPainting && font.Underline;
    lf.lfStrikeOut = forPainting && font.StrikeOut;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfQuality = PROOF_QUALITY;
    ::lstrcpynA(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    return framework::Font(::CreateFontIndirectA(&lf));
}

COLORREF GradientLineColor(COLORREF c, COLORREF e, int p, int s, bool invert) {
    int q = invert ? s - p : p;
    return RGB(Channel(GetRValue(c), GetRValue(e), q, s), Channel(GetGValue(c), GetGValue(e), q, s),
               Channel(GetBValue(c), GetBValue(e), q, s));
}

TRotButton::TRotButton(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), kWindowClass) {
    ClickOnRelease();
}

void TRotButton::CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) {
    if (hwnd_) return;
    size_ = {spec.w, spec.h};
    CustomControl::CreateWindowFor(parent, spec, id);
    LayoutStep();
}

LRESULT TRotButton::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_SETTEXT: {
        LRESULT r = CustomControl::HandleMessage(m, w, l);
        LayoutStep();
        Invalidate();
        return r;
    }
    case BM_CLICK:
        RunClick();   // as a standard push button does for programs that press it
        return 0;
    case WM_SIZE:
        size_ = {LOWORD(l), HIWORD(l)};
        if (!autoSize_) LayoutStep();   // the caption stays centred
        Invalidate();
        return 0;
    case WM_ENABLE:
        hovered_ = false;
        Invalidate();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONUP:
        // Normal colours after a click until the mouse enters again; the
        // base then runs the click, if it is one.
        hovered_ = false;
        Invalidate();
        return CustomControl::HandleMessage(m, w, l);
    default:
        return CustomControl::HandleMessage(m, w, l);
    }
}

// Properties ------------------------------------------------------------------
void TRotButton::SetCaption(std::string_view text) {
    Control::SetCaption(text);   // a window runs the layout step on WM_SETTEXT
    if (!hwnd_) LayoutStep();
}

void TRotButton::SetAngle(TRotAngle a) {
    angle_ = a;
    LayoutStep();
    Invalidate();
}

void TRotButton::SetAutoSize(bool on) {
    autoSize_ = on;
    LayoutStep();
    Invalidate();
}

void TRotButton::SetMargin(int m) {
    margin_ = m;
    LayoutStep();
    Invalidate();
}

void TRotButton::SetFont(const TFontSpec& f) {
    font_ = f;
    LayoutStep();
    Invalidate();
}

void TRotButton::SetGradient(bool on) {
    gradient_ = on;
    if (on) rounded_ = false;   // a gradient is never combined with rounding
    Invalidate();
}

void TRotButton::UseDialogLook() {
    TFontSpec f;
    f.Name = kDialogFace;
    f.Height = kDialogFontHeight;
    f.Bold = true;
    f.Color = kDialogInk;
    TFontSpec focus = f;
    focus.Color = kDialogInkFocus;
    fontFocus_ = focus;
    margin_ = 4;
    color_ = RGB(255, 255, 255);
    colorEdge_ = kDialogInk;
    colorFocus_ = kDialogFocusFill;
    colorFocusEdge_ = kDialogInkFocus;
    gradientColor_ = RGB(192, 192, 192);
    gradientFocusColor_ = kDialogGradientFocus;
    gradient_ = false;
    rounded_ = true;
    SetFont(f);
}

// Layout step -------------------------------------------------------------------
void TRotButton::LayoutStep() {
    const SIZE ext = CaptionExtent(font_, Caption());
    // The caption's box on the button: turned with the text.
    const SIZE box = angle_ == TRotAngle::ra0 ? ext : SIZE{ext.cy, ext.cx};
    if (autoSize_) size_ = {2 * margin_ + box.cx, 2 * margin_ + box.cy};
    // Centred on the button, as a push button's caption is: a button sized
    // to its caption has it at the margin.
    origin_ = {(size_.cx - box.cx) / 2, (size_.cy - box.cy) / 2};
    if (angle_ == TRotAngle::ra90) origin_.y += ext.cx;   // the upward text starts at the bottom
    if (Pressed()) {
        origin_.x += kPressShift;
        origin_.y += kPressShift;
    }
    originFocus_ = origin_;
    if (autoSize_ && hwnd_)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, size_.cx, size_.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Painting ----------------------------------------------------------------------
void TRotButton::PaintBackground(HDC dc, const RECT& r, bool hot) const {
    if (rounded_) {
        ::RoundRect(dc, r.left, r.top, r.right, r.bottom, kCornerEllipse, kCornerEllipse);
        return;
    }
    if (!gradient_) {
        ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
        return;
    }
    COLORREF c = hot ? colorFocus_ : color_;
    COLORREF e = hot ? gradientFocusColor_ : gradientColor_;
    bool rows = angle_ == TRotAngle::ra0;
    int s = rows ? r.bottom - r.top : r.right - r.left;
    for (int p = 0; p <= s; ++p) {
        framework::Brush line = SolidBrush(GradientLineColor(c, e, p, s, invertGrad_));
        RECT one = rows ? RECT{r.left, r.top + p, r.right, r.top + p + 1} : RECT{r.left + p, r.top, r.left + p + 1, r.bottom};
        ::FillRect(dc, &one, line.get());
    }
}

void TRotButton::Paint(HDC dc, const RECT& client) const {
    bool enabled = !hwnd_ || ::IsWindowEnabled(hwnd_);
    bool hot = hovered_ && enabled;
    const TFontSpec& spec = hot ? fontFocus_ : font_;
    framework::Brush brush = SolidBrush(hot ? colorFocus_ : color_);
    framework::Pen pen(::CreatePen(PS_SOLID, 1, hot ? colorFocusEdge_ : colorEdge_));
    {
        framework::SelectScope selBrush(dc, brush.get());
        framework::SelectScope selPen(dc, pen.get());
        PaintBackground(dc, client, hot);
    }
    std::string caption = Caption();
    if (caption.empty()) return;
    framework::Font font = CreateCaptionFont(spec, angle_, true);
    framework::SelectScope selFont(dc, font.get());
    POINT at = hot ? originFocus_ : origin_;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? spec.Color : ::GetSysColor(COLOR_GRAYTEXT));
    ::TextOutA(dc, client.left + at.x, client.top + at.y, caption.c_str(), static_cast<int>(caption.size()));
    ::SetBkMode(dc, OPAQUE);
}

// Mouse ---------------------------------------------------------------------------
void TRotButton::MouseEnter() {
    hovered_ = true;
    Invalidate();
}

void TRotButton::MouseLeave() {
    hovered_ = false;
    Invalidate();
}

void TRotButton::PressChanged() {
    LayoutStep();   // the caption moves while pressed
    Invalidate();
}

}  // namespace toolkit
