#pragma once
// Ordered, lockable lists of basic objects. Each list keeps a membership
// record per item (index, previous index, last change, three flags), an
// optional sort order, and tells registered procedures about every insertion,
// deletion and change before and after it happens.
#include <cstdint>
#include <vector>
#include "shell/basic_object.h"
#include "shell/critical_section.h"

namespace shell {

class TIList;
class TICustomBasicList;
using IList = Ref<TIList>;
using ICustomBasicList = Ref<TICustomBasicList>;

// Told twice of every structural change: before the arrays change and after.
using TIListChangeProc = void (*)(const ICustomBasicList& list, const IBasic& item, bool beforeChange,
                                  TChangeType changeType, int32_t oldIndex, int32_t index);
// A handler bound to an object: equal when procedure and object are equal.
struct TIListChangeEvent {
    using Thunk = void (*)(void* object, const ICustomBasicList& list, const IBasic& item, bool beforeChange,
                           TChangeType changeType, int32_t oldIndex, int32_t index);
    void* Object = nullptr;
    Thunk Proc = nullptr;
    bool operator==(const TIListChangeEvent&) const = default;
};
// A handler that calls Method on object.
template <auto Method, typename C>
TIListChangeEvent ChangeEventOf(C* object) {
    return {object, [](void* o, const ICustomBasicList& list, const IBasic& item, bool before, TChangeType type,
                       int32_t oldIndex, int32_t index) {
                (static_cast<C*>(o)->*Method)(list, item, before, type, oldIndex, index);
            }};
}
// Negative, 0 or positive when the first item sorts before, with or after the second.
using TSortFunc = int (*)(const ICustomBasicList& list, const IBasic& a, const IBasic& b, intptr_t userData);

// Holds a list's lock for one scope, also when the scope ends by an exception.
class ListLock {
public:
    explicit ListLock(TIList& list);
    ~ListLock();
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
private:
    TIList& list_;
};

// The IList operations (slots 28 to 40) follow those of TIBasic.
class TIList : public TIBasic {
public:
    TIList(bool valid, int32_t errorCode, std::string errorText);

    virtual int32_t GetItemCount();                          // 28
    int32_t GetCapacity() const noexcept { return capacity_; }  // 29
    virtual void Pack() = 0;                                 // 30
    virtual bool GetSortAscending() = 0;                     // 31
    virtual intptr_t GetSortUserData() = 0;                  // 32
    virtual void SetSortAscending(bool ascending) = 0;       // 33
    virtual void SetSortUserData(intptr_t value) = 0;        // 34
    virtual void Lock();                                     // 35
    virtual void Unlock();                                   // 36
    int32_t GetSelectedCount() const noexcept { return selectedCount_; }  // 37
    IBasic GetFocusedItem() const { return focused_; }       // 38
    IBasic GetAttachedObject() const { return attached_; }   // 39
    void SetAttachedObject(IBasic object) { attached_ = std::move(object); }  // 40

    virtual void SetCapacity(int32_t n) = 0;
    virtual bool Delete(int32_t index) = 0;
    virtual void Clear();

    bool Implements(const GUID& iid) const noexcept override;

    // The item flags' effects on the list (see TIBasic::SetListSelected).
    void ChangeSelectedCount(int32_t delta) noexcept { selectedCount_ += delta; }
    void SetFocusedItem(TIBasic* item) { focused_ = IBasic(item); }

protected:
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    ICriticalSection lock_;

private:
    int32_t selectedCount_ = 0;
    IBasic focused_;
    IBasic attached_;
};

// The list with items, records, sort order and change notification; the
// ICustomBasicList operations are slots 41 to 49.
class TICustomBasicList : public TIList {
public:
    TICustomBasicList(bool valid, int32_t errorCode, std::string errorText);
    ~TICustomBasicList() override;

    void Pack() override;
    bool GetSortAscending() override { return ascending_; }
    intptr_t GetSortUserData() override { return sortUserData_; }
    void SetSortAscending(bool ascending) override;
    void SetSortUserData(intptr_t value) override;

    // Not virtual: a shell object's own GetItem (its children, answering an
    // invalid object out of range) hides it, while the list's raises.
    IBasic GetItem(int32_t index);                           // 41
    virtual TSortFunc GetSortFunc() { return sortFunc_; }    // 42
    virtual void SetSortFunc(TSortFunc func);                // 43
    virtual bool GetSortParams(TSortFunc& func, bool& ascending, intptr_t& userData);  // 44
    virtual bool SetSortParams(TSortFunc func, bool ascending, intptr_t userData);     // 45
    bool RegisterChangeProc(TIListChangeProc proc);          // 46
    bool RegisterChangeEvent(TIListChangeEvent handler);     // 47
    bool UnregisterChangeProc(TIListChangeProc proc);        // 48
    bool UnregisterChangeEvent(TIListChangeEvent handler);   // 49

    // Reached through the class (the shell object uses them).
    int32_t Add(const IBasic& item);
    int32_t Insert(const IBasic& item, int32_t index);
    bool Delete(int32_t index) override;
    void SetCapacity(int32_t n) override;
    void MarkAllStale();
    void PurgeStale();
    // Moves the item at index to its sorted place after its sort key changed;
    // the caller holds the lock. Answers the new index.
    int32_t ResortItem(int32_t index);

    bool Implements(const GUID& iid) const noexcept override;

protected:
    // The list's own interface as notifications hand it out.
    virtual ICustomBasicList SelfInterface() { return ICustomBasicList(this); }
    void NotifyChange(const IBasic& item, bool before, TChangeType type, int32_t oldIndex, int32_t index);
    TListMembership* RecordAt(int32_t index) const { return records_[static_cast<size_t>(index)]; }
    const IBasic& ItemAt(int32_t index) const { return items_[static_cast<size_t>(index)]; }

private:
    void Grow();
    void PlaceItem(const IBasic& item, int32_t index);
    void SortRange(const ICustomBasicList& self, int32_t l, int32_t r);
    int Compare(const ICustomBasicList& self, int32_t a, int32_t b) const;
    void Swap(int32_t a, int32_t b);
    void Renumber(int32_t from, int32_t to);

    std::vector<TIListChangeProc> changeProcs_;
    std::vector<TIListChangeEvent> changeEvents_;
    std::vector<IBasic> items_;
    std::vector<TListMembership*> records_;
    TSortFunc sortFunc_ = nullptr;
    bool ascending_ = false;
    intptr_t sortUserData_ = 0;
};

}  // namespace shell
