// Where the settings subsystem reaches the other subsystems. Each operation
// is the one place its subsystem is called from the settings.
#include "settings/subsystem_links.h"
#include "shell/help.h"

namespace settings {

void ShowHelpTopic(std::string_view topic) { shell::ShowHelpTopic(topic); }

}  // namespace settings
