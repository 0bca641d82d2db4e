#include "engine/tray_icon.h"
#include <algorithm>
#include "framework/application.h"
#include "framework/form.h"
#include "framework/guard.h"
#include "toolkit/utility_routines.h"

namespace engine {
namespace {

NotifyIconFn& NotifyIconHook() {
    static NotifyIconFn fn;
    return fn;
}

bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) {
    if (NotifyIconHook()) return NotifyIconHook()(message, data) != FALSE;
    return ::Shell_NotifyIconA(message, &data) != FALSE;
}

TShiftState KeyShiftState() {
    TShiftState shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

}  // namespace

std::string ShortHint(std::string_view hint) { return std::string(hint.substr(0, hint.find('|'))); }

void SetNotifyIconFunction(NotifyIconFn fn) { NotifyIconHook() = std::move(fn); }

TRxTrayIcon::TRxTrayIcon(bool active)
    : window_([this](UINT m, WPARAM w, LPARAM l, LRESULT& r) { return HandleMessage(m, w, l, r); }),
      active_(active) {
    data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = window_.Handle();
    data_.uID = 0;
    icon_.OnChange = [this] { UpdateIcon(); };
    icons_.OnChange = [this] { UpdateIcon(); };
}

TRxTrayIcon::~TRxTrayIcon() {
    Enabled = false;
    icon_.OnChange = nullptr;
    icons_.OnChange = nullptr;
    SetPopupMenu(nullptr);
    framework::Guard([this] { DeleteIcon(); });
}

void TRxTrayIcon::Loaded() {
    loaded_ = true;
    if (active_) AddIcon();
}

void TRxTrayIcon::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (!loaded_) return;
    if (value)
        AddIcon();
    else
        DeleteIcon();
}

void TRxTrayIcon::SetHint(std::string_view value) {
    if (value == hint_) return;
    hint_ = std::string(value);
    UpdateIcon();
}

void TRxTrayIcon::SetPopupMenu(framework::PopupMenu* menu) {
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (popupMenu_) popupMenu_->AddFreeNotification(this, [this] { popupMenu_ = nullptr; });
}

HICON TRxTrayIcon::CurrentIcon() const { return icon_.Empty() ? nullptr : icon_.Handle(); }

void TRxTrayIcon::UpdateIconData() {
    data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = window_.Handle();
    data_.uID = 0;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = WM_TRAYICON;
    HICON icon = CurrentIcon();
    data_.hIcon = icon ? icon : reinterpret_cast<HICON>(static_cast<intptr_t>(-1));
    std::string tip = ShortHint(hint_).substr(0, kMaxTipLength);
    std::fill(std::begin(data_.szTip), std::end(data_.szTip), '\0');
    tip.copy(data_.szTip, kMaxTipLength);
}

void TRxTrayIcon::AddIcon() {
    DeleteIcon();
    if (!CurrentIcon()) return;   // an empty icon is never added
    leftDown_ = rightDown_ = false;
    UpdateIconData();
    added_ = NotifyIcon(NIM_ADD, data_);
    if (added_ && ShortHint(hint_).empty()) NotifyIcon(NIM_MODIFY, data_);
}

void TRxTrayIcon::DeleteIcon() {
    NotifyIcon(NIM_DELETE, data_);
    added_ = false;
    leftDown_ = rightDown_ = false;
}

void TRxTrayIcon::UpdateIcon() {
    if (!loaded_) return;
    if (added_) {
        if (!CurrentIcon()) {
            DeleteIcon();
        } else {
            UpdateIconData();
            NotifyIcon(NIM_MODIFY, data_);
        }
    } else if (active_) {
        AddIcon();
    }
}

bool TRxTrayIcon::HandleMessage(UINT msg, WPARAM, LPARAM l, LRESULT& result) {
    if (msg != WM_TRAYICON || !Enabled) return false;
    result = 0;
    HandleTrayMessage(static_cast<UINT>(l));
    return true;
}

void TRxTrayIcon::HandleTrayMessage(UINT mouseMessage) {
    POINT p{};
    ::GetCursorPos(&p);
    TShiftState shift = KeyShiftState();
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        MouseMove(shift, p.x, p.y);
        break;
    case WM_LBUTTONDOWN:
        MouseDown(TMouseButton::mbLeft, shift | ssLeft, p.x, p.y);
        leftDown_ = true;
        break;
    case WM_LBUTTONUP:
        shift |= ssLeft;
        if (leftDown_) {
            leftDown_ = false;
            Click(TMouseButton::mbLeft, shift, p.x, p.y);
        }
        MouseUp(TMouseButton::mbLeft, shift, p.x, p.y);
        break;
    case WM_LBUTTONDBLCLK:
        DblClick();
        MouseDown(TMouseButton::mbLeft, shift | ssDouble, p.x, p.y);
        break;
    case WM_RBUTTONDOWN:
        MouseDown(TMouseButton::mbRight, shift | ssRight, p.x, p.y);
        rightDown_ = true;
        break;
    case WM_RBUTTONUP:
        shift |= ssRight;
        if (rightDown_) {
            rightDown_ = false;
            Click(TMouseButton::mbRight, shift, p.x, p.y);
        }
        MouseUp(TMouseButton::mbRight, shift, p.x, p.y);
        break;
    case WM_RBUTTONDBLCLK:
        MouseDown(TMouseButton::mbRight, shift | ssDouble, p.x, p.y);
        break;
    case WM_MBUTTONDOWN:
        MouseDown(TMouseButton::mbMiddle, shift | ssMiddle, p.x, p.y);
        break;
    case WM_MBUTTONUP:
        MouseUp(TMouseButton::mbMiddle, shift | ssMiddle, p.x, p.y);
        break;
    case WM_MBUTTONDBLCLK:
        MouseDown(TMouseButton::mbMiddle, shift | ssDouble, p.x, p.y);
        break;
    default:
        break;
    }
}

void TRxTrayIcon::DblClick() {
    if (active_ && popupMenu_) {
        if (framework::MenuItem* item = popupMenu_->DefaultItem()) {
            item->Click();
            return;
        }
    }
    if (OnDblClick) OnDblClick(*this);
}

void TRxTrayIcon::Click(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbRight && TryPopupMenu(x, y)) return;
    if (OnClick) OnClick(*this, button, shift, x, y);
}

void TRxTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TRxTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TRxTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

bool TRxTrayIcon::TryPopupMenu(int x, int y) {
    if (!active_ || !popupMenu_ || !popupMenu_->AutoPopup) return false;
    popupMenu_->PopupComponent = this;
    framework::Form* form = framework::Form::FromHandle(::GetActiveWindow());
    if (!form) form = framework::App().MainForm();
    if (form && form->Handle()) ::SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
    // A menu of a window that is not in the foreground would stay open
    // after a click elsewhere.
    toolkit::ActivateWindow(window_.Handle(), false);
    framework::App().ProcessMessages();
    if (!popupMenu_) return false;   // freed by a message just processed
    struct RefocusOnExit {
        HWND w;
        ~RefocusOnExit() { toolkit::ActivateWindow(w, false); }
    } refocus{window_.Handle()};
    popupMenu_->Popup(x, y);
    return true;
}

}  // namespace engine
