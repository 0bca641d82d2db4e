#pragma once
// Captions of the per-desktop items added to other windows' system menus.
#include <string>
#include <string_view>

namespace engine {

// "desktop " + the name when the name is one character long (an unnamed
// desktop is named by its number), else "#" + number + ": " + the name.
inline std::string DesktopItemCaption(int desktop, std::string_view name) {
    if (name.size() == 1) return "desktop " + std::string(name);
    return "#" + std::to_string(desktop) + ": " + std::string(name);
}

}  // namespace engine
