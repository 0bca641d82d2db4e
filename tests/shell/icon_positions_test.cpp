#include <gtest/gtest.h>
#include <memory>
#include "desktop_files.h"
#include "shell/icon_positions.h"
#include "shell/shell_obj.h"
#include "support/e2e.h"

using namespace shell;
using shelltest::DesktopFiles;

namespace {

constexpr UINT kShellViewHang = WM_APP + 1;
constexpr UINT kShellViewQuit = WM_APP + 4;

int changed = 0;
void CountChanged(const ICustomBasicList&, const IBasic&, bool before, TChangeType type, int32_t, int32_t) {
    changed += before && type == TChangeType::Changed;
}

// Two desktop files and the shell's list view, built by a helper process,
// with an item for each file (the second in other case), a second item of
// the first file's name, and an item of no file.
class IconPositions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindDesktopListView(), nullptr) << "a desktop list view is already there";
        files_.File("iconpos-alpha.txt");
        files_.File("iconpos-beta.txt");
        IShellObj desktop = GetDesktopShellObj();
        alphaName_ = desktop->FindChild("iconpos-alpha.txt")->GetDisplayName();
        betaName_ = desktop->FindChild("iconpos-beta.txt")->GetDisplayName();
        ASSERT_FALSE(alphaName_.empty());
        ASSERT_FALSE(betaName_.empty());
    }
    void TearDown() override {
        if (view_) {
            if (HWND progman = ::FindWindowA("Progman", "Program Manager")) ::PostMessageA(progman, kShellViewQuit, 0, 0);
            if (view_->Wait(5000) < 0) view_->Kill();
        }
        EXPECT_TRUE(e2e::WaitUntil([] { return FindDesktopListView() == nullptr; }));
    }
    void StartShellView() {
        std::string upperBeta = betaName_;
        for (char& c : upperBeta) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
        const std::string args = Item(alphaName_, 100, 50) + Item(upperBeta, 300, 120) + Item(alphaName_, 500, 400) +
                                 Item("Not a file", 700, 40);
        view_ = std::make_unique<e2e::ChildProcess>(e2e::BinDir() + "shellview.exe", args);
        ASSERT_NE(e2e::WaitForWindow("shellview ready", {}, view_->Pid(), 10000), nullptr);
        ASSERT_NE(FindDesktopListView(), nullptr);
    }
    static std::string Item(const std::string& text, int x, int y) {
        return " --item \"" + text + "\" " + std::to_string(x) + " " + std::to_string(y);
    }
    static POINT PositionOf(const IShellObj& desktop, const std::string& file) {
        IShellObj child = desktop->FindChild(file);
        EXPECT_TRUE(child->IsValid()) << file;
        return child->GetIconPosition();
    }

    DesktopFiles files_;
    std::string alphaName_, betaName_;
    std::unique_ptr<e2e::ChildProcess> view_;
};

bool At(POINT p, int x, int y) { return p.x == x && p.y == y; }

}  // namespace

TEST(IconPositionPacking, XTakesTheLowWordWithoutDisturbingY) {
    EXPECT_EQ(PackIconPosition(-20, 260), static_cast<LPARAM>(0x0104FFEC));
    EXPECT_EQ(PackIconPosition(100, 50), static_cast<LPARAM>(MAKELPARAM(100, 50)));
    EXPECT_EQ(PackIconPosition(0, -1), static_cast<LPARAM>(0xFFFF0000u));
    std::vector<TIconItem> items = {{"a", 1, 2, 0}, {"A", 3, 4, 0}, {"a", 5, 6, 0}};
    EXPECT_EQ(FindIconItem(items, "a"), &items[0]);
    EXPECT_EQ(FindIconItem(items, "A"), &items[1]);
    EXPECT_EQ(FindIconItem(items, "b"), nullptr);
}

TEST_F(IconPositions, WithoutTheShellsListViewNoChildIsADesktopItem) {
    EXPECT_TRUE(ReadDesktopListItems().empty());
    IShellObj desktop = GetDesktopShellObj();
    ASSERT_GT(desktop->GetItemCount(), 0);
    for (int32_t i = 0; i < desktop->GetItemCount(); ++i) {
        IShellObj child = desktop->GetItem(i);
        EXPECT_FALSE(child->IsDesktopItem());
        EXPECT_TRUE(At(child->GetIconPosition(), -1, -1));
    }
    IShellObj alpha = desktop->FindChild("iconpos-alpha.txt");
    alpha->SetDesktopIconPosition({10, 10});
    EXPECT_EQ(alpha->GetErrorCode(), errors::kNoDesktopItem);
    EXPECT_EQ(alpha->GetErrorText(), "This is no desktop item!");
}

