#pragma once
// Folders of files for the set-swapper tests, all inside the test's own
// temporary folder: making files, and a picture of a folder tree (every
// file's bytes, attributes, and every folder, empty ones too) to compare
// before and after the files have travelled.
#include <windows.h>
#include <shlobj.h>
#include <cstdint>
#include <map>
#include <string>
#include "support/e2e.h"

namespace swaptest {

struct Entry {
    bool folder = false;
    uint64_t hash = 0;       // FNV-1a of the bytes
    uint64_t size = 0;
    DWORD attributes = 0;    // read-only, hidden and system
    bool operator==(const Entry&) const = default;
};
using Tree = std::map<std::string, Entry>;   // by path below the folder

inline uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

inline std::string ReadBytes(const std::string& path) {
    std::string out;
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::CloseHandle(f);
    return out;
}

inline void MakeFolder(const std::string& path) { ::SHCreateDirectoryExA(nullptr, path.c_str(), nullptr); }

// Makes the file's folder first when it is missing.
inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    MakeFolder(path.substr(0, path.find_last_of('\\')));
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    return ::CloseHandle(f) && ok;
}

inline void ScanTree(const std::string& folder, const std::string& relative, Tree& tree) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + relative + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        Entry e;
        e.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.attributes = fd.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (!e.folder) {
            std::string bytes = ReadBytes(folder + relative + name);
            e.hash = Fnv1a(bytes);
            e.size = bytes.size();
        }
        tree[relative + name] = e;
        // A link is an entry of its own; what it leads to is not walked.
        if (e.folder && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ScanTree(folder, relative + name + "\\", tree);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

inline Tree Picture(const std::string& folder) {
    Tree tree;
    ScanTree(folder, {}, tree);
    return tree;
}

// Empties the folder (read-only files too), which stays.
inline void EmptyFolder(const std::string& folder) {
    e2e::RemoveTree(folder);
    MakeFolder(folder);
}

// A set of files worth moving: plain and read-only files, a hidden one, a
// nested folder with files, an empty folder, and a name with blanks.
inline void MakeSampleSet(const std::string& folder, const std::string& tag) {
    MakeFolder(folder);
    WriteBytes(folder + "notes-" + tag + ".txt", "notes of " + tag + "\r\n");
    WriteBytes(folder + "read only " + tag + ".txt", std::string(3000, 'r') + tag);
    ::SetFileAttributesA((folder + "read only " + tag + ".txt").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(folder + "hidden-" + tag + ".ini", "[" + tag + "]");
    ::SetFileAttributesA((folder + "hidden-" + tag + ".ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(folder + "Projects " + tag + "\\Deep\\Deeper");
    WriteBytes(folder + "Projects " + tag + "\\plan.bin", std::string("\0\1\2\3", 4) + tag);
    WriteBytes(folder + "Projects " + tag + "\\Deep\\Deeper\\bottom.txt", "bottom " + tag);
    MakeFolder(folder + "Empty " + tag);
}

}  // namespace swaptest
