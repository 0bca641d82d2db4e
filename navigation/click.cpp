#include "navigation/click.h"
#include "navigation/overlay_style.h"
#include "engine/main_form.h"
#include "framework/string_list.h"
#include "settings/store_values.h"
#include "settings/vd_config.h"

namespace navigation {

TfrmClick* frmClick = nullptr;

namespace {

engine::TfrmPTessarel* Engine() noexcept { return engine::frmPTessarel; }
int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

// Where the cursor was when the message being handled arose: a busy
// program reads its mouse messages late, and the cursor is elsewhere by then.
POINT CursorNow() {
    const DWORD at = ::GetMessagePos();
    return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

}  // namespace

TfrmClick::TfrmClick() : Form("frmClick") {}

TfrmClick::~TfrmClick() = default;

DWORD TfrmClick::InitialExStyle() const { return kOverlayExStyle | WS_EX_TOPMOST; }

void TfrmClick::FormCreate() {
    SetBounds(ScreenWidth() - settings::kClickMissingFromRight, settings::kClickMissingTop, kClickSmall, kClickSmall);
    SetAlpha(kClickAlpha, true);
    // A click must leave the keyboard with the window the user works in.
    OnMessage(WM_MOUSEACTIVATE, [](WPARAM, LPARAM) -> LRESULT { return MA_NOACTIVATE; });
    auto down = [this](WPARAM w, LPARAM) -> LRESULT {
        // The drag goes on outside the tiny window.
        ::SetCapture(Handle());
        Image1MouseDown(CursorNow(), (w & MK_RBUTTON) != 0);
        return 0;
    };
    OnMessage(WM_LBUTTONDOWN, down);
    OnMessage(WM_RBUTTONDOWN, down);
    OnMessage(WM_MOUSEMOVE, [this](WPARAM w, LPARAM) -> LRESULT {
        Image1MouseMove(CursorNow(), (w & MK_LBUTTON) != 0);
        return 0;
    });
    OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        // Moves merged into the release still carry the window along.
        const POINT at = CursorNow();
        if (at.x != FDragPoint.x || at.y != FDragPoint.y) Image1MouseMove(at, true);
        Image1MouseUp();
        return 0;
    });
    OnMessage(WM_RBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        Image1MouseUp();
        if (auto* e = Engine()) e->PopupMainMenu();
        return 0;
    });
}

void TfrmClick::Paint(HDC dc, const RECT& client) { picture_.Draw(dc, client); }

void TfrmClick::ApplyClickSettings(bool shown, bool large) {
    if (!Handle()) return;
    if (shown && !Visible()) ShowClick();
    if (!shown) Hide();
    const int size = large ? kClickLarge : kClickSmall;
    SetBounds(Left(), Top(), size, size);
}

void TfrmClick::ShowClick() {
    SetBounds(Left(), Top(), kClickSmall, kClickSmall);
    if (auto* e = Engine()) e->SetTrayIconForDesktop(e->FCurrentDesktop);
    SetExStyle(ExStyle() | kOverlayExStyle);
    SetAlpha(kClickAlpha, true);
    StoreClickPosition();
    SetStayOnTop(true);
    ::ShowWindow(Handle(), SW_SHOWNA);
}

void TfrmClick::StoreClickPosition() {
    FPosX = ClickFraction(Left(), ScreenWidth());
    FPosY = ClickFraction(Top(), ScreenHeight());
}

void TfrmClick::RestoreClickPosition() {
    SetPosition(settings::ClickPosFromStored(FPosX, ScreenWidth(), 0),
                settings::ClickPosFromStored(FPosY, ScreenHeight(), 0));
}

void TfrmClick::PlaceAt(int left, int top) {
    SetPosition(left, top);
    StoreClickPosition();
}

void TfrmClick::LoadPicture(const std::string& bitmapFile) {
    framework::BitmapPicture loaded;
    loaded.LoadFromBytes(framework::ReadFileBytes(bitmapFile));
    picture_.SetHandle(loaded.ReleaseHandle());
    Invalidate();
}

void TfrmClick::Image1MouseDown(POINT cursor, bool rightHeld) {
    FDragPoint = cursor;
    FRightPress = rightHeld;
}

void TfrmClick::Image1MouseMove(POINT cursor, bool leftHeld) {
    if (!leftHeld) {
        FDragged = false;
        return;
    }
    if (IsClickDrag(FDragPoint, cursor)) FDragged = true;
    SetPosition(Left() + cursor.x - FDragPoint.x, Top() + cursor.y - FDragPoint.y);
    FDragPoint = cursor;
    // Placed by hand: a reload of the settings no longer moves it.
    if (settings::frmVDConfig) settings::frmVDConfig->FRestoreClickPos = false;
    StoreClickPosition();
}

void TfrmClick::Image1MouseUp() {
    if (!FDragged && !FRightPress)
        if (auto* e = Engine()) e->ShowPreviewFromTray();
    FDragged = false;
}

}  // namespace navigation
