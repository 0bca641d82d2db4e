#include <gtest/gtest.h>
#include <climits>
#include "shell/string_routines.h"

using namespace shell;

TEST(StringRoutines, SameTextFastFollowsTheWindows1252LowerCaseTable) {
    struct { const char* a; const char* b; bool same; } cases[] = {
        {"Desktop", "DESKTOP", true}, {"\xC4pfel", "\xE4PFEL", true},   // A and a with diaeresis
        {"\x8A", "\x9A", true}, {"\x9F", "\xFF", true},                   // S caron, Y diaeresis
        {"\xD7", "\xF7", false},                                          // multiplication sign stays
        {"abc", "abcd", false}, {"", "", true}, {"a", "b", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameTextFast(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(StringRoutines, FindSubStrSearchesTowardsTheSecondPosition) {
    const std::string path = "C:\\a\\b.txt";
    ASSERT_EQ(path.size(), 10u);
    struct { std::string pattern; int from, to, at; } cases[] = {
        {"\\", 1000, 1, 5},       // backward from a large position: the last backslash
        {"\\", 1, 1000, 3},       // forward: the first
        {"\\", 4, 1, 3},          // backward from position 4
        {"C:\\a\\b.txt!", 1, 1000, 0},   // longer than the string
        {"\\", 0, 1000, 0}, {"\\", 1, 0, 0},   // a position of 0
        {"txt", 1, 1000, 8}, {"TXT", 1, 1000, 0},   // case-sensitive
        {"", 1, 1000, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FindSubStr(c.pattern, path, c.from, c.to), c.at) << c.pattern << " " << c.from;
}

TEST(StringRoutines, FindInBufferMeasuresZeroLengthsAndIgnoresCaseThroughTheTable) {
    EXPECT_EQ(FindInBuffer("b", 0, "abcabc", 0, 100, false, 0), 1);
    EXPECT_EQ(FindInBuffer("b", 0, "abcabc", 100, 0, false, 0), 4);
    EXPECT_EQ(FindInBuffer("\xC4", 1, "x\xE4x", 0, 10, true, 3), 1);
    EXPECT_EQ(FindInBuffer("\xC4", 1, "x\xE4x", 0, 10, false, 3), -1);
    EXPECT_EQ(FindInBuffer(nullptr, 1, "abc", 0, 3, false, 3), -1);
    EXPECT_EQ(FindInBuffer("c", 1, "abc", 0, 1, false, 3), -1);   // range ends before the match
}

TEST(StringRoutines, StartsWithStrAndTheEditingRoutines) {
    EXPECT_TRUE(StartsWithStr("", "anything"));
    EXPECT_TRUE(StartsWithStr("", ""));
    EXPECT_TRUE(StartsWithStr("C:\\", "C:\\x"));
    EXPECT_TRUE(StartsWithStr("abc", "abc"));
    EXPECT_FALSE(StartsWithStr("abcd", "abc"));
    EXPECT_FALSE(StartsWithStr("ABC", "abc"));

    std::string s = "a&b&&c";
    EXPECT_TRUE(StripChar(s, '&'));
    EXPECT_EQ(s, "abc");
    EXPECT_FALSE(StripChar(s, '&'));
    EXPECT_EQ(DeletedCopy("abcdef", 2, 3), "aef");
    EXPECT_EQ(DeletedCopy("abcdef", 5, 10), "abcd");
    EXPECT_EQ(DeletedCopy("abcdef", 7, 1), "abcdef");   // outside: nothing deleted
    EXPECT_EQ(DeletedCopy("abcdef", 0, 1), "abcdef");
    CutTail(s, 1);
    EXPECT_EQ(s, "ab");
    CutTail(s, 5);
    EXPECT_EQ(s, "");
    EXPECT_EQ(PCharLength("abc"), 3);
    EXPECT_EQ(PCharLength(nullptr), 0);
}

TEST(StringRoutines, IntToDecMinWritesTheIconPositionFields) {
    struct { int32_t value; int width; char fill; const char* text; } cases[] = {
        {12, 4, '0', "0012"}, {-5, 4, '0', "-005"}, {0, 4, '0', "0000"}, {12345, 4, '0', "12345"},
        {-1234, 4, '0', "-1234"}, {-1000, 4, '0', "-1000"}, {7, 3, ' ', "  7"}, {-7, 3, ' ', " -7"},
        {7, -3, '.', "7.."}, {INT32_MIN, 0, '0', "-2147483648"}, {INT32_MAX, 0, '0', "2147483647"},
    };
    for (const auto& c : cases) EXPECT_EQ(IntToDecMin(c.value, c.width, c.fill), c.text) << c.value;
}

TEST(StringRoutines, TextToIntReadsEachFieldWholeAndAnEmptyFieldAsZero) {
    struct { bool hex; const char* text; int length; int32_t value; } cases[] = {
        {false, "-005", 4, -5}, {false, "0012", 4, 12}, {false, "12345", 5, 12345},
        {false, "12a", 3, 130},                // a lower-case a counts as 10 in both modes
        {true, "1f", 2, 31}, {true, "-10", 3, -16}, {false, "x9", 2, 9},
        {false, "4294967297", 10, 1},          // wraps around in 32 bits
        {false, "7", 0, 0},                    // an empty field: its first character is not read
        {false, "7", -1, 0},
        {false, nullptr, 3, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToInt(c.hex, c.text, c.length), c.value) << (c.text ? c.text : "null");
    // Round trip of the icon-position fields.
    for (int32_t v : {-1234, -5, 0, 12, 1279, 12345}) {
        std::string field = IntToDecMin(v, 4, '0');
        EXPECT_EQ(TextToInt(false, field.data(), static_cast<int>(field.size())), v);
    }
}

TEST(StringRoutines, HexadecimalTexts) {
    EXPECT_EQ(IntToLowerHex(0), "0");
    EXPECT_EQ(IntToLowerHex(0xABCDEF01u), "abcdef01");
    EXPECT_EQ(Int64ToLowerHex(0, 0), "0");
    EXPECT_EQ(Int64ToLowerHex(0x1F, 0), "1f");
    EXPECT_EQ(Int64ToLowerHex(0x1F, 1), "10000001f");
    struct { uint32_t value; int width; char fill; const char* text; } cases[] = {
        {255, 4, ' ', "  $ff"}, {255, 4, '0', "$00ff"}, {255, -4, '0', "$ff00"}, {255, -4, ' ', "$ff  "},
        {255, 0, ' ', "$ff"}, {0x12345, 2, '0', "$12345"},
    };
    for (const auto& c : cases) EXPECT_EQ(IntToDollarHex(c.value, c.width, c.fill), c.text) << c.width << c.fill;
    EXPECT_EQ(PadToWidth("ab", 4, '*'), "**ab");
    EXPECT_EQ(PadToWidth("ab", -4, '*'), "ab**");
    EXPECT_EQ(PadToWidth("abcde", 4, '*'), "abcde");
}
