// The base of the custom-drawn controls: its window class, the way back from
// a handle, painting over the parent, the mouse entering and leaving, and the
// barrier around its messages.
#include <gtest/gtest.h>
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
    Swatch(framework::Form& f, std::string name) : CustomControl(f, std::move(name), "TTestSwatch") {}
    int enters = 0, leaves = 0;
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
};

class SwatchForm final : public framework::Form {
public:
    SwatchForm() : Form("frmSwatchProbe") {}
    Swatch swatch{*this, "swatch"};
protected:
    void CreateControls() override {
        static constexpr framework::ControlSpec kLayout[] = {
            {framework::Kind::Custom, "swatch", nullptr, 10, 10, 40, 40, "", 7},
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
