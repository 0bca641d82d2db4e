// Placeholder until the event log lands.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::LogEvent(std::string_view, HWND w, bool) { lastEventWindow_ = w; }
void TfrmPTessarel::LogException(const std::string&) {}
void TfrmPTessarel::RegisterBubble(navigation::TfrmBubble*) {}

}  // namespace engine
