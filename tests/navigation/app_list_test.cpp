// The application list: its rules as tables, and the list itself run in
// this process over the windows of helper processes, which the engine of
// this process records as the program's would.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "framework/application.h"
#include "navigation/app_list.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/form_suite.h"
#include "support/gdi_objects.h"
#include "support/lock_prompt.h"
#include "support/registry_values.h"

using namespace e2e;
namespace al = navigation::app_list;
using navigation::frmAppList;

namespace {

constexpr DWORD kAppStyle = WS_OVERLAPPEDWINDOW;   // has a minimise box

TEST(AppListRules, TheTileFilter) {
    const al::TTileWindow app{true, 2, true, kAppStyle, 0, false};
    struct Case {
        const char* what;
        al::TTileWindow w;
        bool tile;
    };
    auto with = [&](auto change) {
        al::TTileWindow w = app;
        change(w);
        return w;
    };
    const Case cases[] = {
        {"an application window of the desktop", app, true},
        {"minimised, keeping its visible flag", with([](auto& w) { w.style |= WS_MINIMIZE; }), true},
        {"no record", with([](auto& w) { w.hasRecord = false; }), false},
        {"another desktop", with([](auto& w) { w.desktop = 3; }), false},
        {"hidden by itself (visible flag clear)", with([](auto& w) { w.visibleFlag = false; }), false},
        {"a tool window", with([](auto& w) { w.exStyle = WS_EX_TOOLWINDOW; }), false},
        {"an MDI child", with([](auto& w) { w.exStyle = WS_EX_MDICHILD; }), false},
        {"a client edge (low byte below $40)", with([](auto& w) { w.exStyle = WS_EX_CLIENTEDGE | WS_EX_TOPMOST; }), true},
        {"layered (above the low byte)", with([](auto& w) { w.exStyle = WS_EX_LAYERED | WS_EX_APPWINDOW; }), true},
        {"no minimise box", with([](auto& w) { w.style = WS_POPUP | WS_BORDER; }), false},
        {"a child", with([](auto& w) { w.style |= WS_CHILD; }), false},
        {"unmanaged", with([](auto& w) { w.unmanaged = true; }), false},
    };
    for (const Case& c : cases) EXPECT_EQ(al::TileFilter(c.w, 2), c.tile) << c.what;
}

TEST(AppListRules, TheFormAndItsTiles) {
    struct SizeCase {
        int tiles;
        SIZE size;
    } sizes[] = {{1, {302, 36}}, {2, {602, 36}}, {3, {602, 70}}, {4, {602, 70}}, {9, {602, 172}}};
    for (const auto& c : sizes) {
        const SIZE s = al::ListSize(c.tiles);
        EXPECT_EQ(s.cx, c.size.cx) << c.tiles;
        EXPECT_EQ(s.cy, c.size.cy) << c.tiles;
    }
    // Two columns filled row by row inside a frame of one pixel: with three
    // tiles, 1 and 2 share the first row and 3 sits alone on the left.
    struct TileCase {
        int n;
        RECT bounds;
    } tiles[] = {{1, {1, 1, 301, 35}}, {2, {301, 1, 601, 35}}, {3, {1, 35, 301, 69}}, {6, {301, 69, 601, 103}}};
    for (const auto& c : tiles) {
        const RECT r = al::TileBounds(c.n);
        EXPECT_TRUE(EqualRect(&r, &c.bounds)) << c.n << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(AppListRules, PlacedAtTheCursorAndPulledOntoTheScreen) {
    const SIZE screen{1280, 1024};
    struct Case {
        const char* what;
        int tiles;
        POINT cursor;
        POINT at;
    } cases[] = {
        {"centred on the cursor", 3, {640, 500}, {339, 465}},
        {"one tile", 1, {640, 500}, {489, 482}},
        {"near the bottom-right corner", 3, {1279, 1023}, {678, 954}},
        {"near the top-left corner", 3, {0, 0}, {0, 0}},
        {"past the right edge only", 4, {1270, 300}, {678, 265}},
    };
    for (const Case& c : cases) {
        const POINT p = engine::preview::MousePlacement(false, c.cursor, screen, al::ListSize(c.tiles));
        EXPECT_EQ(p.x, c.at.x) << c.what;
        EXPECT_EQ(p.y, c.at.y) << c.what;
    }
}

TEST(AppListRules, GroupedByDesktopThenProcessThenZOrder) {
    const std::vector<al::TTileKey> keys{
        {3, 0, 0}, {1, 1, 1}, {1, 0, 5}, {2, 0, 2}, {1, 0, 3}, {1, 1, 4},
    };
    EXPECT_EQ(al::TileOrder(keys), (std::vector<size_t>{4, 2, 1, 5, 3, 0}));
    EXPECT_TRUE(al::TileOrder({}).empty());
}

TEST(AppListRules, NumberTitleAndHiding) {
    EXPECT_EQ(al::TileNumber(false, 4), "4");
    EXPECT_EQ(al::TileNumber(true, 4), "-");
    EXPECT_EQ(al::TileTitle("Notes"), "Notes");
    EXPECT_EQ(al::TileTitle(std::string(300, 'x')), std::string(199, 'x'));

    struct Case {
        bool inside;
        DWORD since;
        bool menu;
        bool hide;
    } cases[] = {
        {true, 5000, false, false},   // inside counts whatever the time
        {false, 2000, false, false},  // not yet: more than 2 seconds
        {false, 2001, false, true},
        {false, 60000, true, false},  // its menu is open
    };
    for (const Case& c : cases) EXPECT_EQ(al::HideNow(c.inside, c.since, c.menu), c.hide) << c.since << c.menu;
}

// The list in this process --------------------------------------------------------

// A scan that started after now has run: every window open now is met.
void ScannedOnce() {
    const uint32_t seen = Main().FScanCounter;
    WaitUntil([seen] { return Main().FScanCounter >= seen + 2; }, 5000);
}

void SwitchTo(int n) {
    Main().RequestDesktop(n);
    ASSERT_TRUE(WaitUntil([n] { return Main().FCurrentDesktop == n; }, 5000)) << n;
}

// The tiles' windows and what each shows, in the list's order.
struct Shown {
    HWND window;
    std::string badge;
    std::string text;
};
std::vector<Shown> Tiles() {
    std::vector<Shown> out;
    for (size_t i = 0; i < frmAppList->TileCount(); ++i)
        out.push_back({frmAppList->TileWindow(i), frmAppList->Tile(i).Badge(), frmAppList->Tile(i).Text()});
    return out;
}
const Shown* TileOf(const std::vector<Shown>& tiles, HWND w) {
    auto it = std::find_if(tiles.begin(), tiles.end(), [w](const Shown& s) { return s.window == w; });
    return it == tiles.end() ? nullptr : &*it;
}

class AppListTest : public FormSuite<frmAppList> {
protected:
    void SetUp() override {
        Settings().Reset();
        auto& m = Main();
        m.FGridCols = 1;
        m.FGridRows = 4;
        m.FStickyList->Clear();
        m.InvalidateStickyCache();
        m.FSelectedWindow = nullptr;
        m.FPressedDesktop = 0;
        if (m.FCurrentDesktop != 1) SwitchTo(1);
        ::SetCursorPos(640, 500);
    }
    void TearDown() override {
        frmAppList->HideAppList();
        Pump(50);
    }
    // Opens the list (from hidden) and answers whether it shows.
    bool Open() {
        if (frmAppList->Visible()) frmAppList->ToggleAppList();
        frmAppList->ToggleAppList();
        return frmAppList->Visible();
    }
    void Place(HWND w, int desktop) {
        ASSERT_TRUE(Recorded(w));
        ASSERT_TRUE(Main().SetWindowDesktop(w, desktop, false));
    }
};

}  // namespace

TEST_F(AppListTest, EveryApplicationWindowOnItsDesktopsTileAndNoOther) {
    Helper one({.cls = "TessListOne", .title = "one", .count = 2});
    Helper two({.cls = "TessListTwo", .title = "two"});
    Helper three({.cls = "TessListThree", .title = "three"});
    Helper pinned({.cls = "TessListPinned", .title = "pinned"});
    Helper popup({.cls = "TessListPopup", .title = "popup", .popup = true});
    Helper gone({.cls = "TessListGone", .title = "gone"});
    Main().SetSticky("TessListPinned", true);
    Place(two.Window(), 2);
    Place(three.Window(), 3);
    ASSERT_TRUE(Recorded(gone.Window()));
    // A window its own program hides on the current desktop loses its
    // visible flag at the next scan.
    ::PostMessageA(gone.Window(), kHelperHide, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(gone.Window()); }));
    ASSERT_TRUE(Recorded(popup.Window()));
    ScannedOnce();

