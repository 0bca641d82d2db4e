// The engine tick, the desktop switch, and the hide and show primitives.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::tScanTimer() { ++FScanCounter; }
void TfrmPTessarel::RequestDesktop(int) {}
void TfrmPTessarel::SwitchDesktop() {}
void TfrmPTessarel::HideForeignWindows() {}
void TfrmPTessarel::ShowDesktopWindows() {}
void TfrmPTessarel::ShowWindowSafe(HWND w, int cmd) { ::ShowWindowAsync(w, cmd); }
void TfrmPTessarel::SetWindowDesktop(HWND, int, bool) {}
void TfrmPTessarel::miUnifyClick() {}
void TfrmPTessarel::CheckDesktopAccess() {}
bool TfrmPTessarel::HasPrivateWindows() { return false; }
void TfrmPTessarel::SyncIconSwapper() {}

}  // namespace engine
