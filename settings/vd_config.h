#pragma once
// TfrmVDConfig: the settings dialog. Its controls are the program's settings
// store: every unit reads a setting from its control while the dialog
// exists (through settings/settings_access.h). Its methods are spread over:
//   vd_config.cpp         creation, showing, hiding, destruction, the read-in-place source
//   vd_config_layout.cpp  the controls' table and their fixed items
//   vd_config_store.cpp   LoadSettings and SaveSettings, the rule files
//   vd_config_apply.cpp   ApplySettings, OK, Apply and Cancel
//   vd_config_help.cpp    the help of each page
//   vd_config_lists.cpp   the sticky, ignore and watch pages' buttons
//   auto_send_page.cpp    the automatic-send page, its rows and its file
//   vd_config_gestures.cpp the layout preview and the gesture editing
//   vd_config_pages.cpp   the page buttons, their hover pictures, the option hints, dragging
//   vd_config_rules.cpp   the rules between options (hotkey triggers, preview size, focus)
#include <windows.h>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "engine/rule_list.h"
#include "framework/control.h"
#include "framework/form.h"
#include "framework/timer.h"
#include "settings/auto_send_rule.h"
#include "settings/layout_preview.h"
#include "settings/page_image.h"
#include "settings/rule_files.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"
#include "settings/value_store.h"
#include "toolkit/check_list_box.h"
#include "toolkit/combo_edit.h"
#include "toolkit/radio_group.h"
#include "toolkit/rotatable_button.h"
#include "toolkit/rx_slider.h"
#include "toolkit/rx_speed_button.h"
#include "toolkit/string_grid.h"
#include "toolkit/tab_control.h"
#include "toolkit/xp_menu.h"

namespace settings {

class AutoSendRow;

// The help topic of a settings page (the general page's first tab or its
// second); none for a page without help.
std::optional<std::string_view> PageHelpTopic(int page, bool firstTab);

class TfrmVDConfig final : public framework::Form, public LiveSource {
public:
    TfrmVDConfig();
    ~TfrmVDConfig() override;

