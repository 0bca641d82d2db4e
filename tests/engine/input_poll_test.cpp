// The input poll's rules with a clock and key states of the test's own:
// double taps by "doubleint", another key cancelling a tap, Shift while Ctrl
// is down, the keys that hold a gesture, the dwell at a screen edge, and the
// gesture row a code selects; then the gesture actions on the engine.
#include <gtest/gtest.h>
#include <windows.h>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "engine/input_poll.h"
#include "engine/main_form.h"
#include "engine/startup.h"
#include "framework/application.h"
#include "navigation/event_log_window.h"
#include "settings/settings_access.h"

using namespace engine;

namespace {

constexpr TDoubleTapTiming kLong = {700, 1000, 100}, kNormal = {250, 650, 100}, kShort = {0, 300, 0},
                           kNoDialog = {200, 700, 100};

// Two taps of one key: the first pressed at 0 and released at r1, the
// second pressed at p2 and released at r2. Answers whether the second
// release is a double tap.
bool SecondTapFires(bool strict, const TDoubleTapTiming& t, TPollTime r1, TPollTime p2, TPollTime r2,
                    TPollTime otherKey = kNever) {
    TDoubleTapTracker k(strict);
    k.Reset(false);
    EXPECT_FALSE(k.Poll(true, 0, otherKey, t));
    EXPECT_FALSE(k.Poll(false, r1, otherKey, t)) << "a single tap never fires";
    EXPECT_FALSE(k.Poll(true, p2, otherKey, t));
    return k.Poll(false, r2, otherKey, t);
}

}  // namespace

TEST(DoubleTapTiming, OneRowPerChoiceAndOneWithoutTheDialog) {
    struct Case {
        std::optional<int> doubleint;
        TDoubleTapTiming want;
    } cases[] = {{0, kLong}, {1, kNormal}, {2, kShort}, {std::nullopt, kNoDialog}, {-1, kNoDialog}, {3, kNoDialog}};
    for (const auto& c : cases) {
        const auto t = DoubleTapTiming(c.doubleint);
        EXPECT_EQ(t.minGap, c.want.minGap) << c.doubleint.value_or(99);
        EXPECT_EQ(t.maxGap, c.want.maxGap) << c.doubleint.value_or(99);
        EXPECT_EQ(t.minPause, c.want.minPause) << c.doubleint.value_or(99);
    }
}

TEST(DoubleTapTracker, ReleasesMustLieBetweenTheMinimumAndMaximumGap) {
    struct Case {
        const char* what;
        TDoubleTapTiming t;
        TPollTime r1, p2, r2;
        bool ctrl, shift;   // fires for Ctrl (gap at least T1) and for Shift (gap above T1)
    } cases[] = {
        {"normal, releases 0.4 s apart", kNormal, 50, 400, 450, true, true},
        {"normal, 0.2 s apart", kNormal, 50, 200, 250, false, false},
        {"normal, 0.7 s apart", kNormal, 50, 700, 750, false, false},
        {"normal, exactly T1", kNormal, 50, 250, 300, true, false},
        {"normal, just above T1", kNormal, 50, 250, 310, true, true},
        {"normal, just below T2", kNormal, 50, 600, 690, true, true},
        {"normal, exactly T2", kNormal, 50, 600, 700, false, false},
        {"normal, second press too soon after the release", kNormal, 50, 140, 400, false, false},
        {"normal, second press exactly T3 after the release", kNormal, 50, 150, 400, true, true},
        {"long, 0.69 s", kLong, 50, 500, 740, false, false},
        {"long, 0.7 s", kLong, 50, 500, 750, true, false},
        {"long, 0.99 s", kLong, 50, 500, 1040, true, true},
        {"long, 1 s", kLong, 50, 500, 1050, false, false},
        {"short, press right at the release", kShort, 50, 50, 60, true, true},
        {"short, 0.29 s", kShort, 50, 200, 340, true, true},
        {"short, 0.3 s", kShort, 50, 200, 350, false, false},
        {"no dialog, 0.2 s", kNoDialog, 50, 200, 250, true, false},
        {"no dialog, 0.69 s", kNoDialog, 50, 500, 740, true, true},
        {"no dialog, second press 0.09 s after", kNoDialog, 50, 140, 400, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SecondTapFires(false, c.t, c.r1, c.p2, c.r2), c.ctrl) << c.what << " (Ctrl)";
        EXPECT_EQ(SecondTapFires(true, c.t, c.r1, c.p2, c.r2), c.shift) << c.what << " (Shift)";
    }
}

