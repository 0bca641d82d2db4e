#pragma once
// The window snapshot: the table written to "Tessareltop.snp" so that windows
// keep their desktops across a restart.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

#pragma pack(push, 1)
struct TSnapshotRecord {
    uint32_t Wnd;
    uint8_t Visible;
    int8_t Desktop;
    uint32_t ProcessId;
    uint32_t ClassHash;
};
#pragma pack(pop)
static_assert(sizeof(TSnapshotRecord) == 14);

uint32_t ClassNameHash(std::string_view className);
std::vector<TSnapshotRecord> DecodeSnapshot(std::string_view bytes);
std::string EncodeSnapshot(const std::vector<TSnapshotRecord>& records);

}  // namespace engine
