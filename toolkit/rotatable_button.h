#pragma once
// TRotButton: the program's push button. A flat rectangle (optionally rounded
// or filled with a gradient) with a caption centred on it that runs
// horizontally or upwards, and other colours and another font while the
// mouse is over it.
//
// It sits in a form's layout table as Kind::Custom; the form declares it as a
// member under the table's name, so the layout creates its window:
//
//     toolkit::TRotButton btnOK{*this, "btnOK"};
//     {framework::Kind::Custom, "btnOK", nullptr, 520, 340, 80, 28, "OK", 0},
//
// Its window is of its own class "TRotButton"; it never takes the focus.
#include <windows.h>
#include <string>
#include <string_view>
#include "framework/custom_control.h"
#include "framework/owned.h"

namespace toolkit {

enum class TRotAngle { ra0, ra90 };   // horizontal, upwards

// A font as the forms describe it: a face, a height in pixels (negative: the
// character height, as the forms give it) and a style.
struct TFontSpec {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    COLORREF Color = RGB(0, 0, 0);

    // The size in points at the screen's resolution.
    int Size() const;
};

// The caption font: the spec's Size taken as a cell height in device units;
// the style's italic, underline and strike-out only when painting.
framework::Font CreateCaptionFont(const TFontSpec& font, TRotAngle angle, bool forPainting);

// The colour of gradient line p (0 at the top or left) of a span s from c
// towards e: s / (s + 1) of the way at p = s, never quite e.
COLORREF GradientLineColor(COLORREF c, COLORREF e, int p, int s, bool invert);

class TRotButton final : public framework::CustomControl {
public:
    TRotButton(framework::Form& owner, std::string name);

    void CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) override;

    // Properties. Setters that change the caption's place run the layout
    // step; the others repaint.
    void SetCaption(std::string_view text);
    TRotAngle Angle() const noexcept { return angle_; }
    void SetAngle(TRotAngle a);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool on);
    int Margin() const noexcept { return margin_; }
    void SetMargin(int m);
    const TFontSpec& Font() const noexcept { return font_; }
    void SetFont(const TFontSpec& f);
    const TFontSpec& FontFocus() const noexcept { return fontFocus_; }
    void SetFontFocus(const TFontSpec& f) { fontFocus_ = f; }

    COLORREF Color() const noexcept { return color_; }
    void SetColor(COLORREF c) { color_ = c; Invalidate(); }
    COLORREF ColorEdge() const noexcept { return colorEdge_; }
    void SetColorEdge(COLORREF c) { colorEdge_ = c; Invalidate(); }
    COLORREF ColorFocus() const noexcept { return colorFocus_; }
    void SetColorFocus(COLORREF c) { colorFocus_ = c; Invalidate(); }
    COLORREF ColorFocusEdge() const noexcept { return colorFocusEdge_; }
    void SetColorFocusEdge(COLORREF c) { colorFocusEdge_ = c; Invalidate(); }
    COLORREF GradientColor() const noexcept { return gradientColor_; }
    void SetGradientColor(COLORREF c) { gradientColor_ = c; Invalidate(); }
    COLORREF GradientFocusColor() const noexcept { return gradientFocusColor_; }
    void SetGradientFocusColor(COLORREF c) { gradientFocusColor_ = c; Invalidate(); }
    bool Rounded() const noexcept { return rounded_; }
    void SetRounded(bool on) { rounded_ = on; Invalidate(); }
    bool Gradient() const noexcept { return gradient_; }
    void SetGradient(bool on);
    bool InvertGrad() const noexcept { return invertGrad_; }
    void SetInvertGrad(bool on) { invertGrad_ = on; Invalidate(); }

    // The look every dialog of the program gives its buttons.
    void UseDialogLook();

    // The size the button has (its layout's, or the caption's under AutoSize).
    SIZE Extent() const noexcept { return size_; }
    bool Hovered() const noexcept { return hovered_; }

    void Paint(HDC dc, const RECT& client) const override;

protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void PressChanged() override;

private:
    void LayoutStep();
    void PaintBackground(HDC dc, const RECT& client, bool hot) const;

    TRotAngle angle_ = TRotAngle::ra0;
    bool autoSize_ = false;
    int margin_ = 4;
    TFontSpec font_;
    TFontSpec fontFocus_;
    COLORREF color_ = 0xE0E0E0;
    COLORREF colorEdge_ = 0x303090;
    COLORREF colorFocus_ = 0xF0F0F0;
    COLORREF colorFocusEdge_ = 0xA0A0E0;
    COLORREF gradientColor_ = 0xC0C0C0;
    COLORREF gradientFocusColor_ = 0xF0E0E0;
    bool rounded_ = false;
    bool gradient_ = false;
    bool invertGrad_ = false;

    bool hovered_ = false;    // painted in the focus colours
    POINT origin_{4, 4};
    POINT originFocus_{4, 4};
    SIZE size_{0, 0};
};

}  // namespace toolkit
