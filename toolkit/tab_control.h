#pragma once
// A row of tabs, the system's tab control, that chooses which of a page's
// sheets shows: the chosen tab stands raised and joined to the sheets below
// it, the others behind it. A click or the arrow keys choose a tab and run
// OnChange; the tabs and the choice are held before the window exists.
//
//     toolkit::TabControl pcGeneral{*this, "pcGeneral"};
//     {framework::Kind::Custom, "pcGeneral", "pnGeneral", 0, 0, 466, 24, "", 0},
#include <windows.h>
#include <string>
#include <vector>
#include "framework/control.h"

namespace toolkit {

class TabControl : public framework::Control {
public:
    TabControl(framework::Form& f, std::string name);

    void SetTabs(const std::vector<std::string>& captions);
    int Count() const noexcept { return static_cast<int>(tabs_.size()); }
    const std::string& Tab(int i) const { return tabs_.at(static_cast<size_t>(i)); }
    int TabIndex() const noexcept { return index_; }
    // Chooses a tab without running OnChange; an index outside the tabs is ignored.
    void SetTabIndex(int i);

    LRESULT OnNotify(NMHDR* hdr) override;

protected:
    const char* WindowClass() const override;
    DWORD WindowStyle() const override;
    void AfterCreate() override;

private:
    void InsertTabs();

    std::vector<std::string> tabs_;
    int index_ = 0;
};

}  // namespace toolkit
