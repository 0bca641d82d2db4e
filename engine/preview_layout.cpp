#include "engine/preview_layout.h"
#include <shellapi.h>
#include <algorithm>
#include "framework/text.h"

namespace engine::preview {
namespace {

int Round(double v) { return static_cast<int>(framework::BankersRound(v)); }

// Screen pixels per thumbnail pixel; the thumbnail's 2-pixel border on each
// side holds no part of the screen.
double ScaleOf(int screen, int thumb) { return static_cast<double>(screen) / (thumb - 4); }

}  // namespace

Grid LayoutGrid(int cols, int rows, SIZE cell) {
    Grid g;
    g.cols = std::max(cols, 1);
    g.rows = std::max(rows, 1);
    g.pitchW = static_cast<int>(cell.cx) + 4;
    g.pitchH = static_cast<int>(cell.cy) + 4;
    return g;
}

RECT Grid::Thumb(int n) const {
    if (n < 1 || n > Count()) return {};
    const int c = (n - 1) % cols;
    const int r = (n - 1) / cols;
    const int left = (pitchW + 1) * c + kBarWidth;
    const int top = (pitchH + 1) * r + kStripWidth;
    return {left, top, left + pitchW, top + pitchH};
}

int Grid::DesktopAt(POINT p) const {
    for (int n = 1; n <= Count(); ++n) {
        const RECT r = Thumb(n);
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return n;
    }
    return 0;
}

RECT ThumbWindowRect(const RECT& window, SIZE screen, SIZE thumb) {
    const double sx = ScaleOf(screen.cx, thumb.cx);
    const double sy = ScaleOf(screen.cy, thumb.cy);
    RECT d;
    d.left = std::max(Round(window.left / sx) + 3, 3);
    d.top = std::max(Round(window.top / sy) + 3, 3);
    d.right = std::max(std::min(Round((window.right - window.left) / sx + d.left) - 2, static_cast<int>(thumb.cx) - 3), 3);
    d.bottom = std::max(std::min(Round((window.bottom - window.top) / sy + d.top) - 2, static_cast<int>(thumb.cy) - 3), 3);
    return d;
}

RECT TitleStrip(const RECT& drawn) {
    return {drawn.left, drawn.top, drawn.right, std::min(drawn.bottom + 1, drawn.top + 18)};
}

POINT ThumbPointToScreen(POINT p, SIZE screen, SIZE thumb) {
    // A drawn left edge L stands for screen x in [(L - 3.5) s, (L - 2.5) s):
    // taking the far end of each pixel keeps the whole drawn rectangle,
    // edges included, on its window.
    const double sx = ScaleOf(screen.cx, thumb.cx);
    const double sy = ScaleOf(screen.cy, thumb.cy);
    return {Round((p.x - 2.5) * sx), Round((p.y - 2.5) * sy)};
}

std::optional<POINT> TaskbarPlacement(UINT edge, const RECT& taskbar, SIZE screen, SIZE form) {
    const int sw = screen.cx, sh = screen.cy, fw = form.cx, fh = form.cy;
    switch (edge) {
    case ABE_LEFT: return POINT{taskbar.right, sh - fh};
    case ABE_TOP: return POINT{sw - fw, taskbar.bottom};
    case ABE_RIGHT: return POINT{sw - fw - (taskbar.right - taskbar.left), sh - fh};
    case ABE_BOTTOM: return POINT{sw - fw, sh - fh - (taskbar.bottom - taskbar.top)};
    default: return std::nullopt;
    }
}

POINT MousePlacement(bool middleOfScreen, POINT cursor, SIZE screen, SIZE form) {
    const int sw = screen.cx, sh = screen.cy, fw = form.cx, fh = form.cy;
    if (middleOfScreen) return {sw / 2 - fw / 2, sh / 2 - fh / 2};
    return {std::min(std::max(static_cast<int>(cursor.x) - fw / 2, 0), sw - fw),
            std::min(std::max(static_cast<int>(cursor.y) - fh / 2, 0), sh - fh)};
}

POINT KeepTitleBarOn(const RECT& area, POINT wanted, SIZE window, int titleHeight) {
    const LONG x = std::max(area.left, std::min(wanted.x, area.right - window.cx));
    const LONG y = std::max(area.top, std::min(wanted.y, area.bottom - std::max(titleHeight, 1)));
    return {x, y};
}

}  // namespace engine::preview
