// The rule pages of the settings dialog, driven through their real buttons:
// what Add and Remove do, the automatic-send rows, and the rule file.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/string_list.h"
#include "settings/auto_send_page.h"
#include "settings/rule_files.h"
#include "settings/rule_pages.h"
#include "settings/settings_access.h"
#include "settings/vd_config.h"
#include "support/e2e.h"

using settings::TfrmVDConfig;
namespace texts = settings::rule_texts;

namespace {

struct Message {
    std::string text, caption;
    UINT flags;
};

// A click as the control's parent hears it from the control.
void Notify(const framework::Control& c, WORD code) {
    ASSERT_NE(c.Handle(), nullptr) << c.Name();
    ::SendMessageA(::GetParent(c.Handle()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(c.Handle()), code),
                   reinterpret_cast<LPARAM>(c.Handle()));
}

class RulePages : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::ResetUserState();
        framework::SetMessageBoxAnswerer([this](HWND, std::string_view text, std::string_view caption, UINT flags) {
            messages.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
        framework::SetOpenDialogAnswerer([this](HWND, const framework::OpenDialogSpec& spec) {
            openTitles.emplace_back(spec.title);
            openFilters.emplace_back(spec.filter);
            return nextFile;
        });
        settings::SetRulePickers({[this] { return nextClass; }, [this] { return nextApp; }});
    }
    void TearDown() override {
        CloseDialog();
        engine::frmPTessarel = nullptr;
        main.reset();
        for (HWND w : windows) ::DestroyWindow(w);
        settings::SetRulePickers({});
        framework::SetOpenDialogAnswerer({});
        framework::SetMessageBoxAnswerer({});
        e2e::ResetUserState();
    }
    TfrmVDConfig& Open() {
        auto& app = framework::App();
        framework::Form* before = app.MainForm();
        app.CreateForm(settings::frmVDConfig);
        app.SetMainForm(before);
        return *settings::frmVDConfig;
    }
    void CloseDialog() {
        if (settings::frmVDConfig) framework::App().FreeForm(settings::frmVDConfig);
    }
    void Click(TfrmVDConfig& dlg, const char* button) {
        framework::Control* b = dlg.FindControl(button);
        ASSERT_NE(b, nullptr) << button;
        ASSERT_NE(b->Handle(), nullptr) << button;
        ::SendMessageA(b->Handle(), BM_CLICK, 0, 0);   // as a program presses a button
    }
    std::string DataFile(const char* name) { return engine::GetDataFolder() + name; }

    std::vector<Message> messages;
    std::vector<std::string> openTitles, openFilters;
    std::optional<std::wstring> nextClass, nextApp;
    std::optional<std::string> nextFile;
    std::unique_ptr<engine::TfrmPTessarel> main;
    std::vector<HWND> windows;
};

// One list page: its buttons and how to read its entries.
struct ListPageCase {
    const char* name;
    const char *addApp, *addExe, *addClass, *remove;
    std::string_view emptyText;
};
constexpr ListPageCase kListPages[] = {
    {"sticky", "btnAddExe", "btnAddStickyExe", "btnAdd", "btnRemove", texts::kStickyEmpty},
    {"ignore", "btnAddIgnore", "btnAddExeIgnore", "btnAddClass", "btnRemoveIgnore", texts::kIgnoreEmpty},
    {"watch", "btnAddWatchApp", "btnAddExeWatch", "btnAddWatchClass", "btnDelWatch", texts::kWatchEmpty},
};

std::vector<std::string> Entries(TfrmVDConfig& dlg, std::string_view page) {
    if (page == "ignore") return dlg.lbIgnore.Items();
    if (page == "watch") return dlg.lbWatch.Items();
    std::vector<std::string> all;
    for (int i = 0; i < dlg.clbPinned.Count(); ++i) all.push_back(dlg.clbPinned.Item(i));
    return all;
}

void Select(TfrmVDConfig& dlg, std::string_view page, int i) {
    if (page == "ignore") dlg.lbIgnore.SetItemIndex(i);
    else if (page == "watch") dlg.lbWatch.SetItemIndex(i);
    else dlg.clbPinned.SetItemIndex(i);
}

}  // namespace

TEST(RuleNames, AClassIsAppendedUpperCasedAndOnlyWhenNotHeldInAnyCase) {
    const std::vector<std::string> held{"NOTEPAD", "C:\\APPS\\MAIL.EXE", "Shell_TrayWnd"};
    struct Case {
        const char* picked;
        std::optional<std::string> appended;
    } cases[] = {
        {"Notepad", std::nullopt},   {"notepad", std::nullopt},         {"SHELL_TRAYWND", std::nullopt},
        {"c:\\apps\\mail.exe", std::nullopt}, {"Notepad2", "NOTEPAD2"}, {"", std::nullopt},
        {"Edit", "EDIT"},
    };
    for (const auto& c : cases) EXPECT_EQ(settings::ClassToAppend(held, c.picked), c.appended) << c.picked;
}

