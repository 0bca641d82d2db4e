// The engine's pure rules: grid neighbours, second-start arguments, splash
// progress colours.
#include <gtest/gtest.h>
#include "engine/neighbours.h"
#include "engine/splash.h"
#include "engine/startup.h"
#include "engine/window_record.h"

using namespace engine;

TEST(Neighbours, WithAndWithoutWrapping) {
    struct Case { Direction d; int cur, cols, rows; bool wrap; int want; } cases[] = {
        // 3 x 3
        {Direction::Right, 1, 3, 3, false, 2}, {Direction::Right, 3, 3, 3, false, 0}, {Direction::Right, 3, 3, 3, true, 1},
        {Direction::Right, 9, 3, 3, false, 0}, {Direction::Right, 9, 3, 3, true, 7},
        {Direction::Left, 1, 3, 3, false, 0}, {Direction::Left, 1, 3, 3, true, 3}, {Direction::Left, 5, 3, 3, false, 4},
        {Direction::Left, 4, 3, 3, false, 0}, {Direction::Left, 4, 3, 3, true, 6},
        {Direction::Up, 2, 3, 3, false, 0}, {Direction::Up, 2, 3, 3, true, 8}, {Direction::Up, 5, 3, 3, false, 2},
        {Direction::Down, 8, 3, 3, false, 0}, {Direction::Down, 8, 3, 3, true, 2}, {Direction::Down, 5, 3, 3, false, 8},
        // one column: left and right have no neighbour, wrapping stays put
        {Direction::Right, 2, 1, 4, false, 0}, {Direction::Left, 2, 1, 4, false, 0}, {Direction::Left, 2, 1, 4, true, 2},
        {Direction::Right, 2, 1, 4, true, 2}, {Direction::Down, 4, 1, 4, true, 1}, {Direction::Up, 1, 1, 4, true, 4},
        // 2 x 3
        {Direction::Right, 2, 2, 3, false, 0}, {Direction::Down, 5, 2, 3, false, 0}, {Direction::Down, 3, 2, 3, false, 5},
        // a current desktop outside the grid has no neighbour
        {Direction::Right, 0, 3, 3, true, 0}, {Direction::Right, 10, 3, 3, true, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NeighbourDesktop(c.d, c.cur, c.cols, c.rows, c.wrap), c.want)
            << static_cast<int>(c.d) << " from " << c.cur << " in " << c.cols << "x" << c.rows << " wrap " << c.wrap;
}

TEST(StartArguments, ClassifiedExactlyAndCaseSensitively) {
    struct Case { const char* arg; StartCommand cmd; } cases[] = {
        {"-kill", StartCommand::Kill}, {"-KILL", StartCommand::Run}, {"-s", StartCommand::Switch},
        {"-s7", StartCommand::Switch}, {"-sx", StartCommand::Switch}, {"-poll", StartCommand::Poll},
        {"wq8160m94k", StartCommand::PostInstall}, {"", StartCommand::Run}, {"/s3", StartCommand::Run},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyArgument(c.arg), c.cmd) << c.arg;
}

TEST(StartArguments, SwitchCodeIsTheThirdCharacterWithZeroAppended) {
    EXPECT_EQ(SwitchArgumentCode("-s7"), unsigned('7'));
    EXPECT_EQ(SwitchArgumentCode("-s"), unsigned('0'));
    EXPECT_EQ(SwitchArgumentCode("-sx"), unsigned('x'));
    EXPECT_EQ(SwitchArgumentCode("-s42"), unsigned('4'));
    EXPECT_EQ(SwitchArgumentCode("-s\xE9"), 0xE9u);
}

TEST(Splash, PanelsColourAsProgressReachesThem) {
    EXPECT_EQ(SplashPanelColor(0, 1), 0xF8F8F8u);
    EXPECT_EQ(SplashPanelColor(8, 1), 0xC4DBC9u);
    EXPECT_EQ(SplashPanelColor(15, 2), 0xF8F8F8u);
    EXPECT_EQ(SplashPanelColor(16, 2), 0xC4DBC9u);
    for (int tag = 1; tag <= 12; ++tag) EXPECT_EQ(SplashPanelColor(100, tag), 0xC4DBC9u) << tag;
}

TEST(WindowRecord, HandlesKeepTheirLow32BitsAndSignExtend) {
    struct Case { uintptr_t handle; uint32_t stored; } cases[] = {
        {0x0001'03A4u, 0x0001'03A4u}, {0x7FFF'FFFFu, 0x7FFF'FFFFu}, {0xFFFF'FFFF'8000'0010u, 0x8000'0010u},
    };
    for (const auto& c : cases) {
        HWND h = reinterpret_cast<HWND>(c.handle);
        EXPECT_EQ(TWindowRecord::WndFromHandle(h), c.stored);
        EXPECT_EQ(TWindowRecord::HandleFromWnd(c.stored), h);
    }
}
