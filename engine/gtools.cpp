#include "engine/gtools.h"
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <vector>
#include "engine/messages.h"
#include "framework/owned.h"
#include "framework/text.h"

namespace engine {
namespace {

using framework::FindFile;
using framework::Handle;
using framework::Process;

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// Access rights as the process routines ask for them.
constexpr DWORD kQueryAndReadAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;       // $0410
constexpr DWORD kTerminateAccess = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;       // $0401

// A window asked to close gets this long to answer and to go away.
constexpr DWORD kCloseTimeoutMs = 5000;
constexpr UINT kAnswerProbeMs = 1000;   // a program that reads its messages answers at once
// How long a foreign window may take to answer while we move the focus; a
// window that needs longer is treated as hanging and left alone.
constexpr UINT kFocusAnswerMs = 100;

constexpr size_t kMaxModules = 1024;
constexpr DWORD kModuleNameChars = 1024;

bool IsDirectory(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWithExe(std::string_view name) {
    return name.size() >= 4 && framework::UpperCaseAscii(name.substr(name.size() - 4)) == ".EXE";
}

DWORD ThreadOf(HWND w) { return w ? ::GetWindowThreadProcessId(w, nullptr) : 0; }

// The top-level windows from the top of the Z order down. The walk follows
// GW_HWNDNEXT; a window seen twice means another program reordered the list
// under us, so the walk ends there instead of running round in a circle.
std::vector<HWND> TopWindowsTopDown() {
    std::vector<HWND> list;
    std::unordered_set<HWND> seen;
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (!seen.insert(w).second) break;
        list.push_back(w);
    }
    return list;
}

// --- Focus ----------------------------------------------------------------

// True when the window's thread handles a message within the time-out; a
// window the system already knows to hang answers false at once.
bool Answers(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs, &result) != 0;
}

// Joins the input of some threads to the target window's thread for the life
// of the object, so that the focus may move between them.
class InputAttachment {
public:
    explicit InputAttachment(DWORD target) : target_(target) {}
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;
    ~InputAttachment() {
        for (DWORD t : attached_) ::AttachThreadInput(t, target_, FALSE);
    }
    void Attach(DWORD thread) {
        if (!thread || !target_ || thread == target_) return;
        if (std::find(attached_.begin(), attached_.end(), thread) != attached_.end()) return;
        if (::AttachThreadInput(thread, target_, TRUE)) attached_.push_back(thread);
    }

private:
    DWORD target_;
    std::vector<DWORD> attached_;
};

void RestoreIfMinimized(HWND w) {
    if (!(::GetWindowLongA(w, GWL_STYLE) & WS_MINIMIZE)) return;
    ::ShowWindow(w, SW_RESTORE);
    ::UpdateWindow(w);
}

// Repaints the window; a window of another thread paints itself when it next
// reads its queue, so only our own windows are painted here and now.
void Repaint(HWND w) {
    UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
    if (ThreadOf(w) == ::GetCurrentThreadId()) flags |= RDW_UPDATENOW;
    ::RedrawWindow(w, nullptr, nullptr, flags);
}

enum class Raise { WithFocus, ShowWithoutFocus };

// Brings w to the top, taking the foreground from whichever window holds it.
// Every message to a foreign window that may hang has a time-out: a hanging
// foreground window is neither joined to w's input (it would make the
// activation wait for it) nor sent more than one message; a hanging w gets
// only the requests that do not wait for an answer.
void RaiseWindow(HWND w, Raise how) {
    if (!::IsWindow(w)) return;
    const DWORD target = ThreadOf(w);
    const DWORD self = ::GetCurrentThreadId();
    if (target != self && !Answers(w, WM_NULL, 0, 0, kFocusAnswerMs)) {
        if (::GetWindowLongA(w, GWL_STYLE) & WS_MINIMIZE) ::ShowWindowAsync(w, SW_RESTORE);
        if (how == Raise::ShowWithoutFocus) ::ShowWindowAsync(w, SW_SHOW);
        ::SetForegroundWindow(w);
        return;
    }
    RestoreIfMinimized(w);

    HWND f = ::GetForegroundWindow();
    const DWORD foreground = ThreadOf(f);
    bool foregroundAnswers = false;
    if (f && f != w) foregroundAnswers = Answers(f, WM_KILLFOCUS, reinterpret_cast<WPARAM>(w), 0, kFocusAnswerMs);
    {
        InputAttachment attachment(target);
        if (foregroundAnswers && foreground != target) attachment.Attach(foreground);
        attachment.Attach(self);
        if (how == Raise::ShowWithoutFocus) ::ShowWindow(w, SW_SHOW);
        ::BringWindowToTop(w);
        if (how == Raise::WithFocus) ::SetFocus(w);
        // Without the foreground thread's input our request may not be
        // allowed to take the foreground; asking for it costs nothing.
        if (!foregroundAnswers && ::GetForegroundWindow() != w) ::SetForegroundWindow(w);
    }
    Repaint(w);
}

// --- Closing --------------------------------------------------------------

// Waits until the window is gone or the deadline passes, answering messages
// other threads send us meanwhile so that nobody waits on us.
bool WaitForWindowGone(HWND w, DWORD deadline) {
    while (::IsWindow(w)) {
        LONG left = static_cast<LONG>(deadline - ::GetTickCount());
        if (left <= 0) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<LONG>(left, 20)), QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

// --- Processes ------------------------------------------------------------

using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

QueryFullProcessImageNameFn QueryFullProcessImageNameEntry() {
    static const QueryFullProcessImageNameFn fn = [] {
        HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        FARPROC p = kernel ? ::GetProcAddress(kernel, "QueryFullProcessImageNameA") : nullptr;
        return reinterpret_cast<QueryFullProcessImageNameFn>(reinterpret_cast<void*>(p));
    }();
    return fn;
}

// --- Paths ----------------------------------------------------------------

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// The name the file system reports for the last component of the path, or
// empty when it reports none.
std::string LongNameOf(const std::string& path) {
    WIN32_FIND_DATAA fd;
    FindFile find(::FindFirstFileA(path.c_str(), &fd));
    if (!find) return {};
    return fd.cFileName;
}

bool IsDrivePath(std::string_view p) {
    return p.size() >= 3 && p[1] == ':' && p[2] == '\\' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

void ScanFolder(const std::string& folder, const std::string& mask, bool recursive, const FileCallback& cb,
                bool filesOnly, int& count) {
    WIN32_FIND_DATAA fd;
    FindFile find(::FindFirstFileA((folder + mask).c_str(), &fd));
    if (!find) return;
    do {
        std::string_view name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder || !filesOnly) {
            ++count;
            if (cb) cb(folder, fd);
        }
        // A linked folder may lead back to one of its parents: count it, but
        // do not walk into it.
        if (isFolder && recursive && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ScanFolder(folder + std::string(name) + "\\", mask, recursive, cb, filesOnly, count);
    } while (::FindNextFileA(find.get(), &fd));
}

}  // namespace

// --- Window enumeration ---------------------------------------------------

void ForEachTopWindow(const WindowCallback& cb) {
    for (HWND w : TopWindowsTopDown()) cb(w);
}

void ForEachTopWindowZOrder(const WindowCallback& cb, bool topDown) {
    std::vector<HWND> list = TopWindowsTopDown();
    if (!topDown) std::reverse(list.begin(), list.end());
    for (HWND w : list) cb(w);
}

int ForEachProcess(const ProcessCallback& cb) {
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
        ++count;
        if (cb) cb(entry);
    }
    return count;
}

// --- Focus and closing ----------------------------------------------------

void ForceForegroundWindow(HWND w) { RaiseWindow(w, Raise::WithFocus); }

void ForceShowWindow(HWND w) { RaiseWindow(w, Raise::ShowWithoutFocus); }

// Under Wine a window activated after one of ours went can look active while
// the X server keeps the keys away from it (see the hook library). The
// request is posted, so the window's thread reads it after its activation.
void ReturnKeyboardFocus(HWND formerFront) {
    auto foreign = [](HWND w) {
        DWORD pid = 0;
        return w && w != ::GetDesktopWindow() && ::GetWindowThreadProcessId(w, &pid) && pid != ::GetCurrentProcessId();
    };
    HWND target = ::GetForegroundWindow();
    if (!foreign(target)) target = formerFront;
    if (!foreign(target) || !::IsWindowVisible(target)) return;
    ::PostMessageA(target, TakeFocusMessage(), 0, 0);
}

// Whether w's program reads its messages now: a program that asks the user
// something before it closes ("Save changes?") does, a hung one does not.
bool ProgramAnswers(HWND w) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerProbeMs, &result) != 0;
}

