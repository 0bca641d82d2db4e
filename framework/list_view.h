#pragma once
// A read-only list view of large icons: rows of a caption, an icon of the
// view's own image list and a number of data. The view owns its image list.
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include "framework/control.h"

namespace framework {

namespace detail {
inline void DestroyImageList(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
}  // namespace detail
using ImageList = Owned<HIMAGELIST, detail::DestroyImageList>;

class ListView final : public Control {
public:
    ListView(Form& f, std::string name, int iconSize = 32)
        : Control(f, std::move(name), Kind::Custom), iconSize_(iconSize) {}

    void Clear();   // the rows and the images
    // The icon is copied into the image list (none: a row without picture).
    int AddRow(std::string_view caption, HICON icon, uintptr_t data);
    int Count() const;
    std::string Caption(int row) const;
    uintptr_t Data(int row) const;
    int Selected() const;   // -1 when none
    void Select(int row);   // -1 clears the selection
    std::optional<uintptr_t> SelectedData() const;

    std::function<void()> OnDblClick;
    LRESULT OnNotify(NMHDR* hdr) override;

protected:
    const char* WindowClass() const override { return WC_LISTVIEWA; }
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void AfterCreate() override;

private:
    int iconSize_;
    ImageList images_;
};

}  // namespace framework
