#include "support/window_tour.h"
#include <tlhelp32.h>
#include <algorithm>
#include <memory>
#include <string_view>
#include "engine/messages.h"
#include "engine/preview_layout.h"
#include "engine/window_record.h"
#include "navigation/enter_pwd.h"
#include "support/e2e.h"
#include "support/shell_view.h"
#include "support/tray_menu.h"

namespace e2e {
namespace {

constexpr char kPassword[] = "gallery key";
constexpr char kStarted[] = "Virtual desktop engine successfully started!";
constexpr char kSettingsKey[] = "Software\\Pelmora\\Tessarel";
// Among the tray menu's items that can be chosen, counted from the first.
constexpr int kConfigureItem = 2, kLostWindowsItem = 3, kEventLogItem = 4, kAboutItem = 7;

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

HWND ShownWindow(DWORD pid, const std::string& cls, const std::string& title = {}) {
    for (const auto& w : TopWindows())
        if (w.pid == pid && w.cls == cls && w.visible && (title.empty() || w.title == title)) return w.wnd;
    return nullptr;
}

HWND WaitShown(DWORD pid, const std::string& cls, int timeoutMs = 10000) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = ShownWindow(pid, cls)) != nullptr; }, timeoutMs);
    return found;
}

bool Hidden(HWND w, int timeoutMs = 5000) {
    return WaitUntil([w] { return !::IsWindow(w) || !IsShown(w); }, timeoutMs);
}

// The shown child of this text; blanks around a caption do not count.
HWND ShownChild(HWND parent, const std::string& text) {
    return FindChild(parent, [&](HWND w) { return IsShown(w) && Trimmed(TitleOf(w)) == text; });
}

HWND WaitChild(HWND parent, const std::string& text, int timeoutMs = 5000) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = ShownChild(parent, text)) != nullptr; }, timeoutMs);
    return found;
}

// What a click of the user gives a control: a standard button its click,
// the program's own controls a press and release of the left button. Posted,
// so that a modal dialog the click opens does not hold the caller.
void Press(HWND control) {
    if (ClassOf(control) == "Button") {
        ::PostMessageA(control, BM_CLICK, 0, 0);
        return;
    }
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
}

bool PressChild(HWND parent, const std::string& text) {
    HWND control = WaitChild(parent, text);
    if (!control) return false;
    Press(control);
    return true;
}

// A key pressed and let go in a window: the program's dialogs act on either.
void Key(HWND w, WPARAM key) {
    ::PostMessageA(w, WM_KEYDOWN, key, 1);
    ::PostMessageA(w, WM_KEYUP, key, 0xC0000001);
}

bool MouseTo(int x, int y) { return RunXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)) == 0; }

POINT CentreOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

SIZE Screen() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

// Where the mouse waits between the windows: over no window of the
// program, away from the edges, the tray and the bubbles.
void ParkMouse() {
    const SIZE s = Screen();
    MouseTo(s.cx / 4, s.cy - 90);
}

