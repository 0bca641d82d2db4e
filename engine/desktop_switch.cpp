// The engine tick, the desktop switch, and the hide and show primitives that
// every mover of windows goes through.
#include "engine/main_form.h"
#include "engine/fault_handler.h"
#include <utility>
#include "engine/gtools.h"
#include "engine/preview_layout.h"
#include "engine/wait_window.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

namespace texts {
constexpr std::string_view kAccessPrompt = "Enter password to access desktop #";
constexpr std::string_view kUnifyPassword = "You must enter your desktop lock password to unify desktops!";
constexpr std::string_view kWaitSaved = "Wait while desktop icons are saved";
constexpr std::string_view kWaitRestored = "Wait until icons are restored";
}  // namespace texts

constexpr DWORD kRefocusMs = 2000;
constexpr int kPreviewIdleTicks = 6;
// A request never waits longer than this for the desktop icons: with no
// shell list view they never get a stored position.
constexpr DWORD kIconWaitLimitMs = 5000;

// Adds the time from its creation to its end to a running total: one
// counter read at each end, no request to the system.
class TickClock {
public:
    explicit TickClock(double& total) noexcept : total_(total), start_(Count()) {}
    ~TickClock() { total_ += static_cast<double>(Count() - start_) / static_cast<double>(Frequency()); }
    TickClock(const TickClock&) = delete;
    TickClock& operator=(const TickClock&) = delete;

private:
    static LONGLONG Count() noexcept {
        LARGE_INTEGER c;
        ::QueryPerformanceCounter(&c);
        return c.QuadPart;
    }
    static LONGLONG Frequency() noexcept {
        static const LONGLONG f = [] {
            LARGE_INTEGER v;
            ::QueryPerformanceFrequency(&v);
            return v.QuadPart;
        }();
        return f;
    }
    double& total_;
    LONGLONG start_;
};

bool CursorInside(const RECT& r) {
    POINT p{};
    ::GetCursorPos(&p);
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

}  // namespace

void TfrmPTessarel::tScanTimer() {
    const TickClock clock(tickSeconds_);
    if (tScan_.Interval() != kScanIntervalMs) tScan_.SetInterval(kScanIntervalMs);
    ++FScanCounter;
    ScanWindows();
    FreeFinishedBubbles();

    HWND fg = ::GetForegroundWindow();
    DWORD fgPid = 0;
    if (fg) ::GetWindowThreadProcessId(fg, &fgPid);
    if (fg && fgPid != ::GetCurrentProcessId()) lastForeignForeground_ = fg;

    if (FScanCounter % 10 == 0) {
        CompactWindowTable();
        int snapshots = settings::Int("snapshots");
        if ((snapshots == 1 && FScanCounter % 20 == 0) || (snapshots == 2 && FScanCounter % 120 == 0))
            SaveSnapshot();
    }

    if (FRequestedDesktop != FCurrentDesktop) SwitchDesktop();

    if (Visible())
        RepaintPreview();
    else
        previewIdleTicks_ = 0;

    if (::GetTickCount() - switchTick_ > kRefocusMs) refocusDone_ = true;
    Refocus();
    AutoHidePreview();
    // A desktop made public while it was locked (the settings applied, the
    // name panel's lock button) is locked no longer.
    if (!FDesktopUnlocked && !settings::IsPrivate(FCurrentDesktop)) {
        FDesktopUnlocked = true;
        ShowDesktopWindows();
    }
    CheckDesktopAccess();
    PublishRescueWindows();
}

void TfrmPTessarel::PublishRescueWindows() {
    std::vector<HWND> shown;
    shown.reserve(FWindowTable.size());
    for (const auto& r : FWindowTable)
        if (r.Visible) shown.push_back(r.Handle());
    fault::PublishRescueWindows(shown);
}

void TfrmPTessarel::Refocus() {
    if (FCurrentDesktop <= 0 || FCurrentDesktop > 9 || refocusDone_ || FPreviewSwitch) return;
    HWND w = FLastActiveWindow[static_cast<size_t>(FCurrentDesktop)];
    if (!w || !::IsWindowVisible(w)) return;
    refocusDone_ = ::GetForegroundWindow() == w;
    if (!refocusDone_) ForceShowWindow(w);
}

void TfrmPTessarel::AutoHidePreview() {
    if (!Visible()) return;
    if (CursorInside(BoundsRect())) {
        previewIdleTicks_ = 0;
        return;
    }
    if (++previewIdleTicks_ >= kPreviewIdleTicks && !(FOwnPopupWindow && ::IsWindowVisible(FOwnPopupWindow))) {
        HidePreview();
        previewIdleTicks_ = 0;
    }
}

