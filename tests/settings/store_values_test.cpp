// The settings' pure rules: stored values to control values, the click
// window's place, the preview's opacity and cell, captions and the tables.
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>
#include "framework/application.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"
#include "settings/tables.h"

using namespace settings;

TEST(StoreValues, StoredValuesOutsideTheControlsRangeReadAsTheDefault) {
    const ValueSpec& layout = *FindValue("layoutid");
    const ValueSpec& trans = *FindValue("transparency");
    const ValueSpec& follow = *FindValue("autofollow");
    struct { const ValueSpec& spec; std::optional<int> stored; int expected; } cases[] = {
        {layout, std::nullopt, 4}, {layout, 13, 13}, {layout, 0, 0}, {layout, 14, 4}, {layout, 99, 4}, {layout, -1, 4},
        {trans, 75, 75}, {trans, 76, 25}, {trans, 0, 0},
        {follow, std::nullopt, 0}, {follow, 0, 0}, {follow, 1, 1}, {follow, 7, 1}, {follow, -1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueOrDefault(c.spec, c.stored), c.expected) << c.spec.name << " " << c.stored.value_or(-999);
    EXPECT_EQ(GroupValueOrDefault(kDeskColorGroup, 8), 8);
    EXPECT_EQ(GroupValueOrDefault(kDeskColorGroup, 9), 0);
    EXPECT_EQ(GroupValueOrDefault(kWallpaperStyleGroup, 3), 0);
    EXPECT_EQ(GroupValueOrDefault(kWallpaperStyleGroup, std::nullopt), 0);
}

TEST(StoreValues, EveryDialogValueIsLoadedAndSavedOnce) {
    // The save order names each plain value exactly once, and nothing else
    // but the groups and the click window's place.
    for (const auto& spec : kPlainValues) {
        int seen = 0;
        for (auto token : kSaveOrder) seen += token == spec.name;
        EXPECT_EQ(seen, 1) << spec.name;
        EXPECT_EQ(DefaultOf(SettingName::Of(spec)), spec.def) << spec.name;
    }
    for (auto token : kSaveOrder)
        EXPECT_TRUE(FindValue(token) || token.ends_with('#') || token.ends_with('*') || token.starts_with("cf")) << token;
}

// What settings::Int and its kin accept: a name outside this set does not
// compile.
static_assert(IsSettingName("autofollow") && IsSettingName("edgenav"));
static_assert(IsSettingName("deskcolor1") && IsSettingName("deskcolor9") && IsSettingName("wallpaperstyle3"));
static_assert(IsSettingName("res4") && IsSettingName("locked2") && IsSettingName("deskname7"));
static_assert(IsSettingName("gesturecode1") && IsSettingName("gesturecode22"));
static_assert(!IsSettingName("autofolow") && !IsSettingName("AUTOFOLLOW") && !IsSettingName(""));
static_assert(!IsSettingName("deskcolor") && !IsSettingName("deskcolor0") && !IsSettingName("deskcolor10"));
static_assert(!IsSettingName("deskcolor01") && !IsSettingName("gesturecode23") && !IsSettingName("wallpaperstyle"));
// The event log keeps its own values; the dialog answers none of them.
static_assert(!IsSettingName("inactivenotifybubble") && !IsSettingName("bubblelevel"));

TEST(StoreValues, ClickWindowPlaceIsKeptAsFractionsOfTheScreen) {
    EXPECT_EQ(ClickPosFromStored(std::nullopt, 1280, 1180), 1180);
    EXPECT_EQ(ClickPosFromStored(5000, 1280, 0), 640);
    EXPECT_EQ(ClickPosFromStored(10000, 1280, 0), 1264);   // pulled back to the screen size - 16
    EXPECT_EQ(ClickPosFromStored(-20, 1280, 0), 0);
    EXPECT_EQ(ClickPosFromStored(0x7FFFFFFF, 1024, 0), 1008);
    EXPECT_EQ(ClickPosFromStored(39, 1280, 0), 5);          // 4.992
    EXPECT_EQ(ClickPosToStored(1180, 1280), 9219);          // 9218.75
    EXPECT_EQ(ClickPosToStored(30, 1024), 293);             // 292.97
    // Halves go to the even neighbour.
    EXPECT_EQ(ClickPosToStored(1, 32), 312);                // 312.5
    EXPECT_EQ(ClickPosToStored(3, 32), 938);                // 937.5
    EXPECT_EQ(ClickPosFromStored(1, 5000, 0), 0);           // 0.5 -> 0
    EXPECT_EQ(ClickPosFromStored(3, 5000, 0), 2);           // 1.5 -> 2
}

TEST(StoreValues, CaptionsAndDeskBarEdges) {
    EXPECT_EQ(DesktopCaption(1, "A"), "desktop A");
    EXPECT_EQ(DesktopCaption(3, "3"), "desktop 3");
    EXPECT_EQ(DesktopCaption(3, "Mail"), "#3: Mail");
    EXPECT_EQ(DesktopCaption(9, "ab"), "#9: ab");
    EXPECT_EQ(DesktopCaption(12, "12"), "#12: 12");
    int edges[] = {0, 0, 2, 1, 3, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(DeskBarEdge(i), edges[i]) << i;
    EXPECT_EQ(RunValueData("C:\\Program Files\\Tessarel\\"), "\"C:\\Program Files\\Tessarel\\Tessareltop.exe\"");
}

TEST(StoreValues, LayoutTableAndGrids) {
    int desktops[] = {5, 4, 6, 8, 9, 6, 8, 4, 5, 4, 3, 3, 2, 2};
    for (int i = 0; i < kLayoutCount; ++i) {
        GridSize g = GridForLayout(i);
        EXPECT_EQ(g.Count(), desktops[i]) << i;
        EXPECT_EQ(std::string(Layouts[static_cast<size_t>(i)].Text),
                  std::to_string(LayoutColumns[static_cast<size_t>(i)]) + " x " + std::to_string(LayoutRows[static_cast<size_t>(i)]));
        EXPECT_EQ(LayoutIndexOf(g), i);
    }
    EXPECT_EQ(GridForLayout(-1).Count(), 9);
    EXPECT_EQ(GridForLayout(99).cols, 3);
    EXPECT_EQ(LayoutIndexOf({7, 7}), -1);
    EXPECT_EQ(DesktopAt(1, 2, 2), 6);   // "2 x 3": the last desktop sits in column 1, row 2
    EXPECT_EQ(ActionNames[6], "Open \"Send current app. to\" dialog");
    EXPECT_EQ(GestureActions[4].DefaultCode, "RDLU");
    EXPECT_EQ(DesktopColorNames[6], "orange");
    EXPECT_EQ(DesktopColorItems[6], "orange-brown");
    EXPECT_EQ(DesktopColors[4], 0xD8922Eu);
    EXPECT_EQ(DesktopFocusColors[8], 0xED65EDu);
}

TEST(StoreValues, GestureCodesHoldOnlyUpperCaseDirections) {
    EXPECT_TRUE(IsGestureCode(""));
    EXPECT_TRUE(IsGestureCode("URDL"));
    EXPECT_FALSE(IsGestureCode("urd"));
    EXPECT_FALSE(IsGestureCode("U R"));
    EXPECT_FALSE(IsGestureCode("UX"));
}

TEST(StoreValues, DisplayModeCodes) {
    uint32_t code = static_cast<uint32_t>(DisplayModeCode(1024, 768, 32, 75));
    EXPECT_EQ(code >> 24, 128u);
    EXPECT_EQ((code >> 16) & 0xFF, 96u);
    EXPECT_EQ((code >> 8) & 0xFF, 32u);
    EXPECT_EQ(code & 0xFF, 75u);
    EXPECT_EQ(DisplayModeText(800, 600, 16, 60), "800*600, high-color, 60 Hz");
    EXPECT_EQ(DisplayModeText(1280, 1024, 24, 0), "1280*1024, true-color, 0 Hz");
    EXPECT_EQ(DisplayModeText(1280, 1024, 15, 0), "1280*1024, high-color, 0 Hz");
}

TEST(StoreValues, AFailingStepTakesItsFallbackAndTheNextStepsStillRun) {
    std::vector<std::string> errors;
    auto& app = framework::App();
    auto saved = app.OnException;
    app.OnException = [&](const std::string& m) { errors.push_back(m); };
    std::vector<int> done;
    for (int i = 0; i < 4; ++i)
        LoadGuarded([&] { if (i == 1) throw std::runtime_error("setter failed"); done.push_back(i); },
                    [&] { done.push_back(100 + i); });
    // A fallback that fails too is reported and the load still goes on.
    LoadGuarded([] { throw std::runtime_error("first"); }, [] { throw std::runtime_error("second"); });
    LoadGuarded([&] { done.push_back(9); }, nullptr);
    app.OnException = saved;
    EXPECT_EQ(done, (std::vector<int>{0, 101, 2, 3, 9}));
    EXPECT_EQ(errors, (std::vector<std::string>{"setter failed", "first", "second"}));
}

TEST(StoreValues, ShrinkFindsWindowsOfPrivateDesktopsBeyondTheNewCount) {
    auto private8 = [](int d) { return d == 8; };
    std::vector<int> desktops{1, 2, 8, 9};
    EXPECT_EQ(PrivateDesktopCutOff(desktops, 6, private8), 8);
    EXPECT_EQ(PrivateDesktopCutOff(desktops, 8, private8), 0);    // 8 stays
    EXPECT_EQ(PrivateDesktopCutOff(std::vector<int>{1, 9}, 4, private8), 0);   // 9 is public
    EXPECT_EQ(PrivateDesktopCutOff(std::vector<int>{}, 2, private8), 0);
}
