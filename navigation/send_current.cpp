#include "navigation/send_current.h"
#include <algorithm>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "navigation/app_list.h"
#include "settings/vd_config.h"
#include "shell/help.h"

namespace navigation {
namespace {

constexpr int kClientWidth = 330, kClientHeight = 226;
constexpr int kSideWidth = 20;
constexpr COLORREF kSideColor = 0xC48B31;
constexpr COLORREF kStickyColor = 0x0000C0;
constexpr int kIconSize = 32;
constexpr RECT kIconBounds{28, 8, 28 + kIconSize, 8 + kIconSize};

constexpr TTileFont kDesktopFont{"Tahoma", 14, true, 0x404040};
constexpr TTileFont kCommandFont{"Tahoma", 8, true, 0x404040};

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Custom, "SpeedButton1", nullptr, 3, 3, 15, 15, send_current_texts::kClose.data(), 0},
    {framework::Kind::Label, "lbApp", nullptr, 68, 8, 254, 32, "", 0},
    {framework::Kind::Label, "lbSticky", nullptr, 28, 46, 294, 16, send_current_texts::kSticky.data(), 0},
    {framework::Kind::Custom, "Panel5", nullptr, 28, 68, 94, 36, "1", 1},
    {framework::Kind::Custom, "Panel6", nullptr, 128, 68, 94, 36, "2", 2},
    {framework::Kind::Custom, "Panel7", nullptr, 228, 68, 94, 36, "3", 3},
    {framework::Kind::Custom, "Panel8", nullptr, 28, 108, 94, 36, "4", 4},
    {framework::Kind::Custom, "Panel9", nullptr, 128, 108, 94, 36, "5", 5},
    {framework::Kind::Custom, "Panel10", nullptr, 228, 108, 94, 36, "6", 6},
    {framework::Kind::Custom, "Panel11", nullptr, 28, 148, 94, 36, "7", 7},
    {framework::Kind::Custom, "Panel12", nullptr, 128, 148, 94, 36, "8", 8},
    {framework::Kind::Custom, "Panel13", nullptr, 228, 148, 94, 36, "9", 9},
    {framework::Kind::Custom, "Panel14", nullptr, 28, 190, 194, 28, send_current_texts::kCancel.data(), 10},
    {framework::Kind::Custom, "Panel15", nullptr, 228, 190, 94, 28, send_current_texts::kHelp.data(), 11},
};

// The program's own executable, as GetWindowExeName gives a window's.
std::string OwnExePath() {
    char path[MAX_PATH * 2] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return engine::UpperCaseAscii(engine::ShortToLongPath(std::string_view(path, n)));
}

}  // namespace

// Rules ---------------------------------------------------------------------------------

namespace send_current {

bool TileVisible(int tag, int desktopCount, bool sticky) noexcept {
    return tag > 9 || (tag >= 1 && tag <= desktopCount && !sticky);
}

int SourceDesktop(int recordDesktop, int currentDesktop) noexcept {
    return recordDesktop >= 1 && recordDesktop <= 9 ? recordDesktop : currentDesktop;
}

}  // namespace send_current

// The form ------------------------------------------------------------------------------

HBRUSH TSolidLabel::OnColor(HDC dc) {
    const COLORREF back = Owner().Color();
    if (!brush_ || brushColor_ != back) {
        brush_.reset(::CreateSolidBrush(back));
        brushColor_ = back;
    }
    if (FontColor != CLR_INVALID) ::SetTextColor(dc, FontColor);
    ::SetBkColor(dc, back);
    ::SetBkMode(dc, OPAQUE);
    return brush_.get();
}

TfrmSendCurrent::TfrmSendCurrent() : Form("frmSendCurrent") {
    DoubleBuffered = true;
    KeyPreview = true;
}

TfrmSendCurrent::~TfrmSendCurrent() = default;

std::array<TTilePanel*, 11> TfrmSendCurrent::Tiles() noexcept {
    return {&Panel5, &Panel6, &Panel7, &Panel8, &Panel9, &Panel10, &Panel11, &Panel12, &Panel13, &Panel14, &Panel15};
}

