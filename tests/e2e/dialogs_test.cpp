// The program's own dialogs as a user meets them: the error report at start
// when the last run logged errors, the start-up wizard of a fresh
// installation, the uninstall poll of "-poll", and the About box with the
// three texts beside the program.
#include <gtest/gtest.h>
#include <windows.h>
#include <cctype>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include "support/e2e.h"

using namespace e2e;

namespace {

constexpr char kSettings[] = "Software\\Pelmora\\Tessarel";
constexpr UINT kTrayCallback = 0xB054;
constexpr char kStarted[] = "Virtual desktop engine successfully started!";
// A program that has just made all its windows without pumping messages
// counts as hung for a while: questions to it wait for the answer instead.
constexpr UINT kAnswerMs = 10000;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

DWORD StoredDword(const char* name, DWORD missing = 99) {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &k) != ERROR_SUCCESS) return missing;
    DWORD v = 0, size = sizeof v;
    LONG r = ::RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    ::RegCloseKey(k);
    return r == ERROR_SUCCESS ? v : missing;
}

// The shown control with this text: the wizard's hidden pages hold
// controls of the same text.
HWND ShownChildByText(HWND parent, const std::string& text) {
    return FindChild(parent, [&](HWND w) { return IsShown(w) && TitleOf(w) == text; });
}

HWND ChildOfClass(HWND parent, const std::string& cls) {
    return FindChild(parent, [&](HWND w) { return ClassOf(w) == cls; });
}

// The program's shown window of a class, or 0.
HWND ShownWindow(DWORD pid, const std::string& cls, const std::string& title = {}) {
    for (const auto& w : TopWindows())
        if (w.pid == pid && w.cls == cls && w.visible && (title.empty() || w.title == title)) return w.wnd;
    return nullptr;
}

HWND WaitShown(DWORD pid, const std::string& cls, const std::string& title = {}, int timeoutMs = 10000) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = ShownWindow(pid, cls, title)) != nullptr; }, timeoutMs);
    return found;
}

bool GoneSoon(HWND w) { return WaitUntil([w] { return !::IsWindow(w) || !IsShown(w); }, 5000); }

// A press and release of the left button on a control: what a click of the
// user delivers to it.
void ClickControl(HWND control) {
    ASSERT_NE(control, nullptr);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
}

void Click(HWND parent, const std::string& caption) {
    HWND control = ShownChildByText(parent, caption);
    ASSERT_NE(control, nullptr) << caption;
    ClickControl(control);
}

// A radio button or check box, clicked as the keyboard or mouse would.
void Choose(HWND parent, const std::string& caption) {
    HWND button = ShownChildByText(parent, caption);
    ASSERT_NE(button, nullptr) << caption;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerMs, &result);
}

bool Checked(HWND parent, const std::string& caption) {
    DWORD_PTR state = 0;
    HWND button = ShownChildByText(parent, caption);
    return button && ::SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, kAnswerMs, &state) &&
           state == BST_CHECKED;
}

bool EngineStartedIn(DWORD pid) {
    for (const auto& line : EventLogLines(pid))
        if (line.find(kStarted) != std::string::npos) return true;
    return false;
}

}  // namespace

// The error report ---------------------------------------------------------------

TEST(ErrorReport, AppearsAtStartAndDeleteRemovesOnlyTheLog) {
    ResetUserState();
    WriteSetting("showsplash", 0);
    WriteSetting("bubblelevel", 0);
    ASSERT_TRUE(WriteDataFile("errorlog.log", "2024-01-02 03:04:05 >> Access violation\r\n"));
    ASSERT_TRUE(WriteDataFile("notes.txt", "kept\r\n"));
    // The program runs from a folder of its own, which is also its working
    // folder, and a file of the same name lies there.
    const std::string folder = TempDir() + "errorreport\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((BinDir() + "Tessareltop.exe").c_str(), (folder + "Tessareltop.exe").c_str(), FALSE));
    std::ofstream(folder + "errorlog.log", std::ios::binary) << "not the program's log\r\n";

    Tessarel program("", false, folder + "Tessareltop.exe");
    ASSERT_NE(program.MainWindow(), nullptr);
    HWND report = WaitShown(program.Pid(), "TfrmError", "Submit error information");
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(::GetWindowLongA(report, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(ShownChildByText(report, "Send error log"), nullptr);
    EXPECT_NE(ShownChildByText(report, "See our privacy statement"), nullptr);

    Click(report, "Delete log");
    EXPECT_TRUE(GoneSoon(report));
    EXPECT_TRUE(WaitUntil([] { return !Exists(DataFolder() + "errorlog.log"); }));
    EXPECT_TRUE(Exists(DataFolder() + "notes.txt"));
    EXPECT_EQ(FileText(folder + "errorlog.log"), "not the program's log\r\n");
    EXPECT_TRUE(program.Process().Running());
}

TEST(ErrorReport, NoLogNoReport) {
    ResetUserState();
    WriteSetting("showsplash", 0);
    Tessarel program("", false);
    ASSERT_TRUE(program.WaitForMessageLoop());
    for (const auto& w : TopWindows())
        EXPECT_FALSE(w.pid == program.Pid() && w.cls == "TfrmError" && w.visible);
}

// The start-up wizard ------------------------------------------------------------

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("showsplash", 0);
        WriteSetting("showcfgwiz", 1);
        program_ = ChildProcess(BinDir() + "Tessareltop.exe", "");
        wizard_ = WaitShown(program_.Pid(), "TfrmStartWiz", "Pelmora Virtual Desktop Startup wizard", 15000);
        ASSERT_NE(wizard_, nullptr);
    }
    void TearDown() override {
        if (program_.Running()) {
            RunAndWait(BinDir() + "Tessareltop.exe", "-kill");
            if (program_.Wait(15000) < 0) program_.Kill();
        }
        // The help window of a finished wizard belongs to the program and
        // goes with it.
        ResetUserState();
    }
    std::string Progress() const {
        for (int page = 1; page <= 11; ++page) {
            const std::string text = std::to_string(page) + "/11";
            if (ShownChildByText(wizard_, text)) return text;
        }
        return {};
    }
    // "Next >>" (or "Finish >>") and the page it leads to.
    void Next(const std::string& caption, int toPage) {
        Click(wizard_, caption);
        const std::string expected = std::to_string(toPage) + "/11";
        ASSERT_TRUE(WaitUntil([&] { return Progress() == expected; })) << Progress();
    }
    ChildProcess program_;
    HWND wizard_ = nullptr;
};