TEST(DoubleTapTracker, AnotherKeyDuringTheSecondPressCancelsTheTap) {
    // Second press at 400, release at 450; another key last seen down at...
    struct Case {
        const char* what;
        TPollTime otherKey;
        bool fires;
    } cases[] = {
        {"never", kNever, true},
        {"before the first tap", -100, true},
        {"during the first tap", 20, true},
        {"just before the second press", 390, true},
        {"at the second press", 400, false},
        {"while the key is held", 420, false},
        {"at the release", 450, false},
    };
    for (const auto& c : cases) EXPECT_EQ(SecondTapFires(false, kNormal, 50, 400, 450, c.otherKey), c.fires) << c.what;
}

TEST(DoubleTapTracker, AThirdTapPairsWithTheSecond) {
    TDoubleTapTracker k(false);
    k.Reset(false);
    int fired = 0;
    for (TPollTime start : {0, 400, 800}) {
        k.Poll(true, start, kNever, kNormal);
        fired += k.Poll(false, start + 50, kNever, kNormal);
    }
    EXPECT_EQ(fired, 2);
}

TEST(DoubleTapTracker, AKeyHeldAtCreationCountsItsReleaseAsTheFirstTap) {
    TDoubleTapTracker k(false);
    k.Reset(true);
    EXPECT_FALSE(k.Poll(false, 1000, kNever, kNormal));
    EXPECT_FALSE(k.Poll(true, 1300, kNever, kNormal));
    EXPECT_TRUE(k.Poll(false, 1400, kNever, kNormal));
}

namespace {

using Keys = std::array<bool, 4>;   // Ctrl, Shift, left Shift, right Shift
constexpr Keys kUp{}, kCtrl{true, false, false, false}, kShift{false, true, false, false},
    kLeftShift{false, true, true, false}, kRightShift{false, true, false, true}, kCtrlShift{true, true, false, false};

// A run of polls every 10 ms; each step holds a key state for some time.
struct Hold {
    Keys keys;
    int ms;
    bool otherKey = false;
};

struct TapRun {
    std::vector<int> items;   // every item fired, in order
    int otherKeyReads = 0;
    int timingReads = 0;
};

TapRun Simulate(const std::vector<Hold>& holds, const TDoubleTapTiming& t = kNormal) {
    TDoubleTaps taps;
    taps.Reset(kUp);
    TapRun run;
    TPollTime now = 1000;
    for (const Hold& h : holds) {
        for (int elapsed = 0; elapsed < h.ms; elapsed += 10, now += 10) {
            TTapItems fired = taps.Step(
                h.keys, now,
                [&] {
                    ++run.otherKeyReads;
                    return h.otherKey;
                },
                [&] {
                    ++run.timingReads;
                    return t;
                });
            for (size_t i = 0; i < fired.count; ++i) run.items.push_back(fired.items[i]);
        }
    }
    return run;
}

}  // namespace

