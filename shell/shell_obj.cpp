#include "shell/shell_obj.h"
#include <shellapi.h>
#include <shlwapi.h>
#include <cstring>
#include "framework/guard.h"
#include "framework/owned.h"
#include "shell/os_version.h"
#include "shell/string_routines.h"

namespace shell {

namespace {

constexpr SHCONTF kEnumFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_STORAGE;
constexpr UINT kFirstMenuCommand = 1;
constexpr UINT kLastMenuCommand = 0x7FFF;
constexpr char kRelayClass[] = "ShellObjContextSubMenuHelperClass";
constexpr char kRelayTitle[] = "ShellObjContextSubMenuHelper";
constexpr char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr wchar_t kNetworkConnectionsNT[] =
    L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{992CFFA0-F557-101A-88EC-00DD010CCC48}";
constexpr wchar_t kNetworkConnections9x[] =
    L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{A4D92740-67CD-11CF-96F2-00AA00A11DD9}";
constexpr size_t kGuidTextLength = 38;  // "{" + 36 + "}"

// The desktop folder, fetched once per run and shared by every object.
ComRef<IShellFolder> DesktopFolder(HRESULT& hr) {
    static ComRef<IShellFolder> desktop;
    hr = S_OK;
    if (!desktop) {
        EnsureComInitialised();
        hr = ::SHGetDesktopFolder(desktop.put());
    }
    return desktop;
}

bool SameBytes(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    const int32_t n = IDListSize(a);
    return n == IDListSize(b) && std::memcmp(a, b, static_cast<size_t>(n)) == 0;
}

bool IsNullGuid(const GUID& id) { return id == GUID{}; }

// Menu texts compare without "&" and without regard to case.
std::string MenuText(HMENU menu, UINT position) {
    char text[256] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    std::string s = text;
    StripChar(s, '&');
    return s;
}

// The command id of the item a path of texts names ("Sub|Item"), or 0.
UINT FindMenuCommand(HMENU menu, std::string_view path) {
    const size_t bar = path.find('|');
    const std::string_view head = path.substr(0, bar);
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (!SameTextFast(MenuText(menu, static_cast<UINT>(i)), head)) continue;
        if (bar != std::string_view::npos) {
            if (HMENU sub = ::GetSubMenu(menu, i)) return FindMenuCommand(sub, path.substr(bar + 1));
            continue;
        }
        UINT id = ::GetMenuItemID(menu, i);
        if (id != static_cast<UINT>(-1)) return id;
    }
    return 0;
}

// The hidden window that owns a context menu while it is open, so owner-drawn
// and lazily filled submenus of the shell's menu get their messages.
struct MenuRelay {
    ComRef<IContextMenu2> menu2;
    ComRef<IContextMenu3> menu3;
};

LRESULT CALLBACK RelayProc(HWND w, UINT m, WPARAM wp, LPARAM lp) noexcept {
    return framework::Guard<LRESULT>(0, [&]() -> LRESULT {
        auto* relay = reinterpret_cast<MenuRelay*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
        if (relay && (m == WM_INITMENUPOPUP || m == WM_DRAWITEM || m == WM_MEASUREITEM || m == WM_MENUCHAR)) {
            LRESULT result = 0;
            if (relay->menu3 && SUCCEEDED(relay->menu3->HandleMenuMsg2(m, wp, lp, &result))) return result;
            if (relay->menu2 && m != WM_MENUCHAR && SUCCEEDED(relay->menu2->HandleMenuMsg(m, wp, lp))) return 0;
        }
        return ::DefWindowProcA(w, m, wp, lp);
    });
}

framework::Window CreateRelayWindow(MenuRelay& relay) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RelayProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kRelayClass;
        return ::RegisterClassA(&wc) != 0;
    }();
    if (!registered) return {};
    framework::Window w(::CreateWindowExA(0, kRelayClass, kRelayTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr));
    if (w) ::SetWindowLongPtrA(w.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&relay));
    return w;
}

