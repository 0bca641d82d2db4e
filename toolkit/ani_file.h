#pragma once
// TAnimatedCursorImage (AniFile): an animated cursor file read into frames,
// each an icon with its display rate and hot spot, handed on as an icon, a
// bitmap strip or an icon list. The file format is in ani_format.h.
#include <windows.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/graphic.h"
#include "toolkit/ani_format.h"
#include "toolkit/icon_list.h"

namespace toolkit {

class TIconFrame {
public:
    TIconFrame() = default;
    TIconFrame(const TIconFrame&) = delete;
    TIconFrame& operator=(const TIconFrame&) = delete;
    void Assign(const TIconFrame& source);

    TIcon Icon;
    bool IsIcon = false;
    std::string ChunkHeader;
    POINT HotSpot{};
    uint32_t JiffRate = 0;   // sixtieths of a second
    uint32_t Seq = 0;
};

class TAnimatedCursorImage {
public:
    TAnimatedCursorImage() = default;
    virtual ~TAnimatedCursorImage() = default;
    TAnimatedCursorImage(const TAnimatedCursorImage&) = delete;
    TAnimatedCursorImage& operator=(const TAnimatedCursorImage&) = delete;

    // Raise framework::Exception "Stream read error" for a malformed file;
    // a file that fails leaves the image cleared.
    virtual void LoadFromStream(std::string_view bytes);
    virtual void SaveToStream(std::string& out) const;   // the not-implemented stop
    virtual void LoadFromFile(const std::string& path);

    int Count() const { return int(frames_.size()); }
    TIconFrame& Icons(int index) const;
    const ani::AniHeader& Header() const { return header_; }
    const std::string& Title() const { return title_; }
    const std::string& Author() const { return author_; }
    int OriginalColors() const { return originalColors_; }

    void Clear();
    void Assign(const TAnimatedCursorImage* source);
    void AssignTo(TIcon& icon) const;
    void AssignTo(TIconList& list) const;
    // The frame strip on the background colour, reduced in colours.
    void AssignTo(framework::BitmapPicture& bitmap, COLORREF background, bool vertical = false) const;

private:
    ani::AniHeader header_{};
    std::string title_;
    std::string author_;
    std::vector<std::unique_ptr<TIconFrame>> frames_;
    int originalColors_ = 0;
};

}  // namespace toolkit
