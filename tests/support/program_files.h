#pragma once
// The files of the program's own folder and of its data folder, by the names
// the program uses, for the tests that check what is shipped and what the
// README says is stored where.
#include <set>
#include <string>

namespace e2e {

// What the program reads from its own folder: the exe, the hook library, the
// help file, the texts of the About box and the pictures in "gfx\".
std::set<std::string> FilesBesideTheProgram();

// What the program may keep in its data folder: file names, with "#" for a
// desktop number, and folders ending in "\".
std::set<std::string> DataFolderEntries();

}  // namespace e2e
