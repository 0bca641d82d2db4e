#pragma once
// TRxTrayIcon: one icon in the taskbar's notification area. It keeps the
// icon's picture and tip up to date, turns the shell's mouse callbacks into
// events, pops up its menu on a right click and runs the menu's default
// item on a double click. (Its icon list is kept for the frames of an
// animation that this program never runs.)
#include <windows.h>
#include <shellapi.h>
#include <functional>
#include <string>
#include <string_view>
#include "framework/popup_menu.h"
#include "framework/util_window.h"
#include "toolkit/icon_list.h"

namespace engine {

// The shell's callback message for the icon; lParam holds the mouse message.
constexpr UINT WM_TRAYICON = 0xB054;
constexpr size_t kMaxTipLength = 63;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned {
    ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2,
    ssLeft = 1u << 3, ssRight = 1u << 4, ssMiddle = 1u << 5, ssDouble = 1u << 6,
};
using TShiftState = unsigned;

// The short part of a hint: the text before the first "|".
std::string ShortHint(std::string_view hint);

// The one way the component reaches Shell_NotifyIconA, so that tests can
// watch the records it sends; an empty function restores the shell.
using NotifyIconFn = std::function<BOOL(DWORD message, const NOTIFYICONDATAA& data)>;
void SetNotifyIconFunction(NotifyIconFn fn);

class TRxTrayIcon {
public:
    using MouseEvent = std::function<void(TRxTrayIcon&, TMouseButton, TShiftState, int x, int y)>;
    using MouseMoveEvent = std::function<void(TRxTrayIcon&, TShiftState, int x, int y)>;
    using NotifyEvent = std::function<void(TRxTrayIcon&)>;

    // Stored as the component is read; nothing reaches the shell before
    // Loaded.
    explicit TRxTrayIcon(bool active = true);
    virtual ~TRxTrayIcon();
    TRxTrayIcon(const TRxTrayIcon&) = delete;
    TRxTrayIcon& operator=(const TRxTrayIcon&) = delete;

    // Adds the icon when active.
    void Loaded();

    bool Active() const noexcept { return active_; }
    void SetActive(bool value);
    bool Enabled = true;   // mouse callbacks turn into events
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(std::string_view value);
    toolkit::TIcon& Icon() noexcept { return icon_; }
    void SetIcon(const toolkit::TIcon* value) { icon_.Assign(value); }
    toolkit::TIconList& Icons() noexcept { return icons_; }
    void SetIcons(const toolkit::TIconList& value) { icons_.Assign(value); }
    framework::PopupMenu* PopupMenu() const noexcept { return popupMenu_; }
    void SetPopupMenu(framework::PopupMenu* menu);

    MouseEvent OnClick;
    NotifyEvent OnDblClick;
    MouseMoveEvent OnMouseMove;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;

    HWND Handle() const noexcept { return window_.Handle(); }   // the hidden window
    bool IconAdded() const noexcept { return added_; }
    const NOTIFYICONDATAA& IconData() const noexcept { return data_; }

protected:
    virtual void UpdateIconData();
    virtual void DblClick();
    virtual void Click(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

private:
    HICON CurrentIcon() const;
    void AddIcon();
    void DeleteIcon();
    void UpdateIcon();
    bool TryPopupMenu(int x, int y);
    bool HandleMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    void HandleTrayMessage(UINT mouseMessage);

    framework::UtilWindow window_;
    NOTIFYICONDATAA data_{};
    bool active_;
    bool loaded_ = false;
    bool added_ = false;
    bool leftDown_ = false;
    bool rightDown_ = false;
    std::string hint_;
    toolkit::TIcon icon_;
    toolkit::TIconList icons_;
    framework::PopupMenu* popupMenu_ = nullptr;
};

}  // namespace engine
