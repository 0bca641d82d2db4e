#include "settings/start_wiz.h"
#include <commctrl.h>
#include <vector>
#include "framework/guard.h"
#include "framework/registry.h"
#include "settings/store_values.h"
#include "settings/subsystem_links.h"
#include "settings/tables.h"
#include "settings/vd_config.h"
#include "shell/help.h"
#include "toolkit/form_pictures.h"

namespace settings {
namespace {

using K = framework::Kind;

constexpr int kClientWidth = 580, kClientHeight = 430;
constexpr COLORREF kBackground = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kLinkColor = RGB(0, 0, 0);
constexpr COLORREF kLinkHoverColor = 0x804040;
constexpr COLORREF kBannerText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kRuleColor = RGB(0xC8, 0xD8, 0xE8);
constexpr RECT kBanner{0, 0, kClientWidth, 50};
constexpr RECT kBannerTitle{16, 0, 500, 46};
constexpr RECT kLogo{528, 3, 572, 47};
constexpr RECT kSidePicture{0, 50, 160, 350};
constexpr int kRuleTop = 362;
constexpr POINT kPreviewOrigin{12, 50};
constexpr UINT_PTR kMouseProcId = 3;

// Each page: the title the banner shows and the text at its top.
struct PageText {
    std::string_view title;
    std::string_view text;
};
constexpr PageText kPageTexts[kWizardPages] = {
    {"Welcome!",
     "This wizard sets up Pelmora Virtual Desktop in a few steps. Every answer can be changed later in the "
     "settings dialog: right-click the icon in the notification area and choose \"Configure\".\r\n\r\n"
     "Click \"Next >>\" to begin."},
    {"The desktop bar",
     "The desktop bar is a small bar at an edge of the screen with one button for each desktop: a click on a "
     "button switches to its desktop."},
    {"Tray icon and desktop preview",
     "The icon in the notification area shows the number of the current desktop. Click it to open the desktop "
     "preview: it shows every desktop with its windows. Click a desktop there to switch to it, or drag a window "
     "onto another desktop to move it there.\r\n\r\nDouble-click the icon to go to the next desktop; right-click "
     "it for the main menu."},
    {"Desktop numbers", "The desktop preview can show the number or the name of each desktop in its corner."},
    {"The info window",
     "A small window in a corner of the screen can show which desktop is current. Click it to open the desktop "
     "preview."},
    {"Icons in the preview",
     "The desktop preview draws every window with the icon of its program. Big icons are easier to recognise; "
     "small ones leave more room for the titles."},
    {"Desktop layout", ""},
    {"Screen edges",
     "With edge navigation, resting the mouse at an edge of the screen switches to the desktop that lies in that "
     "direction. With \"mouse-knock\" you knock the mouse against the edge instead."},
    {"Following window activities",
     "When a window on another desktop becomes active (a program in the notification area opens its window, for "
     "example), the desktop can follow it. Switched off, only the programs of the watch list are followed, and "
     "sticky programs are shown on every desktop."},
    {"Bubble hints",
     "Small bubbles near the notification area tell you about important events, such as a window sent to "
     "another desktop."},
    {"Desktop icons per desktop",
     "Every desktop can have its own desktop icons and its own Quick Launch icons: switch this on in the "
     "settings dialog when you want it.\r\n\r\nClick \"Finish >>\" to put your answers into force. The help then "
     "shows where to find help."},
};

constexpr framework::ControlSpec kLayout[] = {
    {K::Panel, "nbStart0", nullptr, 170, 56, 400, 300, "", 0},
    {K::Panel, "nbStart1", nullptr, 170, 56, 400, 300, "", 1},
    {K::Panel, "nbStart2", nullptr, 170, 56, 400, 300, "", 2},
    {K::Panel, "nbStart3", nullptr, 170, 56, 400, 300, "", 3},
    {K::Panel, "nbStart4", nullptr, 170, 56, 400, 300, "", 4},
    {K::Panel, "nbStart5", nullptr, 170, 56, 400, 300, "", 5},
    {K::Panel, "nbStart6", nullptr, 170, 56, 400, 300, "", 6},
    {K::Panel, "nbStart7", nullptr, 170, 56, 400, 300, "", 7},
    {K::Panel, "nbStart8", nullptr, 170, 56, 400, 300, "", 8},
    {K::Panel, "nbStart9", nullptr, 170, 56, 400, 300, "", 9},
    {K::Panel, "nbStart10", nullptr, 170, 56, 400, 300, "", 10},
    {K::Label, "lbPage0", "nbStart0", 0, 4, 400, 120, kPageTexts[0].text.data(), 0},
    {K::Label, "lbPage1", "nbStart1", 0, 4, 400, 60, kPageTexts[1].text.data(), 0},
    {K::Label, "lbPage2", "nbStart2", 0, 4, 400, 150, kPageTexts[2].text.data(), 0},
    {K::Label, "lbPage3", "nbStart3", 0, 4, 400, 60, kPageTexts[3].text.data(), 0},
    {K::Label, "lbPage4", "nbStart4", 0, 4, 400, 60, kPageTexts[4].text.data(), 0},
    {K::Label, "lbPage5", "nbStart5", 0, 4, 400, 60, kPageTexts[5].text.data(), 0},
    {K::Label, "lbPage7", "nbStart7", 0, 4, 400, 60, kPageTexts[7].text.data(), 0},
    {K::Label, "lbPage8", "nbStart8", 0, 4, 400, 90, kPageTexts[8].text.data(), 0},
    {K::Label, "lbPage9", "nbStart9", 0, 4, 400, 60, kPageTexts[9].text.data(), 0},
    {K::Label, "lbPage10", "nbStart10", 0, 4, 400, 150, kPageTexts[10].text.data(), 0},
    {K::Custom, "rgDeskBar", "nbStart1", 0, 80, 300, 109, wizard_texts::kDeskBar.data(), 0},
    {K::Custom, "rgDeskNum", "nbStart3", 0, 80, 300, 58, wizard_texts::kDeskNum.data(), 0},
    {K::Custom, "rgInfoWindow", "nbStart4", 0, 80, 300, 75, wizard_texts::kInfoWindow.data(), 0},
    {K::Custom, "rgIconSize", "nbStart5", 0, 80, 300, 58, wizard_texts::kIconSize.data(), 0},
    {K::Panel, "pnPrev", "nbStart6", 0, 0, 400, 300, wizard_texts::kLayoutPanel.data(), 0},
    {K::ComboBox, "cbLayout", "pnPrev", 200, 10, 90, 260, "", 0},
    {K::Custom, "rgEdge", "nbStart7", 0, 80, 300, 75, wizard_texts::kEdge.data(), 0},
    {K::Custom, "rgAuto", "nbStart8", 0, 110, 360, 58, wizard_texts::kAuto.data(), 0},
    {K::Custom, "rgBubble", "nbStart9", 0, 80, 300, 58, wizard_texts::kBubble.data(), 0},
    {K::CheckBox, "cbKeep", nullptr, 12, 372, 250, 18, wizard_texts::kKeep.data(), 0},
    {K::Label, "Label9", nullptr, 12, 400, 330, 18, wizard_texts::kSkip.data(), 0},
    {K::Label, "lbBack", nullptr, 370, 400, 60, 18, wizard_texts::kBack.data(), 0},
    {K::Label, "lbProgress", nullptr, 436, 400, 44, 18, "", 0},
    {K::Label, "lbNext", nullptr, 486, 400, 80, 18, wizard_texts::kNext.data(), 0},
};

template <size_t N>
std::vector<std::string> Items(const std::string_view (&list)[N]) {
    return std::vector<std::string>(std::begin(list), std::end(list));
}

std::array<std::unique_ptr<framework::Panel>, kWizardPages> MakePages(framework::Form& form) {
    std::array<std::unique_ptr<framework::Panel>, kWizardPages> pages;
    for (size_t i = 0; i < pages.size(); ++i)
        pages[i] = std::make_unique<framework::Panel>(form, "nbStart" + std::to_string(i));
    return pages;
}

std::vector<std::string> LayoutTexts() {
    std::vector<std::string> texts;
    for (const auto& l : Layouts) texts.emplace_back(l.Text);
    return texts;
}

}  // namespace

// Pure rules ---------------------------------------------------------------------

WizardNavigation NavigationFor(int page) {
    return {page > 0, std::to_string(page + 1) + "/" + std::to_string(kWizardPages),
            page >= kWizardPages - 1 ? wizard_texts::kFinish : wizard_texts::kNext};
}

WizardSettings SettingsFromAnswers(const WizardAnswers& a) {
    WizardSettings s{};
    s.showNum = a.deskNum == 0;
    switch (a.infoWindow) {
    case 1:
        s.deskInfo = true;
        s.largeInfo = false;
        break;
    case 2:
        s.deskInfo = true;
        s.largeInfo = true;
        break;
    default:
        s.deskInfo = false;
        break;
    }
    s.largeIcons = a.iconSize == 1;
    s.layout = a.layout;
    s.edge = a.edge;
    s.follow = a.autoFollow == 0;
    s.deskBar = a.deskBar;
    s.bubbleLevel = a.bubble == 0 ? 1 : 0;
    return s;
}

// Labels -------------------------------------------------------------------------

TWizardLabel::TWizardLabel(framework::Form& f, std::string name, COLORREF background)
    : Label(f, std::move(name)), background_(background) {}

HBRUSH TWizardLabel::OnColor(HDC dc) {
    if (!brush_) brush_.reset(::CreateSolidBrush(background_));
    ::SetTextColor(dc, FontColor == CLR_INVALID ? kLinkColor : FontColor);
    ::SetBkColor(dc, background_);
    return brush_.get();
}

TLinkLabel::TLinkLabel(framework::Form& f, std::string name, COLORREF background)
    : TWizardLabel(f, std::move(name), background) {
    FontColor = kLinkColor;
}

TLinkLabel::~TLinkLabel() {
    if (Handle()) ::RemoveWindowSubclass(Handle(), &MouseProc, kMouseProcId);
}

DWORD TLinkLabel::WindowStyle() const { return TWizardLabel::WindowStyle() | SS_NOTIFY; }

void TLinkLabel::AfterCreate() {
    ::SetWindowSubclass(Handle(), &MouseProc, kMouseProcId, reinterpret_cast<DWORD_PTR>(this));
}

void TLinkLabel::OnCommand(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

void TLinkLabel::SetHovered(bool hovered) {
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    FontColor = hovered ? kLinkHoverColor : kLinkColor;
    Invalidate();
}

LRESULT CALLBACK TLinkLabel::MouseProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) noexcept {
    auto* self = reinterpret_cast<TLinkLabel*>(ref);
    if (m == WM_MOUSEMOVE && !self->hovered_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, h, 0};
        ::TrackMouseEvent(&track);
        framework::Guard([&] { self->SetHovered(true); });
    } else if (m == WM_MOUSELEAVE) {
        framework::Guard([&] { self->SetHovered(false); });
    }
    return ::DefSubclassProc(h, m, w, l);
}

