// The hook library's messages as the main form answers them, in this process
// with the real form; the window they name belongs to a helper process.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"
#include "support/e2e.h"
#include "support/fake_settings.h"

using namespace e2e;

namespace {

class HookBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmLog);
        app.CreateForm(engine::frmPTessarel);
        app.SetMainForm(before);
    }
    void TearDown() override {
        framework::App().FreeForm(engine::frmPTessarel);
        framework::App().FreeForm(navigation::frmLog);
    }
    engine::TfrmPTessarel& Form() { return *engine::frmPTessarel; }
    engine::TWindowRecord* RecordOf(HWND w) {
        const int i = Form().FindWindowRecord(w);
        return i < 0 ? nullptr : &Form().FWindowTable[static_cast<size_t>(i)];
    }
    bool Logged(std::string_view part) {
        for (const auto& line : navigation::frmLog->FirstLines(10))
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    FakeSettings settings_;
};

}  // namespace

// "Notify about window activities on inactive desktops" is the log window's
// check box; with strict separation on it decides whether the activity of a
// window on another desktop is logged.
TEST_F(HookBridgeTest, ActivityOnAnInactiveDesktopIsLoggedOnlyWhenTheLogAsksForIt) {
    Helper h({.cls = "TessActivity", .title = "activity"});
    ASSERT_EQ(h.Windows().size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return RecordOf(h.Window()) != nullptr; }, 3000));
    struct Case {
        bool notify, strict, logged;
    } cases[] = {{false, false, false}, {true, false, false}, {false, true, false}, {true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("notify ") + (c.notify ? "on" : "off") + ", strict " + (c.strict ? "on" : "off"));
        navigation::frmLog->cbInactNotify.SetChecked(c.notify);
        settings_.Set("strictdesk", c.strict ? 1 : 0);
        RecordOf(h.Window())->Desktop = 2;   // the window belongs to desktop 2; desktop 1 is current
        navigation::frmLog->mLog.Clear();
        ::SendMessageA(Form().Handle(), engine::WM_HOOK_WINDOWSHOWN,
                       engine::TWindowRecord::WndFromHandle(h.Window()), 1);
        EXPECT_EQ(Logged("Window activity detected on desktop #2"), c.logged);
    }
}

// A window leaves a private desktop only with the password, whatever route
// asks for the move: the system-menu entries posted by any program, the
// preview's window menu and its "to current desktop" items. The source is
// always the window's own desktop. No prompt exists here, so every move that
// needs the password is refused.
TEST_F(HookBridgeTest, NoRouteMovesAWindowOutOfALockedDesktop) {
    Helper h({.cls = "TessPrivateRoute", .title = "private route"});
    ASSERT_TRUE(WaitUntil([&] { return RecordOf(h.Window()) != nullptr; }, 3000));
    const auto wnd = static_cast<WPARAM>(engine::TWindowRecord::WndFromHandle(h.Window()));
    using Route = void (*)(engine::TfrmPTessarel&, WPARAM);
    struct RouteCase {
        const char* what;
        Route move;   // the window to desktop 1
    } routes[] = {
        {"system menu: send this window to desktop 1",
         [](engine::TfrmPTessarel& f, WPARAM w) { ::SendMessageA(f.Handle(), engine::WM_HOOK_SYSMENU, w, engine::IDM_SEND_WINDOW); }},
        {"system menu: send this application to desktop 1",
         [](engine::TfrmPTessarel& f, WPARAM w) { ::SendMessageA(f.Handle(), engine::WM_HOOK_SYSMENU, w, engine::IDM_SEND_APP); }},
        {"window menu: move single window to desktop 1",
         [](engine::TfrmPTessarel& f, WPARAM w) {
             f.FSelectedWindow = engine::TWindowRecord::HandleFromWnd(static_cast<uint32_t>(w));
             f.FPressedDesktop = 1;   // a press elsewhere is no source
             f.miS1Click(1);
         }},
        {"window menu: send application to desktop 1",
         [](engine::TfrmPTessarel& f, WPARAM w) {
             f.FSelectedWindow = engine::TWindowRecord::HandleFromWnd(static_cast<uint32_t>(w));
             f.FPressedDesktop = 1;
             f.miA1Click(1);
         }},
    };
    struct StateCase {
        const char* what;
        bool privateTwo;
        int current;
        bool unlocked;
        bool moves;
    } states[] = {
        {"desktop 2 public", false, 3, true, true},
        {"desktop 2 private, another desktop current", true, 3, true, false},
        {"desktop 2 private and current, still locked", true, 2, false, false},
        {"desktop 2 private, current and unlocked", true, 2, true, true},
    };
    for (const auto& s : states) {
        for (const auto& r : routes) {
            SCOPED_TRACE(std::string(s.what) + "; " + r.what);
            settings_.privateDesktops.clear();
            if (s.privateTwo) settings_.privateDesktops.insert(2);
            Form().FGridCols = 1;
            Form().FGridRows = 4;
            Form().FCurrentDesktop = Form().FRequestedDesktop = s.current;
            Form().FDesktopUnlocked = s.unlocked;
            ASSERT_NE(RecordOf(h.Window()), nullptr);
            RecordOf(h.Window())->Desktop = 2;
            r.move(Form(), wnd);
            ASSERT_NE(RecordOf(h.Window()), nullptr);
            EXPECT_EQ(RecordOf(h.Window())->Desktop, s.moves ? 1 : 2);
        }
    }
}
