#pragma once
// The help debug log "HHDebug.txt": switched on by a file "debug.debug"
// beside the program or by "/debug" or "-debug" on the command line, written
// beside the program (or in the temporary folder when the program's folder is
// not writable), started afresh at every start with a report of the system
// and of the help and browser versions found.
#include <windows.h>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

namespace help_texts {
constexpr std::string_view kHelpLogName = "\\HHDebug.txt";
// The log that grew past kMaxHelpLogBytes, kept once.
constexpr std::string_view kOldHelpLogName = "\\HHDebug.old";
constexpr std::string_view kDebugMarkerFile = "debug.debug";
constexpr std::string_view kDebugSwitches[] = {"/debug", "-debug"};
}  // namespace help_texts

// Past this size the log is moved aside and begins anew, so that a program
// left running with the log on never fills the disk.
constexpr std::uint64_t kMaxHelpLogBytes = 1u << 20;

// The log is on when the marker file exists or any argument (after the
// program's own name) is one of the switches, in any case.
bool DebugSwitchOn(bool markerExists, std::span<const std::string> args);

// The folder that takes the log: the program's own when it is writable, else
// the temporary folder ("c:" when the system names none); no trailing backslash.
std::string HelpLogFolderFor(std::string_view moduleDir);

// Creates a new, uniquely named file in the folder that goes away as it is
// closed: no file of the folder is ever opened, truncated or deleted.
bool IsFolderWritable(std::string_view folder);

// "[Error:N] text" for a system error number.
std::string LastErrorText(DWORD error);
std::string LastErrorText();

// The text of one log line: "-" and "=" stand for rules of 80 characters; a
// line that begins with "!", "-" or "=" loses that character and gets no
// time, any other one gets three blanks and the time appended.
std::string HelpLogLineText(std::string_view line, std::string_view time);
// Appends one line to the log file (CR LF, flushed, closed); a file that has
// grown past maxBytes is first moved to oldPath. Failures drop the line.
void AppendHelpLogLine(const std::string& path, const std::string& oldPath, std::string_view text,
                       std::uint64_t maxBytes = kMaxHelpLogBytes);

// Appends one line to the help debug log (the callers ask HelpDebugOn).
void DebugLog(std::string_view line);
// A warning box with an OK button, logged when the debug log is on.
void DebugMessage(std::string_view text);

// The log's path and the path of its moved-aside predecessor.
std::string HelpLogPath();
std::string OldHelpLogPath();

// Deletes the logs of the last run; then, with the log on, writes the report.
void WriteDebugReport(std::span<const std::string> commandLine);
// The report's lines before they pass through HelpLogLineText.
std::vector<std::string> DebugReportLines(std::span<const std::string> commandLine);

}  // namespace shell
