// Benchmark: the program as it really runs, against a minimal program that
// watches the same windows at the same pace.
//
// Tessareltop.exe (beside this benchmark, or the exe given with --exe) is
// started as a user starts it, its settings at their defaults: with its
// settings dialog, its hook library and every window of the start-up. In the
// same 60 seconds (--seconds), and after 10 seconds for the first scans, a
// minimal program runs beside it: this benchmark started with --bare, which
// does one bare enumeration pass (each window's class, process and
// visibility) every 250 ms, the engine's tick. With 50, 200 and 500 windows
// of helper processes (or the counts given) it prints for both:
//   cpu     the CPU time over the 60 seconds, as a share of one core: at
//           four ticks a second, also the ratio of one engine tick to one
//           bare pass. Under Wine, which answers no times for another
//           process, they are read from the Linux process's /proc/<pid>/stat
//           through drive Z: (the work the window server does for them is
//           not in it);
//   memory  the working set at the end.
// Then, with two windows of a helper on desktops 1 and 2, it switches 20
// times, each by the message the hook library posts for a hotkey, and times
// from the message to the first window of the new desktop shown; and 20
// times more, each by Right Ctrl and the digit sent as key strokes to the
// window shown (the hook library turns them into that message), timed from
// the keys sent. The bare
// baseline, before the engine starts: this benchmark started with
// --bare-switch, which on a posted message hides the one window and shows
// the other, timed the same way.
// Absolute figures vary with the machine and its load; compare in one run.
//
// Runs under Wine beside winhelper.exe and Tessareltop.exe: scripts/bench.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "bench/helper_windows.h"
#include "bench/timing.h"
#include "engine/messages.h"
#include "framework/guard.h"
#include "framework/owned.h"

