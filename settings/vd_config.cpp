// TfrmVDConfig: creation, showing, hiding and destruction; the page switch;
// the settings as the engine reads them in place.
#include "settings/vd_config.h"
#include <algorithm>
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/registry.h"
#include "framework/text.h"
#include "settings/auto_send_page.h"
#include "settings/color_combo.h"
#include "settings/subsystem_links.h"
#include "settings/tables.h"

namespace settings {
namespace {

constexpr int kClientWidth = 596;
constexpr int kClientHeight = 448;
constexpr COLORREF kBackground = 0xF0F0F0;
constexpr int kCornerEllipse = 54;
constexpr int kSquareFrom = 30;
constexpr int kPageLeft = 120, kPageTop = 96;

constexpr const char* kPages[] = {"pnGeneral", "pnHotkeys", "pnSticky", "pnIgnore", "pnWatch", "pnLayout",
                                  "pnAutoSend", "pnWall", "pnRes", "pnGesture", "pnNames", "pnPrivate"};
constexpr int kLayoutPage = 6;
// The gestures page's controls that follow "Use mouse gestures" (Tag 0).
constexpr const char* kGestureControls[] = {"cbHold", "sgGestures", "lbGesture", "edGesture", "SpeedButton2"};
constexpr std::string_view kDesktopKey = "\\Control Panel\\desktop";

// The number after a per-desktop or per-row prefix, when it is one of 1..max.
std::optional<int> Suffix(std::string_view name, std::string_view prefix, int max) {
    if (!IsNumberedName(name, prefix, max)) return std::nullopt;
    return framework::StrToIntDef(name.substr(prefix.size()), 0);
}

// The dialog's flat painter: its plain buttons on the dialog, its pages and
// group boxes.
void SetUpFlatPainter(toolkit::TXPMenu& xpm) {
    using enum toolkit::TXPControl;
    using enum toolkit::TXPContainer;
    xpm.IconWidth = 20;
    xpm.Gradient = true;
    xpm.Colors.color = RGB(0xE8, 0xE8, 0xE8);
    xpm.SetXPControls({xcPopupMenu, xcButton, xcBitBtn});
    xpm.SetXPContainers({xccForm, xccPanel, xccScrollBox, xccGroupBox, xccTabSheet});
    xpm.SetActive(true);
}

}  // namespace

TfrmVDConfig::TfrmVDConfig() : Form("frmVDConfig") {
    for (int n = 1; n <= 9; ++n) {
        auto i = Slot(n);
        auto num = std::to_string(n);
        feDesk_[i] = std::make_unique<toolkit::TFilenameEdit>(*this, "feDesk" + num);
        cbWPS_[i] = std::make_unique<framework::ComboBox>(*this, "cbWPS" + num);
        cbColor_[i] = std::make_unique<TColorCombo>(*this, "cbColor" + num);
        cbLock_[i] = std::make_unique<framework::CheckBox>(*this, "cbLock" + num);
        cbRes_[i] = std::make_unique<framework::ComboBox>(*this, "cbRes" + num);
        edName_[i] = std::make_unique<framework::Edit>(*this, "edName" + num);
    }
}

TfrmVDConfig::~TfrmVDConfig() {
    DestroyHandle();
    if (CurrentSource() == this) SetLiveSource(nullptr);
}

size_t TfrmVDConfig::Slot(int n) {
    if (n < 1 || n > 9) throw framework::Exception("Desktop number out of range: " + std::to_string(n));
    return static_cast<size_t>(n - 1);
}

void TfrmVDConfig::FormCreate() {
    SetLiveSource(this);
    for (int n = 1; n <= 9; ++n) cbLock(n).OnClick = [this, n] { cbLock1Click(n); };
    pcGeneral.OnChange = [this] { ShowGeneralTab(pcGeneral.TabIndex() == 0); };
    if (auto* b = FindControl("btnOK")) b->OnClick = [this] { btnOKClick(); };
    if (auto* b = FindControl("btnApply")) b->OnClick = [this] { btnApplyClick(); };
    if (auto* b = FindControl("btnCancel")) b->OnClick = [this] { btnCancelClick(); };
    if (auto* b = FindControl("btnHelp")) b->OnClick = [this] { btnHelpClick(); };
    if (auto* b = FindControl("btnSetChangeLockPwd")) b->OnClick = [this] { btnSetChangeLockPwdClick(); };
    WireRulePages();
    KeyPreview = true;
    OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
        FormKeyUp(static_cast<WORD>(key));
        return 0;
    });
    for (auto* c : {&cbDeskInfo, &cbFollow, &cbGestures, &cbRetainFocus})
        c->OnClick = [this] { UpdateControlStates(); };
    cbHotKeys.OnChange = [this] { UpdateControlStates(); };
    SetUpPageRow();
    SetUpOptionRules();

    FRestoreClickPos = true;
    DoubleBuffered = true;
    SetColor(kBackground);
    SetClientSize(kClientWidth, kClientHeight);
    SetWindowRegion();
    CenterOnScreen();
    ShowGeneralTab(true);

    ReadStartDisplay();
    LoadAutoSendRules();
    FSelectedAutoSendRow = -1;
    FillDisplayModes();
    LoadSettings();

    links::CopyIconSetSwitches(cbDistIcons.Checked(), cbDistQL.Checked());
    links::SetDesktopUnlocked(!FLocked[1]);
    ApplySettings();
    ShowPage(1);
    // A wallpaper that cannot be converted is logged; the dialog still comes up.
    framework::Guard([this] { ApplyDesktopDisplay(1, true); });
    links::StartIconSets();
    LoadRuleLists();
    RememberValuesInForce();
    SetUpFlatPainter(xpm);
}

