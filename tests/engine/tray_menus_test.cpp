// The rules behind the tray and preview menus, and the close commands that
// must never reach the program itself or the shell.
#include <gtest/gtest.h>
#include <string>
#include "engine/tray_menus.h"
#include "support/e2e.h"

using namespace engine;

TEST(TrayMenuRules, DoubleClickGoesToTheNextDesktopAndWraps) {
    struct Case {
        int current, count, next;
    };
    const Case cases[] = {{1, 4, 2}, {3, 4, 4}, {4, 4, 1}, {9, 9, 1}, {8, 9, 9}, {1, 1, 1}, {2, 2, 1},
                          // a count made smaller after a switch: back to the first
                          {6, 4, 1}};
    for (const auto& c : cases) EXPECT_EQ(NextDesktop(c.current, c.count), c.next) << c.current << " of " << c.count;
}

TEST(TrayMenuRules, MakerPagesCarryTheirQueryKeys) {
    EXPECT_EQ(MakerPageUrl(MakerPage::Feedback, "6.1"),
              "https://www.pelmora.example/quill_mere/feedback.php?prod=1&req=0&ver=6.1");
    EXPECT_EQ(MakerPageUrl(MakerPage::FeatureRequest, "6.1"),
              "https://www.pelmora.example/quill_mere/feedback.php?prod=1&req=1&ver=6.1");
    EXPECT_EQ(MakerPageUrl(MakerPage::KnowledgeBase, "6.1"),
              "https://www.pelmora.example/quill_mere/kbase.php?prod=1&ver=6.1");
    EXPECT_EQ(MakerPageUrl(MakerPage::Newsletter, "6.1"), "https://www.pelmora.example/quill_mere/addemail.php");
    EXPECT_EQ(MakerPageUrl(MakerPage::Feedback, ""),
              "https://www.pelmora.example/quill_mere/feedback.php?prod=1&req=0&ver=");
}

TEST(TrayMenuRules, DesktopPicturesSitInTheGfxFolder) {
    EXPECT_EQ(TrayIconFile("C:\\prog\\", 3), "C:\\prog\\gfx\\3.ico");
    EXPECT_EQ(ClickPictureFile("C:\\prog\\", 9), "C:\\prog\\gfx\\l9.bmp");
}

TEST(TrayMenuRules, ApplicationListTakesMinimizableTopLevelWindowsOnly) {
    struct Case {
        const char* what;
        DWORD style, exStyle;
        bool allowed;
    };
    const Case cases[] = {
        {"overlapped window", WS_OVERLAPPEDWINDOW, 0, true},
        {"dialog without minimize box", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, false},
        {"tool window", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, false},
        {"MDI child", WS_OVERLAPPEDWINDOW, WS_EX_MDICHILD, false},
        {"child window", WS_CHILD | WS_MINIMIZEBOX, 0, false},
        {"app window style", WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW, true},
    };
    for (const auto& c : cases) EXPECT_EQ(AppMenuStyleAllows(c.style, c.exStyle), c.allowed) << c.what;
}

TEST(TrayMenuRules, ApplicationWindowCaptions) {
    EXPECT_EQ(AppWindowCaption(true, 3, "Notes"), "(sticky): Notes");
    EXPECT_EQ(AppWindowCaption(false, 3, "Notes"), "(desk 3): Notes");
    EXPECT_EQ(AppWindowCaption(false, 1, ""), "(desk 1): ");
    std::string title(260, 't');
    EXPECT_EQ(AppWindowCaption(false, 2, title), "(desk 2): " + std::string(200, 't'));
}

TEST(TrayMenuRules, WindowMenuStateFollowsThePickedWindow) {
    struct Case {
        const char* what;
        bool picked;
        std::string title;
        bool sticky;
        int pressed, current;
        std::string caption;
        bool move, drag;
    };
    const std::string longTitle = "0123456789012345678901234567890123456789-cut here";
    const Case cases[] = {
        {"nothing picked", false, "", false, 2, 1, "(no window selected!)", false, false},
        {"window of another desktop", true, "Editor", false, 2, 1, "Editor [click for sticky info]", true, true},
        {"window of this desktop", true, "Editor", false, 1, 1, "Editor [click for sticky info]", true, false},
        {"sticky window", true, "Clock", true, 2, 1, "Clock [click for sticky info]", false, false},
        {"long title", true, longTitle, false, 3, 1, longTitle.substr(0, 40) + " [click for sticky info]", true, true},
    };
    for (const auto& c : cases) {
        WindowMenuState s = WindowMenuStateFor(c.picked, c.title, c.sticky, c.pressed, c.current);
        EXPECT_EQ(s.selCaption, c.caption) << c.what;
        EXPECT_EQ(s.moveEnabled, c.move) << c.what;
        EXPECT_EQ(s.dragEnabled, c.drag) << c.what;
    }
}