bool SameShots(const ScreenShot& a, const ScreenShot& b) {
    if (a.Empty() || b.Empty() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
    const RECT r = a.Area();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

bool OneColour(const ScreenShot& s) {
    const RECT r = s.Area();
    const COLORREF first = s.At(r.left, r.top);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (s.At(x, y) != first) return false;
    return true;
}

void WriteString(const char* name, const std::string& value) {
    HKEY k = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(k);
}

// Every thread of a process stopped for as long as this lives: a window that
// is only shown for a moment (the splash) stays on the screen as it was.
class Frozen {
public:
    explicit Frozen(DWORD pid) {
        HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snap == INVALID_HANDLE_VALUE) return;
        THREADENTRY32 te{};
        te.dwSize = sizeof te;
        for (BOOL more = ::Thread32First(snap, &te); more; more = ::Thread32Next(snap, &te)) {
            if (te.th32OwnerProcessID != pid) continue;
            HANDLE t = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
            if (!t) continue;
            if (::SuspendThread(t) == static_cast<DWORD>(-1)) {
                ::CloseHandle(t);
                continue;
            }
            threads_.push_back(t);
        }
        ::CloseHandle(snap);
    }
    ~Frozen() {
        for (HANDLE t : threads_) {
            ::ResumeThread(t);
            ::CloseHandle(t);
        }
    }
    Frozen(const Frozen&) = delete;
    Frozen& operator=(const Frozen&) = delete;

private:
    std::vector<HANDLE> threads_;
};

// One run of the program and the windows it shows.
class Visit {
public:
    Visit(const WindowTour::Sink& sink, std::vector<std::string>& failures) : sink_(sink), failures_(failures) {}
    ~Visit() { End(); }
    Visit(const Visit&) = delete;
    Visit& operator=(const Visit&) = delete;

    void FirstRun();
    void SecondRun();

private:
    void Fail(const std::string& what) { failures_.push_back(what); }
    bool Start(const std::string& args = {});
    bool WaitStarted();
    void End();

    // The sink gets the window once its picture stands still: two copies in
    // a row the same, the program answering between them.
    bool See(const std::string& name, const std::string& title, HWND w, int margin = 0, bool answers = true);
    bool SeeArea(const std::string& name, const std::string& title, HWND w, RECT area, bool answers = true);

    bool SeeFleeting(const std::string& cls, const std::string& name, const std::string& title, int timeoutMs);
    void StartWindows();
    void Splash();
    void ErrorReport();
    void Wizard();
    void Helpers();
    void Bubble();
    void Panels();
    void TrayMenu();
    void Preview();
    void TrayWindows();
    void SettingsDialog();
    void SettingsPage(HWND dialog, const std::string& button, const std::string& marker, const std::string& name,
                      const std::string& title);
    void GeneralPage(HWND dialog);
    void ClassPicker(HWND dialog);
    void ChangePassword(HWND dialog);
    void AppList();
    void SendCurrent();
    void EdgeWindow();
    void LockCover();
    void Poll();
    void ExitPrompts();
    void BackToDesktopOne();

    HWND ChooseFromTray(int item, const std::string& cls);
    void CloseMenusNow();

    const WindowTour::Sink& sink_;
    std::vector<std::string>& failures_;
    ChildProcess program_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
    std::unique_ptr<Helper> notes_, report_, diary_;
};

bool Visit::SeeArea(const std::string& name, const std::string& title, HWND w, RECT area, bool answers) {
    Sight sight{name, title, pid_, w, area, {}};
    ScreenShot last;
    bool gone = false;
    const bool still = WaitUntil([&] {
        if (w && (!::IsWindow(w) || !IsShown(w))) return gone = true;
        DWORD_PTR result = 0;
        if (w && answers) ::SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
        ScreenShot now = ScreenShot::Take(area);
        const bool same = SameShots(now, last);
        last = std::move(now);
        return same;
    }, 5000, 60);
    if (!still || gone) {
        Fail(name + ": " + (gone ? "the window went before its picture was taken" : "the picture never stood still"));
        return false;
    }
    sight.shot = std::move(last);
    sink_(sight);
    return true;
}

bool Visit::See(const std::string& name, const std::string& title, HWND w, int margin, bool answers) {
    if (!w) {
        Fail(name + ": the window did not come up");
        return false;
    }
    RECT r{};
    ::GetWindowRect(w, &r);
    ::InflateRect(&r, margin, margin);
    return SeeArea(name, title, w, r, answers);
}

bool Visit::Start(const std::string& args) {
    program_ = ChildProcess(BinDir() + "Tessareltop.exe", args);
    pid_ = program_.Pid();
    return pid_ != 0;
}

bool Visit::WaitStarted() {
    const bool started = WaitUntil([&] {
        main_ = FindMainWindow();
        DWORD owner = 0;
        if (main_) ::GetWindowThreadProcessId(main_, &owner);
        if (!main_ || owner != pid_) return false;
        for (const auto& line : EventLogLines(pid_))
            if (line.find(kStarted) != std::string::npos) return true;
        return false;
    }, 30000, 50);
    if (!started) Fail("the program did not start");
    return started;
}

// The program is asked to end as its user ends it; a program that will not
// is ended.
void Visit::End() {
    if (!program_.Running()) return;
    CloseMenus(pid_);
    RunAndWait(BinDir() + "Tessareltop.exe", "-kill");
    WaitUntil([&] {
        if (!program_.Running()) return true;
        if (HWND prompt = ShownWindow(pid_, "TfrmEnterPwd")) {
            if (HWND edit = ::FindWindowExA(prompt, nullptr, "Edit", nullptr)) {
                ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
                ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            }
            Hidden(prompt, 3000);
        }
        return !program_.Running();
    }, 15000, 100);
    if (program_.Running()) {
        Fail("the program did not end");
        program_.Kill();
    }
}

void Visit::CloseMenusNow() { CloseMenus(pid_); }

HWND Visit::ChooseFromTray(int item, const std::string& cls) {
    HWND shown = nullptr;
    // A menu that lost a key under load is closed and opened again.
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        if (!ChooseTrayItem(pid_, item)) continue;
        shown = WaitShown(pid_, cls, 5000);
        if (!shown) CloseMenusNow();
    }
    return shown;
}

