#pragma once
// Values of the settings key that a test writes: the scope takes the named
// values out of the way when it begins and puts back exactly what was there
// (type and bytes) when it ends.
#include <windows.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

class RegistryValuesScope {
public:
    explicit RegistryValuesScope(std::initializer_list<std::string_view> names);
    ~RegistryValuesScope();
    RegistryValuesScope(const RegistryValuesScope&) = delete;
    RegistryValuesScope& operator=(const RegistryValuesScope&) = delete;

    // Deletes the scope's values, as at its beginning.
    void Clear() const;

    // Values of the settings key; a string of nothing deletes the value.
    static void Set(std::string_view name, const std::optional<std::string>& value);
    static void SetInt(std::string_view name, int value);
    static std::optional<std::string> Get(std::string_view name);    // a string value
    static std::optional<int> GetInt(std::string_view name);         // a 32-bit value
    static void Delete(std::string_view name);

private:
    struct Saved {
        std::string name;
        std::optional<DWORD> type;   // none: the value did not exist
        std::string bytes;
    };
    std::vector<Saved> saved_;
};

}  // namespace e2e
