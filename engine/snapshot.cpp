// Placeholder until the snapshot lands.
#include "engine/main_form.h"

namespace engine {

uint32_t ClassNameHash(std::string_view) { return 0xEFCDAB89u; }
std::vector<TSnapshotRecord> DecodeSnapshot(std::string_view) { return {}; }
std::string EncodeSnapshot(const std::vector<TSnapshotRecord>&) { return {}; }

void TfrmPTessarel::SaveSnapshot() {}
void TfrmPTessarel::LoadSnapshot() {}
TSnapshotRecord TfrmPTessarel::FindSnapshotRecord(HWND, DWORD) { return TSnapshotRecord{0, 0, 0, 0, 0}; }

}  // namespace engine
