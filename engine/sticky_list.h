#pragma once
// The sticky list's rules, apart from the main form that owns the list.
#include <string_view>
#include "framework/string_list.h"

namespace engine {

inline constexpr std::string_view kStickyFileName = "Tessareltop.pin";

// Entries are upper-case class names or executable paths, so a name is
// trimmed and upper-cased before it is added or removed: adding a name that
// differs only in case from an entry adds nothing, an empty name is never
// added, and removing deletes every copy of the entry. Answers whether the
// list changed.
bool ChangeStickyList(framework::StringList& list, std::string_view name, bool add);

}  // namespace engine
