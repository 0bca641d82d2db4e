// The class picker, the lost-window list and the window-information box:
// their rules as tables, and the picker's frames over real windows of a
// helper process.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "navigation/class_picker.h"
#include "navigation/lost.h"
#include "navigation/vd_info.h"
#include "support/e2e.h"
#include "support/form_suite.h"
#include "support/paint_canvas.h"

using namespace navigation;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

// The class picker's rules ------------------------------------------------------------

TEST(ClassPickerRules, FramesAreCutToTheScreen) {
    const SIZE screen{1280, 1024};
    struct Case {
        const char* what;
        RECT window, want;
    } cases[] = {
        {"inside", {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"off to the left and top", {-30, -8, 300, 200}, {0, 0, 300, 200}},
        {"off to the right and bottom", {1000, 900, 1400, 1100}, {1000, 900, 1280, 1024}},
        {"larger than the screen", {-4, -4, 1288, 1032}, {0, 0, 1280, 1024}},
    };
    for (const auto& c : cases) {
        const RECT got = CutToScreen(c.window, screen);
        EXPECT_TRUE(SameRect(got, c.want)) << c.what << ": " << Text(got);
    }
}

TEST(ClassPickerRules, AnOverlayShowsAFourPixelFrameAndTheBoxAtItsCorner) {
    const std::vector<RECT> parts = OverlayParts({400, 300});
    struct Case {
        POINT p;
        bool inside;
    } cases[] = {
        {{0, 299}, true},   {{3, 150}, true},   {{4, 150}, false},  {{396, 150}, true},  {{395, 150}, false},
        {{200, 0}, true},   {{200, 3}, true},   {{200, 4}, false},  {{200, 296}, true},  {{200, 295}, false},
        {{157, 41}, true},  {{158, 41}, false}, {{157, 42}, false}, {{80, 20}, true},    // the name and buttons
        {{200, 150}, false},                                                             // the window shows through
    };
    for (const auto& c : cases)
        EXPECT_EQ(InOverlayParts(parts, c.p), c.inside) << c.p.x << "," << c.p.y;
    // A window too small for a hole is covered whole.
    const std::vector<RECT> small = OverlayParts({6, 200});
    EXPECT_TRUE(InOverlayParts(small, {3, 100}));
    EXPECT_FALSE(InOverlayParts(small, {6, 100}));
}

TEST(ClassPickerRules, OnlyShownWindowsOfOtherThreadsArePicked) {
    const RECT r{10, 10, 100, 100};
    struct Case {
        const char* what;
        TPickFacts facts;
        POINT cursor;
        bool pickable, under;
    } cases[] = {
        {"another program's window", {.rect = r}, {50, 50}, true, true},
        {"the cursor elsewhere", {.rect = r}, {150, 50}, true, false},
        {"on the right edge, outside", {.rect = r}, {100, 50}, true, false},
        {"the program's own window", {.ownThread = true, .rect = r}, {50, 50}, false, false},
        {"hidden", {.visible = false, .rect = r}, {50, 50}, false, false},
        {"minimised", {.minimised = true, .rect = r}, {50, 50}, false, false},
        {"gone", {.exists = false, .rect = r}, {50, 50}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PickableWindow(c.facts), c.pickable) << c.what;
        EXPECT_EQ(WindowUnderCursor(c.facts, c.cursor), c.under) << c.what;
    }
}

// The lost-window list's rules -------------------------------------------------------------

namespace {

constexpr LONG kAppStyle = WS_OVERLAPPEDWINDOW;

TLostCandidate Window(uintptr_t handle, DWORD pid, bool visible, std::string title, std::string exe = "C:\\A.EXE") {
    TLostCandidate c;
    c.wnd = reinterpret_cast<HWND>(handle);
    c.processId = pid;
    c.hasRecord = true;
    c.recordVisible = visible;
    c.desktop = 1;
    c.style = kAppStyle;
    c.title = std::move(title);
    c.exePath = std::move(exe);
    return c;
}

std::vector<std::string> Captions(const std::vector<TLostRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.caption);
    return out;
}

}  // namespace

