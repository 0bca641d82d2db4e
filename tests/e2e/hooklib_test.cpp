// The hook library seen from the main window: this test plays the program
// (a window of class TfrmPTessarel, the three global hooks set the way the
// program sets them) while keys, activation, new windows and system-menu
// picks happen in a helper program of its own.
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>
#include "engine/messages.h"
#include "framework/owned.h"
#include "support/e2e.h"

using namespace e2e;

namespace {

struct Notice {
    UINT message;
    WPARAM w;
    LPARAM l;
};

std::vector<Notice> g_notices;

LRESULT CALLBACK StandInProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m >= engine::WM_HOOK_ACTIVATE && m <= engine::WM_HOOK_WINDOWSHOWN) {
        g_notices.push_back({m, wp, lp});
        return 0;
    }
    return ::DefWindowProcA(w, m, wp, lp);
}

// The main window as the library looks for it.
class MainWindowStandIn {
public:
    MainWindowStandIn() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = engine::kMainClassName;
        ::RegisterClassA(&wc);
        wnd_.reset(::CreateWindowExA(0, engine::kMainClassName, "stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                     nullptr, nullptr, wc.hInstance, nullptr));
    }
    HWND Handle() const noexcept { return wnd_.get(); }
private:
    framework::Window wnd_;
};

using SetInt = void(WINAPI*)(int);

// The library loaded from the program folder and its hooks set for all
// threads, each handle handed to its setter right after the hook is set.
class HookLibrary {
public:
    HookLibrary() : library_(::LoadLibraryA((BinDir() + "PTSH120.dll").c_str())) {
        if (!library_) return;
        Set(WH_CALLWNDPROC, "HookProc", "SetHookID", callWnd_);
        Set(WH_KEYBOARD, "KHookProc", "SetKHookID", keyboard_);
        Set(WH_GETMESSAGE, "MHookProc", "SetMHookID", getMessage_);
    }
    bool Hooked() const noexcept { return callWnd_ && keyboard_ && getMessage_; }
    void Options(int mode, int applist, int deskprev, int mainmenu) const {
        Setter("SetMethod")(mode);
        Setter("SetMethodA")(applist);
        Setter("SetMethodD")(deskprev);
        Setter("SetMethodM")(mainmenu);
    }
    // As the program unhooks: the shared values name no hook that is gone.
    void Unhook() {
        for (const char* setter : {"SetHookID", "SetKHookID", "SetMHookID"})
            if (SetInt set = Setter(setter)) set(0);
        callWnd_.reset();
        keyboard_.reset();
        getMessage_.reset();
    }
private:
    FARPROC Entry(const char* name) const { return ::GetProcAddress(library_.get(), name); }
    SetInt Setter(const char* name) const { return reinterpret_cast<SetInt>(reinterpret_cast<void*>(Entry(name))); }
    void Set(int type, const char* proc, const char* setter, framework::Hook& hook) {
        auto hookProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(Entry(proc)));
        SetInt set = Setter(setter);
        if (!hookProc || !set) return;
        hook.reset(::SetWindowsHookExA(type, hookProc, library_.get(), 0));
        set(static_cast<int>(reinterpret_cast<intptr_t>(hook.get())));
    }
    framework::Library library_;   // freed after the hooks are gone
    framework::Hook callWnd_, keyboard_, getMessage_;
};

WPARAM AsWParam(HWND w) { return static_cast<WPARAM>(reinterpret_cast<uintptr_t>(w)); }

bool Arrived(UINT message, WPARAM w, LPARAM l) {
    for (const Notice& n : g_notices)
        if (n.message == message && n.w == w && n.l == l) return true;
    return false;
}

bool WaitFor(UINT message, WPARAM w, LPARAM l, int timeoutMs = 3000) {
    return WaitUntil([&] { return Arrived(message, w, l); }, timeoutMs);
}

