// The desktop preview, run in this process: nothing outside the program can
// open it while the settings answer their defaults (no preview hotkey, no
// tray icon yet). The windows it shows and moves belong to helper processes;
// clicks and drags come from xdotool through the X server under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <map>
#include <set>
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "framework/application.h"
#include "settings/settings_access.h"
#include "support/e2e.h"
#include "support/gdi_objects.h"
#include "support/fake_settings.h"

using namespace e2e;
using engine::TfrmPTessarel;
namespace preview = engine::preview;

namespace {

using e2e::FakeSettings;

FakeSettings& Settings() {
    static FakeSettings s;
    return s;
}

TfrmPTessarel& Form() { return *engine::frmPTessarel; }

void Ticks(int n) { Pump(n * 250 + 60); }

SIZE Screen() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

int DesktopOf(HWND w) {
    const int i = Form().FindWindowRecord(w);
    return i < 0 ? -1 : Form().FWindowTable[static_cast<size_t>(i)].Desktop;
}

bool Recorded(HWND w) {
    return WaitUntil([w] { return Form().FindWindowRecord(w) >= 0; }, 3000);
}

bool ShownSoon(HWND w) { return WaitUntil([w] { return IsShown(w); }, 3000); }
bool HiddenSoon(HWND w) { return WaitUntil([w] { return !IsShown(w); }, 3000); }

void SwitchTo(int n) {
    Form().RequestDesktop(n);
    WaitUntil([n] { return Form().FCurrentDesktop == n; }, 3000);
    Ticks(1);
}

// Moves a helper's window and waits until it is there.
void Place(HWND w, int x, int y) {
    ::SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitUntil([&] {
        RECT r{};
        ::GetWindowRect(w, &r);
        return r.left == x && r.top == y;
    }, 2000);
}

SIZE ThumbSize() { return {Form().Thumbnail(1)->Width(), Form().Thumbnail(1)->Height()}; }

// Where a window is drawn in a thumbnail, in the thumbnail's pixels.
RECT Drawn(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return preview::ThumbWindowRect(r, Screen(), ThumbSize());
}

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A thumbnail pixel of desktop n on the screen.
POINT OnScreen(int desktop, POINT inThumb) {
    const RECT form = Form().BoundsRect();
    const framework::Image* t = Form().Thumbnail(desktop);
    return {form.left + t->Left() + inThumb.x, form.top + t->Top() + inThumb.y};
}

std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

// xdotool drives the X server under the Wine desktop; the preview lives in
// this process, so its messages are pumped while xdotool runs. Wine gives no
// waitable handle for a Unix program: a shell runs it and leaves a marker
// file when it is done.
void Xdotool(const std::string& args) {
    const std::string marker = BinDir() + "xdotool-done";
    ASSERT_EQ(marker.rfind("Z:\\", 0), 0u) << "the test folder has no Unix path: " << marker;
    std::string unixMarker = marker.substr(2);
    for (char& c : unixMarker)
        if (c == '\\') c = '/';
    ::DeleteFileA(marker.c_str());
    std::string command = "/bin/sh -c \"/usr/bin/xdotool " + args + "; touch '" + unixMarker + "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA("/bin/sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "the shell did not start: " << ::GetLastError();
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    EXPECT_TRUE(WaitUntil([&] { return ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000))
        << args;
    ::DeleteFileA(marker.c_str());
    Pump(150);
}

constexpr COLORREF kThumbBackground = 0xD0C0C0;

class PreviewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResetUserState();
        settings::SetLiveSource(&Settings());
        framework::App().CreateForm(engine::frmPTessarel);
        Ticks(2);
    }
    static void TearDownTestSuite() {
        framework::App().FreeForm(engine::frmPTessarel);
        settings::SetLiveSource(nullptr);
    }
    void SetUp() override {
        Settings().Reset();
        auto& f = Form();
        f.HidePreview();
        f.FGridCols = 1;
        f.FGridRows = 4;
        f.FSelectedWindow = nullptr;
        f.FPressedDesktop = 0;
        f.FPreviewSwitch = false;
        f.FStickyList->Clear();
        f.InvalidateStickyCache();
        if (f.FCurrentDesktop != 1) SwitchTo(1);
    }
    void TearDown() override { Form().HidePreview(); }
};

}  // namespace

