#include "toolkit/gif_format.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace toolkit::gif {
namespace {

constexpr uint8_t kExtensionIntroducer = '!';
constexpr uint8_t kImageIntroducer = ',';
constexpr uint8_t kTrailer = ';';
constexpr uint8_t kLabelGraphicControl = 0xF9;
constexpr uint8_t kLabelPlainText = 0x01;
constexpr uint8_t kLabelApplication = 0xFF;
constexpr uint8_t kLabelComment = 0xFE;
constexpr size_t kGraphicControlBytes = 6;
constexpr size_t kPlainTextBytes = 13;
constexpr size_t kApplicationBytes = 12;
constexpr uint16_t kMaxRepeatCount = 30000;
constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;
constexpr char kLoopIdentifiers[][12] = {"NETSCAPE2.0", "ANIMEXTS1.0"};

[[noreturn]] void Fail(const char* text) { throw EInvalidGraphicOperation(text); }

// Reading position over the private copy of the data.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    size_t Remaining() const { return bytes_.size() - pos_; }
    uint8_t Byte() {
        if (AtEnd()) Fail(texts::kStreamRead);
        return uint8_t(bytes_[pos_++]);
    }
    uint16_t Word() {
        const uint8_t lo = Byte();
        return uint16_t(lo | Byte() << 8);
    }
    std::string_view Take(size_t n) {
        if (n > Remaining()) Fail(texts::kStreamRead);
        auto s = bytes_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    // At most n bytes: a sub-block whose length runs past the data is cut.
    std::string_view TakeUpTo(size_t n) { return Take(std::min(n, Remaining())); }
    // The next non-zero byte, or 0 at the end.
    uint8_t NextIntroducer() {
        while (!AtEnd()) {
            const uint8_t b = uint8_t(bytes_[pos_++]);
            if (b != 0) return b;
        }
        return 0;
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'a' && x <= 'z' ? x - 32 : x) == (y >= 'a' && y <= 'z' ? y - 32 : y);
           });
}

void ReadColorTable(Cursor& in, int bits, ColorTable& table) {
    table.Count = 1 << bits;
    const auto raw = in.Take(size_t(3 * table.Count));
    std::memcpy(table.Rgb.data(), raw.data(), raw.size());
}

std::vector<std::string> ReadSubBlocks(Cursor& in) {
    std::vector<std::string> blocks;
    while (!in.AtEnd()) {
        const uint8_t length = in.Byte();
        if (length == 0) break;
        blocks.emplace_back(in.TakeUpTo(length));
    }
    return blocks;
}

// A loop extension: the identifier matches as far as its block size says
// (never further than the identifier itself), and its first sub-block says 1.
bool IsLoopExtension(const Extension& e) {
    const size_t claimed = uint8_t(e.Header[0]);
    const size_t n = std::min(claimed, e.Header.size() - 1);
    if (n == 0 || e.Data.empty() || e.Data[0].size() < 3 || e.Data[0][0] != 1) return false;
    for (const auto* id : kLoopIdentifiers)
        if (std::memcmp(e.Header.data() + 1, id, std::min(n, sizeof kLoopIdentifiers[0] - 1)) == 0) return true;
    return false;
}

void ReadExtension(Cursor& in, GifFile& file, std::vector<Extension>& run) {
    const uint8_t label = in.Byte();
    Extension e;
    switch (label) {
    case kLabelGraphicControl:
        e.Kind = ExtensionKind::ExtGraphicControl;
        e.Header = std::string(in.Take(kGraphicControlBytes));
        run.push_back(std::move(e));
        return;
    case kLabelComment:
        e.Kind = ExtensionKind::ExtComment;
        e.Data = ReadSubBlocks(in);
        run.push_back(std::move(e));
        return;
    case kLabelPlainText:
        in.Take(kPlainTextBytes);
        ReadSubBlocks(in);
        run.clear();   // text drawn over a frame we cannot draw: its run goes
        return;
    case kLabelApplication:
        e.Kind = ExtensionKind::ExtApplication;
        e.Header = std::string(in.Take(kApplicationBytes));
        e.Data = ReadSubBlocks(in);
        if (IsLoopExtension(e)) {
            file.Looping = true;
            const auto& b = e.Data[0];
            file.RepeatCount = std::min<uint16_t>(uint16_t(uint8_t(b[1]) | uint8_t(b[2]) << 8), kMaxRepeatCount);
        }
        return;
    default: {
        char text[64];
        std::snprintf(text, sizeof text, texts::kUnrecognizedExtension, label);
        throw EInvalidGraphicOperation(text);
    }
    }
}

