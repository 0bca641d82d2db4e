#pragma once
// The window and drawing utility routines that the toolkit's components
// share: integer and rectangle helpers, transparent and disabled bitmap
// drawing, window activation, text shortening, memory blocks, command-line
// splitting, the toolkit's cursors and icon clipboard format, and file names.
#include <windows.h>
#include <commctrl.h>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include "framework/owned.h"

namespace toolkit {

// Colour conventions of the drawing routines.
constexpr COLORREF clNone = 0x1FFFFFFF;     // no transparency
constexpr COLORREF clDefault = 0x20000000;  // the bitmap's bottom-left pixel

inline int IntMaxOf(int a, int b) noexcept { return a < b ? b : a; }
inline int IntMinOf(int a, int b) noexcept { return b < a ? b : a; }
inline int RectWidth(const RECT& r) noexcept { return r.right - r.left; }
inline int RectHeight(const RECT& r) noexcept { return r.bottom - r.top; }
// Edges included, unlike PtInRect.
inline bool PointInRectIncl(POINT p, const RECT& r) noexcept {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}
inline COLORREF PaletteRelative(COLORREF c) noexcept { return (c & 0x00FFFFFF) | 0x02000000; }

// Stretches the source rectangle onto the target, leaving the target as it
// was under every pixel of the transparent colour.
void TransparentStretchBlt(HDC target, const RECT& targetRect, HDC source, const RECT& sourceRect,
                           COLORREF transparent, HPALETTE palette = nullptr);
// A target or source rectangle of zero size takes the bitmap's size; the
// transparent colour follows the conventions above (a monochrome bitmap is
// always transparent on white).
void StretchBitmapMasked(HDC target, RECT targetRect, HBITMAP bitmap, RECT sourceRect, COLORREF transparent,
                         DWORD copyMode = SRCCOPY);
void DrawBitmapRectMasked(HDC target, int x, int y, const RECT& sourceRect, HBITMAP bitmap, COLORREF transparent);
void DrawBitmapMasked(HDC target, int x, int y, HBITMAP bitmap, COLORREF transparent);

// The bitmap's shape (every pixel not of the mask colour) embossed on the
// back colour: in the highlight colour one pixel down and right when wanted,
// then in the shadow colour.
framework::Bitmap MakeDisabledBitmap(HBITMAP bitmap, COLORREF maskColor, COLORREF backColor, bool highlight,
                                     COLORREF shadowColor, COLORREF highlightColor);
framework::Bitmap MakeDisabledBitmapStd(HBITMAP bitmap, COLORREF maskColor);
void DrawImageDisabled(HIMAGELIST images, int index, HDC target, int x, int y, COLORREF shadowColor,
                       COLORREF highlightColor, bool highlight);

// A 3-D frame of the given width: top and left lines in one colour, bottom
// and right lines in the other; the rectangle shrinks to its inside.
void Frame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width);
// A one-pixel line from (x1, y1) to (x2, y2), the end point included.
void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color);

// Paints the parent's background under a child window into the canvas, so
// that the child looks transparent.
void CopyParentBackground(HWND control, HDC canvas);

// The silent end of an operation that is not there yet: the information box
// "Function not yet implemented", then framework::Abort.
[[noreturn]] void NotImplementedStop();

// Brings the window to the foreground; false for a disabled window. Without
// restore the answer is the foreground call's; with restore a hidden window
// answers false, a window that is not maximised is restored, and the window
// gets the focus.
bool ActivateWindow(HWND w, bool restore);
// Removes one pending message of that number for the window; a WM_QUIT
// removed on the way is posted again with its code.
void DropPendingMessage(HWND w, UINT msg);
// Whether the active window belongs to the calling thread.
bool ActiveWindowIsOurs();

// The text itself when it fits the width, else as many leading characters
// as fit followed by "..." ("..." alone when nothing fits).
std::string ShortenText(std::string_view text, const std::function<int(std::string_view)>& widthOf, int maxWidth);
std::string ShortenText(std::string_view text, HDC canvas, int maxWidth);

// Zero-filled global memory (none for a size of 0 or below).
void* AllocBlock(long long size);
void FreeBlock(void*& block) noexcept;
bool SameBytes(const void* a, const void* b, size_t count) noexcept;
inline void* BlockOffset(void* block, ptrdiff_t offset) noexcept { return static_cast<char*>(block) + offset; }
void BlockMove(void* destination, const void* source, size_t count) noexcept;   // overlapping-safe

// Command-line splitting. A parameter holds at most kMaxParamLength
// characters; the rest of a longer one is skipped, so it never turns into
// parameters of its own.
constexpr size_t kMaxParamLength = 255;
// Answers the rest of the text after the next parameter, and the parameter.
std::pair<std::string_view, std::string> NextParam(std::string_view text);
int ParamCountOf(std::string_view commandLine);                 // without the program
std::string ParamOf(std::string_view commandLine, int index);   // 0 = the program
// The program, and the other parameters joined with single blanks, each in
// double quotes when it holds a blank.
std::pair<std::string, std::string> SplitProgramAndParams(std::string_view commandLine);

// The toolkit's two cursors, by their screen-cursor index.
constexpr int crHand = 14000;
constexpr int crDragHand = 14001;
HCURSOR ToolkitCursor(int index);
// The clipboard format that holds an icon.
UINT IconClipboardFormat();
constexpr char kIconClipboardFormatName[] = "Tessarel Icon";
// Whether the user's short date format writes four-digit years.
bool FourDigitYear();
bool FourDigitYearFormat(std::string_view shortDateFormat);

bool FolderExists(const std::string& path);
bool FileNameIsValid(std::string_view name);
std::string LongFileName(const std::string& path);
std::string ShortFileName(const std::string& path);

}  // namespace toolkit
