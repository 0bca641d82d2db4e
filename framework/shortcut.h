#pragma once
// Keyboard shortcuts as the framework writes them: a virtual-key code in the
// low byte and the modifiers Shift, Ctrl and Alt as bits above it, shown as
// text such as "Ctrl+Alt+K".
#include <cstdint>
#include <string>
#include <string_view>

namespace framework {

using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// "Shift+", "Ctrl+", "Alt+" (in that order) and the key's name; empty when
// the key has no name.
std::string ShortCutToText(TShortCut shortCut);
// The shortcut a text names (modifier names in any case), or 0.
TShortCut TextToShortCut(std::string_view text);

}  // namespace framework
