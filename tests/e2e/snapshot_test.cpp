// Windows keep their desktops across a restart of the program, even one that
// was killed without warning; sticky windows stay on screen through switches
// and restarts.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include "engine/snapshot.h"
#include "framework/string_list.h"
#include "support/e2e.h"

using namespace e2e;

namespace {

bool ShownSoon(HWND w) { return WaitUntil([w] { return IsShown(w); }, 4000); }
bool HiddenSoon(HWND w) { return WaitUntil([w] { return !IsShown(w); }, 4000); }

// Runs of the program one after the other over the same data folder.
class Restarts : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("showsplash", 0);
    }
    void TearDown() override { program_.reset(); }

    void Start() {
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_NE(program_->MainWindow(), nullptr);
        // Nothing pumps messages while the windows are created: a sent
        // message comes back once the message loop runs.
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    // The exit of the menu: it shows every window but, unlike "-kill", does
    // not gather them on one desktop first.
    void Exit() {
        ::PostMessageA(program_->MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(program_->Process().Wait(10000), 0);
        program_.reset();
    }
    void KillWithoutWarning() {
        program_->Process().Kill();
        program_->Process().Wait(5000);
        program_.reset();
    }
    // Asks for a switch; the caller waits for the windows to show it.
    void SwitchTo(int desktop) { ASSERT_EQ(program_->SecondStart("-s" + std::to_string(desktop)), 0); }

    // Each window is shown on its own desktop only.
    struct Placed {
        HWND wnd;
        int desktop;
    };
    void ExpectOnlyDesktopShown(const std::vector<Placed>& windows, int current) {
        for (const auto& p : windows) {
            if (p.desktop == current)
                EXPECT_TRUE(ShownSoon(p.wnd)) << "window of desktop " << p.desktop << " on desktop " << current;
            else
                EXPECT_TRUE(HiddenSoon(p.wnd)) << "window of desktop " << p.desktop << " on desktop " << current;
        }
    }

    std::unique_ptr<Tessarel> program_;
};

const engine::TSnapshotRecord* StoredRecord(const std::vector<engine::TSnapshotRecord>& recs, HWND w) {
    for (const auto& r : recs)
        if (r.Wnd == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w))) return &r;
    return nullptr;
}

}  // namespace

TEST_F(Restarts, EveryWindowGetsItsDesktopBackAfterTheProgramWasKilled) {
    WriteSetting("snapshots", 1);   // every 5 seconds
    Start();
    Helper one({.cls = "TessSnapWindow", .title = "snap one"});
    SwitchTo(2);
    ASSERT_TRUE(HiddenSoon(one.Window()));
    Helper two({.cls = "TessSnapWindow", .title = "snap two"});
    SwitchTo(3);
    ASSERT_TRUE(HiddenSoon(two.Window()));
    Helper three({.cls = "TessSnapWindow", .title = "snap three"});
    const std::vector<Placed> placed = {{one.Window(), 1}, {two.Window(), 2}, {three.Window(), 3}};
    ExpectOnlyDesktopShown(placed, 3);

    // Wait for a periodic save that knows all three, then kill the program:
    // the windows of desktops 1 and 2 are left hidden.
    EXPECT_TRUE(WaitUntil([&] {
        std::vector<engine::TSnapshotRecord> stored = engine::DecodeSnapshot(ReadDataFile("Tessareltop.snp"));
        for (const auto& p : placed) {
            const engine::TSnapshotRecord* r = StoredRecord(stored, p.wnd);
            if (!r || r->Desktop != p.desktop || r->Visible != 1) return false;
            if (r->ClassHash != engine::ClassNameHash("TessSnapWindow")) return false;
        }
        return true;
    }, 12000, 200));
    KillWithoutWarning();
    ASSERT_FALSE(IsShown(one.Window()));
    ASSERT_FALSE(IsShown(two.Window()));

    // Started again on desktop 1: its window is recovered, the others wait
    // on their own desktops.
    Start();
    ExpectOnlyDesktopShown(placed, 1);
    for (int d : {2, 3, 1}) {
        SwitchTo(d);
        ExpectOnlyDesktopShown(placed, d);
    }
    Exit();
    for (const auto& p : placed) EXPECT_TRUE(ShownSoon(p.wnd));
}

