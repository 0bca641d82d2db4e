// Any program can post the engine's messages to its main window. A flood of
// them, with sound and with nonsensical parameters, leaves the program
// running with every window on its desktop.
#include <gtest/gtest.h>
#include <cstdint>
#include "support/program_test.h"

using namespace e2e;

namespace {

using PostedMessagesTest = ProgramTest;

constexpr UINT kHookActivate = 0x401, kHookHotkey = 0x402, kHookSysMenu = 0x403, kHookWindowShown = 0x404;
constexpr UINT kSwitchDesktop = 0x658;

// A fixed sequence, the same in every run.
class Noise {
public:
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
private:
    uint32_t state_ = 12345;
};

}  // namespace

// The flood leaves thousands of messages in the program's queue; the user's
// "-kill" must not wait behind them (it did, about 40 s under Wine).
TEST_F(PostedMessagesTest, TwentyThousandPostedCommandsLoseNoWindow) {
    Helper one({.cls = "TessFloodOne", .title = "flood one"});
    SwitchTo("-s2", {}, {one.Window()});
    Helper two({.cls = "TessFloodTwo", .title = "flood two"});
    SwitchTo("-s1", {one.Window()}, {two.Window()});
    const HWND windows[] = {one.Window(), two.Window(), nullptr, reinterpret_cast<HWND>(static_cast<intptr_t>(-1))};

    HWND main = program_->MainWindow();
    Noise noise;
    for (int i = 0; i < 20000; ++i) {
        const uint32_t r = noise.Next();
        const WPARAM anyWindow = reinterpret_cast<WPARAM>(windows[r % 4]);
        switch (r % 5) {
        case 0: ::PostMessageA(main, kSwitchDesktop, noise.Next() % 256, 0); break;
        // Desktops and neighbours only: the chord commands open menus.
        case 1: ::PostMessageA(main, kHookHotkey, noise.Next() % 15, 0); break;
        case 2: ::PostMessageA(main, kHookActivate, anyWindow, noise.Next() % 3); break;
        case 3: ::PostMessageA(main, kHookSysMenu, anyWindow, 0xCD00 + noise.Next() % 0x220); break;
        default: ::PostMessageA(main, kHookWindowShown, anyWindow, noise.Next() % 3); break;
        }
        // The queue holds 10,000 messages: let the program read them.
        if (i % 2000 == 1999) {
            ASSERT_TRUE(Answers(main)) << i;
        }
    }
    ASSERT_TRUE(Answers(main));
    EXPECT_TRUE(program_->Process().Running());
    // Every window is still on a desktop: the unify of "-kill" brings all back.
    const DWORD pid = program_->Pid();
    EXPECT_EQ(program_->KillInstance(), 0) << [pid] {
        std::string open;
        for (const auto& i : TopWindows())
            if (i.pid == pid && i.visible) open += " [" + i.cls + " \"" + i.title + "\"]";
        return "windows of the program on screen:" + open;
    }();
    EXPECT_TRUE(IsShown(one.Window()));
    EXPECT_TRUE(IsShown(two.Window()));
}
