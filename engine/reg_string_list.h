#pragma once
// A string list that stores itself as a text file, or as a binary registry
// value in registry mode.
#include <windows.h>
#include <cstddef>
#include <string>
#include "framework/string_list.h"

namespace engine {

class TRegStringList : public framework::StringList {
public:
    TRegStringList() = default;
    HKEY RootKey = HKEY_CURRENT_USER;
    std::string KeyPath;
    bool UseRegistry = false;

    // The largest value LoadFromRegistry reads and SaveToRegistry writes.
    static constexpr size_t kMaxRegistryBytes = 65536;

    // In registry mode the file part of the name is the value name.
    void LoadFromFile(const std::string& name) override;
    void SaveToFile(const std::string& name) const override;

    // Nothing happens when the key cannot be opened; a missing value gives an
    // empty list. A value that is not binary or is longer than the limit
    // raises and leaves the list as it was.
    void LoadFromRegistry(const std::string& name);
    // Raises when the key cannot be opened, the text is longer than the
    // limit (it could not be read back) or the value cannot be written.
    void SaveToRegistry(const std::string& name) const;
};

}  // namespace engine
