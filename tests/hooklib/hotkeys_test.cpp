// Which key strokes the keyboard hook takes for hotkeys, and which it must
// leave to the program that has the focus.
#include <gtest/gtest.h>
#include <string>
#include "hooklib/hotkeys.h"

using namespace hooklib;

namespace {

constexpr unsigned kNone = 0;
constexpr unsigned LCtrl = kLeftCtrl, RCtrl = kRightCtrl, LAlt = kLeftAlt, RAlt = kRightAlt;
constexpr unsigned LShift = kLeftShift, LWin = kLeftWin, RWin = kRightWin;

// Keyboard layouts as VkKeyScan describes them: a US layout, where the grave
// accent has a key of its own and "^" is Shift + 6, and a German one, where
// "^" sits left of 1 and the grave accent needs Shift.
constexpr LayoutKeys kUs{{VK_OEM_3, false}};
constexpr LayoutKeys kGerman{{VK_OEM_6, true}};

struct DesktopCase {
    int mode;
    unsigned vk;
    unsigned mods;
    int command;
};

std::string Describe(int mode, unsigned vk, unsigned mods) {
    return "mode " + std::to_string(mode) + " vk " + std::to_string(vk) + " mods " + std::to_string(mods);
}

TEST(DesktopHotkeys, EveryModeTakesItsOwnKeysOnly) {
    const DesktopCase cases[] = {
        // 0 "no hotkeys!"
        {0, '1', LCtrl, 0}, {0, '1', LAlt, 0}, {0, VK_RIGHT, LAlt, 0}, {0, VK_NUMPAD1, kNone, 0},
        // 1 "Alt + numbers (1-9)": either Alt; AltGr (Ctrl + right Alt) types
        // characters, Shift and Win chords belong to others.
        {1, '1', LAlt, 1}, {1, '9', RAlt, 9}, {1, '0', LAlt, 0}, {1, '1', kNone, 0},
        {1, '7', LCtrl | RAlt, 0}, {1, '2', LAlt | LShift, 0}, {1, '2', LAlt | LWin, 0}, {1, VK_RIGHT, LAlt, 0},
        // 2 "Any control + numbers (1-9)"
        {2, '5', LCtrl, 5}, {2, '5', RCtrl, 5}, {2, '1', LCtrl | RCtrl, 1}, {2, '0', LCtrl, 0},
        {2, '5', LCtrl | RAlt, 0}, {2, '5', LCtrl | LShift, 0}, {2, VK_NUMPAD5, LCtrl, 0}, {2, VK_F5, LCtrl, 0},
        // 3 "Right control + numbers (1-9)": the left Control is the program's.
        {3, '2', RCtrl, 2}, {3, '2', LCtrl, 0}, {3, '2', LCtrl | RCtrl, 2}, {3, '2', RCtrl | LAlt, 0},
        {3, '2', kNone, 0},
        // 4 "Alt + cursor keys (Linux style)"
        {4, VK_RIGHT, LAlt, 11}, {4, VK_LEFT, RAlt, 12}, {4, VK_UP, LAlt, 13}, {4, VK_DOWN, LAlt, 14},
        {4, '1', LAlt, 0}, {4, VK_RIGHT, LCtrl, 0}, {4, VK_RIGHT, kNone, 0}, {4, VK_HOME, LAlt, 0},
        // 5 "Left windows + numbers (1-9)"
        {5, '7', LWin, 7}, {5, '7', RWin, 0}, {5, '7', LWin | LCtrl, 0}, {5, VK_DOWN, LWin, 0},
        // 6 "Any control + function keys (F1-F9)"
        {6, VK_F1, LCtrl, 1}, {6, VK_F9, RCtrl, 9}, {6, VK_F10, LCtrl, 0}, {6, VK_F1, kNone, 0}, {6, '1', LCtrl, 0},
        // 7 "Ctrl + cursor keys (Linux style)": Ctrl + Shift + arrow selects words.
        {7, VK_UP, LCtrl, 13}, {7, VK_DOWN, RCtrl, 14}, {7, VK_LEFT, LCtrl | LAlt, 0},
        {7, VK_RIGHT, LCtrl | LShift, 0}, {7, '1', LCtrl, 0},
        // 8 "Right alt + numbers (1-9)": AltGr layouts send the left Control
        // along with the right Alt.
        {8, '4', RAlt, 4}, {8, '4', RAlt | LCtrl, 4}, {8, '4', LAlt, 0}, {8, '4', RAlt | RCtrl, 0},
        {8, '4', RAlt | LShift, 0},
        // 9 "Left alt + numbers (1-9)"
        {9, '6', LAlt, 6}, {9, '6', RAlt, 0}, {9, '6', LAlt | LCtrl, 0},
        // 10 "Any windows + cursor keys (Linux style)"
        {10, VK_DOWN, LWin, 14}, {10, VK_LEFT, RWin, 12}, {10, '1', LWin, 0}, {10, VK_UP, LWin | LShift, 0},
        // 11 "Alt + cursor keys (Linux style) OR (1-9)"
        {11, VK_LEFT, LAlt, 12}, {11, '9', RAlt, 9}, {11, '0', LAlt, 0}, {11, VK_F1, LAlt, 0},
        // 12 "Numeric keypad's numbers (1-9)": alone; NumLock off gives other keys.
        {12, VK_NUMPAD1, kNone, 1}, {12, VK_NUMPAD9, kNone, 9}, {12, VK_NUMPAD0, kNone, 0}, {12, '1', kNone, 0},
        {12, VK_END, kNone, 0}, {12, VK_NUMPAD1, LCtrl, 0}, {12, VK_NUMPAD1, LAlt, 0},
        // Modes the setting cannot hold.
        {-1, '1', LCtrl, 0}, {13, '1', LCtrl, 0}, {100, VK_RIGHT, LAlt, 0},
    };
    for (const DesktopCase& c : cases) {
        EXPECT_EQ(DesktopCommand(c.mode, c.vk, c.mods), c.command) << Describe(c.mode, c.vk, c.mods);
        Options o{.mode = c.mode};
        EXPECT_EQ(HotkeyCommand(o, c.vk, c.mods, kUs), c.command) << Describe(c.mode, c.vk, c.mods);
    }
}

TEST(DesktopHotkeys, ModifierGoingDownIsNeverAHotkey) {
    // The key state may already count the modifier being pressed.
    const DesktopCase cases[] = {
        {3, VK_RCONTROL, RCtrl, 0}, {3, VK_CONTROL, RCtrl, 0}, {1, VK_MENU, LAlt, 0},
        {8, VK_RMENU, RAlt | LCtrl, 0}, {5, VK_LWIN, LWin, 0}, {12, VK_SHIFT, LShift, 0},
    };
    for (const DesktopCase& c : cases)
        EXPECT_EQ(DesktopCommand(c.mode, c.vk, c.mods), 0) << Describe(c.mode, c.vk, c.mods);
}

struct ChordCase {
    Options options;
    LayoutKeys layout;
    unsigned vk;
    unsigned mods;
    int command;
};

TEST(ChordHotkeys, EachChordIsTakenOnlyWhileATriggerUsesIt) {
    const ChordCase cases[] = {
        // "Ctrl + 0"
        {{.applist = 4}, kUs, '0', LCtrl, 23},
        {{.deskprev = 4}, kUs, '0', RCtrl, 23},
        {{.mainmenu = 4}, kUs, '0', LCtrl, 23},
        {{.applist = 4}, kUs, '0', kNone, 0},
        {{.applist = 4}, kUs, '0', LCtrl | RAlt, 0},
        {{.applist = 4}, kUs, '0', LCtrl | LShift, 0},
        {{.applist = 4}, kUs, VK_NUMPAD0, LCtrl, 0},
        {{.applist = 5}, kUs, '0', LCtrl, 0},
        // "Ctrl + Left Windows": the Windows key going down while Ctrl is held.
        {{.applist = 5}, kUs, VK_LWIN, LCtrl, 24},
        {{.mainmenu = 5}, kUs, VK_LWIN, RCtrl | LWin, 24},
        {{.applist = 5}, kUs, VK_RWIN, LCtrl, 0},
        {{.applist = 5}, kUs, VK_LWIN, kNone, 0},
        {{.applist = 5}, kUs, VK_LWIN, LCtrl | LAlt, 0},
        {{.applist = 5}, kUs, VK_LCONTROL, LWin, 0},
        // Ctrl with the grave-accent key, wherever the layout has it.
        {{.deskprev = 6}, kUs, VK_OEM_3, LCtrl, 25},
        {{.deskprev = 6}, kUs, VK_OEM_3, LCtrl | LShift, 0},
        {{.deskprev = 6}, kGerman, VK_OEM_6, LCtrl | LShift, 25},
        {{.deskprev = 6}, kGerman, VK_OEM_6, LCtrl, 0},
        {{.deskprev = 6}, kGerman, VK_OEM_3, LCtrl, 0},
        {{.deskprev = 6}, kUs, VK_OEM_3, kNone, 0},
        {{.deskprev = 6}, kUs, VK_OEM_3, RCtrl | RAlt, 0},
        {{.deskprev = 6}, LayoutKeys{}, VK_OEM_3, LCtrl, 0},
        // "Ctrl + ^": no command of the program answers it, so the keys that
        // type it pass on every layout, and it never passes for the grave accent.
        {{.applist = 7}, kUs, '6', LCtrl | LShift, 0},
        {{.mainmenu = 7}, kGerman, VK_OEM_5, RCtrl, 0},
        {{.applist = 6, .deskprev = 7}, kUs, VK_OEM_3, LCtrl, 25},
        {{.applist = 6, .deskprev = 7}, kUs, '6', LCtrl | LShift, 0},
        // No trigger in use, or values the settings cannot hold.
        {{}, kUs, '0', LCtrl, 0},
        {{.applist = 10, .deskprev = -1}, kUs, '0', LCtrl, 0},
    };
    for (const ChordCase& c : cases) {
        const Options& o = c.options;
        std::string what = "items " + std::to_string(o.applist) + "/" + std::to_string(o.deskprev) + "/" +
                           std::to_string(o.mainmenu) + " vk " + std::to_string(c.vk) + " mods " + std::to_string(c.mods);
        EXPECT_EQ(ChordCommand(o, c.vk, c.mods, c.layout), c.command) << what;
    }
}

TEST(ChordHotkeys, DoubleTapTriggersAreLeftToTheProgram) {
    const int doubleTaps[] = {1, 2, 3, 8, 9};
    const unsigned keys[] = {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, '0', VK_LWIN};
    const unsigned held[] = {kNone, LCtrl, LShift, LCtrl | LShift};
    for (int item : doubleTaps) {
        Options o{.mode = 0, .applist = item, .deskprev = item, .mainmenu = item};
        EXPECT_FALSE(CatchesKeys(o)) << item;
        for (unsigned vk : keys)
            for (unsigned mods : held)
                EXPECT_EQ(HotkeyCommand(o, vk, mods, kUs), 0) << "item " << item << " vk " << vk << " mods " << mods;
    }
}

TEST(Hotkeys, DesktopModeAndChordsWorkSideBySide) {
    Options o{.mode = 3, .applist = 4, .deskprev = 6, .mainmenu = 5};
    EXPECT_EQ(HotkeyCommand(o, '1', RCtrl, kUs), 1);
    EXPECT_EQ(HotkeyCommand(o, '0', RCtrl, kUs), 23);
    EXPECT_EQ(HotkeyCommand(o, VK_LWIN, RCtrl, kUs), 24);
    EXPECT_EQ(HotkeyCommand(o, VK_OEM_3, RCtrl, kUs), 25);
    // Right Ctrl + Shift + 6 types "^" on a US layout: neither a chord nor desktop 6.
    o.deskprev = 7;
    EXPECT_EQ(HotkeyCommand(o, '6', RCtrl | LShift, kUs), 0);
    EXPECT_EQ(HotkeyCommand(o, '6', RCtrl, kUs), 6);
    EXPECT_EQ(HotkeyCommand(o, '6', LCtrl, kUs), 0);
}

TEST(Hotkeys, KeysAreLookedAtOnlyWhenSomethingCanMatch) {
    EXPECT_FALSE(CatchesKeys({}));
    EXPECT_FALSE(CatchesKeys({.mode = 13}));
    EXPECT_TRUE(CatchesKeys({.mode = 12}));
    EXPECT_TRUE(CatchesKeys({.mainmenu = 4}));
    EXPECT_FALSE(CatchesKeys({.deskprev = 7})) << "no command answers Ctrl + ^";
    // The layout is asked only for the two character chords, with Ctrl held.
    EXPECT_FALSE(NeedsLayout({.applist = 4, .deskprev = 5}, LCtrl));
    EXPECT_FALSE(NeedsLayout({.applist = 6}, LShift));
    EXPECT_TRUE(NeedsLayout({.applist = 6}, RCtrl));
    EXPECT_FALSE(NeedsLayout({.mainmenu = 7}, LCtrl | LShift));
}

TEST(Hotkeys, LayoutAnswerBecomesTheChordKey) {
    struct Case {
        int16_t scan;
        unsigned vk;
        bool shift;
    };
    const Case cases[] = {
        {0x00C0, VK_OEM_3, false},
        {0x0136, '6', true},
        {0x00DC, VK_OEM_5, false},
        {-1, 0, false},            // the layout has no such character
        {0x0637, 0, false},        // AltGr (Ctrl + Alt) + 7
        {0x0236, 0, false},        // Ctrl + 6
        {0x0100, 0, false},        // no key
    };
    for (const Case& c : cases) {
        CharKey k = CharKeyFromScan(c.scan);
        EXPECT_EQ(k.vk, c.vk) << c.scan;
        EXPECT_EQ(k.shift, c.shift) << c.scan;
    }
}

TEST(HeldModifiers, StrokesTellTheSideOfEachModifier) {
    constexpr uint32_t kExt = kStrokeExtended, kUp = kStrokeKeyUp;
    struct Case {
        unsigned vk;
        uint32_t flags;
        unsigned modifier;
    };
    const Case cases[] = {
        {VK_CONTROL, 0x001D0001, LCtrl}, {VK_CONTROL, 0x001D0001 | kExt, RCtrl},
        {VK_MENU, 0x00380001, LAlt},     {VK_MENU, 0x00380001 | kExt, RAlt},
        {VK_SHIFT, 0x002A0001, LShift},  {VK_SHIFT, 0x00360001, kRightShift},
        {VK_LWIN, 0x015B0001, LWin},     {VK_RWIN, 0x015C0001, RWin},
        {VK_RCONTROL, 0, RCtrl},         {'2', 0x00030001, kNone}, {VK_NUMPAD2, 0x00500001, kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModifierOfStroke(c.vk, c.flags), c.modifier) << std::hex << c.vk << " " << c.flags;
        EXPECT_EQ(TrackModifiers(kNone, c.vk, c.flags), c.modifier);
        EXPECT_EQ(TrackModifiers(LCtrl | RCtrl | LAlt | RAlt | LShift | kRightShift | LWin | RWin, c.vk, c.flags | kUp),
                  (LCtrl | RCtrl | LAlt | RAlt | LShift | kRightShift | LWin | RWin) & ~c.modifier);
    }
}

TEST(HeldModifiers, AModifierSeenGoingDownCountsWhileTheKeyboardStillHoldsIt) {
    // xdotool "keydown Control_R" sends the left Control first, then the right.
    unsigned seen = TrackModifiers(kNone, VK_CONTROL, 0x001D0001);
    seen = TrackModifiers(seen, VK_CONTROL, 0x011D0001);
    EXPECT_EQ(seen, LCtrl | RCtrl);
    struct Case {
        unsigned threadState, seenDown, keyboard, held;
    };
    const Case cases[] = {
        {LCtrl | RCtrl, LCtrl | RCtrl, kNone, LCtrl | RCtrl},   // typed faster than read: the thread's order holds
        {kNone, LCtrl | RCtrl, LCtrl | RCtrl, LCtrl | RCtrl},   // the thread's state was cleared under a held key
        {kNone, RCtrl, kNone, kNone},                           // released before the key was read
        {kNone, kNone, LAlt, kNone},                            // pressed after the key: not this stroke's
        {LShift, RCtrl, RCtrl | LAlt, LShift | RCtrl},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HeldForStroke(c.threadState, c.seenDown, c.keyboard), c.held)
            << c.threadState << " " << c.seenDown << " " << c.keyboard;
    EXPECT_EQ(DesktopCommand(3, '2', HeldForStroke(kNone, seen, LCtrl | RCtrl)), 2);
}

TEST(SystemMenu, OnlyTheDesktopItemsAreReported) {
    struct Case {
        uintptr_t id;
        bool reported;
    };
    const Case cases[] = {
        {0xCD01, true}, {0xCD05, true}, {0xCD09, true}, {0xCE01, true}, {0xCE09, true},
        // The separator, the two submenus and the neighbours of the rows.
        {0xCD00, false}, {0xCD0A, false}, {0xCD10, false}, {0xCD11, false},
        {0xCE00, false}, {0xCE0A, false}, {0xCE11, false},
        // The system's own commands, and an id with bits above the 16 of a menu item.
        {SC_CLOSE, false}, {SC_MINIMIZE, false}, {0x1CD01, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsDesktopMenuCommand(c.id), c.reported) << std::hex << c.id;
}

}  // namespace
