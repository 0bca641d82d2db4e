#include "shell/icon_positions.h"
#include <commctrl.h>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include "framework/owned.h"

namespace shell {

namespace {

constexpr char kProgmanClass[] = "Progman";
constexpr char kProgmanTitle[] = "Program Manager";
constexpr char kDefViewClass[] = "SHELLDLL_DefView";
constexpr char kListViewClass[] = "SysListView32";
constexpr DWORD kShellAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION;

// The request and answer of one item read, laid out as this build's list
// view expects its structures (the text lands at the block's start).
struct TIconReadBlock {
    char Text[kIconTextCapacity + 1];
    POINT Position;
    LVITEMA Item;
};
static_assert(offsetof(TIconReadBlock, Text) == 0);
static_assert(offsetof(TIconReadBlock, Item) % alignof(LVITEMA) == 0);

// The request of one move: a search by text, the text behind it.
struct TIconMoveBlock {
    LVFINDINFOA Find;
    char Name[kIconTextCapacity + 1];
};
static_assert(offsetof(TIconMoveBlock, Find) == 0);

// A block of memory inside another process, freed when it goes.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process), address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    explicit operator bool() const noexcept { return address_ != nullptr; }
    uintptr_t Address(size_t offset = 0) const noexcept { return reinterpret_cast<uintptr_t>(address_) + offset; }
    template <typename T>
    bool Write(const T& local) const {
        SIZE_T n = 0;
        return ::WriteProcessMemory(process_, address_, &local, sizeof local, &n) && n == sizeof local;
    }
    template <typename T>
    bool Read(T& local) const {
        SIZE_T n = 0;
        return ::ReadProcessMemory(process_, address_, &local, sizeof local, &n) && n == sizeof local;
    }
private:
    HANDLE process_;
    void* address_;
};

bool IsWow64(HANDLE process, bool& wow) {
    BOOL flag = FALSE;
    if (!::IsWow64Process(process, &flag)) return false;
    wow = flag != FALSE;
    return true;
}

// The list view's process, opened for its memory; empty when it cannot be
// opened or runs with another bitness than this program.
framework::Process OpenListViewProcess(HWND listView) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(listView, &pid);
    if (pid == 0) return {};
    framework::Process process(::OpenProcess(kShellAccess, FALSE, pid));
    bool ownWow = false, shellWow = false;
    if (!process || !IsWow64(::GetCurrentProcess(), ownWow) || !IsWow64(process.get(), shellWow) || ownWow != shellWow)
        return {};
    return process;
}

// The list view's answer, or nothing when it did not answer in time.
std::optional<LRESULT> Send(HWND listView, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(listView, message, w, l, SMTO_ABORTIFHUNG | SMTO_BLOCK, kListViewTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

// Reads item i through the block; false when a step fails, nothing when the
// shell stopped answering.
std::optional<bool> ReadItem(HWND listView, const RemoteBlock& block, TIconReadBlock& local, int i, TIconItem& out) {
    local.Item.mask = LVIF_TEXT | LVIF_STATE;
    local.Item.iItem = i;
    local.Item.iSubItem = 0;
    // Every state bit, so the state word says what the shell shows.
    local.Item.stateMask = ~0u;
    local.Item.pszText = reinterpret_cast<LPSTR>(block.Address(offsetof(TIconReadBlock, Text)));
    local.Item.cchTextMax = static_cast<int>(kIconTextCapacity);
    if (!block.Write(local)) return false;
    auto position = Send(listView, LVM_GETITEMPOSITION, static_cast<WPARAM>(i),
                         static_cast<LPARAM>(block.Address(offsetof(TIconReadBlock, Position))));
    if (!position) return std::nullopt;
    if (*position == 0) return false;
    auto item = Send(listView, LVM_GETITEMA, 0, static_cast<LPARAM>(block.Address(offsetof(TIconReadBlock, Item))));
    if (!item) return std::nullopt;
    if (*item == 0 || !block.Read(local)) return false;
    local.Text[kIconTextCapacity] = '\0';
    out.Text = local.Text;
    out.X = local.Position.x;
    out.Y = local.Position.y;
    out.State = local.Item.state;
    return true;
}

}  // namespace

HWND FindDesktopListView() {
    HWND progman = ::FindWindowA(kProgmanClass, kProgmanTitle);
    HWND view = progman ? ::FindWindowExA(progman, nullptr, kDefViewClass, nullptr) : nullptr;
    return view ? ::FindWindowExA(view, nullptr, kListViewClass, nullptr) : nullptr;
}

std::vector<TIconItem> ReadDesktopListItems() { return ReadListViewItems(FindDesktopListView()); }

std::vector<TIconItem> ReadListViewItems(HWND listView) {
    if (!listView) return {};
    framework::Process process = OpenListViewProcess(listView);
    if (!process) return {};
    RemoteBlock block(process.get(), sizeof(TIconReadBlock));
    if (!block) return {};
    auto count = Send(listView, LVM_GETITEMCOUNT, 0, 0);
    if (!count || *count <= 0) return {};
    std::vector<TIconItem> items(static_cast<size_t>(*count));
    TIconReadBlock local{};
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        TIconItem entry;
        auto read = ReadItem(listView, block, local, i, entry);
        // A shell that stopped answering would make each further item wait too.
        if (!read) break;
        if (*read) items[static_cast<size_t>(i)] = std::move(entry);
    }
    return items;
}

const TIconItem* FindIconItem(const std::vector<TIconItem>& items, std::string_view name) noexcept {
    for (const auto& item : items)
        if (item.Text == name) return &item;
    return nullptr;
}

LPARAM PackIconPosition(int x, int y) noexcept {
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}

TIconMove MoveDesktopListItem(std::string_view name, int x, int y) {
    HWND listView = FindDesktopListView();
    if (!listView) return TIconMove::NoAccess;
    framework::Process process = OpenListViewProcess(listView);
    if (!process) return TIconMove::NoAccess;
    RemoteBlock block(process.get(), sizeof(TIconMoveBlock));
    if (!block) return TIconMove::NoAccess;
    TIconMoveBlock local{};
    std::memcpy(local.Name, name.data(), std::min(name.size(), kIconTextCapacity));
    local.Find.flags = LVFI_STRING;
    local.Find.psz = reinterpret_cast<LPCSTR>(block.Address(offsetof(TIconMoveBlock, Name)));
    if (!block.Write(local)) return TIconMove::NoAccess;
    auto index = Send(listView, LVM_FINDITEMA, static_cast<WPARAM>(-1), static_cast<LPARAM>(block.Address()));
    if (!index) return TIconMove::TimedOut;
    if (static_cast<int>(*index) < 0) return TIconMove::NotFound;
    auto moved = Send(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(*index), PackIconPosition(x, y));
    if (!moved) return TIconMove::TimedOut;
    return *moved ? TIconMove::Moved : TIconMove::Failed;
}

}  // namespace shell
