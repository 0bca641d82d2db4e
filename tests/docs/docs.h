#pragma once
// What the checks of the README and of the manual's pages share: the source
// files they read, the program's own texts, and small text helpers.
#include <string>
#include <string_view>
#include <vector>

namespace docs {

// A file of the source tree, by its path below the tree's root ("README.md").
std::string SourceFile(std::string_view relative);
// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Whether the program shows this text: it is (part of) a string literal of
// the program's sources (captions, menu items, messages), blanks squeezed.
bool IsProgramText(std::string_view text);

// Runs of blanks, tabs and line breaks become one blank; none at the ends.
std::string Squeeze(std::string_view text);

}  // namespace docs
