#include "shell/short_cut.h"
#include <objbase.h>
#include "framework/shortcut.h"
#include "shell/string_routines.h"

namespace shell {

namespace {

constexpr BYTE kHotShift = 1, kHotCtrl = 2, kHotAlt = 4;
constexpr std::string_view kLinkExtension = ".lnk";
constexpr std::string_view kPifExtension = ".pif";

}  // namespace

uint16_t HotkeyToShortCut(WORD hotkey) noexcept {
    const BYTE mods = HIBYTE(hotkey);
    uint16_t sc = LOBYTE(hotkey);
    if (mods & kHotAlt) sc |= framework::scAlt;
    if (mods & kHotCtrl) sc |= framework::scCtrl;
    if (mods & kHotShift) sc |= framework::scShift;
    return sc;
}

WORD ShortCutToHotkey(uint16_t shortCut) noexcept {
    BYTE mods = 0;
    if (shortCut & framework::scAlt) mods |= kHotAlt;
    if (shortCut & framework::scCtrl) mods |= kHotCtrl;
    if (shortCut & framework::scShift) mods |= kHotShift;
    return MAKEWORD(LOBYTE(shortCut), mods);
}

std::string LinkSaveName(std::string_view name) {
    std::string out(name);
    if (out.size() >= 4) {
        std::string_view tail = std::string_view(out).substr(out.size() - 4);
        if (SameTextFast(tail, kLinkExtension) || SameTextFast(tail, kPifExtension)) CutTail(out, 4);
    }
    return out + std::string(kLinkExtension);
}

TIShortCut::TIShortCut(bool valid, int32_t errorCode, std::string errorText, std::string linkFileName,
                       IIDList target)
    : TIBasic(valid, errorCode, std::move(errorText)) {
    if (!valid) return;
    EnsureComInitialised();
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IShellLinkA, link_.put_void());
    if (FAILED(hr)) { SetInvalid(hr, {}); return; }
    if (target) {
        if (!target->IsValid()) { SetInvalid(errors::kMissingArgument, {}); return; }
        hr = link_->SetIDList(target->GetPidl());
        if (FAILED(hr)) { SetInvalid(hr, {}); return; }
        modified_ = true;
        target_ = target;
    } else {
        auto file = link_.Query<IPersistFile>(IID_IPersistFile);
        if (!file) { SetInvalid(E_NOINTERFACE, {}); return; }
        hr = file->Load(AnsiToWide(linkFileName).c_str(), STGM_READ);
        if (FAILED(hr)) { SetInvalid(hr, {}); return; }
        LPITEMIDLIST pidl = nullptr;
        hr = link_->GetIDList(&pidl);
        if (FAILED(hr) || !pidl) { SetInvalid(FAILED(hr) ? hr : errors::kNotFound, {}); return; }
        target_ = MakeIDList(pidl, false);
    }
    target_->SetProtected(true);
    fileName_ = std::move(linkFileName);
}

TIShortCut::~TIShortCut() {
    // A changed link is written before it goes, as Save with its own name does.
    if (IsValid() && modified_) Save({}, true);
}

bool TIShortCut::Implements(const GUID& iid) const noexcept {
    return iid == iids::kShortCut || TIBasic::Implements(iid);
}

bool TIShortCut::Check(HRESULT hr) {
    if (SUCCEEDED(hr)) return SetErrorCode(0);
    StoreError(hr, {});
    return false;
}

bool TIShortCut::Changed(HRESULT hr) {
    if (!Check(hr)) return false;
    modified_ = true;
    return true;
}

void TIShortCut::SetLinkFileName(const std::string& name) {
    if (!CheckValid() || SameTextFast(name, fileName_)) return;
    fileName_ = name;
    modified_ = true;
}

IIDList TIShortCut::GetTarget() {
    if (!target_) return InvalidIDList(errors::kInvalidObject, std::string(texts::kInvalidObject));
    return target_;
}

std::string TIShortCut::ReadText(HRESULT (STDMETHODCALLTYPE IShellLinkA::*get)(LPSTR, int)) {
    if (!CheckValid()) return {};
    char buffer[INFOTIPSIZE] = {};
    if (!Check((link_.get()->*get)(buffer, static_cast<int>(sizeof buffer)))) return {};
    return buffer;
}

std::string TIShortCut::GetTargetPath() {
    WIN32_FIND_DATAA data{};
    if (!CheckValid()) return {};
    char path[MAX_PATH] = {};
    if (!Check(link_->GetPath(path, MAX_PATH, &data, 0))) return {};
    return path;
}

bool TIShortCut::SetTargetPath(const std::string& path) { return CheckValid() && Changed(link_->SetPath(path.c_str())); }

bool TIShortCut::GetTargetFindData(WIN32_FIND_DATAA& data) {
    data = {};
    if (!CheckValid()) return false;
    char path[MAX_PATH] = {};
    if (Check(link_->GetPath(path, MAX_PATH, &data, 0))) return true;
    data = {};
    return false;
}

