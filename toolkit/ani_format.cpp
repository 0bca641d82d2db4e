#include "toolkit/ani_format.h"
#include <algorithm>
#include <cstring>
#include "framework/guard.h"

namespace toolkit::ani {
namespace {

constexpr size_t kChunkHeader = 8;
constexpr size_t kMaxText = 255;
constexpr uint32_t kFlagIcon = 1;

[[noreturn]] void Fail() { throw framework::Exception(kStreamRead); }

uint32_t U32(std::string_view b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// One chunk: its tag and its data, the size clamped to what is there.
struct Chunk {
    std::string_view Tag;
    std::string_view Header;
    std::string_view Data;
};

// Walks the chunks of a block: each one's data padded to an even length.
class ChunkWalker {
public:
    explicit ChunkWalker(std::string_view block) : block_(block) {}
    bool Next(Chunk& chunk) {
        if (block_.size() - pos_ < kChunkHeader) return false;
        chunk.Header = block_.substr(pos_, kChunkHeader);
        chunk.Tag = chunk.Header.substr(0, 4);
        // The size is unsigned: a "negative" one is simply too large.
        const uint64_t size = U32(block_, pos_ + 4);
        pos_ += kChunkHeader;
        const size_t take = size_t(std::min<uint64_t>(size, block_.size() - pos_));
        chunk.Data = block_.substr(pos_, take);
        pos_ += size_t(std::min<uint64_t>(size + (size & 1), block_.size() - pos_));
        return true;
    }

private:
    std::string_view block_;
    size_t pos_ = 0;
};

std::string TextOf(std::string_view data) {
    auto s = data.substr(0, std::min(data.size(), kMaxText));
    return std::string(s.substr(0, s.find('\0')));
}

int ColorsOfImage(std::string_view image) {
    // The bit count of the image's own header; a PNG image counts as none.
    if (image.size() < 16 || U32(image, 0) < 40) return 0;
    uint16_t bits = 0;
    std::memcpy(&bits, image.data() + 14, 2);
    return bits == 1 || bits == 4 || bits == 8 ? 1 << bits : 0;
}

struct Reader {
    AniFile file;
    size_t rateTurn = 0;
    size_t seqTurn = 0;
    size_t dataSize = 0;

    void Header(std::string_view data) {
        if (data.size() < sizeof(AniHeader)) Fail();
        std::memcpy(&file.Header, data.data(), sizeof(AniHeader));
        if (!(file.Header.Flags & kFlagIcon) || file.Header.Steps == 0) Fail();
        // Every frame that can ever show an image needs at least one chunk
        // of its own: a count beyond that is a lie, never an allocation.
        const size_t count = std::min<size_t>(file.Header.Frames, dataSize / kChunkHeader);
        file.Frames.assign(count, AniFrame{});
        for (size_t i = 0; i < count; ++i) {
            file.Frames[i].Sequence = uint32_t(i);
            file.Frames[i].Rate = file.Header.DisplayRate;
        }
        rateTurn = seqTurn = 0;
    }
    // An entry past the frame list has no frame to go to.
    void Rate(std::string_view data) {
        if (data.size() >= 4 && rateTurn < file.Frames.size()) file.Frames[rateTurn].Rate = U32(data, 0);
        ++rateTurn;
    }
    void Sequence(std::string_view data) {
        if (data.size() >= 4 && seqTurn < file.Frames.size()) file.Frames[seqTurn].Sequence = U32(data, 0);
        ++seqTurn;
    }
    // False when the image cannot be read, which ends the list.
    bool Icon(const Chunk& chunk) {
        IconImage image;
        if (!InspectIconImage(chunk.Data, image)) return false;
        file.OriginalColors = std::max(file.OriginalColors, image.Colors);
        const auto number = uint32_t(file.Images.size());
        file.Images.push_back(std::move(image));
        bool given = false;
        for (auto& f : file.Frames)
            if (f.Sequence == number) {
                Give(f, number, chunk);
                given = true;
            }
        if (!given) {
            AniFrame f;
            f.Sequence = number;
            f.Rate = file.Header.DisplayRate;
            Give(f, number, chunk);
            file.Frames.push_back(std::move(f));
        }
        return true;
    }
    static void Give(AniFrame& f, uint32_t image, const Chunk& chunk) {
        f.Image = int(image);
        f.ChunkHeader = std::string(chunk.Header);
    }
    void FrameList(std::string_view list) {
        ChunkWalker walker(list);
        Chunk sub;
        while (walker.Next(sub))
            if (sub.Tag == "icon" && !Icon(sub)) return;
    }
    void Info(std::string_view list) {
        ChunkWalker walker(list);
        Chunk sub;
        while (walker.Next(sub)) {
            if (sub.Tag == "INAM") file.Title = TextOf(sub.Data);
            else if (sub.Tag == "IART") file.Author = TextOf(sub.Data);
        }
    }
};

}  // namespace

bool InspectIconImage(std::string_view bytes, IconImage& image) {
    if (bytes.size() < sizeof(IconDir)) return false;
    IconDir dir{};
    std::memcpy(&dir, bytes.data(), sizeof dir);
    if (dir.Reserved != 0 || (dir.Type != 1 && dir.Type != 2) || dir.Count == 0) return false;
    if ((bytes.size() - sizeof dir) / sizeof(IconDirEntry) < dir.Count) return false;
    image = IconImage{};
    image.IsIcon = dir.Type == 1;
    for (size_t i = 0; i < dir.Count; ++i) {
        IconDirEntry e{};
        std::memcpy(&e, bytes.data() + sizeof dir + i * sizeof e, sizeof e);
        if (e.ImageOffset > bytes.size() || e.BytesInRes > bytes.size() - e.ImageOffset || e.BytesInRes == 0)
            return false;
        image.Colors = std::max(image.Colors, ColorsOfImage(bytes.substr(e.ImageOffset, e.BytesInRes)));
        image.HotSpotX = e.HotSpotX;
        image.HotSpotY = e.HotSpotY;
    }
    image.FileImage = std::string(bytes);
    image.FileImage[2] = 1;   // a cursor loads as an icon
    image.FileImage[3] = 0;
    return true;
}

AniFile ReadAni(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "ACON") Fail();
    Reader reader;
    reader.dataSize = bytes.size();
    ChunkWalker walker(bytes.substr(12));
    Chunk chunk;
    while (walker.Next(chunk)) {
        if (chunk.Tag == "anih") {
            reader.Header(chunk.Data);
        } else if (chunk.Tag == "rate") {
            reader.Rate(chunk.Data);
        } else if (chunk.Tag == "seq ") {
            reader.Sequence(chunk.Data);
        } else if (chunk.Tag == "LIST" && chunk.Data.size() >= 4) {
            const auto type = chunk.Data.substr(0, 4);
            if (type == "fram") reader.FrameList(chunk.Data.substr(4));
            else if (type == "INFO") reader.Info(chunk.Data.substr(4));
        }
    }
    auto& frames = reader.file.Frames;
    std::erase_if(frames, [](const AniFrame& f) { return f.Image < 0; });
    if (frames.empty()) Fail();
    reader.file.Header.Steps = uint32_t(frames.size());
    return std::move(reader.file);
}

}  // namespace toolkit::ani
