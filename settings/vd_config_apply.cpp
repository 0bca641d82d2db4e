// TfrmVDConfig: carrying the settings into the running program, and the
// dialog's OK, Apply and Cancel with the private-desktop rules.
#include <algorithm>
#include <vector>
#include "engine/main_form.h"
#include "framework/dialogs.h"
#include "settings/vd_config.h"

namespace settings {
namespace texts {
constexpr std::string_view kWarning = "Warning!";
constexpr std::string_view kSetPasswordFirst =
    "You MUST set a desktop lock password if you define at least one private desktop!";
constexpr std::string_view kUnlockReason = "Enter your desktop lock password to unlock desktop(s)!";
constexpr std::string_view kLayoutKept =
    "A desktop that this layout removes is private and holds windows. The layout was not changed: "
    "move those windows first, or make the desktop public.";
}  // namespace texts

namespace {

// Single call sites of parts of the program that have not landed yet; each
// has no behaviour until its part arrives.
void HideOtherLabels() {}                                                    // the preview's name labels
void ApplyClickSettings(bool /*shown*/, bool /*large*/) {}                   // the click window
void LayoutPreview(SIZE /*cell*/) {}                                         // the preview's thumbnails
void UpdateDeskBar(const std::vector<std::string>& /*captions*/, int /*edge*/, bool /*visible*/) {}   // the desktop bar
void UpdateDeskName(int /*desktop*/) {}                                      // the desktop name panel
void RunSetPasswordDialog() {}                                               // the password change dialog

void ActivateTrayIcon(bool active) {
    if (engine::frmPTessarel) engine::frmPTessarel->rxti.SetActive(active);
}

void SetMenuCaptions(const std::vector<std::string>& captions) {
    if (engine::frmPTessarel) engine::frmPTessarel->SetDesktopMenuCaptions(captions);
}

}  // namespace

void TfrmVDConfig::ApplySettings() {
    auto* main = engine::frmPTessarel;
    ActivateTrayIcon(cbTrayIcon.Checked());
    ApplyGrid();
    for (int n = 1; n <= 9; ++n) FLocked[static_cast<size_t>(n)] = FLockedPending[static_cast<size_t>(n)];
    ApplyPreviewAlpha();
    HideOtherLabels();
    PushHotkeyOptions();
    ApplyClickSettings(cbDeskInfo.Checked(), cbLargeInfo.Checked());
    LayoutPreview(PreviewCellSize(rgPrevSize.ItemIndex()));

    std::vector<std::string> captions;
    for (int n = 1; n <= 9; ++n) captions.push_back(DesktopCaption(n, DesktopName(n)));
    SetMenuCaptions(captions);
    Grid grid = main ? Grid{main->FGridCols, main->FGridRows} : GridForLayout(cbLayout.ItemIndex());
    int count = std::min(grid.Count(), 9);
    int bar = cbDeskBar.ItemIndex();
    UpdateDeskBar(std::vector<std::string>(captions.begin(), captions.begin() + count), DeskBarEdge(bar), bar > 0);
    UpdateDeskName(main ? main->FCurrentDesktop : 1);
    if (main && !cbSysmenu.Checked()) main->RemoveAllSysMenuItems();
}

void TfrmVDConfig::ApplyGrid() {
    auto* main = engine::frmPTessarel;
    if (!main) return;
    Grid to = GridForLayout(cbLayout.ItemIndex());
    if (ShrinkWouldExposePrivateWindows(to)) {
        // The windows of a private desktop leave it only with the password:
        // the grid in force stays, and so does the list.
        cbLayout.SetItemIndex(LayoutIndexOf({main->FGridCols, main->FGridRows}));
        return;
    }
    main->FGridCols = to.columns;
    main->FGridRows = to.rows;
    MoveWindowsIntoGrid(to.Count());
}

void TfrmVDConfig::MoveWindowsIntoGrid(int count) {
    auto* main = engine::frmPTessarel;
    for (auto& rec : main->FWindowTable)
        if (rec.Desktop > count) rec.Desktop = static_cast<int8_t>(count);
    if (count < main->FCurrentDesktop) {
        main->FRequestedDesktop = count;   // the next tick switches there
    } else {
        main->HideForeignWindows();
        main->ShowDesktopWindows();
    }
}

bool TfrmVDConfig::ShrinkWouldExposePrivateWindows(Grid to) const {
    auto* main = engine::frmPTessarel;
    if (!main) return false;
    std::vector<int> desktops;
    for (const auto& rec : main->FWindowTable)
        if (::IsWindow(rec.Handle())) desktops.push_back(rec.Desktop);
    // Private now and staying private: a desktop being made public in the
    // same Apply has had its password asked already.
    auto staysPrivate = [this](int d) {
        return d >= 1 && d <= 9 && FLocked[static_cast<size_t>(d)] && FLockedPending[static_cast<size_t>(d)];
    };
    return PrivateDesktopCutOff(desktops, to.Count(), staysPrivate) != 0;
}

void TfrmVDConfig::ApplyPreviewAlpha() {
    auto* main = engine::frmPTessarel;
    if (!main || !main->Handle()) return;
    Alpha a = PreviewAlpha(slTrans.Position());
    if (a.blend) {
        main->SetAlpha(a.value, true);
    } else {
        main->SetAlpha(255, false);
        if (main->ExStyle() & WS_EX_LAYERED) main->SetExStyle(main->ExStyle() & ~static_cast<DWORD>(WS_EX_LAYERED));
    }
}

void TfrmVDConfig::PushHotkeyOptions() {
    auto* main = engine::frmPTessarel;
    if (!main || !main->HookLibraryLoaded()) return;
    main->CallHookOption("SetMethod", cbHotKeys.ItemIndex());
    main->CallHookOption("SetMethodA", rgApplist.ItemIndex());
    main->CallHookOption("SetMethodD", rgDeskprev.ItemIndex());
    main->CallHookOption("SetMethodM", rgMainMenu.ItemIndex());
}

bool TfrmVDConfig::ApplyChanges() {
    bool anyPrivate = false;
    int madePublic = 0;
    for (size_t n = 1; n <= 9; ++n) {
        anyPrivate = anyPrivate || FLockedPending[n];
        if (!FLockedPending[n] && FLocked[n]) ++madePublic;
    }
    if (anyPrivate && !LockPasswordSet()) {
        framework::MessageBox(texts::kSetPasswordFirst, texts::kWarning, MB_ICONERROR, Handle());
        RunSetPasswordDialog();
        return false;
    }
    if (madePublic > 0 && !AskLockPassword(texts::kUnlockReason)) return false;

    auto* main = engine::frmPTessarel;
    if (main && main->FStickyList) {
        main->FStickyList->Clear();
        for (int i = 0; i < clbPinned.Count(); ++i)
            main->FStickyList->Add(clbPinned.Checked(i) ? clbPinned.Item(i) : clbPinned.Item(i) + "*");
        main->InvalidateStickyCache();
    }
    // Checked before the save, so that the layout stored is the one in force.
    if (main && ShrinkWouldExposePrivateWindows(GridForLayout(cbLayout.ItemIndex()))) {
        framework::MessageBox(texts::kLayoutKept, texts::kWarning, MB_ICONWARNING, Handle());
        cbLayout.SetItemIndex(LayoutIndexOf({main->FGridCols, main->FGridRows}));
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
