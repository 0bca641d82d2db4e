#pragma once
// Where the settings subsystem reaches the other subsystems.
#include <string_view>

namespace settings {

// A topic of the program's help file (the page help, the wizard's last step).
void ShowHelpTopic(std::string_view topic);

}  // namespace settings
