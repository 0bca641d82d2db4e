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

TEST(SetRecords, TheChangeRecordKeepsTheEntriesLeftBehindAndRefusesPathsThatLeaveTheirFolder) {
    // A change alone is the 12 bytes earlier versions wrote and read.
    const TSetChange change{4, 2, static_cast<int32_t>(TSetStep::Store)};
    EXPECT_EQ(EncodeSetRecord({change, {}}), EncodeSetChange(change));
    auto bare = DecodeSetRecord(EncodeSetChange(change));
    ASSERT_TRUE(bare && bare->Change && bare->Left.empty());
    EXPECT_TRUE(bare->Change->From == 4 && bare->Change->To == 2 && bare->Change->Step == 2);

    const std::vector<TLeftMove> left{{L"busy.txt", -1, 3}, {L"Folder\\Inner\\m\x00fc" L"de.doc", 0, 9},
                                      {L"Old", 5, 1}};
    for (const std::optional<TSetChange>& c : {std::optional<TSetChange>(change), std::optional<TSetChange>()}) {
        auto back = DecodeSetRecord(EncodeSetRecord({c, left}));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->Change.has_value(), c.has_value());
        EXPECT_EQ(back->Left, left);
    }
    const std::string settled = EncodeSetRecord({std::nullopt, left});
    EXPECT_EQ(settled.substr(0, 12), Bytes({0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}));

    // Damage: every way a record could send a file somewhere it must not go.
    auto with = [&](TLeftMove move) { return EncodeSetRecord({std::nullopt, {move}}); };
    const std::string damaged[] = {
        settled.substr(0, settled.size() - 1),                     // cut inside a path
        settled.substr(0, 12 + 5),                                 // cut inside an entry's head
        EncodeSetRecord({std::nullopt, {}}),                       // settled with nothing to do
        Bytes({1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}) + settled.substr(12),   // settled naming a desktop
        with({L"a.txt", -2, 1}), with({L"a.txt", 10, 1}), with({L"a.txt", 1, 0}), with({L"a.txt", 1, 10}),
        with({L"..\\a.txt", 1, 2}), with({L"a\\..\\..\\b", 1, 2}), with({L".", 1, 2}), with({L"\\a.txt", 1, 2}),
        with({L"C:\\a.txt", 1, 2}), with({L"a\\\\b", 1, 2}), with({L"a\\", 1, 2}), with({L"a/../b", 1, 2}),
        with({L"a\x0001", 1, 2}), with({L"", 1, 2}),
    };
    for (const std::string& bytes : damaged) EXPECT_FALSE(DecodeSetRecord(bytes).has_value()) << bytes.size();
    EXPECT_TRUE(SafeRelativePath(L"Projects two\\Deep\\.hidden"));
    EXPECT_TRUE(SafeRelativePath(L"a..b"));
}

