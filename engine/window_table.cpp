// The window table, the scan, and the rules that give new windows a desktop.
#include "engine/main_form.h"
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_set>
#include "engine/gtools.h"
#include "engine/window_rules.h"
#include "framework/guard.h"
#include "framework/text.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

// Windows of the shell and of system helpers that never belong to a desktop.
constexpr std::array<std::string_view, 13> kUnmanagedClasses{
    "Shell_TrayWnd", "CursorXP", "tooltips_class32", "SystemTray_Main", "WorkerW", "DV2ControlHost", "Progman",
    "TDesignerHintWindow", "TPUtilWindow", "Connections Tray", "MenuSite", "BaseBar", "SysFader",
};

namespace texts {
constexpr std::string_view kRecovered = "% application recovered at desktop #";
constexpr std::string_view kFromSnapshot = " from SNAPSHOT";
constexpr std::string_view kSentAway = "% application automatically sent to desktop #";
constexpr std::string_view kSnapshotTag = " [SNAPSHOT]";
}  // namespace texts

std::string ClassNameOf(HWND w) {
    char buf[251] = {};
    ::GetClassNameA(w, buf, 250);
    return buf;
}

// IsWindowVisible of a top-level window is its own WS_VISIBLE bit, its
// parent being the desktop: one request to the window server instead of two.
bool TopLevelShown(HWND w) { return (::GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

BOOL CALLBACK ScanWindowProc(HWND w, LPARAM) noexcept {
    framework::Guard([w] { frmPTessarel->ScanWindow(w); });
    return TRUE;
}

void TfrmPTessarel::ScanWindows() {
    // Handles are collected first: the scan hides and shows windows, which
    // reorders the list the system walks.
    std::vector<HWND> handles;
    const bool complete = ::EnumWindows([](HWND w, LPARAM l) -> BOOL {
        return framework::Guard(FALSE, [&] {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
            return TRUE;
        });
    }, reinterpret_cast<LPARAM>(&handles)) != FALSE;
    ScanWindows(handles, complete);
}

void TfrmPTessarel::ScanWindows(const std::vector<HWND>& handles, bool complete) {
    // Read per scan, not per window: each read asks a control of the
    // settings dialog, so a change still counts from the next tick on.
    scanSettings_.AutoFollow = settings::Flag("autofollow");
    if (complete) ForgetEndedWindows(handles);
    for (HWND w : handles) ScanWindowProc(w, 0);
}

void TfrmPTessarel::ForgetEndedWindows(const std::vector<HWND>& alive) {
    windowFacts_.KeepOnly(alive);
    processExes_.KeepProcessesOf(windowFacts_);
    std::unordered_set<uint32_t> met;
    for (HWND w : alive) met.insert(TWindowRecord::WndFromHandle(w));
    for (auto& r : FWindowTable)
        if (!met.count(r.Wnd)) r.Ended = 1;
}

// The record stays for the rules that look at a process's past windows until
// the table is compacted, but no longer answers for the handle.
void TfrmPTessarel::DetachRecord(int index) noexcept {
    recordIndex_.erase(FWindowTable[static_cast<size_t>(index)].Wnd);
    FWindowTable[static_cast<size_t>(index)].Wnd = 0;
    InvalidateStickyCache();
}

const TWindowFacts* TfrmPTessarel::FactsOf(HWND w) {
    if (w && w == scanned_.wnd) return scanned_.facts;
    TWindowIdentity now;
    now.ThreadId = ::GetWindowThreadProcessId(w, &now.ProcessId);
    if (!now.ThreadId) {
        windowFacts_.Forget(w);
        return nullptr;
    }
    if (const TWindowFacts* known = windowFacts_.Find(w, now)) return known;
    TWindowFacts facts;
    facts.Identity = now;
    facts.ClassName = ClassNameOf(w);
    facts.UpperClassName = UpperCaseAscii(facts.ClassName);
    facts.ClassModule = ::GetClassLongPtrA(w, GCLP_HMODULE);
    return &windowFacts_.Store(w, std::move(facts));
}

std::string TfrmPTessarel::UpperClassOf(HWND w) {
    const TWindowFacts* facts = FactsOf(w);
    return facts ? facts->UpperClassName : std::string();
}

// A path that cannot be read is asked again next time: the process may
// still be starting.
std::string TfrmPTessarel::UpperExePathOf(DWORD processId) {
    if (const std::string* known = processExes_.Find(processId)) return *known;
    std::string path = ProcessUpperExePath(processId);
    if (path.empty()) return path;
    return processExes_.Store(processId, std::move(path));
}

std::string TfrmPTessarel::WindowUpperExePath(HWND w) {
    const TWindowFacts* facts = FactsOf(w);
    return facts && facts->Identity.ProcessId ? UpperExePathOf(facts->Identity.ProcessId) : std::string();
}

DWORD TfrmPTessarel::ProcessOf(HWND w) {
    if (w && w == scanned_.wnd && scanned_.facts) return scanned_.facts->Identity.ProcessId;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return pid;
}

int TfrmPTessarel::FindWindowRecord(HWND w) {
    if (!w) return -1;   // a detached record has no handle
    const uint32_t key = TWindowRecord::WndFromHandle(w);
    if (auto it = recordIndex_.find(key); it != recordIndex_.end()) {
        const int i = it->second;
        if (i >= 0 && static_cast<size_t>(i) < FWindowTable.size() && FWindowTable[static_cast<size_t>(i)].Wnd == key)
            return i;
    }
    // Not in the index: no record, or one the index has not met yet.
    for (size_t i = 0; i < FWindowTable.size(); ++i)
        if (FWindowTable[i].Wnd == key) {
            IndexRecords();
            return static_cast<int>(i);
        }
    return -1;
}

void TfrmPTessarel::IndexRecords() {
    recordIndex_.clear();
    recordIndex_.reserve(FWindowTable.size());
    // The first record of a handle answers for it.
    for (size_t i = 0; i < FWindowTable.size(); ++i)
        if (FWindowTable[i].Wnd) recordIndex_.emplace(FWindowTable[i].Wnd, static_cast<int>(i));
}

bool TfrmPTessarel::IsUnmanagedWindow(HWND w, int index) { return IsUnmanagedWindow(w, index, FactsOf(w)); }

bool TfrmPTessarel::IsUnmanagedWindow(HWND w, int index, const TWindowFacts* facts) {
    const DWORD pid = facts ? facts->Identity.ProcessId : 0;
    const DWORD thread = facts ? facts->Identity.ThreadId : 0;
    if (facts)
        className_ = facts->ClassName;
    else
        className_.clear();
    const uint64_t module = facts ? facts->ClassModule : 0;

    if (index >= 0 && index < static_cast<int>(FWindowTable.size()) &&
        ExeIs(FWindowTable[static_cast<size_t>(index)].ExeName, kHdlDesignerExe) && className_ == "HDS" &&
        module == 0x56000000)
        return true;

    bool ownThread = thread == ::GetCurrentThreadId();
    if (ownThread && (IsUpperHalfModule(module) || className_ == "#32768")) FOwnPopupWindow = w;

    if (!w || w == Handle() || w == ::GetDesktopWindow()) return true;
    if (pid == ::GetCurrentProcessId()) return true;
    if (std::find(kUnmanagedClasses.begin(), kUnmanagedClasses.end(), className_) != kUnmanagedClasses.end())
        return true;
    return IsUpperHalfModule(module);
}

void TfrmPTessarel::ScanWindow(HWND w) {
    const TWindowFacts* facts = FactsOf(w);   // null: the handle names no window
    if (!facts || IsUnmanagedWindow(w, -1, facts)) return;
    // The rules the scan applies ask the same facts again: they were just
    // checked against the window.
    const TFactsKnown known(scanned_, {w, facts});
    const DWORD processId = facts->Identity.ProcessId;
    stopFlag_ = false;
    int idx = FindWindowRecord(w);
    const int current = FCurrentDesktop;
    // A handle the system gave to a new window must not carry the desktop of
    // the window that had it before.
    if (idx >= 0 && (FWindowTable[static_cast<size_t>(idx)].Ended ||
                     FWindowTable[static_cast<size_t>(idx)].ProcessId != processId)) {
        DetachRecord(idx);
        idx = -1;
    }
    // Visibility changes at any time: read at every scan, once, and again
    // after this scan itself hid or showed the window.
    std::optional<bool> shown;
    auto shownNow = [&] {
        if (!shown) shown = TopLevelShown(w);
        return *shown;
    };
    auto showWindow = [&](int cmd) {
        ShowWindowSafe(w, cmd);
        shown.reset();
    };

    if (idx < 0) {
        TWindowRecord rec;
        rec.Wnd = TWindowRecord::WndFromHandle(w);
        rec.ProcessId = processId;
        const LONG style = ::GetWindowLongA(w, GWL_STYLE);
        rec.Visible = (style & WS_VISIBLE) ? 1 : 0;
        FWindowTable.push_back(std::move(rec));
        idx = static_cast<int>(FWindowTable.size()) - 1;
        recordIndex_.insert_or_assign(FWindowTable.back().Wnd, idx);
        const DWORD pid = FWindowTable.back().ProcessId;
        const std::string cls = className_;

        int snapshotDesktop = 0;
        if (IsSticky(w)) {
            FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(current);
        } else {
            TSnapshotRecord snap = FindSnapshotRecord(w, pid);
            // A stored desktop outside the grid must never reach the record.
            if (snap.Desktop >= 1) {
                snapshotDesktop = IntMin(snap.Desktop, DesktopCount());
                // A window showing now is shown on its desktop, whatever it
                // was when the snapshot was taken: one of another desktop is
                // hidden by this scan, not left on screen until the next.
                const bool visible = snap.Visible || FWindowTable[static_cast<size_t>(idx)].Visible;
                FWindowTable[static_cast<size_t>(idx)].Visible = visible ? 1 : 0;
                FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(snapshotDesktop);
            } else {
                int d = ChooseDesktopForProcess(pid, w);
                const auto& exe = FWindowTable[static_cast<size_t>(idx)].ExeName;
                if ((style & WS_POPUP) && (ExeIs(exe, kFirefoxExe) || ExeIs(exe, kInternetExplorerExe))) d = current;
                FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(d);
            }
        }
        className_ = cls;
        AddSysMenuItems(w);

        TWindowRecord& r = FWindowTable[static_cast<size_t>(idx)];
        const bool visibleNow = shownNow();
        if (snapshotDesktop == current && r.Visible && !visibleNow && r.Desktop == current && FDesktopUnlocked &&
            !IsUnmanagedWindow(w, idx)) {
            LogEvent(std::string(texts::kRecovered) + std::to_string(r.Desktop) + std::string(texts::kFromSnapshot), w, true);
            showWindow(SW_SHOWNA);
        }
        TWindowRecord& r2 = FWindowTable[static_cast<size_t>(idx)];
        if (r2.Desktop != current && r2.Visible && !IsSticky(w) && !IsUnmanagedWindow(w, idx)) {
            std::string line = std::string(texts::kSentAway) + std::to_string(r2.Desktop);
            if (snapshotDesktop > 0) line += texts::kSnapshotTag;
            LogEvent(line, w, true);
            showWindow(SW_HIDE);
            FWindowTable[static_cast<size_t>(idx)].Shown = 0;
            stopFlag_ = true;
        }
        TWindowRecord& r3 = FWindowTable[static_cast<size_t>(idx)];
        if (r3.Desktop == current) r3.Shown = FDesktopUnlocked ? 1 : 0;
    } else {
        TWindowRecord& r = FWindowTable[static_cast<size_t>(idx)];
        const bool visibleNow = shownNow();
        // A hung window is left until it answers again (a hide would only
        // queue up behind the hang); the first scan after that hides it.
        if (!r.Shown && r.Desktop != current && visibleNow && !IsUnmanagedWindow(w, idx) && !IsHungWindow(w)) {
            if (IsSticky(w)) {
                FWindowTable[static_cast<size_t>(idx)].Shown = 1;
            } else {
                FWindowTable[static_cast<size_t>(idx)].Visible = 1;
                showWindow(SW_HIDE);
                LogEvent(std::string(texts::kSentAway) + std::to_string(FWindowTable[static_cast<size_t>(idx)].Desktop),
                         w, true);
            }
        } else if (!r.Shown && r.Desktop == current && !visibleNow && !IsUnmanagedWindow(w, idx)) {
            FWindowTable[static_cast<size_t>(idx)].Shown = 1;
        }
    }

    TWindowRecord& rec = FWindowTable[static_cast<size_t>(idx)];
    rec.ScanStamp = FScanCounter;
    if (stopFlag_) return;
    const bool sticky = IsSticky(w);
    if ((FWindowTable[static_cast<size_t>(idx)].Desktop == current || sticky) && FDesktopUnlocked)
        FWindowTable[static_cast<size_t>(idx)].Visible = shownNow() ? 1 : 0;
    if (scanSettings_.AutoFollow && IsListedWindow(w, true) && shownNow())
        FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(current);
}

int TfrmPTessarel::ChooseDesktopForProcess(DWORD processId, HWND w) {
    const int current = FCurrentDesktop;
    int result = current;
    int strength = 0;

    std::string exe;
    for (auto it = FWindowTable.rbegin(); it != FWindowTable.rend(); ++it)
        if (it->ProcessId == processId && !it->ExeName.empty()) {
            exe = UpperCaseAscii(it->ExeName);
            break;
        }
    if (exe.empty()) {
        exe = UpperExePathOf(processId);
        std::string stored = exe.substr(0, 255);
        for (auto& r : FWindowTable)
            if (r.ProcessId == processId) r.ExeName = stored;
    }

    if (settings::Flag("strictdesk")) {
        for (const auto& r : FWindowTable)
            if (r.ProcessId == processId && r.Desktop > 0 && r.Desktop != current) {
                result = r.Desktop;
                strength = 2;
                break;
            }
    }
    // A new window is usually enumerated before its process's older windows
    // (it lies on top), so in this pass they still carry the previous
    // stamp; they are as alive as those already met.
    auto live = [this](const TWindowRecord& r) { return FScanCounter - r.ScanStamp <= 1; };
    for (const auto& r : FWindowTable) {
        if (!live(r) || r.ProcessId != processId || r.Desktop <= 0 || r.Desktop != current) continue;
        result = r.Desktop;
        strength = 1;
        if (r.Visible) break;
    }
    for (const auto& r : FWindowTable) {
        if (!live(r) || r.ProcessId != processId || r.Desktop <= 0 || r.Desktop == current) continue;
        if (!settings::IsPrivate(r.Desktop)) continue;
        result = r.Desktop;
        strength = 2;
        if (r.Visible) break;
    }

    const auto rules = settings::AutoSendRules();
    const std::string cls = framework::Trim(UpperClassOf(w));
    auto ruleDesktop = [this](const settings::TAutoSendRule& rule) { return IntMin(rule.Desktop, DesktopCount()); };
    // A stored desktop outside 1..9 is damage, not a rule: it matches nothing.
    auto unusable = [](const settings::TAutoSendRule& rule) {
        return rule.Disabled || rule.Deleted || rule.Desktop < 1 || rule.Desktop > 9;
    };
    for (const auto& rule : rules) {
        if (unusable(rule)) continue;
        if (framework::Trim(UpperCaseAscii(settings::RuleName(rule))) == cls) result = ruleDesktop(rule);
    }
    if (strength < 2) {
        const std::string exeTrimmed = framework::Trim(exe);
        for (const auto& rule : rules) {
            if (unusable(rule)) continue;
            if (framework::Trim(UpperCaseAscii(settings::RuleName(rule))) == exeTrimmed) result = ruleDesktop(rule);
        }
    }
    return result;
}

bool TfrmPTessarel::IsSticky(HWND w) {
    if (w && w == stickyWnd_) return stickyAnswer_;
    bool found = false;
    if (FStickyList) {
        found = FStickyList->Contains(UpperClassOf(w));
        if (!found) {
            std::string exe;
            int idx = FindWindowRecord(w);
            if (idx >= 0) {
                auto& r = FWindowTable[static_cast<size_t>(idx)];
                if (r.ExeName.empty()) r.ExeName = WindowUpperExePath(w).substr(0, 255);
                exe = r.ExeName;
            } else {
                exe = WindowUpperExePath(w);
            }
            found = !exe.empty() && FStickyList->Contains(UpperCaseAscii(exe));
        }
    }
    stickyWnd_ = w;
    stickyAnswer_ = found;
    return found;
}

void TfrmPTessarel::InvalidateStickyCache() noexcept {
    stickyWnd_ = nullptr;
    stickyAnswer_ = false;
}

bool TfrmPTessarel::IsListedWindow(HWND w) { return IsListedWindow(w, settings::Flag("autofollow")); }

bool TfrmPTessarel::IsListedWindow(HWND w, bool autoFollow) {
    const std::string cls = UpperClassOf(w);
    const std::string exe = GetWindowExeName(w);
    if (autoFollow)
        return settings::InIgnoreList(cls) || (!exe.empty() && settings::InIgnoreList(exe));
    return settings::InWatchList(cls) || (!exe.empty() && settings::InWatchList(exe));
}

std::string TfrmPTessarel::GetWindowExeName(HWND w) {
    int idx = FindWindowRecord(w);
    if (idx < 0) return WindowUpperExePath(w);
    auto& r = FWindowTable[static_cast<size_t>(idx)];
    if (r.ExeName.empty()) r.ExeName = WindowUpperExePath(w).substr(0, 255);
    return r.ExeName;
}

void TfrmPTessarel::CompactWindowTable() {
    std::vector<TWindowRecord> kept;
    kept.reserve(FWindowTable.capacity());
    for (auto& r : FWindowTable)
        if (r.ScanStamp == FScanCounter) kept.push_back(std::move(r));
    FWindowTable = std::move(kept);
    IndexRecords();
}

bool TfrmPTessarel::IsWindowShown(HWND w) const { return ::IsWindowVisible(w) != FALSE; }

bool TfrmPTessarel::WindowShownOnDesktop(HWND w, int desktop) {
    uint32_t key = TWindowRecord::WndFromHandle(w);
    for (const auto& r : FWindowTable) {
        if (r.Wnd != key) continue;
        const bool sticky = IsSticky(w);
        if ((!sticky && r.Desktop == desktop) || (sticky && desktop == FCurrentDesktop)) return r.Visible != 0;
        return false;
    }
    return false;
}

}  // namespace engine
