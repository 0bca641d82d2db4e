// The window rules inside the test process: which desktop a new window gets,
// the record lookup, which windows are never managed, and what a scan does
// with the new window of a process that already has one on another desktop.
#include <gtest/gtest.h>
#include "support/own_window.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/window_rules.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/fake_settings.h"

using engine::TWindowRecord;
using settings::TAutoSendRule;

namespace {

constexpr DWORD kProcess = 4242;   // the process the new window belongs to
constexpr DWORD kOtherProcess = 4343;
constexpr uint32_t kThisScan = 5;
constexpr char kExe[] = "C:\\APPS\\EDITOR.EXE";
constexpr char kOlderExe[] = "C:\\OLD\\EDITOR.EXE";
constexpr char kRuleClass[] = "TessRuleTarget";

TAutoSendRule Rule(int desktop, std::string_view name, bool disabled = false, bool deleted = false) {
    TAutoSendRule r{};
    r.Desktop = static_cast<int16_t>(desktop);
    r.Reserved = -1;
    r.Disabled = disabled ? 1 : 0;
    r.NameLength = static_cast<uint8_t>(name.size());
    std::memcpy(r.Name, name.data(), name.size());
    r.Deleted = deleted ? 1 : 0;
    return r;
}
// Names as a user may have typed them: other case, blanks around.
TAutoSendRule ClassRule(int desktop, bool disabled = false, bool deleted = false) {
    return Rule(desktop, " tessruletarget  ", disabled, deleted);
}
TAutoSendRule ExeRule(int desktop, bool disabled = false, bool deleted = false) {
    return Rule(desktop, "c:\\apps\\editor.exe ", disabled, deleted);
}

using e2e::OwnWindow;

// The main form as the engine sees it after its creation, without a window:
// a 2 x 2 grid, desktop 1 current, settings from the fake.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings::SetLiveSource(&settings_);
        engine::frmPTessarel = &form_;
        form_.FGridCols = 2;
        form_.FGridRows = 2;
        form_.FScanCounter = kThisScan;
        form_.FCurrentDesktop = form_.FRequestedDesktop = 1;
        form_.FStickyList = std::make_unique<engine::TRegStringList>();
        // Events are written only while the log window exists.
        if (!navigation::frmLog) {
            framework::App().CreateForm(navigation::frmLog);
            ownLog_ = true;
        }
    }
    void TearDown() override {
        if (ownLog_ && navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        engine::frmPTessarel = nullptr;
        settings::SetLiveSource(nullptr);
    }
    bool ownLog_ = false;
    TWindowRecord& Add(HWND w, int desktop, DWORD pid, bool visible, uint32_t stamp, std::string exe = {}) {
        TWindowRecord r;
        r.Wnd = TWindowRecord::WndFromHandle(w);
        r.Desktop = static_cast<int8_t>(desktop);
        r.ProcessId = pid;
        r.Visible = visible ? 1 : 0;
        r.ScanStamp = stamp;
        r.ExeName = std::move(exe);
        form_.FWindowTable.push_back(r);
        return form_.FWindowTable.back();
    }
    const TWindowRecord* RecordOf(HWND w) {
        int i = form_.FindWindowRecord(w);
        return i < 0 ? nullptr : &form_.FWindowTable[static_cast<size_t>(i)];
    }

    e2e::FakeSettings settings_;
    engine::TfrmPTessarel form_;
};

HWND FakeHandle(uintptr_t n) { return reinterpret_cast<HWND>(0x10000 + n * 4); }

}  // namespace

