#pragma once
// TfrmPoll: the uninstall poll. It asks why the program is being removed and
// sends the answer to the maker's feedback page, opened in the browser.
#include <windows.h>
#include <array>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "toolkit/radio_group.h"
#include "toolkit/rotatable_button.h"

namespace settings {

namespace poll_texts {
inline constexpr std::string_view kCaption = "Pelmora Virtual Desktop - uninstall poll";
inline constexpr std::string_view kIntro =
    "We are sorry to see you go. Please tell us why you remove Pelmora Virtual Desktop: your answer helps us make "
    "it better.";
inline constexpr std::string_view kReasons = " The reason I uninstall is...";
inline constexpr std::array<std::string_view, 13> kReasonItems{
    "I don't want to tell / I can't tell",
    "It crashed / made other programs crash",
    "It did not work as I expected",
    "I found other product(s) suiting my needs better",
    "Hotkeys / gestures were working poor",
    "It was too obtrusive",
    "It was too hard to use",
    "It was slowing down my system too much",
    "I think it's ugly",
    "Help and/or support was poor",
    "Too expensive / bad \"value for price\" ratio",
    "I don't need a virtual desktop",
    "Just reinstalling, don't worry! :)",
};
inline constexpr std::string_view kComment = "Add any comment if you wish:";
inline constexpr std::string_view kEmail = "Your e-mail address (optional):";
inline constexpr std::string_view kFinish = "Send feedback and finish uninstall";
inline constexpr std::string_view kNoFeedback = "Do not send feedback";
inline constexpr std::string_view kPrivacy = "See privacy statement";
inline constexpr std::string_view kChooseReason =
    "Please choose an item from the reasons list, and/or add a short comment before finishing uninstall!";
inline constexpr std::string_view kWarning = "Warning!";
}  // namespace poll_texts

inline constexpr int kPollCommentMax = 200;
inline constexpr int kPollEmailMax = 100;
// A comment longer than this (trimmed) is an answer of its own.
inline constexpr size_t kPollCommentEnough = 10;

class TfrmPoll final : public framework::Form {
public:
    TfrmPoll();
    ~TfrmPoll() override;

    framework::Label lbIntro{*this, "lbIntro"};
    toolkit::RadioGroup rgUninst{*this, "rgUninst"};
    framework::Label lbComment{*this, "lbComment"};
    framework::Edit mComment{*this, "mComment", true};
    framework::Label lbEmail{*this, "lbEmail"};
    framework::Edit edEmail{*this, "edEmail"};
    toolkit::TRotButton btnFinish{*this, "btnFinish"};
    toolkit::TRotButton SpeedButton1{*this, "SpeedButton1"};
    toolkit::TRotButton SpeedButton2{*this, "SpeedButton2"};

    void rgUninstClick();
    void mCommentChange();
    void btnFinishClick();
    void SpeedButton1Click();   // "Do not send feedback"
    void SpeedButton2Click();   // "See privacy statement"

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_DLGMODALFRAME | WS_EX_TOPMOST; }
    void CreateControls() override;

private:
    bool CommentIsEnough() const;
};

// The poll open at the moment, if any.
inline TfrmPoll* frmPoll = nullptr;

// Shows the poll modally and frees it; a poll already open comes to the front.
void ShowUninstallPoll();

}  // namespace settings
