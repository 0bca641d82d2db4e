#include "framework/icon_picture.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "framework/guard.h"
#include "framework/string_list.h"

namespace framework {
namespace {

#pragma pack(push, 1)
struct IconDir {
    uint16_t reserved;
    uint16_t type;       // 1 icon
    uint16_t count;
};
struct IconDirEntry {
    uint8_t width;       // 0 means 256
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint32_t imageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDir) == 6);
static_assert(sizeof(IconDirEntry) == 16);

template <typename T>
T ReadAt(std::string_view bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

int BitsOfImage(std::string_view image, const IconDirEntry& e) {
    if (e.bitCount) return e.bitCount;
    if (image.size() >= sizeof(BITMAPINFOHEADER)) return ReadAt<BITMAPINFOHEADER>(image, 0).biBitCount;
    return 32;   // a PNG image
}

struct DibBits {
    BITMAPINFOHEADER header{};
    RGBQUAD palette[2]{};
};

// The rows of a bitmap as a bottom-up DIB of the given depth.
std::string BitsOf(HBITMAP bitmap, int width, int height, int bits) {
    DibBits info;
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    std::string out(stride * static_cast<size_t>(height), '\0');
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), out.data(),
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != height)
        return {};
    return out;
}

template <typename T>
void Append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

HICON IconFromFileImage(std::string_view bytes, int size) {
    if (bytes.size() < sizeof(IconDir)) return nullptr;
    auto dir = ReadAt<IconDir>(bytes, 0);
    if (dir.reserved != 0 || dir.type != 1 || dir.count == 0) return nullptr;
    if (bytes.size() < sizeof(IconDir) + size_t{dir.count} * sizeof(IconDirEntry)) return nullptr;
    if (size <= 0) size = ::GetSystemMetrics(SM_CXICON);

    const IconDirEntry* best = nullptr;
    IconDirEntry bestEntry{};
    int bestDistance = 0, bestBits = 0;
    for (size_t i = 0; i < dir.count; ++i) {
        auto e = ReadAt<IconDirEntry>(bytes, sizeof(IconDir) + i * sizeof(IconDirEntry));
        if (e.bytesInRes < 8 || e.imageOffset > bytes.size() || e.bytesInRes > bytes.size() - e.imageOffset) continue;
        int width = e.width ? e.width : 256;
        int distance = std::abs(width - size);
        int bits = BitsOfImage(bytes.substr(e.imageOffset, e.bytesInRes), e);
        if (!best || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            bestEntry = e;
            best = &bestEntry;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    if (!best) return nullptr;
    // The image is handed over as resource data, which must be DWORD-aligned.
    std::vector<uint32_t> aligned((best->bytesInRes + 3) / 4);
    std::memcpy(aligned.data(), bytes.data() + best->imageOffset, best->bytesInRes);
    int width = best->width ? best->width : 256;
    int height = best->height ? best->height : 256;
    return ::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(aligned.data()), best->bytesInRes, TRUE,
                                      0x00030000, width, height, LR_DEFAULTCOLOR);
}

std::string FileImageFromIcon(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    Bitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!mask || !::GetObjectA(mask.get(), sizeof bm, &bm)) return {};
    const int width = bm.bmWidth;
    const int height = color ? bm.bmHeight : bm.bmHeight / 2;
    if (width <= 0 || height <= 0 || width > 256 || height > 256) return {};

    // A colour icon is written at 32 bits with its mask; a monochrome one as
    // the 1-bit picture its mask bitmap holds (the XOR rows, then the AND rows).
    const int bits = color ? 32 : 1;
    std::string pixels = color ? BitsOf(color.get(), width, height, 32) + BitsOf(mask.get(), width, height, 1)
                               : BitsOf(mask.get(), width, height * 2, 1);
    size_t xorSize = ((static_cast<size_t>(width) * bits + 31) / 32) * 4 * static_cast<size_t>(height);
    size_t andSize = ((static_cast<size_t>(width) + 31) / 32) * 4 * static_cast<size_t>(height);
    if (pixels.size() != xorSize + andSize) return {};

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height * 2;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(xorSize + andSize);
    header.biClrUsed = bits == 1 ? 2 : 0;
    std::string image;
    Append(image, header);
    if (bits == 1) {
        Append(image, RGBQUAD{0, 0, 0, 0});
        Append(image, RGBQUAD{255, 255, 255, 0});
    }
    // In a monochrome mask bitmap the AND rows come first from the top, so
    // bottom-up they come last: the order the file wants already.
    image += pixels;

    std::string out;
    Append(out, IconDir{0, 1, 1});
    IconDirEntry entry{};
    entry.width = static_cast<uint8_t>(width == 256 ? 0 : width);
    entry.height = static_cast<uint8_t>(height == 256 ? 0 : height);
    entry.colorCount = bits == 1 ? 2 : 0;
    entry.planes = 1;
    entry.bitCount = static_cast<uint16_t>(bits);
    entry.bytesInRes = static_cast<uint32_t>(image.size());
    entry.imageOffset = sizeof(IconDir) + sizeof(IconDirEntry);
    Append(out, entry);
    out += image;
    return out;
}

HICON IconPicture::Handle() const {
    if (!handle_ && !image_.empty()) handle_.reset(IconFromFileImage(image_));
    return handle_.get();
}

void IconPicture::SetHandle(HICON icon) {
    image_.clear();
    handle_.reset(icon);
    Changed();
}

int IconPicture::Width() const {
    ICONINFO info{};
    if (!Handle() || !::GetIconInfo(Handle(), &info)) return 0;
    Bitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    ::GetObjectA(mask.get(), sizeof bm, &bm);
    return bm.bmWidth;
}

int IconPicture::Height() const {
    ICONINFO info{};
    if (!Handle() || !::GetIconInfo(Handle(), &info)) return 0;
    Bitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    ::GetObjectA(mask.get(), sizeof bm, &bm);
    return color ? bm.bmHeight : bm.bmHeight / 2;
}

void IconPicture::LoadFromFile(const std::string& path) { LoadFromBytes(ReadFileBytes(path)); }

void IconPicture::LoadFromBytes(std::string_view bytes) {
    Icon icon(IconFromFileImage(bytes));
    if (!icon) throw Exception("Invalid icon image");
    image_.assign(bytes.data(), bytes.size());
    handle_ = std::move(icon);
    Changed();
}

std::string IconPicture::SaveToBytes() const {
    if (!image_.empty()) return image_;
    return handle_ ? FileImageFromIcon(handle_.get()) : std::string();
}

void IconPicture::Assign(const IconPicture* source) {
    if (source == this) return;
    if (!source || source->Empty()) {
        Clear();
        return;
    }
    std::string image = source->image_;
    Icon copy;
    if (source->handle_) {
        copy.reset(::CopyIcon(source->handle_.get()));
        if (!copy) throw Exception("Cannot copy an icon");
    }
    image_ = std::move(image);
    handle_ = std::move(copy);
    Changed();
}

void IconPicture::Clear() {
    if (Empty()) return;
    image_.clear();
    handle_.reset();
    Changed();
}

void IconPicture::Changed() {
    if (OnChange) OnChange();
}

}  // namespace framework
