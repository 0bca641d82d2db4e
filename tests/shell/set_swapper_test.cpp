// The per-desktop sets' mechanism, on folders inside the test's own
// temporary folder: the records, the checks of the roots, and the files of
// the user travelling between the root and the parked sets.
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <string>
#include <vector>
#include "shell/set_swapper.h"
#include "shell/string_routines.h"
#include "support/swap_folders.h"

using namespace shell;
using namespace swaptest;

namespace {

const TSetKind kTestKind{"test icons", "test folder", "Test.cfg", "Test.move", "TestSwapper\\"};

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

// A root and a data folder of their own for each test.
class SetSwapper : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        base_ = e2e::TempDir() + "sets-" + std::to_string(++serial) + "\\";
        root_ = base_ + "root\\";
        data_ = base_ + "data\\";
        MakeFolder(root_);
        MakeFolder(data_);
    }
    void TearDown() override {
        swapper_.reset();
        e2e::RemoveTree(base_);
    }
    TSetSwapper& Swapper(const std::string& root, const std::string& data) {
        swapper_ = std::make_unique<TSetSwapper>(kTestKind, AnsiToWide(root), AnsiToWide(data),
                                                 [this](const std::string& text, bool) { log_.push_back(text); });
        return *swapper_;
    }
    TSetSwapper& Swapper() { return Swapper(root_, data_); }
    std::string Folder(int n) const { return data_ + "TestSwapper\\" + std::to_string(n) + "\\"; }
    std::string DeskFileBytes() const { return ReadBytes(data_ + "Test.cfg"); }
    int LogLinesWith(const std::string& part) const {
        int n = 0;
        for (const auto& line : log_) n += line.find(part) != std::string::npos;
        return n;
    }
    bool SetsFolderEmpty(int n) const { return Picture(Folder(n)).empty(); }

    std::string base_, root_, data_;
    std::vector<std::string> log_;
    std::unique_ptr<TSetSwapper> swapper_;
};

}  // namespace

TEST(SetRecords, TheDesktopFileNamesADesktopFromOneToNineOrIsDamaged) {
    EXPECT_EQ(DecodeSetDesk(Bytes({1, 0, 0, 0})), 1);
    EXPECT_EQ(DecodeSetDesk(Bytes({9, 0, 0, 0})), 9);
    for (const std::string& damaged : {Bytes({0, 0, 0, 0}), Bytes({0xFF, 0xFF, 0xFF, 0xFF}), Bytes({10, 0, 0, 0}),
                                       Bytes({1, 0, 0, 1}), Bytes({1, 0, 0}), Bytes({1, 0, 0, 0, 0}), std::string()})
        EXPECT_FALSE(DecodeSetDesk(damaged).has_value()) << damaged.size();
    EXPECT_EQ(EncodeSetDesk(3), Bytes({3, 0, 0, 0}));
    EXPECT_EQ(DecodeSetDesk(EncodeSetDesk(7)), 7);

    const TSetChange change{2, 5, static_cast<int32_t>(TSetStep::Bring)};
    auto back = DecodeSetChange(EncodeSetChange(change));
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(back->From == 2 && back->To == 5 && back->Step == 1);
    for (const TSetChange& bad : {TSetChange{3, 3, 0}, TSetChange{0, 2, 0}, TSetChange{1, 10, 0}, TSetChange{1, 2, 3},
                                  TSetChange{1, 2, -1}})
        EXPECT_FALSE(DecodeSetChange(EncodeSetChange(bad)).has_value()) << bad.From << bad.To << bad.Step;
    EXPECT_FALSE(DecodeSetChange(EncodeSetChange(change).substr(0, 11)).has_value());
}

