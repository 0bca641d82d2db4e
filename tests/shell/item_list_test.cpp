#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>
#include "shell/item_list.h"

using namespace shell;

namespace {

// A list whose lock the test can look at.
class ProbeList : public TICustomBasicList {
public:
    ProbeList() : TICustomBasicList(true, 0, {}) {}
    bool LockHeld() const { return lock_->GetLockCount() != 0; }
};

using Note = std::tuple<std::string, bool, TChangeType, int32_t, int32_t>;   // item tag, before, type, old, new
std::vector<Note> notes;
int comparisons = 0;

void Record(const ICustomBasicList&, const IBasic& item, bool before, TChangeType type, int32_t oldIndex, int32_t index) {
    notes.emplace_back(item->GetTagText(), before, type, oldIndex, index);
}

int ByTag(const ICustomBasicList&, const IBasic& a, const IBasic& b, intptr_t) {
    ++comparisons;
    return a->GetTagText().compare(b->GetTagText());
}

IBasic Item(const std::string& tag) {
    IBasic item = Make<TIBasic>(true, 0, "");
    item->SetTagText(tag);
    return item;
}

std::string Tags(TICustomBasicList& list) {
    std::string out;
    for (int32_t i = 0; i < list.GetItemCount(); ++i) out += list.GetItem(i)->GetTagText();
    return out;
}

class ItemList : public ::testing::Test {
protected:
    void SetUp() override {
        notes.clear();
        comparisons = 0;
        list = Make<ProbeList>();
        list->RegisterChangeProc(Record);
    }
    Ref<ProbeList> list;
};

}  // namespace

TEST_F(ItemList, AddingTheSameItemTwiceAnswersItsIndexAndNotifiesOnce) {
    IBasic a = Item("a");
    EXPECT_EQ(list->Add(Item("x")), 0);
    notes.clear();
    EXPECT_EQ(list->Add(a), 1);
    EXPECT_EQ(list->Add(a), 1);
    EXPECT_EQ(notes, (std::vector<Note>{{"a", true, TChangeType::Added, -1, 1}, {"a", false, TChangeType::Added, -1, 1}}));
    EXPECT_EQ(a->GetListIndex(*list), 1);
    EXPECT_EQ(a->GetListChange(*list), TChangeType::Added);
    EXPECT_EQ(a->GetListOldIndex(*list), -1);
    EXPECT_EQ(list->Add(IBasic()), -1);
    EXPECT_EQ(list->GetErrorCode(), errors::kMissingArgument);
}

TEST_F(ItemList, SortedAddsFindTheirPlace) {
    list->SetSortFunc(ByTag);
    EXPECT_TRUE(list->GetSortAscending());
    EXPECT_EQ(list->Add(Item("m")), 0);
    EXPECT_EQ(comparisons, 0);                     // an empty list needs no comparison
    list->Add(Item("c"));
    list->Add(Item("x"));
    IBasic second = Item("m");
    EXPECT_EQ(list->Add(second), 1);               // before the first equal item
    EXPECT_EQ(Tags(*list), "cmmx");
    EXPECT_EQ(list->GetItem(1), second);

    list->SetSortAscending(false);
    EXPECT_EQ(Tags(*list), "xmmc");
    list->Add(Item("d"));
    EXPECT_EQ(Tags(*list), "xmmdc");
    for (int32_t i = 0; i < list->GetItemCount(); ++i) EXPECT_EQ(list->GetItem(i)->GetListIndex(*list), i);
}

TEST_F(ItemList, SortingARandomListOrdersItAndRenumbersTheRecords) {
    const std::string tags = "qwertyuiopasdfghjklzxcvbnmqwerty";
    for (char c : tags) list->Add(Item(std::string(1, c)));
    list->SetSortParams(ByTag, true, 0);
    std::string sorted = tags;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(Tags(*list), sorted);
    for (int32_t i = 0; i < list->GetItemCount(); ++i) EXPECT_EQ(list->GetItem(i)->GetListIndex(*list), i);
    TSortFunc f = nullptr;
    bool ascending = false;
    intptr_t user = 1;
    EXPECT_TRUE(list->GetSortParams(f, ascending, user));
    EXPECT_EQ(f, ByTag);
    EXPECT_TRUE(ascending);
    EXPECT_EQ(user, 0);
}

