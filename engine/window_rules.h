#pragma once
// Plain rules the window table and the window moves share, without window
// handles: the executables some rules single out, and the class-module test
// of windows that are never managed.
#include <cstdint>
#include <string_view>

namespace engine {

// Executables (upper case, as the table keeps them) that some rules single
// out: browser pop-ups stay on the current desktop, Internet Explorer windows
// may move one by one, and a pick never brings the Flash player forward.
inline constexpr std::string_view kInternetExplorerExe = "IEXPLORE.EXE";
inline constexpr std::string_view kFirefoxExe = "FIREFOX.EXE";
inline constexpr std::string_view kFlashPlayerExe = "\\FLASH.EXE";
inline constexpr std::string_view kHdlDesignerExe = "HDLDESIGNER.EXE";   // its "HDS" windows are never managed

constexpr bool ExeIs(std::string_view upperExePath, std::string_view exe) {
    return upperExePath.find(exe) != std::string_view::npos;
}

// A window class's module in the upper half of a 32-bit address space: the
// mark of the system's own windows that are never managed. Only a handle
// below 4 GB is judged: on 64-bit Windows the system's libraries load higher,
// at a base that changes with every boot, and the low 32 bits of such a
// handle would make every dialog of every program unmanaged on every other
// boot.
constexpr bool IsUpperHalfModule(uint64_t module) { return module >= 0x80000000ull && module < 0x100000000ull; }

// A window leaves its desktop without the lock password only when that
// desktop is public, or is the current desktop, unlocked, and the window is
// not dragged out of it in the preview. The source is always the window's
// own desktop, whatever asked for the move.
constexpr bool MoveOutNeedsPassword(bool fromPrivate, bool fromCurrent, bool unlocked, bool dragging) {
    return fromPrivate && (!fromCurrent || !unlocked || dragging);
}

}  // namespace engine
