// Benchmark: the pace the engine keeps as it really runs, and what one of
// its ticks costs, against a bare pass at the same pace in the same run.
//
// For each of 50, 200 and 500 windows of helper processes (or the counts
// given) this benchmark starts itself once more (--one N), and that process
// runs the whole program inside itself as a user starts it: its settings at
// their defaults, its settings dialog, its hook library, every window of the
// start-up. Beside it runs a minimal program (--bare): one bare enumeration
// pass (each window's class, process and visibility) every 250 ms, the
// engine's tick. After 10 seconds for the first scans it counts for 30
// seconds (--seconds):
//   ticks/s  the ticks run per second: the engine's tick counter, the bare
//            program's passes;
//   wall     the wall-clock time inside one tick (the engine's own running
//            total of its tick time) or one bare pass;
//   cpu      the process's CPU time per tick: everything the process did in
//            that time (the input poll, the hook library's reports, the
//            settings dialog) divided by the ticks, and the same for the bare
//            program.
// The window server's work for either program is in neither CPU figure.
// Absolute figures vary with the machine and its load; compare in one run.
//
// Runs under Wine beside winhelper.exe and PTSH120.dll: scripts/bench.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "bench/helper_windows.h"
#include "bench/timing.h"
#include "engine/main_form.h"
#include "engine/startup.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/timer.h"

namespace {

constexpr int kProcesses = 5;
constexpr int kWindowCounts[] = {50, 200, 500};
constexpr UINT kTickMs = 250;
constexpr double kWarmUpSeconds = 10;
constexpr double kDefaultSeconds = 30;
constexpr char kClass[] = "TessTickBenchWindow";
constexpr char kBareClass[] = "TessTickBenchBare";
// Asked of the bare program's window; wParam says which figure it answers.
constexpr UINT kBareFigure = WM_APP + 1;
enum BareFigure : WPARAM { kPasses, kPassMicroseconds, kCpuMicroseconds };

using bench::Now;
using bench::ProcessCpuSeconds;
using bench::Seconds;

// --bare: the bare pass every 250 ms, each timed; the totals answered to kBareFigure.
struct BareTotals {
    long long passes = 0;
    double passSeconds = 0;
} g_bare;

LRESULT CALLBACK BareProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return framework::Guard(LRESULT{0}, [&]() -> LRESULT {
        if (m == WM_TIMER) {
            const double start = Now();
            bench::BareEnumerationPass();
            g_bare.passSeconds += Now() - start;
            ++g_bare.passes;
            return 0;
        }
        if (m == kBareFigure) {
            switch (wp) {
            case kPasses: return static_cast<LRESULT>(g_bare.passes);
            case kPassMicroseconds: return static_cast<LRESULT>(1e6 * g_bare.passSeconds);
            case kCpuMicroseconds: return static_cast<LRESULT>(1e6 * ProcessCpuSeconds());
            default: return 0;
            }
        }
        return ::DefWindowProcA(w, m, wp, lp);
    });
}

int RunBareProgram() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kBareClass;
    ::RegisterClassA(&wc);
    framework::Window w(
        ::CreateWindowExA(0, kBareClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr));
    ::SetTimer(w.get(), 1, kTickMs, nullptr);
    MSG m;
    while (::GetMessageA(&m, nullptr, 0, 0) > 0) ::DispatchMessageA(&m);
    return 0;
}

// The counters of both programs at one moment.
struct Reading {
    double wall = 0;
    double engineTicks = 0, engineTickSeconds = 0, engineCpu = 0;
    double bareTicks = 0, bareTickSeconds = 0, bareCpu = 0;
};

Reading Read(HWND bare) {
    Reading r;
    r.wall = Now();
    if (auto* form = engine::frmPTessarel) {
        r.engineTicks = form->FScanCounter;
        r.engineTickSeconds = form->TickSeconds();
    }
    r.engineCpu = ProcessCpuSeconds();
    auto ask = [bare](WPARAM which) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutA(bare, kBareFigure, which, 0, SMTO_NORMAL, 5000, &answer);
        return static_cast<double>(answer);
    };
    r.bareTicks = ask(kPasses);
    r.bareTickSeconds = ask(kPassMicroseconds) / 1e6;
    r.bareCpu = ask(kCpuMicroseconds) / 1e6;
    return r;
}