void TfrmVDConfig::FormShow() {
    Timer1.SetEnabled(true);
    FCurrentPage = 1;
    LoadSettings();
    links::HidePreview();
    FLockedPending = FLocked;
}

void TfrmVDConfig::FormHide() {
    Timer1.SetEnabled(false);
    ShowPage(1);
}

void TfrmVDConfig::FormDestroy() {
    xpm.SetActive(false);
    framework::Guard([] { links::SwitchInDesktopOneSets(); });
    framework::Guard([this] { SaveRuleLists(); });
    if (CurrentSource() == this) SetLiveSource(nullptr);
}

void TfrmVDConfig::SetWindowRegion() {
    // Only the two left corners are rounded.
    HRGN round = ::CreateRoundRectRgn(0, 0, kClientWidth + 1, kClientHeight + 1, kCornerEllipse, kCornerEllipse);
    framework::Region square(::CreateRectRgn(kSquareFrom, 0, kClientWidth, kClientHeight));
    ::CombineRgn(round, round, square.get(), RGN_OR);
    if (!::SetWindowRgn(Handle(), round, FALSE)) ::DeleteObject(round);   // the window owns it once set
}

void TfrmVDConfig::ReadStartDisplay() {
    FStartDisplayMode = CurrentDisplayModeCode();
    framework::Registry reg;
    reg.OpenKeyReadOnly(kDesktopKey);
    FStartWallpaper = reg.ReadString("Wallpaper", "");
    FStartTileWallpaper = reg.ReadString("TileWallpaper", "0");
    FStartWallpaperStyle = reg.ReadString("WallpaperStyle", "0");
}

void TfrmVDConfig::ShowGeneralTab(bool core) {
    pcGeneral.SetTabIndex(core ? 0 : 1);
    if (auto* p = FindControl("tsCore")) p->SetVisible(core);
    if (auto* p = FindControl("tsVisual")) p->SetVisible(!core);
}

