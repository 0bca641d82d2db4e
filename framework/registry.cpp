#include "framework/registry.h"

namespace framework {

std::string Registry::Normalize(std::string_view path) {
    std::string p(path);
    while (!p.empty() && p.front() == '\\') p.erase(p.begin());
    while (!p.empty() && p.back() == '\\') p.pop_back();
    return p;
}

bool Registry::OpenKey(std::string_view path, bool create) {
    CloseKey();
    std::string p = Normalize(path);
    HKEY k = nullptr;
    LONG r = create ? ::RegCreateKeyExA(root_, p.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k, nullptr)
                    : ::RegOpenKeyExA(root_, p.c_str(), 0, KEY_READ | KEY_WRITE, &k);
    if (r != ERROR_SUCCESS) return false;
    key_.reset(k);
    return true;
}

bool Registry::OpenKeyReadOnly(std::string_view path) {
    CloseKey();
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root_, Normalize(path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    key_.reset(k);
    return true;
}

bool Registry::KeyExists(std::string_view path) const {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root_, Normalize(path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    ::RegCloseKey(k);
    return true;
}

bool Registry::DeleteKey(std::string_view path) {
    return ::RegDeleteTreeA(root_, Normalize(path).c_str()) == ERROR_SUCCESS;
}

bool Registry::ValueExists(std::string_view name) const {
    if (!key_) return false;
    return ::RegQueryValueExA(key_.get(), std::string(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Registry::DeleteValue(std::string_view name) {
    return key_ && ::RegDeleteValueA(key_.get(), std::string(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> Registry::ValueNames() const {
    std::vector<std::string> names;
    if (!key_) return names;
    for (DWORD i = 0;; ++i) {
        char buf[16384];
        DWORD len = sizeof buf;
        if (::RegEnumValueA(key_.get(), i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(buf, len);
    }
    return names;
}

std::optional<int> Registry::TryReadInteger(std::string_view name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (::RegQueryValueExA(key_.get(), std::string(name).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD || size != sizeof value) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> Registry::TryReadString(std::string_view name) const {
    if (!key_) return std::nullopt;
    std::string n(name);
    DWORD type = 0, size = 0;
    if (::RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::string s(size + 1, '\0');
    if (::RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(s.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    s.resize(size);
    if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

bool Registry::ReadBool(std::string_view name, bool def) const {
    auto v = TryReadInteger(name);
    return v ? *v != 0 : def;
}

int Registry::ReadInteger(std::string_view name, int def) const { return TryReadInteger(name).value_or(def); }

std::string Registry::ReadString(std::string_view name, std::string_view def) const {
    auto v = TryReadString(name);
    return v ? *v : std::string(def);
}

bool Registry::WriteBool(std::string_view name, bool v) { return WriteInteger(name, v ? 1 : 0); }

bool Registry::WriteInteger(std::string_view name, int v) {
    if (!key_) return false;
    DWORD d = static_cast<DWORD>(v);
    return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), sizeof d) == ERROR_SUCCESS;
}

bool Registry::WriteString(std::string_view name, std::string_view v) {
    if (!key_) return false;
    std::string s(v);
    return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                            static_cast<DWORD>(s.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace framework
