// Per-desktop display mode and wallpaper: TfrmVDConfig::ApplyDesktopDisplay,
// the display-mode lookup, and the JPEG wallpapers converted to bitmaps.
#include "settings/desktop_display.h"
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include "engine/gtools.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "framework/text.h"
#include "settings/store_values.h"
#include "settings/subsystem_links.h"
#include "settings/vd_config.h"

// libjpeg's header expects the C library's FILE and size_t to be declared.
extern "C" {
#include <jpeglib.h>
}

namespace settings {
namespace {

constexpr std::string_view kDesktopKey = "\\Control Panel\\desktop";
constexpr std::string_view kConvertedPrefix = "wall";
constexpr std::string_view kConvertedSuffix = ".bmp";
// A wallpaper larger than this is no screen's picture; refusing it keeps a
// hostile header from asking for gigabytes.
constexpr uint64_t kMaxJpegPixels = 64ull * 1024 * 1024;
constexpr WPARAM kDisplayChangeMark = 42;

int CodeOf(const TDisplayMode& m) noexcept { return DisplayModeCode(m.width, m.height, m.bitsPerPixel, m.refresh); }

TDisplayMode ModeOf(const DEVMODEW& m) noexcept {
    return {static_cast<int>(m.dmPelsWidth), static_cast<int>(m.dmPelsHeight), static_cast<int>(m.dmBitsPerPel),
            static_cast<int>(m.dmDisplayFrequency)};
}

std::vector<DEVMODEW> EnumerateModes(DWORD flags) {
    std::vector<DEVMODEW> modes;
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);   // the wide mode record, no driver extra
    for (DWORD i = 0; ::EnumDisplaySettingsExW(nullptr, i, &mode, flags); ++i) {
        modes.push_back(mode);
        mode = DEVMODEW{};
        mode.dmSize = sizeof(mode);
    }
    return modes;
}

// JPEG decoding. libjpeg reports errors through a callback that must not
// return; it jumps back to the setjmp of RunJpegStep. No C++ object with a
// destructor lives in the frames that jump skips: only libjpeg's own frames
// and the step body, which touches nothing but the decompressor.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// A warning means damaged data (a truncated file among them): libjpeg would
// fill the rest of the picture with grey, which is no wallpaper to show.
void JpegEmitMessage(j_common_ptr info, int level) {
    if (level < 0) JpegErrorExit(info);
}

class JpegDecoder {
public:
    JpegDecoder() {
        info_.err = jpeg_std_error(&errors_.mgr);
        errors_.mgr.error_exit = JpegErrorExit;
        errors_.mgr.emit_message = JpegEmitMessage;
        errors_.message[0] = '\0';
        if (!Run([](jpeg_decompress_struct* d) { jpeg_create_decompress(d); }))
            throw framework::Exception("The JPEG decoder could not start: " + std::string(errors_.message));
        created_ = true;
    }
    ~JpegDecoder() {
        if (created_) jpeg_destroy_decompress(&info_);
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    jpeg_decompress_struct& Info() { return info_; }

    // Runs one step of libjpeg calls; false when libjpeg reported an error.
    template <typename Step>
    bool Run(Step step) {
        if (setjmp(errors_.jump)) return false;
        step(&info_);
        return true;
    }
    [[noreturn]] void Fail(const char* what) const {
        throw framework::Exception(std::string(what) + ": " + errors_.message);
    }

private:
    jpeg_decompress_struct info_{};
    JpegErrors errors_{};
    bool created_ = false;
};

void PutLe16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void PutLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The shell reads the wallpaper from the values just written.
void WriteWallpaper(const std::string& path, int style) {
    framework::Registry reg;
    if (!reg.OpenKey(kDesktopKey, false)) return;
    if (reg.ReadString("Wallpaper", "") == path) return;
    TWallpaperValues values = WallpaperValues(style);
    reg.WriteString("Wallpaper", path);
    reg.WriteString("TileWallpaper", values.tile);
    reg.WriteString("WallpaperStyle", values.style);
    reg.CloseKey();
    // The path itself, not a null one: a null path asks for the default
    // wallpaper on later systems and is not re-read from the registry under
    // every implementation.
    std::string param = path;
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, param.data(), SPIF_SENDCHANGE);
}

// Every visible top-level window, from the top of the Z order down.
void PostDisplayChange() {
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            return framework::Guard(TRUE, [&] {
                if (::IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
                return TRUE;
            });
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) ::PostMessageA(w, WM_DISPLAYCHANGE, kDisplayChangeMark, 0);
}

}  // namespace

