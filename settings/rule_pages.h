#pragma once
// The rule pages of the settings dialog (sticky, ignore, watch and
// automatic-send): their fixed texts, the rules for what an Add button
// appends, and where the names come from (the class picker, the lost-window
// list, the open dialog). Tests answer the picker and the list through
// SetRulePickers instead of opening those windows.
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace settings {

namespace rule_texts {
inline constexpr std::string_view kWarning = "Warning";
inline constexpr std::string_view kStickyEmpty = "Sticky list is already empty!";
inline constexpr std::string_view kIgnoreEmpty = "Ignore list is already empty!";
inline constexpr std::string_view kWatchEmpty = "Watch list is already empty!";
inline constexpr std::string_view kNoneSelected = "No object selected in the listbox!";
inline constexpr std::string_view kAutoSendEmpty = "Autosend list is already empty!";
inline constexpr std::string_view kNoRowSelected = "No object selected in the auto-send list!";
inline constexpr std::string_view kOpenTitle = "Select an application to make sticky";
inline constexpr std::string_view kOpenFilter = "Applications|*.exe";
inline constexpr std::string_view kOpenDefaultExt = "exe";
}  // namespace rule_texts

// The list holds the name, compared without regard to case.
bool HoldsNameIgnoringCase(std::span<const std::string> entries, std::string_view name);
// What "Add class" appends for a picked name: the name upper-cased, or
// nothing for an empty name or one the list holds already.
std::optional<std::string> ClassToAppend(std::span<const std::string> entries, std::string_view picked);
// The warning "Remove" shows for a list of count entries with the entry
// selected (-1: none), or nothing when the entry may go.
std::optional<std::string_view> RemoveWarning(int count, int selected, std::string_view emptyText);
// The name as a row of the automatic-send page shows it: a blank after every
// backslash, so that a long path wraps between its folders.
std::string WrapRuleName(std::string_view name);
// A name from the picker or the list in the program's ANSI code page.
std::string AnsiFromWide(std::wstring_view text);

// Where the rule pages get their names from. An empty member means the real
// window (through the settings links).
struct RulePickers {
    std::function<std::optional<std::wstring>()> pickClass;
    std::function<std::optional<std::wstring>()> selectApplication;
};
void SetRulePickers(RulePickers pickers);

// The picked class name, trimmed; none when cancelled or empty.
std::optional<std::string> PickClassName();
// The executable path of the application chosen in the lost-window list.
std::optional<std::string> PickApplicationPath();
// The executable chosen in the open dialog.
std::optional<std::string> PickExecutableFile(void* owner);

}  // namespace settings
