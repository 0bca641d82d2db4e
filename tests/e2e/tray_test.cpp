// The tray icon of the running program as a user meets it: a right click
// opens the tray menu with its items and the windows of every application,
// choosing a window switches to its desktop, a double click goes to the next
// desktop, the icon shows the current desktop, and Exit ends the program.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "engine/messages.h"
#include "engine/window_record.h"
#include "navigation/enter_pwd.h"
#include "support/e2e.h"
#include "support/tray_menu.h"

using namespace e2e;

namespace {

struct ShownItem {
    int depth;
    std::string flags;
    std::string caption;
};

// Reads the menu another process has open, through the hook library
// menuspy.dll loaded into that process.
class MenuSpy {
public:
    MenuSpy() {
        mapping_ = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 65536, "TessMenuSpyText");
        text_ = static_cast<char*>(::MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 65536));
        library_ = ::LoadLibraryA((BinDir() + "menuspy.dll").c_str());
        // void (*)() is the generic function pointer that casts without a warning.
        auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(::GetProcAddress(library_, "MenuSpyProc")));
        if (proc) hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, proc, library_, 0);
    }
    ~MenuSpy() {
        if (hook_) ::UnhookWindowsHookEx(hook_);
        if (text_) ::UnmapViewOfFile(text_);
        if (mapping_) ::CloseHandle(mapping_);
        if (library_) ::FreeLibrary(library_);
    }
    bool Ready() const { return hook_ && text_; }
    std::vector<ShownItem> Read(HWND menuWindow) {
        text_[0] = '\0';
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(menuWindow, ::RegisterWindowMessageA("TessMenuSpyDump"), 0, 0, SMTO_ABORTIFHUNG, 3000,
                              &result);
        std::vector<ShownItem> items;
        std::string all(text_);
        size_t pos = 0;
        while (pos < all.size()) {
            size_t end = all.find('\n', pos);
            std::string line = all.substr(pos, end - pos);
            pos = end == std::string::npos ? all.size() : end + 1;
            size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
            if (t1 == std::string::npos || t2 == std::string::npos) continue;
            items.push_back({std::stoi(line.substr(0, t1)), line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1)});
        }
        return items;
    }
private:
    HANDLE mapping_ = nullptr;
    char* text_ = nullptr;
    HMODULE library_ = nullptr;
    HHOOK hook_ = nullptr;
};

std::vector<std::string> CaptionsAt(const std::vector<ShownItem>& items, int depth, size_t from = 0) {
    std::vector<std::string> out;
    for (size_t i = from; i < items.size() && items[i].depth >= depth; ++i)
        if (items[i].depth == depth) out.push_back(items[i].caption);
    return out;
}

size_t IndexOf(const std::vector<ShownItem>& items, const std::string& caption) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].caption == caption) return i;
    return items.size();
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("layoutid", 1);   // "1 x 4": four desktops
        WriteSetting("showsplash", 0);
        WriteSetting("bubblelevel", 0);   // no event bubbles over the notification area
        Prepare();
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    void TearDown() override {
        CloseMenu();
        program_.reset();
    }
    virtual void Prepare() {}

    void PostTray(std::initializer_list<UINT> mouseMessages) { e2e::PostTray(program_->Pid(), mouseMessages); }
    HWND OpenMenuWindow() const { return e2e::OpenMenuWindow(program_->Pid()); }
    HWND OpenTrayMenu() { return e2e::OpenTrayMenu(program_->Pid()); }
    void Keys(HWND menu, std::initializer_list<WPARAM> keys) { MenuKeys(menu, keys); }
    void CloseMenu() { CloseMenus(program_->Pid()); }
    // Asks for a switch; the caller waits for the windows to show it.
    void SwitchTo(const std::string& arg) { ASSERT_EQ(program_->SecondStart(arg), 0); }
    std::unique_ptr<Tessarel> program_;
};

