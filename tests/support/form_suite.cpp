#include "support/form_suite.h"

namespace e2e {

FakeSettings& Settings() {
    static FakeSettings s;
    return s;
}

engine::TfrmPTessarel& Main() { return *engine::frmPTessarel; }

bool Recorded(HWND w) {
    return WaitUntil([w] { return Main().FindWindowRecord(w) >= 0; }, 5000);
}

int DesktopOf(HWND w) {
    const int i = Main().FindWindowRecord(w);
    return i < 0 ? -1 : Main().FWindowTable[static_cast<size_t>(i)].Desktop;
}

}  // namespace e2e
