#pragma once
// A hidden top-level window that gives a non-visual component a window
// procedure of its own (message callbacks of the shell, posted commands).
// It is never shown; its class is "TPUtilWindow".
#include <windows.h>
#include <functional>

namespace framework {

class UtilWindow {
public:
    // The handler answers true when it handled the message and set the
    // result; everything else goes to the default window procedure.
    using Handler = std::function<bool(UINT msg, WPARAM w, LPARAM l, LRESULT& result)>;

    explicit UtilWindow(Handler handler);
    ~UtilWindow();
    UtilWindow(const UtilWindow&) = delete;
    UtilWindow& operator=(const UtilWindow&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

    static constexpr char kClassName[] = "TPUtilWindow";

private:
    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept;
    Handler handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace framework
