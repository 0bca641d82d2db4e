#pragma once
// The framework's picture system: the abstract picture (TGraphic), the
// bitmap picture (TBitmap), and the registry that maps file extensions and
// clipboard formats to picture classes.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/guard.h"
#include "framework/owned.h"

namespace framework {

enum class ProgressStage { Starting, Running, Ending };

class Graphic {
public:
    Graphic() = default;
    virtual ~Graphic() = default;
    Graphic(const Graphic&) = delete;
    Graphic& operator=(const Graphic&) = delete;

    virtual void Draw(HDC dc, const RECT& rect) = 0;
    virtual bool Empty() const = 0;
    virtual int Width() = 0;
    virtual int Height() = 0;
    virtual HPALETTE Palette() { return nullptr; }
    // The picture draws transparently: its own flag, and the picture agrees.
    virtual bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }

    // A file image of the picture's own format.
    virtual void LoadFromBytes(std::string_view bytes) = 0;
    virtual std::string SaveToBytes() = 0;
    // Form streaming: the picture's data as a form stores it.
    virtual void ReadData(std::string_view data) { LoadFromBytes(data); }
    virtual std::string WriteData() { return SaveToBytes(); }

    // Copying between pictures: Assign asks the source to assign itself when
    // it knows no better; both raise framework::Exception for a pair of
    // pictures that cannot be copied.
    virtual void Assign(const Graphic* source);
    virtual void AssignTo(Graphic& target) const;
    virtual bool Equals(const Graphic& other) const { return this == &other; }

    // Clipboard exchange; the format of the data placed is answered.
    virtual void SaveToClipboard() = 0;
    virtual void LoadFromClipboard() = 0;

    std::function<void()> OnChange;
    std::function<void(ProgressStage stage, int percent, const std::string& message)> OnProgress;
    bool PaletteModified = false;

protected:
    void Changed() {
        if (OnChange) OnChange();
    }

private:
    bool transparent_ = false;
};

// A bitmap: a device-independent section or a device-dependent bitmap.
class BitmapPicture final : public Graphic {
public:
    BitmapPicture() = default;

    HBITMAP Handle() const noexcept { return bitmap_.get(); }
    // Takes ownership; 0 makes the picture empty.
    void SetHandle(HBITMAP bitmap);
    HBITMAP ReleaseHandle() noexcept;
    // Bits per pixel of the bitmap (0 when empty).
    int PixelFormat() const;
    bool Monochrome() const { return PixelFormat() == 1; }
    // The colour drawn transparent; clDefault picks the bottom-left pixel.
    static constexpr COLORREF clDefault = 0x20000000;
    COLORREF TransparentColor = clDefault;
    COLORREF EffectiveTransparentColor() const;
    // A new bitmap of the screen's format, filled with the colour.
    void SetSize(int width, int height, COLORREF fill = RGB(255, 255, 255));
    // Turns a section into a bitmap of the screen's format (monochrome stays).
    void MakeDeviceDependent();

    void Draw(HDC dc, const RECT& rect) override;
    bool Empty() const override { return !bitmap_; }
    int Width() override;
    int Height() override;
    HPALETTE Palette() override;
    // A BMP file image; raise framework::Exception for invalid data.
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() override;
    // The BMP file image in the bit count asked for (1, 4, 8, 24 or 32).
    std::string SaveToBytes(int bitCount) const;
    void Assign(const Graphic* source) override;
    void AssignTo(Graphic& target) const override;
    void SaveToClipboard() override;
    void LoadFromClipboard() override;
    // Takes a copy of the clipboard's bitmap handle.
    void LoadFromClipboardHandle(HBITMAP bitmap);

private:
    Bitmap bitmap_;
    GdiObj palette_;
};

// Picture classes by file extension (without the dot, any case) and by
// clipboard format; the unit of a picture class registers it.
using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;
void RegisterFileFormat(std::string_view extension, std::string_view description, GraphicFactory factory);
void RegisterClipboardFormat(UINT format, GraphicFactory factory);
void UnregisterGraphicFormats(std::string_view extension, UINT clipboardFormat);
std::unique_ptr<Graphic> GraphicForExtension(std::string_view extension);
std::string DescriptionOfExtension(std::string_view extension);
std::unique_ptr<Graphic> GraphicForClipboardFormat(UINT format);

// An open clipboard, closed at the end of the scope.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner = nullptr);
    ~ClipboardScope();
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
};

}  // namespace framework
