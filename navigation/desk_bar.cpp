#include "navigation/desk_bar.h"
#include <algorithm>
#include <array>
#include <windowsx.h>
#include "engine/main_form.h"
#include "engine/subsystem_links.h"
#include "framework/application.h"
#include "framework/registry.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"
#include "settings/tables.h"
#include "settings/vd_config.h"

namespace navigation {
namespace {

constexpr std::string_view kDeskBarValue = "deskbar";
constexpr int kFirstButtonAt = 3;       // along the bar
constexpr int kButtonGap = 2;
constexpr int kStandOut = 2;            // the current desktop's button, away from the screen edge
constexpr int kCorner = 5;              // of the region's rounded rectangles
constexpr int kFontSize = 15, kCurrentFontSize = 17;
constexpr COLORREF kButtonColor = 0xD8D8D8;
constexpr COLORREF kButtonFocus = 0xFFFFFF;
constexpr int kFirstButtonId = 1000;

constexpr std::array<settings::SettingName, 9> kColorSettings{
    "deskcolor1", "deskcolor2", "deskcolor3", "deskcolor4", "deskcolor5",
    "deskcolor6", "deskcolor7", "deskcolor8", "deskcolor9"};

bool Vertical(UINT edge) noexcept { return edge == ABE_LEFT || edge == ABE_RIGHT; }

// Across the bar: the buttons are larger than the strip and cut by it.
int Inset(UINT edge) noexcept {
    switch (edge) {
    case ABE_LEFT: return -6;
    case ABE_TOP: return -4;
    default: return 3;
    }
}

// Away from the screen's edge: right for a left bar, left for a right bar.
int StandOut(UINT edge) noexcept { return edge == ABE_LEFT || edge == ABE_TOP ? kStandOut : -kStandOut; }

bool IsProperRect(const RECT& r) noexcept { return r.right > r.left && r.bottom > r.top; }

int FontHeight(int points) {
    HDC screen = ::GetDC(nullptr);
    const int ppi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return -::MulDiv(points, ppi, 72);
}

toolkit::TFontSpec ButtonFont(bool current) {
    toolkit::TFontSpec f;
    f.Name = "Tahoma";
    f.Height = FontHeight(current ? kCurrentFontSize : kFontSize);
    f.Bold = current;
    return f;
}

size_t ColorIndex(int desktop) {
    const int i = settings::Int(kColorSettings[static_cast<size_t>(desktop - 1)]);
    return i >= 0 && i < settings::kColorCount ? static_cast<size_t>(i) : 0;
}

}  // namespace

// Geometry ------------------------------------------------------------------------------
RECT FreeArea(SIZE screen, const TaskbarPlace& taskbar) noexcept {
    const RECT& t = taskbar.rect;
    switch (taskbar.edge) {
    case ABE_LEFT: return {t.right, 0, screen.cx, screen.cy};
    case ABE_TOP: return {0, t.bottom, screen.cx, screen.cy};
    case ABE_RIGHT: return {0, 0, screen.cx - (t.right - t.left), screen.cy};
    default: return {0, 0, screen.cx, screen.cy - (t.bottom - t.top)};
    }
}

RECT DeskBarRect(UINT barEdge, SIZE screen, const RECT& free) noexcept {
    switch (barEdge) {
    case ABE_TOP: return {free.left, free.top, free.right, free.top + kDeskBarThickness};
    case ABE_RIGHT: return {free.right - kDeskBarThickness, free.top, free.right, free.bottom};
    case ABE_BOTTOM: return {free.left, free.bottom - kDeskBarThickness, screen.cx, free.bottom};
    default: return {free.left, free.top, free.left + kDeskBarThickness, screen.cy};
    }
}

int DeskBarIndex(UINT barEdge) noexcept {
    switch (barEdge) {
    case ABE_TOP: return 3;
    case ABE_RIGHT: return 2;
    case ABE_BOTTOM: return 4;
    default: return 1;
    }
}

std::vector<RECT> DeskButtonRects(UINT barEdge, std::span<const SIZE> extents, int current) {
    std::vector<RECT> rects;
    const bool vertical = Vertical(barEdge);
    int along = kFirstButtonAt;
    for (size_t k = 0; k < extents.size(); ++k) {
        const SIZE s = extents[k];
        const bool isCurrent = static_cast<int>(k) + 1 == current;
        // The right and bottom bars measure the inset from the strip's near side too.
        const int across = Inset(barEdge) + (isCurrent ? StandOut(barEdge) : 0);
        const RECT r = vertical ? RECT{across, along, across + s.cx, along + s.cy}
                                : RECT{along, across, along + s.cx, across + s.cy};
        rects.push_back(r);
        along = (vertical ? r.bottom : r.right) + kButtonGap;
    }
    return rects;
}

framework::Region DeskBarRegion(std::span<const RECT> buttons) {
    framework::Region shape(::CreateRectRgn(0, 0, 0, 0));
    for (const RECT& b : buttons) {
        framework::Region one(::CreateRoundRectRgn(b.left, b.top, b.right + 1, b.bottom + 1, kCorner, kCorner));
        ::CombineRgn(shape.get(), shape.get(), one.get(), RGN_OR);
    }
    return shape;
}

// The bar ---------------------------------------------------------------------------------
TfrmDeskBar::TfrmDeskBar() : Form("frmDeskBar") {}

TfrmDeskBar::~TfrmDeskBar() {
    DestroyHandle();
    if (frmDeskBar == this) frmDeskBar = nullptr;
}

void TfrmDeskBar::FormCreate() {
    DoubleBuffered = true;
    BuildMenu();
}

void TfrmDeskBar::BuildMenu() {
    namespace t = deskbar_texts;
    auto& position = PopupMenu1.Items.Add("miPosition", std::string(t::kSetPosition));
    position.Add("miTop", std::string(t::kTop), [this](framework::MenuItem&) { MoveToEdge(ABE_TOP); });
    position.Add("miLeft", std::string(t::kLeft), [this](framework::MenuItem&) { MoveToEdge(ABE_LEFT); });
    position.Add("miRight", std::string(t::kRight), [this](framework::MenuItem&) { MoveToEdge(ABE_RIGHT); });
    position.Add("miBottom", std::string(t::kBottom), [this](framework::MenuItem&) { MoveToEdge(ABE_BOTTOM); });
    PopupMenu1.Items.Add("miConfigure", std::string(t::kConfigure),
                         [](framework::MenuItem&) { engine::links::ShowSettingsDialog(); });
    PopupMenu1.Items.Add("miExit", std::string(t::kExit), [](framework::MenuItem&) {
        if (engine::frmPTessarel) engine::frmPTessarel->Close();
    });
}

bool TfrmDeskBar::FormCloseQuery() {
    // The system's close keystroke must not take the bar away.
    return ::GetKeyState(VK_F4) >= 0;
}

void TfrmDeskBar::FormDestroy() {
    RemoveAppBar();
    buttons_.clear();
}

void TfrmDeskBar::SetDeskBarVisible(bool visible) {
    if (visible) {
        DockDeskBar();
        SaveDeskBarEdge();
        return;
    }
    RemoveAppBar();
    Hide();
    buttons_.clear();
}

void TfrmDeskBar::RemoveAppBar() noexcept {
    if (!Registered()) return;
    ::SHAppBarMessage(ABM_REMOVE, &FAppBarData);
    FAppBarData.cbSize = 0;
}

void TfrmDeskBar::DockDeskBar() {
    Hide();
    FResizing = true;
    docking_ = true;
    struct Done {
        TfrmDeskBar& bar;
        ~Done() { bar.FResizing = bar.docking_ = false; }
    } done{*this};

    if (!Registered()) {
        FAppBarData = {};
        FAppBarData.cbSize = sizeof(FAppBarData);
        FAppBarData.hWnd = Handle();
        FAppBarData.uCallbackMessage = kDeskBarCallback;
        ::SHAppBarMessage(ABM_NEW, &FAppBarData);
    }
    FAppBarData.uEdge = FBarEdge;
    ComputeDeskBarRect();
    const RECT asked = FAppBarData.rc;
    ::SHAppBarMessage(ABM_SETPOS, &FAppBarData);
    // A shell that answers an empty or inverted place would make the bar vanish.
    if (!IsProperRect(FAppBarData.rc)) FAppBarData.rc = asked;
    framework::App().ProcessMessages();
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    const RECT& r = FAppBarData.rc;
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    ::SHAppBarMessage(ABM_ACTIVATE, &FAppBarData);
    framework::App().ProcessMessages();
    FResizing = false;

    buttons_.clear();
    BuildDeskButtons();
    HighlightCurrentDesk();
}

RECT TfrmDeskBar::WantedRect() const {
    const SIZE screen = ScreenSize();
    return DeskBarRect(FBarEdge, screen, FreeArea(screen, AskTaskbarPlace()));
}

void TfrmDeskBar::ComputeDeskBarRect() {
    FAppBarData.rc = WantedRect();
    const RECT& r = FAppBarData.rc;
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TfrmDeskBar::BuildDeskButtons() {
    for (size_t k = 0; k < FCaptions.size(); ++k) {
        const int desktop = static_cast<int>(k) + 1;
        auto button = std::make_unique<toolkit::TRotButton>(*this, "btnDesk" + std::to_string(desktop));
        button->SetAutoSize(true);
        button->SetCaption(FCaptions[k]);
        button->SetAngle(Vertical(FBarEdge) ? toolkit::TRotAngle::ra90 : toolkit::TRotAngle::ra0);
        button->SetFont(ButtonFont(false));
        button->SetFontFocus(ButtonFont(false));
        button->SetGradient(false);
        button->SetRounded(true);
        button->SetMargin(3);
        button->SetColor(kButtonColor);
        button->SetColorEdge(0);
        button->SetColorFocus(kButtonFocus);
        button->SetColorFocusEdge(kButtonFocus);
        const SIZE s = button->Extent();
        const std::string name = button->Name();
        const framework::ControlSpec spec{framework::Kind::Custom, name.c_str(), nullptr, 0, 0, s.cx, s.cy, nullptr,
                                          desktop};
        button->CreateWindowFor(Handle(), spec, kFirstButtonId + desktop);
        button->OnClick = [this, desktop] { DeskButtonClick(desktop); };
        buttons_.push_back(std::move(button));
    }
}

int TfrmDeskBar::ShownDesktop() const noexcept {
    // A click shows the requested desktop at once, before the switch is done.
    return engine::frmPTessarel ? engine::frmPTessarel->FRequestedDesktop : 1;
}

void TfrmDeskBar::HighlightCurrentDesk() {
    const int current = ShownDesktop();
    std::vector<SIZE> extents;
    for (auto& b : buttons_) {
        StyleDeskButton(*b, b->Tag, b->Tag == current);
        extents.push_back(b->Extent());
    }
    const auto rects = DeskButtonRects(FBarEdge, extents, current);
    for (size_t k = 0; k < buttons_.size(); ++k)
        buttons_[k]->SetBounds(rects[k].left, rects[k].top, rects[k].right - rects[k].left,
                               rects[k].bottom - rects[k].top);
    UpdateDeskBarRegion();
}

void TfrmDeskBar::StyleDeskButton(toolkit::TRotButton& button, int desktop, bool current) {
    if (desktop < 1 || desktop > 9) return;
    const size_t color = ColorIndex(desktop);
    button.SetColor(settings::DesktopColors[color]);
    button.SetColorFocus(settings::DesktopFocusColors[color]);
    button.SetFont(ButtonFont(current));
    button.SetFontFocus(ButtonFont(current));
}

void TfrmDeskBar::UpdateDeskBarRegion() {
    if (buttons_.empty() || !Handle()) return;
    std::vector<RECT> rects;
    for (auto& b : buttons_) rects.push_back(b->Bounds());
    framework::Region shape = DeskBarRegion(rects);
    // The window owns the region from here on.
    if (::SetWindowRgn(Handle(), shape.get(), TRUE)) shape.release();
}

void TfrmDeskBar::DeskButtonClick(int desktop) {
    if (engine::frmPTessarel) engine::frmPTessarel->RequestDesktop(desktop);
    HighlightCurrentDesk();
}

void TfrmDeskBar::PositionChanged() {
    // Another bar's move reaches every bar; a bar that docks again moves the
    // others in turn. Dock only when this bar's own place has changed, so two
    // bars never answer each other's notices for ever.
    if (docking_ || !Registered()) return;
    APPBARDATA probe = FAppBarData;
    probe.rc = WantedRect();
    const RECT computed = probe.rc;
    ::SHAppBarMessage(ABM_QUERYPOS, &probe);
    const RECT wanted = IsProperRect(probe.rc) ? probe.rc : computed;
    const RECT now = BoundsRect();
    if (!::EqualRect(&wanted, &now)) DockDeskBar();
}

void TfrmDeskBar::MoveToEdge(UINT edge) {
    FBarEdge = edge;
    DockDeskBar();
    SaveDeskBarEdge();
}

void TfrmDeskBar::SaveDeskBarEdge() {
    const int index = DeskBarIndex(FBarEdge);
    if (settings::frmVDConfig) settings::frmVDConfig->cbDeskBar.SetItemIndex(index);
    framework::Registry reg;
    if (reg.OpenKey(settings::kSettingsKey, true)) reg.WriteInteger(kDeskBarValue, index);
}

LRESULT TfrmDeskBar::Dispatch(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case kDeskBarCallback:
        if (w == ABN_POSCHANGED) PositionChanged();
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (!FResizing) reinterpret_cast<WINDOWPOS*>(l)->flags |= SWP_NOSIZE;
        return Form::Dispatch(m, w, l);
    case WM_CONTEXTMENU: {
        POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (at.x == -1 && at.y == -1) ::GetCursorPos(&at);
        PopupMenu1.Popup(at.x, at.y);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return Form::Dispatch(m, w, l);
    }
}

}  // namespace navigation