void TfrmPTessarel::FreeFinishedBubbles() {
    bool any = false;
    for (auto& b : FBubbles) {
        if (b && links::BubbleFinished(*b)) b.reset();
        any = any || b != nullptr;
    }
    if (!any) FBubbles.clear();
}

void TfrmPTessarel::SwitchDesktop() {
    // The requested desktop is read once: a nested message loop inside the
    // switch must not split it between two desktops.
    const int target = FRequestedDesktop;
    if (target < 1 || target > 9) {
        FRequestedDesktop = FCurrentDesktop;
        return;
    }
    tScan_.SetEnabled(false);
    struct Reenable {
        framework::Timer& t;
        ~Reenable() { t.SetEnabled(true); }
    } reenable{tScan_};

    FPreviousDesktop = FCurrentDesktop;
    const bool passwordGiven = std::exchange(unlockOnArrival_, 0) == target;
    FDesktopUnlocked = !settings::IsPrivate(target) || passwordGiven;
    CheckDesktopAccess();
    links::ApplyDesktopDisplay(target);
    FCurrentDesktop = target;
    FRequestedDesktop = target;
    if (FPreviousDesktop >= 1 && FPreviousDesktop <= 9)
        FLastActiveWindow[static_cast<size_t>(FPreviousDesktop)] = lastForeignForeground_;
    refocusDone_ = false;
    switchTick_ = ::GetTickCount();

    RefreshDesktopIndicators();
    HideForeignWindows();
    ShowDesktopWindows();
    if (FPreviewSwitch) refocusDone_ = true;
    FPreviewSwitch = false;
    links::SwapDesktopSets(FCurrentDesktop);
    SetTrayIconForDesktop(FCurrentDesktop);
}

void TfrmPTessarel::RefreshDesktopIndicators() {
    links::UpdateDeskName(FCurrentDesktop);
    if (settings::Int("deskbar") != 0) links::RestyleDeskBar();
    if (settings::Int("edgenav") != 0) links::RetargetEdgeWindow();
    // A preview opened from the tray follows the switch back to the taskbar.
    if (previewOrigin_ == preview::kOriginTaskbar) PlacePreviewAtTaskbar();
}

// The two passes of a switch read "async" once each, and ask each window's
// facts once: the rules below take them from the scan's facts of the window.
void TfrmPTessarel::HideForeignWindows() {
    const bool async = settings::Flag("async");
    for (size_t i = 0; i < FWindowTable.size(); ++i) {
        const TWindowRecord r = FWindowTable[i];
        HWND w = r.Handle();
        if (r.Desktop == FCurrentDesktop || r.ScanStamp != FScanCounter) continue;
        if (!::IsWindowVisible(w)) continue;
        const TFactsKnown known = FactsKnownOf(w);
        if (IsUnmanagedWindow(w, static_cast<int>(i)) || IsSticky(w)) continue;
        if (IsHungWindow(w)) {
            // Not waited for now; once it answers again the scan hides it,
            // as it hides any window that shows itself on another desktop.
            FWindowTable[i].Shown = 0;
            continue;
        }
        ShowWindowSafe(w, SW_HIDE, async);
    }
}

void TfrmPTessarel::ShowDesktopWindows() {
    if (!FDesktopUnlocked) return;
    HWND target = nullptr;
    const int count = DesktopCount();
    const bool async = settings::Flag("async");
    for (size_t i = 0; i < FWindowTable.size(); ++i) {
        const TWindowRecord r = FWindowTable[i];
        HWND w = r.Handle();
        if (!r.Visible) continue;
        const TFactsKnown known = FactsKnownOf(w);
        if (!(r.Desktop == FCurrentDesktop || IsSticky(w) || r.Desktop > count)) continue;
        if (IsUnmanagedWindow(w, static_cast<int>(i)) || ::IsWindowVisible(w)) continue;
        // A window of a locked desktop that became sticky, or was left
        // beyond the grid, waits there until the desktop is unlocked.
        if (IsLockedDesktop(r.Desktop)) continue;
        target = w;
        if (r.ScanStamp == FScanCounter) ShowWindowSafe(w, SW_SHOWNA, async);
    }
    if (!settings::Flag("retaininputfocus") && target && !FPreviewSwitch) {
        ForceForegroundWindow(target);
        ::PostMessageA(target, WM_SETFOCUS, 0, 0);
    }
}

bool TfrmPTessarel::Responds(HWND w) const {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kResponseProbeMs, &result) != 0;
}

void TfrmPTessarel::ShowWindowSafe(HWND w, int cmd) { ShowWindowSafe(w, cmd, settings::Flag("async")); }

