// The screen-edge navigation bar against the running program, with the
// mouse moved by xdotool: resting at the right edge for a second shows the
// bar with the desktop to the right, a click on it switches there and the
// bar stays with the next target, and moving away hides it.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include "support/program_test.h"

using namespace e2e;

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;
const std::string kCentre = "mousemove " + std::to_string(kScreenW / 2) + " " + std::to_string(kScreenH / 2);
const std::string kRightEdge = "mousemove " + std::to_string(kScreenW - 1) + " " + std::to_string(kScreenH / 2);

class EdgeNavTest : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(RunXdotool(kCentre), 0);
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        one_ = std::make_unique<Helper>(HelperOptions{.cls = "TessEdgeOne", .title = "on desktop 1"});
        ASSERT_FALSE(one_->Windows().empty());
        ASSERT_TRUE(ShownSoon(one_->Window()));
        bar_ = WaitForWindow("", "TfrmEdgeNav", program_->Pid());
        ASSERT_NE(bar_, nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    void TearDown() override {
        program_.reset();
        one_.reset();
        RunXdotool(kCentre);
    }
    void Prepare() override {
        WriteSetting("layoutid", 9);   // "2 x 2"
        WriteSetting("edgenav", 1);    // "Edge-navigation enabled"; wrapping is on by default
    }
    bool BarShows(const std::string& number) { return IsShown(bar_) && TitleOf(bar_) == number; }

    std::unique_ptr<Helper> one_;
    HWND bar_ = nullptr;
};

}  // namespace

TEST_F(EdgeNavTest, RestingAtTheRightEdgeOffersTheNextDesktopAndAClickGoesThere) {
    ASSERT_FALSE(IsShown(bar_));
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(RunXdotool(kRightEdge), 0);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(bar_); }, 10000)) << "no bar at the right edge";
    EXPECT_GE(::GetTickCount() - start, 950u) << "the bar came before the cursor had rested a second";
    EXPECT_EQ(TitleOf(bar_), "2");
    RECT r{};
    ::GetWindowRect(bar_, &r);
    EXPECT_EQ(r.left, kScreenW - 20);
    EXPECT_EQ(r.right, kScreenW);
    EXPECT_EQ(r.top, kScreenH / 2 - 110);

    // A click on the bar goes to desktop 2; the bar stays with the edge's
    // next target, which wraps back to desktop 1.
    ASSERT_EQ(RunXdotool("click 1"), 0);
    ASSERT_TRUE(HiddenSoon(one_->Window())) << "no switch to desktop 2";
    EXPECT_TRUE(WaitUntil([&] { return BarShows("1"); })) << "title " << TitleOf(bar_);

    // Moving away hides it.
    ASSERT_EQ(RunXdotool(kCentre), 0);
    EXPECT_TRUE(HiddenSoon(bar_));
}
