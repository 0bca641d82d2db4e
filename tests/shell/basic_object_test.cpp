#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "shell/basic_object.h"
#include "shell/critical_section.h"
#include "shell/item_list.h"

using namespace shell;

namespace {

class Tracked : public TIBasic {
public:
    explicit Tracked(bool* destroyed, bool valid = true, int32_t code = 0, std::string text = {})
        : TIBasic(valid, code, std::move(text)), destroyed_(destroyed) {}
    ~Tracked() override { *destroyed_ = true; }
private:
    bool* destroyed_;
};

std::vector<uintptr_t> released;
void ReleaseHandle(uintptr_t& h) { released.push_back(h); }
void ReleaseHandleEx(uintptr_t user, uintptr_t& h) { released.push_back(h + user); }

}  // namespace

TEST(BasicObject, TheCreatorsReferenceOwnsTheObject) {
    bool destroyed = false;
    {
        Ref<Tracked> first = Make<Tracked>(&destroyed);
        EXPECT_EQ(first->RefCount(), 1);
        IBasic second = first;
        EXPECT_EQ(first->RefCount(), 2);
        second.reset();
        EXPECT_FALSE(destroyed);
        EXPECT_EQ(first->RefCount(), 1);
    }
    EXPECT_TRUE(destroyed);
}

TEST(BasicObject, DestroyingAnObjectWithOtherReferencesRaises) {
    bool destroyed = false;
    Ref<Tracked> owner = Make<Tracked>(&destroyed);
    IBasic other = owner;
    try {
        DestroyLast(owner);
        FAIL() << "no exception";
    } catch (const QorException& e) {
        EXPECT_STREQ(e.what(), "Interface with reference count >0 destroyed.");
    }
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(owner);
    other.reset();
    DestroyLast(owner);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(owner);
}

TEST(BasicObject, AnInvalidObjectKeepsItsErrorAndRefusesHandles) {
    bool destroyed = false;
    Ref<Tracked> o = Make<Tracked>(&destroyed, false, 1234, "made invalid");
    EXPECT_FALSE(o->IsValid());
    EXPECT_FALSE(o->GetSuccess());
    EXPECT_EQ(o->GetErrorCode(), 1234);
    EXPECT_EQ(o->GetErrorText(), "made invalid");
    released.clear();
    o->SetOwnedHandle(7, ReleaseHandle);
    EXPECT_EQ(o->GetOwnedHandle(), 0u);
    EXPECT_EQ(o->GetErrorCode(), errors::kInvalidObject);
    EXPECT_EQ(o->GetErrorText(), "This object is invalid.");
    // A valid object ignores the code and message it is created with.
    IBasic v = Make<TIBasic>(true, 99, "ignored");
    EXPECT_TRUE(v->GetSuccess());
    EXPECT_EQ(v->GetErrorCode(), 0);
    EXPECT_EQ(v->GetErrorText(), "");
}

TEST(BasicObject, ErrorStateOperations) {
    IBasic o = Make<TIBasic>(true, 0, "");
    o->StoreError(7, "seven");
    EXPECT_TRUE(o->SetErrorCode(0));
    EXPECT_EQ(o->GetErrorText(), "");
    EXPECT_TRUE(o->GetSuccess());
    o->StoreError(7, "seven");
    o->SetErrorText("");
    EXPECT_EQ(o->GetErrorCode(), 0);
    EXPECT_TRUE(o->GetSuccess());
    o->SetErrorText("text without a code");
    EXPECT_TRUE(o->GetSuccess());
    // An empty message is looked up once, on its first read.
    o->StoreError(5, "");
    EXPECT_FALSE(o->GetSuccess());
    const std::string text = o->GetErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(o->GetErrorText(), text);
    o->StoreError(errors::kProtected, "");
    EXPECT_EQ(o->GetErrorText(), "This ID list is protected!");
    o->SetTagText("tag");
    EXPECT_EQ(o->GetTagText(), "tag");
}

TEST(BasicObject, OwnedHandlesAreReleasedThroughTheirProcedure) {
    released.clear();
    {
        IBasic o = Make<TIBasic>(true, 0, "");
        o->SetOwnedHandle(1, ReleaseHandle);
        o->ReplaceOwnedHandle(2);                  // keeps the procedure
        o->SetOwnedHandleEx(3, ReleaseHandleEx, 100);
        EXPECT_EQ(o->GetOwnedHandle(), 3u);
        EXPECT_EQ(released, (std::vector<uintptr_t>{1, 2}));
    }
    EXPECT_EQ(released, (std::vector<uintptr_t>{1, 2, 103}));
}

TEST(BasicObject, QueryInterfaceAnswersForTheFamilyOnly) {
    IBasic o = Make<TIBasic>(true, 0, "");
    IBasic out;
    EXPECT_EQ(o->QueryInterface(iids::kBasic, out), S_OK);
    EXPECT_EQ(out, o);
    EXPECT_EQ(o->QueryInterface(iids::kUnknown, out), S_OK);
    EXPECT_TRUE(o->SupportsInterface(iids::kBasic));
    EXPECT_EQ(o->RefCount(), 2);   // the held result only; the test's probe was dropped
    IBasic none;
    EXPECT_EQ(o->QueryInterface(iids::kList, none), E_NOINTERFACE);
    EXPECT_FALSE(none);
    EXPECT_EQ(o->GetErrorCode(), errors::kNoInterface);
    EXPECT_FALSE(o->SupportsInterface(iids::kShellObj));
    EXPECT_FALSE(o->GetSuccess());
}

TEST(CriticalSection, EntriesAreCountedPerOwner) {
    ICriticalSection cs = NewCriticalSection();
    EXPECT_EQ(cs->GetOwnerThread(), 0u);
    cs->Enter();
    cs->Enter();
    EXPECT_EQ(cs->GetLockCount(), 2u);
    EXPECT_TRUE(cs->Leave());
    EXPECT_TRUE(cs->IsOwnedByCurrentThread());
    EXPECT_EQ(cs->GetLockCount(), 1u);

    bool leftByOther = true, triedByOther = true;
    int32_t leaveCode = 0, tryCode = 0;
    std::string leaveText, tryText;
    std::thread other([&] {
        leftByOther = cs->Leave();
        leaveCode = cs->GetErrorCode();
        leaveText = cs->GetErrorText();
        triedByOther = cs->TryEnter();
        tryCode = cs->GetErrorCode();
        tryText = cs->GetErrorText();
    });
    other.join();
    EXPECT_FALSE(leftByOther);
    EXPECT_EQ(leaveCode, errors::kSectionOwnedByOther);
    EXPECT_EQ(leaveText, "The critical section is owned by another thread.");
    EXPECT_FALSE(triedByOther);
    EXPECT_EQ(tryCode, errors::kSectionAlreadyOwned);
    EXPECT_EQ(tryText, "The critical section is already owned by another thread.");
    EXPECT_TRUE(cs->IsOwnedByCurrentThread());
    EXPECT_EQ(cs->GetLockCount(), 1u);

    EXPECT_TRUE(cs->Leave());
    EXPECT_EQ(cs->GetOwnerThread(), 0u);
    EXPECT_FALSE(cs->Leave());
    EXPECT_TRUE(cs->TryEnter());
    EXPECT_TRUE(cs->Leave());
}

TEST(CriticalSection, FoldersAreTheSystemsOwn) {
    char windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    ::GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(GetWindowsFolder(), windows);
    EXPECT_EQ(GetSystemFolder(), system);
    EXPECT_NE(GetWindowsFolder().back(), '\\');
}
