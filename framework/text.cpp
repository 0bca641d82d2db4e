#include "framework/text.h"
#include <cmath>
#include <cstdio>

namespace framework {

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string UpperCaseAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCaseAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool ContainsText(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

std::string ShortTime(const SYSTEMTIME& t) {
    char buf[64] = {};
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &t, nullptr, buf, sizeof buf) > 0) return buf;
    std::snprintf(buf, sizeof buf, "%d:%02d", t.wHour, t.wMinute);
    return buf;
}

std::string ShortTimeNow() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return ShortTime(t);
}

std::string TimeStamp(const SYSTEMTIME& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

std::string TimeStampNow() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return TimeStamp(t);
}

long long BankersRound(double v) { return static_cast<long long>(std::nearbyint(v)); }

int StrToIntDef(std::string_view s, int def) {
    std::string t = Trim(s);
    if (t.empty()) return def;
    size_t i = 0;
    bool neg = false;
    if (t[0] == '-' || t[0] == '+') {
        neg = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return def;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return def;
        v = v * 10 + (t[i] - '0');
        if (v > 0x80000000LL) return def;
    }
    if (neg) v = -v;
    if (v > 0x7FFFFFFFLL || v < -0x80000000LL) return def;
    return static_cast<int>(v);
}

}  // namespace framework
