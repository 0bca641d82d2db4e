#include "toolkit/rx_slider.h"
#include <windowsx.h>
#include <algorithm>
#include <cstdio>
#include "framework/guard.h"
#include "framework/text.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

constexpr char kWindowClass[] = "TRxSlider";
constexpr char kIncrementRange[] = "Value must be between %d and %d";
constexpr int kInset = 6;            // between the slider's edge and the ruler, on both ends
constexpr int kPointsGap = 7;        // between the thicker of ruler and thumb and the tick points
constexpr int kRulerGrip = 3;        // a click this far beside the ruler still hits it
constexpr int kMinTickSpacing = 4;
constexpr int kEndTick = 5, kInnerTick = 3;
constexpr int kBevelWidth = 1;

// The default images' sizes: one thumb picture, and the ruler.
constexpr int kThumbWidth = 11, kThumbBody = 15, kThumbPoint = 5;
constexpr int kRulerLength = 10, kRulerThickness = 4;

bool Horizontal(TSliderOrientation o) { return o == TSliderOrientation::soHorizontal; }

int Round(double v) { return static_cast<int>(framework::BankersRound(v)); }

// The colour of the default horizontal thumb at (x, y) of one picture.
COLORREF ThumbPixel(int x, int y, bool pressed) {
    const int w = kThumbWidth;
    int k = y < kThumbBody ? 0 : y - kThumbBody + 1;   // how far into the point
    int left = k, right = w - 1 - k;
    if (x < left || x > right) return kSliderClear;
    if (x == right) return ::GetSysColor(COLOR_3DDKSHADOW);
    if (x == left || y == 0) return ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (x == right - 1) return ::GetSysColor(COLOR_BTNSHADOW);
    if (pressed && (x + y) % 2 == 0) return ::GetSysColor(COLOR_BTNHIGHLIGHT);
    return ::GetSysColor(COLOR_BTNFACE);
}

// The colour of the default horizontal ruler at (x, y): a sunken groove.
COLORREF RulerPixel(int x, int y) {
    if (x == kRulerLength - 1 || y == kRulerThickness - 1) return ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (x == 0 || y == 0) return ::GetSysColor(COLOR_BTNSHADOW);
    if (y == 1) return ::GetSysColor(COLOR_3DDKSHADOW);
    return ::GetSysColor(COLOR_3DLIGHT);
}

