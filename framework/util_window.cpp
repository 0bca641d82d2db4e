#include "framework/util_window.h"
#include "framework/application.h"
#include "framework/guard.h"

namespace framework {
namespace {

void RegisterUtilClass() {
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(App().Handle(), UtilWindow::kClassName, &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcA;   // replaced per window once it knows its owner
    wc.hInstance = App().Handle();
    wc.lpszClassName = UtilWindow::kClassName;
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register the window class TPUtilWindow");
}

}  // namespace

UtilWindow::UtilWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterUtilClass();
    hwnd_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              App().Handle(), nullptr);
    if (!hwnd_) throw Exception("Cannot create a utility window");
    // The class's procedure is the default one, so nothing of ours runs
    // before the pointer is in place.
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilWindow::WndProc));
}

UtilWindow::~UtilWindow() {
    if (!hwnd_) return;
    ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK UtilWindow::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
    auto* self = reinterpret_cast<UtilWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
    if (!self || !self->handler_) return ::DefWindowProcA(h, m, w, l);
    LRESULT result = 0;
    bool handled = Guard(false, [&] { return self->handler_(m, w, l, result); });
    return handled ? result : ::DefWindowProcA(h, m, w, l);
}

}  // namespace framework
