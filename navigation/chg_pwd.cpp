#include "navigation/chg_pwd.h"
#include <string>
#include "framework/dialogs.h"
#include "navigation/enter_pwd.h"
#include "navigation/lock_verifier.h"

namespace navigation {

TfrmChgPwd* frmChgPwd = nullptr;

namespace {

constexpr int kClientWidth = 330, kClientHeight = 150;

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Panel, "pnHide", nullptr, 0, 0, 330, 36, "", 0},
    {framework::Kind::Label, "lbCurrent", "pnHide", 10, 11, 135, 16, change_texts::kCurrent.data(), 0},
    {framework::Kind::Edit, "edPwd", "pnHide", 150, 8, 170, 21, "", 0},
    {framework::Kind::Label, "lbNew", nullptr, 10, 47, 135, 16, change_texts::kNew.data(), 0},
    {framework::Kind::Edit, "edNewPwd1", nullptr, 150, 44, 170, 21, "", 0},
    {framework::Kind::Label, "lbRepeat", nullptr, 10, 79, 135, 16, change_texts::kRepeat.data(), 0},
    {framework::Kind::Edit, "edNewPwd2", nullptr, 150, 76, 170, 21, "", 0},
    {framework::Kind::Custom, "btnOK", nullptr, 70, 112, 80, 26, change_texts::kOK.data(), 0},
    {framework::Kind::Custom, "btnCancel", nullptr, 180, 112, 80, 26, change_texts::kCancel.data(), 0},
};

// Messages of this dialog stay in front of the lock cover with it.
constexpr UINT kBoxTopmost = MB_TOPMOST;

}  // namespace

std::vector<std::string_view> PasswordChangeFaults(std::string_view newPassword, std::string_view repeated,
                                                   bool passwordSet, const std::function<bool()>& currentIsRight) {
    std::vector<std::string_view> faults;
    if (newPassword != repeated) faults.push_back(change_texts::kNotIdentical);
    const size_t length = TrimLockPassword(newPassword).size();
    if (length < static_cast<size_t>(kMinLockPasswordChars)) faults.push_back(change_texts::kTooShort);
    if (length > static_cast<size_t>(kMaxLockPasswordChars)) faults.push_back(change_texts::kTooLong);
    if (passwordSet && !currentIsRight()) faults.push_back(change_texts::kWrongCurrent);
    return faults;
}

bool ChangeLockPassword() { return frmChgPwd && frmChgPwd->ChangeLockPassword(); }

TfrmChgPwd::TfrmChgPwd() : Form("frmChgPwd") {
    for (auto* e : {&edPwd, &edNewPwd1, &edNewPwd2}) e->Password = true;
    // The current password may be one an older version took, of any length.
    edNewPwd1.MaxLength = kMaxLockPasswordChars;
    edNewPwd2.MaxLength = kMaxLockPasswordChars;
}

TfrmChgPwd::~TfrmChgPwd() = default;

void TfrmChgPwd::CreateControls() {
    SetCaption(change_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    for (auto* e : {&edPwd, &edNewPwd1, &edNewPwd2}) {
        ::SendMessageA(e->Handle(), EM_SETPASSWORDCHAR, '*', 0);
        keys_.Attach(e->Handle());
    }
    keys_.When = TEnterEscKeys::Trigger::KeyUp;
    keys_.OnEnter = [this] { btnOKClick(); };
    keys_.OnEsc = [this] { btnCancelClick(); };
    btnOK.UseDialogLook();
    btnCancel.UseDialogLook();
    btnOK.OnClick = [this] { btnOKClick(); };
    btnCancel.OnClick = [this] { btnCancelClick(); };
    CenterOnScreen();
}

void TfrmChgPwd::FormDestroy() { keys_.DetachAll(); }

void TfrmChgPwd::FormShow() {
    ::ShowWindow(Handle(), SW_SHOW);   // the focus can only go to a shown window
    ::SetFocus(edPwd.Enabled() ? edPwd.Handle() : edNewPwd1.Handle());
}

bool TfrmChgPwd::ChangeLockPassword() {
    if (Visible()) return false;
    auto clear = [this] {
        for (auto* e : {&edPwd, &edNewPwd1, &edNewPwd2}) e->SetText("");
    };
    clear();
    struct ClearOnExit {
        std::function<void()> clear;
        ~ClearOnExit() { clear(); }
    } clearOnExit{clear};
    for (;;) {
        const bool passwordSet = !ReadLockValue(kLocalDigestValue).empty();
        if (!RunPass(passwordSet)) return false;
        // Read once: the checks below pump messages.
        const std::string current = edPwd.Text(), typed = edNewPwd1.Text(), repeated = edNewPwd2.Text();
        const auto faults = PasswordChangeFaults(typed, repeated, passwordSet,
                                                 [&] { return CheckLockPassword(current, true); });
        for (std::string_view fault : faults)
            framework::MessageBox(fault, change_texts::kWarning, MB_ICONEXCLAMATION | kBoxTopmost);
        if (faults.empty()) {
            StoreLockPassword(typed);   // untrimmed: the digest and the verifier trim it
            framework::MessageBox(change_texts::kStored, change_texts::kStoredCaption,
                                  MB_ICONINFORMATION | kBoxTopmost);
            return true;
        }
    }
}

bool TfrmChgPwd::RunPass(bool passwordSet) {
    edPwd.SetEnabled(passwordSet);
    pnHide.SetVisible(passwordSet);
    FCancelled = true;
    ShowModal();
    return !FCancelled;
}

void TfrmChgPwd::btnOKClick() {
    FCancelled = false;
    ModalResult = framework::mrOk;
}

void TfrmChgPwd::btnCancelClick() {
    FCancelled = true;
    ModalResult = framework::mrCancel;
}

}  // namespace navigation