std::vector<WPARAM> Hotkeys() {
    std::vector<WPARAM> out;
    for (const Notice& n : g_notices)
        if (n.message == engine::WM_HOOK_HOTKEY) out.push_back(n.w);
    return out;
}

bool Received(const std::string& log, UINT message, unsigned vk) { return HasLogged(log, message, vk); }

// Option values: the hotkey mode index and the three trigger indexes.
constexpr int kRightCtrlDigits = 3;
constexpr int kCtrl0 = 4, kCtrlLeftWin = 5, kCtrlGrave = 6, kCtrlCaret = 7;

class HookLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ResetUserState(); }
    void SetUp() override {
        g_notices.clear();
        ASSERT_NE(main_.Handle(), nullptr);
        ASSERT_TRUE(hooks_.Hooked());
    }
    void TearDown() override { hooks_.Unhook(); }

    // A helper window that logs its messages, in front and receiving keys.
    HWND ForegroundHelper(Helper& h) {
        EXPECT_TRUE(TakeKeyboardFocus(h.Window(), log_));
        return h.Window();
    }
    HelperOptions Logged(HelperOptions o) {
        static int logs = 0;
        log_ = TempDir() + "keys-" + std::to_string(++logs) + ".log";
        o.logFile = log_;
        return o;
    }
    // Every key typed so far has passed the hook, and every hotkey it
    // reported is here: a probe typed after them reached the window, and the
    // reports posted before it have been read.
    void KeysSettled(Helper& h) {
        EXPECT_TRUE(TakeKeyboardFocus(h.Window(), log_));
        Pump(0);
    }

    std::string log_;
    MainWindowStandIn main_;
    HookLibrary hooks_;
};

TEST_F(HookLibraryTest, DesktopHotkeysOfEveryKindReachTheMainWindowFromAnotherProgram) {
    Helper h(Logged({.title = "hotkey target"}));
    ForegroundHelper(h);
    struct Case {
        int mode;
        const char* keys;
        WPARAM command;
    };
    const Case cases[] = {
        {1, "alt+3", 3},           {2, "Control_L+5", 5},     {3, "Control_R+2", 2},     {4, "alt+Right", 11},
        {5, "Super_L+7", 7},       {6, "ctrl+F8", 8},         {7, "ctrl+Up", 13},        {8, "Alt_R+4", 4},
        {9, "Alt_L+6", 6},         {10, "Super_L+Down", 14},  {11, "alt+Left", 12},      {11, "alt+9", 9},
        // xdotool reaches the keypad digit by toggling the X server's
        // NumLock; a second toggle leaves it as it was for the next test.
        {12, "KP_1 Num_Lock", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("mode ") + std::to_string(c.mode) + ": " + c.keys);
        hooks_.Options(c.mode, 0, 0, 0);
        g_notices.clear();
        ASSERT_EQ(RunXdotool(std::string("key ") + c.keys), 0);
        EXPECT_TRUE(WaitUntil([&] { return !Hotkeys().empty(); }, 5000));
        KeysSettled(h);
        EXPECT_EQ(Hotkeys(), std::vector<WPARAM>{c.command});
    }
    h.Quit();
}

TEST_F(HookLibraryTest, HotkeyIsSwallowedWhileOtherKeysReachTheProgram) {
    Helper h(Logged({.title = "swallow target"}));
    ForegroundHelper(h);
    const std::string log = log_;
    hooks_.Options(kRightCtrlDigits, 0, 0, 0);
    // The left Control is not the mode's key: the program types it. The
    // right one switches, and the program never sees the digit.
    ASSERT_EQ(RunXdotool("key Control_L+2 key Control_R+9"), 0);
    ASSERT_TRUE(WaitUntil([] { return !Hotkeys().empty(); }));
    KeysSettled(h);
    EXPECT_EQ(Hotkeys(), std::vector<WPARAM>{9});
        EXPECT_TRUE(Received(log, WM_KEYDOWN, '2'));
    EXPECT_TRUE(Received(log, WM_KEYUP, '2'));
    EXPECT_FALSE(Received(log, WM_KEYDOWN, '9'));
    EXPECT_FALSE(Received(log, WM_KEYUP, '9'));
    h.Quit();
}

