// Help as a user meets it in the running program: the main menu's Help, the
// preview's help button and F1, the settings dialog's Help button and F1 on
// its pages each open their topic of the help file in a help window; the
// help debug log, switched on from the command line or by a marker file
// beside the program, records the system report and every call.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr UINT kTrayCallback = 0xB054;
constexpr char kHelpWindowClass[] = "HH Parent";

std::string LogPath() { return BinDir() + "HHDebug.txt"; }
std::string MarkerPath() { return BinDir() + "debug.debug"; }
std::string HelpFile() { return BinDir() + "tessarel.chm"; }

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The log's lines; a timed line loses its three blanks and time.
std::vector<std::string> LogLines() {
    std::ifstream in(LogPath(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::vector<std::string> CallLines() {
    std::vector<std::string> out;
    for (std::string line : LogLines()) {
        const size_t time = line.rfind("   ");
        if (time == std::string::npos || time == 0) continue;   // the report's lines carry no time
        line.resize(time);
        out.push_back(line);
    }
    return out;
}

// The three lines of one call for a topic of the program's help file.
std::vector<std::string> TopicCall(const std::string& topic) {
    return {"HHHelpContext(\"" + HelpFile() + "\", " + topic + ", \"\", 0)",
            "ShowTopic(\"" + HelpFile() + "::/" + topic + "\", 0)", "  returned - 0"};
}

// A file that exists beside the program for one test.
struct MarkerFile {
    MarkerFile() { std::ofstream(MarkerPath()).flush(); }
    ~MarkerFile() { ::DeleteFileA(MarkerPath().c_str()); }
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        ::DeleteFileA(MarkerPath().c_str());
        WriteSetting("layoutid", 1);      // "1 x 4"
        WriteSetting("showsplash", 0);
        WriteSetting("bubblelevel", 0);   // no event bubbles over the notification area
    }
    void TearDown() override {
        CloseMenu();
        program_.reset();
    }
    void Start(const std::string& args) {
        program_ = std::make_unique<Tessarel>(args, false);
        ASSERT_NE(program_->MainWindow(), nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    DWORD Pid() const { return program_->Pid(); }

    // The program's visible windows of a class.
    HWND ShownWindow(const std::string& cls) const {
        for (const auto& w : TopWindows())
            if (w.pid == Pid() && w.cls == cls && w.visible) return w.wnd;
        return nullptr;
    }
    HWND WaitForHelpWindow() const {
        HWND help = nullptr;
        WaitUntil([&] { return (help = ShownWindow(kHelpWindowClass)) != nullptr; }, 10000);
        return help;
    }
    // A user closes the help window.
    void CloseHelpWindow(HWND help) const {
        ::PostMessageA(help, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(help); }, 5000));
    }
    // The call lines written since `before`, once the call is complete.
    std::vector<std::string> CallsSince(size_t before, size_t count = 3) const {
        std::vector<std::string> lines;
        WaitUntil([&] {
            lines = CallLines();
            return lines.size() >= before + count;
        }, 5000);
        return lines.size() > before ? std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end())
                                     : std::vector<std::string>{};
    }
    // Opening a topic: the call is logged and the help window comes up.
    void ExpectTopicShown(size_t before, const std::string& topic) {
        EXPECT_EQ(CallsSince(before), TopicCall(topic));
        HWND help = WaitForHelpWindow();
        ASSERT_NE(help, nullptr) << topic;
        CloseHelpWindow(help);
    }

    void PostTray(std::initializer_list<UINT> mouseMessages) {
        for (UINT m : mouseMessages)
            for (const auto& w : TopWindows())
                if (w.pid == Pid() && w.cls == "TPUtilWindow") ::PostMessageA(w.wnd, kTrayCallback, 0, m);
    }
    // Opens the tray menu and chooses its n-th item that can be chosen.
    void ChooseTrayItem(int n) {
        PostTray({WM_RBUTTONDOWN, WM_RBUTTONUP});
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = ShownWindow("#32768")) != nullptr; }, 5000));
        for (int i = 0; i < n; ++i) Key(menu, VK_DOWN);
        Key(menu, VK_RETURN);
    }
    void Key(HWND menu, WPARAM key) {
        ::PostMessageA(menu, WM_KEYDOWN, key, 0);
        Pump(30);
    }
    void CloseMenu() {
        if (!program_) return;
        for (int i = 0; i < 3; ++i)
            if (HWND menu = ShownWindow("#32768")) Key(menu, VK_ESCAPE);
        WaitUntil([&] { return ShownWindow("#32768") == nullptr; }, 2000);
    }
    HWND OpenSettings() {
        ChooseTrayItem(2);   // "Configure"
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = ShownWindow("TfrmVDConfig")) != nullptr; }, 5000);
        return dialog;
    }
    void Click(HWND dialog, const std::string& caption) {
        HWND button = ChildByText(dialog, caption);
        ASSERT_NE(button, nullptr) << caption;
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }

    std::unique_ptr<Tessarel> program_;
};

}  // namespace

