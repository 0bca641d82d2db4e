#include "toolkit/utility_routines.h"
#include <cstring>
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "framework/text.h"

namespace toolkit {
namespace {

constexpr char kNotImplemented[] = "Function not yet implemented";
constexpr char kInformation[] = "Information";
// Keeps the pattern where the source is black and the target elsewhere:
// ((D xor P) and S) xor P.
constexpr DWORD kRopPatternWhereBlack = 0x00B8074A;

// A palette selected into a device for one scope.
class PaletteScope {
public:
    PaletteScope(HDC dc, HPALETTE palette, bool background) noexcept : dc_(dc) {
        if (palette) {
            old_ = ::SelectPalette(dc, palette, background ? TRUE : FALSE);
            ::RealizePalette(dc);
        }
    }
    ~PaletteScope() {
        if (old_) ::SelectPalette(dc_, old_, TRUE);
    }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;
private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

BITMAP BitmapInfoOf(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm)) throw framework::Exception("Invalid bitmap");
    return bm;
}

// Draws the black pixels of a monochrome shape in a colour.
void PaintShape(HDC target, int x, int y, int w, int h, HDC shape, COLORREF color) {
    framework::Brush brush(::CreateSolidBrush(color));
    framework::SelectScope useBrush(target, brush.get());
    COLORREF oldText = ::SetTextColor(target, RGB(0, 0, 0));
    COLORREF oldBack = ::SetBkColor(target, RGB(255, 255, 255));
    ::BitBlt(target, x, y, w, h, shape, 0, 0, kRopPatternWhereBlack);
    ::SetTextColor(target, oldText);
    ::SetBkColor(target, oldBack);
}

}  // namespace

void TransparentStretchBlt(HDC target, const RECT& targetRect, HDC source, const RECT& sourceRect,
                           COLORREF transparent, HPALETTE palette) {
    const int dw = RectWidth(targetRect), dh = RectHeight(targetRect);
    const int sw = RectWidth(sourceRect), sh = RectHeight(sourceRect);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;

    framework::MemoryDc work(::CreateCompatibleDC(target)), mask(::CreateCompatibleDC(target)),
        inverse(::CreateCompatibleDC(target)), offscreen(::CreateCompatibleDC(target));
    if (!work || !mask || !inverse || !offscreen) throw framework::Exception("Cannot create a device context");
    framework::Bitmap workBits(::CreateCompatibleBitmap(target, sw, sh));
    framework::Bitmap maskBits(::CreateBitmap(sw, sh, 1, 1, nullptr));
    framework::Bitmap inverseBits(::CreateBitmap(sw, sh, 1, 1, nullptr));
    framework::Bitmap offscreenBits(::CreateCompatibleBitmap(target, dw, dh));
    if (!workBits || !maskBits || !inverseBits || !offscreenBits) throw framework::Exception("Cannot create a bitmap");

    framework::SelectScope s1(work.get(), workBits.get()), s2(mask.get(), maskBits.get()),
        s3(inverse.get(), inverseBits.get()), s4(offscreen.get(), offscreenBits.get());
    PaletteScope p1(work.get(), palette, false), p2(offscreen.get(), palette, true), p3(target, palette, true);

    ::SetMapMode(source, ::GetMapMode(target));
    ::BitBlt(work.get(), 0, 0, sw, sh, source, sourceRect.left, sourceRect.top, SRCCOPY);
    // Copying colour to monochrome turns the background colour white.
    COLORREF oldBack = ::SetBkColor(work.get(), PaletteRelative(transparent));
    ::BitBlt(mask.get(), 0, 0, sw, sh, work.get(), 0, 0, SRCCOPY);
    ::SetBkColor(work.get(), oldBack);
    ::BitBlt(inverse.get(), 0, 0, sw, sh, mask.get(), 0, 0, NOTSRCCOPY);

    ::BitBlt(offscreen.get(), 0, 0, dw, dh, target, targetRect.left, targetRect.top, SRCCOPY);
    ::StretchBlt(offscreen.get(), 0, 0, dw, dh, mask.get(), 0, 0, sw, sh, SRCAND);
    ::BitBlt(work.get(), 0, 0, sw, sh, inverse.get(), 0, 0, SRCAND);
    ::StretchBlt(offscreen.get(), 0, 0, dw, dh, work.get(), 0, 0, sw, sh, SRCPAINT);
    ::BitBlt(target, targetRect.left, targetRect.top, dw, dh, offscreen.get(), 0, 0, SRCCOPY);
}

