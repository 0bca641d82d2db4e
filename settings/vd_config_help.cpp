// TfrmVDConfig: the help topic of each page, opened by the Help button and
// by F1 released anywhere in the dialog.
#include "settings/vd_config.h"
#include "settings/subsystem_links.h"
#include "shell/help.h"

namespace settings {

std::optional<std::string_view> PageHelpTopic(int page, bool firstTab) {
    using namespace shell::help_texts;
    switch (page) {
    case 1: return firstTab ? kTopicGeneral : kTopicGeneral2;
    case 2: return kTopicHotkeys;
    case 3: return kTopicSticky;
    case 4:
    case 5: return kTopicWatch;   // the ignore and the watch list share one topic
    case 6: return kTopicLayout;
    case 7: return kTopicAutoSend;
    case 8: return kTopicWallpapers;
    case 9: return kTopicResolutions;
    case 10: return kTopicGestures;
    case 11: return kTopicNames;
    case 12: return kTopicPrivate;
    default: return std::nullopt;
    }
}

void TfrmVDConfig::btnHelpClick() {
    const framework::Control* core = FindControl("tsCore");
    if (auto topic = PageHelpTopic(FCurrentPage, core && core->Visible())) links::ShowHelpTopic(*topic);
}

void TfrmVDConfig::FormKeyUp(WORD key) {
    if (key == VK_F1) btnHelpClick();
}

}  // namespace settings
