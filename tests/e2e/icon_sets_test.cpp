// Per-desktop desktop-icon and Quick Launch sets, seen from outside: the
// user's files travel with the desktops and are all back in place after the
// program ends, even when it is killed in the middle of a change. Every file
// lives in the test prefix's own user folders (real folders there, never
// links into a home folder).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstdio>
#include <memory>
#include "shell/icon_positions.h"
#include "shell/icon_swapper.h"
#include "shell/set_swapper.h"
#include "shell/shell_obj.h"
#include "shell/string_routines.h"
#include "support/program_test.h"
#include "support/shell_view.h"
#include "support/swap_folders.h"

using namespace e2e;
using swaptest::Picture;
using swaptest::ReadBytes;
using swaptest::Tree;

namespace {

constexpr char kTag[] = "e2eset";   // in the name of every file the tests make

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    std::string s = path;
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s;
}
std::string DesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }
std::string QuickLaunchFolder() { return SpecialFolder(CSIDL_APPDATA) + "Microsoft\\Internet Explorer\\Quick Launch\\"; }
std::string IconSet(int n) { return DataFolder() + "IconSwapper\\" + std::to_string(n) + "\\"; }
std::string QuickLaunchSet(int n) { return DataFolder() + "QLaunchSwapper\\" + std::to_string(n) + "\\"; }
bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The test's own entries of a folder (and every entry of a parked set).
Tree OwnEntries(const std::string& folder) {
    Tree all = Picture(folder), own;
    for (const auto& [name, entry] : all)
        if (name.find(kTag) != std::string::npos) own[name] = entry;
    return own;
}

void RemoveOwnEntries(const std::string& folder) {
    Tree own = OwnEntries(folder);
    for (auto it = own.rbegin(); it != own.rend(); ++it) {
        std::string path = folder + it->first;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::RemoveDirectoryA(path.c_str())) ::DeleteFileA(path.c_str());
    }
}

bool DeskFileSays(const std::string& name, int desk) {
    return ReadBytes(DataFolder() + name) == shell::EncodeSetDesk(desk);
}

bool LogHas(DWORD pid, const std::string& part) {
    for (const auto& line : EventLogLines(pid))
        if (line.find(part) != std::string::npos) return true;
    return false;
}

// The program with per-desktop sets, on a grid of four desktops; the user's
// folders are checked to be real folders before anything is made in them.
class IconSetsTest : public ProgramTest {
protected:
    void SetUp() override {
        for (const std::string& f : {DesktopFolder(), QuickLaunchFolder()})
            ASSERT_EQ(shell::CheckSwapFolder(shell::AnsiToWide(f)), shell::TRootProblem::None) << f;
        Clean();
        ProgramTest::SetUp();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        Clean();
    }
    void Prepare() override {
        WriteSetting("disticons", icons_);
        WriteSetting("distql", quickLaunch_);
        PrepareFiles();
    }
    virtual void PrepareFiles() {}
    static void Clean() {
        RemoveOwnEntries(DesktopFolder());
        RemoveOwnEntries(QuickLaunchFolder());
    }
    void Switch(int n) {
        ASSERT_EQ(program_->SecondStart("-s" + std::to_string(n)), 0);
        EXPECT_TRUE(!icons_ || WaitUntil([n] { return DeskFileSays("VirtIcon.cfg", n); }, 10000)) << n;
        EXPECT_TRUE(!quickLaunch_ || WaitUntil([n] { return DeskFileSays("VirtQL.cfg", n); }, 10000)) << n;
    }
    void Exit() {
        ::PostMessageA(program_->MainWindow(), WM_CLOSE, 0, 0);
        ASSERT_EQ(program_->Process().Wait(15000), 0);
    }
    void Restart() {
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
    }
    int icons_ = 1;
    int quickLaunch_ = 1;
};

// Set 1 of each folder is there at the start, with a file of an earlier run
// waiting in desktop 1's parked folder under a name the desktop holds too.
class SetsTravelTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        swaptest::MakeSampleSet(DesktopFolder(), std::string(kTag) + "-desk1");
        swaptest::MakeSampleSet(QuickLaunchFolder(), std::string(kTag) + "-ql1");
        ASSERT_TRUE(swaptest::WriteBytes(IconSet(1) + "notes-" + kTag + "-desk1.txt", "left by an earlier run"));
    }
};

}  // namespace

