#pragma once
// Answers the program's own lock prompt (TfrmEnterPwd) while a protected
// action of this process waits on it: a timer types the password and presses
// OK, or presses Cancel, and keeps the reason each prompt showed.
#include <string>
#include <vector>
#include "framework/timer.h"

namespace e2e {

class LockPromptAnswers {
public:
    static constexpr char kPassword[] = "open sesame";

    // Stores the password's digest as "pwdlocal" (the settings key is the
    // test's to clean up) and creates the prompt when it does not exist.
    LockPromptAnswers();
    ~LockPromptAnswers();   // frees the prompt when it was created here
    LockPromptAnswers(const LockPromptAnswers&) = delete;
    LockPromptAnswers& operator=(const LockPromptAnswers&) = delete;

    bool accept = true;                 // the right password, or Cancel
    std::vector<std::string> reasons;   // of every prompt answered, oldest first

private:
    void Answer();
    framework::Timer timer_;
    bool created_ = false;
};

}  // namespace e2e
