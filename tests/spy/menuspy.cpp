// Test hook library: reads the menu that another process has open. Menu
// handles cannot be read across processes under Wine, so the test sets a
// global WH_CALLWNDPROC hook with this library and sends the registered
// message "TessMenuSpyDump" to the open menu window (class "#32768"); inside
// the menu's process the hook writes the menu tree into the shared memory
// "TessMenuSpyText", one item per line: depth, tab, flags (S separator,
// G greyed, D default, P picture, U submenu), tab, caption.
#include <windows.h>
#include <cstring>
#include <string>

namespace {

constexpr UINT kGetMenuHandle = 0x01E1;   // MN_GETHMENU
constexpr size_t kTextSize = 65536;

UINT DumpMessage() {
    static const UINT msg = ::RegisterWindowMessageA("TessMenuSpyDump");
    return msg;
}

void Dump(HMENU menu, int depth, std::string& out) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[512] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        std::string flags;
        if (info.fType & MFT_SEPARATOR) flags += 'S';
        if (info.fState & MFS_GRAYED) flags += 'G';
        if (info.fState & MFS_DEFAULT) flags += 'D';
        if (info.hbmpItem) flags += 'P';
        if (info.hSubMenu) flags += 'U';
        out += std::to_string(depth) + "\t" + flags + "\t" + ((info.fType & MFT_SEPARATOR) ? "-" : text) + "\n";
        if (info.hSubMenu) Dump(info.hSubMenu, depth + 1, out);
    }
}

void Publish(const std::string& text) {
    HANDLE mapping = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, "TessMenuSpyText");
    if (!mapping) return;
    if (char* view = static_cast<char*>(::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kTextSize))) {
        size_t n = text.size() < kTextSize - 1 ? text.size() : kTextSize - 1;
        std::memcpy(view, text.data(), n);
        view[n] = '\0';
        ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuSpyProc(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
        if (call->message == DumpMessage()) {
            auto menu = reinterpret_cast<HMENU>(::SendMessageA(call->hwnd, kGetMenuHandle, 0, 0));
            std::string text;
            if (menu) Dump(menu, 0, text);
            Publish(menu ? text : "no menu\n");
        }
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}
