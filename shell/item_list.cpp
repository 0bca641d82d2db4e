#include "shell/item_list.h"
#include <algorithm>

namespace shell {

ListLock::ListLock(TIList& list) : list_(list) { list_.Lock(); }
ListLock::~ListLock() { list_.Unlock(); }

// ---------------------------------------------------------------- TIList

TIList::TIList(bool valid, int32_t errorCode, std::string errorText)
    : TIBasic(valid, errorCode, std::move(errorText)), lock_(NewCriticalSection()) {}

int32_t TIList::GetItemCount() { return count_; }

void TIList::Lock() { lock_->Enter(); }
void TIList::Unlock() { lock_->Leave(); }
void TIList::Clear() { SetCapacity(0); }

bool TIList::Implements(const GUID& iid) const noexcept { return iid == iids::kList || TIBasic::Implements(iid); }

// ------------------------------------------------------ TICustomBasicList

TICustomBasicList::TICustomBasicList(bool valid, int32_t errorCode, std::string errorText)
    : TIList(valid, errorCode, std::move(errorText)) {}

TICustomBasicList::~TICustomBasicList() {
    // Nobody hears of the deletions that follow.
    changeProcs_.clear();
    changeEvents_.clear();
    ListLock hold(*this);
    SetCapacity(0);
}

bool TICustomBasicList::Implements(const GUID& iid) const noexcept {
    return iid == iids::kCustomBasicList || TIList::Implements(iid);
}

void TICustomBasicList::NotifyChange(const IBasic& item, bool before, TChangeType type, int32_t oldIndex,
                                     int32_t index) {
    if (changeProcs_.empty() && changeEvents_.empty()) return;
    const ICustomBasicList self = SelfInterface();
    // Copies: a procedure may register or unregister while it is told.
    const auto procs = changeProcs_;
    const auto events = changeEvents_;
    for (auto proc : procs) proc(self, item, before, type, oldIndex, index);
    for (const auto& e : events) e.Proc(e.Object, self, item, before, type, oldIndex, index);
}

void TICustomBasicList::Grow() {
    int32_t n = capacity_ < 8 ? 16 : capacity_ + capacity_ / 2;
    items_.resize(static_cast<size_t>(n));
    records_.resize(static_cast<size_t>(n), nullptr);
    capacity_ = n;
}

void TICustomBasicList::Renumber(int32_t from, int32_t to) {
    for (int32_t i = from; i <= to; ++i)
        if (auto* r = records_[static_cast<size_t>(i)]) {
            r->OldIndex = r->Index;
            r->Index = i;
        }
}

void TICustomBasicList::PlaceItem(const IBasic& item, int32_t index) {
    items_[static_cast<size_t>(index)] = item;
    records_[static_cast<size_t>(index)] = item->AddMembership(this, index);
    ++count_;
}

int32_t TICustomBasicList::Add(const IBasic& item) {
    ListLock hold(*this);
    if (!CheckValid()) return -1;
    if (!item) {
        StoreError(errors::kMissingArgument, {});
        return -1;
    }
    if (item->FindMembership(this)) return item->GetListIndex(*this);
    if (sortFunc_ && count_ > 0) {
        const ICustomBasicList self = SelfInterface();
        int32_t at = count_;
        for (int32_t i = 0; i < count_; ++i) {
            int c = ascending_ ? sortFunc_(self, items_[static_cast<size_t>(i)], item, sortUserData_)
                               : sortFunc_(self, item, items_[static_cast<size_t>(i)], sortUserData_);
            if (c >= 0) {
                at = i;
                break;
            }
        }
        return Insert(item, at);
    }
    NotifyChange(item, true, TChangeType::Added, -1, count_);
    if (count_ == capacity_) Grow();
    int32_t index = count_;
    PlaceItem(item, index);
    NotifyChange(item, false, TChangeType::Added, -1, index);
    return index;
}

int32_t TICustomBasicList::Insert(const IBasic& item, int32_t index) {
    ListLock hold(*this);
    if (!CheckValid()) return -1;
    if (!item) {
        StoreError(errors::kMissingArgument, {});
        return -1;
    }
    if (index < 0) {
        StoreError(errors::kInvalidIndex, std::string(texts::kInvalidIndex));
        return -1;
    }
    if (item->FindMembership(this)) return item->GetListIndex(*this);
    index = std::min(index, count_);
    NotifyChange(item, true, TChangeType::Added, -1, index);
    if (count_ == capacity_) Grow();
    if (index < count_) {
        std::move_backward(items_.begin() + index, items_.begin() + count_, items_.begin() + count_ + 1);
        std::move_backward(records_.begin() + index, records_.begin() + count_, records_.begin() + count_ + 1);
        Renumber(index + 1, count_);
    }
    PlaceItem(item, index);
    NotifyChange(item, false, TChangeType::Added, -1, index);
    return index;
}

bool TICustomBasicList::Delete(int32_t index) {
    ListLock hold(*this);
    if (index < 0 || index >= count_) {
        StoreError(errors::kInvalidIndex, std::string(texts::kInvalidIndex));
        return false;
    }
    SetErrorCode(0);
    // The list holds on to the item until every step below is done.
    const IBasic item = std::exchange(items_[static_cast<size_t>(index)], nullptr);
    TListMembership* record = std::exchange(records_[static_cast<size_t>(index)], nullptr);
    if (item) {
        NotifyChange(item, true, TChangeType::Deleted, index, -1);
        item->ClearListFlags(*this);
        if (record) {
            record->Change = TChangeType::Deleted;
            record->OldIndex = index;
            record->Index = -1;
        }
    }
    --count_;
    std::move(items_.begin() + index + 1, items_.begin() + count_ + 1, items_.begin() + index);
    std::move(records_.begin() + index + 1, records_.begin() + count_ + 1, records_.begin() + index);
    items_[static_cast<size_t>(count_)] = nullptr;
    records_[static_cast<size_t>(count_)] = nullptr;
    Renumber(index, count_ - 1);
    if (item) {
        NotifyChange(item, false, TChangeType::Deleted, index, -1);
        if (record) item->RemoveMembership(record);
    }
    return true;
}

void TICustomBasicList::SetCapacity(int32_t n) {
    ListLock hold(*this);
    n = std::max(n, 0);
    if (n != capacity_) {
        for (int32_t i = count_ - 1; i >= n; --i) Delete(i);
        items_.resize(static_cast<size_t>(n));
        records_.resize(static_cast<size_t>(n), nullptr);
        capacity_ = n;
        count_ = std::min(count_, n);
    }
    SetErrorCode(0);
}

void TICustomBasicList::Pack() {
    ListLock hold(*this);
    for (int32_t i = count_ - 1; i >= 0; --i)
        if (!items_[static_cast<size_t>(i)]) Delete(i);
    SetCapacity(count_);
}

IBasic TICustomBasicList::GetItem(int32_t index) {
    ListLock hold(*this);
    if (index < 0 || index >= count_) throw QorException(std::string(texts::kIndexOutOfRange));
    return items_[static_cast<size_t>(index)];
}

void TICustomBasicList::SetSortAscending(bool ascending) { SetSortParams(sortFunc_, ascending, sortUserData_); }
void TICustomBasicList::SetSortUserData(intptr_t value) { SetSortParams(sortFunc_, ascending_, value); }
void TICustomBasicList::SetSortFunc(TSortFunc func) { SetSortParams(func, true, sortUserData_); }

bool TICustomBasicList::GetSortParams(TSortFunc& func, bool& ascending, intptr_t& userData) {
    ListLock hold(*this);
    func = sortFunc_;
    ascending = ascending_;
    userData = sortUserData_;
    return func != nullptr;
}

bool TICustomBasicList::SetSortParams(TSortFunc func, bool ascending, intptr_t userData) {
    ListLock hold(*this);
    if (!IsValid()) return false;
    if (func != sortFunc_ || ascending != ascending_ || userData != sortUserData_) {
        sortFunc_ = func;
        ascending_ = ascending;
        sortUserData_ = userData;
    }
    if (sortFunc_ && count_ > 0) {
        SortRange(SelfInterface(), 0, count_ - 1);
        Renumber(0, count_ - 1);
    }
    return true;
}

int TICustomBasicList::Compare(const ICustomBasicList& self, int32_t a, int32_t b) const {
    return sortFunc_(self, items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)], sortUserData_);
}

