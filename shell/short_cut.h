#pragma once
// One shell link (a link file of the shell) as a basic object: opened from
// a link file or made for a shell object, read and changed through the
// system's shell-link object, resolved and saved.
#include <windows.h>
#include <shlobj.h>
#include <string>
#include "shell/basic_object.h"
#include "shell/com_ref.h"
#include "shell/id_list.h"

namespace shell {

class TIShortCut;
using IShortCut = Ref<TIShortCut>;

// A link's hotkey word (key in the low byte; Shift 1, Ctrl 2, Alt 4 above
// it) and the framework's shortcut value, each way.
uint16_t HotkeyToShortCut(WORD hotkey) noexcept;
WORD ShortCutToHotkey(uint16_t shortCut) noexcept;
// The name a link is saved under: ".lnk" in place of a ".lnk" or ".pif"
// extension (in any case), else ".lnk" appended.
std::string LinkSaveName(std::string_view name);

class TIShortCut final : public TIBasic {
public:
    // Resolve without a window: no user interface.
    static inline const HWND kNoWindow = reinterpret_cast<HWND>(-1);

    // With a target: a new link to it (modified, not yet saved). Without one:
    // the link file is loaded and its target kept.
    TIShortCut(bool valid, int32_t errorCode, std::string errorText, std::string linkFileName, IIDList target);
    ~TIShortCut() override;

    IShellLinkA* GetShellLink() const noexcept { return link_.get(); }  // 28
    const std::string& GetLinkFileName() const noexcept { return fileName_; }  // 29
    void SetLinkFileName(const std::string& name);           // 30
    IIDList GetTarget();                                     // 31
    std::string GetTargetPath();                             // 32
    bool SetTargetPath(const std::string& path);             // 33
    bool GetTargetFindData(WIN32_FIND_DATAA& data);          // 34
    std::string GetDescription();                            // 35
    std::string GetArguments();                              // 36
    std::string GetWorkingDirectory();                       // 37
    std::string GetHotkeyText();                             // 38
    int GetShowCommand();                                    // 39
    std::string GetIconPath();                               // 40
    int GetIconIndex();                                      // 41
    bool SetDescription(const std::string& text);            // 42
    bool SetArguments(const std::string& text);              // 43
    bool SetWorkingDirectory(const std::string& path);       // 44
    bool SetHotkeyText(const std::string& text);             // 45
    bool SetShowCommand(int value);                          // 46
    bool SetIconPath(const std::string& path);               // 47
    bool SetIconIndex(int index);                            // 48
    bool SetIconLocation(const std::string& path, int index);  // 49
    bool Resolve(HWND window, DWORD timeoutMs);              // 50
    bool IsModified() const noexcept { return modified_; }   // 51
    bool Save(const std::string& fileName, bool resolveFirst);  // 52

    bool Implements(const GUID& iid) const noexcept override;

private:
    bool Check(HRESULT hr);
    bool Changed(HRESULT hr);
    bool ReadIconLocation();
    std::string ReadText(HRESULT (STDMETHODCALLTYPE IShellLinkA::*get)(LPSTR, int));

    IIDList target_;
    std::string fileName_;
    bool modified_ = false;
    ComRef<IShellLinkA> link_;
    std::string iconPath_;
    int iconIndex_ = -1;
};

// A link to the target, stored under the file name once saved.
IShortCut NewShortCut(const std::string& linkFileName, const IIDList& target);
// The link stored in this file.
IShortCut OpenShortCut(const std::string& linkFileName);

}  // namespace shell
