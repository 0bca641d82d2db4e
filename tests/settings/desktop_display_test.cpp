// Per-desktop display modes and wallpapers: the mode codes and their lookup,
// the JPEG conversion, and the registry values and display mode that the
// settings dialog puts into force in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "settings/desktop_display.h"
#include "settings/store_values.h"
#include "settings/vd_config.h"
#include "support/e2e.h"

extern "C" {
#include <jpeglib.h>
}

using settings::TDisplayMode;

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

TEST(DesktopDisplay, DisplayModeCodes) {
    struct Case {
        int w, h, bpp, hz;
        uint32_t code;
    };
    const Case cases[] = {
        {1024, 768, 32, 75, 0x8060204Bu},    // bytes 128, 96, 32, 75
        {1280, 1024, 16, 0, 0xA0801000u},
        {800, 600, 24, 60, 0x644B183Cu},     // 600 div 8 = 75
        {1030, 770, 32, 60, 0x8060203Cu},    // widths and heights count in steps of 8
        {4096, 2048, 32, 60, 0x0100203Cu},   // modulo 2^32: 512 shl 24 drops out, 256 shl 16 carries
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(settings::DisplayModeCode(c.w, c.h, c.bpp, c.hz)), c.code)
            << c.w << "x" << c.h << "x" << c.bpp << "@" << c.hz;
}

