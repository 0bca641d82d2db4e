#pragma once
// Pop-up menus described as a tree of items. The Win32 menu is built anew
// from the tree at each opening, so items may be added, hidden or rebuilt
// between openings (and in OnPopup, just before).
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/owned.h"
#include "framework/util_window.h"

namespace framework {

class MenuItem {
public:
    using ClickHandler = std::function<void(MenuItem&)>;

    MenuItem() = default;
    MenuItem(std::string name, std::string caption, ClickHandler onClick = {});
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    std::string Name;
    std::string Caption;          // "-" makes a separator
    std::string Hint;
    intptr_t Tag = 0;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;
    bool Checked = false;
    Bitmap Picture;               // shown beside the caption
    ClickHandler OnClick;
    // An item with either handler is measured and drawn by the program
    // (an owner-drawn item); DrawOwner says who set them, so that only
    // they clear them again.
    std::function<void(MenuItem&, HDC, UINT& width, UINT& height)> OnMeasureItem;
    std::function<void(MenuItem&, HDC, const RECT&, UINT state)> OnAdvancedDrawItem;
    const void* DrawOwner = nullptr;
    bool OwnerDrawn() const noexcept { return OnMeasureItem || OnAdvancedDrawItem; }
    MenuItem* Parent() const noexcept { return parent_; }

    MenuItem& Add(std::string name, std::string caption, ClickHandler onClick = {});
    MenuItem& AddSeparator(std::string name) { return Add(std::move(name), "-"); }
    void Delete(int index);
    void Clear();                 // frees the items from the last to the first
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    MenuItem& operator[](int index) const;
    MenuItem* Find(std::string_view name);   // this item or a descendant by name
    bool IsSeparator() const noexcept { return Caption == "-"; }

    // Runs the click handler, as choosing the item does; nothing for a
    // disabled item.
    void Click();

private:
    friend class PopupMenu;
    std::vector<std::unique_ptr<MenuItem>> items_;
    MenuItem* parent_ = nullptr;
    UINT command_ = 0;            // id in the menu last built
};

class PopupMenu {
public:
    PopupMenu();
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    MenuItem Items;               // the top level
    bool AutoPopup = true;
    void* PopupComponent = nullptr;   // who opened it last
    std::function<void()> OnPopup;
    // After OnPopup, before the Win32 menu is built from the items: a
    // painter takes over the items OnPopup has just added.
    std::function<void()> OnBuild;

    // Shows the menu at the screen point and returns when it closes. The
    // chosen item's click does not run inside: it is posted to the menu's
    // own window and runs from the message loop after this has returned, so
    // a command may end the program or free whoever opened the menu.
    void Popup(int x, int y);

    // The first top-level item that is both default and enabled, or none.
    MenuItem* DefaultItem();

    HWND Window() const noexcept { return window_.Handle(); }

    // Whoever keeps a pointer to the menu hears of its end here.
    void AddFreeNotification(const void* key, std::function<void()> onFree);
    void RemoveFreeNotification(const void* key);

private:
    HMENU BuildMenu(MenuItem& parent, UINT& nextCommand);
    MenuItem* FindCommand(MenuItem& parent, UINT command);
    bool HandleMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    bool MeasureItem(MEASUREITEMSTRUCT& m);
    bool DrawItem(const DRAWITEMSTRUCT& d);
    bool Holds(const MenuItem& parent, const MenuItem* item) const;

    UtilWindow window_;
    UINT generation_ = 0;
    struct FreeNotification {
        const void* key;
        std::function<void()> onFree;
    };
    std::vector<FreeNotification> freeNotifications_;
};

}  // namespace framework