TEST_F(ItemList, ResortItemMovesAChangedKeyToItsPlace) {
    list->SetSortFunc(ByTag);
    for (const char* t : {"a", "c", "e", "g"}) list->Add(Item(t));
    IBasic moved = list->GetItem(0);
    moved->SetTagText("f");
    list->Lock();
    EXPECT_EQ(list->ResortItem(0), 2);
    list->Unlock();
    EXPECT_EQ(Tags(*list), "cefg");
    EXPECT_EQ(moved->GetListIndex(*list), 2);
    EXPECT_EQ(moved->GetListOldIndex(*list), 0);
    EXPECT_EQ(list->GetItem(0)->GetListOldIndex(*list), 1);
    moved->SetTagText("b");
    list->Lock();
    EXPECT_EQ(list->ResortItem(2), 0);
    EXPECT_EQ(list->ResortItem(0), 0);
    list->Unlock();
    EXPECT_EQ(Tags(*list), "bceg");
}

TEST_F(ItemList, CapacityGrowsBySixteenThenByHalf) {
    std::vector<int32_t> capacities;
    for (int i = 0; i < 40; ++i) {
        list->Add(Item("i"));
        if (capacities.empty() || capacities.back() != list->GetCapacity()) capacities.push_back(list->GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{16, 24, 36, 54}));
    Ref<ProbeList> small = Make<ProbeList>();
    small->SetCapacity(5);
    for (int i = 0; i < 6; ++i) small->Add(Item("i"));
    EXPECT_EQ(small->GetCapacity(), 16);
}

TEST_F(ItemList, InsertAppendsBeyondTheEndAndRefusesNegativeIndices) {
    list->Add(Item("a"));
    list->Add(Item("b"));
    EXPECT_EQ(list->Insert(Item("z"), 99), 2);
    EXPECT_EQ(list->Insert(Item("x"), 1), 1);
    EXPECT_EQ(Tags(*list), "axbz");
    EXPECT_EQ(list->GetItem(2)->GetListOldIndex(*list), 1);
    EXPECT_EQ(list->Insert(Item("n"), -1), -1);
    EXPECT_EQ(list->GetErrorText(), "Invalid index.");
}

TEST_F(ItemList, DeletingTheOnlyItemEndsItsMembership) {
    IBasic a = Item("a");
    list->Add(a);
    notes.clear();
    EXPECT_TRUE(list->Delete(0));
    EXPECT_EQ(notes,
              (std::vector<Note>{{"a", true, TChangeType::Deleted, 0, -1}, {"a", false, TChangeType::Deleted, 0, -1}}));
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(a->FindMembership(list.get()), nullptr);
    EXPECT_EQ(a->GetListIndex(*list), -1);
    EXPECT_EQ(a->GetErrorCode(), errors::kNotFound);
    EXPECT_EQ(a->RefCount(), 1);
    EXPECT_FALSE(list->Delete(0));
    EXPECT_EQ(list->GetErrorText(), "Invalid index.");
}

TEST_F(ItemList, GetItemOutOfRangeRaisesAndLeavesTheListUnlocked) {
    list->Add(Item("a"));
    for (int32_t index : {1, -1}) {
        try {
            list->GetItem(index);
            FAIL() << "no exception for " << index;
        } catch (const QorException& e) {
            EXPECT_STREQ(e.what(), "Index out of range.");
        }
        EXPECT_FALSE(list->LockHeld());
    }
}

