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

// Makes the program fault on its main thread inside a window procedure,
// through the hook library faulthook.dll set on that thread.
class FaultProbe {
public:
    FaultProbe(HWND target, bool sent) : target_(target), sent_(sent) {
        library_ = ::LoadLibraryA((BinDir() + "faulthook.dll").c_str());
        const char* name = sent ? "FaultCallWndProc" : "FaultGetMessageProc";
        // void (*)() is the generic function pointer that casts without a warning.
        auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(::GetProcAddress(library_, name)));
        const DWORD thread = ::GetWindowThreadProcessId(target, nullptr);
        if (proc && thread) hook_ = ::SetWindowsHookExA(sent ? WH_CALLWNDPROC : WH_GETMESSAGE, proc, library_, thread);
    }
    ~FaultProbe() {
        if (hook_) ::UnhookWindowsHookEx(hook_);
        if (library_) ::FreeLibrary(library_);
    }
    bool Ready() const { return hook_ != nullptr; }
    void Fire() const {
        const UINT probe = ::RegisterWindowMessageA("TessFaultProbe");
        if (sent_) {
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(target_, probe, 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
        } else {
            ::PostMessageA(target_, probe, 0, 0);
        }
    }
private:
    HWND target_;
    bool sent_;
    HMODULE library_ = nullptr;
    HHOOK hook_ = nullptr;
};

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

// A fault on the program's main thread inside a window procedure (reached by
// a posted message, or by a message another program sends) ends it the same
// way: the system must not swallow it and let the program go on half-way
// through whatever it was doing.
TEST_F(FaultTest, AFaultInsideAWindowProcedureShowsEveryHiddenWindowAndEndsTheProgram) {
    for (const bool sent : {false, true}) {
        SCOPED_TRACE(sent ? "sent" : "posted");
        const std::string name = sent ? "Sent" : "Posted";
        // An error log at start would bring up its report first.
        ::DeleteFileA((DataFolder() + "errorlog.log").c_str());
        if (!program_) {
            program_ = std::make_unique<Tessarel>("", false);
            ASSERT_NE(program_->MainWindow(), nullptr);
        }
        ASSERT_TRUE(program_->WaitForMessageLoop());
        Helper one({.cls = "TessProcFaultOne" + name, .title = "proc fault one"});
        SwitchTo("-s2", {}, {one.Window()});
        Helper two({.cls = "TessProcFaultTwo" + name, .title = "proc fault two"});
        SwitchTo("-s3", {}, {one.Window(), two.Window()});
        FaultProbe probe(program_->MainWindow(), sent);
        ASSERT_TRUE(probe.Ready());
        probe.Fire();

        EXPECT_TRUE(Switched({one.Window(), two.Window()}, {}, 5000)) << "hidden windows were lost";
        EXPECT_NE(program_->Process().Wait(5000), -1) << "the program did not end";
        const std::string log = ReadDataFile("errorlog.log");
        EXPECT_NE(log.find(" >> Access violation (exception C0000005) at address 0000000000000001\r\n"),
                  std::string::npos)
            << log;
        program_.reset();
    }
}
