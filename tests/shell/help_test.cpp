// The help front end: the addresses it builds, what each viewer mode
// answers, the debug log and its switches, the folder test, the versions,
// and the real HTML Help control opening a topic of the program's help file.
#include <gtest/gtest.h>
#include <windows.h>
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "framework/dialogs.h"
#include "shell/help.h"
#include "shell/help_debug.h"
#include "shell/help_versions.h"
#include "support/e2e.h"

using namespace shell;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// A fresh folder of its own for each test that writes files.
std::string NewFolder(const std::string& name) {
    std::string dir = e2e::TempDir() + name;
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}

// The help state as a test sets it, put back afterwards; the log goes to a
// folder of the test's own and every message box is answered and noted.
class HelpStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        HelpState& s = Help();
        saved_ = {s.HHInstalled, s.HtmlHelpEntry, s.HelpDebugOn, s.HelpLogFolder, s.WindowsDir};
        logDir_ = NewFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        s.HelpLogFolder = logDir_;
        s.HelpDebugOn = true;
        ::DeleteFileA(HelpLogPath().c_str());
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            boxes_.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
    }
    void TearDown() override {
        framework::SetMessageBoxAnswerer({});
        HelpState& s = Help();
        s.HHInstalled = saved_.installed;
        s.HtmlHelpEntry = saved_.entry;
        s.HelpDebugOn = saved_.debugOn;
        s.HelpLogFolder = saved_.logFolder;
        s.WindowsDir = saved_.windowsDir;
    }
    // The log's lines with the time cut off the timed ones.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> out;
        for (std::string line : Lines(ReadFile(logDir_ + "\\HHDebug.txt"))) {
            size_t timeAt = line.rfind("   ");
            if (timeAt != std::string::npos && timeAt > 0) line.resize(timeAt);
            out.push_back(line);
        }
        return out;
    }
    struct Box {
        std::string text, caption;
        UINT flags;
    };
    struct Saved {
        bool installed;
        HtmlHelpAFn entry;
        bool debugOn;
        std::string logFolder, windowsDir;
    } saved_{};
    std::string logDir_;
    std::vector<Box> boxes_;
};

}  // namespace

