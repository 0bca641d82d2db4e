#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "engine/reg_string_list.h"
#include "engine/rule_list.h"
#include "framework/guard.h"
#include "framework/string_list.h"
#include "support/e2e.h"

using namespace engine;
using Lines = std::vector<std::string>;

namespace {
std::string Bytes(const char* s, size_t n) { return std::string(s, n); }
}  // namespace

TEST(RuleList, AFileIsReadWholeAndOnlyEntriesNoWindowCouldMatchAreRefused) {
    const std::string path260(kMaxRuleEntryChars, 'P');
    const std::string path261(kMaxRuleEntryChars + 1, 'P');
    struct Case {
        std::string bytes;
        Lines entries;
        size_t refused;
    } cases[] = {
        // A NUL once ended the list there.
        {Bytes("FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 37), {"FIRSTCLS", "STICKYCLS", "LASTCLS"}, 1},
        {"\xEF\xBB\xBFNOTEPAD\r\nCALC\r\n", {"NOTEPAD", "CALC"}, 0},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, 0},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, 0},
        {"  spaced  \r\n", {"  spaced  "}, 0},
        {"BELL\x07" "CLS\r\nTAB\tCLS\r\n", {"TAB\tCLS"}, 1},
        {"C:\\PROGRAMME\\\xDC" "BER.EXE\r\n", {"C:\\PROGRAMME\\\xDC" "BER.EXE"}, 0},
        {path260 + "\r\n" + path261 + "\r\nLAST\r\n", {path260, "LAST"}, 1},
        {path260 + "*\r\n", {path260 + "*"}, 0},
        {path261 + "*\r\n", {}, 1},
        {std::string(1 << 20, 'A') + "\r\nAFTER\r\n", {"AFTER"}, 1},
        {"", {}, 0},
    };
    for (const auto& c : cases) {
        TRuleFileRead read = DecodeRuleList(c.bytes, "Tessareltop.pin", true);
        EXPECT_EQ(read.entries, c.entries) << c.bytes.substr(0, 40);
        EXPECT_EQ(read.refused, c.refused) << c.bytes.substr(0, 40);
        EXPECT_EQ(read.notes.size(), c.refused) << c.bytes.substr(0, 40);
    }
    // Without the sticky list's mark a "*" counts like any character.
    EXPECT_TRUE(DecodeRuleList(path260 + "*\r\n", "Tessareltop.ign", false).entries.empty());
    TRuleFileRead nul = DecodeRuleList(cases[0].bytes, "Tessareltop.pin", true);
    EXPECT_EQ(nul.notes, Lines{"Tessareltop.pin: line 2 skipped, it holds a NUL byte"});
}

TEST(RuleList, HugeAndThoroughlyDamagedFilesGiveBoundedListsAndFewNotes) {
    std::string huge;
    for (int i = 0; i < 200000; ++i) huge += "CLASS" + std::to_string(i) + "\r\n";
    TRuleFileRead read = DecodeRuleList(huge, "Tessareltop.pin", true);
    EXPECT_EQ(read.entries.size(), kMaxRuleEntries);
    EXPECT_EQ(read.entries.back(), "CLASS" + std::to_string(kMaxRuleEntries - 1));
    EXPECT_EQ(read.refused, 200000 - kMaxRuleEntries);
    EXPECT_EQ(read.notes, Lines{"Tessareltop.pin: " + std::to_string(200000 - kMaxRuleEntries) +
                                " entries beyond the first " + std::to_string(kMaxRuleEntries) + " skipped"});

    std::string noise;
    for (int i = 0; i < 100000; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
    read = DecodeRuleList(noise, "Tessareltop.wat", false);
    EXPECT_LE(read.notes.size(), kMaxRuleNotes + 2);
    for (const auto& e : read.entries) {
        EXPECT_LE(e.size(), kMaxRuleEntryChars);
        EXPECT_EQ(e.find('\0'), std::string::npos);
    }
}

TEST(RuleList, TheSetMatchesWithoutRegardToCaseAndEditsCountWhatTheyRemoved) {
    TRuleSet set;
    set.Assign({"c:\\tools\\app.exe", "Notepad", "NOTEPAD"});
    EXPECT_TRUE(set.Contains("C:\\TOOLS\\APP.EXE"));
    EXPECT_TRUE(set.Contains("NOTEPAD"));
    EXPECT_FALSE(set.Contains("CALC"));
    set.Assign({"CALC"});
    EXPECT_FALSE(set.Contains("NOTEPAD"));
    EXPECT_TRUE(set.Contains("CALC"));

    EXPECT_EQ(RemovedEntries(Lines{"A", "A", "B"}, Lines{"A", "C"}), 2u);
    EXPECT_EQ(RemovedEntries(Lines{}, Lines{"A"}), 0u);
    EXPECT_NO_THROW(CheckNothingLost("x", 2, 2));
    EXPECT_THROW(CheckNothingLost("x", 3, 2), framework::Exception);
}

TEST(RuleList, TheStickyFileIsNeverWrittenShorterThanItWasRead) {
    const std::string path = e2e::TempDir() + "Tessareltop.pin";
    framework::WriteFileReplacing(path, Bytes("FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 37));
    TRegStringList list;
    list.LoadFromFile(path);
    EXPECT_EQ(list.Items(), (Lines{"FIRSTCLS", "STICKYCLS", "LASTCLS"}));
    EXPECT_EQ(list.LoadNotes.size(), 1u);
    list.SaveToFile(path);
    EXPECT_EQ(framework::ReadFileBytes(path), "FIRSTCLS\r\nSTICKYCLS\r\nLASTCLS\r\n");

    // An entry lost without the user removing it: the file stays.
    list.Delete(0);
    EXPECT_THROW(list.SaveToFile(path), framework::Exception);
    EXPECT_EQ(framework::ReadFileBytes(path), "FIRSTCLS\r\nSTICKYCLS\r\nLASTCLS\r\n");
    list.UserRemoved(1);
    list.SaveToFile(path);
    EXPECT_EQ(framework::ReadFileBytes(path), "STICKYCLS\r\nLASTCLS\r\n");

    // A file too large to read is never replaced.
    framework::WriteFileReplacing(path, std::string(kMaxRuleFileBytes + 1, 'A'));
    TRegStringList big;
    EXPECT_THROW(big.LoadFromFile(path), framework::Exception);
    big.Add("NEW");
    EXPECT_THROW(big.SaveToFile(path), framework::Exception);
    EXPECT_EQ(framework::ReadFileBytes(path).size(), kMaxRuleFileBytes + 1);
}

TEST(StringList, TheHashOfTheEntriesFollowsEveryChange) {
    framework::StringList l;
    l.Add("A");
    l.Add("B");
    l.Insert(0, "C");
    l.Set(1, "D");   // A becomes D
    l.Add("B");
    EXPECT_EQ(l.IndexOf("A"), -1);
    EXPECT_EQ(l.IndexOf("D"), 1);
    EXPECT_EQ(l.IndexOf("B"), 2);
    l.Delete(2);
    EXPECT_EQ(l.IndexOf("B"), 2);
    l.Delete(2);
    EXPECT_FALSE(l.Contains("B"));
    l.SetText("X\r\nY\r\n");
    EXPECT_FALSE(l.Contains("C"));
    EXPECT_TRUE(l.Contains("Y"));
    l.Clear();
    EXPECT_FALSE(l.Contains("X"));
}
