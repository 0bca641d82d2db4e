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

void WriteSetting(const char* name, DWORD value) {
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pelmora\\Tessarel", 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    ::RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(k);
}

void WriteDataFile(const std::string& name, const std::string& bytes) {
    std::string folder = DataFolder();   // ends "Pelmora\Quillmere\"
    ::CreateDirectoryA(folder.substr(0, folder.find_last_of('\\', folder.size() - 2)).c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    framework::WriteFileReplacing(folder + name, bytes);
}

std::string ReadDataFile(const std::string& name) {
    try {
        return framework::ReadFileBytes(DataFolder() + name);
    } catch (...) {
        return {};
    }
}

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
        program_->WaitTicks(3);   // the first scans have met every window
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
    void SwitchTo(int desktop) {
        ASSERT_EQ(program_->SecondStart("-s" + std::to_string(desktop)), 0);
        program_->WaitTicks(3);
    }

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
    // First run: one window on each of the desktops 1, 2 and 3, and one on
    // desktop 1 that its own program keeps hidden.
    Start();
    Helper one({.cls = "TessSnapWindow", .title = "snap one"});
    Helper selfHidden({.cls = "TessSnapWindow", .title = "snap hidden", .hidden = true});
    program_->WaitTicks(2);
    SwitchTo(2);
    Helper two({.cls = "TessSnapWindow", .title = "snap two"});
    program_->WaitTicks(2);
    SwitchTo(3);
    Helper three({.cls = "TessSnapWindow", .title = "snap three"});
    program_->WaitTicks(2);
    const std::vector<Placed> placed = {{one.Window(), 1}, {two.Window(), 2}, {three.Window(), 3}};
    ExpectOnlyDesktopShown(placed, 3);

    // The exit shows every window and writes where each one belongs.
    Exit();
    for (const auto& p : placed) EXPECT_TRUE(ShownSoon(p.wnd));
    EXPECT_FALSE(IsShown(selfHidden.Window()));
    std::vector<engine::TSnapshotRecord> stored = engine::DecodeSnapshot(ReadDataFile("Tessareltop.snp"));
    for (const auto& p : placed) {
        const engine::TSnapshotRecord* r = StoredRecord(stored, p.wnd);
        ASSERT_NE(r, nullptr) << "desktop " << p.desktop;
        EXPECT_EQ(r->Desktop, p.desktop);
        EXPECT_EQ(r->Visible, 1);
        EXPECT_EQ(r->ClassHash, engine::ClassNameHash("TessSnapWindow"));
    }
    ASSERT_NE(StoredRecord(stored, selfHidden.Window()), nullptr);
    EXPECT_EQ(StoredRecord(stored, selfHidden.Window())->Visible, 0);

    // Second run: the windows go back to their desktops at once.
    Start();
    ExpectOnlyDesktopShown(placed, 1);
    SwitchTo(2);
    ExpectOnlyDesktopShown(placed, 2);

    // Killed on desktop 2: the windows of desktops 1 and 3 are left hidden.
    KillWithoutWarning();
    Pump(300);
    EXPECT_FALSE(IsShown(one.Window()));
    EXPECT_FALSE(IsShown(three.Window()));

    // Third run: the window of desktop 1 is recovered, the others find their
    // desktops again, and none is lost.
    Start();
    ExpectOnlyDesktopShown(placed, 1);
    for (int d : {3, 2, 1}) {
        SwitchTo(d);
        ExpectOnlyDesktopShown(placed, d);
        EXPECT_FALSE(IsShown(selfHidden.Window())) << "desktop " << d;
    }
    Exit();
    for (const auto& p : placed) EXPECT_TRUE(ShownSoon(p.wnd));
    EXPECT_FALSE(IsShown(selfHidden.Window()));
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
    program_->WaitTicks(2);

    for (int d : {2, 3, 1}) {
        SwitchTo(d);
        EXPECT_TRUE(ShownSoon(sticky.Window())) << "desktop " << d;
        bool home = d == 1;
        EXPECT_TRUE(home ? ShownSoon(unpinned.Window()) : HiddenSoon(unpinned.Window())) << "desktop " << d;
        EXPECT_TRUE(home ? ShownSoon(plain.Window()) : HiddenSoon(plain.Window())) << "desktop " << d;
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
