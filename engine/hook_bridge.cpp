// The hook library, its global hooks, and the program's own messages.
#include "engine/main_form.h"

namespace engine {

bool TfrmPTessarel::LoadHookLibrary() { return false; }
void TfrmPTessarel::SetHooks() {}
void TfrmPTessarel::RemoveHooks() {}
void TfrmPTessarel::RegisterMessages() {}
void TfrmPTessarel::CallHookOption(const char*, int) {}
bool TfrmPTessarel::IsHungWindow(HWND) const { return false; }

}  // namespace engine
