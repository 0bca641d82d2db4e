// Desktop switches seen from outside: second starts switch the running
// program, windows of other programs are hidden and shown again.
#include <gtest/gtest.h>
#include "engine/messages.h"
#include "support/program_test.h"

using namespace e2e;

namespace {
using SwitchTest = ProgramTest;
}  // namespace

TEST_F(SwitchTest, WindowBelongsToTheDesktopItWasOpenedOn) {
    Helper one({.cls = "TessDeskOne", .title = "on desktop 1"});
    SwitchTo("-s2", {}, {one.Window()});
    Helper two({.cls = "TessDeskTwo", .title = "on desktop 2"});
    // Had a scan sent it away, it would not be hidden with desktop 2.
    SwitchTo("-s1", {one.Window()}, {two.Window()});
    SwitchTo("-s2", {two.Window()}, {one.Window()});
}

TEST_F(SwitchTest, WindowHiddenByItsOwnProgramStaysHiddenAfterTheSwitch) {
    Helper h({.cls = "TessSelfHidden", .title = "self hidden"});
    SwitchTo("-s2", {}, {h.Window()});
    SwitchTo("-s1", {h.Window()}, {});
    // Met by the scans after h, so shown after it in every switch.
    Helper later({.cls = "TessSelfShown", .title = "shown later"});
    ::PostMessageA(h.Window(), kHelperHide, 0, 0);
    ASSERT_TRUE(HiddenSoon(h.Window()));
    SwitchTo("-s2", {}, {later.Window()});
    SwitchTo("-s1", {later.Window()}, {});
    EXPECT_FALSE(IsShown(h.Window()));
}

TEST_F(SwitchTest, ArgumentsOutsideTheGridChangeNothing) {
    Helper h({.cls = "TessRange", .title = "range"});
    SwitchTo("-s2", {}, {h.Window()});
    Helper two({.cls = "TessRangeTwo", .title = "range two"});
    SwitchTo("-s1", {h.Window()}, {two.Window()});
    // "-s7": beyond the four desktops; 'x' has low bits 8, beyond the grid
    // too; "-s0" and a bare "-s" (which sends '0') name desktop 1, the
    // current one. A request they made would still be pending when the next
    // one comes, and that one would be refused.
    for (const char* arg : {"-s7", "-sx", "-s0", "-s"}) {
        SCOPED_TRACE(arg);
        ASSERT_EQ(program_->SecondStart(arg), 0);
        EXPECT_TRUE(IsShown(h.Window()));
        // 'b' has low bits 2, 'a' 1.
        SwitchTo("-sb", {two.Window()}, {h.Window()});
        SwitchTo("-sa", {h.Window()}, {two.Window()});
    }
}

TEST_F(SwitchTest, RequestWhileASwitchIsPendingIsRefused) {
    Helper h({.cls = "TessPending", .title = "pending"});
    // Both requests arrive before the next tick: the second one is refused.
    ::PostMessageA(program_->MainWindow(), 0x658, '3', 0);
    ::PostMessageA(program_->MainWindow(), 0x658, '2', 0);
    ASSERT_TRUE(HiddenSoon(h.Window()));
    Helper on3({.cls = "TessOnThree", .title = "on three"});
    SwitchTo("-s2", {}, {on3.Window()});
}

TEST_F(SwitchTest, HungWindowDoesNotHoldUpTheOthers) {
    Helper hung({.cls = "TessHung", .title = "hung"});
    Helper fine({.cls = "TessFine", .title = "fine"});
    hung.Hang();
    // A switch that waited for the hung window would never end.
    SwitchTo("-s2", {}, {fine.Window()});
    // The program itself still answers.
    DWORD_PTR r = 0;
    EXPECT_NE(::SendMessageTimeoutA(program_->MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r), 0);
    hung.Process().Kill();
}

TEST_F(SwitchTest, LastActiveWindowGetsTheFocusBack) {
    Helper a({.cls = "TessFocusA", .title = "focus a"});
    Helper b({.cls = "TessFocusB", .title = "focus b"});
    // The tick that carries out a switch first notes the window in front.
    ::PostMessageA(a.Window(), kHelperActivate, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == a.Window(); }));
    SwitchTo("-s2", {}, {a.Window(), b.Window()});
    Helper c({.cls = "TessFocusC", .title = "focus c"});
    ::PostMessageA(c.Window(), kHelperActivate, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == c.Window(); }));
    SwitchTo("-s1", {a.Window(), b.Window()}, {c.Window()});
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == a.Window(); }));
}