void TfrmPTessarel::ShowWindowSafe(HWND w, int cmd, bool async) {
    // A window that does not answer (hung, or only just stopped answering)
    // is shown and hidden asynchronously, so the tick never waits for it.
    const bool foreign = ProcessOf(w) != ::GetCurrentProcessId();
    // Whatever becomes of the program from now on, this window comes back.
    if (cmd == SW_HIDE && foreign) fault::AddRescueWindow(w);
    if (async || IsHungWindow(w) || (foreign && !Responds(w)))
        ::ShowWindowAsync(w, cmd);
    else
        ::ShowWindow(w, cmd);
}

void TfrmPTessarel::RequestDesktop(int n) {
    if (n > DesktopCount() || n <= 0 || FRequestedDesktop != FCurrentDesktop) return;
    WaitForDesktopIcons();
    if (FRequestedDesktop != FCurrentDesktop || framework::App().Terminated()) return;
    FRequestedDesktop = n;
    TickSoon();
}

// The tick that carries a requested switch out comes at once, not up to a
// whole interval later; it then keeps its pace.
void TfrmPTessarel::TickSoon() { tScan_.SetInterval(kSwitchTickMs); }

void TfrmPTessarel::RequestPreviewSwitch(int n) {
    const bool pending = FRequestedDesktop != FCurrentDesktop;
    RequestDesktop(n);
    if (!pending && FRequestedDesktop != FCurrentDesktop) FPreviewSwitch = true;
}

void TfrmPTessarel::WaitForDesktopIcons() {
    if (!links::IconSetsOn()) return;
    auto& app = framework::App();
    auto waitFor = [&](std::string_view text, const std::function<bool()>& done) {
        if (done()) return;
        if (frmWait) frmWait->ShowWait(text);
        const DWORD start = ::GetTickCount();
        while (!done() && !app.Terminated() && ::GetTickCount() - start < kIconWaitLimitMs) app.HandleMessage(50);
        if (frmWait) frmWait->HideWait();
    };
    waitFor(texts::kWaitSaved, [] { return links::IconPositionsStored(); });
    waitFor(texts::kWaitRestored, [] { return links::IconsRestored(); });
}

bool TfrmPTessarel::SetWindowDesktop(HWND w, int n, bool noRefresh) {
    if (n > DesktopCount() || n < 1) return false;
    links::RefreshAppList();
    int idx = FindWindowRecord(w);
    const bool moved = !IsSticky(w) && idx >= 0;
    if (moved) {
        FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(n);
        if (!noRefresh) {
            if (n == FCurrentDesktop)
                ShowDesktopWindows();
            else
                HideForeignWindows();
        }
    }
    if (settings::Flag("selectclose") && !previewDragging_) HidePreview();
    return moved;
}

void TfrmPTessarel::FitWindowsIntoGrid(int cols, int rows) {
    FGridCols = cols;
    FGridRows = rows;
    KeepWindowsInGrid();
}

void TfrmPTessarel::KeepWindowsInGrid() {
    const int count = DesktopCount();
    for (auto& r : FWindowTable)
        if (r.Desktop > count) r.Desktop = static_cast<int8_t>(count);
    if (count < FCurrentDesktop) {
        FRequestedDesktop = count;   // the next tick switches there
        TickSoon();
    } else {
        HideForeignWindows();
        ShowDesktopWindows();
    }
}

void TfrmPTessarel::miUnifyClick() {
    int target = FPressedDesktop;
    // Never pressed (or cleared): unify onto the current desktop rather than
    // giving every window desktop 0 and hiding them all.
    if (target < 1) target = FCurrentDesktop;
    if (target > DesktopCount()) return;
    if (HasPrivateWindows() && !links::AskLockPassword(texts::kUnifyPassword)) return;
    for (auto& r : FWindowTable) r.Desktop = static_cast<int8_t>(target);
    ShowDesktopWindows();
    HideForeignWindows();
    if (settings::Flag("selectclose")) HidePreview();
}

void TfrmPTessarel::CheckDesktopAccess() {
    links::CheckLockCover(std::string(texts::kAccessPrompt) + std::to_string(FRequestedDesktop));
}

bool TfrmPTessarel::IsLockedDesktop(int desktop) const {
    return settings::IsPrivate(desktop) && !(desktop == FCurrentDesktop && FDesktopUnlocked);
}

bool TfrmPTessarel::HasPrivateWindows() {
    bool anyPrivate = false;
    for (int d = 1; d <= 9; ++d) anyPrivate = anyPrivate || settings::IsPrivate(d);
    if (!anyPrivate) return false;
    for (const auto& r : FWindowTable) {
        if (r.ScanStamp != FScanCounter || !r.Visible) continue;
        if (settings::IsPrivate(IntMin(IntMax(r.Desktop, 1), 9))) return true;
    }
    return false;
}

void TfrmPTessarel::SyncIconSwapper() {
    if (!links::IconSetsOn()) return;
    if (!links::IconsRestored() && links::IconPositionsStored()) links::RestoreDesktopIcons();
}

}  // namespace engine
