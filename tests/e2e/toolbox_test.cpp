// The toolbox against windows of other programs: Z-order walks, closing,
// taking the foreground (also from a program that hangs) and exe paths.
#include <gtest/gtest.h>
#include <algorithm>
#include <thread>
#include "engine/gtools.h"
#include "framework/owned.h"
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr long kNormalExit = 3;   // the helpers' exit code when they end by themselves
const std::string kNormalExitArg = "--exit-code " + std::to_string(kNormalExit);

DWORD ElapsedSince(DWORD start) { return ::GetTickCount() - start; }

// The order in which the walk meets the given windows.
std::vector<HWND> VisitOrder(const std::vector<HWND>& wanted, bool topDown, HWND* first = nullptr) {
    std::vector<HWND> order;
    bool any = false;
    engine::ForEachTopWindowZOrder([&](HWND w) {
        if (!any && first) *first = w;
        any = true;
        if (std::find(wanted.begin(), wanted.end(), w) != wanted.end()) order.push_back(w);
    }, topDown);
    return order;
}

// The same as VisitOrder, read by following the system's own next/previous
// window links; `end` is the window the walk must begin with.
std::vector<HWND> SystemZOrder(const std::vector<HWND>& wanted, bool topDown, HWND* end) {
    HWND top = ::GetTopWindow(nullptr);
    HWND w = topDown ? top : ::GetWindow(top, GW_HWNDLAST);
    *end = w;
    std::vector<HWND> order;
    for (; w; w = ::GetWindow(w, topDown ? GW_HWNDNEXT : GW_HWNDPREV))
        if (std::find(wanted.begin(), wanted.end(), w) != wanted.end()) order.push_back(w);
    return order;
}

void PlaceOnTop(HWND w) { ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

HWND FocusOfThreadOf(HWND w) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// Ends a process when a call under test does not come back in time, so that
// a blocking call fails the test instead of stalling the run.
class Watchdog {
public:
    Watchdog(HANDLE process, DWORD ms) : done_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, process, ms] {
            if (::WaitForSingleObject(done_.get(), ms) == WAIT_TIMEOUT) {
                fired_ = true;
                ::TerminateProcess(process, 1);
            }
        });
    }
    ~Watchdog() { Stop(); }
    void Stop() {
        if (!thread_.joinable()) return;
        ::SetEvent(done_.get());
        thread_.join();
    }
    bool Fired() const { return fired_; }
private:
    framework::Handle done_;
    std::thread thread_;
    bool fired_ = false;
};

}  // namespace

TEST(Toolbox, ZOrderWalkRunsDownOrUpTheWholeList) {
    Helper h({.cls = "TessZOrderWindow", .title = "z", .count = 3});
    ASSERT_EQ(h.Windows().size(), 3u);
    // Top to bottom: window 0, window 1, window 2.
    for (int i = 2; i >= 0; --i) PlaceOnTop(h.Window(static_cast<size_t>(i)));
    ASSERT_TRUE(WaitUntil([&] { return VisitOrder(h.Windows(), true) == h.Windows(); }));

    // On a loaded machine a helper's own late activation may still restack
    // its windows, so each walk is checked against the order read by the
    // system's own calls just before and after it, and taken again while the
    // order moved meanwhile.
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top down" : "bottom up");
        std::vector<HWND> expected, walked;
        HWND first = nullptr, end = nullptr;
        ASSERT_TRUE(TryUntil([&] {
            HWND endBefore = nullptr;
            const auto before = SystemZOrder(h.Windows(), topDown, &endBefore);
            walked = VisitOrder(h.Windows(), topDown, &first);
            expected = SystemZOrder(h.Windows(), topDown, &end);
            return before == expected && endBefore == end;
        }, 10000)) << "the windows never held still for one walk";
        EXPECT_EQ(walked, expected);
        EXPECT_EQ(expected.size(), 3u);
        EXPECT_EQ(first, end) << "the walk starts at the " << (topDown ? "top" : "bottom") << " window";
    }
    h.Quit();
}

TEST(Toolbox, CloseOrKillWindowLeavesAWindowThatClosesAlone) {
    Helper h({.title = "closes", .extra = kNormalExitArg});
    ASSERT_EQ(h.Windows().size(), 1u);
    DWORD start = ::GetTickCount();
    engine::CloseOrKillWindow(h.Window());
    // Short of the 5 s after which it would kill: it went on as soon as the window went.
    EXPECT_LT(ElapsedSince(start), 5000u);
    EXPECT_EQ(h.Process().Wait(5000), kNormalExit) << "the helper was ended instead of closing";
}

TEST(Toolbox, CloseOrKillWindowEndsTheProcessOfAHungWindow) {
    Helper h({.title = "hangs", .extra = kNormalExitArg});
    ASSERT_EQ(h.Windows().size(), 1u);
    h.Hang();
    DWORD start = ::GetTickCount();
    engine::CloseOrKillWindow(h.Window());
    DWORD took = ElapsedSince(start);
    // Its close waits 5 s at most, the probe after it 1 s, then it kills:
    // bounded, whatever the load.
    EXPECT_LT(took, 6000u + static_cast<DWORD>(Patience(2000)));
    long code = h.Process().Wait(3000);
    EXPECT_EQ(code, 0) << "ended by the kill with exit code 0";
    EXPECT_FALSE(::IsWindow(h.Window()));
}

