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

// A program the benchmark starts; ended when it goes.
class ChildProcess {
public:
    ChildProcess(const std::string& exe, const std::string& args, DWORD flags = 0) {
        std::string cmd = "\"" + exe + "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        pid_ = pi.dwProcessId;
    }
    ~ChildProcess() {
        if (!process_) return;
        ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    DWORD Pid() const noexcept { return pid_; }
    HANDLE Handle() const noexcept { return process_.get(); }
    bool Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

private:
    framework::Process process_;
    DWORD pid_ = 0;
};

// A helper process with its windows; ended when it goes.
class HelperProcess : public ChildProcess {
public:
    HelperProcess(int windows, const char* cls)
        : ChildProcess(BinDir() + "winhelper.exe",
                       std::string("--class ") + cls + " --title bench --count " + std::to_string(windows),
                       CREATE_NO_WINDOW) {}
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

// The least any scan must do: enumerate, and ask each window what the
// engine's filter asks first.
inline void BareEnumerationPass() {
    ::EnumWindows([](HWND w, LPARAM) -> BOOL {
        char cls[251] = {};
        ::GetClassNameA(w, cls, 250);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        volatile BOOL visible = ::IsWindowVisible(w);
        (void)visible;
        return TRUE;
    }, 0);
}

// The program's settings at their defaults, without the splash.
inline void ResetProgramSettings() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel");
    HKEY k = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                          nullptr) != ERROR_SUCCESS)
        return;
    const DWORD off = 0;
    ::RegSetValueExA(k, "showsplash", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    ::RegCloseKey(k);
}

}  // namespace bench
