#pragma once
// TfrmChgPwd: the dialog that sets the desktop lock password, or changes it
// after the current one was typed. ChangeLockPassword runs it until the
// entries pass or the user cancels.
#include <windows.h>
#include <functional>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/form.h"
#include "navigation/enter_esc_keys.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace change_texts {
inline constexpr std::string_view kCaption = "Change password";
inline constexpr std::string_view kCurrent = "Current password:";
inline constexpr std::string_view kNew = "New password:";
inline constexpr std::string_view kRepeat = "Repeat new password:";
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kCancel = "Cancel";
inline constexpr std::string_view kWarning = "Warning";
inline constexpr std::string_view kNotIdentical = "The two instances of new password must be identical!";
inline constexpr std::string_view kTooShort =
    "The password must be at least 4 characters long. Leading and trailing spaces are not counted!";
// The lock cover's field takes 20 characters: a longer password could never
// open it.
inline constexpr std::string_view kTooLong =
    "The password must be at most 20 characters long. Leading and trailing spaces are not counted!";
inline constexpr std::string_view kWrongCurrent = "You must enter the current password correctly!";
inline constexpr std::string_view kStored = "Password successfully stored.";
inline constexpr std::string_view kStoredCaption = "Info";
}  // namespace change_texts

inline constexpr int kMinLockPasswordChars = 4;

// The messages one pass of the dialog shows, in their order; none when the
// new password may be stored. The current password is checked (with its
// pause on failure) only while a password is set.
std::vector<std::string_view> PasswordChangeFaults(std::string_view newPassword, std::string_view repeated,
                                                   bool passwordSet, const std::function<bool()>& currentIsRight);

class TfrmChgPwd final : public framework::Form {
public:
    TfrmChgPwd();
    ~TfrmChgPwd() override;

    framework::Panel pnHide{*this, "pnHide"};
    framework::Edit edPwd{*this, "edPwd"};
    framework::Edit edNewPwd1{*this, "edNewPwd1"};
    framework::Edit edNewPwd2{*this, "edNewPwd2"};
    toolkit::TRotButton btnOK{*this, "btnOK"};
    toolkit::TRotButton btnCancel{*this, "btnCancel"};

    // True when a new password was stored; false at once while the dialog
    // is already open.
    bool ChangeLockPassword();

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN; }
    // Above the lock cover, as the prompt is.
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormShow() override;
    void FormDestroy() override;

private:
    void btnOKClick();
    void btnCancelClick();
    // One showing; true when it ended by OK.
    bool RunPass(bool passwordSet);

    bool FCancelled = true;
    TEnterEscKeys keys_;
};

extern TfrmChgPwd* frmChgPwd;

// The dialog run by the program's callers (the settings dialog, the name
// panel); false while it does not exist.
bool ChangeLockPassword();

}  // namespace navigation
