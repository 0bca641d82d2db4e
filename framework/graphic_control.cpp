#include "framework/graphic_control.h"
#include "framework/guard.h"

namespace framework {

Image::~Image() { Release(); }

void Image::Release() noexcept {
    // The bitmap must leave the DC before either is deleted.
    selection_.reset();
    bitmap_.reset();
    dc_.reset();
    size_ = {};
}

void Image::SetPictureSize(int w, int h) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (dc_ && size_.cx == w && size_.cy == h) return;
    Release();
    WindowDc screen(nullptr);
    MemoryDc dc(::CreateCompatibleDC(screen.get()));
    Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
    if (!dc || !bitmap) throw Exception("Cannot create the picture of " + Name());
    selection_ = Selection(dc.get(), bitmap.get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    size_ = {w, h};
}

COLORREF Image::Pixel(int x, int y) const { return dc_ ? ::GetPixel(dc_.get(), x, y) : CLR_INVALID; }

void Image::PaintTo(HDC dc) const {
    if (!dc_) return;
    const int w = size_.cx < Width() ? size_.cx : Width();
    const int h = size_.cy < Height() ? size_.cy : Height();
    ::BitBlt(dc, Left(), Top(), w, h, dc_.get(), 0, 0, SRCCOPY);
}

void GraphicLabel::SetFont(std::string_view face, int pointSize, bool bold) {
    if (font_ && face_ == face && fontSize_ == pointSize && bold_ == bold) return;
    WindowDc screen(nullptr);
    const int height = -::MulDiv(pointSize, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    std::string name(face);
    Font font(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            name.c_str()));
    if (!font) throw Exception("Cannot create the font of " + Name());
    font_ = std::move(font);
    face_ = std::move(name);
    fontSize_ = pointSize;
    bold_ = bold;
}

int GraphicLabel::TextWidth(std::string_view text) const {
    WindowDc screen(nullptr);
    SelectScope font(screen.get(), font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    ::GetTextExtentPoint32A(screen.get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void GraphicLabel::PaintTo(HDC dc) const {
    if (caption_.empty()) return;
    SelectScope font(dc, font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, FontColor);
    RECT r = Bounds();
    UINT format = DT_NOPREFIX | (RightAligned ? DT_RIGHT : DT_LEFT) | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, format);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

}  // namespace framework
