// Fuzz target: GIF reading and frame decoding over arbitrary bytes, and the
// promise that a frame decoded cleanly survives encoding and decoding again
// pixel for pixel. The BMP parser rides along on the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "toolkit/dib_format.h"
#include "toolkit/gif_format.h"

namespace {

using namespace toolkit;

// Round trips are checked on small frames only, and one input decodes at
// most this many pixels over all its frames, so the fuzzer keeps its pace
// (a few bytes can claim a thousand frames of the largest size).
constexpr uint64_t kRoundTripPixels = 1 << 16;
constexpr uint64_t kPixelsPerInput = 1 << 21;

bool IndicesInPalette(const dib::Dib& d) {
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x)
            if (d.Index(x, y) >= d.Palette.size()) return false;
    return true;
}

void CheckRoundTrip(const dib::Dib& picture, bool interlaced) {
    if (uint64_t(picture.Width) * uint64_t(picture.Height) > kRoundTripPixels || !IndicesInPalette(picture)) return;
    gif::ImageItem item;
    gif::EncodeFrame(picture, item, interlaced);
    bool corrupted = false;
    const auto again = gif::DecodeFrame(item, interlaced, corrupted);
    if (corrupted || again.Rows != picture.Rows) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    gif::GifFile file;
    try {
        gif::ReadGif(bytes, file);
    } catch (const framework::Exception&) {
    }
    uint64_t pixels = 0;
    for (const auto& frame : file.Frames) {
        pixels += uint64_t(frame.Item->Width) * uint64_t(frame.Item->Height);
        if (pixels > kPixelsPerInput) break;
        try {
            bool corrupted = frame.Corrupted;
            const auto picture = gif::DecodeFrame(*frame.Item, frame.Interlaced, corrupted);
            if (!corrupted) CheckRoundTrip(picture, frame.Interlaced);
        } catch (const framework::Exception&) {
        }
    }
    try {
        const auto written = gif::WriteGif(file, false);
        gif::GifFile reread;
        gif::ReadGif(written, reread);
        if (reread.Frames.size() != file.Frames.size()) __builtin_trap();
    } catch (const framework::Exception&) {
    }
    try {
        dib::ParseBmp(bytes);
    } catch (const framework::Exception&) {
    }
    return 0;
}
