#include <gtest/gtest.h>
#include "framework/shortcut.h"
#include "shell/shell_obj.h"
#include "shell/short_cut.h"
#include "shell/string_routines.h"
#include "support/e2e.h"

using namespace shell;

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The name the folder lists for a file (the file system may keep any case).
std::string ListedName(const std::string& path) {
    WIN32_FIND_DATAA data{};
    HANDLE h = ::FindFirstFileA(path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return {};
    ::FindClose(h);
    return data.cFileName;
}

std::string MakeTarget(const std::string& name) {
    std::string path = e2e::TempDir() + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fputs("target", f);
        std::fclose(f);
    }
    return path;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

TEST(ShortCut, HotkeyWordAndShortCutConvertBothWays) {
    const WORD hotkey = MAKEWORD('K', 2 | 4);   // Ctrl+Alt
    EXPECT_EQ(HotkeyToShortCut(hotkey), 'K' | framework::scCtrl | framework::scAlt);
    EXPECT_EQ(ShortCutToHotkey(HotkeyToShortCut(hotkey)), hotkey);
    EXPECT_EQ(HotkeyToShortCut(MAKEWORD(VK_F2, 1)), VK_F2 | framework::scShift);
    EXPECT_EQ(framework::ShortCutToText(HotkeyToShortCut(hotkey)), "Ctrl+Alt+K");
}

TEST(ShortCut, LinksAreSavedUnderALinkName) {
    struct { const char* name; const char* saved; } cases[] = {
        {"a.lnk", "a.lnk"}, {"b.LNK", "b.lnk"}, {"c.pif", "c.lnk"}, {"d.PiF", "d.lnk"}, {"e", "e.lnk"},
        {"f.txt", "f.txt.lnk"}, {"lnk", "lnk.lnk"},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkSaveName(c.name), c.saved);
}

TEST(ShortCut, ALinkMadeSavedLoadedAndResolved) {
    const std::string target = MakeTarget("link-target.txt");
    IShellObj object = ShellObjFromPath(Wide(target));
    ASSERT_TRUE(object->IsValid());
    const std::string base = e2e::TempDir() + "round trip";
    {
        IShortCut link = object->CreateShortCut(base);
        ASSERT_TRUE(link->IsValid()) << link->GetErrorCode();
        EXPECT_TRUE(link->IsModified());
        EXPECT_TRUE(link->GetTarget()->GetProtected());
        EXPECT_TRUE(link->SetDescription("a test link"));
        EXPECT_TRUE(link->SetArguments("-s 3"));
        EXPECT_TRUE(link->SetWorkingDirectory(e2e::TempDir()));
        EXPECT_TRUE(link->SetHotkeyText("Ctrl+Alt+K"));
        EXPECT_TRUE(link->SetShowCommand(SW_SHOWMAXIMIZED));
        EXPECT_EQ(link->GetShowCommand(), SW_SHOWMAXIMIZED);
        EXPECT_TRUE(link->SetIconLocation("C:\\windows\\system32\\shell32.dll", 3));
        EXPECT_TRUE(link->Save({}, false)) << link->GetErrorCode();
        EXPECT_FALSE(link->IsModified());
        EXPECT_EQ(link->GetLinkFileName(), base + ".lnk");
        EXPECT_TRUE(link->Save({}, false));         // nothing changed: answered at once
    }
    ASSERT_TRUE(Exists(base + ".lnk"));
    IShortCut loaded = OpenShortCut(base + ".lnk");
    ASSERT_TRUE(loaded->IsValid()) << loaded->GetErrorCode();
    EXPECT_TRUE(SameTextFast(loaded->GetTargetPath(), target)) << loaded->GetTargetPath();
    EXPECT_EQ(loaded->GetDescription(), "a test link");
    EXPECT_EQ(loaded->GetArguments(), "-s 3");
    EXPECT_EQ(loaded->GetHotkeyText(), "Ctrl+Alt+K");
    // (Wine's link files do not keep the show command: it reads back as 1.)
    EXPECT_EQ(loaded->GetIconPath(), "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(loaded->GetIconIndex(), 3);
    WIN32_FIND_DATAA data{};
    EXPECT_TRUE(loaded->GetTargetFindData(data));
    EXPECT_STREQ(data.cFileName, "link-target.txt");
    EXPECT_TRUE(loaded->Resolve(TIShortCut::kNoWindow, 0)) << loaded->GetErrorCode();
    EXPECT_TRUE(loaded->GetTarget()->IsEqual(object->GetIDList()));
    EXPECT_FALSE(loaded->IsModified());

    // A shell object of the link file opens the same link.
    IShortCut again = ShellObjFromPath(Wide(base + ".lnk"))->GetShortCut();
    ASSERT_TRUE(again->IsValid());
    EXPECT_EQ(again->GetDescription(), "a test link");
}

TEST(ShortCut, SaveNamesAndTheSaveOfAChangedLinkAtItsEnd) {
    const std::string target = MakeTarget("names-target.txt");
    IIDList ids = ShellObjFromPath(Wide(target))->GetIDList();
    const std::string dir = e2e::TempDir();
    IShortCut link = NewShortCut(dir + "first", ids->Clone());
    ASSERT_TRUE(link->IsValid());
    ASSERT_TRUE(link->Save(dir + "Upper.LNK", false));
    EXPECT_EQ(ListedName(dir + "Upper.lnk"), "Upper.lnk");
    ASSERT_TRUE(link->Save(dir + "old.pif", false));   // another name saves although unchanged
    EXPECT_TRUE(Exists(dir + "old.lnk"));
    EXPECT_FALSE(Exists(dir + "old.pif"));

    // Changed and released: written under its own name first.
    EXPECT_TRUE(link->SetDescription("written at the end"));
    link->SetLinkFileName(dir + "at-end");
    link.reset();
    EXPECT_EQ(OpenShortCut(dir + "at-end.lnk")->GetDescription(), "written at the end");

    // Without a name there is nothing to write to.
    IShortCut nameless = NewShortCut("", ids->Clone());
    ASSERT_TRUE(nameless->IsValid());
    EXPECT_FALSE(nameless->Save({}, false));
    EXPECT_EQ(nameless->GetErrorCode(), errors::kMissingArgument);
    nameless.reset();
    EXPECT_FALSE(Exists(dir + ".lnk"));
}

TEST(ShortCut, MissingFilesAndTargetsGiveInvalidLinks) {
    IShortCut missing = OpenShortCut(e2e::TempDir() + "no-such.lnk");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->IsValid());
    EXPECT_NE(missing->GetErrorCode(), 0);
    EXPECT_EQ(missing->GetDescription(), "");
    EXPECT_EQ(missing->GetErrorCode(), errors::kInvalidObject);
    IShortCut badTarget = NewShortCut(e2e::TempDir() + "x", InvalidIDList(5, {}));
    EXPECT_FALSE(badTarget->IsValid());
    EXPECT_EQ(badTarget->GetErrorCode(), errors::kMissingArgument);
    EXPECT_FALSE(badTarget->GetTarget()->IsValid());
}

TEST(ShortCut, IconPathAndIndexAreLearnedFromTheLink) {
    const std::string target = MakeTarget("icon-target.txt");
    IShortCut link = NewShortCut(e2e::TempDir() + "icons", ShellObjFromPath(Wide(target))->GetIDList()->Clone());
    ASSERT_TRUE(link->IsValid());
    EXPECT_TRUE(link->SetIconPath("C:\\windows\\notepad.exe"));
    EXPECT_EQ(link->GetIconPath(), "C:\\windows\\notepad.exe");
    EXPECT_EQ(link->GetIconIndex(), 0);
    EXPECT_TRUE(link->SetIconIndex(2));
    EXPECT_EQ(link->GetIconPath(), "C:\\windows\\notepad.exe");
    EXPECT_EQ(link->GetIconIndex(), 2);
}