TEST_F(PreviewTest, SizeAndPlaceForEveryPreviewSizeAndOpening) {
    auto& f = Form();
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(::SHAppBarMessage(ABM_GETTASKBARPOS, &bar));
    ASSERT_EQ(bar.uEdge, static_cast<UINT>(ABE_BOTTOM)) << "the table expects the taskbar at the bottom";
    const int barHeight = bar.rc.bottom - bar.rc.top;
    ASSERT_TRUE(::SetCursorPos(200, 300));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ASSERT_EQ(cursor.x, 200);
    const SIZE s = Screen();

    struct GridCase { int cols, rows; SIZE size[4]; } grids[] = {
        {1, 4, {{352, 983}, {292, 803}, {252, 683}, {192, 503}}},
        {3, 3, {{1000, 739}, {820, 604}, {700, 514}, {520, 379}}},
    };
    enum Opening { Taskbar, Mouse, Middle };
    for (const auto& g : grids) {
        for (int prevSize = 0; prevSize <= 3; ++prevSize) {
            for (Opening o : {Taskbar, Mouse, Middle}) {
                Settings().Set("prevsize", prevSize);
                Settings().Set("opendeskat", o == Middle ? 1 : 0);
                f.FGridCols = g.cols;
                f.FGridRows = g.rows;
                f.ShowPreview(o == Taskbar ? preview::kOriginTaskbar : preview::kOriginMouse);
                const int w = g.size[prevSize].cx, h = g.size[prevSize].cy;
                POINT want{};
                if (o == Taskbar) want = {s.cx - w, s.cy - h - barHeight};
                if (o == Mouse) want = {std::min(std::max(200 - w / 2, 0), static_cast<int>(s.cx) - w),
                                        std::min(std::max(300 - h / 2, 0), static_cast<int>(s.cy) - h)};
                if (o == Middle) want = {s.cx / 2 - w / 2, s.cy / 2 - h / 2};
                const RECT r = f.BoundsRect();
                const std::string what = std::to_string(g.cols) + "x" + std::to_string(g.rows) + " prevsize " +
                                         std::to_string(prevSize) + " opening " + std::to_string(o);
                EXPECT_EQ(r.right - r.left, w) << what;
                EXPECT_EQ(r.bottom - r.top, h) << what;
                EXPECT_EQ(r.left, want.x) << what;
                EXPECT_EQ(r.top, want.y) << what;
                EXPECT_TRUE(IsShown(f.Handle())) << what;
                EXPECT_TRUE(f.ExStyle() & WS_EX_TOPMOST) << what;
                EXPECT_EQ(f.PreviewOrigin(), o == Taskbar ? preview::kOriginTaskbar : preview::kOriginMouse);
                const int count = g.cols * g.rows;
                for (int n = 1; n <= 9; ++n) {
                    const framework::Image* t = f.Thumbnail(n);
                    const framework::GraphicLabel* l = f.DesktopLabel(n);
                    ASSERT_TRUE(t && l);
                    EXPECT_EQ(t->Visible(), n <= count) << what << " #" << n;
                    if (n > count) continue;
                    EXPECT_EQ(t->Width(), w - 28 > 0 ? (w - 28) / g.cols : 0) << what;
                    EXPECT_EQ(l->Left(), t->Left());
                    EXPECT_EQ(l->Top(), t->Top());
                    EXPECT_EQ(l->Width(), t->Width());
                    EXPECT_TRUE(l->Visible()) << "desktop numbers are on by default";
                }
                f.HidePreview();
                EXPECT_FALSE(IsShown(f.Handle()));
            }
        }
    }
}