void StretchBitmapMasked(HDC target, RECT targetRect, HBITMAP bitmap, RECT sourceRect, COLORREF transparent,
                         DWORD copyMode) {
    BITMAP bm = BitmapInfoOf(bitmap);
    if (RectWidth(targetRect) < 1) targetRect.right = targetRect.left + bm.bmWidth;
    if (RectHeight(targetRect) < 1) targetRect.bottom = targetRect.top + bm.bmHeight;
    if (RectWidth(sourceRect) < 1 || RectHeight(sourceRect) < 1) sourceRect = {0, 0, bm.bmWidth, bm.bmHeight};
    const bool monochrome = bm.bmPlanes == 1 && bm.bmBitsPixel == 1;

    framework::MemoryDc source(::CreateCompatibleDC(target));
    if (!source) throw framework::Exception("Cannot create a device context");
    framework::SelectScope useBitmap(source.get(), bitmap);
    int oldMode = monochrome ? 0 : ::SetStretchBltMode(target, COLORONCOLOR);

    if (transparent == clNone) {
        ::StretchBlt(target, targetRect.left, targetRect.top, RectWidth(targetRect), RectHeight(targetRect),
                     source.get(), sourceRect.left, sourceRect.top, RectWidth(sourceRect), RectHeight(sourceRect),
                     copyMode);
    } else {
        COLORREF key = transparent;
        if (monochrome)
            key = RGB(255, 255, 255);
        else if (transparent == clDefault)
            key = ::GetPixel(source.get(), 0, bm.bmHeight - 1);
        TransparentStretchBlt(target, targetRect, source.get(), sourceRect, key & 0x00FFFFFF);
    }
    if (oldMode) ::SetStretchBltMode(target, oldMode);
}

void DrawBitmapRectMasked(HDC target, int x, int y, const RECT& sourceRect, HBITMAP bitmap, COLORREF transparent) {
    RECT to{x, y, x + RectWidth(sourceRect), y + RectHeight(sourceRect)};
    StretchBitmapMasked(target, to, bitmap, sourceRect, transparent);
}

void DrawBitmapMasked(HDC target, int x, int y, HBITMAP bitmap, COLORREF transparent) {
    BITMAP bm = BitmapInfoOf(bitmap);
    DrawBitmapRectMasked(target, x, y, RECT{0, 0, bm.bmWidth, bm.bmHeight}, bitmap, transparent);
}

framework::Bitmap MakeDisabledBitmap(HBITMAP bitmap, COLORREF maskColor, COLORREF backColor, bool highlight,
                                     COLORREF shadowColor, COLORREF highlightColor) {
    BITMAP bm = BitmapInfoOf(bitmap);
    const int w = bm.bmWidth, h = bm.bmHeight;
    framework::WindowDc screen(nullptr);
    framework::MemoryDc resultDc(::CreateCompatibleDC(screen.get())), sourceDc(::CreateCompatibleDC(screen.get())),
        shapeDc(::CreateCompatibleDC(screen.get()));
    if (!resultDc || !sourceDc || !shapeDc) throw framework::Exception("Cannot create a device context");
    framework::Bitmap result(::CreateCompatibleBitmap(screen.get(), w, h));
    framework::Bitmap shape(::CreateBitmap(w, h, 1, 1, nullptr));
    if (!result || !shape) throw framework::Exception("Cannot create a bitmap");
    {
        framework::SelectScope r(resultDc.get(), result.get()), s(sourceDc.get(), bitmap), m(shapeDc.get(), shape.get());
        RECT all{0, 0, w, h};
        framework::Brush back(::CreateSolidBrush(backColor));
        ::FillRect(resultDc.get(), &all, back.get());
        // The mask colour becomes white, the picture black.
        COLORREF oldBack = ::SetBkColor(sourceDc.get(), maskColor);
        ::BitBlt(shapeDc.get(), 0, 0, w, h, sourceDc.get(), 0, 0, SRCCOPY);
        ::SetBkColor(sourceDc.get(), oldBack);
        if (highlight) PaintShape(resultDc.get(), 1, 1, w, h, shapeDc.get(), highlightColor);
        PaintShape(resultDc.get(), 0, 0, w, h, shapeDc.get(), shadowColor);
    }
    return result;
}

