// Hotkeys and window activity against the running program: keys typed with
// xdotool switch its desktop through the hook library, an activated window
// of another desktop pulls the user there, hotkey messages that make no
// sense change nothing, and the program runs on without its hook library.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "engine/messages.h"
#include "support/e2e.h"
#include "support/helper_log.h"

using namespace e2e;

namespace {

// Item indexes of "layoutid" and "hotkeymode".
constexpr DWORD kLayout2x3 = 2, kLayout3x3 = 4;
constexpr DWORD kModeNone = 0, kModeAltDigits = 1, kModeCtrlFKeys = 6, kModeCtrlCursor = 7, kModeNumpad = 12;

struct Setting {
    const char* name;
    DWORD value;
};
struct DataFile {
    const char* name;
    const char* text;
};

bool HasModule(DWORD pid, const std::string& name) {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 me{};
    me.dwSize = sizeof me;
    bool found = false;
    for (BOOL more = ::Module32First(snap, &me); more && !found; more = ::Module32Next(snap, &me))
        found = ::lstrcmpiA(me.szModule, name.c_str()) == 0;
    ::CloseHandle(snap);
    return found;
}

// Copies the program and what lies beside it (pictures, help, texts), but
// no other program and no library.
void CopyProgramFiles(const std::string& from, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((from + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyProgramFiles(from + name + "\\", to + name + "\\");
            continue;
        }
        std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
        bool code = ::lstrcmpiA(ext.c_str(), ".exe") == 0 || ::lstrcmpiA(ext.c_str(), ".dll") == 0;
        if (!code || name == "Tessareltop.exe") ::CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

// The program started clean with some settings and data files, and helper
// windows placed on desktops by opening each while its desktop is current.
// A helper window is shown exactly while its desktop is the current one.
class HotkeyTest : public ::testing::Test {
protected:
    void TearDown() override { Reset(); }
    // Ends the program first, so that it unifies while the helpers live.
    void Reset() {
        program_.reset();
        helpers_.clear();
        placed_.clear();
    }

    void Start(std::initializer_list<Setting> values, std::initializer_list<DataFile> files = {},
               const std::string& exePath = {}) {
        ResetUserState();
        WriteSetting("showsplash", 0);
        for (const Setting& s : values) WriteSetting(s.name, s.value);
        for (const DataFile& f : files) ASSERT_TRUE(WriteDataFile(f.name, f.text)) << f.name;
        program_ = exePath.empty() ? std::make_unique<Tessarel>("", false) : std::make_unique<Tessarel>("", false, exePath);
        ASSERT_NE(program_->MainWindow(), nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }

    void SwitchTo(int desktop) {
        ASSERT_EQ(program_->SecondStart("-s" + std::to_string(desktop)), 0);
        program_->WaitTicks(3);
    }

    // A helper window that belongs to this desktop; the program stays there.
    HWND OpenOn(int desktop, const std::string& cls, const std::string& logFile = {}) {
        SwitchTo(desktop);
        auto h = std::make_unique<Helper>(HelperOptions{.cls = cls, .title = cls, .logFile = logFile});
        if (h->Windows().empty()) {
            ADD_FAILURE() << "no helper window " << cls;
            return nullptr;
        }
        HWND w = h->Window();
        program_->WaitTicks(2);
        helpers_.push_back(std::move(h));
        placed_.push_back({w, desktop});
        return w;
    }

    // Every placed window is shown exactly when its desktop is this one.
    bool OnDesktop(int desktop) const {
        for (const auto& [w, d] : placed_)
            if (IsShown(w) != (d == desktop)) return false;
        return true;
    }
    bool SoonOn(int desktop) const { return WaitUntil([&] { return OnDesktop(desktop); }, 3000); }
    // Long enough for a request to reach the next tick and be carried out.
    bool StillOn(int desktop) const {
        program_->WaitTicks(4);
        return OnDesktop(desktop);
    }

    int HotkeyLogLines() const {
        int n = 0;
        for (const std::string& l : EventLogLines(program_->Pid()))
            if (l.find(" via hotkey") != std::string::npos) ++n;
        return n;
    }
    std::string NewestLogLine() const {
        auto lines = EventLogLines(program_->Pid());
        return lines.empty() ? std::string() : lines.front();
    }

    void PostHotkey(WPARAM command) const { ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, command, 0); }

    // The user types into a window of the desktop in front. Under Wine no
    // window takes over the foreground when the one in front is hidden, and
    // keys typed with nothing in front can be lost before any hook sees them.
    void TypeOn(int desktop, const std::string& keys) const {
        HWND target = nullptr;
        for (const auto& [w, d] : placed_)
            if (d == desktop && IsShown(w)) target = w;
        ASSERT_NE(target, nullptr) << "no window shown on desktop " << desktop;
        ::SetForegroundWindow(target);
        ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == target; }, 3000));
        Pump(100);
        ASSERT_EQ(RunXdotool("key " + keys), 0) << keys;
    }

