#pragma once
// The rule lists kept in text files, one entry a line ("Tessareltop.pin",
// ".ign", ".wat"): how a file is read and checked, and the ignore and watch
// lists as the engine matches windows against them (a hash set: a scan asks
// for every window at every tick).
//
// A file is read whole. An entry that no window could ever match (one that
// holds a NUL or another control character, or is longer than a path or a
// class name can be) is not used, with a note for the event log, and never
// taken as the end of the file; entries beyond kMaxRuleEntries are not used
// either. Such lines are the user's all the same: they are kept aside and
// written back in their places at the next save. A file beyond
// kMaxRuleFileBytes is not read at all; like any file that cannot be read,
// it is moved aside under a free name before a list is written in its place.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace engine {

// MAX_PATH for an executable path; a class name has at most 256 characters.
inline constexpr size_t kMaxRuleEntryChars = 260;
inline constexpr size_t kMaxRuleEntries = 1024;
inline constexpr size_t kMaxRuleFileBytes = 4 * 1024 * 1024;
// The notes of one file: the first refused entries one by one, then a count.
inline constexpr size_t kMaxRuleNotes = 5;
// The sticky list marks an entry switched off in the settings with this.
inline constexpr char kRuleOffMark = '*';

// A line of a file that the list does not use, and where it stood.
inline constexpr size_t kAfterTheList = static_cast<size_t>(-1);
struct TKeptLine {
    size_t before = 0;   // how many entries in use stood ahead of it, or kAfterTheList
    std::string text;    // the line as the file held it
    bool operator==(const TKeptLine&) const = default;
};

struct TRuleFileRead {
    std::vector<std::string> entries;
    std::vector<TKeptLine> kept;      // every refused line
    std::vector<std::string> notes;   // one event-log line each
    size_t refused = 0;
};

// The entries of a list file's bytes. A UTF-8 byte-order mark at the start is
// no part of the first entry; lines end with CR LF, CR or LF; a blank line
// is kept as the file has it. With offMark, a trailing "*" does not count towards the length.
TRuleFileRead DecodeRuleList(std::string_view bytes, std::string_view fileName, bool offMark);
// Every entry followed by CR LF, the kept lines among them where they stood
// (those whose place the list no longer reaches at its end).
std::string EncodeRuleList(std::span<const std::string> entries, std::span<const TKeptLine> kept = {});
// The file's bytes; raises framework::Exception when it cannot be read or is
// beyond kMaxRuleFileBytes.
std::string ReadRuleFile(const std::string& path);

// A list file that could not be read is never written over: before a list
// is saved in its place it is moved aside, to the first free name of
// name + ".unreadable", name + ".unreadable (2)", ... Answers the name it now
// has; raises framework::Exception when it cannot be moved (the file and
// its name stay as they were). A file that is gone by then needs no move.
std::optional<std::string> MoveUnreadableAside(const std::string& path);
// The event-log line of a file that could not be read at start, and of its
// move aside at the save.
std::string UnreadableNote(std::string_view fileName);
std::string MovedAsideNote(std::string_view fileName, std::string_view keptName);

// The save guard: a list is never written with fewer entries than were read,
// unless the user removed some. Raises framework::Exception (the file stays
// as it was) when writing would lose entries.
void CheckNothingLost(std::string_view fileName, size_t keepAtLeast, size_t writing);
// How many entries of before (each copy counted) the list after lacks: what
// an edit of the whole list removed.
size_t RemovedEntries(std::span<const std::string> before, std::span<const std::string> after);

// A list of names with a hash set of its upper-cased entries: Windows
// compares class names and file paths without regard to case, so an entry
// typed in lower case by hand names the same window.
class TRuleSet {
public:
    void Assign(std::vector<std::string> entries);
    // upperName: a class name or executable path, upper-cased.
    bool Contains(std::string_view upperName) const;
    const std::vector<std::string>& Entries() const noexcept { return entries_; }
    size_t Count() const noexcept { return entries_.size(); }

private:
    std::vector<std::string> entries_;
    std::unordered_set<std::string> keys_;
};

}  // namespace engine
