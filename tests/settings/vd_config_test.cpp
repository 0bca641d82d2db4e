// The settings dialog as the settings store, created in this process against
// the real registry of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "settings/dialog_items.h"
#include "settings/rule_files.h"
#include "settings/settings_access.h"
#include "settings/store_values.h"
#include "settings/vd_config.h"
#include "support/e2e.h"
#include "toolkit/radio_group.h"
#include "support/lock_prompt.h"

using settings::TfrmVDConfig;

namespace {

constexpr char kKey[] = "Software\\Pelmora\\Tessarel";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RegValue {
    DWORD type;
    std::string data;
    bool operator==(const RegValue&) const = default;
};
using KeyDump = std::map<std::string, RegValue>;

KeyDump Export(const char* path) {
    KeyDump out;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name, type = 0, size = 0;
        if (::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameLen = sizeof name;
        ::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size);
        out[std::string(name, nameLen)] = {type, data};
    }
    ::RegCloseKey(key);
    return out;
}

void Raw(const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}
void Dword(const std::string& name, int v) { Raw(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4)); }
void Str(const std::string& name, const std::string& v) { Raw(name, REG_SZ, v + std::string(1, '\0')); }

std::optional<int> StoredInt(const KeyDump& d, const std::string& name) {
    auto it = d.find(name);
    if (it == d.end() || it->second.type != REG_DWORD || it->second.data.size() != 4) return std::nullopt;
    int v;
    std::memcpy(&v, it->second.data.data(), 4);
    return v;
}
std::optional<std::string> StoredText(const KeyDump& d, const std::string& name) {
    auto it = d.find(name);
    if (it == d.end() || it->second.type != REG_SZ) return std::nullopt;
    std::string s = it->second.data;
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

std::optional<std::string> RunValue() {
    framework::Registry reg;
    if (!reg.OpenKeyReadOnly(kRun)) return std::nullopt;
    return reg.TryReadString("pelmoratessarel");
}
void SetRunValue(const std::optional<std::string>& v) {
    framework::Registry reg;
    reg.OpenKey(kRun, true);
    reg.DeleteValue("pelmoratessarel");
    if (v) reg.WriteString("pelmoratessarel", *v);
}

int FirstDisplayModeCode() {
    DEVMODEW m{};
    m.dmSize = sizeof m;
    for (DWORD i = 0; ::EnumDisplaySettingsExW(nullptr, i, &m, 0); ++i)
        if (m.dmPelsWidth >= 640 && m.dmBitsPerPel > 8)
            return settings::DisplayModeCode(static_cast<int>(m.dmPelsWidth), static_cast<int>(m.dmPelsHeight),
                                             static_cast<int>(m.dmBitsPerPel), static_cast<int>(m.dmDisplayFrequency));
    return settings::kWindowsDefaultMode;
}

struct Message {
    std::string text, caption;
    UINT flags;
};

class ConfigDialog : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        SetRunValue(std::nullopt);
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            messages.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
    }
    void TearDown() override {
        CloseDialog();
        for (HWND w : windows) ::DestroyWindow(w);
        engine::frmPTessarel = nullptr;
        main.reset();
        framework::SetMessageBoxAnswerer({});
        SetRunValue(std::nullopt);
        e2e::ResetUserState();
    }
    TfrmVDConfig& Open() {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(settings::frmVDConfig);
        app.SetMainForm(before);   // closing the dialog must not end the test program
        return *settings::frmVDConfig;
    }
    void CloseDialog() {
        if (settings::frmVDConfig) framework::App().FreeForm(settings::frmVDConfig);
    }
    // The engine's state without its window: enough for the grid and the table.
    engine::TfrmPTessarel& Engine() {
        main = std::make_unique<engine::TfrmPTessarel>();
        engine::frmPTessarel = main.get();
        return *main;
    }
    HWND AddWindow(int desktop) {
        HWND w = ::CreateWindowExA(0, "STATIC", "settings test window", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
        windows.push_back(w);
        engine::TWindowRecord rec;
        rec.Wnd = engine::TWindowRecord::WndFromHandle(w);
        rec.Visible = 1;
        rec.Desktop = static_cast<int8_t>(desktop);
        rec.ProcessId = ::GetCurrentProcessId();
        main->FWindowTable.push_back(rec);
        return w;
    }
    int DesktopOf(HWND w) {
        for (const auto& r : main->FWindowTable)
            if (r.Handle() == w) return r.Desktop;
        return -1;
    }

    std::vector<Message> messages;
    std::unique_ptr<engine::TfrmPTessarel> main;
    std::vector<HWND> windows;
};

// The defaults, as the settings are documented: name, type, default.
struct Expected {
    const char* name;
    bool boolean;
    int def;
};
constexpr Expected kDefaults[] = {
    {"transparency", false, 25}, {"hotkeymode", false, 3}, {"autofollow", true, 0}, {"sysmenui", true, 1},
    {"strictdesk", true, 0}, {"selectclose", true, 1}, {"unsafemodes", true, 0}, {"trayicon", true, 1},
    {"prevsize", false, 1}, {"doubleint", false, 1}, {"iesepar", true, 1}, {"async", true, 0},
    {"wrap", true, 0}, {"wrapedgenav", true, 1}, {"desknum", true, 1}, {"deskinfo", true, 0},
    {"showsplash", true, 1}, {"disticons", true, 0}, {"distql", true, 0}, {"deskinfolarge", true, 1},
    {"deskbar", false, 0}, {"hotkeyapplist", false, 5}, {"hotkeymainmenu", false, 0}, {"hotkeydeskprev", false, 0},
    {"snapshots", false, 0}, {"largeicons", true, 0}, {"showdeskname", true, 0}, {"retaininputfocus", true, 1},
    {"layoutid", false, 4}, {"opendeskat", false, 0}, {"usegestures", true, 1}, {"holdwhilegesture", false, 0},
    {"edgenav", false, 0},
};
constexpr const char* kDefaultCodes[22] = {"L", "R", "URD", "U", "RDLU", "", "UR", "DR", "DRU", "", "", "",
                                           "", "", "", "", "", "", "", "", "", ""};

}  // namespace

