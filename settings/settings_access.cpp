#include "settings/settings_access.h"
#include <array>
#include "settings/store_values.h"
#include "settings/tables.h"

namespace settings {
namespace {

const LiveSource* live = nullptr;

// The values other units keep under the settings key; the dialog's own
// values and their defaults stand in its table (store_values.h).
constexpr std::array<Default, 3> kOtherDefaults{{
    {"bubblelevel", 1}, {"inactivenotifybubble", 1}, {"showcfgwiz", 0},
}};

// The texts with a default of their own: the gesture rows' codes
// ("gesturecode1" to "gesturecode22").
std::string DefaultText(std::string_view name) {
    constexpr std::string_view kGestureRow = "gesturecode";
    if (!name.starts_with(kGestureRow)) return {};
    const std::string_view number = name.substr(kGestureRow.size());
    for (int row = 1; row <= kActionCount; ++row)
        if (number == std::to_string(row)) return std::string(GestureActions[static_cast<size_t>(row - 1)].DefaultCode);
    return {};
}

}  // namespace

void SetLiveSource(const LiveSource* source) noexcept { live = source; }
const LiveSource* CurrentSource() noexcept { return live; }

int DefaultOf(std::string_view name) {
    if (const ValueSpec* spec = FindValue(name)) return spec->def;
    for (const auto& d : kOtherDefaults)
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
    return DefaultText(name);
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
