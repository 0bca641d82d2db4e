#pragma once
// The program's own window messages: from the hook library and second starts.
#include <windows.h>

namespace engine {

// The hook library, loaded by name from beside the program.
constexpr char kHookLibraryName[] = "PTSH120.dll";

constexpr UINT WM_HOOK_ACTIVATE = 0x401;     // wParam window, lParam 1 on activation
constexpr UINT WM_HOOK_HOTKEY = 0x402;       // wParam command
constexpr UINT WM_HOOK_SYSMENU = 0x403;      // wParam window, lParam menu item id
constexpr UINT WM_HOOK_WINDOWSHOWN = 0x404;  // wParam window, lParam 1 when created or shown
constexpr UINT WM_SWITCH_DESKTOP = 0x658;    // wParam character code
constexpr UINT WM_KILL_INSTANCE = 0x69A;
constexpr UINT WM_SHOW_POLL = 0x69B;

// Hotkey commands of WM_HOOK_HOTKEY beyond the desktop numbers 1..9.
constexpr int kHotkeyRight = 11, kHotkeyLeft = 12, kHotkeyUp = 13, kHotkeyDown = 14;
constexpr int kHotkeyChordCtrl0 = 23, kHotkeyChordCtrlWin = 24, kHotkeyChordCtrlGrave = 25;

// System-menu entries added to managed windows.
constexpr UINT IDM_SEPARATOR = 0xCD10;
constexpr UINT IDM_SEND_APP_MENU = 0xCD11;
constexpr UINT IDM_SEND_APP = 0xCD01;        // + desktop - 1
constexpr UINT IDM_SEND_WINDOW_MENU = 0xCE11;
constexpr UINT IDM_SEND_WINDOW = 0xCE01;     // + desktop - 1

constexpr char kMainClassName[] = "TfrmPTessarel";

// Posted by the program to a window of another program, read there by the
// hook library: the window's thread takes its keyboard focus again. A
// registered message, so that no program mistakes it for one of its own.
constexpr char kTakeFocusMessageName[] = "Pelmora.Tessarel.TakeKeyboardFocus";
inline UINT TakeFocusMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageA(kTakeFocusMessageName);
    return message;
}

}  // namespace engine
