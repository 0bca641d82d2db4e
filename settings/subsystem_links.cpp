// Where the settings subsystem reaches the other subsystems. Each operation
// is the one place its subsystem is called from the settings.
#include "settings/subsystem_links.h"
#include "engine/main_form.h"
#include "navigation/event_log_window.h"
#include "shell/help.h"

namespace settings {

void ShowHelpTopic(std::string_view topic) { shell::ShowHelpTopic(topic); }

void HidePreview() {
    if (auto* main = engine::frmPTessarel) main->HidePreview();
}

void StoreBubbleLevel(int level) {
    if (!navigation::frmLog) return;
    navigation::frmLog->SetLevel(level);
    navigation::frmLog->btnOKClick();
}

}  // namespace settings