    ASSERT_TRUE(Open());
    const auto tiles = Tiles();
    struct Expect {
        HWND w;
        const char* badge;   // none: no tile
        std::string text;
    } expected[] = {
        {one.Window(0), "1", TitleOf(one.Window(0))}, {one.Window(1), "1", TitleOf(one.Window(1))}, {two.Window(), "2", "two"},
        {three.Window(), "3", "three"}, {pinned.Window(), "-", "pinned"},
        {popup.Window(), nullptr, ""}, {gone.Window(), nullptr, ""},
    };
    for (const Expect& e : expected) {
        const Shown* tile = TileOf(tiles, e.w);
        if (!e.badge) {
            EXPECT_EQ(tile, nullptr) << "a tile for " << TitleOf(e.w);
            continue;
        }
        ASSERT_NE(tile, nullptr) << "no tile for " << TitleOf(e.w);
        EXPECT_EQ(tile->badge, e.badge) << e.text;
        EXPECT_EQ(tile->text, e.text);
    }
    // Grouped by desktop: the desktops never go down along the tiles (the
    // sticky window lies on the desktop it was met on, the first).
    int last = 0;
    for (const Shown& t : tiles) {
        const int d = DesktopOf(t.window);
        EXPECT_GE(d, last) << t.text;
        last = d;
    }
    // The two windows of one process follow each other, the upper first.
    const auto first = std::find_if(tiles.begin(), tiles.end(), [&](const Shown& s) { return s.window == one.Window(0) || s.window == one.Window(1); });
    ASSERT_NE(first, tiles.end());
    ASSERT_NE(first + 1, tiles.end());
    EXPECT_TRUE((first + 1)->window == one.Window(0) || (first + 1)->window == one.Window(1));

