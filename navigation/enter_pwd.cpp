#include "navigation/enter_pwd.h"
#include <chrono>
#include <cmath>
#include <cstdio>
#include "engine/gtools.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "navigation/lock_verifier.h"
#include "settings/store_values.h"

namespace navigation {

TfrmEnterPwd* frmEnterPwd = nullptr;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kEmptyWordS2 = 195364u;
constexpr int kClientWidth = 300, kClientHeight = 138;

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "lbReason", nullptr, 10, 8, 280, 56, lock_texts::kDefaultReason.data(), 0},
    {framework::Kind::Edit, "edPwd", nullptr, 10, 70, 280, 22, "", 0},
    {framework::Kind::Custom, "btnOK", nullptr, 60, 102, 80, 26, lock_texts::kOK.data(), 0},
    {framework::Kind::Custom, "btnCancel", nullptr, 160, 102, 80, 26, lock_texts::kCancel.data(), 0},
};

// A failed check holds back the next one for the pause, even when the pause
// pumps messages and another check starts inside it: at most one attempt a
// second, as when the pause blocked the program.
Clock::time_point nextCheckAllowed{};

uint64_t IntegerSquareRoot(uint64_t n) noexcept {
    auto r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
    while (r * r > n) --r;
    while ((r + 1) * (r + 1) <= n) ++r;
    return r;
}

void PumpUntil(Clock::time_point deadline) {
    auto& app = framework::App();
    for (auto now = Clock::now(); now < deadline && !app.Terminated(); now = Clock::now()) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        app.HandleMessage(static_cast<DWORD>(left));
    }
}

// Only a well-formed digest can unlock: a missing, empty or damaged value
// never does.
bool DigestMatches(const std::string& stored, const std::string& digest) {
    return IsLockDigest(stored) && stored == digest;
}

framework::Registry OpenSettingsKey() {
    framework::Registry reg;
    if (!reg.OpenKey(settings::kSettingsKey, true)) throw framework::Exception("Cannot open the settings key");
    return reg;
}

void WriteLockValue(framework::Registry& reg, std::string_view name, const std::string& value) {
    if (!reg.WriteString(name, value)) throw framework::Exception("Cannot store the desktop lock password");
}

void StoreVerifier(framework::Registry& reg, std::string_view password) {
    TLockVerifier verifier = MakeLockVerifier(password);
    verifier.Digest = HashLockPassword(password);
    WriteLockValue(reg, kVerifierValue, FormatLockVerifier(verifier));
}

}  // namespace

uint64_t LockTermS2(uint32_t w) noexcept {
    return IntegerSquareRoot(1'000'000'000'000ull / (w == 0 ? kEmptyWordS2 : w));
}

std::string HashLockPassword(std::string_view password) {
    std::string s(TrimLockPassword(password));
    s.resize((s.size() + 3) / 4 * 4, '\0');
    uint32_t s1 = 0, s2 = 0;
    for (size_t i = 0; i < s.size(); i += 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(s.data() + i);
        uint32_t w = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        s1 += static_cast<uint32_t>(LockTermS1(w));
        s2 += static_cast<uint32_t>(LockTermS2(w));
    }
    if (s1 > s2)
        s2 ^= s1;
    else
        s1 ^= s2;
    char text[17];
    std::snprintf(text, sizeof text, "%08X%08X", static_cast<unsigned>(s1 ^ kLockDigestK1),
                  static_cast<unsigned>(s2 ^ kLockDigestK2));
    return text;
}

