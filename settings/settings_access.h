#pragma once
// The one way every unit reads a setting. While the settings dialog exists
// its controls are the settings (read in place); before it is created and
// after it is gone each setting answers its default.
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "settings/auto_send_rule.h"
#include "settings/store_values.h"

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

// A setting's registry name, checked when the program is compiled: a name
// that is no setting does not compile, so a misspelt one never reads a
// default in silence.
class SettingName {
public:
    consteval SettingName(const char* name) : name_(name) {
        if (!IsSettingName(name_)) throw "no setting has this name";
    }
    // A name taken from the table of values, which is one by definition.
    static SettingName Of(const ValueSpec& spec) noexcept { return SettingName(spec.name, Trusted{}); }
    // The code of gesture row 1 to 22 ("gesturecode1" to "gesturecode22").
    static SettingName GestureCode(int row);
    constexpr std::string_view View() const noexcept { return name_; }

private:
    struct Trusted {};
    constexpr SettingName(std::string_view name, Trusted) noexcept : name_(name) {}
    std::string_view name_;
};

// The default of an integer or Boolean value; 0 for the others.
int DefaultOf(SettingName name);

int Int(SettingName name);
bool Flag(SettingName name);
std::string Text(SettingName name);
bool IsPrivate(int desktop);
std::string DesktopName(int desktop);
bool InIgnoreList(std::string_view upperName);
bool InWatchList(std::string_view upperName);
std::vector<TAutoSendRule> AutoSendRules();

}  // namespace settings