UINT AlignmentFlags(int kind) {
    constexpr UINT horizontal[] = {TPM_LEFTALIGN, TPM_CENTERALIGN, TPM_RIGHTALIGN};
    constexpr UINT vertical[] = {TPM_TOPALIGN, TPM_VCENTERALIGN, TPM_BOTTOMALIGN};
    if (kind < 0 || kind > 8) kind = 0;
    return horizontal[kind / 3] | vertical[kind % 3];
}

std::string ReadRegistryPath(HKEY root, const char* key, const char* name) {
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer;
    // REG_EXPAND_SZ values come back expanded (asking for REG_SZ takes both).
    if (::RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    return buffer;
}

std::string ShellFolderPath(const char* name) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* key : {kUserShellFolders, kShellFolders}) {
            std::string path = ReadRegistryPath(root, key, name);
            if (!path.empty()) return path;
        }
    return {};
}

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// The path of a special folder that the system cannot locate, or empty
// (the last error then tells why).
std::wstring FallbackPath(int index) {
    switch (index) {
    case 6: return GetOSVersionRecord().IsNT ? kNetworkConnectionsNT : kNetworkConnections9x;
    case 10: return AnsiToWide(GetWindowsFolder());
    case 11: return AnsiToWide(GetSystemFolder());
    case 16: {
        std::string p = ReadRegistryPath(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
        return AnsiToWide(p.empty() ? ReadRegistryPath(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath") : p);
    }
    case 18: return AnsiToWide(ReadRegistryPath(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"));
    case 20: return AnsiToWide(TempFolder());
    case 21: return AnsiToWide(ReadRegistryPath(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory"));
    case 46: {
        char buffer[MAX_PATH * 2] = {};
        DWORD n = ::ExpandEnvironmentStringsA("%ALLUSERSPROFILE%", buffer, sizeof buffer);
        if (n == 0 || n > sizeof buffer || std::strchr(buffer, '%')) {
            ::SetLastError(ERROR_FILE_NOT_FOUND);
            return {};
        }
        return AnsiToWide(buffer);
    }
    default: {
        const char* name = kSpecialFolders[static_cast<size_t>(index)].RegistryName;
        std::wstring path = name ? AnsiToWide(ShellFolderPath(name)) : std::wstring();
        if (path.empty()) ::SetLastError(ERROR_FILE_NOT_FOUND);
        return path;
    }
    }
}

}  // namespace

// ------------------------------------------------------------ the table

const std::array<TSpecialFolder, kSpecialFolderCount> kSpecialFolders = {{
    {0, nullptr},                        // 0 desktop
    {17, nullptr},                       // 1 drives (my computer)
    {18, nullptr},                       // 2 network
    {10, nullptr},                       // 3 recycle bin
    {3, nullptr},                        // 4 control panel
    {4, nullptr},                        // 5 printers
    {49, nullptr},                       // 6 network connections
    {12, nullptr},                       // 7 desktop folder (non-file-system)
    {1, nullptr},                        // 8 internet
    {61, nullptr},                       // 9 computers near me
    {36, nullptr},                       // 10 Windows folder
    {37, nullptr},                       // 11 system folder
    {41, nullptr},                       // 12 system folder (x86)
    {20, "Fonts"},                       // 13
    {56, nullptr},                       // 14 resources
    {57, nullptr},                       // 15 localised resources
    {38, nullptr},                       // 16 program files
    {42, nullptr},                       // 17 program files (x86)
    {43, nullptr},                       // 18 common files
    {44, nullptr},                       // 19 common files (x86)
    {-1, nullptr},                       // 20 temporary folder
    {-1, nullptr},                       // 21 profiles folder
    {40, nullptr},                       // 22 user profile
    {16, "Desktop"},                     // 23
    {11, "Start Menu"},                  // 24
    {2, "Programs"},                     // 25
    {7, "Startup"},                      // 26
    {29, "AltStartup"},                  // 27
    {5, "Personal"},                     // 28
    {13, "My Music"},                    // 29
    {39, "My Pictures"},                 // 30
    {14, "My Video"},                    // 31
    {21, "Templates"},                   // 32
    {6, "Favorites"},                    // 33
    {32, "Cache"},                       // 34
    {33, "Cookies"},                     // 35
    {34, "History"},                     // 36
    {8, "Recent"},                       // 37
    {9, "SendTo"},                       // 38
    {26, "AppData"},                     // 39
    {-1, "Local Settings"},              // 40
    {28, "Local AppData"},               // 41
    {59, "CD Burning"},                  // 42
    {27, "PrintHood"},                   // 43
    {19, "NetHood"},                     // 44
    {48, "Administrative Tools"},        // 45
    {-1, nullptr},                       // 46 all users' profile
    {25, "Common Desktop"},              // 47
    {22, "Common Start Menu"},           // 48
    {23, "Common Programs"},             // 49
    {24, "Common Startup"},              // 50
    {30, "Common AltStartup"},           // 51
    {46, "Common Documents"},            // 52
    {53, "CommonMusic"},                 // 53
    {54, "CommonPictures"},              // 54
    {55, "CommonVideo"},                 // 55
    {45, "Common Templates"},            // 56
    {31, "Common Favorites"},            // 57
    {35, "Common AppData"},              // 58
    {47, "Common Administrative Tools"}, // 59
    {58, "Common OEM Links"},            // 60
}};

// ------------------------------------------------------------ helpers

std::string GuidText(const GUID& id) {
    wchar_t text[64] = {};
    int n = ::StringFromGUID2(id, text, 64);
    return n > 1 ? WideToAnsi(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
}

bool ParseGuidText(std::string_view text, GUID& id) {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') return false;
    std::wstring w = AnsiToWide(text);
    return SUCCEEDED(::CLSIDFromString(w.c_str(), &id));
}

std::vector<std::wstring> PathComponents(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at < path.size()) {
        size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        // A drive keeps its backslash: "C:\" is a root, "C:" a current folder.
        const bool drive = end - at == 2 && path[at + 1] == L':' && end < path.size();
        if (end > at) parts.push_back(path.substr(at, end - at + (drive ? 1 : 0)));
        at = end + 1;
    }
    return parts;
}

// ------------------------------------------------------------ the object

TIShellObj::TIShellObj(bool valid, IIDList childId, IIDList idList, ComRef<IShellFolder> parentFolder,
                       std::string errorText, int32_t errorCode)
    : TICustomBasicList(valid, errorCode, std::move(errorText)) {
    if (!valid) return;
    EnsureComInitialised();
    HRESULT hr = S_OK;
    if (!DesktopFolder(hr)) { SetInvalid(hr, {}); return; }
    if (!idList || !idList->IsValid()) { SetInvalid(errors::kMissingArgument, {}); return; }
    if (childId) {
        if (!childId->IsValid()) { SetInvalid(errors::kMissingArgument, {}); return; }
        idList_ = idList->Concat(childId);
        if (!idList_->IsValid()) { SetInvalid(idList_->GetErrorCode(), idList_->GetErrorText()); return; }
        parentIdList_ = idList;
        childIdList_ = childId;
        parentFolder_ = std::move(parentFolder);
    } else {
        idList_ = idList;
    }
    // The item's identity: nobody may shorten or extend it through GetIDList.
    idList_->SetProtected(true);
}

bool TIShellObj::Implements(const GUID& iid) const noexcept {
    return iid == iids::kShellObj || TICustomBasicList::Implements(iid);
}

bool TIShellObj::IsDesktop() { return idList_ && idList_->IsValid() && idList_->GetSize() <= 2; }

void TIShellObj::SplitIDs() {
    if (childIdList_) return;
    if (IsDesktop()) {
        childIdList_ = idList_;
        return;
    }
    parentIdList_ = idList_->GetParentList();
    childIdList_ = idList_->GetLastItem();
}

LPCITEMIDLIST TIShellObj::ChildPidl() {
    SplitIDs();
    return childIdList_->GetPidl();
}

bool TIShellObj::BindParentFolder() {
    if (parentFolder_) return true;
    HRESULT hr = S_OK;
    ComRef<IShellFolder> desktop = DesktopFolder(hr);
    if (!desktop) return StoreError(hr, {}), false;
    SplitIDs();
    if (IsDesktop() || !parentIdList_ || parentIdList_->GetSize() <= 2) {
        parentFolder_ = desktop;
        return true;
    }
    hr = desktop->BindToObject(parentIdList_->GetPidl(), nullptr, IID_IShellFolder, parentFolder_.put_void());
    if (FAILED(hr) || !parentFolder_) return StoreError(FAILED(hr) ? hr : E_FAIL, {}), false;
    return true;
}

bool TIShellObj::BindFolder() {
    if (folder_) return true;
    if (IsDesktop()) {
        HRESULT hr = S_OK;
        folder_ = DesktopFolder(hr);
        if (!folder_) return StoreError(hr, {}), false;
        return true;
    }
    if (!BindParentFolder()) return false;
    HRESULT hr = parentFolder_->BindToObject(ChildPidl(), nullptr, IID_IShellFolder, folder_.put_void());
    if (FAILED(hr) || !folder_) return StoreError(FAILED(hr) ? hr : E_FAIL, {}), false;
    return true;
}

std::optional<std::string> TIShellObj::NameOf(SHGDNF flags) {
    if (!CheckValid() || !BindParentFolder()) return std::nullopt;
    STRRET name{};
    HRESULT hr = parentFolder_->GetDisplayNameOf(ChildPidl(), flags, &name);
    if (FAILED(hr)) return StoreError(hr, {}), std::nullopt;
    char buffer[MAX_PATH * 2] = {};
    hr = ::StrRetToBufA(&name, ChildPidl(), buffer, sizeof buffer);
    if (FAILED(hr)) return StoreError(hr, {}), std::nullopt;
    return std::string(buffer);
}

std::string TIShellObj::CachedName(std::optional<std::string>& cache, SHGDNF flags) {
    if (!cache) cache = NameOf(flags);
    return cache.value_or(std::string());
}

int32_t TIShellObj::GetItemCount() {
    EnsureEnumerated();
    return count_;
}

IIDList TIShellObj::GetIDList() {
    if (!idList_) return InvalidIDList(errors::kInvalidObject, std::string(texts::kInvalidObject));
    return idList_;
}

std::string TIShellObj::GetDisplayName() { return CachedName(displayName_, SHGDN_NORMAL); }
std::string TIShellObj::GetInFolderName() { return CachedName(inFolderName_, SHGDN_INFOLDER); }

std::string TIShellObj::GetName() {
    if (name_) return *name_;
    const std::string path = GetPathName();
    const int slash = FindSubStr("\\", path, static_cast<int>(path.size()), 1);
    name_ = slash == 0 || slash == static_cast<int>(path.size()) ? path : path.substr(static_cast<size_t>(slash));
    return *name_;
}

std::string TIShellObj::GetPathName() {
    if (pathName_) return *pathName_;
    if (!CheckValid()) return {};
    char fsPath[MAX_PATH] = {};
    if (::SHGetPathFromIDListA(idList_->GetPidl(), fsPath) && fsPath[0]) return *(pathName_ = std::string(fsPath));
    // No file-system path: each level up to the desktop puts its class id or
    // its parsing name in front.
    std::string path;
    for (IIDList level = idList_; level->IsValid() && level->GetSize() > 2; level = level->GetParentList()) {
        IShellObj obj = ShellObjFromIDList(level);
        GUID id = obj->GetClassID();
        std::string part = !IsNullGuid(id) ? "::" + GuidText(id) : obj->NameOf(SHGDN_INFOLDER | SHGDN_FORPARSING).value_or("");
        path = part + "\\" + path;
    }
    if (!path.empty()) path.pop_back();
    if (path.empty()) {
        StoreError(errors::kNotFound, {});
        return {};
    }
    SetErrorCode(0);
    return *(pathName_ = path);
}

bool TIShellObj::Rename(const std::string& name) {
    if (!CheckValid() || !BindParentFolder()) return false;
    LPITEMIDLIST renamed = nullptr;
    HRESULT hr = parentFolder_->SetNameOf(nullptr, ChildPidl(), AnsiToWide(name).c_str(), SHGDN_NORMAL, &renamed);
    ::CoTaskMemFree(renamed);
    if (FAILED(hr)) return StoreError(hr, {}), false;
    displayName_.reset();
    inFolderName_.reset();
    return SetErrorCode(0);
}

ULONG TIShellObj::GetAttributes() {
    if (attributes_) return *attributes_;
    if (!CheckValid() || !BindParentFolder()) return 0;
    SFGAOF attributes = 0xFFFFFFFF;
    LPCITEMIDLIST child = ChildPidl();
    HRESULT hr = parentFolder_->GetAttributesOf(1, &child, &attributes);
    if (FAILED(hr)) return StoreError(hr, {}), 0;
    return *(attributes_ = attributes);
}

bool TIShellObj::IsFolder() {
    if (folderKind_ == 2) {
        if (!CheckValid()) return false;
        folderKind_ = (GetAttributes() & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER)) ? 1 : 0;
    }
    return folderKind_ == 1;
}

GUID TIShellObj::GetClassID() {
    if (classId_) return *classId_;
    if (!CheckValid() || !BindFolder()) return GUID{};
    GUID id{};
    auto persist = folder_.Query<IPersistFolder>(IID_IPersistFolder);
    HRESULT hr = persist ? persist->GetClassID(&id) : E_NOINTERFACE;
    if (FAILED(hr)) return StoreError(hr, {}), GUID{};
    return *(classId_ = id);
}

ComRef<IShellFolder> TIShellObj::GetShellFolder() {
    if (!CheckValid() || !BindFolder()) return {};
    return folder_;
}

ComRef<IContextMenu> TIShellObj::ContextMenu() {
    ComRef<IContextMenu> menu;
    if (!CheckValid() || !BindParentFolder()) return menu;
    LPCITEMIDLIST child = ChildPidl();
    HRESULT hr = parentFolder_->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, menu.put_void());
    if (FAILED(hr)) {
        StoreError(hr, {});
        menu.reset();
    }
    return menu;
}

bool TIShellObj::Invoke(const ComRef<IContextMenu>& menu, LPCSTR verb, HWND window) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = verb;
    info.nShow = SW_SHOW;
    HRESULT hr = menu->InvokeCommand(&info);
    if (FAILED(hr)) return StoreError(hr, {}), false;
    return SetErrorCode(0);
}

bool TIShellObj::ShowContextMenu(HWND window, int x, int y, bool explore, int alignment) {
    ComRef<IContextMenu> menu = ContextMenu();
    if (!menu) return false;
    framework::Menu popup(::CreatePopupMenu());
    HRESULT hr = menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand,
                                        explore ? CMF_EXPLORE : CMF_NORMAL);
    if (FAILED(hr)) return StoreError(hr, {}), false;
    MenuRelay relay{menu.Query<IContextMenu2>(IID_IContextMenu2), menu.Query<IContextMenu3>(IID_IContextMenu3)};
    framework::Window relayWindow;
    if (relay.menu2 || relay.menu3) relayWindow = CreateRelayWindow(relay);
    if (x == -1 && y == -1) {
        POINT p{};
        ::GetCursorPos(&p);
        x = p.x;
        y = p.y;
    }
    UINT flags = TPM_RETURNCMD | AlignmentFlags(alignment);
    if (::GetAsyncKeyState(VK_RBUTTON) < 0) flags |= TPM_RIGHTBUTTON;
    HWND owner = relayWindow ? relayWindow.get() : window;
    const UINT command = static_cast<UINT>(::TrackPopupMenu(popup.get(), flags, x, y, 0, owner, nullptr));
    if (command == 0) {
        StoreError(static_cast<int32_t>(::GetLastError()), {});
        return false;
    }
    return Invoke(menu, MAKEINTRESOURCEA(command - kFirstMenuCommand), window);
}

bool TIShellObj::ExecuteVerb(const std::string& verb) {
    ComRef<IContextMenu> menu = ContextMenu();
    if (!menu) return false;
    if (!verb.empty() && Invoke(menu, verb.c_str(), nullptr)) return true;
    framework::Menu popup(::CreatePopupMenu());
    HRESULT hr = menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand, CMF_NORMAL);
    if (FAILED(hr)) return StoreError(hr, {}), false;
    UINT command = verb.empty() ? ::GetMenuDefaultItem(popup.get(), FALSE, 0) : FindMenuCommand(popup.get(), verb);
    if (command == 0 || command == static_cast<UINT>(-1)) return StoreError(errors::kNotFound, {}), false;
    return Invoke(menu, MAKEINTRESOURCEA(command - kFirstMenuCommand), nullptr);
}

IShortCut TIShellObj::CreateShortCut(const std::string& fileName) {
    if (!CheckValid()) return Make<TIShortCut>(false, GetErrorCode(), GetErrorText(), std::string(), IIDList());
    // The link keeps (and protects) a copy of the target.
    return NewShortCut(fileName, idList_->Clone());
}

IShortCut TIShellObj::GetShortCut() {
    if (!CheckValid()) return Make<TIShortCut>(false, GetErrorCode(), GetErrorText(), std::string(), IIDList());
    return OpenShortCut(GetPathName());
}

void TIShellObj::SetDesktopIconPosition(POINT position) {
    if (!IsValid()) return;
    if (!isDesktopItem_) return StoreError(errors::kNoDesktopItem, std::string(texts::kNoDesktopItem));
    switch (MoveDesktopListItem(GetDisplayName(), position.x, position.y)) {
    case TIconMove::Moved: SetErrorCode(0); break;
    case TIconMove::NoAccess: break;
    case TIconMove::NotFound: StoreError(errors::kNotFound, {}); break;
    case TIconMove::Failed: StoreError(errors::kUnknown, std::string(texts::kUnknownError)); break;
    case TIconMove::TimedOut: StoreError(ERROR_TIMEOUT, {}); break;
    }
}

bool TIShellObj::GetIcon(UINT flags, std::string& iconFile, int& index, UINT& outFlags) {
    if (!CheckValid() || !BindParentFolder()) return false;
    ComRef<IExtractIconW> extract;
    LPCITEMIDLIST child = ChildPidl();
    HRESULT hr = parentFolder_->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconW, nullptr, extract.put_void());
    if (FAILED(hr) || !extract) return StoreError(FAILED(hr) ? hr : E_NOINTERFACE, {}), false;
    wchar_t file[MAX_PATH] = {};
    hr = extract->GetIconLocation(flags, file, MAX_PATH, &index, &outFlags);
    if (FAILED(hr)) return StoreError(hr, {}), false;
    iconFile = WideToAnsi(file);
    return SetErrorCode(0);
}

