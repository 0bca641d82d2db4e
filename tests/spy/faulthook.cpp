// Test hook library: makes the program it is loaded into fault on its own
// thread inside a window procedure, as a fault in the program's own code
// would. The test sets a WH_GETMESSAGE hook with this library on the
// program's main thread and posts (or sends) the registered message
// "TessFaultProbe" to one of its windows; inside that process the hook
// subclasses the window with a procedure that, for that message, jumps to
// address 1 (an access violation at address 1).
#include <windows.h>
#include <cstdint>

namespace {

UINT ProbeMessage() {
    static const UINT msg = ::RegisterWindowMessageA("TessFaultProbe");
    return msg;
}

WNDPROC g_previous = nullptr;

LRESULT CALLBACK FaultingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == ProbeMessage()) {
        using Code = void (*)();
        volatile uintptr_t address = 1;
        reinterpret_cast<Code>(address)();
    }
    return ::CallWindowProcA(g_previous, w, m, wp, lp);
}

void Subclass(HWND w) {
    if (g_previous || !w) return;
    g_previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FaultingProc)));
}

}  // namespace

// Posted probes pass here before they are dispatched.
extern "C" __declspec(dllexport) LRESULT CALLBACK FaultGetMessageProc(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION) {
        const auto* msg = reinterpret_cast<const MSG*>(l);
        if (msg->message == ProbeMessage()) Subclass(msg->hwnd);
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}

// Sent probes pass here before the window procedure gets them.
extern "C" __declspec(dllexport) LRESULT CALLBACK FaultCallWndProc(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
        if (call->message == ProbeMessage()) Subclass(call->hwnd);
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}
