// The toolkit's utility routines: command-line splitting, text shortening,
// transparent and disabled drawing, memory blocks, messages and file names.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/guard.h"
#include "support/e2e.h"
#include "toolkit/utility_routines.h"

using namespace toolkit;

namespace {

// A 24-bit memory canvas of the given size filled with one colour.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill) : dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bmp_ = ::CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = ::SelectObject(dc_, bmp_);
        Fill({0, 0, w, h}, fill);
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bmp_);
        ::DeleteDC(dc_);
    }
    void Fill(RECT r, COLORREF c) {
        HBRUSH b = ::CreateSolidBrush(c);
        ::FillRect(dc_, &r, b);
        ::DeleteObject(b);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }
    HDC dc() const { return dc_; }
    // Takes the bitmap out of the canvas (for routines that want a bitmap).
    HBITMAP Detach() {
        ::SelectObject(dc_, old_);
        old_ = nullptr;
        return std::exchange(bmp_, nullptr);
    }
private:
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

}  // namespace

TEST(CommandLine, ParametersAreSplitAsTheProgramReadsThem) {
    struct Case {
        const char* line;
        std::vector<std::string> params;   // parameter 0 first
    };
    const Case cases[] = {
        {"", {""}},
        {"   ", {""}},
        {"prog", {"prog"}},
        {"prog a b", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" -s3", {"C:\\Program Files\\x.exe", "-s3"}},
        {"prog \"\" \"\"  last", {"prog", "last"}},
        {"prog ab\"c d\"e f", {"prog", "abc de", "f"}},
        {"prog \"open ended", {"prog", "open ended"}},
        {"prog\ta\r\nb", {"prog", "a", "b"}},
    };
    for (const auto& c : cases) {
        int count = static_cast<int>(c.params.size()) - 1;
        EXPECT_EQ(ParamCountOf(c.line), count) << c.line;
        for (int i = 0; i <= count; ++i) EXPECT_EQ(ParamOf(c.line, i), c.params[static_cast<size_t>(i)]) << c.line;
        EXPECT_EQ(ParamOf(c.line, count + 1), "") << c.line;
    }
}

TEST(CommandLine, OverlongParameterIsCutWithoutSpillingIntoTheNext) {
    std::string line = "prog " + std::string(300, 'x') + " next";
    EXPECT_EQ(ParamCountOf(line), 2);
    EXPECT_EQ(ParamOf(line, 1), std::string(kMaxParamLength, 'x'));
    EXPECT_EQ(ParamOf(line, 2), "next");
    auto [rest, first] = NextParam(line);
    EXPECT_EQ(first, "prog");
    EXPECT_EQ(rest, line.substr(4));
}

TEST(CommandLine, ProgramAndParametersAreJoinedAgain) {
    auto [program, params] = SplitProgramAndParams("\"C:\\my dir\\p.exe\"  one \"two words\" \"\" three");
    EXPECT_EQ(program, "C:\\my dir\\p.exe");
    EXPECT_EQ(params, "one \"two words\" three");
    EXPECT_EQ(SplitProgramAndParams("p.exe"), (std::pair<std::string, std::string>{"p.exe", ""}));
}

TEST(ShortenText, KeepsAsMuchAsFitsBeforeTheDots) {
    auto width = [](std::string_view s) { return static_cast<int>(s.size()) * 10; };
    struct Case {
        const char* text;
        int max;
        const char* expected;
    };
    const Case cases[] = {
        {"abcdef", 60, "abcdef"},
        {"abcdefgh", 79, "abcd..."},
        {"abcdef", 59, "ab..."},
        {"abcdefghij", 80, "abcde..."},
        {"abcdef", 30, "..."},
        {"abcdef", 5, "..."},          // too narrow even for the dots
        {"", -1, "..."},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortenText(c.text, width, c.max), c.expected) << c.text << " " << c.max;

    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE dots{};
    ::GetTextExtentPoint32A(dc, "...", 3, &dots);
    std::string shortened = ShortenText("A long window title that will not fit", dc, dots.cx * 4);
    SIZE got{};
    ::GetTextExtentPoint32A(dc, shortened.c_str(), static_cast<int>(shortened.size()), &got);
    EXPECT_LE(got.cx, dots.cx * 4);
    EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
    ::DeleteDC(dc);
}