void Report(int windows, const Reading& a, const Reading& b) {
    const double wall = b.wall - a.wall;
    const double et = b.engineTicks - a.engineTicks, bt = b.bareTicks - a.bareTicks;
    if (et <= 0 || bt <= 0) {
        std::printf("%d windows: no ticks counted (engine %.0f, bare %.0f)\n", windows, et, bt);
        return;
    }
    const double eWall = 1000 * (b.engineTickSeconds - a.engineTickSeconds) / et;
    const double bWall = 1000 * (b.bareTickSeconds - a.bareTickSeconds) / bt;
    const double eCpu = 1000 * (b.engineCpu - a.engineCpu) / et, bCpu = 1000 * (b.bareCpu - a.bareCpu) / bt;
    std::printf("%d windows, %.0f s\n", windows, wall);
    std::printf("  ticks/s engine %6.2f       bare %6.2f\n", et / wall, bt / wall);
    std::printf("  wall    engine %7.2f ms   bare %7.2f ms   ratio %5.2f   (per tick)\n", eWall, bWall,
                eWall / bWall);
    if (eCpu > 0 && bCpu > 0)
        std::printf("  cpu     engine %7.2f ms   bare %7.2f ms   ratio %5.2f   (process per tick)\n", eCpu, bCpu,
                    eCpu / bCpu);
    else
        std::printf("  cpu     not available: the system gave no process times\n");
    std::fflush(stdout);
}

// --one N: the program in this process over N helper windows, the bare program beside it.
int RunOne(int windows, double seconds) {
    if (::FindWindowA(engine::kMainClassName, nullptr)) {
        std::fprintf(stderr, "the program already runs: end it first\n");
        return 1;
    }
    bench::ResetProgramSettings();
    bench::HelperWindows helpers = bench::OpenHelperWindows(windows, kProcesses, kClass);
    if (helpers.windows.size() != static_cast<size_t>(windows)) return 1;
    bench::ChildProcess bareProgram(bench::BinDir() + "bench_engine_ticks.exe", "--bare");
    HWND bare = nullptr;
    for (int i = 0; i < 600 && !(bare = ::FindWindowA(kBareClass, nullptr)); ++i) ::Sleep(50);
    if (!bare) {
        std::fprintf(stderr, "the bare program did not start\n");
        return 1;
    }
    const double start = Now();
    Reading first;
    bool counting = false;
    bool reported = false;
    framework::Timer driver(100, [&] {
        const double now = Now();
        if (!counting && now - start >= kWarmUpSeconds) {
            first = Read(bare);
            counting = true;
        } else if (counting && now - first.wall >= seconds) {
            Report(windows, first, Read(bare));
            reported = true;
            framework::App().Terminate();
        }
    });
    engine::RunProgram();
    return reported ? 0 : 1;
}

// Runs this benchmark once more with these arguments, its output on ours.
int RunSelf(const std::string& args) {
    const std::string exe = bench::BinDir() + "bench_engine_ticks.exe";
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 1;
    ::CloseHandle(pi.hThread);
    framework::Process process(pi.hProcess);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

}  // namespace

// bench_engine_ticks [--seconds n] [window counts...]
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--bare") return RunBareProgram();
    double seconds = kDefaultSeconds;
    std::vector<int> counts;
    int one = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else if (a == "--one" && i + 1 < argc)
            one = std::atoi(argv[++i]);
        else if (int n = std::atoi(a.c_str()); n >= kProcesses)
            counts.push_back(n);
    }
    if (one >= kProcesses) return RunOne(one, seconds);
    if (counts.empty()) counts.assign(std::begin(kWindowCounts), std::end(kWindowCounts));
    std::printf("The program's tick in this benchmark's process against a bare pass every %u ms, in the same run\n",
                kTickMs);
    std::fflush(stdout);
    for (int count : counts)
        if (RunSelf("--one " + std::to_string(count) + " --seconds " + std::to_string(seconds)) != 0) return 1;
    return 0;
}
