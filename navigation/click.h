#pragma once
// The click window: a tiny always-on-top picture of the current desktop's
// number that the user drags anywhere on the screen. A left click opens the
// desktop preview beside the taskbar, a right click the main menu. Its place
// survives display-mode changes as fractions of the screen size.
#include <windows.h>
#include <cstdlib>
#include <string>
#include "framework/form.h"
#include "framework/graphic.h"

namespace navigation {

inline constexpr BYTE kClickAlpha = 196;
inline constexpr int kClickSmall = 16;
inline constexpr int kClickLarge = 32;
// Places are kept in 1/10000 of the screen's width and height.
inline constexpr int kClickScale = 10000;
// A press becomes a drag only when one mouse event moves the cursor by more
// than this on both axes.
inline constexpr int kClickDragSlop = 3;

// A left or top edge as a fraction of the screen size, truncated.
constexpr int ClickFraction(int pos, int screenSize) noexcept {
    if (screenSize <= 0) return 0;
    return static_cast<int>(static_cast<long long>(pos) * kClickScale / screenSize);
}

constexpr bool IsClickDrag(POINT from, POINT to) noexcept {
    const int dx = to.x - from.x, dy = to.y - from.y;
    return (dx > kClickDragSlop || dx < -kClickDragSlop) && (dy > kClickDragSlop || dy < -kClickDragSlop);
}

class TfrmClick final : public framework::Form {
public:
    TfrmClick();
    ~TfrmClick() override;

    // Shown exactly when "Desktop info window" is on; 32 x 32 with "Large
    // info window", else 16 x 16, the top-left corner kept.
    void ApplyClickSettings(bool shown, bool large);
    void StoreClickPosition();
    void RestoreClickPosition();
    // The place the settings keep across restarts.
    void PlaceAt(int left, int top);
    // The desktop's number picture ("gfx\l<n>.bmp"); a damaged file raises
    // and leaves the picture as it was.
    void LoadPicture(const std::string& bitmapFile);
    bool HasPicture() const { return !picture_.Empty(); }

    int FPosX = 0;   // Left and Top in 1/10000 of the screen
    int FPosY = 0;
    bool Dragged() const noexcept { return FDragged; }

    // The mouse on the picture, in screen coordinates.
    void Image1MouseDown(POINT cursor, bool rightHeld);
    void Image1MouseMove(POINT cursor, bool leftHeld);
    void Image1MouseUp();

protected:
    DWORD InitialStyle() const override { return WS_POPUP; }
    DWORD InitialExStyle() const override;
    void FormCreate() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void ShowClick();
    POINT FDragPoint{};
    bool FDragged = false;
    bool FRightPress = false;
    framework::BitmapPicture picture_;
};

extern TfrmClick* frmClick;

}  // namespace navigation
