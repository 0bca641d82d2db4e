// TfrmVDConfig: carrying the settings into the running program, and the
// dialog's OK, Apply and Cancel with the private-desktop rules.
#include <algorithm>
#include <vector>
#include "framework/dialogs.h"
#include "navigation/enter_pwd.h"
#include "settings/subsystem_links.h"
#include "settings/vd_config.h"

namespace settings {
namespace texts {
constexpr std::string_view kWarning = "Warning!";
constexpr std::string_view kUnlockReason = "Enter your desktop lock password to unlock desktop(s)!";
constexpr std::string_view kLayoutKept =
    "A desktop that this layout removes is private and holds windows. The layout was not changed: "
    "move those windows first, or make the desktop public.";
}  // namespace texts

void TfrmVDConfig::ApplySettings() {
    links::ActivateTrayIcon(cbTrayIcon.Checked());
    ApplyGrid();
    const int count = std::min(links::EngineGrid().value_or(GridForLayout(cbLayout.ItemIndex())).Count(), 9);
    links::LimitIconSets(count);
    for (int n = 1; n <= 9; ++n) FLocked[static_cast<size_t>(n)] = FLockedPending[static_cast<size_t>(n)];
    links::ApplyPreviewTransparency(slTrans.Value());
    links::HidePreviewLabels();
    links::PassHotkeyOptions(cbHotKeys.ItemIndex(), rgApplist.ItemIndex(), rgDeskprev.ItemIndex(),
                             rgMainMenu.ItemIndex());
    links::ApplyClickSettings(cbDeskInfo.Checked(), cbLargeInfo.Checked());
    links::LayoutPreview(rgPrevSize.ItemIndex());

    std::vector<std::string> captions;
    for (int n = 1; n <= 9; ++n) captions.push_back(DesktopCaption(n, DesktopName(n)));
    links::SetMenuCaptions(captions);
    const int bar = cbDeskBar.ItemIndex();
    links::UpdateDeskBar(std::vector<std::string>(captions.begin(), captions.begin() + count), DeskBarEdge(bar),
                         bar > 0);
    links::UpdateDeskName(links::CurrentDesktop().value_or(1));
    if (!cbSysmenu.Checked()) links::RemoveAllSysMenuItems();
}

void TfrmVDConfig::ApplyGrid() {
    const auto inForce = links::EngineGrid();
    if (!inForce) return;
    const GridSize to = GridForLayout(cbLayout.ItemIndex());
    if (ShrinkWouldExposePrivateWindows(to)) {
        // The windows of a private desktop leave it only with the password:
        // the grid in force stays, and so does the list.
        cbLayout.SetItemIndex(LayoutIndexOf(*inForce));
        return;
    }
    links::FitWindowsIntoGrid(to);
}

bool TfrmVDConfig::ShrinkWouldExposePrivateWindows(GridSize to) const {
    // Private now and staying private: a desktop being made public in the
    // same Apply has had its password asked already.
    auto staysPrivate = [this](int d) {
        return d >= 1 && d <= 9 && FLocked[static_cast<size_t>(d)] && FLockedPending[static_cast<size_t>(d)];
    };
    return PrivateDesktopCutOff(links::DesktopsOfWindows(), to.Count(), staysPrivate) != 0;
}

bool TfrmVDConfig::ApplyChanges() {
    // The boxes as they stand now are what the password is asked for: the
    // dialog stays usable while the prompt waits, and a box clicked
    // meanwhile is not applied with it.
    const LockFlags pending = FLockedPending;
    bool anyPrivate = false;
    int madePublic = 0;
    for (size_t n = 1; n <= 9; ++n) {
        anyPrivate = anyPrivate || pending[n];
        if (!pending[n] && FLocked[n]) ++madePublic;
    }
    if (anyPrivate && !links::LockPasswordSet()) {
        framework::MessageBox(navigation::lock_texts::kSetPasswordFirst, navigation::lock_texts::kSetPasswordCaption,
                              MB_ICONERROR, Handle());
        links::RunSetPasswordDialog();
        UpdateControlStates();
        return false;
    }
    if (madePublic > 0 && !links::AskLockPassword(texts::kUnlockReason)) return false;
    if (FLockedPending != pending) {
        FLockedPending = pending;
        for (int n = 1; n <= 9; ++n) cbLock(n).SetChecked(pending[static_cast<size_t>(n)]);
    }

    std::vector<std::string> sticky;
    for (int i = 0; i < clbPinned.Count(); ++i)
        sticky.push_back(clbPinned.Checked(i) ? clbPinned.Item(i) : clbPinned.Item(i) + "*");
    links::ReplaceStickyEntries(sticky);
    // Checked before the save, so that the layout stored is the one in force.
    const auto inForce = links::EngineGrid();
    if (inForce && ShrinkWouldExposePrivateWindows(GridForLayout(cbLayout.ItemIndex()))) {
        framework::MessageBox(texts::kLayoutKept, texts::kWarning, MB_ICONWARNING, Handle());
        cbLayout.SetItemIndex(LayoutIndexOf(*inForce));
    }
    // The boxes have passed the rules: they are the lock flags from now on.
    SaveSettingsWith(FLockedPending);
    ApplySettings();
    RememberValuesInForce();
    return true;
}

void TfrmVDConfig::btnApplyClick() { ApplyChanges(); }

void TfrmVDConfig::btnOKClick() {
    // A change that was not applied is not kept: the controls are the
    // settings, and the next save (at exit at the latest) would store it.
    if (!ApplyChanges()) RestoreValuesInForce();
    Close();
}

void TfrmVDConfig::btnCancelClick() {
    RestoreValuesInForce();
    Close();
}

}  // namespace settings
