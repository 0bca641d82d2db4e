// What a window scan costs: the toolbox's top-level walk with a class-name
// read per window, against a bare EnumWindows over the same windows in the
// same run. Machines differ by an order of magnitude, so only the ratios
// mean something.
//   bench_enum_windows [windows to add, default 500] [rounds, default 21]
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>
#include "engine/gtools.h"
#include "framework/guard.h"
#include "framework/owned.h"

namespace {

constexpr int kDefaultWindows = 500;
constexpr int kDefaultRounds = 21;
constexpr char kBenchClass[] = "TessBenchWindow";

std::vector<framework::Window> CreateWindows(int n) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kBenchClass;
    ::RegisterClassA(&wc);
    std::vector<framework::Window> windows;
    windows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        windows.emplace_back(::CreateWindowExA(WS_EX_TOOLWINDOW, kBenchClass, "bench", WS_POPUP, 0, 0, 10, 10, nullptr,
                                               nullptr, wc.hInstance, nullptr));
    return windows;
}

double Seconds(const std::function<void()>& body) {
    LARGE_INTEGER f, a, b;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&a);
    body();
    ::QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

int BareEnumWindows() {
    int n = 0;
    ::EnumWindows([](HWND, LPARAM l) -> BOOL {
        return framework::Guard(FALSE, [&] {
            ++*reinterpret_cast<int*>(l);
            return TRUE;
        });
    }, reinterpret_cast<LPARAM>(&n));
    return n;
}

int WalkOnly() {
    int n = 0;
    engine::ForEachTopWindow([&](HWND) { ++n; });
    return n;
}

int WalkWithClassNames() {
    int n = 0;
    engine::ForEachTopWindow([&](HWND w) {
        char cls[256];
        if (::GetClassNameA(w, cls, sizeof cls) > 0) ++n;
    });
    return n;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int extra = argc > 1 ? std::max(0, std::atoi(argv[1])) : kDefaultWindows;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRounds;
    auto windows = CreateWindows(extra);

    std::vector<double> bare, walk, named;
    int count = 0;
    for (int r = 0; r < rounds; ++r) {
        // Interleaved, so that a slow moment of the machine hits all three.
        bare.push_back(Seconds([&] { count = BareEnumWindows(); }));
        walk.push_back(Seconds([&] { WalkOnly(); }));
        named.push_back(Seconds([&] { WalkWithClassNames(); }));
    }
    const double b = Median(bare), w = Median(walk), n = Median(named);
    const double perWindow = count > 0 ? 1e6 / count : 0.0;
    std::printf("top-level windows: %d (%d added), rounds: %d, medians\n", count, extra, rounds);
    std::printf("  EnumWindows                      %9.3f ms  %7.3f us/window  ratio 1.00\n", b * 1e3, b * perWindow);
    std::printf("  ForEachTopWindow                 %9.3f ms  %7.3f us/window  ratio %.2f\n", w * 1e3, w * perWindow,
                b > 0 ? w / b : 0.0);
    std::printf("  ForEachTopWindow + GetClassName  %9.3f ms  %7.3f us/window  ratio %.2f\n", n * 1e3, n * perWindow,
                b > 0 ? n / b : 0.0);
    return 0;
}