TEST(SetRoots, APathMustBeFullAndNoDriveRoot) {
    const std::pair<const wchar_t*, TRootProblem> cases[] = {
        {L"", TRootProblem::Empty},
        {L"Desktop", TRootProblem::NotFullPath},
        {L"..\\Desktop", TRootProblem::NotFullPath},
        {L"\\users\\me\\Desktop", TRootProblem::NotFullPath},
        {L"C:Desktop", TRootProblem::NotFullPath},
        {L"\\\\?\\C:\\users", TRootProblem::NotFullPath},
        {L"C:\\", TRootProblem::DriveRoot},
        {L"C:\\\\", TRootProblem::DriveRoot},
        {L"\\\\server\\share", TRootProblem::DriveRoot},
        {L"\\\\server\\share\\", TRootProblem::DriveRoot},
        {L"C:\\users\\me\\Desktop", TRootProblem::None},
        {L"d:\\Desktop\\", TRootProblem::None},
        {L"\\\\server\\share\\Desktop", TRootProblem::None},
    };
    for (const auto& [path, problem] : cases) EXPECT_EQ(PathShapeProblem(path), problem) << WideToAnsi(path);

    EXPECT_TRUE(PathsNest(L"C:\\users\\me", L"C:\\users\\me\\AppData\\Roaming"));
    EXPECT_TRUE(PathsNest(L"c:\\USERS\\me\\appdata\\", L"C:\\users\\ME"));
    EXPECT_TRUE(PathsNest(L"C:\\users\\me\\", L"C:\\users\\me"));
    EXPECT_FALSE(PathsNest(L"C:\\users\\me", L"C:\\users\\meg"));
    EXPECT_FALSE(PathsNest(L"C:\\users\\me\\Desktop", L"C:\\users\\me\\AppData"));
}

TEST(SetNames, ATakenNameGetsTheFirstFreeNumberBeforeItsExtension) {
    EXPECT_EQ(CollisionFreeName(L"Notes.txt", false, 2), L"Notes (2).txt");
    EXPECT_EQ(CollisionFreeName(L"Notes", false, 3), L"Notes (3)");
    EXPECT_EQ(CollisionFreeName(L"a.b.c", false, 2), L"a.b (2).c");
    EXPECT_EQ(CollisionFreeName(L".profile", false, 2), L".profile (2)");
    EXPECT_EQ(CollisionFreeName(L"Folder.v1", true, 2), L"Folder.v1 (2)");
}

TEST_F(SetSwapper, RootsThatCouldSwallowTheDataFolderAreRefused) {
    MakeFolder(root_ + "inner");
    const std::pair<std::string, TRootProblem> cases[] = {
        {base_ + "missing\\", TRootProblem::Missing},
        {data_, TRootProblem::Nested},                        // the data folder itself
        {base_, TRootProblem::Nested},                        // holds the data folder
        {data_ + "..\\data\\", TRootProblem::Nested},         // the same, spelt otherwise
        {root_, TRootProblem::None},
    };
    for (const auto& [root, problem] : cases)
        EXPECT_EQ(CheckSwapRoot(AnsiToWide(root), AnsiToWide(data_)), problem) << root;
    // The data folder inside the root.
    EXPECT_EQ(CheckSwapRoot(AnsiToWide(base_), AnsiToWide(root_ + "inner")), TRootProblem::Nested);
    EXPECT_EQ(CheckSwapRoot(AnsiToWide(root_ + "inner"), AnsiToWide(root_)), TRootProblem::Nested);

    // As a fresh Wine prefix links the desktop folder to the home folder:
    // through a link the paths cannot show what holds what.
    e2e::HostLink link(base_ + "linked", base_);
    ASSERT_TRUE(link.Made());
    EXPECT_EQ(CheckSwapRoot(AnsiToWide(base_ + "linked"), AnsiToWide(data_)), TRootProblem::ThroughLink);
    EXPECT_EQ(CheckSwapRoot(AnsiToWide(base_ + "linked\\root"), AnsiToWide(data_)), TRootProblem::ThroughLink);
    EXPECT_EQ(CheckSwapRoot(AnsiToWide(root_), AnsiToWide(base_ + "linked\\data")), TRootProblem::ThroughLink);
}

