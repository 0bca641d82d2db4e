// The settings dialog's page row, option hints and the rules between its
// options, driven through the real dialog's controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "settings/vd_config.h"
#include "settings/vd_config_pages.h"
#include "settings/vd_config_rules.h"
#include "support/e2e.h"

using settings::TfrmVDConfig;

namespace {

constexpr char kKey[] = "Software\\Pelmora\\Tessarel";

void StoreDword(const char* name, DWORD v) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    ::RegCloseKey(key);
}

struct Shown {
    std::string text, caption;
    UINT flags;
};

class DialogPages : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            messages.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
    }
    void TearDown() override {
        if (settings::frmVDConfig) framework::App().FreeForm(settings::frmVDConfig);
        framework::SetMessageBoxAnswerer({});
        e2e::ResetUserState();
    }
    TfrmVDConfig& Open() {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(settings::frmVDConfig);
        app.SetMainForm(before);   // closing the dialog must not end the test program
        return *settings::frmVDConfig;
    }
    TfrmVDConfig& OpenShown() {
        TfrmVDConfig& dlg = Open();
        dlg.Show();
        EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowVisible(dlg.Handle()) != FALSE; }));
        return dlg;
    }
    // A click on item i of a radio group, as the user gives it.
    static void ChooseItem(const toolkit::RadioGroup& group, int i) {
        HWND button = ::GetDlgItem(group.Handle(), 0xA000 + i);
        ASSERT_NE(button, nullptr) << group.Name() << " " << i;
        ::SendMessageA(button, BM_CLICK, 0, 0);
    }
    static void Press(HWND w) { ::SendMessageA(w, BM_CLICK, 0, 0); }
    // Moves the mouse and waits until the system reports it there: the
    // display's own news of earlier moves may still be on their way.
    static void MoveMouse(int x, int y) {
        ::SetCursorPos(x, y);
        EXPECT_TRUE(e2e::WaitUntil([&] {
            POINT p{};
            return ::GetCursorPos(&p) && p.x == x && p.y == y;
        })) << x << "," << y;
    }
    // Puts the mouse on the middle of a window and lets the dialog's tick see it.
    static void PointAt(TfrmVDConfig& dlg, HWND w) {
        RECT r{};
        ::GetWindowRect(w, &r);
        dlg.TickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // The numbers of the lit hover pictures.
    static std::vector<int> Lit(const TfrmVDConfig& dlg) {
        std::vector<int> lit;
        for (int n = 12; n <= 23; ++n)
            if (dlg.Images[n].Visible()) lit.push_back(n);
        return lit;
    }
    static void MouseAway(TfrmVDConfig& dlg) {
        dlg.TickAt({dlg.Left() + 300, dlg.Top() + 440});   // beside the dialog's buttons, on its background
    }

    std::vector<Shown> messages;
};

}  // namespace

// Pure rules ---------------------------------------------------------------------

