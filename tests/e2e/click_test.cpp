// The click window against the running program: placed where the settings
// keep it (pulled back onto the screen when that lies off it), a press
// moved by two pixels still opens the preview on release, a real drag moves
// it without the preview, and the place it was dragged to survives a
// restart.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/program_test.h"

using namespace e2e;

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;
const std::string kCentre = "mousemove " + std::to_string(kScreenW / 2) + " " + std::to_string(kScreenH / 2);

std::string MoveTo(int x, int y) { return "mousemove " + std::to_string(x) + " " + std::to_string(y); }

RECT PlaceOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

bool At(HWND w, int left, int top) {
    const RECT r = PlaceOf(w);
    return r.left == left && r.top == top;
}

class ClickTest : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(RunXdotool(kCentre), 0);
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        FindClickWindow();
    }
    void TearDown() override {
        program_.reset();
        RunXdotool("mouseup 1 " + kCentre);
    }
    void Prepare() override {
        WriteSetting("deskinfo", 1);   // "Desktop info window"; large by default
        WriteSetting("cfxwinpos", 5000);
        WriteSetting("cfywinpos", 2500);
    }
    void FindClickWindow() {
        ASSERT_TRUE(program_->WaitForMessageLoop());
        click_ = WaitForWindow("", "TfrmClick", program_->Pid());
        ASSERT_NE(click_, nullptr);
        ASSERT_TRUE(ShownSoon(click_));
    }
    HWND click_ = nullptr;
};

class OffScreenClickTest : public ClickTest {
protected:
    void Prepare() override {
        WriteSetting("deskinfo", 1);
        WriteSetting("cfxwinpos", 25000);                      // kept on a far larger screen
        WriteSetting("cfywinpos", static_cast<DWORD>(-4000));  // or a damaged value
    }
};

}  // namespace

TEST_F(ClickTest, AShortMoveStillOpensThePreviewAndADragMovesIt) {
    ASSERT_TRUE(At(click_, kScreenW / 2, kScreenH / 4));
    EXPECT_EQ(PlaceOf(click_).right - PlaceOf(click_).left, 32);
    HWND preview = program_->MainWindow();
    ASSERT_FALSE(IsShown(preview));

    // Two pixels to the right while pressed: the window follows, and the
    // release opens the preview all the same.
    const int x = kScreenW / 2 + 8, y = kScreenH / 4 + 8;
    ASSERT_EQ(RunXdotool(MoveTo(x, y) + " mousedown 1 sleep 0.1 " + MoveTo(x + 2, y) + " sleep 0.1 mouseup 1"), 0);
    ASSERT_TRUE(ShownSoon(preview)) << "no preview after a short move";
    EXPECT_TRUE(At(click_, kScreenW / 2 + 2, kScreenH / 4));

    // The preview goes once the cursor has been away from it for a while.
    ASSERT_EQ(RunXdotool(MoveTo(10, 10)), 0);
    ASSERT_TRUE(HiddenSoon(preview, 10000));

    // A real drag: the window moves by the cursor's way, and no preview.
    std::string drag = MoveTo(x + 2, y) + " mousedown 1 sleep 0.1";
    for (int step = 1; step <= 5; ++step) drag += " " + MoveTo(x + 2 + 10 * step, y + 10 * step) + " sleep 0.05";
    drag += " sleep 0.1 mouseup 1";
    ASSERT_EQ(RunXdotool(drag), 0);
    const int left = kScreenW / 2 + 52, top = kScreenH / 4 + 50;
    ASSERT_TRUE(WaitUntil([&] { return At(click_, left, top); }))
        << PlaceOf(click_).left << "," << PlaceOf(click_).top;
    EXPECT_FALSE(ShownSoon(preview, 1000)) << "a drag opened the preview";

    // The place survives a restart.
    ASSERT_EQ(RunXdotool(kCentre), 0);
    ASSERT_EQ(program_->KillInstance(), 0);
    program_ = std::make_unique<Tessarel>("", false);
    ASSERT_NE(program_->MainWindow(), nullptr);
    FindClickWindow();
    EXPECT_TRUE(At(click_, left, top)) << PlaceOf(click_).left << "," << PlaceOf(click_).top;
}

TEST_F(OffScreenClickTest, AStoredPlaceOffTheScreenIsPulledBack) {
    EXPECT_TRUE(At(click_, kScreenW - 16, 0)) << PlaceOf(click_).left << "," << PlaceOf(click_).top;
}
