#include "shell/string_routines.h"
#include <windows.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace shell {

namespace {

constexpr std::array<uint8_t, 256> MakeLowerTable() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (int c = 'A'; c <= 'Z'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c + 32);
    t[0x8A] = 0x9A;
    t[0x8C] = 0x9C;
    t[0x8E] = 0x9E;
    t[0x9F] = 0xFF;
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c + 32);
    return t;
}
constexpr auto kLower = MakeLowerTable();

constexpr std::array<uint8_t, 256> MakeDigitTable() {
    std::array<uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
    return t;
}
constexpr auto kDigit = MakeDigitTable();

uint8_t Byte(char c) { return static_cast<uint8_t>(c); }
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

char LowerCase1252(char c) noexcept { return static_cast<char>(kLower[Byte(c)]); }

bool StripChar(std::string& s, char c) {
    auto end = std::remove(s.begin(), s.end(), c);
    bool removed = end != s.end();
    s.erase(end, s.end());
    return removed;
}

std::string DeletedCopy(std::string_view s, int position, int count) {
    std::string out(s);
    int size = static_cast<int>(out.size());
    if (position < 1 || position > size || count <= 0) return out;
    out.erase(static_cast<size_t>(position - 1), static_cast<size_t>(std::min(count, size - position + 1)));
    return out;
}

void CutTail(std::string& s, int n) {
    if (n <= 0) return;
    s.resize(s.size() > static_cast<size_t>(n) ? s.size() - static_cast<size_t>(n) : 0);
}

bool SameTextFast(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (kLower[Byte(a[i])] != kLower[Byte(b[i])]) return false;
    return true;
}

int PCharLength(const char* text) noexcept { return text ? static_cast<int>(std::strlen(text)) : 0; }

int FindInBuffer(const char* pattern, int patternLength, const char* text, int start, int end, bool ignoreCase,
                 int textLength) noexcept {
    if (!pattern || !text) return -1;
    if (patternLength == 0) patternLength = PCharLength(pattern);
    if (textLength == 0) textLength = PCharLength(text);
    if (patternLength <= 0 || textLength <= 0) return -1;
    const int last = textLength - patternLength;
    if (last < 0) return -1;
    auto matchesAt = [&](int at) {
        for (int k = 0; k < patternLength; ++k) {
            char p = pattern[k], t = text[at + k];
            if (ignoreCase ? kLower[Byte(p)] != kLower[Byte(t)] : p != t) return false;
        }
        return true;
    };
    if (end < start) {
        for (int at = std::min(last, start); at >= std::max(end, 0); --at)
            if (matchesAt(at)) return at;
    } else {
        for (int at = std::max(start, 0); at <= std::min(last, end); ++at)
            if (matchesAt(at)) return at;
    }
    return -1;
}

int FindSubStr(std::string_view pattern, std::string_view s, int from, int to) noexcept {
    if (from == 0 || to == 0 || pattern.empty() || s.empty()) return 0;
    int at = FindInBuffer(pattern.data(), static_cast<int>(pattern.size()), s.data(), from - 1, to - 1, false,
                          static_cast<int>(s.size()));
    return at + 1;
}

bool StartsWithStr(std::string_view prefix, std::string_view s) noexcept {
    if (prefix.empty()) return true;
    if (s.size() < prefix.size()) return false;
    return s.compare(0, prefix.size(), prefix) == 0;
}

void PadStr(std::string& s, int count, bool left, char fill) {
    if (count <= 0) return;
    const std::string pad(static_cast<size_t>(count), fill);
    if (!left) s += pad;
    else if (fill >= '0' && fill <= '9' && !s.empty() && s[0] == '-') s.insert(1, pad);
    else s.insert(0, pad);
}

std::string PadToWidth(std::string_view s, int width, char fill) {
    std::string out(s);
    PadStr(out, std::abs(width) - static_cast<int>(out.size()), width > 0, fill);
    return out;
}

std::string IntToDec(int32_t value) {
    if (value == 0) return "0";
    std::string digits;
    int32_t v = value;
    while (v != 0) {
        // The absolute value of each remainder, so the most negative value converts too.
        digits += static_cast<char>('0' + std::abs(v % 10));
        v /= 10;
    }
    if (value < 0) digits += '-';
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string IntToDecMin(int32_t value, int minLength, char fill) {
    std::string text = IntToDec(value);
    PadStr(text, std::abs(minLength) - static_cast<int>(text.size()), minLength > 0, fill);
    return text;
}

std::string IntToLowerHex(uint32_t value) {
    if (value == 0) return "0";
    std::string digits;
    for (; value != 0; value >>= 4) digits += "0123456789abcdef"[value & 0xF];
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string Int64ToLowerHex(uint32_t low, uint32_t high) {
    if (high == 0) return IntToLowerHex(low);
    return IntToLowerHex(high) + PadToWidth(IntToLowerHex(low), 8, '0');
}

std::string IntToDollarHex(uint32_t value, int width, char fill) {
    std::string digits = IntToLowerHex(value);
    if (width >= 0 && !IsHexDigit(fill)) return PadToWidth("$" + digits, std::abs(width) + 1, fill);
    return "$" + PadToWidth(digits, width, fill);
}

int32_t TextToInt(bool hexadecimal, const char* buffer, int length) noexcept {
    // An empty field is 0: nothing past its end is read.
    if (!buffer || length <= 0) return 0;
    const uint32_t base = hexadecimal ? 16 : 10;
    const bool negative = buffer[0] == '-';
    uint32_t value = negative ? 0 : kDigit[Byte(buffer[0])];
    for (int i = 1; i < length; ++i) value = value * base + kDigit[Byte(buffer[i])];
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t LeadingDecimal(std::string_view text) noexcept {
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return static_cast<int32_t>(value);
}

std::wstring AnsiToWide(std::string_view s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string WideToAnsi(std::wstring_view w) {
    if (w.empty()) return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace shell
