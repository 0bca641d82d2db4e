#pragma once
// Every call from the settings into the engine, the navigation windows, the
// shell integration and the parts of the dialog not built yet. The settings
// reach those only through these functions (subsystem_links.cpp), so a part
// that lands finds in one file each place where the settings need it.
//
// Each function answers sensibly while its window does not exist (not built
// yet, not created yet, or gone at exit): it does nothing, or answers what a
// program without that window would.
#include <windows.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "engine/preview_layout.h"

namespace settings::links {

using engine::preview::GridSize;

// The engine ------------------------------------------------------------------------
void ActivateTrayIcon(bool active);
std::optional<GridSize> EngineGrid();        // the grid in force; none without the engine
// The engine takes a new grid: windows of removed desktops go to the last one.
void FitWindowsIntoGrid(GridSize grid);
std::vector<int> DesktopsOfWindows();        // of every window the engine holds that still exists
std::optional<int> CurrentDesktop();
void SetDesktopUnlocked(bool unlocked);
void ApplyPreviewTransparency(int transparency);
void HidePreviewLabels();                    // the preview's desktop-name labels, as after a showing
void LayoutPreview(int prevSize);            // the preview for the grid in force and this cell size
void HidePreview();
void SetMenuCaptions(const std::vector<std::string>& captions);   // desktop 1 first
// The hotkey mode and the three triggers, passed to the hook library while
// it is loaded.
void PassHotkeyOptions(int mode, int appList, int deskPreview, int mainMenu);
void RemoveAllSysMenuItems();
// The sticky list: none while the engine has none.
std::optional<std::vector<std::string>> StickyEntries();
void ReplaceStickyEntries(const std::vector<std::string>& entries);
void SaveStickyList();
void LogEvent(std::string_view text, bool flagged = false);   // a line of the engine's event log

// Desktop lock ---------------------------------------------------------------------
// True only for the right password; false while no prompt exists.
bool AskLockPassword(std::string_view reason);
bool LockPasswordSet();                      // "pwdlocal" is not empty
// The dialog that sets or changes the lock password: true when a new
// password was stored; false on Cancel, or while the dialog does not exist.
bool RunSetPasswordDialog();

// Navigation windows --------------------------------------------------------------
void ApplyClickSettings(bool shown, bool large);
void RestoreClickPosition();                 // after a display-mode change
void PlaceClickWindow(int left, int top);    // the place the settings keep
std::optional<POINT> ClickWindowPlace();     // its top-left corner; none without the window
// The desk bar's captions (desktop 1 first), its edge (the shell's
// numbering) and whether it is shown and docked.
void UpdateDeskBar(const std::vector<std::string>& captions, int edge, bool visible);
void DockDeskBar();
void UpdateDeskName(int desktop);            // the desktop name panel
// The class picker, run modally: the class name the user chose, or none on
// Cancel (and while the picker does not exist).
std::optional<std::wstring> PickWindowClass();
// The lost-window list in its selection mode, run modally: the executable
// path of the chosen window's application, or none on Close (and while the
// list does not exist).
std::optional<std::wstring> SelectLostApplication();
// The event log's bubble level (0 none, 1 important events, 2 all), stored
// as the log window's OK stores it; the log window closes.
void StoreBubbleLevel(int level);

// The layout page's picture of the grid -------------------------------------------
void DrawLayoutPreview();

// Shell: per-desktop icon and Quick Launch sets, help ------------------------------
void CopyIconSetSwitches(bool icons, bool quickLaunch);   // once, at the dialog's creation
void StartIconSets();
// The desktop count in force: the sets of desktops beyond it join desktop 1's.
void LimitIconSets(int desktops);
void SwitchInDesktopOneSets();               // at exit
// A topic of the program's help file (the page help, the wizard's last step).
void ShowHelpTopic(std::string_view topic);
}  // namespace settings::links