// The start: splash, error report and wizard ---------------------------------------

void Visit::StartWindows() {
    Splash();
    // The modal wizard comes after the report; under Wine it is drawn over
    // the report although the report stays on top, so the report's
    // picture waits for the wizard's end.
    Wizard();
    ErrorReport();
}

// A window that stands only for a moment (the splash while the windows are
// made, the wait window while the icons are restored): the program is held
// still for its picture, once the window has painted itself.
bool Visit::SeeFleeting(const std::string& cls, const std::string& name, const std::string& title, int timeoutMs) {
    HWND w = WaitShown(pid_, cls, timeoutMs);
    if (!w) return false;
    for (int attempt = 0; attempt < 200; ++attempt) {
        {
            Frozen frozen(pid_);
            if (!::IsWindow(w) || !IsShown(w)) return false;
            RECT r{};
            ::GetWindowRect(w, &r);
            if (!OneColour(ScreenShot::Take(r))) return See(name, title, w, 0, false);
        }
        Pump(5);
    }
    return false;
}

void Visit::Splash() {
    if (!SeeFleeting("TfrmSplash", "splash", "Splash window", 30000)) Fail("splash: it went before it was painted");
}

void Visit::ErrorReport() {
    HWND report = WaitShown(pid_, "TfrmError", 30000);
    See("error-report", "Error report (errorlog.log found at start)", report);
    if (report && (!PressChild(report, "Delete log") || !Hidden(report))) Fail("error-report: Delete log");
}

void Visit::Wizard() {
    HWND wizard = WaitShown(pid_, "TfrmStartWiz", 30000);
    if (!wizard) return Fail("wizard: it did not come up");
    for (int page = 1; page <= 11; ++page) {
        const std::string progress = std::to_string(page) + "/11";
        if (!WaitChild(wizard, progress)) return Fail("wizard: page " + progress + " did not come");
        See("wizard-" + std::to_string(page), "Start-up wizard, page " + progress, wizard);
        if (page < 11 && !PressChild(wizard, "Next >>")) return Fail("wizard: no Next on page " + progress);
    }
    if (!PressChild(wizard, "Skip this wizard, start using the product! >>")) ::PostMessageA(wizard, WM_CLOSE, 0, 0);
    if (!Hidden(wizard)) Fail("wizard: it did not close");
}

// The windows of other programs the program manages ----------------------------------

void Visit::Helpers() {
    notes_ = std::make_unique<Helper>(HelperOptions{.cls = "TessGalleryNotes", .title = "Meeting notes - Notepad"});
    report_ = std::make_unique<Helper>(HelperOptions{.cls = "TessGalleryReport", .title = "Quarterly report"});
    diary_ = std::make_unique<Helper>(HelperOptions{.cls = "TessGalleryDiary", .title = "Diary"});
    const SIZE s = Screen();
    ::SetWindowPos(notes_->Window(), HWND_TOP, s.cx / 10, s.cy / 6, s.cx / 2, s.cy / 2, SWP_NOACTIVATE);
    ::SetWindowPos(report_->Window(), nullptr, s.cx / 3, s.cy / 4, s.cx / 2, s.cy / 2, SWP_NOZORDER | SWP_NOACTIVATE);
    // The report goes to desktop 2, the diary to the private desktop 3; a
    // move takes once a scan has met the window.
    auto send = [&](Helper& h, int desktop) {
        const bool moved = WaitUntil([&] {
            ::PostMessageA(main_, engine::WM_HOOK_SYSMENU, engine::TWindowRecord::WndFromHandle(h.Window()),
                           engine::IDM_SEND_WINDOW + static_cast<UINT>(desktop - 1));
            return !IsShown(h.Window());
        }, 10000, 250);
        if (!moved) Fail("helpers: a window did not move to desktop " + std::to_string(desktop));
    };
    send(*report_, 2);
    send(*diary_, 3);
}

