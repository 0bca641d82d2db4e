#include "toolkit/tab_control.h"
#include <commctrl.h>

namespace toolkit {

TabControl::TabControl(framework::Form& f, std::string name) : Control(f, std::move(name), framework::Kind::Custom) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
}

const char* TabControl::WindowClass() const { return WC_TABCONTROLA; }

DWORD TabControl::WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TABS; }

void TabControl::SetTabs(const std::vector<std::string>& captions) {
    tabs_ = captions;
    if (index_ >= Count()) index_ = 0;
    if (Handle()) InsertTabs();
}

void TabControl::SetTabIndex(int i) {
    if (i < 0 || i >= Count()) return;
    index_ = i;
    if (Handle()) ::SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void TabControl::AfterCreate() { InsertTabs(); }

void TabControl::InsertTabs() {
    ::SendMessageA(Handle(), TCM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < tabs_.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = tabs_[i].data();
        ::SendMessageA(Handle(), TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index_), 0);
}

LRESULT TabControl::OnNotify(NMHDR* hdr) {
    if (hdr->code != static_cast<UINT>(TCN_SELCHANGE)) return 0;
    const auto chosen = static_cast<int>(::SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
    if (chosen < 0 || chosen >= Count() || chosen == index_) return 0;
    index_ = chosen;
    if (OnChange) OnChange();
    return 0;
}

}  // namespace toolkit