TEST_F(PreviewTest, LabelsSitOnTheirThumbnailsAndShrinkForLongNames) {
    auto& f = Form();
    f.FGridCols = 3;
    f.FGridRows = 3;
    const std::string longName = "The desktop with the longest name";
    Settings().names[2] = longName;
    f.ShowPreview(preview::kOriginTaskbar);
    // The label named Label4 belongs to desktop 6, Label6 to 4, Label7 to 9, Label9 to 7.
    struct Case { const char* name; int tag; } cases[] = {{"Label4", 6}, {"Label6", 4}, {"Label7", 9}, {"Label9", 7}};
    for (const auto& c : cases) {
        const framework::GraphicLabel* l = f.DesktopLabel(c.tag);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->Name(), c.name);
        EXPECT_EQ(l->Left(), f.Thumbnail(c.tag)->Left());
        EXPECT_EQ(l->Top(), f.Thumbnail(c.tag)->Top());
    }
    framework::GraphicLabel probe("probe", 0);
    probe.SetFont("Tahoma", 31, true);
    const int pitch = f.Thumbnail(2)->Width();
    EXPECT_EQ(f.DesktopLabel(2)->FontSize(), pitch - 10 < probe.TextWidth(longName) ? 13 : 31);
    EXPECT_EQ(f.DesktopLabel(2)->Caption(), longName + " ");
    EXPECT_EQ(f.DesktopLabel(1)->FontSize(), 31);
    EXPECT_EQ(f.DesktopLabel(1)->Caption(), "1 ");

    // The label the mouse enters hides; its name is drawn into the thumbnail.
    f.HideOtherLabels(f.DesktopLabel(5));
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(f.DesktopLabel(n)->Visible(), n != 5) << n;
    f.RefreshPreview();
    auto whitePixels = [&](int desktop) {
        const framework::Image* t = f.Thumbnail(desktop);
        int white = 0;
        for (int y = 5; y < 20; ++y)
            for (int x = t->Width() - 30; x < t->Width() - 8; ++x) white += t->Pixel(x, y) == RGB(255, 255, 255);
        return white;
    };
    EXPECT_GT(whitePixels(5), 0);
    EXPECT_EQ(whitePixels(4), 0);

    Settings().Set("desknum", 0);
    f.HideOtherLabels(nullptr);
    for (int n = 1; n <= 9; ++n) EXPECT_FALSE(f.DesktopLabel(n)->Visible()) << n;
}

TEST_F(PreviewTest, OpacityFollowsTransparency) {
    auto& f = Form();
    struct Case { int transparency; bool layered; BYTE alpha; } cases[] = {{0, false, 255}, {25, true, 192}, {75, true, 64}};
    for (const auto& c : cases) {
        Settings().Set("transparency", c.transparency);
        f.ShowPreview(preview::kOriginTaskbar);
        EXPECT_EQ((f.ExStyle() & WS_EX_LAYERED) != 0, c.layered) << c.transparency;
        EXPECT_TRUE(f.ExStyle() & WS_EX_TOOLWINDOW);
        if (c.layered) {
            BYTE alpha = 0;
            DWORD flags = 0;
            ASSERT_TRUE(::GetLayeredWindowAttributes(f.Handle(), nullptr, &alpha, &flags));
            EXPECT_EQ(alpha, c.alpha) << c.transparency;
            EXPECT_TRUE(flags & LWA_ALPHA);
        }
        f.HidePreview();
    }
}

