#pragma once
// TXPMenu: gives a form's pop-up menus a flat look. While active, every item
// of the menus it was given (at every depth) is measured and painted here
// instead of by the system: an icon strip at the left with the item's
// picture, a light item area, a framed selection, check and radio marks and
// thin separators. The main form's tray and preview menus and the settings
// dialog's menus carry one:
//
//     toolkit::TXPMenu xpm{*this};          // declared after the menus
//     xpm.AddMenu(PopupMenu1); xpm.SetActive(true);
//
// An item that already has its own drawing keeps it unless
// OverrideOwnerDraw is set, and an item (or a whole menu) with Tag 999 is
// never touched. The colour and size rules are free functions below.
#include <windows.h>
#include <string_view>
#include <vector>
#include "framework/form.h"
#include "framework/owned.h"
#include "framework/popup_menu.h"

namespace toolkit {

constexpr intptr_t kUntouchedTag = 999;

// Each channel moved percent (0..100) of the way to white, rounded.
COLORREF BlendTowardWhite(COLORREF c, int percent);
// Red and blue less amount, green less amount - 2, each within 0..255 (a
// negative amount lightens).
COLORREF ShadeDown(COLORREF c, int amount);
// The grey of the channels' mean plus add, at most 240.
COLORREF GreyLevelColor(COLORREF c, int add);

struct TXPColors {
    COLORREF itemArea, iconStrip, selectFill, selectFrame, selectFont, disabled, checkFrame, separator, checkFill,
        checkFillSelected;
};
struct TXPColorSettings {
    bool useSystemColors = true;
    COLORREF color, iconBackColor, selectColor, selectBorderColor, selectFontColor, disabledColor, separatorColor,
        checkedColor, fontColor;
};
// The colours painting uses on a device of that many bits per pixel.
TXPColors EffectiveColors(const TXPColorSettings& s, int bitsPerPixel);

// The size of an item: textWidth of the caption (its "&" already left out),
// glyph the picture's size (0 x 0 without one).
SIZE MeasureItemSize(bool separator, SIZE text, SIZE glyph, int iconWidth);

class TXPMenu {
public:
    explicit TXPMenu(framework::Form& owner);
    ~TXPMenu();
    TXPMenu(const TXPMenu&) = delete;
    TXPMenu& operator=(const TXPMenu&) = delete;

    // A menu of the form to paint; it must outlive the painter.
    void AddMenu(framework::PopupMenu& menu);

    bool Active() const noexcept { return active_; }
    void SetActive(bool on);

    int DimLevel = 30;
    int GrayLevel = 10;
    int IconWidth = 24;
    bool DrawSelect = true;
    bool Gradient = false;
    bool OverrideOwnerDraw = false;
    TXPColorSettings Colors;

    // The handlers the items get; tests call them on their own bitmaps.
    void MeasureMenuItem(framework::MenuItem& item, HDC dc, UINT& width, UINT& height) const;
    void PaintMenuItem(framework::MenuItem& item, HDC dc, const RECT& rect, UINT state) const;

private:
    void Hook(framework::MenuItem& item);
    void Unhook(framework::MenuItem& item);
    void HookTree(framework::MenuItem& parent, bool install);
    HFONT MenuFont() const { return font_.get(); }
    void PaintBackground(HDC dc, const RECT& item, const RECT& strip, const TXPColors& c, bool highColour) const;
    void PaintCheck(HDC dc, const framework::MenuItem& item, RECT box, bool selected, bool hasGlyph,
                    const TXPColors& c) const;
    void PaintGlyph(HDC dc, const framework::MenuItem& item, const RECT& strip, bool selected, bool highColour,
                    const TXPColors& c) const;
    void PaintText(HDC dc, const framework::MenuItem& item, const RECT& text, COLORREF ink) const;

    framework::Form& owner_;
    std::vector<framework::PopupMenu*> menus_;
    framework::Font font_;
    bool active_ = false;
};

}  // namespace toolkit
