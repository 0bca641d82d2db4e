#pragma once
// The root of the shell-object library: reference-counted objects handed out
// through counted references, each recording the outcome of its last call
// (success flag, error code, message) instead of raising errors.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace shell {

// Raised only where a caller breaks the library's contract: a list index out
// of range, or destroying an object that still has references.
class QorException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Error codes the library stores (system codes keep their own values).
namespace errors {
constexpr int32_t kNone = 0;
constexpr int32_t kNotFound = 2;
constexpr int32_t kMissingArgument = 87;
constexpr int32_t kNoTryEnter = 120;
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);
constexpr int32_t kInvalidObject = 0x10001;
constexpr int32_t kInvalidIndex = 0x10002;
constexpr int32_t kSectionAlreadyOwned = 0x10003;
constexpr int32_t kSectionOwnedByOther = 0x10004;
constexpr int32_t kUnknown = 0x10005;
constexpr int32_t kIndexOutOfRange = 0x10006;
constexpr int32_t kCannotUnprotect = 0x60000;
constexpr int32_t kProtected = 0x60001;
constexpr int32_t kNoDesktopItem = 0x60002;
}  // namespace errors

namespace texts {
constexpr std::string_view kInvalidObject = "This object is invalid.";
constexpr std::string_view kInvalidIndex = "Invalid index.";
constexpr std::string_view kSectionAlreadyOwned = "The critical section is already owned by another thread.";
constexpr std::string_view kSectionOwnedByOther = "The critical section is owned by another thread.";
constexpr std::string_view kUnknownError = "Unknown error.";
constexpr std::string_view kIndexOutOfRange = "Index out of range.";
constexpr std::string_view kCannotUnprotect = "You can't unprotect an ID list.";
constexpr std::string_view kProtected = "This ID list is protected!";
constexpr std::string_view kNoDesktopItem = "This is no desktop item!";
constexpr std::string_view kDestroyedWithReferences = "Interface with reference count >0 destroyed.";
}  // namespace texts

// The message of an error code: the library's own texts first, then the
// system's message for the code; empty when neither knows it.
std::string ErrorMessageFor(int32_t code);

