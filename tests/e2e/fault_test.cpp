// A native fault inside the program (here a thread that another program
// starts in it at an address where no code lies) ends it at once: every
// window it had hidden on other desktops is shown again, the fault is in
// "errorlog.log", and a new start works.
#include <gtest/gtest.h>
#include <string>
#include "framework/string_list.h"
#include "support/program_test.h"

using namespace e2e;

namespace {

using FaultTest = ProgramTest;

}  // namespace

TEST_F(FaultTest, AFaultShowsEveryHiddenWindowLogsTheFaultAndEndsTheProgram) {
    Helper one({.cls = "TessFaultOne", .title = "fault one"});
    SwitchTo("-s2", {}, {one.Window()});
    Helper two({.cls = "TessFaultTwo", .title = "fault two"});
    SwitchTo("-s3", {}, {one.Window(), two.Window()});
    Helper three({.cls = "TessFaultThree", .title = "fault three"});
    SwitchTo("-s4", {}, {one.Window(), two.Window(), three.Window()});
    // A window its own program hides stays hidden: it was never shown on its desktop.
    Helper selfHidden({.cls = "TessFaultHidden", .title = "fault hidden", .hidden = true});

    ASSERT_EQ(RunAndWait(BinDir() + "faultinject.exe", std::to_string(program_->Pid())), 0);

    EXPECT_TRUE(Switched({one.Window(), two.Window(), three.Window()}, {}, 5000)) << "hidden windows were lost";
    EXPECT_NE(program_->Process().Wait(5000), -1) << "the program did not end";
    EXPECT_EQ(FindMainWindow(), nullptr);
    EXPECT_FALSE(IsShown(selfHidden.Window()));
    const std::string log = ReadDataFile("errorlog.log");
    EXPECT_NE(log.find(" >> Access violation (exception C0000005) at address 0000000000000001\r\n"), std::string::npos)
        << log;
    program_.reset();

    // Nothing of the ended program stands in the way of the next start.
    ::DeleteFileA((DataFolder() + "errorlog.log").c_str());
    program_ = std::make_unique<Tessarel>("", false);
    ASSERT_NE(program_->MainWindow(), nullptr);
    ASSERT_TRUE(program_->WaitForMessageLoop());
    SwitchTo("-s2", {}, {one.Window(), two.Window(), three.Window()});
    SwitchTo("-s1", {one.Window(), two.Window(), three.Window()}, {});
}
