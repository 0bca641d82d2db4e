#pragma once
// The screen-edge navigator's geometry and neighbour rule, without windows:
// where its arrow bar sits at each edge of the screen, the one-pixel strip
// along that edge in which the cursor must rest, and which desktop the edge
// leads to. The input poll's dwell test and the edge window share these.
#include <windows.h>
#include <array>
#include <optional>

namespace navigation {

enum class TScreenEdge : int { None = 0, Up = 1, Right = 2, Down = 3, Left = 4 };

// The edges in the order the input poll tests them.
inline constexpr std::array<TScreenEdge, 4> kScreenEdges{TScreenEdge::Up, TScreenEdge::Right, TScreenEdge::Down,
                                                         TScreenEdge::Left};

// The arrow pictures: 220 x 20 along the top and bottom, 20 x 220 along the sides.
inline constexpr SIZE kArrowHorizontal{220, 20};
inline constexpr SIZE kArrowVertical{20, 220};

constexpr SIZE ArrowSize(TScreenEdge edge) {
    switch (edge) {
    case TScreenEdge::Up:
    case TScreenEdge::Down: return kArrowHorizontal;
    case TScreenEdge::Right:
    case TScreenEdge::Left: return kArrowVertical;
    default: return SIZE{0, 0};
    }
}

// The bar's rectangle at this edge of a screen of width x height, centred on
// the edge; nothing for an edge that is none.
constexpr std::optional<RECT> EdgeRect(TScreenEdge edge, int width, int height) {
    const SIZE a = ArrowSize(edge);
    const LONG w = a.cx, h = a.cy, W = width, H = height;
    switch (edge) {
    case TScreenEdge::Up: return RECT{W / 2 - w / 2, 0, W / 2 + w / 2, h};
    case TScreenEdge::Right: return RECT{W - w, H / 2 - h / 2, W, H / 2 + h / 2};
    case TScreenEdge::Down: return RECT{W / 2 - w / 2, H - h, W / 2 + w / 2, H};
    case TScreenEdge::Left: return RECT{0, H / 2 - h / 2, w, H / 2 + h / 2};
    default: return std::nullopt;
    }
}

// The bar's rectangle cut to its outermost pixel row or column: where the
// cursor rests when it is pushed against that edge.
constexpr std::optional<RECT> EdgeStrip(TScreenEdge edge, int width, int height) {
    std::optional<RECT> r = EdgeRect(edge, width, height);
    if (!r) return r;
    switch (edge) {
    case TScreenEdge::Up: r->bottom = r->top + 1; break;
    case TScreenEdge::Right: r->left = r->right - 1; break;
    case TScreenEdge::Down: r->top = r->bottom - 1; break;
    case TScreenEdge::Left: r->right = r->left + 1; break;
    default: break;
    }
    return r;
}

// Left and top inclusive, right and bottom exclusive.
constexpr bool RectContains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The desktop that this edge leads to from desktop `current` in a grid of
// cols x rows (numbered row by row from 1). With wrap the far side of the
// row or column stands in for a missing neighbour. The current desktop
// itself when there is nothing in that direction.
constexpr int EdgeTarget(TScreenEdge edge, int current, int cols, int rows, bool wrap) {
    const int a = current, c = cols, n = cols * rows;
    if (c < 1 || rows < 1) return a;
    int target = a;
    switch (edge) {
    case TScreenEdge::Up:
        if (a - c > 0) target = a - c;
        else if (wrap) target = a - c + n;
        break;
    case TScreenEdge::Right:
        if ((a - 1) / c == a / c) target = a + 1;
        else if (wrap) target = a + 1 - c;
        break;
    case TScreenEdge::Down:
        if (a + c <= n) target = a + c;
        else if (wrap) target = a + c - n;
        break;
    case TScreenEdge::Left:
        if ((a - 2 + c) / c == (a - 1 + c) / c) target = a - 1;
        else if (wrap) target = a - 1 + c;
        break;
    default: break;
    }
    return target >= 1 && target <= n ? target : a;
}

}  // namespace navigation
