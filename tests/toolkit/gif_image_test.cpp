// The GIF picture as the windows use it: bitmaps written and read back pixel
// for pixel, the clipboard, the registration, the program's own layout
// pictures, the colour reduction and the animated-cursor reader.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "framework/graphic.h"
#include "toolkit/ani_file.h"
#include "toolkit/form_pictures.h"
#include "toolkit/gif_image.h"
#include "toolkit/rx_graph.h"

using namespace toolkit;

namespace {

// A 24-bit bitmap of w x h whose pixel (x, y) has the colour colourAt(x, y).
template <typename F>
void Paint(TBitmap& b, int w, int h, F colourAt) {
    b.SetSize(w, h);
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    framework::SelectScope select(dc.get(), b.Handle());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ::SetPixelV(dc.get(), x, y, colourAt(x, y));
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    framework::SelectScope select(dc.get(), bitmap);
    return ::GetPixel(dc.get(), x, y);
}

COLORREF Pattern(int x, int y) { return RGB(x * 40, y * 50, (x + y) % 2 ? 255 : 0); }

std::string ProgramPath() {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    return p.substr(0, p.find_last_of('\\') + 1) + "Tessareltop.exe";
}

}  // namespace

TEST(GifImage, BitmapWrittenAndReadBackPixelForPixel) {
    TBitmap bitmap;
    Paint(bitmap, 6, 5, Pattern);
    TGIFImage image;
    image.Assign(&bitmap);
    ASSERT_EQ(image.Count(), 1);
    const std::string data = image.WriteData();

    TGIFImage back;
    back.ReadData(data);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Width(), 6);
    EXPECT_EQ(back.Height(), 5);
    EXPECT_EQ(back.Version, 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelOf(back.GetBitmap()->Handle(), x, y), Pattern(x, y)) << x << "," << y;
}

TEST(GifImage, TrueColourIsReducedToAPalette) {
    TBitmap bitmap;
    Paint(bitmap, 40, 30, [](int x, int y) { return RGB(x * 6, y * 8, (x * y) % 256); });
    ASSERT_GT(bitmap.PixelFormat(), 8);
    TGIFImage image;
    image.AddFrame(bitmap);
    TGIFImage back;
    back.LoadFromBytes(image.SaveToBytes());
    ASSERT_EQ(back.Count(), 1);
    EXPECT_LE(back.Frames(0).Record.Item->Colors.Count, 256);
    EXPECT_EQ(back.Frames(0).Record.Item->BitsPerPixel, 8);
}

TEST(GifImage, EmptyAndSizeRules) {
    TGIFImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    image.ReadData(std::string(4, '\0'));   // count 0
    EXPECT_EQ(image.Count(), 0);
    EXPECT_THROW(image.SetWidth(5), EInvalidGraphicOperation);
    EXPECT_THROW(image.WriteStream(false), EInvalidGraphicOperation);
    EXPECT_THROW(image.ReadData(std::string("\x10\0\0\0GIF", 7)), framework::Exception);   // count past the data
}

TEST(GifImage, CopiesShareTheImageData) {
    TBitmap bitmap;
    Paint(bitmap, 3, 3, Pattern);
    TGIFImage a;
    a.Assign(&bitmap);
    TGIFImage b;
    b.Assign(&a);
    EXPECT_TRUE(b.Equals(a));
    TBitmap out;
    b.AssignTo(out);
    EXPECT_EQ(PixelOf(out.Handle(), 2, 1), Pattern(2, 1));
}

