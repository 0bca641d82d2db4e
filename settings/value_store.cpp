#include "settings/value_store.h"

namespace settings {

RegistryStore::RegistryStore(std::string_view keyPath) : reg_(HKEY_CURRENT_USER) { reg_.OpenKey(keyPath, true); }

std::optional<int> MemoryStore::Int(std::string_view name) const {
    auto it = values_.find(std::string(name));
    if (it == values_.end()) return std::nullopt;
    if (const int* v = std::get_if<int>(&it->second)) return *v;
    return std::nullopt;
}

std::optional<std::string> MemoryStore::Text(std::string_view name) const {
    auto it = values_.find(std::string(name));
    if (it == values_.end()) return std::nullopt;
    if (const auto* v = std::get_if<std::string>(&it->second)) return *v;
    return std::nullopt;
}

}  // namespace settings