TEST(DoubleTaps, EachKeyFiresItsItem) {
    struct Case {
        const char* what;
        std::vector<Hold> holds;
        std::vector<int> want;
    } cases[] = {
        {"Ctrl", {{kCtrl, 50}, {kUp, 300}, {kCtrl, 50}, {kUp, 50}}, {1}},
        {"Shift", {{kShift, 50}, {kUp, 300}, {kShift, 50}, {kUp, 50}}, {2}},
        {"left Shift is a Shift too", {{kLeftShift, 50}, {kUp, 300}, {kLeftShift, 50}, {kUp, 50}}, {2, 8}},
        {"right Shift is a Shift too", {{kRightShift, 50}, {kUp, 300}, {kRightShift, 50}, {kUp, 50}}, {2, 9}},
        {"Shift while Ctrl is down fires both Shift commands",
         {{kCtrl, 100}, {kCtrlShift, 50}, {kCtrl, 300}, {kCtrlShift, 50}, {kCtrl, 50}, {kUp, 50}}, {2, 3}},
        {"Ctrl then Shift is no double tap", {{kCtrl, 50}, {kUp, 300}, {kShift, 50}, {kUp, 50}}, {}},
        {"taps too quick for normal", {{kCtrl, 50}, {kUp, 100}, {kCtrl, 50}, {kUp, 50}}, {}},
        {"another key while Ctrl is held for the second tap",
         {{kCtrl, 50}, {kUp, 300}, {kCtrl, 20}, {kCtrl, 20, true}, {kCtrl, 20}, {kUp, 50}}, {}},
        {"another key between the taps does not matter",
         {{kCtrl, 50}, {kUp, 100}, {kUp, 50, true}, {kUp, 150}, {kCtrl, 50}, {kUp, 50}}, {1}},
    };
    for (const auto& c : cases) EXPECT_EQ(Simulate(c.holds).items, c.want) << c.what;
}

TEST(DoubleTaps, AnIdlePollAsksForNothingButTheFourKeys) {
    TapRun idle = Simulate({{kUp, 5000, true}});
    EXPECT_EQ(idle.otherKeyReads, 0);
    EXPECT_EQ(idle.timingReads, 0);
    // While a tracked key is held the other keys are read at every poll,
    // the timing only when a key goes down or up.
    TapRun held = Simulate({{kCtrl, 100}, {kUp, 100}});
    EXPECT_EQ(held.otherKeyReads, 11);
    EXPECT_EQ(held.timingReads, 2);
}

TEST(GestureHold, KeysByHoldChoice) {
    struct Case {
        int choice;
        std::vector<int> keys;
    } cases[] = {
        {0, {VK_MBUTTON}}, {1, {VK_CONTROL}}, {2, {VK_LCONTROL}}, {3, {VK_LMENU}}, {4, {VK_LCONTROL, VK_LWIN}},
        {-1, {}}, {5, {}},
    };
    for (const auto& c : cases) {
        THoldKeys h = HoldKeys(c.choice);
        EXPECT_EQ(std::vector<int>(h.keys.begin(), h.keys.begin() + static_cast<long>(h.count)), c.keys) << c.choice;
    }
}

TEST(EdgeDwell, KnockOnceAfterOneSecondAndAgainOnlyAfterLeaving) {
    TEdgeDwell d;
    const int right = 2;
    TPollTime now = 5000;
    auto rest = [&](bool inside, TPollTime ms) {
        std::vector<TEdgeEvent> events;
        for (TPollTime end = now + ms; now < end; now += 10) {
            TEdgeEvent e = StepEdgeDwell(d, right, inside, now, TEdgeMode::Knock);
            if (e != TEdgeEvent::None) events.push_back(e);
        }
        return events;
    };
    EXPECT_TRUE(rest(true, 990).empty()) << "not before a second";
    EXPECT_EQ(d.lastEdge, right);
    EXPECT_EQ(rest(true, 20), std::vector<TEdgeEvent>{TEdgeEvent::Knock});
    EXPECT_TRUE(rest(true, 5000).empty()) << "resting on: no second knock";
    EXPECT_TRUE(rest(false, 10).empty());
    EXPECT_EQ(d.lastEdge, 0);
    EXPECT_EQ(d.knockEdge, 0);
    EXPECT_EQ(rest(true, 1010), std::vector<TEdgeEvent>{TEdgeEvent::Knock});
}

