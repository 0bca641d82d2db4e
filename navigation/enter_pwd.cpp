#include "navigation/enter_pwd.h"
#include <commctrl.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "settings/store_values.h"

namespace navigation {

TfrmEnterPwd* frmEnterPwd = nullptr;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kEmptyWordS2 = 195364u;
constexpr UINT_PTR kEditKeysId = 1;
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

bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimBlanks(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

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

bool MatchesStored(const std::string& digest, std::string_view valueName) {
    std::string stored = ReadLockValue(valueName);
    // Only a well-formed digest can unlock: a missing, empty or damaged value
    // never does.
    return IsLockDigest(stored) && stored == digest;
}

}  // namespace

uint64_t LockTermS2(uint32_t w) noexcept {
    return IntegerSquareRoot(1'000'000'000'000ull / (w == 0 ? kEmptyWordS2 : w));
}

std::string HashLockPassword(std::string_view password) {
    std::string s(TrimBlanks(password));
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

std::string ReadLockValue(std::string_view name) {
    framework::Registry reg;
    if (!reg.OpenKey(settings::kSettingsKey, true)) throw framework::Exception("Cannot open the settings key");
    return reg.ReadString(name, "");
}

void StoreLockPassword(std::string_view password) {
    framework::Registry reg;
    if (!reg.OpenKey(settings::kSettingsKey, true)) throw framework::Exception("Cannot open the settings key");
    if (!reg.WriteString(kLocalDigestValue, HashLockPassword(password)))
        throw framework::Exception("Cannot store the desktop lock password");
}

bool CheckLockPassword(std::string_view password, bool silent) {
    PumpUntil(nextCheckAllowed);
    // A password of blanks has no words: its digest is the constants alone,
    // which the program never stores, so it never unlocks.
    if (!TrimBlanks(password).empty()) {
        std::string digest = HashLockPassword(password);
        if (MatchesStored(digest, kLocalDigestValue) || MatchesStored(digest, kGlobalDigestValue)) return true;
    }
    if (!silent) framework::MessageBox(lock_texts::kInvalid, lock_texts::kInvalidCaption, MB_OK | MB_ICONEXCLAMATION);
    nextCheckAllowed = Clock::now() + std::chrono::milliseconds(kFailedCheckPauseMs);
    PumpUntil(nextCheckAllowed);
    return false;
}

// ----------------------------------------------------------------- prompt ---

TfrmEnterPwd::TfrmEnterPwd() : Form("frmEnterPwd") { edPwd.Password = true; }

TfrmEnterPwd::~TfrmEnterPwd() = default;

void TfrmEnterPwd::FormDestroy() {
    if (edPwd.Handle()) ::RemoveWindowSubclass(edPwd.Handle(), &EditKeys, kEditKeysId);
}

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
    ::SetWindowSubclass(edPwd.Handle(), &EditKeys, kEditKeysId, reinterpret_cast<DWORD_PTR>(this));
    CenterOnScreen();
}

// The form's key preview: Enter is OK and Esc is Cancel wherever the focus is;
// the only control that takes the focus is the edit.
LRESULT CALLBACK TfrmEnterPwd::EditKeys(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) noexcept {
    auto* self = reinterpret_cast<TfrmEnterPwd*>(ref);
    bool enterOrEsc = w == VK_RETURN || w == VK_ESCAPE;
    if (m == WM_KEYDOWN && enterOrEsc) {
        framework::Guard([&] {
            if (w == VK_RETURN)
                self->btnOKClick();
            else
                self->btnCancelClick();
        });
        return 0;
    }
    if (m == WM_CHAR && (w == '\r' || w == 0x1B)) return 0;   // no beep for the keys taken above
    return ::DefSubclassProc(h, m, w, l);
}

bool TfrmEnterPwd::AskLockPassword(std::string_view reason) {
    // A second protected action while the prompt is open is refused without
    // touching the open prompt: its reason and answer stay its caller's.
    if (Visible()) return false;
    lbReason.SetCaption(reason);
    FCancelled = true;
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
