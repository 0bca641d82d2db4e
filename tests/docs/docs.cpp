#include "docs.h"
#include <fstream>
#include <sstream>
#include "support/e2e.h"

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

bool IsProgramText(std::string_view text) {
    static const std::string program = ReadFile(e2e::BinDir() + "Tessareltop.exe");
    return !text.empty() && program.find(text) != std::string::npos;
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
