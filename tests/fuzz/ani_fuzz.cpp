// Fuzz target: animated-cursor reading over arbitrary bytes. Every frame
// left must show an image that exists.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "framework/guard.h"
#include "toolkit/ani_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const auto file = toolkit::ani::ReadAni({reinterpret_cast<const char*>(data), size});
        for (const auto& f : file.Frames)
            if (f.Image < 0 || size_t(f.Image) >= file.Images.size()) __builtin_trap();
    } catch (const framework::Exception&) {
    }
    return 0;
}
