// The flat look of a form's standard controls: which controls the painter
// takes over, their frames and marks painted into bitmaps, the controls
// restored when the painter is switched off or goes (before the controls,
// after them, or from inside a control's own click), and the check state
// asked by the painting itself.
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include "framework/control.h"
#include "framework/form.h"
#include "support/paint_canvas.h"
#include "toolkit/control_subclass.h"
#include "toolkit/xp_menu.h"

using namespace toolkit;
using framework::Kind;
using enum TXPControl;
using enum TXPContainer;

namespace {

constexpr COLORREF kFormColour = RGB(200, 220, 240);
constexpr COLORREF kPanelColour = RGB(230, 200, 200);

COLORREF Sys(int i) { return ::GetSysColor(i); }
using Controls = std::initializer_list<const framework::Control*>;

struct SubclassFixture : ::testing::Test {
    framework::Form host{"frmSubclassTest"};
    framework::CheckBox check{host, "cbCheck"};
    framework::RadioButton radio{host, "rbRadio"};
    framework::Button button{host, "btnPlain"};
    framework::Edit edit{host, "edText"};
    framework::ComboBox combo{host, "cbCombo"};
    framework::GroupBox group{host, "gbGroup"};
    framework::Panel panel{host, "pnPanel"};
    framework::Button inPanel{host, "btnInPanel"};
    framework::Panel untouchedPanel{host, "pnUntouched"};
    framework::Button inUntouchedPanel{host, "btnInUntouched"};
    framework::Button untouched{host, "btnUntouched"};
    framework::Label label{host, "lbLabel"};
    std::unique_ptr<TXPMenu> xpm;
    int nextId = 100;

    void Make(framework::Control& c, const framework::Control* parent, RECT r, const char* caption, int tag = 0) {
        const framework::ControlSpec spec{c.GetKind(), c.Name().c_str(), nullptr, static_cast<int>(r.left),
                                          static_cast<int>(r.top), static_cast<int>(r.right),
                                          static_cast<int>(r.bottom), caption, tag};
        c.CreateWindowFor(parent ? parent->Handle() : host.Handle(), spec, nextId++);
    }

    void SetUp() override {
        host.SetColor(kFormColour);
        host.CreateHandle();
        host.SetClientSize(420, 320);
        Make(check, nullptr, {10, 10, 140, 20}, "Check");
        Make(radio, nullptr, {10, 40, 140, 20}, "Radio");
        Make(button, nullptr, {10, 70, 100, 25}, "Press");
        Make(edit, nullptr, {10, 110, 140, 22}, "text");
        Make(combo, nullptr, {10, 150, 140, 200}, "");
        Make(group, nullptr, {200, 10, 200, 80}, "Group");
        Make(panel, nullptr, {200, 100, 200, 60}, "");
        panel.SetColor(kPanelColour);
        Make(inPanel, &panel, {10, 10, 100, 25}, "In panel");
        Make(untouchedPanel, nullptr, {200, 170, 200, 60}, "", kUntouchedTag);
        Make(inUntouchedPanel, &untouchedPanel, {10, 10, 100, 25}, "Not flat");
        Make(untouched, nullptr, {10, 250, 100, 25}, "Not flat", kUntouchedTag);
        Make(label, nullptr, {200, 250, 100, 20}, "Label");
        combo.SetItems({"one", "two"});
        host.Show();
        ::SetFocus(host.Handle());   // no control starts focused: the tests give the highlight
        xpm = std::make_unique<TXPMenu>(host);
        xpm->SetActive(true);
    }

    TXPColors Colours() const { return EffectiveColors(xpm->Colors, 32); }

    // The painter's painting of the control, into a bitmap of its client
    // (an edit: its window).
    std::unique_ptr<e2e::PaintCanvas> Painted(const framework::Control& c, bool whole = false) {
        RECT r{};
        if (whole) {
            ::GetWindowRect(c.Handle(), &r);
            ::OffsetRect(&r, -r.left, -r.top);
        } else {
            ::GetClientRect(c.Handle(), &r);
        }
        auto canvas = std::make_unique<e2e::PaintCanvas>(r.right, r.bottom);
        TControlSubClass* sub = TControlSubClass::Of(c.Handle());
        EXPECT_NE(sub, nullptr) << c.Name();
        if (sub) sub->PaintOn(canvas->dc());
        return canvas;
    }

