#pragma once
// What the benchmarks share: helper processes (winhelper.exe beside the
// benchmark) that open top-level windows of another program, and finding
// those windows once they show.
#include <windows.h>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "framework/owned.h"

namespace bench {

inline std::string BinDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// A helper process with its windows; ended when it goes.
class HelperProcess {
public:
    HelperProcess(int windows, const char* cls) {
        std::string exe = BinDir() + "winhelper.exe";
        std::string cmd = "\"" + exe + "\" --class " + cls + " --title bench --count " + std::to_string(windows);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
    }
    ~HelperProcess() {
        if (!process_) return;
        ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    DWORD Pid() const noexcept { return pid_; }

private:
    framework::Process process_;
    DWORD pid_ = 0;
};

// The helpers' windows of this class once shown (each is shown after it is created).
inline std::vector<HWND> ShownWindowsOf(const std::set<DWORD>& pids, const std::string& cls) {
    struct Context {
        const std::set<DWORD>* pids;
        const std::string* cls;
        std::vector<HWND> found;
    } ctx{&pids, &cls, {}};
    ::EnumWindows([](HWND w, LPARAM l) -> BOOL {
        auto* c = reinterpret_cast<Context*>(l);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        char name[64] = {};
        ::GetClassNameA(w, name, sizeof name);
        if (c->pids->count(pid) && *c->cls == name && ::IsWindowVisible(w)) c->found.push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// count windows of this class spread over `processes` helpers, all shown;
// the windows found, fewer when they did not all appear within 30 seconds.
struct HelperWindows {
    std::vector<std::unique_ptr<HelperProcess>> processes;
    std::set<DWORD> pids;
    std::vector<HWND> windows;
};
inline HelperWindows OpenHelperWindows(int count, int processes, const char* cls) {
    HelperWindows h;
    for (int i = 0; i < processes; ++i) {
        const int n = count / processes + (i < count % processes ? 1 : 0);
        h.processes.push_back(std::make_unique<HelperProcess>(n, cls));
        h.pids.insert(h.processes.back()->Pid());
    }
    const DWORD start = ::GetTickCount();
    while ((h.windows = ShownWindowsOf(h.pids, cls)).size() < static_cast<size_t>(count) &&
           ::GetTickCount() - start < 30000)
        ::Sleep(50);
    if (h.windows.size() != static_cast<size_t>(count))
        std::fprintf(stderr, "only %zu of %d helper windows appeared\n", h.windows.size(), count);
    return h;
}

}  // namespace bench