// The window given the focus back takes the keys too, switch after switch,
// with nothing but the program moving the focus.
TEST_F(SwitchTest, TheWindowGivenTheFocusBackTakesTheKeys) {
    const std::string log = TempDir() + "focus-keys.log";
    Helper a({.cls = "TessFocusKeys", .title = "focus keys", .logFile = log});
    ASSERT_TRUE(TakeKeyboardFocus(a.Window(), log));
    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SwitchTo("-s2", {}, {a.Window()});
        SwitchTo("-s1", {a.Window()}, {});
        ASSERT_TRUE(KeysReachWithoutHelp(a.Window(), log)) << "in front, but the keys went elsewhere";
    }
}

TEST_F(SwitchTest, KillShowsEveryWindowOfEveryDesktopAndEnds) {
    Helper one({.cls = "TessUnifyOne", .title = "unify 1"});
    SwitchTo("-s2", {}, {one.Window()});
    Helper two({.cls = "TessUnifyTwo", .title = "unify 2"});
    SwitchTo("-s3", {}, {two.Window()});
    Helper three({.cls = "TessUnifyThree", .title = "unify 3"});
    SwitchTo("-s4", {}, {one.Window(), two.Window(), three.Window()});
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_TRUE(IsShown(one.Window()));
    EXPECT_TRUE(IsShown(two.Window()));
    EXPECT_TRUE(IsShown(three.Window()));
    EXPECT_EQ(FindMainWindow(), nullptr);
}

class StickySwitchTest : public SwitchTest {
    void Prepare() override { ASSERT_TRUE(WriteDataFile("Tessareltop.pin", "TESSSTICKY\r\n")); }
};

TEST_F(StickySwitchTest, StickyWindowStaysOnEveryDesktop) {
    Helper sticky({.cls = "TessSticky", .title = "sticky"});
    Helper plain({.cls = "TessPlain", .title = "plain"});
    SwitchTo("-s2", {sticky.Window()}, {plain.Window()});
    // Met by the scans after the sticky window, so hidden after it.
    Helper two({.cls = "TessPlainTwo", .title = "plain two"});
    SwitchTo("-s3", {}, {two.Window()});
    EXPECT_TRUE(IsShown(sticky.Window()));
    SwitchTo("-s1", {plain.Window(), sticky.Window()}, {});
}

TEST_F(SwitchTest, ShellAndSystemClassesAreNeverManaged) {
    Helper worker({.cls = "WorkerW", .title = "worker"});
    Helper tray({.cls = "Shell_TrayWnd", .title = "tray"});
    Helper plain({.cls = "TessPlain", .title = "plain"});
    SwitchTo("-s2", {worker.Window(), tray.Window()}, {plain.Window()});
    // Met by the scans after the two, so hidden after them.
    Helper two({.cls = "TessPlainTwo", .title = "plain two"});
    SwitchTo("-s3", {}, {two.Window()});
    EXPECT_TRUE(IsShown(worker.Window()));
    EXPECT_TRUE(IsShown(tray.Window()));
}

TEST_F(SwitchTest, NewWindowOfAProcessGoesToTheCurrentDesktop) {
    Helper h({.cls = "TessProcess", .title = "process"});
    SwitchTo("-s2", {}, {h.Window()});
    ::PostMessageA(h.Window(), kHelperNewWindow, 0, 0);
    HWND added = WaitForWindow("process new", "TessProcess", h.Pid());
    ASSERT_NE(added, nullptr);
    ASSERT_TRUE(ShownSoon(added));
    SwitchTo("-s1", {h.Window()}, {added});
    SwitchTo("-s2", {added}, {h.Window()});
}

class StrictSwitchTest : public SwitchTest {
    void Prepare() override { WriteSetting("strictdesk", 1); }
};

