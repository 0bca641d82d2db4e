#include <gtest/gtest.h>
#include <cstdlib>
#include <set>
#include "desktop_files.h"
#include "shell/shell_obj.h"
#include "shell/string_routines.h"
#include "support/e2e.h"

using namespace shell;
using shelltest::DesktopFiles;

namespace {

int added = 0, deleted = 0, changed = 0;
void CountChanges(const ICustomBasicList&, const IBasic&, bool before, TChangeType type, int32_t, int32_t) {
    if (!before) return;
    added += type == TChangeType::Added;
    deleted += type == TChangeType::Deleted;
    changed += type == TChangeType::Changed;
}

std::string ExpandedEnv(const char* text) {
    char buffer[MAX_PATH * 2] = {};
    ::ExpandEnvironmentStringsA(text, buffer, sizeof buffer);
    return buffer;
}

std::string WithoutTrailingBackslash(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

TEST(ShellObj, DesktopChildrenAreReadOnceAndFollowTheFolderOnRefresh) {
    DesktopFiles files;
    const std::string first = files.File("shelltest-first.txt");
    const std::string folder = files.Folder("shelltest-folder");
    IShellObj desktop = GetDesktopShellObj();
    ASSERT_TRUE(desktop->IsValid());
    EXPECT_TRUE(desktop->IsDesktop());
    added = deleted = changed = 0;
    desktop->RegisterChangeProc(CountChanges);
    const int32_t count = desktop->GetItemCount();
    EXPECT_GT(count, 2);
    EXPECT_EQ(added, count);
    EXPECT_EQ(desktop->GetItemCount(), count);     // no second enumeration
    EXPECT_EQ(added, count);

    IShellObj file = desktop->FindChild("shelltest-first.txt");
    ASSERT_TRUE(file->IsValid()) << file->GetErrorCode();
    EXPECT_EQ(file->GetPathName(), first);
    EXPECT_EQ(file->GetName(), "shelltest-first.txt");
    EXPECT_FALSE(file->IsFolder());
    IShellObj sub = desktop->FindChild("SHELLTEST-FOLDER");   // names compare without regard to case
    ASSERT_TRUE(sub->IsValid());
    EXPECT_TRUE(sub->IsFolder());
    EXPECT_EQ(desktop->FindChild(sub->GetDisplayName()), sub);

    // The folder changes: a refresh keeps what it finds again, adds the new
    // and drops the gone.
    DesktopFiles::Remove(first);
    const std::string second = files.File("shelltest-second.txt");
    added = deleted = 0;
    EXPECT_TRUE(desktop->Refresh());
    EXPECT_EQ(added, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(desktop->GetItemCount(), count);
    EXPECT_FALSE(desktop->FindChild("shelltest-first.txt")->IsValid());
    EXPECT_EQ(desktop->FindChild("shelltest-folder"), sub);
    EXPECT_EQ(sub->GetListChange(*desktop), TChangeType::Unchanged);
    IShellObj fresh = desktop->FindChild("shelltest-second.txt");
    ASSERT_TRUE(fresh->IsValid());
    EXPECT_EQ(fresh->GetListChange(*desktop), TChangeType::Added);
    EXPECT_EQ(fresh->GetPathName(), second);
    EXPECT_EQ(changed, 0);
}

TEST(ShellObj, ChildrenOutOfRangeAnswerAnInvalidObjectWhileTheListRaises) {
    IShellObj desktop = GetDesktopShellObj();
    const int32_t count = desktop->GetItemCount();
    for (int32_t index : {-1, count}) {
        IShellObj none = desktop->GetItem(index);
        ASSERT_TRUE(none);
        EXPECT_FALSE(none->IsValid());
        EXPECT_EQ(none->GetErrorCode(), errors::kIndexOutOfRange);
        EXPECT_EQ(none->GetErrorText(), "Index out of range.");
    }
    ICustomBasicList list = desktop;
    EXPECT_THROW(list->GetItem(count), QorException);
    EXPECT_TRUE(desktop->GetItem(0)->IsValid());
}

TEST(ShellObj, AShellObjectAnswersForEveryInterfaceOfItsFamily) {
    IShellObj desktop = GetDesktopShellObj();
    for (const GUID& iid : {iids::kShellObj, iids::kCustomBasicList, iids::kList, iids::kBasic, iids::kUnknown}) {
        IBasic out;
        EXPECT_EQ(desktop->QueryInterface(iid, out), S_OK);
        EXPECT_EQ(out, desktop);
    }
    IBasic out;
    EXPECT_EQ(desktop->QueryInterface(iids::kIDList, out), E_NOINTERFACE);
    EXPECT_EQ(desktop->GetErrorCode(), errors::kNoInterface);
}

TEST(ShellObj, EverySpecialFolderOfTheTable) {
    // Wine locates neither these folders nor their registry values.
    const std::set<int> missingUnderWine = {7, 9, 15, 27, 40, 42, 51, 60};
    ASSERT_EQ(kSpecialFolders.size(), 61u);
    for (int i = 0; i < kSpecialFolderCount; ++i) {
        IShellObj folder = GetSpecialFolderShellObj(i);
        ASSERT_TRUE(folder) << i;
        if (missingUnderWine.count(i)) {
            EXPECT_FALSE(folder->IsValid()) << i;
            EXPECT_NE(folder->GetErrorCode(), 0) << i;
            continue;
        }
        ASSERT_TRUE(folder->IsValid()) << i << " error " << folder->GetErrorCode();
        EXPECT_FALSE(folder->GetPathName().empty()) << i;
        const int csidl = kSpecialFolders[static_cast<size_t>(i)].Csidl;
        char expected[MAX_PATH] = {};
        const std::string path = folder->GetPathName();
        if (csidl > 0 && path.rfind("::", 0) != 0 && SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, expected))) {
            EXPECT_TRUE(SameTextFast(WithoutTrailingBackslash(path), WithoutTrailingBackslash(expected)))
                << i << ": " << path << " / " << expected;
        }
    }
    // The folders without a system id take their fallbacks.
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(GetSpecialFolderShellObj(20)->GetPathName(), WithoutTrailingBackslash(temp));
    EXPECT_EQ(GetSpecialFolderShellObj(21)->GetPathName(), ExpandedEnv("%SystemDrive%\\users"));
    EXPECT_EQ(GetSpecialFolderShellObj(46)->GetPathName(), ExpandedEnv("%ALLUSERSPROFILE%"));
    EXPECT_TRUE(SameTextFast(GetSpecialFolderShellObj(6)->GetPathName(),
                             "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{992CFFA0-F557-101A-88EC-00DD010CCC48}"));
    EXPECT_TRUE(GetDesktopShellObj()->IsDesktop());
    for (int outside : {-1, 61}) EXPECT_EQ(GetSpecialFolderShellObj(outside)->GetErrorCode(), errors::kIndexOutOfRange);
}

TEST(ShellObj, AFolderWithoutASystemIdIsReadFromTheUserShellFolders) {
    constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const std::string path = ExpandedEnv("%USERPROFILE%\\shelltest-local-settings");
    ::CreateDirectoryA(path.c_str(), nullptr);
    const char value[] = "%USERPROFILE%\\shelltest-local-settings";
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Local Settings", REG_EXPAND_SZ, value, sizeof value), ERROR_SUCCESS);
    IShellObj folder = GetSpecialFolderShellObj(40);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "Local Settings");
    ::RemoveDirectoryA(path.c_str());
    ASSERT_TRUE(folder->IsValid()) << folder->GetErrorCode();
    EXPECT_EQ(folder->GetPathName(), path);
}

