#pragma once
// Versions of the HTML Help control and of the browser library, as the help
// debug report shows them: the file version of a library and the release it
// stands for. No window handles here.
#include <array>
#include <string>
#include <string_view>

namespace shell {

// A file version: four numbers, and their text joined by "." (empty when the
// file is missing or carries no version).
struct FileVersion {
    std::string Text;
    std::array<unsigned, 4> Parts{};
    bool Empty() const noexcept { return Text.empty(); }
};

// The fixed version information of a file.
FileVersion GetFileVersionStr(const std::string& file);
// The text "a.b.c.d" of four numbers.
FileVersion MakeFileVersion(const std::array<unsigned, 4>& parts);

// Early browser libraries wrote their build into the fourth number
// (4.70.0.1155): it moves into the third place.
FileVersion CorrectIEVersion(const FileVersion& v);

// The release name of the help control's version ("1.33", "> 1.33", ...),
// empty when no version was read.
std::string HHFriendlyVersionFor(const FileVersion& v);
// The release name of the (corrected) browser library's version.
std::string IEFriendlyVersionFor(const FileVersion& v);

}  // namespace shell
