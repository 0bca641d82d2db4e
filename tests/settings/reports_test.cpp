// The About box, the error report and the uninstall poll, created in this
// process: what they open (watched instead of handed to the shell), what
// they tell the user, and the one file the error report deletes.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "framework/dialogs.h"
#include "settings/about.h"
#include "settings/error_report.h"
#include "settings/feedback.h"
#include "settings/poll.h"
#include "support/e2e.h"

using namespace settings;

namespace {

struct Message {
    std::string text, caption;
    UINT flags;
};

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Reports : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        SetShellOpener([this](const std::string& target) { opened.push_back(target); });
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            messages.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
    }
    void TearDown() override {
        SetShellOpener({});
        framework::SetMessageBoxAnswerer({});
        e2e::ResetUserState();
    }
    static std::string LogPath() { return e2e::DataFolder() + "errorlog.log"; }

    std::vector<std::string> opened;
    std::vector<Message> messages;
};

// Replaces the text as typing does: a memo reports a change only for that,
// never for a text set as a whole.
void Type(framework::Edit& edit, const std::string& text) {
    ::SendMessageA(edit.Handle(), EM_SETSEL, 0, -1);
    ::SendMessageA(edit.Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

template <typename F>
std::unique_ptr<F> Made() {
    auto form = std::make_unique<F>();
    form->CreateHandle();
    return form;
}

}  // namespace

TEST_F(Reports, AboutShowsTheVersionAndOpensTheTextsBesideTheProgram) {
    auto about = Made<TfrmAbout>();
    EXPECT_EQ(about->Caption(), "About :::");
    EXPECT_EQ(about->lbVersion.Caption(), "v1.3.7");
    EXPECT_EQ(about->lbKOVA.Caption(), "KOVA special build");
    about->btnLicenseClick();
    about->btnHistoryClick();
    about->btnPrivacyClick();
    const std::string folder = engine::GetAppFolder();
    EXPECT_EQ(opened, (std::vector<std::string>{folder + "license.txt", folder + "history.txt", folder + "privacy.txt"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Reports, AMissingTextFileIsReportedPlainly) {
    const std::string missing = "missing-" + std::to_string(::GetCurrentProcessId()) + ".txt";
    OpenTextBeside(TextBeside{missing, about_texts::kHistoryMissing});
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Version history file (history.txt) not found!");
    EXPECT_EQ(messages[0].caption, "Tessareltop");
}

TEST_F(Reports, TheErrorReportStaysHiddenWithoutALog) {
    auto report = Made<TfrmError>();
    report->ShowIfErrorLog();
    EXPECT_FALSE(report->Visible());
}

TEST_F(Reports, DeleteRemovesTheLogAndNothingElse) {
    ASSERT_TRUE(e2e::WriteDataFile("errorlog.log", "2024-01-02 03:04:05 >> boom\r\n"));
    ASSERT_TRUE(e2e::WriteDataFile("Tessareltop.pin", "NOTEPAD.EXE\r\n"));
    auto report = Made<TfrmError>();
    report->ShowIfErrorLog();
    ASSERT_TRUE(report->Visible());
    EXPECT_EQ(report->Caption(), "Submit error information");
    EXPECT_TRUE(report->ExStyle() & WS_EX_TOPMOST);
    report->btnCancelClick();
    EXPECT_FALSE(report->Visible());
    EXPECT_FALSE(Exists(LogPath()));
    EXPECT_TRUE(Exists(e2e::DataFolder() + "Tessareltop.pin"));
    EXPECT_TRUE(opened.empty());
}

TEST_F(Reports, SendOpensTheFeedbackPageWithTheLogAndTheCommentThenDeletesTheLog) {
    const std::string log = "2024-01-02 03:04:05 >> Access violation\r\n";
    ASSERT_TRUE(e2e::WriteDataFile("errorlog.log", log));
    auto report = Made<TfrmError>();
    report->ShowIfErrorLog();
    report->mComment.SetText("after a switch");
    report->btnOKClick();
    const std::string tag = engine::WindowsVersionTag();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], ErrorReportAddress(tag, "v1.3.7-" + tag + "-" + log + "-after a switch"));
    EXPECT_NE(opened[0].find("?prod=1&req=0&ver=" + tag + "&sure=1&comment=v1%2E3%2E7%2D"), std::string::npos);
    EXPECT_FALSE(Exists(LogPath()));
    EXPECT_FALSE(report->Visible());
}

TEST_F(Reports, ALongLogIsSentCutAtTheLongestAddress) {
    ASSERT_TRUE(e2e::WriteDataFile("errorlog.log", std::string(20000, 'x')));
    auto report = Made<TfrmError>();
    report->btnOKClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].size(), kMaxAddressLength);
    EXPECT_EQ(opened[0].back(), 'x');
}

TEST_F(Reports, ThePrivacyStatementTakesTheReportOffTheTop) {
    ASSERT_TRUE(e2e::WriteDataFile("errorlog.log", "x\r\n"));
    auto report = Made<TfrmError>();
    report->ShowIfErrorLog();
    report->RotButton1Click();
    EXPECT_FALSE(report->ExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(opened, std::vector<std::string>{engine::GetAppFolder() + "privacy.txt"});
}

TEST_F(Reports, ThePollWaitsForAReasonOrAComment) {
    auto poll = Made<TfrmPoll>();
    poll->Show();
    EXPECT_EQ(poll->Caption(), "Pelmora Virtual Desktop - uninstall poll");
    EXPECT_EQ(poll->rgUninst.ItemIndex(), -1);
    EXPECT_EQ(poll->rgUninst.Count(), 13);
    EXPECT_FALSE(poll->btnFinish.Enabled());
    Type(poll->mComment, "too short");   // 9 characters
    EXPECT_TRUE(poll->btnFinish.Enabled());
    EXPECT_EQ(poll->rgUninst.ItemIndex(), -1);
    poll->btnFinishClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Please choose an item from the reasons list, and/or add a short comment before finishing uninstall!");
    EXPECT_EQ(messages[0].caption, "Warning!");
    EXPECT_TRUE(messages[0].flags & MB_ICONERROR);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(poll->Visible());
    // Eleven characters are an answer: "I don't want to tell" is chosen.
    Type(poll->mComment, "  eleven char  ");
    EXPECT_EQ(poll->rgUninst.ItemIndex(), 0);
}

TEST_F(Reports, FinishingThePollSendsTheReasonTagEmailAndComment) {
    auto poll = Made<TfrmPoll>();
    poll->Show();
    poll->rgUninst.SetItemIndex(3);
    EXPECT_TRUE(poll->btnFinish.Enabled());
    poll->edEmail.SetText(" me@example.org ");
    poll->btnFinishClick();
    const std::string tag = engine::WindowsVersionTag();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], PollAddress(tag, "me@example.org", "3-" + tag + "-"));
    EXPECT_NE(opened[0].find("?prod=1&req=2&ver=" + tag + "&sure=1&email=me%40example%2Eorg&comment=3%2D"),
              std::string::npos);
    EXPECT_FALSE(poll->Visible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Reports, NoFeedbackClosesThePollWithoutSending) {
    auto poll = Made<TfrmPoll>();
    poll->Show();
    poll->SpeedButton1Click();
    EXPECT_FALSE(poll->Visible());
    EXPECT_TRUE(opened.empty());
}
