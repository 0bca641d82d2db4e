#include <gtest/gtest.h>
#include <shlobj.h>
#include <climits>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include "engine/gtools.h"
#include "framework/owned.h"
#include "support/e2e.h"

using namespace engine;

namespace {

std::string OwnExePath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string LongPathOf(const std::string& p) {
    char buf[MAX_PATH] = {};
    DWORD n = ::GetLongPathNameA(p.c_str(), buf, MAX_PATH);
    return n ? std::string(buf, n) : std::string();
}

std::string ShortPathOf(const std::string& p) {
    char buf[MAX_PATH] = {};
    DWORD n = ::GetShortPathNameA(p.c_str(), buf, MAX_PATH);
    return n ? std::string(buf, n) : std::string();
}

bool FolderExists(const std::string& p) {
    DWORD a = ::GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs("x", f);
    std::fclose(f);
}

}  // namespace

TEST(GTools, HexToIntReadsTrimmedDigitsAndCountsOthersAsSixteen) {
    struct { const char* text; int32_t value; } cases[] = {
        {" 1f ", 31}, {"1F", 31}, {"G", 16}, {"", 0}, {"   ", 0}, {"0", 0},
        {"1G", 32},                      // 1 * 16 + 16
        {"7fffffff", INT32_MAX}, {"FFFFFFFF", -1}, {"80000000", INT32_MIN},
        {"100000001", 1},                // wraps around in 32 bits
    };
    for (const auto& c : cases) EXPECT_EQ(HexToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(GTools, UrlEncodeKeepsOnlyLettersAndDigits) {
    struct { std::string text, encoded; } cases[] = {
        {"a b", "a%20b"}, {"\xE4", "%E4"}, {"AZaz09", "AZaz09"}, {"", ""},
        {"-_.~", "%2D%5F%2E%7E"}, {"a/b?c=d&e", "a%2Fb%3Fc%3Dd%26e"},
        {std::string("\0\xFF", 2), "%00%FF"},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlEncode(c.text), c.encoded) << c.text;
}

TEST(GTools, TextAndNumberHelpers) {
    struct { const char* path; const char* result; } slashes[] = {
        {"C:", "C:\\"}, {"", ""}, {"C:\\x\\", "C:\\x\\"}, {"x", "x\\"}, {"\\\\srv\\share", "\\\\srv\\share\\"},
    };
    for (const auto& c : slashes) EXPECT_EQ(AddBackslash(c.path), c.result) << c.path;

    EXPECT_EQ(UpperCaseAscii("abc-XYZ-\xE4\xFF"), "ABC-XYZ-\xE4\xFF");

    struct { int a, b, min, max; } pairs[] = {
        {3, 3, 3, 3}, {2, 5, 2, 5}, {5, 2, 2, 5}, {-1, 1, -1, 1}, {INT_MIN, INT_MAX, INT_MIN, INT_MAX},
    };
    for (const auto& c : pairs) {
        EXPECT_EQ(IntMin(c.a, c.b), c.min) << c.a << "," << c.b;
        EXPECT_EQ(IntMax(c.a, c.b), c.max) << c.a << "," << c.b;
    }
}

TEST(GTools, WindowsVersionTagIsMajorMinorBuild) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExA(&info));
    std::string tag = WindowsVersionTag();
    EXPECT_TRUE(std::regex_match(tag, std::regex("[0-9]+_[0-9]+_[0-9]+"))) << tag;
    EXPECT_EQ(tag, std::to_string(info.dwMajorVersion) + "_" + std::to_string(info.dwMinorVersion) + "_" +
                       std::to_string(info.dwBuildNumber & 0xFFFF));
}

class GToolsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root = e2e::TempDir() + "gtools-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ::CreateDirectoryA(root.c_str(), nullptr);
        ASSERT_TRUE(FolderExists(root));
    }
    std::string root;
};

