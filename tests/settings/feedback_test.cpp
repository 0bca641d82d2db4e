// What the error report and the uninstall poll send: the texts, the feedback
// page's address with its query keys, its escapes and its cut, and the one
// file the error report may delete.
#include <gtest/gtest.h>
#include <string>
#include "engine/tray_menus.h"
#include "settings/feedback.h"

using namespace settings;

namespace {

const std::string kPage = std::string(engine::kMakerSite) + "/quill_mere/feedback.php";

// Shift JIS in small: 0x81 to 0x9F are lead bytes that take the next byte along.
size_t DoubleByteLength(std::string_view text, size_t pos) {
    const auto b = static_cast<unsigned char>(text[pos]);
    return b >= 0x81 && b <= 0x9F ? 2 : 1;
}

// Every "%" of the address begins a whole escape of two hexadecimal digits.
bool EscapesWhole(const std::string& address) {
    for (size_t i = address.find('%'); i != std::string::npos; i = address.find('%', i + 1))
        if (i + 2 >= address.size() || !std::isxdigit(static_cast<unsigned char>(address[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(address[i + 2])))
            return false;
    return true;
}

}  // namespace

TEST(Feedback, TextsJoinVersionTagAndCommentWithHyphens) {
    EXPECT_EQ(ErrorReportText("5_1_2600", "2024-01-02 03:04:05 >> boom\r\n", "it broke"),
              "v1.3.7-5_1_2600-2024-01-02 03:04:05 >> boom\r\n-it broke");
    EXPECT_EQ(ErrorReportText("5_1_2600", "", ""), "v1.3.7-5_1_2600--");
    // Reason 3 without a comment: the digit, a hyphen, the tag and a hyphen.
    EXPECT_EQ(PollText(3, "5_1_2600", ""), "3-5_1_2600-");
    EXPECT_EQ(PollText(12, "6_1_7601", "bye"), "12-6_1_7601-bye");
}

TEST(Feedback, AddressesCarryTheQueryKeysInOrder) {
    struct {
        std::string address, expected;
    } cases[] = {
        {ErrorReportAddress("5_1_2600", "a b", SingleByteCharLength),
         kPage + "?prod=1&req=0&ver=5_1_2600&sure=1&comment=a%20b"},
        {ErrorReportAddress("5_1_2600", "", SingleByteCharLength), kPage + "?prod=1&req=0&ver=5_1_2600&sure=1&comment="},
        // The e-mail is trimmed and encoded; the poll text is encoded whole.
        {PollAddress("5_1_2600", "  me@example.org ", "3-5_1_2600-", SingleByteCharLength),
         kPage + "?prod=1&req=2&ver=5_1_2600&sure=1&email=me%40example%2Eorg&comment=3%2D5%5F1%5F2600%2D"},
        {PollAddress("6_1_7601", "", "0-6_1_7601-x&y=z", SingleByteCharLength),
         kPage + "?prod=1&req=2&ver=6_1_7601&sure=1&email=&comment=0%2D6%5F1%5F7601%2Dx%26y%3Dz"},
        // The bytes of the ANSI code page are encoded as they are.
        {PollAddress("6_1_7601", "\xE4", "\xE4\xFF", SingleByteCharLength),
         kPage + "?prod=1&req=2&ver=6_1_7601&sure=1&email=%E4&comment=%E4%FF"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address, c.expected);
}

TEST(Feedback, ALongReportIsCutAtTheLimitNeverInsideAnEscape) {
    const std::string prefix = ErrorReportAddress("6_1_7601", "", SingleByteCharLength);
    const size_t room = kMaxAddressLength - prefix.size();
    struct {
        const char* name;
        std::string report;
        size_t expectedLength;
    } cases[] = {
        {"letters fill it exactly", std::string(3000, 'a'), kMaxAddressLength},
        {"escapes stop before the one that does not fit", std::string(3000, ' '), prefix.size() + room / 3 * 3},
        {"one letter first shifts the escapes", "a" + std::string(3000, ' '), prefix.size() + 1 + (room - 1) / 3 * 3},
        {"two letters first", "aa" + std::string(3000, ' '), prefix.size() + 2 + (room - 2) / 3 * 3},
        {"a short report is whole", "short", prefix.size() + 5},
    };
    for (const auto& c : cases) {
        const std::string address = ErrorReportAddress("6_1_7601", c.report, SingleByteCharLength);
        EXPECT_EQ(address.size(), c.expectedLength) << c.name;
        EXPECT_LE(address.size(), kMaxAddressLength) << c.name;
        EXPECT_TRUE(EscapesWhole(address)) << c.name;
        EXPECT_EQ(address.substr(0, prefix.size()), prefix) << c.name;
    }
}

TEST(Feedback, TheCutNeverSplitsADoubleByteCharacter) {
    const std::string prefix = ErrorReportAddress("6_1_7601", "", DoubleByteLength);
    const size_t room = kMaxAddressLength - prefix.size();
    // Each character "\x82\xA0" takes six characters of the address; with k
    // letters before them the room left for them varies with k.
    for (size_t k = 0; k < 6; ++k) {
        std::string report(k, 'a');
        for (int i = 0; i < 600; ++i) report += "\x82\xA0";
        const std::string address = ErrorReportAddress("6_1_7601", report, DoubleByteLength);
        EXPECT_EQ(address.size(), prefix.size() + k + (room - k) / 6 * 6) << k;
        EXPECT_EQ(address.substr(address.size() - 6), "%82%A0") << k;
        EXPECT_TRUE(EscapesWhole(address)) << k;
    }
    // A lead byte at the very end of the text has no trail: it goes alone.
    EXPECT_EQ(AppendEncodedText("x=", "a\x82", DoubleByteLength), "x=a%82");
}

TEST(Feedback, CharacterLengthsStayInsideTheText) {
    EXPECT_EQ(AnsiCharLength("abc", 0), 1u);
    EXPECT_EQ(AnsiCharLength("abc", 2), 1u);
    EXPECT_EQ(AnsiCharLength("abc", 3), 0u);
    EXPECT_EQ(AnsiCharLength("\xE4", 0), 1u);   // never more than is left
    EXPECT_EQ(SingleByteCharLength("\x82\xA0", 0), 1u);
}

TEST(Feedback, OnlyTheNamedFileDirectlyInAnAbsoluteDataFolderIsTheErrorLog) {
    const std::string folder = "C:\\users\\me\\AppData\\Roaming\\Pelmora\\Quillmere\\";
    struct {
        std::string path, folder;
        bool expected;
    } cases[] = {
        {folder + "errorlog.log", folder, true},
        {"\\\\server\\share\\Pelmora\\Quillmere\\errorlog.log", "\\\\server\\share\\Pelmora\\Quillmere\\", true},
        // Without a data folder the bare name would point into the working folder.
        {"errorlog.log", "", false},
        {"Pelmora\\Quillmere\\errorlog.log", "Pelmora\\Quillmere\\", false},
        {"C:errorlog.log", "C:", false},
        {folder + "errorlog.log", folder.substr(0, folder.size() - 1), false},   // no trailing backslash
        {folder + "Tessareltop.snp", folder, false},
        {folder + "sub\\errorlog.log", folder, false},
        {folder + "errorlog.log.bak", folder, false},
        {"C:\\users\\..\\errorlog.log", "C:\\users\\..\\", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDataFolderFile(c.path, c.folder, "errorlog.log"), c.expected) << c.path;
    EXPECT_FALSE(IsDataFolderFile(folder + "..\\x", folder, "..\\x"));
}
