// The start-up wizard: its navigation, what its answers become, the layout
// preview, and what skipping and finishing store. The wizard and the
// settings dialog are created in this process against the real registry of
// the test prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <optional>
#include "framework/application.h"
#include "framework/registry.h"
#include "settings/layout_preview.h"
#include "settings/start_wiz.h"
#include "settings/store_values.h"
#include "settings/vd_config.h"
#include "support/e2e.h"

using namespace settings;

namespace {

std::optional<int> StoredValue(std::string_view name) {
    framework::Registry reg;
    if (!reg.OpenKeyReadOnly(kSettingsKey)) return std::nullopt;
    return reg.TryReadInteger(name);
}

void StoreValue(std::string_view name, int value) {
    framework::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
    reg.WriteInteger(name, value);
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        wizard = std::make_unique<TfrmStartWiz>();
        wizard->CreateHandle();
        wizard->Show();
    }
    void TearDown() override {
        wizard.reset();
        if (frmVDConfig) framework::App().FreeForm(frmVDConfig);
        e2e::ResetUserState();
    }
    void GoToPage(int page) {
        while (wizard->PageIndex() < page) wizard->lbNextClick();
    }
    std::unique_ptr<TfrmStartWiz> wizard;
};

}  // namespace

TEST(WizardRules, NavigationShowsProgressBackAndFinish) {
    struct {
        int page;
        bool back;
        const char* progress;
        std::string_view next;
    } cases[] = {
        {0, false, "1/11", "Next >>"},
        {1, true, "2/11", "Next >>"},
        {9, true, "10/11", "Next >>"},
        {10, true, "11/11", "Finish >>"},
    };
    for (const auto& c : cases) {
        const WizardNavigation nav = NavigationFor(c.page);
        EXPECT_EQ(nav.backEnabled, c.back) << c.page;
        EXPECT_EQ(nav.progress, c.progress) << c.page;
        EXPECT_EQ(nav.next, c.next) << c.page;
    }
}

TEST(WizardRules, AnswersBecomeTheSettingsTheyName) {
    const WizardAnswers initial;
    const WizardSettings s = SettingsFromAnswers(initial);
    // The initial choices: bar on the left, numbers on, a large info window,
    // big icons, 3 x 3, no edge navigation, no following, important bubbles.
    EXPECT_EQ(s.deskBar, 1);
    EXPECT_TRUE(s.showNum);
    EXPECT_TRUE(s.deskInfo);
    EXPECT_EQ(s.largeInfo, std::optional<bool>(true));
    EXPECT_TRUE(s.largeIcons);
    EXPECT_EQ(s.layout, 4);
    EXPECT_EQ(s.edge, 0);
    EXPECT_FALSE(s.follow);
    EXPECT_EQ(s.bubbleLevel, 1);

    struct {
        WizardAnswers answers;
        bool showNum, deskInfo;
        std::optional<bool> largeInfo;
        bool largeIcons, follow;
        int bubbleLevel;
    } cases[] = {
        // Small icons stay small whatever the desktop-number answer.
        {{.deskNum = 0, .iconSize = 0}, true, true, true, false, false, 1},
        {{.deskNum = 1, .iconSize = 0}, false, true, true, false, false, 1},
        // No info window leaves its size alone; a small one turns "large" off.
        {{.infoWindow = 0}, true, false, std::nullopt, true, false, 1},
        {{.infoWindow = 1}, true, true, false, true, false, 1},
        {{.autoFollow = 0, .bubble = 1}, true, true, true, true, true, 0},
    };
    for (const auto& c : cases) {
        const WizardSettings r = SettingsFromAnswers(c.answers);
        EXPECT_EQ(r.showNum, c.showNum);
        EXPECT_EQ(r.deskInfo, c.deskInfo);
        EXPECT_EQ(r.largeInfo, c.largeInfo);
        EXPECT_EQ(r.largeIcons, c.largeIcons);
        EXPECT_EQ(r.follow, c.follow);
        EXPECT_EQ(r.bubbleLevel, c.bubbleLevel);
    }
}

TEST(WizardRules, LayoutCellsGoColumnByColumnNumberedRowByRow) {
    struct Cell {
        LONG left, top;
        const char* text;
    };
    struct {
        int layout;
        std::vector<Cell> cells;
    } cases[] = {
        {9, {{12, 50, "1 "}, {12, 99, "3 "}, {77, 50, "2 "}, {77, 99, "4 "}}},                   // 2 x 2
        {13, {{12, 50, "1 "}, {12, 99, "2 "}}},                                                  // 1 x 2
        {12, {{12, 50, "1 "}, {77, 50, "2 "}}},                                                  // 2 x 1
        {-1, {{12, 50, "1 "}, {12, 99, "4 "}, {12, 148, "7 "}, {77, 50, "2 "}, {77, 99, "5 "},   // none: 3 x 3
              {77, 148, "8 "}, {142, 50, "3 "}, {142, 99, "6 "}, {142, 148, "9 "}}},
    };
    for (const auto& c : cases) {
        const auto cells = LayoutPreviewCells(c.layout, POINT{12, 50});
        ASSERT_EQ(cells.size(), c.cells.size()) << c.layout;
        for (size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ(cells[i].bounds.left, c.cells[i].left) << c.layout << " " << i;
            EXPECT_EQ(cells[i].bounds.top, c.cells[i].top) << c.layout << " " << i;
            EXPECT_EQ(cells[i].bounds.right - cells[i].bounds.left, 65);
            EXPECT_EQ(cells[i].bounds.bottom - cells[i].bounds.top, 49);
            EXPECT_EQ(cells[i].text, c.cells[i].text) << c.layout << " " << i;
        }
    }
}