TEST_F(GToolsFiles, ShortToLongPathExpandsEveryComponent) {
    const std::string folder = root + "Long Folder Name";
    const std::string file = folder + "\\another long file.txt";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    WriteFile(file);
    const std::string longFile = LongPathOf(file), longFolder = LongPathOf(folder);
    const std::string shortFile = ShortPathOf(file), shortFolder = ShortPathOf(folder);
    ASSERT_FALSE(longFile.empty());
    ASSERT_NE(shortFile, longFile) << "the file system gives no short names here";

    struct { std::string path, expected; } cases[] = {
        {shortFile, longFile},
        {shortFolder + "\\", longFolder + "\\"},                          // a trailing backslash stays
        {shortFolder + "\\missing dir\\x.txt", longFolder + "\\missing dir\\x.txt"},
        {UpperCaseAscii(longFile.substr(0, 2)) + UpperCaseAscii(longFile.substr(2)),
         UpperCaseAscii(longFile.substr(0, 2)) + longFile.substr(2)},  // the file system's spelling
        {shortFolder + "\\*", longFolder + "\\*"},                        // a wildcard names no file
        {"\\\\server\\share\\PROGRA~1\\x.exe", "\\\\server\\share\\PROGRA~1\\x.exe"},
        {"winhelper.exe", "winhelper.exe"},
        {"C:relative\\x", "C:relative\\x"},
        {"", ""}, {"C:", "C:"}, {"C:\\", "C:\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortToLongPath(c.path), c.expected) << c.path;
}

TEST_F(GToolsFiles, CreateFolderPathCreatesEveryLevel) {
    for (std::string path : {root + "a\\b\\c\\d\\e", root + "x\\y\\z\\"}) {
        CreateFolderPath(path);
        EXPECT_TRUE(FolderExists(path)) << path;
        CreateFolderPath(path);   // an existing path is no error
        EXPECT_TRUE(FolderExists(path)) << path;
    }
    CreateFolderPath("");
}

TEST_F(GToolsFiles, CountFolderFilesCountsAndReportsMatchingEntries) {
    CreateFolderPath(root + "sub\\deeper");
    CreateFolderPath(root + "empty");
    WriteFile(root + "a.txt");
    WriteFile(root + "b.dat");
    WriteFile(root + "sub\\c.txt");
    WriteFile(root + "sub\\deeper\\d.txt");

    struct Case {
        const char* mask;
        bool recursive, filesOnly;
        std::set<std::string> seen;
    } cases[] = {
        {"*", false, false, {"a.txt", "b.dat", "sub", "empty"}},
        {"*", false, true, {"a.txt", "b.dat"}},
        {"*", true, false, {"a.txt", "b.dat", "sub", "empty", "sub\\c.txt", "sub\\deeper", "sub\\deeper\\d.txt"}},
        {"*", true, true, {"a.txt", "b.dat", "sub\\c.txt", "sub\\deeper\\d.txt"}},
        // The mask applies to folders too: only folders it matches are entered.
        {"*.txt", true, false, {"a.txt"}},
    };
    for (const auto& c : cases) {
        std::set<std::string> seen;
        int n = CountFolderFiles(root.substr(0, root.size() - 1), c.mask, c.recursive,
                                 [&](const std::string& folder, const WIN32_FIND_DATAA& e) {
                                     ASSERT_EQ(folder.back(), '\\');
                                     ASSERT_EQ(folder.rfind(root, 0), 0u) << folder;
                                     seen.insert(folder.substr(root.size()) + e.cFileName);
                                 },
                                 c.filesOnly);
        EXPECT_EQ(seen, c.seen) << c.mask << " recursive " << c.recursive << " files only " << c.filesOnly;
        EXPECT_EQ(n, static_cast<int>(c.seen.size()));
        EXPECT_EQ(CountFolderFiles(root, c.mask, c.recursive, nullptr, c.filesOnly), n);
    }
    EXPECT_EQ(CountFolderFiles(root + "no such folder", "*", true, nullptr, false), 0);
}

TEST(GTools, DataFolderIsUnderApplicationDataAndExists) {
    char appData[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    const std::string expected = AddBackslash(appData) + "Pelmora\\Quillmere\\";
    // An empty folder left by an earlier run is removed, so the call must make it.
    ::RemoveDirectoryA(expected.c_str());
    std::string folder = GetDataFolder();
    EXPECT_EQ(UpperCaseAscii(folder), UpperCaseAscii(expected));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(GetDataFolder(), folder);
}

TEST(GTools, AppFolderIsTheFolderOfTheRunningProgram) {
    std::string exe = OwnExePath();
    EXPECT_EQ(GetAppFolder(), exe.substr(0, exe.find_last_of('\\') + 1));
}

TEST(GTools, ProcessPathsOfThisProcess) {
    const DWORD self = ::GetCurrentProcessId();
    const std::string exe = UpperCaseAscii(OwnExePath());
    EXPECT_EQ(UpperCaseAscii(ProcessExePath(self)), exe);
    EXPECT_EQ(UpperCaseAscii(ProcessExePathQuery(self)), exe);
    EXPECT_EQ(UpperCaseAscii(ProcessExePathPsapi(self)), exe);
    EXPECT_EQ(UpperCaseAscii(ProcessExeNameToolhelp(self)), exe.substr(exe.find_last_of('\\') + 1));

    // Process ids are multiples of four; this one is never handed out.
    constexpr DWORD kNoProcess = 0xFFFFFFF1;
    EXPECT_EQ(ProcessExePath(kNoProcess), "");
    EXPECT_EQ(ProcessExePathPsapi(kNoProcess), "");
    EXPECT_EQ(ProcessExeNameToolhelp(kNoProcess), "");
}

TEST(GTools, ForEachProcessReportsEveryEntryIncludingThisProcess) {
    int calls = 0, self = 0;
    int n = ForEachProcess([&](const PROCESSENTRY32& e) {
        ++calls;
        EXPECT_EQ(e.dwSize, sizeof(PROCESSENTRY32));
        if (e.th32ProcessID == ::GetCurrentProcessId()) ++self;
    });
    EXPECT_EQ(n, calls);
    EXPECT_EQ(self, 1);
    EXPECT_GT(ForEachProcess(nullptr), 0);
}

namespace {
// A few top-level windows of this process.
class OwnWindows {
public:
    explicit OwnWindows(int n) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TessGtoolsTestWindow";
        ::RegisterClassA(&wc);
        for (int i = 0; i < n; ++i) {
            HWND w = ::CreateWindowExA(0, wc.lpszClassName, "own", WS_OVERLAPPEDWINDOW, 10 * i, 10 * i, 200, 100,
                                       nullptr, nullptr, wc.hInstance, nullptr);
            ::ShowWindow(w, SW_SHOWNA);
            windows_.emplace_back(w);
        }
    }
    bool Contains(HWND w) const {
        for (const auto& o : windows_) if (o.get() == w) return true;
        return false;
    }
    size_t Size() const { return windows_.size(); }
private:
    std::vector<framework::Window> windows_;
};
}  // namespace

TEST(GTools, EnumerationsVisitEachWindowOnceWhileCallbacksReorderThem) {
    OwnWindows own(4);
    auto sendToBottom = [](HWND w) {
        ::SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    for (bool topDown : {true, false}) {
        std::map<HWND, int> visits;
        ForEachTopWindowZOrder([&](HWND w) {
            if (!own.Contains(w)) return;
            ++visits[w];
            sendToBottom(w);
        }, topDown);
        EXPECT_EQ(visits.size(), own.Size()) << "top down " << topDown;
        for (auto [w, n] : visits) EXPECT_EQ(n, 1);
    }
    std::map<HWND, int> visits;
    ForEachTopWindow([&](HWND w) {
        if (!own.Contains(w)) return;
        ++visits[w];
        sendToBottom(w);
    });
    EXPECT_EQ(visits.size(), own.Size());
    for (auto [w, n] : visits) EXPECT_EQ(n, 1);
}

TEST(GTools, WindowExePathOfOwnGoneAndNoWindow) {
    OwnWindows own(1);
    HWND w = ::FindWindowA("TessGtoolsTestWindow", nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(WindowTestFalse(w));
    EXPECT_EQ(UpperCaseAscii(WindowExePath(w)), UpperCaseAscii(OwnExePath()));
    EXPECT_EQ(WindowExePath(nullptr), "");
    HWND gone = ::CreateWindowExA(0, "TessGtoolsTestWindow", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    ::DestroyWindow(gone);
    EXPECT_EQ(WindowExePath(gone), "");
}
