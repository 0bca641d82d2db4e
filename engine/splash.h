#pragma once
// The splash window with its row of progress panels, shown during start-up.
#include <array>
#include <memory>
#include "framework/control.h"
#include "framework/form.h"
#include "toolkit/gif_image.h"

namespace engine {

class TfrmSplash final : public framework::Form {
public:
    static constexpr int kPanels = 12;
    TfrmSplash();
    void SetProgress(int percent);
    COLORREF PanelColor(int tag) const;
protected:
    DWORD InitialStyle() const override { return WS_POPUP; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void Paint(HDC dc, const RECT& client) override;
private:
    std::array<std::unique_ptr<framework::Panel>, kPanels> panels_;
    std::unique_ptr<toolkit::TGIFImage> picture_;   // 400 x 200, from the program's resources
};

// Colour of a progress panel: light until the progress reaches it.
constexpr COLORREF SplashPanelColor(int percent, int tag) { return percent / 8 < tag ? 0xF8F8F8 : 0xC4DBC9; }

// Steps the splash when it exists; does nothing otherwise.
void SetSplashProgress(int percent);
inline TfrmSplash* frmSplash = nullptr;

}  // namespace engine
