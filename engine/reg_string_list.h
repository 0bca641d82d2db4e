#pragma once
// A string list that stores itself as a text file, or as a binary registry
// value in registry mode.
#include <windows.h>
#include <string>
#include "framework/string_list.h"

namespace engine {

class TRegStringList : public framework::StringList {
public:
    TRegStringList() = default;
    HKEY RootKey = HKEY_CURRENT_USER;
    std::string KeyPath;
    bool UseRegistry = false;

    void LoadFromFile(const std::string& name) override;
    void SaveToFile(const std::string& name) const override;
    void LoadFromRegistry(const std::string& name);
    void SaveToRegistry(const std::string& name) const;
};

}  // namespace engine