// Every rule of the choice, as one table. The process's records stand before
// the new window's own record, which the scan appends (desktop 0) before it
// asks.
TEST_F(EngineTest, ChooseDesktopForProcess) {
    struct Rec {
        int desktop;
        bool visible = true;
        uint32_t age = 0;              // scans since one met it: 0 this scan
        DWORD pid = kProcess;
        const char* exe = kExe;
    };
    auto Hidden = [](int d) { return Rec{d, false}; };
    auto Unreached = [](int d) { return Rec{d, true, 1}; };   // this scan has not come to it yet
    auto Stale = [](int d) { return Rec{d, true, 2}; };       // gone, awaiting compaction
    auto Foreign = [](int d) { return Rec{d, true, 0, kOtherProcess}; };
    auto OlderExe = [](int d) { return Rec{d, true, 0, kProcess, kOlderExe}; };
    constexpr bool kStrict = true;
    using Desktops = std::vector<int>;
    struct Case {
        const char* what;
        std::vector<Rec> records;
        int want;
        bool strict = false;
        Desktops privateDesktops = {};
        std::vector<TAutoSendRule> rules = {};
        int current = 1;
    };
    const Case cases[] = {
        // Plain: the current desktop whatever the process has elsewhere.
        {"first window of its process", {}, 1},
        {"first window, desktop 3 current", {}, 3, false, {}, {}, 3},
        {"process on another desktop", {{3}}, 1},
        {"process hidden on another desktop", {Hidden(3)}, 1},
        {"process on the current and another desktop", {{1}, {3}}, 1},
        // Strict separation: the process's first record on another desktop.
        {"strict", {{3}}, 3, kStrict},
        {"strict, first record wins", {{2}, {3}}, 2, kStrict},
        {"strict, record not met lately", {Stale(3)}, 3, kStrict},
        {"strict, window hidden by its program", {Hidden(3)}, 3, kStrict},
        {"strict, another process on desktop 3", {Foreign(3)}, 1, kStrict},
        {"strict, process also on the current desktop", {{3}, {1}}, 1, kStrict},
        {"strict, current-desktop record not yet reached", {{3}, Unreached(1)}, 1, kStrict},
        {"strict, current-desktop record not met lately", {{3}, Stale(1)}, 3, kStrict},
        // Private desktops: the process's window there pulls the new one.
        {"private", {{3}}, 3, false, {3}},
        {"private, record not yet reached by this scan", {Unreached(3)}, 3, false, {3}},
        {"private, record not met lately", {Stale(3)}, 1, false, {3}},
        {"private desktop of another process", {Foreign(3)}, 1, false, {3}},
        {"another desktop private", {{3}}, 1, false, {2}},
        {"private beats the current desktop", {{1}, {3}}, 3, false, {3}},
        {"current desktop private", {{1}}, 1, false, {1}},
        {"private, first visible record stops", {Hidden(2), {3}, {4}}, 3, false, {2, 3, 4}},
        {"private, no visible record: the last", {Hidden(2), Hidden(4)}, 4, false, {2, 4}},
        // Class rules, in rule order, whatever the strength.
        {"class rule", {}, 2, false, {}, {ClassRule(2)}},
        {"rule of another class", {}, 1, false, {}, {Rule(2, "TESSOTHERCLASS")}},
        {"last class rule wins", {}, 3, false, {}, {ClassRule(2), ClassRule(3)}},
        {"class rule beats the process's desktop", {{1}}, 2, false, {}, {ClassRule(2)}},
        {"class rule beats strict", {{4}}, 2, kStrict, {}, {ClassRule(2)}},
        {"class rule beats private", {{4}}, 2, false, {4}, {ClassRule(2)}},
        // Executable rules, after the class rules, below strength 2 only.
        {"executable rule", {{1}}, 3, false, {}, {ExeRule(3)}},
        {"executable rule, first window of an unknown process", {}, 1, false, {}, {ExeRule(3)}},
        {"executable rule needs the whole path", {{1}}, 1, false, {}, {Rule(3, "EDITOR.EXE")}},
        {"executable of the process's last record", {OlderExe(1), {1}}, 3, false, {}, {ExeRule(3)}},
        {"executable of an earlier record is not asked", {OlderExe(1), {1}}, 1, false, {}, {Rule(3, kOlderExe)}},
        {"executable beats class", {{1}}, 3, false, {}, {ClassRule(2), ExeRule(3)}},
        {"executable beats class in any rule order", {{1}}, 3, false, {}, {ExeRule(3), ClassRule(2)}},
        {"strict: only the class rule", {{4}}, 2, kStrict, {}, {ClassRule(2), ExeRule(3)}},
        {"strict: executable rule ignored", {{4}}, 4, kStrict, {}, {ExeRule(3)}},
        {"private: only the class rule", {{4}}, 2, false, {4}, {ClassRule(2), ExeRule(3)}},
        {"private: executable rule ignored", {{4}}, 4, false, {4}, {ExeRule(3)}},
        {"strict, process on the current desktop: executable rule applies", {{4}, {1}}, 3, kStrict, {},
         {ExeRule(3)}},
        // Rule desktops beyond the grid are cut to the desktop count.
        {"class rule above the count", {}, 4, false, {}, {ClassRule(7)}},
        {"executable rule above the count", {{1}}, 4, false, {}, {ExeRule(9)}},
        // Rules switched off or removed.
        {"disabled class rule", {}, 1, false, {}, {ClassRule(2, true)}},
        {"deleted class rule", {}, 1, false, {}, {ClassRule(2, false, true)}},
        {"disabled executable rule", {{1}}, 1, false, {}, {ExeRule(3, true)}},
        {"deleted executable rule", {{1}}, 1, false, {}, {ExeRule(3, false, true)}},
        {"disabled rule leaves an earlier match", {}, 2, false, {}, {ClassRule(2), ClassRule(3, true)}},
        {"deleted executable rule leaves the class rule", {{1}}, 2, false, {}, {ClassRule(2), ExeRule(3, false, true)}},
        // A rule desktop outside 1..9 (a damaged file) matches nothing.
        {"class rule desktop 0", {}, 1, false, {}, {ClassRule(0)}},
        {"class rule desktop 10", {}, 1, false, {}, {ClassRule(10)}},
        {"executable rule desktop 40000", {{1}}, 1, false, {}, {ExeRule(40000)}},
        {"desktop 12 leaves an earlier match", {}, 2, false, {}, {ClassRule(2), ClassRule(12)}},
        {"class rule desktop -1", {}, 1, false, {}, {ClassRule(-1)}},
        {"executable rule desktop 0", {{1}}, 1, false, {}, {ExeRule(0)}},
        {"desktop 0 leaves an earlier match", {{1}}, 3, false, {}, {ClassRule(3), ExeRule(0)}},
    };

    OwnWindow target(kRuleClass);
    ASSERT_NE(target.Handle(), nullptr);
    for (const auto& c : cases) {
        form_.FWindowTable.clear();
        form_.FCurrentDesktop = form_.FRequestedDesktop = c.current;
        settings_.Set("strictdesk", c.strict ? 1 : 0);
        settings_.privateDesktops = {c.privateDesktops.begin(), c.privateDesktops.end()};
        settings_.rules = c.rules;
        uintptr_t n = 0;
        for (const auto& r : c.records)
            Add(FakeHandle(++n), r.desktop, r.pid, r.visible, kThisScan - r.age, r.exe);
        Add(target.Handle(), 0, kProcess, true, 0);

        EXPECT_EQ(form_.ChooseDesktopForProcess(kProcess, target.Handle()), c.want) << c.what;
    }
}

