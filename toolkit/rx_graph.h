#pragma once
// RxGraph: a bitmap as a BMP file image ("BM" stream) of a requested pixel
// format, true colour reduced to a palette by one of six mapping methods
// (rx_reduce.h). The GIF picture and the animated-cursor reader use it.
#include <windows.h>
#include <string>
#include "framework/graphic.h"
#include "toolkit/rx_reduce.h"

namespace toolkit {

// The framework's pixel formats that can be asked for.
enum class TPixelFormat : int { pf1bit = 1, pf4bit = 2, pf8bit = 3, pf24bit = 6 };

namespace rx_texts {
constexpr char kBitmapInvalid[] = "Bitmap image is not valid";
}

// A new BMP file image of the bitmap in the format. Raises
// framework::Exception for a bitmap without a handle; a format other than
// 1, 4, 8 or 24 bits ends with the not-implemented stop.
std::string BitmapToDIBStream(const framework::BitmapPicture& bitmap, TPixelFormat format, rx::TMappingMethod method);
// 1 bit for 2 colours or fewer, 4 for 16, 24 above 256, else 8 bits; the
// module's default method.
std::string BitmapToColorsStream(const framework::BitmapPicture& bitmap, int colors);
constexpr int RowBytes(int bits) { return ((bits + 31) / 32) * 4; }
constexpr int PixelFormatColors(TPixelFormat format) {
    return format == TPixelFormat::pf1bit ? 2 : format == TPixelFormat::pf4bit ? 16 : format == TPixelFormat::pf8bit ? 256 : 0;
}

}  // namespace toolkit
