// The application list against the running program: it opens on its hotkey
// (Ctrl + Left Windows by default), on its gesture and on a double tap, shows
// every application window on the tile of its desktop and none of a window
// its program hid, switches to the clicked window and brings it forward,
// and hides 2 seconds after the mouse has left it. A window of a locked
// private desktop shows neither its title nor itself without the password.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "engine/messages.h"
#include "navigation/enter_pwd.h"
#include "support/program_test.h"

using namespace e2e;

namespace {

constexpr char kPassword[] = "open sesame";
const std::string kCentre = "mousemove 640 512";

// What the tiles show: the desktop's number (or "-") and the title.
std::vector<std::string> TileTexts(HWND list) {
    std::vector<std::string> texts;
    for (HWND tile : ChildrenOfClass(list, "TTilePanel")) texts.push_back(TitleOf(tile));
    return texts;
}

bool HasTileWith(HWND list, const std::string& part) {
    const auto texts = TileTexts(list);
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// Whether a lies above b in the Z order of the top-level windows.
bool IsAbove(HWND a, HWND b) {
    for (HWND w = ::GetWindow(a, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
        if (w == b) return true;
    return false;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const auto& t : texts) all += "[" + t + "] ";
    return all;
}

// Three desktops with a window each, and on desktop 1 a window that its
// program hid again: desktop 1 is current at the end.
class AppListTest : public ProgramTest {
protected:
    void SetUp() override {
        ReleaseStuckKeys();
        ASSERT_EQ(RunXdotool(kCentre), 0);
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        list_ = WaitForWindow("", "TfrmAppList", program_->Pid(), 15000);
        ASSERT_NE(list_, nullptr);
    }
    void TearDown() override {
        program_.reset();
        helpers_.clear();
        RunXdotool("keyup ctrl keyup super mouseup 2 " + kCentre);
    }
    Helper& Open(const HelperOptions& o) {
        helpers_.push_back(std::make_unique<Helper>(o));
        return *helpers_.back();
    }
    // A window on each of desktops 1 to 3, and one its program hid on 1.
    void OpenThreeDesktops() {
        one_ = &Open({.cls = "TessListOne", .title = "on one", .logFile = TempDir() + "list-one.log"});
        gone_ = &Open({.cls = "TessListGone", .title = "hid itself"});
        ::PostMessageA(gone_->Window(), kHelperHide, 0, 0);
        ASSERT_TRUE(HiddenSoon(gone_->Window()));
        // The switch's tick scans first: it sees the hidden window hidden.
        SwitchTo("-s2", {}, {one_->Window()});
        two_ = &Open({.cls = "TessListTwo", .title = "on two"});
        SwitchTo("-s3", {}, {two_->Window()});
        three_ = &Open({.cls = "TessListThree", .title = "on three"});
        SwitchTo("-s1", {one_->Window()}, {two_->Window(), three_->Window()});
    }
    // The program has met the window: a switch away hides it and the switch
    // back shows it.
    void Settle(const Helper& h) {
        SwitchTo("-s2", {}, {h.Window()});
        SwitchTo("-s1", {h.Window()}, {});
    }
    // The chord hotkey's message, as the hook library posts it. The keys
    // themselves becoming this message are the hook library's own tests.
    void OpenWithMessage() {
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrlWin, 0);
        ASSERT_TRUE(ShownSoon(list_));
    }

    HWND list_ = nullptr;
    std::vector<std::unique_ptr<Helper>> helpers_;
    Helper* one_ = nullptr;
    Helper* gone_ = nullptr;
    Helper* two_ = nullptr;
    Helper* three_ = nullptr;
};

class DoubleTapListTest : public AppListTest {
protected:
    void Prepare() override { WriteSetting("hotkeyapplist", 1); }   // "Doublehit ctrl"
};

class PrivateListTest : public AppListTest {
protected:
    void Prepare() override {
        // A group is read only with its first desktop's value.
        WriteSetting("locked1", 0);
        WriteSetting("locked2", 1);
        std::string digest = navigation::HashLockPassword(kPassword);
        HKEY k = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                          nullptr);
        ::RegSetValueExA(k, "pwdlocal", 0, REG_SZ, reinterpret_cast<const BYTE*>(digest.c_str()),
                         static_cast<DWORD>(digest.size() + 1));
        ::RegCloseKey(k);
    }
    void TearDown() override {
        if (program_) EndWithPassword();
        AppListTest::TearDown();
    }
    // Types the password into the prompt and presses Enter, as the user does.
    static void AnswerWithPassword(HWND prompt) {
        HWND edit = ::FindWindowExA(prompt, nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
        ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    }
    // The program ends as its user ends it: "-kill", and the password for
    // each prompt it shows on the way out (the unify, then the exit). It is
    // never killed: a killed program leaves its hooks behind under Wine.
    void EndWithPassword() {
        ASSERT_EQ(program_->SecondStart("-kill"), 0);
        ChildProcess& process = program_->Process();
        const DWORD pid = program_->Pid();
        EXPECT_TRUE(WaitUntil([&] {
            if (!process.Running()) return true;
            for (HWND w : WindowsOfProcess(pid)) {
                if (ClassOf(w) != "TfrmEnterPwd" || !IsShown(w)) continue;
                AnswerWithPassword(w);
                HiddenSoon(w);
            }
            return false;
        }, 30000)) << "the program did not end with the password given";
    }
};

}  // namespace

TEST_F(AppListTest, ItsHotkeyShowsEveryWindowOnItsDesktopAndAClickGoesThere) {
    OpenThreeDesktops();
    if (HasFatalFailure()) return;
    OpenWithMessage();
    if (HasFatalFailure()) return;
    const auto texts = TileTexts(list_);
    for (const char* tile : {"1 on one", "2 on two", "3 on three"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), tile), texts.end()) << tile << " missing from " << Joined(texts);
    EXPECT_FALSE(HasTileWith(list_, "hid itself")) << Joined(texts);

