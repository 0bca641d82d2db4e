#include "engine/reg_string_list.h"
#include "engine/rule_list.h"
#include "framework/guard.h"
#include "framework/registry.h"

namespace engine {

namespace {

// The file part of a path: what follows the last '\\', '/' or ':'.
std::string FilePart(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string BadValue(const std::string& name) { return "Invalid data type for '" + name + "'"; }
std::string TooLong(const std::string& name) {
    return "Registry value '" + name + "' is longer than " + std::to_string(TRegStringList::kMaxRegistryBytes) +
           " bytes";
}
std::string NotWritten(const std::string& name) { return "Failed to set data for '" + name + "'"; }

}  // namespace

void TRegStringList::LoadFromFile(const std::string& name) {
    if (UseRegistry) {
        LoadFromRegistry(FilePart(name));
        return;
    }
    LoadNotes.clear();
    Kept.clear();
    KeepAtLeast = 0;
    unreadable_ = true;   // until the file has been read
    TRuleFileRead read = DecodeRuleList(ReadRuleFile(name), FilePart(name), true);
    unreadable_ = false;
    Clear();
    for (const auto& e : read.entries) Add(e);
    LoadNotes = std::move(read.notes);
    Kept = std::move(read.kept);
    KeepAtLeast = static_cast<size_t>(Count());
}

void TRegStringList::SaveToFile(const std::string& name) const {
    if (UseRegistry) {
        SaveToRegistry(FilePart(name));
        return;
    }
    if (unreadable_) {
        // Nothing of the user's to write: the file stays for another try.
        if (Count() == 0) return;
        if (auto aside = MoveUnreadableAside(name)) SaveNotes.push_back(MovedAsideNote(FilePart(name), *aside));
        unreadable_ = false;
    }
    CheckNothingLost(FilePart(name), KeepAtLeast, static_cast<size_t>(Count()));
    framework::WriteFileReplacing(name, EncodeRuleList(Items(), Kept));
}

void TRegStringList::LoadFromRegistry(const std::string& name) {
    framework::Registry reg(RootKey);
    if (!reg.OpenKey(KeyPath, true)) return;
    DWORD type = 0, size = 0;
    LONG r = ::RegQueryValueExA(reg.Key(), name.c_str(), nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) {
        Clear();
        return;
    }
    if (r != ERROR_SUCCESS || (type != REG_BINARY && type != REG_NONE)) throw framework::Exception(BadValue(name));
    if (size > kMaxRegistryBytes) throw framework::Exception(TooLong(name));
    std::string bytes(size, '\0');
    r = ::RegQueryValueExA(reg.Key(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (r != ERROR_SUCCESS) throw framework::Exception(BadValue(name));
    bytes.resize(size);
    SetText(bytes);
}

void TRegStringList::SaveToRegistry(const std::string& name) const {
    framework::Registry reg(RootKey);
    if (!reg.OpenKey(KeyPath, true)) throw framework::Exception("Failed to open registry key '" + KeyPath + "'");
    std::string text = Text();
    if (text.size() > kMaxRegistryBytes) throw framework::Exception(TooLong(name));
    if (::RegSetValueExA(reg.Key(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(text.data()),
                         static_cast<DWORD>(text.size())) != ERROR_SUCCESS)
        throw framework::Exception(NotWritten(name));
}

}  // namespace engine
