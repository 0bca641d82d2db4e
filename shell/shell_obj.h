#pragma once
// One item of the shell's namespace (a file, a folder, the desktop or a
// virtual folder) that is at the same time the list of its children,
// enumerated on first use. Its public operations follow those of the item
// list in the order of the IShellObj interface (slots 50 to 73).
//
// What the desktop-icon and Quick Launch sets use:
//   GetDesktopShellObj()            a fresh desktop object: its children and
//                                   their icon positions are read at first use
//   obj->GetItemCount(), GetItem(i) the children (GetItem answers an invalid
//                                   object out of range, never raises)
//   child->GetDisplayName()         the name the icon shows
//   child->GetIconPosition()        where the icon stood when the children
//                                   were read; x = -1 when it has none
//   child->SetDesktopIconPosition() moves the icon in the shell's list view
//   GetSpecialFolderShellObj(i)     a special folder (kSpecialFolders below)
//   obj->GetPathName()              its file-system (or parsing) path
//   obj->CreateShortCut(file), GetShortCut()  shell links (short_cut.h)
// Every factory answers an object; test IsValid, then read the error.
#include <windows.h>
#include <shlobj.h>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "shell/com_ref.h"
#include "shell/id_list.h"
#include "shell/icon_positions.h"
#include "shell/item_list.h"
#include "shell/short_cut.h"

namespace shell {

class TIShellObj;
using IShellObj = Ref<TIShellObj>;

class TIShellObj final : public TICustomBasicList {
public:
    // With a child ID the item is that child of the given (parent) ID list and
    // parent folder; without, the given ID list is the item's own.
    TIShellObj(bool valid, IIDList childId, IIDList idList, ComRef<IShellFolder> parentFolder, std::string errorText,
               int32_t errorCode);

    int32_t GetItemCount() override;                         // 28: enumerates on first use

    IIDList GetIDList();                                     // 50
    std::string GetDisplayName();                            // 51
    std::string GetInFolderName();                           // 52
    std::string GetName();                                   // 53
    std::string GetPathName();                               // 54
    bool Rename(const std::string& name);                    // 55
    ULONG GetAttributes();                                   // 56
    bool IsFolder();                                         // 57
    GUID GetClassID();                                       // 58
    ComRef<IShellFolder> GetShellFolder();                   // 59
    // The context menu as a pop-up at (x, y) (both -1: the cursor), aligned
    // by kind 0 to 8 (horizontal left, centre, right by kind / 3; vertical
    // top, centre, bottom by kind % 3); runs the chosen command.
    bool ShowContextMenu(HWND window, int x, int y, bool explore, int alignment);  // 60
    // Runs a command by verb, else by its menu text ("Sub|Item" descends
    // into a submenu; "&" and case are ignored); empty: the default command.
    bool ExecuteVerb(const std::string& verb);               // 61
    IShortCut CreateShortCut(const std::string& fileName);   // 62
    IShortCut GetShortCut();                                 // 63
    POINT GetIconPosition() const noexcept { return iconPosition_; }  // 64
    void SetDesktopIconPosition(POINT position);             // 65
    uint32_t GetIconState() const noexcept { return iconState_; }     // 66
    // The icon's location and flags (GIL_* in, GIL_* out).
    bool GetIcon(UINT flags, std::string& iconFile, int& index, UINT& outFlags);  // 67
    IShellObj GetItem(int32_t index);                        // 68
    bool Refresh();                                          // 69
    IShellObj FindChild(const std::string& text);            // 70
    IShellObj FindChildByClassID(const GUID& classId);       // 71
    IShellObj FindChildByIDList(const IIDList& idList);      // 72
    IShellObj GetParent();                                   // 73

    // A child of the desktop read together with the shell's list view.
    bool IsDesktopItem() const noexcept { return isDesktopItem_; }
    bool IsDesktop();
    bool Implements(const GUID& iid) const noexcept override;

protected:
    ICustomBasicList SelfInterface() override { return IShellObj(this); }

private:
    void SplitIDs();
    bool BindParentFolder();
    bool BindFolder();
    LPCITEMIDLIST ChildPidl();
    std::optional<std::string> NameOf(SHGDNF flags);
    std::string CachedName(std::optional<std::string>& cache, SHGDNF flags);
    ComRef<IContextMenu> ContextMenu();
    bool Invoke(const ComRef<IContextMenu>& menu, LPCSTR verb, HWND window);
    bool EnsureEnumerated();
    void TakeIconItem(const TIconItem* item);
    void RefreshKnownChild(int32_t index, const std::vector<TIconItem>& table);
    IShellObj FindChildWhere(bool (*match)(TIShellObj& child, const void* key), const void* key);

    IIDList idList_;
    IIDList parentIdList_;
    IIDList childIdList_;
    ComRef<IShellFolder> parentFolder_;
    ComRef<IShellFolder> folder_;
    bool enumerated_ = false;
    std::optional<std::string> displayName_, inFolderName_, pathName_, name_;
    std::optional<ULONG> attributes_;
    int folderKind_ = 2;  // 2 not yet known, 1 folder, 0 no folder
    std::optional<GUID> classId_;
    bool isDesktopItem_ = false;
    POINT iconPosition_{-1, -1};
    uint32_t iconState_ = 0;
};

// The special folders by index: the system's folder id (or -1) and the
// value name under the registry's shell-folder keys (or none).
struct TSpecialFolder {
    int Csidl;
    const char* RegistryName;
};
constexpr int kSpecialFolderCount = 61;
extern const std::array<TSpecialFolder, kSpecialFolderCount> kSpecialFolders;

IShellObj GetSpecialFolderShellObj(int index);
IShellObj GetDesktopShellObj();
IShellObj ShellObjFromPath(const std::wstring& path);
IShellObj ShellObjFromIDList(const IIDList& idList);
IShellObj InvalidShellObj(int32_t errorCode, std::string errorText);

// A path's components as the path walk takes them: a drive with its colon
// and backslash is one; a trailing backslash is dropped unless it is a root.
std::vector<std::wstring> PathComponents(const std::wstring& path);
// "{XXXXXXXX-...}" and back; false when the text is no GUID.
std::string GuidText(const GUID& id);
bool ParseGuidText(std::string_view text, GUID& id);

}  // namespace shell