void ApplyGraphicControl(FrameRecord& frame) {
    const auto& item = *frame.Item;
    for (const auto& e : frame.Extensions) {
        if (e.Kind != ExtensionKind::ExtGraphicControl) continue;
        const uint8_t packed = uint8_t(e.Header[1]);
        const int delay = uint8_t(e.Header[2]) | uint8_t(e.Header[3]) << 8;
        const uint8_t index = uint8_t(e.Header[4]);
        if (packed & 1) {
            if (index < item.Colors.Count) frame.TransparentColor = item.Colors.Color(index);
        } else {
            frame.TransparentColor = clNone;
        }
        frame.AnimateInterval = uint16_t(std::max<int>(frame.AnimateInterval, delay * 10));
        frame.DisposalMethod = (packed >> 2) & 7;
    }
}

// The minimum code size byte and the sub-blocks, unchanged; a sub-block cut
// short marks the frame and ends the data.
void CopyImageData(Cursor& in, FrameRecord& frame) {
    auto& data = frame.Item->Data;
    if (in.AtEnd()) {
        frame.Corrupted = true;
        return;
    }
    data.push_back(char(in.Byte()));
    while (!in.AtEnd()) {
        const uint8_t length = in.Byte();
        if (length > in.Remaining()) {
            frame.Corrupted = true;
            in.Take(in.Remaining());
            return;
        }
        data.push_back(char(length));
        if (length == 0) return;
        data.append(in.Take(length));
    }
}

FrameRecord ReadFrame(Cursor& in, const GifFile& file, std::vector<Extension> extensions) {
    FrameRecord frame;
    auto& item = *frame.Item;
    const auto& global = file.Data->Colors;
    if (global.Count > 0) item.BitsPerPixel = uint8_t(BitsForColors(global.Count));
    const int left = in.Word(), top = in.Word(), width = in.Word(), height = in.Word();
    item.Packed = in.Byte();
    frame.Interlaced = (item.Packed & 0x40) != 0;
    if (item.Packed & 0x80) {
        const int bits = (item.Packed & 7) + 1;
        ReadColorTable(in, bits, item.Colors);
        item.BitsPerPixel = uint8_t(bits);
        frame.HasLocalColors = true;
    } else {
        item.Colors = global;
    }
    CopyImageData(in, frame);
    item.Width = width ? width : file.ScreenWidth;
    item.Height = height ? height : file.ScreenHeight;
    frame.Left = left;
    frame.Top = top;
    frame.Extensions = std::move(extensions);
    ApplyGraphicControl(frame);
    return frame;
}

void AppendComments(GifData& data, const std::vector<Extension>& run) {
    for (const auto& e : run) {
        if (e.Kind != ExtensionKind::ExtComment) continue;
        if (!data.Comment.empty()) data.Comment.emplace_back("\r\n\r\n");
        data.Comment.insert(data.Comment.end(), e.Data.begin(), e.Data.end());
    }
}

// LZW decoding -------------------------------------------------------------

// Codes, least significant bit first, across the sub-blocks.
class CodeReader {
public:
    explicit CodeReader(std::string_view subBlocks) : data_(subBlocks) {}
    // False when the data ends before a whole code.
    bool Next(int size, int& code) {
        while (bitCount_ < size) {
            if (blockLeft_ == 0 && !NextBlock()) return false;
            bits_ |= uint32_t(uint8_t(data_[pos_++])) << bitCount_;
            bitCount_ += 8;
            --blockLeft_;
        }
        code = int(bits_ & ((1u << size) - 1));
        bits_ >>= size;
        bitCount_ -= size;
        return true;
    }
    size_t Position() const { return pos_; }

private:
    bool NextBlock() {
        if (ended_ || pos_ >= data_.size()) return false;
        const size_t length = uint8_t(data_[pos_++]);
        if (length == 0) {
            ended_ = true;
            return false;
        }
        blockLeft_ = std::min(length, data_.size() - pos_);   // clamped to the data
        return blockLeft_ > 0;
    }
    std::string_view data_;
    size_t pos_ = 0;
    size_t blockLeft_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;
};

