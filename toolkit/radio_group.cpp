#include "toolkit/radio_group.h"
#include "framework/form.h"

namespace toolkit {
namespace {
constexpr int kItemHeight = 17;
constexpr int kTopMargin = 16;
constexpr int kLeftMargin = 8;
}  // namespace

RadioGroup::RadioGroup(framework::Form& f, std::string name)
    : Control(f, std::move(name), framework::Kind::GroupBox) {}

RadioGroup::~RadioGroup() {
    buttons_.clear();   // the buttons are children of the group's window
}

DWORD RadioGroup::WindowStyle() const { return WS_CHILD | WS_VISIBLE | BS_GROUPBOX; }

void RadioGroup::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (index_ >= Count()) index_ = -1;
    if (Handle()) CreateButtons();
}

void RadioGroup::SetItemIndex(int i) {
    if (i < -1 || i >= Count()) i = -1;
    bool changed = i != index_;
    index_ = i;
    setting_ = true;
    for (size_t b = 0; b < buttons_.size(); ++b) buttons_[b]->SetChecked(static_cast<int>(b) == i);
    setting_ = false;
    if (changed && OnClick) OnClick();
}

void RadioGroup::CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) {
    Control::CreateWindowFor(parent, spec, id);
    CreateButtons();
}

void RadioGroup::CreateButtons() {
    buttons_.clear();
    RECT r = Bounds();
    int width = (r.right - r.left) - 2 * kLeftMargin;
    for (size_t i = 0; i < items_.size(); ++i) {
        auto b = std::make_unique<framework::RadioButton>(Owner(), Name() + "_" + std::to_string(i));
        b->SetCaption(items_[i]);
        b->SetChecked(static_cast<int>(i) == index_);
        int n = static_cast<int>(i);
        b->OnClick = [this, n] { ButtonClicked(n); };
        framework::ControlSpec spec{framework::Kind::RadioButton, nullptr, nullptr, kLeftMargin,
                                    kTopMargin + n * kItemHeight, width, kItemHeight - 1, nullptr, 0};
        b->CreateWindowFor(Handle(), spec, 0xA000 + n);
        buttons_.push_back(std::move(b));
    }
}

void RadioGroup::ButtonClicked(int i) {
    if (setting_) return;
    if (!buttons_[static_cast<size_t>(i)]->Checked()) return;
    bool changed = index_ != i;
    index_ = i;
    if (changed && OnClick) OnClick();
}

}  // namespace toolkit
