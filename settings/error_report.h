#pragma once
// TfrmError: at start, when the last run wrote "errorlog.log" into the data
// folder, it offers to send the log to the maker's feedback page (opened in
// the browser, with the log in its query) or to delete it.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/owned.h"
#include "toolkit/gif_image.h"
#include "toolkit/rotatable_button.h"

namespace settings {

namespace error_texts {
inline constexpr std::string_view kCaption = "Submit error information";
inline constexpr std::string_view kExplanation =
    "Pelmora Virtual Desktop logged errors during its last run. You can send the error log to us, which helps us "
    "find and mend the fault, or delete it.";
inline constexpr std::string_view kCommentLabel = "Leave a comment if you wish:";
inline constexpr std::string_view kSend = "Send error log";
inline constexpr std::string_view kDelete = "Delete log";
inline constexpr std::string_view kPrivacy = "See our privacy statement";
}  // namespace error_texts

// The data folder's "errorlog.log"; empty while there is no data folder to
// hold it, so that nothing else can ever be taken for it.
std::string ErrorLogFile();
// The start of the log, as much as a report can carry; empty when unreadable.
std::string ReadErrorLog(const std::string& path);

class TfrmError final : public framework::Form {
public:
    TfrmError();
    ~TfrmError() override;

    framework::Label lbText{*this, "lbText"};
    framework::Label lbComment{*this, "lbComment"};
    framework::Edit mComment{*this, "mComment", true};
    toolkit::TRotButton btnOK{*this, "btnOK"};
    toolkit::TRotButton btnCancel{*this, "btnCancel"};
    toolkit::TRotButton RotButton1{*this, "RotButton1"};

    // When the error log exists: centred on the screen, shown without
    // waiting, in front. Otherwise nothing.
    void ShowIfErrorLog();

    void btnOKClick();        // "Send error log"
    void btnCancelClick();    // "Delete log"
    void RotButton1Click();   // "See our privacy statement"

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_BORDER | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void DeleteErrorLog();

    std::unique_ptr<toolkit::TGIFImage> picture_;
    framework::Font boldFont_;
};

inline TfrmError* frmError = nullptr;

}  // namespace settings