TEST_F(PreviewTest, ThumbnailsDrawEveryWindowInItsColoursAndZOrder) {
    auto& f = Form();
    Helper plain({.cls = "TessPrevPlain", .title = "plain"});
    Helper other({.cls = "TessPrevOther", .title = "on two"});
    Helper sticky({.cls = "TessPrevSticky", .title = "sticky"});
    f.FStickyList->Add("TESSPREVSTICKY");
    f.InvalidateStickyCache();
    Place(plain.Window(), 200, 200);
    Place(other.Window(), 700, 200);
    Place(sticky.Window(), 350, 250);   // overlaps the plain window, above it
    ::SetWindowPos(sticky.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(Recorded(plain.Window()) && Recorded(other.Window()) && Recorded(sticky.Window()));
    Ticks(1);
    f.FSelectedWindow = other.Window();
    f.FPressedDesktop = 1;
    f.miS1Click(2);
    ASSERT_TRUE(HiddenSoon(other.Window()));

    f.ShowPreview(preview::kOriginTaskbar);
    f.RefreshPreview();
    const framework::Image& one = *f.Thumbnail(1);
    const framework::Image& two = *f.Thumbnail(2);
    const RECT p = Drawn(plain.Window()), o = Drawn(other.Window()), s = Drawn(sticky.Window());

    EXPECT_EQ(one.Pixel(2, 100), 0x00E0E0u) << "border of the current desktop";
    EXPECT_EQ(two.Pixel(2, 100), 0x606060u) << "border of another desktop";
    EXPECT_EQ(one.Pixel(one.Width() - 6, one.Height() - 6), kThumbBackground);

    // The plain window: grey with a black outline, its title strip blue-grey.
    EXPECT_EQ(one.Pixel(p.left + 4, p.bottom - 2), 0xE0E0E0u);
    EXPECT_EQ(one.Pixel(p.left, p.bottom - 2), 0x000000u);
    EXPECT_EQ(one.Pixel(p.left + 3, p.top + 3), 0xF0B0B0u) << "title strip";
    EXPECT_EQ(two.Pixel(CentreOf(p).x, CentreOf(p).y), kThumbBackground) << "not on desktop 2";

    // The window of desktop 2 is drawn there only.
    EXPECT_EQ(two.Pixel(o.left + 4, o.bottom - 2), 0xE0E0E0u);
    EXPECT_EQ(one.Pixel(o.left + 4, o.bottom - 2), kThumbBackground);

    // The sticky window is light green, drawn over the plain one, and only
    // in the current desktop's thumbnail.
    const POINT overlap{s.left + 3, p.bottom - 2};
    ASSERT_LT(overlap.x, p.right);
    EXPECT_EQ(one.Pixel(overlap.x, overlap.y), 0xC0E0C0u) << "the upper window covers the lower";
    EXPECT_EQ(one.Pixel(s.left, s.bottom - 2), 0xF06060u) << "sticky outline";
    EXPECT_EQ(two.Pixel(s.left + 3, s.bottom - 2), kThumbBackground);

    // Pressing where both lie picks the upper one.
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Right, overlap.x, overlap.y);
    EXPECT_EQ(f.FSelectedWindow, sticky.Window());
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Right, p.left + 3, p.top + 3);
    EXPECT_EQ(f.FSelectedWindow, plain.Window());
    EXPECT_EQ(f.FPressedDesktop, 1);
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Right, one.Width() - 6, one.Height() - 6);
    EXPECT_EQ(f.FSelectedWindow, nullptr) << "nothing under the press";

    // A sticky window is never dragged to another desktop.
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Left, overlap.x, overlap.y);
    ASSERT_EQ(f.FSelectedWindow, sticky.Window());
    const int stickyDesktop = DesktopOf(sticky.Window());
    f.FTargetDesktop = 0;
    f.Image1MouseMove(*f.Thumbnail(3), MK_LBUTTON, overlap.x, overlap.y);
    EXPECT_EQ(f.FTargetDesktop, 0);
    EXPECT_EQ(DesktopOf(sticky.Window()), stickyDesktop);
    EXPECT_EQ(f.FRequestedDesktop, 1);
}

