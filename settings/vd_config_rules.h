#pragma once
// The settings dialog's rules between options, as pure functions: the
// double-tap hotkey triggers that may not be shared, and whether the
// desktop preview fits the screen.
#include <string_view>

namespace settings {

namespace option_texts {
inline constexpr std::string_view kWarning = "Warning!";
inline constexpr std::string_view kShiftOnce = "You can use \"doublehit shift\" hotkey only for one function!";
inline constexpr std::string_view kTriggerUsed = "This hotkey option is already used!";
inline constexpr std::string_view kPreviewTooLarge =
    "Desktop preview window will NOT fit the screen in the current resolution!";
}  // namespace option_texts

// The triggers built on double hits of Shift: "Doublehit shift", "Doublehit
// shift + ctrl", "Doublehit left shift" and "Doublehit right shift". The hook
// cannot tell one function's double Shift from another's.
constexpr bool IsShiftTrigger(int index) { return index == 2 || index == 3 || index == 8 || index == 9; }

// The application list and the preview may not both use a Shift trigger.
constexpr bool ShiftTriggersClash(int chosen, int other) { return IsShiftTrigger(chosen) && IsShiftTrigger(other); }

// The main menu's trigger may not be any trigger the other two use.
constexpr bool MainMenuTriggerClash(int mainMenu, int appList, int deskPrev) {
    return mainMenu > 0 && (mainMenu == appList || mainMenu == deskPrev);
}

// The desktop preview of a 3 x 3 grid with the cell size of "prevsize" fits
// a screen of that size, with room for the preview's frame.
bool PreviewFitsScreen(int prevSize, int screenWidth, int screenHeight);

}  // namespace settings
