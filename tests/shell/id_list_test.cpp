#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "shell/id_list.h"

using namespace shell;

namespace {

// An ID list in the task allocator's memory with items of these byte counts.
LPITEMIDLIST Pidl(std::vector<uint16_t> counts) {
    size_t size = 2;
    for (auto c : counts) size += c;
    auto* p = static_cast<uint8_t*>(::CoTaskMemAlloc(size));
    std::memset(p, 0, size);
    size_t at = 0;
    uint8_t fill = 1;
    for (auto c : counts) {
        std::memcpy(p + at, &c, 2);
        std::memset(p + at + 2, fill++, c - 2u);
        at += c;
    }
    return reinterpret_cast<LPITEMIDLIST>(p);
}

}  // namespace

TEST(IDList, TheEmptyListIsTheDesktop) {
    IIDList empty = MakeIDList(Pidl({}), false);
    EXPECT_EQ(empty->GetSize(), 2);
    EXPECT_EQ(empty->GetLastItem()->GetSize(), 2);
    IIDList parent = empty->GetParentList();
    EXPECT_FALSE(parent->IsValid());
    EXPECT_EQ(parent->GetErrorText(), "This object is invalid.");
    EXPECT_EQ(empty->GetParentList(), parent);     // kept and answered again
}

TEST(IDList, SizeParentAndLastItem) {
    IIDList list = MakeIDList(Pidl({14, 20}), false);
    EXPECT_EQ(list->GetSize(), 36);
    IIDList parent = list->GetParentList(), last = list->GetLastItem();
    EXPECT_EQ(parent->GetSize(), 16);
    EXPECT_EQ(last->GetSize(), 22);
    EXPECT_TRUE(parent->GetProtected());
    EXPECT_TRUE(last->GetProtected());
    EXPECT_TRUE(parent->Concat(last)->IsEqual(list));
    IIDList one = MakeIDList(Pidl({14}), false);
    EXPECT_EQ(one->GetParentList()->GetSize(), 2);
}

TEST(IDList, ProtectionIsOneWay) {
    IIDList list = MakeIDList(Pidl({14, 20}), false);
    IIDList last = list->GetLastItem();
    last->SetProtected(false);
    EXPECT_EQ(last->GetErrorText(), "You can't unprotect an ID list.");
    EXPECT_TRUE(last->GetProtected());
    last->Append(list);
    EXPECT_EQ(last->GetErrorCode(), errors::kProtected);
    EXPECT_EQ(last->GetErrorText(), "This ID list is protected!");
    EXPECT_EQ(last->GetSize(), 22);
    EXPECT_FALSE(last->RemoveLastItem()->IsValid());
}

TEST(IDList, ConcatCloneAndEquality) {
    IIDList list = MakeIDList(Pidl({14, 20}), false);
    IIDList empty = MakeIDList(Pidl({}), false);
    IIDList joined = list->Concat(empty);
    EXPECT_TRUE(joined->IsEqual(list));
    EXPECT_NE(joined->GetPidl(), list->GetPidl());
    EXPECT_EQ(empty->Concat(list)->GetSize(), 36);
    EXPECT_FALSE(list->IsEqual(IIDList()));
    EXPECT_EQ(list->GetErrorCode(), errors::kMissingArgument);
    EXPECT_FALSE(list->Concat(InvalidIDList(1, "x"))->IsValid());

    list->GetLastItem();
    IIDList clone = list->Clone();
    EXPECT_FALSE(clone->GetProtected());
    EXPECT_TRUE(clone->IsEqual(list));
    EXPECT_TRUE(clone->GetLastItem()->GetProtected());
    EXPECT_NE(clone->GetLastItem(), list->GetLastItem());
    EXPECT_EQ(InvalidIDList(5, "gone")->Clone()->GetErrorText(), "gone");

    // A copy made from a caller's buffer is the list's own.
    LPITEMIDLIST mine = Pidl({14});
    IIDList copy = MakeIDList(mine, true);
    EXPECT_NE(copy->GetPidl(), mine);
    EXPECT_EQ(copy->GetSize(), 16);
    ::CoTaskMemFree(mine);
    EXPECT_FALSE(MakeIDList(nullptr, false)->IsValid());
}

TEST(IDList, RemoveLastItemAndAppend) {
    IIDList one = MakeIDList(Pidl({14}), false);
    IIDList item = one->RemoveLastItem();
    EXPECT_EQ(one->GetSize(), 2);
    EXPECT_EQ(item->GetSize(), 16);
    EXPECT_TRUE(item->GetProtected());
    IIDList gone = one->RemoveLastItem();
    EXPECT_EQ(gone->GetSize(), 2);
    EXPECT_FALSE(one->IsValid());

    IIDList two = MakeIDList(Pidl({14, 20}), false);
    IIDList keptLast = two->GetLastItem();
    EXPECT_EQ(two->RemoveLastItem(), keptLast);    // the split parts answer
    EXPECT_EQ(two->GetSize(), 16);
    EXPECT_EQ(two->GetLastItem()->GetSize(), 16);

    two->Append(MakeIDList(Pidl({8, 6}), false));
    EXPECT_EQ(two->GetSize(), 30);
    EXPECT_EQ(two->GetLastItem()->GetSize(), 8);   // the 6-byte item and a terminator
    two->Append(MakeIDList(Pidl({}), false));
    EXPECT_EQ(two->GetSize(), 30);
    EXPECT_EQ(two->GetLastItem()->GetSize(), 8);
    EXPECT_EQ(two->GetParentList()->GetSize(), 24);
}
