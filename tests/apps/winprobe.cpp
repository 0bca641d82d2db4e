// Test probe: lists the top-level windows, one a line:
//   handle <TAB> process id <TAB> visible (0/1) <TAB> class <TAB> title
// With --class NAME only windows of that class are listed.
// With --wait-started SECONDS it lists nothing and waits instead until the
// running program's event log holds its start line: exit code 0 once it
// does, 1 when the time is up.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kStartLine[] = "Virtual desktop engine successfully started!";

std::vector<HWND> TopWindows() {
    std::vector<HWND> handles;
    ::EnumWindows([](HWND w, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&handles));
    return handles;
}

std::string ClassOf(HWND w) {
    char cls[256] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    return cls;
}

// The text of the event log's memo, read through messages that give up when
// the program does not answer.
std::string EventLogText() {
    HWND main = ::FindWindowA("TfrmPTessarel", nullptr);
    if (!main) return {};
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    for (HWND w : TopWindows()) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner != pid || ClassOf(w) != "TfrmLog") continue;
        HWND memo = ::FindWindowExA(w, nullptr, "Edit", nullptr);
        DWORD_PTR length = 0;
        if (!memo || !::SendMessageTimeoutA(memo, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
        std::string text(length + 1, '\0');
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutA(memo, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                                   SMTO_ABORTIFHUNG, 2000, &copied))
            return {};
        text.resize(copied);
        return text;
    }
    return {};
}

int WaitStarted(int seconds) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        if (EventLogText().find(kStartLine) != std::string::npos) return 0;
        ::Sleep(100);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string only;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--class") only = argv[i + 1];
        if (std::string(argv[i]) == "--wait-started") return WaitStarted(std::atoi(argv[i + 1]));
    }
    for (HWND w : TopWindows()) {
        char title[512] = {};
        ::GetWindowTextA(w, title, sizeof title);
        std::string cls = ClassOf(w);
        if (!only.empty() && only != cls) continue;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        std::printf("%llx\t%lu\t%d\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)),
                    static_cast<unsigned long>(pid), ::IsWindowVisible(w) ? 1 : 0, cls.c_str(), title);
    }
    return 0;
}
