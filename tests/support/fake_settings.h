#pragma once
// The settings as a test chooses them, answered in place of the settings
// dialog (settings::LiveSource). Values not set answer their defaults.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>
#include "settings/settings_access.h"

namespace e2e {

class FakeSettings final : public settings::LiveSource {
public:
    // Makes this the settings every unit reads, until it goes.
    FakeSettings() { settings::SetLiveSource(this); }
    ~FakeSettings() override {
        if (settings::CurrentSource() == this) settings::SetLiveSource(nullptr);
    }
    FakeSettings(const FakeSettings&) = delete;
    FakeSettings& operator=(const FakeSettings&) = delete;

    // An integer or Boolean value (a Boolean as 0 or 1).
    void Set(settings::SettingName name, int value) { ints_[std::string(name.View())] = value; }
    void Reset();

    std::set<int> privateDesktops;
    std::map<int, std::string> names;          // desktop names; the number without one
    std::set<std::string, std::less<>> ignoreList, watchList;   // upper-case entries
    std::vector<settings::TAutoSendRule> rules;

    std::optional<int> Int(std::string_view name) const override;
    std::optional<std::string> Text(std::string_view) const override { return std::nullopt; }
    bool IsPrivate(int desktop) const override { return privateDesktops.count(desktop) != 0; }
    std::string DesktopName(int desktop) const override;
    bool InIgnoreList(std::string_view upperName) const override { return ignoreList.count(upperName) != 0; }
    bool InWatchList(std::string_view upperName) const override { return watchList.count(upperName) != 0; }
    std::vector<settings::TAutoSendRule> AutoSendRules() const override { return rules; }

private:
    std::map<std::string, int, std::less<>> ints_;
};

}  // namespace e2e
