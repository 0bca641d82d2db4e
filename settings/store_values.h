#pragma once
// The settings as data: every plain value with its type, default, range and
// the dialog control that holds it, plus the small rules that turn stored
// numbers into control values and back. No window handles here.
#include <windows.h>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include "engine/preview_layout.h"
#include "settings/tables.h"

namespace settings {

inline constexpr std::string_view kSettingsKey = "\\Software\\Pelmora\\Tessarel\\";
inline constexpr std::string_view kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
inline constexpr std::string_view kRunValue = "pelmoratessarel";
inline constexpr std::string_view kExeName = "Tessareltop.exe";
// Whether the start-up runs the wizard: set by the post-install start,
// cleared when the wizard is finished.
inline constexpr std::string_view kShowWizardValue = "showcfgwiz";

enum class ValueType { Integer, Boolean };

struct ValueSpec {
    std::string_view name;      // registry value
    ValueType type;
    int def;
    int min, max;               // the values the control can hold; others read as the default
    std::string_view control;   // the dialog control that holds it
};

constexpr ValueSpec Bool(std::string_view n, bool d, std::string_view c) { return {n, ValueType::Boolean, d ? 1 : 0, 0, 1, c}; }
constexpr ValueSpec Integer(std::string_view n, int d, int lo, int hi, std::string_view c) {
    return {n, ValueType::Integer, d, lo, hi, c};
}

// The plain values in the order the store reads them. The click window's two
// position values are read after the first kPlainBeforeClickPos of them, the
// per-desktop groups after the first kPlainBeforeGroups.
inline constexpr std::array<ValueSpec, 33> kPlainValues{{
    Integer("transparency", 25, 0, 75, "slTrans"),
    Integer("hotkeymode", 3, 0, 12, "cbHotKeys"),
    Bool("autofollow", false, "cbFollow"),
    Bool("sysmenui", true, "cbSysmenu"),
    Bool("strictdesk", false, "cbStrict"),
    Bool("selectclose", true, "cbClose"),
    Bool("unsafemodes", false, "cbUnsafe"),
    Bool("trayicon", true, "cbTrayIcon"),
    Integer("prevsize", 1, 0, 3, "rgPrevSize"),
    Integer("doubleint", 1, 0, 2, "cbDoubleInt"),
    Bool("iesepar", true, "cbIESepar"),
    Bool("async", false, "cbAsync"),
    Bool("wrap", false, "cbWrap"),
    Bool("wrapedgenav", true, "cbWrapEdgenav"),
    Bool("desknum", true, "cbShowNum"),
    Bool("deskinfo", false, "cbDeskInfo"),
    Bool("showsplash", true, "cbSplash"),
    Bool("disticons", false, "cbDistIcons"),
    Bool("distql", false, "cbDistQL"),
    Bool("deskinfolarge", true, "cbLargeInfo"),
    Integer("deskbar", 0, 0, 4, "cbDeskBar"),
    Integer("hotkeyapplist", 5, 0, 9, "rgApplist"),
    Integer("hotkeymainmenu", 0, 0, 9, "rgMainMenu"),
    Integer("hotkeydeskprev", 0, 0, 9, "rgDeskprev"),
    Integer("snapshots", 0, 0, 2, "cbSnapShot"),
    Bool("largeicons", false, "cbLarge"),
    Bool("showdeskname", false, "cbShowName"),
    Bool("retaininputfocus", true, "cbRetainFocus"),
    Integer("layoutid", 4, 0, 13, "cbLayout"),
    Integer("opendeskat", 0, 0, 1, "cbOpenDeskAt"),
    Bool("usegestures", true, "cbGestures"),
    Integer("holdwhilegesture", 0, 0, 4, "cbHold"),
    Integer("edgenav", 0, 0, 2, "cbEdge"),
}};
inline constexpr size_t kPlainBeforeClickPos = 20;
inline constexpr size_t kPlainBeforeGroups = 30;

const ValueSpec* FindValue(std::string_view name) noexcept;

// The per-desktop groups ("deskcolor1" to "deskcolor9") and the gesture rows
// ("gesturecode1" to "gesturecode22").
inline constexpr std::string_view kDesktopGroups[] = {"wallpaper", "wallpaperstyle", "deskcolor",
                                                      "locked", "res", "deskname"};
inline constexpr std::string_view kGestureCodeGroup = "gesturecode";

// The name is the prefix followed by a number from 1 to max, written without
// leading zeros.
constexpr bool IsNumberedName(std::string_view name, std::string_view prefix, int max) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || digits[0] == '0') return false;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= max;
}