    // General page, engine parameters.
    // The dialog's own buttons.
    toolkit::TRotButton btnHelp{*this, "btnHelp"};
    toolkit::TRotButton btnOK{*this, "btnOK"};
    toolkit::TRotButton btnApply{*this, "btnApply"};
    toolkit::TRotButton btnCancel{*this, "btnCancel"};
    framework::CheckBox cbFollow{*this, "cbFollow"};
    framework::CheckBox cbStrict{*this, "cbStrict"};
    framework::CheckBox cbDistIcons{*this, "cbDistIcons"};
    framework::ComboBox cbSnapShot{*this, "cbSnapShot"};
    framework::CheckBox cbDistQL{*this, "cbDistQL"};
    framework::CheckBox cbLoad{*this, "cbLoad"};
    framework::CheckBox cbIESepar{*this, "cbIESepar"};
    framework::CheckBox cbRetainFocus{*this, "cbRetainFocus"};
    framework::CheckBox cbAsync{*this, "cbAsync"};
    framework::CheckBox cbSysmenu{*this, "cbSysmenu"};
    framework::Label lbHint{*this, "lbHint"};
    // The general page's two tabs over its sheets tsCore and tsVisual.
    toolkit::TabControl pcGeneral{*this, "pcGeneral"};
    // General page, visual preferences.
    toolkit::RadioGroup rgPrevSize{*this, "rgPrevSize"};
    toolkit::TRxSlider slTrans{*this, "slTrans"};
    framework::CheckBox cbLarge{*this, "cbLarge"};
    framework::CheckBox cbClose{*this, "cbClose"};
    framework::CheckBox cbShowNum{*this, "cbShowNum"};
    framework::CheckBox cbDeskInfo{*this, "cbDeskInfo"};
    framework::CheckBox cbLargeInfo{*this, "cbLargeInfo"};
    framework::CheckBox cbShowName{*this, "cbShowName"};
    framework::CheckBox cbSplash{*this, "cbSplash"};
    framework::CheckBox cbTrayIcon{*this, "cbTrayIcon"};
    framework::ComboBox cbDeskBar{*this, "cbDeskBar"};
    framework::ComboBox cbEdge{*this, "cbEdge"};
    framework::CheckBox cbWrapEdgenav{*this, "cbWrapEdgenav"};
    // Hotkeys page.
    framework::ComboBox cbHotKeys{*this, "cbHotKeys"};
    framework::CheckBox cbWrap{*this, "cbWrap"};
    framework::ComboBox cbDoubleInt{*this, "cbDoubleInt"};
    framework::ComboBox cbOpenDeskAt{*this, "cbOpenDeskAt"};
    toolkit::RadioGroup rgApplist{*this, "rgApplist"};
    toolkit::RadioGroup rgDeskprev{*this, "rgDeskprev"};
    toolkit::RadioGroup rgMainMenu{*this, "rgMainMenu"};
    // Rule pages, each with its four buttons.
    toolkit::CheckListBox clbPinned{*this, "clbPinned"};
    toolkit::TRotButton btnAddExe{*this, "btnAddExe"};
    toolkit::TRotButton btnAddStickyExe{*this, "btnAddStickyExe"};
    toolkit::TRotButton btnAdd{*this, "btnAdd"};
    toolkit::TRotButton btnRemove{*this, "btnRemove"};
    framework::ListBox lbIgnore{*this, "lbIgnore"};
    toolkit::TRotButton btnAddIgnore{*this, "btnAddIgnore"};
    toolkit::TRotButton btnAddExeIgnore{*this, "btnAddExeIgnore"};
    toolkit::TRotButton btnAddClass{*this, "btnAddClass"};
    toolkit::TRotButton btnRemoveIgnore{*this, "btnRemoveIgnore"};
    framework::ListBox lbWatch{*this, "lbWatch"};
    toolkit::TRotButton btnAddWatchApp{*this, "btnAddWatchApp"};
    toolkit::TRotButton btnAddExeWatch{*this, "btnAddExeWatch"};
    toolkit::TRotButton btnAddWatchClass{*this, "btnAddWatchClass"};
    toolkit::TRotButton btnDelWatch{*this, "btnDelWatch"};
    toolkit::TRotButton btnAddAuto{*this, "btnAddAuto"};
    toolkit::TRotButton btnAddAutoSendExe{*this, "btnAddAutoSendExe"};
    toolkit::TRotButton btnAddClassAuto{*this, "btnAddClassAuto"};
    toolkit::TRotButton btnDelAuto{*this, "btnDelAuto"};
    // Layout, resolutions, gestures.
    framework::ComboBox cbLayout{*this, "cbLayout"};
    framework::CheckBox cbUnsafe{*this, "cbUnsafe"};
    framework::Label lbUnsafeWarning{*this, "lbUnsafeWarning"};
    framework::CheckBox cbGestures{*this, "cbGestures"};
    framework::ComboBox cbHold{*this, "cbHold"};
    toolkit::StringGrid sgGestures{*this, "sgGestures"};
    framework::Edit edGesture{*this, "edGesture"};
    toolkit::TRxSpeedButton SpeedButton2{*this, "SpeedButton2"};   // ">> Save command"
    // Private page.
    toolkit::TRotButton btnSetChangeLockPwd{*this, "btnSetChangeLockPwd"};
    // The chosen layout in small, inside gbLayout at (96, 8): its pictures
    // start at (100, 10) of the group box.
    TLayoutPreview pnLayoutPreview{*this, "pnLayoutPreview", POINT{4, 2}};
    // Per-desktop controls, desktop 1 to 9 (the Tag of each).
    toolkit::TFilenameEdit& feDesk(int n) const { return *feDesk_.at(Slot(n)); }
    framework::ComboBox& cbWPS(int n) const { return *cbWPS_.at(Slot(n)); }
    framework::ComboBox& cbColor(int n) const { return *cbColor_.at(Slot(n)); }
    framework::CheckBox& cbLock(int n) const { return *cbLock_.at(Slot(n)); }
    framework::ComboBox& cbRes(int n) const { return *cbRes_.at(Slot(n)); }
    framework::Edit& edName(int n) const { return *edName_.at(Slot(n)); }   // the names-page edit with Tag n