template <typename PixelOf>
framework::Bitmap DrawPixels(int w, int h, PixelOf pixelOf) {
    framework::WindowDc screen(nullptr);
    framework::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    framework::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    if (!bmp || !dc) throw framework::Exception("Cannot create the slider's pictures");
    framework::SelectScope use(dc.get(), bmp.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ::SetPixelV(dc.get(), x, y, pixelOf(x, y));
    return bmp;
}

SIZE BitmapSize(HBITMAP b) {
    BITMAP bm{};
    if (!b || !::GetObjectA(b, sizeof bm, &bm)) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

}  // namespace

// Pure arithmetic -------------------------------------------------------------------

std::vector<RulerPiece> RulerPieces(int imageLength, int edgeSize, int targetLength) {
    std::vector<RulerPiece> pieces;
    if (imageLength <= 0 || targetLength <= 0) return pieces;
    const int e = std::max(0, edgeSize);
    const int body = imageLength - 2 * e;
    if (body <= 0) {
        // Nothing between the ends to stretch: the image is repeated.
        for (int at = 0; at < targetLength; at += imageLength)
            pieces.push_back({at, 0, std::min(imageLength, targetLength - at)});
        return pieces;
    }
    const int a = targetLength - 2 * e;
    const int n = a > 0 ? a / body : 0;
    const int r = a > 0 ? a % body : 0;
    pieces.push_back({0, 0, std::min(imageLength - e, targetLength)});
    for (int i = 1; i < n; ++i) pieces.push_back({e + i * body, e, body});
    if (n > 0) pieces.push_back({e + n * body, e + body - r, e + r});
    return pieces;
}

SliderGeometry ComputeSliderGeometry(SIZE client, bool bevel, TSliderOrientation orientation, SIZE thumbImage,
                                     int numThumbStates, SIZE rulerImage) {
    SliderGeometry g;
    g.slider = {0, 0, client.cx, client.cy};
    if (bevel) ::InflateRect(&g.slider, -kBevelWidth, -kBevelWidth);
    const int states = std::max(1, numThumbStates);
    const bool h = Horizontal(orientation);
    const int x0 = g.slider.left, y0 = g.slider.top;
    const int sliderLength = h ? g.slider.right - g.slider.left : g.slider.bottom - g.slider.top;
    g.thumbLength = h ? thumbImage.cx / states : thumbImage.cy;
    g.thumbThickness = h ? thumbImage.cy : thumbImage.cx / states;
    g.rulerLength = std::max(0, sliderLength - 2 * kInset);
    g.rulerThickness = h ? rulerImage.cy : rulerImage.cx;
    g.travel = std::max(0, g.rulerLength - g.thumbLength);

    const int across = (h ? y0 : x0) + kInset;
    const int thicker = std::max(g.rulerThickness, g.thumbThickness);
    const int shift = std::abs(g.rulerThickness - g.thumbThickness) / 2;
    int rulerAcross = across, thumbAcross = across;
    if (g.rulerThickness < g.thumbThickness) rulerAcross += shift;
    else thumbAcross += shift;
    g.thumbAcross = thumbAcross;
    if (h) {
        g.rulerOrigin = {x0 + kInset, rulerAcross};
        g.trackStart = x0 + kInset;
        g.points = {x0 + kInset, y0 + thicker + kPointsGap};
    } else {
        g.rulerOrigin = {rulerAcross, y0 + kInset};
        g.trackStart = y0 + kInset;
        g.points = {x0 + thicker + kPointsGap, y0 + kInset};
    }
    return g;
}

namespace {
// How far along the travel a value lies; 0 for an empty range or travel.
int OffsetOf(const SliderGeometry& g, int value, int minValue, int maxValue) {
    const int range = maxValue - minValue;
    if (range <= 0 || g.travel <= 0) return 0;
    return Round(static_cast<double>(g.travel) * (value - minValue) / range);
}
}  // namespace

int ThumbPositionOf(const SliderGeometry& g, TSliderOrientation orientation, int value, int minValue, int maxValue) {
    const int offset = OffsetOf(g, value, minValue, maxValue);
    if (Horizontal(orientation)) return g.trackStart + offset;
    // Values grow upwards.
    return std::max(g.trackStart, static_cast<int>(g.slider.bottom) - kInset - offset - g.thumbLength);
}

int ValueAtPosition(const SliderGeometry& g, TSliderOrientation orientation, int clientHeight, int p, int minValue,
                     int maxValue, int increment, bool smooth) {
    if (!Horizontal(orientation)) p = clientHeight - p - g.thumbLength;
    const int range = maxValue - minValue;
    // A slider too small to move its thumb, or without a range, stays at its minimum.
    if (range <= 0 || g.travel <= 0) return minValue;
    const double x = static_cast<double>(p - g.trackStart) * range / g.travel;
    int v = smooth || increment <= 0 ? Round(x) : increment * Round(Round(x) / static_cast<double>(increment));
    v = std::max(v, 0) + minValue;
    return std::min(v, maxValue);
}

int SteppedValue(TSliderStep step, int value, int increment, int minValue, int maxValue) {
    int v = value;
    const int snapped = increment > 0 ? increment * Round(value / static_cast<double>(increment)) : value;
    switch (step) {
    case TSliderStep::ToMin: v = minValue; break;
    case TSliderStep::ToMax: v = maxValue; break;
    case TSliderStep::Up: v = snapped + increment; break;
    case TSliderStep::Down: v = snapped - increment; break;
    }
    return std::clamp(v, minValue, std::max(minValue, maxValue));
}

std::vector<TickPoint> TickPoints(int minValue, int maxValue, int increment, int travel) {
    std::vector<TickPoint> ticks;
    const int range = maxValue - minValue;
    if (range <= 0 || increment <= 0) return ticks;
    int count = 0, step = increment;
    for (int m = 1;; ++m) {
        step = increment * m;
        count = Round(range / static_cast<double>(step)) + 1;
        const int spacing = count <= 1 ? travel : travel / (count - 1);
        if (spacing >= kMinTickSpacing || spacing == travel || step >= range) break;
    }
    count = std::max(count, 1);
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        int v = last ? maxValue : std::min(maxValue, minValue + step * i);
        ticks.push_back({v, i == 0 || last ? kEndTick : kInnerTick});
    }
    return ticks;
}

