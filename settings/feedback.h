#pragma once
// What the error report and the uninstall poll send to the maker's feedback
// page, and where the error log they offer lives. The page receives
// everything in its query string; these rules build the texts and the
// addresses without any window, so tables of cases can test them.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include "program_version.h"

namespace settings {

// The version the About box shows and the reports carry.
inline constexpr std::string_view kProgramVersion = "v" TESSAREL_VERSION;
// The longest address the browsers take; a longer one is cut to this length.
inline constexpr size_t kMaxAddressLength = 2084;

// The number of bytes of the character that starts at pos (at least 1, at
// most what is left of the text).
using CharLengthFn = std::function<size_t(std::string_view text, size_t pos)>;
// Characters of the system's ANSI code page: a lead byte of a double-byte
// code page takes its trail byte along, a UTF-8 code page its whole sequence.
size_t AnsiCharLength(std::string_view text, size_t pos);
// Characters of a code page of one byte each.
size_t SingleByteCharLength(std::string_view text, size_t pos);

// kProgramVersion + "-" + version tag + "-" + log + "-" + comment
std::string ErrorReportText(std::string_view versionTag, std::string_view log, std::string_view comment);
// reason + "-" + version tag + "-" + comment
std::string PollText(int reason, std::string_view versionTag, std::string_view comment);

// The feedback page with "prod", "req" 0, "ver", "sure" and the URL-encoded
// report as "comment".
std::string ErrorReportAddress(std::string_view versionTag, std::string_view reportText,
                               const CharLengthFn& charLength = AnsiCharLength);
// The feedback page with "prod", "req" 2, "ver", "sure", the URL-encoded
// trimmed e-mail as "email" and the URL-encoded poll text as "comment".
std::string PollAddress(std::string_view versionTag, std::string_view email, std::string_view pollText,
                        const CharLengthFn& charLength = AnsiCharLength);

// The address followed by the URL encoding of as many whole characters of
// the text as keep it within kMaxAddressLength: the cut never splits an
// escape, nor the bytes of one character.
std::string AppendEncodedText(std::string address, std::string_view text, const CharLengthFn& charLength);

// How much of the error log a report can use: every byte takes at least one
// character of the address, so nothing beyond this can be sent.
inline constexpr size_t kErrorLogReadLimit = kMaxAddressLength;

// Whether a path is the file of that name directly in the data folder: the
// folder is absolute and ends with a backslash. Nothing else may be deleted
// as the error log (a missing data folder would otherwise make the name
// point into the working folder).
bool IsDataFolderFile(std::string_view path, std::string_view dataFolder, std::string_view name);

}  // namespace settings
