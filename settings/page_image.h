#pragma once
// TPageImage: one of the settings dialog's page buttons or its lit hover
// picture. A picture from the program's resources, drawn over the dialog's
// background; a click (or a program's BM_CLICK) runs OnClick. It never takes
// the focus. Its window text names the page for screen readers and tests.
//
// PageImages holds the dialog's twenty-three of them, Image1..Image23, as
// members of the form under the layout's names.
#include <windows.h>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include "framework/custom_control.h"
#include "toolkit/gif_image.h"

namespace settings {

class TPageImage final : public framework::CustomControl {
public:
    TPageImage(framework::Form& owner, std::string name);
    ~TPageImage() override;

    // Reads the picture of that resource name; a picture that is missing or
    // damaged leaves the control blank (the caller decides whether to say so).
    void LoadPicture(std::string_view resource);
    bool HasPicture() const noexcept { return picture_ != nullptr; }
    void Paint(HDC dc, const RECT& client) const override;

protected:
    DWORD WindowStyle() const override { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS; }
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;

private:
    std::unique_ptr<toolkit::TGIFImage> picture_;
};

// The page buttons Image1..Image11 and their hover pictures Image12..Image23.
class PageImages {
public:
    static constexpr int kButtons = 11;
    static constexpr int kCount = 23;
    explicit PageImages(framework::Form& owner);
    // Image1 is number 1.
    TPageImage& operator[](int number) const { return *images_.at(static_cast<size_t>(number - 1)); }

private:
    std::array<std::unique_ptr<TPageImage>, kCount> images_;
};

}  // namespace settings