    bool Flat(const framework::Control& c) const { return TControlSubClass::IsSubclassed(c.Handle()); }
    static LONG_PTR ExStyle(const framework::Control& c) { return ::GetWindowLongPtrA(c.Handle(), GWL_EXSTYLE); }
};

// The column of the check box's square and the row where it starts.
struct Box {
    RECT inner;
};
Box CheckBoxIn(const e2e::PaintCanvas& c) {
    const int size = ::GetSystemMetrics(SM_CXHTHUMB), top = (c.Height() - size) / 2;
    return {{2, top + 2, size - 2, top + size - 2}};
}

}  // namespace

TEST(FlatControls, WhichControlsQualify) {
    framework::Form f{"frmQualifyTest"};
    framework::Panel panel{f, "pn"};
    framework::GroupBox group{f, "gb"};
    framework::Label label{f, "lb"};
    const struct Case {
        Kind kind;
        const framework::Control* parent;
        TXPControls controls;
        TXPContainers containers;
        bool flat;
    } cases[] = {
        {Kind::CheckBox, nullptr, TXPControls::All(), TXPContainers::All(), true},
        {Kind::Label, nullptr, TXPControls::All(), TXPContainers::All(), false},
        {Kind::ListBox, nullptr, TXPControls::All(), TXPContainers::All(), false},
        {Kind::Button, &panel, {xcButton}, {xccPanel}, true},
        {Kind::Button, &panel, {xcButton}, {xccForm}, false},
        {Kind::Button, nullptr, {xcBitBtn}, {xccForm}, false},
        {Kind::Edit, &group, {xcEdit}, {xccGroupBox}, true},
        {Kind::MemoEdit, nullptr, {xcEdit}, {xccForm}, false},
        {Kind::MemoEdit, nullptr, {xcMemo}, {xccForm}, true},
        {Kind::ComboEdit, nullptr, {xcCombo}, {xccForm}, true},
        {Kind::RadioButton, nullptr, {xcCheckBox}, {xccForm}, false},
        {Kind::CheckBox, &label, TXPControls::All(), TXPContainers::All(), false},
        {Kind::Button, nullptr, TXPControls::All(), {}, false},   // the main form's painter
    };
    for (const Case& c : cases)
        EXPECT_EQ(Qualifies(c.kind, c.parent, c.controls, c.containers), c.flat)
            << static_cast<int>(c.kind) << " in " << (c.parent ? c.parent->Name() : "the form");
    EXPECT_EQ(TXPControls::All().Bits(), 0xFFFF);
    EXPECT_EQ(TXPContainers::All().Bits(), 0x03FF);
    EXPECT_EQ((TXPControls{xcPopupMenu, xcButton, xcBitBtn}).Bits(), (1 << 1) | (1 << 11) | (1 << 12));
}

TEST_F(SubclassFixture, SwitchingOnTakesOverTheQualifyingControlsAndOffRestoresThem) {
    for (const framework::Control* c : Controls{&check, &radio, &button, &edit, &combo, &group, &inPanel})
        EXPECT_TRUE(Flat(*c)) << c->Name();
    for (const framework::Control* c : Controls{&untouched, &inUntouchedPanel, &label, &panel})
        EXPECT_FALSE(Flat(*c)) << c->Name();
    EXPECT_EQ(xpm->SubclassCount(), 7u);
    EXPECT_FALSE(ExStyle(edit) & WS_EX_CLIENTEDGE) << "a flat edit has a single line for a frame";
    TControlSubClass second(*xpm, check.Handle(), check.GetKind());
    EXPECT_FALSE(second.Attached()) << "a control carries one subclass";

    xpm->SetActive(false);
    EXPECT_EQ(xpm->SubclassCount(), 0u);
    EXPECT_FALSE(Flat(check));
    EXPECT_FALSE(Flat(edit));
    EXPECT_TRUE(ExStyle(edit) & WS_EX_CLIENTEDGE) << "the edit's own frame is back";
    EXPECT_FALSE(::GetWindowLongPtrA(edit.Handle(), GWL_STYLE) & WS_BORDER);
    check.SetChecked(true);
    EXPECT_TRUE(check.Checked()) << "the control works on without the painter";

    xpm->SetActive(true);
    EXPECT_EQ(xpm->SubclassCount(), 7u);
    xpm->SetXPContainers({xccPanel});
    EXPECT_EQ(xpm->SubclassCount(), 1u);
    EXPECT_TRUE(Flat(inPanel));
    EXPECT_FALSE(Flat(button));
    xpm->SetXPContainers({});
    EXPECT_EQ(xpm->SubclassCount(), 0u) << "no container: only menus are painted";
}

