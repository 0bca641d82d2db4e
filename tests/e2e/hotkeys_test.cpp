// Hotkeys and window activity against the running program: keys typed with
// xdotool switch its desktop through the hook library, an activated window
// of another desktop pulls the user there, hotkey messages that make no
// sense change nothing, and the program runs on without its hook library.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "engine/messages.h"
#include "support/e2e.h"

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
struct Placed {
    HWND wnd;
    int desktop;
    std::string log;
    size_t mark;        // its log's length at the latest request for a switch
};

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
// Every helper logs its messages, so that the test can see keys arrive.
class HotkeyTest : public ::testing::Test {
protected:
    void TearDown() override {
        Reset();
        // A copy of the program goes once the program has ended.
        if (!copyFolder_.empty()) RemoveTree(copyFolder_);
    }
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
        current_ = 1;
    }

    // A switch by a second start. It can be seen only through the placed
    // windows: one must lie on the desktop left or on the one reached.
    void SwitchTo(int desktop) {
        ASSERT_TRUE(HasWindowOn(current_) || HasWindowOn(desktop))
            << "nothing shows the switch from " << current_ << " to " << desktop;
        MarkHandOvers();
        ASSERT_EQ(program_->SecondStart("-s" + std::to_string(desktop)), 0);
        ASSERT_TRUE(SoonOn(desktop)) << "to desktop " << desktop;
    }

    // A helper window that belongs to this desktop; the program stays there.
    // It takes the keyboard focus, so that the program remembers it as the
    // desktop's active window when the user leaves.
    HWND OpenOn(int desktop, const std::string& cls) {
        if (desktop != current_) SwitchTo(desktop);
        if (current_ != desktop) return nullptr;
        static int logs = 0;
        const std::string log = TempDir() + cls + "-" + std::to_string(++logs) + ".log";
        auto h = std::make_unique<Helper>(HelperOptions{.cls = cls, .title = cls, .logFile = log});
        if (h->Windows().empty()) {
            ADD_FAILURE() << "no helper window " << cls;
            return nullptr;
        }
        HWND w = h->Window();
        EXPECT_TRUE(TakeKeyboardFocus(w, log)) << cls;
        helpers_.push_back(std::move(h));
        placed_.push_back({w, desktop, log, MessagesIn(log).size()});
        return w;
    }

    // A switch ends by handing the foreground to the last window it showed:
    // the program attaches to that window's input, sets the focus, detaches
    // and has the window repaint, frame included. Keys typed before that
    // repaint may meet the attachment, which reroutes them and clears the
    // window's key state. In the window's log the hand-over is a WM_SETFOCUS,
    // and the repaint after it a WM_PAINT that brings a WM_NCPAINT.
    static bool HandedOverSince(const std::string& log, size_t mark) {
        const auto messages = MessagesIn(log);
        bool focused = false;
        for (size_t i = mark; i < messages.size(); ++i) {
            if (messages[i].message == WM_SETFOCUS) focused = true;
            if (focused && messages[i].message == WM_PAINT && i + 1 < messages.size() &&
                messages[i + 1].message == WM_NCPAINT)
                return true;
        }
        return false;
    }
    // Called before anything that may switch: hand-overs from here on count.
    void MarkHandOvers() {
        for (Placed& p : placed_) p.mark = MessagesIn(p.log).size();
    }

    bool HasWindowOn(int desktop) const {
        for (const Placed& p : placed_)
            if (p.desktop == desktop) return true;
        return false;
    }

    // Every placed window is shown exactly when its desktop is this one.
    bool OnDesktop(int desktop) const {
        for (const Placed& p : placed_)
            if (IsShown(p.wnd) != (p.desktop == desktop)) return false;
        return true;
    }
    // The switch is over once the windows show it and, when the desktop has
    // windows, the program has handed one of them the foreground.
    bool SoonOn(int desktop) {
        const bool done = WaitUntil([&] {
            if (!OnDesktop(desktop)) return false;
            if (!HasWindowOn(desktop)) return true;
            for (const Placed& p : placed_)
                if (p.desktop == desktop && HandedOverSince(p.log, p.mark)) return true;
            return false;
        }, 5000);
        if (done) current_ = desktop;
        return done;
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

    void PostHotkey(WPARAM command) {
        MarkHandOvers();
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, command, 0);
    }

    // Nothing asked for a switch: no hotkey line since `before`, and a switch
    // asked for now is carried out, where a pending one would refuse it.
    bool NothingRequestedSince(int before) {
        const int here = current_;
        int other = 0;
        for (const Placed& p : placed_)
            if (p.desktop != here) other = p.desktop;
        if (other == 0 || !OnDesktop(here)) return false;
        SwitchTo(other);
        SwitchTo(here);
        return current_ == here && HotkeyLogLines() == before;
    }

    const Placed* ShownOn(int desktop) const {
        for (const Placed& p : placed_)
            if (p.desktop == desktop && IsShown(p.wnd)) return &p;
        return nullptr;
    }

    // The user types into the window of the desktop in front, once keys
    // reach it. Under Wine no window takes over the foreground when the one
    // in front is hidden, and keys typed with nothing in front are lost
    // before any hook sees them.
    void TypeOn(int desktop, const std::string& keys) {
        const Placed* target = ShownOn(desktop);
        ASSERT_NE(target, nullptr) << "no window shown on desktop " << desktop;
        ASSERT_TRUE(TakeKeyboardFocus(target->wnd, target->log));
        MarkHandOvers();
        ASSERT_EQ(RunXdotool("key " + keys), 0) << keys;
    }
    // The keys typed so far have passed the keyboard hook: a probe typed
    // after them has reached the window.
    bool KeysHandled(int desktop) const {
        const Placed* target = ShownOn(desktop);
        return target && TakeKeyboardFocus(target->wnd, target->log);
    }
    // The hook let this key through to the window: no hotkey.
    bool KeyReachedWindow(int desktop, WPARAM vk) const {
        const Placed* target = ShownOn(desktop);
        return target && WaitUntil([&] { return HasLogged(target->log, WM_KEYDOWN, vk); }, 5000);
    }

    // A window's own program activates it while its desktop is not current:
    // under Wine the hidden window becomes the foreground window, and the
    // hook sees its activation. The window stays hidden, so no scan moves it.
    // Once the window has its WM_ACTIVATE, the hook has posted its report.
    void ActivateHidden(const Placed& p) {
        ASSERT_FALSE(IsShown(p.wnd));
        auto activations = [&] {
            size_t n = 0;
            for (const LoggedMessage& m : MessagesIn(p.log)) n += m.message == WM_ACTIVATE && m.w == WA_ACTIVE;
            return n;
        };
        const size_t before = activations();
        MarkHandOvers();
        ::PostMessageA(p.wnd, kHelperActivate, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return activations() > before; }, 5000));
    }

    std::unique_ptr<Tessarel> program_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::vector<Placed> placed_;
    int current_ = 1;   // the desktop the placed windows last showed
    std::string copyFolder_;
};

}  // namespace