TEST_F(SetSwapper, ARefusedRootWritesNothingAndMovesNothing) {
    MakeSampleSet(root_, "own");
    MakeFolder(base_ + "AppData\\Data");
    const Tree rootBefore = Picture(root_);
    const std::pair<std::string, std::string> cases[] = {
        {"", "no folder is known"},
        {"root", "is no full path"},
        {"C:\\", "is the root of a drive"},
        {base_ + "missing", "does not exist"},
        {base_, "lie one inside the other"},                     // holds the data folder below
        {base_ + "AppData\\Data\\Inner", "does not exist"},
        {base_ + "home", "is reached through a link"},          // leads to the folder above the data
    };
    std::optional<e2e::HostLink> link(std::in_place, base_ + "home", base_);
    ASSERT_TRUE(link->Made());
    const Tree baseBefore = Picture(base_);
    for (const auto& [root, reason] : cases) {
        log_.clear();
        TSetSwapper& s = Swapper(root, base_ + "AppData\\Data\\");
        s.Start();
        s.Switch(2);
        s.Switch(1);
        EXPECT_FALSE(s.Active()) << root;
        EXPECT_EQ(log_.size(), 1u) << root;   // once, not at every switch
        EXPECT_EQ(LogLinesWith(reason), 1) << root << ": " << (log_.empty() ? "" : log_[0]);
        EXPECT_EQ(Picture(base_), baseBefore) << root;
    }
    link.reset();
    // A data folder that is no full path refuses as well.
    log_.clear();
    TSetSwapper& s = Swapper(root_, "Data");
    s.Start();
    s.Switch(2);
    EXPECT_EQ(LogLinesWith("the data folder Data\\ is no full path"), 1) << (log_.empty() ? "" : log_[0]);
    EXPECT_EQ(Picture(root_), rootBefore);
    Tree withoutLink = baseBefore;
    withoutLink.erase("home");
    EXPECT_EQ(Picture(base_), withoutLink);
}

TEST_F(SetSwapper, EveryFileComesBackWholeAfterOneToTwoToOne) {
    MakeSampleSet(root_, "one");
    const Tree setOne = Picture(root_);
    TSetSwapper& s = Swapper();
    s.Start();
    EXPECT_TRUE(s.Active());
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(1));   // a missing desktop file is made holding 1
    EXPECT_EQ(Picture(root_), setOne);

    s.Switch(2);
    EXPECT_EQ(s.Desk(), 2);
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(2));
    EXPECT_TRUE(Picture(root_).empty());            // emptied folders went after their contents
    EXPECT_EQ(Picture(Folder(1)), setOne);
    EXPECT_TRUE(SetsFolderEmpty(0));
    EXPECT_FALSE(::GetFileAttributesA((data_ + "Test.move").c_str()) != INVALID_FILE_ATTRIBUTES);

    MakeSampleSet(root_, "two");
    const Tree setTwo = Picture(root_);
    s.Switch(1);
    EXPECT_EQ(Picture(root_), setOne);
    EXPECT_EQ(Picture(Folder(2)), setTwo);
    EXPECT_TRUE(SetsFolderEmpty(0) && SetsFolderEmpty(1));

    // A switch to the set in place moves nothing and writes the file again.
    ::DeleteFileA((data_ + "Test.cfg").c_str());
    s.Switch(1);
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(1));
    EXPECT_EQ(Picture(root_), setOne);
    EXPECT_TRUE(log_.empty()) << log_[0];

    // A new start finds everything in place.
    TSetSwapper& again = Swapper();
    again.Start();
    EXPECT_EQ(Picture(root_), setOne);
    EXPECT_EQ(Picture(Folder(2)), setTwo);
}

