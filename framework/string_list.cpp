#include "framework/string_list.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include <windows.h>
#include <algorithm>

namespace framework {

const std::string& StringList::operator[](int i) const {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    return items_[static_cast<size_t>(i)];
}

void StringList::Index(const std::string& s) { ++counts_[s]; }

void StringList::Unindex(const std::string& s) noexcept {
    auto it = counts_.find(s);
    if (it != counts_.end() && --it->second <= 0) counts_.erase(it);
}

void StringList::Set(int i, std::string_view s) {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    std::string& item = items_[static_cast<size_t>(i)];
    std::string text(s);
    Index(text);
    Unindex(item);
    item = std::move(text);
}

int StringList::Add(std::string_view s) {
    items_.emplace_back(s);
    try {
        Index(items_.back());
    } catch (...) {
        items_.pop_back();
        throw;
    }
    return Count() - 1;
}

void StringList::Insert(int i, std::string_view s) {
    if (i < 0 || i > Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    std::string text(s);
    Index(text);
    items_.insert(items_.begin() + i, std::move(text));
}

void StringList::Delete(int i) {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    Unindex(items_[static_cast<size_t>(i)]);
    items_.erase(items_.begin() + i);
}

void StringList::Clear() noexcept {
    items_.clear();
    counts_.clear();
}

bool StringList::Contains(std::string_view s) const noexcept {
    try {
        return counts_.count(std::string(s)) != 0;
    } catch (...) {
        // Out of memory for the key: the slow way still answers.
        return std::find(items_.begin(), items_.end(), s) != items_.end();
    }
}

int StringList::IndexOf(std::string_view s) const noexcept {
    if (!Contains(s)) return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == s) return static_cast<int>(i);
    return -1;
}

std::string StringList::Text() const {
    std::string out;
    for (const auto& s : items_) {
        out += s;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

void StringList::SetText(std::string_view text) {
    std::vector<std::string> lines = SplitLines(text);
    Clear();
    for (const auto& line : lines) Add(line);
}

void StringList::LoadFromFile(const std::string& path) { SetText(ReadFileBytes(path)); }

void StringList::SaveToFile(const std::string& path) const { WriteFileReplacing(path, Text()); }

std::string ReadFileBytes(const std::string& path) {
    Handle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw Exception("Cannot open file \"" + path + "\"");
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    return bytes;
}

void WriteFileReplacing(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".new";
    {
        Handle f(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) throw Exception("Cannot create file \"" + path + "\"");
        DWORD written = 0;
        bool ok = bytes.empty() ||
                  (::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written == bytes.size());
        ok = ok && ::FlushFileBuffers(f.get());
        if (!ok) {
            f.reset();
            ::DeleteFileA(temp.c_str());
            throw Exception("Cannot write file \"" + path + "\"");
        }
    }
    if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temp.c_str());
        throw Exception("Cannot replace file \"" + path + "\"");
    }
}

}  // namespace framework
