#include "docs.h"
#include <windows.h>
#include <fstream>
#include <sstream>

namespace docs {

std::string SourceFile(std::string_view relative) {
    // The tree is seen through the drive that maps the host's root.
    std::string path = std::string("Z:") + TESSAREL_SOURCE_DIR + "/" + std::string(relative);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

void CollectSources(const std::string& folder, std::vector<std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CollectSources(folder + "\\" + name, out);
        else if (name.ends_with(".cpp") || name.ends_with(".h")) out.push_back(folder + "\\" + name);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

// The string literals of a C++ source, adjacent ones joined as the compiler
// joins them, each ended by '\x02'. Escaped line breaks and tabs count as
// blanks, as a reader sees them.
void AppendLiterals(const std::string& src, std::string& out) {
    bool joining = false;   // the last token was a literal
    for (size_t i = 0; i < src.size(); ++i) {
        const char c = src[i];
        if (c == '/' && i + 1 < src.size() && src[i + 1] == '/') {
            i = src.find('\n', i);
            if (i == std::string::npos) break;
            continue;
        }
        if (c == '/' && i + 1 < src.size() && src[i + 1] == '*') {
            i = src.find("*/", i + 2);
            if (i == std::string::npos) break;
            ++i;
            continue;
        }
        if (c == '\'') {   // a character literal, '"' among them
            for (++i; i < src.size() && src[i] != '\''; ++i)
                if (src[i] == '\\') ++i;
            continue;
        }
        if (c == '"') {
            for (++i; i < src.size() && src[i] != '"'; ++i) {
                if (src[i] != '\\') {
                    out += src[i];
                    continue;
                }
                const char e = src[++i];
                out += e == 'n' || e == 'r' || e == 't' ? ' ' : e;
            }
            joining = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (joining) out += '\x02';
        joining = false;
    }
    if (joining) out += '\x02';
}

}  // namespace

bool IsProgramText(std::string_view text) {
    static const std::string literals = [] {
        std::vector<std::string> files;
        for (const char* folder : {"engine", "settings", "navigation", "shell", "toolkit", "framework"})
            CollectSources(SourceFile(folder), files);
        std::string all;
        for (const std::string& file : files) AppendLiterals(ReadFile(file), all);
        // Runs of blanks read as one, as the README and the pages write them.
        std::string squeezed;
        for (char c : all)
            if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += c;
        return squeezed;
    }();
    return !text.empty() && text.find('\x02') == std::string_view::npos && literals.find(text) != std::string::npos;
}

std::string Squeeze(std::string_view text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

}  // namespace docs
