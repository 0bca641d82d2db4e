// The facts the scan keeps per window handle and per process.
#include <gtest/gtest.h>
#include <vector>
#include "engine/window_facts.h"

using engine::TProcessExeCache;
using engine::TWindowFacts;
using engine::TWindowFactsCache;
using engine::TWindowIdentity;

namespace {

HWND FakeHandle(uintptr_t n) { return reinterpret_cast<HWND>(0x10000 + n * 4); }

TWindowFacts Facts(TWindowIdentity id, const char* cls) {
    TWindowFacts f;
    f.Identity = id;
    f.ClassName = cls;
    return f;
}

}  // namespace

// What a handle's next look-up finds, after the window it named was met with
// one identity.
TEST(WindowFactsCache, KeepsFactsOnlyWhileTheHandleNamesTheSameWindow) {
    const TWindowIdentity met{100, 7};
    struct Case {
        const char* what;
        TWindowIdentity now;
        bool found;
    } cases[] = {
        {"the same window", met, true},
        {"reused by another process", {200, 9}, false},
        {"reused by another thread of the process", {100, 8}, false},
        {"a process id reused by a new process", {100, 9}, false},
        {"no window any more", {0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TWindowFactsCache cache;
        cache.Store(FakeHandle(1), Facts(met, "Editor"));
        const TWindowFacts* f = cache.Find(FakeHandle(1), c.now);
        EXPECT_EQ(f != nullptr, c.found);
        if (f) {
            EXPECT_EQ(f->ClassName, "Editor");
        }
        // A stale entry is gone: the handle's new window is read afresh.
        EXPECT_EQ(cache.Size(), c.found ? 1u : 0u);
        EXPECT_EQ(cache.Find(FakeHandle(2), met), nullptr);
    }
}

TEST(WindowFactsCache, AnEnumerationKeepsOnlyTheHandlesItMet) {
    TWindowFactsCache cache;
    cache.Store(FakeHandle(1), Facts({100, 7}, "A"));
    cache.Store(FakeHandle(2), Facts({100, 7}, "B"));
    cache.Store(FakeHandle(3), Facts({200, 9}, "C"));
    cache.KeepOnly({FakeHandle(2), FakeHandle(4)});
    EXPECT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.Find(FakeHandle(1), {100, 7}), nullptr);
    ASSERT_NE(cache.Find(FakeHandle(2), {100, 7}), nullptr);
    EXPECT_EQ(cache.ProcessIds(), (std::unordered_set<DWORD>{100}));
}

// A path stays while its process has a window; a process whose windows are
// all gone may have ended, and its id may come back for another program.
TEST(ProcessExeCache, DropsProcessesWithoutWindows) {
    TWindowFactsCache windows;
    windows.Store(FakeHandle(1), Facts({100, 7}, "A"));
    windows.Store(FakeHandle(2), Facts({200, 9}, "B"));
    TProcessExeCache paths;
    paths.Store(100, "C:\\APPS\\ONE.EXE");
    paths.Store(200, "C:\\APPS\\TWO.EXE");
    paths.Store(300, "C:\\APPS\\THREE.EXE");

    paths.KeepProcessesOf(windows);
    ASSERT_NE(paths.Find(100), nullptr);
    EXPECT_EQ(*paths.Find(100), "C:\\APPS\\ONE.EXE");
    EXPECT_NE(paths.Find(200), nullptr);
    EXPECT_EQ(paths.Find(300), nullptr);

    windows.KeepOnly({FakeHandle(2)});   // process 100's last window closed
    paths.KeepProcessesOf(windows);
    EXPECT_EQ(paths.Find(100), nullptr);
    EXPECT_EQ(paths.Size(), 1u);
}