framework::Bitmap DefaultSliderImage(TSliderImage which) {
    switch (which) {
    case TSliderImage::HThumb:
        return DrawPixels(2 * kThumbWidth, kThumbBody + kThumbPoint, [](int x, int y) {
            return ThumbPixel(x % kThumbWidth, y, x >= kThumbWidth);
        });
    case TSliderImage::VThumb:
        // The horizontal thumb turned to point right.
        return DrawPixels(2 * (kThumbBody + kThumbPoint), kThumbWidth, [](int x, int y) {
            const int one = kThumbBody + kThumbPoint;
            return ThumbPixel(y, x % one, x >= one);
        });
    case TSliderImage::HRuler:
        return DrawPixels(kRulerLength, kRulerThickness, [](int x, int y) { return RulerPixel(x, y); });
    case TSliderImage::VRuler:
        return DrawPixels(kRulerThickness, kRulerLength, [](int x, int y) { return RulerPixel(y, x); });
    }
    return {};
}

// The control -------------------------------------------------------------------------

TRxSlider::TRxSlider(framework::Form& owner, std::string name) : CustomControl(owner, std::move(name), kWindowClass) {
    for (auto which : {TSliderImage::HThumb, TSliderImage::HRuler, TSliderImage::VThumb, TSliderImage::VRuler})
        SetImage(which, nullptr);
}

TRxSlider::~TRxSlider() = default;

void TRxSlider::CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) {
    if (hwnd_) return;
    size_ = {spec.w, spec.h};
    RebuildGeometry();
    CustomControl::CreateWindowFor(parent, spec, id);
}

const TRxSlider::Image& TRxSlider::ThumbImage() const {
    return images_[static_cast<size_t>(Horizontal(orientation_) ? TSliderImage::HThumb : TSliderImage::VThumb)];
}

const TRxSlider::Image& TRxSlider::RulerImage() const {
    return images_[static_cast<size_t>(Horizontal(orientation_) ? TSliderImage::HRuler : TSliderImage::VRuler)];
}

SIZE TRxSlider::ClientSize() const {
    if (!hwnd_) return size_;
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return {r.right, r.bottom};
}

void TRxSlider::RebuildGeometry() {
    geometry_ = ComputeSliderGeometry(ClientSize(), bevel_ != TBevelCut::bvNone, orientation_, ThumbImage().size,
                                      numThumbStates_, RulerImage().size);
    BuildRuler();
    PlaceThumb(ThumbPositionOf(geometry_, orientation_, value_, minValue_, maxValue_));
    Invalidate();
}

void TRxSlider::BuildRuler() {
    ruler_.reset();
    const Image& image = RulerImage();
    const SliderGeometry& g = geometry_;
    if (g.rulerLength <= 0 || g.rulerThickness <= 0 || !image.bitmap) return;
    const bool h = Horizontal(orientation_);
    framework::WindowDc screen(nullptr);
    framework::Bitmap ruler(h ? ::CreateCompatibleBitmap(screen.get(), g.rulerLength, g.rulerThickness)
                              : ::CreateCompatibleBitmap(screen.get(), g.rulerThickness, g.rulerLength));
    framework::MemoryDc to(::CreateCompatibleDC(screen.get())), from(::CreateCompatibleDC(screen.get()));
    if (!ruler || !to || !from) throw framework::Exception("Cannot build the slider's ruler");
    {
        framework::SelectScope useTo(to.get(), ruler.get()), useFrom(from.get(), image.bitmap.get());
        const int imageLength = h ? image.size.cx : image.size.cy;
        for (const RulerPiece& p : RulerPieces(imageLength, edgeSize_, g.rulerLength)) {
            if (h) ::BitBlt(to.get(), p.dest, 0, p.length, g.rulerThickness, from.get(), p.source, 0, SRCCOPY);
            else ::BitBlt(to.get(), 0, p.dest, g.rulerThickness, p.length, from.get(), 0, p.source, SRCCOPY);
        }
    }
    ruler_ = std::move(ruler);
}

// Properties ---------------------------------------------------------------------------

void TRxSlider::SetValue(int v) {
    v = std::clamp(v, minValue_, std::max(minValue_, maxValue_));
    const bool changed = v != value_;
    value_ = v;
    PlaceThumb(ThumbPositionOf(geometry_, orientation_, value_, minValue_, maxValue_));
    if (changed && OnChange) OnChange();
}

