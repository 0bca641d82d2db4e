// Test helper: opens top-level windows in a process of its own, as its
// command line asks, and logs the messages they receive.
//   --class NAME --title TEXT --count N --popup --hidden --log FILE
//   --ask-on-close   answer WM_CLOSE with a message box instead of closing
//   --lifetime MS    end by itself after this time
//   --peek           look at every message (PM_NOREMOVE) before reading it
//   --exit-code N    the exit code of a normal end (tells it from a kill)
// The log has one line per message: window, message, wParam, lParam, and 1
// when the message was posted (read from the queue), else 0.
// Control messages: WM_APP+1 stop pumping (hang; for wParam ms when not 0),
// +2 show, +3 hide, +4 quit, +5 open one more window (titled "<title> new"),
// +6 activate this window, +7 move the focus off the window and back, which
// under Wine asks the X server for its input focus again.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
FILE* logFile = nullptr;
bool askOnClose = false;
bool peekFirst = false;
const MSG* dispatching = nullptr;   // the message read from the queue, while it is handled

void Log(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (!logFile) return;
    const bool posted = dispatching && dispatching->hwnd == w && dispatching->message == m && !::InSendMessage();
    std::fprintf(logFile, "%llx %x %llx %llx %d\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)), m,
                 static_cast<unsigned long long>(wp), static_cast<unsigned long long>(lp), posted ? 1 : 0);
    std::fflush(logFile);
}

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Log(w, m, wp, lp);
    switch (m) {
    case WM_APP + 1:
        if (wp) {   // hang for this many milliseconds, then answer again
            ::Sleep(static_cast<DWORD>(wp));
            return 0;
        }
        for (;;) ::Sleep(1000);
    case WM_APP + 2:
        ::ShowWindow(w, SW_SHOWNA);
        return 0;
    case WM_APP + 3:
        ::ShowWindow(w, SW_HIDE);
        return 0;
    case WM_APP + 4:
        ::PostQuitMessage(0);
        return 0;
    case WM_APP + 5: {
        char cls[256] = {}, title[256] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        ::GetWindowTextA(w, title, sizeof title);
        std::string t = std::string(title) + " new";
        HWND n = ::CreateWindowExA(0, cls, t.c_str(), static_cast<DWORD>(::GetWindowLongA(w, GWL_STYLE)) & ~WS_VISIBLE,
                                   80, 80, 300, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::ShowWindow(n, SW_SHOWNA);
        return 0;
    }
    case WM_APP + 6:
        ::SetForegroundWindow(w);
        return 0;
    case WM_APP + 7:
        if (::GetForegroundWindow() != w) ::SetForegroundWindow(w);
        ::SetFocus(nullptr);
        ::SetFocus(w);
        return 0;
    case WM_CLOSE:
        if (askOnClose) {
            ::MessageBoxA(w, "Save changes?", "helper question", MB_YESNO);
            return 0;
        }
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(w, m, wp, lp);
    }
}
}  // namespace

int main(int argc, char** argv) {
    std::string cls = "TessHelperWindow", title = "helper";
    int count = 1, lifetime = 0, exitCode = 0;
    bool popup = false, hidden = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--class") cls = next();
        else if (a == "--title") title = next();
        else if (a == "--count") count = std::atoi(next().c_str());
        else if (a == "--popup") popup = true;
        else if (a == "--hidden") hidden = true;
        else if (a == "--log") logFile = std::fopen(next().c_str(), "a");
        else if (a == "--ask-on-close") askOnClose = true;
        else if (a == "--lifetime") lifetime = std::atoi(next().c_str());
        else if (a == "--peek") peekFirst = true;
        else if (a == "--exit-code") exitCode = std::atoi(next().c_str());
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = cls.c_str();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    ::RegisterClassA(&wc);
    DWORD style = popup ? WS_POPUP | WS_BORDER : WS_OVERLAPPEDWINDOW;
    for (int i = 0; i < count; ++i) {
        std::string t = count > 1 ? title + " " + std::to_string(i + 1) : title;
        HWND w = ::CreateWindowExA(0, cls.c_str(), t.c_str(), style, 40 + 30 * i, 40 + 30 * i, 300, 200, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        if (!hidden) ::ShowWindow(w, SW_SHOWNA);
    }
    if (lifetime > 0) ::SetTimer(nullptr, 0, static_cast<UINT>(lifetime), [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
    MSG msg;
    for (;;) {
        if (peekFirst)
            while (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) ::WaitMessage();
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        if (msg.hwnd == nullptr && msg.message == WM_APP + 4) break;
        ::TranslateMessage(&msg);
        dispatching = &msg;
        ::DispatchMessageA(&msg);
        dispatching = nullptr;
    }
    if (logFile) std::fclose(logFile);
    return exitCode;
}
