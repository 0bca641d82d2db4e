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
    EXPECT_EQ(nul.notes, Lines{"Tessareltop.pin: line 2 not used, it holds a NUL byte; the file keeps it"});
}

TEST(RuleList, EveryLineTheListDoesNotUseIsWrittenBackInItsPlace) {
    const std::string path261(kMaxRuleEntryChars + 1, 'P');
    // Written back unedited, a file comes back as it was (its lines ended by CR LF).
    const std::string files[] = {
        Bytes("FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 39),
        path261 + "\r\nA\r\nBELL\x07\r\n\r\nB\r\n" + path261 + "*\r\n",
        "ONLY\r\n" + path261 + "\r\n",
        path261 + "\r\n",
    };
    for (const std::string& bytes : files) {
        TRuleFileRead read = DecodeRuleList(bytes, "Tessareltop.pin", true);
        EXPECT_EQ(read.kept.size(), read.refused);
        EXPECT_EQ(EncodeRuleList(read.entries, read.kept), bytes) << bytes.substr(0, 20);
    }
    const TRuleFileRead lf = DecodeRuleList("a\nb\r" + path261 + "\n", "x", false);
    EXPECT_EQ(EncodeRuleList(lf.entries, lf.kept), "a\r\nb\r\n" + path261 + "\r\n");

    // Edited: a line the list cannot use stays where it stood as far as the
    // list still reaches, else at its end.
    TRuleFileRead read = DecodeRuleList("A\r\n" + path261 + "\r\nB\r\nC\r\n", "x", false);
    EXPECT_EQ(EncodeRuleList(Lines{"A", "C", "D"}, read.kept), "A\r\n" + path261 + "\r\nC\r\nD\r\n");
    EXPECT_EQ(EncodeRuleList(Lines{}, read.kept), path261 + "\r\n");

    // Entries beyond the bound go after everything the user adds, so that
    // the additions are among the entries in use at the next start.
    std::string full;
    for (size_t i = 0; i < kMaxRuleEntries + 2; ++i) full += "CLASS" + std::to_string(i) + "\r\n";
    read = DecodeRuleList(full, "Tessareltop.pin", true);
    ASSERT_EQ(read.kept.size(), 2u);
    Lines edited(read.entries.begin() + 2, read.entries.end());
    edited.push_back("ADDED");
    TRuleFileRead next = DecodeRuleList(EncodeRuleList(edited, read.kept), "Tessareltop.pin", true);
    ASSERT_EQ(next.entries.size(), kMaxRuleEntries);
    EXPECT_EQ(next.entries.back(), "CLASS" + std::to_string(kMaxRuleEntries));
    EXPECT_EQ(next.entries[kMaxRuleEntries - 2], "ADDED");
    EXPECT_EQ(next.kept.back().text, "CLASS" + std::to_string(kMaxRuleEntries + 1));
}

TEST(RuleList, HugeAndThoroughlyDamagedFilesGiveBoundedListsAndFewNotes) {
    std::string huge;
    for (int i = 0; i < 200000; ++i) huge += "CLASS" + std::to_string(i) + "\r\n";
    TRuleFileRead read = DecodeRuleList(huge, "Tessareltop.pin", true);
    EXPECT_EQ(read.entries.size(), kMaxRuleEntries);
    EXPECT_EQ(read.entries.back(), "CLASS" + std::to_string(kMaxRuleEntries - 1));
    EXPECT_EQ(read.refused, 200000 - kMaxRuleEntries);
    EXPECT_EQ(read.notes, Lines{"Tessareltop.pin: " + std::to_string(200000 - kMaxRuleEntries) +
                                " entries beyond the first " + std::to_string(kMaxRuleEntries) +
                                " not used; the file keeps them"});

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
    const std::string damaged = Bytes("FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 39);
    framework::WriteFileReplacing(path, damaged);
    TRegStringList list;
    list.LoadFromFile(path);
    EXPECT_EQ(list.Items(), (Lines{"FIRSTCLS", "STICKYCLS", "LASTCLS"}));
    EXPECT_EQ(list.LoadNotes.size(), 1u);
    list.SaveToFile(path);
    EXPECT_EQ(framework::ReadFileBytes(path), damaged);

    // An entry lost without the user removing it: the file stays.
    list.Delete(0);
    EXPECT_THROW(list.SaveToFile(path), framework::Exception);
    EXPECT_EQ(framework::ReadFileBytes(path), damaged);
    list.UserRemoved(1);
    list.SaveToFile(path);
    // The line it could not use stays, after as many entries as stood before it.
    EXPECT_EQ(framework::ReadFileBytes(path), Bytes("STICKYCLS\r\nSEC\0OND\r\nLASTCLS\r\n", 29));
}

TEST(RuleList, AStickyFileThatCannotBeReadIsMovedAsideBeforeTheUsersListIsSaved) {
    const std::string path = e2e::TempDir() + "Tessareltop.pin";
    const std::string aside = path + ".unreadable";
    struct Case {
        const char* why;
        std::string bytes;
        bool held;   // open in another program, which lets it be renamed but not read
    } cases[] = {
        {"too large", std::string(kMaxRuleFileBytes + 1, 'A'), false},
        {"held open by another program", "KEPT\r\n", true},
    };
    auto size = [](const std::string& p) {
        WIN32_FILE_ATTRIBUTE_DATA d{};
        return ::GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &d) ? d.nFileSizeLow : 0u;
    };
    for (const Case& c : cases) {
        ::DeleteFileA(aside.c_str());
        ::DeleteFileA((aside + " (2)").c_str());
        framework::WriteFileReplacing(path, c.bytes);
        HANDLE held = c.held ? ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                             nullptr)
                             : INVALID_HANDLE_VALUE;
        ASSERT_EQ(held != INVALID_HANDLE_VALUE, c.held);
        TRegStringList list;
        EXPECT_THROW(list.LoadFromFile(path), framework::Exception) << c.why;
        EXPECT_TRUE(list.Unreadable()) << c.why;
        // Nothing of the user's to write: the file stays as it is.
        EXPECT_NO_THROW(list.SaveToFile(path)) << c.why;
        EXPECT_TRUE(list.SaveNotes.empty()) << c.why;
        EXPECT_EQ(size(path), c.bytes.size()) << c.why;
        // A file kept aside by an earlier run keeps its name too.
        framework::WriteFileReplacing(aside, "EARLIER\r\n");
        list.Add("NEWCLS");
        list.SaveToFile(path);
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
        EXPECT_EQ(framework::ReadFileBytes(path), "NEWCLS\r\n") << c.why;
        EXPECT_EQ(framework::ReadFileBytes(aside + " (2)"), c.bytes) << c.why;
        EXPECT_EQ(framework::ReadFileBytes(aside), "EARLIER\r\n") << c.why;
        EXPECT_EQ(list.SaveNotes, Lines{"Tessareltop.pin could not be read at start: it is kept as "
                                        "Tessareltop.pin.unreadable (2), and the list of this run was saved as "
                                        "Tessareltop.pin"})
            << c.why;
        // Only once: the next save writes over the list it wrote itself.
        list.SaveNotes.clear();
        list.Add("MORECLS");
        list.SaveToFile(path);
        EXPECT_TRUE(list.SaveNotes.empty()) << c.why;
        EXPECT_EQ(framework::ReadFileBytes(path), "NEWCLS\r\nMORECLS\r\n") << c.why;
        EXPECT_EQ(::GetFileAttributesA((aside + " (3)").c_str()), INVALID_FILE_ATTRIBUTES) << c.why;
    }

    // A file that cannot be moved aside (open without leave to delete) is
    // not written over: the save raises, and the next one tries again.
    framework::WriteFileReplacing(path, "KEPT\r\n");
    HANDLE locked = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    TRegStringList list;
    EXPECT_THROW(list.LoadFromFile(path), framework::Exception);
    list.Add("NEWCLS");
    EXPECT_THROW(list.SaveToFile(path), framework::Exception);
    ::CloseHandle(locked);
    EXPECT_EQ(framework::ReadFileBytes(path), "KEPT\r\n");
    ::DeleteFileA(aside.c_str());
    list.SaveToFile(path);
    EXPECT_EQ(framework::ReadFileBytes(aside), "KEPT\r\n");
    EXPECT_EQ(framework::ReadFileBytes(path), "NEWCLS\r\n");
    ::DeleteFileA(aside.c_str());
    ::DeleteFileA((aside + " (2)").c_str());
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
