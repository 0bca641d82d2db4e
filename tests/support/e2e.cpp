#include "support/e2e.h"
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

namespace e2e {

std::string BinDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // What a link leads to is never walked: a link to a user
                // folder would empty that folder. A link of the host that
                // Windows calls cannot remove stays (RemoveHostLink does).
                if (!::RemoveDirectoryA(full.c_str())) ::DeleteFileA(full.c_str());
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(full.c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    std::string bare = folder;
    if (!bare.empty() && bare.back() == '\\') bare.pop_back();
    ::RemoveDirectoryA(bare.c_str());
}

namespace {
// The test program's temporary folder, made at the first use and removed at
// its end, when every helper it started has been ended.
class TestTempFolder {
public:
    const std::string& Path() {
        if (path_.empty()) {
            char base[MAX_PATH] = {};
            ::GetTempPathA(MAX_PATH, base);
            path_ = std::string(base) + "tessarel-test-" + std::to_string(::GetCurrentProcessId()) + "\\";
            RemoveTree(path_);
            ::CreateDirectoryA(path_.c_str(), nullptr);
        }
        return path_;
    }
    ~TestTempFolder() {
        if (!path_.empty()) RemoveTree(path_);
    }
private:
    std::string path_;
};
TestTempFolder g_tempFolder;
}  // namespace

std::string TempDir() { return g_tempFolder.Path(); }

void Pump(int ms) {
    DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

int Patience(int ms) { return ms * kLoadAllowance; }

bool TryUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (static_cast<int>(::GetTickCount() - start) >= timeoutMs) return condition();
        Pump(stepMs);
    }
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
    return TryUntil(condition, Patience(timeoutMs), stepMs);
}

