#include "framework/timer.h"
#include "framework/guard.h"
#include <unordered_map>

namespace framework {
namespace {
std::unordered_map<UINT_PTR, Timer*>& Timers() {
    static std::unordered_map<UINT_PTR, Timer*> timers;
    return timers;
}
}  // namespace

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
    if (handler) Guard([&] { handler(); });
}

}  // namespace framework
