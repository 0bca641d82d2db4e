// The click window: its place as fractions of the screen (truncated when
// kept, rounded and pulled back onto the screen when restored), the drag
// rule, its sizes, and its picture.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "navigation/click.h"
#include "support/e2e.h"

using namespace navigation;

TEST(ClickRules, PlacesAreKeptInTruncatedTenThousandths) {
    struct Case {
        int pos, size, want;
    } cases[] = {
        {640, 1280, 5000}, {1180, 1280, 9218},   // 9218.75
        {1, 3, 3333}, {2, 3, 6666},              // never rounded up
        {0, 1024, 0}, {1264, 1280, 9875}, {-5, 1280, -39},
        {100, 0, 0},                              // no screen
    };
    for (const auto& c : cases) EXPECT_EQ(ClickFraction(c.pos, c.size), c.want) << c.pos << " of " << c.size;
}

TEST(ClickRules, APressBecomesADragOnlyByMoreThanThreePixelsOnBothAxes) {
    struct Case {
        POINT to;
        bool drag;
    } cases[] = {
        {{102, 100}, false}, {{150, 100}, false}, {{100, 150}, false},   // one axis only
        {{103, 103}, false}, {{104, 103}, false},                        // three is not more than three
        {{104, 104}, true}, {{96, 96}, true}, {{96, 104}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsClickDrag({100, 100}, c.to), c.drag) << c.to.x << "," << c.to.y;
}

namespace {

class ClickWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::frmPTessarel = &main_;
        framework::Form* before = framework::App().MainForm();
        framework::App().CreateForm(frmClick);
        framework::App().SetMainForm(before);
    }
    void TearDown() override {
        if (frmClick) framework::App().FreeForm(frmClick);
        engine::frmPTessarel = nullptr;
    }
    TfrmClick& Click() { return *frmClick; }
    static int W() { return ::GetSystemMetrics(SM_CXSCREEN); }
    static int H() { return ::GetSystemMetrics(SM_CYSCREEN); }

    engine::TfrmPTessarel main_;
};

}  // namespace

TEST_F(ClickWindowTest, ShownBySettingsInTwoSizesKeepingItsCorner) {
    EXPECT_FALSE(::IsWindowVisible(Click().Handle()));
    Click().PlaceAt(200, 150);
    Click().ApplyClickSettings(true, true);
    EXPECT_TRUE(::IsWindowVisible(Click().Handle()));
    EXPECT_EQ(Click().Width(), kClickLarge);
    EXPECT_EQ(Click().Height(), kClickLarge);
    EXPECT_TRUE(Click().ExStyle() & WS_EX_LAYERED);
    EXPECT_TRUE(Click().ExStyle() & WS_EX_TOPMOST);
    BYTE alpha = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(Click().Handle(), nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, kClickAlpha);
    Click().ApplyClickSettings(true, false);
    EXPECT_EQ(Click().Width(), kClickSmall);
    EXPECT_EQ(Click().Left(), 200);
    EXPECT_EQ(Click().Top(), 150);
    Click().ApplyClickSettings(false, false);
    EXPECT_FALSE(::IsWindowVisible(Click().Handle()));
}

TEST_F(ClickWindowTest, RestoredPlacesStayOnTheScreen) {
    Click().ApplyClickSettings(true, true);
    Click().PlaceAt(W() / 2, H() / 4);
    EXPECT_EQ(Click().FPosX, 5000);
    EXPECT_EQ(Click().FPosY, 2500);
    Click().SetPosition(0, 0);
    Click().RestoreClickPosition();
    EXPECT_EQ(Click().Left(), W() / 2);
    EXPECT_EQ(Click().Top(), H() / 4);

    // Kept on a larger screen, restored on this one; also for the large
    // size, the limit is the screen size - 16.
    struct Case {
        int posX, posY, left, top;
    } cases[] = {
        {12000, 9999, W() - 16, H() - 16},
        {-300, 0x7FFFFFFF, 0, H() - 16},
        {0, -0x7FFFFFFF, 0, 0},
    };
    for (const auto& c : cases) {
        Click().FPosX = c.posX;
        Click().FPosY = c.posY;
        Click().RestoreClickPosition();
        EXPECT_EQ(Click().Left(), c.left) << c.posX;
        EXPECT_EQ(Click().Top(), c.top) << c.posY;
    }
}

TEST_F(ClickWindowTest, MovesWithTheCursorButShortMovesAreNoDrag) {
    Click().ApplyClickSettings(true, false);
    Click().PlaceAt(300, 300);
    Click().Image1MouseDown({305, 305}, false);
    Click().Image1MouseMove({307, 305}, true);   // two pixels to the right
    EXPECT_FALSE(Click().Dragged());
    EXPECT_EQ(Click().Left(), 302);
    EXPECT_EQ(Click().FPosX, ClickFraction(302, W()));
    Click().Image1MouseMove({312, 312}, true);
    EXPECT_TRUE(Click().Dragged());
    EXPECT_EQ(Click().Left(), 307);
    EXPECT_EQ(Click().Top(), 307);
    // Moving with the button up ends the drag.
    Click().Image1MouseMove({320, 320}, false);
    EXPECT_FALSE(Click().Dragged());
    EXPECT_EQ(Click().Left(), 307);
}

TEST_F(ClickWindowTest, ADamagedPictureLeavesTheOldOne) {
    const std::string folder = e2e::TempDir();
    const std::string bad = folder + "l1.bmp";
    std::ofstream(bad, std::ios::binary) << "BM not a bitmap";
    EXPECT_THROW(Click().LoadPicture(bad), framework::Exception);
    EXPECT_FALSE(Click().HasPicture());
    Click().LoadPicture(e2e::BinDir() + "gfx\\l2.bmp");
    ASSERT_TRUE(Click().HasPicture());
    EXPECT_THROW(Click().LoadPicture(bad), framework::Exception);
    EXPECT_TRUE(Click().HasPicture());
    EXPECT_THROW(Click().LoadPicture(folder + "missing.bmp"), framework::Exception);
}