int FindDisplayModeIndex(std::span<const TDisplayMode> modes, int code) noexcept {
    if (code == kWindowsDefaultMode) return -1;
    for (size_t i = 0; i < modes.size(); ++i) {
        const TDisplayMode& m = modes[i];
        if (m.width >= 640 && m.bitsPerPixel > 8 && CodeOf(m) == code) return static_cast<int>(i);
    }
    const int withoutRefresh = static_cast<int>(static_cast<uint32_t>(code) & ~0xFFu);
    for (size_t i = 0; i < modes.size(); ++i) {
        const TDisplayMode& m = modes[i];
        if (m.bitsPerPixel > 8 && DisplayModeCode(m.width, m.height, m.bitsPerPixel, 0) == withoutRefresh)
            return static_cast<int>(i);
    }
    return -1;
}

TWallpaperValues WallpaperValues(int style) noexcept {
    switch (static_cast<TWallpaperStyle>(style)) {
        case TWallpaperStyle::Center: return {"0", "0"};
        case TWallpaperStyle::Stretch: return {"0", "2"};
        default: return {"1", "0"};
    }
}

TWallpaperStyle StartWallpaperStyle(std::string_view tile, std::string_view style) noexcept {
    if (tile == "1") return TWallpaperStyle::Tile;
    return style != "0" ? TWallpaperStyle::Stretch : TWallpaperStyle::Center;
}

std::string RemoveQuotes(std::string_view path) {
    std::string out;
    std::copy_if(path.begin(), path.end(), std::back_inserter(out), [](char c) { return c != '"'; });
    return out;
}

bool IsJpegPath(std::string_view path) {
    std::string upper = framework::UpperCaseAscii(path);
    return upper.find(".JPE") != std::string::npos || upper.find(".JPG") != std::string::npos;
}

std::string ConvertedWallpaperPath(std::string_view dataFolder, int desktop) {
    return std::string(dataFolder) + std::string(kConvertedPrefix) + std::to_string(desktop) +
           std::string(kConvertedSuffix);
}

TRgbImage DecodeJpeg(std::string_view bytes) {
    if (bytes.empty()) throw framework::Exception("The JPEG file is empty");
    JpegDecoder decoder;
    jpeg_decompress_struct& info = decoder.Info();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(std::min<size_t>(bytes.size(), 0xFFFFFFFFu));
    if (!decoder.Run([&](jpeg_decompress_struct* d) {
            jpeg_mem_src(d, data, size);
            jpeg_read_header(d, TRUE);
            d->out_color_space = JCS_RGB;
        }))
        decoder.Fail("The JPEG header cannot be read");
    if (!decoder.Run([](jpeg_decompress_struct* d) { jpeg_start_decompress(d); }))
        decoder.Fail("The JPEG picture cannot be decoded");
    const uint64_t pixels = uint64_t{info.output_width} * info.output_height;
    if (info.output_components != 3 || pixels == 0 || pixels > kMaxJpegPixels)
        throw framework::Exception("The JPEG picture has an unusable size or colour format");

    TRgbImage image;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(static_cast<size_t>(pixels) * 3);
    std::vector<JSAMPROW> rows(info.output_height);
    for (size_t y = 0; y < rows.size(); ++y) rows[y] = image.rgb.data() + y * info.output_width * 3;
    JSAMPROW* rowPointers = rows.data();
    if (!decoder.Run([rowPointers](jpeg_decompress_struct* d) {
            while (d->output_scanline < d->output_height)
                jpeg_read_scanlines(d, rowPointers + d->output_scanline, d->output_height - d->output_scanline);
            jpeg_finish_decompress(d);
        }))
        decoder.Fail("The JPEG picture is damaged");
    return image;
}