bool ShownSoon(HWND w) { return WaitUntil([w] { return IsShown(w); }, 5000); }
bool HiddenSoon(HWND w) { return WaitUntil([w] { return !IsShown(w); }, 5000); }

class TrayWithStickyTest : public TrayTest {
protected:
    void Prepare() override { ASSERT_TRUE(WriteDataFile("Tessareltop.pin", "TESSTRAYSTICKY\r\n")); }
};

// Desktop 2 is private and locked; the lock password is set.
class TrayPrivateTest : public TrayTest {
protected:
    void Prepare() override {
        WriteSetting("locked1", 0);   // the group is read only with its first value
        WriteSetting("locked2", 1);
        navigation::StoreLockPassword("open sesame");
    }
    // Its exit would ask for the password: ended at once instead.
    void TearDown() override {
        if (program_) program_->Process().Kill();
        TrayTest::TearDown();
    }
};

}  // namespace

// The application list tells nothing of what a locked desktop holds.
TEST_F(TrayPrivateTest, TheApplicationListShowsNoTitleOfALockedDesktop) {
    Helper one({.cls = "TessTrayOne", .title = "tray one"});
    Helper priv({.cls = "TessTrayPriv", .title = "P_PRIV"});
    // Into a private desktop needs no password; the move takes once a scan
    // has met the window.
    ASSERT_TRUE(WaitUntil([&] {
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_SYSMENU, engine::TWindowRecord::WndFromHandle(priv.Window()),
                       engine::IDM_SEND_WINDOW + 1);
        return !IsShown(priv.Window());
    }, 5000, 200));
    MenuSpy spy;
    ASSERT_TRUE(spy.Ready());
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<ShownItem> items = spy.Read(menu);
    CloseMenu();
    const std::vector<std::string> apps = CaptionsAt(items, 1, 1);
    EXPECT_NE(std::find(apps.begin(), apps.end(), "(desk 1): tray one"), apps.end());
    for (const auto& caption : apps) EXPECT_EQ(caption.find("P_PRIV"), std::string::npos) << caption;
}