TEST_F(HookLibraryTest, HotkeyThatIsPeekedAtBeforeItIsReadIsReportedOnce) {
    Helper h(Logged({.title = "peeking target", .extra = "--peek"}));
    ForegroundHelper(h);
    const std::string log = log_;
    hooks_.Options(kRightCtrlDigits, 0, 0, 0);
    ASSERT_EQ(RunXdotool("key Control_R+3 key Control_R+3"), 0);
    ASSERT_TRUE(WaitUntil([] { return Hotkeys().size() >= 2; }));
    KeysSettled(h);
    EXPECT_EQ(Hotkeys(), (std::vector<WPARAM>{3, 3}));
        EXPECT_FALSE(Received(log, WM_KEYDOWN, '3'));
    EXPECT_FALSE(Received(log, WM_KEYUP, '3'));
    h.Quit();
}

TEST_F(HookLibraryTest, ChordHotkeysArePostedOnlyForTheItemsInUse) {
    Helper h(Logged({.title = "chord target"}));
    ForegroundHelper(h);
    struct Case {
        int applist, deskprev, mainmenu;
        const char* keys;
        std::vector<WPARAM> commands;
    };
    const Case cases[] = {
        {kCtrl0, 0, 0, "ctrl+0", {23}},
        {0, kCtrlLeftWin, 0, "ctrl+Super_L", {24}},
        {0, 0, kCtrlGrave, "ctrl+grave", {25}},
        // The same chord under two triggers is one message: the program
        // checks all three triggers for every command.
        {kCtrl0, kCtrl0, 0, "ctrl+0", {23}},
        // Chords not in use pass; the last key of each row shows the keys
        // before it were seen.
        {kCtrlGrave, 0, 0, "ctrl+0 ctrl+Super_L ctrl+grave", {25}},
        {0, kCtrl0, 0, "ctrl+alt+0 ctrl+shift+0 ctrl+0", {23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        hooks_.Options(0, c.applist, c.deskprev, c.mainmenu);
        g_notices.clear();
        ASSERT_EQ(RunXdotool(std::string("key ") + c.keys), 0);
        EXPECT_TRUE(WaitUntil([&] { return Hotkeys().size() >= c.commands.size(); }, 5000));
        KeysSettled(h);
        EXPECT_EQ(Hotkeys(), c.commands);
    }
    h.Quit();
}

// "Ctrl + ^" is offered as a trigger, but no command of the program answers
// it: its keys reach the program in front as if nothing were chosen.
TEST_F(HookLibraryTest, ChordThatNoCommandAnswersReachesTheProgram) {
    Helper h(Logged({.title = "caret target"}));
    ForegroundHelper(h);
    const std::string log = log_;
    hooks_.Options(0, kCtrlCaret, kCtrlCaret, kCtrlCaret);
    // On the US layout of the X server "^" is Shift + 6.
    ASSERT_EQ(RunXdotool("key ctrl+asciicircum"), 0);
    KeysSettled(h);
    EXPECT_TRUE(Hotkeys().empty());
    EXPECT_TRUE(Received(log, WM_KEYDOWN, '6'));
    EXPECT_TRUE(Received(log, WM_KEYUP, '6'));
    h.Quit();
}

TEST_F(HookLibraryTest, ActivationOfAnotherProgramsWindowIsReported) {
    Helper h({.title = "activated", .count = 2});
    ASSERT_EQ(h.Windows().size(), 2u);
    HWND first = h.Window(0), second = h.Window(1);
    ::SetForegroundWindow(first);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_ACTIVATE, AsWParam(first), 1));
    g_notices.clear();
    ::SetForegroundWindow(second);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_ACTIVATE, AsWParam(second), 1));
    EXPECT_FALSE(Arrived(engine::WM_HOOK_ACTIVATE, AsWParam(first), 1)) << "losing activation is no activation";
    h.Quit();
}

