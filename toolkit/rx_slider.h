#pragma once
// TRxSlider: a track bar drawn from bitmaps. A ruler stretched to the
// control's length, a thumb the user drags, clicks towards (repeating every
// 400 ms while the button is held) or moves with the keyboard, tick points,
// a bevel and a focus frame. The settings dialog's transparency slider is one:
//
//     toolkit::TRxSlider slTrans{*this, "slTrans"};
//     {framework::Kind::Custom, "slTrans", "tsVisual", 200, 20, 261, 36, "", 0},
//
// The geometry and the value arithmetic are free functions below, so tables
// of cases can test them without a window.
#include <windows.h>
#include <array>
#include <functional>
#include <string>
#include <vector>
#include "framework/custom_control.h"
#include "framework/owned.h"

namespace toolkit {

enum class TSliderOrientation { soHorizontal, soVertical };

// TSliderOptions, as bits.
enum TSliderOption : unsigned {
    soShowFocus = 1u << 0,
    soShowPoints = 1u << 1,
    soSmooth = 1u << 2,
    soRulerOpaque = 1u << 3,
    soThumbOpaque = 1u << 4,
};
constexpr unsigned kDefaultSliderOptions = soShowFocus | soShowPoints | soSmooth;

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// The four images, in the order of the "UserImages" bits.
enum class TSliderImage { HThumb, HRuler, VThumb, VRuler };

// One piece of the ruler: `length` pixels of the ruler image from `source`,
// copied to `dest` along the track.
struct RulerPiece {
    int dest;
    int source;
    int length;
    bool operator==(const RulerPiece&) const = default;
};
// The pieces that stretch a ruler image of imageLength pixels, whose ends of
// edgeSize pixels stay as they are, to targetLength pixels.
std::vector<RulerPiece> RulerPieces(int imageLength, int edgeSize, int targetLength);

// Where everything sits, in client coordinates; the lengths are along the
// track and the thicknesses across it.
struct SliderGeometry {
    RECT slider{};            // the bounds less the bevel
    POINT rulerOrigin{};
    int rulerLength = 0;      // 12 pixels shorter than the slider, never negative
    int rulerThickness = 0;
    int thumbAcross = 0;      // the thumb's top (horizontal) or left (vertical)
    int thumbLength = 0;
    int thumbThickness = 0;
    int trackStart = 0;       // the thumb's leading edge at its lowest position
    int travel = 0;           // how far the thumb moves; 0 when nothing fits
    POINT points{};           // top-left of the tick points area
};
SliderGeometry ComputeSliderGeometry(SIZE client, bool bevel, TSliderOrientation orientation, SIZE thumbImage,
                                     int numThumbStates, SIZE rulerImage);

// The thumb's leading edge (left, or top for a vertical slider) for a value.
int ThumbPositionOf(const SliderGeometry& g, TSliderOrientation orientation, int value, int minValue, int maxValue);
// The value for a thumb whose leading edge is at p; the thumb snaps to
// steps of `increment` unless smooth.
int ValueAtPosition(const SliderGeometry& g, TSliderOrientation orientation, int clientHeight, int p, int minValue,
                     int maxValue, int increment, bool smooth);

// The keyboard's and the ruler clicks' steps.
enum class TSliderStep { ToMin = 1, ToMax = 2, Up = 3, Down = 4 };
// The value a step leads to, limited to the range. Up and down snap to
// multiples of the increment (not to the minimum plus multiples).
int SteppedValue(TSliderStep step, int value, int increment, int minValue, int maxValue);

struct TickPoint {
    int value;
    int length;   // 5 at the ends, 3 between
};
std::vector<TickPoint> TickPoints(int minValue, int maxValue, int increment, int travel);

// The default images: a sunken groove and a raised thumb with a point,
// drawn in the system colours; the thumb images hold two pictures side by
// side (normal, pressed). Pixels outside the thumb's shape are kSliderClear.
constexpr COLORREF kSliderClear = RGB(255, 0, 255);
framework::Bitmap DefaultSliderImage(TSliderImage which);

class TRxSlider final : public framework::CustomControl {
public:
    TRxSlider(framework::Form& owner, std::string name);
    ~TRxSlider() override;