IShellObj TIShellObj::GetItem(int32_t index) {
    EnsureEnumerated();
    if (index < 0 || index >= count_)
        return InvalidShellObj(errors::kIndexOutOfRange, std::string(texts::kIndexOutOfRange));
    return TICustomBasicList::GetItem(index).As<TIShellObj>();
}

bool TIShellObj::EnsureEnumerated() { return enumerated_ || Refresh(); }

void TIShellObj::TakeIconItem(const TIconItem* item) {
    isDesktopItem_ = true;
    iconPosition_ = item ? POINT{item->X, item->Y} : POINT{-1, -1};
    iconState_ = item ? item->State : 0;
}

// A child met again by the enumeration stays: unchanged, or changed (and
// re-sorted) when the desktop list view shows it elsewhere now.
void TIShellObj::RefreshKnownChild(int32_t index, const std::vector<TIconItem>& table) {
    IShellObj child = ItemAt(index).As<TIShellObj>();
    TListMembership* record = RecordAt(index);
    if (table.empty() || !child) {
        if (record) record->Change = TChangeType::Unchanged;
        return;
    }
    const TIconItem* item = FindIconItem(table, child->GetDisplayName());
    const POINT p = item ? POINT{item->X, item->Y} : POINT{-1, -1};
    const uint32_t state = item ? item->State : 0;
    if (child->isDesktopItem_ && p.x == child->iconPosition_.x && p.y == child->iconPosition_.y &&
        state == child->iconState_) {
        if (record) record->Change = TChangeType::Unchanged;
        return;
    }
    NotifyChange(child, true, TChangeType::Changed, index, index);
    child->TakeIconItem(item);
    if (record) record->Change = TChangeType::Changed;
    int32_t now = ResortItem(index);
    NotifyChange(child, false, TChangeType::Changed, index, now);
}

