// Exit: the password protects private windows, and no window stays hidden.
#include <gtest/gtest.h>
#include "navigation/enter_pwd.h"
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr char kPassword[] = "open sesame";

void WriteLockDigest() {
    std::string digest = navigation::HashLockPassword(kPassword);
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    ::RegSetValueExA(k, "pwdlocal", 0, REG_SZ, reinterpret_cast<const BYTE*>(digest.c_str()),
                     static_cast<DWORD>(digest.size() + 1));
    ::RegCloseKey(k);
}

// Desktop 1, the one the program starts on, is private and holds a window.
class PrivateExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("layoutid", 1);   // "1 x 4"
        WriteSetting("showsplash", 0);
        WriteSetting("locked1", 1);
        WriteLockDigest();
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    HWND WaitForPrompt() { return WaitForWindow("", "TfrmEnterPwd", program_->Pid(), 5000); }
    HWND PromptEdit(HWND prompt) { return ::FindWindowExA(prompt, nullptr, "Edit", nullptr); }
    std::unique_ptr<Tessarel> program_;
};

}  // namespace

TEST_F(PrivateExitTest, CancelKeepsTheProgramRunningAndThePasswordEndsIt) {
    Helper priv({.cls = "TessPrivateWin", .title = "private"});
    // The exit asks once a scan has met the private window. The switch to
    // desktop 2 hides it, so a scan has. Back on the locked desktop 1 it
    // stays hidden; the window of desktop 2 shows the way back.
    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(priv.Window()); }, 5000));
    Helper two({.cls = "TessPublicWin", .title = "public"});
    ASSERT_EQ(program_->SecondStart("-s1"), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(two.Window()); }, 5000));

    ::PostMessageA(program_->MainWindow(), WM_CLOSE, 0, 0);
    HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr) << "exit did not ask for the password";
    EXPECT_TRUE(WaitUntil([&] { return IsShown(prompt); }, 3000));
    ::PostMessageA(prompt, WM_CLOSE, 0, 0);   // closing the prompt counts as Cancel
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(prompt); }, 5000));
    // Asked again below, the program still runs with nothing unified.
    EXPECT_FALSE(IsShown(priv.Window()));

    // A second exit, with the right password this time.
    EXPECT_TRUE(program_->Process().Running());
    EXPECT_EQ(FindMainWindow(), program_->MainWindow());
    ::PostMessageA(program_->MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(prompt); }, 5000));
    HWND edit = PromptEdit(prompt);
    ASSERT_NE(edit, nullptr);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
    ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(program_->Process().Wait(10000), 0);
    EXPECT_TRUE(IsShown(priv.Window()));
}

TEST(Exit, WindowsOfEveryDesktopAreShownAgainOnAPlainClose) {
    ResetUserState();
    WriteSetting("layoutid", 1);
    WriteSetting("showsplash", 0);
    Tessarel program("", false);
    ASSERT_TRUE(program.WaitForMessageLoop());
    std::vector<std::unique_ptr<Helper>> helpers;
    for (int d = 1; d <= 4; ++d) {
        if (d > 1) {
            // The switch is done once the window of the desktop before is hidden.
            ASSERT_EQ(program.SecondStart("-s" + std::to_string(d)), 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsShown(helpers.back()->Window()); }, 5000)) << d;
        }
        helpers.push_back(std::make_unique<Helper>(HelperOptions{.cls = "TessExit" + std::to_string(d), .title = "exit"}));
    }
    for (int d = 0; d < 3; ++d) EXPECT_FALSE(IsShown(helpers[static_cast<size_t>(d)]->Window())) << d + 1;
    ::PostMessageA(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().Wait(10000), 0);
    for (const auto& h : helpers) EXPECT_TRUE(IsShown(h->Window()));
}
