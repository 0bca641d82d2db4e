// The send-current window against the running program: its gesture opens
// it with the desktops of the grid, "Help!" opens its help topic, Cancel
// sends nothing, and it closes itself 2 seconds after the mouse has left it.
// What a desktop's tile sends is tested in-process (tests/navigation).
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include "support/program_test.h"

using namespace e2e;

namespace {

const std::string kCentre = "mousemove 640 512";

// "UR" with the middle button held, starting at (x, y).
std::string GestureUpRight(int x, int y) {
    std::string g = "mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 2 sleep 0.1";
    for (int i = 1; i <= 8; ++i) g += " mousemove " + std::to_string(x) + " " + std::to_string(y - 20 * i) + " sleep 0.03";
    for (int i = 1; i <= 8; ++i)
        g += " mousemove " + std::to_string(x + 20 * i) + " " + std::to_string(y - 160) + " sleep 0.03";
    return g + " sleep 0.1 mouseup 2";
}

// A two-window application in front on desktop 1 and another application
// beside it; the layout has four desktops.
class SendCurrentTest : public ProgramTest {
protected:
    void Prepare() override { WriteSetting("layoutid", 9); }   // "2 x 2"
    void SetUp() override {
        ReleaseStuckKeys();
        ASSERT_EQ(RunXdotool(kCentre), 0);
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        window_ = WaitForWindow("", "TfrmSendCurrent", program_->Pid(), 15000);
        ASSERT_NE(window_, nullptr);
        app_ = std::make_unique<Helper>(HelperOptions{.cls = "TessSendApp", .title = "app", .count = 2});
        other_ = std::make_unique<Helper>(HelperOptions{.cls = "TessSendOther", .title = "other"});
        // The gesture starts on the first window, nothing above it there.
        ::SetWindowPos(app_->Window(0), HWND_TOP, 100, 300, 400, 300, SWP_NOACTIVATE);
        ::SetWindowPos(app_->Window(1), nullptr, 700, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(other_->Window(), nullptr, 700, 500, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        // The program has met every window once a switch away hid them all.
        SwitchTo("-s2", {}, {app_->Window(0), app_->Window(1), other_->Window()});
        SwitchTo("-s1", {app_->Window(0), app_->Window(1), other_->Window()}, {});
    }
    void TearDown() override {
        program_.reset();
        app_.reset();
        other_.reset();
        RunXdotool("mouseup 2 " + kCentre);
    }
    // Puts the application's first window in front and draws the gesture on
    // it until the window opens. Under Wine the middle button's press may
    // hand the front to the desktop window, so the window may open for that
    // one: what a tile sends is checked in-process, against the same engine.
    bool OpenWithGesture() {
        HWND front = app_->Window(0);
        for (int attempt = 0; attempt < 5; ++attempt) {
            ::SetForegroundWindow(front);
            if (!WaitUntil([&] { return ::GetForegroundWindow() == front; }, 3000)) continue;
            RECT r{};
            ::GetWindowRect(front, &r);
            const int x = (r.left + r.right) / 2 - 80, y = (r.top + r.bottom) / 2 + 80;
            if (RunXdotool(GestureUpRight(x, y)) != 0) return false;
            if (WaitUntil([&] { return IsShown(window_); }, 5000)) return true;
        }
        return false;
    }
    HWND Tile(const std::string& text) { return ChildByText(window_, text); }

    HWND window_ = nullptr;
    std::unique_ptr<Helper> app_;
    std::unique_ptr<Helper> other_;
};

}  // namespace

TEST_F(SendCurrentTest, ItsGestureOpensItWithTheDesktopsOfTheGrid) {
    ASSERT_TRUE(OpenWithGesture()) << "the gesture did not open it";
    EXPECT_EQ(TitleOf(window_), "Send current application to ...");
    EXPECT_TRUE(IsShown(Tile("Do not send. Cancel.")));
    EXPECT_TRUE(IsShown(Tile("Help!")));
    // Four desktops: no tile beyond them, whatever the application.
    for (int n = 5; n <= 9; ++n) {
        HWND tile = Tile(std::to_string(n));
        ASSERT_NE(tile, nullptr) << n;
        EXPECT_FALSE(IsShown(tile)) << n;
    }
}

TEST_F(SendCurrentTest, HelpOpensItsTopicAndCancelSendsNothing) {
    ASSERT_TRUE(OpenWithGesture());
    ASSERT_TRUE(ClickCentreOf(Tile("Do not send. Cancel.")));
    EXPECT_TRUE(HiddenSoon(window_));
    EXPECT_TRUE(StaysTrue([&] { return IsShown(app_->Window(0)) && IsShown(app_->Window(1)); }, 1000));

    ASSERT_TRUE(OpenWithGesture());
    ASSERT_TRUE(ClickCentreOf(Tile("Help!")));
    EXPECT_TRUE(HiddenSoon(window_));
    HWND help = WaitForWindow("", "HH Parent", program_->Pid(), 10000);
    ASSERT_NE(help, nullptr) << "no help window";
    ::PostMessageA(help, WM_CLOSE, 0, 0);
}

TEST_F(SendCurrentTest, ClosesTwoSecondsAfterTheMouseLeftIt) {
    ASSERT_TRUE(OpenWithGesture());
    // The window opens at the cursor: it stays while the cursor is inside.
    EXPECT_TRUE(StaysTrue([&] { return IsShown(window_); }, 3000));
    ASSERT_EQ(RunXdotool("mousemove 5 5"), 0);
    EXPECT_TRUE(HiddenSoon(window_, 8000));
    EXPECT_TRUE(IsShown(app_->Window(0)));
}
