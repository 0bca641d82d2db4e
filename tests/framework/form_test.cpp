#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/application.h"
#include "framework/form.h"
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