TEST(Geometry, InclusiveRectangleAndHelpers) {
    RECT r{10, 20, 30, 40};
    struct Case {
        POINT p;
        bool in;
    };
    const Case cases[] = {{{10, 20}, true}, {{30, 40}, true}, {{31, 40}, false}, {{30, 41}, false},
                          {{9, 25}, false}, {{20, 30}, true}};
    for (const auto& c : cases) EXPECT_EQ(PointInRectIncl(c.p, r), c.in) << c.p.x << "," << c.p.y;
    EXPECT_EQ(RectWidth(r), 20);
    EXPECT_EQ(RectHeight(r), 20);
    EXPECT_EQ(IntMaxOf(-3, 2), 2);
    EXPECT_EQ(IntMinOf(-3, 2), -3);
    EXPECT_EQ(PaletteRelative(RGB(1, 2, 3)), 0x02030201u);
}

TEST(Drawing, TransparentColourLeavesTheTargetShowing) {
    Canvas source(4, 4, kRed);
    source.Fill({0, 0, 2, 4}, kGreen);   // the left half is transparent
    Canvas target(8, 8, kBlue);
    TransparentStretchBlt(target.dc(), {0, 0, 8, 8}, source.dc(), {0, 0, 4, 4}, kGreen);
    EXPECT_EQ(target.At(1, 1), kBlue);
    EXPECT_EQ(target.At(3, 6), kBlue);
    EXPECT_EQ(target.At(5, 1), kRed) << "stretched to twice the size";
    EXPECT_EQ(target.At(7, 7), kRed);
}

TEST(Drawing, MaskedBitmapTakesItsColourByTheConventions) {
    Canvas picture(4, 4, kRed);
    picture.Fill({0, 3, 1, 4}, kGreen);   // the bottom-left pixel
    picture.Fill({2, 0, 3, 1}, kGreen);
    HBITMAP bitmap = picture.Detach();

    Canvas plain(4, 4, kBlue);
    DrawBitmapMasked(plain.dc(), 0, 0, bitmap, clNone);
    EXPECT_EQ(plain.At(0, 3), kGreen) << "clNone copies everything";

    Canvas keyed(6, 6, kBlue);
    DrawBitmapMasked(keyed.dc(), 1, 1, bitmap, clDefault);
    EXPECT_EQ(keyed.At(1, 4), kBlue) << "clDefault: the bottom-left colour is transparent";
    EXPECT_EQ(keyed.At(3, 1), kBlue);
    EXPECT_EQ(keyed.At(2, 2), kRed);
    EXPECT_EQ(keyed.At(0, 0), kBlue) << "nothing outside the bitmap";

    Canvas part(4, 4, kBlue);
    DrawBitmapRectMasked(part.dc(), 0, 0, {2, 0, 4, 2}, bitmap, kGreen);
    EXPECT_EQ(part.At(0, 0), kBlue);
    EXPECT_EQ(part.At(1, 0), kRed);
    EXPECT_EQ(part.At(2, 0), kBlue) << "only the source rectangle is drawn";

    // A target of zero size takes the bitmap's.
    Canvas sized(6, 6, kBlue);
    StretchBitmapMasked(sized.dc(), {0, 0, 0, 0}, bitmap, {0, 0, 0, 0}, kGreen);
    EXPECT_EQ(sized.At(3, 3), kRed);
    EXPECT_EQ(sized.At(4, 4), kBlue);
    ::DeleteObject(bitmap);
}

TEST(Drawing, DisabledBitmapEmbossesTheShape) {
    Canvas picture(6, 6, kWhite);              // white is the mask colour
    picture.Fill({1, 1, 3, 3}, RGB(0, 0, 0));  // a 2 x 2 shape
    HBITMAP bitmap = picture.Detach();
    const COLORREF back = RGB(192, 192, 192), shadow = RGB(128, 128, 128), light = RGB(250, 250, 250);

    framework::Bitmap raised = MakeDisabledBitmap(bitmap, kWhite, back, true, shadow, light);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, raised.get());
    EXPECT_EQ(::GetPixel(dc, 0, 0), back);
    EXPECT_EQ(::GetPixel(dc, 1, 1), shadow);
    EXPECT_EQ(::GetPixel(dc, 2, 2), shadow);
    EXPECT_EQ(::GetPixel(dc, 3, 3), light) << "the highlight one pixel down and right";
    EXPECT_EQ(::GetPixel(dc, 3, 1), back);
    ::SelectObject(dc, old);

    framework::Bitmap flat = MakeDisabledBitmap(bitmap, kWhite, back, false, shadow, light);
    old = ::SelectObject(dc, flat.get());
    EXPECT_EQ(::GetPixel(dc, 3, 3), back);
    EXPECT_EQ(::GetPixel(dc, 2, 2), shadow);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
}