TEST_F(PreviewTest, PrivateDesktopShowsOnlyItsPadlockAndKeepsItsWindows) {
    auto& f = Form();
    Helper secret({.cls = "TessPrevSecret", .title = "secret"});
    Place(secret.Window(), 100, 100);
    ASSERT_TRUE(Recorded(secret.Window()));
    Ticks(1);
    f.FSelectedWindow = secret.Window();
    f.FPressedDesktop = 1;
    f.miS1Click(3);
    ASSERT_TRUE(HiddenSoon(secret.Window()));
    ASSERT_EQ(DesktopOf(secret.Window()), 3);
    Settings().privateDesktops = {3};

    f.ShowPreview(preview::kOriginTaskbar);
    f.RefreshPreview();
    const framework::Image& three = *f.Thumbnail(3);
    const framework::Image& lock = f.LockedPicture();
    const int left = three.Width() / 2 - 50, top = three.Height() / 2 - 50;
    int differing = 0;
    for (int y = 0; y < 100; y += 3)
        for (int x = 0; x < 100; x += 3) differing += three.Pixel(left + x, top + y) != lock.Pixel(x, y);
    EXPECT_EQ(differing, 0) << "the padlock, centred";
    const RECT d = Drawn(secret.Window());
    EXPECT_EQ(three.Pixel(d.left + 4, d.bottom - 2), kThumbBackground) << "no window drawn";

    // Nothing there can be picked, by either button.
    for (auto button : {TfrmPTessarel::MouseButton::Right, TfrmPTessarel::MouseButton::Left}) {
        f.Image1MouseDown(*f.Thumbnail(3), button, d.left + 4, d.bottom - 2);
        EXPECT_EQ(f.FSelectedWindow, nullptr);
    }
    EXPECT_EQ(f.FRequestedDesktop, 1);

    // Moving the window out asks for the password (refused here), for a
    // single window as for the whole application.
    f.FSelectedWindow = secret.Window();
    f.FPressedDesktop = 3;
    f.miS1Click(1);
    EXPECT_EQ(DesktopOf(secret.Window()), 3);
    f.miA1Click(1);
    EXPECT_EQ(DesktopOf(secret.Window()), 3);
    Ticks(2);
    EXPECT_FALSE(IsShown(secret.Window()));

    // Once the desktop is public again the same press picks the window and
    // the same move brings it back.
    Settings().privateDesktops.clear();
    f.Image1MouseDown(*f.Thumbnail(3), TfrmPTessarel::MouseButton::Right, d.left + 4, d.bottom - 2);
    EXPECT_EQ(f.FSelectedWindow, secret.Window());
    f.miS1Click(1);
    EXPECT_TRUE(ShownSoon(secret.Window()));
    EXPECT_EQ(DesktopOf(secret.Window()), 1);
}

TEST_F(PreviewTest, DraggingOutOfTheCurrentPrivateDesktopNeedsThePassword) {
    auto& f = Form();
    Helper h({.cls = "TessPrevDragPrivate", .title = "drag private"});
    Place(h.Window(), 100, 100);
    ASSERT_TRUE(Recorded(h.Window()));
    Ticks(1);
    Settings().Set("selectclose", 0);
    f.ShowPreview(preview::kOriginTaskbar);
    const RECT d = Drawn(h.Window());
    // Pressing on the current desktop needs no password, even when private.
    Settings().privateDesktops = {1};
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Left, d.left + 4, d.bottom - 2);
    ASSERT_EQ(f.FSelectedWindow, h.Window());
    f.Image1MouseMove(*f.Thumbnail(2), MK_LBUTTON, d.left + 4, d.bottom - 2);
    EXPECT_EQ(DesktopOf(h.Window()), 1) << "the refused password keeps the window";
    Pump(100);
    RECT before{};
    ::GetWindowRect(h.Window(), &before);
    // The refusal ends the drag: further moves neither move the window nor ask again.
    f.Image1MouseMove(*f.Thumbnail(2), MK_LBUTTON, d.left + 30, d.bottom + 20);
    Pump(100);
    RECT after{};
    ::GetWindowRect(h.Window(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(DesktopOf(h.Window()), 1);

    Settings().privateDesktops.clear();
    SwitchTo(1);
    EXPECT_TRUE(ShownSoon(h.Window()));
}

TEST_F(PreviewTest, DragNeedsTheLeftButtonAloneAndMovesTheWholeApplication) {
    auto& f = Form();
    Helper app({.cls = "TessPrevKeys", .title = "keys", .count = 2});
    Place(app.Window(0), 100, 100);
    Place(app.Window(1), 600, 100);
    ASSERT_TRUE(Recorded(app.Window(0)) && Recorded(app.Window(1)));
    Ticks(1);
    Settings().Set("selectclose", 0);
    f.ShowPreview(preview::kOriginTaskbar);
    const RECT d = Drawn(app.Window(0));
    const POINT press{d.left + 4, d.bottom - 2};
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Left, press.x, press.y);
    ASSERT_EQ(f.FSelectedWindow, app.Window(0));
    RECT before{};
    ::GetWindowRect(app.Window(0), &before);
    for (WPARAM keys : {WPARAM(MK_LBUTTON | MK_SHIFT), WPARAM(MK_LBUTTON | MK_CONTROL), WPARAM(MK_LBUTTON | MK_RBUTTON),
                        WPARAM(MK_RBUTTON), WPARAM(0)}) {
        f.Image1MouseMove(*f.Thumbnail(2), keys, press.x + 20, press.y);
        Pump(50);
        RECT now{};
        ::GetWindowRect(app.Window(0), &now);
        EXPECT_EQ(now.left, before.left) << "keys " << keys;
        EXPECT_EQ(DesktopOf(app.Window(0)), 1) << "keys " << keys;
    }
    f.Image1MouseMove(*f.Thumbnail(2), MK_LBUTTON, press.x, press.y);
    EXPECT_EQ(DesktopOf(app.Window(0)), 2);
    EXPECT_EQ(DesktopOf(app.Window(1)), 2) << "every window of the application";
    EXPECT_EQ(f.FRequestedDesktop, 2);
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    EXPECT_TRUE(ShownSoon(app.Window(0)));
    EXPECT_TRUE(ShownSoon(app.Window(1)));
}

