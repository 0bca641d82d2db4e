#pragma once
// The rules of the event log and the error log, without windows: how a line
// is built, which repeats are dropped, which lines raise a bubble, and what
// "errorlog.log" holds. TfrmPTessarel::LogEvent and LogException apply them.
#include <windows.h>
#include <span>
#include <string>
#include <string_view>

namespace engine {

// A line equal to one of this many newest lines is a repeat.
inline constexpr int kRecentLogLines = 10;
// Lines holding this text are never dropped as repeats.
inline constexpr std::string_view kSwitchToMark = "switch to";
inline constexpr char kWindowMark = '%';
inline constexpr std::string_view kErrorLogName = "errorlog.log";
inline constexpr std::string_view kErrorLogSeparator = " >> ";

// Every "%" of the text becomes title + " {" + class name + "}". One pass:
// a "%" that the title itself brings in stays as it is.
std::string ExpandWindowMarks(std::string_view text, std::string_view title, std::string_view className);

// "[" + time + "] " + text. Line breaks in the text become spaces, so that one
// event is always one line of the log.
std::string LogLine(std::string_view time, std::string_view text);

// True when the line equals none of the first (newest) 10 lines of the log.
bool MatchRecentLogLines(std::string_view line, std::span<const std::string> log);

// Whether a new line goes into the log: always into an empty log and when
// "switch to" stands in it at the second position or later; otherwise only
// when it repeats none of the 10 newest lines.
bool KeepLogLine(std::string_view line, std::span<const std::string> log);

// The bubble level of the log window: 2 every line, 1 flagged lines only,
// anything else none.
bool WantsBubble(int level, bool flagged);

// "yyyy-mm-dd hh:nn:ss >> message"
std::string ErrorLogLine(const SYSTEMTIME& t, std::string_view message);

// Appends the line and a line break to the file, creating it when missing.
// Never throws: a file that cannot be written loses the line (answers false).
bool AppendErrorLog(const std::string& path, std::string_view line) noexcept;

// The data folder's "errorlog.log".
std::string ErrorLogPath();

// Appends the exception's message, stamped with the local time now, to
// "errorlog.log". Never throws.
void WriteErrorLog(std::string_view message) noexcept;

}  // namespace engine
