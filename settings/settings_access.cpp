#include "settings/settings_access.h"
#include <array>

namespace settings {
namespace {

const LiveSource* live = nullptr;

constexpr std::array<Default, 36> kDefaults{{
    {"transparency", 25}, {"hotkeymode", 3}, {"autofollow", 0}, {"sysmenui", 1}, {"strictdesk", 0},
    {"selectclose", 1}, {"unsafemodes", 0}, {"trayicon", 1}, {"prevsize", 1}, {"doubleint", 1},
    {"iesepar", 1}, {"async", 0}, {"wrap", 0}, {"wrapedgenav", 1}, {"desknum", 1}, {"deskinfo", 0},
    {"showsplash", 1}, {"disticons", 0}, {"distql", 0}, {"deskinfolarge", 1}, {"deskbar", 0},
    {"hotkeyapplist", 5}, {"hotkeymainmenu", 0}, {"hotkeydeskprev", 0}, {"snapshots", 0},
    {"largeicons", 0}, {"showdeskname", 0}, {"retaininputfocus", 1}, {"layoutid", 4}, {"opendeskat", 0},
    {"usegestures", 1}, {"holdwhilegesture", 0}, {"edgenav", 0}, {"bubblelevel", 1},
    {"inactivenotifybubble", 0}, {"showcfgwiz", 0},
}};

}  // namespace

void SetLiveSource(const LiveSource* source) noexcept { live = source; }
const LiveSource* CurrentSource() noexcept { return live; }

int DefaultOf(std::string_view name) {
    for (const auto& d : kDefaults)
        if (d.name == name) return d.value;
    return 0;
}

int Int(std::string_view name) {
    if (live)
        if (auto v = live->Int(name)) return *v;
    return DefaultOf(name);
}

bool Flag(std::string_view name) { return Int(name) != 0; }

std::string Text(std::string_view name) {
    if (live)
        if (auto v = live->Text(name)) return *v;
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