// An image assigned one of its own frames, or its own frame's bitmap,
// becomes that one picture; a frame assigned its own bitmap stays itself.
TEST(GifImage, AssigningAPictureItHoldsItselfKeepsThePicture) {
    auto other = [](int x, int y) { return RGB(255 - x * 30, y * 20, 128); };
    auto twoFrames = [&](TGIFImage& image) {
        TBitmap first, second;
        Paint(first, 6, 5, Pattern);
        Paint(second, 4, 7, other);
        TGIFImage made;
        made.AddFrame(first);
        made.AddFrame(second);
        image.LoadFromBytes(made.SaveToBytes());   // frames with their coded data, as read from a file
        image.Data->AspectRatio = 49;
        image.Data->Colors.Count = 2;
        image.Data->Colors.Rgb[3] = 0xAB;
        ASSERT_EQ(image.Count(), 2);
    };
    auto isSecond = [&](TGIFImage& image, const char* how) {
        ASSERT_EQ(image.Count(), 1) << how;
        EXPECT_EQ(image.FrameIndex, 0) << how;
        EXPECT_EQ(image.Width(), 4) << how;
        EXPECT_EQ(image.Height(), 7) << how;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(PixelOf(image.GetBitmap()->Handle(), x, y), other(x, y)) << how << " " << x << "," << y;
    };
    {
        TGIFImage image;
        twoFrames(image);
        image.Assign(image.Frames(1));
        isSecond(image, "its frame");
        // The frame's image is the image itself: its image-wide values stay.
        EXPECT_EQ(image.Data->AspectRatio, 49);
        EXPECT_EQ(image.Data->Colors.Count, 2);
        EXPECT_EQ(image.Data->Colors.Rgb[3], 0xAB);
    }
    {
        TGIFImage image;
        twoFrames(image);
        image.Frames(1).AssignTo(image);
        isSecond(image, "its frame assigning itself");
    }
    {
        TGIFImage image;
        twoFrames(image);
        image.Assign(image.Frames(1).GetBitmap());
        isSecond(image, "its frame's bitmap");
    }
    {
        TGIFImage image;
        twoFrames(image);
        TGIFFrame& frame = image.Frames(1);
        frame.Assign(frame.GetBitmap());
        image.FrameIndex = 1;
        EXPECT_EQ(image.Width(), 4);
        EXPECT_EQ(PixelOf(frame.GetBitmap()->Handle(), 3, 6), other(3, 6));
    }
}

TEST(GifImage, ClipboardRoundTripAndDamagedLength) {
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Pattern);
    TGIFImage image;
    image.Assign(&bitmap);
    image.WriteStream(false);   // every frame encoded: the GIF data goes too
    image.SaveToClipboard();
    TGIFImage back;
    back.LoadFromClipboard();
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(PixelOf(back.GetBitmap()->Handle(), 3, 2), Pattern(3, 2));

    // Another program's block whose length claims more than the block holds.
    {
        framework::ClipboardScope open;
        ::EmptyClipboard();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, 16);
        auto* p = static_cast<char*>(::GlobalLock(block));
        const uint32_t length = 100000;
        std::memcpy(p, &length, 4);
        std::memcpy(p + 4, "GIF89a\0\0\0\0\0\0", 12);
        ::GlobalUnlock(block);
        ::SetClipboardData(GifClipboardFormat(), block);
    }
    EXPECT_THROW(back.LoadFromClipboard(), EInvalidGraphicOperation);
}

TEST(GifImage, RegisteredForItsExtensionAndClipboardFormat) {
    EXPECT_TRUE(dynamic_cast<TGIFImage*>(framework::GraphicForExtension("GIF").get()));
    EXPECT_EQ(framework::DescriptionOfExtension(".gif"), "CompuServe GIF Image");
    EXPECT_TRUE(dynamic_cast<TGIFImage*>(framework::GraphicForClipboardFormat(GifClipboardFormat()).get()));
    EXPECT_EQ(GifClipboardFormat(), ::RegisterClipboardFormatA("GIF Image"));
}

TEST(FormPictures, EveryLayoutPictureOfTheProgramReads) {
    framework::Library program(::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program) << ProgramPath();
    struct Case {
        std::string name;
        int w, h;
    };
    std::vector<Case> cases = {
        {pictures::kConfigBackground, 596, 448}, {pictures::kWizardBanner, 500, 50}, {pictures::kWizardLogo, 64, 64},
        {pictures::kEdgeUp, 220, 20}, {pictures::kEdgeDown, 220, 20}, {pictures::kEdgeLeft, 20, 220},
        {pictures::kEdgeRight, 20, 220}, {pictures::kSplash, 400, 200}, {pictures::kErrorReport, 64, 64},
        {pictures::kLockLeft, 120, 600}, {pictures::kLockMid, 480, 600},
    };
    for (int i = 1; i <= 23; ++i) cases.push_back({pictures::ConfigImage(i), 47, 40});
    for (int i = 1; i <= 11; ++i) cases.push_back({pictures::WizardPage(i), 160, 300});
    int transparent = 0;
    for (const auto& c : cases) {
        const auto picture = LoadFormPicture(c.name, program.get());
        EXPECT_EQ(picture->Width(), c.w) << c.name;
        EXPECT_EQ(picture->Height(), c.h) << c.name;
        EXPECT_FALSE(picture->Frames(0).Record.Corrupted) << c.name;
        transparent += picture->Transparent();
        EXPECT_TRUE(LoadFormBitmap(c.name, RGB(1, 2, 3), program.get())) << c.name;
    }
    EXPECT_EQ(cases.size(), 45u);
    EXPECT_EQ(transparent, 14);   // the hover pictures, the logo, the warning sign
    // A transparent corner takes the fill colour.
    auto hover = LoadFormBitmap(pictures::ConfigImage(12), RGB(1, 2, 3), program.get());
    EXPECT_EQ(PixelOf(hover.get(), 0, 0), RGB(1, 2, 3));
    EXPECT_THROW(LoadFormPicture("NO_SUCH_PICTURE", program.get()), framework::Exception);
}