TEST_F(TrayWithStickyTest, TrayMenuListsItsItemsAndEveryApplicationWindow) {
    Helper one({.cls = "TessTrayOne", .title = "tray one"});
    Helper sticky({.cls = "TessTraySticky", .title = "tray sticky"});
    Helper popup({.cls = "TessTrayPopup", .title = "tray popup", .popup = true});
    ChildProcess notepad("C:\\windows\\system32\\notepad.exe", "");
    ASSERT_NE(WaitForWindow("", "Notepad", notepad.Pid()), nullptr);
    SwitchTo("-s2");
    ASSERT_TRUE(HiddenSoon(one.Window()));
    Helper two({.cls = "TessTrayTwo", .title = "tray two", .count = 2});
    SwitchTo("-s1");
    ASSERT_TRUE(HiddenSoon(two.Window(0)));
    ASSERT_TRUE(ShownSoon(one.Window()));

    MenuSpy spy;
    ASSERT_TRUE(spy.Ready());
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr) << "a right click on the tray icon opens the tray menu";
    std::vector<ShownItem> items = spy.Read(menu);
    ASSERT_FALSE(items.empty());

    EXPECT_EQ(CaptionsAt(items, 0),
              (std::vector<std::string>{"Application windows", "-", "Configure", "Lost windows", "Event log", "-",
                                        "Help", "Free online support", "About", "-", "Exit (and unify desktops)"}));
    size_t support = IndexOf(items, "Free online support");
    ASSERT_LT(support, items.size());
    EXPECT_EQ(CaptionsAt(items, 1, support + 1), (std::vector<std::string>{"Send me a feedback!", "Request a new feature!"}))
        << "the newsletter and knowledge-base items stay hidden";

    std::vector<std::string> apps = CaptionsAt(items, 1, 1);
    auto has = [&](const std::string& caption) { return std::find(apps.begin(), apps.end(), caption) != apps.end(); };
    EXPECT_TRUE(has("(desk 1): tray one"));
    EXPECT_TRUE(has("(desk 2): tray two 1"));
    EXPECT_TRUE(has("(desk 2): tray two 2"));
    EXPECT_TRUE(has("(sticky): tray sticky"));
    EXPECT_FALSE(has("(desk 1): tray popup")) << "a window without a minimize box is not listed";
    for (const auto& caption : apps) EXPECT_EQ(caption.rfind("(", 0), 0u) << caption;
    size_t notepadItem = IndexOf(items, "(desk 1): " + TitleOf(WaitForWindow("", "Notepad", notepad.Pid())));
    ASSERT_LT(notepadItem, items.size());
    EXPECT_NE(items[notepadItem].flags.find('P'), std::string::npos) << "an item shows its program's icon";
    EXPECT_EQ(items[IndexOf(items, "(desk 1): tray one")].flags.find('P'), std::string::npos)
        << "a program without icons gives an item without a picture";

    // Choosing the window of desktop 2 switches there.
    auto target = std::find(apps.begin(), apps.end(), "(desk 2): tray two 2");
    ASSERT_NE(target, apps.end());
    Keys(menu, {VK_DOWN, VK_RIGHT});
    for (auto i = apps.begin(); i != target; ++i) Keys(menu, {VK_DOWN});
    Keys(menu, {VK_RETURN});
    EXPECT_TRUE(HiddenSoon(one.Window())) << "the window of desktop 1 goes";
    EXPECT_TRUE(ShownSoon(two.Window(0)));
    EXPECT_TRUE(ShownSoon(two.Window(1)));
    EXPECT_TRUE(IsShown(sticky.Window()));
    EXPECT_TRUE(HiddenSoon(WaitForWindow("", "Notepad", notepad.Pid())));

    // The list follows: the menu opened again shows the same windows.
    menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    apps = CaptionsAt(spy.Read(menu), 1, 1);
    EXPECT_TRUE(has("(desk 1): tray one"));
    EXPECT_TRUE(has("(desk 2): tray two 2"));
    CloseMenu();
}

TEST_F(TrayTest, DoubleClickGoesToTheNextDesktopAndWrapsToTheFirst) {
    Helper one({.cls = "TessTrayOne", .title = "on desktop 1"});
    auto doubleClick = [&] { PostTray({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}); };
    // Each switch is seen done before the next double click: one asked for
    // while a switch is pending would be refused.
    doubleClick();
    EXPECT_TRUE(HiddenSoon(one.Window())) << "desktop 2";
    Helper two({.cls = "TessTrayTwo", .title = "on desktop 2"});
    doubleClick();
    EXPECT_TRUE(HiddenSoon(two.Window())) << "desktop 3";
    Helper three({.cls = "TessTrayThree", .title = "on desktop 3"});
    doubleClick();
    EXPECT_TRUE(HiddenSoon(three.Window())) << "desktop 4";
    EXPECT_FALSE(IsShown(one.Window()));
    EXPECT_FALSE(IsShown(two.Window()));
    doubleClick();
    EXPECT_TRUE(ShownSoon(one.Window())) << "after the last desktop comes the first";
    EXPECT_FALSE(IsShown(two.Window()));
    EXPECT_FALSE(IsShown(three.Window()));
    EXPECT_EQ(OpenMenuWindow(), nullptr) << "a double click opens no menu";
}

namespace {
// The colour of the tray icon: the rightmost pixel of the notification area
// that is not the taskbar's own colour.
COLORREF TrayIconColour() {
    HDC screen = ::GetDC(nullptr);
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    COLORREF bar = ::GetPixel(screen, width / 2, height - 3);
    COLORREF found = CLR_INVALID;
    for (int x = width - 3; x > width - 120 && found == CLR_INVALID; --x) {
        COLORREF c = ::GetPixel(screen, x, height - 10);
        if (c != bar && c != RGB(0, 0, 0) && c != CLR_INVALID && c != ::GetSysColor(COLOR_3DSHADOW) &&
            c != ::GetSysColor(COLOR_3DHILIGHT))
            found = c;
    }
    ::ReleaseDC(nullptr, screen);
    return found;
}
}  // namespace