// Where the pixels go: left to right, then the next row, in the four passes
// of an interlaced frame.
class RowWriter {
public:
    RowWriter(dib::Dib& target, bool interlaced) : dib_(target), interlaced_(interlaced) {
        done_ = target.Width == 0 || target.Height == 0;
    }
    bool Done() const { return done_; }
    int RowsDone() const { return rowsDone_; }
    void Put(uint8_t pixel) {
        if (done_) return;
        dib_.SetIndex(x_, y_, pixel);
        if (++x_ < dib_.Width) return;
        x_ = 0;
        ++rowsDone_;
        NextRow();
    }

private:
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    void NextRow() {
        if (!interlaced_) {
            done_ = ++y_ >= dib_.Height;
            return;
        }
        y_ += kStep[pass_];
        // A pass may hold no row at all in a short frame: skip to the next
        // pass that has one.
        while (y_ >= dib_.Height) {
            if (++pass_ >= 4) {
                done_ = true;
                return;
            }
            y_ = kStart[pass_];
        }
    }
    dib::Dib& dib_;
    bool interlaced_;
    int x_ = 0, y_ = 0, pass_ = 0, rowsDone_ = 0;
    bool done_ = false;
};

void MarkCorrupt(bool& corrupted, const char* text) {
    if (!GIFLoadCorrupted) Fail(text);
    corrupted = true;
}

void ReportProgress(const Progress& progress, ProgressStage stage, int percent, const std::string& message = {}) {
    if (progress) progress(stage, percent, message);
}

void DecodeLzw(const ImageItem& item, RowWriter& out, bool& corrupted, const Progress& progress) {
    const std::string_view data = item.Data;
    if (data.empty()) return;
    int minimum = uint8_t(data[0]);
    if (minimum < 2 || minimum > 9) {
        MarkCorrupt(corrupted, texts::kCodeSizeRange);
        minimum = std::clamp(minimum, 2, 9);
    }
    const int clear = 1 << minimum, end = clear + 1, firstFree = clear + 2;
    std::vector<uint16_t> prefix(kMaxCodes), suffix(kMaxCodes), stack(kMaxCodes + 1);
    const uint8_t pixelMask = uint8_t((1 << std::min<int>(item.BitsPerPixel, 8)) - 1);
    int size = minimum + 1, nextFree = firstFree, previous = -1;
    uint8_t firstPixel = 0;
    CodeReader codes(data.substr(1));
    int code = 0;
    while (!out.Done()) {
        if (!codes.Next(size, code)) {
            corrupted = true;   // the data ended before the picture
            break;
        }
        ReportProgress(progress, ProgressStage::Running, int(uint64_t(codes.Position()) * 100 / data.size()));
        if (code == clear) {
            size = minimum + 1;
            nextFree = firstFree;
            previous = -1;
            continue;
        }
        if (code == end) break;
        if (previous < 0) {
            // The first code after a clear stands for itself.
            if (code >= clear) {
                MarkCorrupt(corrupted, texts::kCorruptData);
                break;
            }
            firstPixel = uint8_t(code);
            if (firstPixel > pixelMask) corrupted = true;
            out.Put(firstPixel);
            previous = code;
            continue;
        }
        // A code past the next free entry is damage, never an index.
        if (code > nextFree || (code == nextFree && nextFree >= kMaxCodes)) {
            MarkCorrupt(corrupted, texts::kCorruptData);
            break;
        }
        int top = 0, walk = code;
        if (code == nextFree) {
            stack[size_t(top++)] = firstPixel;
            walk = previous;
        }
        while (walk >= firstFree) {
            if (top >= kMaxCodes) break;
            stack[size_t(top++)] = suffix[size_t(walk)];
            walk = prefix[size_t(walk)];
        }
        if (walk >= clear) {   // a chain that never reached a pixel
            MarkCorrupt(corrupted, texts::kCorruptData);
            break;
        }
        firstPixel = uint8_t(walk);
        if (firstPixel > pixelMask) corrupted = true;
        stack[size_t(top++)] = firstPixel;
        while (top > 0 && !out.Done()) out.Put(stack[size_t(--top)]);
        if (nextFree < kMaxCodes) {   // a full table is frozen until the next clear
            prefix[size_t(nextFree)] = uint16_t(previous);
            suffix[size_t(nextFree)] = firstPixel;
            if (++nextFree == 1 << size && size < kMaxCodeSize) ++size;
        }
        previous = code;
    }
}

