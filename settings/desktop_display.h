#pragma once
// Per-desktop display mode and wallpaper: the pure rules behind
// TfrmVDConfig::ApplyDesktopDisplay (settings/desktop_display.cpp), and the
// JPEG to bitmap conversion of wallpapers.
#include <windows.h>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// One display mode as the mode enumeration reports it.
struct TDisplayMode {
    int width = 0, height = 0, bitsPerPixel = 0, refresh = 0;
};

// The mode a code selects among the enumerated ones: the first full match
// among the modes the lists show (at least 640 wide, more than 8 bits per
// pixel); failing that, the first mode of more than 8 bits whose code without
// the refresh rate matches. -1 when none does; "(windows default)" never does.
int FindDisplayModeIndex(std::span<const TDisplayMode> modes, int code) noexcept;

// Wallpaper styles, as the style lists number them.
enum class TWallpaperStyle { Tile = 0, Center = 1, Stretch = 2 };

// The "TileWallpaper" and "WallpaperStyle" texts written for a style index;
// an index that is none of the three tiles.
struct TWallpaperValues {
    std::string_view tile, style;
};
TWallpaperValues WallpaperValues(int style) noexcept;

// The style of the wallpaper found at start, from its two registry texts.
TWallpaperStyle StartWallpaperStyle(std::string_view tile, std::string_view style) noexcept;

// The path with every double quote taken out.
std::string RemoveQuotes(std::string_view path);
// A path the wallpaper setting cannot take as it is and that is converted first.
bool IsJpegPath(std::string_view path);
// Where desktop n's converted wallpaper is kept.
std::string ConvertedWallpaperPath(std::string_view dataFolder, int desktop);

// A decoded picture, 3 bytes per pixel in red, green, blue order, top row first.
struct TRgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// Decodes a JPEG held in memory. Raises framework::Exception for anything
// that is not a whole, sound JPEG: corrupt and truncated data never yield a
// partly grey picture.
TRgbImage DecodeJpeg(std::string_view bytes);
// A 24-bit bottom-up bitmap file of the picture.
std::string EncodeBmp(const TRgbImage& image);
// Decodes the JPEG file and writes it as a bitmap file, replacing any earlier
// one only once the whole new file is written. Raises framework::Exception
// when the file cannot be read or decoded; the old bitmap then stays.
void ConvertJpegToBmp(const std::string& jpegPath, const std::string& bmpPath);

}  // namespace settings