TEST_F(SetsTravelTest, EveryFileSurvivesOneTwoOneAndTheExitByteForByte) {
    const std::string clash = std::string("notes-") + kTag + "-desk1 (2).txt";
    ASSERT_TRUE(WaitUntil([&] { return Exists(DesktopFolder() + clash); }));
    EXPECT_EQ(ReadBytes(DesktopFolder() + clash), "left by an earlier run");
    EXPECT_EQ(ReadBytes(DesktopFolder() + "notes-" + kTag + "-desk1.txt"), std::string("notes of ") + kTag + "-desk1\r\n");
    EXPECT_TRUE(LogHas(program_->Pid(), "was kept as \"" + clash + "\""));
    const Tree desk1 = OwnEntries(DesktopFolder()), ql1 = OwnEntries(QuickLaunchFolder());
    ASSERT_EQ(desk1.size(), 10u);
    ASSERT_EQ(ql1.size(), 9u);

    Switch(2);
    EXPECT_TRUE(OwnEntries(DesktopFolder()).empty());
    EXPECT_TRUE(OwnEntries(QuickLaunchFolder()).empty());
    EXPECT_EQ(Picture(IconSet(1)), desk1);
    EXPECT_EQ(Picture(QuickLaunchSet(1)), ql1);
    swaptest::MakeSampleSet(DesktopFolder(), std::string(kTag) + "-desk2");
    swaptest::MakeSampleSet(QuickLaunchFolder(), std::string(kTag) + "-ql2");
    const Tree desk2 = OwnEntries(DesktopFolder()), ql2 = OwnEntries(QuickLaunchFolder());

    Switch(1);
    EXPECT_EQ(OwnEntries(DesktopFolder()), desk1);
    EXPECT_EQ(OwnEntries(QuickLaunchFolder()), ql1);
    EXPECT_EQ(Picture(IconSet(2)), desk2);
    EXPECT_EQ(Picture(QuickLaunchSet(2)), ql2);
    EXPECT_TRUE(Picture(IconSet(0)).empty() && Picture(QuickLaunchSet(0)).empty());

    // Leaving from desktop 2: the exit puts desktop 1's sets back.
    Switch(2);
    Exit();
    EXPECT_TRUE(DeskFileSays("VirtIcon.cfg", 1));
    EXPECT_TRUE(DeskFileSays("VirtQL.cfg", 1));
    EXPECT_EQ(OwnEntries(DesktopFolder()), desk1);
    EXPECT_EQ(OwnEntries(QuickLaunchFolder()), ql1);
    EXPECT_EQ(Picture(IconSet(2)), desk2);
    EXPECT_EQ(Picture(QuickLaunchSet(2)), ql2);
    EXPECT_FALSE(Exists(DataFolder() + "VirtIcon.move") || Exists(DataFolder() + "VirtQL.move"));
}

namespace {

// Desktop 1's set is large, so that a change of set takes long enough to be
// cut by killing the program while it runs.
class KilledTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        quickLaunch_ = 0;
        WriteSetting("distql", 0);
        const std::string root = DesktopFolder() + kTag + "-many\\";
        for (int i = 0; i < 1500; ++i)
            swaptest::WriteBytes(root + std::to_string(i % 7) + "\\file-" + std::to_string(i) + ".txt",
                                 std::string(static_cast<size_t>(i % 97), static_cast<char>('a' + i % 26)));
        for (int i = 0; i < 600; ++i)
            swaptest::WriteBytes(DesktopFolder() + kTag + "-top-" + std::to_string(i) + ".txt", std::to_string(i));
        swaptest::MakeSampleSet(IconSet(2), std::string(kTag) + "-desk2");
    }
};

}  // namespace

TEST_F(KilledTest, AKillInTheMiddleOfAChangeLosesNothingAndTheNextStartBringsTheFilesBack) {
    const Tree desk1 = OwnEntries(DesktopFolder()), desk2 = Picture(IconSet(2));
    ASSERT_EQ(desk1.size(), 1500u + 7u + 1u + 600u);
    ASSERT_EQ(program_->SecondStart("-s2"), 0);
    // The change is recorded before its first move and until its last.
    const std::string record = DataFolder() + "VirtIcon.move";
    ASSERT_TRUE(WaitUntil([&] { return Exists(record); }, 10000, 1));
    ASSERT_TRUE(::TerminateProcess(program_->Process().Handle(), 9));
    ASSERT_EQ(program_->Process().Wait(10000), 9);
    const bool cut = Exists(record);

    // Every file is somewhere: on the desktop or in a parked folder.
    Tree everywhere = OwnEntries(DesktopFolder());
    for (int n = 0; n <= 2; ++n)
        for (const auto& [name, entry] : Picture(IconSet(n))) {
            if (name.find("-desk2") != std::string::npos) continue;
            if (!entry.folder) {
                EXPECT_TRUE(everywhere.emplace(name, entry).second || everywhere[name] == entry) << name;
            }
        }
    for (const auto& [name, entry] : desk1)
        if (!entry.folder) {
            EXPECT_EQ(everywhere[name], entry) << name;
        }

    Restart();
    EXPECT_EQ(OwnEntries(DesktopFolder()), desk1);
    EXPECT_EQ(Picture(IconSet(2)), desk2);
    EXPECT_TRUE(Picture(IconSet(0)).empty());
    EXPECT_TRUE(Picture(IconSet(1)).empty());
    EXPECT_TRUE(DeskFileSays("VirtIcon.cfg", 1));
    EXPECT_FALSE(Exists(record));
    if (cut) {
        EXPECT_TRUE(LogHas(program_->Pid(), "cut short by the end of the program was finished"));
    }
    std::printf("the kill %s\n", cut ? "cut a change short" : "came after the change");
    Exit();
    EXPECT_EQ(OwnEntries(DesktopFolder()), desk1);
}

