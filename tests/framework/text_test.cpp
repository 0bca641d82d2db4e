#include <gtest/gtest.h>
#include "framework/guard.h"
#include "framework/string_list.h"
#include "framework/text.h"

using namespace framework;

TEST(Text, TrimComparesUnsignedUpToSpace) {
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(Trim("\xE4x\xE4"), "\xE4x\xE4");   // bytes above 0x7F are not blanks
    EXPECT_EQ(Trim(std::string("\0\x01z", 3)), "z");
    EXPECT_EQ(Trim(""), "");
}

TEST(Text, UpperCaseAsciiChangesOnlyLatinLetters) {
    EXPECT_EQ(UpperCaseAscii("abc-XYZ-\xE4"), "ABC-XYZ-\xE4");
}

TEST(Text, BankersRoundGoesToEven) {
    struct { double v; long long r; } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4, 2}, {2.6, 3}};
    for (auto c : cases) EXPECT_EQ(BankersRound(c.v), c.r) << c.v;
}

TEST(Text, TimeStampFormat) {
    SYSTEMTIME t{};
    t.wYear = 2026; t.wMonth = 3; t.wDay = 7; t.wHour = 4; t.wMinute = 5; t.wSecond = 9;
    EXPECT_EQ(TimeStamp(t), "2026-03-07 04:05:09");
}

TEST(StringList, SplitsOnEveryLineEndAndStopsAtNul) {
    struct { std::string text; std::vector<std::string> lines; } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {std::string("x\r\ny\0z\r\n", 8), {"x", "y"}},
        {"  spaced  \n", {"  spaced  "}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines);
}

TEST(StringList, TextEndsEveryLineWithCrLfAndIndexOfIsExact) {
    StringList l;
    l.Add("NOTEPAD.EXE");
    l.Add("Calc");
    EXPECT_EQ(l.Text(), "NOTEPAD.EXE\r\nCalc\r\n");
    EXPECT_EQ(l.IndexOf("Calc"), 1);
    EXPECT_EQ(l.IndexOf("CALC"), -1);
    EXPECT_THROW((void)l[2], framework::Exception);
}
