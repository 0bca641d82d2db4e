#pragma once
// Controls without a window of their own: their form paints them and routes
// the mouse to them. Pictures and texts that overlap (a transparent label over
// a picture) can only be drawn this way without flicker or holes: a child
// window never shows what lies beneath it.
#include <windows.h>
#include <string>
#include <string_view>
#include "framework/owned.h"

namespace framework {

class GraphicControl {
public:
    GraphicControl(std::string name, int tag) : Tag(tag), name_(std::move(name)) {}
    virtual ~GraphicControl() = default;
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;

    const std::string& Name() const noexcept { return name_; }
    int Tag;

    void SetBounds(int x, int y, int w, int h) noexcept { bounds_ = {x, y, x + w, y + h}; }
    const RECT& Bounds() const noexcept { return bounds_; }
    int Left() const noexcept { return bounds_.left; }
    int Top() const noexcept { return bounds_.top; }
    int Width() const noexcept { return bounds_.right - bounds_.left; }
    int Height() const noexcept { return bounds_.bottom - bounds_.top; }
    void SetVisible(bool v) noexcept { visible_ = v; }
    bool Visible() const noexcept { return visible_; }
    // The point (in the form's client coordinates) lies on the control.
    bool Holds(POINT p) const noexcept {
        return p.x >= bounds_.left && p.x < bounds_.right && p.y >= bounds_.top && p.y < bounds_.bottom;
    }

    virtual void PaintTo(HDC dc) const = 0;

private:
    std::string name_;
    RECT bounds_{};
    bool visible_ = true;
};

// A picture: a bitmap of its own with a memory DC to draw on, shown at the
// control's top-left corner and cut at its bounds.
class Image final : public GraphicControl {
public:
    using GraphicControl::GraphicControl;
    ~Image() override;

    // Keeps the picture when the size is unchanged; a new picture is black.
    void SetPictureSize(int w, int h);
    SIZE PictureSize() const noexcept { return size_; }
    HDC Canvas() const noexcept { return dc_.get(); }   // null until sized
    COLORREF Pixel(int x, int y) const;
    void PaintTo(HDC dc) const override;

private:
    void Release() noexcept;
    // Destroyed in reverse: the bitmap leaves the DC before either is deleted.
    MemoryDc dc_;
    Bitmap bitmap_;
    Selection selection_;
    SIZE size_{};
};

// A text in a font of its own, drawn transparently into its bounds.
class GraphicLabel final : public GraphicControl {
public:
    using GraphicControl::GraphicControl;

    void SetCaption(std::string_view text) { caption_ = std::string(text); }
    const std::string& Caption() const noexcept { return caption_; }
    // Point size; the height follows the screen's resolution.
    void SetFont(std::string_view face, int pointSize, bool bold);
    int FontSize() const noexcept { return fontSize_; }
    int TextWidth(std::string_view text) const;
    COLORREF FontColor = RGB(0, 0, 0);
    bool RightAligned = false;
    bool WordWrap = false;
    void PaintTo(HDC dc) const override;

private:
    std::string caption_;
    std::string face_;
    int fontSize_ = 0;
    bool bold_ = false;
    Font font_;
};

}  // namespace framework
