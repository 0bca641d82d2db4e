#include <gtest/gtest.h>
#include <windows.h>
#include "framework/shortcut.h"

using namespace framework;

TEST(ShortCut, TextNamesModifiersInTheirOrderAndTheKey) {
    struct { TShortCut shortCut; const char* text; } cases[] = {
        {static_cast<TShortCut>('K' | scCtrl | scAlt), "Ctrl+Alt+K"},
        {static_cast<TShortCut>(VK_F5 | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+F5"},
        {VK_DELETE, "Del"}, {VK_RETURN, "Enter"}, {static_cast<TShortCut>(VK_NEXT | scShift), "Shift+PgDn"},
        {'7', "7"}, {VK_NUMPAD3, "3"}, {VK_F24, "F24"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.shortCut), c.text) << c.shortCut;
}

TEST(ShortCut, TextReadsBackToTheSameShortCut) {
    for (TShortCut sc : {TShortCut('K' | scCtrl | scAlt), TShortCut(VK_F5 | scShift), TShortCut(VK_ESCAPE), TShortCut('Z')})
        EXPECT_EQ(TextToShortCut(ShortCutToText(sc)), sc) << sc;
    EXPECT_EQ(TextToShortCut("ctrl+alt+k"), TShortCut('K' | scCtrl | scAlt));
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Ctrl+NoSuchKey"), 0);
    EXPECT_EQ(TextToShortCut(""), 0);
}
