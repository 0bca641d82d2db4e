#pragma once
// Text routines of the shell-object library: character removal, case-blind
// comparison and search (Windows-1252 lower case, independent of the
// locale), and integers as decimal or hexadecimal text with minimum widths.
// The icon-position files are written by IntToDecMin and read by TextToInt.
// Positions are 1-based unless said otherwise.
#include <cstdint>
#include <string>
#include <string_view>

namespace shell {

// Each byte's lower-case form under Windows-1252.
char LowerCase1252(char c) noexcept;

bool StripChar(std::string& s, char c);
std::string DeletedCopy(std::string_view s, int position, int count);
void CutTail(std::string& s, int n);
bool SameTextFast(std::string_view a, std::string_view b) noexcept;
int PCharLength(const char* text) noexcept;
// 0-based index of the first match met between start and end (backward when
// end < start), or -1. A length of 0 is measured up to the terminating zero.
int FindInBuffer(const char* pattern, int patternLength, const char* text, int start, int end, bool ignoreCase,
                 int textLength) noexcept;
// 1-based position of the first match met from one position towards the
// other (case-sensitive); 0 when none or when either position is 0.
int FindSubStr(std::string_view pattern, std::string_view s, int from, int to) noexcept;
bool StartsWithStr(std::string_view prefix, std::string_view s) noexcept;
void PadStr(std::string& s, int count, bool left, char fill);
std::string PadToWidth(std::string_view s, int width, char fill);
std::string IntToDec(int32_t value);
std::string IntToDecMin(int32_t value, int minLength, char fill);
std::string IntToLowerHex(uint32_t value);
std::string Int64ToLowerHex(uint32_t low, uint32_t high);
std::string IntToDollarHex(uint32_t value, int width, char fill);
// The value of length characters as decimal (or hexadecimal) digits, a
// leading "-" negating it; other characters count as digit 0, overflow wraps.
int32_t TextToInt(bool hexadecimal, const char* buffer, int length) noexcept;
// The number that the leading decimal digits of a text spell (0 when none).
int32_t LeadingDecimal(std::string_view text) noexcept;

// Texts of the library are 8-bit in the system's code page; the shell's
// interfaces take UTF-16.
std::wstring AnsiToWide(std::string_view s);
std::string WideToAnsi(std::wstring_view w);

}  // namespace shell
