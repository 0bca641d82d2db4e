#include "settings/poll.h"
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "framework/dialogs.h"
#include "framework/text.h"
#include "settings/about.h"
#include "settings/feedback.h"

namespace settings {
namespace {

using K = framework::Kind;

constexpr int kClientWidth = 460, kClientHeight = 424;

constexpr framework::ControlSpec kLayout[] = {
    {K::Label, "lbIntro", nullptr, 12, 10, 436, 30, poll_texts::kIntro.data(), 0},
    {K::Custom, "rgUninst", nullptr, 12, 44, 436, 245, poll_texts::kReasons.data(), 0},
    {K::Label, "lbComment", nullptr, 12, 298, 260, 16, poll_texts::kComment.data(), 0},
    {K::MemoEdit, "mComment", nullptr, 12, 316, 260, 58, "", 0},
    {K::Label, "lbEmail", nullptr, 284, 298, 164, 16, poll_texts::kEmail.data(), 0},
    {K::Edit, "edEmail", nullptr, 284, 316, 164, 21, "", 0},
    {K::Custom, "SpeedButton2", nullptr, 284, 346, 164, 28, poll_texts::kPrivacy.data(), 0},
    {K::Custom, "btnFinish", nullptr, 12, 386, 260, 28, poll_texts::kFinish.data(), 0},
    {K::Custom, "SpeedButton1", nullptr, 284, 386, 164, 28, poll_texts::kNoFeedback.data(), 0},
};

}  // namespace

TfrmPoll::TfrmPoll() : Form("frmPoll") {
    mComment.MaxLength = kPollCommentMax;
    edEmail.MaxLength = kPollEmailMax;
}

TfrmPoll::~TfrmPoll() = default;

void TfrmPoll::CreateControls() {
    SetCaption(poll_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    rgUninst.SetItems(std::vector<std::string>(poll_texts::kReasonItems.begin(), poll_texts::kReasonItems.end()));
    ApplyLayout(kLayout);
    for (auto* b : {&btnFinish, &SpeedButton1, &SpeedButton2}) b->UseDialogLook();
    btnFinish.SetEnabled(false);
    rgUninst.OnClick = [this] { rgUninstClick(); };
    mComment.OnChange = [this] { mCommentChange(); };
    btnFinish.OnClick = [this] { btnFinishClick(); };
    SpeedButton1.OnClick = [this] { SpeedButton1Click(); };
    SpeedButton2.OnClick = [this] { SpeedButton2Click(); };
    CenterOnScreen();
}

bool TfrmPoll::CommentIsEnough() const { return framework::Trim(mComment.Text()).size() > kPollCommentEnough; }

void TfrmPoll::rgUninstClick() { btnFinish.SetEnabled(true); }

void TfrmPoll::mCommentChange() {
    btnFinish.SetEnabled(true);
    if (rgUninst.ItemIndex() < 0 && CommentIsEnough()) rgUninst.SetItemIndex(0);
}

void TfrmPoll::btnFinishClick() {
    SetStayOnTop(false);
    if (rgUninst.ItemIndex() < 0 && !CommentIsEnough()) {
        framework::MessageBox(poll_texts::kChooseReason, poll_texts::kWarning, MB_ICONERROR, Handle());
        return;
    }
    // A comment long enough selects "I don't want to tell" as it is typed.
    const int reason = std::max(rgUninst.ItemIndex(), 0);
    const std::string tag = engine::WindowsVersionTag();
    ShellOpen(PollAddress(tag, edEmail.Text(), PollText(reason, tag, mComment.Text())));
    Close();
}

void TfrmPoll::SpeedButton1Click() { Close(); }

void TfrmPoll::SpeedButton2Click() {
    SetStayOnTop(false);
    OpenTextBeside(kPrivacyFile);
}

void ShowUninstallPoll() {
    if (frmPoll) {
        frmPoll->BringToFront();
        return;
    }
    auto poll = std::make_unique<TfrmPoll>();
    frmPoll = poll.get();
    struct Forget {
        ~Forget() { frmPoll = nullptr; }
    } forget;
    poll->CreateHandle();
    poll->ShowModal();
}

}  // namespace settings