TEST(LostListRules, RowsByWindowOrByProcessFollowTheRecordAndTheStyles) {
    std::vector<TLostCandidate> windows = {
        Window(0x10, 7, false, "hidden one", "C:\\ONE.EXE"),
        Window(0x20, 7, false, "hidden two", "C:\\ONE.EXE"),
        Window(0x30, 8, true, "shown", "C:\\TWO.EXE"),
        Window(0x40, 9, false, "tool"),
        Window(0x50, 9, false, "no minimize box"),
        Window(0x60, 9, false, "child"),
        Window(0x70, 9, false, "unmanaged"),
        Window(0x80, 9, false, "no record"),
        Window(0x90, 10, false, "mdi child"),
    };
    windows[3].exStyle = WS_EX_TOOLWINDOW;
    windows[4].style = WS_POPUP | WS_CAPTION;
    windows[5].style = kAppStyle | WS_CHILD;
    windows[6].unmanaged = true;
    windows[7].hasRecord = false;
    windows[8].exStyle = WS_EX_MDICHILD;

    struct Case {
        const char* what;
        bool wantVisible, byProcess;
        std::vector<std::string> captions;
        std::vector<uintptr_t> data;
    } cases[] = {
        {"hidden windows", false, false, {"hidden one", "hidden two"}, {0x10, 0x20}},
        {"hidden applications: one row for two windows", false, true, {"C:\\ONE.EXE"}, {7}},
        {"shown windows", true, false, {"shown"}, {0x30}},
        {"shown applications", true, true, {"C:\\TWO.EXE"}, {8}},
    };
    for (const auto& c : cases) {
        const auto rows = BuildLostRows(windows, c.wantVisible, c.byProcess, TLostMode::Recover, false);
        EXPECT_EQ(Captions(rows), c.captions) << c.what;
        std::vector<uintptr_t> data;
        for (const auto& r : rows) data.push_back(r.data);
        EXPECT_EQ(data, c.data) << c.what;
        for (const auto& r : rows) EXPECT_FALSE(r.iconPath.empty()) << c.what;
    }
}

TEST(LostListRules, AWindowOfALockedDesktopShowsNothingOfItselfBeforeThePassword) {
    std::vector<TLostCandidate> windows = {Window(0x10, 7, false, "open"), Window(0x20, 8, false, "SECRET", "C:\\S.EXE"),
                                           Window(0x30, 8, true, "SECRET shown", "C:\\S.EXE")};
    windows[1].locked = windows[2].locked = true;
    windows[1].desktop = windows[2].desktop = 3;
    struct Case {
        const char* what;
        bool wantVisible, byProcess;
        TLostMode mode;
        bool open;
        std::vector<std::string> captions;
    } cases[] = {
        {"recover, locked", false, false, TLostMode::Recover, false, {"open", "(window of private desktop 3)"}},
        {"recover, password given", false, false, TLostMode::Recover, true, {"open", "SECRET"}},
        {"select, locked: not offered", true, true, TLostMode::Select, false, {}},
        {"select, password given", true, true, TLostMode::Select, true, {"C:\\S.EXE"}},
    };
    for (const auto& c : cases) {
        const auto rows = BuildLostRows(windows, c.wantVisible, c.byProcess, c.mode, c.open);
        EXPECT_EQ(Captions(rows), c.captions) << c.what;
        for (const auto& r : rows) {
            if (r.caption.find("private") != std::string::npos) {
                EXPECT_TRUE(r.iconPath.empty()) << c.what;
            }
        }
    }
}

TEST(LostListRules, RecoverShowsTheHiddenWindowsOfTheTargetAndAsksForAPrivateOne) {
    std::vector<TLostCandidate> windows = {
        Window(0x10, 7, false, "a"), Window(0x20, 7, true, "b"), Window(0x30, 7, false, "c"),
        Window(0x40, 8, false, "d"), Window(0x50, 7, false, "unmanaged"),
    };
    windows[2].hasRecord = false;   // not in the table: shown all the same
    windows[4].unmanaged = true;
    windows[3].locked = true;
    auto handles = [](const std::vector<const TLostCandidate*>& targets) {
        std::vector<uintptr_t> out;
        for (const auto* t : targets) out.push_back(reinterpret_cast<uintptr_t>(t->wnd));
        return out;
    };
    EXPECT_EQ(handles(RecoverTargets(windows, 0x10, false)), (std::vector<uintptr_t>{0x10}));
    EXPECT_EQ(handles(RecoverTargets(windows, 7, true)), (std::vector<uintptr_t>{0x10, 0x30}));
    EXPECT_TRUE(RecoverTargets(windows, 0x20, false).empty()) << "a shown window is left alone";
    EXPECT_FALSE(TargetsNeedPassword(RecoverTargets(windows, 7, true)));
    EXPECT_TRUE(TargetsNeedPassword(RecoverTargets(windows, 0x40, false)));
    EXPECT_TRUE(TargetsNeedPassword(RecoverTargets(windows, 8, true)));
}