bool IsLockDigest(std::string_view text) noexcept {
    if (text.size() != 16) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

std::string ReadLockValue(std::string_view name) { return OpenSettingsKey().ReadString(name, ""); }

void StoreLockPassword(std::string_view password) {
    framework::Registry reg = OpenSettingsKey();
    // The verifier first: should "pwdlocal" then fail to be written, the
    // verifier does not match it and the password in force stays in force.
    StoreVerifier(reg, password);
    WriteLockValue(reg, kLocalDigestValue, HashLockPassword(password));
}

bool LockPasswordMatches(std::string_view password) {
    // A password of blanks has no words: its digest is the constants alone,
    // which the program never stores, so it never unlocks.
    if (TrimLockPassword(password).empty()) return false;
    framework::Registry reg = OpenSettingsKey();
    const std::string local = reg.ReadString(kLocalDigestValue, "");
    const auto verifier = ParseLockVerifier(reg.ReadString(kVerifierValue, ""));
    if (verifier && IsLockDigest(local) && verifier->Digest == local) return VerifierAccepts(*verifier, password);

    const std::string digest = HashLockPassword(password);
    if (DigestMatches(local, digest)) {
        // Typed once, the password gets its verifier. The answer stands even
        // when it cannot be written: the digest has decided as before.
        framework::Guard([&] { StoreVerifier(reg, password); });
        return true;
    }
    return DigestMatches(reg.ReadString(kGlobalDigestValue, ""), digest);
}

bool CheckLockPassword(std::string_view password, bool silent) {
    PumpUntil(nextCheckAllowed);
    if (LockPasswordMatches(password)) return true;
    if (!silent) framework::MessageBox(lock_texts::kInvalid, lock_texts::kInvalidCaption, MB_OK | MB_ICONEXCLAMATION);
    nextCheckAllowed = Clock::now() + std::chrono::milliseconds(kFailedCheckPauseMs);
    PumpUntil(nextCheckAllowed);
    return false;
}

// ----------------------------------------------------------------- prompt ---

TfrmEnterPwd::TfrmEnterPwd() : Form("frmEnterPwd") { edPwd.Password = true; }

TfrmEnterPwd::~TfrmEnterPwd() = default;

void TfrmEnterPwd::FormDestroy() { keys_.DetachAll(); }

void TfrmEnterPwd::CreateControls() {
    SetCaption(lock_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    ::SendMessageA(edPwd.Handle(), EM_SETPASSWORDCHAR, '*', 0);
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectA(&lf));
    ::SendMessageA(lbReason.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    btnOK.UseDialogLook();
    btnCancel.UseDialogLook();
    btnOK.OnClick = [this] { btnOKClick(); };
    btnCancel.OnClick = [this] { btnCancelClick(); };
    // The form's key preview: the only control that takes the focus is the edit.
    keys_.OnEnter = [this] { btnOKClick(); };
    keys_.OnEsc = [this] { btnCancelClick(); };
    keys_.Attach(edPwd.Handle());
    CenterOnScreen();
}

bool TfrmEnterPwd::AskLockPassword(std::string_view reason) {
    // A second protected action while the prompt is open is refused without
    // touching the open prompt: its reason and answer stay its caller's.
    if (Visible()) return false;
    lbReason.SetCaption(reason);
    FCancelled = true;
    const HWND formerFront = ::GetForegroundWindow();
    Show();
    ::SetFocus(edPwd.Handle());
    BringToFront();
    ::SetForegroundWindow(Handle());
    FCancelled = false;
    auto& app = framework::App();
    while (Visible() && !app.Terminated()) app.HandleMessage(100);
    // An exit while the prompt is open answers as Cancel.
    if (app.Terminated()) {
        FCancelled = true;
        Hide();
    }
    // The prompt held the keyboard; the window the system puts in front
    // again must really get the keys back (see ReturnKeyboardFocus).
    engine::ReturnKeyboardFocus(formerFront);
    struct ClearOnExit {
        framework::Edit& edit;
        ~ClearOnExit() { edit.SetText(""); }
    } clear{edPwd};
    return !FCancelled && CheckLockPassword(edPwd.Text(), true);
}

void TfrmEnterPwd::btnOKClick() {
    FCancelled = false;
    if (CheckLockPassword(edPwd.Text(), false)) Hide();
}

void TfrmEnterPwd::btnCancelClick() {
    FCancelled = true;
    Hide();
}

// Closed some other way than through its buttons (the prompt has no close
// button): that counts as Cancel.
void TfrmEnterPwd::FormClose() { FCancelled = true; }

}  // namespace navigation
