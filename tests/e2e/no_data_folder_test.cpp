// Without a data folder (the user's application-data folder cannot be found)
// the program runs, says so in its log, and saves none of its files: above
// all never into the folder it was started in.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "support/e2e.h"

using namespace e2e;

namespace {

// Points the user's application-data folder at a drive that does not exist,
// for the programs started while the scope lives, and puts the value back.
class UnreachableAppData {
public:
    UnreachableAppData() {
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ | KEY_WRITE, &key_) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (::RegQueryValueExA(key_, "AppData", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            had_ = ::RegQueryValueExA(key_, "AppData", nullptr, &type_, reinterpret_cast<BYTE*>(saved_.data()),
                                      &size) == ERROR_SUCCESS;
        }
        const char unreachable[] = "Q:\\nowhere\\AppData";
        set_ = ::RegSetValueExA(key_, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(unreachable),
                                sizeof unreachable) == ERROR_SUCCESS;
    }
    ~UnreachableAppData() {
        if (!key_) return;
        if (had_)
            ::RegSetValueExA(key_, "AppData", 0, type_, reinterpret_cast<const BYTE*>(saved_.data()),
                             static_cast<DWORD>(saved_.size()));
        else
            ::RegDeleteValueA(key_, "AppData");
        ::RegCloseKey(key_);
    }
    UnreachableAppData(const UnreachableAppData&) = delete;
    UnreachableAppData& operator=(const UnreachableAppData&) = delete;
    bool Set() const noexcept { return set_; }

private:
    static constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key_ = nullptr;
    DWORD type_ = REG_EXPAND_SZ;
    std::string saved_;
    bool had_ = false, set_ = false;
};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}

bool Logged(DWORD pid, std::string_view part) {
    for (const auto& line : EventLogLines(pid))
        if (line.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(NoDataFolder, TheProgramRunsSaysSoAndWritesNothingIntoItsWorkingFolder) {
    ResetUserState();
    WriteSetting("showsplash", 0);
    const std::string work = TempDir() + "no-data-folder\\";
    ::CreateDirectoryA(work.c_str(), nullptr);
    ASSERT_TRUE(FilesIn(work).empty());
    {
        UnreachableAppData scope;
        ASSERT_TRUE(scope.Set());
        ChildProcess program(BinDir() + "Tessareltop.exe", "", work);
        const DWORD pid = program.Pid();
        ASSERT_TRUE(WaitUntil([&] { return Logged(pid, "Virtual desktop engine successfully started!"); }, 15000));
        EXPECT_TRUE(Logged(pid, "No data folder"));
        Helper h({.cls = "TessNoDataFolder", .title = "kept nowhere"});   // a window for the snapshot
        ASSERT_EQ(h.Windows().size(), 1u);
        // The exit saves the lists, the rules and the snapshot.
        EXPECT_EQ(RunAndWait(BinDir() + "Tessareltop.exe", "-kill"), 0);
        EXPECT_EQ(program.Wait(15000), 0);
    }
    EXPECT_EQ(FilesIn(work), std::vector<std::string>{});
    for (const auto& name : FilesIn(work)) ::DeleteFileA((work + name).c_str());
    ::RemoveDirectoryA(work.substr(0, work.size() - 1).c_str());
}
