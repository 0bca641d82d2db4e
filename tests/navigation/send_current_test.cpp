// The send-current window: its rules as tables, and the window run in this
// process for the windows of helper processes, which the engine of this
// process records as the program's would.
#include <gtest/gtest.h>
#include <windows.h>
#include <set>
#include <string>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/send_current.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/form_suite.h"
#include "support/lock_prompt.h"
#include "support/own_window.h"
#include "support/registry_values.h"

using namespace e2e;
namespace sc = navigation::send_current;
using navigation::frmSendCurrent;

namespace {

TEST(SendCurrentRules, WhichTilesShow) {
    struct Case {
        const char* what;
        int count;
        bool sticky;
        std::set<int> shown;   // of the tags 1 to 11
    } cases[] = {
        {"grid 2 x 2", 4, false, {1, 2, 3, 4, 10, 11}},
        {"grid 3 x 3", 9, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"grid 1 x 2", 2, false, {1, 2, 10, 11}},
        {"a sticky application", 9, true, {10, 11}},
    };
    for (const Case& c : cases)
        for (int tag = 1; tag <= 11; ++tag)
            EXPECT_EQ(sc::TileVisible(tag, c.count, c.sticky), c.shown.count(tag) != 0) << c.what << ", tag " << tag;
}

TEST(SendCurrentRules, TheApplicationLeavesTheDesktopItIsRecordedOn) {
    struct Case {
        int recorded, current, source;
    } cases[] = {{2, 1, 2}, {1, 1, 1}, {0, 3, 3}, {-1, 4, 4}, {9, 2, 9}, {10, 2, 2}};
    for (const Case& c : cases) EXPECT_EQ(sc::SourceDesktop(c.recorded, c.current), c.source) << c.recorded;
}

class SendCurrentTest : public FormSuite<frmSendCurrent> {
protected:
    void SetUp() override {
        Settings().Reset();
        auto& m = Main();
        m.FGridCols = 2;
        m.FGridRows = 2;
        m.FStickyList->Clear();
        m.InvalidateStickyCache();
        if (m.FCurrentDesktop != 1) {
            m.RequestDesktop(1);
            ASSERT_TRUE(WaitUntil([] { return Main().FCurrentDesktop == 1; }));
        }
        ::SetCursorPos(640, 500);
    }
    void TearDown() override { frmSendCurrent->HideSendCurrent(); }

    static std::set<int> ShownTags() {
        std::set<int> tags;
        for (auto* tile : {&frmSendCurrent->Panel5, &frmSendCurrent->Panel6, &frmSendCurrent->Panel7,
                           &frmSendCurrent->Panel8, &frmSendCurrent->Panel9, &frmSendCurrent->Panel10,
                           &frmSendCurrent->Panel11, &frmSendCurrent->Panel12, &frmSendCurrent->Panel13,
                           &frmSendCurrent->Panel14, &frmSendCurrent->Panel15})
            if (tile->Visible()) tags.insert(tile->Tag);
        return tags;
    }
};

}  // namespace

TEST_F(SendCurrentTest, ShowsTheApplicationAndTheDesktopsOfTheGrid) {
    // Notepad, for an executable with an icon of its own.
    ChildProcess notepad("C:\\windows\\system32\\notepad.exe", "");
    HWND pad = WaitForWindow("", "Notepad", notepad.Pid(), 10000);
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(Recorded(pad));
    frmSendCurrent->ShowSendCurrent(pad);
    ASSERT_TRUE(frmSendCurrent->Visible());
    EXPECT_EQ(frmSendCurrent->Caption(), "Send current application to ...");
    EXPECT_EQ(frmSendCurrent->lbApp.Caption(), engine::UpperCaseAscii(engine::ProcessExePath(notepad.Pid())));
    EXPECT_FALSE(frmSendCurrent->lbSticky.Visible());
    EXPECT_EQ(ShownTags(), (std::set<int>{1, 2, 3, 4, 10, 11}));
    EXPECT_EQ(frmSendCurrent->Panel14.Text(), "Do not send. Cancel.");
    EXPECT_EQ(frmSendCurrent->Panel15.Text(), "Help!");
    // The executable's icon: more than the background's one colour.
    std::set<COLORREF> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) colours.insert(frmSendCurrent->imgApp.Pixel(x, y));
    EXPECT_GE(colours.size(), 3u);
    // Centred on the cursor.
    const RECT r = frmSendCurrent->BoundsRect();
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 640), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 500), 1);

    frmSendCurrent->Panel14Click();
    EXPECT_FALSE(frmSendCurrent->Visible());
    notepad.Kill();
}