namespace {

constexpr int kProcesses = 5;
constexpr int kWindowCounts[] = {50, 200, 500};
constexpr int kTickMs = 250;
constexpr double kWarmUpSeconds = 10;
constexpr double kDefaultSeconds = 60;
constexpr int kSwitches = 20;
constexpr char kClass[] = "TessRunBenchWindow";
constexpr char kBareArgument[] = "--bare";
constexpr char kBareSwitchArgument[] = "--bare-switch";
constexpr char kBareSwitchClass[] = "TessRunBenchBareSwitch";
constexpr UINT kBareSwitchMessage = WM_APP + 1;   // wParam: the window to show, 1 or 2

double Seconds(const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Under Wine a Windows program is a Linux process whose arguments are the
// Windows ones: the Linux process id of the one started with these
// arguments (separated by single spaces), or an empty text when there is no
// such process (or no /proc).
std::string LinuxProcessOf(const std::string& commandLine) {
    const std::string wanted = Lower(commandLine);
    std::string found;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        if (!std::isdigit(static_cast<unsigned char>(fd.cFileName[0]))) continue;
        std::string args = ReadWholeFile(std::string("Z:\\proc\\") + fd.cFileName + "\\cmdline");
        for (char& c : args)
            if (c == '\0') c = ' ';
        while (!args.empty() && args.back() == ' ') args.pop_back();
        if (Lower(args) == wanted) found = fd.cFileName;
    } while (found.empty() && ::FindNextFileA(h, &fd));
    ::FindClose(h);
    return found;
}

// User and system time of a Linux process, from fields 14 and 15 of its
// stat (after the name in parentheses), in clock ticks of 1/100 s.
double LinuxCpuSeconds(const std::string& linuxPid) {
    const std::string stat = ReadWholeFile("Z:\\proc\\" + linuxPid + "\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    const char* p = stat.c_str() + close + 1;
    double fields[13] = {};
    int i = 0;
    // Field 3 (the state) is a letter; fields 4 to 15 are numbers.
    while (*p == ' ') ++p;
    while (*p && *p != ' ') ++p;
    for (; i < 12 && *p; ++i) fields[i] = std::strtod(p, const_cast<char**>(&p));
    return i == 12 ? (fields[10] + fields[11]) / 100.0 : 0;
}

// A program's CPU time: its Linux process's under Wine, else the system's answer.
class CpuClock {
public:
    // Wine's answer for another process stays at (or near) zero: /proc first.
    CpuClock(HANDLE process, const std::string& commandLine)
        : process_(process), linuxPid_(LinuxProcessOf(commandLine)) {}
    double Seconds() const { return linuxPid_.empty() ? Own() : LinuxCpuSeconds(linuxPid_); }
    const char* Source() const { return linuxPid_.empty() ? "process times" : "Linux /proc"; }

private:
    double Own() const {
        FILETIME created, exited, kernel, user;
        if (!::GetProcessTimes(process_, &created, &exited, &kernel, &user)) return 0;
        return ::Seconds(kernel) + ::Seconds(user);
    }
    HANDLE process_;
    std::string linuxPid_;
};

double WorkingSetMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    if (!::GetProcessMemoryInfo(process, &m, sizeof m)) return 0;
    return static_cast<double>(m.WorkingSetSize) / (1024.0 * 1024.0);
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

using Program = bench::ChildProcess;

// The engine, running until it is told to end.
class Engine {
public:
    explicit Engine(const std::string& exe) : exe_(exe), program_(exe, "") {
        const double start = Now();
        while (!(main_ = ::FindWindowA(engine::kMainClassName, nullptr)) && Now() - start < 30) ::Sleep(50);
    }
    ~Engine() {
        // As the user ends it: every window it hid is shown again.
        Program kill(exe_, "-kill");
        ::WaitForSingleObject(kill.Handle(), 10000);
        ::WaitForSingleObject(program_.Handle(), 10000);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    bool Started() const { return main_ && program_.Running(); }
    HANDLE Handle() const noexcept { return program_.Handle(); }
    HWND MainWindow() const noexcept { return main_; }

private:
    std::string exe_;
    Program program_;
    HWND main_ = nullptr;
};

// --bare: a bare enumeration pass at the engine's pace, until ended.
int RunBareProgram() {
    ::SetTimer(nullptr, 0, kTickMs,
               [](HWND, UINT, UINT_PTR, DWORD) { framework::Guard([] { bench::BareEnumerationPass(); }); });
    MSG m;
    while (::GetMessageA(&m, nullptr, 0, 0) > 0) ::DispatchMessageA(&m);
    return 0;
}

bool IdleFigures(const std::string& engineExe, int count, double seconds) {
    bench::HelperWindows helpers = bench::OpenHelperWindows(count, kProcesses, kClass);
    if (helpers.windows.size() != static_cast<size_t>(count)) return false;
    Engine engine(engineExe);
    if (!engine.Started()) {
        std::fprintf(stderr, "the program did not start\n");
        return false;
    }
    const std::string bareExe = bench::BinDir() + "bench_engine_running.exe";
    Program bare(bareExe, kBareArgument);
    ::Sleep(static_cast<DWORD>(kWarmUpSeconds * 1000));
    const CpuClock engineCpu(engine.Handle(), engineExe), bareCpu(bare.Handle(), bareExe + " " + kBareArgument);
    const double e0 = engineCpu.Seconds(), b0 = bareCpu.Seconds(), t0 = Now();
    ::Sleep(static_cast<DWORD>(seconds * 1000));
    const double e1 = engineCpu.Seconds(), b1 = bareCpu.Seconds(), t1 = Now();
    const double engineShare = (e1 - e0) / (t1 - t0), bareShare = (b1 - b0) / (t1 - t0);
    const double engineMb = WorkingSetMb(engine.Handle()), bareMb = WorkingSetMb(bare.Handle());
    std::printf("%d windows, %.0f s\n", count, t1 - t0);
    // Wine answers no times for another process: then there is no figure.
    if (engineShare > 0 && bareShare > 0)
        std::printf("  cpu     engine %6.2f %%   bare %6.2f %%   ratio %5.2f   (%s)\n", 100 * engineShare,
                    100 * bareShare, engineShare / bareShare, engineCpu.Source());
    else
        std::printf("  cpu     not available: the system gave no process times\n");
    std::printf("  memory  engine %6.1f MB  bare %6.1f MB  difference %+.1f MB\n", engineMb, bareMb, engineMb - bareMb);
    std::fflush(stdout);
    return true;
}

double WaitUntil(const std::function<bool()>& done, double limit) {
    const double start = Now();
    while (!done()) {
        if (Now() - start > limit) return -1.0;
        ::Sleep(1);
    }
    return Now() - start;
}

// --bare-switch w1 w2: on each posted request, hides the one window and
// shows the other, the least a switch between two desktops does.
LRESULT CALLBACK BareSwitchProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    static HWND windows[3];
    if (m == WM_CREATE) {
        const auto* given = static_cast<const HWND*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        windows[1] = given[0];
        windows[2] = given[1];
        return 0;
    }
    if (m == kBareSwitchMessage && (wp == 1 || wp == 2)) {
        ::ShowWindow(windows[3 - wp], SW_HIDE);
        ::ShowWindow(windows[wp], SW_SHOWNA);
        return 0;
    }
    return ::DefWindowProcA(w, m, wp, lp);
}

int RunBareSwitchProgram(HWND first, HWND second) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareSwitchProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kBareSwitchClass;
    ::RegisterClassA(&wc);
    HWND given[2] = {first, second};
    framework::Window w(::CreateWindowExA(0, kBareSwitchClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          wc.hInstance, given));
    MSG m;
    while (::GetMessageA(&m, nullptr, 0, 0) > 0) ::DispatchMessageA(&m);
    return 0;
}

// 20 switches between the two windows, each asked for by a posted message:
// the milliseconds from the message to the window shown, sorted; empty when
// a switch did not show its window.
std::vector<double> SwitchLatencies(const HWND (&windows)[3], const std::function<void(int)>& request,
                                    const std::function<void(int)>& prepare = {}) {
    std::vector<double> ms;
    for (int i = 0; i < kSwitches; ++i) {
        const int to = i % 2 == 0 ? 2 : 1;
        ::Sleep(300 + 37 * (i % 7));   // not in step with the engine's tick
        if (prepare) prepare(to);
        const double start = Now();
        request(to);
        if (WaitUntil([&] { return ::IsWindowVisible(windows[to]) != FALSE; }, 10) < 0) {
            std::fprintf(stderr, "switch %d did not show its window\n", i + 1);
            return {};
        }
        ms.push_back(1000 * (Now() - start));
        // The switch is complete once the other window is hidden too.
        WaitUntil([&] { return !::IsWindowVisible(windows[3 - to]); }, 10);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

// The window the next keys go to: answers whether it has the focus.
bool GiveFocus(HWND w) {
    if (::GetForegroundWindow() != w) ::SetForegroundWindow(w);
    return ::GetForegroundWindow() == w;
}

// Right Ctrl and a digit, pressed and let go, as the keyboard sends them.
void PressRightCtrlDigit(int digit) {
    auto key = [](WORD vk, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = flags;
        return in;
    };
    const WORD digitKey = static_cast<WORD>('0' + digit);
    INPUT strokes[] = {key(VK_RCONTROL, KEYEVENTF_EXTENDEDKEY), key(digitKey, 0), key(digitKey, KEYEVENTF_KEYUP),
                       key(VK_RCONTROL, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP)};
    ::SendInput(static_cast<UINT>(std::size(strokes)), strokes, sizeof(INPUT));
}

void PrintLatencies(const char* who, const std::vector<double>& ms) {
    auto at = [&](double q) { return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)]; };
    std::printf("  %-7s median %4.0f ms   95th percentile %4.0f ms   most %4.0f ms\n", who, at(0.5), at(0.95),
                ms.back());
}

bool LatencyFigures(const std::string& engineExe) {
    bench::HelperWindows helpers = bench::OpenHelperWindows(2, 1, kClass);
    if (helpers.windows.size() != 2) return false;
    const HWND windows[3] = {nullptr, helpers.windows[0], helpers.windows[1]};
    // The bare baseline first: the engine, once running, would move the
    // windows the bare program shows.
    std::vector<double> bareMs;
    {
        ::ShowWindow(windows[2], SW_HIDE);
        Program bare(bench::BinDir() + "bench_engine_running.exe",
                     std::string(kBareSwitchArgument) + " " + std::to_string(reinterpret_cast<uintptr_t>(windows[1])) +
                         " " + std::to_string(reinterpret_cast<uintptr_t>(windows[2])));
        HWND bareWindow = nullptr;
        WaitUntil([&] { return (bareWindow = ::FindWindowA(kBareSwitchClass, nullptr)) != nullptr; }, 30);
        if (!bareWindow) {
            std::fprintf(stderr, "the bare switch program did not start\n");
            return false;
        }
        bareMs = SwitchLatencies(windows, [&](int to) { ::PostMessageA(bareWindow, kBareSwitchMessage, to, 0); });
        ::ShowWindow(windows[2], SW_SHOWNA);
        if (bareMs.empty()) return false;
    }
    Engine engine(engineExe);
    if (!engine.Started()) return false;
    const HWND main = engine.MainWindow();
    // The second window goes to desktop 2 as its system menu would send it,
    // asked again until the engine, still starting, has met the window.
    bool sent = false;
    for (int attempt = 0; attempt < 30 && !sent; ++attempt) {
        ::PostMessageA(main, engine::WM_HOOK_SYSMENU, reinterpret_cast<WPARAM>(windows[2]), engine::IDM_SEND_WINDOW + 1);
        sent = WaitUntil([&] { return !::IsWindowVisible(windows[2]); }, 1) >= 0;
    }
    if (!sent) {
        std::fprintf(stderr, "the window was not sent to desktop 2\n");
        return false;
    }
    const std::vector<double> engineMs =
        SwitchLatencies(windows, [&](int to) { ::PostMessageA(main, engine::WM_HOOK_HOTKEY, static_cast<WPARAM>(to), 0); });
    if (engineMs.empty()) return false;
    std::printf("hotkey to shown, 2 windows, %d switches each\n", kSwitches);
    PrintLatencies("engine", engineMs);
    PrintLatencies("bare", bareMs);
    std::printf("  ratio   median %.2f\n", bench::Median(engineMs) / bench::Median(bareMs));
    std::fflush(stdout);
    // The same switches typed: Right Ctrl and the digit as key strokes, which
    // the hook library sees in the thread of the window that has the focus.
    const std::vector<double> keyMs = SwitchLatencies(
        windows, [](int to) { PressRightCtrlDigit(to); },
        [&](int to) { WaitUntil([&] { return GiveFocus(windows[3 - to]); }, 2); });
    if (keyMs.empty()) {
        std::printf("  key     no figures: a typed hotkey did not switch\n");
        return true;
    }
    PrintLatencies("key", keyMs);
    std::fflush(stdout);
    return true;
}

}  // namespace

