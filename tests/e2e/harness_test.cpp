// The harness itself: a window of another process is hidden and shown from
// here, and the probe sees it so.
#include <gtest/gtest.h>
#include <cstdio>
#include "support/e2e.h"

using namespace e2e;

static std::string ProbeLineOf(HWND w) {
    std::string out = TempDir() + "probe.txt";
    std::string cmd = "/c \"\"" + BinDir() + "winprobe.exe\" --class TessHarnessWindow > \"" + out + "\"\"";
    RunAndWait("C:\\windows\\system32\\cmd.exe", cmd);
    FILE* f = std::fopen(out.c_str(), "rb");
    if (!f) return {};
    char line[1024];
    std::string found;
    char key[32];
    std::snprintf(key, sizeof key, "%llx\t", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)));
    while (std::fgets(line, sizeof line, f))
        if (std::string(line).rfind(key, 0) == 0) found = line;
    std::fclose(f);
    return found;
}

TEST(Harness, WindowOfAnotherProcessIsHiddenAndShownAgain) {
    Helper h({.cls = "TessHarnessWindow", .title = "harness window"});
    ASSERT_EQ(h.Windows().size(), 1u);
    HWND w = h.Window();
    EXPECT_TRUE(IsShown(w));
    EXPECT_NE(ProbeLineOf(w).find("\t1\tTessHarnessWindow\tharness window"), std::string::npos);

    ::ShowWindow(w, SW_HIDE);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(w); }, 2000));
    EXPECT_NE(ProbeLineOf(w).find("\t0\tTessHarnessWindow"), std::string::npos);

    ::ShowWindow(w, SW_SHOWNA);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(w); }, 2000));
    EXPECT_NE(ProbeLineOf(w).find("\t1\tTessHarnessWindow"), std::string::npos);
    h.Quit();
}

TEST(Harness, HelperRunsUnderTheFileNameItIsGiven) {
    Helper h({.cls = "TessHarnessWindow", .title = "named", .exeName = "FIREFOX.EXE"});
    ASSERT_EQ(h.Windows().size(), 1u);
    HANDLE p = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, h.Pid());
    ASSERT_NE(p, nullptr);
    char path[MAX_PATH] = {};
    DWORD len = MAX_PATH;
    ASSERT_TRUE(::QueryFullProcessImageNameA(p, 0, path, &len));
    ::CloseHandle(p);
    EXPECT_NE(std::string(path).find("\\FIREFOX.EXE"), std::string::npos) << path;
    h.Quit();
}

TEST(Harness, ProgramStartsAndEndsCleanly) {
    Tessarel t;
    ASSERT_NE(t.MainWindow(), nullptr);
    ::PostMessageA(t.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(t.Process().Wait(10000), 0);
}
