#pragma once
// The shell draws the desktop icons in a list view of its own process. The
// items' texts and positions are read, and an item moved, by working inside
// that process: a block of its memory carries each request and its answer.
// Every message to the list view goes with a time-out, so a hung shell
// cannot hang the program, and the work is refused when the program and the
// shell differ in bitness (the list view's structures would not match).
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// How long one list-view message may wait for the shell.
constexpr UINT kListViewTimeoutMs = 2000;
// An item's text is read and searched as at most this many characters.
constexpr size_t kIconTextCapacity = 260;

// One item of the desktop list view, in list-view order.
struct TIconItem {
    std::string Text;
    int32_t X = 0;
    int32_t Y = 0;
    uint32_t State = 0;
};

// "Progman" "Program Manager" > "SHELLDLL_DefView" > "SysListView32", or 0.
HWND FindDesktopListView();

// Every item of the desktop list view; an item that cannot be read stays an
// empty entry. Empty when there is no list view, no access to its process
// (or it differs in bitness), no memory there, or the shell stops answering.
std::vector<TIconItem> ReadDesktopListItems();
// The same for any list view of another process (a list view of this
// process is read the same way).
std::vector<TIconItem> ReadListViewItems(HWND listView);

// The first item whose text equals the name exactly (case-sensitive), or null.
const TIconItem* FindIconItem(const std::vector<TIconItem>& items, std::string_view name) noexcept;

enum class TIconMove {
    Moved,
    NoAccess,    // no list view, no access to its process, no memory there
    NotFound,    // no item of that name (case-blind)
    Failed,      // the list view refused the position
    TimedOut,    // the shell did not answer in time
};
// Moves the first item whose text equals the name without regard to case.
TIconMove MoveDesktopListItem(std::string_view name, int x, int y);

// The position as LVM_SETITEMPOSITION takes it: x in the low 16 bits, y in the high 16.
LPARAM PackIconPosition(int x, int y) noexcept;

}  // namespace shell
