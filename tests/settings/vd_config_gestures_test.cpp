// The settings dialog's layout preview, gesture editing, colour lists and
// password button, driven through the dialog's real controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/dialogs.h"
#include "navigation/enter_pwd.h"
#include "settings/color_combo.h"
#include "settings/gesture_edit.h"
#include "settings/settings_access.h"
#include "settings/tables.h"
#include "settings/vd_config.h"
#include "support/e2e.h"
#include "support/paint_canvas.h"

using settings::TfrmVDConfig;

namespace {

struct Message {
    std::string text, caption;
    UINT flags;
};

class ConfigPages : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            messages.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(settings::frmVDConfig);
        app.SetMainForm(before);   // closing the dialog must not end the test program
        messages.clear();          // what the creation said is not the pages' business
    }
    void TearDown() override {
        if (settings::frmVDConfig) framework::App().FreeForm(settings::frmVDConfig);
        framework::SetMessageBoxAnswerer({});
        e2e::ResetUserState();
    }
    TfrmVDConfig& Dlg() { return *settings::frmVDConfig; }

    // A notification as the control sends it to its container.
    static void Notify(HWND control, WORD code) {
        ::SendMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                       reinterpret_cast<LPARAM>(control));
    }
    void Click(const char* button) {
        framework::Control* b = Dlg().FindControl(button);
        ASSERT_NE(b, nullptr) << button;
        ::SendMessageA(b->Handle(), BM_CLICK, 0, 0);   // as a program presses a button
    }
    void ChooseLayout(int index) {
        ::SendMessageA(Dlg().cbLayout.Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Notify(Dlg().cbLayout.Handle(), CBN_SELCHANGE);
    }
    // Keys typed into the gesture edit, one character at a time.
    void Type(std::string_view keys) {
        for (char c : keys) ::SendMessageA(Dlg().edGesture.Handle(), WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    void ClearEdit() {
        ::SendMessageA(Dlg().edGesture.Handle(), EM_SETSEL, 0, -1);
        ::SendMessageA(Dlg().edGesture.Handle(), WM_CHAR, VK_BACK, 0);
    }
    // A row clicked in the grid: the list view selects it and notifies.
    void SelectRow(int row) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(Dlg().sgGestures.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row - 1),
                       reinterpret_cast<LPARAM>(&item));
    }
    std::string Code(int row) { return Dlg().sgGestures.Cell(1, row); }

    std::vector<Message> messages;
};

constexpr char kDirectionsOnly[] = "Use direction codes only!\r\rU - up\rD - down\rL - left\rR - right";
constexpr char kAlreadyUsed[] =
    "This gesture code is already associated to an action. Only one action will be triggered.";

// Layout preview --------------------------------------------------------------------

TEST_F(ConfigPages, EachLayoutShowsOneNumberedPicturePerDesktopRowByRow) {
    auto& dlg = Dlg();
    dlg.ShowPage(6);
    const RECT panel = dlg.pnLayoutPreview.Bounds();   // in the group box
    for (int layout = 0; layout < settings::kLayoutCount; ++layout) {
        ChooseLayout(layout);
        const auto& l = settings::Layouts[static_cast<size_t>(layout)];
        auto& preview = dlg.pnLayoutPreview;
        ASSERT_EQ(preview.PictureCount(), static_cast<size_t>(l.Columns * l.Rows)) << l.Text;
        for (size_t i = 0; i < preview.PictureCount(); ++i) {
            const RECT b = preview.Picture(i).Bounds();
            const int c = (panel.left + b.left - 100) / 65, r = (panel.top + b.top - 10) / 49;
            EXPECT_EQ(panel.left + b.left, 100 + c * 65) << l.Text << " " << i;
            EXPECT_EQ(panel.top + b.top, 10 + r * 49) << l.Text << " " << i;
            EXPECT_EQ(b.right - b.left, 65);
            EXPECT_EQ(b.bottom - b.top, 49);
            EXPECT_EQ(preview.Number(i).Caption(), std::to_string(r * l.Columns + c + 1) + " ") << l.Text;
            EXPECT_TRUE(::EqualRect(&preview.Number(i).Bounds(), &b));
        }
        // Every picture lies inside the panel, and the panel inside the group box.
        RECT client;
        ::GetClientRect(preview.Handle(), &client);
        for (size_t i = 0; i < preview.PictureCount(); ++i) {
            RECT inter;
            ::IntersectRect(&inter, &preview.Picture(i).Bounds(), &client);
            EXPECT_TRUE(::EqualRect(&inter, &preview.Picture(i).Bounds())) << l.Text << " " << i;
        }
    }
    RECT group;
    ::GetClientRect(::GetParent(dlg.pnLayoutPreview.Handle()), &group);
    EXPECT_LE(panel.right, group.right - 2);
    EXPECT_LE(panel.bottom, group.bottom - 2);
}