void TICustomBasicList::Swap(int32_t a, int32_t b) {
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
    std::swap(records_[static_cast<size_t>(a)], records_[static_cast<size_t>(b)]);
}

void TICustomBasicList::SortRange(const ICustomBasicList& self, int32_t l, int32_t r) {
    int32_t i = l;
    do {
        i = l;
        int32_t j = r, p = (l + r) / 2;
        do {
            if (ascending_) {
                while (Compare(self, i, p) < 0) ++i;
                while (Compare(self, j, p) > 0) --j;
            } else {
                while (Compare(self, p, i) < 0) ++i;
                while (Compare(self, p, j) > 0) --j;
            }
            if (i <= j) {
                Swap(i, j);
                // The pivot is an item, not a slot: follow it when it moves.
                if (p == i) p = j;
                else if (p == j) p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j) SortRange(self, l, j);
        l = i;
    } while (i < r);
}

int32_t TICustomBasicList::ResortItem(int32_t index) {
    TListMembership* record = records_[static_cast<size_t>(index)];
    if (!sortFunc_) {
        if (record) record->OldIndex = index;
        return index;
    }
    const ICustomBasicList self = SelfInterface();
    auto before = [&](int32_t a, int32_t b) {  // item a sorts after item b
        return ascending_ ? Compare(self, a, b) > 0 : Compare(self, b, a) > 0;
    };
    int32_t to = index;
    while (to + 1 < count_ && before(index, to + 1)) ++to;
    if (to == index)
        while (to > 0 && before(to - 1, index)) --to;
    if (to == index) {
        if (record) record->OldIndex = index;
        return index;
    }
    if (to > index) {
        std::rotate(items_.begin() + index, items_.begin() + index + 1, items_.begin() + to + 1);
        std::rotate(records_.begin() + index, records_.begin() + index + 1, records_.begin() + to + 1);
        Renumber(index, to);
    } else {
        std::rotate(items_.begin() + to, items_.begin() + index, items_.begin() + index + 1);
        std::rotate(records_.begin() + to, records_.begin() + index, records_.begin() + index + 1);
        Renumber(to, index);
    }
    return to;
}

void TICustomBasicList::MarkAllStale() {
    for (int32_t i = 0; i < count_; ++i)
        if (auto* r = records_[static_cast<size_t>(i)]) r->Change = TChangeType::Deleted;
}

void TICustomBasicList::PurgeStale() {
    for (int32_t i = count_ - 1; i >= 0; --i) {
        auto* r = records_[static_cast<size_t>(i)];
        if (!r || r->Change == TChangeType::Deleted) Delete(i);
    }
}

bool TICustomBasicList::RegisterChangeProc(TIListChangeProc proc) {
    ListLock hold(*this);
    if (!CheckValid() || !proc) return false;
    if (std::find(changeProcs_.begin(), changeProcs_.end(), proc) == changeProcs_.end()) changeProcs_.push_back(proc);
    return true;
}

bool TICustomBasicList::RegisterChangeEvent(TIListChangeEvent handler) {
    ListLock hold(*this);
    if (!CheckValid() || !handler.Proc) return false;
    if (std::find(changeEvents_.begin(), changeEvents_.end(), handler) == changeEvents_.end())
        changeEvents_.push_back(handler);
    return true;
}

namespace {
// Walks from the end, replacing each equal entry by the last one.
template <typename T>
bool RemoveEvery(std::vector<T>& entries, const T& value) {
    bool removed = false;
    for (size_t i = entries.size(); i-- > 0;)
        if (entries[i] == value) {
            entries[i] = entries.back();
            entries.pop_back();
            removed = true;
        }
    return removed;
}
}  // namespace

bool TICustomBasicList::UnregisterChangeProc(TIListChangeProc proc) {
    ListLock hold(*this);
    if (RemoveEvery(changeProcs_, proc)) return SetErrorCode(0);
    StoreError(errors::kNotFound, {});
    return false;
}

bool TICustomBasicList::UnregisterChangeEvent(TIListChangeEvent handler) {
    ListLock hold(*this);
    if (RemoveEvery(changeEvents_, handler)) return SetErrorCode(0);
    StoreError(errors::kNotFound, {});
    return false;
}

}  // namespace shell
