#include "framework/string_list.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include <windows.h>

namespace framework {

const std::string& StringList::operator[](int i) const {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    return items_[static_cast<size_t>(i)];
}

void StringList::Set(int i, std::string_view s) {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_[static_cast<size_t>(i)] = std::string(s);
}

int StringList::Add(std::string_view s) {
    items_.emplace_back(s);
    return Count() - 1;
}

void StringList::Insert(int i, std::string_view s) {
    if (i < 0 || i > Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_.insert(items_.begin() + i, std::string(s));
}

void StringList::Delete(int i) {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_.erase(items_.begin() + i);
}

int StringList::IndexOf(std::string_view s) const noexcept {
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

void StringList::SetText(std::string_view text) { items_ = SplitLines(text); }

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
