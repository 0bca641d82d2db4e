// Stand-in for the sibling hook library: hook procedures that run inside
// other processes and report to the main window by posted messages.
#include <windows.h>

extern "C" {
__declspec(dllexport) LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l);
__declspec(dllexport) LRESULT CALLBACK KHookProc(int code, WPARAM w, LPARAM l);
__declspec(dllexport) LRESULT CALLBACK MHookProc(int code, WPARAM w, LPARAM l);
__declspec(dllexport) void WINAPI SetHookID(int id);
__declspec(dllexport) void WINAPI SetKHookID(int id);
__declspec(dllexport) void WINAPI SetMHookID(int id);
__declspec(dllexport) void WINAPI SetMethod(int v);
__declspec(dllexport) void WINAPI SetMethodA(int v);
__declspec(dllexport) void WINAPI SetMethodD(int v);
__declspec(dllexport) void WINAPI SetMethodM(int v);
}

LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }
LRESULT CALLBACK KHookProc(int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }
LRESULT CALLBACK MHookProc(int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }
void WINAPI SetHookID(int) {}
void WINAPI SetKHookID(int) {}
void WINAPI SetMHookID(int) {}
void WINAPI SetMethod(int) {}
void WINAPI SetMethodA(int) {}
void WINAPI SetMethodD(int) {}
void WINAPI SetMethodM(int) {}
