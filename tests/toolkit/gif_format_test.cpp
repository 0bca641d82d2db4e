// The GIF format on its own: what the reader keeps and tolerates, how the
// decoder treats damage, and what the writer puts out. Files are built
// byte by byte so each case shows the bytes it is about.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "toolkit/gif_format.h"

using namespace toolkit;

namespace {

std::string Word(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }

// Header and logical screen with a global table of 2^bits grey entries.
std::string Head(std::string_view signature, int w, int h, int bits = 1) {
    std::string s(signature);
    s += Word(w) + Word(h) + char(0x80 | (bits - 1)) + '\0' + '\0';
    for (int i = 0; i < (1 << bits); ++i) s += std::string(3, char(i * 255 / ((1 << bits) - 1)));
    return s;
}

// A picture of one byte per pixel (top-down) with a palette of 2^bits.
dib::Dib Picture(int w, int h, int bits, const std::vector<uint8_t>& pixels) {
    auto d = dib::MakeDib(w, h, bits);
    for (int i = 0; i < (1 << bits); ++i) d.Palette.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d.SetIndex(x, y, pixels[size_t(y * w + x)]);
    return d;
}

// An image descriptor and its data, LZW-encoded from the pixels.
std::string Frame(int w, int h, const std::vector<uint8_t>& pixels, bool interlaced = false, int descW = -1) {
    gif::ImageItem item;
    gif::EncodeFrame(Picture(w, h, 8, pixels), item, interlaced);
    return std::string(",") + Word(0) + Word(0) + Word(descW < 0 ? w : descW) + Word(h) +
           char(interlaced ? 0x40 : 0) + item.Data;
}

std::string Gce(int packed, int delay, int index) {
    return std::string("!\xF9\x04", 3) + char(packed) + Word(delay) + char(index) + '\0';
}

gif::GifFile Read(const std::string& bytes) {
    gif::GifFile f;
    gif::ReadGif(bytes, f);
    return f;
}

std::string ErrorOf(const std::string& bytes) {
    try {
        Read(bytes);
    } catch (const EInvalidGraphicOperation& e) {
        return e.what();
    }
    return "";
}

dib::Dib Decode(const gif::FrameRecord& f, bool& corrupted) {
    corrupted = f.Corrupted;
    return gif::DecodeFrame(*f.Item, f.Interlaced, corrupted);
}

const std::vector<uint8_t> k4{0, 1, 1, 0};

}  // namespace

TEST(GifFormat, SignatureAndVersion) {
    struct Case {
        const char* signature;
        const char* error;
        int version;
    } cases[] = {
        {"GIF89a", "", 2}, {"gif89A", "", 2}, {"GiF87A", "", 1},
        {"GIF88a", "Unknown GIF version", 0}, {"GIX89a", "Unknown GIF version", 0},
    };
    for (const auto& c : cases) {
        const std::string bytes = Head(c.signature, 2, 2) + Frame(2, 2, k4) + ";";
        EXPECT_EQ(ErrorOf(bytes), c.error) << c.signature;
        if (!*c.error) {
            EXPECT_EQ(Read(bytes).Version, c.version) << c.signature;
        }
    }
    EXPECT_EQ(ErrorOf("GIF8"), "Stream read error");
    EXPECT_TRUE(Read("").Frames.empty());   // count 0: an empty image
}

TEST(GifFormat, LoopExtensionsAndTheirBounds) {
    struct Case {
        std::string header;   // block size and 11 identifier bytes
        std::string block;
        bool looping;
        int repeat;
    } cases[] = {
        {"\x0BNETSCAPE2.0", std::string("\x01\xFF\xFF", 3), true, 30000},
        {"\x0B" "ANIMEXTS1.0", std::string("\x01\x05\x00", 3), true, 5},
        {"\x03NETxxxxxxxx", std::string("\x01\x02\x00", 3), true, 2},     // compared as far as the size says
        {"\xC8NETSCAPE2.0", std::string("\x01\x07\x00", 3), true, 7},     // never past the identifier
        {"\x0BNETSCAPE2.0", std::string("\x02\x07\x00", 3), false, 1},    // not a loop block
        {"\x0BNETSCAPE2.0", std::string("\x01\x07", 2), false, 1},        // too short
        {"\x0BOTHERAPP1.0", std::string("\x01\x07\x00", 3), false, 1},
    };
    for (const auto& c : cases) {
        const std::string bytes = Head("GIF89a", 2, 2) + "!\xFF" + c.header + char(c.block.size()) + c.block + '\0' +
                                  Frame(2, 2, k4) + ";";
        const auto f = Read(bytes);
        EXPECT_EQ(f.Looping, c.looping) << c.header;
        EXPECT_EQ(f.RepeatCount, c.repeat) << c.header;
        ASSERT_EQ(f.Frames.size(), 1u);
        EXPECT_TRUE(f.Frames[0].Extensions.empty());   // application blocks are not kept
    }
}

