#pragma once
// TfrmAppList: the application list, a pop-up grid of tiles, one per
// application window of any desktop, opened at the mouse cursor. A click on
// a tile switches to the window's desktop and brings the window forward; a
// right click opens the preview's window menu for it. It opens and closes as
// a toggle (hotkey, gesture, double tap) and hides itself 2 seconds after the
// mouse has left it.
//
// A window of a locked private desktop (a private desktop other than the
// current one, the rule of the preview's padlock) keeps its tile, but the
// tile shows the padlock and no title, and a click on it asks for the lock
// password before anything of that desktop is shown.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "framework/form.h"
#include "framework/timer.h"
#include "navigation/tile_panel.h"

namespace navigation {

namespace app_list_texts {
inline constexpr std::string_view kStickyNumber = "-";
// In place of the title of a window on a locked private desktop.
inline constexpr std::string_view kLockedTitle = "(private desktop)";
inline constexpr std::string_view kShowPrivatePassword =
    "You attempt to show a window of a private desktop. You must enter your desktop lock password to proceed!";
}  // namespace app_list_texts

// The list's geometry and rules, as plain arithmetic ---------------------------------
namespace app_list {

inline constexpr int kTileWidth = 300;
inline constexpr int kTileHeight = 34;
inline constexpr int kFrame = 1;             // the frame around the tiles
inline constexpr int kTitleChars = 199;
inline constexpr UINT kTimerMs = 100;
inline constexpr DWORD kHideAfterMs = 2000;  // after the mouse has left

// What the tile filter looks at of one window.
struct TTileWindow {
    bool hasRecord = false;    // the window table holds it
    int desktop = 0;           // the record's desktop
    bool visibleFlag = false;  // the record's visible flag
    DWORD style = 0;
    DWORD exStyle = 0;
    bool unmanaged = false;
};

// A tile for the window among the windows of this desktop: recorded on it
// with its visible flag set, the low byte of its extended style below $40
// (no tool window, no MDI child), a minimise box, no child, managed.
bool TileFilter(const TTileWindow& w, int listDesktop) noexcept;

// The tiles' order: by desktop, within a desktop by the process snapshot's
// order, within a process in Z order from the top.
struct TTileKey {
    int desktop;
    int processRank;   // the process's place in the snapshot
    int zRank;         // the window's place from the top of the Z order
};
std::vector<size_t> TileOrder(std::span<const TTileKey> keys);

// The list's client size for n tiles (two columns unless one tile), and the
// bounds of tile n (from 1), filled row by row.
SIZE ListSize(int tiles) noexcept;
RECT TileBounds(int n) noexcept;

// The number box's text: the desktop, or "-" for a sticky window.
std::string TileNumber(bool sticky, int desktop);
std::string TileTitle(std::string_view title);

// The timers of the list and of the send-current window: whether the cursor
// lies in a window's rectangle (its border lines count as inside), and
// whether to hide it: once the mouse has been outside for more than 2
// seconds, unless the program's own pop-up menu is open.
bool CursorInside(const RECT& windowBounds);
bool HideNow(bool cursorInside, DWORD msSinceInside, bool ownMenuOpen) noexcept;

}  // namespace app_list

class TfrmAppList final : public framework::Form {
public:
    TfrmAppList();
    ~TfrmAppList() override;

    // Open the list when it is hidden, else hide it.
    void ToggleAppList();
    void HideAppList();
    // The windows or their desktops changed: an open list builds its tiles
    // anew once the change is done (from the message loop).
    void RefreshAppList();

    // The time the mouse was last seen inside the form.
    DWORD FLastInside = 0;

    size_t TileCount() const noexcept { return tiles_.size(); }
    const TTilePanel& Tile(size_t i) const { return *tiles_.at(i).panel; }
    HWND TileWindow(size_t i) const { return tiles_.at(i).window; }

    // What a tile does, as its click and right click ask for them. They run
    // from the message loop, never inside a tile: the password prompt, the
    // wait for the desktop icons and the menu run nested loops, in which the
    // tiles may be built anew.
    void TileClick(HWND w);          // AppWindowItemClick, behind the padlock's password
    void TilePopupMenu(HWND w);      // the main form's window menu for the tile's window

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;
    void Paint(HDC dc, const RECT& client) override;

private:
    struct TTile {
        HWND window;
        int desktop;   // 0 for a sticky window
        bool locked;
        std::unique_ptr<TTilePanel> panel;
    };
    enum class TileAction : LPARAM { Click = 1, StickyClick, Menu };

    void FreeTiles() noexcept;
    void FillTiles();
    void AddTile(HWND w, int desktop, bool sticky, bool locked,
                 std::shared_ptr<const framework::Icon> icon);
    void LayoutForm(bool atCursor);
    void TileHover(size_t index);
    void SelectTileWindow(HWND w);
    void PostTileAction(HWND w, TileAction action);
    void RunTileAction(HWND w, TileAction action);
    void Timer1Timer();
    bool OwnMenuOpen() const;

    std::vector<TTile> tiles_;
    HWND formerFront_ = nullptr;   // in front when the list opened
    bool menuOpen_ = false;
    bool refreshPosted_ = false;
    framework::Timer Timer1{app_list::kTimerMs, [this] { Timer1Timer(); }};
};

inline TfrmAppList* frmAppList = nullptr;

}  // namespace navigation
