#pragma once
// The wait window shown while desktop icons are saved or restored.
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"

namespace engine {

class TfrmWait final : public framework::Form {
public:
    TfrmWait();
    void ShowWait(std::string_view text);
    void HideWait();
protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_BORDER; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
private:
    framework::Label lbMsg{*this, "lbMsg"};
};

inline TfrmWait* frmWait = nullptr;

}  // namespace engine
