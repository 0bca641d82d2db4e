#pragma once
// The rule files of the data folder: the ignore and watch lists (text, one
// entry a line) and the automatic-send rules (264-byte records, no header).
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include "settings/auto_send_rule.h"

namespace settings {

inline constexpr std::string_view kIgnoreFile = "Tessareltop.ign";
inline constexpr std::string_view kWatchFile = "Tessareltop.wat";
inline constexpr std::string_view kAutoSendFile = "Tessareltop.aus";

// The entries of a list file; nothing when the file does not exist. Raises
// framework::Exception when the file exists but cannot be read. Entries the
// file holds but no window could match are refused, with a line for the
// event log each in notes.
std::optional<std::vector<std::string>> LoadRuleList(const std::string& path,
                                                     std::vector<std::string>* notes = nullptr);
// Replaces the file, also with an empty list.
void SaveRuleList(const std::string& path, const std::vector<std::string>& entries);

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
// short at its end (0 for a sound file).
struct AutoSendFile {
    std::vector<TAutoSendRule> rules;
    size_t cutBytes = 0;
};
std::optional<AutoSendFile> ReadAutoSendFile(const std::string& path);
void SaveAutoSendFile(const std::string& path, std::span<const TAutoSendRule> rules);

}  // namespace settings
