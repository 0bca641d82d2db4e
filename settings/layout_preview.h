#pragma once
// The picture of a grid layout: one desktop picture per desktop of the
// layout, each with its number, as the start-up wizard shows the layout the
// user picks (and the settings dialog's layout page can). The pictures and
// numbers are drawn by the panel itself, so the numbers lie over the
// pictures without holes or flicker.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/control.h"
#include "framework/graphic_control.h"

namespace settings {

// The settings dialog's desktop picture imBase: one desktop.
inline constexpr SIZE kDesktopPictureSize{65, 49};
// The numbers: "Tahoma", 13 points, bold, right-aligned.
inline constexpr COLORREF kLayoutNumberColor = 0x2020D0;
inline constexpr int kLayoutNumberSize = 13;
inline constexpr char kLayoutNumberFont[] = "Tahoma";

// Where each desktop of a layout goes: column c, row r at origin + (c × W,
// r × H), numbered row by row; the text is the number and one blank. A
// layout index outside the table (no selection) shows 3 x 3.
struct LayoutCell {
    RECT bounds;
    std::string text;
};
std::vector<LayoutCell> LayoutPreviewCells(int layoutIndex, POINT origin, SIZE cell = kDesktopPictureSize);

// One desktop in small: a screen with its taskbar.
void DrawDesktopPicture(HDC dc, const RECT& r);

class TLayoutPreview final : public framework::Panel {
public:
    // origin: where the first desktop's picture goes inside the panel.
    TLayoutPreview(framework::Form& f, std::string name, POINT origin);
    ~TLayoutPreview() override;

    // Frees the pictures and numbers shown and places those of the layout.
    void ShowLayout(int layoutIndex);
    size_t PictureCount() const noexcept { return pictures_.size(); }
    const framework::Image& Picture(size_t i) const { return *pictures_.at(i); }
    const framework::GraphicLabel& Number(size_t i) const { return *numbers_.at(i); }

    // The panel as it looks: its colour, its caption, the pictures, the numbers.
    void PaintTo(HDC dc, const RECT& client) const;

protected:
    DWORD WindowStyle() const override;
    void AfterCreate() override;

private:
    static LRESULT CALLBACK PaintProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) noexcept;
    void PaintWindow();

    POINT origin_;
    framework::Image base_{"imBase", 0};
    std::vector<std::unique_ptr<framework::Image>> pictures_;
    std::vector<std::unique_ptr<framework::GraphicLabel>> numbers_;
};

}  // namespace settings
