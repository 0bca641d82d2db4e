// The desktop bar and the desktop name panel of the running program, seen
// from outside: a bar button switches, the marked button and the name follow
// every switch, and the bar's own menu docks it and writes "deskbar".
#include <gtest/gtest.h>
#include <string>
#include "support/program_test.h"
#include "support/registry_values.h"

using namespace e2e;

namespace {

constexpr int kFirstButtonId = 1000;   // desktop n's button has the id 1000 + n
constexpr int kStandOutLeft = -4;      // the current desktop's button on a left bar
constexpr int kInsetLeft = -6;

class DeskBarTest : public ProgramTest {
protected:
    void Prepare() override {
        WriteSetting("deskbar", 1);        // left
        WriteSetting("showdeskname", 1);
    }
    HWND TopOf(const std::string& cls) const {
        for (const auto& w : TopWindows())
            if (w.pid == program_->Pid() && w.cls == cls && w.visible) return w.wnd;
        return nullptr;
    }
    HWND WaitTop(const std::string& cls) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = TopOf(cls)) != nullptr; }, 10000);
        return found;
    }
    // Desktop n's button's left and top in the bar's client area.
    static POINT ButtonAt(HWND bar, int n) {
        HWND button = ::GetDlgItem(bar, kFirstButtonId + n);
        RECT r{};
        if (!button || !::GetWindowRect(button, &r)) return {-1000, -1000};
        ::MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top};
    }
    static bool Marked(HWND bar, int n, int count) {
        for (int k = 1; k <= count; ++k)
            if (ButtonAt(bar, k).x != (k == n ? kStandOutLeft : kInsetLeft)) return false;
        return true;
    }
    static std::string NameShown(HWND panel) {
        char text[100] = {};
        HWND label = ::GetWindow(panel, GW_CHILD);
        for (; label; label = ::GetWindow(label, GW_HWNDNEXT))
            if (ClassOf(label) == "Static") break;
        if (label) ::SendMessageTimeoutA(label, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                         SMTO_ABORTIFHUNG, 1000, nullptr);
        return text;
    }
    HWND OpenMenuWindow() const { return TopOf("#32768"); }
    void CloseMenus() {
        for (int i = 0; i < 3; ++i)
            if (HWND menu = OpenMenuWindow()) ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([&] { return OpenMenuWindow() == nullptr; }, 2000);
    }
    void TearDown() override {
        CloseMenus();
        ProgramTest::TearDown();
    }
};

}  // namespace

TEST_F(DeskBarTest, AButtonSwitchesAndTheMarkAndTheNameFollowEverySwitch) {
    Helper one({.cls = "TessBarOne", .title = "bar one"});
    HWND bar = WaitTop("TfrmDeskBar");
    ASSERT_NE(bar, nullptr) << "the bar is shown on the left";
    HWND panel = WaitTop("TfrmDeskName");
    ASSERT_NE(panel, nullptr) << "the name panel is shown";
    ASSERT_TRUE(WaitUntil([&] { return Marked(bar, 1, 4); }));
    EXPECT_EQ(NameShown(panel), " 1");
    EXPECT_EQ(::GetDlgItem(bar, kFirstButtonId + 5), nullptr) << "one button per desktop of the 1 x 4 grid";

    // A click on desktop 2's button.
    HWND two = ::GetDlgItem(bar, kFirstButtonId + 2);
    ASSERT_NE(two, nullptr);
    ::PostMessageA(two, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(two, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(Switched({}, {one.Window()}));
    EXPECT_TRUE(WaitUntil([&] { return Marked(bar, 2, 4); }));
    EXPECT_TRUE(WaitUntil([&] { return NameShown(panel) == " 2"; })) << NameShown(panel);

    // A switch from elsewhere moves the mark and the name too.
    SwitchTo("-s4", {}, {one.Window()});
    EXPECT_TRUE(WaitUntil([&] { return Marked(bar, 4, 4); }));
    EXPECT_TRUE(WaitUntil([&] { return NameShown(panel) == " 4"; })) << NameShown(panel);
    SwitchTo("-s1", {one.Window()}, {});
    EXPECT_TRUE(WaitUntil([&] { return Marked(bar, 1, 4); }));
    EXPECT_TRUE(WaitUntil([&] { return NameShown(panel) == " 1"; })) << NameShown(panel);
}

TEST_F(DeskBarTest, TheBarsMenuDocksItOnEachEdgeAndWritesTheValue) {
    HWND bar = WaitTop("TfrmDeskBar");
    ASSERT_NE(bar, nullptr);
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        int downs;    // from "Top" in the position menu
        int value;    // "deskbar"
        std::function<bool(const RECT&)> docked;
    };
    const Case cases[] = {
        {0, 3, [&](const RECT& r) { return r.top == 0 && r.bottom == 21 && r.left == 0 && r.right == w; }},
        {2, 2, [&](const RECT& r) { return r.right == w && r.left == w - 21 && r.top == 0; }},
        {3, 4, [&](const RECT& r) { return r.bottom < h && r.bottom - r.top == 21 && r.right == w; }},
        {1, 1, [&](const RECT& r) { return r.left == 0 && r.right == 21 && r.top == 0 && r.bottom == h; }},
    };
    for (const auto& c : cases) {
        ::PostMessageA(bar, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar), MAKELPARAM(5, 5));
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = OpenMenuWindow()) != nullptr; })) << "the bar's menu opens";
        // "Set desktopbar position", into its sub-menu, down to the edge, chosen.
        ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(menu, WM_KEYDOWN, VK_RIGHT, 0);
        for (int i = 0; i < c.downs; ++i) ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitUntil([&] { return RegistryValuesScope::GetInt("deskbar") == c.value; }))
            << "deskbar " << c.value;
        RECT r{};
        EXPECT_TRUE(WaitUntil([&] { return IsShown(bar) && ::GetWindowRect(bar, &r) && c.docked(r); }))
            << "deskbar " << c.value << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        ASSERT_TRUE(WaitUntil([&] { return OpenMenuWindow() == nullptr; }));
    }
}
