#pragma once
// The fixture of the tests that drive the real program: a clean state, a
// grid of one column and four rows, no splash, and second starts to switch.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "support/e2e.h"

namespace e2e {

// Waits until these windows are shown and those hidden.
inline bool Switched(std::initializer_list<HWND> shown, std::initializer_list<HWND> hidden, int timeoutMs = 5000) {
    return WaitUntil([&] {
        for (HWND w : shown)
            if (!IsShown(w)) return false;
        for (HWND w : hidden)
            if (IsShown(w)) return false;
        return true;
    }, timeoutMs);
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("layoutid", 1);      // "1 x 4"
        WriteSetting("showsplash", 0);
        Prepare();
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
    }
    void TearDown() override { program_.reset(); }
    // Settings and data files a test needs before the program starts.
    virtual void Prepare() {}

    // A second start asks for the switch, and the switch is done once these
    // windows are shown and those hidden. A switch shows and hides every
    // window in one engine tick, after a scan that met every window opened
    // before it was asked for.
    void SwitchTo(const std::string& arg, std::initializer_list<HWND> shown, std::initializer_list<HWND> hidden) {
        ASSERT_EQ(program_->SecondStart(arg), 0);
        ASSERT_TRUE(Switched(shown, hidden)) << arg;
    }
    std::unique_ptr<Tessarel> program_;
};

inline bool ShownSoon(HWND w, int timeoutMs = 5000) { return WaitUntil([w] { return IsShown(w); }, timeoutMs); }
inline bool HiddenSoon(HWND w, int timeoutMs = 5000) { return WaitUntil([w] { return !IsShown(w); }, timeoutMs); }

}  // namespace e2e