TEST_F(HookLibraryTest, ActivityOfTheProgramsOwnWindowsIsNotReported) {
    framework::Window own(::CreateWindowExA(0, "STATIC", "own window", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                            nullptr, nullptr, nullptr));
    ::ShowWindow(own.get(), SW_SHOW);
    ::SetForegroundWindow(own.get());
    Helper h({.title = "after own"});
    ::SetForegroundWindow(h.Window());
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_ACTIVATE, AsWParam(h.Window()), 1));
    for (const Notice& n : g_notices)
        EXPECT_NE(n.w, AsWParam(own.get())) << std::hex << "message " << n.message;
    h.Quit();
}

TEST_F(HookLibraryTest, NewAndShownWindowsAreReported) {
    Helper h({.title = "late window", .hidden = true});
    HWND w = h.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(w), 1)) << "created";
    g_notices.clear();
    ::PostMessageA(w, kHelperShow, 0, 0);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(w), 1)) << "shown";
    g_notices.clear();
    // A hide is no showing; the show after it is the only report.
    ::PostMessageA(w, kHelperHide, 0, 0);
    ::PostMessageA(w, kHelperShow, 0, 0);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(w), 1));
    // The report of a window opened afterwards comes after every report of
    // the two steps before.
    ::PostMessageA(w, kHelperNewWindow, 0, 0);
    HWND added = WaitForWindow("late window new", "TessHelperWindow", h.Pid());
    ASSERT_NE(added, nullptr);
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(added), 1));
    size_t reports = 0;
    for (const Notice& n : g_notices) reports += n.w == AsWParam(w) ? 1 : 0;
    EXPECT_EQ(reports, 1u);
    h.Quit();
}

TEST_F(HookLibraryTest, DesktopMenuCommandsOfAnotherProgramAreReportedWithTheirIds) {
    Helper h({.title = "menu target"});
    HWND w = h.Window();
    // Posted as a menu posts them; ids outside the two rows of items, the
    // separator and the submenus among them, are not reported.
    const WPARAM ids[] = {0xCD00, 0xCD01, 0xCD0A, 0xCD10, 0xCD11, 0xCE00, 0xCE09, 0xCE10, 0xCE11, 0xCD05};
    for (WPARAM id : ids) ::PostMessageA(w, WM_SYSCOMMAND, id, 0);
    // Reported in the order they were read: the last one comes last.
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_SYSMENU, AsWParam(w), 0xCD05));
    std::vector<LPARAM> reported;
    for (const Notice& n : g_notices)
        if (n.message == engine::WM_HOOK_SYSMENU) {
            EXPECT_EQ(n.w, AsWParam(w));
            reported.push_back(n.l);
        }
    EXPECT_EQ(reported, (std::vector<LPARAM>{0xCD01, 0xCE09, 0xCD05}));
    // Sent instead of posted, the command is seen on the other path.
    g_notices.clear();
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(w, WM_SYSCOMMAND, 0xCE02, 0, SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_SYSMENU, AsWParam(w), 0xCE02));
    h.Quit();
}

