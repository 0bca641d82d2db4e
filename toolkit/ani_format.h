#pragma once
// The animated-cursor file (RIFF form "ACON") as plain data: its header,
// title, author and frames, each frame with the icon or cursor file image it
// shows. TAnimatedCursorImage (ani_file.h) turns the images into icons.
//
// Pure code over bytes that never trusts them: chunk sizes are unsigned and
// clamped to the data, the frame count to what the data can hold, "rate"
// and "seq " entries past the frame list are dropped, and every icon
// directory entry must lie inside its chunk. Builds for the host's fuzzer.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::ani {

#pragma pack(push, 1)
// The "anih" chunk, as stored.
struct AniHeader {
    uint32_t HeaderSize;
    uint32_t Frames;
    uint32_t Steps;
    uint32_t Width;
    uint32_t Height;
    uint32_t BitCount;
    uint32_t Planes;
    uint32_t DisplayRate;   // sixtieths of a second
    uint32_t Flags;         // bit 0: the frames are icon resources
};
// An icon or cursor directory and one of its entries.
struct IconDir {
    uint16_t Reserved;
    uint16_t Type;          // 1 icon, 2 cursor
    uint16_t Count;
};
struct IconDirEntry {
    uint8_t Width;
    uint8_t Height;
    uint8_t ColorCount;
    uint8_t Reserved;
    uint16_t HotSpotX;      // planes of an icon
    uint16_t HotSpotY;      // bit count of an icon
    uint32_t BytesInRes;
    uint32_t ImageOffset;
};
#pragma pack(pop)
static_assert(sizeof(AniHeader) == 36);
static_assert(sizeof(IconDir) == 6);
static_assert(sizeof(IconDirEntry) == 16);

constexpr char kStreamRead[] = "Stream read error";

// One frame image, checked: the file image (a cursor's type already changed
// to icon, so it loads as one), how it was stored, its hot spot as the
// directory gives it, and the colours it was drawn with (2^bits for 1, 4
// and 8 bits, else 0).
struct IconImage {
    std::string FileImage;
    bool IsIcon = false;
    int HotSpotX = 0;
    int HotSpotY = 0;
    int Colors = 0;
};

// Checks an icon or cursor file image: type 1 or 2, at least one entry,
// every entry's image inside the data. False for anything else.
bool InspectIconImage(std::string_view bytes, IconImage& image);

// A frame: the image it shows (frames of one image share it).
struct AniFrame {
    int Image = -1;            // index into AniFile::Images; -1 for none
    std::string ChunkHeader;   // tag and size of its "icon" chunk, 8 bytes
    uint32_t Rate = 0;         // sixtieths of a second
    uint32_t Sequence = 0;     // which image the frame shows
};

struct AniFile {
    AniHeader Header{};
    std::string Title;
    std::string Author;
    std::vector<AniFrame> Frames;
    std::vector<IconImage> Images;
    int OriginalColors = 0;
};

// Reads an animated cursor; throws framework::Exception "Stream read error"
// for a malformed file.
AniFile ReadAni(std::string_view bytes);

}  // namespace toolkit::ani