void TRxSlider::SetMinValue(int v) {
    if (v == minValue_ || v >= maxValue_) return;
    minValue_ = v;
    increment_ = std::min(increment_, maxValue_ - minValue_);
    if (options_ & soShowPoints) Invalidate();
    SetValue(value_);
}

void TRxSlider::SetMaxValue(int v) {
    if (v == maxValue_ || v <= minValue_) return;
    maxValue_ = v;
    increment_ = std::min(increment_, maxValue_ - minValue_);
    if (options_ & soShowPoints) Invalidate();
    SetValue(value_);
}

void TRxSlider::SetIncrement(int v) {
    const int range = maxValue_ - minValue_;
    if (v <= 0 || v > range) {
        char message[64];
        std::snprintf(message, sizeof message, kIncrementRange, 1, range);
        throw framework::Exception(message);
    }
    if (v == increment_) return;
    increment_ = v;
    SetValue(value_);
    Invalidate();
}

void TRxSlider::SetOrientation(TSliderOrientation o) {
    if (o == orientation_) return;
    orientation_ = o;
    RebuildGeometry();
}

void TRxSlider::SetOptions(unsigned options) {
    if (options == options_) return;
    options_ = options;
    Invalidate();
}

void TRxSlider::SetNumThumbStates(int n) {
    n = std::clamp(n, 1, 2);
    if (n == numThumbStates_) return;
    numThumbStates_ = n;
    RebuildGeometry();
}

void TRxSlider::SetEdgeSize(int v) {
    const SIZE image = RulerImage().size;
    const int length = Horizontal(orientation_) ? image.cx : image.cy;
    if (v == edgeSize_ || v < 0 || 2 * v >= length) return;
    edgeSize_ = v;
    RebuildGeometry();
}

void TRxSlider::SetBevelStyle(TBevelCut b) {
    if (b == bevel_) return;
    bevel_ = b;
    RebuildGeometry();
}

COLORREF TRxSlider::Color() const { return color_ == CLR_INVALID ? ::GetSysColor(COLOR_BTNFACE) : color_; }

void TRxSlider::SetColor(COLORREF c) {
    color_ = c;
    Invalidate();
}

bool TRxSlider::UserImage(TSliderImage which) const noexcept {
    return (userImages_ & (1u << static_cast<unsigned>(which))) != 0;
}

void TRxSlider::SetImage(TSliderImage which, HBITMAP bitmap) {
    const unsigned bit = 1u << static_cast<unsigned>(which);
    Image& image = images_[static_cast<size_t>(which)];
    if (bitmap) {
        framework::Bitmap copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
        if (!copy) throw framework::Exception("Cannot copy the slider's picture");
        image.bitmap = std::move(copy);
        image.transparent = clDefault;   // a user's picture is clear where its bottom-left pixel's colour is
        userImages_ = static_cast<unsigned char>(userImages_ | bit);
    } else {
        image.bitmap = DefaultSliderImage(which);
        image.transparent = kSliderClear;
        const bool wasUsers = (userImages_ & bit) != 0;
        userImages_ = static_cast<unsigned char>(userImages_ & ~bit);
        if (wasUsers) {
            const bool thumb = which == TSliderImage::HThumb || which == TSliderImage::VThumb;
            options_ &= ~(thumb ? soThumbOpaque : soRulerOpaque);
        }
    }
    image.size = BitmapSize(image.bitmap.get());
    RebuildGeometry();
}

// The thumb -----------------------------------------------------------------------------

void TRxSlider::PlaceThumb(int position) {
    const SliderGeometry& g = geometry_;
    RECT r = Horizontal(orientation_)
                 ? RECT{position, g.thumbAcross, position + g.thumbLength, g.thumbAcross + g.thumbThickness}
                 : RECT{g.thumbAcross, position, g.thumbAcross + g.thumbThickness, position + g.thumbLength};
    if (::EqualRect(&r, &thumbRect_)) return;
    InvalidateThumb();
    thumbRect_ = r;
    InvalidateThumb();
}

void TRxSlider::InvalidateThumb() {
    if (hwnd_) ::InvalidateRect(hwnd_, &thumbRect_, FALSE);
}