// LZW encoding --------------------------------------------------------------

// Packs codes least significant bit first into sub-blocks of 255 bytes.
class CodeWriter {
public:
    explicit CodeWriter(std::string& out) : out_(out) {}
    void Put(int code, int size) {
        bits_ |= uint32_t(code) << bitCount_;
        bitCount_ += size;
        while (bitCount_ >= 8) {
            PutByte(uint8_t(bits_));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }
    void Finish() {
        if (bitCount_ > 0) PutByte(uint8_t(bits_));
        Flush();
        out_.push_back('\0');
    }

private:
    void PutByte(uint8_t b) {
        block_.push_back(char(b));
        if (block_.size() == 255) Flush();
    }
    void Flush() {
        if (block_.empty()) return;
        out_.push_back(char(block_.size()));
        out_ += block_;
        block_.clear();
    }
    std::string& out_;
    std::string block_;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
};

// The string table: open addressing with linear probing over a pool of
// 4096 entries; a look-up compares prefix and pixel exactly.
class StringTable {
public:
    StringTable() : slots_(kSlots, -1) {}
    void Clear() {
        std::fill(slots_.begin(), slots_.end(), -1);
        used_ = 0;
    }
    int Find(int prefix, uint8_t pixel) const {
        for (size_t s = Hash(prefix, pixel);; s = (s + 1) % kSlots) {
            const int e = slots_[s];
            if (e < 0) return -1;
            if (pool_[size_t(e)].Prefix == prefix && pool_[size_t(e)].Pixel == pixel) return pool_[size_t(e)].Code;
        }
    }
    void Add(int prefix, uint8_t pixel, int code) {
        size_t s = Hash(prefix, pixel);
        while (slots_[s] >= 0) s = (s + 1) % kSlots;
        pool_[size_t(used_)] = {prefix, code, pixel};
        slots_[s] = used_++;
    }

private:
    static constexpr size_t kSlots = 17777;
    struct Entry {
        int Prefix;
        int Code;
        uint8_t Pixel;
    };
    static size_t Hash(int prefix, uint8_t pixel) { return (size_t(prefix) << 8 ^ pixel) % kSlots; }
    std::vector<int> slots_;
    std::array<Entry, kMaxCodes> pool_{};
    int used_ = 0;
};

// Rows in the order they are stored: top down, or the four passes.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    constexpr int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    return rows;
}

void EncodeLzw(const dib::Dib& picture, bool interlaced, std::string& out, const Progress& progress) {
    const int minimum = picture.BitCount == 1 ? 2 : picture.BitCount;
    const int clear = 1 << minimum, end = clear + 1, firstFree = clear + 2;
    out.push_back(char(minimum));
    CodeWriter writer(out);
    StringTable table;
    int size = minimum + 1, nextFree = firstFree, pending = -1;
    writer.Put(clear, size);
    const auto rows = RowOrder(picture.Height, interlaced);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int x = 0; x < picture.Width; ++x) {
            const uint8_t pixel = picture.Index(x, rows[r]);
            if (pending < 0) {
                pending = pixel;
                continue;
            }
            const int found = table.Find(pending, pixel);
            if (found >= 0) {
                pending = found;
                continue;
            }
            writer.Put(pending, size);
            table.Add(pending, pixel, nextFree);
            if (nextFree++ == 1 << size) {
                ++size;
            } else if (nextFree > kMaxCodes - 3) {
                writer.Put(pixel, size);
                writer.Put(clear, size);
                table.Clear();
                size = minimum + 1;
                nextFree = firstFree;
                pending = -1;
                continue;
            }
            pending = pixel;
        }
        ReportProgress(progress, ProgressStage::Running, int((r + 1) * 100 / rows.size()));
    }
    if (pending >= 0) writer.Put(pending, size);
    writer.Put(end, size);
    writer.Finish();
}

