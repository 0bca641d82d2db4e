// Damaged and oversized rule lists ("Tessareltop.pin", ".ign", ".wat") and a
// damaged ".aus": the program runs on with every entry it can use, says in
// its event log what it does not use, and writes back every line it read.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include "framework/string_list.h"
#include "support/program_test.h"

using namespace e2e;

namespace {

bool Logged(DWORD pid, const std::string& line) {
    return WaitUntil([&] {
        auto lines = EventLogLines(pid);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    });
}

// A switch there and back is a scan of every window, with its list look-ups,
// in at least two ticks.
void SwitchRoundTrips(Tessarel& program, HWND w, int count) {
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(program.SecondStart("-s2"), 0);
        ASSERT_TRUE(HiddenSoon(w)) << i;
        ASSERT_TRUE(program.Process().Running());
        ASSERT_EQ(program.SecondStart("-s1"), 0);
        ASSERT_TRUE(ShownSoon(w)) << i;
    }
}

class LongLinesTest : public ProgramTest {
protected:
    void Prepare() override {
        ASSERT_TRUE(WriteDataFile("Tessareltop.ign", lines_));
        ASSERT_TRUE(WriteDataFile("Tessareltop.wat", lines_));
    }
    const std::string lines_ = "FIRSTCLS\r\n" + std::string(1000, 'A') + "\r\nSECONDCLS\r\n" +
                               std::string(30000, 'B') + "\r\nLASTCLS\r\n";
};

class DamagedStickyListTest : public ProgramTest {
protected:
    void Prepare() override {
        // A byte-order mark before the first entry, a NUL inside the second.
        ASSERT_TRUE(WriteDataFile("Tessareltop.pin",
                                  std::string("\xEF\xBB\xBF" "FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 40)));
    }
};

class HugeStickyListTest : public ProgramTest {
protected:
    void Prepare() override {
        lines_ = "TESSHUGESTICKY\r\n";
        for (int i = 0; i < 200000; ++i) lines_ += "CLASS" + std::to_string(100000 + i) + "\r\n";
        ASSERT_TRUE(WriteDataFile("Tessareltop.pin", lines_));
    }
    std::string lines_;
};

class DamagedAutoSendTest : public ProgramTest {
protected:
    void Prepare() override {
        // Records with a desktop beyond the grid, a length byte beyond the
        // name, bytes of noise, and a cut record at the end.
        std::string bytes;
        for (int i = 0; i < 3 * 264 + 100; ++i) bytes += static_cast<char>((i * 131 + 7) % 256);
        bytes[0] = '\xFF';
        bytes[1] = '\xFF';
        bytes[264 + 10] = '\xFF';
        ASSERT_TRUE(WriteDataFile("Tessareltop.aus", bytes));
    }
};

}  // namespace

TEST_F(LongLinesTest, LinesLongerThanAnyNameAreNotUsedButKeptAndTheEngineRunsOn) {
    Helper h({.cls = "TessLongLines", .title = "long lines"});
    ASSERT_TRUE(program_->WaitForMessageLoop());
    SwitchRoundTrips(*program_, h.Window(), 4);
    const std::string unused = ": line 2 not used, it is longer than any path or class name; the file keeps it";
    EXPECT_TRUE(Logged(program_->Pid(), "Tessareltop.ign" + unused));
    EXPECT_TRUE(Logged(program_->Pid(), "Tessareltop.wat" + unused));

    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(ReadDataFile("Tessareltop.ign"), lines_);
    EXPECT_EQ(ReadDataFile("Tessareltop.wat"), lines_);
}

TEST_F(DamagedStickyListTest, ADamagedEntryLosesNoOtherEntry) {
    Helper first({.cls = "FirstCls", .title = "first sticky"});
    Helper sticky({.cls = "StickyCls", .title = "sticky"});
    Helper plain({.cls = "TessPlainCls", .title = "plain"});
    SwitchTo("-s2", {first.Window(), sticky.Window()}, {plain.Window()});
    EXPECT_TRUE(Logged(program_->Pid(), "Tessareltop.pin: line 2 not used, it holds a NUL byte; the file keeps it"));

    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(ReadDataFile("Tessareltop.pin"), std::string("FIRSTCLS\r\nSEC\0OND\r\nSTICKYCLS\r\nLASTCLS\r\n", 39));
}

TEST_F(HugeStickyListTest, AHugeListIsUsedUpToItsBoundKeptWholeAndSwitchesStayPrompt) {
    Helper sticky({.cls = "TessHugeSticky", .title = "huge sticky"});
    Helper plain({.cls = "TessHugePlain", .title = "huge plain"});
    ASSERT_TRUE(program_->WaitForMessageLoop());
    SwitchTo("-s2", {sticky.Window()}, {plain.Window()});
    SwitchTo("-s1", {sticky.Window(), plain.Window()}, {});
    EXPECT_TRUE(Logged(program_->Pid(),
                       "Tessareltop.pin: 198977 entries beyond the first 1024 not used; the file keeps them"));
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_EQ(ReadDataFile("Tessareltop.pin"), lines_);
}

TEST_F(DamagedAutoSendTest, ADamagedAutoSendFileLosesNoWindow) {
    ASSERT_TRUE(program_->WaitForMessageLoop());
    Helper h({.cls = "TessAutoSendDamaged", .title = "auto-send damaged"});
    EXPECT_TRUE(ShownSoon(h.Window()));
    SwitchRoundTrips(*program_, h.Window(), 2);
    EXPECT_EQ(program_->KillInstance(), 0);
    EXPECT_TRUE(IsShown(h.Window()));
}