bool TIShellObj::Refresh() {
    if (!CheckValid()) return false;
    enumerated_ = true;
    if (!BindFolder()) return false;
    SFGAOF validate = SFGAO_VALIDATE;
    folder_->GetAttributesOf(0, nullptr, &validate);
    ComRef<IEnumIDList> ids;
    HRESULT hr = folder_->EnumObjects(nullptr, kEnumFlags, ids.put());
    if (FAILED(hr)) return StoreError(hr, {}), false;

    ListLock hold(*this);
    MarkAllStale();
    const std::vector<TIconItem> table = IsDesktop() ? ReadDesktopListItems() : std::vector<TIconItem>();
    LPITEMIDLIST id = nullptr;
    while (ids && ids->Next(1, &id, nullptr) == S_OK && id) {
        std::unique_ptr<ITEMIDLIST, TaskMemFree> owned(id);
        int32_t known = -1;
        for (int32_t i = 0; i < count_ && known < 0; ++i) {
            IShellObj child = ItemAt(i).As<TIShellObj>();
            if (child && child->IsValid() && SameBytes(child->ChildPidl(), id)) known = i;
        }
        if (known >= 0) {
            RefreshKnownChild(known, table);
            continue;
        }
        IShellObj child = Make<TIShellObj>(true, MakeIDList(owned.release(), false), idList_, folder_, std::string(), 0);
        if (!child->IsValid()) continue;
        if (!table.empty()) child->TakeIconItem(FindIconItem(table, child->GetDisplayName()));
        Add(child);
    }
    PurgeStale();
    return SetErrorCode(0);
}