TEST_F(SubclassFixture, CheckBoxIsPaintedFlatWithItsTick) {
    const TXPColors c = Colours();
    auto plain = Painted(check);
    const RECT in = CheckBoxIn(*plain).inner;
    EXPECT_EQ(plain->At(0, in.top - 2), kFormColour) << "the box is cleared in the form's colour";
    EXPECT_EQ(plain->At(in.left, in.top + 3), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(plain->At(in.left + 1, in.top + 1), Sys(COLOR_WINDOW));
    EXPECT_EQ(plain->Count(Sys(COLOR_HIGHLIGHT)), 0) << "no tick while unchecked";

    check.SetChecked(true);
    auto ticked = Painted(check);
    EXPECT_GT(ticked->Count(Sys(COLOR_HIGHLIGHT)), 6);
    const RECT ink = ticked->InkBox(kFormColour);
    EXPECT_GE(ink.left, 0);
    EXPECT_LE(ink.right, in.right + 2) << "nothing painted beyond the box";

    ::SendMessageA(check.Handle(), WM_SETFOCUS, 0, 0);
    auto hot = Painted(check);
    EXPECT_EQ(hot->At(in.left, in.top + 3), c.selectFrame);
    EXPECT_EQ(hot->At(in.left + 1, in.top + 1), c.selectFill);
}

TEST_F(SubclassFixture, TheCheckStateAskedByThePaintingIsNoMessageToAnswer) {
    const TXPColors c = Colours();
    check.SetChecked(true);
    // Focus paints, and the painting asks for the check state: that question
    // must neither paint again nor take the highlight away.
    ::SendMessageA(check.Handle(), WM_SETFOCUS, 0, 0);
    auto hot = Painted(check);
    const RECT in = CheckBoxIn(*hot).inner;
    EXPECT_EQ(hot->At(in.left, in.top + 3), c.selectFrame);
    // Asked from outside, the question is answered by the control itself.
    EXPECT_EQ(::SendMessageA(check.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(check.Checked());
    EXPECT_TRUE(Flat(check));
    auto after = Painted(check);
    EXPECT_EQ(after->At(in.left, in.top + 3), Sys(COLOR_BTNSHADOW)) << "an outside question ends the highlight";
}

TEST_F(SubclassFixture, RadioButtonIsPaintedAsARingWithADot) {
    auto plain = Painted(radio);
    const int top = (plain->Height() - 14) / 2;
    EXPECT_EQ(plain->At(7, top + 7), Sys(COLOR_WINDOW));
    int ringPixels = 0;
    for (int y = top + 2; y < top + 12; ++y) ringPixels += plain->At(2, y) == Sys(COLOR_BTNSHADOW);
    EXPECT_GT(ringPixels, 0) << "the ring's left edge";
    EXPECT_EQ(plain->At(0, top), kFormColour);
    radio.SetChecked(true);
    auto dotted = Painted(radio);
    EXPECT_EQ(dotted->At(7, top + 7), Sys(COLOR_HIGHLIGHT));
}

TEST_F(SubclassFixture, ButtonIsPaintedFlatAndShowsItsPress) {
    const TXPColors c = Colours();
    auto plain = Painted(button);
    const int w = plain->Width(), h = plain->Height();
    EXPECT_EQ(plain->At(0, 0), kFormColour) << "outside the rounded corner";
    EXPECT_EQ(plain->At(w / 2, 0), BlendTowardWhite(Sys(COLOR_BTNSHADOW), 30));
    EXPECT_EQ(plain->At(3, 3), c.iconStrip);
    EXPECT_EQ(plain->At(w / 2, h - 2), ShadeDown(Sys(COLOR_BTNSHADOW), 50)) << "the edge along the bottom";
    EXPECT_EQ(plain->Count(Sys(COLOR_BTNTEXT)) > 0, true) << "the caption";

    auto inPanelPainted = Painted(inPanel);
    EXPECT_EQ(inPanelPainted->At(0, 0), kPanelColour) << "a button on a panel is cleared in the panel's colour";

    ::SendMessageA(button.Handle(), WM_SETFOCUS, 0, 0);
    ::SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    auto pressed = Painted(button);
    ::SendMessageA(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    const COLORREF edge = ShadeDown(BlendTowardWhite(c.selectFrame, 60), 50);
    EXPECT_EQ(pressed->At(1, h / 2), edge) << "pressed: the edge runs along the left";
    EXPECT_NE(pressed->At(w / 2, h - 2), edge);
}

TEST_F(SubclassFixture, EditAndComboAreFramedFlat) {
    const TXPColors c = Colours();
    auto plainEdit = Painted(edit, true);
    EXPECT_EQ(plainEdit->At(0, plainEdit->Height() / 2), ShadeDown(kFormColour, 60));
    ::SendMessageA(edit.Handle(), WM_SETFOCUS, 0, 0);
    auto hotEdit = Painted(edit, true);
    EXPECT_EQ(hotEdit->At(0, hotEdit->Height() / 2), BlendTowardWhite(c.selectFrame, 60));

    auto plainCombo = Painted(combo);
    const int w = plainCombo->Width(), h = plainCombo->Height();
    const int buttonLeft = w - 1 - (::GetSystemMetrics(SM_CXHTHUMB) + 1);
    EXPECT_EQ(plainCombo->At(0, h / 2), Sys(COLOR_WINDOW));
    EXPECT_EQ(plainCombo->At(buttonLeft + 1, 2), Sys(COLOR_BTNFACE));
    EXPECT_EQ(plainCombo->Count(RGB(0, 0, 0)) >= 9, true) << "the arrow: 5 + 3 + 1 pixels";
    ::SendMessageA(combo.Handle(), WM_SETFOCUS, 0, 0);
    auto hotCombo = Painted(combo);
    EXPECT_EQ(hotCombo->At(0, h / 2), c.selectFrame);
    EXPECT_EQ(hotCombo->At(buttonLeft + 1, 2), c.selectFill);
}

TEST_F(SubclassFixture, GroupBoxFrameIsRedrawnFlat) {
    auto painted = Painted(group);
    const int y = painted->Height() / 2;
    EXPECT_EQ(painted->At(0, y), ShadeDown(kFormColour, 60));
    EXPECT_EQ(painted->At(1, y), BlendTowardWhite(kFormColour, 60));
}

TEST_F(SubclassFixture, AControlDestroyedFirstDropsItsSubclass) {
    check.Destroy();
    EXPECT_EQ(xpm->SubclassCount(), 6u);
    xpm->SetActive(false);
    EXPECT_EQ(xpm->SubclassCount(), 0u);
    xpm->SetActive(true);
    EXPECT_EQ(xpm->SubclassCount(), 6u);
    host.DestroyHandle();
    EXPECT_EQ(xpm->SubclassCount(), 0u) << "the form's windows went, and their subclasses with them";
    xpm.reset();
}

TEST_F(SubclassFixture, APainterDestroyedFirstLeavesEveryControlAsItWas) {
    xpm.reset();
    for (const framework::Control* c : Controls{&check, &edit, &button, &combo})
        EXPECT_FALSE(TControlSubClass::IsSubclassed(c->Handle())) << c->Name();
    EXPECT_TRUE(ExStyle(edit) & WS_EX_CLIENTEDGE);
    // Every message the controls get from now on goes to their own procedures.
    check.SetChecked(true);
    EXPECT_EQ(::SendMessageA(check.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageA(button.Handle(), WM_SETFOCUS, 0, 0);
    ::UpdateWindow(host.Handle());
    ::RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

TEST_F(SubclassFixture, APainterGoneInsideAControlsOwnClickIsNeverCalledAgain) {
    int clicks = 0;
    button.OnClick = [&] {
        ++clicks;
        xpm.reset();   // the painter goes while the button is still in its click
    };
    ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(xpm, nullptr);
    EXPECT_FALSE(TControlSubClass::IsSubclassed(button.Handle()));
    ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2) << "the button works on";

    xpm = std::make_unique<TXPMenu>(host);
    xpm->SetActive(true);
    check.OnClick = [&] { xpm->SetActive(false); };
    ::SendMessageA(check.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(xpm->SubclassCount(), 0u);
    EXPECT_FALSE(TControlSubClass::IsSubclassed(check.Handle()));
}