void TRxSlider::MoveThumbTo(int position) {
    const SliderGeometry& g = geometry_;
    if (Horizontal(orientation_)) {
        position = std::clamp(position, g.trackStart, g.trackStart + g.travel);
    } else {
        const int lowest = ThumbPositionOf(g, orientation_, minValue_, minValue_, maxValue_);
        position = std::clamp(position, std::min(g.trackStart, lowest), lowest);
    }
    const int v = ValueAtPosition(g, orientation_, ClientSize().cy, position, minValue_, maxValue_, increment_,
                                  (options_ & soSmooth) != 0);
    PlaceThumb(ThumbPositionOf(g, orientation_, v, minValue_, maxValue_));
    if (dragging_ && v != value_) {
        value_ = v;
        if (OnChange) OnChange();
    }
}

void TRxSlider::Step(TSliderStep step) {
    const int v = SteppedValue(step, value_, increment_, minValue_, maxValue_);
    if (v != value_) SetValue(v);
}

void TRxSlider::Changed() {
    if (OnChanged) OnChanged();
}

bool TRxSlider::OnThumb(POINT p) const { return ::PtInRect(&thumbRect_, p) != 0; }

bool TRxSlider::OnRuler(POINT p) const {
    const SliderGeometry& g = geometry_;
    RECT r = Horizontal(orientation_)
                 ? RECT{g.rulerOrigin.x, g.rulerOrigin.y - kRulerGrip, g.rulerOrigin.x + g.rulerLength,
                        g.rulerOrigin.y + g.rulerThickness + kRulerGrip}
                 : RECT{g.rulerOrigin.x - kRulerGrip, g.rulerOrigin.y, g.rulerOrigin.x + g.rulerThickness + kRulerGrip,
                        g.rulerOrigin.y + g.rulerLength};
    return ::PtInRect(&r, p) != 0;
}

TSliderStep TRxSlider::DirectionTowards(POINT p) const {
    // Before the thumb: left of it, or below it on a vertical slider.
    if (Horizontal(orientation_)) return p.x < thumbRect_.left ? TSliderStep::Down : TSliderStep::Up;
    return p.y >= thumbRect_.bottom ? TSliderStep::Down : TSliderStep::Up;
}

// Input -----------------------------------------------------------------------------------

bool TRxSlider::KeyDown(WPARAM key) {
    for (int shift : {VK_SHIFT, VK_CONTROL, VK_MENU})
        if (::GetKeyState(shift) < 0) return false;
    const bool h = Horizontal(orientation_);
    TSliderStep step;
    switch (key) {
    case VK_HOME: step = TSliderStep::ToMin; break;
    case VK_END: step = TSliderStep::ToMax; break;
    case VK_LEFT: if (!h) return false; step = TSliderStep::Down; break;
    case VK_RIGHT: if (!h) return false; step = TSliderStep::Up; break;
    case VK_UP: if (h) return false; step = TSliderStep::Up; break;
    case VK_DOWN: if (h) return false; step = TSliderStep::Down; break;
    default: return false;
    }
    Step(step);
    Changed();
    return true;
}

