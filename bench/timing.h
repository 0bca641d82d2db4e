#pragma once
// What the benchmarks share: timing one call, and the median of the runs.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

inline double Milliseconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench
