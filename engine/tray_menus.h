#pragma once
// The tray menu, the preview's window menu and the tray icon's handlers of
// the main form (the methods themselves are TfrmPTessarel's, in
// tray_menus.cpp), with the pure rules they follow, and the two commands
// that close the active window or application.
#include <windows.h>
#include <string>
#include <string_view>

namespace engine {

namespace texts {
constexpr std::string_view kApplicationWindows = "Application windows";
constexpr std::string_view kConfigure = "Configure";
constexpr std::string_view kLostWindows = "Lost windows";
constexpr std::string_view kEventLog = "Event log";
constexpr std::string_view kHelp = "Help";
constexpr std::string_view kFreeOnlineSupport = "Free online support";
constexpr std::string_view kSubscribeNewsletter = "Subscribe to my newsletter";
constexpr std::string_view kSendFeedback = "Send me a feedback!";
constexpr std::string_view kRequestFeature = "Request a new feature!";
constexpr std::string_view kSearchKnowledgeBase = "Search knowledge base";
constexpr std::string_view kOnlineHint = "You MUST be online to access this function!";
constexpr std::string_view kAbout = "About";
constexpr std::string_view kExit = "Exit (and unify desktops)";
constexpr std::string_view kSelHint = "Click here for sticky / unsticky operations";
constexpr std::string_view kSendApplicationTo = "Send application to";
constexpr std::string_view kMoveSingleWindowTo = "Move single window to";
constexpr std::string_view kSendAppToCurrent = "Send this application to current desktop";
constexpr std::string_view kSendWindowToCurrent = "Send this single window to current desktop";
constexpr std::string_view kUnifyHere = "Unify desktops here";
constexpr std::string_view kToDesktop = "to desktop ";
constexpr std::string_view kNoWindowSelected = "(no window selected!)";
constexpr std::string_view kClickForStickyInfo = " [click for sticky info]";
constexpr std::string_view kStickyPrefix = "(sticky): ";
}  // namespace texts

// The maker's web pages.
constexpr std::string_view kMakerSite = "https://www.pelmora.example";
enum class MakerPage { Feedback, FeatureRequest, KnowledgeBase, Newsletter, UninstallPoll };
std::string MakerPageUrl(MakerPage page, std::string_view versionTag);

// The desktop after the current one, the first after the last.
int NextDesktop(int current, int desktopCount) noexcept;

// The files beside the program that picture desktop n.
std::string TrayIconFile(std::string_view appFolder, int desktop);      // gfx\N.ico
std::string ClickPictureFile(std::string_view appFolder, int desktop);  // gfx\lN.bmp

// "Application windows": whether a window's styles let it into the list,
// and its caption there (the title cut to 200 characters).
bool AppMenuStyleAllows(DWORD style, DWORD exStyle) noexcept;
std::string AppWindowCaption(bool sticky, int desktop, std::string_view title);

// The preview menu's state at opening, for the picked window.
struct WindowMenuState {
    std::string selCaption;
    bool moveEnabled;   // "Send application to", "Move single window to"
    bool dragEnabled;   // the two "... to current desktop" items
};
WindowMenuState WindowMenuStateFor(bool picked, std::string_view title, bool sticky, int pressedDesktop,
                                   int currentDesktop);

// Windows that the close commands never touch: none, the program's own, the
// desktop and the shell's taskbar and desktop windows.
bool IsProtectedWindow(HWND w);
// The process of the shell (its taskbar or desktop window), 0 when none.
DWORD ShellProcessId();
// "Close active window": asks the foreground window to close.
void CloseActiveWindow();
// "Close active application": closes the foreground window, or ends its
// program when it does not close; never the shell's program.
void CloseActiveApplication();

}  // namespace engine
