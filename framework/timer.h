#pragma once
// A message-loop timer (interval in ms, enabled flag, handler). Disabling it
// inside its own handler is safe; the handler runs behind the barrier.
#include <windows.h>
#include <functional>

namespace framework {

class Timer {
public:
    Timer(UINT intervalMs, std::function<void()> onTimer, bool enabled = true);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetEnabled(bool enabled);
    bool Enabled() const noexcept { return id_ != 0; }
    void SetInterval(UINT intervalMs);
    UINT Interval() const noexcept { return interval_; }
    void SetHandler(std::function<void()> onTimer) { onTimer_ = std::move(onTimer); }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept;
    UINT interval_;
    std::function<void()> onTimer_;
    UINT_PTR id_ = 0;
};

// Whether the calling thread is inside a timer's handler (the system
// swallows some native faults there; the fault handler must know).
bool InsideTimerCallback() noexcept;

}  // namespace framework
