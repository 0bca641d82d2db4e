#pragma once
// One shell item ID list (the shell's path of an object in its namespace:
// items that each begin with their 16-bit byte count, then a 16-bit zero),
// owned by a basic object. Its memory comes from and goes back to the
// shell's task allocator.
#include <windows.h>
#include <shlobj.h>
#include <cstdint>
#include "shell/basic_object.h"

namespace shell {

class TIIDList;
using IIDList = Ref<TIIDList>;

// Memory of the shell's task allocator, freed with it.
struct TaskMemFree {
    void operator()(void* p) const noexcept { ::CoTaskMemFree(p); }
};

class TIIDList final : public TIBasic {
public:
    // A valid list takes over the buffer, or copies it with copy set; a valid
    // list without a buffer becomes invalid with error 87.
    TIIDList(bool valid, int32_t errorCode, std::string errorText, LPITEMIDLIST buffer, bool copy);
    ~TIIDList() override;

    LPITEMIDLIST GetPidl() const noexcept { return buffer_; }  // 28
    int32_t GetSize();                                       // 29
    IIDList GetLastItem();                                   // 30
    IIDList GetParentList();                                 // 31
    bool IsEqual(const IIDList& other);                      // 32
    IIDList Concat(const IIDList& other);                    // 33
    IIDList Clone();                                         // 34
    bool GetProtected() const noexcept { return protected_; }  // 35
    void SetProtected(bool flag);                            // 36
    IIDList RemoveLastItem();                                // 37
    void Append(const IIDList& other);                       // 38

    bool Implements(const GUID& iid) const noexcept override;

private:
    void Measure();
    void Split();
    int32_t LastItemOffset();
    uint16_t LastItemCount();

    LPITEMIDLIST buffer_ = nullptr;
    bool protected_ = false;
    bool sizeKnown_ = false;
    int32_t size_ = 0;
    bool lastKnown_ = false;
    int32_t lastOffset_ = 0;   // where the last item starts in the buffer
    bool split_ = false;
    IIDList parent_;
    IIDList last_;
};

// A list for the buffer: the new object owns it, or a copy of it with copy set.
IIDList MakeIDList(LPITEMIDLIST buffer, bool copy);
// An invalid list carrying this error.
IIDList InvalidIDList(int32_t errorCode, std::string errorText);
// The byte count of an ID list up to and including its terminator (2 for the empty list).
int32_t IDListSize(LPCITEMIDLIST pidl) noexcept;

}  // namespace shell