void Visit::Bubble() {
    HWND bubble = WaitShown(pid_, "TfrmBubble", 10000);
    if (!bubble) return Fail("bubble: the start's bubble did not come up");
    // A bubble under the mouse does not fade.
    const POINT c = CentreOf(bubble);
    MouseTo(c.x, c.y);
    See("bubble", "Event bubble", bubble, 4);
    ParkMouse();
}

void Visit::Panels() {
    See("name-panel", "Desktop name panel", WaitShown(pid_, "TfrmDeskName"), 6);
    See("desk-bar", "Desktop bar (top edge)", WaitShown(pid_, "TfrmDeskBar"), 4);
    See("click-window", "Desktop info (click) window", WaitShown(pid_, "TfrmClick"), 6);
}

// Tray, preview and their menus --------------------------------------------------------

RECT UnionOfMenus(DWORD pid) {
    RECT all{};
    for (const auto& w : TopWindows()) {
        if (w.pid != pid || w.cls != "#32768" || !w.visible) continue;
        RECT r{};
        ::GetWindowRect(w.wnd, &r);
        ::UnionRect(&all, &all, &r);
    }
    return all;
}

int MenuCount(DWORD pid) {
    int n = 0;
    for (const auto& w : TopWindows()) n += w.pid == pid && w.cls == "#32768" && w.visible;
    return n;
}

void Visit::TrayMenu() {
    HWND menu = OpenTrayMenu(pid_);
    if (!menu) return Fail("tray-menu: it did not open");
    See("tray-menu", "Tray menu", menu, 2);
    // The applications' submenu: the first item, opened to the right.
    MenuKeys(menu, {VK_DOWN, VK_RIGHT});
    if (WaitUntil([&] { return MenuCount(pid_) >= 2; })) {
        RECT all = UnionOfMenus(pid_);
        ::InflateRect(&all, 2, 2);
        SeeArea("tray-menu-applications", "Tray menu: Application windows", menu, all);
    } else {
        Fail("tray-menu-applications: the submenu did not open");
    }
    CloseMenusNow();
}

void Visit::Preview() {
    PostTray(pid_, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    if (!WaitUntil([&] { return IsShown(main_); })) return Fail("preview: it did not open");
    See("preview", "Desktop preview", main_, 2);
    // The notes window's thumbnail on desktop 1, right-clicked: its menu.
    RECT client{}, notes{};
    ::GetClientRect(main_, &client);
    ::GetWindowRect(notes_->Window(), &notes);
    int cols = 3, rows = 3;
    engine::preview::Grid grid{};
    for (int size = 0; size <= 3; ++size) {
        grid = engine::preview::LayoutGrid(cols, rows, engine::preview::CellSize(size));
        if (grid.Client().cx == client.right && grid.Client().cy == client.bottom) break;
    }
    const RECT thumb = grid.Thumb(1);
    const SIZE thumbSize{thumb.right - thumb.left, thumb.bottom - thumb.top};
    const RECT drawn = engine::preview::ThumbWindowRect(notes, Screen(), thumbSize);
    const LPARAM at = MAKELPARAM(thumb.left + (drawn.left + drawn.right) / 2, thumb.top + (drawn.top + drawn.bottom) / 2);
    // The mouse comes first: the desktop's name over the thumbnail steps
    // aside for it.
    ::PostMessageA(main_, WM_MOUSEMOVE, 0, at);
    ::PostMessageA(main_, WM_RBUTTONDOWN, MK_RBUTTON, at);
    ::PostMessageA(main_, WM_RBUTTONUP, 0, at);
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = OpenMenuWindow(pid_)) != nullptr; }))
        return Fail("preview-menu: no menu at " + std::to_string(LOWORD(at)) + "," + std::to_string(HIWORD(at)) +
                    " of a client " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
    See("preview-menu", "Preview's window menu", menu, 2);
    MenuKeys(menu, {VK_DOWN, VK_RETURN});
    HWND info = WaitShown(pid_, "TfrmVDInfo");
    if (See("window-info", "Window information box", info)) {
        if (!PressChild(info, "Close") || !Hidden(info)) Fail("window-info: Close");
    }
    CloseMenusNow();
    if (IsShown(main_)) {
        PostTray(pid_, {WM_LBUTTONDOWN, WM_LBUTTONUP});
        Hidden(main_);
    }
}

