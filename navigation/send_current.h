#pragma once
// TfrmSendCurrent: "Send current application to ...", a small window that
// sends the application of the window in front to another desktop with one
// click on a numbered tile. The gesture opens it at the cursor; it closes
// itself 2 seconds after the mouse has left it.
#include <windows.h>
#include <array>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/graphic_control.h"
#include "framework/timer.h"
#include "navigation/tile_panel.h"

namespace navigation {

namespace send_current_texts {
inline constexpr std::string_view kCaption = "Send current application to ...";
inline constexpr std::string_view kSticky = "Application is sticky, cannot send!";
inline constexpr std::string_view kCancel = "Do not send. Cancel.";
inline constexpr std::string_view kHelp = "Help!";
inline constexpr std::string_view kClose = "x";
}  // namespace send_current_texts

namespace send_current {

inline constexpr UINT kTimerMs = 100;
inline constexpr int kCancelTag = 10;
inline constexpr int kHelpTag = 11;

// A tile with this tag shows: Cancel and Help always, a desktop's tile when
// the desktop lies in the grid and the application is not sticky.
bool TileVisible(int tag, int desktopCount, bool sticky) noexcept;

// The desktop an application leaves when it is sent: the desktop its window
// is recorded on, else the current one. The lock password protects that
// desktop, not the one the application goes to.
int SourceDesktop(int recordDesktop, int currentDesktop) noexcept;

}  // namespace send_current

// A label that paints its own background in the form's colour: its text
// changes at every opening and must not be drawn over the last one.
class TSolidLabel final : public framework::Label {
public:
    using framework::Label::Label;
    HBRUSH OnColor(HDC dc) override;

private:
    framework::Brush brush_;
    COLORREF brushColor_ = CLR_INVALID;
};

class TfrmSendCurrent final : public framework::Form {
public:
    TfrmSendCurrent();
    ~TfrmSendCurrent() override;

    TSolidLabel lbApp{*this, "lbApp"};
    TSolidLabel lbSticky{*this, "lbSticky"};
    // Panel5 to Panel13: desktops 1 to 9; Panel14 Cancel; Panel15 Help.
    TTilePanel Panel5{*this, "Panel5"}, Panel6{*this, "Panel6"}, Panel7{*this, "Panel7"};
    TTilePanel Panel8{*this, "Panel8"}, Panel9{*this, "Panel9"}, Panel10{*this, "Panel10"};
    TTilePanel Panel11{*this, "Panel11"}, Panel12{*this, "Panel12"}, Panel13{*this, "Panel13"};
    TTilePanel Panel14{*this, "Panel14"}, Panel15{*this, "Panel15"};
    TTilePanel SpeedButton1{*this, "SpeedButton1"};
    framework::Image imgApp{"imgApp", 0};

    HWND FWindow = nullptr;       // the window whose application is to be sent
    bool FIsSticky = false;       // its executable is in the sticky list
    DWORD FLastInside = 0;        // the time the mouse was last inside the form

    void ShowSendCurrent(HWND w);
    void HideSendCurrent();

    // The tiles' clicks.
    void DesktopTileClick(int desktop);
    void Panel14Click();          // Cancel, and SpeedButton1
    void Panel15Click();          // Help, and F1 released

    // Colours and visibility of the tiles, the one under the mouse (or none)
    // in the hover colour.
    void RefreshTiles(const TTilePanel* hovered);

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    std::array<TTilePanel*, 11> Tiles() noexcept;   // every tile with a tag, in tag order
    void ShowApplicationIcon(const std::string& exePath);
    void Timer1Timer();

    framework::Font boldFont_;
    framework::Timer Timer1{send_current::kTimerMs, [this] { Timer1Timer(); }};
};

inline TfrmSendCurrent* frmSendCurrent = nullptr;

}  // namespace navigation
