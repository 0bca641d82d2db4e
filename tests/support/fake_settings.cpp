#include "support/fake_settings.h"

namespace e2e {

void FakeSettings::Reset() {
    ints_.clear();
    privateDesktops.clear();
    names.clear();
    ignoreList.clear();
    watchList.clear();
    rules.clear();
}

std::optional<int> FakeSettings::Int(std::string_view name) const {
    auto it = ints_.find(name);
    return it == ints_.end() ? std::nullopt : std::optional<int>(it->second);
}

std::string FakeSettings::DesktopName(int desktop) const {
    auto it = names.find(desktop);
    return it == names.end() ? std::to_string(desktop) : it->second;
}

}  // namespace e2e
