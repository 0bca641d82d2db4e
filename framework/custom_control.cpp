#include "framework/custom_control.h"
#include <windowsx.h>
#include "framework/guard.h"
#include "framework/handle_map.h"

namespace framework {
namespace {

using ControlsByHandle = HandleMap<CustomControl>;

CustomControl* creating = nullptr;   // the control whose window is being created

}  // namespace

CustomControl::CustomControl(Form& owner, std::string name, std::string windowClass)
    : Control(owner, std::move(name), Kind::Custom), windowClass_(std::move(windowClass)) {}

CustomControl::~CustomControl() {
    // The window goes with the base; it must not find this object on its way.
    Unmap();
}

CustomControl* CustomControl::FromHandle(HWND h) noexcept { return ControlsByHandle::Find(h); }

void CustomControl::Unmap() noexcept {
    if (hwnd_) ControlsByHandle::Remove(hwnd_);
}

void CustomControl::RegisterWindowClass() const {
    HINSTANCE inst = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(inst, windowClass_.c_str(), &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CustomControl::WndProc;
    wc.hInstance = inst;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = windowClass_.c_str();
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register the window class " + windowClass_);
}

void CustomControl::CreateWindowFor(HWND parent, const ControlSpec& spec, int id) {
    if (hwnd_) return;
    RegisterWindowClass();
    creating = this;
    struct Done {
        ~Done() { creating = nullptr; }
    } done;
    Control::CreateWindowFor(parent, spec, id);
}

LRESULT CALLBACK CustomControl::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
    CustomControl* self = FromHandle(h);
    if (!self && creating && m == WM_NCCREATE) {
        self = creating;   // the first message of the window being created
        self->hwnd_ = h;
        ControlsByHandle::Add(h, self);
    }
    if (!self) return ::DefWindowProcA(h, m, w, l);
    LRESULT result = 0;
    bool ok = Guard(false, [&] { result = self->HandleMessage(m, w, l); return true; });
    return ok ? result : ::DefWindowProcA(h, m, w, l);
}

LRESULT CustomControl::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    HWND h = hwnd_;
    switch (m) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintWindow();
        return 0;
    case WM_MOUSEMOVE:
        TrackMouse();
        break;
    case WM_MOUSELEAVE:
        mouseInside_ = false;
        MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!clickOnRelease_) break;
        Press();
        return 0;
    case WM_LBUTTONUP:
        if (!clickOnRelease_) break;
        Release({GET_X_LPARAM(l), GET_Y_LPARAM(l)});   // may run a click that frees the control
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the release will not come here.
        if (pressed_ && reinterpret_cast<HWND>(l) != h) LetGo();
        break;
    case WM_NCDESTROY:
        ControlsByHandle::Remove(h);
        break;
    default:
        break;
    }
    return ::DefWindowProcA(h, m, w, l);
}

void CustomControl::TrackMouse() {
    if (mouseInside_) return;
    mouseInside_ = true;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
    ::TrackMouseEvent(&tme);
    MouseEnter();
}

void CustomControl::Press() {
    ::SetCapture(hwnd_);   // the release comes here, wherever the mouse goes
    pressed_ = true;
    PressChanged();
}

void CustomControl::Release(POINT at) {
    const bool wasPressed = pressed_;
    LetGo();
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    // Last: the click may hide, close or free the control.
    if (wasPressed && ::PtInRect(&client, at)) RunClick();
}

void CustomControl::LetGo() {
    if (pressed_) {
        pressed_ = false;
        PressChanged();
    }
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
}

void CustomControl::RunClick() {
    if (!OnClick || !::IsWindowEnabled(hwnd_)) return;
    auto click = OnClick;
    click();
}

void CustomControl::PaintWindow() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    if (client.right > 0 && client.bottom > 0) {
        MemoryDc mem(::CreateCompatibleDC(dc));
        Bitmap bmp(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        SelectScope sel(mem.get(), bmp.get());
        // What the control leaves unpainted (round corners) shows the
        // parent's background.
        auto under = reinterpret_cast<HBRUSH>(::SendMessageA(::GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                              reinterpret_cast<WPARAM>(mem.get()),
                                                              reinterpret_cast<LPARAM>(hwnd_)));
        ::FillRect(mem.get(), &client, under ? under : ::GetSysColorBrush(COLOR_BTNFACE));
        Paint(mem.get(), client);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(hwnd_, &ps);
}

}  // namespace framework