    std::unique_ptr<Tessarel> program_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::vector<std::pair<HWND, int>> placed_;
};

// The messages a helper window received, from its log.
struct Received {
    UINT message;
    WPARAM w;
};
std::vector<Received> MessagesIn(const std::string& logFile) {
    std::vector<Received> out;
    for (const HelperMessage& m : ReadHelperLog(logFile)) out.push_back({m.message, m.w});
    return out;
}

// A window's own program activates it while its desktop is not current:
// under Wine the hidden window becomes the foreground window, and the hook
// sees its activation. The window stays hidden, so no scan moves it.
void ActivateHidden(HWND w) {
    ASSERT_FALSE(IsShown(w));
    ::PostMessageA(w, kHelperActivate, 0, 0);
}

}  // namespace

TEST_F(HotkeyTest, RightControlWithADigitSwitchesByDefault) {
    Start({});
    EXPECT_TRUE(HasModule(program_->Pid(), "PTSH120.dll"));
    OpenOn(2, "TessKeysTwo");
    OpenOn(1, "TessKeysOne");
    ASSERT_TRUE(OnDesktop(1));

    TypeOn(1, "Control_R+2");
    EXPECT_TRUE(SoonOn(2));
    EXPECT_EQ(NewestLogLine(), "switched to desktop #2 via hotkey");
    TypeOn(2, "Control_R+1");
    EXPECT_TRUE(SoonOn(1));
    // The left Control is not the default mode's key.
    TypeOn(1, "Control_L+2");
    EXPECT_TRUE(StillOn(1));
}