void TfrmSendCurrent::CreateControls() {
    SetCaption(send_current_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);

    // A path too long for its line loses its middle, not its file name.
    ::SetWindowLongA(lbApp.Handle(), GWL_STYLE, ::GetWindowLongA(lbApp.Handle(), GWL_STYLE) | SS_PATHELLIPSIS);
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectA(&lf));
    ::SendMessageA(lbSticky.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    lbSticky.FontColor = kStickyColor;
    lbSticky.SetVisible(false);

    imgApp.SetBounds(kIconBounds.left, kIconBounds.top, kIconSize, kIconSize);
    imgApp.SetPictureSize(kIconSize, kIconSize);

    for (TTilePanel* tile : Tiles()) {
        tile->SetText(tile->Caption());
        tile->TextLook.font = tile->Tag <= 9 ? kDesktopFont : kCommandFont;
        tile->OnHover = [this, tile] { RefreshTiles(tile); };
        const int tag = tile->Tag;
        if (tag <= 9)
            tile->OnClick = [this, tag] { DesktopTileClick(tag); };
    }
    Panel14.OnClick = [this] { Panel14Click(); };
    Panel15.OnClick = [this] { Panel15Click(); };
    SpeedButton1.SetText(SpeedButton1.Caption());
    SpeedButton1.TextLook.font = kCommandFont;
    SpeedButton1.OnClick = [this] { Panel14Click(); };

    OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
        if (key == VK_F1) Panel15Click();
        return 0;
    });
}

void TfrmSendCurrent::Paint(HDC dc, const RECT& client) {
    const RECT side{0, 0, kSideWidth, client.bottom};
    const COLORREF old = ::SetBkColor(dc, kSideColor);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &side, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
    imgApp.PaintTo(dc);
}

void TfrmSendCurrent::ShowSendCurrent(HWND w) {
    auto* main = engine::frmPTessarel;
    if (!main || !w || !::IsWindow(w)) return;
    if (settings::frmVDConfig && settings::frmVDConfig->Visible()) settings::frmVDConfig->Close();
    main->HidePreview();
    if (frmAppList) frmAppList->HideAppList();

    const SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const POINT at = engine::preview::MousePlacement(false, cursor, screen, {Width(), Height()});
    SetPosition(at.x, at.y);

    FWindow = w;
    const std::string exe = main->GetWindowExeName(w);
    lbApp.SetCaption(exe);
    FIsSticky = !exe.empty() && main->FStickyList && main->FStickyList->IndexOf(exe) >= 0;
    lbSticky.SetVisible(FIsSticky);
    // Nothing is offered for the program's own windows, nor for the shell's
    // desktop or taskbar in front: they are no application to send.
    if (exe == OwnExePath() || main->IsUnmanagedWindow(w, main->FindWindowRecord(w))) return;

    FLastInside = ::GetTickCount();
    ShowApplicationIcon(exe);
    // The tiles are set before the window shows: it never flashes the tiles
    // of the last application or of a larger grid.
    RefreshTiles(nullptr);
    ::ShowWindow(Handle(), SW_SHOW);
}

void TfrmSendCurrent::ShowApplicationIcon(const std::string& exePath) {
    HDC dc = imgApp.Canvas();
    const RECT all{0, 0, kIconSize, kIconSize};
    const COLORREF old = ::SetBkColor(dc, Color());
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
    if (framework::Icon icon = engine::ExecutableIcon(exePath))
        ::DrawIconEx(dc, 0, 0, icon.get(), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    Invalidate();
}

void TfrmSendCurrent::HideSendCurrent() {
    Hide();
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void TfrmSendCurrent::RefreshTiles(const TTilePanel* hovered) {
    const int count = engine::frmPTessarel ? engine::frmPTessarel->DesktopCount() : 0;
    for (TTilePanel* tile : Tiles()) {
        tile->SetColor(tile == hovered ? kTileHoverColor : kTileColor);
        tile->SetVisible(send_current::TileVisible(tile->Tag, count, FIsSticky));
    }
}

void TfrmSendCurrent::DesktopTileClick(int desktop) {
    HideSendCurrent();
    auto* main = engine::frmPTessarel;
    if (!main || !FWindow) return;
    const int idx = main->FindWindowRecord(FWindow);
    const int recorded = idx < 0 ? 0 : main->FWindowTable[static_cast<size_t>(idx)].Desktop;
    main->FSelectedWindow = FWindow;
    main->FTargetDesktop = desktop;
    // The desktop the application leaves: a private one asks for the password.
    main->FPressedDesktop = send_current::SourceDesktop(recorded, main->FCurrentDesktop);
    main->miA1Click();
}

void TfrmSendCurrent::Panel14Click() { HideSendCurrent(); }

void TfrmSendCurrent::Panel15Click() {
    HideSendCurrent();
    shell::ShowHelpTopic(shell::help_texts::kTopicSendAppTo);
}

void TfrmSendCurrent::Timer1Timer() {
    if (!Visible()) return;
    const DWORD now = ::GetTickCount();
    const bool inside = app_list::CursorInside(BoundsRect());
    if (inside) FLastInside = now;
    if (app_list::HideNow(inside, now - FLastInside, false)) HideSendCurrent();
}

}  // namespace navigation
