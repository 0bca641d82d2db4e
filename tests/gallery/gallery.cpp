// The gallery's driver: runs the program through every window it has (the
// window tour) and writes each picture as a BMP file into the folder given,
// named after the window and the screen size, with a list of them.
//   gallery.exe <folder>
// The list, "<width>x<height>.txt" in that folder, has one line per picture:
// the file name, a tab and what it shows. What could not be opened is said
// on stderr, and the exit code is then 1.
#include <windows.h>
#include <cstdio>
#include <fstream>
#include <string>
#include "support/window_tour.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gallery.exe <folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '\\') folder += '\\';
    const std::string size =
        std::to_string(::GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(::GetSystemMetrics(SM_CYSCREEN));
    std::ofstream list(folder + size + ".txt", std::ios::binary);
    e2e::WindowTour tour([&](const e2e::Sight& s) {
        const std::string file = s.name + "-" + size + ".bmp";
        if (!s.shot.SaveBmp(folder + file)) {
            std::fprintf(stderr, "%s: cannot write %s\n", s.name.c_str(), file.c_str());
            return;
        }
        list << file << '\t' << s.title << '\n';
        list.flush();
        std::printf("%s\n", file.c_str());
        std::fflush(stdout);
    });
    tour.Run();
    for (const auto& f : tour.Failures()) std::fprintf(stderr, "not shown: %s\n", f.c_str());
    return tour.Failures().empty() ? 0 : 1;
}