TEST_F(WizardTest, FinishWritesTheAnswersAndClearsTheFlag) {
    // The engine waits for the wizard before its message loop runs.
    EXPECT_FALSE(EngineStartedIn(program_.Pid()));
    EXPECT_EQ(Progress(), "1/11");
    EXPECT_FALSE(::IsWindowEnabled(ShownChildByText(wizard_, "<< Back")));

    Next("Next >>", 2);
    EXPECT_TRUE(::IsWindowEnabled(ShownChildByText(wizard_, "<< Back")));
    EXPECT_TRUE(Checked(wizard_, "Left edge of screen"));
    Choose(wizard_, "Top edge of screen");
    Next("Next >>", 3);
    Next("Next >>", 4);
    EXPECT_TRUE(Checked(wizard_, "Turn them on!"));
    Next("Next >>", 5);
    Choose(wizard_, "I want a small info window.");
    Next("Next >>", 6);
    Choose(wizard_, "I want small ones!");
    Next("Next >>", 7);
    // "3 x 3" to "2 x 2": five steps down the layout list.
    HWND layout = ChildOfClass(wizard_, "ComboBox");
    ASSERT_NE(layout, nullptr);
    for (int i = 0; i < 5; ++i) ::PostMessageA(layout, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(WaitUntil([&] {
        DWORD_PTR index = 0;
        return ::SendMessageTimeoutA(layout, CB_GETCURSEL, 0, 0, SMTO_NORMAL, kAnswerMs, &index) && index == 9;
    }));
    Next("Next >>", 8);
    Choose(wizard_, "I want \"mouse-knock\"!");
    Next("Next >>", 9);
    Choose(wizard_, "Switch on: I have lots of apps in my tray!");
    Next("Next >>", 10);
    Choose(wizard_, "I don't need this.");
    Next("Next >>", 11);
    ASSERT_NE(ShownChildByText(wizard_, "Finish >>"), nullptr);
    Click(wizard_, "Finish >>");

    EXPECT_TRUE(GoneSoon(wizard_));
    // The help topic on getting help comes up, and the engine starts.
    HWND help = WaitShown(program_.Pid(), "HH Parent");
    EXPECT_NE(help, nullptr);
    if (help) ::PostMessageA(help, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return EngineStartedIn(program_.Pid()); }, 15000));

    const std::pair<const char*, DWORD> stored[] = {
        {"showcfgwiz", 0}, {"deskbar", 3},    {"desknum", 1},    {"deskinfo", 1}, {"deskinfolarge", 0},
        {"largeicons", 0}, {"layoutid", 9},   {"edgenav", 2},    {"autofollow", 1}, {"bubblelevel", 0},
    };
    for (const auto& [name, value] : stored) EXPECT_EQ(StoredDword(name), value) << name;
}

TEST_F(WizardTest, SkippingWithKeepCheckedComesAgainNextTime) {
    ASSERT_TRUE(Checked(wizard_, "Show this wizard at next startup"));
    Click(wizard_, "Skip this wizard, start using the product! >>");
    EXPECT_TRUE(GoneSoon(wizard_));
    EXPECT_TRUE(WaitUntil([&] { return EngineStartedIn(program_.Pid()); }, 15000));
    EXPECT_EQ(StoredDword("showcfgwiz"), 1u);
    EXPECT_EQ(ShownWindow(program_.Pid(), "HH Parent"), nullptr);
}

// The uninstall poll --------------------------------------------------------------

