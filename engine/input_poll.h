#pragma once
// The input poll's rules, without windows: the double-tap trackers and their
// timing, the keys that hold a gesture, the dwell at a screen edge, and the
// gesture row a code selects. The poll itself is TfrmPTessarel's
// (input_poll.cpp); these take the clock and the key state as arguments.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace engine {

// Milliseconds of a steady clock.
using TPollTime = int64_t;
// Long before any poll: a tracker that never saw a release.
inline constexpr TPollTime kNever = -(int64_t{1} << 40);

inline constexpr unsigned kPollIntervalMs = 10;
// The settings the poll needs at every tick are read once a second (and
// when the settings dialog comes or goes): reading a control costs far more
// than a tick's own work.
inline constexpr int kPollSettingsEvery = 100;
inline constexpr TPollTime kEdgeDwellMs = 1000;
// AnyKeyDown looks at the virtual keys from Alt up to F24: Shift, Ctrl and
// the mouse buttons lie below, the left and right Shift and Ctrl above.
inline constexpr int kFirstOtherKey = 18;
inline constexpr int kLastOtherKey = 135;

// The gaps a double tap must keep, by "doubleint".
struct TDoubleTapTiming {
    TPollTime minGap;     // between the two releases, at least
    TPollTime maxGap;     // between the two releases, less than
    TPollTime minPause;   // from the first release to the second press
};
// "long", "normal", "short"; nothing (no settings dialog, or no item) has its own row.
TDoubleTapTiming DoubleTapTiming(std::optional<int> doubleint) noexcept;

// One key watched for double taps.
class TDoubleTapTracker {
public:
    // The Shift trackers want the gap strictly above the minimum.
    explicit constexpr TDoubleTapTracker(bool strictMinGap) noexcept : strict_(strictMinGap) {}
    void Reset(bool down) noexcept;
    bool Down() const noexcept { return down_; }
    // The key's state at this poll; true when this release completes a
    // double tap. lastOtherKey is the last poll at which another key was
    // down: a tap during which one was down does not count.
    bool Poll(bool down, TPollTime now, TPollTime lastOtherKey, const TDoubleTapTiming& t) noexcept;

private:
    bool strict_;
    bool down_ = false;
    TPollTime press_ = kNever;
    TPollTime release_ = kNever;
};

// The four trackers and the trigger item each one's double tap stands for
// ("Doublehit ctrl", "Doublehit shift", "Doublehit left shift", "Doublehit
// right shift"); a Shift double tap while Ctrl is down also stands for
// "Doublehit shift + ctrl".
enum class TTapKey { Ctrl, Shift, LeftShift, RightShift };
inline constexpr std::array<TTapKey, 4> kTapKeys{TTapKey::Ctrl, TTapKey::Shift, TTapKey::LeftShift,
                                                 TTapKey::RightShift};
inline constexpr int kItemShiftWithCtrl = 3;
int TapItem(TTapKey key) noexcept;

// The trigger items that one poll's double taps fire, in order; at most five.
struct TTapItems {
    std::array<int, 5> items{};
    size_t count = 0;
    void Add(int item) noexcept {
        if (count < items.size()) items[count++] = item;
    }
};

// The four trackers (in the order of kTapKeys) with the last poll at which
// another key was down.
class TDoubleTaps {
public:
    void Reset(std::span<const bool, 4> down) noexcept;
    bool Down(TTapKey key) const noexcept { return trackers_[static_cast<size_t>(key)].Down(); }
    // One poll with the four keys' states. The other keys and the timing are
    // asked for only when they can matter: another key only during a press
    // of a tracked key (while one is down, and at the poll that sees it
    // released), the timing only when a tracked key changed.
    TTapItems Step(std::span<const bool, 4> down, TPollTime now, const std::function<bool()>& otherKeyDown,
                   const std::function<TDoubleTapTiming()>& timing);

private:
    bool WantsOtherKeys(std::span<const bool, 4> down) const noexcept;
    bool Changed(std::span<const bool, 4> down) const noexcept;
    std::array<TDoubleTapTracker, 4> trackers_{TDoubleTapTracker(false), TDoubleTapTracker(true),
                                               TDoubleTapTracker(true), TDoubleTapTracker(true)};
    TPollTime lastOtherKey_ = kNever;
};

// The keys that hold a gesture by "holdwhilegesture" ("Middle mouse
// button", "Any control", "Left control", "Left Alt", "Left control + left
// windows"); all of them must be down. No keys for an index outside these.
struct THoldKeys {
    std::array<int, 2> keys{};
    size_t count = 0;
};
THoldKeys HoldKeys(int holdWhileGesture) noexcept;

// What the poll reads of the settings at every tick.
struct TPollSettings {
    int edgeNav = 0;            // "edgenav"
    bool useGestures = false;   // "usegestures"
    int holdKey = -1;           // "holdwhilegesture"
};

// The dwell at the screen edges: the edge the cursor rests on and since
// when, and the edge of the last mouse-knock switch.
struct TEdgeDwell {
    int lastEdge = 0;
    TPollTime arrival = kNever;
    int knockEdge = 0;
};
enum class TEdgeMode { Off = 0, Navigate = 1, Knock = 2 };
enum class TEdgeEvent { None, ShowBar, Knock };
// One edge at one poll: the cursor is inside its strip or not.
TEdgeEvent StepEdgeDwell(TEdgeDwell& d, int edge, bool inside, TPollTime now, TEdgeMode mode) noexcept;

// The action (1 to 22) of the first gesture row whose code equals this
// one; 0 for an empty code or no such row.
int GestureAction(std::string_view code, std::span<const std::string> rowCodes) noexcept;

// The gesture actions, in the order of the gesture rows.
enum class TGestureAction : int {
    PreviousDesktop = 1, NextDesktop, AppList, Preview, Unify, RecentDesktop, SendCurrent, CloseWindow,
    CloseApplication, Desktop1, Desktop9 = 18, Right, Left, Up, Down,
};

}  // namespace engine
