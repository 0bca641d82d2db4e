#pragma once
// TControlSubClass: the flat look of one standard control of a form while
// its flat menu painter (TXPMenu) is active. It sits in front of the
// control's window procedure, lets the control paint itself as usual and
// then paints a flat frame, check or radio mark or button over it, driven
// by focus, mouse and key messages.
//
// The painter owns every subclass: it makes them when it is switched on and
// removes them all, restoring each control, when it is switched off or
// destroyed; a control whose window is destroyed first drops its own.
#include <windows.h>
#include <optional>
#include <string>
#include "framework/control.h"
#include "toolkit/xp_menu.h"

namespace toolkit {

// The painting a kind of control gets.
enum class TFlatKind { Combo, Edit, CheckBox, RadioButton, Button, GroupBox };

// The class a control counts as in XPControls, and its painting; none for
// kinds the painter leaves alone.
std::optional<TXPControl> XPControlOf(framework::Kind kind);
std::optional<TFlatKind> FlatKindOf(framework::Kind kind);
// The class a parent counts as in XPContainers: the form itself (no
// parent control), a panel or a group box.
std::optional<TXPContainer> XPContainerOf(const framework::Control* parent);
// Whether a control of that kind with that parent is subclassed.
bool Qualifies(framework::Kind kind, const framework::Control* parent, TXPControls controls,
               TXPContainers containers);

// What the flat painting of one control depends on.
struct TFlatLook {
    TFlatKind kind = TFlatKind::Button;
    RECT rect{};                     // the client (an edit: the whole window)
    bool hot = false;                // focus or mouse highlights it
    bool focused = false;
    bool pressed = false;            // left button or space held
    bool spaceDown = false;
    bool checked = false;
    bool enabled = true;
    bool rightToLeft = false;        // the mark or drop-down button on the right
    bool droppedDown = false;
    bool bordered = true;            // an edit with a single border
    COLORREF controlColor = CLR_INVALID;
    COLORREF parentColor = CLR_INVALID;
    std::string caption;
    HFONT font = nullptr;
};

// The flat painting, on any device (tests paint into a bitmap).
void PaintFlat(HDC dc, const TFlatLook& look, const TXPColors& colors);

class TControlSubClass {
public:
    // Puts itself in front of the control's window procedure, unless some
    // painter's subclass is there already (then Attached() is false).
    TControlSubClass(TXPMenu& painter, HWND control, framework::Kind kind);
    // Puts the control's own procedure and frame back.
    ~TControlSubClass();
    TControlSubClass(const TControlSubClass&) = delete;
    TControlSubClass& operator=(const TControlSubClass&) = delete;

    bool Attached() const noexcept { return attached_; }
    HWND Window() const noexcept { return hwnd_; }
    // The flat painting of the control's present state on a device whose
    // origin is the control's (the client; an edit: the window).
    void PaintOn(HDC dc) const;
    // The subclass on the window, if a painter put one there.
    static TControlSubClass* Of(HWND control) noexcept;
    static bool IsSubclassed(HWND control) noexcept { return Of(control) != nullptr; }

private:
    static LRESULT CALLBACK SubclassWindowProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id,
                                               DWORD_PTR self) noexcept;
    void AfterMessage(UINT m, WPARAM w);
    void PaintControl();
    TFlatLook Look() const;

    TXPMenu& painter_;
    HWND hwnd_;
    framework::Kind kind_;
    TFlatKind flat_;
    bool attached_ = false;
    bool madeFlatEdge_ = false;      // an edit's sunken edge swapped for a single border
    bool hot_ = false;
    bool mouseDown_ = false;
    bool spaceDown_ = false;
    bool spacePainted_ = false;      // one painting per held space key
    bool trackingMouse_ = false;
    mutable bool painting_ = false;  // what the painting asks the control is not a message to answer
};

}  // namespace toolkit
