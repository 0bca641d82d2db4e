#pragma once
// One managed top-level window of another program, as the window table holds it.
#include <windows.h>
#include <cstdint>
#include <string>

namespace engine {

struct TWindowRecord {
    uint32_t Wnd = 0;          // low 32 bits of the handle: all that is significant
    uint8_t Visible = 0;       // counts as shown on its desktop
    int8_t Desktop = 0;        // 1..9; 0 = not yet assigned
    uint32_t ProcessId = 0;
    uint32_t ScanStamp = 0;    // scan counter of the last scan that met it
    uint8_t Shown = 0;         // may stay visible
    std::string ExeName;       // upper-case long executable path, empty until needed
    uint8_t Ended = 0;         // a complete scan no longer met its handle: the window is gone

    HWND Handle() const noexcept { return HandleFromWnd(Wnd); }

    // Window handles are 32-bit significant on 64-bit Windows; a handle is
    // stored as its low 32 bits and sign-extended back.
    static uint32_t WndFromHandle(HWND h) noexcept {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
    }
    static HWND HandleFromWnd(uint32_t w) noexcept {
        return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(w)));
    }
};

}  // namespace engine
