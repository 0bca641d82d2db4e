#include "framework/graphic.h"
#include <algorithm>
#include <cstring>
#include <map>
#include "framework/text.h"

namespace framework {
namespace {

constexpr char kCannotAssign[] = "Cannot assign this picture";
constexpr char kInvalidBitmap[] = "Bitmap image is not valid";
constexpr char kClipboardBusy[] = "Cannot open clipboard";

struct FileFormat {
    std::string Description;
    GraphicFactory Factory;
};
std::map<std::string, FileFormat>& FileFormats() {
    static std::map<std::string, FileFormat> formats;
    return formats;
}
std::map<UINT, GraphicFactory>& ClipboardFormats() {
    static std::map<UINT, GraphicFactory> formats;
    return formats;
}
std::string KeyOf(std::string_view extension) {
    std::string key(extension);
    if (!key.empty() && key[0] == '.') key.erase(0, 1);
    std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return key;
}

// BITMAPINFO with room for 256 colours.
struct BitmapInfo256 {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
};

}  // namespace

void Graphic::Assign(const Graphic* source) {
    if (!source) throw Exception(kCannotAssign);
    source->AssignTo(*this);
}

void Graphic::AssignTo(Graphic& /*target*/) const { throw Exception(kCannotAssign); }

// Bitmap -----------------------------------------------------------------------

void BitmapPicture::SetHandle(HBITMAP bitmap) {
    bitmap_.reset(bitmap);
    palette_.reset();
    Changed();
}

HBITMAP BitmapPicture::ReleaseHandle() noexcept {
    palette_.reset();
    return bitmap_.release();
}

int BitmapPicture::PixelFormat() const {
    BITMAP info{};
    if (!bitmap_ || !::GetObjectA(bitmap_.get(), sizeof info, &info)) return 0;
    return info.bmBitsPixel * info.bmPlanes;
}

int BitmapPicture::Width() {
    BITMAP info{};
    return bitmap_ && ::GetObjectA(bitmap_.get(), sizeof info, &info) ? info.bmWidth : 0;
}

int BitmapPicture::Height() {
    BITMAP info{};
    return bitmap_ && ::GetObjectA(bitmap_.get(), sizeof info, &info) ? info.bmHeight : 0;
}

COLORREF BitmapPicture::EffectiveTransparentColor() const {
    if (TransparentColor != clDefault || !bitmap_) return TransparentColor & 0x00FFFFFF;
    BITMAP info{};
    ::GetObjectA(bitmap_.get(), sizeof info, &info);
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectScope select(dc.get(), bitmap_.get());
    return ::GetPixel(dc.get(), 0, info.bmHeight - 1);
}

void BitmapPicture::SetSize(int width, int height, COLORREF fill) {
    WindowDc screen(nullptr);
    Bitmap fresh(::CreateCompatibleBitmap(screen.get(), std::max(width, 1), std::max(height, 1)));
    if (!fresh) throw Exception(kInvalidBitmap);
    MemoryDc dc(::CreateCompatibleDC(screen.get()));
    {
        SelectScope select(dc.get(), fresh.get());
        Brush brush(::CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        ::FillRect(dc.get(), &all, brush.get());
    }
    SetHandle(fresh.release());
}

void BitmapPicture::MakeDeviceDependent() {
    if (!bitmap_ || Monochrome()) return;
    const int w = Width(), h = Height();
    WindowDc screen(nullptr);
    Bitmap ddb(::CreateCompatibleBitmap(screen.get(), w, h));
    if (!ddb) return;   // the section still draws
    MemoryDc from(::CreateCompatibleDC(screen.get())), to(::CreateCompatibleDC(screen.get()));
    {
        SelectScope a(from.get(), bitmap_.get());
        SelectScope b(to.get(), ddb.get());
        ::BitBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, SRCCOPY);
    }
    bitmap_ = std::move(ddb);
}

HPALETTE BitmapPicture::Palette() {
    if (palette_ || !bitmap_) return static_cast<HPALETTE>(palette_.get());
    DIBSECTION section{};
    if (::GetObjectA(bitmap_.get(), sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel > 8)
        return nullptr;
    RGBQUAD colors[256];
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectScope select(dc.get(), bitmap_.get());
    const UINT n = ::GetDIBColorTable(dc.get(), 0, 256, colors);
    if (n == 0) return nullptr;
    std::vector<BYTE> raw(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(raw.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(n);
    for (UINT i = 0; i < n; ++i)
        log->palPalEntry[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    palette_.reset(::CreatePalette(log));
    return static_cast<HPALETTE>(palette_.get());
}

void BitmapPicture::Draw(HDC dc, const RECT& rect) {
    if (!bitmap_) return;
    const int w = Width(), h = Height();
    MemoryDc source(::CreateCompatibleDC(dc));
    SelectScope select(source.get(), bitmap_.get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    if (Transparent())
        ::TransparentBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.get(), 0, 0,
                         w, h, EffectiveTransparentColor());
    else
        ::StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.get(), 0, 0, w,
                     h, SRCCOPY);
}

void BitmapPicture::LoadFromBytes(std::string_view bytes) {
    // Checked the way every reader of this program checks bytes: the file
    // header, the info header, the colour table and the rows must all fit.
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) throw Exception(kInvalidBitmap);
    BITMAPFILEHEADER file{};
    BitmapInfo256 info{};
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&info.Header, bytes.data() + sizeof file, sizeof info.Header);
    const auto& h = info.Header;
    if (file.bfType != 0x4D42 || h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biHeight == INT32_MIN || h.biCompression != BI_RGB ||
        (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24 && h.biBitCount != 32))
        throw Exception(kInvalidBitmap);
    const uint64_t stride = (uint64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    const uint64_t rows = uint64_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
    const size_t colors = h.biBitCount <= 8 ? (h.biClrUsed && h.biClrUsed <= (1u << h.biBitCount) ? h.biClrUsed : 1u << h.biBitCount) : 0;
    const size_t tableAt = sizeof file + h.biSize;
    if (tableAt > bytes.size() || (bytes.size() - tableAt) / sizeof(RGBQUAD) < colors || file.bfOffBits > bytes.size() ||
        stride * rows > bytes.size() - file.bfOffBits || stride * rows > (uint64_t{1} << 28))
        throw Exception(kInvalidBitmap);
    std::memcpy(info.Colors, bytes.data() + tableAt, colors * sizeof(RGBQUAD));
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biClrUsed = DWORD(colors);
    void* bits = nullptr;
    Bitmap section(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) throw Exception(kInvalidBitmap);
    std::memcpy(bits, bytes.data() + file.bfOffBits, size_t(stride * rows));
    ::GdiFlush();
    SetHandle(section.release());
}

std::string BitmapPicture::SaveToBytes() {
    const int format = PixelFormat();
    return SaveToBytes(format <= 1 ? 1 : format <= 4 ? 4 : format <= 8 ? 8 : 24);
}

std::string BitmapPicture::SaveToBytes(int bitCount) const {
    if (!bitmap_) throw Exception(kInvalidBitmap);
    BITMAP bm{};
    ::GetObjectA(bitmap_.get(), sizeof bm, &bm);
    BitmapInfo256 info{};
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = bm.bmWidth;
    info.Header.biHeight = bm.bmHeight;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = WORD(bitCount);
    info.Header.biCompression = BI_RGB;
    const DWORD stride = DWORD((bm.bmWidth * bitCount + 31) / 32 * 4);
    std::string pixels(size_t(stride) * size_t(bm.bmHeight), '\0');
    {
        WindowDc screen(nullptr);
        if (!::GetDIBits(screen.get(), bitmap_.get(), 0, UINT(bm.bmHeight), pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
            throw Exception(kInvalidBitmap);
    }
    const DWORD colors = bitCount <= 8 ? 1u << bitCount : 0;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = DWORD(sizeof file + sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    info.Header.biSizeImage = DWORD(pixels.size());
    info.Header.biClrUsed = 0;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info.Header), sizeof info.Header);
    out.append(reinterpret_cast<const char*>(info.Colors), colors * sizeof(RGBQUAD));
    return out + pixels;
}

void BitmapPicture::Assign(const Graphic* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* b = dynamic_cast<const BitmapPicture*>(source)) {
        if (b == this) return;
        TransparentColor = b->TransparentColor;
        SetTransparent(b->Transparent());
        SetHandle(b->bitmap_ ? static_cast<HBITMAP>(::CopyImage(b->bitmap_.get(), IMAGE_BITMAP, 0, 0, 0)) : nullptr);
        return;
    }
    Graphic::Assign(source);
}

void BitmapPicture::AssignTo(Graphic& target) const { target.Assign(this); }

void BitmapPicture::SaveToClipboard() {
    if (!bitmap_) return;
    ClipboardScope open;
    ::EmptyClipboard();
    HANDLE copy = ::CopyImage(bitmap_.get(), IMAGE_BITMAP, 0, 0, 0);
    if (copy && !::SetClipboardData(CF_BITMAP, copy)) ::DeleteObject(copy);
}

void BitmapPicture::LoadFromClipboard() {
    ClipboardScope open;
    LoadFromClipboardHandle(static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)));
}

void BitmapPicture::LoadFromClipboardHandle(HBITMAP bitmap) {
    if (!bitmap) throw Exception(kInvalidBitmap);
    HANDLE copy = ::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0);
    if (!copy) throw Exception(kInvalidBitmap);
    SetHandle(static_cast<HBITMAP>(copy));
}