TEST(EdgeDwell, NavigationShowsTheBarAfterOneSecondAndEdgesDoNotMix) {
    TEdgeDwell d;
    EXPECT_EQ(StepEdgeDwell(d, 1, true, 0, TEdgeMode::Navigate), TEdgeEvent::None);
    EXPECT_EQ(StepEdgeDwell(d, 1, true, 999, TEdgeMode::Navigate), TEdgeEvent::None);
    // Another edge's strip, which the cursor is outside of, leaves this dwell alone.
    EXPECT_EQ(StepEdgeDwell(d, 3, false, 999, TEdgeMode::Navigate), TEdgeEvent::None);
    EXPECT_EQ(d.lastEdge, 1);
    EXPECT_EQ(StepEdgeDwell(d, 1, true, 1000, TEdgeMode::Navigate), TEdgeEvent::ShowBar);
    // Moving to another edge starts its own second.
    EXPECT_EQ(StepEdgeDwell(d, 1, false, 1010, TEdgeMode::Navigate), TEdgeEvent::None);
    EXPECT_EQ(StepEdgeDwell(d, 4, true, 1010, TEdgeMode::Navigate), TEdgeEvent::None);
    EXPECT_EQ(StepEdgeDwell(d, 4, true, 2000, TEdgeMode::Navigate), TEdgeEvent::None);
    EXPECT_EQ(StepEdgeDwell(d, 4, true, 2010, TEdgeMode::Navigate), TEdgeEvent::ShowBar);
    // The edge window clears the dwell when it shows: it starts again.
    d.lastEdge = 0;
    EXPECT_EQ(StepEdgeDwell(d, 4, true, 2020, TEdgeMode::Navigate), TEdgeEvent::None);
}

TEST(GestureRows, TheFirstRowWithTheCodeWins) {
    std::vector<std::string> rows(22);
    rows[0] = "L";
    rows[1] = "R";
    rows[2] = "URD";
    rows[6] = "URD";
    rows[18] = "L";
    struct Case {
        const char* code;
        int action;
    } cases[] = {{"URD", 3}, {"L", 1}, {"R", 2}, {"RD", 0}, {"", 0}, {"urd", 0}};
    for (const auto& c : cases) EXPECT_EQ(GestureAction(c.code, rows), c.action) << c.code;
}

