// Benchmark: what the 10 ms input poll costs while nothing happens.
//
// The program runs in this process as a user starts it, with its settings at
// their defaults, its hooks set, and 500 windows of helper processes (or the
// largest count given on the command line) for its engine tick to scan. It
// then stays idle in phases of one second, in three kinds taken in turn (the
// order rotates from round to round):
//   off    the input poll stopped;
//   poll   the input poll running;
//   bare   the input poll stopped and a bare 10 ms timer with an empty
//          handler running instead: what any 10 ms timer of the program's
//          thread costs on this platform before it does anything.
// Each kind gets 60 seconds in all; at every phase boundary the process's CPU
// time is taken. It prints each kind's CPU time as a share of one core, the
// ratio poll against off, and what the poll adds: in all, for the timer
// alone (bare against off), and for its own work (poll against bare), each
// as the median of the rounds with the middle half of the rounds beside it.
// The engine tick's scan of the windows costs far more than the poll and
// varies with the machine's load; the short alternating phases keep that
// variation out of the differences as far as they can.
//
// Last, it times the poll's own work directly: one poll tick called 20000
// times in a row, its thread's CPU time per call.
// Absolute shares vary with the machine and its load; compare in one run.
//
// Runs under Wine beside winhelper.exe and PTSH120.dll: scripts/bench.
#include <windows.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "bench/helper_windows.h"
#include "bench/timing.h"
#include "engine/input_poll.h"
#include "engine/main_form.h"
#include "engine/startup.h"
#include "framework/application.h"
#include "framework/timer.h"

namespace {

constexpr int kDefaultWindows = 500;
constexpr int kProcesses = 5;
constexpr double kWarmUpSeconds = 10;   // the first scans of the windows
constexpr double kPhaseSeconds = 1;
constexpr int kRounds = 60;             // 60 x 1 s of each kind
constexpr int kDirectTicks = 20000;
constexpr char kClass[] = "TessPollBenchWindow";

enum Kind { kOff, kPoll, kBare, kKinds };
constexpr const char* kKindNames[kKinds] = {"off", "poll", "bare"};

using bench::Now;
using bench::ProcessCpuSeconds;
using bench::Seconds;

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

// The median and the quartiles of some values.
struct Spread {
    double median, low, high;
};
Spread SpreadOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.25), at(0.75)};
}

// Drives the phases from inside the program's message loop.
class Phases {
public:
    void Tick() {
        const double now = Now();
        if (phase_ < 0 && start_ == 0) {
            start_ = now;
            return;
        }
        if (now - start_ < (phase_ < 0 ? kWarmUpSeconds : kPhaseSeconds)) return;
        const double cpu = ProcessCpuSeconds();
        if (phase_ >= 0) {
            const Kind kind = KindOf(phase_);
            cpu_[kind] += cpu - startCpu_;
            wall_[kind] += now - start_;
            rounds_[static_cast<size_t>(phase_ / kKinds)][kind] = (cpu - startCpu_) / (now - start_);
        }
        ++phase_;
        start_ = now;
        startCpu_ = cpu;
        if (phase_ == kRounds * kKinds) {
            TimeOneTick();
            framework::App().Terminate();
            return;
        }
        const Kind kind = KindOf(phase_);
        if (engine::frmPTessarel) engine::frmPTessarel->EnableInputPoll(kind == kPoll);
        bare_.SetEnabled(kind == kBare);
    }

    void Report(int windows) const {
        for (int k = 0; k < kKinds; ++k)
            if (wall_[k] <= 0 || cpu_[k] <= 0) {
                std::printf("the phases did not complete: no figures\n");
                return;
            }
        std::array<double, kKinds> share{};
        for (int k = 0; k < kKinds; ++k) share[k] = cpu_[k] / wall_[k];
        std::printf("%d windows, idle, %.0f s of each kind (the program's CPU time as %% of one core)\n", windows,
                    wall_[kOff]);
        for (int k = 0; k < kKinds; ++k)
            std::printf("  %-5s %6.2f %%  (%.2f s)\n", kKindNames[k], 100 * share[k], cpu_[k]);
        std::printf("  ratio poll / off         %6.3f\n", share[kPoll] / share[kOff]);
        auto line = [this](const char* what, Kind a, Kind b) {
            std::vector<double> d;
            for (const auto& r : rounds_) d.push_back(100 * (r[a] - r[b]));
            const Spread m = SpreadOf(d);
            std::printf("  %-24s %6.2f %% of one core  (rounds: median %.2f, middle half %.2f to %.2f)\n", what,
                        100 * (cpu_[a] / wall_[a] - cpu_[b] / wall_[b]), m.median, m.low, m.high);
        };
        line("the poll adds", kPoll, kOff);
        line("  a bare 10 ms timer", kBare, kOff);
        line("  the poll's own work", kPoll, kBare);
        std::printf("  one poll tick on its own: %.1f us of CPU, %.2f %% of one core at 100 ticks a second\n",
                    1e6 * tickSeconds_, 100 * tickSeconds_ * 1000 / engine::kPollIntervalMs);
        std::fflush(stdout);
    }

private:
    // Round r takes the kinds in the order r, r + 1, r + 2 (mod 3).
    static Kind KindOf(int phase) { return static_cast<Kind>((phase / kKinds + phase % kKinds) % kKinds); }

    // The poll's work without its timer: ticks called in a row, the poll
    // itself stopped.
    void TimeOneTick() {
        auto* form = engine::frmPTessarel;
        if (!form) return;
        form->EnableInputPoll(false);
        const double before = ThreadCpuSeconds();
        for (int i = 0; i < kDirectTicks; ++i) form->tGestureTimer();
        tickSeconds_ = (ThreadCpuSeconds() - before) / kDirectTicks;
    }

    int phase_ = -1;   // warm-up
    double tickSeconds_ = 0;
    std::array<std::array<double, kKinds>, kRounds> rounds_{};
    double start_ = 0, startCpu_ = 0;
    std::array<double, kKinds> cpu_{}, wall_{};
    framework::Timer bare_{engine::kPollIntervalMs, [] {}, false};
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
    bench::ResetProgramSettings();
    bench::HelperWindows helpers = bench::OpenHelperWindows(windows, kProcesses, kClass);
    if (helpers.windows.size() != static_cast<size_t>(windows)) return 1;

    Phases phases;
    framework::Timer driver(100, [&phases] { phases.Tick(); });
    engine::RunProgram();
    phases.Report(windows);
    return 0;
}
