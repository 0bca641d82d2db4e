#pragma once
// A list of texts with file storage. Loading splits on CR, LF or CR LF and
// stops at a NUL; nothing is trimmed. Saving writes CR LF after each line.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace framework {

class StringList {
public:
    StringList() = default;
    virtual ~StringList() = default;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& operator[](int i) const;
    void Set(int i, std::string_view s);
    int Add(std::string_view s);
    void Insert(int i, std::string_view s);
    void Delete(int i);
    void Clear() noexcept;
    // Exact, case-sensitive. A text the list does not hold is answered from
    // a hash of the entries, without a pass through the list.
    int IndexOf(std::string_view s) const noexcept;
    bool Contains(std::string_view s) const noexcept;
    const std::vector<std::string>& Items() const noexcept { return items_; }

    std::string Text() const;            // every line followed by CR LF
    void SetText(std::string_view text);

    // Raise framework::Exception when the file cannot be opened or written.
    virtual void LoadFromFile(const std::string& path);
    virtual void SaveToFile(const std::string& path) const;

private:
    void Index(const std::string& s);
    void Unindex(const std::string& s) noexcept;
    std::vector<std::string> items_;
    std::unordered_map<std::string, int> counts_;   // how often each text stands in the list
};

// The lines of a text, split as StringList loads them.
std::vector<std::string> SplitLines(std::string_view text);

// Reads a whole file; raises framework::Exception when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
// Writes a new file beside the old one and renames it over it, so a failed
// write never destroys what was there.
void WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace framework