framework::Bitmap MakeDisabledBitmapStd(HBITMAP bitmap, COLORREF maskColor) {
    return MakeDisabledBitmap(bitmap, maskColor, ::GetSysColor(COLOR_BTNFACE), true, ::GetSysColor(COLOR_BTNSHADOW),
                              ::GetSysColor(COLOR_BTNHIGHLIGHT));
}

void DrawImageDisabled(HIMAGELIST images, int index, HDC target, int x, int y, COLORREF shadowColor,
                       COLORREF highlightColor, bool highlight) {
    int w = 0, h = 0;
    if (!images || !::ImageList_GetIconSize(images, &w, &h) || w <= 0 || h <= 0) return;
    framework::MemoryDc shapeDc(::CreateCompatibleDC(target));
    framework::Bitmap shape(::CreateBitmap(w, h, 1, 1, nullptr));
    if (!shapeDc || !shape) throw framework::Exception("Cannot create a bitmap");
    framework::SelectScope s(shapeDc.get(), shape.get());
    RECT all{0, 0, w, h};
    ::FillRect(shapeDc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(images, index, shapeDc.get(), 0, 0, ILD_MASK);
    if (highlight) PaintShape(target, x + 1, y + 1, w, h, shapeDc.get(), highlightColor);
    PaintShape(target, x, y, w, h, shapeDc.get(), shadowColor);
}

void Frame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width) {
    for (int i = 0; i < width && rect.right > rect.left && rect.bottom > rect.top; ++i) {
        --rect.bottom;
        --rect.right;
        DrawLine(dc, rect.left, rect.bottom, rect.left, rect.top, topLeft);
        DrawLine(dc, rect.left, rect.top, rect.right, rect.top, topLeft);
        DrawLine(dc, rect.right, rect.top, rect.right, rect.bottom, bottomRight);
        DrawLine(dc, rect.right, rect.bottom, rect.left, rect.bottom, bottomRight);
        ++rect.left;
        ++rect.top;
    }
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    framework::Pen pen(::CreatePen(PS_SOLID, 1, color));
    framework::SelectScope usePen(dc, pen.get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
    ::SetPixelV(dc, x2, y2, color);   // LineTo leaves the end point out
}

void CopyParentBackground(HWND control, HDC canvas) {
    HWND parent = ::GetParent(control);
    if (!parent) return;
    RECT bounds{};
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    RECT client{};
    ::GetClientRect(parent, &client);
    int saved = ::SaveDC(canvas);
    POINT oldOrigin{};
    ::OffsetViewportOrgEx(canvas, -bounds.left, -bounds.top, &oldOrigin);
    ::IntersectClipRect(canvas, 0, 0, client.right, client.bottom);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas), 0);
    ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas), PRF_CLIENT);
    ::RestoreDC(canvas, saved);
}

void NotImplementedStop() {
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    framework::MessageBox(kNotImplemented, kInformation, MB_OK | MB_ICONINFORMATION);
    throw framework::Abort();
}

bool ActivateWindow(HWND w, bool restore) {
    if (!::IsWindowEnabled(w)) return false;
    bool foreground = ::SetForegroundWindow(w) != FALSE;
    if (!restore) return foreground;
    if (!::IsWindowVisible(w)) return false;
    if (!::IsZoomed(w)) ::SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
    ::SetFocus(w);
    return true;
}

void DropPendingMessage(HWND w, UINT msg) {
    MSG m;
    if (::PeekMessageA(&m, w, msg, msg, PM_REMOVE) && m.message == WM_QUIT)
        ::PostQuitMessage(static_cast<int>(m.wParam));
}

bool ActiveWindowIsOurs() {
    HWND active = ::GetActiveWindow();
    return active && ::GetWindowThreadProcessId(active, nullptr) == ::GetCurrentThreadId();
}

std::string ShortenText(std::string_view text, const std::function<int(std::string_view)>& widthOf, int maxWidth) {
    if (widthOf(text) <= maxWidth) return std::string(text);
    const size_t length = text.size();
    std::string result;
    for (size_t i = 1; i <= length; ++i) {
        size_t keep = length > i + 1 ? length - i - 1 : 0;
        result = std::string(text.substr(0, keep)) + "...";
        if (widthOf(result) <= maxWidth) break;
    }
    return result.empty() ? std::string("...") : result;
}

