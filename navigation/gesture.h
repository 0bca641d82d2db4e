#pragma once
// Mouse gestures: while the gesture button or key is held, the input poll
// feeds the cursor position here every 10 ms; the path becomes a gesture code
// (one direction letter per straight stroke) and is drawn as a red trail
// over the whole screen. The trail window shows only its window region,
// which grows dot by dot, so the rest of the screen stays usable.
#include <windows.h>
#include <memory>
#include <span>
#include <string>
#include <vector>
#include "framework/form.h"
#include "framework/owned.h"

namespace navigation {

// The letters "L", "R", "U" and "D", one per recognised stroke, never the
// same letter twice in a row. Empty: no gesture.
using TGestureCode = std::string;

inline constexpr int kTrailDotStep = 4;      // spacing of the trail's dots, half a dot's size
inline constexpr int kTrailDotCorner = 5;    // the dots' corner ellipse
inline constexpr int kMinStrokeLength = 77;  // pixels along the stroke's main axis
inline constexpr COLORREF kTrailColor = 0x0000FF;

enum class TStroke { None = 0, Left = 1, Right = 2, Up = 3, Down = 4 };

// The stroke rule over the points of one stroke: a stroke of at least 3
// points that spans 77 pixels or more along one axis and at most a third of
// that across it. Its sense follows the majority of the single steps; a tie
// counts as right or up.
TStroke ClassifyStroke(std::span<const POINT> stroke) noexcept;
char StrokeLetter(TStroke s) noexcept;   // 0 for None
// Appends the letter unless the code already ends with it.
void AppendDirection(TGestureCode& code, char letter);

// Where the trail puts its dots from one point to the next (the dot at the
// earlier point excluded): 4 pixels apart along the longer axis, rounded
// half to even. A point equal to its predecessor gets one dot 4 pixels to
// its right.
std::vector<POINT> TrailDotsBetween(POINT from, POINT to);

// The path of one gesture and the code built from it so far.
class TGestureRecognizer {
public:
    void Reset();
    // Adds a point; a recognised stroke ends with it, and its letter joins
    // the code. Answers the stroke recognised, None while the stroke goes on.
    TStroke AddPoint(POINT p);
    const TGestureCode& Code() const noexcept { return code_; }
    std::span<const POINT> Points() const noexcept { return points_; }

private:
    std::vector<POINT> points_;
    size_t strokeStart_ = 0;
    TGestureCode code_;
};

// The red full-screen window whose region is the trail.
class TfrmGestureTrail final : public framework::Form {
public:
    TfrmGestureTrail();
    // Covers the primary screen and stays above other windows.
    void CoverScreen();
    // An empty region: nothing of the window shows.
    void ClearTrail();
    // Adds these dots (top-left corners) to the region.
    void AddDots(std::span<const POINT> dots);

protected:
    DWORD InitialStyle() const override { return WS_POPUP; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW; }
    void FormCreate() override;

private:
    void ApplyRegion();
    framework::Region trail_;   // our copy; the window owns the one it shows
};

// The unit's gesture, one at a time, for the input poll.
void CreateTrailWindow();             // at the main form's creation
void ResetGesture();                  // the first tick of a gesture
void AddGesturePoint(POINT p);        // every tick while the gesture is held
TGestureCode TakeGesture();           // the release: the code, the trail hidden
TfrmGestureTrail* TrailWindow() noexcept;

}  // namespace navigation