// bench_engine_running [--exe path] [--seconds n] [--latency] [window counts...]
// --latency: the switch latency only.
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kBareArgument) return RunBareProgram();
    if (argc > 3 && std::string(argv[1]) == kBareSwitchArgument)
        return RunBareSwitchProgram(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 10)),
                                    reinterpret_cast<HWND>(std::strtoull(argv[3], nullptr, 10)));
    std::string exe = bench::BinDir() + "Tessareltop.exe";
    double seconds = kDefaultSeconds;
    bool latencyOnly = false;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--exe" && i + 1 < argc)
            exe = argv[++i];
        else if (a == "--latency")
            latencyOnly = true;
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else if (int n = std::atoi(a.c_str()); n >= kProcesses)
            counts.push_back(n);
    }
    if (counts.empty()) counts.assign(std::begin(kWindowCounts), std::end(kWindowCounts));
    if (::FindWindowA(engine::kMainClassName, nullptr)) {
        std::fprintf(stderr, "the program already runs: end it first\n");
        return 1;
    }
    bench::ResetProgramSettings();
    std::printf("The running program (%s) against a bare pass every %d ms, in the same run\n", exe.c_str(), kTickMs);
    if (!latencyOnly)
        for (int count : counts)
            if (!IdleFigures(exe, count, seconds)) return 1;
    return LatencyFigures(exe) ? 0 : 1;
}
