#pragma once
// Enter and Esc in the edits of the lock windows: Enter is the window's OK,
// Esc its Cancel (or the cover's go back), wherever in the window the focus
// is. The edits would only beep at them.
#include <windows.h>
#include <functional>
#include <vector>

namespace navigation {

class TEnterEscKeys {
public:
    enum class Trigger { KeyDown, KeyUp };

    TEnterEscKeys() = default;
    ~TEnterEscKeys();
    TEnterEscKeys(const TEnterEscKeys&) = delete;
    TEnterEscKeys& operator=(const TEnterEscKeys&) = delete;

    std::function<void()> OnEnter;
    std::function<void()> OnEsc;
    Trigger When = Trigger::KeyDown;

    void Attach(HWND edit);
    void DetachAll() noexcept;

private:
    static LRESULT CALLBACK EditProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) noexcept;
    std::vector<HWND> edits_;
};

}  // namespace navigation
