// Second starts, the one-instance rule and the post-install start.
#include <gtest/gtest.h>
#include "support/e2e.h"

using namespace e2e;

namespace {
std::string ReadString(const char* key, const char* name) {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
    char buf[1024] = {};
    DWORD size = sizeof buf, type = 0;
    LONG r = ::RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    ::RegCloseKey(k);
    return r == ERROR_SUCCESS ? std::string(buf) : "<missing>";
}

DWORD ReadDword(const char* key, const char* name, DWORD missing) {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return missing;
    DWORD v = 0, size = sizeof v;
    LONG r = ::RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    ::RegCloseKey(k);
    return r == ERROR_SUCCESS ? v : missing;
}

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSettings[] = "Software\\Pelmora\\Tessarel";
}  // namespace

TEST(Startup, SecondStartWarnsAndLeavesTheFirstAlone) {
    Tessarel first;
    ASSERT_NE(first.MainWindow(), nullptr);
    ChildProcess second(BinDir() + "Tessareltop.exe", "");
    HWND box = WaitForWindow("Warning", "#32770", second.Pid());
    ASSERT_NE(box, nullptr) << "no warning box";
    bool textFound = false;
    ::EnumChildWindows(box, [](HWND c, LPARAM l) -> BOOL {
        if (TitleOf(c) == "Pelmora Virtual Desktop can only run in one instance!") *reinterpret_cast<bool*>(l) = true;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&textFound));
    EXPECT_TRUE(textFound);
    ::PostMessageA(box, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.Wait(5000), 0);
    EXPECT_TRUE(first.Process().Running());
    EXPECT_EQ(FindMainWindow(), first.MainWindow());
}

TEST(Startup, PostInstallArgumentRegistersAndNeverStartsTheEngine) {
    ResetUserState();
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "pelmoratessarel");
    EXPECT_EQ(RunAndWait(BinDir() + "Tessareltop.exe", "wq8160m94k"), 0);
    EXPECT_EQ(FindMainWindow(), nullptr);
    std::string expected = "\"" + BinDir() + "Tessareltop.exe\"";
    EXPECT_EQ(ReadString(kRun, "pelmoratessarel"), expected);
    EXPECT_EQ(ReadDword(kSettings, "showcfgwiz", 99), 1u);

    // An existing value is left alone.
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    DWORD off = 0;
    ::RegSetValueExA(k, "showcfgwiz", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    ::RegCloseKey(k);
    EXPECT_EQ(RunAndWait(BinDir() + "Tessareltop.exe", "wq8160m94k"), 0);
    EXPECT_EQ(ReadDword(kSettings, "showcfgwiz", 99), 0u);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "pelmoratessarel");
}

TEST(Startup, CommandsWithoutARunningInstanceEndQuietly) {
    ResetUserState();
    for (const char* arg : {"-kill", "-s3", "-s"}) EXPECT_EQ(RunAndWait(BinDir() + "Tessareltop.exe", arg), 0) << arg;
    EXPECT_EQ(FindMainWindow(), nullptr);
}

TEST(Startup, MainWindowIsAToolWindowWithTheProductCaption) {
    Tessarel t;
    HWND w = t.MainWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ClassOf(w), "TfrmPTessarel");
    EXPECT_TRUE(WaitUntil([w] { return TitleOf(w) == "Pelmora Virtual Desktop manager v1.3.7"; }, 3000)) << TitleOf(w);
    EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsShown(w));
}

// The lock password's cryptography and the file dialogs load their libraries
// at their first use: under Wine each brings about 2 MB of host libraries
// (TLS, printing) into the working set of every run, most of which never
// set a password or open a file dialog.
TEST(Startup, LibrariesOfThePasswordAndTheFileDialogsWaitForTheirFirstUse) {
    Tessarel t;
    ASSERT_NE(t.MainWindow(), nullptr);
    ASSERT_TRUE(t.WaitForMessageLoop());
    // The module list is read: the program's own modules are in it.
    ASSERT_TRUE(HasModule(t.Pid(), "Tessareltop.exe"));
    ASSERT_TRUE(HasModule(t.Pid(), "PTSH120.dll"));
    for (const char* later : {"bcrypt.dll", "comdlg32.dll"}) EXPECT_FALSE(HasModule(t.Pid(), later)) << later;
}

// Every button of the program's dialogs is the program's own rotatable
// button, so that none is a standard push button (which the settings
// dialog's flat painter would take over). The windows made at start-up are
// all there, hidden; a bubble comes with an event.
TEST(Startup, TheDialogsButtonsAreRotatableButtonsAndNoneIsAStandardPushButton) {
    ResetUserState();
    WriteSetting("showsplash", 0);
    WriteSetting("bubblelevel", 2);   // a bubble for every event
    Tessarel t("", false);
    ASSERT_TRUE(t.WaitForMessageLoop());
    ::PostMessageA(t.MainWindow(), 0x402, 2, 0);   // a hotkey to desktop 2: logged, so a bubble
    ASSERT_TRUE(WaitUntil([&] { return ::FindWindowA("TfrmBubble", nullptr) != nullptr; }, 10000));

    struct Case {
        const char* form;
        size_t rotatable;
    } cases[] = {
        {"TfrmVDConfig", 21}, {"TfrmAbout", 4},   {"TfrmLost", 4},   {"TfrmClassPicker", 3}, {"TfrmError", 3},
        {"TfrmVDInfo", 2},    {"TfrmEnterPwd", 2}, {"TfrmChgPwd", 2}, {"TfrmLog", 1},         {"TfrmBubble", 1},
    };
    size_t all = 0;
    for (const Case& c : cases) {
        HWND form = nullptr;
        for (HWND w : WindowsOfProcess(t.Pid()))
            if (ClassOf(w) == c.form) form = w;
        ASSERT_NE(form, nullptr) << c.form;
        const size_t rotatable = ChildrenOfClass(form, "TRotButton").size();
        EXPECT_EQ(rotatable, c.rotatable) << c.form;
        all += rotatable;
        for (HWND b : ChildrenOfClass(form, "Button")) {
            const DWORD type = static_cast<DWORD>(::GetWindowLongA(b, GWL_STYLE)) & BS_TYPEMASK;
            EXPECT_TRUE(type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) << c.form << ": \"" << TitleOf(b) << "\"";
        }
    }
    EXPECT_EQ(all, 43u);
}
