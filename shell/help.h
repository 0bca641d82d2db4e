#pragma once
// The help front end: every help button and help menu item of the program
// opens a topic of the compiled help file "tessarel.chm" beside the program.
// The HTML Help control is found through its registered class and loaded
// once at start; topics can also go to the stand-alone viewers in the Windows
// folder. The help debug log (shell/help_debug.h) records every call.
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include "framework/owned.h"
#include "shell/help_versions.h"

namespace shell {

namespace help_texts {
constexpr std::string_view kHelpFile = "tessarel.chm";
// The topics the program opens.
constexpr std::string_view kTopicGeneral = "settings_general.htm";
constexpr std::string_view kTopicGeneral2 = "settings_general_2.htm";
constexpr std::string_view kTopicHotkeys = "settings_hotkeys.htm";
constexpr std::string_view kTopicSticky = "settings_sticky.htm";
constexpr std::string_view kTopicWatch = "settings_watch.htm";
constexpr std::string_view kTopicLayout = "settings_layout.htm";
constexpr std::string_view kTopicAutoSend = "settings_autosend.htm";
constexpr std::string_view kTopicWallpapers = "settings_wallpapers.htm";
constexpr std::string_view kTopicResolutions = "settings_res.htm";
constexpr std::string_view kTopicGestures = "settings_gestures.htm";
constexpr std::string_view kTopicNames = "settings_names.htm";
constexpr std::string_view kTopicPrivate = "settings_private.htm";
constexpr std::string_view kTopicLostWindows = "lostwindows.htm";
constexpr std::string_view kTopicSendAppTo = "sendappto.htm";
constexpr std::string_view kTopicWindowInfo = "sticky.htm";
constexpr std::string_view kTopicGettingHelp = "howtogethelp.htm";
constexpr std::string_view kTopicPreview = "deskprev.htm";
// The address prefixes of BuildHelpUrl.
constexpr std::string_view kStorePrefix = "mk:@MSITStore:";
constexpr std::string_view kItsPrefix = "ms-its:";
// The stand-alone viewers in the Windows folder.
constexpr std::string_view kKeyHHViewer = "KeyHH.EXE";
constexpr std::string_view kHHViewer = "HH.EXE";
}  // namespace help_texts

// Every topic the program opens, for the help file's own checks.
constexpr std::string_view kProgramTopics[] = {
    help_texts::kTopicGeneral,     help_texts::kTopicGeneral2,   help_texts::kTopicHotkeys,
    help_texts::kTopicSticky,      help_texts::kTopicWatch,      help_texts::kTopicLayout,
    help_texts::kTopicAutoSend,    help_texts::kTopicWallpapers, help_texts::kTopicResolutions,
    help_texts::kTopicGestures,    help_texts::kTopicNames,      help_texts::kTopicPrivate,
    help_texts::kTopicLostWindows, help_texts::kTopicSendAppTo,  help_texts::kTopicWindowInfo,
    help_texts::kTopicGettingHelp, help_texts::kTopicPreview,
};

// Address prefixes: none, "mk:@MSITStore:", "ms-its:".
enum class HelpPrefix : uint8_t { None = 0, Store = 1, Its = 2 };

// Viewers: the loaded control, "KeyHH.EXE" or "HH.EXE"; another value shows nothing.
enum class HelpMode : uint8_t { Control = 0, KeyHH = 1, HH = 2 };

// What ShowHelpTopic and ShowHelpUrl answer.
enum class HelpResult : int { Shown = 0, NotInstalled = 1, KeyHHMissing = 2, HHMissing = 3 };

// The control's entry point, HtmlHelpA or HtmlHelpW.
using HtmlHelpAFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
using HtmlHelpWFn = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

// Filled once at start (StartHelp), read-only afterwards.
struct HelpState {
    framework::Library HHCtrlModule;
    HtmlHelpAFn HtmlHelpEntry = nullptr;
    HtmlHelpWFn HtmlHelpWEntry = nullptr;   // looked up, never used
    bool HHInstalled = false;
    std::string HHVersion, HHFriendlyVersion;
    bool IEInstalled = false;
    std::string IEVersion, IEFriendlyVersion;
    bool HelpDebugOn = false;
    std::string HelpLogFolder;               // without a trailing backslash
    std::string ModulePath, ModuleDir, ModuleName, RunDir;
    std::string WindowsDir;                  // where the stand-alone viewers live
};
HelpState& Help();

// The registered HTML Help control's file, empty unless that file exists.
std::string GetHHCtrlPath();

// file::/topic>window with the chosen prefix; "%20" reads as a blank and a
// topic's backslashes become slashes.
std::string BuildHelpUrl(std::string_view file, std::string_view topic, std::string_view window, HelpPrefix prefix);
HelpResult ShowHelpUrl(std::string_view url, HelpMode mode);
HelpResult ShowHelpTopic(std::string_view helpFile, std::string_view topic, std::string_view window, HelpMode mode);

// What every help button of the program calls: the topic of the help file
// beside the program, in the HTML Help control.
std::string ProgramHelpFile();
HelpResult ShowHelpTopic(std::string_view topic);

// The shell's "open" verb; false (with a warning box) when it failed.
bool ShellExecuteOpen(std::string_view file, std::string_view params);

// Start-up (before the windows exist): the program's paths, the debug
// switch, the versions, the debug report, the control. The end closes every
// help window and frees the control.
void StartHelp();
void StopHelp();

}  // namespace shell
