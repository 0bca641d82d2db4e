// The input poll against the running program, with keys and mouse moves
// typed by xdotool: a double Ctrl opens what "Doublehit ctrl" is set to, a
// gesture drawn to the right with the middle button held goes to the next
// desktop, and resting at the right screen edge in mouse-knock mode
// switches once, and again only after the cursor left the edge.
//
// Each tap is held 50 ms: the poll reads the key state every 10 ms and must
// see it down. On a loaded machine the program can still miss a tap or a
// stroke; like a user, the test then does it again (the next try lies too
// far from the last one to pair with it).
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include "support/program_test.h"

using namespace e2e;

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;
const std::string kCentre = "mousemove " + std::to_string(kScreenW / 2) + " " + std::to_string(kScreenH / 2);
const std::string kRightEdge = "mousemove " + std::to_string(kScreenW - 1) + " " + std::to_string(kScreenH / 2);

// Keys reach the program's key state only while a window has the keyboard:
// the user types into a window of the desktop in front.
void FocusOn(HWND w) {
    ::SetForegroundWindow(w);
    ASSERT_TRUE(WaitUntil([w] { return ::GetForegroundWindow() == w; }, 3000)) << "no window in front";
}

// The virtual keys held down now, for a failure message.
std::string KeysDown() {
    std::string down;
    for (int vk = 1; vk < 256; ++vk)
        if (::GetAsyncKeyState(vk) & 0x8000) down += " " + std::to_string(vk);
    return down.empty() ? " none" : down;
}

bool Logged(DWORD pid, const std::string& line) {
    for (const auto& l : EventLogLines(pid))
        if (l == line) return true;
    return false;
}

// The program with a window of another program on desktop 1, the cursor in
// the middle of the screen and no key held.
class InputPollTest : public ProgramTest {
protected:
    void SetUp() override {
        ReleaseStuckKeys();
        ASSERT_EQ(RunXdotool(kCentre), 0);
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        one_ = std::make_unique<Helper>(HelperOptions{.cls = "TessPollOne", .title = "on desktop 1"});
        ASSERT_FALSE(one_->Windows().empty());
        ASSERT_TRUE(ShownSoon(one_->Window()));
    }
    void TearDown() override {
        program_.reset();
        one_.reset();
        RunXdotool("keyup ctrl mouseup 2 " + kCentre);
    }
    std::unique_ptr<Helper> one_;
};

class DoubleCtrlTest : public InputPollTest {
protected:
    void Prepare() override { WriteSetting("hotkeydeskprev", 1); }   // "Doublehit ctrl"
};

class KnockTest : public InputPollTest {
protected:
    void Prepare() override {
        WriteSetting("layoutid", 9);   // "2 x 2"
        WriteSetting("edgenav", 2);    // "Mouse-knock enabled"; wrapping is on by default
    }
};

}  // namespace

TEST_F(DoubleCtrlTest, DoubleCtrlTogglesThePreview) {
    HWND preview = program_->MainWindow();
    ASSERT_FALSE(IsShown(preview));
    FocusOn(one_->Window());
    // Every sequence starts a second after the last tap typed, so that it
    // never pairs with that one.
    const std::string doubleCtrl =
        "sleep 1 keydown ctrl sleep 0.05 keyup ctrl sleep 0.3 keydown ctrl sleep 0.05 keyup ctrl";
    ASSERT_TRUE(TypeUntil(doubleCtrl, [&] { return IsShown(preview); }))
        << "the preview did not open; keys down:" << KeysDown();
    // Two taps too far apart are no double tap.
    ASSERT_EQ(RunXdotool("sleep 1 keydown ctrl sleep 0.05 keyup ctrl sleep 1 keydown ctrl sleep 0.05 keyup ctrl"), 0);
    EXPECT_TRUE(StaysTrue([&] { return IsShown(preview); }, 1000));
    EXPECT_TRUE(TypeUntil(doubleCtrl, [&] { return !IsShown(preview); })) << "a second double tap closes it";
}

TEST_F(InputPollTest, GestureToTheRightSwitchesToTheNextDesktop) {
    std::string drag = "mousemove 300 500 mousedown 2 sleep 0.1";
    for (int x = 340; x <= 620; x += 40) drag += " mousemove " + std::to_string(x) + " 500 sleep 0.05";
    drag += " sleep 0.1 mouseup 2";
    const std::string line = "switch to next desktop, triggered via gesture";
    ASSERT_TRUE(TypeUntil(drag, [&] { return Logged(program_->Pid(), line); })) << "no gesture seen";
    EXPECT_TRUE(HiddenSoon(one_->Window())) << "desktop 2 is current";
    // The trail is gone with the button.
    for (const auto& w : TopWindows()) {
        if (w.pid == program_->Pid() && w.cls == "TfrmGestureTrail") {
            EXPECT_FALSE(w.visible);
        }
    }

    // A short stroke is no gesture.
    Helper two({.cls = "TessPollTwo", .title = "on desktop 2"});
    ASSERT_TRUE(ShownSoon(two.Window()));
    ASSERT_EQ(RunXdotool("mousemove 300 500 mousedown 2 sleep 0.1 mousemove 330 500 sleep 0.1 mouseup 2"), 0);
    EXPECT_TRUE(StaysTrue([&] { return IsShown(two.Window()) && !IsShown(one_->Window()); }, 1500));
}

TEST_F(KnockTest, RestingAtTheRightEdgeSwitchesOnceUntilTheCursorLeaves) {
    ASSERT_EQ(RunXdotool(kRightEdge), 0);
    ASSERT_TRUE(HiddenSoon(one_->Window(), 5000)) << "no switch to desktop 2";
    Helper two({.cls = "TessKnockTwo", .title = "on desktop 2"});
    ASSERT_TRUE(ShownSoon(two.Window()));

    // Resting on: no second switch (with wrapping it would lead back to 1).
    EXPECT_TRUE(StaysTrue([&] { return IsShown(two.Window()) && !IsShown(one_->Window()); }, 2500));

    // Away and back: the right edge of desktop 2 wraps to desktop 1.
    const std::string leaveAndReturn = kCentre + " sleep 0.3 " + kRightEdge;
    EXPECT_TRUE(TypeUntil(leaveAndReturn, [&] { return IsShown(one_->Window()) && !IsShown(two.Window()); }));
}