TEST(OptionHints, EachEngineOptionHasItsTextAndOtherTagsNone) {
    const std::optional<std::string_view> expected[] = {
        std::nullopt,
        "If checked, Virtual Desktop will automatically switch to the desktop where a window is being shown or "
        "activated, except if that application is listed on the ignore list! If this option is not enabled, you can "
        "define a watch list with applications that are going to trigger automatic desktop changes if needed.",
        "If checked, no windows can escape their desktop in no circumstance. Be extra careful when using this "
        "option. You may miss important message windows. If not checked, new windows (for example messageboxes) of "
        "applications residing in inactive desktops MAY appear on the current desktop.",
        "If checked, all desktops can have different sets of desktop shortcuts. Only icons created for the current "
        "user are moved. Icon positions will be retained. May slow down desktop switching.",
        "Snapshot recovery takes stability to the extremes. If the virtual desktop is normally or abnormally "
        "terminated and restarted for some reason, most application windows will be restored to the desktops they "
        "were running before the stop occurred.",
        "If checked, all desktops can have different sets of quicklaunch shortcuts (see the taskbar near the Start "
        "button). Only icons created for the current user are moved. Icon positions will not be retained.",
        "If checked, Pelmora Virtual Desktop will start everytime you start Windows.",
        "If checked, Pelmora Virtual Desktop will assume all Microsoft IE windows as if they were separate "
        "applications so that they can be moved separately.",
        "If checked, Pelmora Virtual Desktop will attempt to restore input focus to the proper window after "
        "returning to a previously used desktop. Will NOT work with asynchronous window handling!!! Use this option "
        "to gain usability in exchange for a bit of performance.",
        "If checked, application windows will be hidden/recovered at a faster rate when changing desktop, but input "
        "focus issues may occur.",
        std::nullopt,
    };
    for (int tag = 0; tag <= 10; ++tag) EXPECT_EQ(settings::OptionHint(tag), expected[tag]) << tag;
    EXPECT_EQ(settings::OptionHint(-1), std::nullopt);
    EXPECT_EQ(settings::OptionHint(104), std::nullopt);
}

TEST(PageRow, ButtonsOpenTheirPagesAndTheListButtonFollowsTheFollowOption) {
    struct Case {
        int tag;
        bool follow;
        int page;
    };
    const Case cases[] = {{1, false, 1},  {101, false, 1}, {6, true, 6},   {110, false, 10}, {12, true, 12},
                          {4, true, 4},   {4, false, 5},   {104, true, 4}, {104, false, 5},  {105, false, 5}};
    for (const Case& c : cases) EXPECT_EQ(settings::PageOfButton(c.tag, c.follow), c.page) << c.tag;

    struct Lit {
        int tag;
        bool inside;
        int page;
        bool lit;
    };
    const Lit lit[] = {{3, false, 3, true},  {3, false, 4, false}, {3, true, 1, true},  {4, false, 4, true},
                       {4, false, 5, true},  {5, false, 5, true},  {12, false, 5, false}, {1, false, 2, false}};
    for (const Lit& c : lit) EXPECT_EQ(settings::HoverLit(c.tag, c.inside, c.page), c.lit) << c.tag << " " << c.page;
}

TEST(OptionRules, OnlyTheShiftFamilyClashesBetweenListAndPreviewAndTheMenuMustBeItsOwn) {
    // Triggers: 0 none, 1 double ctrl, 2 double shift, 3 double shift + ctrl,
    // 4 Ctrl + 0, 8 double left shift, 9 double right shift.
    struct Shift {
        int chosen, other;
        bool clash;
    };
    const Shift shift[] = {{8, 2, true}, {2, 2, true}, {3, 9, true},  {1, 1, false},
                           {4, 4, false}, {2, 1, false}, {0, 2, false}, {5, 8, false}};
    for (const Shift& c : shift) EXPECT_EQ(settings::ShiftTriggersClash(c.chosen, c.other), c.clash) << c.chosen << "/" << c.other;

    struct Menu {
        int menu, list, prev;
        bool clash;
    };
    const Menu menu[] = {{4, 4, 0, true}, {4, 0, 4, true}, {0, 0, 0, false}, {5, 4, 6, false}, {2, 8, 9, false}};
    for (const Menu& c : menu) EXPECT_EQ(settings::MainMenuTriggerClash(c.menu, c.list, c.prev), c.clash) << c.menu;
}