TEST_F(Restarts, TheExitWritesTheSnapshotEvenWithoutPeriodicSaves) {
    // The default is "no snapshots". One window on each of the desktops 1
    // and 2, and one on desktop 1 that its own program keeps hidden.
    Start();
    Helper one({.cls = "TessSnapWindow", .title = "snap one"});
    Helper selfHidden({.cls = "TessSnapWindow", .title = "snap hidden", .hidden = true});
    SwitchTo(2);
    ASSERT_TRUE(HiddenSoon(one.Window()));
    Helper two({.cls = "TessSnapWindow", .title = "snap two"});
    const std::vector<Placed> placed = {{one.Window(), 1}, {two.Window(), 2}};
    // A switch takes a tick of its own: twenty of them pass the moment a
    // periodic save would have been made.
    for (int i = 0; i < 10; ++i) {
        SwitchTo(1);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(one.Window()) && !IsShown(two.Window()); }, 5000)) << i;
        SwitchTo(2);
        ASSERT_TRUE(WaitUntil([&] { return !IsShown(one.Window()) && IsShown(two.Window()); }, 5000)) << i;
    }
    EXPECT_TRUE(ReadDataFile("Tessareltop.snp").empty()) << "nothing saved while the program runs";

    // The exit shows every window but writes where each one belongs.
    Exit();
    for (const auto& p : placed) EXPECT_TRUE(ShownSoon(p.wnd));
    EXPECT_FALSE(IsShown(selfHidden.Window()));
    std::vector<engine::TSnapshotRecord> stored = engine::DecodeSnapshot(ReadDataFile("Tessareltop.snp"));
    for (const auto& p : placed) {
        const engine::TSnapshotRecord* r = StoredRecord(stored, p.wnd);
        ASSERT_NE(r, nullptr) << "desktop " << p.desktop;
        EXPECT_EQ(r->Desktop, p.desktop);
        EXPECT_EQ(r->Visible, 1);
    }
    ASSERT_NE(StoredRecord(stored, selfHidden.Window()), nullptr);
    EXPECT_EQ(StoredRecord(stored, selfHidden.Window())->Visible, 0);

    // Started again, the window of desktop 2 goes back there at once; the
    // hidden one is never shown.
    Start();
    ExpectOnlyDesktopShown(placed, 1);
    SwitchTo(2);
    ExpectOnlyDesktopShown(placed, 2);
    SwitchTo(1);
    ExpectOnlyDesktopShown(placed, 1);
    EXPECT_FALSE(IsShown(selfHidden.Window()));
    Exit();
}

TEST_F(Restarts, ADamagedSnapshotLosesNoWindow) {
    Helper h({.cls = "TessSnapDamaged", .title = "damaged"});
    // A stored desktop that does not exist, and a partial record after it.
    engine::TSnapshotRecord bad{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h.Window())), 1, 99, h.Pid(),
                                engine::ClassNameHash("TessSnapDamaged")};
    WriteDataFile("Tessareltop.snp", engine::EncodeSnapshot({bad}) + std::string("\x01\x02\x03", 3));
    Start();
    EXPECT_TRUE(IsShown(h.Window()));
    SwitchTo(2);
    EXPECT_TRUE(HiddenSoon(h.Window())) << "the window lives on the current desktop 1";
    SwitchTo(1);
    EXPECT_TRUE(ShownSoon(h.Window()));
    Exit();
}

TEST_F(Restarts, StickyWindowStaysOnScreenThroughSwitchesAndRestarts) {
    // One entry in force, one switched off in the settings (marked "*").
    const std::string pinned = "TESSSTICKYWINDOW\r\nTESSUNPINNEDWINDOW*\r\n";
    WriteDataFile("Tessareltop.pin", pinned);
    Start();
    Helper sticky({.cls = "TessStickyWindow", .title = "sticky"});
    Helper unpinned({.cls = "TessUnpinnedWindow", .title = "unpinned"});
    Helper plain({.cls = "TessPlainWindow", .title = "plain"});
    // A window of desktop 2 shows the switch from there to desktop 3.
    std::unique_ptr<Helper> two;
    for (int d : {2, 3, 1}) {
        SwitchTo(d);
        if (d == 3) {
            EXPECT_TRUE(HiddenSoon(two->Window()));
        }
        EXPECT_TRUE(ShownSoon(sticky.Window())) << "desktop " << d;
        bool home = d == 1;
        EXPECT_TRUE(home ? ShownSoon(unpinned.Window()) : HiddenSoon(unpinned.Window())) << "desktop " << d;
        EXPECT_TRUE(home ? ShownSoon(plain.Window()) : HiddenSoon(plain.Window())) << "desktop " << d;
        if (d == 2) two = std::make_unique<Helper>(HelperOptions{.cls = "TessPlainTwo", .title = "plain two"});
    }
    Exit();
    EXPECT_EQ(ReadDataFile("Tessareltop.pin"), pinned) << "the list is written back as it was";

    Start();
    SwitchTo(2);
    EXPECT_TRUE(ShownSoon(sticky.Window()));
    EXPECT_TRUE(HiddenSoon(plain.Window()));
    SwitchTo(1);
    EXPECT_TRUE(ShownSoon(plain.Window()));
    Exit();
}

// A window showing at start that the snapshot puts on desktop 2 is hidden by
// the scan that first meets it, whether or not it was showing when the
// snapshot was taken; it comes back with its desktop.
TEST_F(Restarts, AShowingWindowOfAnotherDesktopIsHiddenByTheFirstScan) {
    for (uint8_t storedVisible : {1, 0}) {
        SCOPED_TRACE(static_cast<int>(storedVisible));
        Helper h({.cls = "TessSnapAway", .title = "snap away"});
        engine::TSnapshotRecord rec{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h.Window())), storedVisible, 2,
                                    h.Pid(), engine::ClassNameHash("TessSnapAway")};
        WriteDataFile("Tessareltop.snp", engine::EncodeSnapshot({rec}));
        Start();
        // Logged by the scan that hides it at birth, which tags what came
        // from the snapshot.
        EXPECT_TRUE(WaitUntil([&] {
            for (const auto& line : EventLogLines(program_->Pid()))
                if (line == "snap away {TessSnapAway} application automatically sent to desktop #2 [SNAPSHOT]")
                    return true;
            return false;
        }));
        EXPECT_TRUE(HiddenSoon(h.Window()));
        SwitchTo(2);
        EXPECT_TRUE(ShownSoon(h.Window()));
        SwitchTo(1);
        EXPECT_TRUE(HiddenSoon(h.Window()));
        KillWithoutWarning();
    }
}
