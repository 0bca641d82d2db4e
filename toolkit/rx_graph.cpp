#include "toolkit/rx_graph.h"
#include "toolkit/dib_format.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

int BitsOf(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf24bit: return 24;
    }
    return 0;
}

}  // namespace

std::string BitmapToDIBStream(const framework::BitmapPicture& bitmap, TPixelFormat format, rx::TMappingMethod method) {
    if (!bitmap.Handle()) throw framework::Exception(rx_texts::kBitmapInvalid);
    const int bits = BitsOf(format);
    if (bits == 0) NotImplementedStop();
    const int own = bitmap.PixelFormat();
    const bool sameFormat = own == bits || (bits == 24 && own > 8);
    if (sameFormat && method != rx::TMappingMethod::mmGrayscale) return bitmap.SaveToBytes(bits);
    // The system converts to 1 and 4 bits through the bitmap's own palette.
    if (bits <= 4) return bitmap.SaveToBytes(bits);
    const auto truecolour = dib::ParseBmp(bitmap.SaveToBytes(24));
    if (bits == 24 && method != rx::TMappingMethod::mmGrayscale) return dib::BuildBmp(truecolour);
    uint32_t used = 0;
    const auto reduced = rx::ReduceTo8Bits(truecolour, method, 256, used);
    return dib::BuildBmp(reduced, 128, used);
}

std::string BitmapToColorsStream(const framework::BitmapPicture& bitmap, int colors) {
    const TPixelFormat format = colors <= 2    ? TPixelFormat::pf1bit
                                : colors <= 16 ? TPixelFormat::pf4bit
                                : colors > 256 ? TPixelFormat::pf24bit
                                               : TPixelFormat::pf8bit;
    return BitmapToDIBStream(bitmap, format, rx::DefaultMappingMethod);
}

}  // namespace toolkit
