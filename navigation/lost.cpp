#include "navigation/lost.h"
#include <algorithm>
#include <shellapi.h>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/dialogs.h"
#include "framework/owned.h"
#include "navigation/enter_pwd.h"
#include "settings/settings_access.h"
#include "shell/help.h"

namespace navigation {

TfrmLost* frmLost = nullptr;

namespace {

constexpr int kClientWidth = 480, kClientHeight = 330;

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Panel, "pnSide", nullptr, 0, 0, 12, 330, "", 0},
    {framework::Kind::Custom, "lvApp", nullptr, 20, 10, 450, 270, "", 0},
    {framework::Kind::Custom, "btnRecover", nullptr, 20, 292, 100, 26, lost_texts::kRecover.data(), 0},
    {framework::Kind::Custom, "btnSelect", nullptr, 20, 292, 100, 26, lost_texts::kSelect.data(), 0},
    {framework::Kind::Custom, "btnHelp", nullptr, 260, 292, 100, 26, lost_texts::kHelp.data(), 0},
    {framework::Kind::Custom, "btnClose", nullptr, 370, 292, 100, 26, lost_texts::kClose.data(), 0},
};

constexpr COLORREF kSideColor = RGB(0x50, 0x70, 0xA0);

// The styles of a window that a user would call an application window.
bool ApplicationWindowStyle(LONG style, LONG exStyle) {
    constexpr LONG kNotListed = WS_EX_TOOLWINDOW | WS_EX_MDICHILD;
    return !(exStyle & kNotListed) && (style & WS_MINIMIZEBOX) && !(style & WS_CHILD);
}

std::string TitleOf(HWND w) {
    char text[kMaxLostTitleChars + 1] = {};
    const int n = ::GetWindowTextA(w, text, static_cast<int>(sizeof text));
    return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

// Every top-level window from the top, with what the engine knows of it.
std::vector<TLostCandidate> Candidates() {
    std::vector<TLostCandidate> out;
    auto* engine = engine::frmPTessarel;
    engine::ForEachTopWindowZOrder([&](HWND w) {
        TLostCandidate c;
        c.wnd = w;
        ::GetWindowThreadProcessId(w, &c.processId);
        c.style = static_cast<LONG>(::GetWindowLongA(w, GWL_STYLE));
        c.exStyle = static_cast<LONG>(::GetWindowLongA(w, GWL_EXSTYLE));
        const int index = engine ? engine->FindWindowRecord(w) : -1;
        if (index >= 0) {
            const auto& r = engine->FWindowTable[static_cast<size_t>(index)];
            c.hasRecord = true;
            c.recordVisible = r.Visible != 0;
            c.desktop = r.Desktop;
            c.locked = !engine->IsSticky(w) && engine->IsLockedDesktop(r.Desktop);
        }
        c.unmanaged = !engine || engine->IsUnmanagedWindow(w, index);
        c.title = TitleOf(w);
        out.push_back(std::move(c));
    }, true);
    return out;
}

framework::Icon FirstIconOf(const std::string& exePath) {
    if (exePath.empty()) return {};
    HICON large = nullptr;
    // Without icons the count is 0 and the handle may be garbage.
    if (::ExtractIconExA(exePath.c_str(), 0, &large, nullptr, 1) < 1) return {};
    return framework::Icon(large);
}

}  // namespace

// Pure rules -------------------------------------------------------------------------