// A program that asks "Save changes?" when it is closed still reads its
// messages: ending it would throw the user's work away.
TEST(Toolbox, CloseOrKillWindowLeavesAProgramThatAsksTheUser) {
    Helper h({.title = "asks", .extra = "--ask-on-close " + kNormalExitArg});
    ASSERT_EQ(h.Windows().size(), 1u);
    engine::CloseOrKillWindow(h.Window());
    EXPECT_TRUE(h.Process().Running()) << "the program was ended while it asked its question";
    EXPECT_TRUE(::IsWindow(h.Window()));
    EXPECT_TRUE(::FindWindowA(nullptr, "helper question")) << "its question is still up for the user";
}

TEST(Toolbox, CloseOrKillWindowNeverEndsThisProgram) {
    // A window of our own that declines to close.
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CLOSE ? 0 : ::DefWindowProcA(w, m, wp, lp);
    };
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TessStubbornWindow";
    ::RegisterClassA(&wc);
    framework::Window own(::CreateWindowExA(0, wc.lpszClassName, "stubborn", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                            nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(own);
    DWORD start = ::GetTickCount();
    engine::CloseOrKillWindow(own.get());
    EXPECT_LT(ElapsedSince(start), static_cast<DWORD>(Patience(1000)));
    EXPECT_TRUE(::IsWindow(own.get()));
}

TEST(Toolbox, ForceForegroundWindowRestoresAndFocusesAWindow) {
    Helper other({.cls = "TessOtherWindow", .title = "other"});
    Helper h({.cls = "TessForegroundWindow", .title = "target"});
    ASSERT_EQ(h.Windows().size(), 1u);
    HWND w = h.Window();
    engine::ForceForegroundWindow(other.Window());
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other.Window(); }, 2000));
    ::ShowWindow(w, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(w) != FALSE; }, 2000));

    DWORD start = ::GetTickCount();
    engine::ForceForegroundWindow(w);
    EXPECT_LT(ElapsedSince(start), static_cast<DWORD>(Patience(1000)));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == w; }, 2000));
    EXPECT_FALSE(::IsIconic(w));
    EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(w) == w; }, 2000));
    other.Quit();
    h.Quit();
}

TEST(Toolbox, ForceForegroundWindowReturnsPromptlyWhenTheForegroundWindowHangs) {
    Helper hung({.cls = "TessHungWindow", .title = "hung"});
    Helper h({.cls = "TessForegroundWindow", .title = "target"});
    ASSERT_EQ(hung.Windows().size(), 1u);
    ASSERT_EQ(h.Windows().size(), 1u);
    HWND f = hung.Window(), w = h.Window();
    engine::ForceForegroundWindow(f);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == f; }, 2000));
    hung.Hang();
    DWORD_PTR r = 0;
    ASSERT_TRUE(WaitUntil([&] { return !::SendMessageTimeoutA(f, WM_NULL, 0, 0, SMTO_NORMAL, 50, &r); }, 2000));

    Watchdog watchdog(hung.Process().Handle(), static_cast<DWORD>(Patience(2000)));
    DWORD start = ::GetTickCount();
    engine::ForceForegroundWindow(w);
    DWORD took = ElapsedSince(start);
    watchdog.Stop();
    ASSERT_FALSE(watchdog.Fired()) << "the call waited for the hanging window";
    EXPECT_LT(took, static_cast<DWORD>(Patience(1000)));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == w; }, 2000));
    hung.Process().Kill();
    h.Quit();
}

TEST(Toolbox, FocusCallsReturnPromptlyOnAHangingTarget) {
    Helper hung({.cls = "TessHungWindow", .title = "hung target"});
    ASSERT_EQ(hung.Windows().size(), 1u);
    hung.Hang();
    DWORD_PTR r = 0;
    ASSERT_TRUE(WaitUntil([&] { return !::SendMessageTimeoutA(hung.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 50, &r); }, 2000));
    Watchdog watchdog(hung.Process().Handle(), static_cast<DWORD>(Patience(2000)));
    for (auto call : {&engine::ForceForegroundWindow, &engine::ForceShowWindow}) {
        DWORD start = ::GetTickCount();
        call(hung.Window());
        EXPECT_LT(ElapsedSince(start), static_cast<DWORD>(Patience(1000)));
    }
    watchdog.Stop();
    EXPECT_FALSE(watchdog.Fired()) << "a call waited for the hanging window";
    hung.Process().Kill();
}

TEST(Toolbox, ForceShowWindowShowsAHiddenWindowOnTop) {
    Helper other({.cls = "TessOtherWindow", .title = "other"});
    Helper h({.cls = "TessShownWindow", .title = "shown", .hidden = true});
    ASSERT_EQ(h.Windows().size(), 1u);
    HWND w = h.Window();
    ASSERT_FALSE(IsShown(w));
    PlaceOnTop(other.Window());
    engine::ForceShowWindow(w);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(w); }, 2000));
    EXPECT_EQ(VisitOrder({w, other.Window()}, true), (std::vector<HWND>{w, other.Window()}));
    other.Quit();
    h.Quit();
}

TEST(Toolbox, WindowExePathIsTheLongPathOfTheWindowsProgram) {
    Helper h({.title = "named", .exeName = "FIREFOX.EXE"});
    ASSERT_EQ(h.Windows().size(), 1u);
    std::string path = engine::WindowExePath(h.Window());
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_TRUE(path.ends_with("\\FIREFOX.EXE")) << path;
    EXPECT_EQ(engine::ProcessExePath(h.Pid()), path);
    h.Quit();
    EXPECT_EQ(engine::WindowExePath(h.Window()), "");
}
