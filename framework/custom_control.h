#pragma once
// The base of the program's own custom-drawn controls: a child window of a
// window class registered once per kind of control, found again by its
// handle, its messages behind the barrier, painted double-buffered over its
// parent's background, and told when the mouse enters and leaves it. The
// rotatable button is one; the slider, the speed button, the desk bar's
// buttons, the application list's tiles and the flat menus build on it too.
//
// A control that clicks as a push button does turns on the click on release
// inside (ClickOnRelease): the left button pressed on it takes the mouse, and
// OnClick runs only when that press is released inside the control. A press
// dragged off and released elsewhere, or one whose mouse another window took
// meanwhile, is no click.
//
// Like every control it sits in its form's layout table (Kind::Custom) and is
// a member of the form under the table's name.
#include <windows.h>
#include <string>
#include "framework/control.h"
#include "framework/owned.h"

namespace framework {

class CustomControl : public Control {
public:
    // windowClass: the name of the control's own window class.
    CustomControl(Form& owner, std::string name, std::string windowClass);
    ~CustomControl() override;

    void CreateWindowFor(HWND parent, const ControlSpec& spec, int id) override;

    // The control whose window this is, or none (also for another program's window).
    static CustomControl* FromHandle(HWND h) noexcept;
    bool MouseInside() const noexcept { return mouseInside_; }
    // The left button went down on the control and is not yet let go.
    bool Pressed() const noexcept { return pressed_; }

    // Draws the control as it looks now into any device context: the screen
    // gets it through a memory bitmap, tests through their own.
    virtual void Paint(HDC dc, const RECT& client) const = 0;

protected:
    const char* WindowClass() const override { return windowClass_.c_str(); }
    DWORD WindowStyle() const override { return WS_CHILD | WS_VISIBLE; }

    // The control's messages. What an override does not take it hands to
    // Control's base handling (painting, the mouse tracking, the default).
    virtual LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}

    // Turns on the click on release inside; set before the window takes input.
    void ClickOnRelease() noexcept { clickOnRelease_ = true; }
    // Pressed() changed: the control's pressed look is due.
    virtual void PressChanged() {}
    // Runs OnClick if the control is enabled, from a copy: the handler may
    // replace the control's own, or free the control.
    void RunClick();

    // A solid brush of a colour, owned by the caller.
    static Brush SolidBrush(COLORREF c) { return Brush(::CreateSolidBrush(c)); }

private:
    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept;
    void RegisterWindowClass() const;
    void PaintWindow();
    void TrackMouse();
    void Unmap() noexcept;
    void Press();
    void Release(POINT at);
    void LetGo();

    std::string windowClass_;
    bool mouseInside_ = false;   // enter seen, leave not yet
    bool clickOnRelease_ = false;
    bool pressed_ = false;       // pressed on the control, holding the mouse
};

}  // namespace framework
