// Entries added to the system menus of managed windows: "Send application
// to" and "Send this window to", one item per desktop.
#include "engine/main_form.h"
#include <algorithm>
#include "engine/gtools.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

namespace texts {
constexpr char kSendApp[] = "Send application to";
constexpr char kSendWindow[] = "Send this window to";
}  // namespace texts

bool HasItem(HMENU menu, UINT id) {
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i)
        if (::GetMenuItemID(menu, i) == id) return true;
    return false;
}

void DeleteAllItems(HMENU menu) {
    for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
}

void AppendSubmenu(HMENU menu, UINT id, const char* caption, HMENU sub) {
    if (!sub) return;
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
    mii.wID = id;
    mii.hSubMenu = sub;
    mii.dwTypeData = const_cast<char*>(caption);
    ::InsertMenuItemA(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &mii);
}

}  // namespace

HMENU TfrmPTessarel::NewDesktopSubmenu(UINT firstId) {
    framework::Menu sub(::CreateMenu());
    if (!sub) return nullptr;
    const int count = IntMin(DesktopCount(), 9);
    for (int k = 1; k <= count; ++k) {
        std::string caption = settings::DesktopCaption(k, settings::DesktopName(k));
        ::InsertMenuA(sub.get(), static_cast<UINT>(k - 1), MF_BYPOSITION | MF_STRING, firstId + static_cast<UINT>(k - 1),
                      caption.c_str());
    }
    HMENU h = sub.get();
    sysMenuPopups_.push_back(std::move(sub));
    return h;
}

void TfrmPTessarel::AddSysMenuItems(HWND w) {
    if (!settings::CurrentSource() || !settings::Flag("sysmenui")) return;
    HMENU menu = ::GetSystemMenu(w, FALSE);
    if (!menu || HasItem(menu, IDM_SEPARATOR)) return;
    ::InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_SEPARATOR, IDM_SEPARATOR, nullptr);
    AppendSubmenu(menu, IDM_SEND_APP_MENU, texts::kSendApp, NewDesktopSubmenu(IDM_SEND_APP));
    AppendSubmenu(menu, IDM_SEND_WINDOW_MENU, texts::kSendWindow, NewDesktopSubmenu(IDM_SEND_WINDOW));
}

void TfrmPTessarel::DestroySubmenu(HMENU sub) {
    if (!sub || !::IsMenu(sub)) return;
    DeleteAllItems(sub);
    auto it = std::find_if(sysMenuPopups_.begin(), sysMenuPopups_.end(),
                           [sub](const framework::Menu& m) { return m.get() == sub; });
    if (it != sysMenuPopups_.end())
        it->reset();
    else
        ::DestroyMenu(sub);   // added by an earlier run of the program
}

void TfrmPTessarel::RemoveSysMenuItems(HWND w) {
    HMENU menu = ::GetSystemMenu(w, FALSE);
    if (!menu) return;
    for (int p = 0; p < ::GetMenuItemCount(menu);) {
        if (::GetMenuItemID(menu, p) != IDM_SEPARATOR) {
            ++p;
            continue;
        }
        DestroySubmenu(::GetSubMenu(menu, p + 1));
        DestroySubmenu(::GetSubMenu(menu, p + 2));
        // The submenus are already destroyed: take the entries out without
        // destroying them a second time.
        for (int i = 0; i < 3 && p < ::GetMenuItemCount(menu); ++i) ::RemoveMenu(menu, static_cast<UINT>(p), MF_BYPOSITION);
    }
    for (int p = 0; p < ::GetMenuItemCount(menu);) {
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_SUBMENU;
        if (::GetMenuItemInfoA(menu, static_cast<UINT>(p), TRUE, &mii) && mii.wID == IDM_SEND_WINDOW_MENU) {
            DestroySubmenu(mii.hSubMenu);
            ::RemoveMenu(menu, static_cast<UINT>(p), MF_BYPOSITION);
            continue;
        }
        ++p;
    }
}

void TfrmPTessarel::RemoveAllSysMenuItems() {
    ForEachTopWindowZOrder([this](HWND w) { RemoveSysMenuItems(w); }, true);
    for (auto& m : sysMenuPopups_)
        if (m && ::IsMenu(m.get())) m.reset();
        else m.release();
    sysMenuPopups_.clear();
}

}  // namespace engine