void Visit::TrayWindows() {
    HWND log = ChooseFromTray(kEventLogItem, "TfrmLog");
    if (See("event-log", "Event log", log)) {
        ::PostMessageA(log, WM_CLOSE, 0, 0);
        if (!Hidden(log)) Fail("event-log: it did not close");
    }
    HWND lost = ChooseFromTray(kLostWindowsItem, "TfrmLost");
    if (See("lost-windows", "Lost-window list", lost)) {
        if (!PressChild(lost, "Close") || !Hidden(lost)) Fail("lost-windows: Close");
    }
    HWND about = ChooseFromTray(kAboutItem, "TfrmAbout");
    if (See("about", "About box", about)) {
        if (!PressChild(about, "Close") || !Hidden(about)) Fail("about: Close");
    }
}

// The settings dialog and what it opens ----------------------------------------------------

void Visit::SettingsPage(HWND dialog, const std::string& button, const std::string& marker, const std::string& name,
                         const std::string& title) {
    HWND image = ShownChild(dialog, button);
    if (!image) return Fail(name + ": no page button " + button);
    ::PostMessageA(image, BM_CLICK, 0, 0);
    if (!WaitChild(dialog, marker)) return Fail(name + ": the page did not come");
    See(name, title, dialog);
}

void Visit::GeneralPage(HWND dialog) {
    SettingsPage(dialog, "General", "Automatically follow window activities", "settings-general",
                 "Settings dialog: General, Engine parameters");
    // The hints of two options, one after the other.
    const std::pair<const char*, const char*> options[] = {{"Automatically follow window activities", "settings-hint-1"},
                                                           {"Strict desktop separation", "settings-hint-2"}};
    for (const auto& [option, name] : options) {
        HWND box = ShownChild(dialog, option);
        if (!box) {
            Fail(std::string(name) + ": no option " + option);
            continue;
        }
        RECT r{};
        ::GetWindowRect(box, &r);
        MouseTo(r.left + 60, (r.top + r.bottom) / 2);
        if (!WaitUntil([&] { return FindChild(dialog, [](HWND w) {
                return IsShown(w) && TitleOf(w).rfind("If checked", 0) == 0; }) != nullptr; }))
            Fail(std::string(name) + ": no hint");
        See(name, std::string("Settings dialog: the hint of \"") + option + "\"", dialog);
    }
    ParkMouse();
    if (!PressChild(dialog, "Visual preferences") || !WaitChild(dialog, "Show desktop name panel"))
        return Fail("settings-general-visual: the tab did not come");
    See("settings-general-visual", "Settings dialog: General, Visual preferences", dialog);
    PressChild(dialog, "Engine parameters");
}

void Visit::ClassPicker(HWND dialog) {
    if (!PressChild(dialog, "Add class")) return Fail("class-picker: no Add class");
    HWND picker = WaitShown(pid_, "TfrmClassPicker");
    if (!See("class-picker", "Class picker", picker)) return;
    // Picking: the notes window under the mouse gets its frame.
    if (PressChild(picker, "Pick")) {
        const POINT c = CentreOf(notes_->Window());
        MouseTo(c.x, c.y);
        HWND overlay = WaitShown(pid_, "TfrmClassOverlay");
        if (overlay) {
            RECT r{};
            ::GetWindowRect(overlay, &r);
            RECT p{};
            ::GetWindowRect(picker, &p);
            ::UnionRect(&r, &r, &p);
            ::InflateRect(&r, 4, 4);
            SeeArea("class-picker-overlay", "Class picker: a picked window's frame", overlay, r);
        } else {
            Fail("class-picker-overlay: no frame");
        }
        ParkMouse();
    }
    if (!PressChild(picker, "Cancel") || !Hidden(picker)) Fail("class-picker: Cancel");
}

void Visit::ChangePassword(HWND dialog) {
    if (!PressChild(dialog, "Set or change desktop lock password")) return Fail("change-password: no button");
    HWND change = WaitShown(pid_, "TfrmChgPwd");
    if (!See("change-password", "Change-password dialog", change)) return;
    if (!PressChild(change, "Cancel") || !Hidden(change)) Fail("change-password: Cancel");
}

