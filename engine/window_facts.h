#pragma once
// What the scan knows of a window without asking the window server again:
// the facts that cannot change while a handle names one window (its process,
// thread, class and class module), kept per handle, and the executable path
// of each process, kept per process id. The scan runs four times a second
// over every top-level window; asking these again at every tick was most of
// its cost. Pure bookkeeping: the engine reads the facts and hands them in.
#include <windows.h>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace engine {

// What tells one window from another that later gets the same handle: the
// system hands a freed handle to a new window, of any process.
struct TWindowIdentity {
    DWORD ProcessId = 0;
    DWORD ThreadId = 0;    // 0: the handle names no window
    bool operator==(const TWindowIdentity&) const = default;
};

struct TWindowFacts {
    TWindowIdentity Identity;
    std::string ClassName;       // as the system spells it
    std::string UpperClassName;  // as the rule lists hold class names
    uint64_t ClassModule = 0;
};

class TWindowFactsCache {
public:
    // The facts of the window this handle names now, or null when they are
    // not known: a handle never seen, or one that now names another window
    // (its old facts are dropped).
    const TWindowFacts* Find(HWND w, const TWindowIdentity& now);
    const TWindowFacts& Store(HWND w, TWindowFacts facts);
    void Forget(HWND w) { facts_.erase(w); }
    // After a complete enumeration: only the handles it met stay, since a
    // handle it did not meet has lost its window.
    void KeepOnly(const std::vector<HWND>& alive);
    std::unordered_set<DWORD> ProcessIds() const;
    size_t Size() const noexcept { return facts_.size(); }

private:
    std::unordered_map<HWND, TWindowFacts> facts_;
};

// Executable paths (upper case, as the rules compare them) per process id.
// A process id is reused once its process has ended, so a path is kept only
// while the process still has a window the facts cache knows.
class TProcessExeCache {
public:
    const std::string* Find(DWORD processId) const;
    const std::string& Store(DWORD processId, std::string upperExePath);
    void KeepProcessesOf(const TWindowFactsCache& windows);
    size_t Size() const noexcept { return paths_.size(); }

private:
    std::unordered_map<DWORD, std::string> paths_;
};

}  // namespace engine