TEST(NotImplemented, ShowsItsBoxThenEndsTheOperationSilently) {
    std::string shown;
    framework::SetMessageBoxAnswerer([&](HWND, std::string_view text, std::string_view, UINT flags) {
        shown = std::string(text);
        EXPECT_TRUE(flags & MB_ICONINFORMATION);
        return IDOK;
    });
    std::vector<std::string> reported;
    auto& app = framework::App();
    auto previous = app.OnException;
    app.OnException = [&](const std::string& m) { reported.push_back(m); };
    EXPECT_THROW(NotImplementedStop(), framework::Abort);
    // Passed through a callback barrier, the abort reaches nobody.
    framework::Guard([] { NotImplementedStop(); });
    framework::Guard([] { throw framework::Exception("real error"); });
    app.OnException = previous;
    framework::SetMessageBoxAnswerer({});
    EXPECT_EQ(shown, "Function not yet implemented");
    EXPECT_EQ(reported, std::vector<std::string>{"real error"});
}

TEST(Messages, DropPendingRemovesOneAndKeepsTheQuit) {
    HWND w = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}
    ::PostMessageA(w, WM_APP + 7, 1, 0);
    ::PostMessageA(w, WM_APP + 7, 2, 0);
    DropPendingMessage(w, WM_APP + 7);
    ASSERT_TRUE(::PeekMessageA(&m, w, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_FALSE(::PeekMessageA(&m, w, WM_APP + 7, WM_APP + 7, PM_REMOVE));

    ::PostQuitMessage(42);
    DropPendingMessage(w, WM_APP + 7);
    ASSERT_TRUE(::PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is posted again";
    EXPECT_EQ(m.wParam, 42u);

    ::EnableWindow(w, FALSE);
    EXPECT_FALSE(ActivateWindow(w, false)) << "a disabled window is not activated";
    ::DestroyWindow(w);
}

TEST(MemoryBlocks, ZeroFilledComparedAndMoved) {
    EXPECT_EQ(AllocBlock(0), nullptr);
    EXPECT_EQ(AllocBlock(-5), nullptr);
    void* block = AllocBlock(64);
    ASSERT_NE(block, nullptr);
    std::vector<char> zeros(64, 0);
    EXPECT_TRUE(SameBytes(block, zeros.data(), 64));
    std::memcpy(block, "abcdefgh", 8);
    BlockMove(BlockOffset(block, 2), block, 6);   // overlapping
    EXPECT_TRUE(SameBytes(block, "ababcdef", 8));
    EXPECT_FALSE(SameBytes(block, "ababcdeX", 8));
    EXPECT_TRUE(SameBytes(block, "ababcdeX", 7));
    FreeBlock(block);
    EXPECT_EQ(block, nullptr);
    FreeBlock(block);   // a second free does nothing
}

TEST(FileNames, ValidityFoldersAndNames) {
    struct Case {
        const char* name;
        bool valid;
    };
    const Case cases[] = {{"", false}, {"a.txt", true}, {"a<b", false}, {"a>b", false}, {"a\"b", false},
                          {"a[1]", true}, {"C:\\pics\\holiday [2019].jpg", true}, {"a|b", false}, {"C:\\dir\\file name.txt", true}};
    for (const auto& c : cases) EXPECT_EQ(FileNameIsValid(c.name), c.valid) << c.name;

    std::string dir = e2e::TempDir();
    EXPECT_TRUE(FolderExists(dir));
    EXPECT_FALSE(FolderExists(dir + "nowhere"));
    std::string file = dir + "a long file name.text";
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
    EXPECT_FALSE(FolderExists(file));
    EXPECT_EQ(LongFileName(file), "a long file name.text");
    std::string shortName = ShortFileName(file);
    EXPECT_FALSE(shortName.empty());
    EXPECT_LE(shortName.size(), 12u);
    EXPECT_EQ(LongFileName(dir + "missing.txt"), "");
    EXPECT_EQ(ShortFileName(dir + "missing.txt"), "");
}

TEST(Startup, DateFormatFlagCursorsAndClipboardFormat) {
    EXPECT_TRUE(FourDigitYearFormat("dd.MM.yyyy"));
    EXPECT_TRUE(FourDigitYearFormat("YYYY-mm-dd"));
    EXPECT_FALSE(FourDigitYearFormat("M/d/yy"));
    EXPECT_NE(ToolkitCursor(crHand), nullptr);
    EXPECT_NE(ToolkitCursor(crDragHand), nullptr);
    UINT format = IconClipboardFormat();
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(format, ::RegisterClipboardFormatA(kIconClipboardFormatName));
}
