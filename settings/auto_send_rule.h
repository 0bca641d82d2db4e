#pragma once
// One automatic-send rule as the file "Tessareltop.aus" stores it: a fixed
// 264-byte record, alignment bytes included, little-endian.
#include <cstddef>
#include <cstdint>
#include <string>

namespace settings {

#pragma pack(push, 1)
struct TAutoSendRule {
    uint16_t Desktop;       // 1..9
    uint8_t Align1[2];
    int32_t Reserved;       // always -1
    uint8_t Disabled;
    uint8_t Zero;           // always 0
    uint8_t NameLength;     // short string: length byte and up to 250 characters
    char Name[250];
    uint8_t Deleted;
    uint8_t Align2[2];
};
#pragma pack(pop)
static_assert(sizeof(TAutoSendRule) == 264);
static_assert(offsetof(TAutoSendRule, Disabled) == 8);
static_assert(offsetof(TAutoSendRule, NameLength) == 10);
static_assert(offsetof(TAutoSendRule, Deleted) == 261);

inline constexpr size_t kRuleNameMax = 250;

inline std::string RuleName(const TAutoSendRule& r) {
    return std::string(r.Name, r.NameLength <= kRuleNameMax ? r.NameLength : kRuleNameMax);
}

}  // namespace settings
