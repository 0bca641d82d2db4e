#include "navigation/edge_nav.h"
#include "navigation/overlay_style.h"
#include <windowsx.h>
#include "engine/main_form.h"
#include "framework/application.h"
#include "settings/settings_access.h"
#include "toolkit/form_pictures.h"

namespace navigation {

TfrmEdgeNav* frmEdgeNav = nullptr;

namespace {

engine::TfrmPTessarel* Engine() noexcept { return engine::frmPTessarel; }

// Wrapping follows its check box once the settings dialog exists; before
// that the bar offers only real neighbours.
bool WrapEdges() { return settings::CurrentSource() && settings::Flag("wrapedgenav"); }

}  // namespace

RECT GetEdgeRect(TScreenEdge edge) {
    return EdgeRect(edge, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)).value_or(RECT{});
}

TfrmEdgeNav::TfrmEdgeNav() : Form("frmEdgeNav") {}

TfrmEdgeNav::~TfrmEdgeNav() { Timer1.SetEnabled(false); }

DWORD TfrmEdgeNav::InitialExStyle() const { return kOverlayExStyle | WS_EX_TOPMOST; }

void TfrmEdgeNav::FormCreate() {
    imUp_ = toolkit::LoadFormBitmap(toolkit::pictures::kEdgeUp);
    imDown_ = toolkit::LoadFormBitmap(toolkit::pictures::kEdgeDown);
    imLeft_ = toolkit::LoadFormBitmap(toolkit::pictures::kEdgeLeft);
    imRight_ = toolkit::LoadFormBitmap(toolkit::pictures::kEdgeRight);
    numFont_.reset(::CreateFontA(-kEdgeNumberHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial"));
    SetAlpha(kEdgeNavAlpha, true);
    // A click on the bar must not take the keyboard from the window the
    // user works in: the switch hands the focus over itself.
    OnMessage(WM_MOUSEACTIVATE, [](WPARAM, LPARAM) -> LRESULT { return MA_NOACTIVATE; });
    OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM l) -> LRESULT {
        const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (p.x >= 0 && p.y >= 0 && p.x < ClientWidth() && p.y < ClientHeight()) imBarClick();
        return 0;
    });
    OnMessage(WM_RBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
        PopupMainMenu();
        return 0;
    });
}

HBITMAP TfrmEdgeNav::ArrowFor(TScreenEdge edge) const noexcept {
    switch (edge) {
    case TScreenEdge::Up: return imUp_.get();
    case TScreenEdge::Right: return imRight_.get();
    case TScreenEdge::Down: return imDown_.get();
    case TScreenEdge::Left: return imLeft_.get();
    default: return imBar_;
    }
}

void TfrmEdgeNav::Paint(HDC dc, const RECT& client) {
    if (imBar_) {
        BITMAP info{};
        ::GetObjectA(imBar_, sizeof info, &info);
        framework::MemoryDc source(::CreateCompatibleDC(dc));
        framework::SelectScope select(source.get(), imBar_);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    framework::SelectScope font(dc, numFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kEdgeNumberColor);
    RECT r = client;
    ::DrawTextA(dc, number_.c_str(), static_cast<int>(number_.size()), &r, NumberAlignment(FEdge) | DT_NOPREFIX);
}

void TfrmEdgeNav::ShowAtEdge(TScreenEdge edge) {
    if (auto* e = Engine()) e->FLastEdge = 0;   // the dwell starts again
    if (edge == FEdge && Visible()) return;
    HideEdgeNav();
    framework::App().ProcessMessages();
    imBar_ = ArrowFor(edge);
    const RECT r = GetEdgeRect(edge);
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    FEdge = edge;
    UpdateEdgeTarget();
    auto* e = Engine();
    if (!e || FTarget == e->FCurrentDesktop) return;
    SetStayOnTop(true);
    ::ShowWindow(Handle(), SW_SHOWNA);
}

void TfrmEdgeNav::UpdateEdgeTarget() {
    auto* e = Engine();
    const int current = e ? e->FCurrentDesktop : 1;
    FTarget = e ? EdgeTarget(FEdge, current, e->FGridCols, e->FGridRows, WrapEdges()) : current;
    number_ = std::to_string(FTarget);
    SetCaption(number_);
    Invalidate();
}

int TfrmEdgeNav::TakeEdge(TScreenEdge edge) {
    FEdge = edge;
    UpdateEdgeTarget();
    return FTarget;
}

void TfrmEdgeNav::HideEdgeNav() {
    if (auto* e = Engine()) e->FLastEdge = 0;
    Hide();
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void TfrmEdgeNav::imBarClick() {
    if (auto* e = Engine()) e->RequestDesktop(FTarget);
}

bool TfrmEdgeNav::OwnMenuOpen() const {
    if (menuOpen_) return true;
    // The main menu opened elsewhere (the tray) over the bar, as the window
    // scan found it.
    const auto* e = Engine();
    return e && e->FOwnPopupWindow && ::IsWindowVisible(e->FOwnPopupWindow);
}

void TfrmEdgeNav::PopupMainMenu() {
    auto* e = Engine();
    if (!e) return;
    // While the menu is open the bar stays, wherever the cursor goes.
    menuOpen_ = true;
    struct Closed {
        bool& open;
        ~Closed() { open = false; }
    } closed{menuOpen_};
    e->PopupMainMenu();
}

void TfrmEdgeNav::Timer1Timer() {
    if (!Visible()) return;
    POINT p{};
    if (!::GetCursorPos(&p) || OnBar(BoundsRect(), p) || OwnMenuOpen()) return;
    HideEdgeNav();
}

}  // namespace navigation
