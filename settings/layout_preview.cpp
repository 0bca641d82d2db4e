#include "settings/layout_preview.h"
#include <commctrl.h>
#include "framework/guard.h"
#include "framework/owned.h"
#include "settings/store_values.h"
#include "settings/tables.h"

namespace settings {
namespace {

constexpr UINT_PTR kPaintProcId = 2;   // the panel's forwarding subclass is 1
constexpr COLORREF kScreenColor = RGB(0x3A, 0x6E, 0xA5);
constexpr COLORREF kTaskbarColor = RGB(0x24, 0x3C, 0x5C);
constexpr COLORREF kFrameColor = RGB(0x40, 0x40, 0x40);
constexpr int kTaskbarHeight = 6;
constexpr int kCaptionLeft = 12, kCaptionTop = 14;

void Fill(HDC dc, RECT r, COLORREF c) {
    framework::Brush brush(::CreateSolidBrush(c));
    ::FillRect(dc, &r, brush.get());
}

}  // namespace

std::vector<LayoutCell> LayoutPreviewCells(int layoutIndex, POINT origin, SIZE cell) {
    const GridSize grid = GridForLayout(layoutIndex);
    std::vector<LayoutCell> cells;
    for (int c = 0; c < grid.cols; ++c)
        for (int r = 0; r < grid.rows; ++r) {
            const int left = origin.x + c * cell.cx, top = origin.y + r * cell.cy;
            cells.push_back({RECT{left, top, left + cell.cx, top + cell.cy},
                             std::to_string(DesktopAt(c, r, grid.cols)) + " "});
        }
    return cells;
}

void DrawDesktopPicture(HDC dc, const RECT& r) {
    Fill(dc, r, kFrameColor);
    RECT screen{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    Fill(dc, screen, kScreenColor);
    RECT taskbar{screen.left, screen.bottom - kTaskbarHeight, screen.right, screen.bottom};
    Fill(dc, taskbar, kTaskbarColor);
}

TLayoutPreview::TLayoutPreview(framework::Form& f, std::string name, POINT origin)
    : Panel(f, std::move(name)), origin_(origin) {
    base_.SetBounds(0, 0, kDesktopPictureSize.cx, kDesktopPictureSize.cy);
}

TLayoutPreview::~TLayoutPreview() {
    if (Handle()) ::RemoveWindowSubclass(Handle(), &PaintProc, kPaintProcId);
}

DWORD TLayoutPreview::WindowStyle() const { return Panel::WindowStyle() | WS_CLIPCHILDREN; }

void TLayoutPreview::AfterCreate() {
    Panel::AfterCreate();
    ::SetWindowSubclass(Handle(), &PaintProc, kPaintProcId, reinterpret_cast<DWORD_PTR>(this));
}

void TLayoutPreview::ShowLayout(int layoutIndex) {
    pictures_.clear();
    numbers_.clear();
    if (!base_.Canvas()) {
        base_.SetPictureSize(kDesktopPictureSize.cx, kDesktopPictureSize.cy);
        DrawDesktopPicture(base_.Canvas(), RECT{0, 0, kDesktopPictureSize.cx, kDesktopPictureSize.cy});
    }
    for (const LayoutCell& cell : LayoutPreviewCells(layoutIndex, origin_)) {
        const int w = cell.bounds.right - cell.bounds.left, h = cell.bounds.bottom - cell.bounds.top;
        auto picture = std::make_unique<framework::Image>("imDesk", 0);
        picture->SetBounds(cell.bounds.left, cell.bounds.top, w, h);
        picture->SetPictureSize(w, h);
        ::BitBlt(picture->Canvas(), 0, 0, w, h, base_.Canvas(), 0, 0, SRCCOPY);
        auto number = std::make_unique<framework::GraphicLabel>("lbDesk", 0);
        number->SetBounds(cell.bounds.left, cell.bounds.top, w, h);
        number->SetFont(kLayoutNumberFont, kLayoutNumberSize, true);
        number->FontColor = kLayoutNumberColor;
        number->RightAligned = true;
        number->SetCaption(cell.text);
        pictures_.push_back(std::move(picture));
        numbers_.push_back(std::move(number));
    }
    Invalidate();
}

void TLayoutPreview::PaintTo(HDC dc, const RECT& client) const {
    Fill(dc, client, Color() == CLR_INVALID ? ::GetSysColor(COLOR_BTNFACE) : Color());
    const std::string caption = Caption();
    framework::SelectScope font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::TextOutA(dc, kCaptionLeft, kCaptionTop, caption.c_str(), static_cast<int>(caption.size()));
    for (const auto& p : pictures_) p->PaintTo(dc);
    for (const auto& n : numbers_) n->PaintTo(dc);
}

void TLayoutPreview::PaintWindow() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (client.right > 0 && client.bottom > 0) {
        framework::MemoryDc mem(::CreateCompatibleDC(dc));
        framework::Bitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        framework::SelectScope select(mem.get(), bitmap.get());
        PaintTo(mem.get(), client);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &ps);
}

LRESULT CALLBACK TLayoutPreview::PaintProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) noexcept {
    auto* self = reinterpret_cast<TLayoutPreview*>(ref);
    if (m == WM_ERASEBKGND) return 1;
    if (m == WM_PAINT) {
        // A failed paint still validates the window, or it would come back at once.
        framework::Guard([&] { self->PaintWindow(); });
        ::ValidateRect(h, nullptr);
        return 0;
    }
    return ::DefSubclassProc(h, m, w, l);
}

}  // namespace settings