TEST_F(ConfigDialog, AFreshUserGetsEveryDefaultAndTheFirstSaveWritesThem) {
    auto& dlg = Open();
    for (const auto& e : kDefaults) {
        const settings::ValueSpec* spec = settings::FindValue(e.name);
        ASSERT_NE(spec, nullptr) << e.name;
        const auto name = settings::SettingName::Of(*spec);
        EXPECT_EQ(settings::Int(name), e.def) << e.name;
        EXPECT_EQ(settings::DefaultOf(name), e.def) << e.name;
        EXPECT_EQ(dlg.ControlValue(*settings::FindValue(e.name)), e.def) << e.name;
        EXPECT_EQ(settings::FindValue(e.name)->type == settings::ValueType::Boolean, e.boolean) << e.name;
        if (e.boolean) {
            EXPECT_EQ(settings::Flag(name), e.def != 0) << e.name;
        }
    }
    EXPECT_EQ(dlg.rgPrevSize.Item(dlg.rgPrevSize.ItemIndex()), "Medium (260x195)");
    EXPECT_EQ(dlg.cbLayout.Text(), "3 x 3");
    EXPECT_EQ(dlg.rgApplist.Item(dlg.rgApplist.ItemIndex()), "Ctrl + Left Windows");
    EXPECT_FALSE(dlg.cbLoad.Checked());
    for (int n = 1; n <= 9; ++n) {
        EXPECT_FALSE(dlg.FLocked[static_cast<size_t>(n)]) << n;
        EXPECT_EQ(dlg.cbWPS(n).Text(), "Tile") << n;
        EXPECT_EQ(dlg.cbColor(n).ItemIndex(), 0) << n;
        EXPECT_EQ(dlg.cbRes(n).Text(), "(windows default)") << n;
        EXPECT_EQ(dlg.DesktopName(n), std::to_string(n));
    }
    for (int row = 1; row <= 22; ++row) EXPECT_EQ(dlg.sgGestures.Cell(1, row), kDefaultCodes[row - 1]) << row;
    int sw = ::GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(dlg.FClickLeft, sw - 100);
    EXPECT_EQ(dlg.FClickTop, 30);

    dlg.SaveSettings();
    KeyDump key = Export(kKey);
    EXPECT_EQ(key.size(), 33u + 2u + 6u * 9u + 22u);
    for (const auto& e : kDefaults) EXPECT_EQ(StoredInt(key, e.name), e.def) << e.name;
    for (int n = 1; n <= 9; ++n) {
        auto s = std::to_string(n);
        EXPECT_EQ(StoredInt(key, "deskcolor" + s), 0);
        EXPECT_EQ(StoredInt(key, "wallpaperstyle" + s), 0);
        EXPECT_EQ(StoredInt(key, "res" + s), -2);
        EXPECT_EQ(StoredInt(key, "locked" + s), 0);
        EXPECT_EQ(StoredText(key, "wallpaper" + s), "");
        EXPECT_EQ(StoredText(key, "deskname" + s), "");
    }
    for (int row = 1; row <= 22; ++row) EXPECT_EQ(StoredText(key, "gesturecode" + std::to_string(row)), kDefaultCodes[row - 1]);
    EXPECT_EQ(StoredInt(key, "cfxwinpos"), settings::ClickPosToStored(sw - 100, sw));
    EXPECT_FALSE(RunValue().has_value());
}

// What the dialog's lists hold is what the lookup by control name answers,
// which the manual's and the README's checks read.
TEST_F(ConfigDialog, ListsHoldTheItemsTheirControlNamesGive) {
    auto& dlg = Open();
    auto itemsOf = [&](const std::string& name) {
        std::vector<std::string> items;
        framework::Control* c = dlg.FindControl(name);
        if (auto* combo = dynamic_cast<framework::ComboBox*>(c))
            for (int i = 0; i < combo->Count(); ++i) items.push_back(combo->Item(i));
        else if (auto* group = dynamic_cast<toolkit::RadioGroup*>(c))
            for (int i = 0; i < group->Count(); ++i) items.push_back(group->Item(i));
        return items;
    };
    std::vector<std::string> lists;
    for (const auto& spec : settings::kPlainValues)
        if (!settings::DialogListItems(spec.control).empty()) lists.emplace_back(spec.control);
    for (int n = 1; n <= 9; ++n) {
        lists.push_back("cbWPS" + std::to_string(n));
        lists.push_back("cbColor" + std::to_string(n));
    }
    EXPECT_GE(lists.size(), 30u);
    for (const std::string& name : lists) {
        EXPECT_FALSE(itemsOf(name).empty()) << name;
        EXPECT_EQ(itemsOf(name), settings::DialogListItems(name)) << name;
    }
    EXPECT_TRUE(settings::DialogListItems("cbFollow").empty());
    EXPECT_TRUE(settings::DialogListItems("cbWPS0").empty());
    EXPECT_EQ(settings::DialogCaption("cbSysmenu"), "Allow system menu integration");
    EXPECT_EQ(settings::DialogCaption("noSuchControl"), "");
}