// The mouse enters the other thumbnail at its corner, far from the point of
// the window it holds: the window goes as far as it can towards the mouse
// and keeps its title bar on the screen, where the user can grab it.
TEST_F(PreviewTest, AWindowDraggedInAtAThumbnailsCornerKeepsItsTitleBarOnTheScreen) {
    auto& f = Form();
    Helper app({.cls = "TessPrevCorner", .title = "corner"});
    ::SetWindowPos(app.Window(), nullptr, 300, 200, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] {
        RECT r{};
        return ::GetWindowRect(app.Window(), &r) && r.left == 300 && r.right == 800;
    }, 2000));
    ASSERT_TRUE(Recorded(app.Window()));
    Ticks(1);
    Settings().Set("selectclose", 0);
    f.ShowPreview(preview::kOriginTaskbar);
    // Held by its bottom-right part, dragged in at the top-left pixel.
    const RECT d = Drawn(app.Window());
    f.Image1MouseDown(*f.Thumbnail(1), TfrmPTessarel::MouseButton::Left, d.right - 3, d.bottom - 3);
    ASSERT_EQ(f.FSelectedWindow, app.Window());
    f.Image1MouseMove(*f.Thumbnail(2), MK_LBUTTON, 1, 1);
    RECT area{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    RECT now{};
    EXPECT_TRUE(WaitUntil([&] {
        return ::GetWindowRect(app.Window(), &now) && now.left == area.left && now.top == area.top;
    }, 3000)) << "at " << now.left << "," << now.top;
    EXPECT_EQ(now.right - now.left, 500) << "the size stays";
    EXPECT_EQ(now.bottom - now.top, 400);
    EXPECT_EQ(DesktopOf(app.Window()), 2);
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    f.HidePreview();
}

TEST_F(PreviewTest, SingleWindowAndWholeApplicationMoves) {
    auto& f = Form();
    Helper app({.cls = "TessPrevMoves", .title = "moves", .count = 2});
    ASSERT_TRUE(Recorded(app.Window(0)) && Recorded(app.Window(1)));
    Ticks(1);
    f.FSelectedWindow = app.Window(0);
    f.FPressedDesktop = 1;
    f.miS1Click(2);
    EXPECT_TRUE(HiddenSoon(app.Window(0)));
    EXPECT_TRUE(IsShown(app.Window(1)));

    f.FSelectedWindow = app.Window(1);
    f.FTargetDesktop = 3;
    f.miA1Click();
    EXPECT_TRUE(HiddenSoon(app.Window(1)));
    EXPECT_EQ(DesktopOf(app.Window(0)), 3);
    EXPECT_EQ(DesktopOf(app.Window(1)), 3);
    SwitchTo(3);
    EXPECT_TRUE(ShownSoon(app.Window(0)));
    EXPECT_TRUE(ShownSoon(app.Window(1)));

    // Nothing is selected, or the selection is gone: nothing moves.
    f.FSelectedWindow = nullptr;
    f.miA1Click(1);
    f.miS1Click(1);
    EXPECT_EQ(DesktopOf(app.Window(0)), 3);
}

