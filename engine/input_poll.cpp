// The input poll: every 10 ms the main form reads the keys and the mouse and
// turns double taps of Ctrl or Shift, a rest at a screen edge and a mouse
// gesture drawn while a button or key is held into commands.
//
// It runs a hundred times a second for as long as the program does, so an
// idle poll reads only the keys that can start something (Ctrl, Shift and
// the gesture's hold key), the cursor only while edges or a gesture need it,
// the other keys only while Ctrl or Shift is down, and its settings once a
// second.
#include "engine/input_poll.h"
#include <algorithm>
#include "engine/main_form.h"
#include "engine/neighbours.h"
#include "engine/tray_menus.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "navigation/edge_geometry.h"
#include "navigation/gesture.h"
#include "settings/settings_access.h"
#include "settings/tables.h"

namespace engine {
namespace {

namespace gesture_texts {
constexpr std::string_view kPreviousDesktop = "switch to previous desktop, triggered via gesture";
constexpr std::string_view kNextDesktop = "switch to next desktop, triggered via gesture";
constexpr std::string_view kPreviewOpened = "desktop preview window opened via gesture";
constexpr std::string_view kUnifiedTo = "desktops unified to desktop #";
constexpr std::string_view kViaGesture = " via gesture";
constexpr std::string_view kBackTo = "switched back to recently used desktop (#";
constexpr std::string_view kBackToEnd = ") via gesture";
constexpr std::string_view kSwitchTo = "switch to desktop (#";
constexpr std::string_view kSwitchToEnd = "), triggered via gesture";
}  // namespace gesture_texts

// Gesture actions 19 to 22: the cursor-key hotkey commands with their own log line.
struct NeighbourAction {
    TGestureAction action;
    int hotkey;
    Direction dir;
    std::string_view log;
};
constexpr std::array<NeighbourAction, 4> kNeighbourActions{{
    {TGestureAction::Right, kHotkeyRight, Direction::Right, "switch to desktop located to the right via gesture"},
    {TGestureAction::Left, kHotkeyLeft, Direction::Left, "switch to desktop located to the left via gesture"},
    {TGestureAction::Up, kHotkeyUp, Direction::Up, "switch to desktop located above via gesture"},
    {TGestureAction::Down, kHotkeyDown, Direction::Down, "switch to desktop located below via gesture"},
}};

bool KeyIsDown(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

TPollTime PollClock() { return static_cast<TPollTime>(::GetTickCount64()); }

// The timing in force: the settings dialog's choice, or its own row while
// there is no dialog.
TDoubleTapTiming CurrentTapTiming() {
    if (!settings::CurrentSource()) return DoubleTapTiming(std::nullopt);
    return DoubleTapTiming(settings::Int("doubleint"));
}

// Ctrl has been read already; the left Ctrl is down only when Ctrl is.
bool HoldKeysDown(const THoldKeys& hold, bool ctrlDown) {
    if (hold.count == 0) return false;
    for (size_t i = 0; i < hold.count; ++i) {
        const int vk = hold.keys[i];
        const bool down = vk == VK_CONTROL ? ctrlDown : (vk != VK_LCONTROL || ctrlDown) && KeyIsDown(vk);
        if (!down) return false;
    }
    return true;
}

std::array<std::string, settings::kActionCount> GestureRowCodes() {
    std::array<std::string, settings::kActionCount> codes;
    for (int row = 1; row <= settings::kActionCount; ++row)
        codes[static_cast<size_t>(row - 1)] = settings::Text(settings::SettingName::GestureCode(row));
    return codes;
}

// A poll that runs a command may open a modal loop (a menu, a password
// prompt) in which the timer fires again; the nested poll waits its turn.
class PollScope {
public:
    explicit PollScope(bool& busy) noexcept : busy_(busy), entered_(!busy) { busy_ = true; }
    ~PollScope() {
        if (entered_) busy_ = false;
    }
    PollScope(const PollScope&) = delete;
    PollScope& operator=(const PollScope&) = delete;
    bool Entered() const noexcept { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

bool pollBusy = false;

}  // namespace

// The rules ---------------------------------------------------------------------------

TDoubleTapTiming DoubleTapTiming(std::optional<int> doubleint) noexcept {
    constexpr TDoubleTapTiming kLong{700, 1000, 100}, kNormal{250, 650, 100}, kShort{0, 300, 0}, kNone{200, 700, 100};
    if (!doubleint) return kNone;
    switch (*doubleint) {
    case 0: return kLong;
    case 1: return kNormal;
    case 2: return kShort;
    default: return kNone;
    }
}

void TDoubleTapTracker::Reset(bool down) noexcept {
    down_ = down;
    press_ = release_ = kNever;
}

bool TDoubleTapTracker::Poll(bool down, TPollTime now, TPollTime lastOtherKey, const TDoubleTapTiming& t) noexcept {
    if (down == down_) return false;
    down_ = down;
    if (down) {
        press_ = now;
        return false;
    }
    const TPollTime gap = now - release_;
    const bool longEnough = strict_ ? gap > t.minGap : gap >= t.minGap;
    const bool tapped =
        gap < t.maxGap && longEnough && press_ - release_ >= t.minPause && lastOtherKey < press_;
    release_ = now;
    return tapped;
}

int TapItem(TTapKey key) noexcept {
    switch (key) {
    case TTapKey::Ctrl: return 1;
    case TTapKey::Shift: return 2;
    case TTapKey::LeftShift: return 8;
    case TTapKey::RightShift: return 9;
    }
    return 0;
}

void TDoubleTaps::Reset(std::span<const bool, 4> down) noexcept {
    for (size_t i = 0; i < trackers_.size(); ++i) trackers_[i].Reset(down[i]);
    lastOtherKey_ = kNever;
}

bool TDoubleTaps::WantsOtherKeys(std::span<const bool, 4> down) const noexcept {
    for (size_t i = 0; i < trackers_.size(); ++i)
        if (down[i] || trackers_[i].Down()) return true;
    return false;
}

bool TDoubleTaps::Changed(std::span<const bool, 4> down) const noexcept {
    for (size_t i = 0; i < trackers_.size(); ++i)
        if (down[i] != trackers_[i].Down()) return true;
    return false;
}

TTapItems TDoubleTaps::Step(std::span<const bool, 4> down, TPollTime now, const std::function<bool()>& otherKeyDown,
                            const std::function<TDoubleTapTiming()>& timing) {
    TTapItems fired;
    if (WantsOtherKeys(down) && otherKeyDown()) lastOtherKey_ = now;
    if (!Changed(down)) return fired;
    const TDoubleTapTiming t = timing();
    const bool ctrlDown = down[0];
    for (size_t i = 0; i < trackers_.size(); ++i) {
        if (!trackers_[i].Poll(down[i], now, lastOtherKey_, t)) continue;
        fired.Add(TapItem(kTapKeys[i]));
        if (kTapKeys[i] == TTapKey::Shift && ctrlDown) fired.Add(kItemShiftWithCtrl);
    }
    return fired;
}

THoldKeys HoldKeys(int holdWhileGesture) noexcept {
    switch (holdWhileGesture) {
    case 0: return {{VK_MBUTTON, 0}, 1};
    case 1: return {{VK_CONTROL, 0}, 1};
    case 2: return {{VK_LCONTROL, 0}, 1};
    case 3: return {{VK_LMENU, 0}, 1};
    case 4: return {{VK_LCONTROL, VK_LWIN}, 2};
    default: return {};
    }
}

TEdgeEvent StepEdgeDwell(TEdgeDwell& d, int edge, bool inside, TPollTime now, TEdgeMode mode) noexcept {
    if (!inside) {
        if (d.lastEdge == edge) {
            d.lastEdge = 0;
            if (d.knockEdge == edge) d.knockEdge = 0;
        }
        return TEdgeEvent::None;
    }
    if (d.lastEdge != edge) {
        d.lastEdge = edge;
        d.arrival = now;
        return TEdgeEvent::None;
    }
    if (now - d.arrival < kEdgeDwellMs) return TEdgeEvent::None;
    if (mode == TEdgeMode::Navigate) return TEdgeEvent::ShowBar;
    if (mode == TEdgeMode::Knock && d.knockEdge != edge) {
        d.knockEdge = edge;
        return TEdgeEvent::Knock;
    }
    return TEdgeEvent::None;
}

int GestureAction(std::string_view code, std::span<const std::string> rowCodes) noexcept {
    if (code.empty()) return 0;
    for (size_t i = 0; i < rowCodes.size(); ++i)
        if (rowCodes[i] == code) return static_cast<int>(i) + 1;
    return 0;
}

// The poll ------------------------------------------------------------------------------

void TfrmPTessarel::StartInputPoll() {
    gestureInProgress_ = false;
    pollsToSettings_ = 0;
    framework::Guard([] { links::CreateGestureTrail(); });
    // Right Shift starts as up, whatever its state.
    const std::array<bool, 4> down{KeyIsDown(VK_CONTROL), KeyIsDown(VK_SHIFT), KeyIsDown(VK_LSHIFT), false};
    doubleTaps_.Reset(down);
    edgeDwell_ = {};
    tGesture_.SetEnabled(true);
}

void TfrmPTessarel::StopInputPoll() noexcept {
    tGesture_.SetEnabled(false);
    if (std::exchange(gestureInProgress_, false)) framework::Guard([] { links::TakeGesture(); });
}

void TfrmPTessarel::EnableInputPoll(bool on) {
    if (on && !exiting_)
        tGesture_.SetEnabled(true);
    else
        StopInputPoll();
}

bool TfrmPTessarel::AnyKeyDown() const {
    for (int vk = kFirstOtherKey; vk <= kLastOtherKey; ++vk)
        if (KeyIsDown(vk)) return true;
    return false;
}

void TfrmPTessarel::tGestureTimer() {
    PollScope scope(pollBusy);
    if (!scope.Entered() || !AcceptingMessages()) return;
    const TPollTime now = PollClock();
    ReadPollSettings();
    const bool ctrlDown = PollDoubleTaps(now);
    PollScreenEdges(now);
    PollGesture(ctrlDown);
}

void TfrmPTessarel::ReadPollSettings() {
    const void* source = settings::CurrentSource();
    if (--pollsToSettings_ > 0 && source == pollSettingsSource_) return;
    pollsToSettings_ = kPollSettingsEvery;
    pollSettingsSource_ = source;
    pollSettings_ = {settings::Int("edgenav"), settings::Flag("usegestures"), settings::Int("holdwhilegesture")};
}

bool TfrmPTessarel::PollDoubleTaps(TPollTime now) {
    // Left and right Shift are down only while Shift is.
    const bool ctrl = KeyIsDown(VK_CONTROL), shift = KeyIsDown(VK_SHIFT);
    const bool sides = shift || doubleTaps_.Down(TTapKey::LeftShift) || doubleTaps_.Down(TTapKey::RightShift);
    const std::array<bool, 4> down{ctrl, shift, sides && KeyIsDown(VK_LSHIFT), sides && KeyIsDown(VK_RSHIFT)};
    const TTapItems fired = doubleTaps_.Step(down, now, [this] { return AnyKeyDown(); }, CurrentTapTiming);
    for (size_t i = 0; i < fired.count; ++i) RunTriggerCommands(fired.items[i], {});
    return ctrl;
}

void TfrmPTessarel::PollScreenEdges(TPollTime now) {
    const auto mode = static_cast<TEdgeMode>(pollSettings_.edgeNav);
    if (mode != TEdgeMode::Navigate && mode != TEdgeMode::Knock) return;
    POINT p{};
    if (!::GetCursorPos(&p)) return;
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    for (navigation::TScreenEdge e : navigation::kScreenEdges) {
        const auto strip = navigation::EdgeStrip(e, width, height);
        CheckEdge(static_cast<int>(e), strip && navigation::RectContains(*strip, p), now, mode);
    }
}

void TfrmPTessarel::CheckEdge(int edge, bool inside, TPollTime now, TEdgeMode mode) {
    edgeDwell_.lastEdge = FLastEdge;   // the edge window clears it too
    const TEdgeEvent event = StepEdgeDwell(edgeDwell_, edge, inside, now, mode);
    FLastEdge = edgeDwell_.lastEdge;
    if (event == TEdgeEvent::ShowBar) links::ShowEdgeNav(edge);
    if (event == TEdgeEvent::Knock) RequestDesktop(links::TakeEdgeTarget(edge, FCurrentDesktop, FGridCols, FGridRows));
}

void TfrmPTessarel::PollGesture(bool ctrlDown) {
    const bool on = pollSettings_.useGestures;
    if (on && HoldKeysDown(HoldKeys(pollSettings_.holdKey), ctrlDown)) {
        if (!gestureInProgress_) {
            gestureInProgress_ = true;
            links::ResetGesture();
        }
        POINT p{};
        if (::GetCursorPos(&p)) links::AddGesturePoint(p);
        return;
    }
    if (!gestureInProgress_) return;
    gestureInProgress_ = false;
    const std::string code = links::TakeGesture();
    // Gestures switched off while one was drawn: the trail goes, nothing runs.
    if (code.empty() || !on) return;
    const auto rows = GestureRowCodes();
    if (const int action = GestureAction(code, rows)) RunGestureAction(action);
}

void TfrmPTessarel::RunGestureAction(int action) {
    const auto log = [this](std::string_view text) { LogEvent(text, nullptr, false); };
    const int count = DesktopCount();
    switch (static_cast<TGestureAction>(action)) {
    case TGestureAction::PreviousDesktop:
        RequestDesktop(FCurrentDesktop == 1 ? count : FCurrentDesktop - 1);
        HidePreview();
        log(gesture_texts::kPreviousDesktop);
        return;
    case TGestureAction::NextDesktop:
        rxtiDblClick();
        log(gesture_texts::kNextDesktop);
        return;
    case TGestureAction::AppList: links::OpenAppList(); return;
    case TGestureAction::Preview: TogglePreviewFor(gesture_texts::kPreviewOpened); return;
    case TGestureAction::Unify: {
        FPressedDesktop = FCurrentDesktop;
        miUnifyClick();
        // A refused password unifies nothing, and nothing is reported.
        const bool unified = std::all_of(FWindowTable.begin(), FWindowTable.end(),
                                         [this](const TWindowRecord& r) { return r.Desktop == FCurrentDesktop; });
        if (unified) log(std::string(gesture_texts::kUnifiedTo) + std::to_string(FCurrentDesktop) + std::string(gesture_texts::kViaGesture));
        return;
    }
    case TGestureAction::RecentDesktop: {
        const int back = FPreviousDesktop;
        RequestDesktop(back);
        log(std::string(gesture_texts::kBackTo) + std::to_string(back) + std::string(gesture_texts::kBackToEnd));
        return;
    }
    case TGestureAction::SendCurrent:
        if (HWND w = ::GetForegroundWindow()) links::OpenSendCurrent(w);
        return;
    case TGestureAction::CloseWindow: CloseActiveWindow(); return;
    case TGestureAction::CloseApplication: CloseActiveApplication(); return;
    default: break;
    }
    if (action >= static_cast<int>(TGestureAction::Desktop1) && action <= static_cast<int>(TGestureAction::Desktop9)) {
        const int desktop = action - static_cast<int>(TGestureAction::Desktop1) + 1;
        RequestDesktop(desktop);
        // A desktop outside the grid is refused: no switch to report.
        if (desktop <= count) log(std::string(gesture_texts::kSwitchTo) + std::to_string(desktop) + std::string(gesture_texts::kSwitchToEnd));
        return;
    }
    for (const NeighbourAction& n : kNeighbourActions) {
        if (static_cast<int>(n.action) != action) continue;
        const bool moves = NeighbourDesktop(n.dir, FCurrentDesktop, FGridCols, FGridRows, settings::Flag("wrap")) > 0;
        WMHookHotkey(static_cast<WPARAM>(n.hotkey), 0);
        if (moves) log(n.log);
    }
}

}  // namespace engine
