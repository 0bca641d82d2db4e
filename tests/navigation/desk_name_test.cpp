// The desktop name panel: its place, its drag, and the lock button's
// password rules against the real settings dialog of this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "navigation/desk_name.h"
#include "settings/vd_config.h"
#include "support/e2e.h"
#include "support/lock_prompt.h"
#include "support/registry_values.h"

using navigation::DeskNameDistances;
using navigation::DeskNamePlace;
using navigation::TaskbarPlace;

namespace {

constexpr SIZE kScreen{1280, 1024};
constexpr SIZE kPanel{100, 20};

struct PlaceCase {
    const char* what;
    DeskNameDistances dist;
    TaskbarPlace taskbar;
    std::optional<POINT> expected;
};

const PlaceCase kPlaceCases[] = {
    {"taskbar at the bottom: right above it, 24 from the right", {}, {ABE_BOTTOM, {0, 1004, 1280, 1024}},
     POINT{1280 - 100 - 24, 1024 - 20 - 20}},
    {"taskbar at the top: the screen's bottom corner", {}, {ABE_TOP, {0, 0, 1280, 30}}, POINT{1156, 1004}},
    {"taskbar on the left", {}, {ABE_LEFT, {0, 0, 60, 1024}}, POINT{1156, 1004}},
    {"taskbar on the right: left of it", {}, {ABE_RIGHT, {1220, 0, 1280, 1024}}, POINT{1280 - 60 - 100 - 24, 1004}},
    {"an unknown edge leaves the panel", {}, {7, {}}, std::nullopt},
    {"only one distance set counts as none", {50, -1}, {ABE_BOTTOM, {0, 1004, 1280, 1024}}, POINT{1156, 984}},
    {"the user's distances", {50, 300}, {ABE_BOTTOM, {0, 1004, 1280, 1024}}, POINT{1280 - 50 - 100, 1024 - 300}},
    {"distances from a larger screen stay on this one", {1500, 2000}, {ABE_BOTTOM, {}}, POINT{0, 0}},
    {"a place below the screen comes back up", {0, 0}, {ABE_BOTTOM, {}}, POINT{1180, 1004}},
};

TEST(DeskNamePlace, FollowsTheTaskbarUntilTheUserPlacesIt) {
    for (const auto& c : kPlaceCases) {
        const auto at = DeskNamePlace(kScreen, kPanel, c.dist, c.taskbar);
        ASSERT_EQ(at.has_value(), c.expected.has_value()) << c.what;
        if (!at) continue;
        EXPECT_EQ(at->x, c.expected->x) << c.what;
        EXPECT_EQ(at->y, c.expected->y) << c.what;
    }
}

TEST(DeskNamePlace, ADraggedPlaceKeepsItsDistanceAcrossScreenSizes) {
    const RECT dropped{900, 700, 1000, 720};
    const DeskNameDistances d = navigation::DistancesOf(kScreen, dropped);
    EXPECT_EQ(d.x, 280);
    EXPECT_EQ(d.y, 324);
    const auto back = DeskNamePlace(kScreen, kPanel, d, {});
    EXPECT_EQ(back->x, 900);
    EXPECT_EQ(back->y, 700);
    const auto smaller = DeskNamePlace({1024, 768}, kPanel, d, {});
    EXPECT_EQ(smaller->x, 1024 - 280 - 100);
    EXPECT_EQ(smaller->y, 768 - 324);
}

// The panel and the settings dialog of this process, with every message box
// answered and noted.
class DeskNamePanel : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT) {
            messages.push_back(std::string(caption) + ": " + std::string(text));
            return IDOK;
        });
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(settings::frmVDConfig);
        app.CreateForm(navigation::frmDeskName);
        app.SetMainForm(before);
        dialog().cbShowName.SetChecked(true);
    }
    void TearDown() override {
        auto& app = framework::App();
        if (navigation::frmDeskName) app.FreeForm(navigation::frmDeskName);
        if (settings::frmVDConfig) app.FreeForm(settings::frmVDConfig);
        framework::SetMessageBoxAnswerer({});
        e2e::ResetUserState();
    }
    settings::TfrmVDConfig& dialog() { return *settings::frmVDConfig; }
    navigation::TfrmDeskName& panel() { return *navigation::frmDeskName; }

    std::vector<std::string> messages;
};

