#pragma once
// A test suite that runs one of the program's windows in this process over
// the windows of helper processes: the user's state reset, the settings the
// tests choose, the main form (whose engine records the helpers' windows as
// the program's would), then the window under test. After the suite they go
// again in the opposite order.
//
//     class AppListTest : public e2e::FormSuite<navigation::frmAppList> { ... };
#include <gtest/gtest.h>
#include <windows.h>
#include "engine/main_form.h"
#include "framework/application.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/fake_settings.h"

namespace e2e {

// The settings such a suite's forms read; each test resets what it set.
FakeSettings& Settings();
engine::TfrmPTessarel& Main();
// The main form has recorded the window (waits up to 5 s for its scan).
bool Recorded(HWND w);
// The desktop of the window's record; -1 for a window without one.
int DesktopOf(HWND w);

// window: the global pointer the program keeps the form under.
template <auto& window>
class FormSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResetUserState();
        settings::SetLiveSource(&Settings());
        auto& app = framework::App();
        app.CreateForm(engine::frmPTessarel);
        app.CreateForm(window);
        app.SetMainForm(engine::frmPTessarel);
    }
    static void TearDownTestSuite() {
        auto& app = framework::App();
        app.FreeForm(window);
        app.FreeForm(engine::frmPTessarel);
        settings::SetLiveSource(nullptr);
    }
};

}  // namespace e2e
