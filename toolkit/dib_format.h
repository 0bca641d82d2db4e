#pragma once
// Device-independent bitmap file images ("BM" streams) as plain bytes: the
// common ground of the GIF picture, the colour reduction and the cursor
// reader. Pure code over bytes, so it also builds for the host's fuzzer.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::dib {

#pragma pack(push, 1)
struct FileHeader {
    uint16_t Type;        // "BM"
    uint32_t Size;
    uint16_t Reserved1;
    uint16_t Reserved2;
    uint32_t OffBits;
};
struct InfoHeader {
    uint32_t Size;
    int32_t Width;
    int32_t Height;
    uint16_t Planes;
    uint16_t BitCount;
    uint32_t Compression;
    uint32_t SizeImage;
    int32_t XPelsPerMeter;
    int32_t YPelsPerMeter;
    uint32_t ClrUsed;
    uint32_t ClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 14);
static_assert(sizeof(InfoHeader) == 40);

// Blue, green, red, reserved: the order of a BMP colour table.
using Quad = std::array<uint8_t, 4>;

// ((bits + 31) div 32) * 4.
constexpr uint32_t RowBytes(uint64_t bits) { return static_cast<uint32_t>((bits + 31) / 32 * 4); }

// The largest picture any reader here builds: pictures of the windows are a
// few hundred pixels wide, and a claimed size in untrusted bytes must never
// decide on its own how much memory is taken.
constexpr uint64_t kMaxPixels = uint64_t{1} << 24;

// A decoded BMP: rows stored top-down, each RowBytes(Width * BitCount) long.
struct Dib {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;         // 1, 4, 8, 24 or 32
    std::vector<Quad> Palette;
    std::string Rows;

    uint32_t Stride() const { return RowBytes(uint64_t(Width) * uint32_t(BitCount)); }
    // The colour index at (x, y) of a picture of 8 bits or fewer.
    uint8_t Index(int x, int y) const;
    void SetIndex(int x, int y, uint8_t value);
    // Red, green, blue at (x, y) of any depth (through the palette for 8 bits
    // or fewer; an index past the palette answers black).
    std::array<uint8_t, 3> Rgb(int x, int y) const;
};

// An empty picture of the size and depth, every pixel 0. Throws
// framework::Exception when the size is out of range.
Dib MakeDib(int width, int height, int bitCount);

// Parses a BMP file image: uncompressed 1, 4, 8, 24 or 32 bits (32 also
// with bit-field masks in the standard order), bottom-up or top-down.
// Every size and offset is checked; throws framework::Exception otherwise.
Dib ParseBmp(std::string_view bytes);

// The BMP file image of the picture: file header, 40-byte info header, the
// colour table (2^bits entries for 8 bits or fewer, padded with the fill
// byte), then the rows bottom-up. usedColors goes into the header's
// used-colour field.
std::string BuildBmp(const Dib& dib, uint8_t paletteFill = 0, uint32_t usedColors = 0);

}  // namespace toolkit::dib