TEST(OptionRules, ThePreviewFitsWhenItsFrameStaysInsideTheScreen) {
    struct Case {
        int prevSize, width, height;
        bool fits;
    };
    const Case cases[] = {
        {0, 1024, 768, true},  {0, 990, 768, false}, {0, 991, 768, true},  {0, 1024, 730, false},
        {0, 1024, 731, true},  {1, 800, 600, false}, {2, 800, 600, true},  {3, 640, 480, true},
        {2, 690, 600, false},  {7, 811, 596, true},  {7, 810, 596, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::PreviewFitsScreen(c.prevSize, c.width, c.height), c.fits)
            << c.prevSize << " " << c.width << "x" << c.height;
}

// The real dialog ----------------------------------------------------------------

TEST_F(DialogPages, PageButtonsShowTheirPanelsWithTheirPictures) {
    auto& dlg = Open();
    for (int n = 1; n <= 23; ++n) {
        EXPECT_TRUE(dlg.Images[n].HasPicture()) << n;
        if (n <= 11) {
            EXPECT_EQ(dlg.Images[n].Left(), 30 + 49 * (n - 1)) << n;
        }
    }
    for (int n = 12; n <= 22; ++n) {
        EXPECT_EQ(dlg.Images[n].Left(), dlg.Images[n - 11].Left()) << n;
        EXPECT_EQ(dlg.Images[n].Tag, dlg.Images[n - 11].Tag + 100) << n;
    }
    auto shownPanel = [&] {
        std::vector<std::string> shown;
        for (const char* p : {"pnGeneral", "pnHotkeys", "pnSticky", "pnIgnore", "pnWatch", "pnLayout", "pnAutoSend",
                              "pnWall", "pnRes", "pnGesture", "pnNames", "pnPrivate"})
            if (dlg.FindControl(p)->Visible()) shown.push_back(p);
        return shown.size() == 1 ? shown[0] : std::string("(") + std::to_string(shown.size()) + " panels)";
    };
    struct Case {
        int image;
        bool follow;
        const char* panel;
    };
    const Case cases[] = {{3, false, "pnHotkeys"}, {11, false, "pnPrivate"}, {7, false, "pnWatch"},
                          {7, true, "pnIgnore"},   {18, false, "pnWatch"},   {12, false, "pnGeneral"},
                          {2, false, "pnLayout"},  {10, false, "pnRes"}};
    for (const Case& c : cases) {
        dlg.cbFollow.SetChecked(c.follow);
        Press(dlg.Images[c.image].Handle());
        EXPECT_EQ(shownPanel(), c.panel) << "Image" << c.image;
        const framework::Control* panel = dlg.FindControl(c.panel);
        EXPECT_EQ(panel->Left(), 120);
        EXPECT_EQ(panel->Top(), 96);
        EXPECT_EQ(dlg.FCurrentPage, panel->Tag);
    }
    // A click of the mouse, as well as a program's BM_CLICK.
    ::SendMessageA(dlg.Images[5].Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageA(dlg.Images[5].Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(shownPanel(), "pnSticky");
    // Released outside: no click.
    ::SendMessageA(dlg.Images[6].Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageA(dlg.Images[6].Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    EXPECT_EQ(shownPanel(), "pnSticky");
}

TEST_F(DialogPages, TheHoverPicturesLightUnderTheMouseForThePageShownAndForBothListPages) {
    auto& dlg = OpenShown();
    MouseAway(dlg);
    EXPECT_EQ(Lit(dlg), std::vector<int>{12}) << "page 1 is lit at opening";

    PointAt(dlg, dlg.Images[3].Handle());   // the hotkeys button, page 2
    EXPECT_EQ(Lit(dlg), (std::vector<int>{12, 14}));
    MouseAway(dlg);
    EXPECT_EQ(Lit(dlg), std::vector<int>{12});

    dlg.cbFollow.SetChecked(false);
    Press(dlg.Images[7].Handle());
    ASSERT_EQ(dlg.FCurrentPage, 5);
    MouseAway(dlg);
    EXPECT_EQ(Lit(dlg), std::vector<int>{18}) << "the list button stays lit on the watch page";
    dlg.cbFollow.SetChecked(true);
    Press(dlg.Images[7].Handle());
    ASSERT_EQ(dlg.FCurrentPage, 4);
    MouseAway(dlg);
    EXPECT_EQ(Lit(dlg), std::vector<int>{18}) << "and on the ignore page";

    // The lit picture lies over its button and takes its clicks.
    PointAt(dlg, dlg.Images[9].Handle());
    RECT r{};
    ::GetWindowRect(dlg.Images[9].Handle(), &r);
    EXPECT_EQ(::WindowFromPoint({r.left + 20, r.top + 20}), dlg.Images[20].Handle());
    Press(dlg.Images[20].Handle());
    EXPECT_EQ(dlg.FCurrentPage, 8);

    // The timer does it by itself while the dialog is shown, and stops when hidden.
    MouseAway(dlg);
    dlg.ShowPage(9);
    EXPECT_TRUE(dlg.Timer1.Enabled());
    EXPECT_TRUE(e2e::WaitUntil([&] { return dlg.Images[21].Visible() && !dlg.Images[18].Visible(); }));
    dlg.Hide();
    EXPECT_FALSE(dlg.Timer1.Enabled());
    EXPECT_EQ(dlg.FCurrentPage, 1);
}

TEST_F(DialogPages, TheEngineOptionsExplainThemselvesUnderTheMouse) {
    auto& dlg = OpenShown();
    EXPECT_FALSE(dlg.lbHint.Visible());
    struct Case {
        const char* control;
        int hint;   // 0: hidden
    };
    const Case cases[] = {{"cbFollow", 1},      {"cbStrict", 2}, {"cbDistIcons", 3}, {"lbSnapShot", 4},
                          {"cbDistQL", 5},      {"cbLoad", 6},   {"cbIESepar", 7},   {"cbRetainFocus", 8},
                          {"cbSysmenu", 0},     {"cbAsync", 9}};
    dlg.cbRetainFocus.SetChecked(false);
    dlg.UpdateControlStates();
    for (const Case& c : cases) {
        PointAt(dlg, dlg.FindControl(c.control)->Handle());
        EXPECT_EQ(dlg.lbHint.Visible(), c.hint != 0) << c.control;
        if (c.hint) {
            EXPECT_EQ(dlg.lbHint.Caption(), settings::OptionHint(c.hint).value()) << c.control;
        }
    }
    // The sheet itself, right of its options.
    RECT sheet{};
    ::GetWindowRect(dlg.FindControl("tsCore")->Handle(), &sheet);
    PointAt(dlg, dlg.cbStrict.Handle());
    dlg.TickAt({sheet.right - 6, sheet.top + 30});
    EXPECT_FALSE(dlg.lbHint.Visible());
    EXPECT_EQ(dlg.lbHint.Caption(), settings::OptionHint(2).value()) << "hiding keeps the text";

    // A disabled option leaves the mouse to the sheet under it.
    PointAt(dlg, dlg.cbLoad.Handle());
    ASSERT_TRUE(dlg.lbHint.Visible());
    dlg.cbRetainFocus.SetChecked(true);
    dlg.UpdateControlStates();
    PointAt(dlg, dlg.cbAsync.Handle());
    EXPECT_FALSE(dlg.lbHint.Visible());

    // The combo beside the snapshot label keeps the hint as it is.
    PointAt(dlg, dlg.FindControl("lbSnapShot")->Handle());
    PointAt(dlg, dlg.cbSnapShot.Handle());
    EXPECT_TRUE(dlg.lbHint.Visible());
    EXPECT_EQ(dlg.lbHint.Caption(), settings::OptionHint(4).value());
}

TEST_F(DialogPages, DoubleTapTriggersFollowTheirRulesWithTheirMessages) {
    struct Case {
        const char* what;
        int applist, deskprev, mainmenu;    // before
        char group;                         // 'a', 'd' or 'm': the group clicked
        int choice;
        int applistAfter, deskprevAfter, mainmenuAfter;
        const char* message;                // nullptr: none
    };
    constexpr const char* kShift = "You can use \"doublehit shift\" hotkey only for one function!";
    constexpr const char* kUsed = "This hotkey option is already used!";
    const Case cases[] = {
        {"left shift for the list while the preview has shift", 5, 2, 0, 'a', 8, 8, 0, 0, kShift},
        {"shift + ctrl for the preview while the list has right shift", 9, 0, 0, 'd', 3, 0, 3, 0, kShift},
        {"double ctrl for both", 1, 0, 0, 'd', 1, 1, 1, 0, nullptr},
        {"Ctrl + 0 for both", 4, 0, 0, 'd', 4, 4, 4, 0, nullptr},
        {"the menu on the list's Ctrl + 0", 4, 0, 0, 'm', 4, 4, 0, 0, kUsed},
        {"the menu on the preview's double ctrl", 5, 1, 0, 'm', 1, 5, 1, 0, kUsed},
        {"the menu on a free shift trigger", 2, 0, 0, 'm', 9, 2, 0, 9, nullptr},
        {"the list's own choice again (no change, no check)", 2, 0, 0, 'a', 2, 2, 0, 0, nullptr},
    };
    auto& dlg = Open();
    for (const Case& c : cases) {
        dlg.rgApplist.SetItemIndex(c.applist);
        dlg.rgDeskprev.SetItemIndex(c.deskprev);
        dlg.rgMainMenu.SetItemIndex(c.mainmenu);
        messages.clear();
        ChooseItem(c.group == 'a' ? dlg.rgApplist : c.group == 'd' ? dlg.rgDeskprev : dlg.rgMainMenu, c.choice);
        EXPECT_EQ(dlg.rgApplist.ItemIndex(), c.applistAfter) << c.what;
        EXPECT_EQ(dlg.rgDeskprev.ItemIndex(), c.deskprevAfter) << c.what;
        EXPECT_EQ(dlg.rgMainMenu.ItemIndex(), c.mainmenuAfter) << c.what;
        if (!c.message) {
            EXPECT_TRUE(messages.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(messages[0].caption, "Warning!");
        EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    }
}

TEST_F(DialogPages, StoredTriggersAreLoadedAsTheyAreWithoutMessages) {
    StoreDword("hotkeyapplist", 2);
    StoreDword("hotkeydeskprev", 8);
    StoreDword("hotkeymainmenu", 2);
    StoreDword("prevsize", 0);
    auto& dlg = Open();
    EXPECT_EQ(dlg.rgApplist.ItemIndex(), 2);
    EXPECT_EQ(dlg.rgDeskprev.ItemIndex(), 8);
    EXPECT_EQ(dlg.rgMainMenu.ItemIndex(), 2);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DialogPages, APreviewSizeThatDoesNotFitTheScreenIsWarnedOfAndKept) {
    auto& dlg = Open();
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    const SIZE preview[] = {{960, 720}, {780, 585}, {660, 495}, {480, 360}};
    for (int pick : {3, 0, 2, 1}) {
        messages.clear();
        ChooseItem(dlg.rgPrevSize, pick);
        EXPECT_EQ(dlg.rgPrevSize.ItemIndex(), pick);
        const SIZE p = preview[pick];
        const bool fits = p.cx + 30 < w && p.cy + 10 < h;
        ASSERT_EQ(messages.size(), fits ? 0u : 1u) << pick << " on " << w << "x" << h;
        if (!fits) {
            EXPECT_EQ(messages[0].text, "Desktop preview window will NOT fit the screen in the current resolution!");
            EXPECT_EQ(messages[0].caption, "Warning!");
            EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
        }
    }
}

TEST_F(DialogPages, RestoringFocusUnchecksAndDisablesAsynchronousHandling) {
    auto& dlg = Open();
    Press(dlg.cbRetainFocus.Handle());   // default checked: now unchecked
    ASSERT_FALSE(dlg.cbRetainFocus.Checked());
    EXPECT_TRUE(dlg.cbAsync.Enabled());
    Press(dlg.cbAsync.Handle());
    ASSERT_TRUE(dlg.cbAsync.Checked());
    Press(dlg.cbRetainFocus.Handle());
    EXPECT_TRUE(dlg.cbRetainFocus.Checked());
    EXPECT_FALSE(dlg.cbAsync.Checked());
    EXPECT_FALSE(dlg.cbAsync.Enabled());
    EXPECT_EQ(settings::Flag("async"), false);
    Press(dlg.cbRetainFocus.Handle());
    EXPECT_TRUE(dlg.cbAsync.Enabled());
    EXPECT_FALSE(dlg.cbAsync.Checked()) << "unchecking does not bring it back";
}

TEST_F(DialogPages, UnsafeModesRefillTheListsAndAStoredFlagIsListedAtLoad) {
    auto& dlg = Open();
    EXPECT_FALSE(dlg.lbUnsafeWarning.Visible());
    for (int n = 1; n <= 9; ++n) dlg.cbRes(n).SetItemIndex(dlg.cbRes(n).Count() - 1);
    Press(dlg.cbUnsafe.Handle());
    EXPECT_TRUE(dlg.lbUnsafeWarning.Visible());
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(dlg.cbRes(n).ItemIndex(), 0) << n;
        EXPECT_EQ(dlg.cbRes(n).Item(0), "(windows default)");
    }
    Press(dlg.cbUnsafe.Handle());
    EXPECT_FALSE(dlg.lbUnsafeWarning.Visible());
    framework::App().FreeForm(settings::frmVDConfig);

    // Stored checked: the lists hold the unsafe modes before the stored choices are found in them.
    StoreDword("unsafemodes", 1);
    auto& again = Open();
    EXPECT_TRUE(again.cbUnsafe.Checked());
    EXPECT_TRUE(again.lbUnsafeWarning.Visible());
    EXPECT_EQ(again.DisplayModeFlags(), static_cast<DWORD>(EDS_RAWMODE));
}

TEST_F(DialogPages, TheBackgroundDragsTheDialogAndThePagesDoNot) {
    auto& dlg = OpenShown();
    // Under Wine the display may still report an earlier place of the new
    // window while the test waits for the mouse, so each move is measured
    // from where the dialog stands just before the message that moves it.
    struct Moved {
        int dx, dy;
    };
    auto drag = [&](POINT from, int dx, int dy, bool expectMove) {
        POINT screen = from;
        ::ClientToScreen(dlg.Handle(), &screen);
        MoveMouse(screen.x, screen.y);
        ::SendMessageA(dlg.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        MoveMouse(screen.x + dx, screen.y + dy);
        const int left = dlg.Left(), top = dlg.Top();
        // The dialog follows the cursor the system reports, which may lag the
        // move just made: the mouse goes on reporting moves until it caught up,
        // as a real mouse does.
        e2e::WaitUntil([&] {
            ::SendMessageA(dlg.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + dx, from.y + dy));
            return dlg.Left() - left == dx && dlg.Top() - top == dy;
        }, expectMove ? 5000 : 200);
        const Moved moved{dlg.Left() - left, dlg.Top() - top};
        ::SendMessageA(dlg.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(from.x + dx, from.y + dy));
        return moved;
    };
    const Moved header = drag({60, 20}, 40, 25, true);   // the header band
    EXPECT_EQ(header.dx, 40);
    EXPECT_EQ(header.dy, 25);
    EXPECT_EQ(::GetCapture(), nullptr) << "the mouse is let go";

    const Moved page = drag({300, 200}, 30, 30, false);   // on the page shown
    EXPECT_EQ(page.dx, 0);
    EXPECT_EQ(page.dy, 0);

    // A move without the button held does nothing.
    MoveMouse(dlg.Left() + 70, dlg.Top() + 20);
    const int left = dlg.Left(), top = dlg.Top();
    ::SendMessageA(dlg.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(70, 20));
    EXPECT_EQ(dlg.Left(), left);
    EXPECT_EQ(dlg.Top(), top);
}
