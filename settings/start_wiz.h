#pragma once
// TfrmStartWiz: the start-up wizard. Eleven pages of questions walk a new
// user through the main choices; Finish writes the answers into the settings
// dialog's controls, applies and saves them, and the wizard does not come
// again. The start-up shows it modally while "showcfgwiz" is true.
#include <windows.h>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/owned.h"
#include "settings/layout_preview.h"
#include "toolkit/gif_image.h"
#include "toolkit/radio_group.h"

namespace settings {

inline constexpr int kWizardPages = 11;

namespace wizard_texts {
inline constexpr std::string_view kCaption = "Pelmora Virtual Desktop Startup wizard";
inline constexpr std::string_view kNext = "Next >>";
inline constexpr std::string_view kFinish = "Finish >>";
inline constexpr std::string_view kBack = "<< Back";
inline constexpr std::string_view kSkip = "Skip this wizard, start using the product! >>";
inline constexpr std::string_view kKeep = "Show this wizard at next startup";
inline constexpr std::string_view kDeskBar = " Choose DeskBar alignment ";
inline constexpr std::string_view kDeskBarItems[] = {"I need no DeskBar. Hide it!", "Left edge of screen",
                                                     "Right edge of screen", "Top edge of screen",
                                                     "Bottom edge of screen"};
inline constexpr std::string_view kDeskNum = " Desktop numbers ";
inline constexpr std::string_view kDeskNumItems[] = {"Turn them on!", "Do not show those!"};
inline constexpr std::string_view kInfoWindow = " Info window ";
inline constexpr std::string_view kInfoWindowItems[] = {"I don't need this.", "I want a small info window.",
                                                        "I want a large info window."};
inline constexpr std::string_view kIconSize = " Icon size ";
inline constexpr std::string_view kIconSizeItems[] = {"I want small ones!", "I want big ones!"};
inline constexpr std::string_view kLayoutPanel = "Select desired desktop layout:";
inline constexpr std::string_view kEdge = " ScreenEdge-navigator ";
inline constexpr std::string_view kEdgeItems[] = {"I don't want any of these.", "Yes, I want edge-nav.",
                                                  "I want \"mouse-knock\"!"};
inline constexpr std::string_view kAuto = " Auto-follow ";
inline constexpr std::string_view kAutoItems[] = {"Switch on: I have lots of apps in my tray!",
                                                  "Switch off: I'll use the watch list / sticky list."};
inline constexpr std::string_view kBubble = " Bubble hints ";
inline constexpr std::string_view kBubbleItems[] = {"Enable bubbles!", "I don't need this."};
}  // namespace wizard_texts

// What the navigation shows on a page (index 0 to 10).
struct WizardNavigation {
    bool backEnabled;
    std::string progress;   // "1/11"
    std::string_view next;  // "Next >>", or "Finish >>" on the last page
};
WizardNavigation NavigationFor(int page);

// The answers, as the item indexes of the wizard's controls.
struct WizardAnswers {
    int deskBar = 1, deskNum = 0, infoWindow = 2, iconSize = 1, layout = 4, edge = 0, autoFollow = 1, bubble = 0;
};
// What Finish puts into the settings dialog and the event log.
struct WizardSettings {
    bool showNum;
    bool deskInfo;
    std::optional<bool> largeInfo;   // none: left as it is
    bool largeIcons;
    int layout;
    int edge;
    bool follow;
    int deskBar;
    int bubbleLevel;                 // 1 important events only, 0 turned off
};
WizardSettings SettingsFromAnswers(const WizardAnswers& a);

// A label on the wizard's plain background. It paints that background
// itself, so a new text never shows over the old one.
class TWizardLabel : public framework::Label {
public:
    TWizardLabel(framework::Form& f, std::string name, COLORREF background);
    HBRUSH OnColor(HDC dc) override;

private:
    framework::Brush brush_;
    COLORREF background_;
};

// A label that acts as a link: a click runs OnClick, and it takes the hover
// colour while the mouse is over it.
class TLinkLabel final : public TWizardLabel {
public:
    TLinkLabel(framework::Form& f, std::string name, COLORREF background);
    ~TLinkLabel() override;
    bool Hovered() const noexcept { return hovered_; }
    void OnCommand(WORD code) override;

protected:
    DWORD WindowStyle() const override;
    void AfterCreate() override;

private:
    static LRESULT CALLBACK MouseProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) noexcept;
    void SetHovered(bool hovered);
    bool hovered_ = false;
};

class TfrmStartWiz final : public framework::Form {
    // The notebook's pages (nbStart0 to nbStart10) come first: they hold most
    // of the controls, and a form destroys its controls in the reverse order
    // of their making, the controls before their containers.
    std::array<std::unique_ptr<framework::Panel>, kWizardPages> pages_;

public:
    TfrmStartWiz();
    ~TfrmStartWiz() override;

    toolkit::RadioGroup rgDeskBar{*this, "rgDeskBar"};
    toolkit::RadioGroup rgDeskNum{*this, "rgDeskNum"};
    toolkit::RadioGroup rgInfoWindow{*this, "rgInfoWindow"};
    toolkit::RadioGroup rgIconSize{*this, "rgIconSize"};
    TLayoutPreview pnPrev;
    framework::ComboBox cbLayout{*this, "cbLayout"};
    toolkit::RadioGroup rgEdge{*this, "rgEdge"};
    toolkit::RadioGroup rgAuto{*this, "rgAuto"};
    toolkit::RadioGroup rgBubble{*this, "rgBubble"};
    TWizardLabel lbProgress;
    TLinkLabel lbNext;
    TLinkLabel lbBack;
    TLinkLabel Label9;
    framework::CheckBox cbKeep{*this, "cbKeep"};

    int PageIndex() const noexcept { return page_; }
    WizardAnswers Answers() const;

    void lbNextClick();
    void lbBackClick();
    void Label9Click();
    void UpdateNavigation();
    // With the flag: "showcfgwiz" becomes false and the help topic on getting
    // help opens. Then the wizard closes.
    void CloseWizard(bool flag);
    void cbLayoutChange();

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME; }
    void CreateControls() override;
    void FormCreate() override;
    void FormShow() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void ShowPage(int page);
    void ApplyAnswers();

    int page_ = 0;
    std::array<std::unique_ptr<TWizardLabel>, kWizardPages> pageTexts_;   // none on the layout page
    std::unique_ptr<toolkit::TGIFImage> banner_, logo_, pagePicture_;
    framework::Font titleFont_;
};

inline TfrmStartWiz* frmStartWiz = nullptr;

}  // namespace settings
