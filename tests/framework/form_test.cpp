#include <gtest/gtest.h>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/control.h"
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/timer.h"
#include "support/e2e.h"

using framework::App;
using framework::Form;
using framework::Timer;

namespace {

class ProbeForm : public Form {
public:
    using Form::Form;
    bool allowClose = true;
    int closes = 0;
protected:
    bool FormCloseQuery() override { return allowClose; }
    void FormClose() override { ++closes; }
};

// Sets a main form for one test and puts the previous one back.
class MainFormScope {
public:
    explicit MainFormScope(Form* f) : previous_(App().MainForm()) { App().SetMainForm(f); }
    ~MainFormScope() { App().SetMainForm(previous_); }
private:
    Form* previous_;
};

std::string ClassOf(HWND w) {
    char buf[256] = {};
    ::GetClassNameA(w, buf, sizeof buf);
    return buf;
}

}  // namespace

TEST(Form, WindowClassIsTPlusTheNameAndHandlesMapBack) {
    ProbeForm f("frmProbe");
    f.CreateHandle();
    ASSERT_NE(f.Handle(), nullptr);
    EXPECT_EQ(f.ClassName(), "TfrmProbe");
    EXPECT_EQ(ClassOf(f.Handle()), "TfrmProbe");
    EXPECT_EQ(Form::FromHandle(f.Handle()), &f);
    EXPECT_FALSE(f.Visible()) << "a new form starts hidden";

    ProbeForm second("frmProbe");   // a second form of the same name shares the class
    second.CreateHandle();
    EXPECT_EQ(ClassOf(second.Handle()), "TfrmProbe");
    EXPECT_EQ(Form::FromHandle(second.Handle()), &second);

    HWND h = f.Handle();
    f.DestroyHandle();
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(Form::FromHandle(h), nullptr);
}

TEST(Form, ShowModalAnswersTheResultSetWhileItRuns) {
    struct Case {
        const char* name;
        bool allowClose;
        int expected;
    } cases[] = {
        {"result set", true, framework::mrOk},
        {"closed", true, framework::mrCancel},
        {"close refused, then result set", false, framework::mrYes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeForm f("frmModalProbe");
        f.allowClose = c.allowClose;
        int ticks = 0;
        Timer t(20, [&] {
            ++ticks;
            if (c.expected == framework::mrOk) f.ModalResult = framework::mrOk;
            else if (ticks == 1) f.Close();
            else f.ModalResult = framework::mrYes;
        });
        EXPECT_EQ(f.ShowModal(), c.expected);
        EXPECT_FALSE(f.Modal());
        EXPECT_FALSE(f.Visible()) << "a modal form is hidden when it ends";
        EXPECT_FALSE(App().Terminated());
    }
}

TEST(Form, CloseOfAFormThatIsNotTheMainFormHidesIt) {
    ProbeForm main("frmMainProbe");
    main.CreateHandle();
    MainFormScope scope(&main);
    ProbeForm f("frmCloseProbe");
    f.Show();
    ASSERT_TRUE(f.Visible());

    f.allowClose = false;
    f.Close();
    EXPECT_TRUE(f.Visible()) << "a refused close leaves the form as it is";
    EXPECT_EQ(f.closes, 0);

    f.allowClose = true;
    ::SendMessageA(f.Handle(), WM_CLOSE, 0, 0);   // as the caption's close button does
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(f.closes, 1);
    EXPECT_TRUE(::IsWindow(f.Handle())) << "hidden, not destroyed";
    EXPECT_FALSE(App().Terminated());
}

TEST(Form, AnExceptionInAMessageHandlerReachesTheApplication) {
    std::vector<std::string> seen;
    App().OnException = [&](const std::string& m) { seen.push_back(m); };
    ProbeForm f("frmThrowProbe");
    f.CreateHandle();
    f.OnMessage(WM_APP + 7, [](WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("handler failed"); });
    f.OnMessage(WM_APP + 8, [](WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w) * 2; });
    ::SendMessageA(f.Handle(), WM_APP + 7, 0, 0);
    EXPECT_EQ(::SendMessageA(f.Handle(), WM_APP + 8, 21, 0), 42) << "the window goes on serving messages";
    App().OnException = nullptr;
    EXPECT_EQ(seen, std::vector<std::string>{"handler failed"});
}