namespace {

class OptionOffTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        icons_ = quickLaunch_ = 0;
        WriteSetting("disticons", 0);
        WriteSetting("distql", 0);
        swaptest::MakeSampleSet(DesktopFolder(), std::string(kTag) + "-off");
        swaptest::MakeSampleSet(QuickLaunchFolder(), std::string(kTag) + "-offql");
    }
};

}  // namespace

TEST_F(OptionOffTest, SwitchesAndTheExitWriteNothing) {
    const Tree desk = OwnEntries(DesktopFolder()), ql = OwnEntries(QuickLaunchFolder());
    const Tree data = Picture(DataFolder());
    Helper one({.cls = "TessSetsOff", .title = "on desktop 1"});
    SwitchTo("-s2", {}, {one.Window()});
    SwitchTo("-s3", {}, {one.Window()});
    SwitchTo("-s1", {one.Window()}, {});
    Exit();
    EXPECT_EQ(OwnEntries(DesktopFolder()), desk);
    EXPECT_EQ(OwnEntries(QuickLaunchFolder()), ql);
    for (const char* name : {"VirtIcon.cfg", "VirtQL.cfg", "IconSwapper", "QLaunchSwapper", "iconpos1.cfg",
                             "iconpos2.cfg", "VirtIcon.move"})
        EXPECT_FALSE(Exists(DataFolder() + name)) << name;
    for (const auto& [name, entry] : Picture(DataFolder()))
        EXPECT_TRUE(data.count(name) || name.rfind("Tessareltop.", 0) == 0) << name;
}

namespace {

// The desktop folder as the shell's registry names it, pointed elsewhere
// for one test and put back afterwards.
class ShellFolderValue {
public:
    explicit ShellFolderValue(const std::string& path) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        char old[MAX_PATH * 2] = {};
        DWORD size = sizeof old, type = 0;
        had_ = ::RegQueryValueExA(key_, "Desktop", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_.assign(old, size ? size - 1 : 0);
        oldType_ = type;
        ::RegSetValueExA(key_, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                         static_cast<DWORD>(path.size() + 1));
    }
    ~ShellFolderValue() {
        if (had_)
            ::RegSetValueExA(key_, "Desktop", 0, oldType_, reinterpret_cast<const BYTE*>(old_.c_str()),
                             static_cast<DWORD>(old_.size() + 1));
        else
            ::RegDeleteValueA(key_, "Desktop");
        ::RegCloseKey(key_);
    }
private:
    static constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
    DWORD oldType_ = REG_SZ;
};

}  // namespace

