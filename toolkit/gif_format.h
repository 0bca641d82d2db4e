#pragma once
// The GIF file format (87a and 89a) as plain data: reading a file image into
// frames whose compressed data is kept, decoding one frame's variable-length
// LZW codes into a BMP file image, encoding a BMP back, and writing a file
// image. TGIFImage (gif_image.h) builds the framework's picture on top.
//
// Everything here is pure code over bytes that never trusts them: counts and
// comparisons stay inside their blocks, a code past the table is damage,
// sizes are capped before anything is allocated. It builds for the host
// too, where the fuzzer runs it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/guard.h"
#include "toolkit/dib_format.h"

namespace toolkit {

// The error of every picture operation.
class EInvalidGraphicOperation : public framework::Exception {
public:
    using framework::Exception::Exception;
};

namespace gif {

namespace texts {
constexpr char kUnknownVersion[] = "Unknown GIF version";
constexpr char kUnrecognizedExtension[] = "Unrecognized extension block: %.2x";
constexpr char kWrongColorCount[] = "Wrong number of colors; must be a power of 2";
constexpr char kStreamRead[] = "Stream read error";
constexpr char kCodeSizeRange[] = "GIF code size not in range 2 to 9";
constexpr char kCorruptData[] = "GIF encoded data is corrupt";
constexpr char kCannotResize[] = "Cannot change the Size of a GIF image";
constexpr char kNoData[] = "No GIF Data to write";
constexpr char kEncodingError[] = "GIF image encoding error";
constexpr char kTooLarge[] = "GIF image is too large";
}  // namespace texts

// No colour: no transparency, no background.
constexpr uint32_t clNone = 0x1FFFFFFF;

// Damaged data is read as far as it goes instead of raising an error.
inline bool GIFLoadCorrupted = true;

struct ColorTable {
    int Count = 0;                     // 0 when absent, else 2, 4, ... 256
    std::array<uint8_t, 768> Rgb{};    // red, green, blue per entry
    uint32_t Color(int i) const {      // red + green * 256 + blue * 65536
        return Rgb[size_t(3 * i)] | uint32_t(Rgb[size_t(3 * i + 1)]) << 8 | uint32_t(Rgb[size_t(3 * i + 2)]) << 16;
    }
    int IndexOf(uint32_t color) const;   // the first entry of the colour, -1 for none
};

enum class ExtensionKind : uint8_t { ExtGraphicControl, ExtPlainText, ExtApplication, ExtComment };

// One extension block kept with a frame: its sub-blocks and the fixed
// header bytes as read (6 for graphic control, 13 plain text, 12 application).
struct Extension {
    ExtensionKind Kind = ExtensionKind::ExtComment;
    std::vector<std::string> Data;
    std::string Header;
};

// A frame's raw data, shared between copies of a frame.
struct ImageItem {
    std::string Data;       // minimum code size, sub-blocks, terminator
    int Width = 0;
    int Height = 0;
    uint8_t Packed = 0;     // of the image descriptor
    uint8_t BitsPerPixel = 0;
    ColorTable Colors;      // the local one, or a copy of the global one
};

// The image-wide data, shared between copies of one image.
struct GifData {
    std::vector<std::string> Comment;
    uint8_t AspectRatio = 0;
    uint8_t BitsPerPixel = 0;
    uint8_t ColorResBits = 0;
    ColorTable Colors;
};

struct FrameRecord {
    std::shared_ptr<ImageItem> Item = std::make_shared<ImageItem>();
    std::vector<Extension> Extensions;
    int Left = 0;
    int Top = 0;
    bool Interlaced = false;
    bool Corrupted = false;
    bool GrayscaleReduce = false;
    bool HasLocalColors = false;
    uint32_t TransparentColor = clNone;
    uint16_t AnimateInterval = 0;    // milliseconds
    uint8_t DisposalMethod = 0;
};

struct GifFile {
    std::shared_ptr<GifData> Data = std::make_shared<GifData>();
    uint8_t Version = 0;             // 0 unknown, 1 "87a", 2 "89a"
    std::vector<FrameRecord> Frames;
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint32_t BackgroundColor = clNone;
    bool Looping = false;
    bool Corrupted = false;
    uint16_t RepeatCount = 1;
};

enum class ProgressStage { Starting, Running, Ending };
using Progress = std::function<void(ProgressStage stage, int percent, const std::string& message)>;

// Reads a GIF file image into the file, which is reset first. Throws
// EInvalidGraphicOperation; the frames read before the failure stay.
void ReadGif(std::string_view bytes, GifFile& file);

// The bit count of a frame's BMP for its bits per pixel (1; 4 for 2 to 4;
// 8 for 5 to 8); throws for any other value.
int BmpBitCount(int bitsPerPixel);

// Decodes a frame into a picture of BmpBitCount bits with the item's colours
// (entries past the table grey 128); rows not reached stay index 0. Damage
// sets corrupted instead of throwing while GIFLoadCorrupted is on.
dib::Dib DecodeFrame(const ImageItem& item, bool interlaced, bool& corrupted, const Progress& progress = {});
// The same as a BMP file image.
std::string DecodeFrameToBmp(const ImageItem& item, bool interlaced, bool& corrupted,
                             const Progress& progress = {});

// The smallest n of at least 1 with 2^n not below the count.
int BitsForColors(int count);

// LZW-encodes a picture of 1, 4 or 8 bits into the item: data, size, colour
// table from the palette and bits per pixel. Throws for another depth.
void EncodeFrame(const dib::Dib& picture, ImageItem& item, bool interlaced, const Progress& progress = {});

// The GIF file image of the file, every frame already encoded; with
// writeSize the 32-bit length comes first. Throws EInvalidGraphicOperation.
std::string WriteGif(const GifFile& file, bool writeSize);

// Brings the frame's graphic-control extension up to date with its interval,
// transparent colour and disposal, and drops empty comments; answers whether
// the frame still has extensions (which needs version 89a).
bool UpdateFrameExtensions(FrameRecord& frame);

}  // namespace gif
}  // namespace toolkit