// With no record that knows it, the executable comes from the process and is
// kept in every record of that process.
TEST_F(EngineTest, ExecutableComesFromTheProcessAndIsKeptInItsRecords) {
    const DWORD self = ::GetCurrentProcessId();
    const std::string exe = engine::UpperCaseAscii(engine::ProcessExePath(self));
    ASSERT_FALSE(exe.empty());
    OwnWindow target(kRuleClass);
    Add(FakeHandle(1), 1, self, true, kThisScan);
    Add(FakeHandle(2), 3, kOtherProcess, true, kThisScan, kOlderExe);
    Add(target.Handle(), 0, self, true, 0);
    settings_.rules = {Rule(2, exe)};

    EXPECT_EQ(form_.ChooseDesktopForProcess(self, target.Handle()), 2);
    EXPECT_EQ(form_.FWindowTable[0].ExeName, exe);
    EXPECT_EQ(form_.FWindowTable[1].ExeName, kOlderExe);
    EXPECT_EQ(form_.FWindowTable[2].ExeName, exe);
}

TEST_F(EngineTest, LookupAfterCompactionGivesTheWindowsOwnRecord) {
    const HWND gone = FakeHandle(1), kept = FakeHandle(2), last = FakeHandle(3);
    Add(gone, 1, kProcess, true, kThisScan - 1);
    Add(kept, 2, kProcess, true, kThisScan);
    Add(last, 3, kProcess, true, kThisScan);
    ASSERT_EQ(form_.FindWindowRecord(last), 2);
    ASSERT_EQ(form_.FindWindowRecord(gone), 0);   // the cache now holds a window about to go

    form_.CompactWindowTable();
    ASSERT_EQ(form_.FWindowTable.size(), 2u);
    EXPECT_EQ(form_.FindWindowRecord(gone), -1);
    EXPECT_EQ(form_.FindWindowRecord(last), 1);
    EXPECT_EQ(form_.FindWindowRecord(last), 1);   // from the cache
    EXPECT_EQ(form_.FWindowTable[1].Wnd, TWindowRecord::WndFromHandle(last));
    EXPECT_EQ(form_.FindWindowRecord(kept), 0);
    EXPECT_EQ(form_.FWindowTable[0].Desktop, 2);
    EXPECT_EQ(form_.FindWindowRecord(FakeHandle(9)), -1);
}

