#include "toolkit/gif_image.h"
#include <algorithm>
#include <cstring>
#include <utility>
#include "toolkit/ani_file.h"
#include "toolkit/dib_format.h"
#include "toolkit/rx_graph.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

constexpr COLORREF kFillColor = 0xFF00FF;

[[noreturn]] void Fail(const char* text) { throw EInvalidGraphicOperation(text); }

// The unit registers the class for its extension and clipboard format at
// start-up and takes it back at shutdown.
struct Registration {
    Registration() {
        auto make = [] { return std::make_unique<TGIFImage>(); };
        framework::RegisterFileFormat(kGifExtension, kGifDescription, make);
        framework::RegisterClipboardFormat(GifClipboardFormat(), make);
    }
    ~Registration() { framework::UnregisterGraphicFormats(kGifExtension, GifClipboardFormat()); }
};
const Registration registration;

// Global memory locked for one scope.
class LockedBlock {
public:
    explicit LockedBlock(HGLOBAL block) : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    ~LockedBlock() {
        if (data_) ::GlobalUnlock(block_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    const char* Data() const { return static_cast<const char*>(data_); }
    size_t Size() const { return data_ ? ::GlobalSize(block_) : 0; }

private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace

UINT GifClipboardFormat() {
    static const UINT format = ::RegisterClipboardFormatA(kGifClipboardFormatName);
    return format;
}

// Frame -----------------------------------------------------------------------------

TGIFFrame::TGIFFrame(TGIFImage* owner) : Owner(owner) {}

void TGIFFrame::FreshItem() { Record.Item = std::make_shared<gif::ImageItem>(); }

TBitmap* TGIFFrame::GetBitmap() {
    if (HasBitmap()) return bitmap_.get();
    bitmap_ = std::make_unique<TBitmap>();
    if (!Record.Item->Data.empty()) {
        bool corrupted = false;
        gif::Progress progress;
        if (Owner)
            progress = [this](gif::ProgressStage s, int p, const std::string& m) { Owner->Progress(s, p, m); };
        bitmap_->LoadFromBytes(gif::DecodeFrameToBmp(*Record.Item, Record.Interlaced, corrupted, progress));
        Record.Corrupted = Record.Corrupted || corrupted;
        if (!bitmap_->Monochrome()) bitmap_->MakeDeviceDependent();
    }
    return bitmap_.get();
}

int TGIFFrame::Width() { return HasBitmap() || !Record.Item->Data.empty() ? GetBitmap()->Width() : 0; }

int TGIFFrame::Height() { return HasBitmap() || !Record.Item->Data.empty() ? GetBitmap()->Height() : 0; }

void TGIFFrame::Assign(std::nullptr_t) {
    FreshItem();
    bitmap_.reset();
    if (Owner) Owner->RecomputeScreen();
}

void TGIFFrame::Assign(const TGIFFrame& source) {
    if (&source == this) return;
    Record.Item = source.Record.Item;
    Record.HasLocalColors = source.Owner == Owner ? source.Record.HasLocalColors : true;
    Record.Left = source.Record.Left;
    Record.Top = source.Record.Top;
    Record.Interlaced = source.Record.Interlaced;
    if (source.bitmap_) {
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(source.bitmap_.get());
    }
    Record.TransparentColor = source.Record.TransparentColor;
    Record.AnimateInterval = source.Record.AnimateInterval;
    Record.DisposalMethod = source.Record.DisposalMethod;
    Record.GrayscaleReduce = source.Record.GrayscaleReduce;
    Record.Corrupted = source.Record.Corrupted;
    for (const auto& e : source.Record.Extensions)
        if (e.Kind == gif::ExtensionKind::ExtComment && !e.Data.empty()) Record.Extensions.push_back(e);
    if (Owner) Owner->RecomputeScreen();
}

void TGIFFrame::Assign(const framework::Graphic* source) {
    if (auto* image = dynamic_cast<const TGIFImage*>(source)) {
        if (image->Count() == 0) return Assign(nullptr);
        return Assign(image->Frames(std::max(image->FrameIndex, 0)));
    }
    if (!source || source->Empty()) return Assign(nullptr);
    // The source may be this frame's own bitmap: it is read whole before
    // the new one takes its place.
    auto bitmap = std::make_unique<TBitmap>();
    auto& graphic = const_cast<framework::Graphic&>(*source);
    try {
        bitmap->Assign(source);
    } catch (const framework::Exception&) {
        // A picture that cannot become a bitmap is drawn onto one.
        bitmap->SetSize(graphic.Width(), graphic.Height(), kFillColor);
        framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
        framework::SelectScope select(dc.get(), bitmap->Handle());
        RECT all{0, 0, graphic.Width(), graphic.Height()};
        graphic.Draw(dc.get(), all);
    }
    if (graphic.Transparent()) {
        auto* asBitmap = dynamic_cast<const TBitmap*>(source);
        Record.TransparentColor = asBitmap ? asBitmap->EffectiveTransparentColor() : kFillColor;
    }
    FreshItem();
    bitmap_ = std::move(bitmap);
    if (Owner) Owner->RecomputeScreen();
}

void TGIFFrame::AssignTo(framework::Graphic& target) {
    if (auto* image = dynamic_cast<TGIFImage*>(&target)) return image->Assign(*this);
    auto* bitmap = GetBitmap();
    target.Assign(bitmap);
    if (auto* asBitmap = dynamic_cast<TBitmap*>(&target); asBitmap && Record.TransparentColor != gif::clNone) {
        asBitmap->TransparentColor = Record.TransparentColor;
        asBitmap->SetTransparent(true);
    }
}

void TGIFFrame::EncodeFrame() {
    if (!bitmap_ || bitmap_->Empty()) Fail(gif::texts::kNoData);
    try {
        const int own = bitmap_->PixelFormat();
        std::string bmp;
        if (own == 1 || own == 4 || own == 8) {
            bmp = bitmap_->SaveToBytes(own);
        } else {
            const auto method = Record.GrayscaleReduce ? rx::TMappingMethod::mmGrayscale : rx::DefaultMappingMethod;
            if (method == rx::TMappingMethod::mmGrayscale) Record.GrayscaleReduce = true;
            bmp = BitmapToDIBStream(*bitmap_, TPixelFormat::pf8bit, method);
        }
        const auto picture = dib::ParseBmp(bmp);
        if (picture.BitCount != 1 && picture.BitCount != 4 && picture.BitCount != 8) Fail(gif::texts::kEncodingError);
        Record.Interlaced = false;
        auto item = std::make_shared<gif::ImageItem>();
        gif::Progress progress;
        if (Owner)
            progress = [this](gif::ProgressStage s, int p, const std::string& m) { Owner->Progress(s, p, m); };
        gif::EncodeFrame(picture, *item, false, progress);
        Record.Item = item;
        if (Owner && Owner->Data->Colors.Count == 0) {
            Owner->Data->Colors = item->Colors;
            Owner->Data->BitsPerPixel = item->BitsPerPixel;
            Record.HasLocalColors = false;
        } else {
            Record.HasLocalColors = true;
        }
        if (Owner) Owner->RecomputeScreen();
        if (gif::UpdateFrameExtensions(Record) && Owner) Owner->Version = 2;
    } catch (const framework::Abort&) {
        // Stopped from the progress event: the frame starts over.
        Record = gif::FrameRecord{};
        bitmap_.reset();
        throw;
    }
}

// Image -------------------------------------------------------------------------------

TGIFImage::TGIFImage() {
    Reset();
    SetTransparent(true);
}

TGIFImage::~TGIFImage() = default;

void TGIFImage::Reset() {
    Data = std::make_shared<gif::GifData>();
    frames_.clear();
    Corrupted = false;
    FrameIndex = -1;
    BackgroundColor = gif::clNone;
    RepeatCount = 1;
    Looping = false;
    Version = 0;
}

TGIFFrame& TGIFImage::Frames(int index) const {
    if (index < 0 || index >= Count()) throw EInvalidGraphicOperation("List index out of bounds");
    return *frames_[size_t(index)];
}

void TGIFImage::Progress(gif::ProgressStage stage, int percent, const std::string& message) {
    if (OnProgress) OnProgress(framework::ProgressStage(int(stage)), percent, message);
}

void TGIFImage::ChangedPicture() {
    PaletteModified = true;
    Changed();
}

void TGIFImage::Adopt(gif::GifFile& file) {
    Data = file.Data;
    Version = file.Version;
    ScreenWidth = file.ScreenWidth;
    ScreenHeight = file.ScreenHeight;
    BackgroundColor = file.BackgroundColor;
    Looping = file.Looping;
    RepeatCount = file.RepeatCount;
    for (auto& record : file.Frames) {
        auto frame = std::make_unique<TGIFFrame>(this);
        frame->Record = std::move(record);
        frames_.push_back(std::move(frame));
    }
}

void TGIFImage::ReadStream(size_t count, std::string_view stream, bool decodeFirst) {
    Reset();
    if (count > stream.size()) Fail(gif::texts::kStreamRead);
    gif::GifFile file;
    try {
        gif::ReadGif(stream.substr(0, count), file);
    } catch (...) {
        Adopt(file);
        throw;
    }
    Adopt(file);
    if (!frames_.empty()) {
        FrameIndex = 0;
        if (decodeFirst) {
            try {
                frames_[0]->GetBitmap();
            } catch (...) {
                frames_.erase(frames_.begin());
                throw;
            }
        }
    }
    ChangedPicture();
}

void TGIFImage::ReadData(std::string_view data) {
    if (data.size() < 4) Fail(gif::texts::kStreamRead);
    uint32_t count = 0;
    std::memcpy(&count, data.data(), 4);
    ReadStream(count, data.substr(4), true);
}

std::string TGIFImage::WriteStream(bool writeSize) {
    if (frames_.empty()) Fail(gif::texts::kNoData);
    for (auto& f : frames_)
        if (f->Record.Item->Data.empty()) f->EncodeFrame();
    gif::GifFile file;
    file.Data = Data;
    file.Version = Version;
    file.BackgroundColor = BackgroundColor;
    file.Looping = Looping;
    file.RepeatCount = RepeatCount;
    for (auto& f : frames_) file.Frames.push_back(f->Record);
    return gif::WriteGif(file, writeSize);
}

TBitmap* TGIFImage::GetBitmap() {
    if (frames_.empty()) {
        FrameIndex = 0;
        TBitmap empty;
        AddFrame(empty);
        FrameIndex = 0;
    }
    const int index = FrameIndex >= 0 && FrameIndex < Count() ? FrameIndex : 0;
    return frames_[size_t(index)]->GetBitmap();
}

int TGIFImage::AddFrame(const framework::Graphic& graphic) {
    frames_.push_back(std::make_unique<TGIFFrame>(this));
    FrameIndex = Count() - 1;
    frames_.back()->Assign(&graphic);
    if (Version == 0) Version = 1;
    if (Count() > 1) Version = 2;
    return FrameIndex;
}

void TGIFImage::RecomputeScreen() {
    int w = 0, h = 0;
    for (auto& f : frames_) {
        w = std::max(w, f->Record.Left + f->Width());
        h = std::max(h, f->Record.Top + f->Height());
    }
    ScreenWidth = uint16_t(std::min(w, 0xFFFF));
    ScreenHeight = uint16_t(std::min(h, 0xFFFF));
}

void TGIFImage::Draw(HDC dc, const RECT& rect) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return;
    auto& frame = *frames_[size_t(FrameIndex)];
    auto* bitmap = frame.GetBitmap();
    if (bitmap->Empty()) return;
    if (frame.Record.TransparentColor != gif::clNone && Transparent()) {
        StretchBitmapMasked(dc, rect, bitmap->Handle(), RECT{}, frame.Record.TransparentColor);
        return;
    }
    const bool own = bitmap->Transparent();
    bitmap->SetTransparent(false);
    bitmap->Draw(dc, rect);
    bitmap->SetTransparent(own);
}

bool TGIFImage::Empty() const {
    if (frames_.empty()) return true;
    const auto& f = *frames_[size_t(std::clamp(FrameIndex, 0, Count() - 1))];
    return !f.HasBitmap() && f.Record.Item->Data.empty();
}

int TGIFImage::Width() {
    if (Empty() || FrameIndex < 0 || FrameIndex >= Count()) return 0;
    return frames_[size_t(FrameIndex)]->GetBitmap()->Width();
}

int TGIFImage::Height() {
    if (Empty() || FrameIndex < 0 || FrameIndex >= Count()) return 0;
    return frames_[size_t(FrameIndex)]->GetBitmap()->Height();
}

HPALETTE TGIFImage::Palette() { return frames_.empty() ? nullptr : GetBitmap()->Palette(); }

bool TGIFImage::Transparent() const {
    if (!Graphic::Transparent()) return false;
    return std::any_of(frames_.begin(), frames_.end(),
                       [](const auto& f) { return f->Record.TransparentColor != gif::clNone; });
}

void TGIFImage::SetWidth(int) { Fail(gif::texts::kCannotResize); }
void TGIFImage::SetHeight(int) { Fail(gif::texts::kCannotResize); }

bool TGIFImage::Equals(const framework::Graphic& other) const {
    auto* gif = dynamic_cast<const TGIFImage*>(&other);
    return gif && gif->Data == Data;
}

void TGIFImage::Assign(const framework::Graphic* source) {
    if (!source) {
        Reset();
        ChangedPicture();
        return;
    }
    if (auto* gifSource = dynamic_cast<const TGIFImage*>(source)) {
        if (gifSource == this) return;
        Data = gifSource->Data;
        Version = gifSource->Version;
        BackgroundColor = gifSource->BackgroundColor;
        RepeatCount = gifSource->RepeatCount;
        Looping = gifSource->Looping;
        Corrupted = gifSource->Corrupted;
        frames_.clear();
        for (const auto& f : gifSource->frames_) {
            auto frame = std::make_unique<TGIFFrame>(this);
            frame->Record.Item->BitsPerPixel = f->Record.Item->BitsPerPixel;
            frame->Assign(*f);
            frame->Record.HasLocalColors = f->Record.HasLocalColors;
            frames_.push_back(std::move(frame));
        }
        ScreenWidth = gifSource->ScreenWidth;
        ScreenHeight = gifSource->ScreenHeight;
        FrameIndex = gifSource->FrameIndex;
        ChangedPicture();
        return;
    }
    if (dynamic_cast<const TBitmap*>(source)) {
        // The bitmap may be one of this image's frames: they outlive the reset.
        const auto held = std::exchange(frames_, {});
        Reset();
        AddFrame(*source);
        ChangedPicture();
        return;
    }
    Graphic::Assign(source);
}

void TGIFImage::Assign(const TGIFFrame& frame) {
    // The frame may be one of this image's own: the frames outlive the
    // reset, and the image-wide values are read before it replaces them.
    const auto held = std::exchange(frames_, {});
    std::shared_ptr<const gif::GifData> from = frame.Owner ? frame.Owner->Data : nullptr;
    Reset();
    if (from) {
        Data->AspectRatio = from->AspectRatio;
        Data->BitsPerPixel = from->BitsPerPixel;
        Data->ColorResBits = from->ColorResBits;
        Data->Colors = from->Colors;
    }
    frames_.push_back(std::make_unique<TGIFFrame>(this));
    frames_.back()->Assign(frame);
    FrameIndex = 0;
    if (Version == 0) Version = 1;
    ChangedPicture();
}

void TGIFImage::Assign(const TAnimatedCursorImage& cursor) {
    Reset();
    BackgroundColor = ::GetSysColor(COLOR_WINDOW);
    for (int i = 0; i < cursor.Count(); ++i) {
        const auto& icon = cursor.Icons(i);
        TBitmap strip;
        strip.SetSize(icon.Icon.Width(), icon.Icon.Height(), ::GetSysColor(COLOR_WINDOW));
        {
            framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
            framework::SelectScope select(dc.get(), strip.Handle());
            ::DrawIconEx(dc.get(), 0, 0, icon.Icon.Handle(), 0, 0, 0, nullptr, DI_NORMAL);
        }
        const int index = AddFrame(strip);
        frames_[size_t(index)]->Record.AnimateInterval = uint16_t(std::min<uint64_t>(icon.JiffRate * 100 / 6, 0xFFFF));
    }
    ChangedPicture();
}

void TGIFImage::AssignTo(framework::Graphic& target) const {
    if (auto* gif = dynamic_cast<TGIFImage*>(&target)) return gif->Assign(this);
    if (Empty()) return target.Assign(nullptr);
    auto& self = const_cast<TGIFImage&>(*this);
    if (FrameIndex < 0) return target.Assign(self.GetBitmap());
    frames_[size_t(FrameIndex)]->AssignTo(target);
}

void TGIFImage::SaveToClipboard() {
    if (frames_.empty()) return;
    const bool allEncoded = std::all_of(frames_.begin(), frames_.end(),
                                        [](const auto& f) { return !f->Record.Item->Data.empty(); });
    std::string data = allEncoded ? WriteStream(true) : std::string();
    HBITMAP bitmap = frames_[0]->GetBitmap()->Handle();
    framework::ClipboardScope open;
    ::EmptyClipboard();
    if (HANDLE copy = bitmap ? ::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0) : nullptr)
        if (!::SetClipboardData(CF_BITMAP, copy)) ::DeleteObject(copy);
    if (data.empty()) return;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (!block) return;
    if (void* p = ::GlobalLock(block)) {
        std::memcpy(p, data.data(), data.size());
        ::GlobalUnlock(block);
        if (::SetClipboardData(GifClipboardFormat(), block)) return;
    }
    ::GlobalFree(block);
}

void TGIFImage::LoadFromClipboard() {
    framework::ClipboardScope open;
    if (!::IsClipboardFormatAvailable(GifClipboardFormat())) {
        TBitmap bitmap;
        bitmap.LoadFromClipboardHandle(static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)));
        Assign(&bitmap);
        return;
    }
    LockedBlock block(::GetClipboardData(GifClipboardFormat()));
    // The length in front is another program's word: it must fit the block.
    if (block.Size() < 4) Fail(gif::texts::kStreamRead);
    uint32_t length = 0;
    std::memcpy(&length, block.Data(), 4);
    if (length > block.Size() - 4) Fail(gif::texts::kStreamRead);
    ReadStream(length, std::string_view(block.Data() + 4, length), false);
    if (frames_.empty()) return;
    FrameIndex = 0;
    if (HANDLE bitmap = ::GetClipboardData(CF_BITMAP)) {
        TBitmap taken;
        taken.LoadFromClipboardHandle(static_cast<HBITMAP>(bitmap));
        frames_[0]->GetBitmap()->Assign(&taken);
    }
}

}  // namespace toolkit
