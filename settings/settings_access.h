#pragma once
// The one way every unit reads a setting. While the settings dialog exists
// its controls are the settings (read in place); before it is created and
// after it is gone each setting answers its default.
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "settings/auto_send_rule.h"

namespace settings {

// Implemented by the settings dialog for as long as it exists.
class LiveSource {
public:
    virtual ~LiveSource() = default;
    virtual std::optional<int> Int(std::string_view name) const = 0;      // Booleans as 0/1, item indexes
    virtual std::optional<std::string> Text(std::string_view name) const = 0;
    virtual bool IsPrivate(int desktop) const = 0;                       // the lock flags in force
    virtual std::string DesktopName(int desktop) const = 0;
    virtual bool InIgnoreList(std::string_view upperName) const = 0;
    virtual bool InWatchList(std::string_view upperName) const = 0;
    virtual std::vector<TAutoSendRule> AutoSendRules() const = 0;
};
void SetLiveSource(const LiveSource* source) noexcept;
const LiveSource* CurrentSource() noexcept;

struct Default {
    std::string_view name;
    int value;
};
// The defaults of the integer and Boolean values, by registry name.
int DefaultOf(std::string_view name);

int Int(std::string_view name);
bool Flag(std::string_view name);
std::string Text(std::string_view name);
bool IsPrivate(int desktop);
std::string DesktopName(int desktop);
bool InIgnoreList(std::string_view upperName);
bool InWatchList(std::string_view upperName);
std::vector<TAutoSendRule> AutoSendRules();

}  // namespace settings