std::vector<TLostRow> BuildLostRows(const std::vector<TLostCandidate>& windows, bool wantVisible, bool byProcess,
                                    TLostMode mode, bool privateOpen) {
    std::vector<TLostRow> rows;
    std::vector<DWORD> processes;
    for (const auto& w : windows) {
        if (!w.hasRecord || w.recordVisible != wantVisible) continue;
        if (!ApplicationWindowStyle(w.style, w.exStyle) || w.unmanaged) continue;
        const bool hideFacts = w.locked && !privateOpen;
        // Picking a rule from a desktop one may not look at would tell what lies there.
        if (hideFacts && mode == TLostMode::Select) continue;
        if (byProcess) {
            if (std::find(processes.begin(), processes.end(), w.processId) != processes.end()) continue;
            processes.push_back(w.processId);
        }
        TLostRow row;
        row.data = byProcess ? static_cast<uintptr_t>(w.processId) : reinterpret_cast<uintptr_t>(w.wnd);
        if (hideFacts)
            row.caption = std::string(lost_texts::kPrivateRow) + std::to_string(w.desktop) + ")";
        else
            row.caption = byProcess ? w.exePath : w.title;
        if (!hideFacts) row.iconPath = w.exePath;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<const TLostCandidate*> RecoverTargets(const std::vector<TLostCandidate>& windows, uintptr_t target,
                                                  bool byProcess) {
    std::vector<const TLostCandidate*> out;
    for (const auto& w : windows) {
        const bool match = byProcess ? static_cast<uintptr_t>(w.processId) == target
                                     : reinterpret_cast<uintptr_t>(w.wnd) == target;
        if (match && !w.unmanaged && (!w.hasRecord || !w.recordVisible)) out.push_back(&w);
    }
    return out;
}

bool TargetsNeedPassword(const std::vector<const TLostCandidate*>& targets) {
    return std::any_of(targets.begin(), targets.end(), [](const TLostCandidate* c) { return c->locked; });
}

// The form ------------------------------------------------------------------------------

void ShowLostWindows() {
    if (frmLost) frmLost->ShowLostList(false, false, TLostMode::Recover, true);
}

std::string SelectLostApplication() {
    if (!frmLost) return {};
    const uintptr_t pid = frmLost->ShowLostList(true, true, TLostMode::Select, true);
    return pid ? engine::ProcessExePath(static_cast<DWORD>(pid)) : std::string();
}

TfrmLost::TfrmLost() : Form("frmLost") {}

TfrmLost::~TfrmLost() = default;

void TfrmLost::CreateControls() {
    SetCaption(lost_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    if (auto* side = dynamic_cast<framework::Panel*>(FindControl("pnSide"))) side->SetColor(kSideColor);
    for (auto* b : {&btnRecover, &btnSelect, &btnHelp, &btnClose}) b->UseDialogLook();
    btnRecover.OnClick = [this] { Action(); };
    btnSelect.OnClick = [this] { Action(); };
    btnHelp.OnClick = [this] { btnHelpClick(); };
    btnClose.OnClick = [this] { btnCloseClick(); };
    lvApp.OnDblClick = [this] { Action(); };
    KeyPreview = true;
    OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
        if (key == VK_F1) btnHelpClick();
        return 0;
    });
    CenterOnScreen();
}

uintptr_t TfrmLost::ShowLostList(bool wantVisible, bool byProcess, TLostMode mode, bool closeAfter) {
    FWantVisible = wantVisible;
    FByProcess = byProcess;
    FMode = mode;
    FCloseAfter = closeAfter;
    btnRecover.SetVisible(mode == TLostMode::Recover);
    btnHelp.SetVisible(mode == TLostMode::Recover);
    btnSelect.SetVisible(mode == TLostMode::Select);
    Fill();
    if (Visible()) return 0;   // a refill while open only refreshes it
    result_ = 0;
    privateOpen_ = false;
    ShowModal();
    privateOpen_ = false;
    return result_;
}

void TfrmLost::Fill() {
    std::vector<TLostCandidate> windows = Candidates();
    for (auto& w : windows)
        if (w.hasRecord && (FByProcess || !w.locked)) w.exePath = engine::ProcessExePath(w.processId);
    lvApp.Clear();
    for (const auto& row : BuildLostRows(windows, FWantVisible, FByProcess, FMode, privateOpen_)) {
        framework::Icon icon = FirstIconOf(row.iconPath);
        lvApp.AddRow(row.caption, icon.get(), row.data);
    }
}

void TfrmLost::Action() {
    const auto selected = lvApp.SelectedData();
    if (!selected) {
        framework::MessageBox(lost_texts::kSelectFirst, lost_texts::kWarning, MB_ICONEXCLAMATION, Handle());
        return;
    }
    result_ = *selected;
    if (FMode == TLostMode::Recover) Recover(*selected);
    if (FMode == TLostMode::Select || FCloseAfter)
        ModalResult = framework::mrOk;
    else
        Fill();
}

void TfrmLost::Recover(uintptr_t target) {
    const std::vector<TLostCandidate> windows = Candidates();
    const auto targets = RecoverTargets(windows, target, FByProcess);
    if (targets.empty()) return;
    if (TargetsNeedPassword(targets) && !privateOpen_) {
        if (!frmEnterPwd || !frmEnterPwd->AskLockPassword(lost_texts::kRecoverPrivate)) return;
        privateOpen_ = true;
    }
    auto* engine = engine::frmPTessarel;
    if (engine) engine->LogEvent(lost_texts::kRecovered, targets.front()->wnd, false);
    for (const TLostCandidate* c : targets) {
        // The user asked to see it: the scan lets it stay on the screen.
        if (engine && c->hasRecord) {
            const int index = engine->FindWindowRecord(c->wnd);
            if (index >= 0) engine->FWindowTable[static_cast<size_t>(index)].Shown = 1;
        }
        ::ShowWindowAsync(c->wnd, SW_SHOWNA);
    }
}

void TfrmLost::btnCloseClick() {
    lvApp.Select(-1);
    result_ = 0;
    ModalResult = framework::mrCancel;
}

void TfrmLost::btnHelpClick() {
    if (btnHelp.Visible()) shell::ShowHelpTopic(shell::help_texts::kTopicLostWindows);
}

}  // namespace navigation
