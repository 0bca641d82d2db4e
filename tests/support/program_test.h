#pragma once
// The fixture of the tests that drive the real program: a clean state, a
// grid of one column and four rows, no splash, and second starts to switch.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "support/e2e.h"

namespace e2e {

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

    void SwitchTo(const std::string& arg) {
        ASSERT_EQ(program_->SecondStart(arg), 0);
        program_->WaitTicks(3);
    }
    std::unique_ptr<Tessarel> program_;
};

inline bool ShownSoon(HWND w, int timeoutMs = 3000) { return WaitUntil([w] { return IsShown(w); }, timeoutMs); }
inline bool HiddenSoon(HWND w, int timeoutMs = 3000) { return WaitUntil([w] { return !IsShown(w); }, timeoutMs); }

}  // namespace e2e
