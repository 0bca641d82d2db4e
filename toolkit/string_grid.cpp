#include "toolkit/string_grid.h"
#include <commctrl.h>
#include "framework/guard.h"

namespace toolkit {

StringGrid::StringGrid(framework::Form& f, std::string name) : Control(f, std::move(name), framework::Kind::Custom) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
}

const char* StringGrid::WindowClass() const { return WC_LISTVIEWA; }

DWORD StringGrid::WindowStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
}

void StringGrid::SetSize(int colCount, int rowCount) {
    cols_ = colCount < 0 ? 0 : colCount;
    cells_.assign(static_cast<size_t>(rowCount < 0 ? 0 : rowCount), std::vector<std::string>(static_cast<size_t>(cols_)));
    widths_.resize(static_cast<size_t>(cols_), 64);
    if (row_ >= RowCount()) row_ = 0;
    Rebuild();
}

const std::string& StringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= RowCount()) throw framework::Exception("Grid index out of range");
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void StringGrid::SetCell(int col, int row, std::string_view text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= RowCount()) throw framework::Exception("Grid index out of range");
    cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::string(text);
    ShowCell(col, row);
}

void StringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= cols_) return;
    widths_[static_cast<size_t>(col)] = width;
    if (Handle()) ::SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col), width);
}

void StringGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount()) row = 0;
    row_ = row;
    if (Handle()) {
        setting_ = true;
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = row > 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        ::SendMessageA(Handle(), LVM_SETITEMSTATE, row > 0 ? static_cast<WPARAM>(row - 1) : static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&item));
        setting_ = false;
    }
    if (row > 0 && OnSelectCell) OnSelectCell(row);
}

void StringGrid::AfterCreate() {
    ::SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    Rebuild();
}

void StringGrid::Rebuild() {
    HWND h = Handle();
    if (!h) return;
    ::SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
    while (::SendMessageA(h, LVM_DELETECOLUMN, 0, 0)) {}
    for (int c = 0; c < cols_; ++c) {
        std::string heading = RowCount() > 0 ? cells_[0][static_cast<size_t>(c)] : std::string();
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = widths_[static_cast<size_t>(c)];
        col.pszText = heading.data();
        ::SendMessageA(h, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    for (int r = 1; r < RowCount(); ++r) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = r - 1;
        std::string first = cols_ > 0 ? cells_[static_cast<size_t>(r)][0] : std::string();
        item.pszText = first.data();
        ::SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < cols_; ++c) ShowCell(c, r);
    }
    if (row_ > 0) SetRow(row_);
}

void StringGrid::ShowCell(int col, int row) {
    HWND h = Handle();
    if (!h) return;
    std::string text = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (row == 0) {
        LVCOLUMNA c{};
        c.mask = LVCF_TEXT;
        c.pszText = text.data();
        ::SendMessageA(h, LVM_SETCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&c));
        return;
    }
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = text.data();
    ::SendMessageA(h, LVM_SETITEMTEXTA, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
}

LRESULT StringGrid::OnNotify(NMHDR* hdr) {
    if (hdr->code != LVN_ITEMCHANGED || setting_) return 0;
    auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
    if ((nm->uChanged & LVIF_STATE) && (nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) {
        row_ = nm->iItem + 1;
        if (OnSelectCell) OnSelectCell(row_);
    }
    return 0;
}

}  // namespace toolkit
