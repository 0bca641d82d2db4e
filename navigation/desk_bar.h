#pragma once
// TfrmDeskBar: a thin strip docked to one screen edge as a shell application
// bar, so that maximised windows leave room for it, with one button per
// desktop. A click switches to that desktop; the current desktop's button is
// larger, bold and stands out. Its edge is the setting "deskbar".
#include <windows.h>
#include <shellapi.h>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "framework/form.h"
#include "framework/owned.h"
#include "framework/popup_menu.h"
#include "navigation/desk_name.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace deskbar_texts {
inline constexpr std::string_view kSetPosition = "Set desktopbar position";
inline constexpr std::string_view kTop = "Top";
inline constexpr std::string_view kLeft = "Left";
inline constexpr std::string_view kRight = "Right";
inline constexpr std::string_view kBottom = "Bottom";
inline constexpr std::string_view kConfigure = "Configure";
inline constexpr std::string_view kExit = "Exit";
}  // namespace deskbar_texts

inline constexpr UINT kDeskBarCallback = WM_USER + 100;   // the shell's notices to the bar
inline constexpr int kDeskBarThickness = 21;

// The screen without the taskbar.
RECT FreeArea(SIZE screen, const TaskbarPlace& taskbar) noexcept;
// The bar's rectangle on its edge (ABE_*) of the screen's free area.
RECT DeskBarRect(UINT barEdge, SIZE screen, const RECT& free) noexcept;
// The "deskbar" value of a bar edge (1 left, 2 right, 3 top, 4 bottom).
int DeskBarIndex(UINT barEdge) noexcept;

// The place of each button (desktop 1 first) in the bar's client area, given
// the size each has in its present style: along the bar from 3 with 2 pixels
// between; across it at the edge's inset, the current desktop's 2 pixels
// further out from the screen's edge.
std::vector<RECT> DeskButtonRects(UINT barEdge, std::span<const SIZE> extents, int current);
// The bar's visible shape: the union of the buttons' rounded outlines.
framework::Region DeskBarRegion(std::span<const RECT> buttons);

class TfrmDeskBar final : public framework::Form {
public:
    TfrmDeskBar();
    ~TfrmDeskBar() override;

    UINT FBarEdge = ABE_LEFT;
    std::vector<std::string> FCaptions;   // one per desktop, desktop 1 first

    // Docks and registers the bar, or takes it off the shell and hides it.
    void SetDeskBarVisible(bool visible);
    void DockDeskBar();
    void HighlightCurrentDesk();
    // Selects the bar's edge in the settings dialog and writes it as "deskbar".
    void SaveDeskBarEdge();
    // Takes the bar off the shell's list of application bars; safe to repeat.
    void RemoveAppBar() noexcept;
    bool Registered() const noexcept { return FAppBarData.cbSize != 0; }

    const std::vector<std::unique_ptr<toolkit::TRotButton>>& Buttons() const noexcept { return buttons_; }
    framework::PopupMenu PopupMenu1;

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormDestroy() override;
    LRESULT Dispatch(UINT m, WPARAM w, LPARAM l) override;

private:
    RECT WantedRect() const;    // on FBarEdge of the screen without the taskbar
    void ComputeDeskBarRect();
    void BuildDeskButtons();
    void StyleDeskButton(toolkit::TRotButton& button, int desktop, bool current);
    void UpdateDeskBarRegion();
    void DeskButtonClick(int desktop);
    void PositionChanged();
    void MoveToEdge(UINT edge);
    void BuildMenu();
    int ShownDesktop() const noexcept;

    APPBARDATA FAppBarData{};   // cbSize 0: not registered with the shell
    bool FResizing = false;     // size changes are taken only while docking
    bool docking_ = false;
    std::vector<std::unique_ptr<toolkit::TRotButton>> buttons_;
};

inline TfrmDeskBar* frmDeskBar = nullptr;

}  // namespace navigation
