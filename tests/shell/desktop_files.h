#pragma once
// Files and folders made in the user's desktop folder for one test (inside
// the test prefix) and removed again when the test ends.
#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <string>
#include <vector>

namespace shelltest {

inline std::string DesktopFolderPath() {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
    return path;
}

class DesktopFiles {
public:
    DesktopFiles() = default;
    DesktopFiles(const DesktopFiles&) = delete;
    DesktopFiles& operator=(const DesktopFiles&) = delete;
    ~DesktopFiles() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) Remove(*it);
    }
    std::string File(const std::string& name) {
        std::string path = DesktopFolderPath() + "\\" + name;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fputs("test", f);
            std::fclose(f);
        }
        made_.push_back(path);
        return path;
    }
    std::string Folder(const std::string& name) {
        std::string path = DesktopFolderPath() + "\\" + name;
        ::CreateDirectoryA(path.c_str(), nullptr);
        made_.push_back(path);
        return path;
    }
    static void Remove(const std::string& path) {
        if (!::DeleteFileA(path.c_str())) ::RemoveDirectoryA(path.c_str());
    }
private:
    std::vector<std::string> made_;
};

}  // namespace shelltest