TEST(RuleNames, ARowShowsABlankAfterEveryBackslash) {
    struct Case {
        const char* name;
        const char* shown;
    } cases[] = {
        {"Notepad", "Notepad"},
        {"C:\\Program Files\\Mail\\mail.exe", "C:\\ Program Files\\ Mail\\ mail.exe"},
        {"\\\\server\\share\\", "\\ \\ server\\ share\\ "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(settings::WrapRuleName(c.name), c.shown) << c.name;
}

TEST_F(RulePages, AddAndRemoveOnEveryListPage) {
    auto& dlg = Open();
    for (const auto& page : kListPages) {
        SCOPED_TRACE(page.name);
        messages.clear();
        openTitles.clear();

        Click(dlg, page.remove);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, page.emptyText);
        EXPECT_EQ(messages[0].caption, "Warning");
        EXPECT_EQ(messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));

        nextClass = L"Notepad";
        Click(dlg, page.addClass);
        nextClass = L"  notePAD ";   // the same class in another case
        Click(dlg, page.addClass);
        nextClass = std::nullopt;    // cancelled
        Click(dlg, page.addClass);
        nextApp = L"C:\\Apps\\Mail.exe";
        Click(dlg, page.addApp);
        Click(dlg, page.addApp);     // no duplicate test for applications
        nextApp = std::nullopt;
        Click(dlg, page.addApp);
        nextFile = "C:\\Tools\\edit.exe";
        Click(dlg, page.addExe);
        Click(dlg, page.addExe);
        nextFile = std::nullopt;
        Click(dlg, page.addExe);
        EXPECT_EQ(Entries(dlg, page.name),
                  (std::vector<std::string>{"NOTEPAD", "C:\\APPS\\MAIL.EXE", "C:\\APPS\\MAIL.EXE", "C:\\TOOLS\\EDIT.EXE",
                                            "C:\\TOOLS\\EDIT.EXE"}));
        ASSERT_EQ(openTitles.size(), 3u);
        EXPECT_EQ(openTitles[0], "Select an application to make sticky");
        EXPECT_EQ(openFilters[0], "Applications|*.exe");

        Select(dlg, page.name, -1);
        Click(dlg, page.remove);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, "No object selected in the listbox!");
        EXPECT_EQ(messages[1].caption, "Warning");

        Select(dlg, page.name, 1);
        Click(dlg, page.remove);
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(Entries(dlg, page.name).size(), 4u);
        EXPECT_EQ(Entries(dlg, page.name)[1], "C:\\APPS\\MAIL.EXE");
    }
    // New sticky entries are active.
    for (int i = 0; i < dlg.clbPinned.Count(); ++i) EXPECT_TRUE(dlg.clbPinned.Checked(i)) << i;
}

TEST_F(RulePages, TheAutoSendPageRoundTripsThroughItsRowsAndTheFile) {
    auto& dlg = Open();
    dlg.ShowPage(7);
    Click(dlg, "btnDelAuto");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Autosend list is already empty!");
    EXPECT_EQ(messages[0].caption, "Warning");

    nextApp = L"C:\\Apps\\Mail.exe";
    Click(dlg, "btnAddAuto");
    nextFile = "C:\\Tools\\Edit.exe";
    Click(dlg, "btnAddAutoSendExe");
    nextClass = L"Notepad";
    Click(dlg, "btnAddClassAuto");
    Click(dlg, "btnAddClassAuto");   // no duplicate test on this page
    nextClass = L"   ";
    Click(dlg, "btnAddClassAuto");
    ASSERT_EQ(dlg.AutoSendRows().size(), 4u);
    ASSERT_EQ(dlg.FAutoSendRules.size(), 4u);

    const auto& rows = dlg.AutoSendRows();
    EXPECT_EQ(rows[0]->text.Caption(), "C:\\ Apps\\ Mail.exe");   // the case kept
    EXPECT_EQ(settings::RuleName(dlg.FAutoSendRules[0]), "C:\\Apps\\Mail.exe");
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->Top(), static_cast<int>(i) * settings::kAutoSendRowHeight) << i;
        EXPECT_EQ(rows[i]->spin.Value(), 1) << i;
        EXPECT_TRUE(rows[i]->check.Checked()) << i;
        EXPECT_EQ(rows[i]->panel.Tag, static_cast<int>(i));
        EXPECT_EQ(rows[i]->spin.Tag, static_cast<int>(i));
    }

    Click(dlg, "btnDelAuto");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "No object selected in the auto-send list!");

    // The spin edit and the check box write into their rules.
    rows[1]->spin.SetValue(5);
    EXPECT_EQ(dlg.FAutoSendRules[1].Desktop, 5);
    rows[3]->check.SetChecked(false);
    Notify(rows[3]->check, BN_CLICKED);
    EXPECT_EQ(dlg.FAutoSendRules[3].Disabled, 1);

    // A click on a row's name selects it; another row loses the colour.
    Notify(rows[0]->text, STN_CLICKED);
    EXPECT_EQ(rows[0]->panel.Color(), settings::auto_send_colors::kSelectedRow);
    Notify(rows[2]->panel, STN_CLICKED);
    EXPECT_EQ(dlg.FSelectedAutoSendRow, 2);
    EXPECT_EQ(rows[0]->panel.Color(), settings::auto_send_colors::kRow);
    EXPECT_EQ(rows[2]->panel.Color(), settings::auto_send_colors::kSelectedRow);

    Click(dlg, "btnDelAuto");
    EXPECT_EQ(dlg.FSelectedAutoSendRow, -1);
    ASSERT_EQ(dlg.AutoSendRows().size(), 3u);
    ASSERT_EQ(dlg.FAutoSendRules.size(), 4u);   // the array keeps the removed rule
    EXPECT_TRUE(dlg.FAutoSendRules[2].Deleted);
    EXPECT_EQ(settings::AutoSendRules().size(), 4u);
    // The rows left still write into their own rules.
    dlg.AutoSendRows()[2]->spin.SetValue(9);
    EXPECT_EQ(dlg.FAutoSendRules[3].Desktop, 9);

    dlg.SaveSettings();
    auto expected = std::vector<settings::TAutoSendRule>{
        settings::MakeAutoSendRule("C:\\Apps\\Mail.exe", 1, false), settings::MakeAutoSendRule("C:\\Tools\\Edit.exe", 5, false),
        settings::MakeAutoSendRule("Notepad", 9, true)};
    EXPECT_EQ(framework::ReadFileBytes(DataFile("Tessareltop.aus")), settings::EncodeAutoSendRules(expected));

    // At the next start the rows come back in file order.
    CloseDialog();
    auto& again = Open();
    ASSERT_EQ(again.AutoSendRows().size(), 3u);
    EXPECT_EQ(again.AutoSendRows()[1]->spin.Value(), 5);
    EXPECT_FALSE(again.AutoSendRows()[2]->check.Checked());
    EXPECT_EQ(again.AutoSendRows()[2]->text.Caption(), "Notepad");
    again.SaveSettings();
    EXPECT_EQ(framework::ReadFileBytes(DataFile("Tessareltop.aus")), settings::EncodeAutoSendRules(expected));
}

