#include "engine/reg_string_list.h"

namespace engine {

void TRegStringList::LoadFromFile(const std::string& name) { framework::StringList::LoadFromFile(name); }
void TRegStringList::SaveToFile(const std::string& name) const { framework::StringList::SaveToFile(name); }
void TRegStringList::LoadFromRegistry(const std::string&) {}
void TRegStringList::SaveToRegistry(const std::string&) const {}

}  // namespace engine