TEST(BuildHelpUrl, JoinsFileTopicAndWindowWithEachPrefix) {
    struct Case {
        const char* file;
        const char* topic;
        const char* window;
        HelpPrefix prefix;
        const char* url;
    };
    const Case cases[] = {
        {"C:\\App\\help.chm", "sub\\page.htm", "main", HelpPrefix::None, "C:\\App\\help.chm::/sub/page.htm>main"},
        {"C:\\My%20App\\help.chm", "my%20page.htm", "my%20window", HelpPrefix::None,
         "C:\\My App\\help.chm::/my page.htm>my window"},
        {"  C:\\a.chm ", " /x.htm ", " w ", HelpPrefix::None, "C:\\a.chm::/x.htm>w"},
        {"%20C:\\a.chm%20", "x.htm", "", HelpPrefix::None, "C:\\a.chm::/x.htm"},
        {"a.chm", "/x.htm", "", HelpPrefix::None, "a.chm::/x.htm"},
        {"a.chm", "\\x.htm", "", HelpPrefix::None, "a.chm::/x.htm"},
        {"C:\\a.chm", "", "", HelpPrefix::None, "C:\\a.chm"},
        {"C:\\a.chm", "%20", "main", HelpPrefix::None, "C:\\a.chm>main"},
        {"", "x.htm", "", HelpPrefix::None, "/x.htm"},
        {"", "", "", HelpPrefix::None, ""},
        {"C:\\a.chm", "x.htm", "", HelpPrefix::Store, "mk:@MSITStore:C:\\a.chm::/x.htm"},
        {"C:\\a.chm", "x.htm", "w", HelpPrefix::Its, "ms-its:C:\\a.chm::/x.htm>w"},
        {"C:\\a.chm", "", "", HelpPrefix::Its, "ms-its:C:\\a.chm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildHelpUrl(c.file, c.topic, c.window, c.prefix), c.url)
            << "[" << c.file << "] [" << c.topic << "] [" << c.window << "]";
}

TEST_F(HelpStateTest, WithoutTheControlEveryModeAnswersNotInstalledAndShowsNothing) {
    Help().HHInstalled = false;
    for (auto mode : {HelpMode::Control, HelpMode::KeyHH, HelpMode::HH})
        EXPECT_EQ(ShowHelpUrl("C:\\a.chm::/x.htm", mode), HelpResult::NotInstalled);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(HelpStateTest, AControlWithoutItsEntryPointAnswersNotInstalledWithoutCallingIt) {
    Help().HHInstalled = true;
    Help().HtmlHelpEntry = nullptr;
    EXPECT_EQ(ShowHelpTopic("C:\\a.chm", "x.htm", "", HelpMode::Control), HelpResult::NotInstalled);
}

TEST_F(HelpStateTest, MissingStandAloneViewersAnswerTheirOwnResults) {
    Help().HHInstalled = true;
    Help().WindowsDir = NewFolder("no-viewers");
    EXPECT_EQ(ShowHelpUrl("C:\\a.chm::/x.htm", HelpMode::KeyHH), HelpResult::KeyHHMissing);
    EXPECT_EQ(ShowHelpUrl("C:\\a.chm::/x.htm", HelpMode::HH), HelpResult::HHMissing);
    EXPECT_EQ(ShowHelpUrl("C:\\a.chm::/x.htm", static_cast<HelpMode>(7)), HelpResult::Shown) << "unknown mode";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(HelpStateTest, EveryCallIsLoggedWithItsArgumentsAndResult) {
    Help().HHInstalled = false;
    ShowHelpTopic("C:\\App\\tessarel.chm", "sub\\page.htm", "main", HelpMode::HH);
    const std::vector<std::string> expected = {
        "HHHelpContext(\"C:\\App\\tessarel.chm\", sub\\page.htm, \"main\", 2)",
        "ShowTopic(\"mk:@MSITStore:C:\\App\\tessarel.chm::/sub/page.htm>main\", 2)",
        "  returned - 1",
    };
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(HelpStateTest, WithTheLogOffNothingIsWritten) {
    Help().HelpDebugOn = false;
    Help().HHInstalled = false;
    ShowHelpTopic("C:\\a.chm", "x.htm", "", HelpMode::Control);
    EXPECT_EQ(::GetFileAttributesA(HelpLogPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HelpStateTest, AFailedShellExecuteWarnsWithTheCallAndTheError) {
    const std::string missing = logDir_ + "\\missing\\viewer.exe";
    EXPECT_FALSE(ShellExecuteOpen(missing, "-win x"));
    ASSERT_EQ(boxes_.size(), 1u);
    const std::string prefix = "Function ShellExecute(" + missing + ", -win x)\rReturned: [Error:";
    EXPECT_EQ(boxes_[0].text.substr(0, prefix.size()), prefix) << boxes_[0].text;
    EXPECT_EQ(boxes_[0].caption, "Warning");
    EXPECT_EQ(boxes_[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    // With the log on the message is logged as well.
    ASSERT_FALSE(LogLines().empty());
    EXPECT_EQ(LogLines().front().substr(0, 22), "Function ShellExecute(");
}

TEST(HelpLog, LineTextForRulesMarkedAndTimedLines) {
    struct Case {
        const char* line;
        std::string text;
    };
    const Case cases[] = {
        {"-", std::string(79, '-')},
        {"=", std::string(79, '=')},
        {"!Filename:\tC:\\x", "Filename:\tC:\\x"},
        {"-abc", "abc"},
        {"=abc", "abc"},
        {"  returned - 0", "  returned - 0   12:34:56"},
        {"", "   12:34:56"},
        {"--", "-"},
    };
    for (const Case& c : cases) EXPECT_EQ(HelpLogLineText(c.line, "12:34:56"), c.text) << "[" << c.line << "]";
}

TEST(HelpLog, AppendsLinesAndMovesAFullLogAside) {
    const std::string dir = NewFolder("rotate");
    const std::string log = dir + "\\HHDebug.txt", old = dir + "\\HHDebug.old";
    AppendHelpLogLine(log, old, "one", 16);
    AppendHelpLogLine(log, old, "two", 16);
    EXPECT_EQ(ReadFile(log), "one\r\ntwo\r\n");
    EXPECT_EQ(::GetFileAttributesA(old.c_str()), INVALID_FILE_ATTRIBUTES);
    AppendHelpLogLine(log, old, "three", 16);   // 10 bytes: still room
    AppendHelpLogLine(log, old, "four", 16);    // 17 bytes: full
    EXPECT_EQ(ReadFile(old), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(ReadFile(log), "four\r\n");
    // An older moved-aside log is replaced, never appended to.
    AppendHelpLogLine(log, old, "five-five-five", 16);
    AppendHelpLogLine(log, old, "six", 16);
    EXPECT_EQ(ReadFile(old), "four\r\nfive-five-five\r\n");
    EXPECT_EQ(ReadFile(log), "six\r\n");
}

TEST_F(HelpStateTest, TheDebugLogNeverGrowsPastItsLimit) {
    WriteFile(HelpLogPath(), std::string(kMaxHelpLogBytes, 'x'));
    DebugLog("!after the limit");
    EXPECT_EQ(ReadFile(HelpLogPath()), "after the limit\r\n");
    EXPECT_EQ(ReadFile(OldHelpLogPath()).size(), kMaxHelpLogBytes);
}

TEST(HelpLog, TheSwitchesInAnyPositionAndCase) {
    struct Case {
        bool marker;
        std::vector<std::string> args;
        bool on;
    };
    const Case cases[] = {
        {false, {}, false},
        {true, {}, true},
        {false, {"-debug"}, true},
        {false, {"/debug"}, true},
        {false, {"x", "y", "-DEBUG"}, true},
        {false, {"/Debug", "x"}, true},
        {false, {"debug"}, false},
        {false, {"--debug"}, false},
        {false, {"-debugx"}, false},
        {false, {"-s2"}, false},
    };
    for (const Case& c : cases) {
        std::string args;
        for (const auto& a : c.args) args += a + " ";
        EXPECT_EQ(DebugSwitchOn(c.marker, c.args), c.on) << "marker " << c.marker << ", args " << args;
    }
}

TEST(HelpLog, ReportLinesInOrderWithRules) {
    const std::vector<std::string> commandLine = {"C:\\Prog\\Tessareltop.exe", "-debug", "x"};
    const std::vector<std::string> lines = DebugReportLines(commandLine);
    ASSERT_EQ(lines.size(), 22u);
    const char* labels[] = {"!Filename:             \t", "!Date:                 \t", "!Operating System:      \t",
                            "!SysLocale.DefaultLCID: \t0x", "!SysLocale.PriLangID:   \t0x",
                            "!SysLocale.SubLangID:   \t0x", "!DecimalSeparator:      \t", "-",
                            "!EXE Path =          \tC:\\Prog\\Tessareltop.exe",
                            "!Cmdline Param(s) =  \t-debug | x", "!_RunDir =           \t",
                            "!_ModuleName =       \t", "!_ModuleDir =        \t", "-", "!_hhInstalled =      \t",
                            "!_hhVerStr =         \t", "!_hhFriendlyVerStr = \t", "-", "!_ieInstalled =      \t",
                            "!_ieVerStr =         \t", "!_ieFriendlyVerStr = \t", "="};
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, std::string(labels[i]).size()), labels[i]) << "line " << i;
    EXPECT_EQ(lines[2].substr(lines[2].find('\t') + 1, 11), "Windows NT ");
}

TEST(IsFolderWritable, LeavesEveryFileOfTheFolderAsItWas) {
    const std::string dir = NewFolder("writable");
    // A file with the name an older probe used must survive untouched.
    WriteFile(dir + "\\$_Temp_$.$$$", "the user's own file");
    WriteFile(dir + "\\other.txt", "another");
    const auto before = FolderEntries(dir);
    EXPECT_TRUE(IsFolderWritable(dir));
    EXPECT_TRUE(IsFolderWritable(dir + "\\"));
    EXPECT_EQ(FolderEntries(dir), before);
    EXPECT_EQ(ReadFile(dir + "\\$_Temp_$.$$$"), "the user's own file");
    EXPECT_EQ(ReadFile(dir + "\\other.txt"), "another");
}

TEST(IsFolderWritable, AFolderThatDoesNotExistIsNotWritable) {
    EXPECT_FALSE(IsFolderWritable(e2e::TempDir() + "no-such-folder"));
    EXPECT_FALSE(IsFolderWritable(""));
}

TEST(HelpLog, GoesToTheTemporaryFolderWhenTheProgramFolderIsNotWritable) {
    char temp[MAX_PATH + 1] = {};
    std::string expected(temp, ::GetTempPathA(sizeof temp, temp));
    if (!expected.empty() && expected.back() == '\\') expected.pop_back();
    EXPECT_EQ(HelpLogFolderFor(e2e::TempDir() + "no-such-folder"), expected);
    const std::string dir = NewFolder("program");
    EXPECT_EQ(HelpLogFolderFor(dir + "\\"), dir);
}

TEST(LastErrorText, NamesTheErrorsItKnows) {
    struct Case {
        DWORD error;
        const char* text;
    };
    const Case cases[] = {
        {2, "[Error:2] File Not Found"},          {3, "[Error:3] Path Not Found"},
        {5, "[Error:5] Access Denied"},           {8, "[Error:8] Insufficient Memory"},
        {19, "[Error:19] Media Is Write Protected"}, {21, "[Error:21] Device Not Ready"},
        {32, "[Error:32] File In Use"},           {33, "[Error:33] File In Use"},
        {39, "[Error:39] Disk Full"},             {112, "[Error:112] Disk Full"},
        {276, "[Error:276] Corrupt File Or Disk"}, {1005, "[Error:1005] Corrupt File Or Disk"},
        {1392, "[Error:1392] Corrupt File Or Disk"}, {1393, "[Error:1393] Corrupt File Or Disk"},
        {1009, "[Error:1009] Corrupt Registry"},  {1358, "[Error:1358] Corrupt Registry"},
        {1150, "[Error:1150] Windows Version Incorrect"},
        {1151, "[Error:1151] Not A Windows Or MSDos Program"},
        {0, "[Error:0] General Failure"},         {193, "[Error:193] General Failure"},
    };
    for (const Case& c : cases) EXPECT_EQ(LastErrorText(c.error), c.text);
}

TEST(HelpVersions, ReleaseNamesOfTheHelpControl) {
    struct Case {
        std::array<unsigned, 4> v;
        const char* name;
    };
    const Case cases[] = {
        {{4, 74, 9273, 0}, "1.33"},   {{4, 74, 9273, 1}, "> 1.33"}, {{5, 2, 3790, 2847}, "> 1.33"},
        {{4, 74, 9000, 0}, "1.32"},   {{4, 73, 8474, 5}, "1.21a"},  {{4, 72, 7290, 0}, "1.0"},
        {{4, 72, 7289, 9}, "< 1.0"},  {{1, 0, 0, 0}, "< 1.0"},
    };
    for (const Case& c : cases) EXPECT_EQ(HHFriendlyVersionFor(MakeFileVersion(c.v)), c.name) << MakeFileVersion(c.v).Text;
    EXPECT_EQ(HHFriendlyVersionFor(FileVersion{}), "");
}

TEST(HelpVersions, ReleaseNamesOfTheBrowserAfterTheCorrection) {
    struct Case {
        std::array<unsigned, 4> v;
        const char* corrected;
        const char* name;
    };
    const Case cases[] = {
        {{6, 0, 2600, 0}, "6.0.2600.0", "Internet Explorer 6 (Windows XP)"},
        {{6, 0, 2900, 2180}, "6.0.2900.2180", "> Internet Explorer 6"},
        {{5, 50, 4134, 600}, "5.50.4134.600", "Internet Explorer 5.5"},
        {{4, 70, 0, 1155}, "4.70.1155.0", "Internet Explorer 3.0"},
        {{4, 70, 0, 1300}, "4.70.1300.0", "Internet Explorer 3.02"},
        {{4, 71, 0, 544}, "4.71.0.544", "Internet Explorer 3.02"},   // minor above 70: taken as read
        {{4, 40, 308, 0}, "4.40.308.0", "Internet Explorer 1.0 (Plus!)"},
        {{4, 40, 307, 0}, "4.40.307.0", "< Internet Explorer 1.0 (Plus!)"},
    };
    for (const Case& c : cases) {
        const FileVersion v = CorrectIEVersion(MakeFileVersion(c.v));
        EXPECT_EQ(v.Text, c.corrected);
        EXPECT_EQ(IEFriendlyVersionFor(v), c.name) << v.Text;
    }
}

TEST(HelpVersions, FileVersionOfASystemLibraryAndOfNoFile) {
    char system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryA(system, sizeof system);
    const FileVersion v = GetFileVersionStr(std::string(system) + "\\kernel32.dll");
    ASSERT_FALSE(v.Empty());
    EXPECT_EQ(v.Text, MakeFileVersion(v.Parts).Text);
    EXPECT_TRUE(GetFileVersionStr(e2e::TempDir() + "no-such.dll").Empty());
}

// The real control under Wine: the topic opens in a window of class
// "HH Parent" (its page stays blank there), closed when the help ends.
TEST(ShowHelpTopic, OpensTheProgramsHelpFileInTheHelpControl) {
    StartHelp();
    ASSERT_TRUE(Help().HHInstalled) << "no registered HTML Help control";
    ASSERT_NE(Help().HtmlHelpEntry, nullptr);
    const std::string helpFile = e2e::BinDir() + "tessarel.chm";
    ASSERT_NE(::GetFileAttributesA(helpFile.c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(ShowHelpTopic(helpFile, help_texts::kTopicPreview, "", HelpMode::Control), HelpResult::Shown);
    HWND help = nullptr;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        e2e::Pump(10);
        return (help = ::FindWindowA("HH Parent", nullptr)) != nullptr;
    }, 10000));
    if (help) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(help, &pid);
        EXPECT_EQ(pid, ::GetCurrentProcessId());
    }
    StopHelp();
    EXPECT_TRUE(e2e::WaitUntil([] {
        e2e::Pump(10);
        return ::FindWindowA("HH Parent", nullptr) == nullptr;
    }, 5000));
    EXPECT_EQ(Help().HtmlHelpEntry, nullptr);
}
