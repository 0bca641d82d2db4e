// Benchmark: what a change of a per-desktop set costs over the moves it
// cannot avoid.
//
// A folder of 200 files (the set of desktop 1) is swapped out by the set
// swapper (TSetSwapper::Switch(2): root -> parking folder -> desktop 1's
// folder, with its records written) and, in the same run, by a bare loop of
// MoveFileExW over the same files along the same two hops. The pairs run
// one after the other; the files are brought back untimed between runs. It
// prints the medians of the times and of the pairs' ratios.
//
// Runs under Wine in a folder of its own below the temporary folder:
// scripts/bench.
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include "bench/timing.h"
#include "shell/set_swapper.h"

namespace {

using bench::Median;
using bench::Milliseconds;

constexpr int kFiles = 200;
constexpr int kRuns = 9;
const shell::TSetKind kBenchKind{"bench icons", "bench folder", "Bench.cfg", "Bench.move", "BenchSwapper\\"};

std::wstring FileName(int i) { return L"document " + std::to_wstring(i) + L".txt"; }

void MakeFiles(const std::wstring& folder) {
    const std::string text(1024, 'x');
    for (int i = 0; i < kFiles; ++i) {
        HANDLE f = ::CreateFileW((folder + FileName(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(f);
    }
}

bool MoveAll(const std::wstring& from, const std::wstring& to) {
    bool ok = true;
    for (int i = 0; i < kFiles; ++i)
        ok = ::MoveFileExW((from + FileName(i)).c_str(), (to + FileName(i)).c_str(), 0) && ok;
    return ok;
}

int CountFiles(const std::wstring& folder) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do n += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return n;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"tessarel-bench-sets-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    const std::wstring root = base + L"Desktop\\", data = base + L"Data\\";
    const std::wstring bareParking = base + L"Bare0\\", bareSet = base + L"Bare1\\";
    for (const std::wstring& f : {base, root, data, bareParking, bareSet}) ::CreateDirectoryW(f.c_str(), nullptr);
    MakeFiles(root);

    int failures = 0;
    shell::TSetSwapper swapper(kBenchKind, root, data, [&](const std::string& text, bool) {
        std::printf("log: %s\n", text.c_str());
        ++failures;
    });
    swapper.Start();
    if (!swapper.Active()) return 1;
    const std::wstring setOne = swapper.FolderPath(1);

    std::vector<double> swaps, bares, ratios;
    for (int run = 0; run < kRuns; ++run) {
        const double swap = Milliseconds([&] { swapper.Switch(2); });
        bool ok = CountFiles(setOne) == kFiles && CountFiles(root) == 0;
        swapper.Switch(1);
        ok = ok && CountFiles(root) == kFiles;
        const double bare = Milliseconds([&] { ok = MoveAll(root, bareParking) && MoveAll(bareParking, bareSet) && ok; });
        ok = ok && MoveAll(bareSet, root);
        if (!ok || failures) {
            std::printf("run %d: the files did not all move\n", run);
            return 1;
        }
        swaps.push_back(swap);
        bares.push_back(bare);
        ratios.push_back(swap / bare);
    }
    std::printf("set of %d files, two hops each, %d pairs of runs\n", kFiles, kRuns);
    std::printf("  switch %.1f ms, bare MoveFileExW loop %.1f ms, ratio %.2f (median of the pairs)\n", Median(swaps),
                Median(bares), Median(ratios));

    for (int i = 0; i < kFiles; ++i) ::DeleteFileW((root + FileName(i)).c_str());
    for (const wchar_t* f : {L"Bench.cfg"}) ::DeleteFileW((data + f).c_str());
    for (int n = 0; n <= 9; ++n) ::RemoveDirectoryW(swapper.FolderPath(n).c_str());
    for (const std::wstring& f : {data + L"BenchSwapper", data, root, bareParking, bareSet, base})
        ::RemoveDirectoryW(f.c_str());
    return 0;
}