    // Private desktops, 1 to 9: in force, and as the check boxes show them until Apply.
    std::array<bool, 10> FLocked{};
    std::array<bool, 10> FLockedPending{};
    int FCurrentPage = 1;
    // The stored click-window place is applied only while this is set; the
    // click window clears it once the user has placed the window by hand.
    bool FRestoreClickPos = true;
    // The click window's place. The dialog holds it until the click window
    // lands, which will then take it from here and report its moves back.
    int FClickLeft = 0;
    int FClickTop = 0;
    // The display mode and wallpaper found at creation: desktop 0.
    int FStartDisplayMode = -2;
    std::string FStartWallpaper, FStartTileWallpaper, FStartWallpaperStyle;
    // Every automatic-send rule added in this run, removed ones marked Deleted.
    std::vector<TAutoSendRule> FAutoSendRules;
    int FSelectedAutoSendRow = -1;

    // Registry to controls, and back.
    void LoadSettings();
    void SaveSettings();
    // Pushes every setting into the running program.
    void ApplySettings();
    // The trimmed name of desktop n, or its number when it has none.
    std::string DesktopName(int n) const override;

    void btnApplyClick();
    void btnOKClick();
    void btnCancelClick();
    void btnHelpClick();
    void FormKeyUp(WORD key);

    // The page row: Image1..Image11 and their hover pictures Image12..Image23,
    // lit by Timer1 while the dialog is shown.
    PageImages Images{*this};
    framework::Timer Timer1{50, [this] { Timer1Timer(); }, false};
    void Timer1Timer();
    void TickAt(POINT cursor);   // one tick with the mouse at this screen point
    void Image1Click(int tag);
    // The engine option under the mouse explains itself in lbHint.
    void ShowOptionHint(int tag);
    // Rules between options.
    void rgApplistClick();
    void rgDeskprevClick();
    void rgMainMenuClick();
    void rgPrevSizeClick();
    void cbRetainFocusClick();
    void cbUnsafeClick();
    // Apply's steps; false when a private-desktop rule ended it early.
    bool ApplyChanges();

    void ShowPage(int page);
    // The layout page's preview of the chosen grid.
    void cbLayoutChange();
    // Gesture editing: a row chosen, the edit's text changed, ">> Save command".
    void sgGesturesSelectCell(int row);
    void edGestureChange();
    void SpeedButton2Click();
    void UpdateControlStates();
    void ApplyLockBoxes();
    void cbLock1Click(int tag);
    // "Set or change desktop lock password": the boxes follow whether one is set.
    void btnSetChangeLockPwdClick();
    // The controls the dialog's flat painter has subclassed.
    size_t FlatPaintedControls() const noexcept { return xpm.SubclassCount(); }

    void SaveRuleLists();
    void LoadAutoSendRules();
    void SaveAutoSendRules();
    void AddAutoSendRule(std::string_view name, int desktop, bool disabled);
    void ClearAutoSendRows();
    void SelectAutoSendRow(int index);
    void RemoveAutoSendRule();   // "Remove" of the automatic-send page
    const std::vector<std::unique_ptr<AutoSendRow>>& AutoSendRows() const noexcept { return autoSendRows_; }

    void FillDisplayModes();
    void SelectDisplayModeItem(framework::ComboBox& list, int code);
    int SelectedDisplayModeCode(int n) const;   // the code of desktop n's selection
    static int CurrentDisplayModeCode();
    // The raw-mode flag of the mode enumeration while unsafe modes are listed.
    DWORD DisplayModeFlags() const;
    // The mode record of a code (exact, then without the refresh rate); false,
    // with a zero width, when no mode has it.
    bool FindDisplayMode(int code, DEVMODEW& mode) const;
    // Puts desktop desk's display mode and wallpaper into force (desktop 0:
    // those found at creation), unless desk is current already and not forced.
    void ApplyDesktopDisplay(int desk, bool force);

    // Read in place by the engine.
    std::optional<int> Int(std::string_view name) const override;
    std::optional<std::string> Text(std::string_view name) const override;
    bool IsPrivate(int desktop) const override;
    bool InIgnoreList(std::string_view upperName) const override;
    bool InWatchList(std::string_view upperName) const override;
    std::vector<TAutoSendRule> AutoSendRules() const override;

