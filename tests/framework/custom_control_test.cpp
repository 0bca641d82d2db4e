// The base of the custom-drawn controls: its window class, the way back from
// a handle, painting over the parent, the mouse entering and leaving, the
// click on release inside, and the barrier around its messages.
#include <gtest/gtest.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/custom_control.h"
#include "framework/form.h"

namespace {

constexpr COLORREF kInk = RGB(10, 200, 30);

class Swatch final : public framework::CustomControl {
public:
    Swatch(framework::Form& f, std::string name, bool clickOnRelease = false)
        : CustomControl(f, std::move(name), "TTestSwatch") {
        if (clickOnRelease) ClickOnRelease();
        OnClick = [this] { ++clicks; };
    }
    int enters = 0, leaves = 0, clicks = 0;
    std::vector<bool> looks;   // Pressed() at each change of the pressed look
    void Paint(HDC dc, const RECT& client) const override {
        // A square in the middle; the rest is the parent's background.
        RECT inner{client.right / 4, client.bottom / 4, client.right * 3 / 4, client.bottom * 3 / 4};
        framework::Brush ink = SolidBrush(kInk);
        ::FillRect(dc, &inner, ink.get());
    }
protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_APP + 3) throw std::runtime_error("swatch failed");
        return CustomControl::HandleMessage(m, w, l);
    }
    void MouseEnter() override { ++enters; }
    void MouseLeave() override { ++leaves; }
    void PressChanged() override { looks.push_back(Pressed()); }
};

class SwatchForm final : public framework::Form {
public:
    SwatchForm() : Form("frmSwatchProbe") {}
    Swatch swatch{*this, "swatch"};
    Swatch push{*this, "push", true};   // clicks on release inside
protected:
    void CreateControls() override {
        static constexpr framework::ControlSpec kLayout[] = {
            {framework::Kind::Custom, "swatch", nullptr, 10, 10, 40, 40, "", 7},
            {framework::Kind::Custom, "push", nullptr, 60, 10, 40, 40, "", 0},
        };
        ApplyLayout(kLayout);
    }
};

}  // namespace

TEST(CustomControl, AWindowOfItsOwnClassThatFindsItsControlAgain) {
    SwatchForm f;
    f.CreateHandle();
    HWND h = f.swatch.Handle();
    ASSERT_NE(h, nullptr);
    char cls[64] = {};
    ::GetClassNameA(h, cls, sizeof cls);
    EXPECT_STREQ(cls, "TTestSwatch");
    EXPECT_EQ(framework::CustomControl::FromHandle(h), &f.swatch);
    EXPECT_EQ(framework::CustomControl::FromHandle(f.Handle()), nullptr) << "a form is no custom control";
    EXPECT_EQ(f.swatch.Tag, 7);
    f.DestroyHandle();
    EXPECT_EQ(framework::CustomControl::FromHandle(h), nullptr);
}

TEST(CustomControl, PaintsOverTheParentsBackground) {
    SwatchForm f;
    f.CreateHandle();
    f.SetColor(RGB(200, 0, 200));
    f.SetBounds(100, 100, 200, 200);
    f.Show();
    f.Repaint();
    framework::WindowDc dc(f.swatch.Handle());
    EXPECT_EQ(::GetPixel(dc.get(), 20, 20), kInk);
    EXPECT_EQ(::GetPixel(dc.get(), 2, 2), RGB(200, 0, 200)) << "the corner shows the form's colour";
    f.Hide();
}

TEST(CustomControl, TellsTheMouseComingAndGoingOnceEach) {
    SwatchForm f;
    f.CreateHandle();
    HWND h = f.swatch.Handle();
    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_TRUE(f.swatch.MouseInside());
    EXPECT_EQ(f.swatch.enters, 1);
    ::SendMessageA(h, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(f.swatch.MouseInside());
    EXPECT_EQ(f.swatch.leaves, 1);
    ::SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(f.swatch.enters, 2);
}

TEST(CustomControl, ClicksOnlyWhenAPressIsReleasedInside) {
    SwatchForm f;
    f.CreateHandle();
    const HWND form = f.Handle();
    auto down = [](HWND h) { ::SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); };
    auto up = [](HWND h, int x, int y) { ::SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); };
    struct Case {
        const char* what;
        Swatch& control;
        std::function<void(HWND)> mouse;
        int clicks;
        std::vector<bool> looks;
    } cases[] = {
        {"released inside", f.push, [&](HWND h) { down(h); up(h, 20, 20); }, 1, {true, false}},
        {"dragged off and released right of it", f.push,
         [&](HWND h) {
             down(h);
             ::SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 5));
             up(h, 100, 5);
         },
         0, {true, false}},
        {"released left of it", f.push, [&](HWND h) { down(h); up(h, -3, 20); }, 0, {true, false}},
        {"another window took the mouse mid-press", f.push,
         [&](HWND h) { down(h); ::SetCapture(form); ::ReleaseCapture(); up(h, 20, 20); }, 0, {true, false}},
        {"the mouse let go mid-press", f.push, [&](HWND h) { down(h); ::ReleaseCapture(); up(h, 20, 20); }, 0,
         {true, false}},
        {"a release without a press", f.push, [&](HWND h) { up(h, 20, 20); }, 0, {}},
        {"disabled", f.push,
         [&](HWND h) { ::EnableWindow(h, FALSE); down(h); up(h, 20, 20); ::EnableWindow(h, TRUE); }, 0, {true, false}},
        {"not turned on", f.swatch, [&](HWND h) { down(h); up(h, 20, 20); }, 0, {}},
    };
    for (Case& c : cases) {
        c.control.clicks = 0;
        c.control.looks.clear();
        c.mouse(c.control.Handle());
        EXPECT_EQ(c.control.clicks, c.clicks) << c.what;
        EXPECT_EQ(c.control.looks, c.looks) << c.what;
        EXPECT_FALSE(c.control.Pressed()) << c.what;
        EXPECT_EQ(::GetCapture(), nullptr) << c.what << ": the mouse is let go";
    }
}

TEST(CustomControl, AnExceptionInItsMessagesReachesTheApplication) {
    std::vector<std::string> seen;
    framework::App().OnException = [&](const std::string& m) { seen.push_back(m); };
    SwatchForm f;
    f.CreateHandle();
    ::SendMessageA(f.swatch.Handle(), WM_APP + 3, 0, 0);
    framework::App().OnException = nullptr;
    EXPECT_EQ(seen, std::vector<std::string>{"swatch failed"});
    EXPECT_TRUE(::IsWindow(f.swatch.Handle())) << "the control goes on";
}
