#pragma once
// The screen-edge navigation window: a translucent arrow bar centred on the
// edge the cursor rests on, with the number of the desktop that lies in that
// direction; a click switches there, a right click opens the main menu. The
// input poll decides when the cursor has rested long enough; its geometry
// and the neighbour rule are the pure functions of edge_geometry.h.
#include <windows.h>
#include <string>
#include "framework/form.h"
#include "framework/owned.h"
#include "framework/timer.h"
#include "navigation/edge_geometry.h"

namespace navigation {

inline constexpr BYTE kEdgeNavAlpha = 196;
inline constexpr UINT kEdgeNavTimerMs = 20;
inline constexpr COLORREF kEdgeNumberColor = 0xD0E8E8;
inline constexpr int kEdgeNumberHeight = 20;

// The bar's rectangle at this edge of the screen in force; an empty
// rectangle for an edge that is none.
RECT GetEdgeRect(TScreenEdge edge);

// The cursor still counts as on the bar on its right and bottom border line.
constexpr bool OnBar(const RECT& bar, POINT p) {
    return p.x >= bar.left && p.x <= bar.right && p.y >= bar.top && p.y <= bar.bottom;
}

// Where the number stands: beside the arrow along the top and bottom edge,
// above it along the sides.
constexpr UINT NumberAlignment(TScreenEdge edge) {
    return edge == TScreenEdge::Up || edge == TScreenEdge::Down ? DT_LEFT | DT_VCENTER | DT_SINGLELINE
                                                                  : DT_CENTER | DT_TOP | DT_SINGLELINE;
}

class TfrmEdgeNav final : public framework::Form {
public:
    TfrmEdgeNav();
    ~TfrmEdgeNav() override;

    // The cursor has rested on this edge: the bar is laid out there and shown
    // when the edge leads to another desktop.
    void ShowAtEdge(TScreenEdge edge);
    // FTarget for FEdge and the current desktop, shown as the number.
    void UpdateEdgeTarget();
    void HideEdgeNav();
    // A mouse knock: the edge becomes the bar's edge and its target answers.
    int TakeEdge(TScreenEdge edge);

    TScreenEdge Edge() const noexcept { return FEdge; }
    int Target() const noexcept { return FTarget; }
    // The number the bar shows; also its window text, so that screen readers
    // (and tests) can read it.
    const std::string& NumberText() const noexcept { return number_; }

    void imBarClick();
    void Timer1Timer();

protected:
    DWORD InitialStyle() const override { return WS_POPUP; }
    DWORD InitialExStyle() const override;
    void FormCreate() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    HBITMAP ArrowFor(TScreenEdge edge) const noexcept;
    void PopupMainMenu();
    bool OwnMenuOpen() const;

    TScreenEdge FEdge = TScreenEdge::None;
    int FTarget = 0;
    std::string number_;
    HBITMAP imBar_ = nullptr;   // one of the four arrows below
    framework::Bitmap imUp_, imDown_, imLeft_, imRight_;
    framework::Font numFont_;
    bool menuOpen_ = false;
    framework::Timer Timer1{kEdgeNavTimerMs, [this] { Timer1Timer(); }};
};

extern TfrmEdgeNav* frmEdgeNav;

}  // namespace navigation
