// New windows of a program that already has a window on another desktop, seen
// from outside: they open on the desktop the user is looking at.
#include <gtest/gtest.h>
#include <memory>
#include "support/program_test.h"

using namespace e2e;

namespace {

class ScanTest : public ProgramTest {
protected:
    // Has the helper's process open one more window like `from` and waits
    // for it; it is titled after `from`.
    HWND OpenAnother(const Helper& h, HWND from) {
        ::PostMessageA(from, kHelperNewWindow, 0, 0);
        return WaitForWindow(TitleOf(from) + " new", ClassOf(from), h.Pid());
    }
};

}  // namespace

// The process keeps windows on desktops 1 and 2; its new window opens on
// desktop 3, where the user is, and belongs there from then on. Had a scan
// sent a new window to the desktop of the process's other windows, the next
// switch would show it there instead of hiding it.
TEST_F(ScanTest, NewWindowOfAProcessOnOtherDesktopsOpensOnTheCurrentOne) {
    Helper h({.cls = "TessSpread", .title = "spread"});
    SwitchTo("-s2", {}, {h.Window()});
    HWND second = OpenAnother(h, h.Window());
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(ShownSoon(second));
    SwitchTo("-s3", {}, {second});

    HWND third = OpenAnother(h, second);
    ASSERT_NE(third, nullptr);
    ASSERT_TRUE(ShownSoon(third));
    EXPECT_FALSE(IsShown(h.Window()));
    EXPECT_FALSE(IsShown(second));

    SwitchTo("-s1", {h.Window()}, {third});
    EXPECT_FALSE(IsShown(second));
    SwitchTo("-s2", {second}, {h.Window(), third});
    SwitchTo("-s3", {third}, {h.Window(), second});
}

// Strict separation is asked for (in force once the settings dialog reads
// it): a browser's popup still opens where the user is, beside the page that
// opened it, and not on the desktop of the browser's other window.
class StrictScanTest : public ScanTest {
    void Prepare() override { WriteSetting("strictdesk", 1); }
};

TEST_F(StrictScanTest, BrowserPopupOpensOnTheCurrentDesktop) {
    Helper browser({.cls = "TessBrowserPopup", .title = "browser", .popup = true, .exeName = "FIREFOX.EXE"});
    ASSERT_EQ(browser.Windows().size(), 1u);
    SwitchTo("-s2", {}, {browser.Window()});

    HWND popup = OpenAnother(browser, browser.Window());
    ASSERT_NE(popup, nullptr);
    ASSERT_NE(::GetWindowLongA(popup, GWL_STYLE) & WS_POPUP, 0);
    ASSERT_TRUE(ShownSoon(popup));
    EXPECT_FALSE(IsShown(browser.Window()));

    SwitchTo("-s1", {browser.Window()}, {popup});
    SwitchTo("-s2", {popup}, {browser.Window()});
}
