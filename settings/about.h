#pragma once
// TfrmAbout: the About box with the version and the three text files beside
// the program (license, version history, privacy statement). The error
// report and the uninstall poll open the privacy statement the same way.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/owned.h"
#include "toolkit/gif_image.h"
#include "toolkit/rotatable_button.h"

namespace settings {

namespace about_texts {
inline constexpr std::string_view kCaption = "About :::";
inline constexpr std::string_view kTitle = "Pelmora Virtual Desktop";
inline constexpr std::string_view kKova = "KOVA special build";
inline constexpr std::string_view kLicense = "License";
inline constexpr std::string_view kHistory = "History";
inline constexpr std::string_view kPrivacy = "Privacy";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kLicenseMissing = "License agreement file (license.txt) not found!";
inline constexpr std::string_view kHistoryMissing = "Version history file (history.txt) not found!";
inline constexpr std::string_view kPrivacyMissing = "Privacy statement file (privacy.txt) not found!";
}  // namespace about_texts

// The text files beside the program.
struct TextBeside {
    std::string_view file;
    std::string_view missing;   // the plain message when the file is not there
};
inline constexpr TextBeside kLicenseFile{"license.txt", about_texts::kLicenseMissing};
inline constexpr TextBeside kHistoryFile{"history.txt", about_texts::kHistoryMissing};
inline constexpr TextBeside kPrivacyFile{"privacy.txt", about_texts::kPrivacyMissing};

// Opens a document or an address with the shell's "open" verb, shown
// normally. Whether a viewer or browser takes it is not checked.
void ShellOpen(const std::string& target);
// Tests watch what is opened instead; an empty function restores the shell.
using ShellOpenFn = std::function<void(const std::string& target)>;
void SetShellOpener(ShellOpenFn opener);

// Opens the file beside the program, or says plainly that it is missing.
void OpenTextBeside(const TextBeside& text);

class TfrmAbout final : public framework::Form {
public:
    TfrmAbout();
    ~TfrmAbout() override;

    framework::Label lbTitle{*this, "lbTitle"};
    framework::Label lbVersion{*this, "lbVersion"};
    framework::Label lbKOVA{*this, "lbKOVA"};
    toolkit::TRotButton btnLicense{*this, "btnLicense"};
    toolkit::TRotButton btnHistory{*this, "btnHistory"};
    toolkit::TRotButton btnPrivacy{*this, "btnPrivacy"};
    toolkit::TRotButton btnClose{*this, "btnClose"};

    void btnLicenseClick();
    void btnHistoryClick();
    void btnPrivacyClick();
    void btnCloseClick();

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_BORDER | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW; }
    void CreateControls() override;
    void FormCreate() override;
    void FormShow() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    std::unique_ptr<toolkit::TGIFImage> logo_;
    framework::Font titleFont_;
};

inline TfrmAbout* frmAbout = nullptr;

// The About box of the main menu: a new box without owner, shown modally,
// then freed.
void RunAboutBox();

}  // namespace settings