TEST_F(SendCurrentTest, AStickyApplicationOnlyShowsItsWarning) {
    Helper app({.cls = "TessSendSticky", .title = "sticky"});
    ASSERT_TRUE(Recorded(app.Window()));
    Main().SetSticky(engine::ProcessExePath(app.Pid()), true);
    frmSendCurrent->ShowSendCurrent(app.Window());
    ASSERT_TRUE(frmSendCurrent->Visible());
    EXPECT_TRUE(frmSendCurrent->lbSticky.Visible());
    EXPECT_EQ(frmSendCurrent->lbSticky.Caption(), "Application is sticky, cannot send!");
    EXPECT_EQ(ShownTags(), (std::set<int>{10, 11}));
}

TEST_F(SendCurrentTest, NothingShowsForTheProgramsOwnWindows) {
    OwnWindow own("TessSendOwn");
    frmSendCurrent->ShowSendCurrent(own.Handle());
    EXPECT_FALSE(frmSendCurrent->Visible());
}

// With the desktop itself in front the gesture names the shell's window,
// whose program (the shell) is no application to send.
TEST_F(SendCurrentTest, NothingShowsForTheShellsDesktopAndTaskbar) {
    frmSendCurrent->ShowSendCurrent(::GetDesktopWindow());
    EXPECT_FALSE(frmSendCurrent->Visible()) << "the desktop window";
    for (const char* cls : {"Progman", "WorkerW", "Shell_TrayWnd"}) {
        Helper shell({.cls = cls, .title = "shell"});
        ASSERT_TRUE(WaitUntil([&] { return IsShown(shell.Window()); })) << cls;
        frmSendCurrent->ShowSendCurrent(shell.Window());
        EXPECT_FALSE(frmSendCurrent->Visible()) << cls;
    }
}

TEST_F(SendCurrentTest, ADesktopTileSendsEveryWindowOfTheApplication) {
    Helper app({.cls = "TessSendApp", .title = "app", .count = 2});
    Helper other({.cls = "TessSendOther", .title = "other"});
    for (HWND w : app.Windows()) ASSERT_TRUE(Recorded(w));
    ASSERT_TRUE(Recorded(other.Window()));
    frmSendCurrent->ShowSendCurrent(app.Window(1));
    frmSendCurrent->DesktopTileClick(3);
    EXPECT_FALSE(frmSendCurrent->Visible());
    EXPECT_EQ(DesktopOf(app.Window(0)), 3);
    EXPECT_EQ(DesktopOf(app.Window(1)), 3);
    EXPECT_EQ(DesktopOf(other.Window()), 1);
    EXPECT_EQ(Main().FSelectedWindow, app.Window(1));
    EXPECT_EQ(Main().FTargetDesktop, 3);
    EXPECT_EQ(Main().FPressedDesktop, 1);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(app.Window(0)) && !IsShown(app.Window(1)); }));
    EXPECT_TRUE(IsShown(other.Window()));
}

// The password guards the private desktop an application leaves, never the
// one it goes to.
TEST_F(SendCurrentTest, ThePasswordGuardsTheDesktopTheApplicationLeaves) {
    RegistryValuesScope pwd({"pwdlocal"});
    LockPromptAnswers answers;
    answers.accept = false;
    Helper hidden({.cls = "TessSendFromPrivate", .title = "from private"});
    Helper here({.cls = "TessSendToPrivate", .title = "to private"});
    ASSERT_TRUE(Recorded(hidden.Window()));
    ASSERT_TRUE(Recorded(here.Window()));
    ASSERT_TRUE(Main().SetWindowDesktop(hidden.Window(), 2, false));
    Settings().privateDesktops = {2};

    frmSendCurrent->ShowSendCurrent(hidden.Window());
    frmSendCurrent->DesktopTileClick(3);
    EXPECT_EQ(answers.reasons.size(), 1u);
    EXPECT_EQ(DesktopOf(hidden.Window()), 2) << "left the private desktop without the password";

    frmSendCurrent->ShowSendCurrent(here.Window());
    frmSendCurrent->DesktopTileClick(2);
    EXPECT_EQ(answers.reasons.size(), 1u) << "asked for the password to go to a private desktop";
    EXPECT_EQ(DesktopOf(here.Window()), 2);
}

TEST_F(SendCurrentTest, ClosesTwoSecondsAfterTheMouseLeft) {
    Helper app({.cls = "TessSendLeave", .title = "leave"});
    ASSERT_TRUE(Recorded(app.Window()));
    frmSendCurrent->ShowSendCurrent(app.Window());
    ASSERT_TRUE(frmSendCurrent->Visible());
    // With the cursor inside it stays, however long.
    const RECT r = frmSendCurrent->BoundsRect();
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_FALSE(WaitUntil([] { return !frmSendCurrent->Visible(); }, 3000));
    ::SetCursorPos(5, 5);
    EXPECT_TRUE(WaitUntil([] { return !frmSendCurrent->Visible(); }, 6000));
}
