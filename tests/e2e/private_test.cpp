// A private desktop as a user meets it: every way there brings the lock
// cover over its hidden windows; a wrong password waits and says so, the
// right one shows them, and they are asked for again after every return.
// No route takes a window out of it without the password.
#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include "engine/messages.h"
#include "engine/window_record.h"
#include "navigation/auth_pwd.h"
#include "navigation/enter_pwd.h"
#include "support/e2e.h"

using namespace e2e;
using Clock = std::chrono::steady_clock;

namespace {

constexpr char kPassword[] = "open sesame";
constexpr UINT kTrayCallback = 0xB054;
constexpr char kLeaveReason[] =
    "You attemp to move a window out from a private desktop. You must enter your desktop lock password to proceed!";

struct ChildSearch {
    std::string text;
    HWND found = nullptr;
};

// The label of the cover that shows this text, shown or not.
HWND LabelWithText(HWND parent, const std::string& text) {
    ChildSearch search{text};
    ::EnumChildWindows(parent, [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<ChildSearch*>(p);
        if (ClassOf(w) == "Static" && TitleOf(w) == s->text) s->found = w;
        return s->found == nullptr;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Desktop 2 of four is private; the lock password is set.
class PrivateDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("layoutid", 1);   // "1 x 4"
        WriteSetting("showsplash", 0);
        WriteSetting("bubblelevel", 0);
        WriteSetting("locked1", 0);   // the group is read only with its first value
        WriteSetting("locked2", 1);
        navigation::StoreLockPassword(kPassword);
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
        cover_ = WaitForWindow("", "TfrmAuthPwd", program_->Pid());
        ASSERT_NE(cover_, nullptr) << "the cover is created at start-up";
        EXPECT_FALSE(IsShown(cover_));
        one_ = std::make_unique<Helper>(HelperOptions{.cls = "TessPublicOne", .title = "public one",
                                                      .logFile = TempDir() + "one.log"});
        priv_ = std::make_unique<Helper>(HelperOptions{.cls = "TessPrivateTwo", .title = "P_PRIV"});
        // Into a private desktop needs no password. The move takes once a
        // scan has met the window.
        ASSERT_TRUE(WaitUntil([&] {
            PostSysMenu(priv_->Window(), engine::IDM_SEND_WINDOW + 1);
            return !IsShown(priv_->Window());
        }, 5000, 200));
        EXPECT_TRUE(IsShown(one_->Window()));
    }
    void TearDown() override {
        if (program_ && program_->Process().Running()) program_->Process().Kill();
        program_.reset();
    }

    void PostSysMenu(HWND w, UINT item) {
        ::PostMessageA(program_->MainWindow(), engine::WM_HOOK_SYSMENU, engine::TWindowRecord::WndFromHandle(w), item);
    }
    HWND CoverEdit() const { return ::FindWindowExA(cover_, nullptr, "Edit", nullptr); }
    bool ResultShown() const {
        HWND label = LabelWithText(cover_, std::string(navigation::cover_texts::kInvalid));
        return label && IsShown(label);
    }
    // Types into the cover and releases Enter, as the user does.
    void TypeOnCover(const std::string& password) {
        HWND edit = CoverEdit();
        ASSERT_NE(edit, nullptr);
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
        ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
    }
    void EscOnCover() {
        ::PostMessageA(CoverEdit(), WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageA(CoverEdit(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
    }
    HWND Prompt() const { return ::FindWindowA("TfrmEnterPwd", nullptr); }
    bool PromptShown() const { return Prompt() && IsShown(Prompt()); }
    bool Asking(std::string_view reason) const {
        return PromptShown() && LabelWithText(Prompt(), std::string(reason)) != nullptr;
    }
    // Closing the prompt counts as Cancel. Another prompt may follow at once.
    void CancelPrompt(std::string_view reason) {
        ASSERT_TRUE(WaitUntil([&] { return Asking(reason); }, 5000)) << "the password is asked: " << reason;
        ::PostMessageA(Prompt(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !Asking(reason); }, 5000));
    }
    void AnswerPrompt() {
        ASSERT_TRUE(WaitUntil([&] { return PromptShown(); }, 5000)) << "the password is asked";
        HWND edit = ::FindWindowExA(Prompt(), nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
        ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        ASSERT_TRUE(WaitUntil([&] { return !PromptShown(); }, 10000));
    }
    // On desktop 2 behind the cover: the private window stays hidden.
    bool Covered() { return WaitUntil([&] { return IsShown(cover_) && !IsShown(one_->Window()); }) && !IsShown(priv_->Window()); }

    std::unique_ptr<Tessarel> program_;
    HWND cover_ = nullptr;
    std::unique_ptr<Helper> one_, priv_;
};

}  // namespace

TEST_F(PrivateDesktopTest, EveryWayThereBringsTheCoverAndGoBackLeavesIt) {
    struct Route {
        const char* what;
        std::function<void()> go;   // from desktop 1 to desktop 2
    } routes[] = {
        {"a second start with -s2", [&] { ASSERT_EQ(program_->SecondStart("-s2"), 0); }},
        {"a double click on the tray icon",
         [&] {
             for (const auto& w : TopWindows())
                 if (w.pid == program_->Pid() && w.cls == "TPUtilWindow")
                     for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                         ::PostMessageA(w.wnd, kTrayCallback, 0, m);
         }},
        {"the hotkey Control_R+2",
         [&] {
             ASSERT_TRUE(TakeKeyboardFocus(one_->Window(), TempDir() + "one.log"));
             ASSERT_EQ(RunXdotool("key Control_R+2"), 0);
         }},
    };
    for (const auto& r : routes) {
        SCOPED_TRACE(r.what);
        r.go();
        ASSERT_TRUE(Covered());
        EXPECT_EQ(TitleOf(LabelWithText(cover_, "Enter password to access desktop #2")), "Enter password to access desktop #2");
        // Esc on the cover goes back where the user came from.
        EscOnCover();
        ASSERT_TRUE(WaitUntil([&] { return !IsShown(cover_) && IsShown(one_->Window()); }));
        EXPECT_FALSE(IsShown(priv_->Window()));
    }
}

TEST_F(PrivateDesktopTest, AWrongPasswordWaitsAndSaysSoTheRightOneShowsTheWindowsUntilTheNextReturn) {
    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    ASSERT_TRUE(Covered());
    EXPECT_FALSE(ResultShown());

    const auto start = Clock::now();
    TypeOnCover("open sesamE");
    ASSERT_TRUE(WaitUntil([&] { return ResultShown(); }, 10000)) << "the red line";
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000)) << "a wrong password waits a second";
    EXPECT_TRUE(IsShown(cover_));
    EXPECT_FALSE(IsShown(priv_->Window()));

    TypeOnCover(kPassword);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(priv_->Window()) && !IsShown(cover_); }, 10000));

    // Away and back: asked again, with an empty field and no red line.
    ASSERT_EQ(program_->SecondStart("-s1"), 0);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(one_->Window()) && !IsShown(priv_->Window()); }));
    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    ASSERT_TRUE(Covered());
    EXPECT_EQ(TitleOf(CoverEdit()), "");
    EXPECT_FALSE(ResultShown());
}

