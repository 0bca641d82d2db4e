#include "support/screen_shot.h"
#include <algorithm>
#include <fstream>
#include "framework/owned.h"

namespace e2e {

ScreenShot ScreenShot::Take() {
    return Take({0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

ScreenShot ScreenShot::Take(RECT area) {
    ScreenShot shot;
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, ::GetSystemMetrics(SM_CXSCREEN));
    area.bottom = std::min<LONG>(area.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return shot;
    framework::WindowDc screen(nullptr);
    framework::MemoryDc mem(::CreateCompatibleDC(screen.get()));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    framework::Bitmap dib(::CreateDIBSection(mem.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return shot;
    {
        framework::SelectScope use(mem.get(), dib.get());
        if (!::BitBlt(mem.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY)) return shot;
        ::GdiFlush();
    }
    const auto* p = static_cast<const uint32_t*>(bits);
    shot.pixels_.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
    for (uint32_t& px : shot.pixels_) px &= 0x00FFFFFF;
    shot.w_ = w;
    shot.h_ = h;
    shot.area_ = area;
    return shot;
}

COLORREF ScreenShot::At(int x, int y) const noexcept {
    x -= area_.left;
    y -= area_.top;
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
    const uint32_t px = pixels_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)];
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

ScreenShot ScreenShot::Part(RECT area) const {
    ScreenShot part;
    area.left = std::max(area.left, area_.left);
    area.top = std::max(area.top, area_.top);
    area.right = std::min(area.right, area_.right);
    area.bottom = std::min(area.bottom, area_.bottom);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return part;
    part.w_ = w;
    part.h_ = h;
    part.area_ = area;
    part.pixels_.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = area.top; y < area.bottom; ++y) {
        const size_t row = static_cast<size_t>(y - area_.top) * static_cast<size_t>(w_);
        const auto first = pixels_.begin() + static_cast<std::ptrdiff_t>(row + static_cast<size_t>(area.left - area_.left));
        part.pixels_.insert(part.pixels_.end(), first, first + w);
    }
    return part;
}

bool ScreenShot::SaveBmp(const std::string& path) const {
    if (Empty()) return false;
    const int stride = (w_ * 3 + 3) & ~3;
    const DWORD imageSize = static_cast<DWORD>(stride) * static_cast<DWORD>(h_);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof info, w_, h_, 1, 24, BI_RGB, imageSize, 2835, 2835, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    std::vector<char> rows(imageSize, 0);
    for (int y = 0; y < h_; ++y) {
        // Bottom row first.
        char* out = rows.data() + static_cast<size_t>(h_ - 1 - y) * static_cast<size_t>(stride);
        for (int x = 0; x < w_; ++x) {
            const uint32_t px = pixels_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)];
            *out++ = static_cast<char>(px & 0xFF);
            *out++ = static_cast<char>((px >> 8) & 0xFF);
            *out++ = static_cast<char>((px >> 16) & 0xFF);
        }
    }
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&file), sizeof file);
    f.write(reinterpret_cast<const char*>(&info), sizeof info);
    f.write(rows.data(), static_cast<std::streamsize>(rows.size()));
    return static_cast<bool>(f);
}

}  // namespace e2e
