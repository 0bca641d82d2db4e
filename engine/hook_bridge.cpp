// The hook library, its global hooks, and the program's own messages.
#include "engine/main_form.h"
#include <algorithm>
#include <array>
#include "engine/fault_handler.h"
#include "engine/gtools.h"
#include "engine/neighbours.h"
#include "engine/window_rules.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

constexpr std::array<const char*, 10> kEntryNames{
    "HookProc", "KHookProc", "MHookProc", "SetHookID", "SetKHookID",
    "SetMHookID", "SetMethod", "SetMethodA", "SetMethodD", "SetMethodM",
};
enum Entry { eHookProc, eKHookProc, eMHookProc, eSetHookID, eSetKHookID, eSetMHookID };

using SetterFn = void(WINAPI*)(int);

namespace texts {
constexpr std::string_view kViaHotkey = " via hotkey";
constexpr std::string_view kSwitchedTo = "switched to desktop #";
constexpr std::string_view kPreviewByHotkey = "desktop preview window opened via hotkey";
constexpr std::string_view kStickyCaption = "Warning!";
constexpr std::string_view kStickyWarning =
    "The selected window is sticky\r\nPlease un-sticky before moving!\r\nSticky windows are shown in light green color.";
constexpr std::string_view kActivityOnDesktop = "Window activity detected on desktop #";
constexpr std::string_view kActivityWindow = ". Window: %";
constexpr std::string_view kCreatedOnInactive = "% window created/shown on inactive desktop #";
}  // namespace texts

struct DirectionText {
    int command;
    Direction dir;
    std::string_view wrapped;
    std::string_view plain;
};
constexpr std::array<DirectionText, 4> kDirections{{
    {kHotkeyRight, Direction::Right, "switch to desktop located to the right via hotkey [wrap]",
     "switch to desktop located to the right via hotkey"},
    {kHotkeyLeft, Direction::Left, "switch to desktop located to the left via hotkey [wrap]",
     "switch to desktop located to the left via hotkey"},
    {kHotkeyUp, Direction::Up, "switch to desktop located above via hotkey [wrap]",
     "switch to desktop located above via hotkey"},
    {kHotkeyDown, Direction::Down, "switch to desktop located below via hotkey [wrap]",
     "switch to desktop located below via hotkey"},
}};

// The trigger item a chord hotkey stands for ("Ctrl + 0", "Ctrl + Left
// Windows", Ctrl with the grave-accent key).
constexpr int ChordItem(int command) {
    switch (command) {
    case kHotkeyChordCtrl0: return 4;
    case kHotkeyChordCtrlWin: return 5;
    case kHotkeyChordCtrlGrave: return 6;
    default: return -1;
    }
}

// A wParam that carries a window or a command must fit a non-negative
// 32-bit integer; anything else did not come from the hook library.
bool FitsNonNegative32(WPARAM w) { return w <= 0x7FFFFFFF; }

HWND WindowFromParam(WPARAM w) { return TWindowRecord::HandleFromWnd(static_cast<uint32_t>(w)); }

}  // namespace

bool TfrmPTessarel::LoadHookLibrary() {
    if (HMODULE user32 = ::GetModuleHandleA("user32.dll"))
        isHungAppWindow_ = reinterpret_cast<IsHungAppWindowFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "IsHungAppWindow")));
    framework::Library lib(::LoadLibraryA(kHookLibraryName));
    if (!lib) return false;
    for (size_t i = 0; i < kEntryNames.size(); ++i) hookEntries_[i] = ::GetProcAddress(lib.get(), kEntryNames[i]);
    if (!hookEntries_[eHookProc] || !hookEntries_[eSetHookID]) {
        std::fill(std::begin(hookEntries_), std::end(hookEntries_), nullptr);
        return false;
    }
    hookLib_ = std::move(lib);
    return true;
}