namespace {

// A form with two members, laid out from a table the test chooses.
class LayoutForm : public Form {
public:
    explicit LayoutForm(std::span<const framework::ControlSpec> layout) : Form("frmLayoutProbe"), layout_(layout) {}
    framework::CheckBox cbFollow{*this, "cbFollow"};
    framework::Edit edName{*this, "edName"};
protected:
    void CreateControls() override { ApplyLayout(layout_); }
private:
    std::span<const framework::ControlSpec> layout_;
};

using K = framework::Kind;
constexpr framework::ControlSpec kSound[] = {
    {K::Label, "lbHeading", nullptr, 0, 0, 100, 16, "Heading", 0},
    {K::CheckBox, "cbFollow", nullptr, 0, 20, 100, 18, "Follow", 0},
    {K::Edit, "edName", nullptr, 0, 40, 100, 20, "", 0},
};
constexpr framework::ControlSpec kMisspelt[] = {
    {K::CheckBox, "cbFolow", nullptr, 0, 20, 100, 18, "Follow", 0},
    {K::Edit, "edName", nullptr, 0, 40, 100, 20, "", 0},
};
constexpr framework::ControlSpec kCustomWithoutMember[] = {
    {K::CheckBox, "cbFollow", nullptr, 0, 20, 100, 18, "Follow", 0},
    {K::Edit, "edName", nullptr, 0, 40, 100, 20, "", 0},
    {K::Custom, "btnOK", nullptr, 0, 60, 60, 24, "OK", 0},
};
constexpr framework::ControlSpec kOtherKind[] = {
    {K::Edit, "cbFollow", nullptr, 0, 20, 100, 18, "", 0},
    {K::Edit, "edName", nullptr, 0, 40, 100, 20, "", 0},
};

// A form with one control whose keys it may see first.
class KeyForm : public Form {
public:
    KeyForm() : Form("frmKeys") {}
    framework::Edit edKeys{*this, "edKeys"};
    std::vector<WPARAM> keysUp;
protected:
    void CreateControls() override {
        static constexpr framework::ControlSpec kLayout[] = {
            {framework::Kind::Edit, "edKeys", nullptr, 4, 4, 100, 20, "", 0},
        };
        ApplyLayout(kLayout);
        OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
            keysUp.push_back(key);
            return 0;
        });
    }
};

}  // namespace

TEST(Form, ALayoutThatMissesAMemberFailsLoudly) {
    {
        LayoutForm f(kSound);
        f.CreateHandle();
        EXPECT_NE(f.cbFollow.Handle(), nullptr);
        EXPECT_NE(f.edName.Handle(), nullptr);
        ASSERT_NE(f.FindControl("lbHeading"), nullptr) << "a row without a member makes its own control";
        EXPECT_NE(f.FindControl("lbHeading")->Handle(), nullptr);
    }
    struct Case {
        const char* what;
        std::span<const framework::ControlSpec> layout;
        const char* named;
    } cases[] = {
        {"a misspelt row leaves its member without a window", kMisspelt, "cbFollow"},
        {"a custom row names no member", kCustomWithoutMember, "btnOK"},
        {"a row gives a member another kind", kOtherKind, "cbFollow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LayoutForm f(c.layout);
        try {
            f.CreateHandle();
            ADD_FAILURE() << "the layout was taken";
        } catch (const framework::Exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("frmLayoutProbe"), std::string::npos) << e.what();
        }
    }
}

TEST(Form, KeyPreviewHandsTheControlsKeysToTheFormFirst) {
    for (bool preview : {true, false}) {
        KeyForm f;
        f.KeyPreview = preview;
        f.CreateHandle();
        ::PostMessageA(f.edKeys.Handle(), WM_KEYUP, VK_F1, 0);
        ::PostMessageA(f.Handle(), WM_KEYUP, VK_F2, 0);   // the form's own keys, with or without
        App().ProcessMessages();
        const std::vector<WPARAM> expected =
            preview ? std::vector<WPARAM>{VK_F1, VK_F2} : std::vector<WPARAM>{VK_F2};
        EXPECT_EQ(f.keysUp, expected) << "key preview " << preview;
    }
}

namespace {

class ListForm : public Form {
public:
    ListForm() : Form("frmListProbe") {}
    framework::ListBox lbItems{*this, "lbItems"};
protected:
    void CreateControls() override { ApplyLayout(kList); }
private:
    static constexpr framework::ControlSpec kList[] = {
        {K::ListBox, "lbItems", nullptr, 0, 0, 200, 100, "", 0},
    };
};

}  // namespace

// Items of any length come back whole, without a read of the window that a
// fixed buffer somewhere could cut or overrun; every change is counted.
TEST(Form, ListItemsOfAnyLengthComeBackWholeAndChangesAreCounted) {
    ListForm f;
    f.CreateHandle();
    const std::vector<std::string> items{"SHORT", std::string(1000, 'A'), std::string(30000, 'B'), ""};
    const unsigned before = f.lbItems.ItemsVersion();
    f.lbItems.SetItems(items);
    EXPECT_NE(f.lbItems.ItemsVersion(), before);
    EXPECT_EQ(f.lbItems.Count(), 4);
    EXPECT_EQ(static_cast<int>(::SendMessageA(f.lbItems.Handle(), LB_GETCOUNT, 0, 0)), 4);
    EXPECT_EQ(f.lbItems.Items(), items);
    EXPECT_EQ(f.lbItems.Item(2), items[2]);
    EXPECT_EQ(f.lbItems.IndexOf(items[1]), 1);
    const unsigned filled = f.lbItems.ItemsVersion();
    f.lbItems.DeleteItem(1);
    EXPECT_NE(f.lbItems.ItemsVersion(), filled);
    EXPECT_EQ(f.lbItems.IndexOf(items[2]), 1);
    EXPECT_THROW((void)f.lbItems.Item(3), framework::Exception);
}