TEST(UninstallPoll, WithoutAnInstanceTheSecondStartShowsItItself) {
    ResetUserState();
    ChildProcess poll(BinDir() + "Tessareltop.exe", "-poll");
    HWND w = WaitShown(poll.Pid(), "TfrmPoll", "Pelmora Virtual Desktop - uninstall poll");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(FindMainWindow(), nullptr) << "the poll starts no engine";
    HWND finish = ShownChildByText(w, "Send feedback and finish uninstall");
    ASSERT_NE(finish, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(finish));
    Choose(w, "I think it's ugly");
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(finish) != FALSE; }));
    Click(w, "Do not send feedback");
    EXPECT_EQ(poll.Wait(10000), 0);
}

TEST(UninstallPoll, ARunningInstanceShowsIt) {
    ResetUserState();
    WriteSetting("showsplash", 0);
    Tessarel program;
    ASSERT_NE(program.MainWindow(), nullptr);
    EXPECT_EQ(program.SecondStart("-poll"), 0);
    HWND w = WaitShown(program.Pid(), "TfrmPoll", "Pelmora Virtual Desktop - uninstall poll");
    ASSERT_NE(w, nullptr);
    Click(w, "Do not send feedback");
    EXPECT_TRUE(GoneSoon(w));
    EXPECT_TRUE(program.Process().Running());
}

// The About box ----------------------------------------------------------------------

// Text files open in Notepad, as on Windows; Wine's fresh prefix knows the
// "txtfile" type but gives ".txt" none.
class TextFileType {
public:
    TextFileType() {
        HKEY k = nullptr;
        if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &k) == ERROR_SUCCESS) {
            ::RegCloseKey(k);
            return;
        }
        if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
            return;
        ::RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("txtfile"), 8);
        ::RegCloseKey(k);
        made_ = true;
    }
    ~TextFileType() {
        if (made_) ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");
    }
    TextFileType(const TextFileType&) = delete;
    TextFileType& operator=(const TextFileType&) = delete;

private:
    bool made_ = false;
};

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetUserState();
        WriteSetting("showsplash", 0);
        WriteSetting("bubblelevel", 0);
        program_ = std::make_unique<Tessarel>("", false);
        ASSERT_TRUE(program_->WaitForMessageLoop());
    }
    void TearDown() override {
        for (HWND w : viewers_)
            if (::IsWindow(w)) ::PostMessageA(w, WM_CLOSE, 0, 0);
        for (HWND w : viewers_) WaitUntil([w] { return !::IsWindow(w); }, 5000);
        program_.reset();
    }
    DWORD Pid() const { return program_->Pid(); }
    // The tray menu's "About".
    HWND OpenAbout() {
        for (UINT m : {WM_RBUTTONDOWN, WM_RBUTTONUP})
            for (const auto& w : TopWindows())
                if (w.pid == Pid() && w.cls == "TPUtilWindow") ::PostMessageA(w.wnd, kTrayCallback, 0, m);
        HWND menu = WaitShown(Pid(), "#32768");
        if (!menu) return nullptr;
        for (int i = 0; i < 7; ++i) {
            ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            Pump(30);
        }
        ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        return WaitShown(Pid(), "TfrmAbout", "About :::");
    }
    // The window of the viewer that shows a file (its title names the file,
    // with or without the extension), and the text it shows.
    std::string ShownText(const std::string& file) {
        const std::string stem = file.substr(0, file.find('.'));
        HWND viewer = nullptr;
        WaitUntil([&] {
            for (const auto& w : TopWindows())
                if (w.visible && w.pid != Pid() && Lower(w.title).find(stem) != std::string::npos) viewer = w.wnd;
            return viewer != nullptr;
        }, 15000);
        if (!viewer) return {};
        viewers_.push_back(viewer);
        HWND edit = ChildOfClass(viewer, "Edit");
        std::string text;
        WaitUntil([&] {
            DWORD_PTR length = 0;
            if (!edit || !::SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length) ||
                length == 0)
                return false;
            text.assign(length + 1, '\0');
            DWORD_PTR copied = 0;
            ::SendMessageTimeoutA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                                  SMTO_NORMAL, kAnswerMs, &copied);
            text.resize(copied);
            return true;
        });
        return text;
    }
    TextFileType textFiles_;
    std::unique_ptr<Tessarel> program_;
    std::vector<HWND> viewers_;
};

TEST_F(AboutTest, ShowsTheVersionAndTheThreeTexts) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_NE(ShownChildByText(about, "v1.3.7"), nullptr);
    EXPECT_NE(ShownChildByText(about, "KOVA special build"), nullptr);
    struct {
        const char* button;
        const char* file;
    } texts[] = {{"License", "license.txt"}, {"History", "history.txt"}, {"Privacy", "privacy.txt"}};
    for (const auto& t : texts) {
        Click(about, t.button);
        const std::string expected = FileText(BinDir() + t.file);
        ASSERT_FALSE(expected.empty()) << t.file;
        EXPECT_EQ(ShownText(t.file), expected) << t.file;
    }
    Click(about, "Close");
    EXPECT_TRUE(GoneSoon(about));
}
