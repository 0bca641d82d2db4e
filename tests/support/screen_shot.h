#pragma once
// A copy of what the screen shows, taken through the screen's device context
// (under Wine: the virtual desktop as the X server holds it), kept as 32-bit
// pixels for tests to read and written as a 24-bit BMP file for people to see.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class ScreenShot {
public:
    // The whole screen, or the part of it inside the rectangle (cut to the screen).
    static ScreenShot Take();
    static ScreenShot Take(RECT area);

    int Width() const noexcept { return w_; }
    int Height() const noexcept { return h_; }
    // Where the copy lies on the screen.
    RECT Area() const noexcept { return area_; }
    bool Empty() const noexcept { return pixels_.empty(); }
    // The colour at a screen point; CLR_INVALID outside the copy.
    COLORREF At(int x, int y) const noexcept;
    // The part of this copy inside a screen rectangle.
    ScreenShot Part(RECT area) const;
    bool SaveBmp(const std::string& path) const;

private:
    int w_ = 0, h_ = 0;
    RECT area_{};
    std::vector<uint32_t> pixels_;   // 0x00RRGGBB, top row first
};

}  // namespace e2e
