#include "toolkit/form_pictures.h"
#include <cstring>

namespace toolkit {
namespace {

constexpr char kMissingPicture[] = "Picture resource not found: ";

// The resource's bytes, as a form stores picture data: a 32-bit count, then
// the GIF data.
std::string PictureData(std::string_view name, HMODULE module) {
    const std::string resource(name);
    HRSRC found = ::FindResourceA(module, resource.c_str(), kPictureResourceType);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) throw framework::Exception(kMissingPicture + resource);
    const DWORD size = ::SizeofResource(module, found);
    std::string data(4, '\0');
    std::memcpy(data.data(), &size, 4);
    data.append(static_cast<const char*>(bytes), size);
    return data;
}

}  // namespace

namespace pictures {
std::string ConfigImage(int number) { return "VDCONFIG_IMAGE" + std::to_string(number); }
std::string WizardPage(int page) { return "STARTWIZ_PAGE" + std::to_string(page); }
}  // namespace pictures

std::unique_ptr<TGIFImage> LoadFormPicture(std::string_view name, HMODULE module) {
    if (!module) module = ::GetModuleHandleA(nullptr);
    auto picture = std::make_unique<TGIFImage>();
    picture->ReadData(PictureData(name, module));
    return picture;
}

framework::Bitmap LoadFormBitmap(std::string_view name, COLORREF fill, HMODULE module) {
    auto picture = LoadFormPicture(name, module);
    TBitmap canvas;
    canvas.SetSize(picture->Width(), picture->Height(), fill);
    {
        framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
        framework::SelectScope select(dc.get(), canvas.Handle());
        picture->Draw(dc.get(), RECT{0, 0, picture->Width(), picture->Height()});
    }
    return framework::Bitmap(canvas.ReleaseHandle());
}

}  // namespace toolkit
