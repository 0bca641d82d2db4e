#pragma once
// The per-desktop vocabulary that several units share: the grid layouts, the
// gesture actions with their default codes, and the desktop colours.
#include <windows.h>
#include <array>
#include <string_view>

namespace settings {

// Grid layouts, by the item index of the layout list.
struct TLayout {
    std::string_view Text;   // columns x rows
    int Columns;
    int Rows;
};
inline constexpr int kLayoutCount = 14;
inline constexpr std::array<TLayout, kLayoutCount> Layouts{{
    {"1 x 5", 1, 5}, {"1 x 4", 1, 4}, {"2 x 3", 2, 3}, {"2 x 4", 2, 4}, {"3 x 3", 3, 3},
    {"3 x 2", 3, 2}, {"4 x 2", 4, 2}, {"4 x 1", 4, 1}, {"5 x 1", 5, 1}, {"2 x 2", 2, 2},
    {"1 x 3", 1, 3}, {"3 x 1", 3, 1}, {"2 x 1", 2, 1}, {"1 x 2", 1, 2},
}};
inline constexpr int kDefaultLayout = 4;   // "3 x 3"

constexpr std::array<int, kLayoutCount> MakeLayoutColumns() {
    std::array<int, kLayoutCount> a{};
    for (int i = 0; i < kLayoutCount; ++i) a[i] = Layouts[i].Columns;
    return a;
}
constexpr std::array<int, kLayoutCount> MakeLayoutRows() {
    std::array<int, kLayoutCount> a{};
    for (int i = 0; i < kLayoutCount; ++i) a[i] = Layouts[i].Rows;
    return a;
}
inline constexpr std::array<int, kLayoutCount> LayoutColumns = MakeLayoutColumns();
inline constexpr std::array<int, kLayoutCount> LayoutRows = MakeLayoutRows();

// Desktops are numbered row by row.
constexpr int DesktopAt(int column, int row, int columns) { return row * columns + column + 1; }

// Gesture actions: row N of the gesture grid is entry N - 1; the engine's
// gesture actions use the same order.
struct TGestureAction {
    std::string_view Name;
    std::string_view DefaultCode;
};
inline constexpr int kActionCount = 22;
inline constexpr std::array<TGestureAction, kActionCount> GestureActions{{
    {"Switch to previous desktop", "L"},
    {"Switch to next desktop", "R"},
    {"Open application list", "URD"},
    {"Open desktop preview", "U"},
    {"Unify desktops here", "RDLU"},
    {"Switch to previously used desktop", ""},
    {"Open \"Send current app. to\" dialog", "UR"},
    {"Close active window", "DR"},
    {"Close active application", "DRU"},
    {"Switch to desktop #1", ""},
    {"Switch to desktop #2", ""},
    {"Switch to desktop #3", ""},
    {"Switch to desktop #4", ""},
    {"Switch to desktop #5", ""},
    {"Switch to desktop #6", ""},
    {"Switch to desktop #7", ""},
    {"Switch to desktop #8", ""},
    {"Switch to desktop #9", ""},
    {"Switch to desktop located to right", ""},
    {"Switch to desktop located to left", ""},
    {"Switch to desktop located above", ""},
    {"Switch to desktop located below", ""},
}};

constexpr std::array<std::string_view, kActionCount> MakeActionNames() {
    std::array<std::string_view, kActionCount> a{};
    for (int i = 0; i < kActionCount; ++i) a[i] = GestureActions[i].Name;
    return a;
}
inline constexpr std::array<std::string_view, kActionCount> ActionNames = MakeActionNames();

// Desktop colours by colour index (COLORREF: blue in the high byte).
inline constexpr int kColorCount = 9;
inline constexpr std::array<COLORREF, kColorCount> DesktopColors{
    0xCCCCCC, 0xADAD5D, 0x6363EE, 0x80E0F0, 0xD8922E, 0x99EE99, 0x5C87F3, 0x406ABF, 0xDD55DD};
inline constexpr std::array<COLORREF, kColorCount> DesktopFocusColors{
    0xDDDDDD, 0xBDBD6D, 0x7373FE, 0x90F0FF, 0xC8A23E, 0xA9FEA9, 0x6C97FF, 0x507ACF, 0xED65ED};
// What the colour lists draw for each index.
inline constexpr std::array<std::string_view, kColorCount> DesktopColorNames{
    "grey", "cyan", "red", "yellow", "blue", "green", "orange", "brown", "purple"};
// The lists' own item texts, which the drawing does not show.
inline constexpr std::array<std::string_view, kColorCount> DesktopColorItems{
    "gray", "cyan", "red", "yellow", "blue", "green", "orange-brown", "orange", "purple"};

}  // namespace settings
