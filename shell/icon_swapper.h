#pragma once
// IconSwapper: per-desktop desktop-icon sets. Every desktop keeps its own
// contents of the user's desktop folder (never the folder shared by all
// users) and its own arrangement of the desktop icons. At a switch the
// outgoing arrangement is saved to "iconpos" + n + ".cfg", the files are
// swapped (shell/set_swapper.h), and about a second later, once the shell
// shows the incoming icons, the restore timer moves them to the positions
// saved for that desktop. The timer's handler belongs to the main form
// (SyncIconSwapper), which asks HasPositionedIcons and IconsRestored and then
// calls RestoreCurrentIconSet.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/timer.h"
#include "shell/set_swapper.h"

namespace shell {

extern const TSetKind kIconSetKind;
constexpr UINT kIconRestoreIntervalMs = 1000;

// "iconpos" + n + ".cfg": one line per positioned icon, its display name,
// a blank, x, "/", y and CR LF; x and y at least four characters, "0"-padded
// after any minus sign (12 -> 0012, -5 -> -005).
std::string IconPosFileName(int n);
std::string IconPosLine(std::string_view name, int32_t x, int32_t y);
struct TIconPos {
    std::string Name;
    int32_t X = 0;
    int32_t Y = 0;
};
// The complete lines of a file (text after the last CR LF is ignored). A
// line is cut at its last "/" and at the last blank before that, so names
// holding blanks or "/" come back whole; a line without both is skipped.
std::vector<TIconPos> ParseIconPositions(std::string_view text);

// True when the desktop shell object is valid and one of its children has a
// position (x other than -1) in the shell's list view.
bool HasPositionedIcons();
// The shell's desktop list view exists and shows items: without them no
// icon can ever get a position, and nobody should wait for one.
bool DesktopIconsReadable();

class TIconSwapper final : public TSetSwapper {
public:
    // The restore timer calls onRestoreTimer every second once the swapper
    // started; the main window loses the focus of the list view at a switch.
    TIconSwapper(std::wstring root, std::wstring dataFolder, SwapLog log, std::function<void()> onRestoreTimer,
                 std::function<HWND()> mainWindow);

    void Start();
    bool IconsRestored() const noexcept { return restored_; }
    // The restore step: the icons count as restored, and those of the set
    // in the desktop folder go to their saved positions.
    void RestoreCurrentSet();
    void SaveIconPositions(int n) const;
    void RestoreIconPositions(int n) const;
    bool RestoreTimerEnabled() const noexcept { return restoreTimer_.Enabled(); }

protected:
    void BeforeSetChange() override;
    void AfterSetChange() override;

private:
    std::function<HWND()> mainWindow_;
    bool restored_ = false;
    framework::Timer restoreTimer_;
};

// The module as the program uses it: one instance for the whole run, made
// by IconSwapperStart when the option is on.
void SetIconSetsEnabled(bool on);       // copied once from the settings dialog
bool IconSetsEnabled();
bool IconSetsActive();                  // on, started, and its folders accepted
// With the option off the start only brings back what an earlier run left
// parked (TSetSwapper::BringBackParkedSets).
void IconSwapperStart(SwapLog log, std::function<void()> onRestoreTimer, std::function<HWND()> mainWindow);
void SwitchIconSet(int n);
// The desktop count of the layout in force (TSetSwapper::LimitDesktops).
void LimitIconSetDesktops(int count);
bool IconsRestored();
void RestoreCurrentIconSet();
void IconSwapperUnload();               // at the end of the run, after the switch back

}  // namespace shell