TEST_F(ConfigDialog, LoadThenSaveLeavesAFullKeyByteForByteUnchanged) {
    const std::pair<const char*, int> ints[] = {
        {"transparency", 40}, {"hotkeymode", 7}, {"autofollow", 1}, {"sysmenui", 0}, {"strictdesk", 1},
        {"selectclose", 0}, {"unsafemodes", 1}, {"trayicon", 0}, {"prevsize", 3}, {"doubleint", 2},
        {"iesepar", 0}, {"async", 1}, {"wrap", 1}, {"wrapedgenav", 0}, {"desknum", 0}, {"deskinfo", 1},
        {"showsplash", 0}, {"disticons", 1}, {"distql", 1}, {"deskinfolarge", 0}, {"deskbar", 3},
        {"hotkeyapplist", 8}, {"hotkeymainmenu", 4}, {"hotkeydeskprev", 2}, {"snapshots", 2}, {"largeicons", 1},
        {"showdeskname", 1}, {"retaininputfocus", 0}, {"layoutid", 2}, {"opendeskat", 1}, {"usegestures", 0},
        {"holdwhilegesture", 3}, {"edgenav", 2},
        // Values of other units in the same key stay as they are.
        {"bubblelevel", 2}, {"desknamex", 1234}, {"showcfgwiz", 0},
    };
    for (auto [name, v] : ints) Dword(name, v);
    int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    Dword("cfxwinpos", settings::ClickPosToStored(700, sw));
    Dword("cfywinpos", settings::ClickPosToStored(500, sh));
    const char* names[] = {"Work", "", "Mail", "A", "Games and more", "", "7th", "", "Z"};
    int mode = FirstDisplayModeCode();
    for (int n = 1; n <= 9; ++n) {
        auto s = std::to_string(n);
        Dword("deskcolor" + s, n - 1);
        Str("wallpaper" + s, n % 2 ? "C:\\walls\\d" + s + ".bmp" : "");
        Dword("wallpaperstyle" + s, n % 3);
        Dword("res" + s, n == 2 ? mode : -2);
        Str("deskname" + s, names[n - 1]);
        Dword("locked" + s, n == 2 || n == 7 ? 1 : 0);
    }
    for (int row = 1; row <= 22; ++row) Str("gesturecode" + std::to_string(row), row == 1 ? "" : row == 6 ? "DD" : kDefaultCodes[row - 1]);
    Str("pwdlocal", "0123456789ABCDEF");
    KeyDump before = Export(kKey);

    auto& dlg = Open();
    EXPECT_EQ(dlg.cbLayout.Text(), "2 x 3");
    EXPECT_TRUE(dlg.FLocked[2] && dlg.FLocked[7] && !dlg.FLocked[3]);
    EXPECT_TRUE(dlg.cbLock(7).Checked());
    EXPECT_EQ(dlg.FClickLeft, 700);
    EXPECT_EQ(dlg.DesktopName(5), "Games and more");
    dlg.SaveSettings();
    KeyDump after = Export(kKey);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, value] : before) {
        auto it = after.find(name);
        ASSERT_NE(it, after.end()) << name;
        EXPECT_EQ(it->second.type, value.type) << name;
        EXPECT_EQ(it->second.data, value.data) << name;
    }
}

TEST_F(ConfigDialog, AGroupIsReadOnlyWhenItsDesktopOneValueExists) {
    Dword("deskcolor2", 5);
    Dword("wallpaperstyle3", 2);
    Dword("locked2", 1);
    Str("wallpaper2", "C:\\w.bmp");
    Str("deskname2", "Two");
    Dword("res2", FirstDisplayModeCode());
    auto& dlg = Open();
    dlg.feDesk(2).SetFileName("kept");
    dlg.edName(2).SetText("kept too");
    dlg.LoadSettings();
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(dlg.cbColor(n).ItemIndex(), 0) << n;
        EXPECT_EQ(dlg.cbWPS(n).ItemIndex(), 0) << n;
        EXPECT_EQ(dlg.cbRes(n).ItemIndex(), 0) << n;
        EXPECT_FALSE(dlg.IsPrivate(n)) << n;
    }
    EXPECT_EQ(dlg.feDesk(2).FileName(), "kept");
    EXPECT_EQ(dlg.edName(2).Text(), "kept too");

    // With the desktop-1 values present the same members load.
    Dword("deskcolor1", 1);
    Dword("locked1", 0);
    Str("deskname1", "");
    dlg.LoadSettings();
    EXPECT_EQ(dlg.cbColor(1).ItemIndex(), 1);
    EXPECT_EQ(dlg.cbColor(2).ItemIndex(), 5);
    EXPECT_EQ(dlg.cbColor(3).ItemIndex(), 0);   // a missing member takes the group's default
    EXPECT_TRUE(dlg.IsPrivate(2));
    EXPECT_EQ(dlg.edName(2).Text(), "Two");
}