IShellObj TIShellObj::FindChildWhere(bool (*match)(TIShellObj& child, const void* key), const void* key) {
    if (!CheckValid()) return InvalidShellObj(GetErrorCode(), GetErrorText());
    EnsureEnumerated();
    for (int32_t i = 0; i < count_; ++i) {
        IShellObj child = ItemAt(i).As<TIShellObj>();
        if (child && match(*child, key)) return child;
    }
    return InvalidShellObj(errors::kNotFound, {});
}

IShellObj TIShellObj::FindChild(const std::string& text) {
    GUID id{};
    const bool classText = text.size() == kGuidTextLength + 2 && StartsWithStr("::{", text);
    if (classText) {
        if (ParseGuidText(std::string_view(text).substr(2), id)) return FindChildByClassID(id);
        return InvalidShellObj(errors::kNotFound, {});
    }
    if (ParseGuidText(text, id)) {
        IShellObj byClass = FindChildByClassID(id);
        if (byClass->IsValid()) return byClass;
    }
    return FindChildWhere(
        [](TIShellObj& child, const void* key) {
            const auto& t = *static_cast<const std::string*>(key);
            return SameTextFast(child.GetName(), t) || SameTextFast(child.GetDisplayName(), t) ||
                   SameTextFast(child.GetInFolderName(), t);
        },
        &text);
}

