#include "framework/shortcut.h"
#include <windows.h>
#include "framework/text.h"

namespace framework {

namespace {

constexpr std::string_view kShift = "Shift+";
constexpr std::string_view kCtrl = "Ctrl+";
constexpr std::string_view kAlt = "Alt+";

struct KeyName {
    uint8_t key;
    std::string_view name;
};
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},   {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},     {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

// The name the system's keyboard layout gives a key without a fixed name.
std::string SystemKeyName(uint8_t key) {
    UINT scan = ::MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    if (scan == 0) return {};
    char name[64] = {};
    int n = ::GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name);
    return n > 0 ? std::string(name, static_cast<size_t>(n)) : std::string();
}

std::string KeyText(uint8_t key) {
    for (const auto& k : kKeyNames)
        if (k.key == key) return std::string(k.name);
    if (key >= '0' && key <= '9') return std::string(1, static_cast<char>(key));
    if (key >= 'A' && key <= 'Z') return std::string(1, static_cast<char>(key));
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return std::string(1, static_cast<char>('0' + key - VK_NUMPAD0));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    return SystemKeyName(key);
}

// Takes the modifier's name off the front of the text, in any case.
bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (text.size() < prefix.size() || LowerCaseAscii(text.substr(0, prefix.size())) != LowerCaseAscii(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string name = KeyText(static_cast<uint8_t>(shortCut & 0xFF));
    if (name.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += kShift;
    if (shortCut & scCtrl) text += kCtrl;
    if (shortCut & scAlt) text += kAlt;
    return text + name;
}

TShortCut TextToShortCut(std::string_view text) {
    TShortCut modifiers = 0;
    for (bool more = true; more;) {
        more = false;
        if (TakePrefix(text, kShift)) modifiers |= scShift, more = true;
        else if (TakePrefix(text, kCtrl)) modifiers |= scCtrl, more = true;
        else if (TakePrefix(text, kAlt)) modifiers |= scAlt, more = true;
    }
    if (text.empty()) return 0;
    const std::string wanted = LowerCaseAscii(text);
    for (int key = 8; key <= 255; ++key)
        if (LowerCaseAscii(KeyText(static_cast<uint8_t>(key))) == wanted) return static_cast<TShortCut>(key | modifiers);
    return 0;
}

}  // namespace framework
