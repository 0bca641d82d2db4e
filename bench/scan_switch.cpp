// Benchmark: what the engine costs over the platform work it cannot avoid.
//
// With 50, 200 and 500 windows of helper processes spread over four desktops
// it times, in this process and in pairs of runs taken one after the other:
//   scan    the engine's scan pass (TfrmPTessarel::ScanWindows) against a bare
//           enumeration that asks each window's class, process and visibility;
//   switch  the engine's hide and show step of a switch (HideForeignWindows,
//           ShowDesktopWindows, after the desktop changed as a switch does)
//           against a bare loop hiding the windows of the desktop left and
//           showing those of the desktop entered;
//   tick    the engine tick that carries out a requested switch (scan, switch
//           and the rest of the tick) against a bare enumeration plus the bare
//           hide and show loop.
// It prints the medians of the times and of the pairs' ratios. Absolute times
// vary tenfold between machines; the ratios are what to compare.
//
// Runs under Wine beside winhelper.exe: scripts/bench.
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "bench/helper_windows.h"
#include "bench/timing.h"
#include "engine/main_form.h"

namespace {

using bench::Median;
using bench::Milliseconds;

constexpr int kDesktops = 4;
constexpr int kProcesses = 5;
constexpr int kScanRuns = 15;
constexpr int kSwitchRuns = 9;    // a switch of 500 windows takes seconds under Wine
constexpr int kWindowCounts[] = {50, 200, 500};
constexpr char kClass[] = "TessBenchWindow";

struct BenchWindow {
    HWND wnd;
    int desktop;
};

using bench::BareEnumerationPass;

void BareSwitch(const std::vector<BenchWindow>& windows, int from, int to) {
    for (const auto& b : windows)
        if (b.desktop == from) ::ShowWindow(b.wnd, SW_HIDE);
    for (const auto& b : windows)
        if (b.desktop == to) ::ShowWindow(b.wnd, SW_SHOWNA);
}

int NextDesktop(int d) { return d % kDesktops + 1; }

struct Figures {
    double engine;
    double bare;
    double ratio;
};

Figures Summarise(const std::vector<double>& engine, const std::vector<double>& bare) {
    std::vector<double> ratios;
    for (size_t i = 0; i < engine.size(); ++i) ratios.push_back(bare[i] > 0 ? engine[i] / bare[i] : 0);
    return {Median(engine), Median(bare), Median(ratios)};
}

class Bench {
public:
    explicit Bench(int count) : count_(count) {}

    bool Prepare() {
        bench::HelperWindows opened = bench::OpenHelperWindows(count_, kProcesses, kClass);
        helpers_ = std::move(opened.processes);
        pids_ = std::move(opened.pids);
        const std::vector<HWND>& found = opened.windows;
        if (found.size() != static_cast<size_t>(count_)) return false;
        std::set<DWORD> seen;
        for (size_t i = 0; i < found.size(); ++i) {
            windows_.push_back({found[i], static_cast<int>(i % kDesktops) + 1});
            DWORD pid = 0;
            ::GetWindowThreadProcessId(found[i], &pid);
            if (seen.insert(pid).second) firstOfEachProcess_.push_back(found[i]);
        }

        engine::frmPTessarel = &form_;
        form_.FGridCols = 1;
        form_.FGridRows = kDesktops;
        form_.FStickyList = std::make_unique<engine::TRegStringList>();
        ++form_.FScanCounter;
        form_.ScanWindows();
        // Spread over the desktops as if the user had sent them there.
        for (const auto& b : windows_) {
            int idx = form_.FindWindowRecord(b.wnd);
            if (idx < 0) {
                std::fprintf(stderr, "a helper window has no record\n");
                return false;
            }
            form_.FWindowTable[static_cast<size_t>(idx)].Desktop = static_cast<int8_t>(b.desktop);
        }
        form_.HideForeignWindows();
        ++form_.FScanCounter;
        form_.ScanWindows();
        return true;
    }

    ~Bench() { engine::frmPTessarel = nullptr; }

    void SetEngineDesktop(int d) { form_.FCurrentDesktop = form_.FRequestedDesktop = d; }

