// Checks the GIF reader against netpbm's giftopnm, the reference decoder of
// the build machine: every GIF in the folder given is decoded by both, and
// their pixels must agree. Each picture is then written by the program's own
// encoder and writer, and giftopnm must read back the same pixels.
//
//   gif_reference FOLDER
//
// Prints one line per failure and closes with "N passed, N failed".
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include "toolkit/gif_format.h"

namespace {

using namespace toolkit;
namespace fs = std::filesystem;

struct Picture {
    int Width = 0, Height = 0;
    std::vector<std::array<uint8_t, 3>> Pixels;
};

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A PBM, PGM or PPM in raw form, as giftopnm writes them.
bool ParsePnm(const std::string& bytes, Picture& out) {
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 1;
    in >> magic >> out.Width >> out.Height;
    if (magic != "P4") in >> maxValue;
    in.get();
    if (!in || (maxValue != 255 && magic != "P4")) return false;
    const size_t n = size_t(out.Width) * size_t(out.Height);
    out.Pixels.resize(n);
    std::string rest((std::istreambuf_iterator<char>(in)), {});
    auto byte = [&](size_t i) { return i < rest.size() ? uint8_t(rest[i]) : uint8_t(0); };
    const size_t rowBytes = size_t(out.Width + 7) / 8;
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            const size_t i = size_t(y) * size_t(out.Width) + size_t(x);
            if (magic == "P6") out.Pixels[i] = {byte(3 * i), byte(3 * i + 1), byte(3 * i + 2)};
            else if (magic == "P5") out.Pixels[i] = {byte(i), byte(i), byte(i)};
            else if (magic == "P4") {
                const bool black = (byte(size_t(y) * rowBytes + size_t(x) / 8) >> (7 - x % 8)) & 1;
                const uint8_t v = black ? 0 : 255;
                out.Pixels[i] = {v, v, v};
            } else {
                return false;
            }
        }
    return rest.size() >= (magic == "P4" ? rowBytes * size_t(out.Height) : magic == "P5" ? n : 3 * n);
}

bool Reference(const fs::path& gif, Picture& out) {
    const std::string command = "giftopnm '" + gif.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return false;
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) bytes.append(buffer, n);
    return ParsePnm(bytes, out);
}

Picture ToPicture(const dib::Dib& d) {
    Picture p{d.Width, d.Height, {}};
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x) p.Pixels.push_back(d.Rgb(x, y));
    return p;
}

std::string Compare(const Picture& ours, const Picture& theirs) {
    if (ours.Width != theirs.Width || ours.Height != theirs.Height)
        return "size " + std::to_string(ours.Width) + "x" + std::to_string(ours.Height) + " against " +
               std::to_string(theirs.Width) + "x" + std::to_string(theirs.Height);
    for (size_t i = 0; i < ours.Pixels.size(); ++i)
        if (ours.Pixels[i] != theirs.Pixels[i])
            return "pixel " + std::to_string(i % size_t(ours.Width)) + "," + std::to_string(i / size_t(ours.Width)) +
                   " differs";
    return {};
}

// Frame 0 of the file, decoded by the program's reader.
dib::Dib DecodeFirst(const std::string& bytes, bool& interlaced) {
    gif::GifFile file;
    gif::ReadGif(bytes, file);
    if (file.Frames.empty()) throw framework::Exception("no frame");
    bool corrupted = false;
    interlaced = file.Frames[0].Interlaced;
    auto picture = gif::DecodeFrame(*file.Frames[0].Item, interlaced, corrupted);
    if (corrupted) throw framework::Exception("decoded as corrupted");
    return picture;
}

// The picture written as a GIF of one frame by the program's own writer.
std::string Rewrite(const dib::Dib& picture, bool interlaced) {
    gif::GifFile file;
    gif::FrameRecord frame;
    frame.Interlaced = interlaced;
    gif::EncodeFrame(picture, *frame.Item, interlaced);
    file.Data->Colors = frame.Item->Colors;
    file.Data->BitsPerPixel = frame.Item->BitsPerPixel;
    file.Version = 1;
    file.Frames.push_back(frame);
    return gif::WriteGif(file, false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gif_reference FOLDER\n");
        return 2;
    }
    int passed = 0, failed = 0;
    auto check = [&](const fs::path& file, const std::string& what, const std::string& problem) {
        if (problem.empty()) {
            ++passed;
            return;
        }
        ++failed;
        std::printf("FAILED %s (%s): %s\n", file.filename().c_str(), what.c_str(), problem.c_str());
    };
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(argv[1]))
        if (e.path().extension() == ".gif" && e.path().filename().string().rfind("rewritten-", 0) != 0)
            files.push_back(e.path());
    for (const auto& file : files) {
        Picture theirs;
        if (!Reference(file, theirs)) {
            check(file, "reference", "giftopnm could not read it");
            continue;
        }
        try {
            bool interlaced = false;
            const auto ours = DecodeFirst(ReadFile(file), interlaced);
            check(file, "decode", Compare(ToPicture(ours), theirs));

            const auto written = fs::path(argv[1]) / ("rewritten-" + file.filename().string());
            std::ofstream(written, std::ios::binary) << Rewrite(ours, interlaced);
            Picture again;
            check(file, "rewritten, giftopnm",
                  Reference(written, again) ? Compare(again, theirs) : "giftopnm could not read it");
            bool ignored = false;
            check(file, "rewritten, read back", Compare(ToPicture(DecodeFirst(ReadFile(written), ignored)), theirs));
        } catch (const std::exception& e) {
            check(file, "decode", e.what());
        }
    }
    if (files.empty()) check(argv[1], "folder", "holds no GIF");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