TEST_F(ItemList, SelectionAndFocusFollowDeletion) {
    IBasic a = Item("a"), b = Item("b");
    list->Add(a);
    list->Add(b);
    a->SetListSelected(*list, true);
    a->SetListSelected(*list, true);
    b->SetListSelected(*list, true);
    EXPECT_EQ(list->GetSelectedCount(), 2);
    a->SetListFocused(*list, true);
    b->SetListFocused(*list, true);               // does not clear a's flag
    EXPECT_TRUE(a->GetListFocused(*list));
    EXPECT_EQ(list->GetFocusedItem(), b);
    a->SetListFocused(*list, false);               // not the focused item: stays
    EXPECT_EQ(list->GetFocusedItem(), b);
    list->Delete(1);
    EXPECT_EQ(list->GetSelectedCount(), 1);
    EXPECT_FALSE(list->GetFocusedItem());
    a->SetListMarked(*list, true);
    EXPECT_TRUE(a->GetListMarked(*list));
    IBasic stranger = Item("s");
    EXPECT_EQ(stranger->GetListIndex(*list), -1);
    EXPECT_EQ(stranger->GetErrorCode(), errors::kNotFound);
    stranger->SetListSelected(*list, true);
    EXPECT_EQ(list->GetSelectedCount(), 1);
}

TEST_F(ItemList, RegistrationsAreKeptOnceAndRemovedWhole) {
    EXPECT_TRUE(list->RegisterChangeProc(Record));
    EXPECT_TRUE(list->UnregisterChangeProc(Record));
    EXPECT_FALSE(list->UnregisterChangeProc(Record));
    EXPECT_EQ(list->GetErrorCode(), errors::kNotFound);
    list->Add(Item("a"));
    EXPECT_TRUE(notes.empty());

    struct Listener {
        int heard = 0;
        void OnChange(const ICustomBasicList& l, const IBasic&, bool, TChangeType, int32_t, int32_t) {
            heard += l->GetItemCount() >= 0;
        }
    } listener, other;
    EXPECT_TRUE(list->RegisterChangeEvent(ChangeEventOf<&Listener::OnChange>(&listener)));
    EXPECT_TRUE(list->RegisterChangeEvent(ChangeEventOf<&Listener::OnChange>(&listener)));
    EXPECT_TRUE(list->RegisterChangeEvent(ChangeEventOf<&Listener::OnChange>(&other)));
    list->Add(Item("b"));
    EXPECT_EQ(listener.heard, 2);
    EXPECT_EQ(other.heard, 2);
    EXPECT_TRUE(list->UnregisterChangeEvent(ChangeEventOf<&Listener::OnChange>(&listener)));
    EXPECT_FALSE(list->UnregisterChangeEvent(ChangeEventOf<&Listener::OnChange>(&listener)));
    list->Add(Item("c"));
    EXPECT_EQ(listener.heard, 2);
    EXPECT_EQ(other.heard, 4);
}

TEST_F(ItemList, PurgingEveryStaleItemEmptiesTheListNewestFirst) {
    for (const char* t : {"a", "b", "c"}) list->Add(Item(t));
    IBasic kept = list->GetItem(1);
    list->MarkAllStale();
    EXPECT_EQ(kept->GetListChange(*list), TChangeType::Deleted);
    notes.clear();
    list->PurgeStale();
    EXPECT_EQ(list->GetItemCount(), 0);
    std::vector<int32_t> order;
    for (const auto& n : notes)
        if (std::get<1>(n)) order.push_back(std::get<3>(n));
    EXPECT_EQ(order, (std::vector<int32_t>{2, 1, 0}));
}

TEST_F(ItemList, PackDropsEmptySlotsAndTheListReleasesItsItems) {
    IBasic a = Item("a");
    const TIList* raw = list.get();
    list->Add(a);
    list->Add(Item("b"));
    list->Pack();
    EXPECT_EQ(list->GetCapacity(), 2);
    EXPECT_EQ(a->RefCount(), 2);
    list.reset();                                   // no handler hears of it
    EXPECT_EQ(a->RefCount(), 1);
    EXPECT_EQ(a->FindMembership(raw), nullptr);
}

TEST_F(ItemList, ListsAnswerToTheirInterfaces) {
    IBasic out;
    EXPECT_EQ(list->QueryInterface(iids::kCustomBasicList, out), S_OK);
    EXPECT_EQ(list->QueryInterface(iids::kList, out), S_OK);
    EXPECT_EQ(list->QueryInterface(iids::kIDList, out), E_NOINTERFACE);
    EXPECT_EQ(out.As<TICustomBasicList>(), list);
}
