// The settings dialog's controls: where each one sits, and the fixed items
// of its lists. The pages are panels at the same place; ShowPage shows one.
#include "settings/vd_config.h"
#include <span>
#include "settings/dialog_items.h"
#include "settings/tables.h"

namespace settings {
namespace {

using K = framework::Kind;

constexpr framework::ControlSpec kLayout[] = {
    {K::Custom, "Image1", nullptr, 30, 46, 47, 40, "General", 1},
    {K::Custom, "Image2", nullptr, 79, 46, 47, 40, "Layout", 6},
    {K::Custom, "Image3", nullptr, 128, 46, 47, 40, "Hotkeys", 2},
    {K::Custom, "Image4", nullptr, 177, 46, 47, 40, "Gestures", 10},
    {K::Custom, "Image5", nullptr, 226, 46, 47, 40, "Sticky", 3},
    {K::Custom, "Image6", nullptr, 275, 46, 47, 40, "Auto", 7},
    {K::Custom, "Image7", nullptr, 324, 46, 47, 40, "Lists", 4},
    {K::Custom, "Image8", nullptr, 373, 46, 47, 40, "Names", 11},
    {K::Custom, "Image9", nullptr, 422, 46, 47, 40, "Walls", 8},
    {K::Custom, "Image10", nullptr, 471, 46, 47, 40, "Modes", 9},
    {K::Custom, "Image11", nullptr, 520, 46, 47, 40, "Private", 12},
    // The hover pictures, lit over their buttons (the last one: the watch list).
    {K::Custom, "Image12", nullptr, 30, 46, 47, 40, "", 101},
    {K::Custom, "Image13", nullptr, 79, 46, 47, 40, "", 106},
    {K::Custom, "Image14", nullptr, 128, 46, 47, 40, "", 102},
    {K::Custom, "Image15", nullptr, 177, 46, 47, 40, "", 110},
    {K::Custom, "Image16", nullptr, 226, 46, 47, 40, "", 103},
    {K::Custom, "Image17", nullptr, 275, 46, 47, 40, "", 107},
    {K::Custom, "Image18", nullptr, 324, 46, 47, 40, "", 104},
    {K::Custom, "Image19", nullptr, 373, 46, 47, 40, "", 111},
    {K::Custom, "Image20", nullptr, 422, 46, 47, 40, "", 108},
    {K::Custom, "Image21", nullptr, 471, 46, 47, 40, "", 109},
    {K::Custom, "Image22", nullptr, 520, 46, 47, 40, "", 112},
    {K::Custom, "Image23", nullptr, 324, 46, 47, 40, "", 105},
    {K::Panel, "pnGeneral", nullptr, 120, 96, 466, 310, "", 1},
    {K::Panel, "pnHotkeys", nullptr, 120, 96, 466, 310, "", 2},
    {K::Panel, "pnSticky", nullptr, 120, 96, 466, 310, "", 3},
    {K::Panel, "pnIgnore", nullptr, 120, 96, 466, 310, "", 4},
    {K::Panel, "pnWatch", nullptr, 120, 96, 466, 310, "", 5},
    {K::Panel, "pnLayout", nullptr, 120, 96, 466, 310, "", 6},
    {K::Panel, "pnAutoSend", nullptr, 120, 96, 466, 310, "", 7},
    {K::Panel, "pnWall", nullptr, 120, 96, 466, 310, "", 8},
    {K::Panel, "pnRes", nullptr, 120, 96, 466, 310, "", 9},
    {K::Panel, "pnGesture", nullptr, 120, 96, 466, 310, "", 10},
    {K::Panel, "pnNames", nullptr, 120, 96, 466, 310, "", 11},
    {K::Panel, "pnPrivate", nullptr, 120, 96, 466, 310, "", 12},
    {K::Custom, "btnHelp", nullptr, 124, 414, 100, 26, "     Help     ", 0},
    {K::Custom, "btnOK", nullptr, 256, 414, 100, 26, "      OK      ", 0},
    {K::Custom, "btnApply", nullptr, 366, 414, 100, 26, "    Apply    ", 0},
    {K::Custom, "btnCancel", nullptr, 476, 414, 100, 26, "    Cancel    ", 0},
    {K::Custom, "pcGeneral", "pnGeneral", 0, 0, 466, 24, "", 0},
    {K::Panel, "tsCore", "pnGeneral", 0, 24, 466, 286, "", 0},
    {K::Panel, "tsVisual", "pnGeneral", 0, 24, 466, 286, "", 0},
    {K::CheckBox, "cbFollow", "tsCore", 8, 4, 440, 18, "Automatically follow window activities", 1},
    {K::CheckBox, "cbStrict", "tsCore", 8, 24, 440, 18, "Strict desktop separation", 2},
    {K::CheckBox, "cbDistIcons", "tsCore", 8, 44, 440, 18, "Separate icon sets per desktops *", 3},
    {K::Label, "lbSnapShot", "tsCore", 8, 68, 180, 16, "Snapshot recording and recovery:", 4},
    {K::ComboBox, "cbSnapShot", "tsCore", 190, 64, 260, 120, "", 0},
    {K::CheckBox, "cbDistQL", "tsCore", 8, 90, 440, 18, "Separate quicklaunch icon sets per desktops *", 5},
    {K::CheckBox, "cbLoad", "tsCore", 8, 110, 440, 18, "Load virtual desktop at windows startup", 6},
    {K::CheckBox, "cbIESepar", "tsCore", 8, 130, 440, 18, "Treat Internet Explorer windows as separate applications", 7},
    {K::CheckBox, "cbRetainFocus", "tsCore", 8, 150, 440, 18, "Restore input focus after returning to a desktop", 8},
    {K::CheckBox, "cbAsync", "tsCore", 8, 170, 440, 18, "Asynchronous window handling", 9},
    {K::CheckBox, "cbSysmenu", "tsCore", 8, 190, 440, 18, "Allow system menu integration", 0},
    {K::Label, "lbRestartNote", "tsCore", 8, 214, 440, 16, "* requires restart to apply!", 0},
    {K::Label, "lbHint", "tsCore", 8, 234, 450, 60, "", 0},
    {K::Custom, "rgPrevSize", "tsVisual", 8, 4, 194, 90, " Preview size ", 0},
    {K::Label, "lbTrans", "tsVisual", 212, 4, 250, 16, "Preview window transparency:", 0},
    {K::Custom, "slTrans", "tsVisual", 205, 20, 261, 36, "", 0},
    {K::Label, "lbTrans0", "tsVisual", 212, 58, 100, 14, "0%: opaque", 0},
    {K::Label, "lbTrans75", "tsVisual", 330, 58, 130, 14, "75%: nearly transparent", 0},
    {K::Label, "lbTransNote", "tsVisual", 212, 76, 230, 14, "(will work with win2000 or newer only!)", 0},
    {K::CheckBox, "cbLarge", "tsVisual", 8, 102, 210, 18, "Large icons in preview window", 0},
    {K::CheckBox, "cbClose", "tsVisual", 8, 122, 210, 18, "Close preview when desktop is selected", 0},
    {K::CheckBox, "cbShowNum", "tsVisual", 8, 142, 210, 18, "Show desktop numbers/names in preview", 0},
    {K::CheckBox, "cbDeskInfo", "tsVisual", 8, 162, 210, 18, "Desktop info window", 0},
    {K::CheckBox, "cbLargeInfo", "tsVisual", 24, 182, 210, 18, "Large info window", 0},
    {K::CheckBox, "cbShowName", "tsVisual", 8, 202, 210, 18, "Show desktop name panel", 0},
    {K::CheckBox, "cbSplash", "tsVisual", 8, 222, 210, 18, "Show splash screen at startup", 0},
    {K::CheckBox, "cbTrayIcon", "tsVisual", 8, 242, 210, 18, "Show icon in tray area", 0},
    {K::Label, "lbDeskBar", "tsVisual", 240, 102, 200, 16, "Desktop switcher bar:", 0},
    {K::ComboBox, "cbDeskBar", "tsVisual", 240, 120, 210, 120, "", 0},
    {K::ComboBox, "cbEdge", "tsVisual", 240, 152, 210, 100, "", 0},
    {K::CheckBox, "cbWrapEdgenav", "tsVisual", 240, 180, 210, 18, "Wrapping mode", 0},
    {K::Label, "lbHotKeys", "pnHotkeys", 8, 6, 200, 16, "Desktop switch hotkeys:", 0},
    {K::ComboBox, "cbHotKeys", "pnHotkeys", 8, 24, 270, 260, "", 0},
    {K::CheckBox, "cbWrap", "pnHotkeys", 290, 26, 160, 18, "Wrap desktops", 0},
    {K::Label, "lbDoubleInt", "pnHotkeys", 8, 56, 120, 16, "Double hit interval:", 0},
    {K::ComboBox, "cbDoubleInt", "pnHotkeys", 130, 52, 110, 100, "", 0},
    {K::Label, "lbOpenDeskAt", "pnHotkeys", 8, 84, 280, 16, "When triggered by hotkey, open desktop preview at:", 0},
    {K::ComboBox, "cbOpenDeskAt", "pnHotkeys", 290, 80, 168, 100, "", 0},
    {K::Custom, "rgApplist", "pnHotkeys", 4, 110, 150, 196, " Open appList ", 0},
    {K::Custom, "rgDeskprev", "pnHotkeys", 158, 110, 150, 196, " Open desktop preview ", 0},
    {K::Custom, "rgMainMenu", "pnHotkeys", 312, 110, 150, 196, " Open main menu ", 0},
    {K::Label, "lbHeadSticky", "pnSticky", 8, 4, 450, 18, "Sticky classes and applications", 0},
    {K::Label, "lbTextSticky", "pnSticky", 8, 24, 450, 44, "Applications and classes listed here are always visible on all of the desktops!\r\n\r\nRemove check to temporarily disable stickyness.", 0},
    {K::Custom, "clbPinned", "pnSticky", 8, 70, 330, 232, "", 0},
    {K::Custom, "btnAddExe", "pnSticky", 346, 70, 112, 24, "Add application", 0},
    {K::Custom, "btnAddStickyExe", "pnSticky", 346, 100, 112, 24, "Add .exe", 0},
    {K::Custom, "btnAdd", "pnSticky", 346, 130, 112, 24, "Add class", 0},
    {K::Custom, "btnRemove", "pnSticky", 346, 160, 112, 24, "Remove", 0},
    {K::Label, "lbHeadIgnore", "pnIgnore", 8, 4, 450, 18, "Applications to ignore", 0},
    {K::ListBox, "lbIgnore", "pnIgnore", 8, 26, 330, 276, "", 0},
    {K::Custom, "btnAddIgnore", "pnIgnore", 346, 26, 112, 24, "Add application", 0},
    {K::Custom, "btnAddExeIgnore", "pnIgnore", 346, 56, 112, 24, "Add .exe", 0},
    {K::Custom, "btnAddClass", "pnIgnore", 346, 86, 112, 24, "Add class", 0},
    {K::Custom, "btnRemoveIgnore", "pnIgnore", 346, 116, 112, 24, "Remove", 0},
    {K::Label, "lbHeadWatch", "pnWatch", 8, 4, 450, 18, "Applications to watch", 0},
    {K::ListBox, "lbWatch", "pnWatch", 8, 26, 330, 276, "", 0},
    {K::Custom, "btnAddWatchApp", "pnWatch", 346, 26, 112, 24, "Add application", 0},
    {K::Custom, "btnAddExeWatch", "pnWatch", 346, 56, 112, 24, "Add .exe", 0},
    {K::Custom, "btnAddWatchClass", "pnWatch", 346, 86, 112, 24, "Add class", 0},
    {K::Custom, "btnDelWatch", "pnWatch", 346, 116, 112, 24, "Remove", 0},
    {K::GroupBox, "gbLayout", "pnLayout", 8, 4, 450, 296, " Select layout! ", 0},
    {K::ComboBox, "cbLayout", "gbLayout", 10, 20, 80, 260, "", 0},
    {K::Custom, "pnLayoutPreview", "gbLayout", 96, 8, 350, 284, "", 0},
    {K::Panel, "imBase", "pnLayout", 0, 0, 65, 49, "", 0},
    {K::Label, "lbHeadAutoSend", "pnAutoSend", 8, 4, 450, 18, "Auto-send applications to desktops", 0},
    {K::Label, "lbTextAutoSend", "pnAutoSend", 8, 24, 450, 30, "These rules apply only when the application or the virtual desktop is launched; running applications are not affected.", 0},
    {K::Panel, "sbAutoSend", "pnAutoSend", 8, 58, 330, 244, "", 0},
    {K::Custom, "btnAddAuto", "pnAutoSend", 346, 58, 112, 24, "Add application", 0},
    {K::Custom, "btnAddAutoSendExe", "pnAutoSend", 346, 88, 112, 24, "Add .exe", 0},
    {K::Custom, "btnAddClassAuto", "pnAutoSend", 346, 118, 112, 24, "Add class", 0},
    {K::Custom, "btnDelAuto", "pnAutoSend", 346, 148, 112, 24, "Remove", 0},
    {K::Label, "lbHeadWall", "pnWall", 8, 4, 450, 18, "Wallpapers", 0},
    {K::Label, "lbWall1", "pnWall", 8, 31, 70, 16, "Desktop 1:", 0},
    {K::Custom, "feDesk1", "pnWall", 80, 28, 290, 21, "", 1},
    {K::ComboBox, "cbWPS1", "pnWall", 378, 28, 80, 100, "", 1},
    {K::Label, "lbWall2", "pnWall", 8, 61, 70, 16, "Desktop 2:", 0},
    {K::Custom, "feDesk2", "pnWall", 80, 58, 290, 21, "", 2},
    {K::ComboBox, "cbWPS2", "pnWall", 378, 58, 80, 100, "", 2},
    {K::Label, "lbWall3", "pnWall", 8, 91, 70, 16, "Desktop 3:", 0},
    {K::Custom, "feDesk3", "pnWall", 80, 88, 290, 21, "", 3},
    {K::ComboBox, "cbWPS3", "pnWall", 378, 88, 80, 100, "", 3},
    {K::Label, "lbWall4", "pnWall", 8, 121, 70, 16, "Desktop 4:", 0},
    {K::Custom, "feDesk4", "pnWall", 80, 118, 290, 21, "", 4},
    {K::ComboBox, "cbWPS4", "pnWall", 378, 118, 80, 100, "", 4},
    {K::Label, "lbWall5", "pnWall", 8, 151, 70, 16, "Desktop 5:", 0},
    {K::Custom, "feDesk5", "pnWall", 80, 148, 290, 21, "", 5},
    {K::ComboBox, "cbWPS5", "pnWall", 378, 148, 80, 100, "", 5},
    {K::Label, "lbWall6", "pnWall", 8, 181, 70, 16, "Desktop 6:", 0},
    {K::Custom, "feDesk6", "pnWall", 80, 178, 290, 21, "", 6},
    {K::ComboBox, "cbWPS6", "pnWall", 378, 178, 80, 100, "", 6},
    {K::Label, "lbWall7", "pnWall", 8, 211, 70, 16, "Desktop 7:", 0},
    {K::Custom, "feDesk7", "pnWall", 80, 208, 290, 21, "", 7},
    {K::ComboBox, "cbWPS7", "pnWall", 378, 208, 80, 100, "", 7},
    {K::Label, "lbWall8", "pnWall", 8, 241, 70, 16, "Desktop 8:", 0},
    {K::Custom, "feDesk8", "pnWall", 80, 238, 290, 21, "", 8},
    {K::ComboBox, "cbWPS8", "pnWall", 378, 238, 80, 100, "", 8},
    {K::Label, "lbWall9", "pnWall", 8, 271, 70, 16, "Desktop 9:", 0},
    {K::Custom, "feDesk9", "pnWall", 80, 268, 290, 21, "", 9},
    {K::ComboBox, "cbWPS9", "pnWall", 378, 268, 80, 100, "", 9},
    {K::Label, "lbHeadRes", "pnRes", 8, 4, 450, 18, "Resolutions", 0},
    {K::Label, "lbRes1", "pnRes", 8, 29, 70, 16, "Desktop 1:", 0},
    {K::ComboBox, "cbRes1", "pnRes", 80, 26, 300, 260, "", 1},
    {K::Label, "lbRes2", "pnRes", 8, 54, 70, 16, "Desktop 2:", 0},
    {K::ComboBox, "cbRes2", "pnRes", 80, 51, 300, 260, "", 2},
    {K::Label, "lbRes3", "pnRes", 8, 79, 70, 16, "Desktop 3:", 0},
    {K::ComboBox, "cbRes3", "pnRes", 80, 76, 300, 260, "", 3},
    {K::Label, "lbRes4", "pnRes", 8, 104, 70, 16, "Desktop 4:", 0},
    {K::ComboBox, "cbRes4", "pnRes", 80, 101, 300, 260, "", 4},
    {K::Label, "lbRes5", "pnRes", 8, 129, 70, 16, "Desktop 5:", 0},
    {K::ComboBox, "cbRes5", "pnRes", 80, 126, 300, 260, "", 5},
    {K::Label, "lbRes6", "pnRes", 8, 154, 70, 16, "Desktop 6:", 0},
    {K::ComboBox, "cbRes6", "pnRes", 80, 151, 300, 260, "", 6},
    {K::Label, "lbRes7", "pnRes", 8, 179, 70, 16, "Desktop 7:", 0},
    {K::ComboBox, "cbRes7", "pnRes", 80, 176, 300, 260, "", 7},
    {K::Label, "lbRes8", "pnRes", 8, 204, 70, 16, "Desktop 8:", 0},
    {K::ComboBox, "cbRes8", "pnRes", 80, 201, 300, 260, "", 8},
    {K::Label, "lbRes9", "pnRes", 8, 229, 70, 16, "Desktop 9:", 0},
    {K::ComboBox, "cbRes9", "pnRes", 80, 226, 300, 260, "", 9},
    {K::CheckBox, "cbUnsafe", "pnRes", 8, 254, 300, 18, "List unsafe modes too", 0},
    {K::Label, "lbUnsafeWarning", "pnRes", 8, 274, 450, 32, "WARNING! Some of the unsafe modes may render your screen unusable or may even cause hardware failure! Use this mode at your own risk!", 0},
    {K::CheckBox, "cbGestures", "pnGesture", 8, 4, 200, 18, "Use mouse gestures", 1},
    {K::Label, "lbHold", "pnGesture", 212, 6, 150, 16, "Gesture while holding down:", 1},
    {K::ComboBox, "cbHold", "pnGesture", 362, 2, 98, 120, "", 0},
    {K::Custom, "sgGestures", "pnGesture", 8, 28, 450, 226, "", 0},
    {K::Label, "lbGesture", "pnGesture", 8, 266, 130, 16, "Edit gesture command:", 0},
    {K::Edit, "edGesture", "pnGesture", 140, 262, 120, 21, "", 0},
    {K::Custom, "SpeedButton2", "pnGesture", 268, 260, 110, 24, ">> Save command", 0},
    {K::Label, "lbHeadNames", "pnNames", 8, 4, 450, 18, "Desktop names and tab colors", 0},
    {K::Label, "lbName1", "pnNames", 8, 31, 70, 16, "Desktop 1:", 0},
    {K::Edit, "edName1", "pnNames", 80, 28, 200, 21, "", 1},
    {K::ComboBox, "cbColor1", "pnNames", 290, 28, 120, 200, "", 1},
    {K::Label, "lbName2", "pnNames", 8, 61, 70, 16, "Desktop 2:", 0},
    {K::Edit, "edName2", "pnNames", 80, 58, 200, 21, "", 2},
    {K::ComboBox, "cbColor2", "pnNames", 290, 58, 120, 200, "", 2},
    {K::Label, "lbName3", "pnNames", 8, 91, 70, 16, "Desktop 3:", 0},
    {K::Edit, "edName3", "pnNames", 80, 88, 200, 21, "", 3},
    {K::ComboBox, "cbColor3", "pnNames", 290, 88, 120, 200, "", 3},
    {K::Label, "lbName4", "pnNames", 8, 121, 70, 16, "Desktop 4:", 0},
    {K::Edit, "edName4", "pnNames", 80, 118, 200, 21, "", 4},
    {K::ComboBox, "cbColor4", "pnNames", 290, 118, 120, 200, "", 4},
    {K::Label, "lbName5", "pnNames", 8, 151, 70, 16, "Desktop 5:", 0},
    {K::Edit, "edName5", "pnNames", 80, 148, 200, 21, "", 5},
    {K::ComboBox, "cbColor5", "pnNames", 290, 148, 120, 200, "", 5},
    {K::Label, "lbName6", "pnNames", 8, 181, 70, 16, "Desktop 6:", 0},
    {K::Edit, "edName6", "pnNames", 80, 178, 200, 21, "", 6},
    {K::ComboBox, "cbColor6", "pnNames", 290, 178, 120, 200, "", 6},
    {K::Label, "lbName7", "pnNames", 8, 211, 70, 16, "Desktop 7:", 0},
    {K::Edit, "edName7", "pnNames", 80, 208, 200, 21, "", 7},
    {K::ComboBox, "cbColor7", "pnNames", 290, 208, 120, 200, "", 7},
    {K::Label, "lbName8", "pnNames", 8, 241, 70, 16, "Desktop 8:", 0},
    {K::Edit, "edName8", "pnNames", 80, 238, 200, 21, "", 8},
    {K::ComboBox, "cbColor8", "pnNames", 290, 238, 120, 200, "", 8},
    {K::Label, "lbName9", "pnNames", 8, 271, 70, 16, "Desktop 9:", 0},
    {K::Edit, "edName9", "pnNames", 80, 268, 200, 21, "", 9},
    {K::ComboBox, "cbColor9", "pnNames", 290, 268, 120, 200, "", 9},
    {K::Label, "lbHeadPrivate", "pnPrivate", 8, 4, 450, 18, "Private desktops", 0},
    {K::Label, "lbLocked", "pnPrivate", 8, 26, 450, 16, "Desktops locked: (check if locked)", 0},
    {K::CheckBox, "cbLock1", "pnPrivate", 16, 46, 200, 18, "Desktop #1", 1},
    {K::CheckBox, "cbLock2", "pnPrivate", 16, 68, 200, 18, "Desktop #2", 2},
    {K::CheckBox, "cbLock3", "pnPrivate", 16, 90, 200, 18, "Desktop #3", 3},
    {K::CheckBox, "cbLock4", "pnPrivate", 16, 112, 200, 18, "Desktop #4", 4},
    {K::CheckBox, "cbLock5", "pnPrivate", 16, 134, 200, 18, "Desktop #5", 5},
    {K::CheckBox, "cbLock6", "pnPrivate", 16, 156, 200, 18, "Desktop #6", 6},
    {K::CheckBox, "cbLock7", "pnPrivate", 16, 178, 200, 18, "Desktop #7", 7},
    {K::CheckBox, "cbLock8", "pnPrivate", 16, 200, 200, 18, "Desktop #8", 8},
    {K::CheckBox, "cbLock9", "pnPrivate", 16, 222, 200, 18, "Desktop #9", 9},
    {K::Custom, "btnSetChangeLockPwd", "pnPrivate", 8, 250, 260, 26, "  Set or change desktop lock password   ", 0},
};

namespace texts {
constexpr const char* kSnapShots[] = {"no snapshots", "save snapshot in every 5th sec", "save snapshot in every 30th sec"};
constexpr const char* kPrevSizes[] = {"Large (320x240)", "Medium (260x195)", "Small (220x165)", "Tiny (160x120)"};
constexpr const char* kDeskBar[] = {"Hidden / disabled", "Left", "Right", "Top", "Bottom"};
constexpr const char* kEdge[] = {"Edge-navigation disabled", "Edge-navigation enabled", "Mouse-knock enabled"};
constexpr const char* kHotKeyModes[] = {
    "no hotkeys!", "Alt + numbers (1-9)", "Any control + numbers (1-9)", "Right control + numbers (1-9)",
    "Alt + cursor keys (Linux style)", "Left windows + numbers (1-9)", "Any control + function keys (F1-F9)",
    "Ctrl + cursor keys (Linux style)", "Right alt + numbers (1-9)", "Left alt + numbers (1-9)",
    "Any windows + cursor keys (Linux style)", "Alt + cursor keys (Linux style) OR (1-9)",
    "Numeric keypad's numbers (1-9)"};
constexpr const char* kDoubleInt[] = {"long", "normal", "short"};
constexpr const char* kOpenDeskAt[] = {"the mouse pointer", "middle of the screen"};
constexpr const char* kTriggers[] = {"no hotkey!", "Doublehit ctrl", "Doublehit shift", "Doublehit shift + ctrl",
                                     "Ctrl + 0", "Ctrl + Left Windows", "Ctrl + `", "Ctrl + ^",
                                     "Doublehit left shift", "Doublehit right shift"};
constexpr const char* kWallpaperStyles[] = {"Tile", "Center", "Stretch"};
constexpr char kWallpaperFilter[] = "Graphic files (*.bmp, *.jpg)|*.bmp;*.jpg";
constexpr const char* kHold[] = {"Middle mouse button", "Any control", "Left control", "Left Alt",
                                 "Left control + left windows"};
constexpr const char* kGestureHeadings[] = {"Action", "Gesture code"};
constexpr const char* kGeneralTabs[] = {"Engine parameters", "Visual preferences"};
}  // namespace texts

// The lists whose items are fixed texts, by control.
struct FixedItems {
    std::string_view control;
    std::span<const char* const> items;
};
constexpr FixedItems kFixedItems[] = {
    {"cbSnapShot", texts::kSnapShots},   {"rgPrevSize", texts::kPrevSizes},     {"cbDeskBar", texts::kDeskBar},
    {"cbEdge", texts::kEdge},             {"cbHotKeys", texts::kHotKeyModes},    {"cbDoubleInt", texts::kDoubleInt},
    {"cbOpenDeskAt", texts::kOpenDeskAt}, {"rgApplist", texts::kTriggers},       {"rgDeskprev", texts::kTriggers},
    {"rgMainMenu", texts::kTriggers},     {"cbHold", texts::kHold},
};

// "cbWPS" followed by a desktop number, and the like.
bool IsDesktopControl(std::string_view control, std::string_view prefix) {
    return control.size() == prefix.size() + 1 && control.starts_with(prefix) && control.back() >= '1' &&
           control.back() <= '9';
}

template <size_t N>
std::vector<std::string> Items(const char* const (&list)[N]) {
    return std::vector<std::string>(std::begin(list), std::end(list));
}

template <size_t N>
std::vector<std::string> Items(const std::array<std::string_view, N>& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

std::vector<std::string> LayoutTexts() {
    std::vector<std::string> v;
    for (const auto& l : Layouts) v.emplace_back(l.Text);
    return v;
}

}  // namespace

std::vector<std::string> DialogListItems(std::string_view control) {
    for (const auto& list : kFixedItems)
        if (list.control == control) return std::vector<std::string>(list.items.begin(), list.items.end());
    if (control == "cbLayout") return LayoutTexts();
    if (IsDesktopControl(control, "cbWPS")) return Items(texts::kWallpaperStyles);
    if (IsDesktopControl(control, "cbColor")) return Items(DesktopColorItems);
    return {};
}

std::span<const framework::ControlSpec> DialogLayout() { return kLayout; }

std::string_view DialogCaption(std::string_view control) {
    for (const auto& spec : kLayout)
        if (spec.name == control) return spec.caption ? spec.caption : "";
    return {};
}

void TfrmVDConfig::CreateControls() {
    for (auto& e : edName_) e->MaxLength = 20;
    ApplyLayout(kLayout);
    SetUpControls();
    // Before the settings can be read in place: the grid's rows must exist.
    SetUpGestureGrid();
    ConnectPageEditing();
}

std::array<toolkit::TRotButton*, 21> TfrmVDConfig::RotatableButtons() noexcept {
    return {&btnHelp,         &btnOK,           &btnApply,        &btnCancel,          &btnAddExe,
            &btnAddStickyExe, &btnAdd,          &btnRemove,       &btnAddIgnore,       &btnAddExeIgnore,
            &btnAddClass,     &btnRemoveIgnore, &btnAddWatchApp,  &btnAddExeWatch,     &btnAddWatchClass,
            &btnDelWatch,     &btnAddAuto,      &btnAddAutoSendExe, &btnAddClassAuto,  &btnDelAuto,
            &btnSetChangeLockPwd};
}

void TfrmVDConfig::SetUpControls() {
    cbSnapShot.SetItems(DialogListItems("cbSnapShot"));
    rgPrevSize.SetItems(DialogListItems("rgPrevSize"));
    slTrans.SetMaxValue(75);
    slTrans.SetIncrement(2);
    for (int n = 1; n <= 9; ++n) {
        feDesk(n).SetFilter(texts::kWallpaperFilter);
        feDesk(n).SetFilterIndex(0);
        feDesk(n).SetNumGlyphs(1);
    }
    for (toolkit::TRotButton* b : RotatableButtons()) b->UseDialogLook();
    pcGeneral.SetTabs(Items(texts::kGeneralTabs));
    SpeedButton2.Layout = toolkit::TButtonLayout::blGlyphLeft;   // a caption alone, across the button
    cbDeskBar.SetItems(DialogListItems("cbDeskBar"));
    cbEdge.SetItems(DialogListItems("cbEdge"));
    cbHotKeys.SetItems(DialogListItems("cbHotKeys"));
    cbDoubleInt.SetItems(DialogListItems("cbDoubleInt"));
    cbOpenDeskAt.SetItems(DialogListItems("cbOpenDeskAt"));
    rgApplist.SetItems(DialogListItems("rgApplist"));
    rgDeskprev.SetItems(DialogListItems("rgDeskprev"));
    rgMainMenu.SetItems(DialogListItems("rgMainMenu"));
    cbLayout.SetItems(DialogListItems("cbLayout"));
    cbHold.SetItems(DialogListItems("cbHold"));
    for (int n = 1; n <= 9; ++n) {
        const std::string number = std::to_string(n);
        cbWPS(n).SetItems(DialogListItems("cbWPS" + number));
        cbColor(n).SetItems(DialogListItems("cbColor" + number));
        cbWPS(n).SetItemIndex(0);
        cbColor(n).SetItemIndex(0);
    }
    lbHint.SetVisible(false);
    lbUnsafeWarning.SetVisible(false);
    if (auto* imBase = FindControl("imBase")) imBase->SetVisible(false);
    // What the controls hold before the first load: every default.
    for (const auto& spec : kPlainValues) SetControlValue(spec, spec.def);
}

void TfrmVDConfig::SetUpGestureGrid() {
    sgGestures.SetSize(2, kActionCount + 1);
    sgGestures.SetCell(0, 0, texts::kGestureHeadings[0]);
    sgGestures.SetCell(1, 0, texts::kGestureHeadings[1]);
    sgGestures.SetColWidth(0, 240);
    sgGestures.SetColWidth(1, 100);
    for (int row = 1; row <= kActionCount; ++row) {
        sgGestures.SetCell(0, row, GestureActions[static_cast<size_t>(row - 1)].Name);
        sgGestures.SetCell(1, row, GestureActions[static_cast<size_t>(row - 1)].DefaultCode);
    }
}

}  // namespace settings
