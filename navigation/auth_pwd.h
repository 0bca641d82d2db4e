#pragma once
// TfrmAuthPwd: the full-screen cover of a locked private desktop. The engine
// hands it the prompt at every tick; it shows itself while the current
// desktop is locked, stays in front, and goes away with the right password
// (which unlocks the desktop and shows its windows) or by going back.
#include <windows.h>
#include <functional>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/graphic_control.h"
#include "framework/owned.h"
#include "navigation/enter_esc_keys.h"

namespace navigation {

namespace cover_texts {
inline constexpr std::string_view kInvalid = "Password is invalid. Try again on cancel.";
// The captions drawn over the picture's two buttons.
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kGoBack = "Go back";
}  // namespace cover_texts

inline constexpr COLORREF kCoverColor = 0xC48B31;

// Where go back leads: the previous desktop, or, when that is the current
// one (desktop 1 private at start) or lies outside the grid, the first
// desktop that is not private. 0 when there is none: the cover stays.
int GoBackTarget(int previous, int current, int desktopCount, const std::function<bool(int)>& isPrivate);

class TfrmAuthPwd final : public framework::Form {
public:
    TfrmAuthPwd();
    ~TfrmAuthPwd() override;

    framework::Edit edPwd{*this, "edPwd"};
    framework::Label lbReason{*this, "lbReason"};
    framework::Label lbResult{*this, "lbResult"};

    // Shown, and brought to the front, while the current desktop is locked;
    // hidden otherwise.
    void ShowAuthCover(std::string_view reason);
    void HideAuthCover();

    void btnOKClick();
    void btnGobackClick();
    // The two buttons drawn on the picture, in client coordinates.
    const RECT& OKButton() const noexcept { return btnOK_; }
    const RECT& GobackButton() const noexcept { return btnGoback_; }

protected:
    // No clipping of the children: the labels are transparent over the
    // pictures the form paints.
    DWORD InitialStyle() const override { return WS_POPUP; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormDestroy() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void LoadPictures();
    void PlaceControls();
    void ShowResult();
    void MouseUp(POINT at);
    void PaintButton(HDC dc, const RECT& r, std::string_view caption) const;

    framework::Image imLeft{"imLeft", 0};
    framework::Image imMid{"imMid", 0};
    int picturesTop_ = 0;
    RECT btnOK_{};
    RECT btnGoback_{};
    const RECT* pressed_ = nullptr;
    bool checking_ = false;
    framework::Font reasonFont_;
    framework::Font boldFont_;
    TEnterEscKeys keys_;
};

extern TfrmAuthPwd* frmAuthPwd;

// The cover is up (the name panel stays hidden meanwhile).
bool LockCoverVisible();

}  // namespace navigation
