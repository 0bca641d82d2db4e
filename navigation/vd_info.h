#pragma once
// TfrmVDInfo: the title, class and executable of the window picked in the
// preview, with one button each to make its class or its application sticky,
// or no longer sticky.
#include <windows.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/owned.h"
#include "toolkit/rotatable_button.h"
#include "toolkit/rx_speed_button.h"

namespace navigation {

namespace info_texts {
inline constexpr std::string_view kCaption = "Window Info";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kHelp = "Help";
inline constexpr std::string_view kClassNotSticky = "Class not sticky, press button to make it sticky!";
inline constexpr std::string_view kClassSticky = "Class is sticky, press button to make non-sticky!";
inline constexpr std::string_view kAppNotSticky = "Application not sticky, press button to make it sticky!";
inline constexpr std::string_view kAppSticky = "Application is sticky, press button to make non-sticky!";
}  // namespace info_texts

inline constexpr COLORREF kNotStickyColor = 0xB0C8C8;
inline constexpr COLORREF kStickyColor = 0xA0C0A0;
inline constexpr int kMaxInfoTitleChars = 249;

// A class name or an executable path as the sticky list holds it.
std::string StickyKey(std::string_view text);
bool InStickyList(const std::vector<std::string>& sticky, std::string_view text);
// What a pin button does with the sticky list for this text: true adds it,
// false removes it, none leaves the list alone (a window that has gone
// leaves an empty text, and an empty entry would match every window whose
// executable cannot be read).
std::optional<bool> PinChange(const std::vector<std::string>& sticky, std::string_view text);

class TfrmVDInfo final : public framework::Form {
public:
    TfrmVDInfo();
    ~TfrmVDInfo() override;

    framework::Label lbTitle{*this, "lbTitle"};
    framework::Panel pnClass{*this, "pnClass"};
    framework::Label lbClass{*this, "lbClass"};
    framework::Panel pnApp{*this, "pnApp"};
    framework::Label lbApp{*this, "lbApp"};
    // Their caption and glyph show the state.
    toolkit::TRxSpeedButton btnClsPin{*this, "btnClsPin"};
    toolkit::TRxSpeedButton btnAppPin{*this, "btnAppPin"};
    toolkit::TRotButton btnClose{*this, "btnClose"};
    toolkit::TRotButton btnHelp{*this, "btnHelp"};

    // Shown for the main form's picked window and brought to the front.
    void ShowFor(HWND w);
    void Refresh();
    void btnClsPinClick();
    void btnAppPinClick();
    void btnHelpClick();

protected:
    void CreateControls() override;

private:
    void Pin(const framework::Label& label);
    void LoadPinGlyphs();
    HWND window_ = nullptr;
    // The glyphs the pins take from: "not sticky" and "sticky".
    framework::Bitmap Image1;
    framework::Bitmap Image2;
};

extern TfrmVDInfo* frmVDInfo;

}  // namespace navigation