// A window that is still there once the time is up is ended with its
// process only when its program no longer answers: one that still reads its
// messages is asking the user something, and ending it would throw away the
// work it asks about. The process is opened before asking, so the id cannot
// pass to another process meanwhile. Our own windows are only asked: ending
// our own process would take every hidden window with it.
void CloseOrKillWindow(HWND w) {
    if (!::IsWindow(w)) return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    const bool own = pid == ::GetCurrentProcessId();
    Process process;
    if (pid && !own) process.reset(::OpenProcess(kTerminateAccess, FALSE, pid));

    const DWORD deadline = ::GetTickCount() + kCloseTimeoutMs;
    DWORD_PTR result = 0;
    const bool answered =
        ::SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kCloseTimeoutMs, &result) != 0;
    if (own || !process) return;
    // Many programs answer first and go away a moment later.
    if (answered && WaitForWindowGone(w, deadline)) return;
    if (!::IsWindow(w) || ProgramAnswers(w)) return;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == pid) ::TerminateProcess(process.get(), 0);
}

bool WindowTestFalse(HWND) { return false; }

// --- Processes and paths --------------------------------------------------

std::string ProcessExePathQuery(DWORD processId) {
    QueryFullProcessImageNameFn query = QueryFullProcessImageNameEntry();
    if (!query) return {};
    Process p(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!p) return {};
    std::string path(kModuleNameChars, '\0');
    DWORD len = kModuleNameChars;
    if (!query(p.get(), 0, path.data(), &len)) return {};
    path.resize(len);
    return path;
}

