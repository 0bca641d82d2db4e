#include "engine/wait_window.h"

namespace engine {
namespace {
constexpr int kWidth = 300, kHeight = 60;
constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "lbMsg", nullptr, 12, 20, kWidth - 24, 20, "", 0},
};
}  // namespace

TfrmWait::TfrmWait() : Form("frmWait") {}

void TfrmWait::CreateControls() {
    SetBounds(0, 0, kWidth, kHeight);
    ApplyLayout(kLayout);
}

void TfrmWait::ShowWait(std::string_view text) {
    lbMsg.SetCaption(text);
    SetPosition(::GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2 - Height() / 2);
    ::ShowWindow(Handle(), SW_SHOW);
    Repaint();
}

void TfrmWait::HideWait() { Hide(); }

}  // namespace engine
