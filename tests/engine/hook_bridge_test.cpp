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
