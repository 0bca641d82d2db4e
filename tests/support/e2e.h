#pragma once
// What the end-to-end tests share: starting and ending processes, finding
// top-level windows, waiting for a condition, and the program under test.
#include <windows.h>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The folder of the test program: the exe, the DLL and the helpers sit there.
std::string BinDir();
// A fresh folder of this test program, removed with everything in it when
// the program ends.
std::string TempDir();
void RemoveTree(const std::string& folder);   // a folder ending in a backslash

// Waits for a state. The time given is what the state takes on a machine
// with room to spare; the deadline is that times kLoadAllowance, because a
// busy CI machine runs Wine several times slower (a second start's switch
// has taken over 5 s at a load of 3.5 per core). A state that comes at once
// is taken at once: the allowance costs nothing unless the test fails.
constexpr int kLoadAllowance = 4;
int Patience(int ms);
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000, int stepMs = 10);
// Exactly this long, for a short try that the caller repeats, or for a check
// that nothing happens during a set time.
bool TryUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 10);
void Pump(int ms);           // waits while dispatching this process's messages

struct WindowInfo {
    HWND wnd;
    DWORD pid;
    bool visible;
    std::string cls;
    std::string title;
};
std::vector<WindowInfo> TopWindows();
std::string ClassOf(HWND w);
std::string TitleOf(HWND w);
bool IsShown(HWND w);        // IsWindowVisible
// The first top-level window of the process (0 = any) with this title and
// class (empty = any), waited for up to timeoutMs.
HWND WaitForWindow(const std::string& title, const std::string& cls = {}, DWORD pid = 0, int timeoutMs = 5000);
std::vector<HWND> WindowsOfProcess(DWORD pid);
// The first child window, at any depth, that the test accepts; 0 when none.
HWND FindChild(HWND parent, const std::function<bool(HWND)>& accept);

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::string& exe, const std::string& args);
    // Started in this working folder (empty: the test's own).
    ChildProcess(const std::string& exe, const std::string& args, const std::string& workDir);
    ChildProcess(ChildProcess&& o) noexcept;
    ChildProcess& operator=(ChildProcess&& o) noexcept;
    ~ChildProcess();
    bool Running() const;
    DWORD Pid() const noexcept { return pid_; }
    HANDLE Handle() const noexcept { return process_; }
    // Exit code, or -1 when the process did not end in time.
    long Wait(int timeoutMs = 10000);
    void Kill();
private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Runs a program to its end and answers its exit code (-1 on time-out).
long RunAndWait(const std::string& exe, const std::string& args, int timeoutMs = 15000);

// The host's path of a Windows path; empty when Wine cannot tell.
std::string HostPath(const std::string& windowsPath);
// Runs one line of the host's shell and waits for its end. Answers its exit
// code, or -1 when it could not be started or did not end in time.
int RunHostLine(const std::string& line, int timeoutMs = 10000);
// Runs xdotool, a program of the host, with these arguments (keys and clicks
// reach the virtual desktop as if typed) and waits for its end. Answers its
// exit code, or -1 when it could not be started or did not end in time.
int RunXdotool(const std::string& args, int timeoutMs = 10000);
// Types with xdotool until the program shows the result, a few times at
// most: on a loaded machine the program can miss a tap or a stroke, and like
// a user the test then does it again.
bool TypeUntil(const std::string& xdotoolArgs, const std::function<bool()>& done, int attempts = 5);
// Moves the mouse to the middle of a window and clicks the left button.
bool ClickCentreOf(HWND w);

// A key an earlier test left down (a hotkey swallowed with its key-up under
// Wine) would count as another key during every tap: let it go up.
void ReleaseStuckKeys();

// True when the condition holds all along for this long: what a poll or a
// tick that wrongly acted would change has had many chances to change.
bool StaysTrue(const std::function<bool()>& condition, int ms);

// Child windows: the first with this text, and all of a window class.
HWND ChildByText(HWND parent, const std::string& text);
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls);

// A tab control, of any process: the tab chosen (-1 for none or no answer),
// and choosing one as the arrow keys do, so that its owner hears of it.
int ChosenTab(HWND tabs);
bool ChooseTab(HWND tabs, int index);

// Whether the process has a module of this file name loaded.
bool HasModule(DWORD pid, const std::string& name);

