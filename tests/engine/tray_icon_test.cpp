// The tray icon component inside the test process: the shell's callback
// messages posted to its hidden window become events in a fixed order,
// and the records it sends to the shell.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "engine/tray_icon.h"
#include "framework/timer.h"
#include "support/e2e.h"

using namespace engine;

namespace {

std::string ButtonName(TMouseButton b) {
    switch (b) {
    case TMouseButton::mbLeft: return "L";
    case TMouseButton::mbRight: return "R";
    default: return "M";
    }
}

std::string ShiftName(TShiftState s) {
    std::string out;
    if (s & ssLeft) out += "+left";
    if (s & ssRight) out += "+right";
    if (s & ssMiddle) out += "+middle";
    if (s & ssDouble) out += "+double";
    return out;
}

struct NotifyCall {
    DWORD message;
    NOTIFYICONDATAA data;
};

// Records what the component sends to the shell; answers as told.
class ShellRecorder {
public:
    ShellRecorder() {
        SetNotifyIconFunction([this](DWORD m, const NOTIFYICONDATAA& d) {
            calls.push_back({m, d});
            return m == NIM_ADD ? addAnswer : TRUE;
        });
    }
    ~ShellRecorder() { SetNotifyIconFunction({}); }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> out;
        for (const auto& c : calls) out.push_back(c.message);
        return out;
    }
    std::vector<NotifyCall> calls;
    BOOL addAnswer = TRUE;
};

HICON NewIcon() { return ::CopyIcon(::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))); }

class TrayIconEvents : public ::testing::Test {
protected:
    void SetUp() override {
        icon.OnClick = [this](TRxTrayIcon&, TMouseButton b, TShiftState, int, int) { log.push_back("click " + ButtonName(b)); };
        icon.OnDblClick = [this](TRxTrayIcon&) { log.push_back("dblclick"); };
        icon.OnMouseDown = [this](TRxTrayIcon&, TMouseButton b, TShiftState s, int, int) {
            log.push_back("down " + ButtonName(b) + ShiftName(s));
        };
        icon.OnMouseUp = [this](TRxTrayIcon&, TMouseButton b, TShiftState s, int, int) {
            log.push_back("up " + ButtonName(b) + ShiftName(s));
        };
        icon.OnMouseMove = [this](TRxTrayIcon&, TShiftState, int, int) { log.push_back("move"); };
    }
    void Post(std::initializer_list<UINT> mouseMessages) {
        for (UINT m : mouseMessages) ::PostMessageA(icon.Handle(), WM_TRAYICON, 0, m);
        e2e::Pump(50);
    }
    ShellRecorder shell;
    TRxTrayIcon icon{true};
    std::vector<std::string> log;
};

}  // namespace

TEST_F(TrayIconEvents, CallbackMessagesGiveEventsInTheirOrder) {
    struct Case {
        const char* what;
        std::vector<UINT> messages;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {"left double click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
         {"down L+left", "click L", "up L+left", "dblclick", "down L+double", "up L+left"}},
        {"right click without a menu", {WM_RBUTTONDOWN, WM_RBUTTONUP}, {"down R+right", "click R", "up R+right"}},
        {"right double click", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP},
         {"down R+right", "click R", "up R+right", "down R+double", "up R+right"}},
        {"middle button", {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
         {"down M+middle", "up M+middle", "down M+double"}},
        {"release without a press", {WM_LBUTTONUP}, {"up L+left"}},
        {"move and others", {WM_MOUSEMOVE, WM_MOUSEWHEEL, WM_KEYDOWN}, {"move"}},
    };
    for (const auto& c : cases) {
        log.clear();
        for (UINT m : c.messages) ::PostMessageA(icon.Handle(), WM_TRAYICON, 0, m);
        e2e::Pump(50);
        EXPECT_EQ(log, c.events) << c.what;
    }
}