void TfrmPTessarel::SetHooks() {
    if (!hookLib_) return;
    struct Pair { Entry proc; int type; Entry setter; };
    constexpr Pair kPairs[] = {
        {eHookProc, WH_CALLWNDPROC, eSetHookID},
        {eKHookProc, WH_KEYBOARD, eSetKHookID},
        {eMHookProc, WH_GETMESSAGE, eSetMHookID},
    };
    for (size_t i = 0; i < 3; ++i) {
        const Pair& p = kPairs[i];
        if (!hookEntries_[p.proc]) continue;
        HHOOK h = ::SetWindowsHookExA(p.type, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(hookEntries_[p.proc])),
                                      hookLib_.get(), 0);
        hooks_[i].reset(h);
        fault::SetRescueHook(i, h);
        if (auto setter = reinterpret_cast<SetterFn>(reinterpret_cast<void*>(hookEntries_[p.setter])))
            setter(static_cast<int>(reinterpret_cast<intptr_t>(h)));
    }
}

void TfrmPTessarel::RemoveHooks() {
    for (size_t i = 0; i < fault::kHookSlots; ++i) fault::SetRescueHook(i, nullptr);
    // The library's shared values outlive this process: they name no hook
    // that is gone.
    for (Entry setter : {eSetHookID, eSetKHookID, eSetMHookID})
        if (auto set = reinterpret_cast<SetterFn>(reinterpret_cast<void*>(hookEntries_[setter]))) set(0);
    for (auto& h : hooks_) h.reset();
    hookLib_.reset();
    std::fill(std::begin(hookEntries_), std::end(hookEntries_), nullptr);
}

void TfrmPTessarel::CallHookOption(const char* setter, int value) {
    if (!hookLib_) return;
    for (size_t i = 0; i < kEntryNames.size(); ++i)
        if (std::string_view(kEntryNames[i]) == setter && hookEntries_[i])
            reinterpret_cast<SetterFn>(reinterpret_cast<void*>(hookEntries_[i]))(value);
}

bool TfrmPTessarel::IsHungWindow(HWND w) const { return isHungAppWindow_ && isHungAppWindow_(w); }

bool TfrmPTessarel::AcceptingMessages() const {
    return !exiting_ && !framework::App().Terminated();
}

void TfrmPTessarel::RegisterMessages() {
    auto on = [this](UINT msg, auto handler) {
        OnMessage(msg, [this, handler](WPARAM w, LPARAM l) -> LRESULT {
            if (AcceptingMessages()) (this->*handler)(w, l);
            return 0;
        });
    };
    on(WM_HOOK_ACTIVATE, &TfrmPTessarel::WMHookActivate);
    on(WM_HOOK_HOTKEY, &TfrmPTessarel::WMHookHotkey);
    on(WM_HOOK_SYSMENU, &TfrmPTessarel::WMHookSysMenu);
    on(WM_HOOK_WINDOWSHOWN, &TfrmPTessarel::WMHookWindowShown);
    on(WM_SWITCH_DESKTOP, &TfrmPTessarel::WMSwitchDesktop);
    on(WM_KILL_INSTANCE, &TfrmPTessarel::WMKillInstance);
    on(WM_SHOW_POLL, &TfrmPTessarel::WMShowPoll);
}

void TfrmPTessarel::WMHookActivate(WPARAM wp, LPARAM lp) {
    if (!FitsNonNegative32(wp)) return;
    HWND w = WindowFromParam(wp);
    AddSysMenuItems(w);
    if (settings::Flag("autofollow") == IsListedWindow(w) || lp != 1) return;
    if (links::IsSettingsOrInfoWindow(w) || IsUnmanagedWindow(w, -1)) return;
    int idx = FindWindowRecord(w);
    if (idx < 0) return;
    const int d = FWindowTable[static_cast<size_t>(idx)].Desktop;
    if (d == FCurrentDesktop || IsSticky(w)) return;
    // Straight to the requested desktop, without the request's checks; but a
    // desktop outside the grid never becomes the target.
    if (d >= 1 && d <= DesktopCount()) {
        FRequestedDesktop = d;
        TickSoon();
    }
}