TEST_F(SetSwapper, AFileLeftBehindAtTheEndOfARunGoesToItsSetAtTheNextStart) {
    // Desktop 3's file is open as the run ends: the switch back to desktop 1
    // cannot take it away, and the record keeps where it belongs.
    WriteBytes(root_ + "one.txt", "one");
    TSetSwapper& s = Swapper();
    s.Start();
    s.Switch(3);
    WriteBytes(root_ + "busy.txt", "of desktop 3");
    WriteBytes(root_ + "Folder\\mate.txt", "of desktop 3 too");
    HANDLE busy = ::CreateFileA((root_ + "busy.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    s.Switch(1);
    EXPECT_EQ(LogLinesWith("\"busy.txt\" could not be moved"), 1);
    EXPECT_EQ(ReadBytes(Folder(3) + "Folder\\mate.txt"), "of desktop 3 too");
    auto record = DecodeSetRecord(ReadBytes(data_ + "Test.move"));
    ASSERT_TRUE(record.has_value());
    EXPECT_FALSE(record->Change.has_value());
    EXPECT_EQ(record->Left, (std::vector<TLeftMove>{{L"busy.txt", -1, 3}}));
    ::CloseHandle(busy);

    // The next run: the file goes to desktop 3's set, desktop 1's stays whole.
    log_.clear();
    TSetSwapper& next = Swapper();
    next.Start();
    EXPECT_EQ(ReadBytes(Folder(3) + "busy.txt"), "of desktop 3");
    EXPECT_EQ(Picture(root_).size(), 1u);
    EXPECT_EQ(ReadBytes(root_ + "one.txt"), "one");
    EXPECT_EQ(::GetFileAttributesA((data_ + "Test.move").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(log_.empty()) << log_[0];

    // A change record with entries left behind, cut short by a crash: the
    // change is finished, and the entries go where they belong.
    WriteBytes(Folder(0) + "parked.txt", "of desktop 1");
    WriteBytes(Folder(4) + "stray.txt", "of desktop 2");
    WriteBytes(data_ + "Test.move",
               EncodeSetRecord({TSetChange{1, 2, static_cast<int32_t>(TSetStep::Store)}, {{L"stray.txt", 4, 2}}}));
    log_.clear();
    Swapper().Start();
    EXPECT_EQ(LogLinesWith("cut short"), 1);
    EXPECT_EQ(ReadBytes(root_ + "parked.txt"), "of desktop 1");
    EXPECT_EQ(ReadBytes(Folder(2) + "stray.txt"), "of desktop 2");
    EXPECT_TRUE(SetsFolderEmpty(0) && SetsFolderEmpty(1) && SetsFolderEmpty(4));
    EXPECT_EQ(::GetFileAttributesA((data_ + "Test.move").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SetSwapper, TheSetsOfDesktopsBeyondTheCountJoinDesktopOnesSet) {
    WriteBytes(root_ + "todo.txt", "desktop 1's list");
    MakeSampleSet(Folder(5), "five");
    MakeSampleSet(Folder(9), "nine");
    WriteBytes(Folder(9) + "todo.txt", "desktop 9's list");
    const Tree five = Picture(Folder(5));
    TSetSwapper& s = Swapper();
    // Known before the start: the start takes them in.
    s.LimitDesktops(6);
    s.Start();
    EXPECT_EQ(ReadBytes(root_ + "todo.txt"), "desktop 1's list");
    EXPECT_EQ(ReadBytes(root_ + "todo (2).txt"), "desktop 9's list");
    EXPECT_EQ(ReadBytes(root_ + "Projects nine\\Deep\\Deeper\\bottom.txt"), "bottom nine");
    EXPECT_TRUE(SetsFolderEmpty(9));
    EXPECT_EQ(Picture(Folder(5)), five);
    EXPECT_EQ(LogLinesWith("The layout has 6 desktops: the test icons of desktop 9 joined desktop 1's set in the "
                           "test folder"), 1);

    // Lowered while another desktop is on screen: desktop 1's parked set takes them.
    s.Switch(2);
    WriteBytes(root_ + "two.txt", "two");
    log_.clear();
    s.LimitDesktops(4);
    EXPECT_TRUE(SetsFolderEmpty(5));
    EXPECT_EQ(ReadBytes(Folder(1) + "notes-five.txt"), "notes of five\r\n");
    EXPECT_EQ(LogLinesWith("The layout has 4 desktops: the test icons of desktop 5 joined desktop 1's set"), 1);
    EXPECT_EQ(LogLinesWith("in the test folder"), 0);

    // Lowered below the desktop on screen: its set joins as soon as it is left.
    s.Switch(4);
    WriteBytes(root_ + "four.txt", "four");
    s.LimitDesktops(3);
    EXPECT_EQ(ReadBytes(root_ + "four.txt"), "four");
    s.Switch(3);
    EXPECT_TRUE(SetsFolderEmpty(4));
    EXPECT_EQ(ReadBytes(Folder(1) + "four.txt"), "four");
    s.Switch(1);
    for (const char* name : {"todo.txt", "todo (2).txt", "four.txt", "notes-five.txt", "notes-nine.txt"})
        EXPECT_NE(::GetFileAttributesA((root_ + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(ReadBytes(Folder(2) + "two.txt"), "two");
    for (int n = 3; n <= 9; ++n) EXPECT_TRUE(SetsFolderEmpty(n)) << n;
}

TEST_F(SetSwapper, WithTheOptionOffEveryParkedSetComesBackAsDesktopOnes) {
    // Nothing parked: nothing is read, written or made.
    WriteBytes(root_ + "own.txt", "own");
    const Tree dataBefore = Picture(data_);
    Swapper().BringBackParkedSets();
    EXPECT_EQ(Picture(data_), dataBefore);
    EXPECT_TRUE(log_.empty());

    // The last run ended on desktop 3 in the middle of a change to 2: the
    // change is finished first, then every set joins the root.
    WriteBytes(root_ + "three-b.txt", "3b");
    WriteBytes(Folder(0) + "three-a.txt", "3a");
    MakeSampleSet(Folder(1), "one");
    WriteBytes(Folder(1) + "own.txt", "desktop 1's own");
    MakeSampleSet(Folder(2), "two");
    MakeSampleSet(Folder(7), "seven");
    WriteBytes(data_ + "Test.cfg", EncodeSetDesk(3));
    WriteBytes(data_ + "Test.move", EncodeSetChange({3, 2, static_cast<int32_t>(TSetStep::Park)}));
    // A file of desktop 7's set is open: it stays, and the record keeps it.
    HANDLE busy = ::CreateFileA((Folder(7) + "notes-seven.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    Swapper().BringBackParkedSets();
    EXPECT_EQ(LogLinesWith("cut short"), 1);
    EXPECT_EQ(LogLinesWith("Per-desktop test icons are off: the test icons of desktops 2, 3 and 7 were brought back "
                           "to the test folder as desktop 1's"), 1);
    Tree root = Picture(root_);
    for (const char* name : {"three-a.txt", "three-b.txt", "own.txt", "own (2).txt", "notes-one.txt",
                             "notes-two.txt", "Projects seven\\Deep\\Deeper\\bottom.txt", "Empty two"})
        EXPECT_EQ(root.count(name), 1u) << name;
    // The root's own.txt was desktop 3's; desktop 1's file comes first and keeps the name.
    EXPECT_EQ(ReadBytes(root_ + "own.txt"), "desktop 1's own");
    EXPECT_EQ(ReadBytes(root_ + "own (2).txt"), "own");
    EXPECT_EQ(LogLinesWith("\"notes-seven.txt\" could not be moved"), 1);
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(1));
    for (int n : {0, 1, 2, 3, 4, 5, 6, 8, 9})
        EXPECT_EQ(::GetFileAttributesA(Folder(n).c_str()), INVALID_FILE_ATTRIBUTES) << n;
    auto record = DecodeSetRecord(ReadBytes(data_ + "Test.move"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Left, (std::vector<TLeftMove>{{L"notes-seven.txt", 7, 1}}));
    ::CloseHandle(busy);

    // The next start with the option still off takes the file, and then
    // nothing is left of the sets in the data folder.
    log_.clear();
    Swapper().BringBackParkedSets();
    EXPECT_EQ(ReadBytes(root_ + "notes-seven.txt"), "notes of seven\r\n");
    EXPECT_EQ(::GetFileAttributesA((data_ + "TestSwapper").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesA((data_ + "Test.move").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(DeskFileBytes(), EncodeSetDesk(1));
    EXPECT_EQ(LogLinesWith("could not be moved"), 0);

    // Turned on again: desktop 1's set is everything, the other sets empty.
    const Tree everything = Picture(root_);
    TSetSwapper& on = Swapper();
    on.Start();
    on.Switch(2);
    EXPECT_EQ(Picture(Folder(1)), everything);
}