// Writing ---------------------------------------------------------------------

void PutWord(std::string& out, int value) {
    out.push_back(char(value & 0xFF));
    out.push_back(char((value >> 8) & 0xFF));
}

// A table is always written with a power-of-two count of entries: the
// missing ones are black.
void PutColorTable(std::string& out, const ColorTable& table) {
    const int bits = BitsForColors(table.Count);
    out.append(reinterpret_cast<const char*>(table.Rgb.data()), size_t(3 * std::min(table.Count, 256)));
    out.append(size_t(3 * ((1 << bits) - std::min(table.Count, 256))), '\0');
}

void PutSubBlocks(std::string& out, const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        if (line.empty()) continue;
        const size_t n = std::min<size_t>(line.size(), 255);
        out.push_back(char(n));
        out.append(line, 0, n);
    }
    out.push_back('\0');
}

void PutExtension(std::string& out, const Extension& e) {
    out.push_back(char(kExtensionIntroducer));
    switch (e.Kind) {
    case ExtensionKind::ExtGraphicControl:
        out.push_back(char(kLabelGraphicControl));
        out += e.Header;
        return;
    case ExtensionKind::ExtPlainText:
        out.push_back(char(kLabelPlainText));
        out += e.Header;
        break;
    case ExtensionKind::ExtApplication:
        out.push_back(char(kLabelApplication));
        out += e.Header;
        break;
    case ExtensionKind::ExtComment: out.push_back(char(kLabelComment)); break;
    }
    PutSubBlocks(out, e.Data);
}

// The stored data, closed with the zero-length sub-block when a damaged
// read left it open: the next block must never be taken for image data.
void PutImageData(std::string& out, std::string_view data) {
    if (data.empty()) return;
    size_t at = 1, last = 1;
    while (at < data.size() && data[at] != 0) {
        last = at;
        at += 1 + uint8_t(data[at]);
    }
    if (at < data.size()) {
        out.append(data.substr(0, at + 1));
        return;
    }
    if (at == data.size()) {
        out.append(data);
    } else {   // the last sub-block is cut: its length says what is there
        out.append(data.substr(0, last));
        const size_t rest = data.size() - last - 1;
        if (rest > 0) {
            out.push_back(char(rest));
            out.append(data.substr(last + 1));
        }
    }
    out.push_back('\0');
}

void PutFrame(std::string& out, const FrameRecord& frame) {
    for (const auto& e : frame.Extensions) PutExtension(out, e);
    const auto& item = *frame.Item;
    out.push_back(char(kImageIntroducer));
    PutWord(out, frame.Left);
    PutWord(out, frame.Top);
    PutWord(out, item.Width);
    PutWord(out, item.Height);
    uint8_t packed = 0;
    if (frame.HasLocalColors) packed = uint8_t(0x80 + BitsForColors(item.Colors.Count) - 1);
    if (frame.Interlaced) packed |= 0x40;
    out.push_back(char(packed));
    if (frame.HasLocalColors) PutColorTable(out, item.Colors);
    PutImageData(out, item.Data);
}

}  // namespace

int ColorTable::IndexOf(uint32_t color) const {
    for (int i = 0; i < Count; ++i)
        if (Color(i) == color) return i;
    return -1;
}

int BitsForColors(int count) {
    int n = 1;
    while (n < 8 && (1 << n) < count) ++n;
    return n;
}