// A symbolic link of the host at the Windows path link, leading to target
// (as a fresh Wine prefix links the user folders into the home folder).
// Windows calls cannot remove such a link: RemoveHostLink does, and
// HostLink removes the link it made when it goes.
bool MakeHostLink(const std::string& link, const std::string& target);
bool RemoveHostLink(const std::string& link);
class HostLink {
public:
    HostLink(std::string link, const std::string& target) : link_(std::move(link)), made_(MakeHostLink(link_, target)) {}
    ~HostLink() {
        if (made_) RemoveHostLink(link_);
    }
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;
    bool Made() const noexcept { return made_; }
private:
    std::string link_;
    bool made_;
};

// A helper process with top-level windows as its command line asks for.
struct HelperOptions {
    std::string cls = "TessHelperWindow";
    std::string title = "helper";
    int count = 1;
    bool popup = false;
    bool hidden = false;
    std::string exeName;     // run as a copy under this file name
    std::string logFile;
    std::string extra;       // further raw arguments
};
class Helper {
public:
    explicit Helper(const HelperOptions& o = {});
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    const std::vector<HWND>& Windows() const noexcept { return windows_; }
    HWND Window(size_t i = 0) const { return windows_.at(i); }
    DWORD Pid() const noexcept { return process_.Pid(); }
    ChildProcess& Process() noexcept { return process_; }
    void Hang();             // stops pumping messages; waits until it no longer answers
    void Quit();
private:
    ChildProcess process_;
    std::vector<HWND> windows_;
    std::string copyDir_;    // the folder of the copy it runs as, if any
};
// The messages a helper's windows logged (--log), oldest first.
struct LoggedMessage {
    UINT message;
    WPARAM w;
    bool posted;   // read from the queue, not sent
};
std::vector<LoggedMessage> MessagesIn(const std::string& logFile);
bool HasLogged(const std::string& logFile, UINT message, WPARAM w);
// Puts the helper window in front and waits until keys typed from now on
// reach it: a Shift stroke typed as a probe has arrived in its log. Only
// then has the keyboard hook (loaded lazily into the helper) seen it too.
// Under Wine a window activated from the test's process may look active
// while the X server keeps its keys elsewhere; when a probe is lost, the
// helper asks for the keys again in its own thread, as a click would.
bool TakeKeyboardFocus(HWND w, const std::string& logFile);
// Whether keys typed now reach the window the program put in front, with no
// help from the test: it comes in front, and a Shift stroke, typed again
// while none arrives, reaches its log within the time.
bool KeysReachWithoutHelp(HWND w, const std::string& logFile, int ms = 10000);

// Control messages the helper's windows understand.
constexpr UINT kHelperHang = WM_APP + 1;
constexpr UINT kHelperShow = WM_APP + 2;
constexpr UINT kHelperHide = WM_APP + 3;
constexpr UINT kHelperQuit = WM_APP + 4;
constexpr UINT kHelperNewWindow = WM_APP + 5;
constexpr UINT kHelperActivate = WM_APP + 6;
constexpr UINT kHelperTakeFocus = WM_APP + 7;

// The program under test, started in a clean state (no settings, no data).
void ResetUserState();       // ends stray instances, deletes the settings key and the data folder
std::string DataFolder();    // where the program keeps its files
HWND FindMainWindow();       // the running instance's TfrmPTessarel, or 0
// A value or a data-folder file written before the program starts.
void WriteSetting(const char* name, DWORD value);
bool WriteDataFile(const std::string& name, const std::string& text);
// A data-folder file's bytes; empty when it cannot be read.
std::string ReadDataFile(const std::string& name);
// Whether the window's thread answers a message within the time.
bool Answers(HWND w, int timeoutMs = 5000);
// The running program's event log (TfrmLog), newest line first, each without
// its time stamp; empty while the window cannot be read.
std::vector<std::string> EventLogLines(DWORD pid);

class Tessarel {
public:
    explicit Tessarel(const std::string& args = {}, bool reset = true);
    // Started from this copy of the program, in its own folder.
    Tessarel(const std::string& args, bool reset, const std::string& exePath);
    ~Tessarel();             // ends the instance if it still runs
    HWND MainWindow() const noexcept { return main_; }
    DWORD Pid() const noexcept { return process_.Pid(); }
    ChildProcess& Process() noexcept { return process_; }
    // A second start with these arguments; answers its exit code.
    long SecondStart(const std::string& args);
    // Ends the instance with "-kill" and waits for it.
    long KillInstance(int timeoutMs = 15000);
    // Waits until the message loop runs: every window, the settings dialog
    // included, is created and the settings are applied.
    bool WaitForMessageLoop(int timeoutMs = 15000);
private:
    void Start(const std::string& exePath, const std::string& args, const std::string& workDir);
    ChildProcess process_;
    std::string exe_;
    HWND main_ = nullptr;
};

}  // namespace e2e