void TRxSlider::LeftButtonDown(POINT p) {
    if (::IsWindowVisible(hwnd_) && ::IsWindowEnabled(hwnd_) && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
    if (OnThumb(p)) {
        ::SetCapture(hwnd_);
        dragging_ = true;
        pressedLook_ = true;
        grabOffset_ = Horizontal(orientation_) ? p.x - thumbRect_.left : p.y - thumbRect_.top;
        InvalidateThumb();
    } else if (OnRuler(p)) {
        ::SetCapture(hwnd_);
        tracking_ = true;
        trackPoint_ = p;
        trackDirection_ = DirectionTowards(p);
        Step(trackDirection_);
        ::SetTimer(hwnd_, kRepeatTimer, kRepeatMs, nullptr);
    }
}

void TRxSlider::RepeatTimer() {
    if (!tracking_) {
        ::KillTimer(hwnd_, kRepeatTimer);
        return;
    }
    // Once the thumb has reached the mouse point it stays there.
    const bool besideThumb = Horizontal(orientation_)
                                 ? trackPoint_.x < thumbRect_.left || trackPoint_.x >= thumbRect_.right
                                 : trackPoint_.y < thumbRect_.top || trackPoint_.y >= thumbRect_.bottom;
    if (besideThumb && DirectionTowards(trackPoint_) == trackDirection_) Step(trackDirection_);
}

void TRxSlider::LeftButtonUp() {
    if (tracking_) {
        tracking_ = false;
        ::KillTimer(hwnd_, kRepeatTimer);
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        Changed();
    }
    if (dragging_) {
        dragging_ = false;
        pressedLook_ = false;
        InvalidateThumb();
        ::UpdateWindow(hwnd_);
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        Changed();
    }
}

LRESULT TRxSlider::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    switch (m) {
    case WM_SIZE:
        RebuildGeometry();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (KeyDown(w)) return 0;
        break;
    case WM_LBUTTONDOWN:
        LeftButtonDown(p);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_ && (w & MK_LBUTTON)) MoveThumbTo((Horizontal(orientation_) ? p.x : p.y) - grabOffset_);
        if (tracking_) trackPoint_ = p;
        break;
    case WM_LBUTTONUP:
        LeftButtonUp();
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away (a menu, another window): no click goes on repeating.
        if (reinterpret_cast<HWND>(l) != hwnd_ && tracking_) {
            tracking_ = false;
            ::KillTimer(hwnd_, kRepeatTimer);
        }
        break;
    case WM_TIMER:
        if (w == kRepeatTimer) {
            RepeatTimer();
            return 0;
        }
        break;
    case WM_SETCURSOR: {
        POINT at{};
        ::GetCursorPos(&at);
        ::ScreenToClient(hwnd_, &at);
        if (LOWORD(l) == HTCLIENT && OnThumb(at)) {
            ::SetCursor(ToolkitCursor(crHand));
            return TRUE;
        }
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = m == WM_SETFOCUS;
        if (options_ & soShowFocus) Invalidate();
        break;
    case WM_ENABLE:
        InvalidateThumb();
        return 0;
    default:
        break;
    }
    return CustomControl::HandleMessage(m, w, l);
}

// Painting ----------------------------------------------------------------------------------

void TRxSlider::Paint(HDC dc, const RECT& client) const {
    (void)client;
    const SliderGeometry& g = geometry_;
    RECT bounds{0, 0, size_.cx, size_.cy};
    if (hwnd_) ::GetClientRect(hwnd_, &bounds);
    if (bevel_ != TBevelCut::bvNone) {
        COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
        RECT frame = bounds;
        if (bevel_ == TBevelCut::bvLowered) Frame3D(dc, frame, shadow, light, kBevelWidth);
        else Frame3D(dc, frame, light, shadow, kBevelWidth);
    }
    framework::Brush fill = SolidBrush(Color());
    ::FillRect(dc, &g.slider, fill.get());
    if (ruler_) {
        const COLORREF clear = (options_ & soRulerOpaque) ? clNone : RulerImage().transparent;
        DrawBitmapMasked(dc, g.rulerOrigin.x, g.rulerOrigin.y, ruler_.get(), clear);
    }
    if ((options_ & soShowFocus) && focused_) {
        RECT f = g.slider;
        ::InflateRect(&f, -2, -2);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &f);
    }
    if (options_ & soShowPoints) {
        if (OnDrawPoints) OnDrawPoints(dc);
        else PaintPoints(dc);
    }
    PaintThumb(dc);
}

void TRxSlider::PaintPoints(HDC dc) const {
    const SliderGeometry& g = geometry_;
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    const bool h = Horizontal(orientation_);
    for (const TickPoint& t : TickPoints(minValue_, maxValue_, increment_, g.travel)) {
        const int along = ThumbPositionOf(g, orientation_, t.value, minValue_, maxValue_) + g.thumbLength / 2;
        if (h) DrawLine(dc, along, g.points.y, along, g.points.y + t.length - 1, ink);
        else DrawLine(dc, g.points.x, along, g.points.x + t.length - 1, along, ink);
    }
}

void TRxSlider::PaintThumb(HDC dc) const {
    const Image& image = ThumbImage();
    if (!image.bitmap || thumbRect_.right <= thumbRect_.left || thumbRect_.bottom <= thumbRect_.top) return;
    const bool disabled = hwnd_ && !::IsWindowEnabled(hwnd_);
    const int picture = numThumbStates_ == 2 && (pressedLook_ || disabled) ? 1 : 0;
    const int w = thumbRect_.right - thumbRect_.left, h = thumbRect_.bottom - thumbRect_.top;
    RECT source{picture * w, 0, picture * w + w, h};
    const COLORREF clear = (options_ & soThumbOpaque) ? clNone : image.transparent;
    DrawBitmapRectMasked(dc, thumbRect_.left, thumbRect_.top, source, image.bitmap.get(), clear);
}

}  // namespace toolkit
