// The help file beside the program holds a page for every topic the program
// opens, with its table of contents and index. The test reads the file's
// directory: an ITSF header, a directory header, and listing chunks whose
// entries name each file with its section, offset and length.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include "shell/help.h"
#include "support/e2e.h"

namespace {

struct ChmEntry {
    uint64_t section = 0, offset = 0, length = 0;
};

// Reads only what it checks; every offset is tested against the file's size.
class ChmDirectory {
public:
    explicit ChmDirectory(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        bytes_ = s.str();
        ok_ = Read();
    }
    bool Ok() const { return ok_; }
    const std::map<std::string, ChmEntry>& Entries() const { return entries_; }

private:
    template <typename T>
    std::optional<T> At(uint64_t pos) const {
        if (pos + sizeof(T) > bytes_.size()) return std::nullopt;
        T v{};
        std::memcpy(&v, bytes_.data() + pos, sizeof v);
        return v;
    }
    // A variable-length number: seven bits a byte, the high bit says more follow.
    std::optional<uint64_t> EncInt(uint64_t& pos, uint64_t end) const {
        uint64_t v = 0;
        for (int i = 0; i < 9 && pos < end; ++i) {
            const auto b = static_cast<unsigned char>(bytes_[pos++]);
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        return std::nullopt;
    }
    bool Read() {
        if (bytes_.compare(0, 4, "ITSF") != 0) return false;
        auto dirOffset = At<uint64_t>(0x48);
        if (!dirOffset || bytes_.compare(*dirOffset, 4, "ITSP") != 0) return false;
        auto headerLength = At<uint32_t>(*dirOffset + 0x08);
        auto chunkSize = At<uint32_t>(*dirOffset + 0x10);
        auto chunkCount = At<uint32_t>(*dirOffset + 0x2C);
        if (!headerLength || !chunkSize || !chunkCount || *chunkSize < 0x14) return false;
        for (uint32_t c = 0; c < *chunkCount; ++c) {
            const uint64_t chunk = *dirOffset + *headerLength + uint64_t{c} * *chunkSize;
            if (chunk + *chunkSize > bytes_.size()) return false;
            if (bytes_.compare(chunk, 4, "PMGL") != 0) continue;   // an index chunk
            auto freeSpace = At<uint32_t>(chunk + 4);
            if (!freeSpace || *freeSpace > *chunkSize - 0x14) return false;
            const uint64_t end = chunk + *chunkSize - *freeSpace;
            for (uint64_t pos = chunk + 0x14; pos < end;) {
                auto nameLength = EncInt(pos, end);
                if (!nameLength || pos + *nameLength > end) return false;
                std::string name = bytes_.substr(pos, *nameLength);
                pos += *nameLength;
                auto section = EncInt(pos, end), offset = EncInt(pos, end), length = EncInt(pos, end);
                if (!section || !offset || !length) return false;
                entries_[name] = {*section, *offset, *length};
            }
        }
        return true;
    }
    std::string bytes_;
    bool ok_ = false;
    std::map<std::string, ChmEntry> entries_;
};

}  // namespace

TEST(HelpFile, HoldsEveryTopicTheProgramOpensWithContentsAndIndex) {
    const std::string path = e2e::BinDir() + std::string(shell::help_texts::kHelpFile);
    ChmDirectory chm(path);
    ASSERT_TRUE(chm.Ok()) << path << " is missing or no compiled help file";
    auto holds = [&](const std::string& name) {
        auto it = chm.Entries().find(name);
        return it != chm.Entries().end() && it->second.length > 0;
    };
    for (std::string_view topic : shell::kProgramTopics) EXPECT_TRUE(holds("/" + std::string(topic))) << topic;
    EXPECT_TRUE(holds("/toc.hhc"));
    EXPECT_TRUE(holds("/index.hhk"));
    EXPECT_TRUE(holds("/#SYSTEM"));
}