// The window-information box's pins ---------------------------------------------------------

TEST(WindowInfoRules, APinAddsOrRemovesTheUpperCaseNameAndNothingForAWindowThatHasGone) {
    const std::vector<std::string> sticky = {"NOTEPAD", "C:\\APPS\\EDIT.EXE"};
    struct Case {
        const char* text;
        bool listed;
        std::optional<bool> change;
    } cases[] = {
        {" Notepad", true, false},              // the label's blank and mixed case
        {" c:\\apps\\edit.exe ", true, false},
        {" Calc", false, true},
        {" ", false, std::nullopt},             // a window that has gone
        {"", false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InStickyList(sticky, c.text), c.listed) << c.text;
        EXPECT_EQ(PinChange(sticky, c.text), c.change) << c.text;
    }
    EXPECT_FALSE(InStickyList({""}, " ")) << "an empty entry matches nothing";
}

// The picker over real windows ----------------------------------------------------------------

namespace {

class ClassPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        framework::Form* before = framework::App().MainForm();
        framework::App().CreateForm(frmClassPicker);
        framework::App().SetMainForm(before);
        ::GetCursorPos(&cursor_);
    }
    void TearDown() override {
        if (frmClassPicker) framework::App().FreeForm(frmClassPicker);
        ::SetCursorPos(cursor_.x, cursor_.y);
    }
    static void Place(HWND w, RECT r) {
        ::SetWindowPos(w, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    }
    static bool At(HWND w, RECT r) {
        RECT now{};
        return ::GetWindowRect(w, &now) && SameRect(now, r);
    }
    // Ticks of the pick until the frames stand over these rectangles.
    bool FramesOver(std::vector<RECT> want) {
        return e2e::WaitUntil([&] {
            frmClassPicker->tPickTimer();
            if (frmClassPicker->OverlayCount() != want.size()) return false;
            for (size_t i = 0; i < want.size(); ++i) {
                RECT r{};
                ::GetWindowRect(frmClassPicker->Overlay(i)->Handle(), &r);
                bool found = false;
                for (const RECT& w : want) found = found || SameRect(r, w);
                if (!found || !::IsWindowVisible(frmClassPicker->Overlay(i)->Handle())) return false;
            }
            return true;
        }, 5000, 50);
    }
    POINT cursor_{};
};

}  // namespace

TEST_F(ClassPickerTest, PointingAtAWindowFramesEveryWindowOfItsClassCutToTheScreen) {
    e2e::Helper picked({.cls = "TessPickMe", .title = "pick me", .count = 2});
    e2e::Helper other({.cls = "TessPickOther", .title = "other"});
    const RECT first{100, 100, 500, 400}, second{1100, 700, 1500, 1200}, cover{300, 200, 700, 600};
    Place(picked.Window(0), first);
    Place(picked.Window(1), second);
    Place(other.Window(), cover);   // on top of the first where they overlap
    ASSERT_TRUE(e2e::WaitUntil([&] { return At(picked.Window(0), first) && At(other.Window(), cover); }));

    TfrmClassPicker& picker = *frmClassPicker;
    picker.btnPickClick();
    EXPECT_EQ(picker.btnPick.Caption(), "Stop");
    EXPECT_FALSE(picker.btnOK.Visible());
    EXPECT_TRUE(picker.tPick.Enabled());

    ::SetCursorPos(150, 150);
    const SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(FramesOver({first, CutToScreen(second, screen)})) << "both windows of the class, the second cut";
    EXPECT_EQ(picker.FPickedClass, "TessPickMe");

    // Where two windows overlap, the one on top is picked; the frames follow.
    ::SetCursorPos(400, 300);
    EXPECT_TRUE(FramesOver({cover}));
    EXPECT_EQ(picker.FPickedClass, "TessPickOther");

    // The picker's own frames are never picked: pointing at one keeps the class.
    ::SetCursorPos(cover.left + 1, cover.top + 1);
    picker.tPickTimer();
    EXPECT_EQ(picker.FPickedClass, "TessPickOther");

    // Cancel on a frame hides it at once and frees it at the next tick,
    // after its own click handler has returned.
    picker.OverlayCancel(*picker.Overlay(0));
    ASSERT_EQ(picker.OverlayCount(), 1u);
    EXPECT_FALSE(::IsWindowVisible(picker.Overlay(0)->Handle()));
    EXPECT_TRUE(picker.btnOK.Visible());
    picker.tPickTimer();
    EXPECT_EQ(picker.OverlayCount(), 0u);
    EXPECT_EQ(picker.btnPick.Caption(), "Pick");
    EXPECT_FALSE(picker.tPick.Enabled());
}