TEST_F(ConfigPages, ShowingTheLayoutPageDrawsTheLayoutChosenMeanwhile) {
    auto& dlg = Dlg();
    dlg.ShowPage(1);
    dlg.cbLayout.SetItemIndex(13);   // "1 x 2", set without a change notice, as a load does
    dlg.ShowPage(6);
    EXPECT_EQ(dlg.pnLayoutPreview.PictureCount(), 2u);
    dlg.cbLayout.SetItemIndex(-1);   // a stored layout outside the table: counted as 3 x 3
    dlg.ShowPage(6);
    EXPECT_EQ(dlg.pnLayoutPreview.PictureCount(), 9u);
}

TEST_F(ConfigPages, TwoByThreeIsPaintedWithItsNumbersOverThePictures) {
    auto& dlg = Dlg();
    dlg.ShowPage(6);
    ChooseLayout(2);   // "2 x 3"
    auto& preview = dlg.pnLayoutPreview;
    RECT client;
    ::GetClientRect(preview.Handle(), &client);
    e2e::PaintCanvas canvas(client.right, client.bottom);
    preview.PaintTo(canvas.dc(), client);
    EXPECT_EQ(canvas.Count(e2e::kUnpainted), 0);
    EXPECT_EQ(canvas.At(1, 1), dlg.Color()) << "the panel shows the dialog's colour, as the group box does";
    const COLORREF number = settings::kLayoutNumberColor;
    const char* texts[] = {"1 ", "2 ", "3 ", "4 ", "5 ", "6 "};
    for (size_t i = 0; i < preview.PictureCount(); ++i) {
        const RECT b = preview.Picture(i).Bounds();
        EXPECT_EQ(preview.Number(i).Caption(), texts[(b.top - 2) / 49 * 2 + (b.left - 4) / 65]);
        // The picture shows under the number, and the number stands in the right half.
        EXPECT_NE(canvas.At(b.left + 8, b.top + 20), dlg.Color()) << i;
        int inkLeft = b.right, inkRight = b.left;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x)
                if (canvas.At(x, y) == number) {
                    inkLeft = std::min<int>(inkLeft, x);
                    inkRight = std::max<int>(inkRight, x);
                }
        EXPECT_GE(inkLeft, b.left + (b.right - b.left) / 2) << i;
        EXPECT_GT(inkRight, inkLeft) << "the number is drawn in its colour " << i;
    }
    // Beside the grid: no picture.
    EXPECT_EQ(canvas.At(4 + 2 * 65 + 5, 2 + 10), dlg.Color());
    EXPECT_EQ(canvas.At(4 + 10, 2 + 3 * 49 + 5), dlg.Color());
}

// Gesture editing --------------------------------------------------------------------

TEST(GestureEdit, TheFilterKeepsUpperCaseDirectionLettersInOrder) {
    const struct {
        const char* text;
        const char* kept;
    } cases[] = {{"URD", "URD"}, {"u", ""}, {"udlr", ""}, {"UxR", "UR"}, {" L ", "L"}, {"", ""}, {"LRLR", "LRLR"}};
    for (const auto& c : cases) EXPECT_EQ(settings::FilterGestureText(c.text), c.kept) << c.text;
}

