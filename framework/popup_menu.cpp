#include "framework/popup_menu.h"
#include <algorithm>
#include "framework/guard.h"

namespace framework {

MenuItem::MenuItem(std::string name, std::string caption, ClickHandler onClick)
    : Name(std::move(name)), Caption(std::move(caption)), OnClick(std::move(onClick)) {}

MenuItem& MenuItem::Add(std::string name, std::string caption, ClickHandler onClick) {
    items_.push_back(std::make_unique<MenuItem>(std::move(name), std::move(caption), std::move(onClick)));
    items_.back()->parent_ = this;
    return *items_.back();
}

MenuItem& MenuItem::operator[](int index) const {
    if (index < 0 || index >= Count()) throw Exception("Menu index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

void MenuItem::Delete(int index) {
    (void)(*this)[index];
    items_.erase(items_.begin() + index);
}

void MenuItem::Clear() {
    while (!items_.empty()) items_.pop_back();
}

MenuItem* MenuItem::Find(std::string_view name) {
    if (Name == name) return this;
    for (auto& item : items_)
        if (MenuItem* found = item->Find(name)) return found;
    return nullptr;
}

void MenuItem::Click() {
    if (!Enabled || !OnClick) return;
    // The handler may rebuild the menu this item belongs to: keep a copy.
    ClickHandler handler = OnClick;
    handler(*this);
}

PopupMenu::PopupMenu()
    : window_([this](UINT m, WPARAM w, LPARAM l, LRESULT& r) { return HandleMessage(m, w, l, r); }) {}

PopupMenu::~PopupMenu() {
    auto notifications = std::move(freeNotifications_);
    for (auto& n : notifications) Guard([&] { n.onFree(); });
}

void PopupMenu::AddFreeNotification(const void* key, std::function<void()> onFree) {
    RemoveFreeNotification(key);
    freeNotifications_.push_back({key, std::move(onFree)});
}

void PopupMenu::RemoveFreeNotification(const void* key) {
    std::erase_if(freeNotifications_, [key](const FreeNotification& n) { return n.key == key; });
}

MenuItem* PopupMenu::DefaultItem() {
    for (int i = 0; i < Items.Count(); ++i)
        if (Items[i].Default && Items[i].Enabled) return &Items[i];
    return nullptr;
}

HMENU PopupMenu::BuildMenu(MenuItem& parent, UINT& nextCommand) {
    Menu menu(::CreatePopupMenu());
    if (!menu) throw Exception("Cannot create a menu");
    UINT position = 0;
    for (auto& owned : parent.items_) {
        MenuItem& item = *owned;
        item.command_ = 0;
        if (!item.Visible) continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        if (item.OwnerDrawn()) {
            // The item itself is handed to WM_MEASUREITEM and WM_DRAWITEM.
            info.fMask = MIIM_FTYPE | MIIM_DATA;
            info.fType = MFT_OWNERDRAW | (item.IsSeparator() ? MFT_SEPARATOR : 0u);
            info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
        }
        if (item.IsSeparator()) {
            info.fMask |= MIIM_FTYPE;
            info.fType |= MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING | MIIM_ID | MIIM_STATE;
            info.dwTypeData = item.Caption.data();
            info.fState = (item.Enabled ? MFS_ENABLED : MFS_GRAYED) | (item.Default ? MFS_DEFAULT : 0u) |
                          (item.Checked ? MFS_CHECKED : 0u);
            item.command_ = nextCommand++;
            info.wID = item.command_;
            if (item.Picture) {   // also for owner-drawn items: tools read the picture
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = item.Picture.get();
            }
            if (item.Count() > 0) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = BuildMenu(item, nextCommand);
            }
        }
        if (!::InsertMenuItemA(menu.get(), position++, TRUE, &info)) {
            if (info.hSubMenu) ::DestroyMenu(info.hSubMenu);
            throw Exception("Cannot add the menu item " + item.Name);
        }
    }
    return menu.release();
}

void PopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup();
    if (OnBuild) OnBuild();
    UINT nextCommand = 1;
    Menu menu(BuildMenu(Items, nextCommand));
    UINT generation = ++generation_;
    int chosen = ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0,
                                  window_.Handle(), nullptr);
    if (chosen > 0)
        ::PostMessageA(window_.Handle(), WM_COMMAND, static_cast<WPARAM>(chosen), static_cast<LPARAM>(generation));
}

MenuItem* PopupMenu::FindCommand(MenuItem& parent, UINT command) {
    for (auto& item : parent.items_) {
        if (item->command_ == command) return item.get();
        if (MenuItem* found = FindCommand(*item, command)) return found;
    }
    return nullptr;
}

bool PopupMenu::Holds(const MenuItem& parent, const MenuItem* item) const {
    for (const auto& owned : parent.items_)
        if (owned.get() == item || Holds(*owned, item)) return true;
    return false;
}

bool PopupMenu::MeasureItem(MEASUREITEMSTRUCT& m) {
    auto* item = reinterpret_cast<MenuItem*>(m.itemData);
    // Only an item of this menu's tree, and one that still wants drawing.
    if (m.CtlType != ODT_MENU || !Holds(Items, item) || !item->OnMeasureItem) return false;
    WindowDc screen(nullptr);
    auto measure = item->OnMeasureItem;
    measure(*item, screen.get(), m.itemWidth, m.itemHeight);
    return true;
}

bool PopupMenu::DrawItem(const DRAWITEMSTRUCT& d) {
    auto* item = reinterpret_cast<MenuItem*>(d.itemData);
    if (d.CtlType != ODT_MENU || !Holds(Items, item) || !item->OnAdvancedDrawItem) return false;
    auto draw = item->OnAdvancedDrawItem;
    draw(*item, d.hDC, d.rcItem, d.itemState);
    return true;
}

bool PopupMenu::HandleMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (msg == WM_MEASUREITEM) {
        result = TRUE;
        return MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(l));
    }
    if (msg == WM_DRAWITEM) {
        result = TRUE;
        return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    }
    if (msg != WM_COMMAND) return false;
    result = 0;
    // A command of a menu that has been built again since is stale.
    if (static_cast<UINT>(l) != generation_) return true;
    UINT command = LOWORD(w);
    if (command == 0) return true;
    if (MenuItem* item = FindCommand(Items, command)) item->Click();
    return true;
}

}  // namespace framework
