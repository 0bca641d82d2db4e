// The help topic of each page of the settings dialog.
#include <gtest/gtest.h>
#include <optional>
#include <string_view>
#include "settings/vd_config.h"

TEST(PageHelpTopic, EveryPageHasItsTopicAndOtherPagesNone) {
    struct Case {
        int page;
        bool firstTab;
        std::optional<std::string_view> topic;
    };
    const Case cases[] = {
        {1, true, "settings_general.htm"},   {1, false, "settings_general_2.htm"},
        {2, true, "settings_hotkeys.htm"},   {3, true, "settings_sticky.htm"},
        {4, true, "settings_watch.htm"},     {5, false, "settings_watch.htm"},
        {6, true, "settings_layout.htm"},    {7, true, "settings_autosend.htm"},
        {8, true, "settings_wallpapers.htm"}, {9, true, "settings_res.htm"},
        {10, true, "settings_gestures.htm"}, {11, true, "settings_names.htm"},
        {12, true, "settings_private.htm"},  {0, true, std::nullopt},
        {13, true, std::nullopt},            {-1, false, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(settings::PageHelpTopic(c.page, c.firstTab), c.topic) << c.page;
}
