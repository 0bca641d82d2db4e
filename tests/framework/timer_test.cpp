#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/guard.h"
#include "framework/timer.h"
#include "support/e2e.h"

using framework::App;
using framework::Timer;

namespace {

// Collects what reaches the application's exception handler.
class ExceptionsSeen : public ::testing::Test {
protected:
    void SetUp() override {
        App().OnException = [this](const std::string& m) { messages.push_back(m); };
    }
    void TearDown() override { App().OnException = nullptr; }
    std::vector<std::string> messages;
};

}  // namespace

TEST(Timer, DisabledInsideItsOwnHandlerItStopsAndCanBeEnabledAgain) {
    int ticks = 0;
    Timer t(10, nullptr);
    t.SetHandler([&] {
        ++ticks;
        t.SetEnabled(false);
    });
    ASSERT_TRUE(t.Enabled());
    ASSERT_TRUE(e2e::WaitUntil([&] { return ticks > 0; }, 2000));
    e2e::Pump(150);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(t.Enabled());

    t.SetEnabled(true);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ticks > 1; }, 2000));
    e2e::Pump(150);
    EXPECT_EQ(ticks, 2);
}

TEST(Timer, StartsDisabledWhenAskedAndKeepsFiringUntilDisabled) {
    int ticks = 0;
    Timer t(10, [&] { ++ticks; }, false);
    e2e::Pump(100);
    EXPECT_EQ(ticks, 0);
    t.SetInterval(15);   // a new interval does not switch it on
    EXPECT_FALSE(t.Enabled());
    t.SetEnabled(true);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ticks >= 3; }, 3000));
    t.SetEnabled(false);
    int stopped = ticks;
    e2e::Pump(100);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, ADestroyedTimerNeverRunsItsHandler) {
    int ticks = 0;
    {
        Timer t(1, [&] { ++ticks; });
        ::Sleep(30);   // a tick is due when the timer goes
    }
    e2e::Pump(100);
    EXPECT_EQ(ticks, 0);
}

TEST_F(ExceptionsSeen, AnExceptionInATimerHandlerReachesTheHandlerAndTheLoopGoesOn) {
    int ticks = 0;
    Timer failing(10, [&] {
        ++ticks;
        throw framework::Exception("tick " + std::to_string(ticks) + " failed");
    });
    EXPECT_TRUE(e2e::WaitUntil([&] { return messages.size() >= 3; }, 3000));
    failing.SetEnabled(false);
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[0], "tick 1 failed");
    EXPECT_EQ(messages[2], "tick 3 failed");
}

TEST_F(ExceptionsSeen, GuardAnswersItsFallbackAndPassesEveryKindOfException) {
    EXPECT_EQ(framework::Guard(7, []() -> int { throw std::runtime_error("runtime"); }), 7);
    EXPECT_EQ(framework::Guard(7, [] { return 1; }), 1);
    framework::Guard([] { throw 42; });
    framework::Guard([] { throw framework::Exception("framework"); });
    EXPECT_EQ(messages, (std::vector<std::string>{"runtime", "Unknown exception", "framework"}));
}

TEST_F(ExceptionsSeen, AFailingHandlerOfTheApplicationIsSwallowed) {
    App().OnException = [](const std::string&) { throw std::runtime_error("handler failed"); };
    framework::Guard([] { throw std::runtime_error("first"); });
    SUCCEED();
}