TEST_F(TrayIconEvents, DisabledIconTurnsNoMessageIntoEvents) {
    icon.Enabled = false;
    Post({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE});
    EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconEvents, RightClickPopsUpTheMenuInsteadOfClicking) {
    framework::PopupMenu menu;
    menu.Items.Add("x", "Item");
    icon.SetPopupMenu(&menu);

    menu.AutoPopup = false;
    Post({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(log, (std::vector<std::string>{"down R+right", "click R", "up R+right"})) << "AutoPopup off";

    menu.AutoPopup = true;
    log.clear();
    bool shown = false;
    framework::Timer closer(20, [&] {
        if (HWND w = ::FindWindowA("#32768", nullptr); w && ::IsWindowVisible(w)) {
            shown = true;
            log.push_back("menu");
            ::PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    });
    ::PostMessageA(icon.Handle(), WM_TRAYICON, 0, WM_RBUTTONDOWN);
    ::PostMessageA(icon.Handle(), WM_TRAYICON, 0, WM_RBUTTONUP);
    e2e::WaitUntil([&] { return log.size() >= 3; }, 3000);
    closer.SetEnabled(false);
    EXPECT_TRUE(shown);
    EXPECT_EQ(log, (std::vector<std::string>{"down R+right", "menu", "up R+right"}));
    EXPECT_EQ(menu.PopupComponent, &icon);

    // An inactive icon pops up nothing.
    icon.SetActive(false);
    log.clear();
    Post({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(log, (std::vector<std::string>{"down R+right", "click R", "up R+right"}));
}

TEST_F(TrayIconEvents, DoubleClickRunsTheMenusDefaultItemWhenThereIsOne) {
    framework::PopupMenu menu;
    int defaultClicks = 0;
    framework::MenuItem& item = menu.Items.Add("d", "Default", [&](framework::MenuItem&) { ++defaultClicks; });
    icon.SetPopupMenu(&menu);

    struct Case {
        const char* what;
        bool isDefault, enabled, active;
        int clicks;
        bool dblClickEvent;
    };
    const Case cases[] = {
        {"no default item", false, true, true, 0, true},
        {"default item disabled", true, false, true, 0, true},
        {"default item enabled", true, true, true, 1, false},
        {"inactive icon", true, true, false, 0, true},
    };
    for (const auto& c : cases) {
        item.Default = c.isDefault;
        item.Enabled = c.enabled;
        icon.SetActive(c.active);
        defaultClicks = 0;
        log.clear();
        Post({WM_LBUTTONDBLCLK});
        EXPECT_EQ(defaultClicks, c.clicks) << c.what;
        EXPECT_EQ(!log.empty() && log.front() == "dblclick", c.dblClickEvent) << c.what;
    }
}

TEST_F(TrayIconEvents, FreedPopupMenuIsForgotten) {
    {
        framework::PopupMenu menu;
        icon.SetPopupMenu(&menu);
        EXPECT_EQ(icon.PopupMenu(), &menu);
    }
    EXPECT_EQ(icon.PopupMenu(), nullptr);
    Post({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(log, (std::vector<std::string>{"down R+right", "click R", "up R+right"}));
}

TEST(TrayIconShell, AddedRecordCarriesTheCallbackAndTheShortHint) {
    ShellRecorder shell;
    TRxTrayIcon icon{true};
    icon.Icon().SetHandle(NewIcon());
    EXPECT_TRUE(shell.calls.empty()) << "nothing before Loaded";
    icon.SetHint("Tip text|the long part of the hint");
    icon.Loaded();
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
    const NOTIFYICONDATAA& d = shell.calls[1].data;
    EXPECT_EQ(d.cbSize, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(d.hWnd, icon.Handle());
    EXPECT_EQ(d.uID, 0u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 0xB054u);
    EXPECT_EQ(d.hIcon, icon.Icon().Handle());
    EXPECT_STREQ(d.szTip, "Tip text");
    EXPECT_TRUE(icon.IconAdded());

    shell.calls.clear();
    icon.SetHint(std::string(80, 'x'));
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
    EXPECT_EQ(std::string(shell.calls[0].data.szTip), std::string(63, 'x'));
}

TEST(TrayIconShell, EmptyHintGetsASecondModifyAfterTheAdd) {
    ShellRecorder shell;
    TRxTrayIcon icon{true};
    icon.Icon().SetHandle(NewIcon());
    icon.Loaded();
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_MODIFY}));
}

TEST(TrayIconShell, ActiveStateAndEmptyIcons) {
    ShellRecorder shell;
    TRxTrayIcon icon{false};
    icon.SetHint("tip");
    icon.Loaded();
    EXPECT_TRUE(shell.calls.empty()) << "inactive: nothing is added";
    icon.SetActive(false);
    EXPECT_TRUE(shell.calls.empty()) << "setting the same value does nothing";

    icon.SetActive(true);
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE})) << "an empty icon is never added";
    EXPECT_FALSE(icon.IconAdded());

    shell.calls.clear();
    icon.Icon().SetHandle(NewIcon());
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD})) << "an icon arriving adds it";
    shell.calls.clear();
    icon.SetActive(true);
    EXPECT_TRUE(shell.calls.empty()) << "no re-add";

    icon.Icon().SetHandle(NewIcon());
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
    shell.calls.clear();
    icon.Icon().Clear();
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE})) << "an emptied icon is removed";
    EXPECT_FALSE(icon.IconAdded());

    icon.Icon().SetHandle(NewIcon());
    shell.calls.clear();
    icon.SetActive(false);
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
    EXPECT_FALSE(icon.IconAdded());
}

TEST(TrayIconShell, FailedAddIsTriedAgainAtTheNextUpdate) {
    ShellRecorder shell;
    shell.addAnswer = FALSE;
    TRxTrayIcon icon{true};
    icon.SetHint("tip");
    icon.Icon().SetHandle(NewIcon());
    icon.Loaded();
    EXPECT_FALSE(icon.IconAdded());
    shell.addAnswer = TRUE;
    shell.calls.clear();
    icon.SetHint("other tip");
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
    EXPECT_TRUE(icon.IconAdded());
}

TEST(TrayIconShell, DestructionRemovesTheIcon) {
    ShellRecorder shell;
    {
        TRxTrayIcon icon{true};
        icon.Icon().SetHandle(NewIcon());
        icon.Loaded();
        shell.calls.clear();
    }
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
}

TEST(TrayIconShell, RealShellTakesTheIconUnderWine) {
    TRxTrayIcon icon{true};
    icon.SetHint("Tessarel test icon");
    icon.Icon().SetHandle(NewIcon());
    icon.Loaded();
    EXPECT_TRUE(icon.IconAdded());
}