TEST_F(TrayTest, TrayIconShowsTheCurrentDesktopsPicture) {
    // The pictures beside the program paint desktop n in the n-th desktop colour.
    const COLORREF grey = RGB(0xCC, 0xCC, 0xCC), cyan = RGB(0x5D, 0xAD, 0xAD), red = RGB(0xEE, 0x63, 0x63);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconColour() == grey; }, 3000)) << std::hex << TrayIconColour();
    SwitchTo("-s2");
    EXPECT_TRUE(WaitUntil([&] { return TrayIconColour() == cyan; }, 3000)) << std::hex << TrayIconColour();
    SwitchTo("-s3");
    EXPECT_TRUE(WaitUntil([&] { return TrayIconColour() == red; }, 3000)) << std::hex << TrayIconColour();
}

TEST_F(TrayTest, ConfigureAndEventLogOpenTheirWindows) {
    struct Case {
        int downs;   // the item's place among those that can be chosen
        const char* windowClass;
    };
    const Case cases[] = {{2, "TfrmVDConfig"}, {4, "TfrmLog"}};
    for (const auto& c : cases) {
        HWND menu = OpenTrayMenu();
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < c.downs; ++i) Keys(menu, {VK_DOWN});
        Keys(menu, {VK_RETURN});
        HWND w = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            w = ::FindWindowA(c.windowClass, nullptr);
            return w && IsShown(w);
        }, 3000)) << c.windowClass;
        if (w) ::ShowWindow(w, SW_HIDE);
    }
}

// The general page's tabs, opened from the tray: the tab of the sheet shown
// is the chosen one, and choosing the other shows its sheet.
TEST_F(TrayTest, TheSettingsDialogsTabsShowTheSheetChosen) {
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    Keys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});   // "Configure"
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        dialog = ::FindWindowA("TfrmVDConfig", nullptr);
        return dialog && IsShown(dialog);
    }, 3000));
    HWND tabs = FindChild(dialog, [](HWND w) { return ClassOf(w) == "SysTabControl32"; });
    ASSERT_NE(tabs, nullptr);
    HWND engineOption = FindChild(dialog, [](HWND w) { return TitleOf(w) == "Automatically follow window activities"; });
    HWND visualOption = FindChild(dialog, [](HWND w) { return TitleOf(w) == "Large icons in preview window"; });
    ASSERT_NE(engineOption, nullptr);
    ASSERT_NE(visualOption, nullptr);
    EXPECT_EQ(ChosenTab(tabs), 0);
    EXPECT_TRUE(::IsWindowVisible(engineOption));
    ASSERT_TRUE(ChooseTab(tabs, 1));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(engineOption) && ::IsWindowVisible(visualOption); }, 3000));
    ASSERT_TRUE(ChooseTab(tabs, 0));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(engineOption) && !::IsWindowVisible(visualOption); }, 3000));
    ::ShowWindow(dialog, SW_HIDE);
}

TEST_F(TrayTest, ExitFromTheTrayMenuEndsTheProgramAfterTheMenuCloses) {
    Helper one({.cls = "TessTrayOne", .title = "on desktop 1"});
    SwitchTo("-s2");
    ASSERT_TRUE(HiddenSoon(one.Window()));

    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    // Eight items can be chosen; Exit is the last.
    for (int i = 0; i < 8; ++i) Keys(menu, {VK_DOWN});
    Keys(menu, {VK_RETURN});
    EXPECT_EQ(program_->Process().Wait(10000), 0);
    EXPECT_TRUE(IsShown(one.Window())) << "exit unifies the desktops";
    EXPECT_EQ(::FindWindowA("TfrmPTessarel", nullptr), nullptr);
}
