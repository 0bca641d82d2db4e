#pragma once
// The extended style shared by the program's floating pictures (bubbles, the
// click window, the screen-edge window): see-through, and kept off the
// taskbar and the Alt+Tab list.
#include <windows.h>

namespace navigation {

inline constexpr DWORD kOverlayExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW;   // $80080

}  // namespace navigation