TEST(IconSetsRefused, ADesktopFolderThatCouldHoldTheDataFolderIsNeverSwapped) {
    const std::string base = TempDir() + "refused\\";
    swaptest::MakeFolder(base + "home");
    // The user's profile folder, which holds the data folder, seen through a
    // link: a fresh Wine prefix links the desktop to the home folder so.
    std::string profile = SpecialFolder(CSIDL_PROFILE);
    HostLink link(base + "linked home", profile);
    ASSERT_TRUE(link.Made());
    swaptest::WriteBytes(base + "home\\" + kTag + "-mine.txt", "mine");
    const std::pair<std::string, std::string> cases[] = {
        {base + "linked home", "is reached through a link"},
        {profile, "and the data folder lie one inside the other"},
        {"C:\\", "is the root of a drive"},
        {base + "missing", "no folder is known"},   // the shell answers no path for it
    };
    for (const auto& [desktop, reason] : cases) {
        ShellFolderValue value(desktop);
        if (desktop.find("missing") == std::string::npos) {
            ASSERT_EQ(SpecialFolder(CSIDL_DESKTOPDIRECTORY), desktop.back() == '\\' ? desktop : desktop + "\\")
                << "the shell does not follow the registry";
        }
        ResetUserState();
        WriteSetting("layoutid", 1);
        WriteSetting("showsplash", 0);
        WriteSetting("disticons", 1);
        const Tree before = Picture(base + "home\\");
        const Tree profileBefore = OwnEntries(profile);
        {
            Tessarel program("", false);
            ASSERT_NE(program.MainWindow(), nullptr);
            EXPECT_TRUE(WaitUntil([&] { return LogHas(program.Pid(), reason); })) << desktop;
            EXPECT_TRUE(LogHas(program.Pid(), "Per-desktop desktop icons are off: the desktop folder")) << desktop;
            Helper one({.cls = "TessSetsRefused", .title = "on desktop 1"});
            ASSERT_EQ(program.SecondStart("-s2"), 0);
            EXPECT_TRUE(Switched({}, {one.Window()})) << desktop;
            ::PostMessageA(program.MainWindow(), WM_CLOSE, 0, 0);
            EXPECT_EQ(program.Process().Wait(15000), 0);
        }
        for (const char* name : {"VirtIcon.cfg", "IconSwapper", "iconpos1.cfg", "VirtIcon.move"})
            EXPECT_FALSE(Exists(DataFolder() + name)) << desktop << ": " << name;
        EXPECT_EQ(Picture(base + "home\\"), before) << desktop;
        EXPECT_EQ(OwnEntries(profile), profileBefore) << desktop;
    }
    ResetUserState();
}

namespace {

// The shell's list view, built by a helper process before the program
// starts, shows an icon for a file of set 1 and one for a file of set 2.
class PositionsTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        quickLaunch_ = 0;
        WriteSetting("distql", 0);
        ASSERT_EQ(shell::FindDesktopListView(), nullptr) << "a desktop list view is already there";
        const std::string one = std::string(kTag) + "-pos-one.txt", two = std::string(kTag) + "-pos-two.txt";
        swaptest::WriteBytes(DesktopFolder() + one, "one");
        swaptest::WriteBytes(DesktopFolder() + two, "two");
        shell::IShellObj desktop = shell::GetDesktopShellObj();
        one_ = desktop->FindChild(one)->GetDisplayName();
        two_ = desktop->FindChild(two)->GetDisplayName();
        ASSERT_FALSE(one_.empty() || two_.empty());
        swaptest::MakeFolder(IconSet(2));
        ASSERT_TRUE(::MoveFileA((DesktopFolder() + two).c_str(), (IconSet(2) + two).c_str()));
        ASSERT_TRUE(view_.Start({{one_, 100, 50}, {two_, 300, 120}}));
    }
    void TearDown() override {
        IconSetsTest::TearDown();
        EXPECT_TRUE(view_.Quit());
    }
    static bool ItemAt(const std::string& name, int x, int y) { return ShellView::ItemAt(name, x, y); }
    std::string one_, two_;
    ShellView view_;
};

}  // namespace

TEST_F(PositionsTest, EachDesktopGetsItsOwnArrangementBack) {
    // The user arranges desktop 1's icon, and the arrangement is saved as
    // desktop 1 is left.
    ASSERT_EQ(shell::MoveDesktopListItem(one_, 150, 60), shell::TIconMove::Moved);
    Switch(2);
    EXPECT_EQ(ReadBytes(DataFolder() + "iconpos1.cfg"), one_ + " 0150/0060\r\n");
    EXPECT_EQ(ReadBytes(DesktopFolder() + kTag + "-pos-two.txt"), "two");

    // Desktop 2's arrangement: its icon moved; desktop 1's icon lands
    // elsewhere meanwhile, as the shell's own arrangement would put it.
    ASSERT_EQ(shell::MoveDesktopListItem(two_, 320, 140), shell::TIconMove::Moved);
    ASSERT_EQ(shell::MoveDesktopListItem(one_, 400, 400), shell::TIconMove::Moved);
    Switch(1);
    EXPECT_EQ(ReadBytes(DataFolder() + "iconpos2.cfg"), two_ + " 0320/0140\r\n");
    // About a second later the restore timer puts desktop 1's icon back.
    EXPECT_TRUE(WaitUntil([&] { return ItemAt(one_, 150, 60); }, 5000));

    ASSERT_EQ(shell::MoveDesktopListItem(two_, 10, 10), shell::TIconMove::Moved);
    Switch(2);
    EXPECT_TRUE(WaitUntil([&] { return ItemAt(two_, 320, 140); }, 5000));
    Exit();
    EXPECT_EQ(ReadBytes(DesktopFolder() + kTag + "-pos-one.txt"), "one");
    EXPECT_EQ(ReadBytes(IconSet(2) + kTag + "-pos-two.txt"), "two");
}

