// The tray icon's handlers, the tray menu and the preview's window menu of
// the main form, and the commands that close the active window.
#include "engine/tray_menus.h"
#include <shellapi.h>
#include <array>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/startup.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

constexpr int kAppTitleChars = 200;
constexpr int kSelTitleChars = 250;
constexpr size_t kSelCaptionChars = 40;
constexpr int kAppPictureSize = 20;
constexpr char kTrayHint[] = "Click here to choose desktop\n\ror right click for menu";

struct PageInfo {
    MakerPage page;
    std::string_view path;
    std::string_view query;   // the version tag follows when not empty
};
constexpr std::array<PageInfo, 5> kPages{{
    {MakerPage::Feedback, "/quill_mere/feedback.php", "prod=1&req=0&ver="},
    {MakerPage::FeatureRequest, "/quill_mere/feedback.php", "prod=1&req=1&ver="},
    {MakerPage::KnowledgeBase, "/quill_mere/kbase.php", "prod=1&ver="},
    {MakerPage::Newsletter, "/quill_mere/addemail.php", ""},
    {MakerPage::UninstallPoll, "/quill_mere/feedback.php", "prod=1&req=2&ver="},
}};

constexpr std::array<std::string_view, 4> kShellClasses{
    "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW"};

std::string WindowTitle(HWND w, int maxChars) {
    std::string buffer(static_cast<size_t>(maxChars) + 1, '\0');
    int length = ::GetWindowTextA(w, buffer.data(), maxChars + 1);
    buffer.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return buffer;
}

std::string ClassOf(HWND w) {
    char name[256] = {};
    ::GetClassNameA(w, name, sizeof name);
    return name;
}

DWORD ProcessOf(HWND w) {
    DWORD pid = 0;
    if (w) ::GetWindowThreadProcessId(w, &pid);
    return pid;
}


SIZE IconSize(HICON icon) {
    ICONINFO info{};
    SIZE size{::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)};
    if (!::GetIconInfo(icon, &info)) return size;
    framework::Bitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (::GetObjectA(mask.get(), sizeof bm, &bm)) size = {bm.bmWidth, color ? bm.bmHeight : bm.bmHeight / 2};
    return size;
}

