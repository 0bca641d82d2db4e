#pragma once
// The preview's geometry as plain arithmetic: the grid of thumbnails, the
// scaling between the screen and a thumbnail, the placement of the window
// and its opacity. No window handles here.
#include <windows.h>
#include <array>
#include <optional>

namespace engine::preview {

// Origin of the last opening: 1 at the mouse or centred, 2 next to the taskbar.
constexpr int kOriginMouse = 1;
constexpr int kOriginTaskbar = 2;

// The thumbnails' left bar and the strips around them.
constexpr int kBarWidth = 24;
constexpr int kStripWidth = 3;

// Cell size by "prevsize": Large, Medium, Small, Tiny; any other index Medium.
constexpr SIZE CellSize(int prevSize) {
    switch (prevSize) {
    case 0: return {320, 240};
    case 2: return {220, 165};
    case 3: return {160, 120};
    default: return {260, 195};
    }
}

// Label k (Label1..Label9) names the thumbnail of desktop kLabelTags[k - 1]:
// the labels were laid out in another order than the thumbnails.
constexpr std::array<int, 9> kLabelTags{1, 2, 3, 6, 5, 4, 9, 8, 7};

// The label font: large, unless the name does not fit the cell.
constexpr int kLabelLargePoints = 31;
constexpr int kLabelSmallPoints = 13;
constexpr int LabelPoints(int pitchWidth, int largeTextWidth) {
    return pitchWidth - 10 < largeTextWidth ? kLabelSmallPoints : kLabelLargePoints;
}

// The desktops' grid: columns by rows, the desktops numbered row by row.
struct GridSize {
    int cols = 1;
    int rows = 1;

    constexpr int Count() const { return cols * rows; }
    constexpr bool operator==(const GridSize&) const = default;
};

// The preview's thumbnails for a grid.
struct Grid : GridSize {
    int pitchW = 0;   // thumbnail width: the cell plus its 2-pixel border on each side
    int pitchH = 0;

    SIZE Client() const { return {pitchW * cols + kBarWidth + 4, pitchH * rows + 7}; }
    // Bounds of desktop n's thumbnail in client coordinates; empty outside the grid.
    RECT Thumb(int n) const;
    // The desktop whose thumbnail holds the client point, or 0.
    int DesktopAt(POINT p) const;
};

Grid LayoutGrid(int cols, int rows, SIZE cell);

struct Alpha {
    BYTE value;
    bool enabled;
};
// 255 - trunc(2.55 x transparency), computed exactly; opaque below 1.
constexpr Alpha PreviewAlpha(int transparency) {
    if (transparency < 1) return {255, false};
    const int cut = transparency * 255 / 100;
    return {static_cast<BYTE>(cut >= 255 ? 0 : 255 - cut), true};
}

// A window's rectangle as drawn into a thumbnail of the given size: kept
// inside the thumbnail's 3-pixel margin, each side 2 pixels in from its
// neighbour's.
RECT ThumbWindowRect(const RECT& window, SIZE screen, SIZE thumb);
// The title strip along the top of a drawn window rectangle.
RECT TitleStrip(const RECT& drawn);
// The screen point a thumbnail pixel stands for: the inverse of the drawing,
// so that every pixel of a drawn rectangle stands for a point of its window.
POINT ThumbPointToScreen(POINT p, SIZE screen, SIZE thumb);
// Inclusive on all four sides, as window rectangles are hit-tested.
constexpr bool RectHolds(const RECT& r, POINT p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

// Next to the taskbar on the given edge (ABE_*); nothing for another answer.
std::optional<POINT> TaskbarPlacement(UINT edge, const RECT& taskbar, SIZE screen, SIZE form);
// Centred on the cursor and kept on the screen, or in the middle of the screen.
POINT MousePlacement(bool middleOfScreen, POINT cursor, SIZE screen, SIZE form);

// Where a window dragged in the preview goes: the place the drag asks for,
// moved as little as needed to keep its title bar (its top titleHeight
// pixels) on the area, as wide as the window allows; a window wider than
// the area keeps its left edge on it. A drag that enters another desktop's
// thumbnail at its edge never leaves the window where it cannot be grabbed.
POINT KeepTitleBarOn(const RECT& area, POINT wanted, SIZE window, int titleHeight);

}  // namespace engine::preview