TEST(GifFormat, GraphicControlGivesTransparencyTimingAndDisposal) {
    const auto f = Read(Head("GIF89a", 2, 2, 2) + Gce(0x09, 7, 2) + Frame(2, 2, k4) + Gce(0x01, 1, 9) +
                        Frame(2, 2, k4) + ";");
    ASSERT_EQ(f.Frames.size(), 2u);
    EXPECT_EQ(f.Frames[0].TransparentColor, 0xAAAAAAu);   // entry 2 of four greys
    EXPECT_EQ(f.Frames[0].AnimateInterval, 70);
    EXPECT_EQ(f.Frames[0].DisposalMethod, 2);
    EXPECT_EQ(f.Frames[1].TransparentColor, gif::clNone);  // an index past the table
    ASSERT_EQ(f.Frames[0].Extensions.size(), 1u);
}

TEST(GifFormat, PlainTextDropsTheRunBeforeIt) {
    const std::string plain = std::string("!\x01\x0C", 3) + std::string(12, '\0') + std::string("\x02hi\0", 4);
    const auto f = Read(Head("GIF89a", 2, 2) + Gce(0x01, 0, 1) + plain + Frame(2, 2, k4) + ";");
    ASSERT_EQ(f.Frames.size(), 1u);
    EXPECT_EQ(f.Frames[0].TransparentColor, gif::clNone);
    EXPECT_TRUE(f.Frames[0].Extensions.empty());
}

TEST(GifFormat, TrailingCommentsAndStrayBytes) {
    const std::string comment = std::string("!\xFE\x05hello\x02hi\0", 12);
    auto f = Read(Head("GIF89a", 2, 2) + Frame(2, 2, k4) + comment + comment + ";");
    EXPECT_EQ(f.Data->Comment, (std::vector<std::string>{"hello", "hi", "\r\n\r\n", "hello", "hi"}));
    // Once the image has its comment, a stray byte after more comments is an error.
    EXPECT_EQ(ErrorOf(Head("GIF89a", 2, 2) + Frame(2, 2, k4) + comment + comment + "X" + comment + "X"),
              "Stream read error");
    EXPECT_EQ(ErrorOf(Head("GIF89a", 2, 2) + "!\x3A\x00"), "Unrecognized extension block: 3a");
}

TEST(GifFormat, ZeroWidthTakesTheScreenWidth) {
    const auto f = Read(Head("GIF89a", 2, 2) + Frame(2, 2, k4, false, 0) + ";");
    ASSERT_EQ(f.Frames.size(), 1u);
    EXPECT_EQ(f.Frames[0].Item->Width, 2);
}

TEST(GifFormat, TruncatedDataLoadsAsCorruptedWithIndexZero) {
    std::vector<uint8_t> pixels(64 * 8);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(1 + i % 200);
    std::string full = Head("GIF89a", 64, 8, 8) + Frame(64, 8, pixels);
    const std::string cut = full.substr(0, full.size() - 40);
    const auto f = Read(cut);
    ASSERT_EQ(f.Frames.size(), 1u);
    EXPECT_TRUE(f.Frames[0].Corrupted);
    bool corrupted = false;
    const auto d = Decode(f.Frames[0], corrupted);
    EXPECT_TRUE(corrupted);
    EXPECT_EQ(d.Index(0, 0), 1);
    EXPECT_EQ(d.Index(63, 7), 0);   // never reached
}

TEST(GifFormat, InterlacedFramesOfEveryShortHeightFillEachRowOnce) {
    for (int h = 1; h <= 9; ++h) {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < h; ++y) pixels.insert(pixels.end(), {uint8_t(10 + y), uint8_t(10 + y), uint8_t(10 + y)});
        const auto f = Read(Head("GIF89a", 3, h, 8) + Frame(3, h, pixels, true) + ";");
        bool corrupted = false;
        const auto d = Decode(f.Frames.at(0), corrupted);
        EXPECT_FALSE(corrupted) << h;
        for (int y = 0; y < h; ++y) EXPECT_EQ(d.Index(2, y), 10 + y) << "height " << h << " row " << y;
    }
}

TEST(GifFormat, DamagedCodesNeverIndexPastTheTable) {
    // Minimum size 2 (codes of 3 bits): clear, literal 1, then code 7 while
    // the next free entry is 6.
    const std::string data = std::string("\x02\x02", 2) + char(0xCC) + char(0x01) + '\0';
    const std::string head = Head("GIF89a", 4, 1, 2) + "," + Word(0) + Word(0) + Word(4) + Word(1) + '\0';
    const auto f = Read(head + data + ";");
    bool corrupted = false;
    const auto d = Decode(f.Frames.at(0), corrupted);
    EXPECT_TRUE(corrupted);
    EXPECT_EQ(d.Index(0, 0), 1);
    EXPECT_EQ(d.Index(1, 0), 0);

    gif::GIFLoadCorrupted = false;
    EXPECT_THROW(Decode(f.Frames.at(0), corrupted), EInvalidGraphicOperation);
    gif::GIFLoadCorrupted = true;
}

