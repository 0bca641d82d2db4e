#pragma once
// The base of the program's own custom-drawn controls: a child window of a
// window class registered once per kind of control, found again by its
// handle, its messages behind the barrier, painted double-buffered over its
// parent's background, and told when the mouse enters and leaves it. The
// rotatable button is one; the slider, the speed button, the desk bar's
// buttons, the application list's tiles and the flat menus build on it too.
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

    // A solid brush of a colour, owned by the caller.
    static Brush SolidBrush(COLORREF c) { return Brush(::CreateSolidBrush(c)); }

private:
    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept;
    void RegisterWindowClass() const;
    void PaintWindow();
    void TrackMouse();
    void Unmap() noexcept;

    std::string windowClass_;
    bool mouseInside_ = false;   // enter seen, leave not yet
};

}  // namespace framework
