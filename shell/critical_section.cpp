#include "shell/critical_section.h"

namespace shell {

namespace {

using TryEnterFn = BOOL(WINAPI*)(LPCRITICAL_SECTION);

// Looked up once per run; systems of the Windows 95 family lack it.
TryEnterFn TryEnterEntry() {
    static const TryEnterFn entry = [] {
        HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<TryEnterFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "TryEnterCriticalSection")))
                      : nullptr;
    }();
    return entry;
}

std::string AskFolder(UINT (WINAPI* ask)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    UINT n = ask(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

}  // namespace

TICriticalSection::TICriticalSection() : TIBasic(true, 0, {}) { ::InitializeCriticalSection(&section_); }

TICriticalSection::~TICriticalSection() { ::DeleteCriticalSection(&section_); }

bool TICriticalSection::Implements(const GUID& iid) const noexcept {
    return iid == iids::kCriticalSection || TIBasic::Implements(iid);
}

void TICriticalSection::TakeOwnership() {
    SetErrorCode(0);
    owner_ = ::GetCurrentThreadId();
    ++lockCount_;
}

void TICriticalSection::Enter() {
    ::EnterCriticalSection(&section_);
    TakeOwnership();
}

bool TICriticalSection::TryEnter() {
    TryEnterFn tryEnter = TryEnterEntry();
    if (!tryEnter) {
        StoreError(errors::kNoTryEnter, {});
        return false;
    }
    if (!tryEnter(&section_)) {
        StoreError(errors::kSectionAlreadyOwned, std::string(texts::kSectionAlreadyOwned));
        return false;
    }
    TakeOwnership();
    return true;
}

bool TICriticalSection::Leave() {
    if (!IsOwnedByCurrentThread()) {
        StoreError(errors::kSectionOwnedByOther, std::string(texts::kSectionOwnedByOther));
        return false;
    }
    SetErrorCode(0);
    if (--lockCount_ == 0) owner_ = 0;
    ::LeaveCriticalSection(&section_);
    return true;
}

ICriticalSection NewCriticalSection() { return Make<TICriticalSection>(); }

const std::string& GetWindowsFolder() {
    static const std::string folder = AskFolder(::GetWindowsDirectoryA);
    return folder;
}

const std::string& GetSystemFolder() {
    static const std::string folder = AskFolder(::GetSystemDirectoryA);
    return folder;
}

}  // namespace shell