// The first icon of the executable drawn at its own size on the menu's
// colour, stretched into the menu's picture size.
framework::Bitmap ExePicture(const std::string& exePath) {
    if (exePath.empty()) return {};
    HICON large = nullptr;
    // Without icons the count is 0 and the handle may be garbage.
    if (::ExtractIconExA(exePath.c_str(), 0, &large, nullptr, 1) < 1 || !large) return {};
    framework::Icon icon(large);
    SIZE size = IconSize(icon.get());
    framework::WindowDc screen(nullptr);
    framework::MemoryDc iconDc(::CreateCompatibleDC(screen.get())), pictureDc(::CreateCompatibleDC(screen.get()));
    framework::Bitmap iconBits(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    framework::Bitmap picture(::CreateCompatibleBitmap(screen.get(), kAppPictureSize, kAppPictureSize));
    if (!iconDc || !pictureDc || !iconBits || !picture) return {};
    {
        framework::SelectScope useIcon(iconDc.get(), iconBits.get()), usePicture(pictureDc.get(), picture.get());
        RECT all{0, 0, size.cx, size.cy};
        ::FillRect(iconDc.get(), &all, ::GetSysColorBrush(COLOR_MENU));
        ::DrawIconEx(iconDc.get(), 0, 0, icon.get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
        ::SetStretchBltMode(pictureDc.get(), HALFTONE);
        ::StretchBlt(pictureDc.get(), 0, 0, kAppPictureSize, kAppPictureSize, iconDc.get(), 0, 0, size.cx, size.cy,
                     SRCCOPY);
    }
    return picture;
}

// The items of desktop 1 to 9 under "Send application to" (miA1..miA9) and
// "Move single window to" (miS1..miS9).
template <typename F>
void ForEachDesktopItem(framework::PopupMenu& menu, F f) {
    for (int k = 1; k <= 9; ++k) {
        const std::string n = std::to_string(k);
        for (const std::string& name : {"miA" + n, "miS" + n})
            if (framework::MenuItem* item = menu.Items.Find(name)) f(k, *item);
    }
}

framework::MenuItem& ItemOf(framework::PopupMenu& menu, std::string_view name) {
    framework::MenuItem* item = menu.Items.Find(name);
    if (!item) throw framework::Exception("Menu item " + std::string(name) + " is missing");
    return *item;
}

void OpenPage(MakerPage page) {
    std::string url = MakerPageUrl(page, WindowsVersionTag());
    ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace

// Pure rules ------------------------------------------------------------------

std::string MakerPageUrl(MakerPage page, std::string_view versionTag) {
    for (const auto& p : kPages) {
        if (p.page != page) continue;
        std::string url = std::string(kMakerSite) + std::string(p.path);
        if (!p.query.empty()) url += "?" + std::string(p.query) + std::string(versionTag);
        return url;
    }
    return std::string(kMakerSite);
}

int NextDesktop(int current, int desktopCount) noexcept {
    int next = current + 1;
    return next > desktopCount ? 1 : next;
}

std::string TrayIconFile(std::string_view appFolder, int desktop) {
    return std::string(appFolder) + "gfx\\" + std::to_string(desktop) + ".ico";
}

std::string ClickPictureFile(std::string_view appFolder, int desktop) {
    return std::string(appFolder) + "gfx\\l" + std::to_string(desktop) + ".bmp";
}

bool AppMenuStyleAllows(DWORD style, DWORD exStyle) noexcept {
    return !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_MDICHILD)) && (style & WS_MINIMIZEBOX) && !(style & WS_CHILD);
}

std::string AppWindowCaption(bool sticky, int desktop, std::string_view title) {
    std::string shown(title.substr(0, kAppTitleChars));
    if (sticky) return std::string(texts::kStickyPrefix) + shown;
    return "(desk " + std::to_string(desktop) + "): " + shown;
}

WindowMenuState WindowMenuStateFor(bool picked, std::string_view title, bool sticky, int pressedDesktop,
                                   int currentDesktop) {
    WindowMenuState state;
    state.selCaption = picked ? std::string(title.substr(0, kSelCaptionChars)) + std::string(texts::kClickForStickyInfo)
                              : std::string(texts::kNoWindowSelected);
    state.moveEnabled = picked && !sticky;
    state.dragEnabled = state.moveEnabled && pressedDesktop != currentDesktop;
    return state;
}

// Closing the active window ------------------------------------------------------

DWORD ShellProcessId() {
    for (HWND shell : {::FindWindowA("Shell_TrayWnd", nullptr), ::GetShellWindow()})
        if (DWORD pid = ProcessOf(shell)) return pid;
    return 0;
}

bool IsProtectedWindow(HWND w) {
    if (!w || !::IsWindow(w)) return true;
    for (HWND candidate : {w, ::GetAncestor(w, GA_ROOT)}) {
        if (!candidate) continue;
        if (candidate == ::GetDesktopWindow() || candidate == ::GetShellWindow()) return true;
        if (ProcessOf(candidate) == ::GetCurrentProcessId()) return true;
        std::string cls = ClassOf(candidate);
        for (std::string_view shellClass : kShellClasses)
            if (cls == shellClass) return true;
    }
    return false;
}

void CloseActiveWindow() {
    HWND w = ::GetForegroundWindow();
    if (IsProtectedWindow(w)) return;
    ::PostMessageA(w, WM_CLOSE, 0, 0);
}

void CloseActiveApplication() {
    HWND w = ::GetForegroundWindow();
    if (IsProtectedWindow(w)) return;
    // Ending the shell's program would take the taskbar and the desktop.
    DWORD pid = ProcessOf(w);
    if (pid == ShellProcessId() || pid == ProcessOf(::GetDesktopWindow())) return;
    CloseOrKillWindow(w);
}

// The main form's menus ------------------------------------------------------------

namespace {

using Handler = void (TfrmPTessarel::*)();

struct SupportItem {
    std::string_view caption;
    bool visible;
    Handler handler;
};

// The four web-page items of both menus; the names differ per menu.
void AddSupportItems(TfrmPTessarel& form, framework::MenuItem& support, const std::array<std::string_view, 4>& names,
                     Handler newsletter) {
    const std::array<SupportItem, 4> items{{
        {texts::kSubscribeNewsletter, false, newsletter},
        {texts::kSendFeedback, true, &TfrmPTessarel::Sendmeafeedback1Click},
        {texts::kRequestFeature, true, &TfrmPTessarel::Requestanewfeature2Click},
        {texts::kSearchKnowledgeBase, false, &TfrmPTessarel::Searchknowledgebase2Click},
    }};
    for (size_t i = 0; i < items.size(); ++i) {
        Handler handler = items[i].handler;
        auto& item = support.Add(std::string(names[i]), std::string(items[i].caption),
                                 [&form, handler](framework::MenuItem&) { (form.*handler)(); });
        item.Visible = items[i].visible;
        item.Hint = std::string(texts::kOnlineHint);
    }
}

}  // namespace

void TfrmPTessarel::CreateTrayMenus() {
    using framework::MenuItem;
    auto run = [this](Handler handler) { return [this, handler](MenuItem&) { (this->*handler)(); }; };
    auto add = [&](MenuItem& parent, std::string_view name, std::string_view caption, Handler handler = nullptr) -> MenuItem& {
        return parent.Add(std::string(name), std::string(caption), handler ? run(handler) : MenuItem::ClickHandler{});
    };

    MenuItem& tray = PopupMenu1.Items;
    tray.Clear();
    add(tray, "miApplications", texts::kApplicationWindows);
    tray.AddSeparator("N9");
    add(tray, "Configure1", texts::kConfigure, &TfrmPTessarel::Configure1Click);
    add(tray, "Lostwindows1", texts::kLostWindows, &TfrmPTessarel::Lostwindows1Click);
    add(tray, "Showlog1", texts::kEventLog, &TfrmPTessarel::Showlog1Click);
    tray.AddSeparator("N1");
    add(tray, "Manual1", texts::kHelp, &TfrmPTessarel::Manual1Click);
    AddSupportItems(*this, add(tray, "Support2", texts::kFreeOnlineSupport),
                    {"Subscribetomynewsletter1", "Sendmeafeedback1", "Requestanewfeature2", "Searchknowledgebase2"},
                    &TfrmPTessarel::Subscribetomynewsletter1Click);
    add(tray, "About1", texts::kAbout, &TfrmPTessarel::About1Click);
    tray.AddSeparator("N6");
    add(tray, "Exit1", texts::kExit, &TfrmPTessarel::Exit1Click);
    PopupMenu1.OnPopup = [this] { PopupMenu1Popup(); };

    MenuItem& preview = PopupMenu2.Items;
    preview.Clear();
    add(preview, "miSel", texts::kNoWindowSelected, &TfrmPTessarel::miSelClick).Hint = std::string(texts::kSelHint);
    preview.AddSeparator("N4");
    MenuItem& moveAll = add(preview, "miMoveAll", texts::kSendApplicationTo);
    moveAll.Default = true;
    MenuItem& moveSingle = add(preview, "miMoveSingle", texts::kMoveSingleWindowTo);
    for (int n = 1; n <= 9; ++n) {
        std::string caption = std::string(texts::kToDesktop) + std::to_string(n);
        // The item's tag is the target desktop.
        moveAll.Add("miA" + std::to_string(n), caption, [this](MenuItem& item) {
            miA1Click(static_cast<int>(item.Tag));
        }).Tag = n;
        moveSingle.Add("miS" + std::to_string(n), caption, [this](MenuItem& item) {
            miS1Click(static_cast<int>(item.Tag));
        }).Tag = n;
    }
    add(preview, "miDrag2Current", texts::kSendAppToCurrent, &TfrmPTessarel::miDrag2CurrentClick);
    add(preview, "miDragW2Current", texts::kSendWindowToCurrent, &TfrmPTessarel::miDragW2CurrentClick);
    preview.AddSeparator("N2");
    add(preview, "miUnify", texts::kUnifyHere, &TfrmPTessarel::miUnifyClick);
    preview.AddSeparator("N5");
    add(preview, "Manual2", texts::kHelp, &TfrmPTessarel::Manual1Click);
    AddSupportItems(*this, add(preview, "Support1", texts::kFreeOnlineSupport),
                    {"Subscribetomynewsletter2", "Sendmeafeedback2", "Requestanewfeature1", "Searchknowledgebase1"},
                    &TfrmPTessarel::Subscribetomynewsletter2Click);
    preview.AddSeparator("N7");
    add(preview, "Configure2", texts::kConfigure, &TfrmPTessarel::Configure1Click);
    preview.AddSeparator("N8");
    add(preview, "Exit2", texts::kExit, &TfrmPTessarel::Exit2Click);
    PopupMenu2.OnPopup = [this] { PopupMenu2Popup(); };

    rxti.SetPopupMenu(&PopupMenu1);
    rxti.OnClick = [this](TRxTrayIcon&, TMouseButton, TShiftState, int, int) { rxtiClick(); };
    rxti.OnDblClick = [this](TRxTrayIcon&) { rxtiDblClick(); };
    rxti.OnMouseMove = [this](TRxTrayIcon&, TShiftState, int, int) { rxtiMouseMove(); };
    rxti.SetHint(kTrayHint);
    rxti.Loaded();   // stored inactive: applying the settings switches it on

    OnMessage(WM_KEYUP, [this](WPARAM key, LPARAM) -> LRESULT {
        FormKeyUp(static_cast<WORD>(key));
        return 0;
    });
}

void TfrmPTessarel::SetDesktopMenuCaptions(const std::vector<std::string>& captions) {
    // Before the menus are built (a form without its window) there is
    // nothing to name.
    ForEachDesktopItem(PopupMenu2, [&](int desktop, framework::MenuItem& item) {
        if (static_cast<size_t>(desktop) <= captions.size()) item.Caption = captions[static_cast<size_t>(desktop - 1)];
    });
}

void TfrmPTessarel::ShowDesktopMenuItems() {
    const int count = DesktopCount();
    ForEachDesktopItem(PopupMenu2, [count](int desktop, framework::MenuItem& item) { item.Visible = desktop <= count; });
}

// The tray icon ----------------------------------------------------------------------

void TfrmPTessarel::rxtiClick() { ShowPreviewFromTray(); }

void TfrmPTessarel::rxtiDblClick() {
    if (!EngineStarted) return;
    RequestDesktop(NextDesktop(FCurrentDesktop, DesktopCount()));
    if (Visible()) HidePreview();
}

void TfrmPTessarel::rxtiMouseMove() {}

void TfrmPTessarel::SetTrayIconForDesktop(int n) {
    const std::string folder = GetAppFolder();
    const std::string iconFile = TrayIconFile(folder, n);
    if (!FileExists(iconFile)) return;
    // A damaged file is reported and leaves the picture as it was.
    framework::Guard([&] { rxti.Icon().LoadFromFile(iconFile); });
    framework::Guard([&] { links::LoadClickPicture(ClickPictureFile(folder, n)); });
}

// The tray menu ------------------------------------------------------------------------

void TfrmPTessarel::PopupMenu1Popup() { BuildAppMenu(); }

void TfrmPTessarel::BuildAppMenu() {
    framework::MenuItem& apps = ItemOf(PopupMenu1, "miApplications");
    apps.Clear();
    ForEachProcess([&](const PROCESSENTRY32& process) {
        const DWORD pid = process.th32ProcessID;
        if (pid == 0) return;
        ForEachTopWindow([&](HWND w) {
            if (ProcessOf(w) != pid) return;
            int index = FindWindowRecord(w);
            if (index < 0 || !FWindowTable[static_cast<size_t>(index)].Visible) return;
            auto style = static_cast<DWORD>(::GetWindowLongA(w, GWL_STYLE));
            auto exStyle = static_cast<DWORD>(::GetWindowLongA(w, GWL_EXSTYLE));
            if (!AppMenuStyleAllows(style, exStyle) || IsUnmanagedWindow(w, index)) return;
            const bool sticky = IsSticky(w);
            const int desktop = FWindowTable[static_cast<size_t>(index)].Desktop;
            // What a locked desktop holds is not told, by title or by icon.
            if (!sticky && IsLockedDesktop(desktop)) return;
            auto& item = apps.Add("", AppWindowCaption(sticky, desktop, WindowTitle(w, kAppTitleChars)));
            item.Tag = reinterpret_cast<intptr_t>(w);
            item.Picture = ExePicture(ProcessExePath(pid));
            if (sticky)
                item.OnClick = [this](framework::MenuItem& i) { StickyAppWindowItemClick(reinterpret_cast<HWND>(i.Tag)); };
            else
                item.OnClick = [this](framework::MenuItem& i) { AppWindowItemClick(reinterpret_cast<HWND>(i.Tag)); };
        });
    });
}

void TfrmPTessarel::AppWindowItemClick(HWND w) {
    int index = FindWindowRecord(w);
    if (index >= 0) {
        int desktop = FWindowTable[static_cast<size_t>(index)].Desktop;
        if (desktop != FCurrentDesktop) RequestPreviewSwitch(desktop);
        // Restoring the window now would show it over a desktop it does not
        // belong to. It stays hidden until its desktop is unlocked; the
        // switch then brings it forward as the window last active there,
        // which a switch from the preview's menus does not do by itself.
        if (IsLockedDesktop(desktop) && !IsSticky(w)) {
            if (desktop >= 1 && desktop <= 9 && FRequestedDesktop == desktop) {
                FLastActiveWindow[static_cast<size_t>(desktop)] = w;
                FPreviewSwitch = false;
            }
            return;
        }
    }
    StickyAppWindowItemClick(w);
}

void TfrmPTessarel::StickyAppWindowItemClick(HWND w) {
    if (::IsIconic(w)) ::OpenIcon(w);
    ::BringWindowToTop(w);
    ::SetActiveWindow(w);
    links::HideAppList();
}

void TfrmPTessarel::Configure1Click() { links::ShowSettingsDialog(); }

void TfrmPTessarel::Lostwindows1Click() {
    HidePreview();
    links::ShowLostWindows();
}

void TfrmPTessarel::Showlog1Click() { links::ShowLogWindow(); }

void TfrmPTessarel::About1Click() {
    // The modal box must come above the preview; the preview goes back on
    // top however the box ends.
    SetStayOnTop(false);
    struct BackOnTop {
        TfrmPTessarel& form;
        ~BackOnTop() { form.SetStayOnTop(true); }
    } backOnTop{*this};
    links::RunAboutBox();
}

void TfrmPTessarel::btnHelpClick() {
    HidePreview();
    links::ShowPreviewHelp();
}

void TfrmPTessarel::Manual1Click() { btnHelpClick(); }

void TfrmPTessarel::FormKeyUp(WORD key) {
    if (key == VK_F1) btnHelpClick();
}

void TfrmPTessarel::Sendmeafeedback1Click() {
    OpenPage(MakerPage::Feedback);
    HidePreview();
}

void TfrmPTessarel::Requestanewfeature2Click() {
    OpenPage(MakerPage::FeatureRequest);
    HidePreview();
}

void TfrmPTessarel::Searchknowledgebase2Click() {
    OpenPage(MakerPage::KnowledgeBase);
    HidePreview();
}

void TfrmPTessarel::Subscribetomynewsletter1Click() {
    OpenPage(MakerPage::Newsletter);
    HidePreview();
}

void TfrmPTessarel::Subscribetomynewsletter2Click() { Subscribetomynewsletter1Click(); }

void TfrmPTessarel::PopupMainMenu() {
    POINT p{};
    ::GetCursorPos(&p);
    // Opened over another program's window, the menu must be ours in the
    // foreground, or a click elsewhere would not close it.
    ::SetForegroundWindow(PopupMenu1.Window());
    PopupMenu1.Popup(p.x, p.y);
}

// The preview's window menu -----------------------------------------------------------------

void TfrmPTessarel::PopupPreviewMenu() {
    POINT p{};
    ::GetCursorPos(&p);
    PopupMenu2.Popup(p.x, p.y);
}

void TfrmPTessarel::PopupMenu2Popup() {
    HWND w = FSelectedWindow;
    const bool picked = w != nullptr;
    WindowMenuState state = WindowMenuStateFor(picked, picked ? WindowTitle(w, kSelTitleChars) : std::string(),
                                               picked && IsSticky(w), FPressedDesktop, FCurrentDesktop);
    ItemOf(PopupMenu2, "miSel").Caption = state.selCaption;
    ItemOf(PopupMenu2, "miMoveSingle").Enabled = state.moveEnabled;
    ItemOf(PopupMenu2, "miMoveAll").Enabled = state.moveEnabled;
    ItemOf(PopupMenu2, "miDrag2Current").Enabled = state.dragEnabled;
    ItemOf(PopupMenu2, "miDragW2Current").Enabled = state.dragEnabled;
}

void TfrmPTessarel::miSelClick() {
    if (FSelectedWindow) links::ShowWindowInfo();
}

// The two moves of the window menu with the current desktop as their target.
void TfrmPTessarel::miDrag2CurrentClick() { miA1Click(FCurrentDesktop); }
void TfrmPTessarel::miDragW2CurrentClick() { miS1Click(FCurrentDesktop); }

}  // namespace engine