TEST(GestureEdit, AStoredCodeIsOneADrawnGestureCanProduce) {
    const struct {
        const char* text;
        const char* code;
    } cases[] = {{"URD", "URD"}, {"UU", "U"}, {"UURRD", "URD"}, {"LRL", "LRL"}, {"  DR ", "DR"}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(settings::GestureCodeToStore(c.text), c.code) << c.text;
}

TEST_F(ConfigPages, TypingKeepsOnlyDirectionCodesAndSaysSoForEachOtherKey) {
    auto& dlg = Dlg();
    const struct {
        const char* keys;
        const char* kept;
        size_t warnings;
    } cases[] = {
        {"u", "", 1}, {"d", "", 1}, {"x", "", 1}, {"URD", "URD", 0}, {"UxR", "UR", 1}, {"l r", "", 3},
    };
    for (const auto& c : cases) {
        ClearEdit();
        messages.clear();
        Type(c.keys);
        EXPECT_EQ(dlg.edGesture.Text(), c.kept) << c.keys;
        ASSERT_EQ(messages.size(), c.warnings) << c.keys;
        for (const auto& m : messages) {
            EXPECT_EQ(m.text, kDirectionsOnly);
            EXPECT_EQ(m.caption, "Warning!");
            EXPECT_EQ(m.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
        }
    }
    // Typing goes on at the end of what was kept.
    ClearEdit();
    Type("UxD");
    EXPECT_EQ(dlg.edGesture.Text(), "UD");
}

TEST_F(ConfigPages, ChoosingARowPutsItsCodeIntoTheEdit) {
    auto& dlg = Dlg();
    SelectRow(3);
    EXPECT_EQ(dlg.sgGestures.Row(), 3);
    EXPECT_EQ(dlg.edGesture.Text(), "URD");
    SelectRow(6);
    EXPECT_EQ(dlg.edGesture.Text(), "");
    SelectRow(5);
    EXPECT_EQ(dlg.edGesture.Text(), "RDLU");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigPages, SavingACodeWarnsOncePerOtherRowWithTheSameCodeAndKeepsIt) {
    const struct {
        const char* name;
        std::vector<std::pair<int, const char*>> earlier;   // saved before, warnings not counted
        int row;
        const char* typed;
        const char* stored;
        size_t warnings;
    } cases[] = {
        {"a code of another row", {}, 19, "L", "L", 1},
        {"the row's own code", {}, 1, "L", "L", 0},
        {"an empty code", {}, 6, "", "", 0},
        {"an empty code over a code", {}, 4, "", "", 0},
        {"two rows hold it", {{12, "DR"}}, 13, "DR", "DR", 2},
        {"a new code", {}, 10, "LDRU", "LDRU", 0},
        {"a repeated letter, drawn as another row's code", {}, 20, "UURR", "UR", 1},
    };
    for (const auto& c : cases) {
        // Each case on a dialog of its own, with the default codes.
        TearDown();
        SetUp();
        for (auto [row, code] : c.earlier) {
            SelectRow(row);
            Type(code);
            Click("SpeedButton2");
        }
        std::vector<std::string> before;
        for (int r = 1; r <= 22; ++r) before.push_back(Code(r));
        messages.clear();
        SelectRow(c.row);
        ClearEdit();
        Type(c.typed);
        Click("SpeedButton2");
        EXPECT_EQ(Code(c.row), c.stored) << c.name;
        EXPECT_EQ(Dlg().edGesture.Text(), c.stored) << c.name;
        ASSERT_EQ(messages.size(), c.warnings) << c.name;
        for (const auto& m : messages) {
            EXPECT_EQ(m.text, kAlreadyUsed);
            EXPECT_EQ(m.caption, "Warning!");
            EXPECT_EQ(m.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
        }
        for (int r = 1; r <= 22; ++r)
            if (r != c.row) {
                EXPECT_EQ(Code(r), before[static_cast<size_t>(r - 1)]) << c.name << " row " << r;
            }
        // The engine reads the new code in place.
        EXPECT_EQ(settings::Text(settings::SettingName::GestureCode(c.row)), c.stored)
            << c.name;
    }
}

// Colour lists ------------------------------------------------------------------------

TEST_F(ConfigPages, AColourItemIsDrawnInItsColourWithTheColoursName) {
    auto& dlg = Dlg();
    auto& combo = dynamic_cast<settings::TColorCombo&>(dlg.cbColor(1));
    EXPECT_TRUE(::GetWindowLongA(combo.Handle(), GWL_STYLE) & CBS_OWNERDRAWFIXED);
    EXPECT_EQ(combo.Item(6), "orange-brown") << "the item texts stay as they are";
    const int w = 120, h = 16;
    const struct {
        int itemID;
        int colour;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {-1, 0}, {12, 8}};
    for (const auto& c : cases) {
        e2e::PaintCanvas canvas(w, h);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_COMBOBOX;
        dis.CtlID = static_cast<UINT>(::GetDlgCtrlID(combo.Handle()));
        dis.itemID = static_cast<UINT>(c.itemID);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = ODS_COMBOBOXEDIT;
        dis.hwndItem = combo.Handle();
        dis.hDC = canvas.dc();
        dis.rcItem = {0, 0, w, h};
        // As the list sends it: to its container, which hands it to the dialog.
        ::SendMessageA(::GetParent(combo.Handle()), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        const COLORREF fill = settings::DesktopColors[static_cast<size_t>(c.colour)];
        EXPECT_EQ(canvas.At(w - 3, h / 2), fill) << c.itemID;
        EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0)) << "framed " << c.itemID;
        EXPECT_EQ(canvas.At(w - 1, h - 1), RGB(0, 0, 0)) << "framed " << c.itemID;
        // The name's ink: from 4 pixels in, as wide as the name in the list's font.
        const std::string_view name = settings::DesktopColorNames[static_cast<size_t>(c.colour)];
        SIZE extent{};
        {
            auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(combo.Handle(), WM_GETFONT, 0, 0));
            framework::SelectScope scope(canvas.dc(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
            ::GetTextExtentPoint32A(canvas.dc(), name.data(), static_cast<int>(name.size()), &extent);
        }
        int inkLeft = w, inkRight = -1;
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
                if (canvas.At(x, y) != fill) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        EXPECT_GE(inkLeft, 4) << name;
        EXPECT_LE(inkLeft, 6) << name;
        EXPECT_GE(inkRight, 4 + extent.cx - 4) << name;
        EXPECT_LE(inkRight, 4 + extent.cx) << name;   // a glyph may overhang by a pixel
    }
}

// Private page ------------------------------------------------------------------------

TEST_F(ConfigPages, ThePasswordButtonEnablesTheLockBoxesOnceAPasswordExists) {
    auto& dlg = Dlg();
    dlg.ShowPage(12);
    for (int n = 1; n <= 9; ++n) EXPECT_FALSE(dlg.cbLock(n).Enabled()) << n;
    // The password dialog is not part of this test: the password is stored as it would store it.
    navigation::StoreLockPassword("a desktop lock password");
    Click("btnSetChangeLockPwd");
    for (int n = 1; n <= 9; ++n) EXPECT_TRUE(dlg.cbLock(n).Enabled()) << n;
}

}  // namespace
