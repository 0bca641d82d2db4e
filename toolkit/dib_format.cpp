#include "toolkit/dib_format.h"
#include <cstring>
#include "framework/guard.h"

namespace toolkit::dib {
namespace {

constexpr char kInvalidBitmap[] = "Bitmap image is not valid";
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

bool SupportedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

template <typename T>
T ReadAt(std::string_view bytes, size_t offset) {
    T value{};
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) throw framework::Exception(kInvalidBitmap);
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

void CheckSize(int width, int height, int bitCount) {
    if (width < 0 || height < 0 || !SupportedDepth(bitCount) ||
        uint64_t(width) * uint64_t(height) > kMaxPixels)
        throw framework::Exception(kInvalidBitmap);
}

template <typename T>
void Append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof(T));
}

}  // namespace

uint8_t Dib::Index(int x, int y) const {
    const auto row = reinterpret_cast<const uint8_t*>(Rows.data()) + size_t(y) * Stride();
    switch (BitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    default: return row[x];
    }
}

void Dib::SetIndex(int x, int y, uint8_t value) {
    auto row = reinterpret_cast<uint8_t*>(Rows.data()) + size_t(y) * Stride();
    switch (BitCount) {
    case 1: {
        const uint8_t bit = uint8_t(0x80 >> (x % 8));
        row[x / 8] = uint8_t((value & 1) ? row[x / 8] | bit : row[x / 8] & ~bit);
        break;
    }
    case 4: {
        const int shift = x % 2 ? 0 : 4;
        row[x / 2] = uint8_t((row[x / 2] & ~(0x0F << shift)) | ((value & 0x0F) << shift));
        break;
    }
    default: row[x] = value;
    }
}

std::array<uint8_t, 3> Dib::Rgb(int x, int y) const {
    if (BitCount <= 8) {
        const uint8_t i = Index(x, y);
        if (i >= Palette.size()) return {0, 0, 0};
        return {Palette[i][2], Palette[i][1], Palette[i][0]};
    }
    const auto row = reinterpret_cast<const uint8_t*>(Rows.data()) + size_t(y) * Stride();
    const uint8_t* p = row + size_t(x) * (BitCount / 8);
    return {p[2], p[1], p[0]};
}

Dib MakeDib(int width, int height, int bitCount) {
    CheckSize(width, height, bitCount);
    Dib dib;
    dib.Width = width;
    dib.Height = height;
    dib.BitCount = bitCount;
    dib.Rows.assign(size_t(dib.Stride()) * size_t(height), '\0');
    return dib;
}

Dib ParseBmp(std::string_view bytes) {
    const auto file = ReadAt<FileHeader>(bytes, 0);
    if (file.Type != 0x4D42) throw framework::Exception(kInvalidBitmap);
    const auto info = ReadAt<InfoHeader>(bytes, sizeof(FileHeader));
    if (info.Size < sizeof(InfoHeader) || info.Size > bytes.size() || info.Planes != 1 ||
        info.Height == INT32_MIN)
        throw framework::Exception(kInvalidBitmap);
    const bool bitfields = info.Compression == kBiBitfields && info.BitCount == 32;
    if (info.Compression != kBiRgb && !bitfields) throw framework::Exception(kInvalidBitmap);
    const bool topDown = info.Height < 0;
    const int height = topDown ? -info.Height : info.Height;
    Dib dib = MakeDib(info.Width, height, info.BitCount);

    size_t at = sizeof(FileHeader) + size_t(info.Size);
    if (bitfields) {
        // Only the standard order of the channels is taken.
        // They follow the 40-byte header, inside a longer one.
        const size_t masks = sizeof(FileHeader) + sizeof(InfoHeader);
        const auto red = ReadAt<uint32_t>(bytes, masks), green = ReadAt<uint32_t>(bytes, masks + 4),
                   blue = ReadAt<uint32_t>(bytes, masks + 8);
        if (red != 0x00FF0000 || green != 0x0000FF00 || blue != 0x000000FF) throw framework::Exception(kInvalidBitmap);
        at += info.Size == sizeof(InfoHeader) ? 12 : 0;
    }
    if (info.BitCount <= 8) {
        const uint32_t full = 1u << info.BitCount;
        const uint32_t count = info.ClrUsed == 0 || info.ClrUsed > full ? full : info.ClrUsed;
        for (uint32_t i = 0; i < count; ++i) dib.Palette.push_back(ReadAt<Quad>(bytes, at + 4 * size_t(i)));
    }
    const size_t stride = dib.Stride();
    const size_t pixels = file.OffBits;
    if (pixels > bytes.size() || (bytes.size() - pixels) / (stride ? stride : 1) < size_t(height))
        throw framework::Exception(kInvalidBitmap);
    for (int y = 0; y < height; ++y) {
        const int source = topDown ? y : height - 1 - y;
        std::memcpy(dib.Rows.data() + size_t(y) * stride, bytes.data() + pixels + size_t(source) * stride, stride);
    }
    return dib;
}

std::string BuildBmp(const Dib& dib, uint8_t paletteFill, uint32_t usedColors) {
    const uint32_t entries = dib.BitCount <= 8 ? 1u << dib.BitCount : 0;
    const uint32_t stride = dib.Stride();
    const uint32_t image = stride * uint32_t(dib.Height);
    const uint32_t offBits = sizeof(FileHeader) + sizeof(InfoHeader) + 4 * entries;
    FileHeader file{0x4D42, offBits + image, 0, 0, offBits};
    InfoHeader info{sizeof(InfoHeader), dib.Width, dib.Height, 1, uint16_t(dib.BitCount), kBiRgb, image, 0, 0,
                    usedColors, 0};
    std::string out;
    out.reserve(offBits + image);
    Append(out, file);
    Append(out, info);
    for (uint32_t i = 0; i < entries; ++i)
        Append(out, i < dib.Palette.size() ? dib.Palette[i] : Quad{paletteFill, paletteFill, paletteFill, paletteFill});
    for (int y = dib.Height - 1; y >= 0; --y) out.append(dib.Rows, size_t(y) * stride, stride);
    return out;
}

}  // namespace toolkit::dib
