#pragma once
// The desktop next to the current one in the grid, for the cursor-key
// hotkeys, gestures and edges. Desktops are numbered row by row from 1.

namespace engine {

enum class Direction { Right, Left, Up, Down };

// The neighbour of desktop `current` in a grid of cols x rows, or 0 when
// there is none (only possible without wrapping).
constexpr int NeighbourDesktop(Direction dir, int current, int cols, int rows, bool wrap) {
    const int n = cols * rows;
    const int a = current;
    if (cols < 1 || rows < 1 || a < 1 || a > n) return 0;
    if (wrap) {
        switch (dir) {
        case Direction::Right: return a % cols != 0 ? a + 1 : a - cols + 1;
        case Direction::Left: return (a % cols == 1 || cols < 2) ? a + cols - 1 : a - 1;
        case Direction::Up: return a - cols < 1 ? a - cols + n : a - cols;
        case Direction::Down: return a + cols > n ? a + cols - n : a + cols;
        }
        return 0;
    }
    switch (dir) {
    case Direction::Right: return (a % cols != 0 && a < n) ? a + 1 : 0;
    case Direction::Left: return (a % cols != 1 && a > 1 && cols > 1) ? a - 1 : 0;
    case Direction::Up: return a > cols ? a - cols : 0;
    case Direction::Down: return a <= n - cols ? a + cols : 0;
    }
    return 0;
}

}  // namespace engine
