// Test probe: lists the top-level windows, one a line:
//   handle <TAB> process id <TAB> visible (0/1) <TAB> class <TAB> title
// With --class NAME only windows of that class are listed.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::string only;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--class") only = argv[i + 1];
    std::vector<HWND> handles;
    ::EnumWindows([](HWND w, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&handles));
    for (HWND w : handles) {
        char cls[256] = {}, title[512] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        ::GetWindowTextA(w, title, sizeof title);
        if (!only.empty() && only != cls) continue;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        std::printf("%llx\t%lu\t%d\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)),
                    static_cast<unsigned long>(pid), ::IsWindowVisible(w) ? 1 : 0, cls, title);
    }
    return 0;
}
