#pragma once
// TTilePanel: the flat coloured tile the application list and the
// send-current window are made of. A tile shows, each when it has one, a
// 32 x 32 picture at its top-left corner (an executable's icon, or a picture
// of the program's own), a number box and a text, and tells its owner when
// the mouse moves over it and when it is clicked with either button.
//
// A tile's window text is what it shows in words (the number and the text),
// so that tools that read windows, screen readers among them, find it.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include "framework/custom_control.h"
#include "framework/owned.h"

namespace navigation {

// TColor values ($BBGGRR), as COLORREF has them.
inline constexpr COLORREF kTileColor = 0xF0F0F0;
inline constexpr COLORREF kTileHoverColor = 0xD0E8E8;

// A font by face, size in points and weight.
struct TTileFont {
    const char* face;
    int points;
    bool bold;
    COLORREF color;
};

// Where the text goes: centred in the whole tile, or in a box of its own.
struct TTileText {
    RECT box{};                 // empty: the whole tile, centred
    TTileFont font{"Tahoma", 8, true, 0x404040};
};

// The number box: a filled rectangle with its text centred.
struct TTileBadge {
    RECT box{};
    TTileFont font{"Tahoma", 17, true, 0xD0E8E8};
    COLORREF fill = 0xC48B31;
};

class TTilePanel final : public framework::CustomControl {
public:
    TTilePanel(framework::Form& owner, std::string name);

    // A tile made at run time (the application list's): its window in the
    // parent at these client coordinates.
    void CreateAt(HWND parent, const RECT& bounds, int id);

    COLORREF Color() const noexcept { return color_; }
    void SetColor(COLORREF c);
    const std::string& Text() const noexcept { return text_; }
    void SetText(std::string_view text);
    const std::string& Badge() const noexcept { return badge_; }
    void SetBadge(std::string_view badge);
    TTileText TextLook;
    TTileBadge BadgeLook;

    // The picture: an icon the tile shares with the other tiles of the same
    // executable (released with the last of them), or a picture drawn by
    // someone else into a memory DC that outlives the tile. Either is
    // stretched to 32 x 32 at (1, 1).
    void SetIcon(std::shared_ptr<const framework::Icon> icon);
    void SetPicture(HDC source, SIZE size);
    bool HasPicture() const noexcept { return icon_ || pictureDc_; }

    // OnClick, the control's own, runs when the left button is pressed and
    // released on the tile.
    std::function<void()> OnHover;        // the mouse moved over the tile
    std::function<void()> OnRightClick;   // right button released on it

    void Paint(HDC dc, const RECT& client) const override;

protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;

private:
    void UpdateWindowText();
    void PaintPicture(HDC dc) const;
    static void PaintText(HDC dc, std::string_view text, const RECT& box, const TTileFont& font, UINT format);

    COLORREF color_ = kTileColor;
    std::string text_;
    std::string badge_;
    std::shared_ptr<const framework::Icon> icon_;
    HDC pictureDc_ = nullptr;
    SIZE pictureSize_{};
};

}  // namespace navigation
