#include "support/lock_prompt.h"
#include <windows.h>
#include "framework/application.h"
#include "navigation/enter_pwd.h"

namespace e2e {
namespace {

void Click(const toolkit::TRotButton& b) {
    ::PostMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageA(b.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

}  // namespace

LockPromptAnswers::LockPromptAnswers() : timer_(20, [this] { Answer(); }) {
    navigation::StoreLockPassword(kPassword);
    if (navigation::frmEnterPwd) return;
    auto& app = framework::App();
    framework::Form* before = app.MainForm();
    app.CreateForm(navigation::frmEnterPwd);
    app.SetMainForm(before);   // closing the prompt must not end the test program
    created_ = true;
}

LockPromptAnswers::~LockPromptAnswers() {
    timer_.SetEnabled(false);
    if (created_ && navigation::frmEnterPwd) framework::App().FreeForm(navigation::frmEnterPwd);
}

void LockPromptAnswers::Answer() {
    // The clicks are posted, and a timer's turn comes only once the queue
    // holds no posted message: a prompt still up at the next turn is a new one.
    auto* prompt = navigation::frmEnterPwd;
    if (!prompt || !prompt->Visible()) return;
    reasons.push_back(prompt->lbReason.Caption());
    if (accept) {
        prompt->edPwd.SetText(kPassword);
        Click(prompt->btnOK);
    } else {
        Click(prompt->btnCancel);
    }
}

}  // namespace e2e
