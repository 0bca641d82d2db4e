#pragma once
// Text and time helpers shared by every unit.
#include <windows.h>
#include <string>
#include <string_view>

namespace framework {

// Removes leading and trailing characters up to and including the space,
// compared as unsigned bytes (so bytes of 0x80 and above stay).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Only "a" to "z" change.
std::string UpperCaseAscii(std::string_view s);
std::string LowerCaseAscii(std::string_view s);
bool ContainsText(std::string_view haystack, std::string_view needle);   // exact substring

// The user's short time format (hours and minutes).
std::string ShortTime(const SYSTEMTIME& t);
std::string ShortTimeNow();
// "yyyy-mm-dd hh:nn:ss"
std::string TimeStamp(const SYSTEMTIME& t);
std::string TimeStampNow();

// Rounds halves to the even neighbour.
long long BankersRound(double v);

// The decimal value of a text, or the default when it is not a whole number.
int StrToIntDef(std::string_view s, int def);

}  // namespace framework
