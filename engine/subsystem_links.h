#pragma once
// Every call from the engine into the settings, the navigation windows, the
// shell integration and the component toolkit. The engine reaches those
// subsystems only through these functions (subsystem_links.cpp), so a window
// that lands finds in one file each place where the engine needs it.
//
// Each function answers sensibly while its window does not exist (not built
// yet, not created yet, or gone at exit): it does nothing, or answers what a
// program without that window would.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace navigation { class TfrmBubble; }

namespace engine::links {

// Start-up, in the order of creation (each owned by the application object) --
void CreateEventLog();            // first of all, so that logging works from there on
void CreateDeskBar();
void CreateLockCover();
void CreateEdgeWindow();
void CreateClickWindow();
void CreateNamePanel();
void CreateSettingsDialog();      // loads and applies every setting
void CreateAboutBox();
void CreateWindowInfo();
void CreateClassPicker();
void CreateAppList();
void CreatePasswordPrompt();
void CreateSendCurrent();
void CreatePasswordChange();
void CreateLostWindows();
void CreateErrorReport();
// After the splash: the error report offers to send or delete an
// "errorlog.log" the start found; the wizard is created, and run modally
// when "showcfgwiz" asks for it.
void OfferErrorReport();
void CreateStartupWizard();
void RunStartupWizard();

// The main form's own creation ---------------------------------------------------
void CreateGestureTrail();
void UseFlatMenus();              // the flat menu painter on the main form's menus

// Mouse gestures (the input poll draws them) ---------------------------------------
void ResetGesture();              // the first tick of a gesture
void AddGesturePoint(POINT p);    // every tick while the gesture is held
std::string TakeGesture();        // the release: the letters U, D, L, R; the trail hidden

// Settings -------------------------------------------------------------------------
// Wallpaper and display mode of a desktop (0: those found at start). A
// picture that cannot be converted is logged; the caller goes on.
void ApplyDesktopDisplay(int desktop);
void SaveAllSettings();
void ShowSettingsDialog();        // shown and brought to the front
bool IsSettingsOrInfoWindow(HWND w);
void RunAboutBox();               // a new About box without owner, modal, then freed
void ShowUninstallPoll();         // modal; also when no instance runs

// Event log and bubbles ---------------------------------------------------------
bool EventLogReady();             // lines can be written
std::vector<std::string> NewestLogLines(int count);
void InsertLogLine(std::string_view line);
int BubbleLevel();                // 0 none, 1 flagged events, 2 all
bool NotifyInactiveActivity();    // "Notify about window activities on inactive desktops"
void ShowLogWindow();
void ShowNewestEventBubble();     // a bubble of the newest log line
// The main form's bubble list holds bubbles whose life has ended.
struct BubbleDeleter {
    void operator()(navigation::TfrmBubble* bubble) const noexcept;
};
using OwnedBubble = std::unique_ptr<navigation::TfrmBubble, BubbleDeleter>;
// Takes over a bubble that has ended its life (null when the bubbles do not
// own it any more), and whether a taken bubble may now be freed.
OwnedBubble TakeBubble(navigation::TfrmBubble* bubble);
bool BubbleFinished(const navigation::TfrmBubble& bubble);

// Desktop lock -----------------------------------------------------------------------
// True only for the right password; false while no prompt exists.
bool AskLockPassword(std::string_view reason);
// The cover of a locked private desktop: shown with the prompt for a locked
// private desktop, hidden otherwise.
void CheckLockCover(std::string_view prompt);
bool LockCoverShown();
// The password dialog, for a first password: true once one is set.
bool ChangeLockPassword();

// Navigation windows ---------------------------------------------------------------
void UpdateDeskName(int desktop);  // the desktop name panel
void RestyleDeskBar();             // the desk bar's buttons after a switch
void HideDeskBar();
HWND DeskBarWindow();               // the desk bar's application-bar window, 0 while there is none
void RetargetEdgeWindow();         // the edge window's target after a switch
void LoadClickPicture(const std::string& bitmapFile);
void RefreshAppList();             // an open application list builds its tiles anew
void HideAppList();
void OpenAppList();                // the application list: opened when hidden, else hidden
void ShowLostWindows();            // the lost-window list of all desktops, recovery mode
void ShowWindowInfo();             // for the main form's FSelectedWindow, brought to the front
void OpenSendCurrent(HWND w);      // the send-current window for w
void ShowEdgeNav(int edge);        // the edge window's bar at that edge (TScreenEdge numbering)
// The edge window takes the edge (a mouse knock): its target desktop in the grid.
int TakeEdgeTarget(int edge, int current, int cols, int rows);

// Shell: per-desktop icon and Quick Launch sets, help -------------------------------
bool IconSetsOn();
bool IconPositionsStored();        // at least one desktop icon has a stored position
bool IconsRestored();
void RestoreDesktopIcons();        // marks the icons restored and restores the current desktop's
void SwapDesktopSets(int desktop); // icon and Quick Launch sets of the new desktop
// The help front end: set up before the windows exist, closed after them.
void StartHelp();
void StopHelp();
void ShowPreviewHelp();            // the preview's topic of the help file

}  // namespace engine::links