// The table is also changed in place (records added, emptied, a handle
// cleared): a lookup answers from the table as it is now, never from what
// the lookups before it saw.
TEST_F(EngineTest, LookupFollowsTheTableChangedInPlace) {
    const HWND a = FakeHandle(1), b = FakeHandle(2), c = FakeHandle(3);
    Add(a, 1, kProcess, true, kThisScan);
    Add(b, 1, kProcess, true, kThisScan);
    ASSERT_EQ(form_.FindWindowRecord(b), 1);
    ASSERT_EQ(form_.FindWindowRecord(c), -1);
    Add(c, 2, kProcess, true, kThisScan);
    EXPECT_EQ(form_.FindWindowRecord(c), 2) << "a record added after the last lookup";

    form_.FWindowTable.clear();
    EXPECT_EQ(form_.FindWindowRecord(b), -1) << "the table was emptied";
    Add(c, 3, kProcess, true, kThisScan);
    Add(b, 4, kProcess, true, kThisScan);
    EXPECT_EQ(form_.FindWindowRecord(b), 1);
    EXPECT_EQ(form_.FindWindowRecord(c), 0);
    EXPECT_EQ(form_.FindWindowRecord(a), -1);

    form_.FWindowTable[0].Wnd = 0;   // the record no longer answers for its handle
    EXPECT_EQ(form_.FindWindowRecord(c), -1);
    EXPECT_EQ(form_.FindWindowRecord(nullptr), -1);
    EXPECT_EQ(form_.FindWindowRecord(b), 1);
}

TEST_F(EngineTest, DesktopOwnAndSystemWindowsAreUnmanaged) {
    OwnWindow own("TessOwnWindow");
    EXPECT_TRUE(form_.IsUnmanagedWindow(::GetDesktopWindow(), -1));
    EXPECT_TRUE(form_.IsUnmanagedWindow(nullptr, -1));
    EXPECT_TRUE(form_.IsUnmanagedWindow(own.Handle(), -1));

    struct Case { const char* cls; bool unmanaged; } cases[] = {
        {"Shell_TrayWnd", true}, {"CursorXP", true}, {"tooltips_class32", true}, {"SystemTray_Main", true},
        {"WorkerW", true}, {"DV2ControlHost", true}, {"Progman", true}, {"TDesignerHintWindow", true},
        {"TPUtilWindow", true}, {"Connections Tray", true}, {"MenuSite", true}, {"BaseBar", true},
        {"SysFader", true},
        {"WorkerW2", false},
    };
    for (const auto& c : cases) {
        e2e::Helper h({.cls = c.cls, .title = "unmanaged test"});
        ASSERT_EQ(h.Windows().size(), 1u) << c.cls;
        EXPECT_EQ(form_.IsUnmanagedWindow(h.Window(), -1), c.unmanaged) << c.cls;
        EXPECT_EQ(form_.ClassNameBuffer(), c.cls);
    }
}