    // The form: two columns of 300 x 34 in a frame, at the cursor.
    const SIZE size = al::ListSize(static_cast<int>(tiles.size()));
    EXPECT_EQ(frmAppList->Width(), size.cx);
    EXPECT_EQ(frmAppList->Height(), size.cy);
    EXPECT_EQ(::GetForegroundWindow(), frmAppList->Handle());
    EXPECT_TRUE(::GetWindowLongA(frmAppList->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // The toggle: a second call hides it.
    frmAppList->ToggleAppList();
    EXPECT_FALSE(frmAppList->Visible());
}

TEST_F(AppListTest, ThreeTilesNearTheCornerArePulledOntoTheScreen) {
    Helper three({.cls = "TessListCorner", .title = "corner", .count = 3});
    for (HWND w : three.Windows()) ASSERT_TRUE(Recorded(w));
    ScannedOnce();
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    ::SetCursorPos(screenW - 1, screenH - 1);
    ASSERT_TRUE(Open());
    // Only this helper's windows may be listed here; others of the test
    // machine would change the count.
    ASSERT_EQ(frmAppList->TileCount(), 3u);
    const RECT r = frmAppList->BoundsRect();
    EXPECT_EQ(r.right, screenW);
    EXPECT_EQ(r.bottom, screenH);
    EXPECT_EQ(r.right - r.left, 602);
    EXPECT_EQ(r.bottom - r.top, 70);
    const RECT third = frmAppList->Tile(2).Bounds();
    EXPECT_EQ(third.left, 1);
    EXPECT_EQ(third.top, 35);
}

TEST_F(AppListTest, NothingToListOpensNothing) {
    ScannedOnce();
    EXPECT_FALSE(Open());
    EXPECT_EQ(frmAppList->TileCount(), 0u);
}

TEST_F(AppListTest, HoverSelectsTheTilesWindowForTheWindowMenu) {
    Helper a({.cls = "TessListHoverA", .title = "hover a"});
    Helper b({.cls = "TessListHoverB", .title = "hover b"});
    Place(b.Window(), 2);
    ScannedOnce();
    ASSERT_TRUE(Open());
    const auto tiles = Tiles();
    for (HWND w : {a.Window(), b.Window()}) {
        size_t i = 0;
        while (i < tiles.size() && tiles[i].window != w) ++i;
        ASSERT_LT(i, tiles.size());
        ::SendMessageA(frmAppList->Tile(i).Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(Main().FSelectedWindow, w);
        EXPECT_EQ(Main().FPressedDesktop, DesktopOf(w));
        for (size_t k = 0; k < frmAppList->TileCount(); ++k)
            EXPECT_EQ(frmAppList->Tile(k).Color(), k == i ? navigation::kTileHoverColor : navigation::kTileColor);
    }
}

// A window of a private desktop other than the current one keeps a tile,
// but it names nothing: the padlock in place of the icon, no title, no
// selection for the window menu; and a click asks for the password first.
TEST_F(AppListTest, ALockedPrivateDesktopsWindowIsHiddenBehindThePassword) {
    RegistryValuesScope pwd({"pwdlocal"});
    LockPromptAnswers answers;
    Helper secret({.cls = "TessListSecret", .title = "secret title"});
    Place(secret.Window(), 2);
    Settings().privateDesktops = {2};
    ScannedOnce();

    ASSERT_TRUE(Open());
    const auto tiles = Tiles();
    const Shown* tile = TileOf(tiles, secret.Window());
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->badge, "2");
    EXPECT_EQ(tile->text, navigation::app_list_texts::kLockedTitle);
    for (size_t i = 0; i < frmAppList->TileCount(); ++i) {
        EXPECT_EQ(TitleOf(frmAppList->Tile(i).Handle()).find("secret"), std::string::npos);
        if (frmAppList->TileWindow(i) != secret.Window()) continue;
        ::SendMessageA(frmAppList->Tile(i).Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(Main().FSelectedWindow, nullptr);
        EXPECT_EQ(Main().FPressedDesktop, 2);
    }

    // Refused: nothing happens, the window stays hidden on its desktop.
    answers.accept = false;
    frmAppList->TileClick(secret.Window());
    ASSERT_EQ(answers.reasons.size(), 1u);
    EXPECT_EQ(answers.reasons[0], navigation::app_list_texts::kShowPrivatePassword);
    EXPECT_EQ(Main().FRequestedDesktop, 1);
    EXPECT_FALSE(frmAppList->Visible());
    Pump(300);
    EXPECT_FALSE(IsShown(secret.Window()));

    // The password: the switch arrives unlocked and shows the window.
    answers.accept = true;
    frmAppList->TileClick(secret.Window());
    EXPECT_EQ(answers.reasons.size(), 2u);
    ASSERT_TRUE(WaitUntil([] { return Main().FCurrentDesktop == 2; }));
    EXPECT_TRUE(Main().FDesktopUnlocked);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(secret.Window()); }));

