#pragma once
// The framework's icon picture: an icon handle, or the icon file image it
// was read from, with a change event. An icon read from a file keeps its
// image, so it is written back byte for byte; one made from a handle is
// written as a one-image icon file.
#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include "framework/owned.h"

namespace framework {

class IconPicture {
public:
    IconPicture() = default;
    IconPicture(const IconPicture&) = delete;
    IconPicture& operator=(const IconPicture&) = delete;

    bool Empty() const noexcept { return !handle_ && image_.empty(); }
    // The icon's handle (made from the image on first use); 0 when empty.
    // The picture keeps owning it.
    HICON Handle() const;
    // Takes ownership of the handle; 0 makes the picture empty.
    void SetHandle(HICON icon);
    int Width() const;
    int Height() const;

    // Raise framework::Exception for a file that cannot be read or that
    // holds no valid icon; the picture is then unchanged.
    void LoadFromFile(const std::string& path);
    void LoadFromBytes(std::string_view bytes);
    // The icon file image; empty for an empty picture.
    std::string SaveToBytes() const;

    void Assign(const IconPicture* source);   // none or an empty source clears
    void Clear();

    std::function<void()> OnChange;

private:
    void Changed();
    std::string image_;
    mutable Icon handle_;
};

// Picks the image of an icon file that suits the given size best (the system
// icon size when 0) and makes a handle from it; 0 when the bytes hold no
// valid icon. Every offset and size in the bytes is checked.
HICON IconFromFileImage(std::string_view bytes, int size = 0);
// A one-image icon file holding the icon's pixels and mask; empty on failure.
std::string FileImageFromIcon(HICON icon);

}  // namespace framework