TEST_F(HotkeyTest, ModeFromTheSettingsReplacesTheDefaultKeys) {
    struct Case {
        DWORD mode;
        const char* keys;   // to desktop 2 in this mode; none for "no hotkeys!"
    };
    const Case cases[] = {{kModeCtrlFKeys, "ctrl+F2"}, {kModeNumpad, "KP_2"}, {kModeNone, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE("hotkeymode " + std::to_string(c.mode));
        Reset();
        Start({{"hotkeymode", c.mode}});
        OpenOn(2, "TessModeTwo");
        OpenOn(1, "TessModeOne");
        TypeOn(1, "Control_R+2");
        EXPECT_TRUE(StillOn(1)) << "the default keys still switch";
        if (!c.keys) continue;
        TypeOn(1, c.keys);
        EXPECT_TRUE(SoonOn(2)) << c.keys;
    }
}

TEST_F(HotkeyTest, AltChordLeavesTheWindowInFrontOutOfItsMenu) {
    Start({{"hotkeymode", kModeAltDigits}});
    OpenOn(2, "TessAltTwo");
    const std::string log = TempDir() + "alt-chord.log";
    OpenOn(1, "TessAltOne", log);

    // The window in front sees Alt go down and come up, never the digit.
    TypeOn(1, "alt+2");
    EXPECT_TRUE(SoonOn(2));
    for (const Received& r : MessagesIn(log)) {
        EXPECT_NE(r.message, static_cast<UINT>(WM_ENTERMENULOOP));
        if (r.message == WM_SYSCOMMAND) {
            EXPECT_NE(r.w & 0xFFF0, static_cast<WPARAM>(SC_KEYMENU));
        }
    }
    // Back in front, it takes the next key as typed.
    SwitchTo(1);
    TypeOn(1, "x");
    EXPECT_TRUE(WaitUntil([&] {
        for (const Received& r : MessagesIn(log))
            if (r.message == WM_KEYDOWN && r.w == 'X') return true;
        return false;
    }, 3000)) << "the next key went elsewhere";
}

TEST_F(HotkeyTest, CursorKeysMoveToTheNeighbourInTheGrid) {
    struct Step {
        const char* keys;
        int desktop;        // current afterwards
        const char* log;    // the line it logs; none when there is no neighbour
    };
    struct Run {
        DWORD wrap;
        std::vector<int> desktops;   // with a window each
        std::vector<Step> steps;     // from desktop 1 of a 3 x 3 grid
    };
    const Run runs[] = {
        {0, {1, 2, 3, 5, 6},
         {{"ctrl+Left", 1, nullptr},
          {"ctrl+Up", 1, nullptr},
          {"ctrl+Right", 2, "switch to desktop located to the right via hotkey"},
          {"ctrl+Right", 3, "switch to desktop located to the right via hotkey"},
          {"ctrl+Right", 3, nullptr},
          {"ctrl+Down", 6, "switch to desktop located below via hotkey"},
          {"ctrl+Left", 5, "switch to desktop located to the left via hotkey"}}},
        {1, {1, 3, 7},
         {{"ctrl+Left", 3, "switch to desktop located to the left via hotkey [wrap]"},
          {"ctrl+Right", 1, "switch to desktop located to the right via hotkey [wrap]"},
          {"ctrl+Up", 7, "switch to desktop located above via hotkey [wrap]"},
          {"ctrl+Down", 1, "switch to desktop located below via hotkey [wrap]"}}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE("wrap " + std::to_string(run.wrap));
        Reset();
        Start({{"hotkeymode", kModeCtrlCursor}, {"layoutid", kLayout3x3}, {"wrap", run.wrap}});
        for (auto it = run.desktops.rbegin(); it != run.desktops.rend(); ++it)
            OpenOn(*it, "TessGrid" + std::to_string(*it));
        ASSERT_TRUE(OnDesktop(1));
        int current = 1;
        for (const Step& s : run.steps) {
            SCOPED_TRACE(s.keys);
            const int before = HotkeyLogLines();
            TypeOn(current, s.keys);
            current = s.desktop;
            if (s.log) {
                EXPECT_TRUE(SoonOn(s.desktop)) << "to desktop " << s.desktop;
                EXPECT_EQ(NewestLogLine(), s.log);
            } else {
                EXPECT_TRUE(StillOn(s.desktop));
                EXPECT_EQ(HotkeyLogLines(), before) << "logged without a neighbour";
            }
        }
    }
}

TEST_F(HotkeyTest, FollowModePullsTheUserToAnActivatedWindowUnlessItIsIgnored) {
    Start({{"autofollow", 1}}, {{"Tessareltop.ign", "TESSIGNORED\r\n"}});
    HWND ignored = OpenOn(2, "TessIgnored");
    HWND followed = OpenOn(2, "TessFollowed");
    HWND home = OpenOn(1, "TessFollowHome");
    ASSERT_TRUE(OnDesktop(1));

    ActivateHidden(ignored);
    program_->WaitTicks(4);
    EXPECT_TRUE(IsShown(home)) << "an ignored window pulled the user away";

    ActivateHidden(followed);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(home) && IsShown(followed); }, 3000));
}

TEST_F(HotkeyTest, WithoutFollowModeOnlyWatchedWindowsPullTheUser) {
    Start({}, {{"Tessareltop.wat", "TESSWATCHED\r\n"}});
    HWND unwatched = OpenOn(2, "TessUnwatched");
    HWND watched = OpenOn(2, "TessWatched");
    HWND home = OpenOn(1, "TessWatchHome");
    ASSERT_TRUE(OnDesktop(1));

    ActivateHidden(unwatched);
    program_->WaitTicks(4);
    EXPECT_TRUE(IsShown(home)) << "an unwatched window pulled the user away";

    ActivateHidden(watched);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(home) && IsShown(watched); }, 3000));
}