TEST_F(HotkeyTest, RightControlWithADigitSwitchesByDefault) {
    Start({});
    EXPECT_TRUE(HasModule(program_->Pid(), "PTSH120.dll"));
    OpenOn(1, "TessKeysOne");
    OpenOn(2, "TessKeysTwo");
    SwitchTo(1);

    TypeOn(1, "Control_R+2");
    EXPECT_TRUE(SoonOn(2));
    EXPECT_EQ(NewestLogLine(), "switched to desktop #2 via hotkey");
    TypeOn(2, "Control_R+1");
    EXPECT_TRUE(SoonOn(1));
    // The left Control is not the default mode's key: the window gets the 2.
    TypeOn(1, "Control_L+2");
    EXPECT_TRUE(KeyReachedWindow(1, '2'));
    EXPECT_TRUE(OnDesktop(1));
}

TEST_F(HotkeyTest, ModeFromTheSettingsReplacesTheDefaultKeys) {
    struct Case {
        DWORD mode;
        // To desktop 2 in this mode; none for "no hotkeys!". xdotool reaches
        // a keypad digit by toggling the X server's NumLock; a second toggle
        // leaves it as it was, or the next keypad stroke would be lost.
        const char* keys;
    };
    const Case cases[] = {{kModeCtrlFKeys, "ctrl+F2"}, {kModeNumpad, "KP_2 Num_Lock"}, {kModeNone, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE("hotkeymode " + std::to_string(c.mode));
        Reset();
        Start({{"hotkeymode", c.mode}});
        OpenOn(1, "TessModeOne");
        OpenOn(2, "TessModeTwo");
        SwitchTo(1);
        TypeOn(1, "Control_R+2");
        EXPECT_TRUE(KeyReachedWindow(1, '2')) << "the default keys still switch";
        if (!c.keys) continue;
        TypeOn(1, c.keys);
        EXPECT_TRUE(SoonOn(2)) << c.keys;
    }
}

TEST_F(HotkeyTest, AltChordLeavesTheWindowInFrontOutOfItsMenu) {
    Start({{"hotkeymode", kModeAltDigits}});
    OpenOn(1, "TessAltOne");
    OpenOn(2, "TessAltTwo");
    SwitchTo(1);
    const std::string log = placed_.front().log;

    // The window in front sees Alt go down and come up, never the digit.
    TypeOn(1, "alt+2");
    EXPECT_TRUE(SoonOn(2));
    // Back in front, it takes the next key as typed; by then it has read
    // every key before it.
    SwitchTo(1);
    TypeOn(1, "x");
    EXPECT_TRUE(KeyReachedWindow(1, 'X')) << "the next key went elsewhere";
    EXPECT_FALSE(HasLogged(log, WM_SYSKEYDOWN, '2'));
    EXPECT_FALSE(HasLogged(log, WM_KEYDOWN, '2'));
    for (const LoggedMessage& r : MessagesIn(log)) {
        EXPECT_NE(r.message, static_cast<UINT>(WM_ENTERMENULOOP));
        if (r.message == WM_SYSCOMMAND) {
            EXPECT_NE(r.w & 0xFFF0, static_cast<WPARAM>(SC_KEYMENU));
        }
    }
}

TEST_F(HotkeyTest, CursorKeysMoveToTheNeighbourInTheGrid) {
    struct Step {
        const char* keys;
        int desktop;        // current afterwards
        const char* log;    // the line it logs; none when there is no neighbour
    };
    struct Run {
        DWORD wrap;
        std::vector<int> desktops;   // with a window each, in rising order
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
        for (int d : run.desktops) OpenOn(d, "TessGrid" + std::to_string(d));
        SwitchTo(1);
        for (const Step& s : run.steps) {
            SCOPED_TRACE(s.keys);
            const int before = HotkeyLogLines();
            const int from = current_;
            TypeOn(from, s.keys);
            if (s.log) {
                EXPECT_TRUE(SoonOn(s.desktop)) << "to desktop " << s.desktop;
                EXPECT_EQ(NewestLogLine(), s.log);
            } else {
                EXPECT_TRUE(KeysHandled(from));
                EXPECT_TRUE(NothingRequestedSince(before)) << "logged without a neighbour";
            }
        }
    }
}

// The activation of an ignored (or unwatched) window must not pull the user
// to desktop 2. Once the window has seen its activation, the program has the
// report, and a switch asked for after it is carried out only if no pull is
// pending: a pending switch refuses the next request.
TEST_F(HotkeyTest, FollowModePullsTheUserToAnActivatedWindowUnlessItIsIgnored) {
    Start({{"autofollow", 1}}, {{"Tessareltop.ign", "TESSIGNORED\r\n"}});
    OpenOn(1, "TessFollowHome");
    HWND ignored = OpenOn(2, "TessIgnored");
    OpenOn(2, "TessFollowed");
    OpenOn(3, "TessFollowAway");

    ActivateHidden(placed_[1]);
    SwitchTo(1);
    EXPECT_FALSE(IsShown(ignored)) << "an ignored window pulled the user away";

    // The window pulling the user is in front already: no hand-over to wait for.
    ActivateHidden(placed_[2]);
    EXPECT_TRUE(WaitUntil([&] { return OnDesktop(2); }, 5000));
}

TEST_F(HotkeyTest, WithoutFollowModeOnlyWatchedWindowsPullTheUser) {
    Start({}, {{"Tessareltop.wat", "TESSWATCHED\r\n"}});
    OpenOn(1, "TessWatchHome");
    HWND unwatched = OpenOn(2, "TessUnwatched");
    OpenOn(2, "TessWatched");
    OpenOn(3, "TessWatchAway");

    ActivateHidden(placed_[1]);
    SwitchTo(1);
    EXPECT_FALSE(IsShown(unwatched)) << "an unwatched window pulled the user away";

    // The window pulling the user is in front already: no hand-over to wait for.
    ActivateHidden(placed_[2]);
    EXPECT_TRUE(WaitUntil([&] { return OnDesktop(2); }, 5000));
}

TEST_F(HotkeyTest, HotkeyMessagesWithoutATargetChangeNothing) {
    Start({{"layoutid", kLayout2x3}});   // desktops 1 2 / 3 4 / 5 6
    OpenOn(1, "TessEdgeOne");
    OpenOn(2, "TessEdgeTwo");
    OpenOn(6, "TessEdgeSix");
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
        const int before = HotkeyLogLines();
        for (WPARAM command : c.commands) PostHotkey(command);
        EXPECT_TRUE(NothingRequestedSince(before));
    }
    // The same way in, a command with a target switches.
    PostHotkey(2);
    EXPECT_TRUE(SoonOn(2));
    EXPECT_EQ(NewestLogLine(), "switched to desktop #2 via hotkey");
}

