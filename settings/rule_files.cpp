#include "settings/rule_files.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "engine/reg_string_list.h"
#include "framework/string_list.h"

namespace settings {
namespace {

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutU16(std::string& out, size_t at, uint16_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8);
}

void PutI32(std::string& out, size_t at, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

}  // namespace

std::optional<std::vector<std::string>> LoadRuleList(const std::string& path, std::vector<std::string>* notes,
                                                     TRuleFileState* state) {
    if (state) *state = {};
    if (!FileExists(path)) return std::nullopt;
    engine::TRegStringList list;   // file mode
    try {
        list.LoadFromFile(path);
    } catch (...) {
        if (state) state->unreadable = true;
        throw;
    }
    if (notes) *notes = list.LoadNotes;
    if (state) state->kept = list.Kept;
    return list.Items();
}

void SaveRuleList(const std::string& path, const std::vector<std::string>& entries) {
    TRuleFileState state;
    SaveRuleList(path, entries, state);
}

std::optional<std::string> SaveRuleList(const std::string& path, const std::vector<std::string>& entries,
                                        TRuleFileState& state) {
    std::optional<std::string> note;
    if (state.unreadable) {
        if (entries.empty()) return note;
        if (auto aside = engine::MoveUnreadableAside(path))
            note = engine::MovedAsideNote(path.substr(path.find_last_of("\\/") + 1), *aside);
        state.unreadable = false;
    }
    framework::WriteFileReplacing(path, engine::EncodeRuleList(entries, state.kept));
    return note;
}

TAutoSendRule MakeAutoSendRule(std::string_view name, int desktop, bool disabled) {
    TAutoSendRule r{};
    r.Desktop = static_cast<uint16_t>(desktop);
    r.Reserved = -1;
    r.Disabled = disabled ? 1 : 0;
    size_t n = std::min(name.size(), kRuleNameMax);
    r.NameLength = static_cast<uint8_t>(n);
    std::memcpy(r.Name, name.data(), n);
    return r;
}

std::vector<TAutoSendRule> DecodeAutoSendRules(std::string_view bytes) {
    constexpr size_t kSize = sizeof(TAutoSendRule);
    std::vector<TAutoSendRule> rules;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at + kSize <= bytes.size(); at += kSize) {
        const unsigned char* rec = data + at;
        uint16_t desktop = ReadU16(rec + offsetof(TAutoSendRule, Desktop));
        size_t len = std::min<size_t>(rec[offsetof(TAutoSendRule, NameLength)], kRuleNameMax);
        const char* name = reinterpret_cast<const char*>(rec + offsetof(TAutoSendRule, Name));
        len = std::find(name, name + len, '\0') - name;
        // A desktop outside 1..9 stays as stored: such a rule matches nothing
        // (the engine's guard), and the damage is not made into desktop 1.
        rules.push_back(MakeAutoSendRule(std::string_view(name, len), desktop, rec[offsetof(TAutoSendRule, Disabled)] != 0));
    }
    return rules;
}

std::string EncodeAutoSendRules(std::span<const TAutoSendRule> rules) {
    constexpr size_t kSize = sizeof(TAutoSendRule);
    std::string out;
    for (const auto& r : rules) {
        if (r.Deleted) continue;
        std::string rec(kSize, '\0');
        PutU16(rec, offsetof(TAutoSendRule, Desktop), r.Desktop);
        PutI32(rec, offsetof(TAutoSendRule, Reserved), -1);
        rec[offsetof(TAutoSendRule, Disabled)] = r.Disabled ? 1 : 0;
        size_t len = std::min<size_t>(r.NameLength, kRuleNameMax);
        rec[offsetof(TAutoSendRule, NameLength)] = static_cast<char>(len);
        std::memcpy(rec.data() + offsetof(TAutoSendRule, Name), r.Name, len);
        out += rec;
    }
    return out;
}

std::optional<std::vector<TAutoSendRule>> LoadAutoSendFile(const std::string& path) {
    if (auto file = ReadAutoSendFile(path)) return std::move(file->rules);
    return std::nullopt;
}

std::optional<AutoSendFile> ReadAutoSendFile(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    const std::string bytes = framework::ReadFileBytes(path);
    const size_t cut = bytes.size() % sizeof(TAutoSendRule);
    return AutoSendFile{DecodeAutoSendRules(bytes), cut, bytes.substr(bytes.size() - cut)};
}

void SaveAutoSendFile(const std::string& path, std::span<const TAutoSendRule> rules, std::string_view cutTail) {
    framework::WriteFileReplacing(path, EncodeAutoSendRules(rules) + std::string(cutTail));
}

}  // namespace settings
