// Where the engine reaches the settings, navigation, shell and toolkit
// subsystems. Each function is the one place its call is made from the
// engine; those whose window is not built yet do nothing, or answer what a
// program without that window would, until it lands.
#include "engine/subsystem_links.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "navigation/auth_pwd.h"
#include "navigation/app_list.h"
#include "navigation/bubble.h"
#include "navigation/desk_bar.h"
#include "navigation/desk_name.h"
#include "navigation/chg_pwd.h"
#include "navigation/class_picker.h"
#include "navigation/click.h"
#include "navigation/edge_geometry.h"
#include "navigation/edge_nav.h"
#include "navigation/enter_pwd.h"
#include "navigation/event_log_window.h"
#include "navigation/gesture.h"
#include "navigation/lost.h"
#include "navigation/vd_info.h"
#include "settings/about.h"
#include "settings/error_report.h"
#include "settings/poll.h"
#include "navigation/send_current.h"
#include "settings/settings_access.h"
#include "settings/start_wiz.h"
#include "settings/vd_config.h"
#include "shell/help.h"
#include "shell/icon_swapper.h"
#include "shell/ql_swapper.h"

namespace engine::links {

// Start-up ---------------------------------------------------------------------------
void CreateEventLog() { framework::App().CreateForm(navigation::frmLog); }
void CreateDeskBar() { framework::App().CreateForm(navigation::frmDeskBar); }
void CreateLockCover() { framework::App().CreateForm(navigation::frmAuthPwd); }
void CreateEdgeWindow() { framework::App().CreateForm(navigation::frmEdgeNav); }
void CreateClickWindow() { framework::App().CreateForm(navigation::frmClick); }
void CreateNamePanel() { framework::App().CreateForm(navigation::frmDeskName); }
void CreateSettingsDialog() { framework::App().CreateForm(settings::frmVDConfig); }
void CreateAboutBox() { framework::App().CreateForm(settings::frmAbout); }
void CreateWindowInfo() { framework::App().CreateForm(navigation::frmVDInfo); }
void CreateClassPicker() { framework::App().CreateForm(navigation::frmClassPicker); }
void CreateAppList() { framework::App().CreateForm(navigation::frmAppList); }
void CreatePasswordPrompt() { framework::App().CreateForm(navigation::frmEnterPwd); }
void CreateSendCurrent() { framework::App().CreateForm(navigation::frmSendCurrent); }
void CreatePasswordChange() { framework::App().CreateForm(navigation::frmChgPwd); }
void CreateLostWindows() { framework::App().CreateForm(navigation::frmLost); }
void CreateErrorReport() { framework::App().CreateForm(settings::frmError); }
void OfferErrorReport() {
    if (settings::frmError) settings::frmError->ShowIfErrorLog();
}
void CreateStartupWizard() { framework::App().CreateForm(settings::frmStartWiz); }
void RunStartupWizard() {
    if (settings::frmStartWiz) settings::frmStartWiz->ShowModal();
}

void CreateGestureTrail() { navigation::CreateTrailWindow(); }
void ResetGesture() { navigation::ResetGesture(); }
void AddGesturePoint(POINT p) { navigation::AddGesturePoint(p); }
std::string TakeGesture() { return navigation::TakeGesture(); }
void UseFlatMenus() {}

// Settings -----------------------------------------------------------------------------
void ApplyDesktopDisplay(int desktop) {
    // A wallpaper that cannot be converted is logged and the switch goes on:
    // the windows of the new desktop must come up all the same.
    if (settings::frmVDConfig) framework::Guard([&] { settings::frmVDConfig->ApplyDesktopDisplay(desktop, false); });
}

void SaveAllSettings() {
    if (settings::frmVDConfig) settings::frmVDConfig->SaveSettings();
}

void ShowSettingsDialog() {
    if (!settings::frmVDConfig) return;
    settings::frmVDConfig->Show();
    settings::frmVDConfig->BringToFront();
}

bool IsSettingsOrInfoWindow(HWND w) {
    return (settings::frmVDConfig && w == settings::frmVDConfig->Handle()) ||
           (navigation::frmVDInfo && w == navigation::frmVDInfo->Handle());
}

void RunAboutBox() { settings::RunAboutBox(); }
void ShowUninstallPoll() { settings::ShowUninstallPoll(); }

// Event log and bubbles ---------------------------------------------------------------
bool EventLogReady() { return navigation::frmLog && navigation::frmLog->Handle(); }

std::vector<std::string> NewestLogLines(int count) {
    return EventLogReady() ? navigation::frmLog->FirstLines(count) : std::vector<std::string>{};
}

void InsertLogLine(std::string_view line) {
    if (EventLogReady()) navigation::frmLog->InsertLine(line);
}

int BubbleLevel() { return EventLogReady() ? navigation::frmLog->Level() : navigation::kDefaultBubbleLevel; }

bool NotifyInactiveActivity() {
    return EventLogReady() ? navigation::frmLog->InactiveNotify() : navigation::kDefaultInactNotify;
}

void ShowLogWindow() {
    if (navigation::frmLog) navigation::frmLog->Show();
}

void ShowNewestEventBubble() { navigation::ShowBubble({}); }

void BubbleDeleter::operator()(navigation::TfrmBubble* bubble) const noexcept {
    std::unique_ptr<navigation::TfrmBubble> owned(bubble);
}

OwnedBubble TakeBubble(navigation::TfrmBubble* bubble) { return OwnedBubble(navigation::TakeBubble(bubble).release()); }

bool BubbleFinished(const navigation::TfrmBubble& bubble) { return bubble.Finished(); }

// Desktop lock ---------------------------------------------------------------------------
bool AskLockPassword(std::string_view reason) {
    return navigation::frmEnterPwd && navigation::frmEnterPwd->AskLockPassword(reason);
}

void CheckLockCover(std::string_view prompt) {
    if (navigation::frmAuthPwd) navigation::frmAuthPwd->ShowAuthCover(prompt);
}
bool LockCoverShown() { return navigation::LockCoverVisible(); }
bool ChangeLockPassword() { return navigation::ChangeLockPassword(); }

// Navigation windows ------------------------------------------------------------------
void UpdateDeskName(int desktop) {
    if (navigation::frmDeskName) navigation::frmDeskName->UpdateDeskName(desktop);
}
void RestyleDeskBar() {
    if (navigation::frmDeskBar && navigation::frmDeskBar->Registered()) navigation::frmDeskBar->HighlightCurrentDesk();
}

// At exit the bar also leaves the shell at once: the work area must not keep
// its room for a bar that is gone.
void HideDeskBar() {
    if (!navigation::frmDeskBar) return;
    navigation::frmDeskBar->RemoveAppBar();
    navigation::frmDeskBar->Hide();
}
HWND DeskBarWindow() { return navigation::frmDeskBar ? navigation::frmDeskBar->Handle() : nullptr; }
void RetargetEdgeWindow() {
    if (navigation::frmEdgeNav) navigation::frmEdgeNav->UpdateEdgeTarget();
}

void LoadClickPicture(const std::string& bitmapFile) {
    if (navigation::frmClick) navigation::frmClick->LoadPicture(bitmapFile);
}

void RefreshAppList() {
    if (navigation::frmAppList) navigation::frmAppList->RefreshAppList();
}

void HideAppList() {
    if (navigation::frmAppList) navigation::frmAppList->HideAppList();
}

void OpenAppList() {
    if (navigation::frmAppList) navigation::frmAppList->ToggleAppList();
}

void ShowLostWindows() { navigation::ShowLostWindows(); }
void ShowWindowInfo() {
    if (navigation::frmVDInfo && frmPTessarel) navigation::frmVDInfo->ShowFor(frmPTessarel->FSelectedWindow);
}
void OpenSendCurrent(HWND w) {
    if (navigation::frmSendCurrent) navigation::frmSendCurrent->ShowSendCurrent(w);
}

void ShowEdgeNav(int edge) {
    if (navigation::frmEdgeNav) navigation::frmEdgeNav->ShowAtEdge(static_cast<navigation::TScreenEdge>(edge));
}

// Before the edge window exists its neighbour rule answers: wrapping as its
// check box says while the settings dialog exists.
int TakeEdgeTarget(int edge, int current, int cols, int rows) {
    const auto e = static_cast<navigation::TScreenEdge>(edge);
    if (navigation::frmEdgeNav) return navigation::frmEdgeNav->TakeEdge(e);
    const bool wrap = settings::CurrentSource() && settings::Flag("wrapedgenav");
    return navigation::EdgeTarget(e, current, cols, rows, wrap);
}

// Shell ---------------------------------------------------------------------------------
bool IconSetsOn() { return shell::IconSetsActive(); }
// Without the shell's list view, or with no icon in it, no icon ever gets a
// position: a request then has nothing to wait for.
bool IconPositionsStored() { return shell::HasPositionedIcons() || !shell::DesktopIconsReadable(); }
bool IconsRestored() { return shell::IconsRestored() || !shell::DesktopIconsReadable(); }
void RestoreDesktopIcons() { shell::RestoreCurrentIconSet(); }
// A set that fails to swap is logged; the other set still follows.
void SwapDesktopSets(int desktop) {
    framework::Guard([desktop] { shell::SwitchIconSet(desktop); });
    framework::Guard([desktop] { shell::SwitchQuickLaunchSet(desktop); });
}
void StartHelp() { shell::StartHelp(); }
void StopHelp() { shell::StopHelp(); }
void ShowPreviewHelp() { shell::ShowHelpTopic(shell::help_texts::kTopicPreview); }

}  // namespace engine::links