namespace {

// The option was on in an earlier run and is off now: desktop 2's icons and
// desktop 3's Quick Launch icons are still parked in the data folder.
class ParkedWhileOffTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        icons_ = quickLaunch_ = 0;
        WriteSetting("disticons", 0);
        WriteSetting("distql", 0);
        swaptest::MakeSampleSet(IconSet(2), std::string(kTag) + "-parked2");
        ASSERT_TRUE(swaptest::WriteBytes(QuickLaunchSet(3) + kTag + "-ql3.lnk", "a shortcut of desktop 3"));
        ASSERT_TRUE(WriteDataFile("VirtIcon.cfg", shell::EncodeSetDesk(1)));
        ASSERT_TRUE(WriteDataFile("VirtQL.cfg", shell::EncodeSetDesk(1)));
        parked_ = Picture(IconSet(2));
    }
    Tree parked_;
};

}  // namespace

TEST_F(ParkedWhileOffTest, TheStartBringsEveryParkedSetBackAndSaysSo) {
    ASSERT_TRUE(WaitUntil([&] { return OwnEntries(DesktopFolder()) == parked_; }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return Exists(QuickLaunchFolder() + kTag + "-ql3.lnk"); }));
    EXPECT_TRUE(WaitUntil([&] {
        return LogHas(program_->Pid(), "Per-desktop desktop icons are off: the desktop icons of desktop 2 were "
                                       "brought back to the desktop folder as desktop 1's");
    }));
    EXPECT_TRUE(LogHas(program_->Pid(), "Per-desktop Quick Launch icons are off: the Quick Launch icons of desktop 3 "
                                        "were brought back to the Quick Launch folder as desktop 1's"));
    EXPECT_FALSE(Exists(DataFolder() + "IconSwapper") || Exists(DataFolder() + "QLaunchSwapper"));
    Exit();
    EXPECT_EQ(OwnEntries(DesktopFolder()), parked_);
    EXPECT_EQ(ReadBytes(QuickLaunchFolder() + kTag + "-ql3.lnk"), "a shortcut of desktop 3");
    EXPECT_TRUE(DeskFileSays("VirtIcon.cfg", 1) && DeskFileSays("VirtQL.cfg", 1));
}

namespace {

// Desktop 7's set is parked from a run with nine desktops; this one has four.
class BeyondTheCountTest : public IconSetsTest {
protected:
    void PrepareFiles() override {
        quickLaunch_ = 0;
        WriteSetting("distql", 0);
        swaptest::MakeSampleSet(IconSet(7), std::string(kTag) + "-desk7");
        ASSERT_TRUE(WriteDataFile("VirtIcon.cfg", shell::EncodeSetDesk(1)));
        seven_ = Picture(IconSet(7));
    }
    Tree seven_;
};

}  // namespace

TEST_F(BeyondTheCountTest, ASetNoDesktopReachesJoinsDesktopOneAndAFileInUseAtTheExitIsMovedAtTheNextStart) {
    ASSERT_TRUE(WaitUntil([&] { return OwnEntries(DesktopFolder()) == seven_; }, 10000));
    EXPECT_TRUE(WaitUntil([&] {
        return LogHas(program_->Pid(), "The layout has 4 desktops: the desktop icons of desktop 7 joined desktop 1's "
                                       "set in the desktop folder");
    }));
    EXPECT_TRUE(Picture(IconSet(7)).empty());

    // Desktop 2's file is open in another program as the run ends.
    Switch(2);
    const std::string busy = DesktopFolder() + kTag + "-busy2.txt";
    ASSERT_TRUE(swaptest::WriteBytes(busy, "desktop 2's"));
    HANDLE open = ::CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    Exit();
    EXPECT_TRUE(Exists(busy));
    EXPECT_TRUE(Exists(DataFolder() + "VirtIcon.move"));
    ::CloseHandle(open);

    Restart();
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(IconSet(2) + kTag + "-busy2.txt") == "desktop 2's"; }, 10000));
    EXPECT_FALSE(Exists(busy));
    EXPECT_EQ(OwnEntries(DesktopFolder()), seven_);
    EXPECT_FALSE(Exists(DataFolder() + "VirtIcon.move"));
    Exit();
}
