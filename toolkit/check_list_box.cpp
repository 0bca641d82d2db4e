#include "toolkit/check_list_box.h"
#include <commctrl.h>
#include "framework/guard.h"

namespace toolkit {
namespace {
UINT CheckState(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }
}  // namespace

CheckListBox::CheckListBox(framework::Form& f, std::string name) : Control(f, std::move(name), framework::Kind::Custom) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
}

const char* CheckListBox::WindowClass() const { return WC_LISTVIEWA; }

DWORD CheckListBox::WindowStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER;
}

void CheckListBox::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) throw framework::Exception("List index out of bounds");
}

const std::string& CheckListBox::Item(int i) const {
    CheckIndex(i);
    return items_[static_cast<size_t>(i)].text;
}

bool CheckListBox::Checked(int i) const {
    CheckIndex(i);
    if (!Handle()) return items_[static_cast<size_t>(i)].checked;
    auto state = ::SendMessageA(Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void CheckListBox::SetChecked(int i, bool checked) {
    CheckIndex(i);
    items_[static_cast<size_t>(i)].checked = checked;
    if (!Handle()) return;
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = CheckState(checked);
    ::SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}

void CheckListBox::AddItem(std::string_view text, bool checked) {
    items_.push_back({std::string(text), checked});
    InsertRow(Count() - 1);
}

void CheckListBox::DeleteItem(int i) {
    CheckIndex(i);
    items_.erase(items_.begin() + i);
    if (index_ >= Count()) index_ = -1;
    if (Handle()) ::SendMessageA(Handle(), LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

void CheckListBox::Clear() {
    items_.clear();
    index_ = -1;
    if (Handle()) ::SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

int CheckListBox::ItemIndex() const {
    if (!Handle()) return index_;
    return static_cast<int>(::SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CheckListBox::SetItemIndex(int i) {
    if (i < -1 || i >= Count()) i = -1;
    index_ = i;
    if (!Handle()) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (i < 0) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}

void CheckListBox::AfterCreate() {
    ::SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT r{};
    ::GetClientRect(Handle(), &r);
    LVCOLUMNA col{};
    col.mask = LVCF_WIDTH;
    col.cx = r.right - ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageA(Handle(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    for (int i = 0; i < Count(); ++i) InsertRow(i);
    SetItemIndex(index_);
}

void CheckListBox::InsertRow(int i) {
    if (!Handle()) return;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    std::string text = items_[static_cast<size_t>(i)].text;
    item.pszText = text.data();
    ::SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetChecked(i, items_[static_cast<size_t>(i)].checked);
}

}  // namespace toolkit
