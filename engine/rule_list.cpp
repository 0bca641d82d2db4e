#include "engine/rule_list.h"
#include <windows.h>
#include <algorithm>
#include <unordered_map>
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/text.h"

namespace engine {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Why an entry cannot name a window; empty when it can.
std::string_view EntryFlaw(std::string_view line, bool offMark) {
    if (line.find('\0') != std::string_view::npos) return "it holds a NUL byte";
    if (std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }))
        return "it holds a control character";
    size_t length = line.size();
    if (offMark && length > 0 && line.back() == kRuleOffMark) --length;
    if (length > kMaxRuleEntryChars) return "it is longer than any path or class name";
    return {};
}

std::string Note(std::string_view fileName, size_t lineNumber, std::string_view flaw) {
    return std::string(fileName) + ": line " + std::to_string(lineNumber) + " not used, " + std::string(flaw) +
           "; the file keeps it";
}

constexpr std::string_view kAsideSuffix = ".unreadable";
constexpr int kMaxAsideNames = 999;

}  // namespace

TRuleFileRead DecodeRuleList(std::string_view bytes, std::string_view fileName, bool offMark) {
    TRuleFileRead read;
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    size_t lineNumber = 0, beyondCount = 0;
    auto take = [&](std::string_view line) {
        ++lineNumber;
        std::string_view flaw = EntryFlaw(line, offMark);
        if (flaw.empty() && read.entries.size() < kMaxRuleEntries) {
            read.entries.emplace_back(line);
            return;
        }
        // An entry beyond the bound goes back after the list, so that what
        // the user adds in this run stays ahead of it, and in use.
        read.kept.push_back({flaw.empty() ? kAfterTheList : read.entries.size(), std::string(line)});
        ++read.refused;
        if (flaw.empty())
            ++beyondCount;
        else if (read.refused - beyondCount <= kMaxRuleNotes)
            read.notes.push_back(Note(fileName, lineNumber, flaw));
    };
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        take(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) take(bytes.substr(start));

    const size_t flawed = read.refused - beyondCount;
    if (flawed > kMaxRuleNotes)
        read.notes.push_back(std::string(fileName) + ": " + std::to_string(flawed - kMaxRuleNotes) +
                             " more lines not used; the file keeps them");
    if (beyondCount > 0)
        read.notes.push_back(std::string(fileName) + ": " + std::to_string(beyondCount) + " entries beyond the first " +
                             std::to_string(kMaxRuleEntries) + " not used; the file keeps them");
    return read;
}

std::string EncodeRuleList(std::span<const std::string> entries, std::span<const TKeptLine> kept) {
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    auto k = kept.begin();
    for (size_t i = 0; i < entries.size(); ++i) {
        for (; k != kept.end() && k->before <= i; ++k) line(k->text);
        line(entries[i]);
    }
    for (; k != kept.end(); ++k) line(k->text);
    return out;
}

std::optional<std::string> MoveUnreadableAside(const std::string& path) {
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 1; attempt <= kMaxAsideNames; ++attempt) {
        std::string aside = path + std::string(kAsideSuffix);
        if (attempt > 1) aside += " (" + std::to_string(attempt) + ")";
        // Never MOVEFILE_REPLACE_EXISTING: a file kept aside earlier stays.
        if (::MoveFileExA(path.c_str(), aside.c_str(), 0)) return aside;
        error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    throw framework::Exception("\"" + path + "\" could not be read, and could not be moved aside either (error " +
                               std::to_string(error) + "): it is not written over");
}

std::string UnreadableNote(std::string_view fileName) {
    return std::string(fileName) + " could not be read: the list starts empty, and the file stays as it is until a "
                                   "list is saved in its place";
}

std::string MovedAsideNote(std::string_view fileName, std::string_view keptName) {
    const size_t cut = keptName.find_last_of("\\/");
    const std::string_view kept = cut == std::string_view::npos ? keptName : keptName.substr(cut + 1);
    return std::string(fileName) + " could not be read at start: it is kept as " + std::string(kept) +
           ", and the list of this run was saved as " + std::string(fileName);
}

std::string ReadRuleFile(const std::string& path) {
    framework::Handle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw framework::Exception("Cannot open file \"" + path + "\"");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) throw framework::Exception("Cannot read file \"" + path + "\"");
    if (size.QuadPart > static_cast<LONGLONG>(kMaxRuleFileBytes))
        throw framework::Exception("File \"" + path + "\" is larger than " + std::to_string(kMaxRuleFileBytes) +
                                   " bytes and is not read");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(f.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &got, nullptr))
            throw framework::Exception("Cannot read file \"" + path + "\"");
        if (got == 0) break;
        at += got;
    }
    bytes.resize(at);
    return bytes;
}

void CheckNothingLost(std::string_view fileName, size_t keepAtLeast, size_t writing) {
    if (writing >= keepAtLeast) return;
    throw framework::Exception(std::string(fileName) + " not saved: " + std::to_string(keepAtLeast) +
                               " entries were read, only " + std::to_string(writing) + " would be written");
}

size_t RemovedEntries(std::span<const std::string> before, std::span<const std::string> after) {
    std::unordered_map<std::string_view, size_t> left;
    for (const auto& e : after) ++left[e];
    size_t removed = 0;
    for (const auto& e : before) {
        auto it = left.find(e);
        if (it != left.end() && it->second > 0)
            --it->second;
        else
            ++removed;
    }
    return removed;
}

void TRuleSet::Assign(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    keys_.clear();
    for (const auto& e : entries_) keys_.insert(framework::UpperCaseAscii(e));
}

bool TRuleSet::Contains(std::string_view upperName) const { return keys_.count(std::string(upperName)) != 0; }

}  // namespace engine
