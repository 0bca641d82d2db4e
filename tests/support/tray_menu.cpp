#include "support/tray_menu.h"
#include "support/e2e.h"

namespace e2e {

std::vector<HWND> UtilWindows(DWORD pid) {
    std::vector<HWND> out;
    for (const auto& w : TopWindows())
        if (w.pid == pid && w.cls == "TPUtilWindow") out.push_back(w.wnd);
    return out;
}

void PostTray(DWORD pid, std::initializer_list<UINT> mouseMessages) {
    for (UINT m : mouseMessages)
        for (HWND w : UtilWindows(pid)) ::PostMessageA(w, kTrayCallback, 0, m);
}

HWND OpenMenuWindow(DWORD pid) {
    for (const auto& w : TopWindows())
        if (w.pid == pid && w.cls == "#32768" && w.visible) return w.wnd;
    return nullptr;
}

HWND OpenTrayMenu(DWORD pid) {
    PostTray(pid, {WM_RBUTTONDOWN, WM_RBUTTONUP});
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = OpenMenuWindow(pid)) != nullptr; }, 5000);
    return menu;
}

void MenuKeys(HWND menu, std::initializer_list<WPARAM> keys) {
    for (WPARAM k : keys) {
        ::PostMessageA(menu, WM_KEYDOWN, k, 0);
        Pump(30);
    }
}

void CloseMenus(DWORD pid) {
    for (int i = 0; i < 3; ++i)
        if (HWND menu = OpenMenuWindow(pid)) MenuKeys(menu, {VK_ESCAPE});
    WaitUntil([&] { return OpenMenuWindow(pid) == nullptr; }, 2000);
}

bool ChooseTrayItem(DWORD pid, int downs) {
    HWND menu = OpenTrayMenu(pid);
    if (!menu) return false;
    for (int i = 0; i < downs; ++i) MenuKeys(menu, {VK_DOWN});
    MenuKeys(menu, {VK_RETURN});
    return true;
}

}  // namespace e2e