    // Back on desktop 1 and again to 2 some other way: locked as ever.
    SwitchTo(1);
    SwitchTo(2);
    EXPECT_FALSE(Main().FDesktopUnlocked);
    SwitchTo(1);
}

TEST_F(AppListTest, AnOpenListFollowsAMoveOnceItIsDone) {
    Helper a({.cls = "TessListMove", .title = "moving"});
    ASSERT_TRUE(Recorded(a.Window()));
    ScannedOnce();
    ASSERT_TRUE(Open());
    ASSERT_NE(TileOf(Tiles(), a.Window()), nullptr);
    EXPECT_EQ(TileOf(Tiles(), a.Window())->badge, "1");
    ASSERT_TRUE(Main().SetWindowDesktop(a.Window(), 3, false));
    ASSERT_TRUE(WaitUntil([&] {
        const auto tiles = Tiles();
        const Shown* t = TileOf(tiles, a.Window());
        return t && t->badge == "3";
    }));
    EXPECT_TRUE(frmAppList->Visible());
}

// The list is built anew at every opening: the icons extracted for its
// tiles go with them.
TEST_F(AppListTest, TwoHundredOpeningsLeakNoGdiObjects) {
    Helper a({.cls = "TessListLeakA", .title = "leak a", .count = 3});
    ChildProcess notepad("C:\\windows\\system32\\notepad.exe", "");
    HWND pad = WaitForWindow("", "Notepad", notepad.Pid(), 10000);
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(Recorded(pad));
    ScannedOnce();
    auto openAndClose = [this] {
        ASSERT_TRUE(Open());
        ::UpdateWindow(frmAppList->Handle());
        for (size_t i = 0; i < frmAppList->TileCount(); ++i) ::UpdateWindow(frmAppList->Tile(i).Handle());
        frmAppList->ToggleAppList();
    };
    for (int i = 0; i < 10; ++i) openAndClose();
    ASSERT_GE(frmAppList->TileCount(), 4u);
    const int before = GdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 200; ++i) openAndClose();
    EXPECT_EQ(GdiObjects(), before);
    notepad.Kill();
}
