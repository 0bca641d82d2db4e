// Where the settings subsystem reaches the other subsystems. Each operation
// is the one place its subsystem is called from the settings.
#include "settings/subsystem_links.h"
#include "engine/main_form.h"
#include "framework/guard.h"
#include "shell/help.h"
#include "shell/icon_swapper.h"
#include "shell/ql_swapper.h"

namespace settings {

void ShowHelpTopic(std::string_view topic) { shell::ShowHelpTopic(topic); }

void CopyIconSetSwitches(bool distIcons, bool distQL) {
    shell::SetIconSetsEnabled(distIcons);
    shell::SetQuickLaunchSetsEnabled(distQL);
}

void StartIconSets() {
    // Refusals, damage and files that would not move are the user's to know.
    auto log = [](const std::string& text, bool flagged) {
        if (auto* main = engine::frmPTessarel) main->LogEvent(text, nullptr, flagged);
    };
    auto restoreTimer = [] {
        if (auto* main = engine::frmPTessarel) main->SyncIconSwapper();
    };
    auto mainWindow = []() -> HWND { return engine::frmPTessarel ? engine::frmPTessarel->Handle() : nullptr; };
    // Each set starts on its own: a file error in one leaves the other working.
    framework::Guard([&] { shell::IconSwapperStart(log, restoreTimer, mainWindow); });
    framework::Guard([&] { shell::QuickLaunchSwapperStart(log); });
}

void SwitchInDesktopOneSets() {
    framework::Guard([] { shell::SwitchIconSet(1); });
    framework::Guard([] { shell::SwitchQuickLaunchSet(1); });
    shell::IconSwapperUnload();
    shell::QuickLaunchSwapperUnload();
}

}  // namespace settings
