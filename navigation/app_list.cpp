#include "navigation/app_list.h"
#include <algorithm>
#include <numeric>
#include <unordered_map>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "engine/subsystem_links.h"

namespace navigation {
namespace {

// The tiles ask the form for their actions through its queue.
constexpr UINT kTileActionMessage = WM_APP + 1;   // wParam: the window, lParam: the action
constexpr UINT kRefreshMessage = WM_APP + 2;
constexpr int kFirstTileId = 1000;
constexpr COLORREF kFrameColor = 0x808080;

// The number box and the title as the list's tiles place them.
constexpr RECT kBadgeBox{35, 3, 35 + 26, 3 + 27};
constexpr RECT kTitleBox{65, 11, 65 + 230, app_list::kTileHeight};

constexpr DWORD kLowByte = 0xFF;
constexpr DWORD kFirstExcludedExStyle = 0x40;   // WS_EX_MDICHILD; WS_EX_TOOLWINDOW lies above

std::string WindowTitle(HWND w) {
    char buf[app_list::kTitleChars + 1] = {};
    ::GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

}  // namespace

// Rules ---------------------------------------------------------------------------------

namespace app_list {

bool TileFilter(const TTileWindow& w, int listDesktop) noexcept {
    if (!w.hasRecord || w.desktop != listDesktop || !w.visibleFlag) return false;
    if ((w.exStyle & kLowByte) >= kFirstExcludedExStyle) return false;
    return (w.style & WS_MINIMIZEBOX) && !(w.style & WS_CHILD) && !w.unmanaged;
}

std::vector<size_t> TileOrder(std::span<const TTileKey> keys) {
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const TTileKey& x = keys[a];
        const TTileKey& y = keys[b];
        if (x.desktop != y.desktop) return x.desktop < y.desktop;
        if (x.processRank != y.processRank) return x.processRank < y.processRank;
        return x.zRank < y.zRank;
    });
    return order;
}

SIZE ListSize(int tiles) noexcept {
    const int rows = (tiles + 1) / 2;
    return {(tiles == 1 ? kTileWidth : 2 * kTileWidth) + 2 * kFrame, rows * kTileHeight + 2 * kFrame};
}

RECT TileBounds(int n) noexcept {
    const int left = kFrame + ((n - 1) % 2) * kTileWidth;
    const int top = kFrame + ((n - 1) / 2) * kTileHeight;
    return {left, top, left + kTileWidth, top + kTileHeight};
}

std::string TileNumber(bool sticky, int desktop) {
    return sticky ? std::string(app_list_texts::kStickyNumber) : std::to_string(desktop);
}

std::string TileTitle(std::string_view title) { return std::string(title.substr(0, kTitleChars)); }

bool CursorInside(const RECT& r) {
    POINT p{};
    ::GetCursorPos(&p);
    // The border lines count as inside.
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

bool HideNow(bool cursorInside, DWORD msSinceInside, bool ownMenuOpen) noexcept {
    return !cursorInside && msSinceInside > kHideAfterMs && !ownMenuOpen;
}

}  // namespace app_list

// The form ------------------------------------------------------------------------------

TfrmAppList::TfrmAppList() : Form("frmAppList") { DoubleBuffered = true; }

TfrmAppList::~TfrmAppList() { FreeTiles(); }

void TfrmAppList::CreateControls() {
    SetColor(kTileColor);
    OnMessage(kTileActionMessage, [this](WPARAM w, LPARAM l) -> LRESULT {
        RunTileAction(reinterpret_cast<HWND>(w), static_cast<TileAction>(l));
        return 0;
    });
    OnMessage(kRefreshMessage, [this](WPARAM, LPARAM) -> LRESULT {
        refreshPosted_ = false;
        if (!Visible()) return 0;
        FreeTiles();
        FillTiles();
        if (tiles_.empty())
            HideAppList();
        else
            LayoutForm(false);
        return 0;
    });
}

void TfrmAppList::Paint(HDC dc, const RECT& client) {
    framework::Brush frame(::CreateSolidBrush(kFrameColor));
    ::FrameRect(dc, &client, frame.get());
}

void TfrmAppList::ToggleAppList() {
    if (Visible()) {
        HideAppList();
        return;
    }
    FreeTiles();
    FillTiles();
    if (engine::frmPTessarel) engine::frmPTessarel->HidePreview();
    if (tiles_.empty()) {
        HideAppList();
        return;
    }
    FLastInside = ::GetTickCount();
    LayoutForm(true);
    formerFront_ = ::GetForegroundWindow();
    ::ShowWindow(Handle(), SW_SHOW);
    BringToFront();
    ::SetForegroundWindow(Handle());
}

void TfrmAppList::HideAppList() {
    const bool shown = Handle() && ::IsWindowVisible(Handle());
    Hide();
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
    // The list took the foreground when it opened.
    if (shown) engine::ReturnKeyboardFocus(formerFront_);
}

void TfrmAppList::RefreshAppList() {
    // The engine asks before it changes a window's desktop: the tiles are
    // built once the change is done, and never inside a tile's own message.
    if (!Visible() || refreshPosted_) return;
    refreshPosted_ = ::PostMessageA(Handle(), kRefreshMessage, 0, 0) != FALSE;
}

void TfrmAppList::LayoutForm(bool atCursor) {
    const SIZE size = app_list::ListSize(static_cast<int>(tiles_.size()));
    const SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    POINT at{Left(), Top()};
    if (atCursor) {
        ::GetCursorPos(&at);
        at = engine::preview::MousePlacement(false, at, screen, size);
    } else {
        // Built anew while open: it stays where it is, on the screen.
        at.x = std::min(std::max(at.x, 0L), screen.cx - size.cx);
        at.y = std::min(std::max(at.y, 0L), screen.cy - size.cy);
    }
    SetBounds(at.x, at.y, size.cx, size.cy);
    Invalidate();
}

// Tiles -----------------------------------------------------------------------------------

void TfrmAppList::FreeTiles() noexcept { tiles_.clear(); }

void TfrmAppList::FillTiles() {
    auto* main = engine::frmPTessarel;
    if (!main) return;
    const int count = main->DesktopCount();

    std::unordered_map<DWORD, int> processRank;
    engine::ForEachProcess([&](const PROCESSENTRY32& p) {
        if (p.th32ProcessID != 0) processRank.emplace(p.th32ProcessID, static_cast<int>(processRank.size()));
    });

    struct Found {
        HWND w;
        DWORD pid;
        int desktop;
    };
    std::vector<Found> found;
    std::vector<app_list::TTileKey> keys;
    int zRank = 0;
    // One walk of the windows in Z order; the order of the desktops and the
    // processes comes from sorting, not from walking them all for each.
    engine::ForEachTopWindow([&](HWND w) {
        const int z = zRank++;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        const auto rank = processRank.find(pid);
        if (rank == processRank.end()) return;
        const int idx = main->FindWindowRecord(w);
        if (idx < 0) return;
        const engine::TWindowRecord& r = main->FWindowTable[static_cast<size_t>(idx)];
        app_list::TTileWindow tw{true, r.Desktop, r.Visible != 0};
        if (tw.desktop < 1 || tw.desktop > count || !tw.visibleFlag) return;
        tw.style = static_cast<DWORD>(::GetWindowLongA(w, GWL_STYLE));
        tw.exStyle = static_cast<DWORD>(::GetWindowLongA(w, GWL_EXSTYLE));
        tw.unmanaged = main->IsUnmanagedWindow(w, idx);
        if (!app_list::TileFilter(tw, tw.desktop)) return;
        found.push_back({w, pid, tw.desktop});
        keys.push_back({tw.desktop, rank->second, z});
    });

    // One icon per executable, shared by its tiles and released with the last.
    std::unordered_map<DWORD, std::shared_ptr<const framework::Icon>> icons;
    for (size_t i : app_list::TileOrder(keys)) {
        const Found& f = found[i];
        const bool sticky = main->IsSticky(f.w);
        const bool locked = !sticky && main->IsLockedDesktop(f.desktop);
        std::shared_ptr<const framework::Icon> icon;
        if (!locked) {
            auto [it, added] = icons.try_emplace(f.pid);
            if (added)
                it->second = std::make_shared<framework::Icon>(engine::ExecutableIcon(engine::ProcessExePath(f.pid)));
            icon = it->second;
        }
        AddTile(f.w, f.desktop, sticky, locked, std::move(icon));
    }
}

void TfrmAppList::AddTile(HWND w, int desktop, bool sticky, bool locked, std::shared_ptr<const framework::Icon> icon) {
    const size_t index = tiles_.size();
    const int n = static_cast<int>(index) + 1;
    auto panel = std::make_unique<TTilePanel>(*this, "tile" + std::to_string(n));
    panel->BadgeLook.box = kBadgeBox;
    panel->TextLook.box = kTitleBox;
    panel->SetBadge(app_list::TileNumber(sticky, desktop));
    if (locked) {
        // What the preview shows of a locked private desktop: its padlock.
        panel->SetText(app_list_texts::kLockedTitle);
        const framework::Image& padlock = engine::frmPTessarel->LockedPicture();
        panel->SetPicture(padlock.Canvas(), padlock.PictureSize());
    } else {
        panel->SetText(app_list::TileTitle(WindowTitle(w)));
        panel->SetIcon(std::move(icon));
    }
    panel->CreateAt(Handle(), app_list::TileBounds(n), kFirstTileId + n);
    const TileAction click = sticky ? TileAction::StickyClick : TileAction::Click;
    panel->OnHover = [this, index] { TileHover(index); };
    panel->OnClick = [this, w, click] { PostTileAction(w, click); };
    panel->OnRightClick = [this, w, index] {
        TileHover(index);
        PostTileAction(w, TileAction::Menu);
    };
    tiles_.push_back({w, sticky ? 0 : desktop, locked, std::move(panel)});
}

void TfrmAppList::TileHover(size_t index) {
    if (index >= tiles_.size() || tiles_[index].panel->Color() == kTileHoverColor) return;
    for (auto& t : tiles_) t.panel->SetColor(kTileColor);
    tiles_[index].panel->SetColor(kTileHoverColor);
    SelectTileWindow(tiles_[index].window);
}

// The window menu acts on the hovered tile's window. A locked tile's window
// is not named there: the menu's first item would show its title.
void TfrmAppList::SelectTileWindow(HWND w) {
    auto* main = engine::frmPTessarel;
    const auto tile = std::find_if(tiles_.begin(), tiles_.end(), [w](const TTile& t) { return t.window == w; });
    if (!main || tile == tiles_.end()) return;
    main->FSelectedWindow = tile->locked ? nullptr : w;
    main->FPressedDesktop = tile->desktop;
}

void TfrmAppList::PostTileAction(HWND w, TileAction action) {
    ::PostMessageA(Handle(), kTileActionMessage, reinterpret_cast<WPARAM>(w), static_cast<LPARAM>(action));
}

void TfrmAppList::RunTileAction(HWND w, TileAction action) {
    auto* main = engine::frmPTessarel;
    if (!main) return;
    switch (action) {
    case TileAction::Click: TileClick(w); break;
    case TileAction::StickyClick: main->StickyAppWindowItemClick(w); break;
    case TileAction::Menu: TilePopupMenu(w); break;
    }
}

void TfrmAppList::TileClick(HWND w) {
    auto* main = engine::frmPTessarel;
    if (!main) return;
    const int idx = main->FindWindowRecord(w);
    const int desktop = idx < 0 ? 0 : main->FWindowTable[static_cast<size_t>(idx)].Desktop;
    if (main->IsLockedDesktop(desktop)) {
        HideAppList();
        if (!engine::links::AskLockPassword(app_list_texts::kShowPrivatePassword)) return;
        // Given here, the password is not asked again when the switch arrives.
        main->UnlockOnArrival(desktop);
        main->AppWindowItemClick(w);
        if (main->FRequestedDesktop != desktop) main->UnlockOnArrival(0);
        return;
    }
    main->AppWindowItemClick(w);
}

void TfrmAppList::TilePopupMenu(HWND w) {
    auto* main = engine::frmPTessarel;
    if (!main || !Visible()) return;
    SelectTileWindow(w);
    menuOpen_ = true;
    struct Closed {
        TfrmAppList& form;
        ~Closed() {
            form.menuOpen_ = false;
            // The two seconds start again once the menu has gone.
            form.FLastInside = ::GetTickCount();
        }
    } closed{*this};
    POINT p{};
    ::GetCursorPos(&p);
    // Opened from our own window in front, the menu closes on a click elsewhere.
    ::SetForegroundWindow(main->PopupMenu2.Window());
    main->PopupMenu2.Popup(p.x, p.y);
}

// Hiding -----------------------------------------------------------------------------------

bool TfrmAppList::OwnMenuOpen() const {
    if (menuOpen_) return true;
    const auto* main = engine::frmPTessarel;
    return main && main->FOwnPopupWindow && ::IsWindowVisible(main->FOwnPopupWindow);
}

void TfrmAppList::Timer1Timer() {
    if (!Visible()) return;
    const DWORD now = ::GetTickCount();
    const bool inside = app_list::CursorInside(BoundsRect());
    if (inside) FLastInside = now;
    if (app_list::HideNow(inside, now - FLastInside, OwnMenuOpen())) HideAppList();
}

}  // namespace navigation