std::string TIShortCut::GetDescription() { return ReadText(&IShellLinkA::GetDescription); }
std::string TIShortCut::GetArguments() { return ReadText(&IShellLinkA::GetArguments); }
std::string TIShortCut::GetWorkingDirectory() { return ReadText(&IShellLinkA::GetWorkingDirectory); }

std::string TIShortCut::GetHotkeyText() {
    WORD hotkey = 0;
    if (!CheckValid() || !Check(link_->GetHotkey(&hotkey))) return {};
    return framework::ShortCutToText(HotkeyToShortCut(hotkey));
}

int TIShortCut::GetShowCommand() {
    int show = 0;
    if (!CheckValid() || !Check(link_->GetShowCmd(&show))) return 0;
    return show;
}

bool TIShortCut::ReadIconLocation() {
    char path[MAX_PATH] = {};
    int index = 0;
    if (!Check(link_->GetIconLocation(path, MAX_PATH, &index))) return false;
    iconPath_ = path;
    iconIndex_ = index;
    return true;
}

std::string TIShortCut::GetIconPath() { return CheckValid() && ReadIconLocation() ? iconPath_ : std::string(); }
int TIShortCut::GetIconIndex() { return CheckValid() && ReadIconLocation() ? iconIndex_ : 0; }

bool TIShortCut::SetDescription(const std::string& text) { return CheckValid() && Changed(link_->SetDescription(text.c_str())); }
bool TIShortCut::SetArguments(const std::string& text) { return CheckValid() && Changed(link_->SetArguments(text.c_str())); }
bool TIShortCut::SetWorkingDirectory(const std::string& path) {
    return CheckValid() && Changed(link_->SetWorkingDirectory(path.c_str()));
}

bool TIShortCut::SetHotkeyText(const std::string& text) {
    return CheckValid() && Changed(link_->SetHotkey(ShortCutToHotkey(framework::TextToShortCut(text))));
}

bool TIShortCut::SetShowCommand(int value) { return CheckValid() && Changed(link_->SetShowCmd(value)); }

bool TIShortCut::SetIconPath(const std::string& path) {
    if (!CheckValid()) return false;
    if (iconIndex_ == -1) {
        ReadIconLocation();
        if (iconIndex_ == -1 || !Changed(link_->SetIconLocation(path.c_str(), iconIndex_))) {
            // No index could be learned or used: start with the first icon.
            if (!Changed(link_->SetIconLocation(path.c_str(), 0))) return false;
            iconIndex_ = 0;
        }
    } else if (!Changed(link_->SetIconLocation(path.c_str(), iconIndex_))) {
        return false;
    }
    iconPath_ = path;
    return true;
}

bool TIShortCut::SetIconIndex(int index) {
    if (!CheckValid()) return false;
    if (iconPath_.empty()) ReadIconLocation();
    if (!Changed(link_->SetIconLocation(iconPath_.c_str(), index))) return false;
    iconIndex_ = index;
    return true;
}

bool TIShortCut::SetIconLocation(const std::string& path, int index) {
    if (!CheckValid() || !Changed(link_->SetIconLocation(path.c_str(), index))) return false;
    iconPath_ = path;
    iconIndex_ = index;
    return true;
}

bool TIShortCut::Resolve(HWND window, DWORD timeoutMs) {
    if (!CheckValid()) return false;
    const DWORD timeout = timeoutMs == 0 ? 1 : (timeoutMs & 0xFFFF);
    const bool quiet = window == kNoWindow;
    const DWORD flags = (quiet ? SLR_NO_UI : SLR_ANY_MATCH) | (timeout << 16);
    return Check(link_->Resolve(quiet ? nullptr : window, flags));
}

bool TIShortCut::Save(const std::string& fileName, bool resolveFirst) {
    if (!IsValid()) return false;
    if (fileName.empty() && fileName_.empty()) {
        StoreError(errors::kMissingArgument, {});
        return false;
    }
    const bool otherName = !fileName.empty() && !SameTextFast(fileName, fileName_);
    if (!modified_ && !otherName) return SetErrorCode(0);
    const std::string name = LinkSaveName(fileName.empty() ? fileName_ : fileName);
    if (resolveFirst && !Resolve(kNoWindow, 0)) return false;
    try {
        auto file = link_.Query<IPersistFile>(IID_IPersistFile);
        if (!file) return Check(E_NOINTERFACE);
        if (!Check(file->Save(AnsiToWide(name).c_str(), TRUE))) return false;
        fileName_ = name;
        modified_ = false;
        return true;
    } catch (...) {
        StoreError(errors::kUnknown, std::string(texts::kUnknownError));
        return false;
    }
}

IShortCut NewShortCut(const std::string& linkFileName, const IIDList& target) {
    if (!target) return Make<TIShortCut>(false, errors::kMissingArgument, std::string(), std::string(), IIDList());
    return Make<TIShortCut>(true, 0, std::string(), linkFileName, target);
}

IShortCut OpenShortCut(const std::string& linkFileName) {
    return Make<TIShortCut>(true, 0, std::string(), linkFileName, IIDList());
}

}  // namespace shell