std::string ShortenText(std::string_view text, HDC canvas, int maxWidth) {
    return ShortenText(text, [canvas](std::string_view s) {
        SIZE size{};
        ::GetTextExtentPoint32A(canvas, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    }, maxWidth);
}

void* AllocBlock(long long size) {
    if (size <= 0) return nullptr;
    void* block = ::GlobalAlloc(GPTR, static_cast<SIZE_T>(size));
    if (!block) throw framework::Exception("Out of memory");
    return block;
}

void FreeBlock(void*& block) noexcept {
    if (block) ::GlobalFree(block);
    block = nullptr;
}

bool SameBytes(const void* a, const void* b, size_t count) noexcept {
    return count == 0 || std::memcmp(a, b, count) == 0;
}

void BlockMove(void* destination, const void* source, size_t count) noexcept {
    if (count) std::memmove(destination, source, count);
}

std::pair<std::string_view, std::string> NextParam(std::string_view text) {
    size_t p = 0;
    auto at = [&](size_t i) -> unsigned char { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
    for (;;) {
        while (at(p) != 0 && at(p) <= ' ') ++p;
        if (at(p) == '"' && at(p + 1) == '"')
            p += 2;
        else
            break;
    }
    std::string param;
    auto keep = [&](char c) {
        if (param.size() < kMaxParamLength) param += c;
    };
    while (at(p) > ' ') {
        if (at(p) == '"') {
            ++p;
            while (at(p) != 0 && at(p) != '"') keep(text[p++]);
            if (at(p) != 0) ++p;
        } else {
            keep(text[p++]);
        }
    }
    return {text.substr(p < text.size() ? p : text.size()), param};
}

int ParamCountOf(std::string_view commandLine) {
    auto [rest, program] = NextParam(commandLine);
    int count = 0;
    for (;;) {
        auto [next, param] = NextParam(rest);
        if (param.empty()) break;
        ++count;
        rest = next;
    }
    return count;
}

std::string ParamOf(std::string_view commandLine, int index) {
    std::string_view rest = commandLine;
    for (;;) {
        auto [next, param] = NextParam(rest);
        if (index == 0 || param.empty()) return param;
        --index;
        rest = next;
    }
}

std::pair<std::string, std::string> SplitProgramAndParams(std::string_view commandLine) {
    auto [rest, program] = NextParam(commandLine);
    std::string params;
    for (;;) {
        auto [next, param] = NextParam(rest);
        if (param.empty()) break;
        if (!params.empty()) params += ' ';
        params += param.find(' ') != std::string::npos ? "\"" + param + "\"" : param;
        rest = next;
    }
    return {program, params};
}

HCURSOR ToolkitCursor(int index) {
    static HCURSOR hand = nullptr, drag = nullptr;
    auto load = [](const char* name) {
        if (HCURSOR own = ::LoadCursorA(::GetModuleHandleA(nullptr), name)) return own;
        return ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    };
    if (index == crHand) return hand ? hand : (hand = load("RX_HANDCUR"));
    if (index == crDragHand) return drag ? drag : (drag = load("RX_DRAGCUR"));
    return ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

UINT IconClipboardFormat() {
    static const UINT format = ::RegisterClipboardFormatA(kIconClipboardFormatName);
    return format;
}

bool FourDigitYearFormat(std::string_view shortDateFormat) {
    return framework::UpperCaseAscii(shortDateFormat).find("YYYY") != std::string::npos;
}

bool FourDigitYear() {
    static const bool fourDigits = [] {
        char format[100] = {};
        ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, sizeof format);
        return FourDigitYearFormat(format);
    }();
    return fourDigits;
}

bool FolderExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileNameIsValid(std::string_view name) {
    // Square brackets are ordinary characters of Windows file names
    // ("holiday [2019].jpg"): refusing them would refuse real pictures.
    return !name.empty() && name.find_first_of("<>\"|") == std::string_view::npos;
}

namespace {
bool FindEntry(const std::string& path, WIN32_FIND_DATAA& found) {
    framework::FindFile search(::FindFirstFileA(path.c_str(), &found));
    return static_cast<bool>(search);
}
}  // namespace

std::string LongFileName(const std::string& path) {
    WIN32_FIND_DATAA found{};
    if (!FindEntry(path, found)) return {};
    return found.cFileName[0] ? found.cFileName : found.cAlternateFileName;
}

std::string ShortFileName(const std::string& path) {
    WIN32_FIND_DATAA found{};
    if (!FindEntry(path, found)) return {};
    return found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName;
}

}  // namespace toolkit
