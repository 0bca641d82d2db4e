// TfrmVDConfig: the rules between options. Two functions may not share a
// double-tap trigger the hook cannot tell apart, the main menu's trigger must
// be its own, a preview larger than the screen is warned of, focus restoring
// excludes asynchronous window handling, and the unsafe display modes are
// listed on request.
#include "engine/preview_layout.h"
#include "framework/dialogs.h"
#include "settings/vd_config.h"
#include "settings/vd_config_rules.h"

namespace settings {
namespace {

// The preview's frame around a 3 x 3 grid of cells.
constexpr int kPreviewGrid = 3;
constexpr int kFrameWidth = 30;
constexpr int kFrameHeight = 10;

void Warn(std::string_view text, HWND owner) {
    framework::MessageBox(text, option_texts::kWarning, MB_OK | MB_ICONWARNING, owner);
}

}  // namespace

bool PreviewFitsScreen(int prevSize, int screenWidth, int screenHeight) {
    const SIZE cell = engine::preview::CellSize(prevSize);
    return cell.cx * kPreviewGrid + kFrameWidth < screenWidth && cell.cy * kPreviewGrid + kFrameHeight < screenHeight;
}

void TfrmVDConfig::SetUpOptionRules() {
    // A radio group also reports an index set by the program: only the
    // user's choices are checked, what a store holds is loaded as it is.
    auto userChoice = [this](void (TfrmVDConfig::*rule)()) {
        return [this, rule] {
            if (!loadingValues_) (this->*rule)();
        };
    };
    rgApplist.OnClick = userChoice(&TfrmVDConfig::rgApplistClick);
    rgDeskprev.OnClick = userChoice(&TfrmVDConfig::rgDeskprevClick);
    rgMainMenu.OnClick = userChoice(&TfrmVDConfig::rgMainMenuClick);
    rgPrevSize.OnClick = userChoice(&TfrmVDConfig::rgPrevSizeClick);
    cbRetainFocus.OnClick = [this] { cbRetainFocusClick(); };   // it also updates the states
    cbUnsafe.OnClick = [this] { cbUnsafeClick(); };
}

void TfrmVDConfig::rgApplistClick() {
    if (!ShiftTriggersClash(rgApplist.ItemIndex(), rgDeskprev.ItemIndex())) return;
    rgDeskprev.SetItemIndex(0);
    Warn(option_texts::kShiftOnce, Handle());
}

void TfrmVDConfig::rgDeskprevClick() {
    if (!ShiftTriggersClash(rgDeskprev.ItemIndex(), rgApplist.ItemIndex())) return;
    rgApplist.SetItemIndex(0);
    Warn(option_texts::kShiftOnce, Handle());
}

void TfrmVDConfig::rgMainMenuClick() {
    if (!MainMenuTriggerClash(rgMainMenu.ItemIndex(), rgApplist.ItemIndex(), rgDeskprev.ItemIndex())) return;
    rgMainMenu.SetItemIndex(0);
    Warn(option_texts::kTriggerUsed, Handle());
}

// The choice stays: the user may be about to change the resolution.
void TfrmVDConfig::rgPrevSizeClick() {
    if (!PreviewFitsScreen(rgPrevSize.ItemIndex(), ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)))
        Warn(option_texts::kPreviewTooLarge, Handle());
}

void TfrmVDConfig::cbRetainFocusClick() {
    if (cbRetainFocus.Checked()) cbAsync.SetChecked(false);
    UpdateControlStates();
}

// Listing other modes starts the nine choices afresh.
void TfrmVDConfig::cbUnsafeClick() { FillDisplayModes(); }

}  // namespace settings
