// The settings as the running program takes them: the dialog is created at
// start-up, loads the key, and pushes what it holds into the engine.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <string>
#include "framework/registry.h"
#include "framework/string_list.h"
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr char kKey[] = "Software\\Pelmora\\Tessarel";

// The dialog's window exists before its creation has loaded and applied the
// settings. Nothing pumps messages while the windows are created, so a sent
// message comes back only once the message loop runs.
HWND WaitForDialog(Tessarel& t) {
    DWORD pid = t.Pid();
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(t.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result);
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND w : WindowsOfProcess(pid))
            if (ClassOf(w) == "TfrmVDConfig") found = w;
        return found != nullptr;
    }, 15000);
    return found;
}

struct Opacity {
    bool layered;
    BYTE alpha;
};

Opacity PreviewOpacity(HWND main) {
    Opacity o{(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_LAYERED) != 0, 255};
    COLORREF key = 0;
    DWORD flags = 0;
    if (o.layered) ::GetLayeredWindowAttributes(main, &key, &o.alpha, &flags);
    return o;
}

// A start-up step that talks to another process (the tray icon's add) lets a
// sent message through before the loop runs: the opacity may still come.
Opacity PreviewOpacityOnceSettled(HWND main, Opacity expected) {
    Opacity o{};
    WaitUntil([&] {
        o = PreviewOpacity(main);
        return o.layered == expected.layered && o.alpha == expected.alpha;
    }, 3000);
    return o;
}

void WriteInt(const char* name, int v) {
    framework::Registry reg;
    reg.OpenKey(kKey, true);
    reg.WriteInteger(name, v);
}

void WriteText(const char* name, const char* v) {
    framework::Registry reg;
    reg.OpenKey(kKey, true);
    reg.WriteString(name, v);
}

long CloseProgram(Tessarel& t) {
    ::PostMessageA(t.MainWindow(), WM_CLOSE, 0, 0);
    return t.Process().Wait(15000);
}

}  // namespace

TEST(Settings, AFreshStartCreatesTheDialogAndAppliesTheDefaultOpacity) {
    Tessarel t;
    ASSERT_NE(t.MainWindow(), nullptr);
    HWND dialog = WaitForDialog(t);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsShown(dialog));
    Opacity o = PreviewOpacityOnceSettled(t.MainWindow(), {true, 192});
    EXPECT_TRUE(o.layered);
    EXPECT_EQ(o.alpha, 192);
    framework::Registry reg;
    EXPECT_TRUE(reg.KeyExists(kKey));
    EXPECT_EQ(CloseProgram(t), 0);
}

TEST(Settings, TheStoredTransparencyReachesThePreview) {
    struct { int transparency; bool layered; BYTE alpha; } cases[] = {{0, false, 255}, {75, true, 64}, {20, true, 204}};
    for (auto c : cases) {
        ResetUserState();
        WriteInt("transparency", c.transparency);
        Tessarel t("", false);
        ASSERT_NE(WaitForDialog(t), nullptr);
        Opacity o = PreviewOpacityOnceSettled(t.MainWindow(), {c.layered, c.alpha});
        EXPECT_EQ(o.layered, c.layered) << c.transparency;
        EXPECT_EQ(o.alpha, c.alpha) << c.transparency;
        EXPECT_EQ(CloseProgram(t), 0);
    }
}

TEST(Settings, AKeyOfWrongTypesAndRangesStartsWithDefaults) {
    ResetUserState();
    WriteText("transparency", "half");
    WriteInt("layoutid", 99);
    WriteInt("hotkeymode", -5);
    WriteText("deskcolor1", "red");
    WriteText("locked1", "yes");
    WriteInt("res1", 12345);
    WriteInt("gesturecode1", 3);
    WriteText("cfxwinpos", "x");
    Tessarel t("", false);
    ASSERT_NE(WaitForDialog(t), nullptr);
    // The engine ticks on: a switch is carried out at a tick.
    Helper h({.cls = "TessWrongValues", .title = "wrong values"});
    ASSERT_EQ(t.SecondStart("-s2"), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(h.Window()); }, 5000));
    EXPECT_TRUE(t.Process().Running());
    EXPECT_EQ(PreviewOpacity(t.MainWindow()).alpha, 192);
    EXPECT_EQ(CloseProgram(t), 0);
}

TEST(Settings, TheIgnoreAndWatchListsAreWrittenBackAtExit) {
    ResetUserState();
    std::string data = DataFolder();
    ::SHCreateDirectoryExA(nullptr, data.c_str(), nullptr);
    framework::WriteFileReplacing(data + "Tessareltop.ign", "C:\\PROGRAMS\\TOOL.EXE\r\nNOTEPAD\r\n");
    Tessarel t("", false);
    ASSERT_NE(WaitForDialog(t), nullptr);
    EXPECT_EQ(CloseProgram(t), 0);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.ign"), "C:\\PROGRAMS\\TOOL.EXE\r\nNOTEPAD\r\n");
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat"), "");
}
