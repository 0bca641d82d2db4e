// Entries added to the system menus of managed windows.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::AddSysMenuItems(HWND) {}
void TfrmPTessarel::RemoveSysMenuItems(HWND) {}
void TfrmPTessarel::RemoveAllSysMenuItems() {}

}  // namespace engine