// The upper half of a 32-bit address space marks the system's own windows.
// Above 4 GB the rule says nothing: on 64-bit Windows user32 loads there at a
// base that changes with every boot, and its low 32 bits are as likely to
// have the top bit as not.
TEST(WindowRules, OnlyAModuleBetweenTwoAndFourGigabytesIsTheSystems) {
    struct Case { uint64_t module; bool upperHalf; } cases[] = {
        {0x00400000ull, false}, {0x56000000ull, false}, {0x7FFFFFFFull, false},         // below 2 GB
        {0x80000000ull, true}, {0xBFF70000ull, true}, {0xFFFFFFFFull, true},            // 2 to 4 GB
        {0x100000000ull, false},
        {0x140000000ull, false},                                                         // a 64-bit exe
        {0x2169D0000ull, false},                                                         // user32 under Wine
        {0x7FF812340000ull, false}, {0x7FF880000000ull, false}, {0x7FF8FFFF0000ull, false},   // user32, 64-bit Windows
    };
    for (const auto& c : cases) EXPECT_EQ(engine::IsUpperHalfModule(c.module), c.upperHalf) << std::hex << c.module;
}

// A 64-bit program's classes report its image at 0x140000000: above
// $80000000 as a 64-bit number, yet an ordinary module.
TEST_F(EngineTest, ClassModuleTopBitIsJudgedInThe32BitSense) {
    e2e::Helper h({.cls = "TessModuleCheck", .title = "module"});
    ASSERT_EQ(h.Windows().size(), 1u);
    const ULONG_PTR module = ::GetClassLongPtrA(h.Window(), GCLP_HMODULE);
    ASSERT_GE(module, 0x80000000u) << "the helper's image lies low: this test shows nothing";
    EXPECT_FALSE(form_.IsUnmanagedWindow(h.Window(), -1));
}

// What one scan does with a new window of a process whose other window lies
// hidden on desktop 3 while desktop 1 is current.
TEST_F(EngineTest, ScanGivesTheNewWindowOfAKnownProcessItsDesktop) {
    struct Case {
        const char* what;
        int want;
        bool strict = false;
        bool private3 = false;
        const char* exeName = "";
        bool popup = false;
    };
    constexpr bool kStrict = true, kPrivate = true, kPopup = true;
    const Case cases[] = {
        {"plain", 1},
        {"plain popup", 1, false, false, "", kPopup},
        {"strict", 3, kStrict},
        {"private", 3, false, kPrivate},
        {"strict, popup", 3, kStrict, false, "", kPopup},
        {"strict, browser window that is no popup", 3, kStrict, false, "FIREFOX.EXE"},
        {"strict, Firefox popup", 1, kStrict, false, "FIREFOX.EXE", kPopup},
        {"strict, Internet Explorer popup", 1, kStrict, false, "IEXPLORE.EXE", kPopup},
        {"private, Firefox popup", 1, false, kPrivate, "firefox.exe", kPopup},
    };
    form_.FGridRows = 4;   // 2 x 4
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings_.Set("strictdesk", c.strict ? 1 : 0);
        settings_.privateDesktops.clear();
        if (c.private3) settings_.privateDesktops.insert(3);
        form_.FWindowTable.clear();
        // A fresh log: the same line twice in one minute is written once.
        if (navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        framework::App().CreateForm(navigation::frmLog);
        ownLog_ = true;

        e2e::Helper h({.cls = "TessScanRules", .title = "scan rules", .popup = c.popup, .exeName = c.exeName});
        ASSERT_EQ(h.Windows().size(), 1u);
        const HWND first = h.Window();
        // The helper shows its window only after creating it.
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(first); }));
        // Met first while desktop 3 is current, then left behind there.
        form_.FCurrentDesktop = form_.FRequestedDesktop = 3;
        ++form_.FScanCounter;
        form_.ScanWindows();
        ASSERT_NE(RecordOf(first), nullptr);
        ASSERT_EQ(RecordOf(first)->Desktop, 3);
        form_.FCurrentDesktop = form_.FRequestedDesktop = 1;
        form_.HideForeignWindows();
        ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(first); }));
        ++form_.FScanCounter;
        form_.ScanWindows();

        ::PostMessageA(first, e2e::kHelperNewWindow, 0, 0);
        const HWND added = e2e::WaitForWindow("scan rules new", "TessScanRules", h.Pid());
        ASSERT_NE(added, nullptr);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(added); }));
        ++form_.FScanCounter;
        form_.ScanWindows();

        const TWindowRecord* rec = RecordOf(added);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->Desktop, c.want);
        // A window is hidden asynchronously when it does not answer at once.
        if (c.want != 1) {
            EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(added); }, 1000));
        }
        e2e::Pump(100);
        EXPECT_EQ(e2e::IsShown(added), c.want == 1);
        EXPECT_EQ(form_.LastEventWindow() == added, c.want != 1) << "sent away without a log line";
        EXPECT_FALSE(e2e::IsShown(first));
        ASSERT_NE(RecordOf(first), nullptr);
        EXPECT_EQ(RecordOf(first)->Desktop, 3);
    }
}

