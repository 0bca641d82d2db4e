#include "settings/about.h"
#include <shellapi.h>
#include "engine/gtools.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "settings/feedback.h"
#include "settings/subsystem_links.h"
#include "toolkit/form_pictures.h"

namespace settings {
namespace {

using K = framework::Kind;

constexpr int kClientWidth = 360, kClientHeight = 184;
constexpr RECT kLogo{16, 20, 80, 84};
constexpr COLORREF kBackground = RGB(0xF4, 0xF7, 0xFA);
constexpr COLORREF kLineColor = RGB(0xC8, 0xD8, 0xE8);
constexpr int kLineTop = 124;

constexpr framework::ControlSpec kLayout[] = {
    {K::Label, "lbTitle", nullptr, 96, 22, 250, 24, about_texts::kTitle.data(), 0},
    {K::Label, "lbVersion", nullptr, 96, 52, 250, 16, "", 0},
    {K::Label, "lbKOVA", nullptr, 96, 72, 250, 16, about_texts::kKova.data(), 0},
    {K::Custom, "btnLicense", nullptr, 16, 140, 76, 28, about_texts::kLicense.data(), 0},
    {K::Custom, "btnHistory", nullptr, 100, 140, 76, 28, about_texts::kHistory.data(), 0},
    {K::Custom, "btnPrivacy", nullptr, 184, 140, 76, 28, about_texts::kPrivacy.data(), 0},
    {K::Custom, "btnClose", nullptr, 268, 140, 76, 28, about_texts::kClose.data(), 0},
};

ShellOpenFn& Opener() {
    static ShellOpenFn opener;
    return opener;
}

}  // namespace

void ShellOpen(const std::string& target) {
    if (Opener()) return Opener()(target);
    ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void SetShellOpener(ShellOpenFn opener) { Opener() = std::move(opener); }

void OpenTextBeside(const TextBeside& text) {
    const std::string path = engine::GetAppFolder() + std::string(text.file);
    if (engine::FileExists(path))
        ShellOpen(path);
    else
        framework::ShowMessage(text.missing);
}

TfrmAbout::TfrmAbout() : Form("frmAbout") {}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::CreateControls() {
    SetCaption(about_texts::kCaption);
    SetColor(kBackground);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = -16;
    titleFont_.reset(::CreateFontIndirectA(&lf));
    ::SendMessageA(lbTitle.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
    for (auto* b : {&btnLicense, &btnHistory, &btnPrivacy, &btnClose}) b->UseDialogLook();
    btnLicense.OnClick = [this] { btnLicenseClick(); };
    btnHistory.OnClick = [this] { btnHistoryClick(); };
    btnPrivacy.OnClick = [this] { btnPrivacyClick(); };
    btnClose.OnClick = [this] { btnCloseClick(); };
    // The box is whole without its picture.
    framework::Guard([this] { logo_ = toolkit::LoadFormPicture(toolkit::pictures::kWizardLogo); });
    CenterOnScreen();
}

void TfrmAbout::FormCreate() { lbVersion.SetCaption(kProgramVersion); }

void TfrmAbout::FormShow() { links::HidePreview(); }

void TfrmAbout::Paint(HDC dc, const RECT& client) {
    if (logo_) logo_->Draw(dc, kLogo);
    framework::Brush line(::CreateSolidBrush(kLineColor));
    RECT r{client.left + 16, kLineTop, client.right - 16, kLineTop + 1};
    ::FillRect(dc, &r, line.get());
}

void TfrmAbout::btnLicenseClick() { OpenTextBeside(kLicenseFile); }
void TfrmAbout::btnHistoryClick() { OpenTextBeside(kHistoryFile); }
void TfrmAbout::btnPrivacyClick() { OpenTextBeside(kPrivacyFile); }
void TfrmAbout::btnCloseClick() { Close(); }

void RunAboutBox() {
    auto box = std::make_unique<TfrmAbout>();
    box->CreateHandle();
    box->ShowModal();
}

}  // namespace settings
