// The lost-window list and the window-information box against the running
// program: a window that hid itself is listed from the tray and recovered;
// one of a locked private desktop shows no title and comes back only with
// the password; the box's pins make a window's application or class sticky
// and not sticky again, in "Tessareltop.pin".
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/messages.h"
#include "engine/preview_layout.h"
#include "engine/window_record.h"
#include "navigation/enter_pwd.h"
#include "navigation/lost.h"
#include "navigation/vd_info.h"
#include "shell/icon_positions.h"
#include "support/e2e.h"
#include "support/program_test.h"
#include "support/tray_menu.h"

using namespace e2e;

namespace {

constexpr char kPassword[] = "open sesame";
constexpr int kLostWindowsItem = 3;   // among the tray menu's items that can be chosen

HWND ChildWithText(HWND parent, const std::string& text) {
    return FindChild(parent, [&](HWND w) { return TitleOf(w) == text && IsShown(w); });
}

// A press and release of the left button: what a click delivers. The
// control is waited for: a caption may change just before.
void ClickChild(HWND parent, std::string_view caption) {
    HWND control = nullptr;
    WaitUntil([&] { return (control = ChildWithText(parent, std::string(caption))) != nullptr; });
    ASSERT_NE(control, nullptr) << caption;
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
}

// A pin button pressed until its caption turns to the other state. The
// click is sent, so it has been handled when the call returns; a click that
// a change of the focus between its press and release swallowed is made
// again, never one that may still be waiting.
void Toggle(HWND parent, std::string_view from, std::string_view to) {
    bool turned = false;
    for (int attempt = 0; attempt < 3 && !turned; ++attempt) {
        HWND button = nullptr;
        WaitUntil([&] { return (button = ChildWithText(parent, std::string(from))) != nullptr; });
        ASSERT_NE(button, nullptr) << from;
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, Patience(5000), &result);
        turned = TryUntil([&] { return ChildWithText(parent, std::string(to)) != nullptr; }, 2000);
    }
    EXPECT_TRUE(turned) << from;
}

class WindowToolsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    void Prepare() override { WriteSetting("bubblelevel", 0); }   // no event bubbles over the windows
    void TearDown() override {
        CloseMenus(program_->Pid());
        // An exit with a private window would ask for the password.
        if (program_ && program_->Process().Running()) program_->Process().Kill();
        ProgramTest::TearDown();
    }
    DWORD Pid() const { return program_->Pid(); }

    // The lost-window list -------------------------------------------------------
    HWND ShownList() const {
        HWND list = ::FindWindowA("TfrmLost", nullptr);
        return list && IsShown(list) ? list : nullptr;
    }
    HWND OpenLostList() {
        if (!ChooseTrayItem(Pid(), kLostWindowsItem)) return nullptr;
        HWND list = nullptr;
        WaitUntil([&] { return (list = ShownList()) != nullptr; }, 5000);
        return list;
    }
    static HWND ListView(HWND list) { return ::FindWindowExA(list, nullptr, WC_LISTVIEWA, nullptr); }
    static std::vector<shell::TIconItem> Rows(HWND list) { return shell::ReadListViewItems(ListView(list)); }
    static bool HasRow(HWND list, const std::string& caption) {
        const auto rows = Rows(list);
        return shell::FindIconItem(rows, caption) != nullptr;
    }
    void CloseList() {
        if (HWND list = ShownList()) ClickChild(list, navigation::lost_texts::kClose);
        ASSERT_TRUE(WaitUntil([&] { return ShownList() == nullptr; }));
    }
    // Opens the list until it shows a row of this caption (the scan sees a
    // window hide itself at its next tick), and leaves it open.
    HWND ListWithRow(const std::string& caption) {
        HWND found = nullptr;
        WaitUntil([&] {
            HWND list = OpenLostList();
            if (list && HasRow(list, caption)) return (found = list) != nullptr;
            if (list) CloseList();
            return false;
        }, 10000, 100);
        return found;
    }
    // Selects the row by the keyboard: the first row, then on to the right.
    static bool SelectRow(HWND list, const std::string& caption) {
        HWND view = ListView(list);
        ::PostMessageA(view, WM_KEYDOWN, VK_HOME, 0);
        for (size_t step = 0; step <= Rows(list).size(); ++step) {
            bool selected = WaitUntil([&] {
                const auto rows = Rows(list);
                const auto* row = shell::FindIconItem(rows, caption);
                return row && (row->State & LVIS_SELECTED);
            }, 500);
            if (selected) return true;
            ::PostMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);
        }
        return false;
    }
    void SendToDesktop(HWND w, int desktop) {
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_SYSMENU, engine::TWindowRecord::WndFromHandle(w),
                       engine::IDM_SEND_WINDOW + static_cast<UINT>(desktop - 1));
    }

    // The password prompt ------------------------------------------------------------
    static HWND Prompt() {
        HWND p = ::FindWindowA("TfrmEnterPwd", nullptr);
        return p && IsShown(p) ? p : nullptr;
    }
    static bool Asking(std::string_view reason) {
        HWND p = Prompt();
        return p && FindChild(p, [&](HWND w) { return TitleOf(w) == reason; }) != nullptr;
    }
    static void AnswerPrompt(const char* password) {
        ASSERT_TRUE(WaitUntil([] { return Asking(navigation::lost_texts::kRecoverPrivate); }));
        HWND edit = ::FindWindowExA(Prompt(), nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        if (password) {
            ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password));
            ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        } else {
            ::PostMessageA(Prompt(), WM_CLOSE, 0, 0);
        }
        ASSERT_TRUE(WaitUntil([] { return Prompt() == nullptr; }, 10000));
    }
};