TEST_F(DeskNamePanel, ShowsTheNameWithoutFocusAndHidesWhenSwitchedOff) {
    dialog().edName(3).SetCaption("Mail");
    panel().UpdateDeskName(3);
    EXPECT_TRUE(::IsWindowVisible(panel().Handle()));
    EXPECT_EQ(panel().lbDeskName.Caption(), " Mail");
    EXPECT_NE(::GetForegroundWindow(), panel().Handle());
    EXPECT_EQ(panel().Height(), 20);
    // The label and the button fit side by side, the button at the right edge.
    EXPECT_EQ(panel().btnLock.Left() + panel().btnLock.Width(), panel().ClientWidth());
    EXPECT_GE(panel().btnLock.Left(), panel().lbDeskName.Left() + 1);

    panel().UpdateDeskName(1);
    EXPECT_EQ(panel().lbDeskName.Caption(), " 1");

    dialog().cbShowName.SetChecked(false);
    panel().UpdateDeskName(1);
    EXPECT_FALSE(::IsWindowVisible(panel().Handle()));
}

TEST_F(DeskNamePanel, LockingAsksNothingButUnlockingNeedsThePassword) {
    e2e::RegistryValuesScope scope({"pwdlocal", "locked2"});
    e2e::LockPromptAnswers prompt;
    panel().UpdateDeskName(2);

    panel().btnLockClick();   // private: no password asked
    EXPECT_TRUE(prompt.reasons.empty());
    EXPECT_TRUE(dialog().IsPrivate(2));
    EXPECT_TRUE(dialog().cbLock(2).Checked());
    EXPECT_TRUE(panel().btnLock.Locked());
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt("locked2"), 1);   // saved: the dialog is not open

    prompt.accept = false;    // a wrong password changes nothing
    panel().btnLockClick();
    ASSERT_EQ(prompt.reasons.size(), 1u);
    EXPECT_EQ(prompt.reasons[0], "You must enter your desktop lock password to unlock this desktop!");
    EXPECT_TRUE(dialog().IsPrivate(2));
    EXPECT_TRUE(panel().btnLock.Locked());
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt("locked2"), 1);

    prompt.accept = true;
    panel().btnLockClick();
    EXPECT_EQ(prompt.reasons.size(), 2u);
    EXPECT_FALSE(dialog().IsPrivate(2));
    EXPECT_FALSE(dialog().cbLock(2).Checked());
    EXPECT_FALSE(panel().btnLock.Locked());
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt("locked2"), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeskNamePanel, WithoutAPasswordTheButtonWarnsAndChangesNothing) {
    panel().UpdateDeskName(2);
    panel().btnLockClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Warning!: You MUST set a desktop lock password if you define at least one private desktop!");
    // Until a first password is set, no desktop becomes private.
    EXPECT_FALSE(dialog().IsPrivate(2));
    EXPECT_FALSE(panel().btnLock.Locked());
}

TEST_F(DeskNamePanel, AClickWithoutMovingMakesThePresentPlaceTheUsers) {
    e2e::RegistryValuesScope scope({"desknamex", "desknamey"});
    panel().UpdateDeskName(1);
    const RECT before = panel().BoundsRect();
    ::SendMessageA(panel().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(panel().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt("desknamex"), w - before.right);
    EXPECT_EQ(e2e::RegistryValuesScope::GetInt("desknamey"), h - before.top);
    // A wider name keeps the right edge where the user left it.
    dialog().edName(1).SetCaption("A much longer desktop name");
    panel().UpdateDeskName(1);
    EXPECT_EQ(panel().BoundsRect().right, before.right);
    EXPECT_EQ(panel().Top(), before.top);
}

}  // namespace