TEST_F(ConfigDialog, WrongTypedAndOutOfRangeValuesGiveDefaultsAndTheLoadGoesOn) {
    Str("transparency", "abc");
    Dword("hotkeymode", 13);
    Dword("layoutid", 99);
    Raw("prevsize", REG_BINARY, std::string("\x03\x00\x00\x00", 4));
    Raw("deskbar", REG_QWORD, std::string("\x02\x00\x00\x00\x00\x00\x00\x00", 8));
    Str("autofollow", "1");
    Str("cfxwinpos", "10");
    Dword("deskcolor1", 99);
    Dword("deskcolor2", 5);
    Dword("wallpaper1", 7);
    Str("wallpaper2", "C:\\two.bmp");
    Str("res1", "-2");
    Str("locked1", "1");
    Dword("locked2", 1);
    Dword("deskname1", 5);
    Str("deskname2", "  Two  ");
    Str("gesturecode3", "XYZ");
    Dword("gesturecode4", 1);
    Str("gesturecode5", "LL");
    Dword("edgenav", 2);   // read after every bad value
    Dword("holdwhilegesture", 4);

    auto& dlg = Open();
    EXPECT_EQ(dlg.slTrans.Value(), 25);
    EXPECT_EQ(dlg.cbHotKeys.ItemIndex(), 3);
    EXPECT_EQ(dlg.cbLayout.ItemIndex(), 4);
    EXPECT_EQ(dlg.rgPrevSize.ItemIndex(), 1);
    EXPECT_EQ(dlg.cbDeskBar.ItemIndex(), 0);
    EXPECT_FALSE(dlg.cbFollow.Checked());
    EXPECT_EQ(dlg.FClickLeft, ::GetSystemMetrics(SM_CXSCREEN) - 100);
    EXPECT_EQ(dlg.cbColor(1).ItemIndex(), 0);
    EXPECT_EQ(dlg.cbColor(2).ItemIndex(), 5);
    EXPECT_EQ(dlg.feDesk(1).FileName(), "");
    EXPECT_EQ(dlg.feDesk(2).FileName(), "C:\\two.bmp");
    EXPECT_EQ(dlg.cbRes(1).ItemIndex(), 0);
    EXPECT_FALSE(dlg.IsPrivate(1));
    EXPECT_TRUE(dlg.IsPrivate(2));
    EXPECT_EQ(dlg.DesktopName(1), "1");
    EXPECT_EQ(dlg.DesktopName(2), "Two");
    EXPECT_EQ(dlg.sgGestures.Cell(1, 3), "URD");
    EXPECT_EQ(dlg.sgGestures.Cell(1, 4), "U");
    EXPECT_EQ(dlg.sgGestures.Cell(1, 5), "LL");
    EXPECT_EQ(dlg.cbEdge.ItemIndex(), 2);
    EXPECT_EQ(dlg.cbHold.ItemIndex(), 4);

    // The next save writes every value with its own type again.
    dlg.SaveSettings();
    KeyDump key = Export(kKey);
    EXPECT_EQ(StoredInt(key, "transparency"), 25);
    EXPECT_EQ(StoredInt(key, "layoutid"), 4);
    EXPECT_EQ(StoredInt(key, "deskbar"), 0);
    EXPECT_EQ(StoredInt(key, "locked2"), 1);
    EXPECT_EQ(StoredText(key, "gesturecode3"), "URD");
}

TEST_F(ConfigDialog, CancelPutsTheValuesInForceBackAndNothingCancelledIsSaved) {
    Str("pwdlocal", "0123456789ABCDEF");
    Dword("locked1", 0);
    Dword("locked3", 1);
    auto& dlg = Open();
    dlg.SaveSettings();
    KeyDump inForce = Export(kKey);

    dlg.cbFollow.SetChecked(true);
    dlg.cbLayout.SetItemIndex(0);
    dlg.slTrans.SetValue(70);
    dlg.edName(2).SetText("Changed");
    dlg.feDesk(4).SetFileName("C:\\new.bmp");
    dlg.cbColor(5).SetItemIndex(3);
    dlg.sgGestures.SetCell(1, 2, "UU");
    dlg.cbLock(3).SetChecked(false);
    dlg.cbLock(5).SetChecked(true);
    dlg.lbIgnore.AddItem("C:\\X.EXE");
    dlg.cbLoad.SetChecked(true);
    EXPECT_TRUE(settings::Flag("autofollow"));   // read in place before Apply
    EXPECT_FALSE(dlg.FLockedPending[3]);

    // A change not applied never reaches the registry as a lock flag, also
    // when the settings are saved as at exit.
    dlg.SaveSettings();
    KeyDump saved = Export(kKey);
    EXPECT_EQ(StoredInt(saved, "locked3"), 1);
    EXPECT_EQ(StoredInt(saved, "locked5"), 0);

    dlg.btnCancelClick();
    EXPECT_FALSE(dlg.cbFollow.Checked());
    EXPECT_EQ(dlg.cbLayout.ItemIndex(), 4);
    EXPECT_EQ(dlg.slTrans.Value(), 25);
    EXPECT_EQ(dlg.edName(2).Text(), "");
    EXPECT_EQ(dlg.feDesk(4).FileName(), "");
    EXPECT_EQ(dlg.cbColor(5).ItemIndex(), 0);
    EXPECT_EQ(dlg.sgGestures.Cell(1, 2), "R");
    EXPECT_TRUE(dlg.cbLock(3).Checked());
    EXPECT_FALSE(dlg.cbLock(5).Checked());
    EXPECT_EQ(dlg.FLockedPending, dlg.FLocked);
    EXPECT_EQ(dlg.lbIgnore.Count(), 0);
    EXPECT_FALSE(dlg.cbLoad.Checked());
    dlg.SaveSettings();
    EXPECT_EQ(Export(kKey), inForce);
    EXPECT_FALSE(RunValue().has_value());
}

TEST_F(ConfigDialog, ShowingAgainDropsEditsThatWereNotApplied) {
    auto& dlg = Open();
    dlg.Show();
    dlg.cbStrict.SetChecked(true);
    dlg.Hide();
    dlg.Show();
    EXPECT_FALSE(dlg.cbStrict.Checked());
    dlg.Hide();
}