// The gesture actions on the engine ----------------------------------------------------
namespace {

class GestureSettings final : public settings::LiveSource {
public:
    bool wrap = false;
    int privateDesktop = 0;
    std::optional<int> Int(std::string_view name) const override {
        if (name == "wrap") return wrap ? 1 : 0;
        return std::nullopt;
    }
    std::optional<std::string> Text(std::string_view) const override { return std::nullopt; }
    bool IsPrivate(int desktop) const override { return desktop == privateDesktop; }
    std::string DesktopName(int desktop) const override { return std::to_string(desktop); }
    bool InIgnoreList(std::string_view) const override { return false; }
    bool InWatchList(std::string_view) const override { return false; }
    std::vector<settings::TAutoSendRule> AutoSendRules() const override { return {}; }
};

// The main form without a window, with the event log: a 3 x 3 grid.
class GestureActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings::SetLiveSource(&settings_);
        frmPTessarel = &form_;
        form_.FGridCols = form_.FGridRows = 3;
        form_.FStickyList = std::make_unique<TRegStringList>();
        wasStarted_ = std::exchange(EngineStarted, true);
        if (!navigation::frmLog) {
            framework::App().CreateForm(navigation::frmLog);
            ownLog_ = true;
        }
    }
    void TearDown() override {
        if (ownLog_ && navigation::frmLog) framework::App().FreeForm(navigation::frmLog);
        EngineStarted = wasStarted_;
        frmPTessarel = nullptr;
        settings::SetLiveSource(nullptr);
    }
    void At(int current, int previous = 1) {
        form_.FCurrentDesktop = form_.FRequestedDesktop = current;
        form_.FPreviousDesktop = previous;
    }
    // The lines the action logged, oldest first, without their time.
    std::vector<std::string> Run(int action) {
        const int before = navigation::frmLog->LineCount();
        form_.RunGestureAction(action);
        std::vector<std::string> lines;
        for (int i = navigation::frmLog->LineCount() - before - 1; i >= 0; --i) {
            const std::string line = navigation::frmLog->Line(i);
            lines.push_back(line.substr(line.find("] ") + 2));
        }
        return lines;
    }

    GestureSettings settings_;
    TfrmPTessarel form_;
    bool ownLog_ = false, wasStarted_ = false;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(GestureActionTest, SwitchesAndTheirLogLines) {
    struct Case {
        const char* what;
        int current, previous;
        bool wrap;
        int action;
        int requested;
        Lines logged;
    } cases[] = {
        {"previous", 5, 1, false, 1, 4, {"switch to previous desktop, triggered via gesture"}},
        {"previous from the first goes to the last", 1, 1, false, 1, 9, {"switch to previous desktop, triggered via gesture"}},
        {"next", 5, 1, false, 2, 6, {"switch to next desktop, triggered via gesture"}},
        {"next after the last goes to the first", 9, 1, false, 2, 1, {"switch to next desktop, triggered via gesture"}},
        {"back to the desktop used before", 5, 8, false, 6, 8, {"switched back to recently used desktop (#8) via gesture"}},
        {"desktop 3", 5, 1, false, 12, 3, {"switch to desktop (#3), triggered via gesture"}},
        {"desktop 9", 5, 1, false, 18, 9, {"switch to desktop (#9), triggered via gesture"}},
        {"right", 5, 1, false, 19, 6,
         {"switch to desktop located to the right via hotkey", "switch to desktop located to the right via gesture"}},
        {"left with wrapping", 4, 1, true, 20, 6,
         {"switch to desktop located to the left via hotkey [wrap]", "switch to desktop located to the left via gesture"}},
        {"above", 5, 1, false, 21, 2,
         {"switch to desktop located above via hotkey", "switch to desktop located above via gesture"}},
        {"below", 5, 1, false, 22, 8,
         {"switch to desktop located below via hotkey", "switch to desktop located below via gesture"}},
        // Nothing there: no switch, and none reported.
        {"right from the last column", 3, 1, false, 19, 3, {}},
        {"below from the last row", 8, 1, false, 22, 8, {}},
        {"no action 0", 5, 1, false, 0, 5, {}},
        {"no action 23", 5, 1, false, 23, 5, {}},
    };
    for (const auto& c : cases) {
        At(c.current, c.previous);
        settings_.wrap = c.wrap;
        EXPECT_EQ(Run(c.action), c.logged) << c.what;
        EXPECT_EQ(form_.FRequestedDesktop, c.requested) << c.what;
    }
}

TEST_F(GestureActionTest, ADesktopOutsideTheGridIsNeitherRequestedNorReported) {
    form_.FGridCols = form_.FGridRows = 2;
    At(2);
    EXPECT_EQ(Run(18), Lines{});
    EXPECT_EQ(form_.FRequestedDesktop, 2);
    EXPECT_EQ(Run(13), Lines{"switch to desktop (#4), triggered via gesture"});
    EXPECT_EQ(form_.FRequestedDesktop, 4);
}

TEST_F(GestureActionTest, UnifyIsReportedOnlyWhenItHappened) {
    auto add = [&](uintptr_t n, int desktop) {
        TWindowRecord r;
        r.Wnd = TWindowRecord::WndFromHandle(reinterpret_cast<HWND>(0x20000 + n * 4));
        r.Desktop = static_cast<int8_t>(desktop);
        r.Visible = 1;
        r.ScanStamp = form_.FScanCounter;
        form_.FWindowTable.push_back(r);
    };
    At(5);
    add(1, 2);
    add(2, 3);
    // A private desktop holds a window and no password is given: nothing moves.
    settings_.privateDesktop = 3;
    EXPECT_EQ(Run(5), Lines{});
    EXPECT_EQ(form_.FWindowTable[1].Desktop, 3);
    settings_.privateDesktop = 0;
    EXPECT_EQ(Run(5), Lines{"desktops unified to desktop #5 via gesture"});
    for (const auto& r : form_.FWindowTable) EXPECT_EQ(r.Desktop, 5);
    EXPECT_EQ(form_.FPressedDesktop, 5);
}