TEST_F(IconPositions, ItemsAreReadInListViewOrderAndMatchedByExactName) {
    StartShellView();
    std::vector<TIconItem> items = ReadDesktopListItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Text, alphaName_);
    EXPECT_TRUE(items[0].X == 100 && items[0].Y == 50);
    EXPECT_TRUE(items[2].X == 500 && items[2].Y == 400);
    EXPECT_EQ(items[3].Text, "Not a file");

    IShellObj desktop = GetDesktopShellObj();
    IShellObj alpha = desktop->FindChild("iconpos-alpha.txt");
    EXPECT_TRUE(alpha->IsDesktopItem());
    EXPECT_TRUE(At(alpha->GetIconPosition(), 100, 50));     // the first item of that name
    IShellObj beta = desktop->FindChild("iconpos-beta.txt");
    EXPECT_TRUE(beta->IsDesktopItem());
    EXPECT_TRUE(At(beta->GetIconPosition(), -1, -1));       // its item differs in case
    IShellObj computer = desktop->FindChild("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_TRUE(computer->IsDesktopItem());
    EXPECT_TRUE(At(computer->GetIconPosition(), -1, -1));
    // A child of another folder is never a desktop item.
    IShellObj other = GetSpecialFolderShellObj(20);
    ASSERT_GT(other->GetItemCount(), 0);
    IShellObj elsewhere = other->GetItem(0);
    elsewhere->SetDesktopIconPosition({1, 1});
    EXPECT_EQ(elsewhere->GetErrorCode(), errors::kNoDesktopItem);
}

TEST_F(IconPositions, MovesFindTheFirstItemOfTheNameWithoutRegardToCase) {
    StartShellView();
    IShellObj desktop = GetDesktopShellObj();
    IShellObj alpha = desktop->FindChild("iconpos-alpha.txt");
    alpha->SetDesktopIconPosition({-20, 260});
    EXPECT_TRUE(alpha->GetSuccess()) << alpha->GetErrorCode();
    EXPECT_TRUE(At(alpha->GetIconPosition(), 100, 50)) << alpha->GetIconPosition().x << "," << alpha->GetIconPosition().y;  // the object keeps what it read
    IShellObj beta = desktop->FindChild("iconpos-beta.txt");
    beta->SetDesktopIconPosition({640, 480});
    EXPECT_TRUE(beta->GetSuccess()) << beta->GetErrorCode() << " " << betaName_;

    std::vector<TIconItem> items = ReadDesktopListItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].X == -20 && items[0].Y == 260) << items[0].X << "," << items[0].Y;
    EXPECT_TRUE(items[1].X == 640 && items[1].Y == 480);
    EXPECT_TRUE(items[2].X == 500 && items[2].Y == 400);     // the second item of alpha's name stays
    POINT now = PositionOf(GetDesktopShellObj(), "iconpos-alpha.txt");
    EXPECT_TRUE(At(now, -20, 260)) << now.x << "," << now.y;
}

TEST_F(IconPositions, ARefreshReportsTheIconsThatMoved) {
    StartShellView();
    IShellObj desktop = GetDesktopShellObj();
    const int32_t count = desktop->GetItemCount();
    IShellObj alpha = desktop->FindChild("iconpos-alpha.txt");
    alpha->SetDesktopIconPosition({220, 330});
    ASSERT_TRUE(alpha->GetSuccess());
    changed = 0;
    desktop->RegisterChangeProc(CountChanged);
    ASSERT_TRUE(desktop->Refresh());
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(desktop->GetItemCount(), count);
    EXPECT_EQ(desktop->FindChild("iconpos-alpha.txt"), alpha);
    EXPECT_TRUE(At(alpha->GetIconPosition(), 220, 330));
    EXPECT_EQ(alpha->GetListChange(*desktop), TChangeType::Changed);
    EXPECT_EQ(desktop->FindChild("iconpos-beta.txt")->GetListChange(*desktop), TChangeType::Unchanged);
}

TEST_F(IconPositions, AHungShellIsNotWaitedForWithoutEnd) {
    StartShellView();
    IShellObj alpha = GetDesktopShellObj()->FindChild("iconpos-alpha.txt");
    ASSERT_TRUE(alpha->IsDesktopItem());
    ::PostMessageA(::FindWindowA("Progman", "Program Manager"), kShellViewHang, 0, 0);
    ASSERT_NE(e2e::WaitForWindow("shellview hung", {}, view_->Pid()), nullptr);
    EXPECT_TRUE(ReadDesktopListItems().empty());
    alpha->SetDesktopIconPosition({5, 5});
    EXPECT_EQ(alpha->GetErrorCode(), ERROR_TIMEOUT);
    IShellObj desktop = GetDesktopShellObj();
    EXPECT_FALSE(desktop->FindChild("iconpos-alpha.txt")->IsDesktopItem());
    view_->Kill();
}
