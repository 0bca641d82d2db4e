#pragma once
// TfrmBubble: a small translucent rounded notice of one event near the
// taskbar, with "Switch to event"; it fades out after 5 seconds unless the
// mouse rests on it. Bubbles stack along the taskbar, one per event.
//
// Ownership: a bubble shown by ShowBubble belongs to this unit until its life
// ends; it then hands itself to the main form's bubble list (RegisterBubble),
// which takes it over with TakeBubble and frees it once it is Finished().
#include <windows.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/timer.h"
#include "toolkit/rotatable_button.h"
#include "toolkit/rx_speed_button.h"

namespace navigation {

namespace bubble_texts {
inline constexpr std::string_view kTitle = "Pelmora Virtual Desktop";
inline constexpr std::string_view kFollow = "Switch to event";
inline constexpr std::string_view kClose = "x";
}  // namespace bubble_texts

inline constexpr int kBubbleLife = 50;            // ticks of 100 ms
inline constexpr int kBubbleFadeTicks = 10;
inline constexpr BYTE kBubbleOpacity = 240;
inline constexpr int kBubbleRowPitch = 80;
inline constexpr int kBubbleColumnPitch = 360;

// The desktop an event line names: the low four bits of the character right
// after the first "desktop #", else 0.
int ParseEventDesktop(std::string_view text);

// Where the bubble with this index (the number of other bubbles alive) goes,
// by the taskbar's edge (ABE_*) and rectangle; no answer for an unknown edge.
std::optional<POINT> BubblePosition(UINT edge, const RECT& taskbar, int screenW, int screenH, int w, int h,
                                    int index);

// The opacity of a bubble with this life left, for a tick with the mouse
// outside it: the last second fades from 240 down to 150; a life outside
// 1 to 100 leaves the opacity as it is.
std::optional<BYTE> BubbleOpacity(int life);

// A label of the bubble: opaque in the bubble's colour (a layered window has
// nothing behind a transparent one), and it reports clicks.
class TBubbleLabel final : public framework::Label {
public:
    using Label::Label;
    void OnCommand(WORD code) override;
    HBRUSH OnColor(HDC dc) override;
protected:
    DWORD WindowStyle() const override;
};

class TfrmBubble final : public framework::Form {
public:
    TfrmBubble();
    ~TfrmBubble() override;

    int FLife = 0;                   // remaining life in timer ticks
    int FEventDesktop = 0;           // 0 none
    HWND FEventWindow = nullptr;     // 0 none

    // Hidden with its timer stopped: the engine may free it.
    bool Finished() const { return !Visible() && !tBubble.Enabled(); }

    void PlaceBubble();
    void tBubbleTimer();
    void sbFollowClick();
    void btnCloseClick();
    void lbTextClick();

    TBubbleLabel lbText{*this, "lbText"};
    TBubbleLabel lbTitle{*this, "lbTitle"};
    toolkit::TRxSpeedButton sbFollow{*this, "sbFollow"};
    toolkit::TRotButton btnClose{*this, "btnClose"};
    framework::Timer tBubble{100, [this] { tBubbleTimer(); }, false};

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override;
    void CreateControls() override;
    void FormCreate() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void EndLife();
};

// Shows a bubble with the text, or with the newest log line when the text is
// empty. An error while creating or showing it is swallowed.
void ShowBubble(std::string_view text);

// Every bubble form that exists, shown or finished.
int BubblesAlive() noexcept;

// Hands over a bubble this unit still owns (null when it owns no such one).
std::unique_ptr<TfrmBubble> TakeBubble(TfrmBubble* bubble) noexcept;

// Frees the bubbles this unit still owns (at exit).
void FreeBubbles() noexcept;

}  // namespace navigation