TEST_F(HelpTest, TheDebugSwitchWritesTheReportBesideTheProgram) {
    Start("-DEBUG");
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "Filename:             \t" + LogPath());
    EXPECT_EQ(lines[2].substr(0, 35), "Operating System:      \tWindows NT ");
    EXPECT_EQ(lines[7], std::string(79, '-'));
    EXPECT_EQ(lines[9], "Cmdline Param(s) =  \t-DEBUG");
    EXPECT_EQ(lines[11], "_ModuleName =       \tTessareltop.exe");
    EXPECT_EQ(lines[12] + "\\", "_ModuleDir =        \t" + BinDir());
    EXPECT_EQ(lines[14], "_hhInstalled =      \tYES");
    EXPECT_NE(lines[15], "_hhVerStr =         \t") << "the control's version";
    EXPECT_NE(lines[16], "_hhFriendlyVerStr = \t");
    EXPECT_EQ(lines[21], std::string(79, '='));

    // A second start leaves the running program's log alone.
    ASSERT_EQ(program_->SecondStart("-s2 -debug"), 0);
    EXPECT_EQ(LogLines(), lines);
}

TEST_F(HelpTest, TheMarkerFileSwitchesTheLogOnAndAPlainStartDeletesTheLastLog) {
    {
        MarkerFile marker;
        Start("");
        ASSERT_EQ(LogLines().size(), 22u) << "the report";
        EXPECT_EQ(LogLines()[9], "Cmdline Param(s) =  \t");
        program_.reset();
    }
    ASSERT_TRUE(Exists(LogPath()));
    Start("");
    EXPECT_FALSE(Exists(LogPath())) << "the log of the last run goes at every start";
}

TEST_F(HelpTest, TheMainMenusHelpOpensThePreviewTopic) {
    Start("/debug");
    const size_t before = CallLines().size();
    ChooseTrayItem(5);   // "Help"
    ExpectTopicShown(before, "deskprev.htm");
}

TEST_F(HelpTest, ThePreviewsHelpButtonAndF1CloseThePreviewAndOpenItsTopic) {
    Start("-debug");
    const HWND main = program_->MainWindow();
    auto openPreview = [&] {
        // The preview opens in the screen's bottom right corner next to the
        // taskbar; with the mouse resting there it does not close by itself.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 8, ::GetSystemMetrics(SM_CYSCREEN) - 40);
        PostTray({WM_LBUTTONDOWN, WM_LBUTTONUP});
        return WaitUntil([&] { return IsShown(main); }, 5000);
    };

    ASSERT_TRUE(openPreview());
    size_t before = CallLines().size();
    // The "?" button on the preview's left bar, below the close button.
    const LPARAM at = MAKELPARAM(12, 36);
    ::PostMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(main, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(main); }, 5000)) << "the preview closes";
    ExpectTopicShown(before, "deskprev.htm");

    ASSERT_TRUE(openPreview());
    before = CallLines().size();
    ::PostMessageA(main, WM_KEYUP, VK_F1, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(main); }, 5000)) << "the preview closes";
    ExpectTopicShown(before, "deskprev.htm");
}

TEST_F(HelpTest, TheSettingsDialogOpensTheTopicOfThePageShown) {
    Start("-debug");
    HWND dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);

    HWND tabs = FindChild(dialog, [](HWND w) { return ClassOf(w) == "SysTabControl32"; });
    ASSERT_NE(tabs, nullptr) << "the general page's tabs";
    struct Case {
        const char* page;   // the button that shows the page
        int tab;            // the general page's tab, or -1
        const char* topic;
    };
    const Case cases[] = {
        {"General", 0, "settings_general.htm"},
        {"General", 1, "settings_general_2.htm"},
        {"Hotkeys", -1, "settings_hotkeys.htm"},
        {"Lists", -1, "settings_watch.htm"},
        {"Private", -1, "settings_private.htm"},
    };
    for (const Case& c : cases) {
        Click(dialog, c.page);
        if (c.tab >= 0) {
            ASSERT_TRUE(ChooseTab(tabs, c.tab)) << c.topic;
        }
        const size_t before = CallLines().size();
        Click(dialog, "     Help     ");
        ExpectTopicShown(before, c.topic);
    }

    // F1 released on one of the dialog's controls: the dialog sees it first.
    Click(dialog, "Sticky");
    HWND control = ChildByText(dialog, "      OK      ");
    ASSERT_NE(control, nullptr);
    const size_t before = CallLines().size();
    ::PostMessageA(control, WM_KEYDOWN, VK_F1, 0);
    ::PostMessageA(control, WM_KEYUP, VK_F1, 0);
    ExpectTopicShown(before, "settings_sticky.htm");
}

TEST_F(HelpTest, TheProgramEndsCleanlyWithAHelpWindowOpen) {
    Start("");
    ChooseTrayItem(5);   // "Help"
    ASSERT_NE(WaitForHelpWindow(), nullptr);
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(ShownWindow(kHelpWindowClass), nullptr);
}