TEST(GifFormat, CodeSizeOutsideTwoToNineIsClamped) {
    for (char size : {char(0), char(1), char(10), char(12)}) {
        gif::ImageItem item;
        item.Width = 2;
        item.Height = 1;
        item.BitsPerPixel = 1;
        item.Data = std::string(1, size) + std::string("\x02\xFF\xFF\0", 4);
        bool corrupted = false;
        EXPECT_NO_THROW(gif::DecodeFrame(item, false, corrupted));
        EXPECT_TRUE(corrupted) << int(size);
        gif::GIFLoadCorrupted = false;
        corrupted = false;
        try {
            gif::DecodeFrame(item, false, corrupted);
            ADD_FAILURE() << int(size);
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "GIF code size not in range 2 to 9");
        }
        gif::GIFLoadCorrupted = true;
    }
}

TEST(GifFormat, AFullTableIsFrozenUntilTheNextClear) {
    // 4000 x 4 noisy pixels fill the 4096 entries many times over; the
    // encoder clears, and a stream without clears must still decode.
    std::vector<uint8_t> pixels(16000);
    uint32_t seed = 7;
    for (auto& p : pixels) p = uint8_t((seed = seed * 1103515245 + 12345) >> 24);
    const auto f = Read(Head("GIF89a", 4000, 4, 8) + Frame(4000, 4, pixels) + ";");
    bool corrupted = false;
    const auto d = Decode(f.Frames.at(0), corrupted);
    EXPECT_FALSE(corrupted);
    for (int i = 0; i < 16000; i += 997) EXPECT_EQ(d.Index(i % 4000, i / 4000), pixels[size_t(i)]);

    // Literal codes only, 12 bits each, without any clear: entries stop at 4096.
    gif::ImageItem item;
    item.Width = 6000;
    item.Height = 1;
    item.BitsPerPixel = 8;
    std::string codes;
    uint32_t bits = 0;
    int count = 0, size = 9, next = 258;
    auto put = [&](int code) {
        bits |= uint32_t(code) << count;
        for (count += size; count >= 8; count -= 8, bits >>= 8) codes.push_back(char(bits & 0xFF));
    };
    put(256);
    for (int i = 0; i < 6000; ++i) {
        put(i % 200);
        if (i > 0 && next < 4096 && ++next == 1 << size && size < 12) ++size;
    }
    if (count) codes.push_back(char(bits));
    item.Data = "\x08";
    for (size_t at = 0; at < codes.size(); at += 255) {
        const auto block = codes.substr(at, 255);
        item.Data += char(block.size()) + block;
    }
    item.Data += '\0';
    corrupted = false;
    const auto frozen = gif::DecodeFrame(item, false, corrupted);
    EXPECT_FALSE(corrupted);
    EXPECT_EQ(frozen.Index(5999, 0), 5999 % 200);
}

TEST(GifFormat, SizesAreCappedBeforeAnyAllocation) {
    gif::ImageItem item;
    item.Width = 65535;
    item.Height = 65535;
    item.BitsPerPixel = 8;
    item.Data = std::string("\x08\x01\x00\x00", 4);
    bool corrupted = false;
    try {
        gif::DecodeFrame(item, false, corrupted);
        ADD_FAILURE();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "GIF image is too large");
    }
}

TEST(GifFormat, WriterDecisions) {
    gif::GifFile file;
    gif::FrameRecord frame;
    gif::EncodeFrame(Picture(2, 2, 1, k4), *frame.Item, false);
    EXPECT_EQ(frame.Item->Data[0], 2);   // minimum code size 2 for two colours
    file.Data->Colors = frame.Item->Colors;
    file.Looping = true;
    file.Version = 1;
    frame.TransparentColor = 0x123456;   // not in the table
    EXPECT_TRUE(gif::UpdateFrameExtensions(frame));
    file.Frames.push_back(frame);
    file.Data->Comment = {std::string(300, 'c')};
    const auto out = gif::WriteGif(file, false);
    EXPECT_EQ(out.find("NETSCAPE2.0"), std::string::npos);   // one frame: no loop block
    EXPECT_EQ(out.substr(0, 6), "GIF89a");
    const auto back = Read(out);
    ASSERT_EQ(back.Frames.size(), 1u);
    EXPECT_EQ(back.Frames[0].TransparentColor, gif::clNone);
    EXPECT_EQ(back.Data->Comment, std::vector<std::string>{std::string(255, 'c')});
    const auto sized = gif::WriteGif(file, true);
    EXPECT_EQ(uint8_t(sized[0]) | uint8_t(sized[1]) << 8, int(out.size()));

    // A table of three colours is written as four.
    file.Data->Colors.Count = 3;
    file.Data->Comment.clear();
    const auto padded = gif::WriteGif(file, false);
    EXPECT_EQ(uint8_t(padded[10]) & 7, 1);
    EXPECT_EQ(Read(padded).Data->Colors.Count, 4);
}
