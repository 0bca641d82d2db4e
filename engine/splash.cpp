#include "engine/splash.h"
#include <string>
#include "framework/owned.h"
#include "toolkit/form_pictures.h"

namespace engine {
namespace {
constexpr int kWidth = 402, kHeight = 202;
constexpr int kPanelTop = 152, kPanelWidth = 31, kPanelHeight = 29, kPanelStep = 33;
constexpr char kProduct[] = "Pelmora Virtual Desktop";
}  // namespace

TfrmSplash::TfrmSplash() : Form("frmSplash") {}

void TfrmSplash::CreateControls() {
    SetColor(RGB(0, 0, 0));
    picture_ = toolkit::LoadFormPicture(toolkit::pictures::kSplash);
    SetBounds((::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2, kWidth,
              kHeight);
    for (int tag = 1; tag <= kPanels; ++tag) {
        auto p = std::make_unique<framework::Panel>(*this, "Panel" + std::to_string(tag));
        framework::ControlSpec spec{framework::Kind::Panel, "", nullptr, 4 + kPanelStep * (tag - 1), kPanelTop,
                                    kPanelWidth, kPanelHeight, "", tag};
        p->CreateWindowFor(Handle(), spec, 200 + tag);
        p->SetColor(SplashPanelColor(0, tag));
        panels_[static_cast<size_t>(tag - 1)] = std::move(p);
    }
}

void TfrmSplash::Paint(HDC dc, const RECT& client) {
    // The picture, and the product's name on its dark field above the panels.
    RECT pic{client.left + 1, client.top + 1, client.left + 401, client.top + 201};
    picture_->Draw(dc, pic);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(240, 240, 240));
    RECT text{pic.left, pic.top + 40, pic.right, pic.top + 110};
    ::DrawTextA(dc, kProduct, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

COLORREF TfrmSplash::PanelColor(int tag) const {
    const auto& p = panels_.at(static_cast<size_t>(tag - 1));
    return p ? p->Color() : CLR_INVALID;
}

void TfrmSplash::SetProgress(int percent) {
    for (int tag = 1; tag <= kPanels; ++tag)
        if (auto& p = panels_[static_cast<size_t>(tag - 1)]) p->SetColor(SplashPanelColor(percent, tag));
    Repaint();
}

void SetSplashProgress(int percent) {
    if (frmSplash) frmSplash->SetProgress(percent);
}

}  // namespace engine