int BmpBitCount(int bitsPerPixel) {
    if (bitsPerPixel == 1) return 1;
    if (bitsPerPixel >= 2 && bitsPerPixel <= 4) return 4;
    if (bitsPerPixel >= 5 && bitsPerPixel <= 8) return 8;
    Fail(texts::kWrongColorCount);
}

void ReadGif(std::string_view bytes, GifFile& file) {
    file = GifFile{};
    if (bytes.empty()) return;
    Cursor in(bytes);
    if (!SameIgnoringCase(in.Take(3), "GIF")) Fail(texts::kUnknownVersion);
    const auto version = in.Take(3);
    if (SameIgnoringCase(version, "87a")) file.Version = 1;
    else if (SameIgnoringCase(version, "89a")) file.Version = 2;
    else Fail(texts::kUnknownVersion);

    auto& data = *file.Data;
    file.ScreenWidth = in.Word();
    file.ScreenHeight = in.Word();
    const uint8_t packed = in.Byte();
    const uint8_t background = in.Byte();
    data.AspectRatio = in.Byte();
    data.BitsPerPixel = uint8_t((packed & 7) + 1);
    data.ColorResBits = uint8_t(((packed >> 4) & 7) + 1);
    if (packed & 0x80) {
        ReadColorTable(in, data.BitsPerPixel, data.Colors);
        if (background < data.Colors.Count) file.BackgroundColor = data.Colors.Color(background);
    }

    uint8_t introducer = in.NextIntroducer();
    while (introducer != 0 && introducer != kTrailer && !in.AtEnd()) {
        std::vector<Extension> run;
        while (introducer == kExtensionIntroducer) {
            ReadExtension(in, file, run);
            introducer = in.NextIntroducer();
        }
        if (introducer == kImageIntroducer) {
            file.Frames.push_back(ReadFrame(in, file, std::move(run)));
            introducer = in.AtEnd() ? kTrailer : in.NextIntroducer();
            if (introducer != kExtensionIntroducer && introducer != kImageIntroducer && introducer != kTrailer)
                introducer = 0;
        } else if (data.Comment.empty() && !run.empty()) {
            AppendComments(data, run);
        } else if (introducer != 0 && introducer != kTrailer) {
            Fail(texts::kStreamRead);
        }
    }
}

dib::Dib DecodeFrame(const ImageItem& item, bool interlaced, bool& corrupted, const Progress& progress) {
    const int bitCount = BmpBitCount(item.BitsPerPixel);
    if (item.Width < 0 || item.Height < 0 || uint64_t(item.Width) * uint64_t(item.Height) > dib::kMaxPixels)
        Fail(texts::kTooLarge);
    dib::Dib picture = dib::MakeDib(item.Width, item.Height, bitCount);
    for (int i = 0; i < item.Colors.Count && i < (1 << bitCount); ++i)
        picture.Palette.push_back({item.Colors.Rgb[size_t(3 * i + 2)], item.Colors.Rgb[size_t(3 * i + 1)],
                                   item.Colors.Rgb[size_t(3 * i)], 0});
    ReportProgress(progress, ProgressStage::Starting, 0);
    try {
        RowWriter out(picture, interlaced);
        DecodeLzw(item, out, corrupted, progress);
    } catch (const std::exception& e) {
        ReportProgress(progress, ProgressStage::Ending, 0, e.what());
        throw;
    }
    ReportProgress(progress, ProgressStage::Ending, 100);
    return picture;
}

std::string DecodeFrameToBmp(const ImageItem& item, bool interlaced, bool& corrupted, const Progress& progress) {
    return dib::BuildBmp(DecodeFrame(item, interlaced, corrupted, progress), 128);
}

void EncodeFrame(const dib::Dib& picture, ImageItem& item, bool interlaced, const Progress& progress) {
    if (picture.BitCount != 1 && picture.BitCount != 4 && picture.BitCount != 8) Fail(texts::kEncodingError);
    ImageItem fresh;
    fresh.Width = picture.Width;
    fresh.Height = picture.Height;
    const size_t colours = std::min<size_t>(picture.Palette.size(), 256);
    fresh.Colors.Count = int(colours);
    for (size_t i = 0; i < colours; ++i) {
        fresh.Colors.Rgb[3 * i] = picture.Palette[i][2];
        fresh.Colors.Rgb[3 * i + 1] = picture.Palette[i][1];
        fresh.Colors.Rgb[3 * i + 2] = picture.Palette[i][0];
    }
    ReportProgress(progress, ProgressStage::Starting, 0);
    EncodeLzw(picture, interlaced, fresh.Data, progress);
    ReportProgress(progress, ProgressStage::Ending, 100);
    fresh.BitsPerPixel = uint8_t(BitsForColors(int(colours)));
    item = std::move(fresh);
}

