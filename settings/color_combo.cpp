#include "settings/color_combo.h"
#include <algorithm>
#include "framework/owned.h"
#include "settings/tables.h"

namespace settings {
namespace {

constexpr int kTextLeft = 4, kTextTop = 1;
constexpr COLORREF kFrameColor = RGB(0, 0, 0);
constexpr COLORREF kTextColor = RGB(0, 0, 0);

void Frame(HDC dc, RECT r, COLORREF c, int width) {
    framework::Brush brush(::CreateSolidBrush(c));
    for (int i = 0; i < width && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
        ::FrameRect(dc, &r, brush.get());
        ::InflateRect(&r, -1, -1);
    }
}

}  // namespace

void DrawColorItem(HDC dc, const RECT& r, int index, bool selected) {
    const auto i = static_cast<size_t>(std::clamp(index, 0, kColorCount - 1));
    {
        framework::Brush fill(::CreateSolidBrush(DesktopColors[i]));
        ::FillRect(dc, &r, fill.get());
    }
    if (selected) Frame(dc, r, ::GetSysColor(COLOR_HIGHLIGHT), 2);
    else Frame(dc, r, kFrameColor, 1);
    const std::string_view name = DesktopColorNames[i];
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, kTextColor);
    ::TextOutA(dc, r.left + kTextLeft, r.top + kTextTop, name.data(), static_cast<int>(name.size()));
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

DWORD TColorCombo::WindowStyle() const { return ComboBox::WindowStyle() | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; }

bool TColorCombo::OnDrawItem(DRAWITEMSTRUCT* dis) {
    // -1: an empty list's selection field; the index rule gives it the first colour.
    const int index = static_cast<int>(dis->itemID);
    const bool selected = (dis->itemState & ODS_SELECTED) && !(dis->itemState & ODS_COMBOBOXEDIT);
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
    framework::SelectScope scope(dis->hDC, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    DrawColorItem(dis->hDC, dis->rcItem, index, selected);
    return true;
}

}  // namespace settings