TEST(CloseCommands, ShellAndOwnWindowsAreProtected) {
    HWND own = ::CreateWindowExA(0, "STATIC", "own", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(::FindWindowA("Shell_TrayWnd", nullptr), nullptr) << "the virtual desktop has a taskbar";
    e2e::Helper helper({.cls = "TessCloseTarget", .title = "close target"});
    ASSERT_EQ(helper.Windows().size(), 1u);
    struct Case {
        const char* what;
        HWND w;
        bool isProtected;
    };
    const Case cases[] = {
        {"no window", nullptr, true},
        {"a destroyed handle", reinterpret_cast<HWND>(static_cast<intptr_t>(0x7FFF0001)), true},
        {"the desktop", ::GetDesktopWindow(), true},
        {"the taskbar", ::FindWindowA("Shell_TrayWnd", nullptr), true},
        {"the program's own window", own, true},
        {"another program's window", helper.Window(), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsProtectedWindow(c.w), c.isProtected) << c.what;
    EXPECT_NE(ShellProcessId(), 0u) << "the virtual desktop has a shell";
    EXPECT_NE(ShellProcessId(), ::GetCurrentProcessId());
    ::DestroyWindow(own);
    helper.Quit();
}

TEST(CloseCommands, CloseActiveWindowClosesAnotherProgramsWindowOnly) {
    HWND own = ::CreateWindowExA(0, "STATIC", "own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    ::SetForegroundWindow(own);
    e2e::Pump(50);
    ASSERT_EQ(::GetForegroundWindow(), own);
    CloseActiveWindow();
    CloseActiveApplication();
    e2e::Pump(100);
    EXPECT_TRUE(::IsWindow(own)) << "the program never closes itself";

    e2e::Helper helper({.cls = "TessCloseTarget", .title = "close me"});
    ASSERT_EQ(helper.Windows().size(), 1u);
    ::SetForegroundWindow(helper.Window());
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::GetForegroundWindow() == helper.Window(); }, 2000));
    CloseActiveWindow();
    EXPECT_GE(helper.Process().Wait(5000), 0) << "the helper closes on WM_CLOSE";
    ::DestroyWindow(own);
}

// A program that no longer reads its messages is ended; one that asks the
// user before it closes is left with its question, and the work it asks about.
TEST(CloseCommands, CloseActiveApplicationEndsAHungProgramAndLeavesOneThatAsks) {
    struct Case {
        const char* what;
        bool hang;
        bool ended;
    } cases[] = {
        {"hangs", true, true},
        {"asks before closing", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        e2e::Helper stubborn({.cls = "TessStubborn", .title = c.what, .extra = "--ask-on-close"});
        ASSERT_EQ(stubborn.Windows().size(), 1u);
        ::SetForegroundWindow(stubborn.Window());
        ASSERT_TRUE(e2e::WaitUntil([&] { return ::GetForegroundWindow() == stubborn.Window(); }, 2000));
        if (c.hang) stubborn.Hang();
        CloseActiveApplication();
        if (c.ended) {
            EXPECT_GE(stubborn.Process().Wait(8000), 0) << "its process was ended";
        } else {
            EXPECT_TRUE(stubborn.Process().Running()) << "a program asking its question was ended";
            EXPECT_TRUE(::FindWindowA(nullptr, "helper question"));
        }
    }
}

TEST(CloseCommands, TheShellSurvivesBothCommands) {
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr);
    const DWORD shell = ShellProcessId();
    // The foreground moves on its own time (just after an earlier test's
    // helper ended there may be none at all): ask until the shell has it.
    DWORD foregroundPid = 0;
    e2e::WaitUntil([&] {
        ::SetForegroundWindow(taskbar);
        foregroundPid = 0;
        ::GetWindowThreadProcessId(::GetForegroundWindow(), &foregroundPid);
        return foregroundPid == shell;
    }, 5000, 50);
    // Whatever of the shell's has the foreground now (the taskbar or the
    // desktop), neither command may touch it.
    ASSERT_EQ(foregroundPid, shell) << "the shell could not be brought to the foreground";
    CloseActiveWindow();
    CloseActiveApplication();
    e2e::Pump(300);
    EXPECT_TRUE(::IsWindow(taskbar));
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, shell);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(::WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell still runs";
    ::CloseHandle(process);
}