bool LogHas(DWORD pid, const std::string& text) {
    const auto lines = EventLogLines(pid);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

}  // namespace

TEST_F(WindowToolsTest, AWindowThatHidItselfIsListedFromTheTrayAndRecovered) {
    Helper shown({.cls = "TessLostShown", .title = "still shown"});
    Helper lost({.cls = "TessLostOne", .title = "lost one"});
    ::PostMessageA(lost.Window(), kHelperHide, 0, 0);
    ASSERT_TRUE(HiddenSoon(lost.Window()));

    HWND list = ListWithRow("lost one");
    ASSERT_NE(list, nullptr) << "the hidden window is listed";
    EXPECT_FALSE(HasRow(list, "still shown")) << "a shown window is not lost";
    EXPECT_EQ(ChildWithText(list, std::string(navigation::lost_texts::kSelect)), nullptr);

    // Recover with nothing chosen warns and keeps the list.
    ClickChild(list, navigation::lost_texts::kRecover);
    HWND warning = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        warning = WaitForWindow(std::string(navigation::lost_texts::kWarning), "#32770", Pid(), 0);
        return warning && ChildWithText(warning, std::string(navigation::lost_texts::kSelectFirst));
    }));
    ::PostMessageA(warning, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(warning); }));
    EXPECT_EQ(ShownList(), list);
    EXPECT_FALSE(IsShown(lost.Window()));

    ASSERT_TRUE(SelectRow(list, "lost one"));
    ClickChild(list, navigation::lost_texts::kRecover);
    EXPECT_TRUE(ShownSoon(lost.Window())) << "recovered without a switch";
    EXPECT_TRUE(WaitUntil([&] { return ShownList() == nullptr; })) << "the list closes after the action";
    EXPECT_TRUE(WaitUntil([&] { return LogHas(Pid(), "window recovered"); }));
    // It stays on the screen: the engine's next scans leave it there.
    EXPECT_FALSE(TryUntil([&] { return !IsShown(lost.Window()); }, 1000));
}

namespace {
// Desktop 2 of four is private and locked; the lock password is set.
class PrivateLostTest : public WindowToolsTest {
protected:
    void Prepare() override {
        WindowToolsTest::Prepare();
        WriteSetting("locked1", 0);   // the group is read only with its first value
        WriteSetting("locked2", 1);
        navigation::StoreLockPassword(kPassword);
    }
};
}  // namespace

TEST_F(PrivateLostTest, AWindowOfALockedDesktopShowsNoTitleAndComesBackOnlyWithThePassword) {
    Helper hidden({.cls = "TessLostPrivate", .title = "P_LOST", .hidden = true});
    HWND list = ListWithRow("P_LOST");
    ASSERT_NE(list, nullptr) << "a window hidden from the start is listed";
    CloseList();
    // Into the private desktop: the list shows it without its title.
    const std::string privateRow = std::string(navigation::lost_texts::kPrivateRow) + "2)";
    SendToDesktop(hidden.Window(), 2);
    list = ListWithRow(privateRow);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(HasRow(list, "P_LOST"));

    // Without the password nothing is shown.
    ASSERT_TRUE(SelectRow(list, privateRow));
    ClickChild(list, navigation::lost_texts::kRecover);
    AnswerPrompt(nullptr);
    EXPECT_FALSE(TryUntil([&] { return IsShown(hidden.Window()); }, 1000));
    ASSERT_TRUE(WaitUntil([&] { return ShownList() == nullptr; }));

    // With it, the window comes back.
    list = ListWithRow(privateRow);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(SelectRow(list, privateRow));
    ClickChild(list, navigation::lost_texts::kRecover);
    AnswerPrompt(kPassword);
    EXPECT_TRUE(ShownSoon(hidden.Window()));
}

// The window-information box ---------------------------------------------------------------

