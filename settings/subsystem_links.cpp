// Where the settings reach the engine, the navigation windows, the shell
// integration and the parts of the dialog not built yet. Each function is the
// one place its call is made from the settings; those whose part is not built
// yet do nothing until it lands.
#include "settings/subsystem_links.h"
#include "engine/main_form.h"
#include "engine/subsystem_links.h"
#include "framework/guard.h"
#include "navigation/desk_bar.h"
#include "navigation/chg_pwd.h"
#include "navigation/class_picker.h"
#include "navigation/click.h"
#include "navigation/enter_pwd.h"
#include "navigation/event_log_window.h"
#include "settings/vd_config.h"
#include "navigation/lost.h"
#include "shell/help.h"
#include "shell/icon_swapper.h"
#include "shell/ql_swapper.h"

namespace settings::links {
namespace {

engine::TfrmPTessarel* Engine() noexcept { return engine::frmPTessarel; }

}  // namespace

// The engine -----------------------------------------------------------------------------
void ActivateTrayIcon(bool active) {
    if (auto* e = Engine()) e->rxti.SetActive(active);
}

std::optional<GridSize> EngineGrid() {
    if (auto* e = Engine()) return GridSize{e->FGridCols, e->FGridRows};
    return std::nullopt;
}

void FitWindowsIntoGrid(GridSize grid) {
    if (auto* e = Engine()) e->FitWindowsIntoGrid(grid.cols, grid.rows);
}

std::vector<int> DesktopsOfWindows() {
    std::vector<int> desktops;
    if (auto* e = Engine())
        for (const auto& rec : e->FWindowTable)
            if (::IsWindow(rec.Handle())) desktops.push_back(rec.Desktop);
    return desktops;
}

std::optional<int> CurrentDesktop() {
    if (auto* e = Engine()) return e->FCurrentDesktop;
    return std::nullopt;
}

void SetDesktopUnlocked(bool unlocked) {
    if (auto* e = Engine()) e->FDesktopUnlocked = unlocked;
}

void ApplyPreviewTransparency(int transparency) {
    if (auto* e = Engine()) e->ApplyPreviewTransparency(transparency);
}

void HidePreviewLabels() {
    if (auto* e = Engine()) e->HideOtherLabels(nullptr);
}

void LayoutPreview(int prevSize) {
    if (auto* e = Engine()) {
        const SIZE cell = engine::preview::CellSize(prevSize);
        e->LayoutPreview(cell.cx, cell.cy);
    }
}

void HidePreview() {
    if (auto* e = Engine()) e->HidePreview();
}

void SetMenuCaptions(const std::vector<std::string>& captions) {
    if (auto* e = Engine()) e->SetDesktopMenuCaptions(captions);
}

void PassHotkeyOptions(int mode, int appList, int deskPreview, int mainMenu) {
    auto* e = Engine();
    if (!e || !e->HookLibraryLoaded()) return;
    e->CallHookOption("SetMethod", mode);
    e->CallHookOption("SetMethodA", appList);
    e->CallHookOption("SetMethodD", deskPreview);
    e->CallHookOption("SetMethodM", mainMenu);
}

void RemoveAllSysMenuItems() {
    if (auto* e = Engine()) e->RemoveAllSysMenuItems();
}

std::optional<std::vector<std::string>> StickyEntries() {
    auto* e = Engine();
    if (!e || !e->FStickyList) return std::nullopt;
    return e->FStickyList->Items();
}

void ReplaceStickyEntries(const std::vector<std::string>& entries) {
    if (auto* e = Engine()) e->ReplaceStickyList(entries);
}

void SaveStickyList() {
    if (auto* e = Engine()) e->SaveStickyList();
}

void LogEvent(std::string_view text, bool flagged) {
    if (auto* e = Engine()) e->LogEvent(text, nullptr, flagged);
}

// Desktop lock ------------------------------------------------------------------------
bool AskLockPassword(std::string_view reason) {
    return navigation::frmEnterPwd && navigation::frmEnterPwd->AskLockPassword(reason);
}

bool LockPasswordSet() { return !navigation::ReadLockValue(navigation::kLocalDigestValue).empty(); }

bool RunSetPasswordDialog() { return navigation::ChangeLockPassword(); }

// Navigation windows --------------------------------------------------------------------
void ApplyClickSettings(bool shown, bool large) {
    if (navigation::frmClick) navigation::frmClick->ApplyClickSettings(shown, large);
}

void RestoreClickPosition() {
    if (navigation::frmClick) navigation::frmClick->RestoreClickPosition();
}

void PlaceClickWindow(int left, int top) {
    if (navigation::frmClick) navigation::frmClick->PlaceAt(left, top);
}

std::optional<POINT> ClickWindowPlace() {
    if (!navigation::frmClick || !navigation::frmClick->Handle()) return std::nullopt;
    return POINT{navigation::frmClick->Left(), navigation::frmClick->Top()};
}

void UpdateDeskBar(const std::vector<std::string>& captions, int edge, bool visible) {
    auto* bar = navigation::frmDeskBar;
    if (!bar) return;
    bar->FCaptions = captions;
    bar->FBarEdge = static_cast<UINT>(edge);
    bar->SetDeskBarVisible(visible);
}

void DockDeskBar() {
    if (navigation::frmDeskBar) navigation::frmDeskBar->DockDeskBar();
}
void UpdateDeskName(int desktop) { engine::links::UpdateDeskName(desktop); }

namespace {
// The program's texts are in the system's code page.
std::optional<std::wstring> WideOrNone(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}
}  // namespace

std::optional<std::wstring> PickWindowClass() { return WideOrNone(navigation::RunClassPicker()); }

std::optional<std::wstring> SelectLostApplication() { return WideOrNone(navigation::SelectLostApplication()); }

void StoreBubbleLevel(int level) {
    if (!navigation::frmLog) return;
    navigation::frmLog->SetLevel(level);
    navigation::frmLog->btnOKClick();
}

// The layout page -------------------------------------------------------------------------
void DrawLayoutPreview() {
    if (frmVDConfig) frmVDConfig->cbLayoutChange();
}

// Shell -------------------------------------------------------------------------------------
void CopyIconSetSwitches(bool icons, bool quickLaunch) {
    shell::SetIconSetsEnabled(icons);
    shell::SetQuickLaunchSetsEnabled(quickLaunch);
}
void StartIconSets() {
    // Refusals, damage and files that would not move are the user's to know.
    auto log = [](const std::string& text, bool flagged) {
        if (auto* e = Engine()) e->LogEvent(text, nullptr, flagged);
    };
    auto restoreTimer = [] {
        if (auto* e = Engine()) e->SyncIconSwapper();
    };
    auto mainWindow = []() -> HWND { return Engine() ? Engine()->Handle() : nullptr; };
    // Each set starts on its own: a file error in one leaves the other working.
    framework::Guard([&] { shell::IconSwapperStart(log, restoreTimer, mainWindow); });
    framework::Guard([&] { shell::QuickLaunchSwapperStart(log); });
}
void LimitIconSets(int desktops) {
    framework::Guard([desktops] { shell::LimitIconSetDesktops(desktops); });
    framework::Guard([desktops] { shell::LimitQuickLaunchSetDesktops(desktops); });
}
void SwitchInDesktopOneSets() {
    framework::Guard([] { shell::SwitchIconSet(1); });
    framework::Guard([] { shell::SwitchQuickLaunchSet(1); });
    shell::IconSwapperUnload();
    shell::QuickLaunchSwapperUnload();
}
void ShowHelpTopic(std::string_view topic) { shell::ShowHelpTopic(topic); }

}  // namespace settings::links