// Registry -----------------------------------------------------------------------

void RegisterFileFormat(std::string_view extension, std::string_view description, GraphicFactory factory) {
    FileFormats()[KeyOf(extension)] = {std::string(description), std::move(factory)};
}

void RegisterClipboardFormat(UINT format, GraphicFactory factory) { ClipboardFormats()[format] = std::move(factory); }

void UnregisterGraphicFormats(std::string_view extension, UINT clipboardFormat) {
    FileFormats().erase(KeyOf(extension));
    ClipboardFormats().erase(clipboardFormat);
}

std::unique_ptr<Graphic> GraphicForExtension(std::string_view extension) {
    auto it = FileFormats().find(KeyOf(extension));
    return it == FileFormats().end() ? nullptr : it->second.Factory();
}

std::string DescriptionOfExtension(std::string_view extension) {
    auto it = FileFormats().find(KeyOf(extension));
    return it == FileFormats().end() ? std::string() : it->second.Description;
}

std::unique_ptr<Graphic> GraphicForClipboardFormat(UINT format) {
    auto it = ClipboardFormats().find(format);
    return it == ClipboardFormats().end() ? nullptr : it->second();
}

ClipboardScope::ClipboardScope(HWND owner) {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (::OpenClipboard(owner)) return;
        ::Sleep(10);
    }
    throw Exception(kClipboardBusy);
}

ClipboardScope::~ClipboardScope() { ::CloseClipboard(); }

}  // namespace framework
