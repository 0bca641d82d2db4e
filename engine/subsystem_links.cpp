// Where the engine reaches the settings, navigation and shell subsystems.
// Each operation is the one place its subsystem is called from the engine.
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "engine/tray_menus.h"
#include "engine/wait_window.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "navigation/edge_geometry.h"
#include "navigation/enter_pwd.h"
#include "settings/about.h"
#include "settings/error_report.h"
#include "settings/poll.h"
#include "settings/settings_access.h"
#include "settings/start_wiz.h"
#include "settings/vd_config.h"
#include "shell/help.h"

namespace engine {

void TfrmPTessarel::ApplyDesktopDisplay(int desktop) {
    // A wallpaper that cannot be converted is logged and the switch goes on:
    // the windows of the new desktop must come up all the same.
    if (settings::frmVDConfig) framework::Guard([&] { settings::frmVDConfig->ApplyDesktopDisplay(desktop, false); });
}
void TfrmPTessarel::RefreshDesktopIndicators() {
    // A preview opened from the tray follows the switch back to the taskbar.
    if (previewOrigin_ == preview::kOriginTaskbar) PlacePreviewAtTaskbar();
}
void TfrmPTessarel::SwapDesktopSets() { ShowDesktopPicture(FCurrentDesktop); }
void TfrmPTessarel::ShowLockCover(const std::string&) {}
// Without the password prompt nothing protected is given away.
bool TfrmPTessarel::AskLockPassword(std::string_view reason) {
    return navigation::frmEnterPwd && navigation::frmEnterPwd->AskLockPassword(reason);
}
void TfrmPTessarel::RefreshAppList() {}
void TfrmPTessarel::HideAppList() {}
bool TfrmPTessarel::IconSetsOn() const { return false; }
bool TfrmPTessarel::IconPositionsStored() const { return true; }
bool TfrmPTessarel::IconsRestored() const { return true; }
void TfrmPTessarel::MarkIconsRestored() {}

bool TfrmPTessarel::IsSettingsOrInfoWindow(HWND w) const {
    return settings::frmVDConfig && w == settings::frmVDConfig->Handle();
}
void TfrmPTessarel::OpenAppList() {}
void TfrmPTessarel::PopupMainMenu() {
    POINT p{};
    ::GetCursorPos(&p);
    // Opened over another program's window, the menu must be ours in the
    // foreground, or a click elsewhere would not close it.
    ::SetForegroundWindow(PopupMenu1.Window());
    PopupMenu1.Popup(p.x, p.y);
}
void TfrmPTessarel::PopupPreviewMenu() {
    POINT p{};
    ::GetCursorPos(&p);
    PopupMenu2.Popup(p.x, p.y);
}
void TfrmPTessarel::TogglePreviewFor(std::string_view log) {
    TogglePreview();
    if (!log.empty()) LogEvent(log, nullptr, false);
}
void TfrmPTessarel::RunTriggerCommands(int item, std::string_view previewLog) {
    if (settings::Int("hotkeyapplist") == item) OpenAppList();
    if (settings::Int("hotkeydeskprev") == item) TogglePreviewFor(previewLog);
    if (settings::Int("hotkeymainmenu") == item) PopupMainMenu();
}
void TfrmPTessarel::OpenSendCurrent(HWND) {}
void TfrmPTessarel::ShowEdgeNav(int) {}
// Until the edge window takes the edge itself, its neighbour rule answers:
// wrapping as its check box says while the settings dialog exists.
int TfrmPTessarel::TakeEdgeTarget(int edge) {
    const bool wrap = settings::CurrentSource() && settings::Flag("wrapedgenav");
    return navigation::EdgeTarget(static_cast<navigation::TScreenEdge>(edge), FCurrentDesktop, FGridCols, FGridRows,
                                  wrap);
}
void ShowUninstallPoll() { settings::ShowUninstallPoll(); }
void CreateAboutBox() {
    framework::App().CreateForm(settings::frmAbout);
    MenuTargets.RunAboutBox = [] { settings::RunAboutBox(); };
}
void CreateErrorReport() { framework::App().CreateForm(settings::frmError); }
void OfferErrorReport() {
    if (settings::frmError) settings::frmError->ShowIfErrorLog();
}
void CreateStartupWizard() { framework::App().CreateForm(settings::frmStartWiz); }
void RunStartupWizard() {
    if (settings::frmStartWiz) settings::frmStartWiz->ShowModal();
}
void TfrmPTessarel::HideDeskBar() {}
void TfrmPTessarel::SaveAllSettings() {
    if (settings::frmVDConfig) settings::frmVDConfig->SaveSettings();
}
void TfrmPTessarel::ShowDesktopPicture(int desktop) { SetTrayIconForDesktop(desktop); }
void TfrmPTessarel::ShowHelpTopic(std::string_view topic) { shell::ShowHelpTopic(topic); }
void StartHelp() { shell::StartHelp(); }
void StopHelp() { shell::StopHelp(); }

void TfrmPTessarel::ShowWait(std::string_view text) {
    if (frmWait) frmWait->ShowWait(text);
}

void TfrmPTessarel::HideWait() {
    if (frmWait) frmWait->HideWait();
}

}  // namespace engine
