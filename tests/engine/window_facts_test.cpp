// The facts the scan keeps per window handle and per process, and what the
// scan does when the system hands a handle to a new window.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "engine/main_form.h"
#include "engine/window_facts.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/fake_settings.h"

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

namespace {

// The engine as the window-rule tests set it up: a 2 x 2 grid, desktop 1
// current, settings from the fake.
class HandleReuseTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings::SetLiveSource(&settings_);
        engine::frmPTessarel = &form_;
        form_.FGridCols = 2;
        form_.FGridRows = 2;
        form_.FCurrentDesktop = form_.FRequestedDesktop = 1;
        form_.FStickyList = std::make_unique<engine::TRegStringList>();
        if (!navigation::frmLog) {
            framework::App().CreateForm(navigation::frmLog);
            ownLog_ = true;
        }
    }
    void TearDown() override {
        if (ownLog_ && navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        engine::frmPTessarel = nullptr;
        settings::SetLiveSource(nullptr);
    }
    void Scan(const std::vector<HWND>& handles) {
        ++form_.FScanCounter;
        form_.ScanWindows(handles, true);
    }
    int Records(HWND w) const {
        int n = 0;
        for (const auto& r : form_.FWindowTable) n += r.Handle() == w;
        return n;
    }
    const engine::TWindowRecord* RecordOf(HWND w) {
        const int i = form_.FindWindowRecord(w);
        return i < 0 ? nullptr : &form_.FWindowTable[static_cast<size_t>(i)];
    }

    bool ownLog_ = false;
    e2e::FakeSettings settings_;
    engine::TfrmPTessarel form_;
};

}  // namespace

// The handle of a window the user sent to desktop 3 comes back for a new
// window: of another process (the record's process differs), or of the same
// process after a scan found the handle gone. The new window is placed by the
// rules as any new window, never on the old record's desktop.
TEST_F(HandleReuseTest, ANewWindowNeverInheritsTheDesktopOfTheHandlesLastWindow) {
    e2e::Helper h({.cls = "TessHandleReuse", .title = "handle reuse"});
    ASSERT_EQ(h.Windows().size(), 1u);
    const HWND w = h.Window();
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(w); }));

    struct Case {
        const char* what;
        bool otherProcess;   // else: gone for one scan
    } cases[] = {{"another process", true}, {"the same process, after the handle was gone", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form_.FWindowTable.clear();
        Scan({w});
        ASSERT_NE(RecordOf(w), nullptr);
        ASSERT_EQ(RecordOf(w)->Desktop, 1);
        // The old window lived on desktop 3, hidden there.
        const int i = form_.FindWindowRecord(w);
        form_.FWindowTable[static_cast<size_t>(i)].Desktop = 3;
        form_.FWindowTable[static_cast<size_t>(i)].Visible = 0;
        form_.FWindowTable[static_cast<size_t>(i)].Shown = 0;
        if (c.otherProcess)
            form_.FWindowTable[static_cast<size_t>(i)].ProcessId = h.Pid() + 4;
        else
            Scan({});   // the handle was not met: its window is gone

        Scan({w});
        ASSERT_NE(RecordOf(w), nullptr);
        EXPECT_EQ(RecordOf(w)->Desktop, 1);
        EXPECT_EQ(RecordOf(w)->ProcessId, h.Pid());
        EXPECT_EQ(Records(w), 1);
        EXPECT_TRUE(e2e::IsShown(w));
    }
    // A handle still met keeps its record from scan to scan.
    const int before = form_.FindWindowRecord(w);
    form_.FWindowTable[static_cast<size_t>(before)].Desktop = 3;
    Scan({w});
    EXPECT_EQ(form_.FindWindowRecord(w), before);
    EXPECT_EQ(RecordOf(w)->Desktop, 3);
}

// The class-name buffer the rules read is the scanned window's, also when
// its facts come from the cache.
TEST_F(HandleReuseTest, ClassNameBufferFollowsTheWindowBeingAsked) {
    e2e::Helper a({.cls = "TessBufferA", .title = "buffer a"});
    e2e::Helper b({.cls = "TessBufferB", .title = "buffer b"});
    ASSERT_EQ(a.Windows().size(), 1u);
    ASSERT_EQ(b.Windows().size(), 1u);
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(form_.IsUnmanagedWindow(a.Window(), -1));
        EXPECT_EQ(form_.ClassNameBuffer(), "TessBufferA");
        EXPECT_FALSE(form_.IsUnmanagedWindow(b.Window(), -1));
        EXPECT_EQ(form_.ClassNameBuffer(), "TessBufferB");
    }
    a.Quit();
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(a.Window()); }));
    form_.IsUnmanagedWindow(a.Window(), -1);
    EXPECT_EQ(form_.ClassNameBuffer(), "");
}