bool UpdateFrameExtensions(FrameRecord& frame) {
    auto& list = frame.Extensions;
    auto control = std::find_if(list.begin(), list.end(),
                                [](const Extension& e) { return e.Kind == ExtensionKind::ExtGraphicControl; });
    if (control == list.end() &&
        (frame.AnimateInterval != 0 || frame.TransparentColor != clNone || frame.DisposalMethod != 0)) {
        list.push_back({ExtensionKind::ExtGraphicControl, {}, std::string("\x04\0\0\0\0\0", 6)});
        control = list.end() - 1;
    }
    if (control != list.end()) {
        auto& h = control->Header;
        h.resize(kGraphicControlBytes);
        const int delay = frame.AnimateInterval / 10;
        h[2] = char(delay & 0xFF);
        h[3] = char(delay >> 8);
        const int index = frame.TransparentColor == clNone ? -1 : frame.Item->Colors.IndexOf(frame.TransparentColor);
        uint8_t packed = uint8_t(uint8_t(h[1]) & ~0x1D);
        if (index >= 0) {
            packed |= 1;
            h[4] = char(index);
        }
        packed |= uint8_t((frame.DisposalMethod & 7) << 2);
        h[1] = char(packed);
    }
    std::erase_if(list, [](const Extension& e) { return e.Kind == ExtensionKind::ExtComment && e.Data.empty(); });
    return !list.empty();
}

std::string WriteGif(const GifFile& file, bool writeSize) {
    if (file.Frames.empty()) Fail(texts::kNoData);
    const auto& data = *file.Data;
    int version = file.Version;
    if (!data.Comment.empty()) version = 2;
    int screenWidth = 0, screenHeight = 0;
    for (const auto& f : file.Frames) {
        if (f.Item->Data.empty()) Fail(texts::kNoData);
        screenWidth = std::max(screenWidth, f.Left + f.Item->Width);
        screenHeight = std::max(screenHeight, f.Top + f.Item->Height);
        if (!f.Extensions.empty()) version = 2;
    }
    std::string out = version == 2 ? "GIF89a" : "GIF87a";
    PutWord(out, screenWidth);
    PutWord(out, screenHeight);
    if (data.Colors.Count > 256) Fail(texts::kWrongColorCount);
    if (data.Colors.Count > 0) {
        // The size field always matches the table written (padded to a power
        // of two), whatever bit depth the data claims.
        const int bits = BitsForColors(data.Colors.Count);
        out.push_back(char(0x80 + (bits - 1) * 16 + (bits - 1)));
        out.push_back(char(std::max(data.Colors.IndexOf(file.BackgroundColor), 0)));
    } else {
        out.push_back('\0');
        out.push_back('\0');
    }
    out.push_back(char(data.AspectRatio));
    if (data.Colors.Count > 0) PutColorTable(out, data.Colors);
    if (file.Looping && file.Frames.size() > 1) {
        out += "!\xFF\x0BNETSCAPE2.0\x03\x01";
        PutWord(out, file.RepeatCount);
        out.push_back('\0');
    }
    for (const auto& f : file.Frames) PutFrame(out, f);
    if (!data.Comment.empty()) {
        out += "!\xFE";
        PutSubBlocks(out, data.Comment);
    }
    out.push_back(char(kTrailer));
    if (!writeSize) return out;
    std::string sized;
    const uint32_t n = uint32_t(out.size());
    for (int i = 0; i < 4; ++i) sized.push_back(char((n >> (8 * i)) & 0xFF));
    return sized + out;
}

}  // namespace toolkit::gif
