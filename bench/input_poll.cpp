// Benchmark: what the 10 ms input poll costs while nothing happens.
//
// The program runs in this process as a user starts it, with its settings at
// their defaults, its hooks set, and 500 windows of helper processes (or the
// largest count given on the command line) for its engine tick to scan. It
// then stays idle for two minutes in phases of 5 seconds, the input poll on
// in one phase and off in the next (which of a pair goes first alternates),
// and takes this process's CPU time at every phase boundary: 60 seconds
// with the poll and 60 without, in one run.
//
// It prints both CPU times as shares of one core, their ratio (poll on
// against poll off) and the difference: what the poll adds. Absolute shares
// vary with the machine and its load; the difference is the figure to keep
// below half a percent of one core.
//
// Runs under Wine beside winhelper.exe and PTSH120.dll: scripts/bench.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "bench/helper_windows.h"
#include "engine/main_form.h"
#include "engine/startup.h"
#include "framework/application.h"
#include "framework/timer.h"

namespace {

constexpr int kDefaultWindows = 500;
constexpr int kProcesses = 5;
constexpr int kWarmUpMs = 10000;   // the first scans of the windows
constexpr int kPhaseMs = 5000;
constexpr int kPairs = 12;          // 12 x 5 s with the poll, 12 x 5 s without
constexpr char kClass[] = "TessPollBenchWindow";

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

// The settings at their defaults, without the splash.
void ResetSettings() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel");
    HKEY k = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                          nullptr) != ERROR_SUCCESS)
        return;
    const DWORD off = 0;
    ::RegSetValueExA(k, "showsplash", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    ::RegCloseKey(k);
}

// Drives the phases from inside the program's message loop.
class Phases {
public:
    void Tick() {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        if (!started_) {
            started_ = true;
            phaseStart_ = now;
            phase_ = -1;   // warm-up
            return;
        }
        const double elapsed = Seconds(phaseStart_, now);
        if (elapsed * 1000 < (phase_ < 0 ? kWarmUpMs : kPhaseMs)) return;
        const double cpu = ProcessCpuSeconds();
        if (phase_ >= 0) (PollOn(phase_) ? on_ : off_).push_back({cpu - phaseCpu_, elapsed});
        ++phase_;
        phaseStart_ = now;
        phaseCpu_ = cpu;
        if (phase_ == 2 * kPairs) {
            framework::App().Terminate();
            return;
        }
        if (engine::frmPTessarel) engine::frmPTessarel->EnableInputPoll(PollOn(phase_));
    }

    void Report(int windows) const {
        auto total = [](const std::vector<Sample>& v, double Sample::*field) {
            double s = 0;
            for (const Sample& x : v) s += x.*field;
            return s;
        };
        const double cpuOn = total(on_, &Sample::cpu), wallOn = total(on_, &Sample::wall);
        const double cpuOff = total(off_, &Sample::cpu), wallOff = total(off_, &Sample::wall);
        if (on_.size() != kPairs || off_.size() != kPairs || wallOn <= 0 || wallOff <= 0 || cpuOff <= 0) {
            std::printf("the phases did not complete: no figures\n");
            return;
        }
        const double shareOn = cpuOn / wallOn, shareOff = cpuOff / wallOff;
        std::printf("%d windows, %.0f s idle with the poll and %.0f s without\n", windows, wallOn, wallOff);
        std::printf("  CPU with the poll     %6.2f %% of one core (%.2f s)\n", 100 * shareOn, cpuOn);
        std::printf("  CPU without the poll  %6.2f %% of one core (%.2f s)\n", 100 * shareOff, cpuOff);
        std::printf("  ratio                 %6.3f\n", shareOn / shareOff);
        std::printf("  the poll adds         %6.2f %% of one core\n", 100 * (shareOn - shareOff));
        std::fflush(stdout);
    }

private:
    struct Sample {
        double cpu, wall;
    };
    // Pairs alternate: on-off, off-on, on-off...
    static bool PollOn(int phase) { return (phase % 2 == 0) == ((phase / 2) % 2 == 0); }

    bool started_ = false;
    int phase_ = -1;
    LARGE_INTEGER phaseStart_{};
    double phaseCpu_ = 0;
    std::vector<Sample> on_, off_;
};

}  // namespace

int main(int argc, char** argv) {
    int windows = 0;
    for (int i = 1; i < argc; ++i) windows = std::max(windows, std::atoi(argv[i]));
    if (windows < kProcesses) windows = kDefaultWindows;
    if (::FindWindowA("TfrmPTessarel", nullptr)) {
        std::fprintf(stderr, "the program already runs: end it first\n");
        return 1;
    }
    ResetSettings();
    bench::HelperWindows helpers = bench::OpenHelperWindows(windows, kProcesses, kClass);
    if (helpers.windows.size() != static_cast<size_t>(windows)) return 1;

    Phases phases;
    framework::Timer driver(100, [&phases] { phases.Tick(); });
    engine::RunProgram();
    phases.Report(windows);
    return 0;
}
