#include "navigation/tile_panel.h"

namespace navigation {
namespace {

constexpr int kPictureSize = 32;
constexpr int kPictureAt = 1;

framework::Font MakeFont(HDC dc, const TTileFont& f) {
    const int height = -::MulDiv(f.points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    return framework::Font(::CreateFontA(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, f.face));
}

bool IsEmpty(const RECT& r) noexcept { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

TTilePanel::TTilePanel(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), "TTilePanel") {
    ClickOnRelease();
}

void TTilePanel::CreateAt(HWND parent, const RECT& bounds, int id) {
    const framework::ControlSpec spec{framework::Kind::Custom, Name().c_str(), nullptr, bounds.left, bounds.top,
                                      bounds.right - bounds.left, bounds.bottom - bounds.top, "", 0};
    CreateWindowFor(parent, spec, id);
    UpdateWindowText();
}

void TTilePanel::SetColor(COLORREF c) {
    if (c == color_) return;
    color_ = c;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTilePanel::SetText(std::string_view text) {
    text_ = std::string(text);
    UpdateWindowText();
}

void TTilePanel::SetBadge(std::string_view badge) {
    badge_ = std::string(badge);
    UpdateWindowText();
}

void TTilePanel::SetIcon(std::shared_ptr<const framework::Icon> icon) {
    icon_ = std::move(icon);
    pictureDc_ = nullptr;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTilePanel::SetPicture(HDC source, SIZE size) {
    icon_.reset();
    pictureDc_ = source;
    pictureSize_ = size;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTilePanel::UpdateWindowText() {
    std::string words = badge_.empty() ? text_ : text_.empty() ? badge_ : badge_ + " " + text_;
    framework::CustomControl::SetCaption(words);
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT TTilePanel::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_MOUSEMOVE:
        if (OnHover) OnHover();
        break;   // the base tracks the mouse's leaving
    case WM_RBUTTONUP:
        if (OnRightClick) OnRightClick();
        return 0;
    default:
        break;
    }
    return CustomControl::HandleMessage(m, w, l);
}

void TTilePanel::Paint(HDC dc, const RECT& client) const {
    {
        const COLORREF old = ::SetBkColor(dc, color_);
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
        ::SetBkColor(dc, old);
    }
    PaintPicture(dc);
    if (!badge_.empty()) {
        const RECT& box = BadgeLook.box;
        const COLORREF old = ::SetBkColor(dc, BadgeLook.fill);
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
        ::SetBkColor(dc, old);
        PaintText(dc, badge_, box, BadgeLook.font, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (!text_.empty()) {
        if (IsEmpty(TextLook.box))
            PaintText(dc, text_, client, TextLook.font, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        else
            PaintText(dc, text_, TextLook.box, TextLook.font, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

void TTilePanel::PaintPicture(HDC dc) const {
    if (icon_ && *icon_) {
        ::DrawIconEx(dc, kPictureAt, kPictureAt, icon_->get(), kPictureSize, kPictureSize, 0, nullptr, DI_NORMAL);
    } else if (pictureDc_ && pictureSize_.cx > 0 && pictureSize_.cy > 0) {
        const int oldMode = ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, kPictureAt, kPictureAt, kPictureSize, kPictureSize, pictureDc_, 0, 0, pictureSize_.cx,
                     pictureSize_.cy, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    }
}

void TTilePanel::PaintText(HDC dc, std::string_view text, const RECT& box, const TTileFont& font, UINT format) {
    framework::Font f = MakeFont(dc, font);
    framework::SelectScope use(dc, f ? static_cast<HGDIOBJ>(f.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, font.color);
    RECT r = box;
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, format | DT_NOPREFIX);
}

}  // namespace navigation
