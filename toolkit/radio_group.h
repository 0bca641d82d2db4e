#pragma once
// A group box of radio buttons with one item index, as the settings dialog's
// option groups use it. The index is held before the buttons exist.
#include <memory>
#include <string>
#include <vector>
#include "framework/control.h"

namespace toolkit {

class RadioGroup : public framework::Control {
public:
    RadioGroup(framework::Form& f, std::string name);
    ~RadioGroup() override;

    void SetItems(const std::vector<std::string>& items);
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& Item(int i) const { return items_.at(static_cast<size_t>(i)); }
    // -1 is no selection; an index outside the items selects nothing.
    int ItemIndex() const noexcept { return index_; }
    void SetItemIndex(int i);

    void CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) override;

protected:
    DWORD WindowStyle() const override;

private:
    void CreateButtons();
    void ButtonClicked(int i);

    std::vector<std::string> items_;
    std::vector<std::unique_ptr<framework::RadioButton>> buttons_;
    int index_ = -1;
    bool setting_ = false;
};

}  // namespace toolkit