IShellObj TIShellObj::FindChildByClassID(const GUID& classId) {
    return FindChildWhere(
        [](TIShellObj& child, const void* key) {
            return child.IsFolder() && child.GetClassID() == *static_cast<const GUID*>(key);
        },
        &classId);
}

IShellObj TIShellObj::FindChildByIDList(const IIDList& idList) {
    if (!idList || !idList->IsValid()) return InvalidShellObj(errors::kMissingArgument, {});
    return FindChildWhere(
        [](TIShellObj& child, const void* key) {
            return child.GetIDList()->IsEqual(*static_cast<const IIDList*>(key));
        },
        &idList);
}

IShellObj TIShellObj::GetParent() {
    if (!CheckValid()) return InvalidShellObj(GetErrorCode(), GetErrorText());
    SplitIDs();
    if (!parentIdList_ || !parentIdList_->IsValid())
        return InvalidShellObj(errors::kInvalidObject, std::string(texts::kInvalidObject));
    IShellObj parent = ShellObjFromIDList(parentIdList_->Clone());
    if (parent->IsValid()) parent->Add(IBasic(this));
    return parent;
}

// ------------------------------------------------------------ factories

IShellObj InvalidShellObj(int32_t errorCode, std::string errorText) {
    return Make<TIShellObj>(false, IIDList(), IIDList(), ComRef<IShellFolder>(), std::move(errorText), errorCode);
}

