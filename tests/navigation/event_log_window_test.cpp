// The event-log window: its two settings, read at creation and written by
// OK, and the options panel that follows the bubble level.
#include <gtest/gtest.h>
#include "log_fixture.h"

using namespace navigation;

namespace {

struct LogWindowFixture : ::testing::Test {
    logtest::LogSettingsScope settings;
    void TearDown() override { logtest::LogFixture::FreeLog(); }
    TfrmLog& Create() {
        logtest::LogFixture::CreateLog();
        return *frmLog;
    }
};

}  // namespace

TEST_F(LogWindowFixture, MissingValuesGiveImportantEventsOnlyAndNotifications) {
    TfrmLog& log = Create();
    EXPECT_EQ(log.Level(), 1);
    EXPECT_TRUE(log.InactiveNotify());
    EXPECT_EQ(log.pnOptions.Height(), 85);
    EXPECT_EQ(log.mLog.Top(), 85);
    EXPECT_EQ(log.LineCount(), 0);
    EXPECT_FALSE(log.Visible());
    EXPECT_EQ(log.Caption(), log_texts::kCaption);
    EXPECT_EQ(log.Width(), 620);
    EXPECT_EQ(log.Height(), 400);
}

TEST_F(LogWindowFixture, StoredValuesAreReadAndTheLevelSetsThePanelHeight) {
    struct { int stored; int level; int panel; } cases[] = {{0, 0, 47}, {2, 2, 85}, {7, 2, 85}, {-3, -1, 47}};
    for (auto c : cases) {
        logtest::LogSettingsScope::Write(c.stored, false);
        TfrmLog& log = Create();
        EXPECT_EQ(log.Level(), c.level) << c.stored;
        EXPECT_FALSE(log.InactiveNotify());
        EXPECT_EQ(log.pnOptions.Height(), c.panel) << c.stored;
        EXPECT_EQ(log.mLog.Top(), c.panel);
        logtest::LogFixture::FreeLog();
    }
}

TEST_F(LogWindowFixture, ClickingALevelResizesThePanelAndOkStoresBothValues) {
    TfrmLog& log = Create();
    log.Show();
    ::SendMessageA(log.rbLevel0.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(log.Level(), 0);
    EXPECT_EQ(log.pnOptions.Height(), 47);
    ::SendMessageA(log.rbLevel2.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(log.Level(), 2);
    EXPECT_EQ(log.pnOptions.Height(), 85);
    ::SendMessageA(log.cbInactNotify.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(log.InactiveNotify());

    HWND ok = log.btnOK.Handle();
    ::SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(log.Visible());

    EXPECT_EQ(e2e::RegistryValuesScope::GetInt(kBubbleLevelValue), 2);
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt(kInactNotifyValue), 0);
}

TEST_F(LogWindowFixture, LinesGoInAtTheTop) {
    TfrmLog& log = Create();
    log.InsertLine("[12:00] first");
    log.InsertLine("[12:01] second");
    log.InsertLine("[12:02] third");
    EXPECT_EQ(log.LineCount(), 3);
    EXPECT_EQ(log.FirstLines(10), (std::vector<std::string>{"[12:02] third", "[12:01] second", "[12:00] first"}));
    EXPECT_EQ(log.FirstLines(2).size(), 2u);
    EXPECT_EQ(log.Line(3), "");
}

TEST_F(LogWindowFixture, ALongRunOutgrowsTheEditsDefaultLimit) {
    TfrmLog& log = Create();
    const std::string filler(60, 'x');
    for (int i = 0; i < 1500; ++i) log.InsertLine("[12:00] " + std::to_string(i) + " " + filler);   // about 100 KB
    EXPECT_EQ(log.LineCount(), 1500);
    EXPECT_EQ(log.Line(0), "[12:00] 1499 " + filler);
    EXPECT_EQ(log.Line(1499), "[12:00] 0 " + filler);
}