TEST_F(ConfigDialog, TheRunValueIsThereExactlyWhenStartWithWindowsIsChecked) {
    std::string ours = "\"" + engine::GetAppFolder() + "Tessareltop.exe\"";
    SetRunValue("\"C:\\old place\\Tessareltop.exe\"");
    auto& dlg = Open();
    EXPECT_TRUE(dlg.cbLoad.Checked());
    dlg.SaveSettings();
    EXPECT_EQ(RunValue(), ours);   // rewritten although it existed

    dlg.cbLoad.SetChecked(false);
    dlg.SaveSettings();
    EXPECT_FALSE(RunValue().has_value());
    dlg.LoadSettings();
    EXPECT_FALSE(dlg.cbLoad.Checked());

    dlg.cbLoad.SetChecked(true);
    dlg.SaveSettings();
    EXPECT_EQ(RunValue(), ours);
}

TEST_F(ConfigDialog, ANameOfSpacesIsSavedEmptyAndReadsAsTheNumber) {
    Str("deskname1", "  Mail  ");
    auto& dlg = Open();
    EXPECT_EQ(dlg.edName(1).Text(), "Mail");
    dlg.edName(3).SetText("    ");
    EXPECT_EQ(dlg.DesktopName(3), "3");
    EXPECT_EQ(settings::DesktopName(3), "3");
    dlg.SaveSettings();
    KeyDump key = Export(kKey);
    EXPECT_EQ(StoredText(key, "deskname3"), "");
    EXPECT_EQ(StoredText(key, "deskname1"), "Mail");
    Str("deskname3", "   ");
    dlg.LoadSettings();
    EXPECT_EQ(dlg.edName(3).Text(), "");
    EXPECT_EQ(dlg.DesktopName(3), "3");
    EXPECT_EQ(settings::DesktopName(1), "Mail");
}

TEST_F(ConfigDialog, TheEngineReadsTheControlsWhileTheDialogExistsAndDefaultsOtherwise) {
    auto& dlg = Open();
    EXPECT_FALSE(settings::Flag("strictdesk"));
    dlg.cbStrict.SetChecked(true);
    dlg.cbHotKeys.SetItemIndex(11);
    dlg.sgGestures.SetCell(1, 6, "LR");
    dlg.lbWatch.AddItem("C:\\WATCHED.EXE");
    EXPECT_TRUE(settings::Flag("strictdesk"));
    EXPECT_EQ(settings::Int("hotkeymode"), 11);
    EXPECT_EQ(settings::Text("gesturecode6"), "LR");
    EXPECT_TRUE(settings::InWatchList("C:\\WATCHED.EXE"));
    EXPECT_FALSE(settings::InWatchList("C:\\watched.exe"));
    EXPECT_EQ(settings::Int("deskcolor3"), 0);
    EXPECT_EQ(settings::Int("res4"), -2);
    // The lock flags in force, not the boxes.
    dlg.cbLock(4).SetChecked(true);
    EXPECT_FALSE(settings::IsPrivate(4));

    CloseDialog();
    EXPECT_EQ(settings::CurrentSource(), nullptr);
    EXPECT_FALSE(settings::Flag("strictdesk"));
    EXPECT_EQ(settings::Int("hotkeymode"), 3);
    EXPECT_EQ(settings::DesktopName(2), "2");
}

TEST_F(ConfigDialog, TheClickWindowPlaceIsLoadedOnlyUntilTheUserHasMovedIt) {
    int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    Dword("cfxwinpos", 5000);
    Dword("cfywinpos", 20000);
    auto& dlg = Open();
    EXPECT_EQ(dlg.FClickLeft, sw / 2);
    EXPECT_EQ(dlg.FClickTop, sh - 16);
    dlg.FRestoreClickPos = false;
    dlg.FClickLeft = 10;
    Dword("cfxwinpos", 100);
    dlg.LoadSettings();
    EXPECT_EQ(dlg.FClickLeft, 10);
    dlg.SaveSettings();
    EXPECT_EQ(StoredInt(Export(kKey), "cfxwinpos"), settings::ClickPosToStored(10, sw));
}

TEST_F(ConfigDialog, ApplyNeedsAPasswordForPrivateDesktops) {
    auto& dlg = Open();
    dlg.cbFollow.SetChecked(true);
    dlg.cbLock(2).SetChecked(true);
    dlg.btnApplyClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "You MUST set a desktop lock password if you define at least one private desktop!");
    EXPECT_EQ(messages[0].caption, "Warning!");
    EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(dlg.IsPrivate(2));
    EXPECT_FALSE(StoredInt(Export(kKey), "autofollow").has_value());   // nothing saved

    // With a password, making a desktop private needs nothing more.
    e2e::LockPromptAnswers prompt;
    prompt.accept = false;
    const auto& reasons = prompt.reasons;
    dlg.btnApplyClick();
    EXPECT_TRUE(reasons.empty());
    EXPECT_TRUE(dlg.IsPrivate(2));
    EXPECT_EQ(StoredInt(Export(kKey), "locked2"), 1);
    EXPECT_EQ(StoredInt(Export(kKey), "autofollow"), 1);

    // Making it public asks; a refused password changes nothing, and OK then
    // puts the box back.
    dlg.cbLock(2).SetChecked(false);
    dlg.cbClose.SetChecked(false);
    dlg.btnOKClick();
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0], "Enter your desktop lock password to unlock desktop(s)!");
    EXPECT_TRUE(dlg.IsPrivate(2));
    EXPECT_TRUE(dlg.cbLock(2).Checked());
    EXPECT_TRUE(dlg.cbClose.Checked());
    EXPECT_EQ(StoredInt(Export(kKey), "locked2"), 1);
    EXPECT_EQ(StoredInt(Export(kKey), "selectclose"), 1);

    prompt.accept = true;
    dlg.cbLock(2).SetChecked(false);
    dlg.btnApplyClick();
    EXPECT_FALSE(dlg.IsPrivate(2));
    EXPECT_EQ(StoredInt(Export(kKey), "locked2"), 0);
}

