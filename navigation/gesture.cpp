#include "navigation/gesture.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include "framework/application.h"

namespace navigation {
namespace {

TGestureRecognizer& Recognizer() {
    static TGestureRecognizer recognizer;
    return recognizer;
}

TfrmGestureTrail* trailWindow = nullptr;

// Rounding to nearest with halves to even, whatever the floating-point
// mode of the moment.
long RoundHalfEven(double v) {
    const double f = std::floor(v);
    const double d = v - f;
    double r = f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1;
    return static_cast<long>(r);
}

}  // namespace

TStroke ClassifyStroke(std::span<const POINT> stroke) noexcept {
    if (stroke.size() < 3) return TStroke::None;
    LONG minX = stroke[0].x, maxX = stroke[0].x, minY = stroke[0].y, maxY = stroke[0].y;
    int right = 0, left = 0, down = 0, up = 0;
    for (size_t i = 0; i < stroke.size(); ++i) {
        const POINT p = stroke[i];
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        if (i == 0) continue;
        const POINT q = stroke[i - 1];
        right += p.x > q.x;
        left += p.x < q.x;
        down += p.y > q.y;
        up += p.y < q.y;
    }
    const LONG dx = maxX - minX, dy = maxY - minY;
    if (dy <= dx / 3 && dx >= kMinStrokeLength) return left > right ? TStroke::Left : TStroke::Right;
    if (dx <= dy / 3 && dy >= kMinStrokeLength) return down > up ? TStroke::Down : TStroke::Up;
    return TStroke::None;
}

char StrokeLetter(TStroke s) noexcept {
    switch (s) {
    case TStroke::Left: return 'L';
    case TStroke::Right: return 'R';
    case TStroke::Up: return 'U';
    case TStroke::Down: return 'D';
    default: return 0;
    }
}

void AppendDirection(TGestureCode& code, char letter) {
    if (!letter || (!code.empty() && code.back() == letter)) return;
    code += letter;
}

std::vector<POINT> TrailDotsBetween(POINT from, POINT to) {
    const LONG ddx = to.x - from.x, ddy = to.y - from.y;
    const bool alongY = std::labs(ddy) > std::labs(ddx);
    const LONG along = alongY ? ddy : ddx, across = alongY ? ddx : ddy;
    const long n = std::max(1L, RoundHalfEven(std::labs(along) / static_cast<double>(kTrailDotStep)));
    const double stepAlong = along < 0 ? -kTrailDotStep : kTrailDotStep;
    const double stepAcross = static_cast<double>(across) / static_cast<double>(n);
    const double stepX = alongY ? stepAcross : stepAlong, stepY = alongY ? stepAlong : stepAcross;
    std::vector<POINT> dots;
    dots.reserve(static_cast<size_t>(n));
    double x = from.x, y = from.y;
    for (long k = 0; k < n; ++k) {
        x += stepX;
        y += stepY;
        dots.push_back(POINT{RoundHalfEven(x), RoundHalfEven(y)});
    }
    return dots;
}

void TGestureRecognizer::Reset() {
    points_.clear();
    strokeStart_ = 0;
    code_.clear();
}

TStroke TGestureRecognizer::AddPoint(POINT p) {
    points_.push_back(p);
    const TStroke s = ClassifyStroke(std::span<const POINT>(points_).subspan(strokeStart_));
    if (s != TStroke::None) {
        strokeStart_ = points_.size();   // the next point starts a new stroke
        AppendDirection(code_, StrokeLetter(s));
    }
    return s;
}

// The trail window ----------------------------------------------------------------

TfrmGestureTrail::TfrmGestureTrail() : Form("frmGestureTrail") {}

void TfrmGestureTrail::FormCreate() {
    SetColor(kTrailColor);
    // Nothing of it may show before the first dot, not even for a moment.
    ClearTrail();
}

void TfrmGestureTrail::CoverScreen() {
    SetExStyle(WS_EX_TOOLWINDOW);
    SetStayOnTop(true);
    SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

void TfrmGestureTrail::ClearTrail() {
    trail_.reset(::CreateRectRgn(0, 0, 0, 0));
    ApplyRegion();
    if (Handle()) ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TfrmGestureTrail::AddDots(std::span<const POINT> dots) {
    if (!trail_) trail_.reset(::CreateRectRgn(0, 0, 0, 0));
    constexpr int size = 2 * kTrailDotStep;
    for (const POINT& p : dots) {
        framework::Region dot(::CreateRoundRectRgn(p.x, p.y, p.x + size, p.y + size, kTrailDotCorner, kTrailDotCorner));
        if (dot) ::CombineRgn(trail_.get(), trail_.get(), dot.get(), RGN_OR);
    }
    ApplyRegion();
    if (!Handle()) return;
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TfrmGestureTrail::ApplyRegion() {
    if (!Handle() || !trail_) return;
    // The window takes the region it is given; it gets a copy, and never
    // none at all, which would show the whole red screen.
    framework::Region shown(::CreateRectRgn(0, 0, 0, 0));
    if (!shown || ::CombineRgn(shown.get(), trail_.get(), nullptr, RGN_COPY) == ERROR) return;
    if (::SetWindowRgn(Handle(), shown.get(), FALSE)) shown.release();
}

// The unit's gesture ---------------------------------------------------------------

void CreateTrailWindow() {
    if (!trailWindow) {
        framework::App().CreateForm(trailWindow);
        trailWindow->Hide();
    }
    trailWindow->CoverScreen();
}

void ResetGesture() {
    Recognizer().Reset();
    if (!trailWindow) return;
    trailWindow->ClearTrail();
    ::ShowWindow(trailWindow->Handle(), SW_SHOWNOACTIVATE);
}

void AddGesturePoint(POINT p) {
    TGestureRecognizer& r = Recognizer();
    std::vector<POINT> dots{p};
    if (!r.Points().empty()) {
        std::vector<POINT> between = TrailDotsBetween(r.Points().back(), p);
        dots.insert(dots.end(), between.begin(), between.end());
    }
    r.AddPoint(p);
    if (trailWindow) trailWindow->AddDots(dots);
}

TGestureCode TakeGesture() {
    if (trailWindow) ::ShowWindow(trailWindow->Handle(), SW_HIDE);
    return Recognizer().Code();
}

TfrmGestureTrail* TrailWindow() noexcept { return trailWindow; }

}  // namespace navigation