// Any program can post the system-menu commands to the main window: the
// source of the move is the window's own desktop, so the password is asked.
TEST_F(PrivateDesktopTest, NoRouteTakesAWindowOutWithoutThePassword) {
    struct Route {
        const char* what;
        UINT item;   // to desktop 1
    } routes[] = {
        {"send this window to desktop 1", engine::IDM_SEND_WINDOW},
        {"send this application to desktop 1", engine::IDM_SEND_APP},
    };
    for (const auto& r : routes) {
        SCOPED_TRACE(r.what);
        PostSysMenu(priv_->Window(), r.item);
        CancelPrompt(kLeaveReason);
        EXPECT_FALSE(IsShown(priv_->Window()));

        PostSysMenu(priv_->Window(), r.item);
        AnswerPrompt();
        ASSERT_TRUE(WaitUntil([&] { return IsShown(priv_->Window()); })) << "the right password moves it";
        PostSysMenu(priv_->Window(), engine::IDM_SEND_WINDOW + 1);
        ASSERT_TRUE(WaitUntil([&] { return !IsShown(priv_->Window()); }));
    }

    // "-kill" unifies, then exits: both ask, and Cancel keeps everything.
    ASSERT_EQ(program_->SecondStart("-kill"), 0);
    CancelPrompt("You must enter your desktop lock password to unify desktops!");
    CancelPrompt("There are private applications running. You must enter your desktop lock password to EXIT the "
                 "virtual desktop manager!");
    EXPECT_TRUE(program_->Process().Running());
    EXPECT_FALSE(IsShown(priv_->Window()));
    EXPECT_TRUE(IsShown(one_->Window()));
}

// The prompt takes the keyboard while it asks; cancelled, the window that
// was in front takes the keys again, as the user goes on typing there.
TEST_F(PrivateDesktopTest, TheWindowInFrontTakesTheKeysAgainOnceThePromptIsCancelled) {
    const std::string log = TempDir() + "one.log";
    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(TakeKeyboardFocus(one_->Window(), log));
        PostSysMenu(priv_->Window(), engine::IDM_SEND_WINDOW);
        CancelPrompt(kLeaveReason);
        ASSERT_TRUE(KeysReachWithoutHelp(one_->Window(), log)) << "in front, but the keys went elsewhere";
    }
}
