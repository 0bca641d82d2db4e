// The release package as a user gets it: unpacked into a fresh folder it
// holds exactly what the program needs, its binaries carry no symbols and no
// debug sections, and the program started from there switches a desktop and
// gives every window back when it ends.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include "engine/messages.h"
#include "program_version.h"
#include "settings/store_values.h"
#include "support/e2e.h"
#include "support/program_files.h"

using namespace e2e;

namespace {

std::string PackagePath() { return BinDir() + "..\\Tessareltop-" TESSAREL_VERSION "-win64.zip"; }

// Every file under the folder, by its path relative to it; folders end in "\".
void CollectEntries(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + prefix + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(prefix + name + "\\");
            CollectEntries(folder, prefix + name + "\\", out);
        } else {
            out.insert(prefix + name);
        }
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What a binary carries beyond its code: the COFF symbol table and the
// names of its debug sections (".debug_*", the debug link, and the long
// section names that only a symbol table's string table can hold).
struct BinaryExtras {
    bool readable = false;
    uint32_t symbols = 0;
    std::vector<std::string> debugSections;
};
BinaryExtras ExtrasOf(const std::string& path) {
    BinaryExtras extras;
    const std::string bytes = ReadFile(path);
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return extras;
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, bytes.data(), sizeof dos);
    const size_t ntAt = static_cast<size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || ntAt + sizeof(IMAGE_NT_HEADERS64) > bytes.size()) return extras;
    IMAGE_NT_HEADERS64 nt;
    std::memcpy(&nt, bytes.data() + ntAt, sizeof nt);
    if (nt.Signature != IMAGE_NT_SIGNATURE) return extras;
    const size_t sectionsAt = ntAt + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    if (sectionsAt + size_t{nt.FileHeader.NumberOfSections} * sizeof(IMAGE_SECTION_HEADER) > bytes.size()) return extras;
    extras.readable = true;
    extras.symbols = nt.FileHeader.PointerToSymbolTable ? nt.FileHeader.NumberOfSymbols + 1 : 0;
    for (unsigned i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        std::memcpy(&section, bytes.data() + sectionsAt + i * sizeof section, sizeof section);
        const std::string name(reinterpret_cast<const char*>(section.Name),
                               strnlen(reinterpret_cast<const char*>(section.Name), IMAGE_SIZEOF_SHORT_NAME));
        if (name.starts_with(".debug") || name.starts_with(".gnu_debug") || name.starts_with("/"))
            extras.debugSections.push_back(name);
    }
    return extras;
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A folder with a blank in its name, as "Program Files" has.
        folder_ = TempDir() + "Pelmora Virtual Desktop\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        const std::string zip = HostPath(PackagePath()), into = HostPath(folder_);
        unpacked_ = !zip.empty() && !into.empty() &&
                    RunHostLine("cd '" + into + "' && cmake -E tar xf '" + zip + "'", 60000) == 0;
    }
    void SetUp() override {
        ASSERT_NE(::GetFileAttributesA(PackagePath().c_str()), INVALID_FILE_ATTRIBUTES) << PackagePath();
        ASSERT_TRUE(unpacked_) << "could not unpack " << PackagePath();
    }
    static std::string folder_;
    static bool unpacked_;
};
std::string Package::folder_;
bool Package::unpacked_ = false;

}  // namespace

TEST_F(Package, HoldsExactlyWhatTheProgramNeeds) {
    std::set<std::string> expected = FilesBesideTheProgram();
    for (const std::string& file : std::set<std::string>(expected)) {
        const size_t slash = file.find_last_of('\\');
        if (slash != std::string::npos) expected.insert(file.substr(0, slash + 1));
    }
    std::set<std::string> found;
    CollectEntries(folder_, "", found);
    std::vector<std::string> missing, extra;
    std::ranges::set_difference(expected, found, std::back_inserter(missing));
    std::ranges::set_difference(found, expected, std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << "missing: " << ::testing::PrintToString(missing);
    EXPECT_TRUE(extra.empty()) << "not needed: " << ::testing::PrintToString(extra);
}

TEST_F(Package, BinariesCarryNoSymbolsOrDebugInformation) {
    for (const std::string& name : {std::string(settings::kExeName), std::string(engine::kHookLibraryName)}) {
        const BinaryExtras extras = ExtrasOf(folder_ + name);
        ASSERT_TRUE(extras.readable) << name;
        EXPECT_EQ(extras.symbols, 0u) << name;
        EXPECT_TRUE(extras.debugSections.empty()) << name << ": " << ::testing::PrintToString(extras.debugSections);
    }
}

TEST_F(Package, RunsFromItsFolderSwitchesAndGivesEveryWindowBack) {
    // A first start as a user's: no settings, no data folder.
    Tessarel program("", true, folder_ + std::string(settings::kExeName));
    ASSERT_NE(program.MainWindow(), nullptr);
    ASSERT_TRUE(program.WaitForMessageLoop());
    EXPECT_TRUE(HasModule(program.Pid(), engine::kHookLibraryName));

    Helper first({.cls = "TessPackageWin", .title = "on desktop 1"});
    // The switch hides the window once a scan has met it on desktop 1.
    ASSERT_EQ(program.SecondStart("-s2"), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(first.Window()); }, 5000)) << "no switch to desktop 2";

    EXPECT_EQ(program.KillInstance(), 0);
    EXPECT_TRUE(IsShown(first.Window())) << "the window of desktop 1 stayed hidden after the exit";
}
