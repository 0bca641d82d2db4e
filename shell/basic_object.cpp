#include "shell/basic_object.h"
#include <objbase.h>
#include <algorithm>
#include "shell/item_list.h"

namespace shell {

namespace {

struct LibraryText {
    int32_t code;
    std::string_view text;
};
constexpr LibraryText kLibraryTexts[] = {
    {errors::kInvalidObject, texts::kInvalidObject},
    {errors::kInvalidIndex, texts::kInvalidIndex},
    {errors::kSectionAlreadyOwned, texts::kSectionAlreadyOwned},
    {errors::kSectionOwnedByOther, texts::kSectionOwnedByOther},
    {errors::kUnknown, texts::kUnknownError},
    {errors::kIndexOutOfRange, texts::kIndexOutOfRange},
    {errors::kCannotUnprotect, texts::kCannotUnprotect},
    {errors::kProtected, texts::kProtected},
    {errors::kNoDesktopItem, texts::kNoDesktopItem},
};

std::string SystemMessage(int32_t code) {
    char* buffer = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

std::string ErrorMessageFor(int32_t code) {
    for (const auto& t : kLibraryTexts)
        if (t.code == code) return std::string(t.text);
    return SystemMessage(code);
}

void EnsureComInitialised() {
    // Never uninitialised: objects of the library may live as long as the
    // thread, and the shared desktop folder as long as the program.
    thread_local const bool initialised = [] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return true;
    }();
    (void)initialised;
}

TIBasic::TIBasic(bool valid, int32_t errorCode, std::string errorText) : valid_(valid), success_(valid) {
    if (!valid) {
        errorCode_ = errorCode;
        errorText_ = std::move(errorText);
    }
}

TIBasic::~TIBasic() {
    if (valid_) ReleaseOwnedHandle();
}

HRESULT TIBasic::QueryInterface(const GUID& iid, IBasic& out) {
    if (GetInterface(iid, out)) {
        success_ = true;
        return S_OK;
    }
    StoreError(errors::kNoInterface, {});
    return E_NOINTERFACE;
}

int32_t TIBasic::AddRef() noexcept { return ++refCount_; }

int32_t TIBasic::Release() noexcept {
    int32_t n = --refCount_;
    // The one place an object of the library is freed: by its last reference.
    if (n == 0) std::default_delete<TIBasic>{}(this);
    return n;
}

bool TIBasic::SupportsInterface(const GUID& iid) {
    IBasic probe;
    if (GetInterface(iid, probe)) {
        success_ = true;
        return true;
    }
    StoreError(errors::kNoInterface, {});
    return false;
}

bool TIBasic::GetInterface(const GUID& iid, IBasic& out) {
    if (!Implements(iid)) return false;
    out = IBasic(this);
    return true;
}

bool TIBasic::Implements(const GUID& iid) const noexcept {
    return iid == iids::kUnknown || iid == iids::kBasic;
}

std::string TIBasic::GetErrorText() {
    if (errorText_.empty() && errorCode_ != 0) errorText_ = ErrorMessageFor(errorCode_);
    return errorText_;
}

bool TIBasic::SetErrorCode(int32_t code) {
    errorCode_ = code;
    if (code == 0) errorText_.clear();
    success_ = code == 0;
    return success_;
}

void TIBasic::SetErrorText(std::string text) {
    errorText_ = std::move(text);
    if (errorText_.empty()) errorCode_ = 0;
    success_ = errorCode_ == 0;
}

void TIBasic::StoreError(int32_t code, std::string text) {
    errorCode_ = code;
    errorText_ = std::move(text);
    success_ = code == 0;
}

bool TIBasic::CheckValid() {
    if (valid_) {
        success_ = true;
        return true;
    }
    StoreError(errors::kInvalidObject, std::string(texts::kInvalidObject));
    return false;
}

void TIBasic::SetInvalid(int32_t code, std::string text) {
    valid_ = false;
    StoreError(code, std::move(text));
}

void TIBasic::ReleaseOwnedHandle() {
    if (handle_ == 0) return;
    if (release_) release_(handle_);
    else if (releaseEx_) releaseEx_(userValue_, handle_);
    handle_ = 0;
}

void TIBasic::ReplaceOwnedHandle(uintptr_t handle) {
    if (!CheckValid()) return;
    ReleaseOwnedHandle();
    handle_ = handle;
}

void TIBasic::SetOwnedHandle(uintptr_t handle, TReleaseProc release) {
    if (!CheckValid()) return;
    ReleaseOwnedHandle();
    handle_ = handle;
    release_ = release;
    releaseEx_ = nullptr;
    userValue_ = 0;
}

void TIBasic::SetOwnedHandleEx(uintptr_t handle, TReleaseProcEx release, uintptr_t userValue) {
    if (!CheckValid()) return;
    ReleaseOwnedHandle();
    handle_ = handle;
    release_ = nullptr;
    releaseEx_ = release;
    userValue_ = userValue;
}

TListMembership* TIBasic::FindMembership(const TIList* list) const noexcept {
    for (const auto& m : memberships_)
        if (m->List == list) return m.get();
    return nullptr;
}

TListMembership* TIBasic::AddMembership(const TIList* list, int32_t index) {
    auto record = std::make_unique<TListMembership>();
    record->List = list;
    record->Index = index;
    record->OldIndex = -1;
    record->Change = TChangeType::Added;
    memberships_.push_back(std::move(record));
    return memberships_.back().get();
}

void TIBasic::RemoveMembership(const TListMembership* record) {
    auto it = std::find_if(memberships_.begin(), memberships_.end(), [&](const auto& m) { return m.get() == record; });
    if (it == memberships_.end()) return;
    // The last membership takes the freed one's place.
    *it = std::move(memberships_.back());
    memberships_.pop_back();
}

int32_t TIBasic::GetListIndex(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->Index;
    StoreError(errors::kNotFound, {});
    return -1;
}

int32_t TIBasic::GetListOldIndex(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->OldIndex;
    StoreError(errors::kNotFound, {});
    return -1;
}

TChangeType TIBasic::GetListChange(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->Change;
    StoreError(errors::kNotFound, {});
    return TChangeType::Unchanged;
}

bool TIBasic::GetListSelected(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->Selected;
    StoreError(errors::kNotFound, {});
    return false;
}

bool TIBasic::GetListFocused(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->Focused;
    StoreError(errors::kNotFound, {});
    return false;
}

bool TIBasic::GetListMarked(const TIList& list) {
    if (auto* m = FindMembership(&list)) return m->Marked;
    StoreError(errors::kNotFound, {});
    return false;
}

void TIBasic::SetListSelected(TIList& list, bool flag) {
    auto* m = FindMembership(&list);
    if (!m) return StoreError(errors::kNotFound, {});
    if (m->Selected == flag) return;
    m->Selected = flag;
    list.ChangeSelectedCount(flag ? 1 : -1);
}

void TIBasic::SetListFocused(TIList& list, bool flag) {
    auto* m = FindMembership(&list);
    if (!m) return StoreError(errors::kNotFound, {});
    if (m->Focused == flag) return;
    m->Focused = flag;
    if (flag) list.SetFocusedItem(this);
    else if (list.GetFocusedItem().get() == this) list.SetFocusedItem(nullptr);
}

void TIBasic::SetListMarked(TIList& list, bool flag) {
    auto* m = FindMembership(&list);
    if (!m) return StoreError(errors::kNotFound, {});
    m->Marked = flag;
}

void TIBasic::ClearListFlags(TIList& list) {
    SetListSelected(list, false);
    SetListFocused(list, false);
    SetListMarked(list, false);
}

}  // namespace shell
