#pragma once
// Where the settings subsystem reaches the other subsystems.
#include <string_view>

namespace settings {

// A topic of the program's help file (the page help, the wizard's last step).
void ShowHelpTopic(std::string_view topic);

// The per-desktop desktop-icon and Quick Launch sets: their two switches are
// copied once at the dialog's creation (a change takes effect at the next
// start), the sets start after the settings are applied, and desktop 1's
// sets are put back at the dialog's destruction.
void CopyIconSetSwitches(bool distIcons, bool distQL);
void StartIconSets();
void SwitchInDesktopOneSets();

}  // namespace settings
