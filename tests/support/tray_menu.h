#pragma once
// The running program's tray menu, opened and driven as the user does: a
// right click on the tray icon, then keys.
#include <windows.h>
#include <initializer_list>
#include <vector>

namespace e2e {

constexpr UINT kTrayCallback = 0xB054;

// The hidden windows of the program; the tray icon's is among them, and the
// others ignore its callback message.
std::vector<HWND> UtilWindows(DWORD pid);
void PostTray(DWORD pid, std::initializer_list<UINT> mouseMessages);
HWND OpenMenuWindow(DWORD pid);   // a menu of the program that is open, or 0
HWND OpenTrayMenu(DWORD pid);     // waited for; 0 when it did not open
void MenuKeys(HWND menu, std::initializer_list<WPARAM> keys);
void CloseMenus(DWORD pid);
// Opens the tray menu and chooses the item that is the n-th of those that
// can be chosen (0 the first); false when the menu did not open.
bool ChooseTrayItem(DWORD pid, int downs);

}  // namespace e2e