TEST_F(ConfigDialog, UntilThePasswordPromptLandsNoDesktopIsMadePublic) {
    Str("pwdlocal", "0123456789ABCDEF");
    Dword("locked1", 1);
    auto& dlg = Open();
    dlg.cbLock(1).SetChecked(false);
    dlg.btnApplyClick();
    EXPECT_TRUE(dlg.IsPrivate(1));
    EXPECT_EQ(StoredInt(Export(kKey), "locked1"), 1);
}

TEST_F(ConfigDialog, TheLayoutSetsTheGridAndWindowsOfRemovedDesktopsMoveToTheLast) {
    auto& engineState = Engine();
    EXPECT_EQ(engineState.FGridCols * engineState.FGridRows, 4);
    auto& dlg = Open();   // creation applies the stored layout
    EXPECT_EQ(engineState.FGridCols, 3);
    EXPECT_EQ(engineState.FGridRows, 3);

    HWND on3 = AddWindow(3), on8 = AddWindow(8), on9 = AddWindow(9);
    engineState.FCurrentDesktop = 8;
    engineState.FRequestedDesktop = 8;
    dlg.cbLayout.SetItemIndex(2);   // "2 x 3"
    dlg.btnApplyClick();
    EXPECT_EQ(engineState.FGridCols, 2);
    EXPECT_EQ(engineState.FGridRows, 3);
    EXPECT_EQ(DesktopOf(on3), 3);
    EXPECT_EQ(DesktopOf(on8), 6);
    EXPECT_EQ(DesktopOf(on9), 6);
    EXPECT_EQ(engineState.FRequestedDesktop, 6);
    EXPECT_EQ(StoredInt(Export(kKey), "layoutid"), 2);
}

// With per-desktop icons on, a layout with fewer desktops brings the parked
// icons of the desktops it removes onto the desktop, as desktop 1's.
TEST_F(ConfigDialog, ALayoutWithFewerDesktopsBringsTheParkedIconsOfTheOthersBack) {
    char desktop[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));
    const std::string onDesktop = std::string(desktop) + "\\settings-test-desk7.txt";
    const std::string parked = engine::GetDataFolder() + "IconSwapper\\7\\settings-test-desk7.txt";
    ::SHCreateDirectoryExA(nullptr, (engine::GetDataFolder() + "IconSwapper\\7").c_str(), nullptr);
    framework::WriteFileReplacing(parked, "desktop 7's");
    Dword("disticons", 1);
    Engine();
    auto& dlg = Open();   // nine desktops: the set stays parked
    EXPECT_EQ(::GetFileAttributesA(onDesktop.c_str()), INVALID_FILE_ATTRIBUTES);
    dlg.cbLayout.SetItemIndex(9);   // "2 x 2"
    dlg.btnApplyClick();
    EXPECT_EQ(::GetFileAttributesA(parked.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA(onDesktop.c_str()), INVALID_FILE_ATTRIBUTES);
    CloseDialog();
    EXPECT_EQ(framework::ReadFileBytes(onDesktop), "desktop 7's");
    ::DeleteFileA(onDesktop.c_str());
}

TEST_F(ConfigDialog, AShrinkNeverMovesWindowsOutOfAPrivateDesktop) {
    e2e::LockPromptAnswers prompt;
    Dword("locked1", 0);
    Dword("locked8", 1);
    Dword("locked9", 1);
    auto& engineState = Engine();
    auto& dlg = Open();
    HWND on8 = AddWindow(8), on2 = AddWindow(2);

    dlg.cbLayout.SetItemIndex(9);   // "2 x 2"
    dlg.btnApplyClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Warning!");
    EXPECT_EQ(engineState.FGridCols * engineState.FGridRows, 9);
    EXPECT_EQ(DesktopOf(on8), 8);
    EXPECT_EQ(DesktopOf(on2), 2);
    EXPECT_EQ(dlg.cbLayout.ItemIndex(), 4);
    EXPECT_EQ(StoredInt(Export(kKey), "layoutid"), 4);   // the layout in force is what is stored

    // A private desktop without windows does not stop it (desktop 9), and
    // neither does one made public in the same Apply with the password.
    dlg.cbLock(8).SetChecked(false);
    dlg.cbLayout.SetItemIndex(9);
    dlg.btnApplyClick();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(engineState.FGridCols * engineState.FGridRows, 4);
    EXPECT_EQ(DesktopOf(on8), 4);
    EXPECT_EQ(StoredInt(Export(kKey), "layoutid"), 9);
}

TEST_F(ConfigDialog, RuleFilesAreLoadedAtCreationAndSavedWithTheSettings) {
    std::string data = engine::GetDataFolder();
    framework::WriteFileReplacing(data + "Tessareltop.ign", "C:\\IGNORED.EXE\r\nSHELL_TRAYWND\r\n");
    framework::WriteFileReplacing(data + "Tessareltop.wat", "C:\\WATCHED.EXE\r\n");
    std::string rules = settings::EncodeAutoSendRules(std::vector<settings::TAutoSendRule>{
        settings::MakeAutoSendRule("C:\\Mail.exe", 4, false), settings::MakeAutoSendRule("Notepad", 2, true)});
    framework::WriteFileReplacing(data + "Tessareltop.aus", rules);
    auto& dlg = Open();
    EXPECT_TRUE(settings::InIgnoreList("SHELL_TRAYWND"));
    EXPECT_TRUE(settings::InWatchList("C:\\WATCHED.EXE"));
    ASSERT_EQ(settings::AutoSendRules().size(), 2u);
    EXPECT_EQ(settings::RuleName(settings::AutoSendRules()[1]), "Notepad");

    dlg.lbIgnore.DeleteItem(0);
    dlg.FAutoSendRules[0].Deleted = 1;
    dlg.SaveSettings();
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.ign"), "SHELL_TRAYWND\r\n");
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat"), "C:\\WATCHED.EXE\r\n");
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.aus"), rules.substr(264));
}

