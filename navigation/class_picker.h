#pragma once
// TfrmClassPicker: finds the window class for a rule. The user types a class
// name, or presses "Pick" and points at a window: every visible window of the
// class under the mouse gets a red frame with the name and the buttons
// "Select" and "Cancel", so the user sees at once which windows a rule of
// that class would catch. The program's own windows are never picked.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/timer.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace picker_texts {
inline constexpr std::string_view kCaption = "Class picker. Move your mouse over a window!";
inline constexpr std::string_view kExplain =
    "Type a window class name, or press \"Pick\" and move the mouse over a window: every window of its class "
    "gets a red frame.";
inline constexpr std::string_view kPick = "Pick";
inline constexpr std::string_view kStop = "Stop";
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kCancel = "Cancel";
inline constexpr std::string_view kSelect = "Select";
}  // namespace picker_texts

inline constexpr UINT kPickIntervalMs = 400;
inline constexpr int kOverlayFrameWidth = 4;
inline constexpr RECT kOverlayBox{0, 0, 158, 42};       // the name and the two buttons
inline constexpr COLORREF kOverlayColor = 0x4040F0;     // red
inline constexpr int kMaxPickedClassChars = 249;

// What the pick asks of a window to be picked or framed.
struct TPickFacts {
    bool ownThread = false;   // a window of the picker's own thread: never
    bool exists = true;
    bool visible = true;
    bool minimised = false;
    RECT rect{};              // its window rectangle
};
bool PickableWindow(const TPickFacts& w);
bool WindowUnderCursor(const TPickFacts& w, POINT cursor);

// The window rectangle cut to a screen of this size: the overlay's bounds.
RECT CutToScreen(RECT window, SIZE screen);
// The overlay's visible parts in its own coordinates: a frame of
// kOverlayFrameWidth along the edges of a rectangle of this size, and the
// box of the name and the buttons at its top-left corner.
std::vector<RECT> OverlayParts(SIZE size);
bool InOverlayParts(const std::vector<RECT>& parts, POINT p);

class TfrmClassPicker;

// One red frame over a window of the picked class, shown without taking the
// focus from the window the user points at.
class TfrmClassOverlay final : public framework::Form {
public:
    TfrmClassOverlay(TfrmClassPicker& picker, std::string className);
    ~TfrmClassOverlay() override;

    framework::Label lbClass{*this, "lbClass"};
    framework::Button btnSelect{*this, "btnSelect"};
    framework::Button btnCancel{*this, "btnCancel"};

    void ShowOver(RECT bounds);   // screen coordinates, already cut to the screen

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE; }
    void CreateControls() override;

private:
    TfrmClassPicker& picker_;
    std::string className_;
};

class TfrmClassPicker final : public framework::Form {
public:
    TfrmClassPicker();
    ~TfrmClassPicker() override;

    framework::Edit edClassName{*this, "edClassName"};
    framework::Label Label3{*this, "Label3"};
    toolkit::TRotButton btnPick{*this, "btnPick"};
    toolkit::TRotButton btnOK{*this, "btnOK"};
    toolkit::TRotButton btnCancel{*this, "btnCancel"};
    framework::Timer tPick{kPickIntervalMs, [this] { tPickTimer(); }, false};

    std::string FPickedClass;
    bool FPickIdle = true;
    int FOverlayCount = 0;

    // Modal: the trimmed class name, empty when cancelled (and at once while
    // the picker is already open).
    std::string RunClassPicker();

    void btnPickClick();
    void tPickTimer();
    void ShowClassOverlays();
    // Overlays in existence, shown or hidden.
    size_t OverlayCount() const noexcept { return overlays_.size(); }
    TfrmClassOverlay* Overlay(size_t i) const { return overlays_.at(i).get(); }

    // The buttons of an overlay. The overlay lives on until the next tick or
    // the picker's close: its own click handler is still running.
    void OverlaySelect(TfrmClassOverlay& overlay);
    void OverlayCancel(TfrmClassOverlay& overlay);

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_TOPMOST; }
    void CreateControls() override;
    void FormShow() override;
    void FormDestroy() override;

private:
    void FreeOverlays();
    void SetPicking(bool picking);
    bool TestWindow(HWND w, POINT cursor);
    void AddOverlay(HWND w);
    bool foundThisTick_ = false;
    std::vector<std::unique_ptr<TfrmClassOverlay>> overlays_;
};

extern TfrmClassPicker* frmClassPicker;

// The picker run by the settings' rule pages: empty while it does not exist.
std::string RunClassPicker();

}  // namespace navigation