    // Each run carries out the same switch twice, one desktop on: once by the
    // engine, once by the bare loop, with the screen put back in between;
    // which goes first alternates.
    using Step = std::function<void(int from, int to)>;
    Figures Pairs(const Step& engineStep, const Step& bareStep) {
        std::vector<double> engine, bare;
        for (int run = 0; run <= kSwitchRuns; ++run) {
            const int from = form_.FCurrentDesktop, to = NextDesktop(from);
            double e = 0, b = 0;
            auto byEngine = [&] {
                e = Milliseconds([&] { engineStep(from, to); });
                SetEngineDesktop(to);
                Settle();
            };
            auto byBareLoop = [&] {
                b = Milliseconds([&] { bareStep(from, to); });
                SetEngineDesktop(to);
                Settle();
            };
            auto putBack = [&] {
                BareSwitch(windows_, to, from);
                SetEngineDesktop(from);
                Settle();
            };
            if (run % 2 == 0) {
                byEngine();
                putBack();
                byBareLoop();
            } else {
                byBareLoop();
                putBack();
                byEngine();
            }
            if (run == 0) continue;   // warm-up
            engine.push_back(e);
            bare.push_back(b);
        }
        return Summarise(engine, bare);
    }

    // Every helper has dealt with what the last step sent it, so that no
    // step pays for the one before. No message of this process is dispatched
    // here: the engine's own tick timer, started by its first switch, would
    // run in between.
    void Settle() {
        ::Sleep(100);
        for (const auto& b : firstOfEachProcess_) {
            DWORD_PTR r = 0;
            ::SendMessageTimeoutA(b, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
        }
    }

    Figures Scan() {
        std::vector<double> engine, bare;
        for (int run = 0; run <= kScanRuns; ++run) {
            const double e = Milliseconds([&] {
                ++form_.FScanCounter;
                form_.ScanWindows();
            });
            Settle();
            const double b = Milliseconds(BareEnumerationPass);
            Settle();
            if (run == 0) continue;   // warm-up
            engine.push_back(e);
            bare.push_back(b);
        }
        return Summarise(engine, bare);
    }

    Figures Switch() {
        return Pairs([this](int from, int to) {
            form_.FPreviousDesktop = from;
            SetEngineDesktop(to);
            form_.HideForeignWindows();
            form_.ShowDesktopWindows();
        }, [this](int from, int to) { BareSwitch(windows_, from, to); });
    }

    Figures Tick() {
        return Pairs([this](int, int to) {
            form_.RequestDesktop(to);
            form_.tScanTimer();
        }, [this](int from, int to) {
            BareEnumerationPass();
            BareSwitch(windows_, from, to);
        });
    }

    // Visible windows of other programs that the engine manages beside the
    // helpers' (it would hide them too).
    size_t OtherManagedWindows() const {
        size_t n = 0;
        for (const auto& r : form_.FWindowTable)
            if (!pids_.count(r.ProcessId) && r.ScanStamp == form_.FScanCounter && ::IsWindowVisible(r.Handle())) ++n;
        return n;
    }

    // The screen agrees with the engine: only the current desktop's windows show.
    bool ScreenMatches() const {
        for (const auto& b : windows_)
            if ((::IsWindowVisible(b.wnd) != FALSE) != (b.desktop == form_.FCurrentDesktop)) return false;
        return true;
    }

private:
    int count_;
    std::vector<std::unique_ptr<bench::HelperProcess>> helpers_;
    std::set<DWORD> pids_;
    std::vector<BenchWindow> windows_;
    std::vector<HWND> firstOfEachProcess_;
    engine::TfrmPTessarel form_;
};

void PrintRow(const char* what, const Figures& f) {
    std::printf("  %-7s engine %9.3f ms   bare %9.3f ms   ratio %6.2f\n", what, f.engine, f.bare, f.ratio);
}

}  // namespace

// Window counts may be given on the command line; 50, 200 and 500 else.
int main(int argc, char** argv) {
    std::vector<int> counts(std::begin(kWindowCounts), std::end(kWindowCounts));
    if (argc > 1) {
        counts.clear();
        for (int i = 1; i < argc; ++i)
            if (int n = std::atoi(argv[i]); n >= kProcesses) counts.push_back(n);
    }
    std::printf("Engine against bare platform work: medians of %d scan and %d switch runs; %d helper processes, "
                "%d desktops\n",
                kScanRuns, kSwitchRuns, kProcesses, kDesktops);
    int rc = 0;
    for (int count : counts) {
        Bench bench(count);
        if (!bench.Prepare()) return 1;
        const Figures scan = bench.Scan();
        const Figures sw = bench.Switch();
        const Figures tick = bench.Tick();
        std::printf("%d windows (%zu other visible managed windows)\n", count, bench.OtherManagedWindows());
        PrintRow("scan", scan);
        PrintRow("switch", sw);
        PrintRow("tick", tick);
        if (!bench.ScreenMatches()) {
            std::printf("  the screen no longer matches the engine's desktops: figures unsound\n");
            rc = 1;
        }
        std::fflush(stdout);
    }
    return rc;
}