TEST_F(HotkeyTest, HotkeyMessagesWithoutATargetChangeNothing) {
    Start({{"layoutid", kLayout2x3}});   // desktops 1 2 / 3 4 / 5 6
    OpenOn(6, "TessEdgeSix");
    OpenOn(2, "TessEdgeTwo");
    OpenOn(1, "TessEdgeOne");
    struct Case {
        int desktop;
        std::vector<WPARAM> commands;
    };
    const Case cases[] = {
        // No desktop 0, none above the six, no commands 10 or 15..22, 26;
        // left and up from the top-left corner. A wParam beyond 32 bits
        // did not come from the library, even when its low half is 2.
        {1, {0, 7, 9, 10, 15, 22, 26, 12, 13, static_cast<WPARAM>(-1),
             sizeof(WPARAM) > 4 ? static_cast<WPARAM>(0x100000002ull) : static_cast<WPARAM>(-2)}},
        {2, {11, 13}},   // top-right corner: right and up
        {6, {11, 14}},   // bottom-right corner: right and down
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("on desktop " + std::to_string(c.desktop));
        SwitchTo(c.desktop);
        ASSERT_TRUE(SoonOn(c.desktop));
        for (WPARAM command : c.commands) PostHotkey(command);
        EXPECT_TRUE(StillOn(c.desktop));
        EXPECT_EQ(HotkeyLogLines(), 0);
    }
    // The same way in, a command with a target switches.
    PostHotkey(2);
    EXPECT_TRUE(SoonOn(2));
    EXPECT_EQ(NewestLogLine(), "switched to desktop #2 via hotkey");
}

TEST_F(HotkeyTest, HotkeysAfterTheExitBeganLeaveEveryWindowShown) {
    Start({});
    HWND two = OpenOn(2, "TessExitTwo");
    HWND one = OpenOn(1, "TessExitOne");
    HWND main = program_->MainWindow();
    // Queued behind the exit: handled, if at all, once it has begun.
    ::PostMessageA(main, engine::WM_KILL_INSTANCE, 0, 0);
    ::PostMessageA(main, engine::WM_HOOK_HOTKEY, 2, 0);
    ::PostMessageA(main, engine::WM_SWITCH_DESKTOP, '2', 0);
    ::PostMessageA(main, engine::WM_HOOK_ACTIVATE, reinterpret_cast<WPARAM>(two), 1);
    EXPECT_EQ(program_->Process().Wait(15000), 0);
    EXPECT_TRUE(IsShown(one));
    EXPECT_TRUE(IsShown(two));
}

TEST_F(HotkeyTest, ProgramRunsWithoutItsHookLibrary) {
    const std::string folder = TempDir() + "without-library\\";
    CopyProgramFiles(BinDir(), folder);
    ASSERT_NE(::GetFileAttributesA((folder + "Tessareltop.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(::GetFileAttributesA((folder + "PTSH120.dll").c_str()), INVALID_FILE_ATTRIBUTES);

    Start({}, {}, folder + "Tessareltop.exe");
    const DWORD pid = program_->Pid();
    EXPECT_TRUE(HasModule(pid, "Tessareltop.exe"));
    EXPECT_FALSE(HasModule(pid, "PTSH120.dll"));
    // Nothing is said about the missing library: no message box waits.
    for (HWND w : WindowsOfProcess(pid)) EXPECT_NE(ClassOf(w), "#32770") << TitleOf(w);

    HWND two = OpenOn(2, "TessAloneTwo");
    HWND one = OpenOn(1, "TessAloneOne");
    ASSERT_TRUE(OnDesktop(1));
    TypeOn(1, "Control_R+2");
    EXPECT_TRUE(StillOn(1)) << "a hotkey without the library";
    SwitchTo(2);
    EXPECT_TRUE(SoonOn(2));
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(FindMainWindow(), nullptr);
    EXPECT_TRUE(IsShown(one));
    EXPECT_TRUE(IsShown(two));
}


