// The snapshot file: the window table written out so that a restart gives
// every window its desktop back.
#include <cstring>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/string_list.h"
#include "framework/text.h"

namespace engine {

namespace {

constexpr uint32_t kHashSeed = 0xEFCDAB89u;
// The same reading of the class name as the scan's, so that a name at the
// length limit hashes alike when saved and when looked up.
constexpr int kClassNameChars = 250;

std::string SnapshotPath() { return DataFilePath(kSnapshotFileName); }

std::string ClassNameOf(HWND w) {
    char buf[kClassNameChars + 1] = {};
    int n = ::GetClassNameA(w, buf, kClassNameChars);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}


}  // namespace

uint32_t ClassNameHash(std::string_view className) {
    std::string s = framework::Trim(className);
    s.resize((s.size() + 3) / 4 * 4, '\0');
    uint32_t sum = 0;
    for (size_t i = 0; i < s.size(); i += 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(s.data() + i);
        uint32_t w = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        sum += static_cast<uint32_t>(ClassHashTerm(w));
    }
    return sum ^ kHashSeed;
}

std::vector<TSnapshotRecord> DecodeSnapshot(std::string_view bytes) {
    std::vector<TSnapshotRecord> records(bytes.size() / sizeof(TSnapshotRecord));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(TSnapshotRecord));
    return records;
}

std::string EncodeSnapshot(const std::vector<TSnapshotRecord>& records) {
    std::string bytes(records.size() * sizeof(TSnapshotRecord), '\0');
    if (!records.empty()) std::memcpy(bytes.data(), records.data(), bytes.size());
    return bytes;
}

bool IsUsableSnapshotRecord(const TSnapshotRecord& r) noexcept { return r.Desktop >= 1 && r.Desktop <= 9; }

TSnapshotRecord FindSnapshotMatch(const std::vector<TSnapshotRecord>& records, uint32_t wnd, uint32_t processId,
                                  uint32_t classHash) noexcept {
    for (TSnapshotRecord r : records) {
        if (r.Wnd == wnd && r.ProcessId == processId && r.ClassHash == classHash && IsUsableSnapshotRecord(r)) {
            r.Visible = r.Visible != 0 ? 1 : 0;
            return r;
        }
    }
    return TSnapshotRecord{wnd, 0, 0, processId, classHash};
}

// Written to a new file that replaces the old one only once it is complete:
// an interrupted save keeps the previous snapshot.
void TfrmPTessarel::SaveSnapshot() {
    std::vector<TSnapshotRecord> records;
    records.reserve(FWindowTable.size());
    for (const TWindowRecord& r : FWindowTable) {
        records.push_back(TSnapshotRecord{r.Wnd, static_cast<uint8_t>(r.Visible != 0 ? 1 : 0), r.Desktop,
                                          r.ProcessId, ClassNameHash(ClassNameOf(r.Handle()))});
    }
    const std::string path = SnapshotPath();
    if (path.empty()) return;   // no data folder: the snapshot is kept nowhere
    framework::WriteFileReplacing(path, EncodeSnapshot(records));
}

void TfrmPTessarel::LoadSnapshot() {
    FSnapshot.clear();
    std::string path = SnapshotPath();
    if (FileExists(path)) FSnapshot = DecodeSnapshot(framework::ReadFileBytes(path));
}

TSnapshotRecord TfrmPTessarel::FindSnapshotRecord(HWND w, DWORD processId) {
    return FindSnapshotMatch(FSnapshot, TWindowRecord::WndFromHandle(w), processId, ClassNameHash(ClassNameBuffer()));
}

}  // namespace engine
