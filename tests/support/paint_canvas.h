#pragma once
// A 32-bit bitmap selected into a memory DC, for tests that let a component
// paint and then read its pixels. It starts filled with kUnpainted.
#include <windows.h>
#include <algorithm>
#include "framework/owned.h"

namespace e2e {

constexpr COLORREF kUnpainted = RGB(255, 0, 255);

class PaintCanvas {
public:
    PaintCanvas(int w, int h, COLORREF fill = kUnpainted) : w_(w), h_(h), dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bmp_.reset(::CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bmp_.get());
        Fill(fill);
    }
    ~PaintCanvas() { ::SelectObject(dc_.get(), old_); }
    PaintCanvas(const PaintCanvas&) = delete;
    PaintCanvas& operator=(const PaintCanvas&) = delete;

    HDC dc() const { return dc_.get(); }
    RECT Rect() const { return {0, 0, w_, h_}; }
    int Width() const { return w_; }
    int Height() const { return h_; }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }
    void Fill(COLORREF c) {
        framework::Brush b(::CreateSolidBrush(c));
        RECT r{0, 0, w_, h_};
        ::FillRect(dc_.get(), &r, b.get());
    }
    // How many pixels have the colour.
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) n += At(x, y) == c;
        return n;
    }
    // The smallest box around every pixel that is neither of the given colours.
    RECT InkBox(COLORREF background) const {
        RECT box{w_, h_, -1, -1};
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                COLORREF c = At(x, y);
                if (c == background || c == kUnpainted) continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        return box;
    }

private:
    int w_, h_;
    framework::MemoryDc dc_;
    framework::Bitmap bmp_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace e2e
