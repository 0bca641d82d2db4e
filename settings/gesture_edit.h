#pragma once
// The gesture page's editing rules, apart from the dialog: what the gesture
// edit keeps of a typed text, the code a row stores, and which other rows a
// saved code collides with.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

namespace gesture_texts {
inline constexpr char kDirectionsOnly[] =
    "Use direction codes only!\r\r"
    "U - up\r"
    "D - down\r"
    "L - left\r"
    "R - right";
inline constexpr char kAlreadyUsed[] =
    "This gesture code is already associated to an action. Only one action will be triggered.";
inline constexpr char kWarning[] = "Warning!";
}  // namespace gesture_texts

// The direction letters of the text, in order: "U", "D", "L" and "R" in
// upper case only.
std::string FilterGestureText(std::string_view text);

// The code a row stores for the edit's text: trimmed, and with a letter
// repeated in a row written once, since a second stroke in the same
// direction adds nothing to a drawn gesture ("UUR" is drawn as "UR").
std::string GestureCodeToStore(std::string_view text);

// The rows (1-based, as in the grid) other than `row` whose code equals
// `code`; none for an empty code. codes[0] is row 1.
std::vector<int> RowsWithSameCode(std::span<const std::string> codes, int row, std::string_view code);

}  // namespace settings