void Visit::SettingsDialog() {
    HWND dialog = ChooseFromTray(kConfigureItem, "TfrmVDConfig");
    if (!dialog) return Fail("settings: the dialog did not open");
    ParkMouse();
    GeneralPage(dialog);
    struct Page {
        const char* button;
        const char* marker;
        const char* name;
        const char* title;
    };
    constexpr Page kPages[] = {
        {"Layout", "Select layout!", "settings-layout", "Settings dialog: Layout"},
        {"Hotkeys", "Desktop switch hotkeys:", "settings-hotkeys", "Settings dialog: Hotkeys"},
        {"Gestures", "Use mouse gestures", "settings-gestures", "Settings dialog: Gestures"},
        {"Sticky", "Sticky classes and applications", "settings-sticky", "Settings dialog: Sticky windows"},
        {"Auto", "Auto-send applications to desktops", "settings-autosend", "Settings dialog: Automatic send"},
        {"Lists", "Applications to watch", "settings-watch", "Settings dialog: Watch list"},
        {"Names", "Desktop names and tab colors", "settings-names", "Settings dialog: Names and colours"},
        {"Walls", "Wallpapers", "settings-wallpapers", "Settings dialog: Wallpapers"},
        {"Modes", "Resolutions", "settings-modes", "Settings dialog: Display modes"},
        {"Private", "Private desktops", "settings-private", "Settings dialog: Private desktops"},
    };
    for (const Page& p : kPages) {
        SettingsPage(dialog, p.button, p.marker, p.name, p.title);
        if (std::string_view(p.name) == "settings-sticky") ClassPicker(dialog);
        if (std::string_view(p.name) == "settings-private") ChangePassword(dialog);
    }
    if (!PressChild(dialog, "Cancel") || !Hidden(dialog)) Fail("settings: Cancel");
}

// The navigation windows ------------------------------------------------------------------

void Visit::AppList() {
    ::PostMessageA(main_, engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrlWin, 0);
    HWND list = WaitShown(pid_, "TfrmAppList");
    if (!list) return Fail("app-list: it did not open");
    const POINT c = CentreOf(list);
    MouseTo(c.x, c.y);
    See("app-list", "Application list", list, 2);
    ::PostMessageA(main_, engine::WM_HOOK_HOTKEY, engine::kHotkeyChordCtrlWin, 0);
    if (!Hidden(list)) Fail("app-list: it did not close");
    ParkMouse();
}

// "UR" drawn with the middle button held over the window in front: the
// trail while it is drawn, then the send-current window it opens.
void Visit::SendCurrent() {
    HWND front = notes_->Window();
    RECT r{};
    ::GetWindowRect(front, &r);
    const int x = (r.left + r.right) / 2 - 80, y = (r.top + r.bottom) / 2 + 80;
    HWND window = nullptr;
    bool trailSeen = false;
    for (int attempt = 0; attempt < 5 && !window; ++attempt) {
        ::PostMessageA(front, kHelperActivate, 0, 0);
        WaitUntil([&] { return ::GetForegroundWindow() == front; }, 3000);
        std::string g = "mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 2 sleep 0.1";
        for (int i = 1; i <= 8; ++i) g += " mousemove " + std::to_string(x) + " " + std::to_string(y - 20 * i) + " sleep 0.03";
        for (int i = 1; i <= 8; ++i)
            g += " mousemove " + std::to_string(x + 20 * i) + " " + std::to_string(y - 160) + " sleep 0.03";
        RunXdotool(g);
        if (!trailSeen) {
            HWND trail = WaitShown(pid_, "TfrmGestureTrail", 3000);
            if (trail) trailSeen = See("gesture-trail", "Gesture trail (middle button held)", trail);
        }
        RunXdotool("sleep 0.1 mouseup 2");
        window = WaitShown(pid_, "TfrmSendCurrent", 5000);
    }
    if (!trailSeen) Fail("gesture-trail: it did not come up");
    if (!window) return Fail("send-current: it did not open");
    See("send-current", "Send current application to ...", window);
    if (!PressChild(window, "Do not send. Cancel.") || !Hidden(window)) Fail("send-current: Cancel");
    ParkMouse();
}

void Visit::BackToDesktopOne() {
    RunAndWait(BinDir() + "Tessareltop.exe", "-s1");
    if (!WaitUntil([&] { return IsShown(notes_->Window()); }, 10000)) Fail("the switch back to desktop 1");
}

void Visit::EdgeWindow() {
    const SIZE s = Screen();
    MouseTo(s.cx - 1, s.cy / 2);
    HWND edge = WaitShown(pid_, "TfrmEdgeNav", 5000);
    See("edge-window", "Screen-edge window (right edge)", edge, 4);
    ParkMouse();
    // Resting there long enough switches: back to where the tour was.
    BackToDesktopOne();
}

