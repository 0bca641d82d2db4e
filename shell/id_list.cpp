#include "shell/id_list.h"
#include <cstring>

namespace shell {

namespace {

constexpr int32_t kTerminator = 2;

uint8_t* Bytes(LPITEMIDLIST p) { return reinterpret_cast<uint8_t*>(p); }
const uint8_t* Bytes(LPCITEMIDLIST p) { return reinterpret_cast<const uint8_t*>(p); }

uint16_t CountAt(const uint8_t* at) {
    uint16_t n;
    std::memcpy(&n, at, sizeof n);
    return n;
}

// A new task-allocator buffer of n bytes: these bytes, then zero to the end.
LPITEMIDLIST NewBuffer(const void* bytes, int32_t copied, int32_t n) {
    auto* p = static_cast<uint8_t*>(::CoTaskMemAlloc(static_cast<SIZE_T>(n)));
    if (!p) return nullptr;
    std::memset(p, 0, static_cast<size_t>(n));
    if (copied > 0) std::memcpy(p, bytes, static_cast<size_t>(copied));
    return reinterpret_cast<LPITEMIDLIST>(p);
}

IIDList ProtectedList(const void* bytes, int32_t copied, int32_t n) {
    LPITEMIDLIST buffer = NewBuffer(bytes, copied, n);
    if (!buffer) return InvalidIDList(E_OUTOFMEMORY, {});
    IIDList list = Make<TIIDList>(true, 0, std::string(), buffer, false);
    list->SetProtected(true);
    return list;
}

}  // namespace

int32_t IDListSize(LPCITEMIDLIST pidl) noexcept {
    if (!pidl) return 0;
    const uint8_t* p = Bytes(pidl);
    int32_t size = kTerminator;
    for (uint16_t n = CountAt(p); n != 0; n = CountAt(p)) {
        size += n;
        p += n;
    }
    return size;
}

TIIDList::TIIDList(bool valid, int32_t errorCode, std::string errorText, LPITEMIDLIST buffer, bool copy)
    : TIBasic(valid, errorCode, std::move(errorText)) {
    if (!valid) {
        if (buffer && !copy) ::CoTaskMemFree(buffer);
        return;
    }
    if (!buffer) {
        SetInvalid(errors::kMissingArgument, {});
        return;
    }
    if (copy) {
        int32_t n = IDListSize(buffer);
        buffer_ = NewBuffer(buffer, n, n);
        if (!buffer_) SetInvalid(E_OUTOFMEMORY, {});
    } else {
        buffer_ = buffer;
    }
}

TIIDList::~TIIDList() { ::CoTaskMemFree(buffer_); }

bool TIIDList::Implements(const GUID& iid) const noexcept { return iid == iids::kIDList || TIBasic::Implements(iid); }

void TIIDList::Measure() {
    if (sizeKnown_ && lastKnown_) return;
    size_ = 0;
    lastOffset_ = 0;
    if (buffer_) {
        const uint8_t* p = Bytes(buffer_);
        int32_t at = 0;
        size_ = kTerminator;
        for (uint16_t n = CountAt(p); n != 0; n = CountAt(p + at)) {
            lastOffset_ = at;
            size_ += n;
            at += n;
        }
    }
    sizeKnown_ = lastKnown_ = true;
}

int32_t TIIDList::GetSize() {
    Measure();
    return size_;
}

int32_t TIIDList::LastItemOffset() {
    Measure();
    return lastOffset_;
}

uint16_t TIIDList::LastItemCount() { return buffer_ ? CountAt(Bytes(buffer_) + LastItemOffset()) : 0; }

void TIIDList::Split() {
    if (split_) return;
    split_ = true;
    const uint16_t n = LastItemCount();
    const uint8_t* bytes = buffer_ ? Bytes(buffer_) : nullptr;
    last_ = ProtectedList(bytes ? bytes + LastItemOffset() : nullptr, n, n + kTerminator);
    if (n == 0) parent_ = InvalidIDList(errors::kInvalidObject, std::string(texts::kInvalidObject));
    else parent_ = ProtectedList(bytes, GetSize() - n - kTerminator, GetSize() - n);
}

IIDList TIIDList::GetLastItem() {
    Split();
    return last_;
}

IIDList TIIDList::GetParentList() {
    Split();
    return parent_;
}

bool TIIDList::IsEqual(const IIDList& other) {
    if (!other || !other->IsValid()) {
        StoreError(errors::kMissingArgument, {});
        return false;
    }
    if (!buffer_ || !other->buffer_) return buffer_ == other->buffer_;
    return GetSize() == other->GetSize() && std::memcmp(buffer_, other->buffer_, static_cast<size_t>(GetSize())) == 0;
}

IIDList TIIDList::Concat(const IIDList& other) {
    if (!other || !other->IsValid()) StoreError(errors::kMissingArgument, {});
    else if (CheckValid()) {
        const int32_t own = GetSize() - kTerminator, theirs = other->GetSize();
        LPITEMIDLIST buffer = NewBuffer(buffer_, own, own + theirs);
        if (buffer) {
            std::memcpy(Bytes(buffer) + own, other->buffer_, static_cast<size_t>(theirs));
            return Make<TIIDList>(true, 0, std::string(), buffer, false);
        }
        StoreError(E_OUTOFMEMORY, {});
    }
    return InvalidIDList(GetErrorCode(), GetErrorText());
}

IIDList TIIDList::Clone() {
    if (!IsValid()) return InvalidIDList(GetErrorCode(), GetErrorText());
    IIDList copy = MakeIDList(buffer_, true);
    if (!copy->IsValid()) return copy;
    copy->size_ = GetSize();
    copy->lastOffset_ = LastItemOffset();
    copy->sizeKnown_ = copy->lastKnown_ = true;
    if (split_) {
        copy->split_ = true;
        copy->last_ = last_->Clone();
        copy->last_->SetProtected(true);
        copy->parent_ = parent_->Clone();
        if (copy->parent_->IsValid()) copy->parent_->SetProtected(true);
    }
    return copy;
}

void TIIDList::SetProtected(bool flag) {
    if (!CheckValid() || flag == protected_) return;
    if (flag) protected_ = true;
    else StoreError(errors::kCannotUnprotect, std::string(texts::kCannotUnprotect));
}

IIDList TIIDList::RemoveLastItem() {
    if (protected_) {
        StoreError(errors::kProtected, std::string(texts::kProtected));
        return InvalidIDList(GetErrorCode(), GetErrorText());
    }
    if (!CheckValid()) return InvalidIDList(GetErrorCode(), GetErrorText());
    const int32_t size = GetSize();
    if (split_ && size >= 3) {
        // The kept parts answer: the last item goes out, the parent's buffer comes in.
        IIDList item = std::move(last_);
        IIDList parent = std::move(parent_);
        ::CoTaskMemFree(buffer_);
        buffer_ = std::exchange(parent->buffer_, nullptr);
        size_ = parent->size_;
        lastOffset_ = parent->lastOffset_;
        sizeKnown_ = parent->sizeKnown_;
        lastKnown_ = parent->lastKnown_;
        split_ = false;
        return item;
    }
    const uint16_t n = LastItemCount();
    const int32_t at = LastItemOffset();
    IIDList item = ProtectedList(Bytes(buffer_) + at, n, n + kTerminator);
    split_ = false;
    last_.reset();
    parent_.reset();
    if (size < 3) {
        ::CoTaskMemFree(std::exchange(buffer_, nullptr));
        size_ = 0;
        SetInvalid(errors::kInvalidObject, std::string(texts::kInvalidObject));
        return item;
    }
    std::memset(Bytes(buffer_) + at, 0, kTerminator);
    if (void* smaller = ::CoTaskMemRealloc(buffer_, static_cast<SIZE_T>(size - n)))
        buffer_ = static_cast<LPITEMIDLIST>(smaller);
    size_ = size - n;
    lastKnown_ = false;
    sizeKnown_ = false;
    return item;
}

void TIIDList::Append(const IIDList& other) {
    if (protected_) return StoreError(errors::kProtected, std::string(texts::kProtected));
    if (!other || !other->IsValid()) return StoreError(errors::kMissingArgument, {});
    if (!CheckValid()) return;
    const int32_t own = GetSize() - kTerminator, theirs = other->GetSize();
    void* bigger = ::CoTaskMemRealloc(buffer_, static_cast<SIZE_T>(own + theirs));
    if (!bigger) return StoreError(E_OUTOFMEMORY, {});
    buffer_ = static_cast<LPITEMIDLIST>(bigger);
    std::memcpy(Bytes(buffer_) + own, other->buffer_, static_cast<size_t>(theirs));
    const bool otherEmpty = theirs <= kTerminator;
    const int32_t oldLast = lastOffset_;
    size_ = own + theirs;
    lastOffset_ = otherEmpty ? oldLast : own + other->LastItemOffset();
    sizeKnown_ = lastKnown_ = true;
    split_ = false;
    last_.reset();
    parent_.reset();
}

IIDList MakeIDList(LPITEMIDLIST buffer, bool copy) { return Make<TIIDList>(true, 0, std::string(), buffer, copy); }

IIDList InvalidIDList(int32_t errorCode, std::string errorText) {
    return Make<TIIDList>(false, errorCode, std::move(errorText), nullptr, false);
}

}  // namespace shell
