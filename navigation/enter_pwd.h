#pragma once
// The desktop lock password: its one-way digest, its check against the
// stored digests, and the small modal prompt every protected action uses.
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/owned.h"
#include "navigation/enter_esc_keys.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace lock_texts {
inline constexpr std::string_view kCaption = "Enter password";
inline constexpr std::string_view kDefaultReason = "You must enter your desktop lock password to proceed!";
inline constexpr std::string_view kInvalid = "Password is invalid! Try again!";
inline constexpr std::string_view kInvalidCaption = "Warning";
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kCancel = "Cancel";
// A private desktop without a lock password would be open to everyone.
inline constexpr std::string_view kSetPasswordFirst =
    "You MUST set a desktop lock password if you define at least one private desktop!";
inline constexpr std::string_view kSetPasswordCaption = "Warning!";
}  // namespace lock_texts

inline constexpr std::string_view kLocalDigestValue = "pwdlocal";
inline constexpr std::string_view kGlobalDigestValue = "pwdglobal";
inline constexpr DWORD kFailedCheckPauseMs = 1000;
// The longest password the lock cover's field takes: the password-change
// dialog stores none longer.
inline constexpr int kMaxLockPasswordChars = 20;

// Part of the stored digest format: changing them invalidates every stored
// password.
inline constexpr uint32_t kLockDigestK1 = 0x6B2E91D4u;
inline constexpr uint32_t kLockDigestK2 = 0x3FA7C05Bu;

// The two terms a 4-byte word adds to the sums. They are defined as
// trunc((1 / w) * 10^13) and trunc(sqrt((1 / w) * 10^12)) in x87 extended
// precision, rounding to nearest; for every 32-bit w those equal the integer
// forms below, so the digest does not depend on the floating-point mode.
constexpr uint64_t LockTermS1(uint32_t w) noexcept { return 10'000'000'000'000ull / (w == 0 ? 1977u : w); }
uint64_t LockTermS2(uint32_t w) noexcept;

// The LockDigest of a password: 16 upper-case hexadecimal digits. Blanks and
// control characters around the password do not count.
std::string HashLockPassword(std::string_view password);
// Whether a text has the form of a LockDigest.
bool IsLockDigest(std::string_view text) noexcept;

// A string value of the settings key ("" when missing or not a string).
// Throws when the key cannot be opened.
std::string ReadLockValue(std::string_view name);
// Writes the password's verifier (lock_verifier.h) and its digest "pwdlocal".
void StoreLockPassword(std::string_view password);

// Whether the password is right, without a pause. A verifier made beside the
// stored "pwdlocal" alone decides. Without one (a "pwdlocal" of an older
// installation) the digest decides against "pwdlocal", then "pwdglobal";
// a match of "pwdlocal" writes the verifier, so that from then on no other
// password with the same digest opens the lock.
bool LockPasswordMatches(std::string_view password);

// LockPasswordMatches; a failure shows the invalid-password box unless
// silent, then pauses for a second while the program keeps running.
bool CheckLockPassword(std::string_view password, bool silent);

class TfrmEnterPwd final : public framework::Form {
public:
    TfrmEnterPwd();
    ~TfrmEnterPwd() override;

    framework::Label lbReason{*this, "lbReason"};
    framework::Edit edPwd{*this, "edPwd"};
    toolkit::TRotButton btnOK{*this, "btnOK"};
    toolkit::TRotButton btnCancel{*this, "btnCancel"};

    // True only when the right password was entered; false at once while the
    // prompt is already open for another caller.
    bool AskLockPassword(std::string_view reason);

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN; }
    // Above the lock cover, which is on top of everything else.
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormClose() override;
    void FormDestroy() override;

private:
    void btnOKClick();
    void btnCancelClick();

    bool FCancelled = false;
    framework::Font boldFont_;
    TEnterEscKeys keys_;
};

extern TfrmEnterPwd* frmEnterPwd;

}  // namespace navigation