TEST_F(Wizard, OpensOnTheWelcomePageWithTheInitialChoices) {
    EXPECT_EQ(wizard->Caption(), "Pelmora Virtual Desktop Startup wizard");
    EXPECT_EQ(wizard->PageIndex(), 0);
    EXPECT_FALSE(wizard->lbBack.Enabled());
    EXPECT_EQ(wizard->lbProgress.Caption(), "1/11");
    EXPECT_EQ(wizard->lbNext.Caption(), "Next >>");
    EXPECT_TRUE(wizard->cbKeep.Checked());
    EXPECT_EQ(wizard->cbLayout.Text(), "3 x 3");
    const WizardAnswers a = wizard->Answers();
    const WizardAnswers initial;
    EXPECT_EQ(a.deskBar, initial.deskBar);
    EXPECT_EQ(a.deskNum, initial.deskNum);
    EXPECT_EQ(a.infoWindow, initial.infoWindow);
    EXPECT_EQ(a.iconSize, initial.iconSize);
    EXPECT_EQ(a.edge, initial.edge);
    EXPECT_EQ(a.autoFollow, initial.autoFollow);
    EXPECT_EQ(a.bubble, initial.bubble);
    // The preview shows 3 x 3 with its numbers over the pictures.
    ASSERT_EQ(wizard->pnPrev.PictureCount(), 9u);
    EXPECT_EQ(wizard->pnPrev.Number(8).Caption(), "9 ");
    EXPECT_TRUE(wizard->pnPrev.Number(8).RightAligned);
    EXPECT_EQ(wizard->pnPrev.Number(8).FontColor, static_cast<COLORREF>(0x2020D0));
}

TEST_F(Wizard, BackAndNextWalkThePagesAndTheLastOneFinishes) {
    wizard->lbNextClick();
    EXPECT_EQ(wizard->PageIndex(), 1);
    EXPECT_TRUE(wizard->lbBack.Enabled());
    EXPECT_EQ(wizard->lbProgress.Caption(), "2/11");
    wizard->lbBackClick();
    EXPECT_EQ(wizard->PageIndex(), 0);
    EXPECT_FALSE(wizard->lbBack.Enabled());
    GoToPage(10);
    EXPECT_EQ(wizard->lbNext.Caption(), "Finish >>");
    EXPECT_EQ(wizard->lbProgress.Caption(), "11/11");
    EXPECT_TRUE(wizard->Visible());
}

TEST_F(Wizard, ChoosingALayoutRedrawsThePreview) {
    wizard->cbLayout.SetItemIndex(0);   // "1 x 5"
    wizard->cbLayoutChange();
    ASSERT_EQ(wizard->pnPrev.PictureCount(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(wizard->pnPrev.Picture(i).Left(), 12);
        EXPECT_EQ(wizard->pnPrev.Picture(i).Top(), 50 + 49 * static_cast<int>(i));
        EXPECT_EQ(wizard->pnPrev.Number(i).Caption(), std::to_string(i + 1) + " ");
    }
}

TEST_F(Wizard, SkippingWithKeepCheckedStoresNothing) {
    StoreValue(kShowWizardValue, 1);
    wizard->Label9Click();
    EXPECT_FALSE(wizard->Visible());
    EXPECT_EQ(StoredValue(kShowWizardValue), 1);
}

TEST_F(Wizard, SkippingWithKeepUncheckedClearsTheFlag) {
    StoreValue(kShowWizardValue, 1);
    wizard->cbKeep.SetChecked(false);
    wizard->Label9Click();
    EXPECT_FALSE(wizard->Visible());
    EXPECT_EQ(StoredValue(kShowWizardValue), 0);
}

TEST_F(Wizard, FinishPutsTheAnswersIntoTheSettingsAndSavesThem) {
    StoreValue(kShowWizardValue, 1);
    framework::App().CreateForm(frmVDConfig);
    wizard->rgIconSize.SetItemIndex(0);     // small icons
    wizard->rgInfoWindow.SetItemIndex(1);   // a small info window
    wizard->rgEdge.SetItemIndex(2);         // mouse knock
    wizard->rgAuto.SetItemIndex(0);         // follow
    wizard->rgDeskBar.SetItemIndex(3);      // top
    wizard->cbLayout.SetItemIndex(9);       // "2 x 2"
    GoToPage(10);
    wizard->lbNextClick();
    EXPECT_FALSE(wizard->Visible());
    EXPECT_FALSE(frmVDConfig->cbLarge.Checked());
    EXPECT_TRUE(frmVDConfig->cbShowNum.Checked());
    EXPECT_TRUE(frmVDConfig->cbDeskInfo.Checked());
    EXPECT_FALSE(frmVDConfig->cbLargeInfo.Checked());
    const std::pair<std::string_view, int> stored[] = {
        {"largeicons", 0}, {"desknum", 1}, {"deskinfo", 1}, {"deskinfolarge", 0}, {"edgenav", 2},
        {"autofollow", 1}, {"deskbar", 3}, {"layoutid", 9}, {kShowWizardValue, 0},
    };
    for (const auto& [name, value] : stored) EXPECT_EQ(StoredValue(name), value) << name;
}
