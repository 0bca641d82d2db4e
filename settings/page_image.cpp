// TPageImage: a clickable picture of the settings dialog's page row.
#include "settings/page_image.h"
#include "toolkit/form_pictures.h"

namespace settings {

TPageImage::TPageImage(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), "TPageImage") {
    ClickOnRelease();
}

TPageImage::~TPageImage() = default;

void TPageImage::LoadPicture(std::string_view resource) {
    picture_.reset();
    picture_ = toolkit::LoadFormPicture(resource);
    Invalidate();
}

void TPageImage::Paint(HDC dc, const RECT& client) const {
    if (!picture_) return;
    // At its own size from the top-left corner, as a picture control shows it.
    RECT at{client.left, client.top, client.left + picture_->Width(), client.top + picture_->Height()};
    picture_->Draw(dc, at);
}

LRESULT TPageImage::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case BM_CLICK:
        RunClick();
        return 0;
    default:
        break;
    }
    return CustomControl::HandleMessage(m, w, l);
}

PageImages::PageImages(framework::Form& owner) {
    for (int n = 1; n <= kCount; ++n)
        images_[static_cast<size_t>(n - 1)] = std::make_unique<TPageImage>(owner, "Image" + std::to_string(n));
}

}  // namespace settings
