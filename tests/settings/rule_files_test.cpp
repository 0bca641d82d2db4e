// The rule files: the automatic-send records byte by byte, and the list files.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include "framework/string_list.h"
#include "settings/rule_files.h"
#include "support/e2e.h"

using namespace settings;

namespace {

std::string Record(uint16_t desktop, uint8_t disabled, uint8_t length, std::string_view name) {
    std::string r(264, '\0');
    r[0] = static_cast<char>(desktop & 0xFF);
    r[1] = static_cast<char>(desktop >> 8);
    r[8] = static_cast<char>(disabled);
    r[10] = static_cast<char>(length);
    std::memcpy(r.data() + 11, name.data(), std::min<size_t>(name.size(), 250));
    return r;
}

}  // namespace

TEST(AutoSendFile, RecordsAreWrittenByteByByte) {
    std::vector<TAutoSendRule> rules{MakeAutoSendRule("C:\\Apps\\Mail.exe", 3, false),
                                     MakeAutoSendRule("Notepad", 9, true)};
    std::string bytes = EncodeAutoSendRules(rules);
    ASSERT_EQ(bytes.size(), 2u * 264u);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(b[0], 3);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 0);
    EXPECT_EQ(b[3], 0);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(b[i], 0xFF) << i;   // Reserved -1
    EXPECT_EQ(b[8], 0);
    EXPECT_EQ(b[9], 0);
    EXPECT_EQ(b[10], 16);
    EXPECT_EQ(std::string(bytes.data() + 11, 16), "C:\\Apps\\Mail.exe");
    for (int i = 27; i < 264; ++i) EXPECT_EQ(b[i], 0) << i;   // unused name bytes, Deleted, alignment
    EXPECT_EQ(b[264], 9);
    EXPECT_EQ(b[264 + 8], 1);
    EXPECT_EQ(b[264 + 10], 7);
}

TEST(AutoSendFile, DeletedRulesAreNotWrittenAndTheRestKeepTheirOrder) {
    std::vector<TAutoSendRule> rules{MakeAutoSendRule("a", 1, false), MakeAutoSendRule("b", 2, false),
                                     MakeAutoSendRule("c", 3, true)};
    rules[1].Deleted = 1;
    auto back = DecodeAutoSendRules(EncodeAutoSendRules(rules));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(RuleName(back[0]), "a");
    EXPECT_EQ(RuleName(back[1]), "c");
    EXPECT_EQ(back[1].Desktop, 3);
    EXPECT_EQ(back[1].Disabled, 1);
    EXPECT_EQ(back[1].Deleted, 0);
}

TEST(AutoSendFile, DecodingNeverTrustsTheBytes) {
    std::string name250(250, 'x');
    std::string bytes = Record(2, 0, 5, "Mail.") +            // plain
                        Record(0, 1, 3, "abc") +               // desktop 0
                        Record(40000, 7, 3, "def") +           // desktop far out, odd flag
                        Record(4, 0, 255, name250) +           // length byte beyond the field
                        Record(5, 0, 6, std::string("ab\0cd", 5)) +   // a NUL inside the name
                        std::string(100, '\x7F');              // a cut record at the end
    auto rules = DecodeAutoSendRules(bytes);
    ASSERT_EQ(rules.size(), 5u);
    EXPECT_EQ(RuleName(rules[0]), "Mail.");
    EXPECT_EQ(rules[0].Desktop, 2);
    // A desktop outside 1..9 is kept as it is: the engine lets such a rule
    // match nothing, and it is saved back unchanged, never as desktop 1.
    EXPECT_EQ(rules[1].Desktop, 0);
    EXPECT_EQ(rules[1].Disabled, 1);
    EXPECT_EQ(rules[2].Desktop, 40000);
    EXPECT_EQ(rules[2].Disabled, 1);
    EXPECT_EQ(RuleName(rules[3]), name250);
    EXPECT_EQ(RuleName(rules[4]), "ab");
    for (const auto& r : rules) {
        EXPECT_EQ(r.Reserved, -1);
        EXPECT_EQ(r.Deleted, 0);
    }
    EXPECT_TRUE(DecodeAutoSendRules(std::string(263, '\x01')).empty());
    EXPECT_TRUE(DecodeAutoSendRules("").empty());
}

TEST(AutoSendFile, ADamagedDesktopIsSavedBackAsItWasRead) {
    auto written = [](std::string record) {
        record.replace(4, 4, 4, '\xFF');   // the reserved field as the program writes it
        return record;
    };
    const std::string bytes =
        written(Record(0, 0, 3, "abc")) + written(Record(12, 0, 3, "def")) + written(Record(40000, 0, 3, "ghi"));
    EXPECT_EQ(EncodeAutoSendRules(DecodeAutoSendRules(bytes)), bytes);
}

TEST(AutoSendFile, NamesAreCutTo250Characters) {
    auto r = MakeAutoSendRule(std::string(300, 'n'), 4, false);
    EXPECT_EQ(r.NameLength, 250);
    EXPECT_EQ(RuleName(r), std::string(250, 'n'));
}

TEST(RuleFiles, ListsAndRulesGoThroughTheirFiles) {
    std::string dir = e2e::TempDir();
    std::string list = dir + "rules.ign";
    std::string aus = dir + "rules.aus";
    ::DeleteFileA(list.c_str());
    ::DeleteFileA(aus.c_str());
    EXPECT_FALSE(LoadRuleList(list).has_value());
    EXPECT_FALSE(LoadAutoSendFile(aus).has_value());

    SaveRuleList(list, {"C:\\APP.EXE", "NOTEPAD"});
    EXPECT_EQ(framework::ReadFileBytes(list), "C:\\APP.EXE\r\nNOTEPAD\r\n");
    EXPECT_EQ(*LoadRuleList(list), (std::vector<std::string>{"C:\\APP.EXE", "NOTEPAD"}));
    SaveRuleList(list, {});
    EXPECT_EQ(framework::ReadFileBytes(list), "");
    EXPECT_TRUE(LoadRuleList(list)->empty());

    std::vector<TAutoSendRule> rules{MakeAutoSendRule("C:\\Mixed\\Case.exe", 6, false)};
    SaveAutoSendFile(aus, rules);
    auto back = LoadAutoSendFile(aus);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->size(), 1u);
    EXPECT_EQ(RuleName((*back)[0]), "C:\\Mixed\\Case.exe");
    EXPECT_EQ((*back)[0].Desktop, 6);
}
