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

}  // namespace engine