    // A click on the tile of desktop 3 switches there and brings its window forward.
    HWND tile = ChildByText(list_, "3 on three");
    ASSERT_NE(tile, nullptr);
    ASSERT_TRUE(ClickCentreOf(tile));
    EXPECT_TRUE(Switched({three_->Window()}, {one_->Window(), two_->Window()}));
    EXPECT_TRUE(HiddenSoon(list_));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == three_->Window(); })) << "not brought forward";
    EXPECT_FALSE(IsShown(gone_->Window()));
}

// The chord as the user types it into the program in front: it opens the
// list, typed again it closes it, and then that program has the keyboard
// again, so the chord opens the list once more. The list lies away from the
// program's window and the mouse stays on the list: nothing but the keys
// reaches that program meanwhile.
TEST_F(AppListTest, ItsHotkeyTypedTwiceClosesItAndTheKeysGoBackToTheProgramInFront) {
    const std::string log = TempDir() + "list-keys.log";
    one_ = &Open({.cls = "TessListKeys", .title = "keys", .logFile = log});
    ASSERT_TRUE(TakeKeyboardFocus(one_->Window(), log));
    Settle(*one_);
    ASSERT_TRUE(TakeKeyboardFocus(one_->Window(), log));
    ASSERT_EQ(RunXdotool("key ctrl+Super_L"), 0);
    ASSERT_TRUE(ShownSoon(list_)) << "the hotkey did not open it";
    ASSERT_EQ(RunXdotool("key ctrl+Super_L"), 0);
    ASSERT_TRUE(HiddenSoon(list_)) << "the hotkey did not close it";
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == one_->Window(); }));
    ASSERT_TRUE(KeysReachWithoutHelp(one_->Window(), log)) << "keys typed after the list closed went elsewhere";
    ASSERT_EQ(RunXdotool("key ctrl+Super_L"), 0);
    EXPECT_TRUE(ShownSoon(list_)) << "the hotkey was missed after the list closed";
}

TEST_F(AppListTest, StaysWhileTheMouseIsInsideAndHidesTwoSecondsAfterItLeft) {
    one_ = &Open({.cls = "TessListStay", .title = "stay"});
    Settle(*one_);
    OpenWithMessage();
    if (HasFatalFailure()) return;
    // Opened at the cursor, the list holds it; it stays, however long.
    EXPECT_TRUE(StaysTrue([&] { return IsShown(list_); }, 3000));
    ASSERT_EQ(RunXdotool("mousemove 5 5"), 0);
    EXPECT_TRUE(HiddenSoon(list_, 8000));
    // The same message toggles it: opened again, then closed by the next.
    ASSERT_EQ(RunXdotool(kCentre), 0);
    OpenWithMessage();
    ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrlWin, 0);
    EXPECT_TRUE(HiddenSoon(list_));
}