TEST_F(SetSwapper, ATakenNameLeavesBothFiles) {
    // A file of the same name waits in folder 1 from an earlier run: at the
    // start it joins the root under a free name, and the live file keeps its own.
    WriteBytes(root_ + "todo.txt", "the live list");
    MakeFolder(Folder(1) + "Shared");
    WriteBytes(Folder(1) + "todo.txt", "an old list");
    WriteBytes(Folder(1) + "Shared\\a.txt", "old a");
    MakeFolder(root_ + "Shared");
    WriteBytes(root_ + "Shared\\a.txt", "live a");
    WriteBytes(root_ + "Shared\\b.txt", "live b");
    TSetSwapper& s = Swapper();
    s.Start();
    EXPECT_EQ(ReadBytes(root_ + "todo.txt"), "the live list");
    EXPECT_EQ(ReadBytes(root_ + "todo (2).txt"), "an old list");
    EXPECT_EQ(ReadBytes(root_ + "Shared\\a.txt"), "live a");
    EXPECT_EQ(ReadBytes(root_ + "Shared\\a (2).txt"), "old a");
    EXPECT_EQ(ReadBytes(root_ + "Shared\\b.txt"), "live b");
    EXPECT_TRUE(SetsFolderEmpty(1));
    EXPECT_EQ(LogLinesWith("\"todo.txt\" was kept as \"todo (2).txt\""), 1);
    EXPECT_EQ(LogLinesWith("\"Shared\\a.txt\" was kept as \"a (2).txt\""), 1);

    // A file where a folder of the name waits, and the other way round.
    WriteBytes(Folder(3) + "Shared", "a file named like the folder");
    MakeFolder(Folder(3) + "todo.txt");
    WriteBytes(Folder(3) + "todo.txt\\inside", "inside");
    const Tree before = Picture(root_);
    s.Switch(3);
    s.Switch(1);
    EXPECT_EQ(Picture(root_), before);
    EXPECT_EQ(ReadBytes(Folder(3) + "Shared"), "a file named like the folder");
    EXPECT_EQ(ReadBytes(Folder(3) + "todo.txt\\inside"), "inside");
}

TEST_F(SetSwapper, ADamagedDesktopFileBringsEverySetBackToTheRoot) {
    for (const std::string& damaged : {Bytes({0, 0, 0, 0}), Bytes({0xFE, 0xFF, 0xFF, 0xFF}), Bytes({10, 0, 0, 0}),
                                       Bytes({2, 0, 0})}) {
        log_.clear();
        WriteBytes(root_ + "on-screen.txt", "on screen");
        MakeFolder(Folder(0));
        WriteBytes(Folder(0) + "parked.txt", "parked");
        MakeSampleSet(Folder(2), "two");
        MakeSampleSet(Folder(9), "nine");
        WriteBytes(data_ + "Test.cfg", damaged);
        TSetSwapper& s = Swapper();
        s.Start();
        EXPECT_EQ(s.Desk(), 1);
        EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(1));
        Tree everything = Picture(root_);
        EXPECT_EQ(everything.count("on-screen.txt"), 1u);
        EXPECT_EQ(everything.count("parked.txt"), 1u);
        EXPECT_EQ(everything.count("Projects two\\Deep\\Deeper\\bottom.txt"), 1u);
        EXPECT_EQ(everything.count("read only nine.txt"), 1u);
        for (int n = 0; n <= 9; ++n) EXPECT_TRUE(SetsFolderEmpty(n)) << n;
        EXPECT_EQ(LogLinesWith("Test.cfg was damaged"), 1) << damaged.size();
        EmptyFolder(root_);
    }
}

