#pragma once
// A list of texts, each with a check box. The entries are held here before
// the window exists; once it does, the window's check marks are the truth.
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"

namespace toolkit {

class CheckListBox : public framework::Control {
public:
    CheckListBox(framework::Form& f, std::string name);

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& Item(int i) const;
    bool Checked(int i) const;
    void SetChecked(int i, bool checked);
    void AddItem(std::string_view text, bool checked);
    void DeleteItem(int i);
    void Clear();
    int ItemIndex() const;
    void SetItemIndex(int i);

protected:
    const char* WindowClass() const override;
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void AfterCreate() override;

private:
    void InsertRow(int i);
    void CheckIndex(int i) const;

    struct Entry {
        std::string text;
        bool checked;
    };
    std::vector<Entry> items_;
    int index_ = -1;
};

}  // namespace toolkit