void TfrmPTessarel::WMHookHotkey(WPARAM wp, LPARAM) {
    if (!FitsNonNegative32(wp)) return;
    const int c = static_cast<int>(wp);
    if (c < 10) {
        RequestDesktop(c);
        if (c >= 1 && c <= DesktopCount()) LogEvent(std::string(texts::kSwitchedTo) + std::to_string(c) + std::string(texts::kViaHotkey), nullptr, false);
        return;
    }
    const bool wrap = settings::Flag("wrap");
    for (const auto& d : kDirections) {
        if (d.command != c) continue;
        int target = NeighbourDesktop(d.dir, FCurrentDesktop, FGridCols, FGridRows, wrap);
        if (target > 0) {
            LogEvent(wrap ? d.wrapped : d.plain, nullptr, false);
            RequestDesktop(target);
        }
    }
    const int item = ChordItem(c);
    if (item >= 0) RunTriggerCommands(item, texts::kPreviewByHotkey);
}

void TfrmPTessarel::TogglePreviewFor(std::string_view log) {
    TogglePreview();
    if (!log.empty()) LogEvent(log, nullptr, false);
}

void TfrmPTessarel::RunTriggerCommands(int item, std::string_view previewLog) {
    if (settings::Int("hotkeyapplist") == item) links::OpenAppList();
    if (settings::Int("hotkeydeskprev") == item) TogglePreviewFor(previewLog);
    if (settings::Int("hotkeymainmenu") == item) PopupMainMenu();
}

void TfrmPTessarel::WMHookSysMenu(WPARAM wp, LPARAM lp) {
    if (!FitsNonNegative32(wp)) return;
    HWND w = WindowFromParam(wp);
    const auto item = static_cast<UINT>(lp);
    FSelectedWindow = w;
    const UINT count = static_cast<UINT>(IntMin(DesktopCount(), 9));
    if (item >= IDM_SEND_APP && item < IDM_SEND_APP + 9) {
        if (IsSticky(w) || item - IDM_SEND_APP + 1 > count) return;
        FPressedDesktop = FCurrentDesktop;
        FTargetDesktop = static_cast<int>(item - IDM_SEND_APP + 1);
        miA1Click();
    } else if (item >= IDM_SEND_WINDOW && item < IDM_SEND_WINDOW + 9) {
        if (IsSticky(w)) {
            framework::MessageBox(texts::kStickyWarning, texts::kStickyCaption, MB_ICONWARNING);
            return;
        }
        if (item - IDM_SEND_WINDOW + 1 > count) return;
        FPressedDesktop = FCurrentDesktop;
        FTargetDesktop = static_cast<int>(item - IDM_SEND_WINDOW + 1);
        miS1Click();
    }
}

void TfrmPTessarel::WMHookWindowShown(WPARAM wp, LPARAM lp) {
    if (!FitsNonNegative32(wp) || lp != 1) return;
    HWND w = WindowFromParam(wp);
    int idx = FindWindowRecord(w);
    if (idx < 0 || IsUnmanagedWindow(w, idx) || IsSticky(w)) return;
    if (ClassNameBuffer() == "SysFader") return;
    auto rec = [&]() -> TWindowRecord& { return FWindowTable[static_cast<size_t>(idx)]; };
    const int d = rec().Desktop;
    if (d <= 0) return;
    const bool strict = settings::Flag("strictdesk");
    if (d != FCurrentDesktop) {
        rec().Visible = 1;
        if (links::NotifyInactiveActivity() && strict)
            LogEvent(std::string(texts::kActivityOnDesktop) + std::to_string(d) + std::string(texts::kActivityWindow), w, true);
    }
    if (!strict && !settings::IsPrivate(d)) return;
    if (d != FCurrentDesktop) {
        const bool separateBrowser = settings::Flag("iesepar") && ExeIs(rec().ExeName, kInternetExplorerExe);
        if (!separateBrowser) {
            rec().Shown = 0;
            rec().Visible = 1;
            LogEvent(std::string(texts::kCreatedOnInactive) + std::to_string(d) + "!", w, true);
        }
        if (!FDesktopUnlocked) rec().Shown = 0;
    }
}

void TfrmPTessarel::WMSwitchDesktop(WPARAM wp, LPARAM) {
    RequestDesktop(IntMax(IntMin(static_cast<int>(wp & 0x0F), 9), 1));
}

void TfrmPTessarel::WMKillInstance(WPARAM, LPARAM) {
    miUnifyClick();
    Exit1Click();
}

void TfrmPTessarel::WMShowPoll(WPARAM, LPARAM) { links::ShowUninstallPoll(); }

}  // namespace engine