TEST_F(PreviewTest, BrowserWindowsMoveAloneWhenSeparated) {
    auto& f = Form();
    Helper ie({.cls = "TessPrevBrowser", .title = "browser", .count = 2, .exeName = "IEXPLORE.EXE"});
    ASSERT_TRUE(Recorded(ie.Window(0)) && Recorded(ie.Window(1)));
    Ticks(1);
    f.FSelectedWindow = ie.Window(0);
    f.FPressedDesktop = 1;
    f.miA1Click(2);
    EXPECT_TRUE(HiddenSoon(ie.Window(0)));
    EXPECT_EQ(DesktopOf(ie.Window(1)), 1);
    EXPECT_TRUE(IsShown(ie.Window(1)));

    Settings().Set("iesepar", 0);
    f.FSelectedWindow = ie.Window(1);
    f.miA1Click(2);
    EXPECT_TRUE(HiddenSoon(ie.Window(1)));
}

TEST_F(PreviewTest, FewerDesktopsMoveTheirWindowsToTheLast) {
    auto& f = Form();
    SwitchTo(4);
    Helper h({.cls = "TessPrevFour", .title = "on four"});
    ASSERT_TRUE(Recorded(h.Window()));
    Ticks(1);
    ASSERT_EQ(DesktopOf(h.Window()), 4);
    f.FGridRows = 2;
    f.LayoutPreview(260, 195);
    EXPECT_EQ(DesktopOf(h.Window()), 2);
    EXPECT_EQ(f.FRequestedDesktop, 2);
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    EXPECT_TRUE(IsShown(h.Window()));
    EXPECT_FALSE(f.Thumbnail(3)->Visible());
    f.FGridRows = 4;
}

TEST_F(PreviewTest, ClickThatSwitchesNothingLeavesNoPreviewSwitchBehind) {
    auto& f = Form();
    Settings().Set("selectclose", 0);
    f.ShowPreview(preview::kOriginTaskbar);
    f.Image1Click(*f.Thumbnail(1));
    EXPECT_FALSE(f.FPreviewSwitch) << "the current desktop: no switch follows";
    EXPECT_TRUE(IsShown(f.Handle()));
    f.Image1Click(*f.Thumbnail(2));
    EXPECT_TRUE(f.FPreviewSwitch);
    EXPECT_EQ(f.FRequestedDesktop, 2);
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    EXPECT_FALSE(f.FPreviewSwitch) << "used by the switch";
}

TEST_F(PreviewTest, ClickOnAThumbnailSwitches) {
    auto& f = Form();
    Helper h({.cls = "TessPrevClick", .title = "click"});
    Place(h.Window(), 100, 100);
    ASSERT_TRUE(Recorded(h.Window()));
    Ticks(1);
    f.ShowPreview(preview::kOriginTaskbar);
    const SIZE t = ThumbSize();
    Xdotool("mousemove " + At(OnScreen(2, {t.cx - 20, t.cy - 20})) + " sleep 0.2 click 1");
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    EXPECT_TRUE(HiddenSoon(h.Window()));
    EXPECT_FALSE(IsShown(f.Handle())) << "closed when a desktop is selected";

    f.ShowPreview(preview::kOriginTaskbar);
    Xdotool("mousemove " + At(OnScreen(1, {t.cx - 20, t.cy - 20})) + " sleep 0.2 click 1");
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 1; }, 3000));
    EXPECT_TRUE(ShownSoon(h.Window()));
}

