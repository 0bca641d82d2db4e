// Placeholder until the sticky list lands.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::SetSticky(std::string_view, bool) {}
void TfrmPTessarel::SaveStickyList() {}

}  // namespace engine