std::string EncodeBmp(const TRgbImage& image) {
    const uint32_t width = static_cast<uint32_t>(image.width), height = static_cast<uint32_t>(image.height);
    const uint32_t stride = (width * 3 + 3) & ~3u;
    const uint32_t pixelBytes = stride * height;
    constexpr uint32_t kHeaders = 14 + 40;
    std::string out;
    out.reserve(kHeaders + pixelBytes);
    out += "BM";
    PutLe32(out, kHeaders + pixelBytes);
    PutLe32(out, 0);
    PutLe32(out, kHeaders);
    PutLe32(out, 40);   // BITMAPINFOHEADER
    PutLe32(out, width);
    PutLe32(out, height);   // positive: bottom row first
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, BI_RGB);
    PutLe32(out, pixelBytes);
    PutLe32(out, 2835);   // 72 dpi
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (uint32_t y = height; y-- > 0;) {
        const uint8_t* row = image.rgb.data() + size_t{y} * width * 3;
        for (uint32_t x = 0; x < width; ++x) {
            out.push_back(static_cast<char>(row[x * 3 + 2]));
            out.push_back(static_cast<char>(row[x * 3 + 1]));
            out.push_back(static_cast<char>(row[x * 3]));
        }
        out.append(stride - width * 3, '\0');
    }
    return out;
}

void ConvertJpegToBmp(const std::string& jpegPath, const std::string& bmpPath) {
    TRgbImage image;
    try {
        image = DecodeJpeg(framework::ReadFileBytes(jpegPath));
    } catch (const framework::Exception& e) {
        throw framework::Exception("Wallpaper " + jpegPath + ": " + e.what());
    }
    framework::WriteFileReplacing(bmpPath, EncodeBmp(image));
}

// TfrmVDConfig ---------------------------------------------------------------------

DWORD TfrmVDConfig::DisplayModeFlags() const { return cbUnsafe.Checked() ? EDS_RAWMODE : 0; }

bool TfrmVDConfig::FindDisplayMode(int code, DEVMODEW& mode) const {
    std::vector<DEVMODEW> records = EnumerateModes(DisplayModeFlags());
    std::vector<TDisplayMode> modes;
    modes.reserve(records.size());
    for (const DEVMODEW& r : records) modes.push_back(ModeOf(r));
    int i = FindDisplayModeIndex(modes, code);
    mode = DEVMODEW{};
    mode.dmSize = sizeof(mode);
    if (i < 0) return false;
    mode = records[static_cast<size_t>(i)];
    return true;
}

void TfrmVDConfig::ApplyDesktopDisplay(int desk, bool force) {
    const auto current = links::CurrentDesktop();
    if (!force && current && desk == *current) return;
    if (desk < 0 || desk > 9) return;
    CenterOnScreen();

    int code = FStartDisplayMode;
    std::string path = FStartWallpaper;
    int style = static_cast<int>(StartWallpaperStyle(FStartTileWallpaper, FStartWallpaperStyle));
    if (desk > 0) {
        code = SelectedDisplayModeCode(desk);
        path = feDesk(desk).FileName();
        style = cbWPS(desk).ItemIndex();
    }
    DEVMODEW mode{};
    if (!FindDisplayMode(code, mode)) {
        code = FStartDisplayMode;
        FindDisplayMode(code, mode);
    }
    path = RemoveQuotes(path);

    if (code != CurrentDisplayModeCode() && mode.dmPelsWidth != 0) {
        ::ChangeDisplaySettingsW(&mode, CDS_UPDATEREGISTRY);
        links::RestoreClickPosition();
        links::UpdateDeskName(current.value_or(1));
        if (cbDeskBar.ItemIndex() > 0) links::DockDeskBar();
        PostDisplayChange();
    }

    if (IsJpegPath(path) && FileExists(path)) {
        const std::string folder = engine::GetDataFolder();
        if (folder.empty()) throw framework::Exception("Wallpaper " + path + ": no data folder to convert it into");
        std::string bmp = ConvertedWallpaperPath(folder, desk);
        ConvertJpegToBmp(path, bmp);
        path = bmp;
    }
    if (framework::Trim(path).empty() && desk != 0) {
        bool anyWallpaper = false;
        for (int n = 1; n <= 9; ++n) anyWallpaper = anyWallpaper || !framework::Trim(feDesk(n).FileName()).empty();
        if (!anyWallpaper) return;
    }
    WriteWallpaper(path, style);
}

}  // namespace settings
