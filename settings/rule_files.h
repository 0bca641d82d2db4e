#pragma once
// The rule files of the data folder: the ignore and watch lists (text, one
// entry a line) and the automatic-send rules (264-byte records, no header).
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "engine/rule_list.h"
#include "settings/auto_send_rule.h"

namespace settings {

inline constexpr std::string_view kIgnoreFile = "Tessareltop.ign";
inline constexpr std::string_view kWatchFile = "Tessareltop.wat";
inline constexpr std::string_view kAutoSendFile = "Tessareltop.aus";

// What the dialog keeps of a list file between its load and its saves: the
// lines it does not use, and whether it could be read at all.
struct TRuleFileState {
    std::vector<engine::TKeptLine> kept;
    bool unreadable = false;
};

// The entries of a list file; nothing when the file does not exist. Raises
// framework::Exception when the file exists but cannot be read. Entries the
// file holds but no window could match are not used, with a line for the
// event log each in notes, and are kept in state for the next save.
std::optional<std::vector<std::string>> LoadRuleList(const std::string& path,
                                                     std::vector<std::string>* notes = nullptr,
                                                     TRuleFileState* state = nullptr);
// Replaces the file, also with an empty list.
void SaveRuleList(const std::string& path, const std::vector<std::string>& entries);
// The same with the lines the file kept, in their places. A file that could
// not be read stays as it is while the list is empty; else it is moved aside
// first (engine/rule_list.h), and the answer is the line for the event log.
std::optional<std::string> SaveRuleList(const std::string& path, const std::vector<std::string>& entries,
                                        TRuleFileState& state);

// A new rule as the dialog adds it: the name cut to 250 characters.
TAutoSendRule MakeAutoSendRule(std::string_view name, int desktop, bool disabled);

// The records of a rule file, in file order. A cut record at the end is
// skipped; a desktop outside 1..9 is kept as it is (such a rule matches
// nothing), a name stops at its length byte (at most 250) or at a NUL, and
// the in-memory flags start cleared.
std::vector<TAutoSendRule> DecodeAutoSendRules(std::string_view bytes);
// Every rule not deleted, in order, with the fixed fields as the file has them.
std::string EncodeAutoSendRules(std::span<const TAutoSendRule> rules);

// Nothing when the file does not exist; raises when it cannot be read.
std::optional<std::vector<TAutoSendRule>> LoadAutoSendFile(const std::string& path);
// A rule file as read: its whole records, and the bytes of a record cut
// short at its end (none for a sound file), which no rule can use but a
// save writes back after the records.
struct AutoSendFile {
    std::vector<TAutoSendRule> rules;
    size_t cutBytes = 0;
    std::string cutTail;
};
std::optional<AutoSendFile> ReadAutoSendFile(const std::string& path);
void SaveAutoSendFile(const std::string& path, std::span<const TAutoSendRule> rules, std::string_view cutTail = {});

}  // namespace settings
