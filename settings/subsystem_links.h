#pragma once
// Where the settings subsystem reaches the other subsystems.
#include <string_view>

namespace settings {

// A topic of the program's help file (the page help, the wizard's last step).
void ShowHelpTopic(std::string_view topic);
// The desktop preview, hidden while a window of the settings comes up.
void HidePreview();
// The event log's bubble level (0 none, 1 important events, 2 all), stored
// as the log window's OK stores it; the log window closes.
void StoreBubbleLevel(int level);

}  // namespace settings
