// The moves of windows between desktops from the menus, run on a main form
// without a window in this process: what the tray's application list, the
// preview's window menu and its "to current desktop" items do and log.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"
#include "support/fake_settings.h"
#include "support/own_window.h"

using engine::TWindowRecord;

namespace {

class MovesTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::frmPTessarel = &form_;
        form_.FGridCols = 2;
        form_.FGridRows = 2;
        form_.FCurrentDesktop = form_.FRequestedDesktop = 1;
        form_.FStickyList = std::make_unique<engine::TRegStringList>();
        form_.CreateTrayMenus();
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(navigation::frmLog);   // events are written only while the log exists
        app.SetMainForm(before);
    }
    void TearDown() override {
        if (navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        engine::frmPTessarel = nullptr;
    }
    void Add(HWND w, int desktop) {
        TWindowRecord r;
        r.Wnd = TWindowRecord::WndFromHandle(w);
        r.Desktop = static_cast<int8_t>(desktop);
        r.ProcessId = ::GetCurrentProcessId();
        r.Visible = 1;
        form_.FWindowTable.push_back(r);
    }
    int DesktopOf(HWND w) {
        const int i = form_.FindWindowRecord(w);
        return i < 0 ? -1 : form_.FWindowTable[static_cast<size_t>(i)].Desktop;
    }
    std::vector<std::string> Log() const { return navigation::frmLog->FirstLines(20); }
    bool Logged(std::string_view part) const {
        for (const auto& line : Log())
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    bool MenuItemVisible(std::string_view name) {
        framework::MenuItem* item = form_.PopupMenu2.Items.Find(name);
        return item && item->Visible;
    }

    e2e::FakeSettings settings_;
    engine::TfrmPTessarel form_;
};

}  // namespace

// Only a switch that will happen is the menu's: a flag left standing would
// take the focus hand-over from the next switch, whoever asks for it.
TEST_F(MovesTest, AnApplicationWindowItemMarksOnlyASwitchItRequests) {
    e2e::OwnWindow here("TessMoveHere"), there("TessMoveThere"), beyond("TessMoveBeyond"), unknown("TessMoveUnknown");
    Add(here.Handle(), 1);
    Add(there.Handle(), 3);
    Add(beyond.Handle(), 6);   // left over from a larger grid
    struct Case {
        const char* what;
        HWND w;
        bool pendingBefore;
        int requested;
        bool previewSwitch;
    } cases[] = {
        {"a window of the current desktop", here.Handle(), false, 1, false},
        {"a window of another desktop", there.Handle(), false, 3, true},
        {"a window the table does not hold", unknown.Handle(), false, 1, false},
        {"a desktop outside the grid", beyond.Handle(), false, 1, false},
        {"while another switch is pending", there.Handle(), true, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form_.FCurrentDesktop = 1;
        form_.FRequestedDesktop = c.pendingBefore ? 2 : 1;
        form_.FPreviewSwitch = false;
        form_.AppWindowItemClick(c.w);
        EXPECT_EQ(form_.FRequestedDesktop, c.requested);
        EXPECT_EQ(form_.FPreviewSwitch, c.previewSwitch);
    }
}

TEST_F(MovesTest, TheMoveItemsFollowTheDesktopCount) {
    struct Case { int cols, rows; } grids[] = {{2, 2}, {3, 3}, {1, 2}, {5, 1}};
    for (const auto& g : grids) {
        form_.FGridCols = g.cols;
        form_.FGridRows = g.rows;
        form_.LayoutPreview(260, 195);
        for (int k = 1; k <= 9; ++k) {
            const bool inGrid = k <= g.cols * g.rows;
            EXPECT_EQ(MenuItemVisible("miA" + std::to_string(k)), inGrid) << g.cols << "x" << g.rows << " #" << k;
            EXPECT_EQ(MenuItemVisible("miS" + std::to_string(k)), inGrid) << g.cols << "x" << g.rows << " #" << k;
        }
    }
}

// A move the engine refuses did not happen, and the log says nothing of it.
TEST_F(MovesTest, ARefusedMoveLogsNothing) {
    e2e::OwnWindow w("TessMoveRefused");
    Add(w.Handle(), 1);
    form_.FSelectedWindow = w.Handle();
    form_.FPressedDesktop = 1;
    form_.miS1Click(7);
    form_.miA1Click(7);
    EXPECT_EQ(DesktopOf(w.Handle()), 1);
    EXPECT_FALSE(Logged("sent to desktop #7")) << (Log().empty() ? "" : Log()[0]);

    form_.miS1Click(2);
    EXPECT_EQ(DesktopOf(w.Handle()), 2);
    EXPECT_TRUE(Logged("window sent to desktop #2, triggered by user action"));
}

// "Send this ... to current desktop" are the two moves of the window menu
// with the current desktop as their target: a window that has gone moves
// nothing, a single window the table does not hold moves nowhere, and
// neither is logged.
TEST_F(MovesTest, ToCurrentDesktopMovesOnlyWhatTheTableHolds) {
    e2e::OwnWindow held("TessMoveHeld");
    Add(held.Handle(), 2);
    auto gone = std::make_unique<e2e::OwnWindow>("TessMoveGone");
    const HWND goneHandle = gone->Handle();
    Add(goneHandle, 2);
    gone.reset();
    e2e::OwnWindow stranger("TessMoveStranger");
    using Item = void (engine::TfrmPTessarel::*)();
    struct Case {
        const char* what;
        Item item;
        HWND picked;
    } cases[] = {
        {"the application of a window that has gone", &engine::TfrmPTessarel::miDrag2CurrentClick, goneHandle},
        {"a single window that has gone", &engine::TfrmPTessarel::miDragW2CurrentClick, goneHandle},
        {"a single window the table does not hold", &engine::TfrmPTessarel::miDragW2CurrentClick, stranger.Handle()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        navigation::frmLog->mLog.Clear();
        form_.FSelectedWindow = c.picked;
        form_.FPressedDesktop = 2;
        (form_.*c.item)();
        EXPECT_TRUE(Log().empty()) << Log()[0];
        EXPECT_EQ(DesktopOf(held.Handle()), 2);
    }
    form_.FSelectedWindow = held.Handle();
    form_.miDragW2CurrentClick();
    EXPECT_EQ(DesktopOf(held.Handle()), 1);
    EXPECT_TRUE(Logged("window sent to desktop #1, triggered by user action"));
}