TEST_F(HotkeyTest, HotkeysAfterTheExitBeganLeaveEveryWindowShown) {
    Start({});
    HWND one = OpenOn(1, "TessExitOne");
    HWND two = OpenOn(2, "TessExitTwo");
    SwitchTo(1);
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
    copyFolder_ = folder;
    CopyProgramFiles(BinDir(), folder);
    ASSERT_NE(::GetFileAttributesA((folder + "Tessareltop.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(::GetFileAttributesA((folder + "PTSH120.dll").c_str()), INVALID_FILE_ATTRIBUTES);

    Start({}, {}, folder + "Tessareltop.exe");
    const DWORD pid = program_->Pid();
    EXPECT_TRUE(HasModule(pid, "Tessareltop.exe"));
    EXPECT_FALSE(HasModule(pid, "PTSH120.dll"));
    // Nothing is said about the missing library: no message box waits.
    for (HWND w : WindowsOfProcess(pid)) EXPECT_NE(ClassOf(w), "#32770") << TitleOf(w);

    HWND one = OpenOn(1, "TessAloneOne");
    HWND two = OpenOn(2, "TessAloneTwo");
    SwitchTo(1);
    TypeOn(1, "Control_R+2");
    EXPECT_TRUE(KeyReachedWindow(1, '2')) << "a hotkey without the library";
    SwitchTo(2);
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(FindMainWindow(), nullptr);
    EXPECT_TRUE(IsShown(one));
    EXPECT_TRUE(IsShown(two));
}
