#include "settings/settings_access.h"
#include <array>
#include <stdexcept>
#include "settings/tables.h"

namespace settings {
namespace {

const LiveSource* live = nullptr;

// The texts with a default of their own: the gesture rows' codes
// ("gesturecode1" to "gesturecode22").
std::string DefaultText(std::string_view name) {
    if (!IsNumberedName(name, kGestureCodeGroup, kActionCount)) return {};
    const int row = std::stoi(std::string(name.substr(kGestureCodeGroup.size())));
    return std::string(GestureActions[static_cast<size_t>(row - 1)].DefaultCode);
}

}  // namespace

SettingName SettingName::GestureCode(int row) {
    static const auto names = [] {
        std::array<std::string, kActionCount> all;
        for (int i = 0; i < kActionCount; ++i) all[static_cast<size_t>(i)] = std::string(kGestureCodeGroup) + std::to_string(i + 1);
        return all;
    }();
    if (row < 1 || row > kActionCount) throw std::out_of_range("No gesture row " + std::to_string(row));
    return SettingName(names[static_cast<size_t>(row - 1)], Trusted{});
}

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
    return DefaultText(name.View());
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