// The wizard ------------------------------------------------------------------------

TfrmStartWiz::TfrmStartWiz()
    : Form("frmStartWiz"),
      pages_(MakePages(*this)),
      pnPrev(*this, "pnPrev", kPreviewOrigin),
      lbProgress(*this, "lbProgress", kBackground),
      lbNext(*this, "lbNext", kBackground),
      lbBack(*this, "lbBack", kBackground),
      Label9(*this, "Label9", kBackground) {
    for (size_t i = 0; i < pageTexts_.size(); ++i)
        if (!kPageTexts[i].text.empty())
            pageTexts_[i] = std::make_unique<TWizardLabel>(*this, "lbPage" + std::to_string(i), kBackground);
}

TfrmStartWiz::~TfrmStartWiz() = default;

void TfrmStartWiz::CreateControls() {
    SetCaption(wizard_texts::kCaption);
    SetColor(kBackground);
    SetClientSize(kClientWidth, kClientHeight);
    DoubleBuffered = true;
    rgDeskBar.SetItems(Items(wizard_texts::kDeskBarItems));
    rgDeskNum.SetItems(Items(wizard_texts::kDeskNumItems));
    rgInfoWindow.SetItems(Items(wizard_texts::kInfoWindowItems));
    rgIconSize.SetItems(Items(wizard_texts::kIconSizeItems));
    rgEdge.SetItems(Items(wizard_texts::kEdgeItems));
    rgAuto.SetItems(Items(wizard_texts::kAutoItems));
    rgBubble.SetItems(Items(wizard_texts::kBubbleItems));
    const WizardAnswers initial;
    rgDeskNum.SetItemIndex(initial.deskNum);
    rgInfoWindow.SetItemIndex(initial.infoWindow);
    rgIconSize.SetItemIndex(initial.iconSize);
    rgEdge.SetItemIndex(initial.edge);
    rgAuto.SetItemIndex(initial.autoFollow);
    rgBubble.SetItemIndex(initial.bubble);
    cbLayout.SetItems(LayoutTexts());
    cbKeep.SetChecked(true);
    ApplyLayout(kLayout);
    for (auto& page : pages_) page->SetColor(kBackground);
    pnPrev.SetColor(kBackground);
    lbNext.OnClick = [this] { lbNextClick(); };
    lbBack.OnClick = [this] { lbBackClick(); };
    Label9.OnClick = [this] { Label9Click(); };

    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = -16;
    titleFont_.reset(::CreateFontIndirectA(&lf));
    // The wizard works without its pictures.
    framework::Guard([this] {
        banner_ = toolkit::LoadFormPicture(toolkit::pictures::kWizardBanner);
        logo_ = toolkit::LoadFormPicture(toolkit::pictures::kWizardLogo);
    });
    CenterOnScreen();
}

