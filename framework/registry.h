#pragma once
// The registry object: one open key under a root. Reads never throw: a
// missing value or a value of the wrong type answers the caller's default.
#include <windows.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/owned.h"

namespace framework {

class Registry {
public:
    explicit Registry(HKEY root = HKEY_CURRENT_USER) noexcept : root_(root) {}

    // A path with or without a leading backslash is taken from the root.
    bool OpenKey(std::string_view path, bool create);
    bool OpenKeyReadOnly(std::string_view path);
    void CloseKey() noexcept { key_.reset(); }
    bool IsOpen() const noexcept { return static_cast<bool>(key_); }
    bool KeyExists(std::string_view path) const;
    bool DeleteKey(std::string_view path);

    bool ValueExists(std::string_view name) const;
    bool DeleteValue(std::string_view name);
    std::vector<std::string> ValueNames() const;

    bool ReadBool(std::string_view name, bool def) const;
    int ReadInteger(std::string_view name, int def) const;
    std::string ReadString(std::string_view name, std::string_view def) const;
    std::optional<int> TryReadInteger(std::string_view name) const;
    std::optional<std::string> TryReadString(std::string_view name) const;

    bool WriteBool(std::string_view name, bool v);
    bool WriteInteger(std::string_view name, int v);
    bool WriteString(std::string_view name, std::string_view v);

    HKEY Key() const noexcept { return key_.get(); }

private:
    static std::string Normalize(std::string_view path);
    HKEY root_;
    RegKey key_;
};

}  // namespace framework