TEST_F(AppListTest, ItsGestureOpensIt) {
    one_ = &Open({.cls = "TessListGesture", .title = "gesture"});
    ASSERT_TRUE(ShownSoon(one_->Window()));
    // Up, right, down with the middle button held: "URD".
    std::string gesture = "mousemove 600 700 mousedown 2 sleep 0.1";
    for (int y = 680; y >= 520; y -= 20) gesture += " mousemove 600 " + std::to_string(y) + " sleep 0.03";
    for (int x = 620; x <= 780; x += 20) gesture += " mousemove " + std::to_string(x) + " 520 sleep 0.03";
    for (int y = 540; y <= 700; y += 20) gesture += " mousemove 780 " + std::to_string(y) + " sleep 0.03";
    gesture += " sleep 0.1 mouseup 2";
    EXPECT_TRUE(TypeUntil(gesture, [&] { return IsShown(list_); })) << "the gesture did not open it";
    EXPECT_TRUE(HasTileWith(list_, "1 gesture")) << Joined(TileTexts(list_));
}

TEST_F(DoubleTapListTest, ADoubleCtrlTogglesIt) {
    one_ = &Open({.cls = "TessListTap", .title = "tap", .logFile = TempDir() + "list-tap.log"});
    ASSERT_TRUE(TakeKeyboardFocus(one_->Window(), TempDir() + "list-tap.log"));
    // Each sequence starts a second after the last tap, never pairing with it.
    const std::string doubleCtrl =
        "sleep 1 keydown ctrl sleep 0.05 keyup ctrl sleep 0.3 keydown ctrl sleep 0.05 keyup ctrl";
    ASSERT_TRUE(TypeUntil(doubleCtrl, [&] { return IsShown(list_); })) << "a double Ctrl did not open it";
    EXPECT_TRUE(TypeUntil(doubleCtrl, [&] { return !IsShown(list_); })) << "a second double Ctrl did not close it";
}

// Two windows on the private desktop: the tile clicked is the lower one's
// (a process's tiles follow the Z order from the top), so that the switch
// alone would not put it in front.
TEST_F(PrivateListTest, ALockedDesktopsWindowShowsNoTitleAndNeedsThePassword) {
    one_ = &Open({.cls = "TessListPublic", .title = "public"});
    SwitchTo("-s2", {}, {one_->Window()});
    Helper& secret = Open({.cls = "TessListSecret", .title = "secret title", .count = 2});
    ASSERT_EQ(secret.Windows().size(), 2u);
    const HWND both[] = {secret.Window(0), secret.Window(1)};
    ASSERT_TRUE(ShownSoon(both[0]) && ShownSoon(both[1]));
    SwitchTo("-s1", {one_->Window()}, {both[0], both[1]});
    // Shown while their desktop was locked, they count as shown there; the
    // hook library reports the showing, and before the list opens, as the
    // messages come in this order.
    for (HWND w : both)
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_WINDOWSHOWN, reinterpret_cast<WPARAM>(w), 1);
    const HWND lower = IsAbove(both[0], both[1]) ? both[1] : both[0];

    OpenWithMessage();
    if (HasFatalFailure()) return;
    const auto texts = TileTexts(list_);
    EXPECT_FALSE(HasTileWith(list_, "secret")) << Joined(texts);
    auto lastLockedTile = [&] {
        HWND last = nullptr;
        for (HWND tile : ChildrenOfClass(list_, "TTilePanel"))
            if (TitleOf(tile).rfind("2 ", 0) == 0) last = tile;
        return last;
    };
    HWND locked = lastLockedTile();
    ASSERT_NE(locked, nullptr) << "no tile for desktop 2: " << Joined(texts);

    // Cancel: nothing of desktop 2 shows.
    ASSERT_TRUE(ClickCentreOf(locked));
    HWND prompt = WaitForWindow("", "TfrmEnterPwd", program_->Pid(), 5000);
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(ShownSoon(prompt)) << "the click did not ask for the password";
    ::PostMessageA(prompt, WM_CLOSE, 0, 0);
    ASSERT_TRUE(HiddenSoon(prompt));
    EXPECT_TRUE(StaysTrue([&] { return !IsShown(both[0]) && !IsShown(both[1]) && IsShown(one_->Window()); }, 1500));

    // The password: desktop 2 comes, with the chosen window in front.
    OpenWithMessage();
    locked = lastLockedTile();
    ASSERT_NE(locked, nullptr);
    ASSERT_TRUE(ClickCentreOf(locked));
    ASSERT_TRUE(ShownSoon(prompt));
    AnswerWithPassword(prompt);
    EXPECT_TRUE(Switched({both[0], both[1]}, {one_->Window()}));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == lower; })) << "not brought forward";
    EXPECT_FALSE(IsShown(list_));
}
