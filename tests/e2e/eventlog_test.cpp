// The event-log window of the running program: it exists from the start,
// hidden, shows the stored bubble choice and stores a new one with OK.
#include <gtest/gtest.h>
#include <optional>
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr char kSettingsKey[] = "Software\\Pelmora\\Tessarel";

struct Child {
    HWND wnd;
    std::string cls;
    std::string text;
};

std::vector<Child> ChildrenOf(HWND parent) {
    std::vector<Child> out;
    ::EnumChildWindows(parent, [](HWND w, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<Child>*>(l)->push_back({w, ClassOf(w), TitleOf(w)});
        return TRUE;
    }, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND ChildWithText(HWND parent, const std::string& text) {
    for (const auto& c : ChildrenOf(parent))
        if (c.text == text) return c.wnd;
    return nullptr;
}

bool Checked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int HeightOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r.bottom - r.top;
}

HWND LogWindowOf(const Tessarel& t) {
    for (const auto& i : TopWindows())
        if (i.pid == t.Pid() && i.cls == "TfrmLog") return i.wnd;
    return nullptr;
}

void WriteDword(const char* name, DWORD v) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    ::RegCloseKey(k);
}

std::optional<DWORD> ReadDword(const char* name) {
    DWORD v = 0, size = sizeof v, type = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, &type, &v, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return v;
}

// The options panel holds the level group.
HWND OptionsPanelOf(HWND log) { return ::GetParent(ChildWithText(log, " Bubble-hint notifications")); }

}  // namespace

TEST(EventLogWindow, ExistsHiddenFromTheStartWithImportantEventsOnly) {
    Tessarel t;
    ASSERT_NE(t.MainWindow(), nullptr);
    HWND log = LogWindowOf(t);
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(IsShown(log));
    EXPECT_EQ(TitleOf(log), "Pelmora Virtual Desktop - Event log");

    HWND important = ChildWithText(log, "Important events only");
    HWND notify = ChildWithText(log, "Notify about window activities on inactive desktops");
    ASSERT_NE(important, nullptr);
    ASSERT_NE(notify, nullptr);
    EXPECT_TRUE(Checked(important));
    EXPECT_FALSE(Checked(ChildWithText(log, "Turned off")));
    EXPECT_TRUE(Checked(notify));
    EXPECT_EQ(HeightOf(OptionsPanelOf(log)), 85);

    ::PostMessageA(t.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(t.Process().Wait(10000), 0);
    // A run without faults leaves no error log behind.
    EXPECT_EQ(::GetFileAttributesA((DataFolder() + "errorlog.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(EventLogWindow, ShowsTheStoredChoiceAndOkStoresANewOne) {
    ResetUserState();
    WriteDword("bubblelevel", 0);
    WriteDword("inactivenotifybubble", 0);
    Tessarel t({}, false);
    ASSERT_NE(t.MainWindow(), nullptr);
    HWND log = LogWindowOf(t);
    ASSERT_NE(log, nullptr);

    HWND off = ChildWithText(log, "Turned off");
    HWND all = ChildWithText(log, "All events");
    HWND notify = ChildWithText(log, "Notify about window activities on inactive desktops");
    ASSERT_TRUE(off && all && notify);
    EXPECT_TRUE(Checked(off));
    EXPECT_FALSE(Checked(notify));
    HWND panel = OptionsPanelOf(log);
    EXPECT_EQ(HeightOf(panel), 47);

    ::ShowWindow(log, SW_SHOWNA);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(log); }, 2000));
    ::SendMessageA(all, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return HeightOf(panel) == 85; }, 2000));
    EXPECT_TRUE(Checked(all));

    HWND ok = nullptr;
    for (const auto& c : ChildrenOf(log))
        if (c.cls == "TRotButton" && c.text == "OK") ok = c.wnd;
    ASSERT_NE(ok, nullptr);
    ::PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    ::PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    EXPECT_TRUE(WaitUntil([&] { return ReadDword("bubblelevel") == 2u; }, 3000));
    EXPECT_EQ(ReadDword("inactivenotifybubble"), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(log); }, 2000));

    // The program goes on as before.
    EXPECT_TRUE(t.Process().Running());
    ::PostMessageA(t.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(t.Process().Wait(10000), 0);
}
