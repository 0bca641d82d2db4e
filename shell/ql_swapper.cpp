#include "shell/ql_swapper.h"
#include <shlobj.h>
#include <memory>
#include "engine/gtools.h"
#include "shell/string_routines.h"

namespace shell {

const TSetKind kQuickLaunchSetKind{"Quick Launch icons", "Quick Launch folder", "VirtQL.cfg", "VirtQL.move",
                                   "QLaunchSwapper\\"};

namespace {

constexpr wchar_t kQuickLaunchBelowAppData[] = L"Microsoft\\Internet Explorer\\Quick Launch\\";

TSetModule<TSetSwapper>& Module() {
    static TSetModule<TSetSwapper> module;
    return module;
}

}  // namespace

std::wstring QuickLaunchFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) return {};
    std::wstring folder = path;
    if (folder.back() != L'\\') folder += L'\\';
    return folder + kQuickLaunchBelowAppData;
}

void SetQuickLaunchSetsEnabled(bool on) { Module().Enabled = on; }
bool QuickLaunchSetsEnabled() { return Module().Enabled; }
bool QuickLaunchSetsActive() { return Module().Active(); }

void QuickLaunchSwapperStart(SwapLog log) {
    Module().Start(kQuickLaunchSetKind, QuickLaunchFolder(), AnsiToWide(engine::GetDataFolder()), std::move(log));
}

void SwitchQuickLaunchSet(int n) { Module().Switch(n); }

void LimitQuickLaunchSetDesktops(int count) { Module().LimitDesktops(count); }

void QuickLaunchSwapperUnload() { Module().Swapper.reset(); }

}  // namespace shell