std::string ProcessExePathPsapi(DWORD processId) {
    Process p(::OpenProcess(kQueryAndReadAccess, FALSE, processId));
    if (!p) return {};
    std::vector<HMODULE> modules(kMaxModules);
    DWORD needed = 0;
    if (!::EnumProcessModules(p.get(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
        return {};
    size_t n = std::min<size_t>(needed / sizeof(HMODULE), modules.size());
    char name[kModuleNameChars];
    for (size_t i = 0; i < n; ++i) {
        DWORD len = ::GetModuleFileNameExA(p.get(), modules[i], name, kModuleNameChars);
        if (len == 0) continue;
        std::string_view s(name, len);
        if (EndsWithExe(s)) return std::string(s);
    }
    return {};
}

std::string ProcessExeNameToolhelp(DWORD processId) {
    std::string found;
    bool done = false;
    ForEachProcess([&](const PROCESSENTRY32& e) {
        if (done || e.th32ProcessID != processId) return;
        found.assign(e.szExeFile, ::strnlen(e.szExeFile, MAX_PATH));
        done = true;
    });
    return found;
}

// The snapshot names only the executable file on current systems, so it is
// the last resort: the full image path first, then the module list.
namespace {
std::string ProcessImagePath(DWORD processId) {
    std::string path = ProcessExePathQuery(processId);
    if (path.empty()) path = ProcessExePathPsapi(processId);
    if (path.empty()) path = ProcessExeNameToolhelp(processId);
    return path;
}
}  // namespace

std::string ProcessExePath(DWORD processId) { return ShortToLongPath(ProcessImagePath(processId)); }

// Upper case makes the file system's spelling of a long name irrelevant, and
// only a short name holds a "~": any other path is already the long one.
std::string ProcessUpperExePath(DWORD processId) {
    std::string path = ProcessImagePath(processId);
    if (path.find('~') != std::string::npos) path = ShortToLongPath(path);
    return UpperCaseAscii(path);
}

// Only paths of the form "X:\..." are expanded; any other text (a network
// path, a bare file name) comes back as it is. A component the file system
// does not report (missing, no access, a wildcard) is kept as written.
std::string ShortToLongPath(std::string_view path) {
    if (!IsDrivePath(path)) return std::string(path);
    std::string result(path.substr(0, 2));
    std::string_view rest = path.substr(3);
    const bool trailing = !rest.empty() && rest.back() == '\\';
    if (trailing) rest.remove_suffix(1);
    if (rest.empty()) return result + "\\";
    for (;;) {
        size_t cut = rest.find('\\');
        std::string component(rest.substr(0, cut));
        std::string longName = component.empty() || HasWildcard(component) ? std::string()
                                                                            : LongNameOf(result + "\\" + component);
        result += '\\';
        result += longName.empty() ? component : longName;
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    if (trailing) result += '\\';
    return result;
}

std::string WindowExePath(HWND w) {
    if (!w || !::IsWindow(w)) return {};
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (!pid) return {};
    // ProcessExePath already answers the long form.
    return ProcessExePath(pid);
}

framework::Icon ExecutableIcon(const std::string& path) {
    if (path.empty()) return {};
    HICON large = nullptr;
    const UINT count = ::ExtractIconExA(path.c_str(), 0, &large, nullptr, 1);
    // Without an icon the slot may hold garbage: the count decides.
    if (count == 0 || count == UINT_MAX) return {};
    return framework::Icon(large);
}

std::string GetAppFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD len = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (len == 0) return {};
        if (len < path.size()) {
            path.resize(len);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetDataFolder() {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl)) || !pidl) return {};
    char buf[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListA(pidl, buf) != FALSE;
    ::CoTaskMemFree(pidl);
    if (!ok || !buf[0]) return {};
    std::string folder = AddBackslash(buf) + std::string(kDataSubfolder);
    if (!IsDirectory(folder)) CreateFolderPath(folder);
    return folder;
}

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DataFilePath(std::string_view name) {
    const std::string folder = GetDataFolder();
    return folder.empty() ? std::string() : folder + std::string(name);
}

void CreateFolderPath(std::string_view path) {
    if (path.empty()) return;
    const std::string full = AddBackslash(path);
    for (size_t i = 0; i < full.size(); ++i) {
        if (full[i] != '\\') continue;
        ::CreateDirectoryA(full.substr(0, i + 1).c_str(), nullptr);
        if (IsDirectory(full)) return;
    }
}

std::string AddBackslash(std::string_view path) {
    std::string p(path);
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p;
}

int CountFolderFiles(std::string_view folder, std::string_view mask, bool recursive, const FileCallback& cb,
                     bool filesOnly) {
    int count = 0;
    ScanFolder(AddBackslash(folder), std::string(mask), recursive, cb, filesOnly, count);
    return count;
}

// --- Text and numbers -----------------------------------------------------

std::string UpperCaseAscii(std::string_view s) { return framework::UpperCaseAscii(s); }

int32_t HexToInt(std::string_view s) {
    uint32_t result = 0;
    for (char c : framework::Trim(s)) {
        char u = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        size_t pos = kHexDigits.find(u);
        uint32_t value = pos == std::string_view::npos ? 16u : static_cast<uint32_t>(pos);
        result = result * 16u + value;
    }
    return static_cast<int32_t>(result);
}

std::string UrlEncode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += c;
            continue;
        }
        auto b = static_cast<unsigned char>(c);
        out += '%';
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0x0F];
    }
    return out;
}

std::string WindowsVersionTag() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info)) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lu_%lu_%lu", info.dwMajorVersion, info.dwMinorVersion,
                  info.dwBuildNumber & 0xFFFFu);
    return buf;
}

}  // namespace engine