TEST(DesktopDisplay, LookupTriesTheExactCodeThenWithoutRefresh) {
    const TDisplayMode modes[] = {
        {800, 600, 8, 60},     // 0: 8 bits never count
        {600, 480, 32, 60},    // 1: too narrow for the exact pass only
        {1024, 768, 16, 75},   // 2
        {1024, 768, 32, 60},   // 3
        {1024, 768, 32, 75},   // 4
        {1024, 768, 32, 20},   // 5: a rate below 30 Hz is still part of the code
    };
    auto code = [](int w, int h, int bpp, int hz) { return settings::DisplayModeCode(w, h, bpp, hz); };
    struct Case {
        const char* what;
        int code, index;
    };
    const Case cases[] = {
        {"exact match", code(1024, 768, 32, 75), 4},
        {"exact match, slow rate", code(1024, 768, 32, 20), 5},
        {"other depth", code(1024, 768, 16, 75), 2},
        {"unknown rate: first of the size and depth", code(1024, 768, 32, 85), 3},
        {"no rate stored", code(1024, 768, 32, 0), 3},
        {"narrow mode found without its rate only", code(600, 480, 32, 60), 1},
        {"8-bit mode never", code(800, 600, 8, 60), -1},
        {"unknown size", code(1600, 1200, 32, 60), -1},
        {"(windows default)", settings::kWindowsDefaultMode, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(settings::FindDisplayModeIndex(modes, c.code), c.index) << c.what;
    EXPECT_EQ(settings::FindDisplayModeIndex({}, code(1024, 768, 32, 75)), -1);
}

TEST(DesktopDisplay, WallpaperTextRules) {
    struct Style {
        int index;
        const char *tile, *style;
    };
    for (const Style& s : {Style{0, "1", "0"}, Style{1, "0", "0"}, Style{2, "0", "2"}, Style{-1, "1", "0"},
                           Style{7, "1", "0"}}) {
        settings::TWallpaperValues v = settings::WallpaperValues(s.index);
        EXPECT_EQ(v.tile, s.tile) << s.index;
        EXPECT_EQ(v.style, s.style) << s.index;
    }
    using S = settings::TWallpaperStyle;
    EXPECT_EQ(settings::StartWallpaperStyle("1", "2"), S::Tile);
    EXPECT_EQ(settings::StartWallpaperStyle("0", "2"), S::Stretch);
    EXPECT_EQ(settings::StartWallpaperStyle("0", "10"), S::Stretch);
    EXPECT_EQ(settings::StartWallpaperStyle("0", "0"), S::Center);

    EXPECT_EQ(settings::RemoveQuotes("\"C:\\pics\\a b.bmp\""), "C:\\pics\\a b.bmp");
    EXPECT_EQ(settings::RemoveQuotes("C:\\\"x\"\\y.bmp"), "C:\\x\\y.bmp");
    for (const char* p : {"a.jpg", "A.JPG", "b.jpeg", "c.JPE", "d.jpg.bmp"}) EXPECT_TRUE(settings::IsJpegPath(p)) << p;
    for (const char* p : {"a.bmp", "jpg", "C:\\jp\\g.bmp"}) EXPECT_FALSE(settings::IsJpegPath(p)) << p;
    EXPECT_EQ(settings::ConvertedWallpaperPath("C:\\data\\", 3), "C:\\data\\wall3.bmp");
}

// A small JPEG made here: left half red, right half blue.
std::string MakeJpeg(int width, int height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        bool left = x < width / 2;
        row[static_cast<size_t>(x) * 3] = left ? 255 : 0;
        row[static_cast<size_t>(x) * 3 + 1] = 0;
        row[static_cast<size_t>(x) * 3 + 2] = left ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

uint32_t Le32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t Le16(const std::string& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

std::string TempFolder() {
    char buf[MAX_PATH];
    ::GetTempPathA(MAX_PATH, buf);
    std::string folder = engine::AddBackslash(buf) + "desktop_display_test\\";
    engine::CreateFolderPath(folder);
    return folder;
}

TEST(DesktopDisplay, JpegBecomesAProperBitmap) {
    const std::string folder = TempFolder();
    const std::string jpg = folder + "pic.jpg", bmp = folder + "pic.bmp";
    framework::WriteFileReplacing(jpg, MakeJpeg(17, 9));
    settings::ConvertJpegToBmp(jpg, bmp);

    std::string b = framework::ReadFileBytes(bmp);
    const uint32_t stride = (17 * 3 + 3) & ~3u;   // 52: rows padded to 4 bytes
    ASSERT_EQ(b.size(), 54 + stride * 9);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(Le32(b, 2), b.size());
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(static_cast<int32_t>(Le32(b, 18)), 17);
    EXPECT_EQ(static_cast<int32_t>(Le32(b, 22)), 9);
    EXPECT_EQ(Le16(b, 28), 24);
    EXPECT_EQ(Le32(b, 30), static_cast<uint32_t>(BI_RGB));

    // The system reads it back, and the colours sit where they were drawn.
    framework::Bitmap loaded(static_cast<HBITMAP>(::LoadImageA(nullptr, bmp.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    ASSERT_TRUE(loaded);
    BITMAP info{};
    ::GetObjectA(loaded.get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 17);
    EXPECT_EQ(info.bmHeight, 9);
    auto pixel = [&](int x, int y) {   // BGR, bottom row first
        return reinterpret_cast<const unsigned char*>(b.data()) + 54 + (8 - y) * stride + x * 3;
    };
    const unsigned char* left = pixel(1, 4);
    const unsigned char* right = pixel(15, 4);
    EXPECT_GT(left[2], 200);   // red
    EXPECT_LT(left[0], 60);
    EXPECT_GT(right[0], 200);  // blue
    EXPECT_LT(right[2], 60);
}

TEST(DesktopDisplay, DamagedJpegLeavesTheOldBitmap) {
    const std::string folder = TempFolder();
    const std::string jpg = folder + "bad.jpg", bmp = folder + "bad.bmp";
    const std::string good = MakeJpeg(32, 24);
    const std::string old = "the bitmap of an earlier conversion";
    // A frame header claiming 65000 x 65000 pixels: no wallpaper that size is decoded.
    std::string huge = good;
    size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");
    const std::string damaged[] = {
        good.substr(0, good.size() / 2),            // truncated
        good.substr(0, 20),                         // header cut short
        std::string("not a jpeg at all, just text"),
        std::string(),                              // empty file
        huge,
    };
    for (size_t i = 0; i < std::size(damaged); ++i) {
        framework::WriteFileReplacing(bmp, old);
        framework::WriteFileReplacing(jpg, damaged[i]);
        EXPECT_THROW(settings::ConvertJpegToBmp(jpg, bmp), framework::Exception) << "case " << i;
        EXPECT_EQ(framework::ReadFileBytes(bmp), old) << "case " << i;
    }
    EXPECT_THROW(settings::ConvertJpegToBmp(folder + "missing.jpg", bmp), framework::Exception);
}

// The dialog against the test prefix's registry: the desktop values are put
// back afterwards, as is the display mode.
class DesktopDisplayDialog : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        framework::Registry reg;
        reg.OpenKey(kDesktopKey, true);
        for (const char* name : kValues) saved_.push_back(reg.TryReadString(name));
        startWidth_ = ::GetSystemMetrics(SM_CXSCREEN);
        startHeight_ = ::GetSystemMetrics(SM_CYSCREEN);
        folder_ = TempFolder();
        framework::App().CreateForm(settings::frmVDConfig);
    }
    void TearDown() override {
        if (settings::frmVDConfig) {
            if (::GetSystemMetrics(SM_CXSCREEN) != startWidth_) framework::Guard([] { Dialog().ApplyDesktopDisplay(0, true); });
            framework::App().FreeForm(settings::frmVDConfig);
        }
        framework::Registry reg;
        reg.OpenKey(kDesktopKey, true);
        for (size_t i = 0; i < std::size(kValues); ++i)
            if (saved_[i]) reg.WriteString(kValues[i], *saved_[i]);
            else reg.DeleteValue(kValues[i]);
        e2e::ResetUserState();
    }
    static settings::TfrmVDConfig& Dialog() { return *settings::frmVDConfig; }
    static std::string Value(const char* name) {
        framework::Registry reg;
        reg.OpenKeyReadOnly(kDesktopKey);
        return reg.ReadString(name, "<missing>");
    }
    static void SetValue(const char* name, const std::string& v) {
        framework::Registry reg;
        reg.OpenKey(kDesktopKey, true);
        reg.WriteString(name, v);
    }
    static std::string SystemWallpaper() {
        char buf[MAX_PATH] = {};
        ::SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof buf, buf, 0);
        return buf;
    }
    void SetWallpaper(int desk, const std::string& path, int style) {
        Dialog().feDesk(desk).SetFileName(path);
        Dialog().cbWPS(desk).SetItemIndex(style);
    }
    std::string MakeBmp(const std::string& name) {
        std::string path = folder_ + name;
        settings::TRgbImage image{2, 2, std::vector<uint8_t>(12, 128)};
        framework::WriteFileReplacing(path, settings::EncodeBmp(image));
        return path;
    }

    static constexpr const char* kValues[] = {"Wallpaper", "TileWallpaper", "WallpaperStyle"};
    std::vector<std::optional<std::string>> saved_;
    int startWidth_ = 0, startHeight_ = 0;
    std::string folder_;
};

TEST_F(DesktopDisplayDialog, EachStyleWritesItsRegistryValues) {
    struct Case {
        int style;
        const char *tile, *wallpaperStyle;
    };
    const Case cases[] = {{0, "1", "0"}, {1, "0", "0"}, {2, "0", "2"}};
    for (const Case& c : cases) {
        std::string path = MakeBmp("style" + std::to_string(c.style) + ".bmp");
        SetWallpaper(2, path, c.style);
        Dialog().ApplyDesktopDisplay(2, true);
        EXPECT_EQ(Value("Wallpaper"), path) << c.style;
        EXPECT_EQ(Value("TileWallpaper"), c.tile) << c.style;
        EXPECT_EQ(Value("WallpaperStyle"), c.wallpaperStyle) << c.style;
        EXPECT_EQ(SystemWallpaper(), path) << "the system took the new wallpaper";
    }
    // The same path in another style is left as it is.
    std::string same = Value("Wallpaper");
    SetWallpaper(3, same, 0);
    Dialog().ApplyDesktopDisplay(3, true);
    EXPECT_EQ(Value("TileWallpaper"), "0");
    EXPECT_EQ(Value("WallpaperStyle"), "2");

    // Quotes around the path are dropped.
    std::string quoted = MakeBmp("quoted.bmp");
    SetWallpaper(4, "\"" + quoted + "\"", 1);
    Dialog().ApplyDesktopDisplay(4, true);
    EXPECT_EQ(Value("Wallpaper"), quoted);
}

TEST_F(DesktopDisplayDialog, EmptyWallpapersTouchNothingUnlessAnotherDesktopHasOne) {
    SetValue("Wallpaper", "C:\\windows wallpaper.bmp");
    Dialog().ApplyDesktopDisplay(1, true);
    EXPECT_EQ(Value("Wallpaper"), "C:\\windows wallpaper.bmp");

    std::string two = MakeBmp("two.bmp");
    SetWallpaper(2, two, 0);
    Dialog().ApplyDesktopDisplay(2, true);
    EXPECT_EQ(Value("Wallpaper"), two);
    Dialog().ApplyDesktopDisplay(1, true);
    EXPECT_EQ(Value("Wallpaper"), "");
}

TEST_F(DesktopDisplayDialog, DesktopZeroPutsBackTheWallpaperFoundAtStart) {
    Dialog().FStartWallpaper = "C:\\start.bmp";
    Dialog().FStartTileWallpaper = "0";
    Dialog().FStartWallpaperStyle = "2";
    SetWallpaper(2, MakeBmp("other.bmp"), 0);
    Dialog().ApplyDesktopDisplay(2, true);
    Dialog().ApplyDesktopDisplay(0, true);
    EXPECT_EQ(Value("Wallpaper"), "C:\\start.bmp");
    EXPECT_EQ(Value("TileWallpaper"), "0");
    EXPECT_EQ(Value("WallpaperStyle"), "2");
}

TEST_F(DesktopDisplayDialog, JpegWallpaperIsConvertedIntoTheDataFolder) {
    std::string jpg = folder_ + "desk5.jpg";
    framework::WriteFileReplacing(jpg, MakeJpeg(40, 30));
    SetWallpaper(5, jpg, 1);
    Dialog().ApplyDesktopDisplay(5, true);
    const std::string bmp = engine::GetDataFolder() + "wall5.bmp";
    EXPECT_EQ(Value("Wallpaper"), bmp);
    std::string b = framework::ReadFileBytes(bmp);
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(static_cast<int32_t>(Le32(b, 18)), 40);

    // A damaged one raises, and neither the wallpaper nor the bitmap changes.
    std::string bad = folder_ + "desk6.jpg";
    framework::WriteFileReplacing(bad, MakeJpeg(40, 30).substr(0, 300));
    SetWallpaper(6, bad, 1);
    EXPECT_THROW(Dialog().ApplyDesktopDisplay(6, true), framework::Exception);
    EXPECT_EQ(Value("Wallpaper"), bmp);
    EXPECT_EQ(::GetFileAttributesA((engine::GetDataFolder() + "wall6.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DesktopDisplayDialog, ADamagedJpegOnDesktopOneStillLetsTheDialogComeUp) {
    framework::App().FreeForm(settings::frmVDConfig);
    std::string bad = folder_ + "desk1.jpg";
    framework::WriteFileReplacing(bad, "\xFF\xD8\xFF\xE0 cut short");
    SetValue("Wallpaper", "C:\\before.bmp");
    {
        framework::Registry reg;
        reg.OpenKey("Software\\Pelmora\\Tessarel", true);
        reg.WriteString("wallpaper1", bad);
    }
    std::string logged;
    auto oldHandler = framework::App().OnException;
    framework::App().OnException = [&](const std::string& m) { logged = m; };
    framework::App().CreateForm(settings::frmVDConfig);
    framework::App().OnException = oldHandler;
    ASSERT_NE(settings::frmVDConfig, nullptr);
    EXPECT_TRUE(::IsWindow(Dialog().Handle()));
    EXPECT_EQ(Dialog().feDesk(1).FileName(), bad);
    EXPECT_NE(logged.find("desk1.jpg"), std::string::npos) << logged;
    EXPECT_EQ(Value("Wallpaper"), "C:\\before.bmp");
}

TEST_F(DesktopDisplayDialog, DisplayModeFollowsTheDesktopAndComesBack) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    int wanted = settings::kWindowsDefaultMode;
    for (DWORD i = 0; ::EnumDisplaySettingsExW(nullptr, i, &mode, 0); ++i)
        if (mode.dmPelsWidth == 1024 && mode.dmPelsHeight == 768 && mode.dmBitsPerPel > 8) {
            wanted = settings::DisplayModeCode(1024, 768, static_cast<int>(mode.dmBitsPerPel),
                                               static_cast<int>(mode.dmDisplayFrequency));
            break;
        }
    if (wanted == settings::kWindowsDefaultMode) GTEST_SKIP() << "no 1024x768 mode";
    ASSERT_NE(startWidth_, 1024);

    Dialog().SelectDisplayModeItem(Dialog().cbRes(2), wanted);
    ASSERT_EQ(Dialog().SelectedDisplayModeCode(2), wanted);
    Dialog().ApplyDesktopDisplay(2, true);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);

    // "(windows default)" is the mode found at start.
    Dialog().ApplyDesktopDisplay(1, true);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), startWidth_);
    Dialog().ApplyDesktopDisplay(2, true);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024);
    Dialog().ApplyDesktopDisplay(0, true);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), startWidth_);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), startHeight_);
}

}  // namespace