void Visit::LockCover() {
    RunAndWait(BinDir() + "Tessareltop.exe", "-s3");
    HWND cover = WaitShown(pid_, "TfrmAuthPwd");
    if (!See("lock-cover", "Lock cover of the private desktop 3", cover)) return BackToDesktopOne();
    HWND edit = ::FindWindowExA(cover, nullptr, "Edit", nullptr);
    if (edit) {
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("wrong"));
        Key(edit, VK_RETURN);
        if (WaitUntil([&] { return ShownChild(cover, "Password is invalid. Try again on cancel.") != nullptr; }))
            See("lock-cover-wrong", "Lock cover after a wrong password", cover);
        else
            Fail("lock-cover-wrong: no failure line");
        Key(edit, VK_ESCAPE);
    }
    if (!Hidden(cover)) ::PostMessageA(edit, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    BackToDesktopOne();
}

void Visit::Poll() {
    RunAndWait(BinDir() + "Tessareltop.exe", "-poll");
    HWND poll = WaitShown(pid_, "TfrmPoll");
    if (See("poll", "Uninstall poll", poll)) {
        if (!PressChild(poll, "Do not send feedback") || !Hidden(poll)) Fail("poll: Do not send feedback");
    }
}

// "-kill" with a private window running: the unify's prompt, cancelled, and
// the exit's, answered.
void Visit::ExitPrompts() {
    ChildProcess kill(BinDir() + "Tessareltop.exe", "-kill");
    HWND prompt = WaitShown(pid_, "TfrmEnterPwd");
    if (!See("password-prompt-unify", "Password prompt of \"-kill\" (unify)", prompt)) return;
    PressChild(prompt, "Cancel");
    Hidden(prompt);
    prompt = WaitShown(pid_, "TfrmEnterPwd");
    if (See("password-prompt-exit", "Password prompt of the exit", prompt)) {
        if (HWND edit = ::FindWindowExA(prompt, nullptr, "Edit", nullptr)) {
            ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
            ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        }
    }
    if (program_.Wait(15000) < 0) Fail("the exit with the password");
}

void Visit::FirstRun() {
    ResetUserState();
    WriteSetting("showsplash", 1);
    WriteSetting("showcfgwiz", 1);
    WriteSetting("deskbar", 3);       // top
    WriteSetting("showdeskname", 1);
    WriteSetting("deskinfo", 1);
    WriteSetting("edgenav", 1);
    WriteSetting("locked1", 0);       // the group is read with its first value
    WriteSetting("locked3", 1);
    const char* names[] = {"Mail", "Web and research tab", "Private", "Music"};
    for (int n = 1; n <= 4; ++n) WriteString(("deskname" + std::to_string(n)).c_str(), names[n - 1]);
    navigation::StoreLockPassword(kPassword);
    WriteDataFile("errorlog.log", "2024-05-06 07:08:09 >> Access violation at address 0040A1B2\r\n");
    ParkMouse();
    if (!Start()) return Fail("the program could not be started");
    StartWindows();
    if (!WaitStarted()) return;
    Helpers();
    Bubble();
    Panels();
    TrayMenu();
    Preview();
    TrayWindows();
    SettingsDialog();
    AppList();
    SendCurrent();
    EdgeWindow();
    LockCover();
    Poll();
    ExitPrompts();
}

void Visit::SecondRun() {
    ResetUserState();
    WriteSetting("showsplash", 0);
    WriteSetting("bubblelevel", 0);
    WriteSetting("disticons", 1);
    // A desktop with an icon: after each switch the program waits under its
    // wait window until the icon's place is restored, about a second.
    ShellView view;
    if (!view.Start({{"Recycle Bin", 20, 20}})) return Fail("wait: no desktop list view");
    if (!Start() || !WaitStarted()) return;
    for (int attempt = 0; attempt < 6; ++attempt) {
        RunAndWait(BinDir() + "Tessareltop.exe", attempt % 2 ? "-s1" : "-s2");
        if (SeeFleeting("TfrmWait", "wait", "Wait window (desktop icons)", 3000)) return;
    }
    Fail("wait: it did not come up");
}

}  // namespace

void WindowTour::Run() {
    {
        Visit first(sink_, failures_);
        first.FirstRun();
    }
    {
        Visit second(sink_, failures_);
        second.SecondRun();
    }
    ResetUserState();
}

}  // namespace e2e
