// TPageImage: a clickable picture of the settings dialog's page row.
#include "settings/page_image.h"
#include <windowsx.h>
#include "toolkit/form_pictures.h"

namespace settings {

TPageImage::TPageImage(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), "TPageImage") {}

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
    case WM_LBUTTONDOWN:
        pressed_ = true;
        ::SetCapture(hwnd_);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        RECT client;
        ::GetClientRect(hwnd_, &client);
        POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        // Last: the click may hide this picture or show another page.
        if (wasPressed && ::PtInRect(&client, at)) RunClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        break;
    default:
        break;
    }
    return CustomControl::HandleMessage(m, w, l);
}

void TPageImage::RunClick() {
    if (!OnClick || !::IsWindowEnabled(hwnd_)) return;
    auto click = OnClick;   // a copy: the handler may replace the control's own
    click();
}

PageImages::PageImages(framework::Form& owner) {
    for (int n = 1; n <= kCount; ++n)
        images_[static_cast<size_t>(n - 1)] = std::make_unique<TPageImage>(owner, "Image" + std::to_string(n));
}

}  // namespace settings
