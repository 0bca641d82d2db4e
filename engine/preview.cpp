// The desktop preview and the two window moves it shares with the menus.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::miA1Click() {}
void TfrmPTessarel::miS1Click() {}
void TfrmPTessarel::ShowPreview(int) {}
void TfrmPTessarel::HidePreview() {}
void TfrmPTessarel::TogglePreview() {}
void TfrmPTessarel::RepaintPreview() {}
void TfrmPTessarel::Paint(HDC, const RECT&) {}

}  // namespace engine