TEST_F(RulePages, ARuleFileWithACutRecordKeepsItsBytesUntilTheRulesChangeAndTheCutRecordAfterThem) {
    const std::string whole = settings::EncodeAutoSendRules(std::vector<settings::TAutoSendRule>{
        settings::MakeAutoSendRule("C:\\Mail.exe", 4, false), settings::MakeAutoSendRule("Notepad", 2, true)});
    const std::string cut = whole + whole.substr(0, 100);
    framework::WriteFileReplacing(DataFile("Tessareltop.aus"), cut);
    auto& dlg = Open();
    ASSERT_EQ(dlg.AutoSendRows().size(), 2u);
    EXPECT_EQ(settings::RuleName(dlg.FAutoSendRules[1]), "Notepad");

    dlg.SaveSettings();   // nothing changed: the damaged file stays
    EXPECT_EQ(framework::ReadFileBytes(DataFile("Tessareltop.aus")), cut);
    CloseDialog();
    EXPECT_EQ(framework::ReadFileBytes(DataFile("Tessareltop.aus")), cut);

    auto& again = Open();
    nextClass = L"Edit";
    Click(again, "btnAddClassAuto");
    again.SaveSettings();
    // The cut record is no rule, but the user's all the same: it stays after the rules.
    EXPECT_EQ(framework::ReadFileBytes(DataFile("Tessareltop.aus")),
              whole + settings::EncodeAutoSendRules(std::vector{settings::MakeAutoSendRule("Edit", 1, false)}) +
                  whole.substr(0, 100));
}

// The engine reads the edited lists and rules in place, and again from the
// files the dialog saved.
TEST_F(RulePages, RulesEditedAndSavedAreAppliedByTheEngine) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TessRulePagesCls";
    ::RegisterClassA(&wc);
    HWND w = ::CreateWindowExA(0, "TessRulePagesCls", "rule pages", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr,
                               wc.hInstance, nullptr);
    windows.push_back(w);
    main = std::make_unique<engine::TfrmPTessarel>();
    engine::frmPTessarel = main.get();
    main->FCurrentDesktop = 1;

    auto& dlg = Open();
    EXPECT_FALSE(main->IsListedWindow(w, true));
    EXPECT_EQ(main->ChooseDesktopForProcess(::GetCurrentProcessId(), w), 1);
    nextClass = L"tessrulepagescls";
    Click(dlg, "btnAddClass");
    Click(dlg, "btnAddWatchClass");
    Click(dlg, "btnAddClassAuto");
    dlg.AutoSendRows()[0]->spin.SetValue(3);
    EXPECT_TRUE(main->IsListedWindow(w, true));
    EXPECT_TRUE(main->IsListedWindow(w, false));
    EXPECT_EQ(main->ChooseDesktopForProcess(::GetCurrentProcessId(), w), 3);

    dlg.SaveSettings();
    CloseDialog();
    EXPECT_FALSE(main->IsListedWindow(w, true));
    Open();
    EXPECT_TRUE(main->IsListedWindow(w, true));
    EXPECT_TRUE(main->IsListedWindow(w, false));
    EXPECT_EQ(main->ChooseDesktopForProcess(::GetCurrentProcessId(), w), 3);
}