void TfrmStartWiz::FormCreate() {
    // The layout list's first choice draws nothing: its handler comes after it.
    cbLayout.SetItemIndex(kDefaultLayout);
    cbLayout.OnChange = [this] { cbLayoutChange(); };
    rgDeskBar.SetItemIndex(WizardAnswers{}.deskBar);
    ShowPage(0);
}

void TfrmStartWiz::FormShow() {
    UpdateNavigation();
    cbLayoutChange();
    ShowPage(0);
}

void TfrmStartWiz::Paint(HDC dc, const RECT& client) {
    if (banner_) banner_->Draw(dc, kBanner);
    if (logo_) logo_->Draw(dc, kLogo);
    const std::string_view title = kPageTexts[static_cast<size_t>(page_)].title;
    framework::SelectScope font(dc, titleFont_ ? titleFont_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kBannerText);
    RECT titleRect = kBannerTitle;
    ::DrawTextA(dc, title.data(), static_cast<int>(title.size()), &titleRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (pagePicture_) pagePicture_->Draw(dc, kSidePicture);
    framework::Brush rule(::CreateSolidBrush(kRuleColor));
    RECT line{client.left + 12, kRuleTop, client.right - 12, kRuleTop + 1};
    ::FillRect(dc, &line, rule.get());
}

void TfrmStartWiz::ShowPage(int page) {
    if (page < 0 || page >= kWizardPages) return;
    page_ = page;
    for (int i = 0; i < kWizardPages; ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == page);
    pagePicture_.reset();
    framework::Guard([&] { pagePicture_ = toolkit::LoadFormPicture(toolkit::pictures::WizardPage(page + 1)); });
    Invalidate();
}

void TfrmStartWiz::UpdateNavigation() {
    const WizardNavigation nav = NavigationFor(page_);
    lbBack.SetEnabled(nav.backEnabled);
    lbProgress.SetCaption(nav.progress);
    lbNext.SetCaption(nav.next);
}

WizardAnswers TfrmStartWiz::Answers() const {
    WizardAnswers a;
    a.deskBar = rgDeskBar.ItemIndex();
    a.deskNum = rgDeskNum.ItemIndex();
    a.infoWindow = rgInfoWindow.ItemIndex();
    a.iconSize = rgIconSize.ItemIndex();
    a.layout = cbLayout.ItemIndex();
    a.edge = rgEdge.ItemIndex();
    a.autoFollow = rgAuto.ItemIndex();
    a.bubble = rgBubble.ItemIndex();
    return a;
}

void TfrmStartWiz::lbNextClick() {
    if (page_ < kWizardPages - 1) {
        ShowPage(page_ + 1);
        UpdateNavigation();
        return;
    }
    ApplyAnswers();
    CloseWizard(true);
    UpdateNavigation();
}

void TfrmStartWiz::lbBackClick() {
    if (page_ > 0) ShowPage(page_ - 1);
    UpdateNavigation();
}

void TfrmStartWiz::Label9Click() { CloseWizard(!cbKeep.Checked()); }

void TfrmStartWiz::cbLayoutChange() { pnPrev.ShowLayout(cbLayout.ItemIndex()); }

void TfrmStartWiz::ApplyAnswers() {
    const WizardSettings s = SettingsFromAnswers(Answers());
    if (TfrmVDConfig* config = frmVDConfig) {
        config->cbShowNum.SetChecked(s.showNum);
        config->cbDeskInfo.SetChecked(s.deskInfo);
        if (s.largeInfo) config->cbLargeInfo.SetChecked(*s.largeInfo);
        config->cbLarge.SetChecked(s.largeIcons);
        config->cbLayout.SetItemIndex(s.layout);
        config->cbEdge.SetItemIndex(s.edge);
        config->cbFollow.SetChecked(s.follow);
        config->cbDeskBar.SetItemIndex(s.deskBar);
    }
    links::StoreBubbleLevel(s.bubbleLevel);
    if (TfrmVDConfig* config = frmVDConfig) {
        config->ApplySettings();
        config->SaveSettings();
        config->LoadSettings();
    }
}

void TfrmStartWiz::CloseWizard(bool flag) {
    if (flag) {
        framework::Registry reg;
        if (reg.OpenKey(kSettingsKey, true)) reg.WriteBool(kShowWizardValue, false);
        links::ShowHelpTopic(shell::help_texts::kTopicGettingHelp);
    }
    Close();
}

}  // namespace settings