// Windows compares class names and file paths without regard to case: an
// entry typed in lower case by hand into a list file names the same window.
TEST_F(ConfigDialog, IgnoreAndWatchEntriesMatchWithoutRegardToCase) {
    std::string data = engine::GetDataFolder();
    framework::WriteFileReplacing(data + "Tessareltop.ign", "c:\\apps\\editor.exe\r\nNotepad\r\n");
    framework::WriteFileReplacing(data + "Tessareltop.wat", "c:\\Mail\\Mail.exe\r\n");
    Open();
    struct Case {
        const char* upperName;
        bool ignored, watched;
    } cases[] = {
        {"C:\\APPS\\EDITOR.EXE", true, false},
        {"NOTEPAD", true, false},
        {"C:\\MAIL\\MAIL.EXE", false, true},
        {"NOTEPAD2", false, false},
        {"C:\\APPS\\EDITOR.EX", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::InIgnoreList(c.upperName), c.ignored) << c.upperName;
        EXPECT_EQ(settings::InWatchList(c.upperName), c.watched) << c.upperName;
    }
}

TEST_F(ConfigDialog, ARuleFileThatCannotBeReadIsNotOverwritten) {
    std::string path = engine::GetDataFolder() + "Tessareltop.ign";
    framework::WriteFileReplacing(path, "C:\\KEEP.EXE\r\n");
    HANDLE locked = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    std::vector<std::string> errors;
    auto saved = framework::App().OnException;
    framework::App().OnException = [&](const std::string& m) { errors.push_back(m); };
    auto& dlg = Open();
    ::CloseHandle(locked);
    framework::App().OnException = saved;
    EXPECT_EQ(dlg.lbIgnore.Count(), 0);
    EXPECT_EQ(errors.size(), 1u);
    dlg.SaveSettings();
    EXPECT_EQ(framework::ReadFileBytes(path), "C:\\KEEP.EXE\r\n");
}

// No list loses an entry: lines no rule can use are written back with the
// list, a cut automatic-send record stays after the rules, and a rule file
// that could not be read is kept aside once the user has rules to save.
TEST_F(ConfigDialog, EveryRuleTheUserHadSurvivesTheSave) {
    const std::string data = engine::GetDataFolder();
    const std::string longLine(300, 'L');
    const std::string ignore = "C:\\IGNORED.EXE\r\n" + longLine + "\r\nNOTEPAD\r\n";
    framework::WriteFileReplacing(data + "Tessareltop.ign", ignore);
    const std::string rules = settings::EncodeAutoSendRules(std::vector<settings::TAutoSendRule>{
        settings::MakeAutoSendRule("C:\\Mail.exe", 4, false), settings::MakeAutoSendRule("Notepad", 2, true)});
    const std::string cut(100, '\x7F');
    framework::WriteFileReplacing(data + "Tessareltop.aus", rules + cut);
    // The watch list is held open by another program at the start.
    framework::WriteFileReplacing(data + "Tessareltop.wat", "C:\\WATCHED.EXE\r\n");
    HANDLE held = ::CreateFileA((data + "Tessareltop.wat").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto saved = framework::App().OnException;
    framework::App().OnException = [](const std::string&) {};
    auto& dlg = Open();
    framework::App().OnException = saved;
    EXPECT_EQ(dlg.lbIgnore.Items(), (std::vector<std::string>{"C:\\IGNORED.EXE", "NOTEPAD"}));
    EXPECT_EQ(dlg.lbWatch.Count(), 0);

    // Unedited, every file stays as it was.
    dlg.SaveSettings();
    ::CloseHandle(held);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.ign"), ignore);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.aus"), rules + cut);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat"), "C:\\WATCHED.EXE\r\n");

    // Edited: the long line stays in its place, the cut record after the
    // rules, and the unreadable watch list beside the new one.
    dlg.lbIgnore.DeleteItem(0);
    dlg.lbIgnore.AddItem("CALC");
    dlg.lbWatch.AddItem("C:\\ADDED.EXE");
    dlg.SelectAutoSendRow(0);
    dlg.RemoveAutoSendRule();
    dlg.SaveSettings();
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.ign"), "NOTEPAD\r\n" + longLine + "\r\nCALC\r\n");
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.aus"), rules.substr(264) + cut);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat"), "C:\\ADDED.EXE\r\n");
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat.unreadable"), "C:\\WATCHED.EXE\r\n");
    // Saved again, nothing more is moved aside.
    dlg.SaveSettings();
    EXPECT_EQ(::GetFileAttributesA((data + "Tessareltop.wat.unreadable (2)").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(framework::ReadFileBytes(data + "Tessareltop.wat"), "C:\\ADDED.EXE\r\n");
}

TEST_F(ConfigDialog, AnAutoSendFileThatCannotBeReadIsKeptAsideWhenTheUserAddsARule) {
    const std::string path = engine::GetDataFolder() + "Tessareltop.aus";
    const std::string rules = settings::EncodeAutoSendRules(
        std::vector<settings::TAutoSendRule>{settings::MakeAutoSendRule("C:\\Mail.exe", 4, false)});
    framework::WriteFileReplacing(path, rules);
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto saved = framework::App().OnException;
    framework::App().OnException = [](const std::string&) {};
    auto& dlg = Open();
    framework::App().OnException = saved;
    EXPECT_TRUE(dlg.FAutoSendRules.empty());
    dlg.SaveSettings();
    dlg.AddAutoSendRule("Notepad", 3, false);
    dlg.SaveSettings();
    ::CloseHandle(held);
    EXPECT_EQ(framework::ReadFileBytes(path + ".unreadable"), rules);
    auto back = settings::LoadAutoSendFile(path);
    ASSERT_TRUE(back && back->size() == 1u);
    EXPECT_EQ(settings::RuleName((*back)[0]), "Notepad");
}

// The preview is the engine's window: Apply lays it out for the new grid and
// cell size and sets its opacity while it is open, not at its next showing.
TEST_F(ConfigDialog, ApplyLaysOutAnOpenPreviewAtOnce) {
    auto& app = framework::App();
    framework::Form* before = app.MainForm();
    app.CreateForm(engine::frmPTessarel);
    app.SetMainForm(before);
    struct FreeEngine {
        ~FreeEngine() { framework::App().FreeForm(engine::frmPTessarel); }
    } freeEngine;
    auto& preview = *engine::frmPTessarel;
    auto& dlg = Open();
    preview.ShowPreview(engine::preview::kOriginTaskbar);
    ASSERT_TRUE(preview.Thumbnail(9)->Visible()) << "3 x 3 by default";

    dlg.cbLayout.SetItemIndex(9);   // "2 x 2"
    dlg.rgPrevSize.SetItemIndex(3);
    dlg.slTrans.SetValue(75);
    dlg.btnApplyClick();

    EXPECT_EQ(preview.FGridCols * preview.FGridRows, 4);
    const SIZE want = engine::preview::LayoutGrid(2, 2, engine::preview::CellSize(3)).Client();
    EXPECT_EQ(preview.ClientWidth(), want.cx);
    EXPECT_EQ(preview.ClientHeight(), want.cy);
    EXPECT_EQ(preview.Thumbnail(1)->Width(), 164);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(preview.Thumbnail(n)->Visible(), n <= 4) << n;
        EXPECT_EQ(preview.DesktopLabel(n)->Visible(), n <= 4) << n;
    }
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(preview.Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 64);
    EXPECT_TRUE(IsWindowVisible(preview.Handle())) << "Apply leaves the preview open";
    preview.HidePreview();
}