    void CreateWindowFor(HWND parent, const framework::ControlSpec& spec, int id) override;

    int Value() const noexcept { return value_; }
    void SetValue(int v);
    int MinValue() const noexcept { return minValue_; }
    void SetMinValue(int v);
    int MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(int v);
    int Increment() const noexcept { return increment_; }
    // Raises framework::Exception "Value must be between 1 and <range>" for
    // an increment outside 1..range.
    void SetIncrement(int v);
    TSliderOrientation Orientation() const noexcept { return orientation_; }
    void SetOrientation(TSliderOrientation o);
    unsigned Options() const noexcept { return options_; }
    void SetOptions(unsigned options);
    int NumThumbStates() const noexcept { return numThumbStates_; }
    void SetNumThumbStates(int n);
    int EdgeSize() const noexcept { return edgeSize_; }
    void SetEdgeSize(int v);
    TBevelCut BevelStyle() const noexcept { return bevel_; }
    void SetBevelStyle(TBevelCut b);
    COLORREF Color() const;   // the control's fill; the button face unless set
    void SetColor(COLORREF c);
    // A user image (copied), or none to go back to the default one.
    void SetImage(TSliderImage which, HBITMAP bitmap);
    bool UserImage(TSliderImage which) const noexcept;
    unsigned char UserImages() const noexcept { return userImages_; }

    // Every change of the value.
    std::function<void()> OnChange;
    // The user finished a change (key, button up); OnChange fires for every change.
    std::function<void()> OnChanged;
    // Replaces the tick points' painting.
    std::function<void(HDC dc)> OnDrawPoints;

    const SliderGeometry& Geometry() const noexcept { return geometry_; }
    RECT ThumbRect() const noexcept { return thumbRect_; }
    bool Dragging() const noexcept { return dragging_; }
    bool RulerTracking() const noexcept { return tracking_; }

    // The repeat timer of a click on the ruler.
    static constexpr UINT_PTR kRepeatTimer = 1;
    static constexpr UINT kRepeatMs = 400;

    void Paint(HDC dc, const RECT& client) const override;

protected:
    DWORD WindowStyle() const override { return WS_CHILD | WS_VISIBLE | WS_TABSTOP; }
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;

private:
    struct Image {
        framework::Bitmap bitmap;
        COLORREF transparent = kSliderClear;
        SIZE size{};
    };
    const Image& ThumbImage() const;
    const Image& RulerImage() const;
    SIZE ClientSize() const;
    void RebuildGeometry();
    void BuildRuler();
    void PlaceThumb(int position);
    void MoveThumbTo(int position);
    void Step(TSliderStep step);
    void Changed();
    bool KeyDown(WPARAM key);
    void LeftButtonDown(POINT p);
    void LeftButtonUp();
    void RepeatTimer();
    bool OnThumb(POINT p) const;
    bool OnRuler(POINT p) const;
    TSliderStep DirectionTowards(POINT p) const;
    void PaintPoints(HDC dc) const;
    void PaintThumb(HDC dc) const;
    void InvalidateThumb();

    int minValue_ = 0, maxValue_ = 100, value_ = 0, increment_ = 10;
    TSliderOrientation orientation_ = TSliderOrientation::soHorizontal;
    unsigned options_ = kDefaultSliderOptions;
    int numThumbStates_ = 2;
    int edgeSize_ = 2;
    TBevelCut bevel_ = TBevelCut::bvNone;
    COLORREF color_ = CLR_INVALID;
    std::array<Image, 4> images_;
    unsigned char userImages_ = 0;

    SIZE size_{150, 40};   // the bounds before the window exists
    SliderGeometry geometry_;
    framework::Bitmap ruler_;
    RECT thumbRect_{};
    bool focused_ = false;
    bool dragging_ = false;
    int grabOffset_ = 0;
    bool pressedLook_ = false;
    bool tracking_ = false;
    TSliderStep trackDirection_ = TSliderStep::Up;
    POINT trackPoint_{};
};

}  // namespace toolkit
