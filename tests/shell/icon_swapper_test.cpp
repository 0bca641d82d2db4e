// The desktop-icon sets' own part: the arrangement files, and saving and
// restoring the icons of the desktop folder (inside the test prefix) in
// the shell's list view, built by a helper process.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "desktop_files.h"
#include "shell/icon_positions.h"
#include "shell/icon_swapper.h"
#include "shell/shell_obj.h"
#include "shell/string_routines.h"
#include "support/e2e.h"
#include "support/shell_view.h"
#include "support/swap_folders.h"

using namespace shell;
using shelltest::DesktopFiles;

namespace {

std::vector<std::string> Lines(std::string text) {
    std::vector<std::string> lines;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n")) {
        lines.push_back(text.substr(0, end));
        text.erase(0, end + 2);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Two files on the desktop (one with blanks in its name) and the shell's
// list view with an item for each, at known positions.
class IconSets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindDesktopListView(), nullptr) << "a desktop list view is already there";
        files_.File("swapper-alpha.txt");
        files_.File("swapper beta two.txt");
        IShellObj desktop = GetDesktopShellObj();
        alpha_ = desktop->FindChild("swapper-alpha.txt")->GetDisplayName();
        beta_ = desktop->FindChild("swapper beta two.txt")->GetDisplayName();
        ASSERT_FALSE(alpha_.empty() || beta_.empty());
        static int serial = 0;
        data_ = e2e::TempDir() + "icons-" + std::to_string(++serial) + "\\";
        swaptest::MakeFolder(data_);
    }
    void TearDown() override {
        swapper_.reset();
        EXPECT_TRUE(view_.Quit());
        e2e::RemoveTree(data_);
    }
    void StartShellView() { ASSERT_TRUE(view_.Start({{alpha_, 100, 50}, {beta_, 40, 312}})); }
    TIconSwapper& Swapper() {
        swapper_ = std::make_unique<TIconSwapper>(AnsiToWide(shelltest::DesktopFolderPath()), AnsiToWide(data_),
                                                  [this](const std::string& t, bool) { log_.push_back(t); },
                                                  [] {}, [] { return HWND{}; });
        return *swapper_;
    }
    static bool ItemAt(const std::string& name, int x, int y) { return e2e::ShellView::ItemAt(name, x, y); }
    std::string PositionsFile(int n) const { return swaptest::ReadBytes(data_ + IconPosFileName(n)); }

    DesktopFiles files_;
    std::string alpha_, beta_, data_;
    std::vector<std::string> log_;
    e2e::ShellView view_;
    std::unique_ptr<TIconSwapper> swapper_;
};

}  // namespace

TEST(IconPosFile, PositionsAreWrittenFourWideAndReadBackWhole) {
    EXPECT_EQ(IconPosFileName(3), "iconpos3.cfg");
    EXPECT_EQ(IconPosLine("Notes", 40, 312), "Notes 0040/0312\r\n");
    const std::pair<int, const char*> numbers[] = {{12, "0012"}, {-5, "-005"}, {0, "0000"}, {12345, "12345"},
                                                    {-1234, "-1234"}};
    std::string text;
    for (const auto& [value, written] : numbers) {
        EXPECT_EQ(IconPosLine("n", value, value), std::string("n ") + written + "/" + written + "\r\n");
        text += IconPosLine("My Notes 2", value, -value);
    }
    std::vector<TIconPos> back = ParseIconPositions(text);
    ASSERT_EQ(back.size(), std::size(numbers));
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].Name, "My Notes 2");
        EXPECT_EQ(back[i].X, numbers[i].first);
        EXPECT_EQ(back[i].Y, -numbers[i].first);
    }
}

TEST(IconPosFile, NamesWithSlashesSurviveAndIncompleteLinesAreSkipped) {
    const std::string text = IconPosLine("Reports 2023/24", 8, 16) +   // a name with "/" and blanks
                             "no slash at all\r\n" +
                             "noblank0010/0020\r\n" +
                             IconPosLine("A", -20, 7) +
                             "Last 0001/0002";                          // no CR LF: ignored
    std::vector<TIconPos> back = ParseIconPositions(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Name, "Reports 2023/24");
    EXPECT_TRUE(back[0].X == 8 && back[0].Y == 16);
    EXPECT_EQ(back[1].Name, "A");
    EXPECT_TRUE(back[1].X == -20 && back[1].Y == 7);
    EXPECT_TRUE(ParseIconPositions("").empty());
}

