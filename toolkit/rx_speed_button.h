#pragma once
// TRxSpeedButton: a button with a glyph, an optional caption, radio-like
// groups, a flat look that lights up under the mouse, an attached drop-down
// menu and auto-repeat while held. Its glyphs come from TRxButtonGlyph, which
// builds the picture of each button state once and keeps it in image lists
// shared by every button of the program (TGlyphCache).
//
// In the program its user is the browse button of the file-name edits
// (toolkit/combo_edit.h); it stands in a form's layout as Kind::Custom like
// every custom control.
#include <windows.h>
#include <commctrl.h>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "framework/custom_control.h"
#include "framework/owned.h"

namespace framework { class PopupMenu; }

namespace toolkit {

// The button states, in the order of a glyph strip's pictures.
enum class TButtonState { Up = 0, Disabled = 1, Down = 2, Exclusive = 3, Inactive = 4 };
constexpr int kButtonStates = 5;
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum class TRxDropDownMenuPos { dmpBottom, dmpRight };
enum class TTextAlignment { taLeftJustify, taRightJustify, taCenter };

// The image list of one glyph size, shared by the buttons: a new image takes
// the first free slot, a released one only frees its slot.
class TGlyphList {
public:
    TGlyphList(int width, int height);
    ~TGlyphList();
    TGlyphList(const TGlyphList&) = delete;
    TGlyphList& operator=(const TGlyphList&) = delete;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    HIMAGELIST Handle() const noexcept { return list_; }
    int Count() const noexcept { return count_; }
    // The picture (of this list's size) with its pixels of the transparent colour clear.
    int AddMasked(HBITMAP image, COLORREF transparent);
    void Delete(int index);

private:
    int width_, height_;
    HIMAGELIST list_ = nullptr;
    std::vector<bool> used_;
    int count_ = 0;
};

// The one cache of glyph lists of the program: a list per glyph size,
// created on first need and freed once nothing uses it.
class TGlyphCache {
public:
    static TGlyphList& GetList(int width, int height);
    static void ReturnList(TGlyphList& list);
    static int ListCount();   // lists alive
};

// How many pictures a glyph strip of that size says it holds: a width that
// is a whole multiple of the height gives that multiple when it is below 6,
// else 1; 0 when the strip says nothing (no whole multiple, or no height).
int GlyphCountFor(int width, int height) noexcept;

class TRxButtonGlyph {
public:
    TRxButtonGlyph() = default;
    ~TRxButtonGlyph();
    TRxButtonGlyph(const TRxButtonGlyph&) = delete;
    TRxButtonGlyph& operator=(const TRxButtonGlyph&) = delete;

    // A copy of the strip; none clears it. A strip of width or height 0 is
    // refused with framework::Exception. The transparent colour is the
    // strip's bottom-left pixel's.
    void SetGlyph(HBITMAP strip);
    HBITMAP Glyph() const noexcept { return glyph_.get(); }
    int NumGlyphs() const noexcept { return numGlyphs_; }
    void SetNumGlyphs(int n);
    COLORREF TransparentColor() const noexcept { return transparent_; }
    SIZE ImageSize() const noexcept;   // one picture of the strip; 0 x 0 without a glyph

    // The cached picture of a state, built on first use; -1 without a glyph.
    int ImageIndex(TButtonState state);
    HIMAGELIST Images() const noexcept { return list_ ? list_->Handle() : nullptr; }
    void Draw(HDC dc, int x, int y, TButtonState state);
    std::function<void()> OnChange;

private:
    void Invalidate();
    framework::Bitmap BuildImage(TButtonState state) const;

