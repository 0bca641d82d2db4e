#pragma once
// TfrmDeskName: the small translucent panel with the current desktop's name
// and a lock button that makes the desktop private or public. It sits near
// the taskbar's corner until the user drags it; then it keeps its distance
// to the screen's right and bottom edges ("desknamex", "desknamey").
#include <windows.h>
#include <shellapi.h>
#include <optional>
#include <string_view>
#include "framework/control.h"
#include "framework/custom_control.h"
#include "framework/form.h"

namespace navigation {

namespace deskname_texts {
inline constexpr std::string_view kUnlockReason = "You must enter your desktop lock password to unlock this desktop!";
}  // namespace deskname_texts

inline constexpr std::string_view kDeskNameXValue = "desknamex";
inline constexpr std::string_view kDeskNameYValue = "desknamey";

// The panel's distances: from its right edge to the screen's right edge, and
// from its top to the screen's bottom; -1 while the user has not placed it.
struct DeskNameDistances {
    int x = -1;
    int y = -1;
    bool Set() const noexcept { return x >= 0 && y >= 0; }
};

// Where the taskbar is, as the shell reports it (ABE_* edge).
struct TaskbarPlace {
    UINT edge = ABE_BOTTOM;
    RECT rect{};
};
// The shell's answer; a bottom taskbar of no height when it gives none.
TaskbarPlace AskTaskbarPlace();
SIZE ScreenSize() noexcept;

// The panel's top-left corner for this screen and panel size: from the
// user's distances when both are set, else beside the taskbar's corner; none
// for a taskbar edge the shell should not report (the panel stays). A place
// stored on a larger screen is pulled back onto this one.
std::optional<POINT> DeskNamePlace(SIZE screen, SIZE panel, DeskNameDistances d, const TaskbarPlace& taskbar);

// The distances of a panel with this bounds.
DeskNameDistances DistancesOf(SIZE screen, const RECT& panel) noexcept;

// The lock button: a flat 16 x 16 padlock, closed or open.
class TLockButton final : public framework::CustomControl {
public:
    TLockButton(framework::Form& owner, std::string name);
    bool Locked() const noexcept { return locked_; }
    void SetLocked(bool locked);
    void Paint(HDC dc, const RECT& client) const override;

protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;
    void MouseEnter() override { Invalidate(); }
    void MouseLeave() override { Invalidate(); }
    void PressChanged() override { Invalidate(); }

private:
    bool locked_ = false;
};

// The name label: in the panel's colour, and not in the way of the mouse,
// which drags the panel.
class TDeskNameLabel final : public framework::Label {
public:
    using Label::Label;
    HBRUSH OnColor(HDC dc) override;
};

class TfrmDeskName final : public framework::Form {
public:
    TfrmDeskName();
    ~TfrmDeskName() override;

    TDeskNameLabel lbDeskName{*this, "lbDeskName"};
    TLockButton btnLock{*this, "btnLock"};

    // Refreshes the panel for this desktop and shows it without taking the
    // focus, or hides it (switched off, or the lock cover is up).
    void UpdateDeskName(int desktop);
    void PlaceDeskName();
    void btnLockClick();

    DeskNameDistances Distances() const noexcept { return FDist; }
    int Desktop() const noexcept { return FDesktop; }

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormCreate() override;
    LRESULT Dispatch(UINT m, WPARAM w, LPARAM l) override;

private:
    void UpdateLockGlyph();
    void BeginDrag(POINT cursor);
    void Drag(POINT cursor);
    void EndDrag();

    DeskNameDistances FDist;
    POINT FDragOffset{};
    bool dragging_ = false;
    int FDesktop = 1;
};

inline TfrmDeskName* frmDeskName = nullptr;

}  // namespace navigation