TEST_F(HookLibraryTest, PickFromTheSystemMenuArrivesWithTheItemsOwnId) {
    // Only a window of this process lets its system menu be changed here.
    framework::Window own(::CreateWindowExA(0, "STATIC", "menu owner", WS_OVERLAPPEDWINDOW, 60, 60, 300, 200, nullptr,
                                            nullptr, nullptr, nullptr));
    HMENU menu = ::GetSystemMenu(own.get(), FALSE);
    ASSERT_NE(menu, nullptr);
    ::AppendMenuA(menu, MF_SEPARATOR, 0xCD10, nullptr);
    ::AppendMenuA(menu, MF_STRING, 0xCD03, "desktop &3");
    ::ShowWindow(own.get(), SW_SHOW);
    // Open the menu as Alt + Space does and pick the item by its mnemonic.
    // The menu's loop runs inside this thread, while it pumps messages;
    // another thread waits until the menu is open and then picks.
    std::atomic<bool> picked{false};
    std::thread picker([&] {
        const DWORD self = ::GetCurrentProcessId();
        HWND menuWindow = nullptr;
        WaitUntil([&] {
            for (const auto& i : TopWindows())
                if (i.pid == self && i.cls == "#32768" && i.visible) menuWindow = i.wnd;
            return menuWindow != nullptr;
        }, 10000);
        if (menuWindow) ::PostMessageA(menuWindow, WM_CHAR, '3', 0);
        picked = true;
    });
    ::PostMessageA(own.get(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_TRUE(WaitUntil([&] { return picked.load(); }, 15000));
    picker.join();
    EXPECT_TRUE(WaitFor(engine::WM_HOOK_SYSMENU, AsWParam(own.get()), 0xCD03));
}

TEST_F(HookLibraryTest, AfterUnhookingKeysReachTheProgramAgain) {
    Helper h(Logged({.title = "unhooked target"}));
    ForegroundHelper(h);
    const std::string log = log_;
    hooks_.Options(kRightCtrlDigits, 0, 0, 0);
    ASSERT_EQ(RunXdotool("key Control_R+4"), 0);
    ASSERT_TRUE(WaitUntil([] { return !Hotkeys().empty(); }));
    hooks_.Unhook();
    g_notices.clear();
    ASSERT_EQ(RunXdotool("key Control_R+5"), 0);
    EXPECT_TRUE(WaitUntil([&] { return Received(log, WM_KEYDOWN, '5'); }));
    EXPECT_TRUE(Hotkeys().empty());
    EXPECT_FALSE(Received(log, WM_KEYDOWN, '4'));
    h.Quit();
}

// A switch hands the focus over with AttachThreadInput, and under Wine an
// attachment clears the key state of the thread attached to. A user who
// holds the modifier through it, to switch again, still presses a hotkey.
TEST_F(HookLibraryTest, ModifierHeldWhileAnotherThreadAttachesToTheInputStillCounts) {
    Helper h(Logged({.title = "attached target"}));
    HWND w = ForegroundHelper(h);
    hooks_.Options(kRightCtrlDigits, 0, 0, 0);
    // xdotool presses the left Control along with the right one.
    ASSERT_EQ(RunXdotool("keydown Control_R"), 0);
    struct Release {
        ~Release() { RunXdotool("keyup Control_R"); }
    } release;
    ASSERT_TRUE(WaitUntil([&] {
        int downs = 0;
        for (const LoggedMessage& m : MessagesIn(log_)) downs += m.message == WM_KEYDOWN && m.w == VK_CONTROL;
        return downs >= 2;
    }));
    const DWORD self = ::GetCurrentThreadId(), target = ::GetWindowThreadProcessId(w, nullptr);
    ASSERT_TRUE(::AttachThreadInput(self, target, TRUE));
    ::AttachThreadInput(self, target, FALSE);
    ASSERT_EQ(RunXdotool("key 2"), 0);
    EXPECT_TRUE(WaitUntil([] { return !Hotkeys().empty(); }, 5000));
    EXPECT_FALSE(Received(log_, WM_KEYDOWN, '2'));
    EXPECT_EQ(Hotkeys(), std::vector<WPARAM>{2});
    h.Quit();
}

}  // namespace

namespace {

// Counts the reports of windows shown, for a window of this process's
// helper: a second hook left set in the system would double each.
size_t ShownReports(HWND w) {
    size_t n = 0;
    for (const Notice& notice : g_notices) n += notice.message == engine::WM_HOOK_WINDOWSHOWN && notice.w == AsWParam(w);
    return n;
}

// The program ended by force, as Task Manager or a crash ends it: it
// removed none of its hooks, and the library's shared values still hold its
// hook handles and options.
void StartAndKillTheProgram() {
    ResetUserState();
    WriteSetting("showsplash", 0);
    WriteSetting("hotkeymode", kRightCtrlDigits);
    Tessarel program("", false);
    ASSERT_NE(program.MainWindow(), nullptr);
    ASSERT_TRUE(HasModule(program.Pid(), "PTSH120.dll"));
    program.Process().Kill();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() == nullptr; }));
}

}  // namespace