    framework::Bitmap glyph_;
    int numGlyphs_ = 1;
    COLORREF transparent_ = RGB(255, 0, 255);
    TGlyphList* list_ = nullptr;
    std::array<int, kButtonStates> indexes_{-1, -1, -1, -1, -1};
};

// The layout rule of glyph and caption in a content rectangle.
struct GlyphCaptionPlaces {
    POINT glyph{};
    RECT caption{};
    POINT mark{};   // top-left of the drop-down mark, when there is one
};
struct GlyphCaptionInput {
    RECT content{};
    SIZE glyph{};              // 0 x 0 without a glyph
    SIZE caption{};            // measured, already limited to CaptionRoom
    TButtonLayout layout = TButtonLayout::blGlyphTop;
    int margin = -1;
    int spacing = 1;
    bool dropDownMark = false;
};
// Room for the caption along the main axis.
int CaptionRoom(const RECT& content, SIZE glyph, TButtonLayout layout, int margin, int spacing, bool dropDownMark);
GlyphCaptionPlaces PlaceGlyphAndCaption(const GlyphCaptionInput& in);

class TRxSpeedButton : public framework::CustomControl {
public:
    TRxSpeedButton(framework::Form& owner, std::string name);
    ~TRxSpeedButton() override;

    TButtonState State() const noexcept { return state_; }
    bool Down() const noexcept { return down_; }
    void SetDown(bool down);
    int GroupIndex() const noexcept { return groupIndex_; }
    void SetGroupIndex(int g);
    bool AllowAllUp() const noexcept { return allowAllUp_; }
    void SetAllowAllUp(bool on);
    bool Flat() const noexcept { return flat_; }
    void SetFlat(bool on);
    bool Transparent = false;
    bool GrayedInactive = true;
    bool WordWrap = false;
    bool MarkDropDown = true;
    TTextAlignment Alignment = TTextAlignment::taCenter;
    TButtonLayout Layout = TButtonLayout::blGlyphTop;
    TButtonStyle Style = TButtonStyle::bsAutoDetect;
    TRxDropDownMenuPos MenuPosition = TRxDropDownMenuPos::dmpBottom;
    int Spacing = 1;
    int Margin() const noexcept { return margin_; }
    void SetMargin(int m);   // -1 or more
    int ModalResult = 0;
    bool AllowTimer() const noexcept { return allowTimer_; }
    void SetAllowTimer(bool on);
    UINT InitPause = 500;
    UINT RepeatInterval = 100;

    TRxButtonGlyph& ButtonGlyph() noexcept { return glyph_; }
    void SetGlyph(HBITMAP strip);
    int NumGlyphs() const noexcept { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int n);   // limited to 1..5

    framework::PopupMenu* DropDownMenu() const noexcept { return menu_; }
    void SetDropDownMenu(framework::PopupMenu* menu);

    // Enabled also while it has no window yet.
    bool Enabled() const noexcept;
    bool MouseInControl() const noexcept { return mouseInControl_; }
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    std::function<void()> OnDblClick;

    // Sets the parent form's modal result, then fires OnClick.
    virtual void Click();

    // The state painted now (a flat button without the mouse is inactive).
    TButtonState DrawnState() const noexcept;
    void Paint(HDC dc, const RECT& client) const override;

    static constexpr UINT_PTR kRepeatTimer = 1;

protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;
    void MouseEnter() override;
    void MouseLeave() override;
    virtual void LeftButtonDown(POINT p);
    bool NewLook() const noexcept;

private:
    // Draws frame and content; answers the content rectangle.
    RECT PaintFrame(HDC dc, RECT r, TButtonState drawn) const;
    void PaintContent(HDC dc, const RECT& content, TButtonState drawn) const;
    void MouseMove(POINT p);
    void LeftButtonUp(POINT p);
    void RepeatTimer();
    void StopTimer();
    void ShowDropDown();
    void SetState(TButtonState s);
    void ReleaseGroupMates();
    bool Inside(POINT p) const;

    TButtonState state_ = TButtonState::Up;
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool flat_ = false;
    int margin_ = -1;
    bool allowTimer_ = false;
    bool timerRunning_ = false;
    bool dragging_ = false;
    bool mouseInControl_ = false;
    bool menuTracking_ = false;
    framework::PopupMenu* menu_ = nullptr;
    mutable TRxButtonGlyph glyph_;
};

}  // namespace toolkit