TEST_F(IconSets, WithoutTheShellsListViewNoIconHasAPosition) {
    EXPECT_FALSE(HasPositionedIcons());
    EXPECT_FALSE(DesktopIconsReadable());
    // An arrangement without any positioned icon is an empty file.
    Swapper().SaveIconPositions(4);
    EXPECT_NE(::GetFileAttributesA((data_ + "iconpos4.cfg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(PositionsFile(4), "");
}

TEST_F(IconSets, AnArrangementIsSavedAndRestoredByName) {
    StartShellView();
    EXPECT_TRUE(HasPositionedIcons());
    EXPECT_TRUE(DesktopIconsReadable());
    TIconSwapper& s = Swapper();
    s.SaveIconPositions(3);
    EXPECT_EQ(Lines(PositionsFile(3)), Lines(IconPosLine(alpha_, 100, 50) + IconPosLine(beta_, 40, 312)));

    ASSERT_EQ(MoveDesktopListItem(alpha_, 500, 400), TIconMove::Moved);
    ASSERT_EQ(MoveDesktopListItem(beta_, 600, 20), TIconMove::Moved);
    ASSERT_TRUE(ItemAt(alpha_, 500, 400));
    s.RestoreIconPositions(3);
    EXPECT_TRUE(ItemAt(alpha_, 100, 50));
    EXPECT_TRUE(ItemAt(beta_, 40, 312));

    // A line whose name no icon has moves nothing; nor does a desktop
    // without a file for it.
    swaptest::WriteBytes(data_ + IconPosFileName(5), IconPosLine("no such icon", 1, 1) + IconPosLine(alpha_, 220, 140));
    s.RestoreIconPositions(5);
    EXPECT_TRUE(ItemAt(alpha_, 220, 140));
    EXPECT_TRUE(ItemAt(beta_, 40, 312));
    s.RestoreIconPositions(6);
    EXPECT_TRUE(ItemAt(alpha_, 220, 140));

    // With no icon in place (the shell restarting), a saved arrangement stays.
    const std::string saved = PositionsFile(3);
    ASSERT_TRUE(view_.Quit());
    s.SaveIconPositions(3);
    EXPECT_EQ(PositionsFile(3), saved);
}

TEST_F(IconSets, AnArrangementNotYetRestoredIsNeverSavedOverAGoodOne) {
    StartShellView();
    const std::string good = IconPosLine(alpha_, 300, 200) + IconPosLine(beta_, 320, 220);
    swaptest::WriteBytes(data_ + IconPosFileName(1), good);
    TIconSwapper& s = Swapper();
    s.Start();                      // no message is pumped: the restore timer never runs
    ASSERT_TRUE(s.Active()) << (log_.empty() ? "" : log_[0]);
    EXPECT_FALSE(s.IconsRestored());
    EXPECT_TRUE(s.RestoreTimerEnabled());
    s.Switch(2);                    // the shell still shows its own arrangement
    EXPECT_EQ(PositionsFile(1), good);
    EXPECT_FALSE(s.IconsRestored());
    EXPECT_EQ(swaptest::ReadBytes(data_ + "IconSwapper\\1\\swapper-alpha.txt"), "test");

    s.Switch(1);
    EXPECT_EQ(PositionsFile(1), good);
    EXPECT_EQ(PositionsFile(2), "");          // never saved: no file
    s.RestoreCurrentSet();                    // what the timer's tick does
    EXPECT_TRUE(s.IconsRestored());
    EXPECT_TRUE(ItemAt(alpha_, 300, 200));
    EXPECT_TRUE(ItemAt(beta_, 320, 220));

    ASSERT_EQ(MoveDesktopListItem(alpha_, 360, 260), TIconMove::Moved);
    s.Switch(2);                              // restored: the new arrangement is saved
    EXPECT_EQ(Lines(PositionsFile(1)), Lines(IconPosLine(alpha_, 360, 260) + IconPosLine(beta_, 320, 220)));
    s.Switch(1);
    EXPECT_EQ(swaptest::ReadBytes(shelltest::DesktopFolderPath() + "\\swapper-alpha.txt"), "test");
    EXPECT_TRUE(log_.empty()) << log_[0];
}
