// The file-name edit: quoting and clearing names as a table, the dialog's
// filter, a file dropped from the shell through a drop handle built here,
// the refused name, and the button's place inside the edit.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>
#include "framework/form.h"
#include "support/e2e.h"
#include "toolkit/combo_edit.h"

using namespace toolkit;

namespace {

// A drop handle as the shell hands one over: DROPFILES, then the names,
// each ended by a NUL, and one more NUL.
HDROP MakeDrop(const std::vector<std::string>& names) {
    size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL mem = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* p = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const auto& n : names) {
        std::memcpy(p, n.c_str(), n.size() + 1);
        p += n.size() + 1;
    }
    ::GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

struct FileEditFixture : ::testing::Test {
    framework::Form host{"frmFileEditTest"};
    TFilenameEdit edit{host, "feTest"};
    int drops = 0;

    void SetUp() override {
        host.CreateHandle();
        framework::ControlSpec spec{framework::Kind::Custom, "feTest", nullptr, 10, 10, 320, 21, "", 1};
        edit.SetAcceptFiles(true);
        edit.CreateWindowFor(host.Handle(), spec, 100);
        edit.OnDropFiles = [this] { ++drops; };
    }
};

}  // namespace

TEST(FileNameText, QuotingAndClearing) {
    struct Case {
        const char* name;
        const char* quoted;
        const char* cleared;   // of a name that names no file
    } cases[] = {
        {"", "", ""},
        {"C:\\pics\\sea.bmp", "C:\\pics\\sea.bmp", "C:\\pics\\sea.bmp"},
        {"C:\\my pics\\sea.bmp", "\"C:\\my pics\\sea.bmp\"", "C:\\my"},
        {"\"C:\\my pics\\sea.bmp\"", "\"C:\\my pics\\sea.bmp\"", "C:\\my pics\\sea.bmp"},
        {"\"C:\\app dir\\run.exe\" /x", "\"C:\\app dir\\run.exe\" /x", "C:\\app dir\\run.exe"},
        {"C:\\pics\\holiday[2019].jpg", "C:\\pics\\holiday[2019].jpg", "C:\\pics\\holiday[2019].jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteFileName(c.name), c.quoted) << c.name;
        EXPECT_EQ(ClearFileName(c.name), c.cleared) << c.name;
    }
    // A name of a file that exists stays whole, blanks and all.
    std::string existing = e2e::TempDir() + "\\a picture [1].bmp";
    std::ofstream(existing) << "x";
    EXPECT_EQ(ClearFileName(existing), existing);
    ::DeleteFileA(existing.c_str());
}

TEST(FileNameText, DialogFilterEndsEachPartWithNul) {
    const std::string f = DialogFilter("Graphic files (*.bmp, *.jpg)|*.bmp;*.jpg");
    constexpr char kWant[] = "Graphic files (*.bmp, *.jpg)\0*.bmp;*.jpg\0";   // and the literal's own NUL
    EXPECT_EQ(f, std::string(kWant, sizeof kWant));
    EXPECT_EQ(DialogFilter(""), std::string("\0\0", 2));
}

TEST_F(FileEditFixture, DroppedFileBecomesTheNameAndTheHandleIsReleased) {
    ::SendMessageA(edit.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\pics\\my sea.bmp",
                                                                                   "C:\\pics\\second.bmp"})),
                   0);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(edit.Text(), "\"C:\\pics\\my sea.bmp\"") << "only the first without multiple selection";
    EXPECT_EQ(edit.FileName(), "C:\\pics\\my sea.bmp");
    EXPECT_TRUE(edit.Files().empty());

    edit.SetDialogOptions(OFN_ALLOWMULTISELECT);
    edit.DropFiles(MakeDrop({"C:\\a.bmp", "C:\\b.bmp"}));
    EXPECT_EQ(drops, 2);
    EXPECT_EQ(edit.FileName(), "C:\\a.bmp");
    EXPECT_EQ(edit.Files(), (std::vector<std::string>{"C:\\a.bmp", "C:\\b.bmp"}));
    EXPECT_NE(::GetWindowLongA(edit.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

TEST_F(FileEditFixture, InvalidNameRaisesAndKeepsTheText) {
    edit.SetFileName("C:\\pics\\holiday [2019].jpg");
    EXPECT_EQ(edit.FileName(), "C:\\pics\\holiday [2019].jpg");
    try {
        edit.SetFileName("C:\\a|b.bmp");
        FAIL() << "a name with | was taken";
    } catch (const EComboEditError& e) {
        EXPECT_STREQ(e.what(), "Invalid file name - C:\\a|b.bmp");
    }
    EXPECT_EQ(edit.FileName(), "C:\\pics\\holiday [2019].jpg");
    edit.SetFileName("");
    EXPECT_EQ(edit.Text(), "");
}

TEST_F(FileEditFixture, ButtonSitsInsideTheRightEdgeAndTheTextStopsBeforeIt) {
    RECT client{}, button{};
    ::GetClientRect(edit.Handle(), &client);
    ASSERT_NE(edit.ButtonHolder(), nullptr);
    EXPECT_NE(::GetWindowLongA(edit.ButtonHolder(), GWL_STYLE) & WS_VISIBLE, 0);
    ::GetWindowRect(edit.ButtonHolder(), &button);
    ::MapWindowPoints(nullptr, edit.Handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.right, client.right);
    EXPECT_EQ(button.left, client.right - edit.ButtonWidth());
    RECT format{};
    ::SendMessageA(edit.Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_LE(format.right, button.left);

    // The button runs the edit's click; a read-only edit's button does nothing.
    int clicks = 0;
    edit.OnButtonClick = [&] { ++clicks; };
    edit.OnBeforeDialog = [](std::string&, bool& action) { action = false; };
    HWND b = edit.Button().Handle();
    ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(clicks, 1);
    edit.SetReadOnly(true);
    ::SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(clicks, 1);
}
