// Pop-up menus: what the open menu holds, and that a chosen item's click
// runs only after the menu has closed and Popup has returned.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "framework/popup_menu.h"
#include "framework/timer.h"
#include "support/e2e.h"

using framework::MenuItem;
using framework::PopupMenu;

namespace {

// The open menu of this thread: the pop-up window of class "#32768".
HWND OpenMenuWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM l) -> BOOL {
        char cls[32] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "#32768" && ::IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(l) = w;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs the action once the menu is open, from a timer inside the menu's loop.
void WhileOpen(PopupMenu& menu, std::function<void(HWND menuWindow, HMENU handle)> action) {
    bool done = false;
    framework::Timer t(20, [&] {
        HWND w = OpenMenuWindow();
        if (done || !w) return;
        done = true;
        action(w, reinterpret_cast<HMENU>(::SendMessageA(w, 0x01E1 /* MN_GETHMENU */, 0, 0)));
    });
    menu.Popup(100, 100);
    EXPECT_TRUE(done) << "the menu never opened";
}

void PressKeys(HWND menuWindow, std::initializer_list<WPARAM> keys) {
    for (WPARAM k : keys) ::PostMessageA(menuWindow, WM_KEYDOWN, k, 0);
}

struct ShownItem {
    std::string caption;
    UINT state;
    bool separator;
    bool submenu;
    bool picture;
};

std::vector<ShownItem> ItemsOf(HMENU m) {
    std::vector<ShownItem> out;
    for (int i = 0; i < ::GetMenuItemCount(m); ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        ::GetMenuItemInfoA(m, static_cast<UINT>(i), TRUE, &info);
        out.push_back({text, info.fState, (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu != nullptr,
                       info.hbmpItem != nullptr});
    }
    return out;
}

}  // namespace

TEST(PopupMenu, OpenMenuShowsTheVisibleItemsInOrderWithTheirStates) {
    PopupMenu menu;
    menu.Items.Add("a", "First");
    menu.Items.AddSeparator("n1");
    menu.Items.Add("hidden", "Never shown").Visible = false;
    menu.Items.Add("off", "Greyed").Enabled = false;
    MenuItem& sub = menu.Items.Add("sub", "More");
    sub.Add("s1", "Inner one");
    sub.Add("s2", "Inner two").Default = true;
    menu.Items.Add("dflt", "Chosen by default").Default = true;
    HDC screen = ::GetDC(nullptr);
    menu.Items.Find("a")->Picture.reset(::CreateCompatibleBitmap(screen, 20, 20));
    ::ReleaseDC(nullptr, screen);
    bool popped = false;
    menu.OnPopup = [&] { popped = true; };

    std::vector<ShownItem> top, inner;
    WhileOpen(menu, [&](HWND w, HMENU m) {
        top = ItemsOf(m);
        inner = ItemsOf(::GetSubMenu(m, 3));
        PressKeys(w, {VK_ESCAPE});
    });
    EXPECT_TRUE(popped);
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top[0].caption, "First");
    EXPECT_TRUE(top[0].picture);
    EXPECT_TRUE(top[1].separator);
    EXPECT_EQ(top[2].caption, "Greyed");
    EXPECT_TRUE(top[2].state & MFS_GRAYED);
    EXPECT_EQ(top[3].caption, "More");
    EXPECT_TRUE(top[3].submenu);
    EXPECT_EQ(top[4].caption, "Chosen by default");
    EXPECT_TRUE(top[4].state & MFS_DEFAULT);
    EXPECT_FALSE(top[0].state & (MFS_GRAYED | MFS_DEFAULT));
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[1].caption, "Inner two");
}

TEST(PopupMenu, ChosenItemRunsAfterTheMenuHasClosedAndPopupReturned) {
    PopupMenu menu;
    std::vector<std::string> clicks;
    bool insidePopup = false;
    menu.Items.Add("one", "One", [&](MenuItem&) { clicks.push_back(insidePopup ? "one inside" : "one"); });
    menu.Items.Add("two", "Two", [&](MenuItem& item) { clicks.push_back(item.Name); });

    insidePopup = true;
    WhileOpen(menu, [&](HWND w, HMENU) { PressKeys(w, {VK_DOWN, VK_DOWN, VK_RETURN}); });
    insidePopup = false;
    EXPECT_TRUE(clicks.empty()) << "the click ran inside the menu";
    e2e::WaitUntil([&] { return !clicks.empty(); }, 2000);
    EXPECT_EQ(clicks, std::vector<std::string>{"two"});

    // Nothing chosen: nothing runs.
    WhileOpen(menu, [&](HWND w, HMENU) { PressKeys(w, {VK_ESCAPE}); });
    e2e::Pump(100);
    EXPECT_EQ(clicks.size(), 1u);
}

TEST(PopupMenu, ItemFreedBeforeItsCommandArrivesIsNotClicked) {
    PopupMenu menu;
    int clicks = 0;
    menu.Items.Add("one", "One", [&](MenuItem&) { ++clicks; });
    WhileOpen(menu, [&](HWND w, HMENU) { PressKeys(w, {VK_DOWN, VK_RETURN}); });
    menu.Items.Clear();
    menu.Items.Add("other", "Other", [&](MenuItem&) { ++clicks; });
    e2e::Pump(200);
    EXPECT_EQ(clicks, 0);
}

TEST(PopupMenu, DefaultItemIsTheFirstDefaultAndEnabledTopLevelItem) {
    PopupMenu menu;
    EXPECT_EQ(menu.DefaultItem(), nullptr);
    MenuItem& off = menu.Items.Add("off", "Off");
    off.Default = true;
    off.Enabled = false;
    EXPECT_EQ(menu.DefaultItem(), nullptr);
    menu.Items.Add("sub", "Sub").Add("inner", "Inner").Default = true;
    EXPECT_EQ(menu.DefaultItem(), nullptr) << "only the top level counts";
    MenuItem& on = menu.Items.Add("on", "On");
    on.Default = true;
    menu.Items.Add("later", "Later").Default = true;
    EXPECT_EQ(menu.DefaultItem(), &on);
}

TEST(PopupMenu, DisabledItemIgnoresClickAndFreeNotificationFires) {
    int clicks = 0;
    bool freed = false;
    {
        PopupMenu menu;
        MenuItem& item = menu.Items.Add("x", "X", [&](MenuItem&) { ++clicks; });
        item.Enabled = false;
        item.Click();
        EXPECT_EQ(clicks, 0);
        item.Enabled = true;
        item.Click();
        EXPECT_EQ(clicks, 1);
        int other = 0;
        menu.AddFreeNotification(&other, [&] { freed = true; });
        menu.AddFreeNotification(&clicks, [] { FAIL() << "removed notification fired"; });
        menu.RemoveFreeNotification(&clicks);
    }
    EXPECT_TRUE(freed);
}
