#pragma once
// A top-level window of the test's own process, of a class registered here.
#include <windows.h>

namespace e2e {

class OwnWindow {
public:
    explicit OwnWindow(const char* cls, DWORD style = WS_OVERLAPPEDWINDOW) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        ::RegisterClassA(&wc);
        wnd_ = ::CreateWindowExA(0, cls, "test window", style, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~OwnWindow() { ::DestroyWindow(wnd_); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND Handle() const noexcept { return wnd_; }
private:
    HWND wnd_;
};

}  // namespace e2e
