#pragma once
// A critical section of the system as a basic object that knows its owner
// thread and how often that thread has entered it; every item list creates
// one as its lock. Beside it, the Windows and system folders, asked once.
#include <windows.h>
#include <string>
#include "shell/basic_object.h"

namespace shell {

class TICriticalSection;
using ICriticalSection = Ref<TICriticalSection>;

class TICriticalSection final : public TIBasic {
public:
    TICriticalSection();
    ~TICriticalSection() override;

    void Enter();                                            // 28
    bool TryEnter();                                         // 29
    bool Leave();                                            // 30
    DWORD GetOwnerThread() const noexcept { return owner_.load(); }  // 31
    DWORD GetLockCount() const noexcept { return lockCount_; }       // 32
    bool IsOwnedByCurrentThread() const noexcept { return owner_.load() == ::GetCurrentThreadId(); }  // 33

    bool Implements(const GUID& iid) const noexcept override;

private:
    void TakeOwnership();

    CRITICAL_SECTION section_{};
    std::atomic<DWORD> owner_{0};
    DWORD lockCount_ = 0;
};

ICriticalSection NewCriticalSection();

// The Windows folder and the system folder, without a trailing backslash.
const std::string& GetWindowsFolder();
const std::string& GetSystemFolder();

}  // namespace shell
