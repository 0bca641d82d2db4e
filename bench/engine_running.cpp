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
//           bare pass;
//   memory  the working set at the end.
// Then, with two windows of a helper on desktops 1 and 2, it switches 20
// times, each by the message the hook library posts for a hotkey, and times
// from the message to the first window of the new desktop shown.
// Absolute figures vary with the machine and its load; compare in one run.
//
// Runs under Wine beside winhelper.exe and Tessareltop.exe: scripts/bench.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "bench/helper_windows.h"
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

double Seconds(const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return Seconds(kernel) + Seconds(user);
}

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
    Program bare(bench::BinDir() + "bench_engine_running.exe", kBareArgument);
    ::Sleep(static_cast<DWORD>(kWarmUpSeconds * 1000));
    const double e0 = CpuSeconds(engine.Handle()), b0 = CpuSeconds(bare.Handle()), t0 = Now();
    ::Sleep(static_cast<DWORD>(seconds * 1000));
    const double e1 = CpuSeconds(engine.Handle()), b1 = CpuSeconds(bare.Handle()), t1 = Now();
    const double engineShare = (e1 - e0) / (t1 - t0), bareShare = (b1 - b0) / (t1 - t0);
    const double engineMb = WorkingSetMb(engine.Handle()), bareMb = WorkingSetMb(bare.Handle());
    std::printf("%d windows, %.0f s\n", count, t1 - t0);
    // Wine answers no times for another process: then there is no figure.
    if (engineShare > 0 && bareShare > 0)
        std::printf("  cpu     engine %6.2f %%   bare %6.2f %%   ratio %5.2f\n", 100 * engineShare, 100 * bareShare,
                    engineShare / bareShare);
    else
        std::printf("  cpu     not available: the system gave no process times\n");
    std::printf("  memory  engine %6.1f MB  bare %6.1f MB  difference %+.1f MB\n", engineMb, bareMb, engineMb - bareMb);
    std::fflush(stdout);
    return true;
}

bool LatencyFigures(const std::string& engineExe) {
    bench::HelperWindows helpers = bench::OpenHelperWindows(2, 1, kClass);
    if (helpers.windows.size() != 2) return false;
    Engine engine(engineExe);
    if (!engine.Started()) return false;
    const HWND main = engine.MainWindow();
    auto waitUntil = [](auto&& done, double limit) {
        const double start = Now();
        while (!done()) {
            if (Now() - start > limit) return -1.0;
            ::Sleep(1);
        }
        return Now() - start;
    };
    // The second window goes to desktop 2 as its system menu would send it,
    // asked again until the engine, still starting, has met the window.
    const HWND windows[3] = {nullptr, helpers.windows[0], helpers.windows[1]};
    bool sent = false;
    for (int attempt = 0; attempt < 30 && !sent; ++attempt) {
        ::PostMessageA(main, engine::WM_HOOK_SYSMENU, reinterpret_cast<WPARAM>(windows[2]), engine::IDM_SEND_WINDOW + 1);
        sent = waitUntil([&] { return !::IsWindowVisible(windows[2]); }, 1) >= 0;
    }
    if (!sent) {
        std::fprintf(stderr, "the window was not sent to desktop 2\n");
        return false;
    }
    std::vector<double> ms;
    for (int i = 0; i < kSwitches; ++i) {
        const int to = i % 2 == 0 ? 2 : 1;
        ::Sleep(300 + 37 * (i % 7));   // not in step with the engine's tick
        const double start = Now();
        ::PostMessageA(main, engine::WM_HOOK_HOTKEY, static_cast<WPARAM>(to), 0);
        if (waitUntil([&] { return ::IsWindowVisible(windows[to]) != FALSE; }, 10) < 0) {
            std::fprintf(stderr, "switch %d did not show its window\n", i + 1);
            return false;
        }
        ms.push_back(1000 * (Now() - start));
        // The switch is complete once the other window is hidden too.
        waitUntil([&] { return !::IsWindowVisible(windows[3 - to]); }, 10);
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)]; };
    std::printf("hotkey to shown, 2 windows, %d switches: median %.0f ms, 95th percentile %.0f ms, most %.0f ms\n",
                kSwitches, at(0.5), at(0.95), ms.back());
    std::fflush(stdout);
    return true;
}

}  // namespace

// bench_engine_running [--exe path] [--seconds n] [--latency] [window counts...]
// --latency: the switch latency only.
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kBareArgument) return RunBareProgram();
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
