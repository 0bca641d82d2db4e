// A window that hangs while its desktop is left: the switch cannot hide it
// without waiting for it, so it stays on the screen; once it answers again
// the next tick hides it.
#include <gtest/gtest.h>
#include "support/program_test.h"

using namespace e2e;

namespace {

using HungWindowTest = ProgramTest;


}  // namespace

TEST_F(HungWindowTest, AWindowThatHungDuringTheSwitchIsHiddenOnceItAnswers) {
    Helper hung({.cls = "TessHangDuringSwitch", .title = "hangs"});
    Helper other({.cls = "TessAnswersDuringSwitch", .title = "answers"});
    ASSERT_EQ(hung.Windows().size(), 1u);
    ASSERT_EQ(other.Windows().size(), 1u);
    // Long enough to count as hung (about 5 s under Wine) and to outlast the switch.
    ::PostMessageA(hung.Window(), kHelperHang, 14000, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsHungAppWindow(hung.Window()) != FALSE; }, 12000));

    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    ASSERT_TRUE(HiddenSoon(other.Window())) << "the switch to desktop 2 did not happen";
    EXPECT_TRUE(IsShown(hung.Window())) << "a hung window is not waited for";

    ASSERT_TRUE(WaitUntil([&] { return Answers(hung.Window(), 100); }, 15000));
    EXPECT_TRUE(HiddenSoon(hung.Window())) << "a window of desktop 1 stays on desktop 2";

    ASSERT_EQ(program_->SecondStart("-s1"), 0);
    EXPECT_TRUE(ShownSoon(other.Window()));
    EXPECT_TRUE(ShownSoon(hung.Window())) << "it comes back with its desktop";
}
