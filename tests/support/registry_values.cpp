#include "support/registry_values.h"
#include "framework/owned.h"
#include "framework/registry.h"
#include "settings/store_values.h"

namespace e2e {
namespace {

framework::RegKey OpenSettingsKey(bool create) {
    std::string path(settings::kSettingsKey.substr(1));   // without the leading backslash
    HKEY key = nullptr;
    LONG r = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                        &key, nullptr)
                    : ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    return framework::RegKey(r == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

RegistryValuesScope::RegistryValuesScope(std::initializer_list<std::string_view> names) {
    framework::RegKey key = OpenSettingsKey(false);
    for (std::string_view name : names) {
        Saved s{std::string(name), std::nullopt, {}};
        DWORD type = 0, size = 0;
        if (key && ::RegQueryValueExA(key.get(), s.name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            s.bytes.resize(size);
            if (::RegQueryValueExA(key.get(), s.name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(s.bytes.data()),
                                   &size) == ERROR_SUCCESS) {
                s.bytes.resize(size);
                s.type = type;
            }
        }
        saved_.push_back(std::move(s));
    }
    Clear();
}

RegistryValuesScope::~RegistryValuesScope() {
    Clear();
    framework::RegKey key = OpenSettingsKey(true);
    if (!key) return;
    for (const Saved& s : saved_)
        if (s.type)
            ::RegSetValueExA(key.get(), s.name.c_str(), 0, *s.type, reinterpret_cast<const BYTE*>(s.bytes.data()),
                             static_cast<DWORD>(s.bytes.size()));
}

void RegistryValuesScope::Clear() const {
    for (const Saved& s : saved_) Delete(s.name);
}

void RegistryValuesScope::Set(std::string_view name, const std::optional<std::string>& value) {
    if (!value) return Delete(name);
    framework::Registry reg;
    if (reg.OpenKey(settings::kSettingsKey, true)) reg.WriteString(name, *value);
}

void RegistryValuesScope::SetInt(std::string_view name, int value) {
    framework::Registry reg;
    if (reg.OpenKey(settings::kSettingsKey, true)) reg.WriteInteger(name, value);
}

std::optional<std::string> RegistryValuesScope::Get(std::string_view name) {
    framework::Registry reg;
    if (!reg.OpenKeyReadOnly(settings::kSettingsKey)) return std::nullopt;
    return reg.TryReadString(name);
}

std::optional<int> RegistryValuesScope::GetInt(std::string_view name) {
    framework::Registry reg;
    if (!reg.OpenKeyReadOnly(settings::kSettingsKey)) return std::nullopt;
    return reg.TryReadInteger(name);
}

void RegistryValuesScope::Delete(std::string_view name) {
    framework::Registry reg;
    if (reg.OpenKey(settings::kSettingsKey, false)) reg.DeleteValue(name);
}

}  // namespace e2e
