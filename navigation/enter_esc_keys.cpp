#include "navigation/enter_esc_keys.h"
#include <commctrl.h>
#include "framework/guard.h"

namespace navigation {
namespace {

constexpr UINT_PTR kSubclassId = 0x4B45;

}  // namespace

TEnterEscKeys::~TEnterEscKeys() { DetachAll(); }

void TEnterEscKeys::Attach(HWND edit) {
    if (edit && ::SetWindowSubclass(edit, &EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        edits_.push_back(edit);
}

void TEnterEscKeys::DetachAll() noexcept {
    for (HWND edit : edits_)
        if (::IsWindow(edit)) ::RemoveWindowSubclass(edit, &EditProc, kSubclassId);
    edits_.clear();
}

LRESULT CALLBACK TEnterEscKeys::EditProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) noexcept {
    auto* self = reinterpret_cast<TEnterEscKeys*>(ref);
    const bool enterOrEsc = w == VK_RETURN || w == VK_ESCAPE;
    if ((m == WM_KEYDOWN || m == WM_KEYUP) && enterOrEsc) {
        const UINT trigger = self->When == Trigger::KeyDown ? WM_KEYDOWN : WM_KEYUP;
        if (m == trigger) {
            // Copied first: the handler may end the window and these keys with it.
            std::function<void()> handler = w == VK_RETURN ? self->OnEnter : self->OnEsc;
            if (handler) framework::Guard([&] { handler(); });
        }
        return 0;
    }
    if (m == WM_CHAR && (w == '\r' || w == 0x1B)) return 0;   // no beep for the keys taken above
    return ::DefSubclassProc(h, m, w, l);
}

}  // namespace navigation