// With strict separation a window that shows itself while its desktop is not
// current is hidden again by the next scan, and comes back on its desktop.
TEST_F(StrictSwitchTest, WindowThatShowsItselfOnAnInactiveDesktopIsHiddenAgain) {
    Helper h({.cls = "TessPushy", .title = "pushy"});
    SwitchTo("-s2", {}, {h.Window()});
    Helper two({.cls = "TessPushyTwo", .title = "pushy two"});
    ::PostMessageA(h.Window(), kHelperShow, 0, 0);
    auto logged = [&] {
        for (const auto& line : EventLogLines(program_->Pid()))
            if (line.find("pushy {TessPushy} window created/shown on inactive desktop #1!") != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(WaitUntil(logged, 5000)) << "the show was not seen";
    EXPECT_TRUE(HiddenSoon(h.Window()));
    // Hidden for good: the switches show it only on its own desktop.
    SwitchTo("-s3", {}, {two.Window()});
    EXPECT_FALSE(IsShown(h.Window()));
    SwitchTo("-s1", {h.Window()}, {});
}

namespace {

// Started as a user finds the program: the start bubble on (the default).
class EarlyRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("layoutid", 1);   // "1 x 4"
        WriteSetting("showsplash", 0);
    }
};

}  // namespace

// A second start that comes while the program is still starting (its main
// window exists, the message loop may not run yet) is carried out once the
// engine runs, every time.
TEST_F(EarlyRequestTest, ASwitchAskedForDuringTheStartIsCarriedOut) {
    Helper h({.cls = "TessEarlyRequest", .title = "early request"});
    for (int run = 0; run < 8; ++run) {
        SCOPED_TRACE(run);
        Tessarel program("", false);
        ASSERT_NE(program.MainWindow(), nullptr);
        ASSERT_EQ(program.SecondStart("-s2"), 0);
        ASSERT_TRUE(HiddenSoon(h.Window(), 10000)) << "the request was lost";
        ASSERT_TRUE(program.WaitForMessageLoop());
        ASSERT_EQ(program.SecondStart("-s1"), 0);
        ASSERT_TRUE(ShownSoon(h.Window(), 10000));
        ASSERT_EQ(program.KillInstance(), 0);
    }
}

// The start bubble is on (the default): a switch asked for while it shows,
// about when a user's start script asks for one, is carried out.
TEST_F(EarlyRequestTest, ASwitchAskedForWhileTheStartBubbleShowsIsCarriedOut) {
    Helper h({.cls = "TessBubbleRequest", .title = "bubble request"});
    for (int run = 0; run < 5; ++run) {
        SCOPED_TRACE(run);
        Tessarel program("", false);
        ASSERT_NE(program.MainWindow(), nullptr);
        ASSERT_TRUE(program.WaitForMessageLoop());
        const DWORD pid = program.Pid();
        ASSERT_TRUE(WaitUntil([pid] {
            for (const auto& i : TopWindows())
                if (i.pid == pid && i.cls == "TfrmBubble" && i.visible) return true;
            return false;
        }, 5000)) << "no start bubble";
        ASSERT_EQ(program.SecondStart("-s2"), 0);
        ASSERT_TRUE(HiddenSoon(h.Window(), 10000)) << "the request was lost";
        ASSERT_EQ(program.SecondStart("-s1"), 0);
        ASSERT_TRUE(ShownSoon(h.Window(), 10000));
        ASSERT_EQ(program.KillInstance(), 0);
    }
}

namespace {
class PreviewKeysTest : public ProgramTest {
protected:
    void Prepare() override { WriteSetting("hotkeydeskprev", 4); }   // "Ctrl + 0"
};
}  // namespace

// The preview takes the keyboard while it shows; closed without a switch,
// it leaves the keys with the window that had them, as the user goes on
// typing there. Under Wine the system gave the foreground to the desktop
// window instead when the preview first hid.
TEST_F(PreviewKeysTest, ClosedWithoutASwitchItLeavesTheKeysWithTheWindowInFront) {
    const std::string log = TempDir() + "preview-keys.log";
    Helper a({.cls = "TessPreviewKeys", .title = "preview keys", .logFile = log});
    // The program has met the window: a switch away hides it.
    SwitchTo("-s2", {}, {a.Window()});
    SwitchTo("-s1", {a.Window()}, {});
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(TakeKeyboardFocus(a.Window(), log));
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrl0, 0);
        ASSERT_TRUE(ShownSoon(program_->MainWindow()));
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrl0, 0);
        ASSERT_TRUE(HiddenSoon(program_->MainWindow()));
        ASSERT_TRUE(KeysReachWithoutHelp(a.Window(), log)) << "the keys went elsewhere";
    }
}
