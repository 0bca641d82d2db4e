#include "settings/settings_access.h"

namespace settings {
namespace {

const LiveSource* live = nullptr;

}  // namespace

void SetLiveSource(const LiveSource* source) noexcept { live = source; }
const LiveSource* CurrentSource() noexcept { return live; }

int DefaultOf(SettingName name) {
    const ValueSpec* spec = FindValue(name.View());
    return spec ? spec->def : 0;
}

int Int(SettingName name) {
    if (live)
        if (auto v = live->Int(name.View())) return *v;
    return DefaultOf(name);
}

bool Flag(SettingName name) { return Int(name) != 0; }

std::string Text(SettingName name) {
    if (live)
        if (auto v = live->Text(name.View())) return *v;
    return {};
}

bool IsPrivate(int desktop) { return live && desktop >= 1 && desktop <= 9 && live->IsPrivate(desktop); }

std::string DesktopName(int desktop) {
    if (live) return live->DesktopName(desktop);
    return std::to_string(desktop);
}

bool InIgnoreList(std::string_view upperName) { return live && live->InIgnoreList(upperName); }
bool InWatchList(std::string_view upperName) { return live && live->InWatchList(upperName); }
std::vector<TAutoSendRule> AutoSendRules() { return live ? live->AutoSendRules() : std::vector<TAutoSendRule>{}; }

}  // namespace settings
