#pragma once
// TGIFImage: the framework's picture of a GIF image with one or more frames,
// registered for the extension "gif" and the clipboard format "GIF Image".
// The format work (reading, LZW, writing) is in gif_format.h; this unit
// keeps the frames, decodes each into a bitmap on first demand, draws,
// copies between pictures and talks to the clipboard.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/graphic.h"
#include "toolkit/gif_format.h"

namespace toolkit {

using TBitmap = framework::BitmapPicture;
class TGIFImage;
class TAnimatedCursorImage;

constexpr char kGifExtension[] = "gif";
constexpr char kGifDescription[] = "CompuServe GIF Image";
constexpr char kGifClipboardFormatName[] = "GIF Image";
UINT GifClipboardFormat();

class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage* owner);
    TGIFFrame(const TGIFFrame&) = delete;
    TGIFFrame& operator=(const TGIFFrame&) = delete;

    TGIFImage* Owner;
    // The shared item, extensions, origin, flags, transparency and timing.
    gif::FrameRecord Record;

    // The decoded frame, made on first demand and kept.
    TBitmap* GetBitmap();
    bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
    int Width();
    int Height();

    void Assign(std::nullptr_t);
    void Assign(const TGIFFrame& source);
    void Assign(const framework::Graphic* source);
    void AssignTo(framework::Graphic& target);

    // Encodes the bitmap into the frame's data (done when the image is
    // written and the frame has no data).
    void EncodeFrame();

private:
    void FreshItem();
    std::unique_ptr<TBitmap> bitmap_;
};

class TGIFImage final : public framework::Graphic {
public:
    TGIFImage();
    ~TGIFImage() override;

    std::shared_ptr<gif::GifData> Data;
    uint8_t Version = 0;
    int FrameIndex = -1;
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint32_t BackgroundColor = gif::clNone;
    bool Looping = false;
    bool Corrupted = false;
    uint16_t RepeatCount = 1;

    int Count() const { return int(frames_.size()); }
    TGIFFrame& Frames(int index) const;
    // The bitmap of the current frame (frame 0 when the index is out of
    // range); an image without frames gets one empty frame first.
    TBitmap* GetBitmap();
    virtual int AddFrame(const framework::Graphic& graphic);

    void Reset();
    void ReadStream(size_t count, std::string_view stream, bool decodeFirst);
    std::string WriteStream(bool writeSize);

    void Draw(HDC dc, const RECT& rect) override;
    bool Empty() const override;
    int Width() override;
    int Height() override;
    HPALETTE Palette() override;
    bool Transparent() const override;
    // Size changes are refused: "Cannot change the Size of a GIF image".
    void SetWidth(int);
    void SetHeight(int);
    // A 32-bit little-endian count, then that many bytes of GIF data.
    void ReadData(std::string_view data) override;
    std::string WriteData() override { return WriteStream(true); }
    void LoadFromBytes(std::string_view bytes) override { ReadStream(bytes.size(), bytes, true); }
    std::string SaveToBytes() override { return WriteStream(false); }
    void Assign(const framework::Graphic* source) override;
    void Assign(const TGIFFrame& frame);
    void Assign(const TAnimatedCursorImage& cursor);
    void AssignTo(framework::Graphic& target) const override;
    bool Equals(const framework::Graphic& other) const override;
    void SaveToClipboard() override;
    void LoadFromClipboard() override;

    // Grows the logical screen over every frame's right and bottom edge.
    void RecomputeScreen();
    void Progress(gif::ProgressStage stage, int percent, const std::string& message);

private:
    void Adopt(gif::GifFile& file);
    void ChangedPicture();
    std::vector<std::unique_ptr<TGIFFrame>> frames_;
};

}  // namespace toolkit
