// Desktop switches seen from outside: second starts switch the running
// program, windows of other programs are hidden and shown again.
#include <gtest/gtest.h>
#include "support/program_test.h"

using namespace e2e;

namespace {
using SwitchTest = ProgramTest;
}  // namespace

TEST_F(SwitchTest, WindowBelongsToTheDesktopItWasOpenedOn) {
    Helper one({.cls = "TessDeskOne", .title = "on desktop 1"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    EXPECT_TRUE(HiddenSoon(one.Window()));

    Helper two({.cls = "TessDeskTwo", .title = "on desktop 2"});
    program_->WaitTicks(2);
    EXPECT_TRUE(IsShown(two.Window()));

    SwitchTo("-s1");
    EXPECT_TRUE(HiddenSoon(two.Window()));
    EXPECT_TRUE(ShownSoon(one.Window()));

    SwitchTo("-s2");
    EXPECT_TRUE(ShownSoon(two.Window()));
    EXPECT_TRUE(HiddenSoon(one.Window()));
}

TEST_F(SwitchTest, WindowHiddenByItsOwnProgramStaysHiddenAfterTheSwitch) {
    Helper h({.cls = "TessSelfHidden", .title = "self hidden"});
    program_->WaitTicks(2);
    ::PostMessageA(h.Window(), kHelperHide, 0, 0);
    EXPECT_TRUE(HiddenSoon(h.Window()));
    program_->WaitTicks(2);
    SwitchTo("-s2");
    SwitchTo("-s1");
    program_->WaitTicks(2);
    EXPECT_FALSE(IsShown(h.Window()));
}

TEST_F(SwitchTest, ArgumentsOutsideTheGridChangeNothing) {
    Helper h({.cls = "TessRange", .title = "range"});
    program_->WaitTicks(2);
    struct Case { const char* arg; bool hidden; } cases[] = {
        {"-s7", false},   // beyond the four desktops
        {"-sx", false},   // 'x' has low bits 8: beyond the grid too
        {"-s0", false},   // desktop 1, the current one
        {"-s", false},    // a bare -s sends '0'
        {"-sb", true},    // 'b' has low bits 2
        {"-sa", false},   // 'a' has low bits 1: back again
    };
    for (const auto& c : cases) {
        SwitchTo(c.arg);
        EXPECT_EQ(!IsShown(h.Window()), c.hidden) << c.arg;
    }
}

TEST_F(SwitchTest, RequestWhileASwitchIsPendingIsRefused) {
    Helper h({.cls = "TessPending", .title = "pending"});
    program_->WaitTicks(2);
    // Both requests arrive before the next tick: the second one is refused.
    ::PostMessageA(program_->MainWindow(), 0x658, '3', 0);
    ::PostMessageA(program_->MainWindow(), 0x658, '2', 0);
    program_->WaitTicks(3);
    SwitchTo("-s3");   // already there: nothing changes
    Helper on3({.cls = "TessOnThree", .title = "on three"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    EXPECT_TRUE(HiddenSoon(on3.Window())) << "the program was not on desktop 3";
}

TEST_F(SwitchTest, HungWindowDoesNotHoldUpTheOthers) {
    Helper hung({.cls = "TessHung", .title = "hung"});
    Helper fine({.cls = "TessFine", .title = "fine"});
    program_->WaitTicks(2);
    hung.Hang();
    Pump(200);
    DWORD start = ::GetTickCount();
    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(fine.Window()); }, 3000));
    EXPECT_LT(::GetTickCount() - start, 2500u);
    // The program itself still answers.
    DWORD_PTR r = 0;
    EXPECT_NE(::SendMessageTimeoutA(program_->MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r), 0);
    hung.Process().Kill();
}

TEST_F(SwitchTest, LastActiveWindowGetsTheFocusBack) {
    Helper a({.cls = "TessFocusA", .title = "focus a"});
    Helper b({.cls = "TessFocusB", .title = "focus b"});
    program_->WaitTicks(2);
    ::PostMessageA(a.Window(), kHelperActivate, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == a.Window(); }, 3000));
    program_->WaitTicks(2);
    SwitchTo("-s2");
    Helper c({.cls = "TessFocusC", .title = "focus c"});
    ::PostMessageA(c.Window(), kHelperActivate, 0, 0);
    program_->WaitTicks(2);
    SwitchTo("-s1");
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == a.Window(); }, 3000));
}

TEST_F(SwitchTest, KillShowsEveryWindowOfEveryDesktopAndEnds) {
    Helper one({.cls = "TessUnifyOne", .title = "unify 1"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    Helper two({.cls = "TessUnifyTwo", .title = "unify 2"});
    program_->WaitTicks(2);
    SwitchTo("-s3");
    Helper three({.cls = "TessUnifyThree", .title = "unify 3"});
    program_->WaitTicks(2);
    SwitchTo("-s4");
    ASSERT_TRUE(HiddenSoon(one.Window()));
    ASSERT_TRUE(HiddenSoon(two.Window()));
    ASSERT_TRUE(HiddenSoon(three.Window()));
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
    program_->WaitTicks(2);
    SwitchTo("-s2");
    EXPECT_TRUE(HiddenSoon(plain.Window()));
    EXPECT_TRUE(IsShown(sticky.Window()));
    SwitchTo("-s3");
    EXPECT_TRUE(IsShown(sticky.Window()));
}

TEST_F(SwitchTest, ShellAndSystemClassesAreNeverManaged) {
    Helper worker({.cls = "WorkerW", .title = "worker"});
    Helper tray({.cls = "Shell_TrayWnd", .title = "tray"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    program_->WaitTicks(2);
    EXPECT_TRUE(IsShown(worker.Window()));
    EXPECT_TRUE(IsShown(tray.Window()));
}

TEST_F(SwitchTest, NewWindowOfAProcessGoesToTheCurrentDesktop) {
    Helper h({.cls = "TessProcess", .title = "process"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    ASSERT_TRUE(HiddenSoon(h.Window()));
    ::PostMessageA(h.Window(), kHelperNewWindow, 0, 0);
    HWND added = WaitForWindow("process new", "TessProcess", h.Pid());
    ASSERT_NE(added, nullptr);
    program_->WaitTicks(2);
    EXPECT_TRUE(IsShown(added));
    SwitchTo("-s1");
    EXPECT_TRUE(HiddenSoon(added));
    EXPECT_TRUE(ShownSoon(h.Window()));
}

class StrictSwitchTest : public SwitchTest {
    void Prepare() override { WriteSetting("strictdesk", 1); }
};

// With strict separation a window that shows itself while its desktop is not
// current is hidden again by the next scan, and comes back on its desktop.
TEST_F(StrictSwitchTest, WindowThatShowsItselfOnAnInactiveDesktopIsHiddenAgain) {
    Helper h({.cls = "TessPushy", .title = "pushy"});
    program_->WaitTicks(2);
    SwitchTo("-s2");
    ASSERT_TRUE(HiddenSoon(h.Window()));
    ::PostMessageA(h.Window(), kHelperShow, 0, 0);
    auto logged = [&] {
        for (const auto& line : EventLogLines(program_->Pid()))
            if (line.find("pushy {TessPushy} window created/shown on inactive desktop #1!") != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(WaitUntil(logged, 3000)) << "the show was not seen";
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(h.Window()); }, 3000));
    program_->WaitTicks(2);
    EXPECT_FALSE(IsShown(h.Window()));
    SwitchTo("-s1");
    EXPECT_TRUE(ShownSoon(h.Window()));
}