TEST_F(ConfigDialog, TheSliderFileEditsAndButtonsAreTheProgramsOwnComponents) {
    // A picture whose name holds square brackets and blanks loads, and is
    // saved back as it was: no quotes in the registry.
    const std::string wall = "C:\\pics\\holiday [2019].jpg";
    Str("wallpaper1", wall);
    Str("wallpaper2", "C:\\two.bmp");
    auto& dlg = Open();
    EXPECT_EQ(dlg.feDesk(1).FileName(), wall);
    EXPECT_EQ(dlg.feDesk(1).Text(), "\"" + wall + "\"");
    EXPECT_EQ(settings::Text("wallpaper1"), wall);
    EXPECT_EQ(dlg.feDesk(1).Dialog().Filter, "Graphic files (*.bmp, *.jpg)|*.bmp;*.jpg");
    EXPECT_EQ(dlg.feDesk(1).Dialog().FilterIndex, 0);
    EXPECT_NE(dlg.feDesk(9).ButtonHolder(), nullptr);
    dlg.SaveSettings();
    EXPECT_EQ(StoredText(Export(kKey), "wallpaper1"), wall);

    // The transparency slider: 0 to 75 in steps of 2, read in place.
    RECT r{};
    ::GetClientRect(dlg.slTrans.Handle(), &r);
    EXPECT_EQ(r.right, 261);
    EXPECT_EQ(r.bottom, 36);
    EXPECT_EQ(dlg.slTrans.MaxValue(), 75);
    EXPECT_EQ(dlg.slTrans.Increment(), 2);
    dlg.slTrans.SetValue(40);
    ::SendMessageA(dlg.slTrans.Handle(), WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(settings::Int("transparency"), 42);

    // Every push button is a rotatable button, ">> Save command" a speed
    // button: the flat painter, active with the program's settings, finds
    // no plain button to take over.
    size_t rotatable = 0;
    for (const framework::Control* c : dlg.Controls()) {
        EXPECT_NE(c->GetKind(), framework::Kind::Button) << c->Name();
        if (dynamic_cast<const toolkit::TRotButton*>(c)) ++rotatable;
    }
    EXPECT_EQ(rotatable, 21u);
    EXPECT_NE(dynamic_cast<toolkit::TRxSpeedButton*>(dlg.FindControl("SpeedButton2")), nullptr);
    EXPECT_EQ(dlg.FlatPaintedControls(), 0u);
}

// The general page's tabs: the chosen one is the sheet shown, and the keys
// that move between tabs show the other sheet.
TEST_F(ConfigDialog, TheGeneralPagesTabsShowWhichSheetIsShown) {
    auto& dlg = Open();
    const framework::Control* core = dlg.FindControl("tsCore");
    const framework::Control* visual = dlg.FindControl("tsVisual");
    ASSERT_TRUE(core && visual);
    HWND tabs = dlg.pcGeneral.Handle();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(core->Visible());
    EXPECT_FALSE(visual->Visible());
    ::SendMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_FALSE(core->Visible());
    EXPECT_TRUE(visual->Visible());
    ::SendMessageA(tabs, WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(core->Visible());
    EXPECT_FALSE(visual->Visible());
}
