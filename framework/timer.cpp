#include "framework/timer.h"
#include "framework/guard.h"
#include <atomic>
#include <unordered_map>

namespace framework {
namespace {
std::unordered_map<UINT_PTR, Timer*>& Timers() {
    static std::unordered_map<UINT_PTR, Timer*> timers;
    return timers;
}

// Timers run on the thread that set them; handlers can nest (a handler that
// pumps messages). Plain atomics: a fault handler on any thread reads them.
std::atomic<DWORD> g_timerThread{0};
std::atomic<int> g_timerDepth{0};

struct InsideTimer {
    InsideTimer() noexcept {
        g_timerThread.store(::GetCurrentThreadId());
        ++g_timerDepth;
    }
    ~InsideTimer() {
        if (--g_timerDepth == 0) g_timerThread.store(0);
    }
};
}  // namespace

bool InsideTimerCallback() noexcept {
    return g_timerDepth.load() > 0 && g_timerThread.load() == ::GetCurrentThreadId();
}

Timer::Timer(UINT intervalMs, std::function<void()> onTimer, bool enabled)
    : interval_(intervalMs), onTimer_(std::move(onTimer)) {
    SetEnabled(enabled);
}

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        id_ = ::SetTimer(nullptr, 0, interval_ ? interval_ : 1, &Timer::TimerProc);
        if (id_) Timers()[id_] = this;
    } else {
        ::KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
}

void Timer::SetInterval(UINT intervalMs) {
    interval_ = intervalMs;
    if (Enabled()) {
        SetEnabled(false);
        SetEnabled(true);
    }
}

void CALLBACK Timer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    Timer* t = it->second;
    // The handler may be replaced or the timer disabled while it runs: keep
    // a copy of the handler for this call.
    auto handler = t->onTimer_;
    InsideTimer inside;
    if (handler) Guard([&] { handler(); });
}

}  // namespace framework
