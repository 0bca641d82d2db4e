#include "shell/icon_swapper.h"
#include <shlobj.h>
#include <memory>
#include "engine/gtools.h"
#include "framework/guard.h"
#include "framework/string_list.h"
#include "shell/icon_positions.h"
#include "shell/shell_obj.h"
#include "shell/string_routines.h"

namespace shell {

const TSetKind kIconSetKind{"desktop icons", "desktop folder", "VirtIcon.cfg", "VirtIcon.move", "IconSwapper\\"};

namespace {

constexpr int kPositionWidth = 4;
constexpr std::string_view kLineEnd = "\r\n";
// A positions file larger than this is no arrangement of this program.
constexpr size_t kMaxIconPosBytes = 4 * 1024 * 1024;

TSetModule<TIconSwapper>& Module() {
    static TSetModule<TIconSwapper> module;
    return module;
}

std::wstring DesktopFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

// The file format ------------------------------------------------------------------------
std::string IconPosFileName(int n) { return "iconpos" + std::to_string(n) + ".cfg"; }

std::string IconPosLine(std::string_view name, int32_t x, int32_t y) {
    return std::string(name) + " " + IntToDecMin(x, kPositionWidth, '0') + "/" + IntToDecMin(y, kPositionWidth, '0') +
           std::string(kLineEnd);
}

std::vector<TIconPos> ParseIconPositions(std::string_view text) {
    std::vector<TIconPos> positions;
    for (size_t end = text.find(kLineEnd); end != std::string_view::npos; end = text.find(kLineEnd)) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + kLineEnd.size());
        const size_t slash = line.rfind('/');
        if (slash == std::string_view::npos) continue;
        const size_t blank = line.rfind(' ', slash);
        if (blank == std::string_view::npos) continue;
        const std::string_view x = line.substr(blank + 1, slash - blank - 1), y = line.substr(slash + 1);
        positions.push_back({std::string(line.substr(0, blank)), TextToInt(false, x.data(), static_cast<int>(x.size())),
                             TextToInt(false, y.data(), static_cast<int>(y.size()))});
    }
    return positions;
}

bool HasPositionedIcons() {
    IShellObj desktop = GetDesktopShellObj();
    if (!desktop->IsValid()) return false;
    for (int32_t i = 0; i < desktop->GetItemCount(); ++i)
        if (desktop->GetItem(i)->GetIconPosition().x != -1) return true;
    return false;
}

bool DesktopIconsReadable() { return !ReadDesktopListItems().empty(); }

// The swapper -----------------------------------------------------------------------------
TIconSwapper::TIconSwapper(std::wstring root, std::wstring dataFolder, SwapLog log,
                           std::function<void()> onRestoreTimer, std::function<HWND()> mainWindow)
    : TSetSwapper(kIconSetKind, std::move(root), std::move(dataFolder), std::move(log)),
      mainWindow_(std::move(mainWindow)),
      restoreTimer_(kIconRestoreIntervalMs, std::move(onRestoreTimer), false) {}

void TIconSwapper::Start() {
    TSetSwapper::Start();
    // Not restored yet: the first tick at which the shell shows a positioned
    // icon restores desktop 1's arrangement.
    if (Active()) restoreTimer_.SetEnabled(true);
}

void TIconSwapper::RestoreCurrentSet() {
    restored_ = true;
    RestoreIconPositions(Desk());
}

void TIconSwapper::BeforeSetChange() {
    if (HWND listView = FindDesktopListView()) {
        // The list view must not hold an icon in rename or drag while its files go.
        DWORD_PTR ignored = 0;
        HWND main = mainWindow_ ? mainWindow_() : nullptr;
        ::SendMessageTimeoutA(listView, WM_KILLFOCUS, reinterpret_cast<WPARAM>(main), 0, SMTO_ABORTIFHUNG,
                              kListViewTimeoutMs, &ignored);
        ::SetWindowPos(listView, HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    }
    // Until the restore step has run, the shell shows its own arrangement,
    // not the user's: saving it would overwrite the saved one.
    if (restored_) SaveIconPositions(Desk());
    restoreTimer_.SetEnabled(false);
}

void TIconSwapper::AfterSetChange() {
    restoreTimer_.SetEnabled(true);
    restored_ = false;
}

void TIconSwapper::SaveIconPositions(int n) const {
    IShellObj desktop = GetDesktopShellObj();
    if (!desktop->IsValid()) return;
    std::string text;
    for (int32_t i = 0; i < desktop->GetItemCount(); ++i) {
        IShellObj child = desktop->GetItem(i);
        const POINT p = child->GetIconPosition();
        if (p.x != -1) text += IconPosLine(child->GetDisplayName(), p.x, p.y);
    }
    const std::string path = DataPath(IconPosFileName(n).c_str());
    // No icon has a position (the shell is gone or restarting): the saved
    // arrangement stays for the shell's return.
    if (text.empty() && FileExists(path)) return;
    WriteSetFile(path, text);
}

void TIconSwapper::RestoreIconPositions(int n) const {
    const std::string path = DataPath(IconPosFileName(n).c_str());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return;
    if (data.nFileSizeHigh != 0 || data.nFileSizeLow == 0 || data.nFileSizeLow > kMaxIconPosBytes) return;
    const std::vector<TIconPos> positions = ParseIconPositions(framework::ReadFileBytes(path));
    if (positions.empty()) return;
    IShellObj desktop = GetDesktopShellObj();
    if (!desktop->IsValid()) return;
    for (const TIconPos& pos : positions) {
        for (int32_t i = 0; i < desktop->GetItemCount(); ++i) {
            IShellObj child = desktop->GetItem(i);
            const POINT at = child->GetIconPosition();
            if (child->GetDisplayName() == pos.Name && (at.x != pos.X || at.y != pos.Y))
                child->SetDesktopIconPosition({pos.X, pos.Y});
        }
    }
}

// The module ------------------------------------------------------------------------------
void SetIconSetsEnabled(bool on) { Module().Enabled = on; }
bool IconSetsEnabled() { return Module().Enabled; }
bool IconSetsActive() { return Module().Active(); }

void IconSwapperStart(SwapLog log, std::function<void()> onRestoreTimer, std::function<HWND()> mainWindow) {
    Module().Start(DesktopFolder(), AnsiToWide(engine::GetDataFolder()), std::move(log), std::move(onRestoreTimer),
                   std::move(mainWindow));
}

void SwitchIconSet(int n) { Module().Switch(n); }

void LimitIconSetDesktops(int count) { Module().LimitDesktops(count); }

bool IconsRestored() { return IconSetsActive() && Module().Swapper->IconsRestored(); }

void RestoreCurrentIconSet() {
    if (IconSetsActive()) Module().Swapper->RestoreCurrentSet();
}

void IconSwapperUnload() { Module().Swapper.reset(); }

}  // namespace shell