TEST(RxGraph, MappingMethodsPlacePixelsAsTheirTablesSay) {
    auto source = dib::MakeDib(3, 1, 24);
    const uint8_t colours[3][3] = {{255, 0, 0}, {40, 200, 90}, {128, 128, 128}};   // r, g, b
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c) source.Rows[size_t(3 * x + 2 - c)] = char(colours[x][c]);
    struct Case {
        rx::TMappingMethod method;
        uint8_t first, second;
        uint32_t used;
    } cases[] = {
        {rx::TMappingMethod::mmTrunc784, 6 * 32, 1 * 32 + 5 * 4 + 1, 224},
        {rx::TMappingMethod::mmTrunc666, 5 * 36, 1 * 36 + 4 * 6 + 2, 216},
        {rx::TMappingMethod::mmTripel, 255 / 4, 64 + 200 / 4, 0},
        {rx::TMappingMethod::mmGrayscale, (77 * 255) >> 8, (77 * 40 + 150 * 200 + 29 * 90) >> 8, 0},
    };
    for (const auto& c : cases) {
        uint32_t used = 0;
        const auto out = rx::ReduceTo8Bits(source, c.method, 256, used);
        EXPECT_EQ(out.Index(0, 0), c.first) << int(c.method);
        EXPECT_EQ(out.Index(1, 0), c.second) << int(c.method);
        EXPECT_EQ(used, c.used) << int(c.method);
    }
    uint32_t used = 0;
    const auto histogram = rx::ReduceTo8Bits(source, rx::TMappingMethod::mmHistogram, 256, used);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(histogram.Rgb(x, 0)[1], colours[x][1]);   // few colours stay exact
    const auto median = rx::ReduceTo8Bits(source, rx::TMappingMethod::mmQuantize, 256, used);
    EXPECT_EQ(used, 3u);
    EXPECT_NE(median.Index(0, 0), median.Index(1, 0));
    EXPECT_EQ(rx::NearestLevel(64, std::array<uint8_t, 3>{0, 128, 255}.data(), 3), 0);   // the first of the nearest
}

TEST(RxGraph, StreamsChooseTheirDepth) {
    TBitmap bitmap;
    Paint(bitmap, 5, 4, Pattern);
    struct Case {
        int colours, bits;
    } cases[] = {{2, 1}, {16, 4}, {256, 8}, {1000, 24}};
    for (const auto& c : cases) {
        const auto dib = dib::ParseBmp(BitmapToColorsStream(bitmap, c.colours));
        EXPECT_EQ(dib.BitCount, c.bits) << c.colours;
        EXPECT_EQ(dib.Width, 5);
    }
    TBitmap empty;
    EXPECT_THROW(BitmapToDIBStream(empty, TPixelFormat::pf8bit, rx::TMappingMethod::mmHistogram), framework::Exception);
}

namespace {

std::string Chunk(std::string_view tag, std::string_view data) {
    std::string s(tag);
    const uint32_t n = uint32_t(data.size());
    s.append(reinterpret_cast<const char*>(&n), 4);
    s += data;
    if (data.size() % 2) s += '\0';
    return s;
}

std::string U32s(std::initializer_list<uint32_t> values) {
    std::string s;
    for (uint32_t v : values) s.append(reinterpret_cast<const char*>(&v), 4);
    return s;
}

std::string IconImage(COLORREF colour) {
    TBitmap b;
    Paint(b, 16, 16, [colour](int, int) { return colour; });
    framework::Bitmap mask(::CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.get(), b.Handle()};
    framework::Icon icon(::CreateIconIndirect(&info));
    return framework::FileImageFromIcon(icon.get());
}

std::string Ani(std::initializer_list<std::string> chunks) {
    std::string body = "ACON";
    for (const auto& c : chunks) body += c;
    return "RIFF" + U32s({uint32_t(body.size())}) + body;
}

}  // namespace