TEST(HookLibraryAfterAKillTest, KeysPassUntilTheNextStartWhoseReportsAreSingleAndWhoseUnhookFreesEverything) {
    StartAndKillTheProgram();
    if (::testing::Test::HasFatalFailure()) return;
    g_notices.clear();
    {
        // Nobody runs to act on a hotkey: the key reaches the program.
        HelperOptions o{.title = "after the kill", .logFile = TempDir() + "after-kill.log"};
        Helper h(o);
        ASSERT_TRUE(TakeKeyboardFocus(h.Window(), o.logFile));
        ASSERT_EQ(RunXdotool("key Control_R+2"), 0);
        EXPECT_TRUE(WaitUntil([&] { return HasLogged(o.logFile, WM_KEYDOWN, '2'); })) << "swallowed with no program";
        h.Quit();
    }

    // The next start: the program's window and hooks, as the program sets them.
    auto main = std::make_unique<MainWindowStandIn>();
    auto hooks = std::make_unique<HookLibrary>();
    ASSERT_TRUE(hooks->Hooked());
    hooks->Options(kRightCtrlDigits, 0, 0, 0);
    HelperOptions o{.title = "next start", .hidden = true, .logFile = TempDir() + "next-start.log"};
    Helper h(o);
    // Created hidden, its one report is its creation's. Then one showing:
    // one report.
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(h.Window()), 1));
    Pump(0);
    g_notices.clear();
    ::PostMessageA(h.Window(), kHelperShow, 0, 0);
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(h.Window()), 1));
    // Every report of that showing came before those of a window opened next.
    ::PostMessageA(h.Window(), kHelperNewWindow, 0, 0);
    HWND added = WaitForWindow("next start new", "TessHelperWindow", h.Pid());
    ASSERT_NE(added, nullptr);
    ASSERT_TRUE(WaitFor(engine::WM_HOOK_WINDOWSHOWN, AsWParam(added), 1));
    EXPECT_EQ(ShownReports(h.Window()), 1u) << "reports doubled";

    ASSERT_TRUE(TakeKeyboardFocus(h.Window(), o.logFile));
    g_notices.clear();
    ASSERT_EQ(RunXdotool("key Control_R+3"), 0);
    ASSERT_TRUE(WaitUntil([] { return !Hotkeys().empty(); }));
    ASSERT_TRUE(TakeKeyboardFocus(h.Window(), o.logFile));
    Pump(0);
    EXPECT_EQ(Hotkeys(), std::vector<WPARAM>{3});
    EXPECT_FALSE(HasLogged(o.logFile, WM_KEYDOWN, '3'));

    // Unhooked, no hook of either start is left: keys reach the program,
    // and a program started now never loads the library.
    hooks->Unhook();
    ASSERT_EQ(RunXdotool("key Control_R+4"), 0);
    EXPECT_TRUE(WaitUntil([&] { return HasLogged(o.logFile, WM_KEYDOWN, '4'); })) << "swallowed after unhooking";
    Helper fresh({.title = "fresh start", .logFile = TempDir() + "fresh-start.log"});
    ASSERT_TRUE(TakeKeyboardFocus(fresh.Window(), TempDir() + "fresh-start.log"));
    EXPECT_FALSE(HasModule(fresh.Pid(), "PTSH120.dll"));
    fresh.Quit();
    h.Quit();
}
