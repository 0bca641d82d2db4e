#include "framework/list_view.h"
#include "framework/guard.h"

namespace framework {

DWORD ListView::WindowStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS |
           LVS_SHAREIMAGELISTS;   // the image list stays the control's own
}

void ListView::AfterCreate() {
    images_.reset(::ImageList_Create(iconSize_, iconSize_, ILC_COLOR32 | ILC_MASK, 8, 8));
    ::SendMessageA(hwnd_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
    ::SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_TRACKSELECT | LVS_EX_UNDERLINEHOT,
                   LVS_EX_TRACKSELECT | LVS_EX_UNDERLINEHOT);
}

void ListView::Clear() {
    if (!hwnd_) return;
    ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    if (images_) ::ImageList_RemoveAll(images_.get());
}

int ListView::AddRow(std::string_view caption, HICON icon, uintptr_t data) {
    if (!hwnd_) return -1;
    std::string text(caption);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = text.data();
    item.lParam = static_cast<LPARAM>(data);
    item.iImage = icon && images_ ? ::ImageList_AddIcon(images_.get(), icon) : -1;
    return static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int ListView::Count() const { return hwnd_ ? static_cast<int>(::SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)) : 0; }

std::string ListView::Caption(int row) const {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!hwnd_) return {};
    const auto n = ::SendMessageA(hwnd_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(text, static_cast<size_t>(n > 0 ? n : 0));
}

uintptr_t ListView::Data(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!hwnd_ || !::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<uintptr_t>(item.lParam);
}

int ListView::Selected() const {
    if (!hwnd_) return -1;
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::Select(int row) {
    if (!hwnd_) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row < 0) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::optional<uintptr_t> ListView::SelectedData() const {
    const int row = Selected();
    if (row < 0) return std::nullopt;
    return Data(row);
}

LRESULT ListView::OnNotify(NMHDR* hdr) {
    if (hdr->code == NM_DBLCLK && OnDblClick) OnDblClick();
    return 0;
}

}  // namespace framework