    // The integer a plain value's control holds, and setting it.
    int ControlValue(const ValueSpec& spec) const;
    void SetControlValue(const ValueSpec& spec, int v);

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT; }
    void CreateControls() override;
    void FormCreate() override;
    void FormShow() override;
    void FormHide() override;
    void FormDestroy() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void SetUpPageRow();
    void SetUpOptionRules();
    void LightHoverPictures(POINT cursor);
    void TrackOptionHint(POINT cursor);
    void DragBackground(UINT msg, POINT at);
    framework::Bitmap background_;
    bool backgroundRead_ = false;
    bool dragging_ = false;
    POINT dragFrom_{};
    std::optional<POINT> hintCursor_;   // where the mouse was at the last tick
    bool modesListedUnsafe_ = false;     // the flag the display-mode lists were filled with
    bool loadingValues_ = false;         // the controls are being set from a store
    static size_t Slot(int n);
    void SetUpControls();
    // Every push button of the dialog.
    std::array<toolkit::TRotButton*, 21> RotatableButtons() noexcept;
    void SetUpGestureGrid();
    void ConnectPageEditing();
    void SetWindowRegion();
    void ReadStartDisplay();
    void ShowGeneralTab(bool core);
    void WireRulePages();
    void WireAutoSendPage();

    // Loading and saving against one store (the registry, or the copy of the
    // values in force that Cancel puts back).
    void LoadFrom(const ValueStore& store, bool fromRegistry);
    void LoadGroups(const ValueStore& store, bool withLockFlags);
    void LoadGestureCodes(const ValueStore& store);
    using LockFlags = std::array<bool, 10>;
    void SaveSettingsWith(const LockFlags& locks);
    void SaveTo(ValueStore& store, const LockFlags& locks) const;
    void SaveGroup(ValueStore& store, std::string_view token, const LockFlags& locks) const;
    void LoadPinnedList();
    void LoadRuleLists();
    void RememberValuesInForce();
    void RestoreValuesInForce();
    bool RunValueExists() const;
    void WriteRunValue() const;

    // ApplySettings' steps.
    void ApplyGrid();
    bool ShrinkWouldExposePrivateWindows(GridSize to) const;

    std::array<std::unique_ptr<toolkit::TFilenameEdit>, 9> feDesk_;
    std::array<std::unique_ptr<framework::ComboBox>, 9> cbWPS_;
    std::array<std::unique_ptr<framework::ComboBox>, 9> cbColor_;
    std::array<std::unique_ptr<framework::CheckBox>, 9> cbLock_;
    std::array<std::unique_ptr<framework::ComboBox>, 9> cbRes_;
    std::array<std::unique_ptr<framework::Edit>, 9> edName_;
    std::vector<int> displayModeCodes_;   // the code of each item of the resolution lists
    MemoryStore inForce_;                 // the values in force, for Cancel
    std::vector<std::string> ignoreInForce_, watchInForce_;
    // The list boxes' entries as hash sets, built again after each change
    // of a list: the engine asks for every window at every tick.
    struct RuleLookup {
        engine::TRuleSet rules;
        unsigned version = ~0u;
        bool Holds(const framework::ListBox& list, std::string_view upperName);
    };
    mutable RuleLookup ignoreLookup_, watchLookup_;
    // A rule file that exists but could not be read is never written over
    // (settings/rule_files.h); lines of a list file that no rule uses are
    // written back with the list.
    TRuleFileState ignoreFile_, watchFile_;
    bool autoSendReadable_ = true;
    // A rule file with a cut record at its end is kept as it is until the
    // user changes the rules, and then keeps the cut record after them.
    std::string autoSendCutTail_;
    bool autoSendEdited_ = false;
    std::vector<std::unique_ptr<AutoSendRow>> autoSendRows_;   // in order of addition
    // Paints the dialog's plain buttons flat while the dialog exists; its
    // buttons are all the program's own, so it finds none.
    toolkit::TXPMenu xpm{*this};
};

inline TfrmVDConfig* frmVDConfig = nullptr;

}  // namespace settings
