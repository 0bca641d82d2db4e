#include "toolkit/ani_file.h"
#include <algorithm>
#include "framework/guard.h"
#include "framework/string_list.h"
#include "toolkit/rx_graph.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
void TIconFrame::Assign(const TIconFrame& source) {
    if (&source == this) return;
    Icon.Assign(&source.Icon);
    IsIcon = source.IsIcon;
    ChunkHeader = source.ChunkHeader;
    HotSpot = source.HotSpot;
    JiffRate = source.JiffRate;
    Seq = source.Seq;
}

TIconFrame& TAnimatedCursorImage::Icons(int index) const {
    if (index < 0 || index >= Count()) throw framework::Exception("List index out of bounds");
    return *frames_[size_t(index)];
}

void TAnimatedCursorImage::Clear() {
    header_ = {};
    title_.clear();
    author_.clear();
    frames_.clear();
    originalColors_ = 0;
}

void TAnimatedCursorImage::LoadFromStream(std::string_view bytes) {
    Clear();
    const auto file = ani::ReadAni(bytes);
    // Each image becomes one icon; frames that show it share a copy.
    std::vector<std::unique_ptr<TIcon>> icons;
    for (const auto& image : file.Images) {
        auto icon = std::make_unique<TIcon>();
        try {
            icon->LoadFromBytes(image.FileImage);
        } catch (const framework::Exception&) {
            icon.reset();   // an image the system cannot load: no image
        }
        icons.push_back(std::move(icon));
    }
    for (const auto& f : file.Frames) {
        const auto& icon = icons[size_t(f.Image)];
        if (!icon) continue;
        const auto& image = file.Images[size_t(f.Image)];
        auto frame = std::make_unique<TIconFrame>();
        frame->Icon.Assign(icon.get());
        frame->IsIcon = image.IsIcon;
        frame->ChunkHeader = f.ChunkHeader;
        frame->HotSpot = image.IsIcon ? POINT{frame->Icon.Width() / 2, frame->Icon.Height() / 2}
                                      : POINT{image.HotSpotX, image.HotSpotY};
        frame->JiffRate = f.Rate;
        frame->Seq = f.Sequence;
        frames_.push_back(std::move(frame));
    }
    if (frames_.empty()) {
        Clear();
        throw framework::Exception(ani::kStreamRead);
    }
    header_ = file.Header;
    header_.Steps = uint32_t(frames_.size());
    title_ = file.Title;
    author_ = file.Author;
    originalColors_ = file.OriginalColors;
}

void TAnimatedCursorImage::SaveToStream(std::string&) const { NotImplementedStop(); }

void TAnimatedCursorImage::LoadFromFile(const std::string& path) {
    try {
        LoadFromStream(framework::ReadFileBytes(path));
    } catch (...) {
        Clear();
        throw;
    }
}

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage* source) {
    if (source == this) return;
    Clear();
    if (!source) return;
    try {
        header_ = source->header_;
        title_ = source->title_;
        author_ = source->author_;
        originalColors_ = source->originalColors_;
        for (const auto& f : source->frames_) {
            auto copy = std::make_unique<TIconFrame>();
            copy->Assign(*f);
            frames_.push_back(std::move(copy));
        }
    } catch (...) {
        Clear();
        throw;
    }
}

void TAnimatedCursorImage::AssignTo(TIcon& icon) const { icon.Assign(frames_.empty() ? nullptr : &frames_[0]->Icon); }

void TAnimatedCursorImage::AssignTo(TIconList& list) const {
    list.BeginUpdate();
    try {
        for (const auto& f : frames_) list.AddIcon(&f->Icon);
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

void TAnimatedCursorImage::AssignTo(framework::BitmapPicture& bitmap, COLORREF background, bool vertical) const {
    if (frames_.empty()) return bitmap.Assign(nullptr);
    const int w = frames_[0]->Icon.Width(), h = frames_[0]->Icon.Height(), n = Count();
    framework::BitmapPicture strip;
    strip.SetSize(vertical ? w : w * n, vertical ? h * n : h, background);
    {
        framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
        framework::SelectScope select(dc.get(), strip.Handle());
        for (int i = 0; i < n; ++i)
            ::DrawIconEx(dc.get(), vertical ? 0 : i * w, vertical ? i * h : 0, frames_[size_t(i)]->Icon.Handle(), w, h,
                         0, nullptr, DI_NORMAL);
    }
    bitmap.LoadFromBytes(BitmapToColorsStream(strip, std::max(originalColors_, 16)));
}

}  // namespace toolkit