TEST_F(PreviewTest, DraggingAWindowOntoAnotherThumbnailMovesItsApplication) {
    auto& f = Form();
    Helper app({.cls = "TessPrevDrag", .title = "dragged", .count = 2});
    Helper stays({.cls = "TessPrevStays", .title = "stays"});
    Place(app.Window(0), 100, 100);
    Place(app.Window(1), 600, 100);
    Place(stays.Window(), 100, 600);
    ASSERT_TRUE(Recorded(app.Window(0)) && Recorded(app.Window(1)) && Recorded(stays.Window()));
    Ticks(1);
    f.ShowPreview(preview::kOriginTaskbar);
    Ticks(1);
    const POINT grip = CentreOf(Drawn(app.Window(1)));
    const POINT from = OnScreen(1, grip), to = OnScreen(2, grip);
    Xdotool("mousemove " + At(from) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove " + At({from.x, from.y + 60}) +
            " sleep 0.1 mousemove " + At({to.x, to.y - 30}) + " sleep 0.1 mousemove " + At(to) +
            " sleep 0.2 mouseup 1");
    EXPECT_EQ(DesktopOf(app.Window(0)), 2);
    EXPECT_EQ(DesktopOf(app.Window(1)), 2);
    EXPECT_EQ(DesktopOf(stays.Window()), 1);
    EXPECT_TRUE(WaitUntil([] { return Form().FCurrentDesktop == 2; }, 3000));
    EXPECT_TRUE(ShownSoon(app.Window(0)));
    EXPECT_TRUE(ShownSoon(app.Window(1)));
    EXPECT_TRUE(HiddenSoon(stays.Window()));

    SwitchTo(1);
    EXPECT_TRUE(HiddenSoon(app.Window(0)));
    EXPECT_TRUE(HiddenSoon(app.Window(1)));
    EXPECT_TRUE(ShownSoon(stays.Window()));
}

TEST_F(PreviewTest, RepaintingLeaksNoGdiObjectsAndDrawsExecutableIcons) {
    auto& f = Form();
    ChildProcess notepad("C:\\windows\\system32\\notepad.exe", "");
    HWND pad = WaitForWindow("", "Notepad", notepad.Pid(), 10000);
    ASSERT_NE(pad, nullptr);
    Helper helpers({.cls = "TessPrevLeak", .title = "leak", .count = 3});
    ::SetWindowPos(pad, HWND_TOP, 500, 400, 500, 400, SWP_NOACTIVATE);
    ASSERT_TRUE(Recorded(pad));
    Ticks(1);
    f.FGridCols = 3;
    f.FGridRows = 3;
    f.ShowPreview(preview::kOriginTaskbar);

    // Notepad's own icon is drawn at the top-left of its rectangle.
    f.RefreshPreview();
    const RECT d = Drawn(pad);
    std::set<COLORREF> colours;
    for (int y = d.top + 1; y < d.top + 17; ++y)
        for (int x = d.left + 1; x < d.left + 17; ++x) colours.insert(f.Thumbnail(1)->Pixel(x, y));
    EXPECT_GE(colours.size(), 3u) << "no icon drawn";

    if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) == 0)
        std::printf("GetGuiResources answers 0 here: counting the process's GDI handle table\n");
    for (int large : {0, 1}) {
        Settings().Set("largeicons", large);
        for (int i = 0; i < 10; ++i) {
            f.RefreshPreview();
            f.Repaint();
        }
        const int before = GdiObjects();
        ASSERT_GT(before, 0);
        for (int i = 0; i < 150; ++i) {
            f.RefreshPreview();
            f.Repaint();
        }
        EXPECT_EQ(GdiObjects(), before) << "large icons " << large;
    }
    f.HidePreview();
    notepad.Kill();
}

TEST_F(PreviewTest, PaintingNeverWaitsForAHungWindow) {
    auto& f = Form();
    Helper hung({.cls = "TessPrevHung", .title = "hung"});
    ASSERT_TRUE(Recorded(hung.Window()));
    Ticks(1);
    f.ShowPreview(preview::kOriginTaskbar);
    hung.Hang();
    Pump(300);
    const DWORD start = ::GetTickCount();
    for (int i = 0; i < 5; ++i) {
        f.RefreshPreview();
        f.Repaint();
    }
    EXPECT_LT(::GetTickCount() - start, 2000u);
    const RECT d = Drawn(hung.Window());
    EXPECT_EQ(f.Thumbnail(1)->Pixel(d.left + 4, d.bottom - 2), 0xE0E0E0u) << "the hung window is still drawn";
    hung.Process().Kill();
}

TEST_F(PreviewTest, CloseButtonHidesThePreview) {
    auto& f = Form();
    f.ShowPreview(preview::kOriginTaskbar);
    const RECT r = f.BoundsRect();
    Xdotool("mousemove " + At({r.left + 12, r.top + 13}) + " sleep 0.2 click 1");
    EXPECT_TRUE(WaitUntil([] { return !IsShown(Form().Handle()); }, 2000));
}