IShellObj ShellObjFromIDList(const IIDList& idList) {
    return Make<TIShellObj>(true, IIDList(), idList, ComRef<IShellFolder>(), std::string(), 0);
}

IShellObj GetSpecialFolderShellObj(int index) {
    if (index < 0 || index >= kSpecialFolderCount)
        return InvalidShellObj(errors::kIndexOutOfRange, std::string(texts::kIndexOutOfRange));
    EnsureComInitialised();
    const TSpecialFolder& folder = kSpecialFolders[static_cast<size_t>(index)];
    HRESULT hr = E_FAIL;
    if (folder.Csidl >= 0) {
        LPITEMIDLIST pidl = nullptr;
        hr = ::SHGetSpecialFolderLocation(nullptr, folder.Csidl, &pidl);
        if (SUCCEEDED(hr) && pidl) return ShellObjFromIDList(MakeIDList(pidl, false));
    }
    ::SetLastError(ERROR_SUCCESS);
    const std::wstring path = FallbackPath(index);
    if (!path.empty()) return ShellObjFromPath(path);
    const DWORD last = ::GetLastError();
    return InvalidShellObj(last ? static_cast<int32_t>(last) : hr, {});
}

IShellObj GetDesktopShellObj() { return GetSpecialFolderShellObj(0); }