namespace {
// A scan that meets only these handles, as if they were every top-level window.
void ScanOnly(engine::TfrmPTessarel& form, const std::vector<HWND>& handles) {
    ++form.FScanCounter;
    form.ScanWindows(handles, true);
}
int RecordsOf(const engine::TfrmPTessarel& form, HWND w) {
    int n = 0;
    for (const auto& r : form.FWindowTable) n += r.Handle() == w;
    return n;
}
}  // namespace

// The handle of a window the user sent to desktop 3 comes back for a new
// window: of another process (the record's process differs), or of the same
// process after a scan found the handle gone. The new window is placed by the
// rules as any new window, never on the old record's desktop.
TEST_F(EngineTest, ANewWindowNeverInheritsTheDesktopOfTheHandlesLastWindow) {
    e2e::Helper h({.cls = "TessHandleReuse", .title = "handle reuse"});
    ASSERT_EQ(h.Windows().size(), 1u);
    const HWND w = h.Window();
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(w); }));

    struct Case {
        const char* what;
        bool otherProcess;   // else: gone for one scan
    } cases[] = {{"another process", true}, {"the same process, after the handle was gone", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form_.FWindowTable.clear();
        ScanOnly(form_, {w});
        ASSERT_NE(RecordOf(w), nullptr);
        ASSERT_EQ(RecordOf(w)->Desktop, 1);
        // The old window lived on desktop 3, hidden there.
        const int i = form_.FindWindowRecord(w);
        form_.FWindowTable[static_cast<size_t>(i)].Desktop = 3;
        form_.FWindowTable[static_cast<size_t>(i)].Visible = 0;
        form_.FWindowTable[static_cast<size_t>(i)].Shown = 0;
        if (c.otherProcess)
            form_.FWindowTable[static_cast<size_t>(i)].ProcessId = h.Pid() + 4;
        else
            ScanOnly(form_, {});   // the handle was not met: its window is gone

        ScanOnly(form_, {w});
        ASSERT_NE(RecordOf(w), nullptr);
        EXPECT_EQ(RecordOf(w)->Desktop, 1);
        EXPECT_EQ(RecordOf(w)->ProcessId, h.Pid());
        EXPECT_EQ(RecordsOf(form_, w), 1);
        EXPECT_TRUE(e2e::IsShown(w));
    }
    // A handle still met keeps its record from scan to scan.
    const int before = form_.FindWindowRecord(w);
    form_.FWindowTable[static_cast<size_t>(before)].Desktop = 3;
    ScanOnly(form_, {w});
    EXPECT_EQ(form_.FindWindowRecord(w), before);
    EXPECT_EQ(RecordOf(w)->Desktop, 3);
}

// The class-name buffer the rules read is the scanned window's, also when
// its facts come from the cache.
TEST_F(EngineTest, ClassNameBufferFollowsTheWindowBeingAsked) {
    e2e::Helper a({.cls = "TessBufferA", .title = "buffer a"});
    e2e::Helper b({.cls = "TessBufferB", .title = "buffer b"});
    ASSERT_EQ(a.Windows().size(), 1u);
    ASSERT_EQ(b.Windows().size(), 1u);
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(form_.IsUnmanagedWindow(a.Window(), -1));
        EXPECT_EQ(form_.ClassNameBuffer(), "TessBufferA");
        EXPECT_FALSE(form_.IsUnmanagedWindow(b.Window(), -1));
        EXPECT_EQ(form_.ClassNameBuffer(), "TessBufferB");
    }
    a.Quit();
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(a.Window()); }));
    form_.IsUnmanagedWindow(a.Window(), -1);
    EXPECT_EQ(form_.ClassNameBuffer(), "");
}
