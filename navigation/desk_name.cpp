#include "navigation/desk_name.h"
#include <shellapi.h>
#include <algorithm>
#include "engine/subsystem_links.h"
#include "framework/dialogs.h"
#include "framework/registry.h"
#include "navigation/enter_pwd.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"
#include "settings/vd_config.h"

namespace navigation {
namespace {

constexpr COLORREF kPanelColor = 0xD0E8E8;
constexpr BYTE kPanelAlpha = 196;
constexpr int kPanelHeight = 20;
constexpr int kLockWidth = 23, kLockHeight = 18;
constexpr int kTextSpare = 6;       // beside the name and the button
constexpr int kCornerGap = 24;      // between the panel and the screen's corner
constexpr COLORREF kGlyphInk = RGB(64, 64, 64);
constexpr COLORREF kGlyphLocked = RGB(200, 150, 40);
constexpr COLORREF kGlyphOpen = RGB(150, 180, 150);

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "lbDeskName", nullptr, 0, 3, 80, 16, "", 0},
    {framework::Kind::Custom, "btnLock", nullptr, 80, 1, kLockWidth, kLockHeight, "", 0},
};

int TextWidth(HWND w, std::string_view text) {
    HDC dc = ::GetDC(w);
    if (!dc) return 0;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(w, WM_GETFONT, 0, 0)));
    SIZE ext{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &ext);
    ::SelectObject(dc, old);
    ::ReleaseDC(w, dc);
    return ext.cx;
}

}  // namespace

SIZE ScreenSize() noexcept { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

TaskbarPlace AskTaskbarPlace() {
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    TaskbarPlace place;
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &data)) place = {data.uEdge, data.rc};
    return place;
}

// Placement -----------------------------------------------------------------------------
std::optional<POINT> DeskNamePlace(SIZE screen, SIZE panel, DeskNameDistances d, const TaskbarPlace& taskbar) {
    if (d.Set()) {
        // Distances kept from a larger screen would put the panel out of reach.
        const LONG left = std::clamp<LONG>(screen.cx - d.x - panel.cx, 0, std::max<LONG>(0, screen.cx - panel.cx));
        const LONG top = std::clamp<LONG>(screen.cy - d.y, 0, std::max<LONG>(0, screen.cy - panel.cy));
        return POINT{left, top};
    }
    const LONG tbw = taskbar.rect.right - taskbar.rect.left, tbh = taskbar.rect.bottom - taskbar.rect.top;
    switch (taskbar.edge) {
    case ABE_LEFT:
    case ABE_TOP: return POINT{screen.cx - panel.cx - kCornerGap, screen.cy - panel.cy};
    case ABE_RIGHT: return POINT{screen.cx - tbw - panel.cx - kCornerGap, screen.cy - panel.cy};
    case ABE_BOTTOM: return POINT{screen.cx - panel.cx - kCornerGap, screen.cy - tbh - panel.cy};
    default: return std::nullopt;
    }
}

DeskNameDistances DistancesOf(SIZE screen, const RECT& panel) noexcept {
    return {screen.cx - panel.left - (panel.right - panel.left), screen.cy - panel.top};
}

// The lock button -----------------------------------------------------------------------
TLockButton::TLockButton(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), "TDeskNameLock") {
    ClickOnRelease();
}

void TLockButton::SetLocked(bool locked) {
    locked_ = locked;
    Invalidate();
}

void TLockButton::Paint(HDC dc, const RECT& client) const {
    framework::Brush back = SolidBrush(MouseInside() ? RGB(240, 248, 248) : kPanelColor);
    ::FillRect(dc, &client, back.get());
    if (MouseInside()) ::FrameRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    // A 16 x 16 padlock in the middle: the shackle closes on the body when locked.
    const int x = (client.right - client.left - 16) / 2 + (Pressed() ? 1 : 0);
    const int y = (client.bottom - client.top - 16) / 2 + (Pressed() ? 1 : 0);
    framework::Pen ink(::CreatePen(PS_SOLID, 2, kGlyphInk));
    HGDIOBJ oldPen = ::SelectObject(dc, ink.get());
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    const int shackleLeft = locked_ ? x + 4 : x + 9;
    ::Arc(dc, shackleLeft, y + 1, shackleLeft + 8, y + 11, shackleLeft + 8, y + 5, shackleLeft, y + 5);
    ::MoveToEx(dc, shackleLeft, y + 5, nullptr);
    ::LineTo(dc, shackleLeft, y + 8);
    ::MoveToEx(dc, shackleLeft + 7, y + 5, nullptr);
    ::LineTo(dc, shackleLeft + 7, locked_ ? y + 8 : y + 6);
    framework::Brush body = SolidBrush(locked_ ? kGlyphLocked : kGlyphOpen);
    ::SelectObject(dc, body.get());
    ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(dc, x + 2, y + 8, x + 14, y + 16);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
}