IShellObj ShellObjFromPath(const std::wstring& path) {
    HRESULT hr = S_OK;
    ComRef<IShellFolder> desktop = DesktopFolder(hr);
    if (!desktop) return InvalidShellObj(hr, {});
    std::wstring whole = path;
    const bool root = whole.size() == 3 && whole[1] == L':' && whole[2] == L'\\';
    if (!root && whole.size() > 1 && whole.back() == L'\\') whole.pop_back();
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, whole.data(), &eaten, &pidl, nullptr)) && pidl)
        return ShellObjFromIDList(MakeIDList(pidl, false));
    // Component by component: parsed while the folders can, then by name.
    IShellObj current = GetDesktopShellObj();
    bool parsing = true;
    for (std::wstring& part : PathComponents(whole)) {
        if (!current->IsValid()) return current;
        if (parsing) {
            ComRef<IShellFolder> folder = current->GetShellFolder();
            LPITEMIDLIST child = nullptr;
            if (folder && SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, part.data(), &eaten, &child, nullptr)) &&
                child) {
                current = Make<TIShellObj>(true, MakeIDList(child, false), current->GetIDList(), folder, std::string(), 0);
                continue;
            }
            parsing = false;
        }
        IShellObj next = current->FindChild(WideToAnsi(part));
        if (!next->IsValid()) return InvalidShellObj(errors::kNotFound, {});
        current = next;
    }
    return current;
}

}  // namespace shell
