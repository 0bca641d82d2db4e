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
    uint32_t Wnd;          // low 32 bits of the window handle
    uint8_t Visible;       // 0/1
    int8_t Desktop;        // 1..9 in a sound record
    uint32_t ProcessId;
    uint32_t ClassHash;    // ClassNameHash of the class name when written
};
#pragma pack(pop)
static_assert(sizeof(TSnapshotRecord) == 14);

inline constexpr std::string_view kSnapshotFileName = "Tessareltop.snp";

// Identifies a window class across runs. Blanks and control characters around
// the name do not count; an empty name gives $EFCDAB89.
uint32_t ClassNameHash(std::string_view className);

// One term of the hash for a 4-byte group w (0 counts as 1977): defined as
// trunc((1 / w) * 10^13) in x87 extended precision, which for every 32-bit w
// equals the integer quotient, so no floating-point mode is involved.
constexpr uint64_t ClassHashTerm(uint32_t group) noexcept {
    return 10'000'000'000'000ull / (group == 0 ? 1977u : group);
}

// Whole records only: a trailing partial record is dropped. Nothing in the
// bytes is trusted; records are kept as stored.
std::vector<TSnapshotRecord> DecodeSnapshot(std::string_view bytes);
std::string EncodeSnapshot(const std::vector<TSnapshotRecord>& records);

// A record that can give a window its desktop: the desktop is one that exists.
bool IsUsableSnapshotRecord(const TSnapshotRecord& r) noexcept;

// The first usable record with this handle, process and class hash, its
// visible flag as 0/1; otherwise a record with Desktop 0 and Visible 0.
TSnapshotRecord FindSnapshotMatch(const std::vector<TSnapshotRecord>& records, uint32_t wnd, uint32_t processId,
                                  uint32_t classHash) noexcept;

}  // namespace engine