LRESULT TLockButton::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    if (m == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return CustomControl::HandleMessage(m, w, l);
}

// The label -----------------------------------------------------------------------------
HBRUSH TDeskNameLabel::OnColor(HDC dc) {
    static const framework::Brush background(::CreateSolidBrush(kPanelColor));
    ::SetBkColor(dc, kPanelColor);
    return background.get();
}

// The panel -----------------------------------------------------------------------------
TfrmDeskName::TfrmDeskName() : Form("frmDeskName") {
    btnLock.OnClick = [this] { btnLockClick(); };
}

TfrmDeskName::~TfrmDeskName() {
    DestroyHandle();
    if (frmDeskName == this) frmDeskName = nullptr;
}

void TfrmDeskName::CreateControls() { ApplyLayout(kLayout); }

void TfrmDeskName::FormCreate() {
    SetColor(kPanelColor);
    SetAlpha(kPanelAlpha, true);
    SetBounds(0, 0, 120, kPanelHeight);
    framework::Registry reg;
    if (reg.OpenKeyReadOnly(settings::kSettingsKey))
        FDist = {reg.ReadInteger(kDeskNameXValue, -1), reg.ReadInteger(kDeskNameYValue, -1)};
}

void TfrmDeskName::UpdateDeskName(int desktop) {
    FDesktop = desktop;
    if (!settings::Flag("showdeskname") || engine::links::LockCoverShown()) {
        ::ShowWindow(Handle(), SW_HIDE);
        return;
    }
    const std::string text = " " + settings::DesktopName(desktop);
    lbDeskName.SetCaption(text);
    const int labelWidth = TextWidth(lbDeskName.Handle(), text);
    const int width = labelWidth + kLockWidth + kTextSpare;
    SetBounds(Left(), Top(), width, kPanelHeight);
    lbDeskName.SetBounds(0, 3, width - kLockWidth, kPanelHeight - 3);
    btnLock.SetBounds(width - kLockWidth, 1, kLockWidth, kLockHeight);
    PlaceDeskName();
    UpdateLockGlyph();
    ::ShowWindow(Handle(), SW_SHOWNA);
}

void TfrmDeskName::PlaceDeskName() {
    if (auto at = DeskNamePlace(ScreenSize(), {Width(), Height()}, FDist, AskTaskbarPlace()))
        SetBounds(at->x, at->y, Width(), Height());
}

void TfrmDeskName::UpdateLockGlyph() { btnLock.SetLocked(settings::IsPrivate(FDesktop)); }

void TfrmDeskName::btnLockClick() {
    if (!settings::frmVDConfig || FDesktop < 1 || FDesktop > 9) return;
    if (ReadLockValue(kLocalDigestValue).empty()) {
        framework::MessageBox(lock_texts::kSetPasswordFirst, lock_texts::kSetPasswordCaption, MB_ICONERROR, Handle());
        if (!engine::links::ChangeLockPassword()) return;
    }
    auto& dialog = *settings::frmVDConfig;
    const auto n = static_cast<size_t>(FDesktop);
    // Making a desktop public opens its windows to everyone: that needs the
    // password; making it private does not.
    if (dialog.FLocked[n] && !engine::links::AskLockPassword(deskname_texts::kUnlockReason)) return;
    dialog.FLocked[n] = !dialog.FLocked[n];
    dialog.FLockedPending[n] = dialog.FLocked[n];
    dialog.ApplyLockBoxes();
    if (!dialog.Visible()) dialog.SaveSettings();
    UpdateLockGlyph();
}

// Dragging: the label lets the mouse through to the form.
LRESULT TfrmDeskName::Dispatch(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_LBUTTONDOWN: {
        POINT p;
        ::GetCursorPos(&p);
        BeginDrag(p);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_ && (w & MK_LBUTTON)) {
            POINT p;
            ::GetCursorPos(&p);
            Drag(p);
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) EndDrag();
        return 0;
    case WM_CAPTURECHANGED:
        if (dragging_ && reinterpret_cast<HWND>(l) != Handle()) EndDrag();
        return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return Form::Dispatch(m, w, l);
    }
}

void TfrmDeskName::BeginDrag(POINT cursor) {
    FDragOffset = {cursor.x - Left(), cursor.y - Top()};
    dragging_ = true;
    ::SetCapture(Handle());
}

void TfrmDeskName::Drag(POINT cursor) { SetPosition(cursor.x - FDragOffset.x, cursor.y - FDragOffset.y); }

void TfrmDeskName::EndDrag() {
    dragging_ = false;
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    // Even a click without a move makes the present place the user's own.
    FDist = DistancesOf(ScreenSize(), BoundsRect());
    framework::Registry reg;
    if (reg.OpenKey(settings::kSettingsKey, true)) {
        reg.WriteInteger(kDeskNameXValue, FDist.x);
        reg.WriteInteger(kDeskNameYValue, FDist.y);
    }
}

}  // namespace navigation