TEST(AnimatedCursor, RatesSequencesAndSharedImages) {
    const std::string icons = Chunk("LIST", "fram" + Chunk("icon", IconImage(RGB(255, 0, 0))) +
                                                Chunk("icon", IconImage(RGB(0, 0, 255))));
    TAnimatedCursorImage cursor;
    cursor.LoadFromStream(Ani({Chunk("anih", U32s({36, 3, 3, 16, 16, 0, 0, 10, 1})), Chunk("rate", U32s({4, 5, 6})),
                               Chunk("seq ", U32s({1})), Chunk("seq ", U32s({1})), icons,
                               Chunk("LIST", "INFO" + Chunk("INAM", "Busy\0") + Chunk("IART", "Pelmora"))}));
    // Frames 0 and 1 share image 1; frame 2 asked for an image that never
    // came and is gone; image 0, which no frame asked for, got a frame of
    // its own at the end.
    ASSERT_EQ(cursor.Count(), 3);
    EXPECT_EQ(cursor.Icons(0).Seq, 1u);
    EXPECT_EQ(cursor.Icons(1).Seq, 1u);
    EXPECT_EQ(cursor.Icons(2).Seq, 0u);
    EXPECT_EQ(cursor.Icons(0).JiffRate, 4u);   // the rate chunk's first entry only
    EXPECT_EQ(cursor.Icons(1).JiffRate, 10u);
    EXPECT_EQ(cursor.Icons(2).JiffRate, 10u);
    EXPECT_EQ(cursor.Header().Steps, 3u);
    EXPECT_EQ(cursor.Icons(0).HotSpot.x, 8);   // an icon's hot spot is its centre
    EXPECT_EQ(cursor.Title(), "Busy");
    EXPECT_EQ(cursor.Author(), "Pelmora");

    TGIFImage gif;
    gif.Assign(cursor);
    EXPECT_EQ(gif.Count(), 3);
    EXPECT_EQ(gif.Frames(0).Record.AnimateInterval, 4 * 100 / 6);
    TBitmap strip;
    cursor.AssignTo(strip, RGB(255, 255, 255));
    EXPECT_EQ(strip.Width(), 48);
}

TEST(AnimatedCursor, MalformedFilesAreRefused) {
    const std::string icon = Chunk("LIST", "fram" + Chunk("icon", IconImage(RGB(0, 255, 0))));
    const std::string anih = Chunk("anih", U32s({36, 1, 1, 16, 16, 0, 0, 10, 1}));
    std::string badDirectory = IconImage(RGB(0, 255, 0));
    const uint32_t farOffset = 0x7FFFFFF0;
    std::memcpy(badDirectory.data() + 6 + 12, &farOffset, 4);
    const std::string cases[] = {
        "RIFX" + U32s({4}) + "ACON",
        Ani({anih}),                                                           // no icon at all
        Ani({Chunk("anih", U32s({36, 1, 1, 16, 16, 0, 0, 10, 0})), icon}),    // not icon resources
        Ani({Chunk("anih", U32s({36, 1, 0, 16, 16, 0, 0, 10, 1})), icon}),    // no steps
        Ani({Chunk("anih", U32s({36, 1})), icon}),                             // a header cut short
        Ani({anih, Chunk("LIST", "fram" + Chunk("icon", badDirectory))}),     // an image outside its chunk
    };
    for (const auto& bytes : cases) {
        TAnimatedCursorImage cursor;
        EXPECT_THROW(cursor.LoadFromStream(bytes), framework::Exception);
        EXPECT_EQ(cursor.Count(), 0);
    }
    // Counts and sizes that lie: a billion frames, a "negative" chunk size,
    // rates past the list.
    TAnimatedCursorImage cursor;
    std::string lying = Ani({Chunk("anih", U32s({36, 1000000000, 5, 16, 16, 0, 0, 10, 1})), Chunk("rate", U32s({1})),
                             Chunk("rate", U32s({2})), Chunk("rate", U32s({3})), icon});
    lying += "junk" + U32s({0xFFFFFFF0}) + "xx";
    cursor.LoadFromStream(lying);
    EXPECT_EQ(cursor.Count(), 1);
}
