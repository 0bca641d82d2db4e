#include "support/bubble_forms.h"
#include <windows.h>
#include "framework/form.h"

namespace e2e {

std::vector<navigation::TfrmBubble*> BubbleForms() {
    std::vector<navigation::TfrmBubble*> out;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM l) -> BOOL {
        if (auto* b = dynamic_cast<navigation::TfrmBubble*>(framework::Form::FromHandle(w)))
            reinterpret_cast<std::vector<navigation::TfrmBubble*>*>(l)->push_back(b);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&out));
    return out;
}

navigation::TfrmBubble* OnlyBubble() {
    auto all = BubbleForms();
    return all.size() == 1 ? all[0] : nullptr;
}

}  // namespace e2e