// A counted reference to a library object: adds one on copy, drops one on
// destruction; the drop of the last one destroys the object.
template <typename T>
class Ref {
public:
    using element_type = T;
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    explicit Ref(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    Ref(const Ref& o) noexcept : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    Ref(Ref<U>&& o) noexcept : p_(o.Detach()) {}
    Ref& operator=(Ref o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ref() { reset(); }

    // Takes over a reference that the caller already owns (a new object).
    static Ref Adopt(T* p) noexcept {
        Ref r;
        r.p_ = p;
        return r;
    }
    T* Detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // The same object as another kind of the family, or empty.
    template <typename U>
    Ref<U> As() const {
        return Ref<U>(dynamic_cast<U*>(p_));
    }
    template <typename U>
    bool operator==(const Ref<U>& o) const noexcept {
        return static_cast<const void*>(p_) == static_cast<const void*>(o.get());
    }
    bool operator==(std::nullptr_t) const noexcept { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// A new object owned by the returned reference.
template <typename T, typename... A>
Ref<T> Make(A&&... args) {
    return Ref<T>::Adopt(std::make_unique<T>(std::forward<A>(args)...).release());
}

class TIBasic;
class TIList;
using IBasic = Ref<TIBasic>;

// What a list last did to one of its items.
enum class TChangeType : uint8_t { Unchanged = 0, Changed = 1, Added = 2, Deleted = 3 };

// One item's place in one list. The item owns the record; the list points to
// the same record from its parallel array.
struct TListMembership {
    const TIList* List = nullptr;  // not counted as a reference
    int32_t Index = -1;
    int32_t OldIndex = -1;
    TChangeType Change = TChangeType::Unchanged;
    bool Selected = false;
    bool Focused = false;
    bool Marked = false;
};

// A handle the object owns, released through the procedure given with it.
using TReleaseProc = void (*)(uintptr_t& handle);
using TReleaseProcEx = void (*)(uintptr_t userValue, uintptr_t& handle);

// Identity of the library's interfaces (each also answers to IUnknown).
namespace iids {
constexpr GUID kUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kBasic = {0x53F8CE42, 0x2C8A, 0x11D3, {0xA5, 0x2D, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kList = {0xF6B8D483, 0x40DB, 0x11D3, {0xA5, 0x2D, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kCustomBasicList = {0xEE6D35A0, 0x5F85, 0x11D3, {0xA5, 0x2D, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kCriticalSection = {0x82546200, 0x8D73, 0x11D3, {0xA5, 0x2E, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kIDList = {0x00BED960, 0xC78D, 0x11D3, {0xA5, 0x30, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kShellObj = {0x00BED961, 0xC78D, 0x11D3, {0xA5, 0x30, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
constexpr GUID kShortCut = {0x00BED963, 0xC78D, 0x11D3, {0xA5, 0x30, 0x00, 0x00, 0x5A, 0x18, 0x0D, 0x69}};
}  // namespace iids

// The basic object. Its public operations stand in the order of the IBasic
// interface (slots 0 to 27); AddRef and Release are virtual, the rest fixed.
class TIBasic {
public:
    // The creator's reference is the one Make adopts: the count starts at 1.
    TIBasic(bool valid, int32_t errorCode, std::string errorText);
    TIBasic(const TIBasic&) = delete;
    TIBasic& operator=(const TIBasic&) = delete;
    virtual ~TIBasic();

    HRESULT QueryInterface(const GUID& iid, IBasic& out);   // 0
    virtual int32_t AddRef() noexcept;                       // 1
    virtual int32_t Release() noexcept;                      // 2
    bool SupportsInterface(const GUID& iid);                 // 3
    bool GetInterface(const GUID& iid, IBasic& out);         // 4
    TIBasic* GetSelfObject() noexcept { return this; }       // 5
    bool IsValid() const noexcept { return valid_; }         // 6
    bool GetSuccess() const noexcept { return success_; }    // 7
    int32_t GetErrorCode() const noexcept { return errorCode_; }  // 8
    std::string GetErrorText();                              // 9
    bool SetErrorCode(int32_t code);                         // 10
    void SetErrorText(std::string text);                     // 11
    void StoreError(int32_t code, std::string text);         // 12
    const std::string& GetTagText() const noexcept { return tagText_; }  // 13
    void SetTagText(std::string text) { tagText_ = std::move(text); }    // 14
    uintptr_t GetOwnedHandle() const noexcept { return handle_; }        // 15
    void ReplaceOwnedHandle(uintptr_t handle);               // 16
    void SetOwnedHandle(uintptr_t handle, TReleaseProc release);         // 17
    void SetOwnedHandleEx(uintptr_t handle, TReleaseProcEx release, uintptr_t userValue);  // 18
    int32_t GetListIndex(const TIList& list);                // 19
    int32_t GetListOldIndex(const TIList& list);             // 20
    TChangeType GetListChange(const TIList& list);           // 21
    bool GetListSelected(const TIList& list);                // 22
    bool GetListFocused(const TIList& list);                 // 23
    bool GetListMarked(const TIList& list);                  // 24
    void SetListSelected(TIList& list, bool flag);     // 25
    void SetListFocused(TIList& list, bool flag);      // 26
    void SetListMarked(TIList& list, bool flag);       // 27

    // Whether the object answers to the interface of this identity.
    virtual bool Implements(const GUID& iid) const noexcept;
    int32_t RefCount() const noexcept { return refCount_.load(); }

    // Valid: success flag set, true. Not valid: error "This object is invalid.".
    bool CheckValid();

    // The membership records the item lists keep here (see item_list.h).
    TListMembership* FindMembership(const TIList* list) const noexcept;
    TListMembership* AddMembership(const TIList* list, int32_t index);
    void RemoveMembership(const TListMembership* record);
    // A list drops the item: its selected, focused and marked flags there are
    // cleared with their side effects on the list.
    void ClearListFlags(TIList& list);

protected:
    void SetInvalid(int32_t code, std::string text);

private:
    void ReleaseOwnedHandle();

    std::atomic<int32_t> refCount_{1};
    bool valid_;
    bool success_;
    int32_t errorCode_ = 0;
    std::string errorText_;
    std::string tagText_;
    uintptr_t handle_ = 0;
    TReleaseProc release_ = nullptr;
    TReleaseProcEx releaseEx_ = nullptr;
    uintptr_t userValue_ = 0;
    std::vector<std::unique_ptr<TListMembership>> memberships_;
};

// An owner that believes it holds the last reference drops it here: any
// other reference still held raises QorException before anything is freed.
// (A destructor cannot raise, so the check stands in front of it.)
template <typename T>
void DestroyLast(Ref<T>& ref) {
    if (ref && ref->RefCount() > 1) throw QorException(std::string(texts::kDestroyedWithReferences));
    ref.reset();
}

// COM for the calling thread, initialised once and kept for the thread's
// life: the program's start-up does not initialise it, the shell code does.
void EnsureComInitialised();

}  // namespace shell