TEST_F(ClassPickerTest, SelectOnAFrameReturnsItsClassAndATypedNameComesBackTrimmed) {
    e2e::Helper picked({.cls = "TessPickMe", .title = "pick me"});
    const RECT place{200, 200, 600, 500};
    Place(picked.Window(), place);
    ASSERT_TRUE(e2e::WaitUntil([&] { return At(picked.Window(), place); }));
    TfrmClassPicker& picker = *frmClassPicker;

    // The modal run: picking starts, a frame appears, its Select ends the dialog.
    ::SetCursorPos(300, 300);
    framework::Timer driver(50, [&] {
        if (picker.FPickIdle && picker.OverlayCount() == 0) picker.btnPickClick();
        else if (picker.OverlayCount() == 1 && ::IsWindowVisible(picker.Overlay(0)->Handle()))
            ::PostMessageA(picker.Overlay(0)->btnSelect.Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(picker.RunClassPicker(), "TessPickMe");
    driver.SetEnabled(false);
    EXPECT_EQ(picker.OverlayCount(), 0u) << "the frames go with the dialog";
    EXPECT_FALSE(picker.tPick.Enabled());

    framework::Timer typer(50, [&] {
        if (!picker.Visible()) return;
        picker.edClassName.SetText("  Notepad  ");
        picker.btnOK.OnClick();
    });
    EXPECT_EQ(picker.RunClassPicker(), "Notepad");
    typer.SetHandler([&] {
        if (!picker.Visible()) return;
        picker.edClassName.SetText("Notepad");
        ::PostMessageA(picker.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(picker.RunClassPicker(), "") << "closing the dialog returns no name";
}

// The window-information box over a helper's window ---------------------------------------

namespace {

class WindowInfoBox : public e2e::FormSuite<frmVDInfo> {
protected:
    void SetUp() override {
        e2e::Main().FStickyList->Clear();
        e2e::Main().InvalidateStickyCache();
    }
    void TearDown() override { frmVDInfo->Hide(); }
    // How many pixels of the pin's face have the colour.
    static int Painted(const toolkit::TRxSpeedButton& pin, COLORREF c) {
        RECT r{};
        ::GetClientRect(pin.Handle(), &r);
        e2e::PaintCanvas canvas(r.right, r.bottom);
        pin.Paint(canvas.dc(), canvas.Rect());
        return canvas.Count(c);
    }
};

// The colours of the two pin glyphs' heads.
constexpr COLORREF kLoosePin = RGB(0xD0, 0x40, 0x40);
constexpr COLORREF kStuckPin = RGB(0x40, 0xA0, 0x40);

}  // namespace

TEST_F(WindowInfoBox, EachPinShowsTheStickyOrTheNotStickyGlyph) {
    e2e::Helper h({.cls = "TessInfoGlyph", .title = "glyph"});
    ASSERT_TRUE(e2e::Recorded(h.Window()));
    frmVDInfo->ShowFor(h.Window());
    for (const auto* pin : {&frmVDInfo->btnClsPin, &frmVDInfo->btnAppPin}) {
        EXPECT_GT(Painted(*pin, kLoosePin), 0) << pin->Name();
        EXPECT_EQ(Painted(*pin, kStuckPin), 0) << pin->Name();
    }
    frmVDInfo->btnClsPinClick();
    EXPECT_EQ(frmVDInfo->btnClsPin.Caption(), info_texts::kClassSticky);
    EXPECT_GT(Painted(frmVDInfo->btnClsPin, kStuckPin), 0);
    EXPECT_EQ(Painted(frmVDInfo->btnClsPin, kLoosePin), 0);
    EXPECT_GT(Painted(frmVDInfo->btnAppPin, kLoosePin), 0) << "the application's pin is left alone";
    frmVDInfo->btnClsPinClick();
    EXPECT_EQ(frmVDInfo->btnClsPin.Caption(), info_texts::kClassNotSticky);
    EXPECT_GT(Painted(frmVDInfo->btnClsPin, kLoosePin), 0);
}