std::string ClassOf(HWND w) {
    char buf[256] = {};
    ::GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string TitleOf(HWND w) {
    char buf[512] = {};
    ::GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

bool IsShown(HWND w) { return ::IsWindowVisible(w) != FALSE; }

std::vector<WindowInfo> TopWindows() {
    std::vector<HWND> handles;
    ::EnumWindows([](HWND w, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&handles));
    std::vector<WindowInfo> out;
    for (HWND w : handles) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        out.push_back({w, pid, IsShown(w), ClassOf(w), TitleOf(w)});
    }
    return out;
}

std::vector<HWND> WindowsOfProcess(DWORD pid) {
    std::vector<HWND> out;
    for (const auto& i : TopWindows())
        if (i.pid == pid) out.push_back(i.wnd);
    return out;
}

HWND FindChild(HWND parent, const std::function<bool(HWND)>& accept) {
    struct Search {
        const std::function<bool(HWND)>& accept;
        HWND found = nullptr;
    } search{accept};
    ::EnumChildWindows(parent, [](HWND w, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        if (!s->accept(w)) return TRUE;
        s->found = w;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::string& title, const std::string& cls, DWORD pid, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (const auto& i : TopWindows()) {
            if ((title.empty() || i.title == title) && (cls.empty() || i.cls == cls) && (pid == 0 || i.pid == pid)) {
                found = i.wnd;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

// ChildProcess -------------------------------------------------------------
ChildProcess::ChildProcess(const std::string& exe, const std::string& args) : ChildProcess(exe, args, {}) {}

ChildProcess::ChildProcess(const std::string& exe, const std::string& args, const std::string& workDir) {
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Under Wine on an overloaded host a start has been seen to fail once and
    // work when asked again: a few tries, each failure said on stderr so that
    // a real cause (a missing file) still shows.
    bool started = false;
    for (int attempt = 1; attempt <= 3 && !started; ++attempt) {
        started = ::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   workDir.empty() ? nullptr : workDir.c_str(), &si, &pi) != FALSE;
        if (started) break;
        std::fprintf(stderr, "could not start %s (error %lu, try %d)\n", exe.c_str(), ::GetLastError(), attempt);
        Pump(200);
    }
    if (!started) return;
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

ChildProcess::ChildProcess(ChildProcess&& o) noexcept
    : process_(std::exchange(o.process_, nullptr)), pid_(std::exchange(o.pid_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& o) noexcept {
    if (this != &o) {
        Kill();
        process_ = std::exchange(o.process_, nullptr);
        pid_ = std::exchange(o.pid_, 0);
    }
    return *this;
}

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

long ChildProcess::Wait(int timeoutMs) {
    if (!process_) return -1;
    DWORD start = ::GetTickCount();
    while (Running()) {
        if (static_cast<int>(::GetTickCount() - start) >= Patience(timeoutMs)) return -1;
        Pump(10);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return static_cast<long>(code);
}

void ChildProcess::Kill() {
    if (!process_) return;
    if (Running()) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
}

long RunAndWait(const std::string& exe, const std::string& args, int timeoutMs) {
    ChildProcess p(exe, args);
    long rc = p.Wait(timeoutMs);
    return rc;
}

// Host programs ----------------------------------------------------------------
// Wine starts a host (ELF) program through CreateProcess but hands back no
// process handle, so the end is seen through a file the shell writes last.
std::string HostPath(const std::string& windowsPath) {
    using ToHost = char*(CDECL*)(LPCWSTR);
    auto toHost = reinterpret_cast<ToHost>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toHost) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* host = toHost(wide.c_str());
    if (!host) return {};
    std::string out = host;
    ::HeapFree(::GetProcessHeap(), 0, host);
    return out;
}

static std::string ReadWholeFile(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[256];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

// Runs one line of the host's shell through a script file, waiting for the
// file its exit code is written to.
int RunHostLine(const std::string& line, int timeoutMs) {
    static int serial = 0;
    std::string base = TempDir() + "host-" + std::to_string(++serial);
    std::string script = base + ".sh", done = base + ".done";
    std::string hostDone = HostPath(done), hostScript = HostPath(script);
    if (hostDone.empty() || hostScript.empty()) return -1;
    if (FILE* f = std::fopen(script.c_str(), "wb")) {
        std::fprintf(f, "%s\necho $? > '%s.tmp' && mv '%s.tmp' '%s'\n", line.c_str(), hostDone.c_str(),
                     hostDone.c_str(), hostDone.c_str());
        std::fclose(f);
    } else {
        return -1;
    }
    std::string cmd = "\"Z:\\bin\\sh\" \"" + hostScript + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA("Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    if (pi.hThread) ::CloseHandle(pi.hThread);
    bool ended = WaitUntil([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs, 5);
    ::DeleteFileA(script.c_str());
    if (!ended) return -1;
    int rc = std::atoi(ReadWholeFile(done).c_str());
    ::DeleteFileA(done.c_str());
    return rc;
}

bool TypeUntil(const std::string& xdotoolArgs, const std::function<bool()>& done, int attempts) {
    for (int i = 0; i < attempts; ++i) {
        if (RunXdotool(xdotoolArgs) != 0) return false;
        if (WaitUntil(done, 5000)) return true;
    }
    return false;
}

bool ClickCentreOf(HWND w) {
    RECT r{};
    if (!::GetWindowRect(w, &r)) return false;
    const std::string at = std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
    return RunXdotool("mousemove " + at + " sleep 0.1 click 1") == 0;
}

void ReleaseStuckKeys() {
    for (int vk = 18; vk <= 135; ++vk) {
        if (!(::GetAsyncKeyState(vk) & 0x8000)) continue;
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = static_cast<WORD>(vk);
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(1, &up, sizeof up);
    }
    WaitUntil([] {
        for (int vk = 18; vk <= 135; ++vk)
            if (::GetAsyncKeyState(vk) & 0x8000) return false;
        return true;
    }, 2000);
}

bool StaysTrue(const std::function<bool()>& condition, int ms) {
    return !TryUntil([&] { return !condition(); }, ms);
}

int ChosenTab(HWND tabs) {
    DWORD_PTR chosen = static_cast<DWORD_PTR>(-1);
    if (!::SendMessageTimeoutA(tabs, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &chosen)) return -1;
    return static_cast<int>(static_cast<LRESULT>(chosen));
}

bool ChooseTab(HWND tabs, int index) {
    for (int step = 0; step < 16; ++step) {
        const int now = ChosenTab(tabs);
        if (now == index) return true;
        if (now < 0) return false;
        ::PostMessageA(tabs, WM_KEYDOWN, now < index ? VK_RIGHT : VK_LEFT, 1);
        WaitUntil([&] { return ChosenTab(tabs) != now; }, 2000);
    }
    return ChosenTab(tabs) == index;
}

HWND ChildByText(HWND parent, const std::string& text) {
    struct Search {
        std::string text;
        HWND found = nullptr;
    } search{text};
    ::EnumChildWindows(parent, [](HWND w, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        if (TitleOf(w) != s->text) return TRUE;
        s->found = w;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls) {
    struct Search {
        std::string cls;
        std::vector<HWND> found;
    } search{cls};
    ::EnumChildWindows(parent, [](HWND w, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        if (ClassOf(w) == s->cls) s->found.push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool HasModule(DWORD pid, const std::string& name) {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 me{};
    me.dwSize = sizeof me;
    bool found = false;
    for (BOOL more = ::Module32First(snap, &me); more && !found; more = ::Module32Next(snap, &me))
        found = ::lstrcmpiA(me.szModule, name.c_str()) == 0;
    ::CloseHandle(snap);
    return found;
}

int RunXdotool(const std::string& args, int timeoutMs) { return RunHostLine("xdotool " + args, timeoutMs); }

static std::string HostPathWithoutBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return HostPath(path);
}

bool MakeHostLink(const std::string& link, const std::string& target) {
    std::string hostTarget = HostPath(target), hostLink = HostPathWithoutBackslash(link);
    if (hostTarget.empty() || hostLink.empty()) return false;
    return RunHostLine("ln -s '" + hostTarget + "' '" + hostLink + "'", 10000) == 0;
}

bool RemoveHostLink(const std::string& link) {
    std::string hostLink = HostPathWithoutBackslash(link);
    // Only a link: never what it leads to.
    return !hostLink.empty() && RunHostLine("test -L '" + hostLink + "' && rm '" + hostLink + "'", 10000) == 0;
}

// Helper -------------------------------------------------------------------
Helper::Helper(const HelperOptions& o) {
    std::string args = "--class \"" + o.cls + "\" --title \"" + o.title + "\" --count " + std::to_string(o.count);
    if (o.popup) args += " --popup";
    if (o.hidden) args += " --hidden";
    if (!o.logFile.empty()) args += " --log \"" + o.logFile + "\"";
    if (!o.extra.empty()) args += " " + o.extra;
    std::string exe = BinDir() + "winhelper.exe";
    if (!o.exeName.empty()) {
        static int copies = 0;
        copyDir_ = TempDir() + "exe-" + std::to_string(++copies) + "-" + o.exeName + "\\";
        ::CreateDirectoryA(copyDir_.c_str(), nullptr);
        std::string copy = copyDir_ + o.exeName;
        ::CopyFileA(exe.c_str(), copy.c_str(), FALSE);
        exe = copy;
    }
    process_ = ChildProcess(exe, args);
    DWORD pid = process_.Pid();
    size_t want = static_cast<size_t>(o.count);
    // Every window exists and, unless asked to stay hidden, is shown: the
    // program's next scan meets it as the user would see it.
    WaitUntil([&] {
        windows_.clear();
        for (const auto& i : TopWindows())
            if (i.pid == pid && i.cls == o.cls && (o.hidden || i.visible)) windows_.push_back(i.wnd);
        return windows_.size() >= want;
    }, 10000);
}

Helper::~Helper() {
    process_.Kill();
    if (!copyDir_.empty()) RemoveTree(copyDir_);
}

void Helper::Hang() {
    if (windows_.empty()) return;
    HWND w = windows_.front();
    ::PostMessageA(w, kHelperHang, 0, 0);
    WaitUntil([w] {
        DWORD_PTR r = 0;
        return ::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &r) == 0;
    });
}

void Helper::Quit() {
    if (!windows_.empty()) ::PostMessageA(windows_[0], kHelperQuit, 0, 0);
    if (process_.Wait(5000) < 0) process_.Kill();
}

std::vector<LoggedMessage> MessagesIn(const std::string& logFile) {
    std::vector<LoggedMessage> out;
    FILE* f = std::fopen(logFile.c_str(), "rb");
    if (!f) return out;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long wnd = 0, wp = 0, lp = 0;
        unsigned msg = 0;
        int posted = 0;
        if (std::sscanf(line, "%llx %x %llx %llx %d", &wnd, &msg, &wp, &lp, &posted) >= 4)
            out.push_back({msg, static_cast<WPARAM>(wp), posted != 0});
    }
    std::fclose(f);
    return out;
}

bool HasLogged(const std::string& logFile, UINT message, WPARAM w) {
    for (const LoggedMessage& m : MessagesIn(logFile))
        if (m.message == message && m.w == w) return true;
    return false;
}

namespace {
// Types a Shift stroke (no hotkey in any mode, and it types nothing) and
// waits for it to arrive in the window's log.
bool ShiftStrokeArrives(const std::string& logFile, int ms) {
    const size_t before = MessagesIn(logFile).size();
    if (RunXdotool("key shift") != 0) return false;
    return WaitUntil([&] {
        auto log = MessagesIn(logFile);
        bool down = false;
        for (size_t i = before; i < log.size(); ++i) {
            if (log[i].message == WM_KEYDOWN && log[i].w == VK_SHIFT) down = true;
            if (down && log[i].message == WM_KEYUP && log[i].w == VK_SHIFT) return true;
        }
        return false;
    }, ms);
}
}  // namespace

bool TakeKeyboardFocus(HWND w, const std::string& logFile) {
    // Each try waits for its own stroke; a stroke lost on the way (the keys
    // went elsewhere while the focus moved) is typed again.
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(Patience(15000))) {
        if (::GetForegroundWindow() != w) ::SetForegroundWindow(w);
        if (!TryUntil([&] { return ::GetForegroundWindow() == w; }, 3000)) continue;
        if (ShiftStrokeArrives(logFile, 2000)) return true;
        ::PostMessageA(w, kHelperTakeFocus, 0, 0);
    }
    return false;
}

bool KeysReachWithoutHelp(HWND w, const std::string& logFile, int ms) {
    const DWORD start = ::GetTickCount();
    const DWORD limit = static_cast<DWORD>(Patience(ms));
    if (!WaitUntil([&] { return ::GetForegroundWindow() == w; }, ms)) return false;
    while (::GetTickCount() - start < limit)
        if (ShiftStrokeArrives(logFile, 2000)) return true;
    return false;
}

// The program under test ------------------------------------------------------
std::string DataFolder() {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    std::string s(path);
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s + "Pelmora\\Quillmere\\";
}

HWND FindMainWindow() { return ::FindWindowA("TfrmPTessarel", nullptr); }

void ResetUserState() {
    for (int i = 0; i < 5; ++i) {
        HWND w = FindMainWindow();
        if (!w) break;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            ::TerminateProcess(p, 1);
            ::WaitForSingleObject(p, 5000);
            ::CloseHandle(p);
        }
        Pump(50);
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pelmora");
    RemoveTree(DataFolder());
}

Tessarel::Tessarel(const std::string& args, bool reset) {
    if (reset) ResetUserState();
    Start(BinDir() + "Tessareltop.exe", args, {});
}

Tessarel::Tessarel(const std::string& args, bool reset, const std::string& exePath) {
    if (reset) ResetUserState();
    Start(exePath, args, exePath.substr(0, exePath.find_last_of('\\') + 1));
}

void Tessarel::Start(const std::string& exePath, const std::string& args, const std::string& workDir) {
    exe_ = exePath;
    process_ = ChildProcess(exePath, args, workDir);
    DWORD pid = process_.Pid();
    WaitUntil([&] {
        main_ = FindMainWindow();
        DWORD owner = 0;
        if (main_) ::GetWindowThreadProcessId(main_, &owner);
        return main_ && owner == pid;
    }, 15000);
    // The window exists before the message loop runs: wait until the loop
    // does, so that nothing posted to it from here on is lost.
    WaitForMessageLoop();
}

Tessarel::~Tessarel() {
    if (process_.Running()) {
        KillInstance(10000);
        process_.Kill();
    }
}

long Tessarel::SecondStart(const std::string& args) {
    return RunAndWait(exe_, args);
}

long Tessarel::KillInstance(int timeoutMs) {
    SecondStart("-kill");
    return process_.Wait(timeoutMs);
}

bool Tessarel::WaitForMessageLoop(int timeoutMs) {
    // Nothing pumps messages while the windows are created, so a sent
    // message comes back only once the loop runs.
    // But the start-up makes synchronous calls to the shell (the tray icon)
    // and answers sent messages inside them, so the last word is the start
    // message in the event log, written just before the loop.
    DWORD_PTR result = 0;
    if (!main_ || !::SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(Patience(timeoutMs)), &result))
        return false;
    const DWORD pid = process_.Pid();
    return WaitUntil([pid] {
        for (const auto& line : EventLogLines(pid))
            if (line.find("Virtual desktop engine successfully started!") != std::string::npos) return true;
        return false;
    }, timeoutMs, 20);
}

// Settings and data files ----------------------------------------------------------
void WriteSetting(const char* name, DWORD value) {
    HKEY k = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(k);
}

bool WriteDataFile(const std::string& name, const std::string& text) {
    ::SHCreateDirectoryExA(nullptr, DataFolder().c_str(), nullptr);
    FILE* f = std::fopen((DataFolder() + name).c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string ReadDataFile(const std::string& name) {
    FILE* f = std::fopen((DataFolder() + name).c_str(), "rb");
    if (!f) return {};
    std::string bytes;
    char buf[65536];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, got);
    std::fclose(f);
    return bytes;
}

bool Answers(HWND w, int timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeoutMs), &result) != 0;
}

std::vector<std::string> EventLogLines(DWORD pid) {
    HWND log = nullptr;
    for (const auto& i : TopWindows())
        if (i.pid == pid && i.cls == "TfrmLog") log = i.wnd;
    HWND memo = log ? ::FindWindowExA(log, nullptr, "Edit", nullptr) : nullptr;
    std::vector<std::string> lines;
    if (!memo) return lines;
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(memo, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return lines;
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(memo, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               2000, &copied))
        return lines;
    text.resize(copied);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        // "[time] text"
        if (size_t mark = line.find("] "); !line.empty() && line[0] == '[' && mark != std::string::npos)
            line = line.substr(mark + 2);
        if (!line.empty()) lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

}  // namespace e2e