TEST(ShellObj, PathsAreParsedWholeOrComponentByComponent) {
    DesktopFiles files;
    const std::string folder = files.Folder("shelltest-parse");
    const std::string file = files.File("shelltest-parse\\inner.txt");
    auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    EXPECT_EQ(ShellObjFromPath(wide(file))->GetPathName(), file);
    IShellObj dir = ShellObjFromPath(wide(folder + "\\"));
    ASSERT_TRUE(dir->IsValid());
    EXPECT_EQ(dir->GetPathName(), folder);
    EXPECT_EQ(dir->GetItemCount(), 1);
    EXPECT_EQ(dir->GetItem(0)->GetName(), "inner.txt");
    EXPECT_EQ(ShellObjFromPath(L"C:\\")->GetPathName(), "C:\\");
    IShellObj computer = ShellObjFromPath(L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    ASSERT_TRUE(computer->IsValid());
    EXPECT_EQ(computer->GetPathName(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    IShellObj missing = ShellObjFromPath(wide(folder + "\\no-such-file.txt"));
    EXPECT_FALSE(missing->IsValid());
    EXPECT_EQ(missing->GetErrorCode(), errors::kNotFound);

    struct { std::wstring path; std::vector<std::wstring> parts; } cases[] = {
        {L"C:\\a\\b", {L"C:\\", L"a", L"b"}},
        {L"C:\\", {L"C:\\"}},
        {L"::{X}\\C:\\a", {L"::{X}", L"C:\\", L"a"}},
        {L"a\\\\b\\", {L"a", L"b"}},
        {L"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(PathComponents(c.path), c.parts);
}

TEST(ShellObj, ChildrenAreFoundByClassIdAndIdList) {
    IShellObj desktop = GetDesktopShellObj();
    IShellObj computer = desktop->FindChild("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    ASSERT_TRUE(computer->IsValid());
    GUID id{};
    ASSERT_TRUE(ParseGuidText("{20D04FE0-3AEA-1069-A2D8-08002B30309D}", id));
    EXPECT_EQ(computer->GetClassID(), id);
    EXPECT_EQ(desktop->FindChild("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), computer);
    EXPECT_EQ(desktop->FindChildByClassID(id), computer);
    EXPECT_EQ(desktop->FindChildByIDList(computer->GetIDList()), computer);
    IShellObj wrongLength = desktop->FindChild("::{20D04FE0-3AEA-1069-A2D8-08002B30309D");
    EXPECT_FALSE(wrongLength->IsValid());
    EXPECT_EQ(wrongLength->GetErrorCode(), errors::kNotFound);
    EXPECT_EQ(desktop->FindChild("no such child")->GetErrorCode(), errors::kNotFound);
    EXPECT_EQ(GuidText(id), "{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_FALSE(ParseGuidText("{20D04FE0}", id));
}

TEST(ShellObj, TheParentHoldsTheChildThatAskedForIt) {
    DesktopFiles files;
    const std::string path = files.File("shelltest-parent.txt");
    IShellObj file = ShellObjFromPath(std::wstring(path.begin(), path.end()));
    ASSERT_TRUE(file->IsValid());
    IShellObj parent = file->GetParent();
    ASSERT_TRUE(parent->IsValid());
    EXPECT_EQ(parent->GetPathName(), shelltest::DesktopFolderPath());
    EXPECT_EQ(file->GetListIndex(*parent), 0);
    // Its enumeration lists the file once.
    int found = 0;
    for (int32_t i = 0; i < parent->GetItemCount(); ++i) found += parent->GetItem(i)->GetPathName() == path;
    EXPECT_EQ(found, 1);
    EXPECT_FALSE(GetDesktopShellObj()->GetParent()->IsValid());
    // The object's ID list is its identity: it cannot be shortened.
    IIDList ids = file->GetIDList();
    EXPECT_FALSE(ids->RemoveLastItem()->IsValid());
    EXPECT_EQ(ids->GetErrorCode(), errors::kProtected);
}

TEST(ShellObj, RenameGoesThroughTheParentFolder) {
    const std::string folder = e2e::TempDir();
    const std::string path = folder + "shelltest-old.txt", renamed = folder + "shelltest-new.txt";
    if (FILE* f = std::fopen(path.c_str(), "wb")) std::fclose(f);
    IShellObj file = ShellObjFromPath(std::wstring(path.begin(), path.end()));
    ASSERT_TRUE(file->IsValid());
    EXPECT_TRUE(file->Rename("shelltest-new.txt")) << file->GetErrorCode();
    EXPECT_NE(::GetFileAttributesA(renamed.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    ::DeleteFileA(renamed.c_str());
    ::DeleteFileA(path.c_str());
    EXPECT_FALSE(InvalidShellObj(5, "x")->Rename("y"));
}