void TfrmVDConfig::ShowPage(int page) {
    for (const char* name : kPages) {
        framework::Control* p = FindControl(name);
        if (!p || p->Tag <= 0) continue;
        p->SetBounds(kPageLeft, kPageTop, p->Width(), p->Height());
        p->SetVisible(p->Tag == page);
    }
    FCurrentPage = page;
    if (page == kLayoutPage) links::DrawLayoutPreview();
}

void TfrmVDConfig::UpdateControlStates() {
    cbLargeInfo.SetEnabled(cbDeskInfo.Checked());
    cbWrap.SetVisible(framework::ContainsText(cbHotKeys.Text(), "Linux"));
    cbAsync.SetEnabled(!cbRetainFocus.Checked());
    for (const char* name : kGestureControls)
        if (auto* c = FindControl(name)) c->SetEnabled(cbGestures.Checked());
    bool password = links::LockPasswordSet();
    for (int n = 1; n <= 9; ++n) cbLock(n).SetEnabled(password);
}

void TfrmVDConfig::ApplyLockBoxes() {
    for (int n = 1; n <= 9; ++n) {
        cbLock(n).SetChecked(FLocked[static_cast<size_t>(n)]);
        // The pending flags mirror the boxes, also where a box did not change.
        FLockedPending[static_cast<size_t>(n)] = FLocked[static_cast<size_t>(n)];
    }
}

void TfrmVDConfig::btnSetChangeLockPwdClick() {
    links::RunSetPasswordDialog();
    UpdateControlStates();
}

void TfrmVDConfig::cbLock1Click(int tag) {
    if (tag >= 1 && tag <= 9) FLockedPending[static_cast<size_t>(tag)] = cbLock(tag).Checked();
}

std::string TfrmVDConfig::DesktopName(int n) const {
    if (n < 1 || n > 9) return std::to_string(n);
    std::string name = framework::Trim(edName(n).Text());
    return name.empty() ? std::to_string(n) : name;
}

// The engine's view of the settings -------------------------------------------

int TfrmVDConfig::ControlValue(const ValueSpec& spec) const {
    framework::Control* c = FindControl(spec.control);
    if (auto* rg = dynamic_cast<toolkit::RadioGroup*>(c)) return rg->ItemIndex();
    if (auto* cb = dynamic_cast<framework::CheckBox*>(c)) return cb->Checked() ? 1 : 0;
    if (auto* list = dynamic_cast<framework::ListControl*>(c)) return list->ItemIndex();
    if (auto* sl = dynamic_cast<toolkit::TRxSlider*>(c)) return sl->Value();
    throw framework::Exception("No control holds the setting " + std::string(spec.name));
}

void TfrmVDConfig::SetControlValue(const ValueSpec& spec, int v) {
    framework::Control* c = FindControl(spec.control);
    if (auto* rg = dynamic_cast<toolkit::RadioGroup*>(c)) return rg->SetItemIndex(v);
    if (auto* cb = dynamic_cast<framework::CheckBox*>(c)) return cb->SetChecked(v != 0);
    if (auto* list = dynamic_cast<framework::ListControl*>(c)) return list->SetItemIndex(v);
    if (auto* sl = dynamic_cast<toolkit::TRxSlider*>(c)) return sl->SetValue(v);
    throw framework::Exception("No control holds the setting " + std::string(spec.name));
}

std::optional<int> TfrmVDConfig::Int(std::string_view name) const {
    if (const ValueSpec* spec = FindValue(name)) return ControlValue(*spec);
    if (auto n = Suffix(name, "wallpaperstyle", 9)) return cbWPS(*n).ItemIndex();
    if (auto n = Suffix(name, "deskcolor", 9)) return cbColor(*n).ItemIndex();
    if (auto n = Suffix(name, "res", 9)) return SelectedDisplayModeCode(*n);
    if (auto n = Suffix(name, "locked", 9)) return FLocked[static_cast<size_t>(*n)] ? 1 : 0;
    return std::nullopt;
}

