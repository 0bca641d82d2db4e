#include "navigation/vd_info.h"
#include <algorithm>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/guard.h"
#include "framework/text.h"
#include "toolkit/form_pictures.h"
#include "shell/help.h"

namespace navigation {

TfrmVDInfo* frmVDInfo = nullptr;

namespace {

constexpr int kClientWidth = 460, kClientHeight = 196;
// The pins' glyph stands at the left, the caption beside it.
constexpr int kPinMargin = 6, kPinSpacing = 6;

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "lbTitle", nullptr, 10, 10, 440, 18, "", 0},
    {framework::Kind::Panel, "pnClass", nullptr, 10, 36, 440, 22, "", 0},
    {framework::Kind::Label, "lbClass", "pnClass", 0, 3, 440, 18, "", 0},
    {framework::Kind::Custom, "btnClsPin", nullptr, 10, 62, 440, 24, "", 0},
    {framework::Kind::Panel, "pnApp", nullptr, 10, 96, 440, 22, "", 0},
    {framework::Kind::Label, "lbApp", "pnApp", 0, 3, 440, 18, "", 0},
    {framework::Kind::Custom, "btnAppPin", nullptr, 10, 122, 440, 24, "", 0},
    {framework::Kind::Custom, "btnHelp", nullptr, 240, 160, 100, 26, info_texts::kHelp.data(), 0},
    {framework::Kind::Custom, "btnClose", nullptr, 350, 160, 100, 26, info_texts::kClose.data(), 0},
};

std::string TitleOf(HWND w) {
    char text[kMaxInfoTitleChars + 1] = {};
    const int n = w ? ::GetWindowTextA(w, text, static_cast<int>(sizeof text)) : 0;
    return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

std::string ClassOf(HWND w) {
    char text[256] = {};
    const int n = w ? ::GetClassNameA(w, text, static_cast<int>(sizeof text)) : 0;
    return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

const std::vector<std::string>& NoEntries() {
    static const std::vector<std::string> none;
    return none;
}

const std::vector<std::string>& StickyEntries() {
    auto* e = engine::frmPTessarel;
    return e && e->FStickyList ? e->FStickyList->Items() : NoEntries();
}

}  // namespace

// Pure rules ------------------------------------------------------------------------

std::string StickyKey(std::string_view text) { return framework::UpperCaseAscii(framework::Trim(text)); }

bool InStickyList(const std::vector<std::string>& sticky, std::string_view text) {
    const std::string key = StickyKey(text);
    return !key.empty() && std::find(sticky.begin(), sticky.end(), key) != sticky.end();
}

std::optional<bool> PinChange(const std::vector<std::string>& sticky, std::string_view text) {
    if (StickyKey(text).empty()) return std::nullopt;
    return !InStickyList(sticky, text);
}

// The box ------------------------------------------------------------------------------

TfrmVDInfo::TfrmVDInfo() : Form("frmVDInfo") {}

TfrmVDInfo::~TfrmVDInfo() = default;

void TfrmVDInfo::CreateControls() {
    SetCaption(info_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    for (auto* b : {&btnClose, &btnHelp}) b->UseDialogLook();
    for (auto* pin : {&btnClsPin, &btnAppPin}) {
        pin->Layout = toolkit::TButtonLayout::blGlyphLeft;
        pin->SetMargin(kPinMargin);
        pin->Spacing = kPinSpacing;
    }
    LoadPinGlyphs();
    btnClsPin.OnClick = [this] { btnClsPinClick(); };
    btnAppPin.OnClick = [this] { btnAppPinClick(); };
    btnClose.OnClick = [this] { Close(); };
    btnHelp.OnClick = [this] { btnHelpClick(); };
    KeyPreview = true;
    OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
        if (key == VK_F1) btnHelpClick();
        return 0;
    });
    CenterOnScreen();
    Refresh();
}

void TfrmVDInfo::LoadPinGlyphs() {
    // A glyph that cannot be read leaves its pin with the caption alone.
    framework::Guard([this] { Image1 = toolkit::LoadFormBitmap(toolkit::pictures::kInfoNotSticky); });
    framework::Guard([this] { Image2 = toolkit::LoadFormBitmap(toolkit::pictures::kInfoSticky); });
}

void TfrmVDInfo::ShowFor(HWND w) {
    if (auto* e = engine::frmPTessarel) e->HidePreview();
    window_ = w;
    Refresh();
    Show();
    BringToFront();
}

void TfrmVDInfo::Refresh() {
    // A handle that names no window any more shows nothing of another one.
    HWND w = window_ && ::IsWindow(window_) ? window_ : nullptr;
    lbTitle.SetCaption(" " + TitleOf(w));
    lbClass.SetCaption(" " + ClassOf(w));
    lbApp.SetCaption(" " + (w ? engine::WindowExePath(w) : std::string()));
    const auto& sticky = StickyEntries();
    struct Row {
        const framework::Label& label;
        framework::Panel& panel;
        toolkit::TRxSpeedButton& pin;
        std::string_view notSticky, isSticky;
    };
    for (const Row& row : {Row{lbClass, pnClass, btnClsPin, info_texts::kClassNotSticky, info_texts::kClassSticky},
                           Row{lbApp, pnApp, btnAppPin, info_texts::kAppNotSticky, info_texts::kAppSticky}}) {
        const std::string text = row.label.Caption();
        const bool isSticky = InStickyList(sticky, text);
        row.pin.SetCaption(isSticky ? row.isSticky : row.notSticky);
        if (const framework::Bitmap& glyph = isSticky ? Image2 : Image1) row.pin.SetGlyph(glyph.get());
        row.pin.SetEnabled(PinChange(sticky, text).has_value());
        row.panel.SetColor(isSticky ? kStickyColor : kNotStickyColor);
        row.panel.Invalidate();
    }
}

void TfrmVDInfo::Pin(const framework::Label& label) {
    auto* e = engine::frmPTessarel;
    const std::string text = label.Caption();
    // The list in memory has changed even when its file could not be
    // written: the box shows that state before the error goes on.
    struct RefreshAfter {
        TfrmVDInfo& box;
        ~RefreshAfter() { box.Refresh(); }
    } refreshAfter{*this};
    if (e) {
        if (const auto add = PinChange(StickyEntries(), text)) e->SetSticky(StickyKey(text), *add);
    }
}

void TfrmVDInfo::btnClsPinClick() { Pin(lbClass); }
void TfrmVDInfo::btnAppPinClick() { Pin(lbApp); }

void TfrmVDInfo::btnHelpClick() {
    if (auto* e = engine::frmPTessarel) e->HidePreview();
    shell::ShowHelpTopic(shell::help_texts::kTopicWindowInfo);
}

}  // namespace navigation