TEST_F(SetSwapper, AChangeCutShortIsFinishedAtTheNextStart) {
    // The change from desktop 1 to 2, cut at each of its three steps: set 1
    // is {a, b}, set 2 is {c, d}; the start finishes the change and then puts
    // desktop 1's set back, every set whole.
    struct Case {
        TSetStep step;
        const char* root;      // what the root holds at the cut
        const char* parked;    // folder 0
        const char* one;       // folder 1
        const char* two;       // folder 2
    };
    const Case cases[] = {
        {TSetStep::Park, "b", "a", "", "cd"},
        {TSetStep::Bring, "c", "ab", "", "d"},
        {TSetStep::Store, "cd", "a", "b", ""},
    };
    for (const Case& c : cases) {
        log_.clear();
        auto place = [](const std::string& folder, const char* names) {
            MakeFolder(folder);
            for (const char* n = names; *n; ++n) WriteBytes(folder + *n + ".txt", std::string(100, *n));
        };
        place(root_, c.root);
        place(Folder(0), c.parked);
        place(Folder(1), c.one);
        place(Folder(2), c.two);
        WriteBytes(data_ + "Test.cfg", EncodeSetDesk(1));
        WriteBytes(data_ + "Test.move", EncodeSetChange({1, 2, static_cast<int32_t>(c.step)}));
        TSetSwapper& s = Swapper();
        s.Start();
        const int step = static_cast<int>(c.step);
        EXPECT_EQ(s.Desk(), 1) << step;
        Tree root = Picture(root_), two = Picture(Folder(2));
        EXPECT_TRUE(root.size() == 2 && root.count("a.txt") && root.count("b.txt")) << step;
        EXPECT_TRUE(two.size() == 2 && two.count("c.txt") && two.count("d.txt")) << step;
        EXPECT_EQ(ReadBytes(root_ + "a.txt"), std::string(100, 'a'));
        EXPECT_TRUE(SetsFolderEmpty(0) && SetsFolderEmpty(1)) << step;
        EXPECT_EQ(::GetFileAttributesA((data_ + "Test.move").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(LogLinesWith("cut short"), 1) << step;
        EmptyFolder(root_);
        EmptyFolder(Folder(2));
    }

    // A record that cannot be read brings every set back to the root.
    log_.clear();
    WriteBytes(Folder(4) + "four.txt", "4");
    WriteBytes(data_ + "Test.move", "garbage");
    Swapper().Start();
    EXPECT_EQ(ReadBytes(root_ + "four.txt"), "4");
    EXPECT_EQ(LogLinesWith("Test.move was damaged"), 1);
}

TEST_F(SetSwapper, AFileLeftInTheParkingFolderJoinsTheRootAtTheStart) {
    WriteBytes(Folder(0) + "left.txt", "left behind");
    WriteBytes(data_ + "Test.cfg", EncodeSetDesk(1));
    Swapper().Start();
    EXPECT_EQ(ReadBytes(root_ + "left.txt"), "left behind");
    EXPECT_TRUE(SetsFolderEmpty(0));
    EXPECT_EQ(LogLinesWith("left in the parking folder"), 1);
}

TEST_F(SetSwapper, AFileInUseIsReportedOnceAndMovedAtTheNextSwitch) {
    WriteBytes(root_ + "busy.txt", "busy");
    WriteBytes(root_ + "Folder\\mate.txt", "mate");
    TSetSwapper& s = Swapper();
    s.Start();
    // Open without leave to delete: no rename can take it away.
    HANDLE busy = ::CreateFileA((root_ + "busy.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    s.Switch(2);
    EXPECT_EQ(ReadBytes(Folder(1) + "Folder\\mate.txt"), "mate");
    EXPECT_EQ(ReadBytes(root_ + "busy.txt"), "busy");
    EXPECT_EQ(LogLinesWith("\"busy.txt\" could not be moved"), 1);
    EXPECT_TRUE(SetsFolderEmpty(0));
    s.Switch(3);   // still in use: no second report
    EXPECT_EQ(ReadBytes(root_ + "busy.txt"), "busy");
    EXPECT_EQ(LogLinesWith("could not be moved"), 1);
    ::CloseHandle(busy);

    s.Switch(2);   // the next switch takes it to desktop 1's set
    EXPECT_EQ(ReadBytes(Folder(1) + "busy.txt"), "busy");
    EXPECT_TRUE(Picture(root_).empty());
    EXPECT_TRUE(SetsFolderEmpty(0));
    s.Switch(1);
    EXPECT_EQ(ReadBytes(root_ + "busy.txt"), "busy");
    EXPECT_EQ(ReadBytes(root_ + "Folder\\mate.txt"), "mate");
    EXPECT_EQ(LogLinesWith("could not be moved"), 1);
    EXPECT_TRUE(SetsFolderEmpty(1) && SetsFolderEmpty(2) && SetsFolderEmpty(3));
}

TEST_F(SetSwapper, AReaderHoldingTheDesktopFileForAMomentDoesNotFailTheSwitch) {
    WriteBytes(root_ + "a.txt", "a");
    TSetSwapper& s = Swapper();
    s.Start();
    // Another program reads the file as the switch saves it, then lets go.
    HANDLE reader = ::CreateFileA((data_ + "Test.cfg").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread letGo([reader] {
        ::Sleep(200);
        ::CloseHandle(reader);
    });
    EXPECT_NO_THROW(s.Switch(2));
    letGo.join();
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(2));
    EXPECT_EQ(ReadBytes(Folder(1) + "a.txt"), "a");
    EXPECT_EQ(::GetFileAttributesA((data_ + "Test.move").c_str()), INVALID_FILE_ATTRIBUTES);
}
