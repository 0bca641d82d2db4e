#pragma once
// A string list that stores itself as a text file, or as a binary registry
// value in registry mode.
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>
#include "engine/rule_list.h"
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

    // In registry mode the file part of the name is the value name. A file
    // is read whole and checked entry by entry (engine/rule_list.h): what it
    // does not use is in LoadNotes and in Kept, which the next save writes
    // back in its places. A file that cannot be read raises and is never
    // written over: a save with nothing to write leaves it, and one with
    // entries moves it aside first, with a line for the event log in
    // SaveNotes. A save never writes fewer entries than the last load read,
    // unless the user removed some since (UserRemoved).
    void LoadFromFile(const std::string& name) override;
    void SaveToFile(const std::string& name) const override;
    std::vector<std::string> LoadNotes;
    std::vector<TKeptLine> Kept;
    size_t KeepAtLeast = 0;
    void UserRemoved(size_t n) noexcept { KeepAtLeast -= n < KeepAtLeast ? n : KeepAtLeast; }
    bool Unreadable() const noexcept { return unreadable_; }
    // Taken by the owner for its event log after each save.
    mutable std::vector<std::string> SaveNotes;

    // Nothing happens when the key cannot be opened; a missing value gives an
    // empty list. A value that is not binary or is longer than the limit
    // raises and leaves the list as it was.
    void LoadFromRegistry(const std::string& name);
    // Raises when the key cannot be opened, the text is longer than the
    // limit (it could not be read back) or the value cannot be written.
    void SaveToRegistry(const std::string& name) const;

private:
    // The file on disk is not what the list holds until it has been moved
    // aside; a save does that, hence mutable.
    mutable bool unreadable_ = false;
};

}  // namespace engine
