#pragma once
// Which command a key stroke stands for, from the key, the modifiers held and
// the four hotkey options. No window handles and no state: the keyboard hook
// asks, and the answer decides whether the key is swallowed.
#include <windows.h>
#include <cstdint>
#include "engine/messages.h"

namespace hooklib {

// Modifier keys held while a key goes down, left and right apart.
enum Modifier : unsigned {
    kLeftCtrl = 1u << 0,
    kRightCtrl = 1u << 1,
    kLeftAlt = 1u << 2,
    kRightAlt = 1u << 3,
    kLeftShift = 1u << 4,
    kRightShift = 1u << 5,
    kLeftWin = 1u << 6,
    kRightWin = 1u << 7,
};
constexpr unsigned kAnyCtrl = kLeftCtrl | kRightCtrl;
constexpr unsigned kAnyAlt = kLeftAlt | kRightAlt;
constexpr unsigned kAnyShift = kLeftShift | kRightShift;
constexpr unsigned kAnyWin = kLeftWin | kRightWin;

// Commands of the hotkey message: desktops 1..9, then the ones below.
constexpr int kNoCommand = 0;
constexpr int kCommandRight = engine::kHotkeyRight, kCommandLeft = engine::kHotkeyLeft;
constexpr int kCommandUp = engine::kHotkeyUp, kCommandDown = engine::kHotkeyDown;
constexpr int kCommandCtrl0 = engine::kHotkeyChordCtrl0;
constexpr int kCommandCtrlLeftWin = engine::kHotkeyChordCtrlWin;
constexpr int kCommandCtrlGrave = engine::kHotkeyChordCtrlGrave;

// Desktop-switch modes, by item index of the hotkey-mode setting.
enum class HotkeyMode : int {
    None,               // "no hotkeys!"
    AltDigits,          // "Alt + numbers (1-9)"
    CtrlDigits,         // "Any control + numbers (1-9)"
    RightCtrlDigits,    // "Right control + numbers (1-9)"
    AltCursor,          // "Alt + cursor keys (Linux style)"
    LeftWinDigits,      // "Left windows + numbers (1-9)"
    CtrlFKeys,          // "Any control + function keys (F1-F9)"
    CtrlCursor,         // "Ctrl + cursor keys (Linux style)"
    RightAltDigits,     // "Right alt + numbers (1-9)"
    LeftAltDigits,      // "Left alt + numbers (1-9)"
    WinCursor,          // "Any windows + cursor keys (Linux style)"
    AltCursorOrDigits,  // "Alt + cursor keys (Linux style) OR (1-9)"
    NumpadDigits,       // "Numeric keypad's numbers (1-9)"
};
constexpr int kHotkeyModeCount = 13;

// Triggers of the application list, the preview and the main menu, by item
// index. The double taps belong to the program's own input poll; only the
// chords are caught here.
enum class Trigger : int {
    None,              // "no hotkey!"
    DoubleCtrl,        // "Doublehit ctrl"
    DoubleShift,       // "Doublehit shift"
    DoubleShiftCtrl,   // "Doublehit shift + ctrl"
    Ctrl0,             // "Ctrl + 0"
    CtrlLeftWin,       // "Ctrl + Left Windows"
    CtrlGrave,         // "Ctrl + `"
    CtrlCaret,         // "Ctrl + ^": no command answers it, so its keys pass
    DoubleLeftShift,   // "Doublehit left shift"
    DoubleRightShift,  // "Doublehit right shift"
};
constexpr int kTriggerCount = 10;

// The four option values as the program hands them over.
struct Options {
    int mode = 0;      // HotkeyMode index
    int applist = 0;   // Trigger indexes
    int deskprev = 0;
    int mainmenu = 0;
};

// The key that types a character in the keyboard layout of the moment, and
// whether it needs Shift. vk 0: the layout has no such key usable with Ctrl.
struct CharKey {
    unsigned vk = 0;
    bool shift = false;
};
struct LayoutKeys {
    CharKey grave;   // '`'
};

// VkKeyScan's answer: low byte the key, high byte Shift (1), Ctrl (2), Alt (4)
// and further states. A character that needs more than Shift cannot take part
// in a Ctrl chord without turning it into another one.
constexpr CharKey CharKeyFromScan(int16_t scan) noexcept {
    if (scan == -1) return {};
    unsigned vk = static_cast<unsigned>(scan) & 0xFFu;
    unsigned states = (static_cast<unsigned>(scan) >> 8) & 0xFFu;
    if (vk == 0 || (states & ~1u) != 0) return {};
    return {vk, (states & 1u) != 0};
}

namespace detail {

enum KeySet : unsigned {
    kDigits = 1u << 0,   // '1'..'9' of the main block
    kCursor = 1u << 1,   // the four arrows
    kFKeys = 1u << 2,    // F1..F9
    kNumpad = 1u << 3,   // the keypad's 1..9 (NumLock on)
};

struct ModeRule {
    unsigned keys;       // KeySet
    unsigned required;   // at least one of these is held (0: none needed)
    unsigned forbidden;  // none of these is held
};

// The other modifier families must be up, so that AltGr (Ctrl + right Alt)
// characters and Shift or Win chords of other programs pass untouched. The
// right-Alt mode lets the left Ctrl through because AltGr layouts send it
// together with the right Alt.
constexpr ModeRule kModeRules[kHotkeyModeCount] = {
    {0, 0, 0},
    {kDigits, kAnyAlt, kAnyCtrl | kAnyShift | kAnyWin},
    {kDigits, kAnyCtrl, kAnyAlt | kAnyShift | kAnyWin},
    {kDigits, kRightCtrl, kAnyAlt | kAnyShift | kAnyWin},
    {kCursor, kAnyAlt, kAnyCtrl | kAnyShift | kAnyWin},
    {kDigits, kLeftWin, kAnyCtrl | kAnyAlt | kAnyShift},
    {kFKeys, kAnyCtrl, kAnyAlt | kAnyShift | kAnyWin},
    {kCursor, kAnyCtrl, kAnyAlt | kAnyShift | kAnyWin},
    {kDigits, kRightAlt, kRightCtrl | kAnyShift | kAnyWin},
    {kDigits, kLeftAlt, kAnyCtrl | kAnyShift | kAnyWin},
    {kCursor, kAnyWin, kAnyCtrl | kAnyAlt | kAnyShift},
    {kDigits | kCursor, kAnyAlt, kAnyCtrl | kAnyShift | kAnyWin},
    {kNumpad, 0, kAnyCtrl | kAnyAlt | kAnyShift | kAnyWin},
};

// The modifier bits a key itself stands for: a modifier going down (or
// repeating) is not yet "held" for its own chord.
constexpr unsigned OwnModifierBits(unsigned vk) noexcept {
    switch (vk) {
    case VK_CONTROL: return kAnyCtrl;
    case VK_LCONTROL: return kLeftCtrl;
    case VK_RCONTROL: return kRightCtrl;
    case VK_MENU: return kAnyAlt;
    case VK_LMENU: return kLeftAlt;
    case VK_RMENU: return kRightAlt;
    case VK_SHIFT: return kAnyShift;
    case VK_LSHIFT: return kLeftShift;
    case VK_RSHIFT: return kRightShift;
    case VK_LWIN: return kLeftWin;
    case VK_RWIN: return kRightWin;
    default: return 0;
    }
}

constexpr int CursorCommand(unsigned vk) noexcept {
    switch (vk) {
    case VK_RIGHT: return kCommandRight;
    case VK_LEFT: return kCommandLeft;
    case VK_UP: return kCommandUp;
    case VK_DOWN: return kCommandDown;
    default: return kNoCommand;
    }
}

constexpr int KeyCommand(unsigned keys, unsigned vk) noexcept {
    if ((keys & kDigits) && vk >= '1' && vk <= '9') return static_cast<int>(vk - '0');
    if ((keys & kFKeys) && vk >= VK_F1 && vk <= VK_F9) return static_cast<int>(vk - VK_F1 + 1);
    if ((keys & kNumpad) && vk >= VK_NUMPAD1 && vk <= VK_NUMPAD9) return static_cast<int>(vk - VK_NUMPAD1 + 1);
    if (keys & kCursor) return CursorCommand(vk);
    return kNoCommand;
}

constexpr bool HasTrigger(const Options& o, Trigger t) noexcept {
    int i = static_cast<int>(t);
    return o.applist == i || o.deskprev == i || o.mainmenu == i;
}

// Ctrl held, no Alt, no Win, and Shift exactly as the character needs.
constexpr bool CtrlCharChord(const CharKey& key, unsigned vk, unsigned mods) noexcept {
    if (key.vk == 0 || vk != key.vk) return false;
    if (!(mods & kAnyCtrl) || (mods & (kAnyAlt | kAnyWin))) return false;
    return ((mods & kAnyShift) != 0) == key.shift;
}

}  // namespace detail

// The desktop command of a key under one hotkey mode, or kNoCommand.
constexpr int DesktopCommand(int mode, unsigned vk, unsigned mods) noexcept {
    if (mode <= 0 || mode >= kHotkeyModeCount) return kNoCommand;
    const detail::ModeRule& rule = detail::kModeRules[mode];
    mods &= ~detail::OwnModifierBits(vk);
    if (rule.required != 0 && !(mods & rule.required)) return kNoCommand;
    if (mods & rule.forbidden) return kNoCommand;
    return detail::KeyCommand(rule.keys, vk);
}

// The chord command of a key when one of the three triggers uses that chord.
// The main window answers three chords; "Ctrl + ^", which the settings offer
// too, has no command there, so it is never taken from the program in front.
constexpr int ChordCommand(const Options& o, unsigned vk, unsigned mods, const LayoutKeys& layout) noexcept {
    using detail::HasTrigger;
    mods &= ~detail::OwnModifierBits(vk);
    bool ctrlOnly = (mods & kAnyCtrl) && !(mods & (kAnyAlt | kAnyShift | kAnyWin));
    if (vk == '0' && ctrlOnly && HasTrigger(o, Trigger::Ctrl0)) return kCommandCtrl0;
    if (vk == VK_LWIN && ctrlOnly && HasTrigger(o, Trigger::CtrlLeftWin)) return kCommandCtrlLeftWin;
    if (HasTrigger(o, Trigger::CtrlGrave) && detail::CtrlCharChord(layout.grave, vk, mods)) return kCommandCtrlGrave;
    return kNoCommand;
}

// Both together: the desktop modes first, then the chords.
constexpr int HotkeyCommand(const Options& o, unsigned vk, unsigned mods, const LayoutKeys& layout) noexcept {
    int c = DesktopCommand(o.mode, vk, mods);
    return c != kNoCommand ? c : ChordCommand(o, vk, mods, layout);
}

// Key strokes as the keyboard hook receives them: the generic Control, Alt
// and Shift keys, told left from right by the extended-key flag (Control,
// Alt) or the scan code (Shift), and the flag of a key going up.
constexpr uint32_t kStrokeKeyUp = 1u << 31;
constexpr uint32_t kStrokeExtended = 1u << 24;
constexpr unsigned kRightShiftScan = 0x36;

// The modifier a key stroke presses or releases, or 0 for any other key.
constexpr unsigned ModifierOfStroke(unsigned vk, uint32_t flags) noexcept {
    const bool extended = (flags & kStrokeExtended) != 0;
    switch (vk) {
    case VK_CONTROL: return extended ? kRightCtrl : kLeftCtrl;
    case VK_MENU: return extended ? kRightAlt : kLeftAlt;
    case VK_SHIFT: return ((flags >> 16) & 0xFFu) == kRightShiftScan ? kRightShift : kLeftShift;
    default: return detail::OwnModifierBits(vk);   // the keys with a side of their own
    }
}

// The modifiers a thread has seen go down and not yet come up, after this
// key stroke.
constexpr unsigned TrackModifiers(unsigned seenDown, unsigned vk, uint32_t flags) noexcept {
    const unsigned bit = ModifierOfStroke(vk, flags);
    return (flags & kStrokeKeyUp) ? seenDown & ~bit : seenDown | bit;
}

// The modifiers held for a key stroke. The thread's key state is the answer
// in the order the keys were typed, but the system clears it whenever another
// thread attaches to this thread's input (a switch handing the focus over
// does), while the user may still hold the modifier. So a modifier this thread
// saw go down, and that is still down on the keyboard, counts as held too.
constexpr unsigned HeldForStroke(unsigned threadState, unsigned seenDown, unsigned keyboard) noexcept {
    return threadState | (seenDown & keyboard);
}

// Whether any key stroke can be a hotkey under these options: without one the
// hook lets every key pass without looking at the modifiers.
constexpr bool CatchesKeys(const Options& o) noexcept {
    using detail::HasTrigger;
    return (o.mode > 0 && o.mode < kHotkeyModeCount) || HasTrigger(o, Trigger::Ctrl0) ||
           HasTrigger(o, Trigger::CtrlLeftWin) || HasTrigger(o, Trigger::CtrlGrave);
}

// Whether a chord could match at all, so that the hook asks the keyboard
// layout only when Ctrl is held and the character chord is in use.
constexpr bool NeedsLayout(const Options& o, unsigned mods) noexcept {
    return (mods & kAnyCtrl) && detail::HasTrigger(o, Trigger::CtrlGrave);
}

// System-menu entries whose commands are reported: "Send application to" and
// "Send this window to", one id per desktop. The id arrives in WM_SYSCOMMAND's
// wParam as it was inserted: the low four bits carry the desktop, so the
// system's SC_ mask must not be applied to it.
constexpr bool IsDesktopMenuCommand(uintptr_t id) noexcept {
    return (id >= engine::IDM_SEND_APP && id < engine::IDM_SEND_APP + 9) ||
           (id >= engine::IDM_SEND_WINDOW && id < engine::IDM_SEND_WINDOW + 9);
}

}  // namespace hooklib