std::optional<std::string> TfrmVDConfig::Text(std::string_view name) const {
    if (auto n = Suffix(name, "wallpaper", 9)) return feDesk(*n).FileName();
    if (auto n = Suffix(name, "deskname", 9)) return framework::Trim(edName(*n).Text());
    if (auto n = Suffix(name, kGestureCodeGroup, kActionCount)) return sgGestures.Cell(1, *n);
    return std::nullopt;
}

bool TfrmVDConfig::IsPrivate(int desktop) const {
    return desktop >= 1 && desktop <= 9 && FLocked[static_cast<size_t>(desktop)];
}

bool TfrmVDConfig::RuleLookup::Holds(const framework::ListBox& list, std::string_view upperName) {
    if (version != list.ItemsVersion()) {
        rules.Assign(list.Items());
        version = list.ItemsVersion();
    }
    return rules.Contains(upperName);
}

bool TfrmVDConfig::InIgnoreList(std::string_view upperName) const { return ignoreLookup_.Holds(lbIgnore, upperName); }
bool TfrmVDConfig::InWatchList(std::string_view upperName) const { return watchLookup_.Holds(lbWatch, upperName); }
std::vector<TAutoSendRule> TfrmVDConfig::AutoSendRules() const { return FAutoSendRules; }

// Display modes ------------------------------------------------------------------

int TfrmVDConfig::CurrentDisplayModeCode() {
    framework::WindowDc dc(nullptr);
    int refresh = ::GetDeviceCaps(dc.get(), VREFRESH);
    return DisplayModeCode(::GetDeviceCaps(dc.get(), HORZRES), ::GetDeviceCaps(dc.get(), VERTRES),
                           ::GetDeviceCaps(dc.get(), BITSPIXEL), refresh >= 30 ? refresh : 0);
}

void TfrmVDConfig::FillDisplayModes() {
    struct WaitCursor {
        HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        ~WaitCursor() { ::SetCursor(old); }
    } wait;
    lbUnsafeWarning.SetVisible(cbUnsafe.Checked());
    modesListedUnsafe_ = cbUnsafe.Checked();
    std::vector<std::string> items{"(windows default)"};
    displayModeCodes_.assign(1, kWindowsDefaultMode);
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    DWORD flags = DisplayModeFlags();
    for (DWORD i = 0; ::EnumDisplaySettingsExW(nullptr, i, &mode, flags); ++i) {
        if (mode.dmPelsWidth < 640 || mode.dmBitsPerPel <= 8) continue;
        int code = DisplayModeCode(static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight),
                                   static_cast<int>(mode.dmBitsPerPel), static_cast<int>(mode.dmDisplayFrequency));
        if (std::find(displayModeCodes_.begin(), displayModeCodes_.end(), code) != displayModeCodes_.end()) continue;
        items.push_back(DisplayModeText(static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight),
                                        static_cast<int>(mode.dmBitsPerPel), static_cast<int>(mode.dmDisplayFrequency)));
        displayModeCodes_.push_back(code);
    }
    for (int n = 1; n <= 9; ++n) {
        cbRes(n).SetItems(items);
        cbRes(n).SetItemIndex(0);
    }
}

void TfrmVDConfig::SelectDisplayModeItem(framework::ComboBox& list, int code) {
    list.SetItemIndex(0);
    int count = std::min(list.Count(), static_cast<int>(displayModeCodes_.size()));
    for (int i = count - 1; i >= 0; --i)
        if (displayModeCodes_[static_cast<size_t>(i)] == code) {
            list.SetItemIndex(i);
            return;
        }
}

int TfrmVDConfig::SelectedDisplayModeCode(int n) const {
    int i = cbRes(n).ItemIndex();
    return i >= 0 && i < static_cast<int>(displayModeCodes_.size()) ? displayModeCodes_[static_cast<size_t>(i)] : 0;
}

}  // namespace settings
