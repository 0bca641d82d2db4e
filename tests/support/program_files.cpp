#include "support/program_files.h"
#include "engine/event_log.h"
#include "engine/messages.h"
#include "engine/snapshot.h"
#include "engine/sticky_list.h"
#include "engine/tray_menus.h"
#include "settings/about.h"
#include "settings/desktop_display.h"
#include "settings/rule_files.h"
#include "settings/store_values.h"
#include "shell/help.h"
#include "shell/icon_swapper.h"
#include "shell/ql_swapper.h"

namespace e2e {

std::set<std::string> FilesBesideTheProgram() {
    std::set<std::string> files{std::string(settings::kExeName), engine::kHookLibraryName,
                                std::string(shell::help_texts::kHelpFile)};
    for (const auto& text : {settings::kLicenseFile, settings::kHistoryFile, settings::kPrivacyFile})
        files.insert(std::string(text.file));
    for (int n = 1; n <= 9; ++n) {
        files.insert(engine::TrayIconFile("", n));
        files.insert(engine::ClickPictureFile("", n));
    }
    return files;
}

std::set<std::string> DataFolderEntries() {
    std::set<std::string> entries{std::string(engine::kStickyFileName), std::string(engine::kSnapshotFileName),
                                  std::string(engine::kErrorLogName),   std::string(settings::kIgnoreFile),
                                  std::string(settings::kWatchFile),    std::string(settings::kAutoSendFile)};
    // Named for desktop 1; "#" stands for any desktop.
    auto perDesktop = [](std::string name) {
        const size_t at = name.find('1');
        if (at != std::string::npos) name.replace(at, 1, "#");
        return name;
    };
    entries.insert(perDesktop(settings::ConvertedWallpaperPath("", 1)));
    entries.insert(perDesktop(shell::IconPosFileName(1)));
    for (const shell::TSetKind* kind : {&shell::kIconSetKind, &shell::kQuickLaunchSetKind}) {
        entries.insert(kind->DeskFile);
        entries.insert(kind->ChangeFile);
        entries.insert(kind->SetsFolder);
    }
    return entries;
}

}  // namespace e2e