namespace {

class WindowInfoTest : public WindowToolsTest {
protected:
    // The desktop names would lie over the thumbnails and take the click.
    void Prepare() override {
        WindowToolsTest::Prepare();
        WriteSetting("desknum", 0);
    }
    HWND Preview() const {
        HWND w = program_->MainWindow();
        return IsShown(w) ? w : nullptr;
    }
    // The centre of desktop 1's thumbnail, in the preview's client area:
    // the grid whose client size the preview has.
    static std::optional<POINT> FirstThumbCentre(HWND preview) {
        RECT client{};
        ::GetClientRect(preview, &client);
        for (int size = 0; size < 4; ++size) {
            const auto grid = engine::preview::LayoutGrid(1, 4, engine::preview::CellSize(size));
            const SIZE want = grid.Client();
            if (want.cx != client.right || want.cy != client.bottom) continue;
            const RECT t = grid.Thumb(1);
            return POINT{(t.left + t.right) / 2, (t.top + t.bottom) / 2};
        }
        return std::nullopt;
    }
    // The preview opened from the tray, a right click on the thumbnail, and
    // the window menu's first item.
    HWND OpenInfoBox() {
        PostTray(Pid(), {WM_LBUTTONDOWN, WM_LBUTTONUP});
        HWND preview = nullptr;
        if (!WaitUntil([&] { return (preview = Preview()) != nullptr; })) {
            ADD_FAILURE() << "the preview did not open";
            return nullptr;
        }
        const auto centre = FirstThumbCentre(preview);
        if (!centre) {
            RECT client{};
            ::GetClientRect(preview, &client);
            ADD_FAILURE() << "no grid of this client size: " << client.right << " x " << client.bottom;
            return nullptr;
        }
        const LPARAM at = MAKELPARAM(centre->x, centre->y);
        ::PostMessageA(preview, WM_RBUTTONDOWN, MK_RBUTTON, at);
        ::PostMessageA(preview, WM_RBUTTONUP, 0, at);
        HWND menu = nullptr;
        if (!WaitUntil([&] { return (menu = OpenMenuWindow(Pid())) != nullptr; })) {
            ADD_FAILURE() << "no window menu";
            return nullptr;
        }
        MenuKeys(menu, {VK_DOWN, VK_RETURN});
        HWND box = nullptr;
        WaitUntil([&] { return (box = ::FindWindowA("TfrmVDInfo", nullptr)) && IsShown(box); });
        return box;
    }
    static bool StickyFileHas(const std::string& entry) {
        const std::string file = ReadDataFile("Tessareltop.pin");
        return file.find(entry + "\r\n") != std::string::npos;
    }
};

}  // namespace

TEST_F(WindowInfoTest, PinsMakeTheApplicationAndTheClassStickyAndNotAgain) {
    Helper witness({.cls = "TessPinWitness", .title = "stays on desktop 1"});
    Helper pin({.cls = "TessPinMe", .title = "pin me", .exeName = "pinme.exe"});
    // The preview picks only windows the engine holds: a scan late under load
    // would leave the press on nothing. A switch away and back proves both met.
    SwitchTo("-s2", {}, {witness.Window(), pin.Window()});
    SwitchTo("-s1", {witness.Window(), pin.Window()}, {});
    // It fills the screen, so the thumbnail's centre shows it; the witness
    // lies in a corner.
    const RECT corner{1100, 980, 1250, 1020}, full{0, 0, 1280, 960};
    ::SetWindowPos(witness.Window(), HWND_BOTTOM, corner.left, corner.top, 150, 40, SWP_NOACTIVATE);
    ::SetWindowPos(pin.Window(), HWND_TOP, full.left, full.top, full.right, full.bottom, SWP_NOACTIVATE);
    auto at = [](HWND w, const RECT& want) {
        RECT r{};
        return ::GetWindowRect(w, &r) && ::EqualRect(&r, &want);
    };
    ASSERT_TRUE(WaitUntil([&] { return at(witness.Window(), corner) && at(pin.Window(), full); }));
    const std::string exe = engine::UpperCaseAscii(engine::WindowExePath(pin.Window()));
    ASSERT_FALSE(exe.empty());

    HWND box = OpenInfoBox();
    ASSERT_NE(box, nullptr) << "the window menu's first item opens the box";
    EXPECT_NE(ChildWithText(box, " pin me"), nullptr);
    EXPECT_NE(ChildWithText(box, " TessPinMe"), nullptr);

    // The application pin.
    Toggle(box, navigation::info_texts::kAppNotSticky, navigation::info_texts::kAppSticky);
    ASSERT_TRUE(WaitUntil([&] { return StickyFileHas(exe); })) << exe;
    SwitchTo("-s2", {pin.Window()}, {witness.Window()});
    EXPECT_FALSE(TryUntil([&] { return !IsShown(pin.Window()); }, 1000)) << "a sticky window stays on every desktop";

    // The class pin leaves the application entry alone.
    Toggle(box, navigation::info_texts::kClassNotSticky, navigation::info_texts::kClassSticky);
    ASSERT_TRUE(WaitUntil([&] { return StickyFileHas("TESSPINME"); }));
    EXPECT_TRUE(StickyFileHas(exe));

    // And both off again: the window is no longer on every desktop.
    Toggle(box, navigation::info_texts::kClassSticky, navigation::info_texts::kClassNotSticky);
    ASSERT_TRUE(WaitUntil([&] { return !StickyFileHas("TESSPINME"); }));
    Toggle(box, navigation::info_texts::kAppSticky, navigation::info_texts::kAppNotSticky);
    ASSERT_TRUE(WaitUntil([&] { return !StickyFileHas(exe); }));
    EXPECT_TRUE(HiddenSoon(pin.Window())) << "back on desktop 1 alone";
    EXPECT_EQ(ReadDataFile("Tessareltop.pin").find("\r\n\r\n"), std::string::npos) << "no empty entry";
}