// Whether the dialog holds a setting of this name.
constexpr bool IsSettingName(std::string_view name) {
    for (const auto& v : kPlainValues)
        if (v.name == name) return true;
    for (std::string_view group : kDesktopGroups)
        if (IsNumberedName(name, group, 9)) return true;
    return IsNumberedName(name, kGestureCodeGroup, kActionCount);
}

// What a control receives for a stored value: the default when the value is
// missing, of another type or outside the control's range; any non-zero
// number is a checked Boolean.
int ValueOrDefault(const ValueSpec& spec, std::optional<int> stored) noexcept;

// The order in which the store writes. "#" stands for the desktop numbers
// 1 to 9 and "*" for the gesture rows 1 to 22.
inline constexpr std::string_view kSaveOrder[] = {
    "transparency", "autofollow", "hotkeymode", "hotkeydeskprev", "hotkeyapplist", "hotkeymainmenu",
    "selectclose", "prevsize", "doubleint", "iesepar", "desknum", "deskinfo", "deskinfolarge",
    "cfxwinpos", "cfywinpos", "layoutid", "largeicons", "deskcolor#", "wallpaper#", "wallpaperstyle#",
    "res#", "gesturecode*", "opendeskat", "deskbar", "sysmenui", "unsafemodes", "usegestures",
    "strictdesk", "disticons", "retaininputfocus", "trayicon", "async", "distql", "showsplash",
    "showdeskname", "wrap", "wrapedgenav", "holdwhilegesture", "snapshots", "edgenav", "deskname#",
    "locked#",
};

// Per-desktop integer groups and their ranges.
struct GroupSpec {
    std::string_view prefix;
    int min, max;
};
inline constexpr GroupSpec kWallpaperStyleGroup{"wallpaperstyle", 0, 2};
inline constexpr GroupSpec kDeskColorGroup{"deskcolor", 0, 8};
int GroupValueOrDefault(const GroupSpec& g, std::optional<int> stored) noexcept;   // default 0

// The click window's place, kept across restarts as 1/10000 of the screen.
inline constexpr int kClickMissingFromRight = 100;
inline constexpr int kClickMissingTop = 30;
int ClickPosFromStored(std::optional<int> stored, int screenSize, int missing) noexcept;
int ClickPosToStored(int pos, int screenSize) noexcept;

// A gesture code holds only the direction letters U, D, L and R.
bool IsGestureCode(std::string_view code) noexcept;

// The grid of a layout index; no selection (or an index outside the table)
// counts as 3 x 3.
using engine::preview::GridSize;
GridSize GridForLayout(int layoutIndex) noexcept;
int LayoutIndexOf(GridSize g) noexcept;   // -1 when no layout has that grid

// The desktop bar's edge for the desk-bar list index (the shell's numbering).
int DeskBarEdge(int deskBarIndex) noexcept;

// A desktop's caption in menus and on the desktop bar.
std::string DesktopCaption(int desktop, std::string_view name);

// The Run value's data: the quoted path of the program.
std::string RunValueData(std::string_view appFolder);

// A display mode's code, modulo 2^32; -2 stands for "(windows default)".
inline constexpr int kWindowsDefaultMode = -2;
int DisplayModeCode(int width, int height, int bitsPerPixel, int refresh) noexcept;
std::string DisplayModeText(int width, int height, int bitsPerPixel, int refresh);

// Runs one step of a load. A step that fails is reported to the program's
// error handler and its fallback runs instead, so one bad value never stops
// the values after it from loading.
void LoadGuarded(const std::function<void()>& step, const std::function<void()>& fallback) noexcept;

// The desktop of the first window that a shrink of the grid to newCount
// desktops would move out of a desktop for which isPrivate answers true; 0
// when there is none.
int PrivateDesktopCutOff(std::span<const int> windowDesktops, int newCount,
                         const std::function<bool(int)>& isPrivate);

}  // namespace settings
