#include "shell/help.h"
#include <htmlhelp.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include "engine/gtools.h"
#include "framework/application.h"
#include "framework/form.h"
#include "framework/registry.h"
#include "framework/text.h"
#include "shell/help_debug.h"

namespace shell {
namespace {

constexpr std::string_view kHHCtrlKey = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
constexpr std::string_view kBrowserLibrary = "\\Shdocvw.dll";
constexpr size_t kModulePathChars = 301;

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// One part of a help address: "%20" stands for a blank, blanks at the ends go.
std::string AddressPart(std::string_view s) { return framework::Trim(ReplaceAll(std::string(s), "%20", " ")); }

std::string FolderOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    if (slash == std::string_view::npos) return {};
    // A drive's root keeps its backslash away: "C:" like every other folder.
    return std::string(path.substr(0, path[slash] == ':' ? slash + 1 : slash));
}

std::string NameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string SystemPath(UINT (WINAPI* query)(LPSTR, UINT)) {
    char buf[MAX_PATH + 1] = {};
    const UINT n = query(buf, sizeof buf);
    std::string path = n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string ModuleFileName() {
    char buf[kModulePathChars + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, buf, static_cast<DWORD>(kModulePathChars));
    return std::string(buf, n < kModulePathChars ? n : kModulePathChars);
}

std::vector<std::string> CommandLineWords() {
    std::vector<std::string> words;
    for (int i = 0; i < __argc; ++i) words.emplace_back(__argv[i] ? __argv[i] : "");
    return words;
}

// The active window of the program, else the main form's, else none.
HWND OwnerWindow() {
    if (HWND active = ::GetActiveWindow()) return active;
    if (framework::Form* main = framework::App().MainForm()) return main->Handle();
    return nullptr;
}

void LoadHelpControl(const std::string& path) {
    HelpState& s = Help();
    if (s.HHCtrlModule || path.empty()) return;
    s.HHCtrlModule.reset(::LoadLibraryA(path.c_str()));
    if (!s.HHCtrlModule) return;
    s.HtmlHelpEntry = framework::EntryPoint<HtmlHelpAFn>(s.HHCtrlModule.get(), "HtmlHelpA");
    s.HtmlHelpWEntry = framework::EntryPoint<HtmlHelpWFn>(s.HHCtrlModule.get(), "HtmlHelpW");
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

HelpState& Help() {
    static HelpState state;
    return state;
}

std::string GetHHCtrlPath() {
    framework::Registry reg(HKEY_CLASSES_ROOT);
    if (!reg.OpenKeyReadOnly(kHHCtrlKey)) return {};
    std::string path = reg.ReadString("", "");
    if (path.find('%') != std::string::npos) {
        char buf[MAX_PATH + 1] = {};
        const DWORD n = ::ExpandEnvironmentStringsA(path.c_str(), buf, sizeof buf);
        if (n > 0 && n <= sizeof buf) path = buf;
    }
    return FileExists(path) ? path : std::string();
}

std::string BuildHelpUrl(std::string_view file, std::string_view topic, std::string_view window, HelpPrefix prefix) {
    const std::string f = AddressPart(file);
    std::string t = AddressPart(topic);
    const std::string w = AddressPart(window);
    std::string url = f;
    if (!t.empty()) {
        std::replace(t.begin(), t.end(), '\\', '/');
        if (t.front() != '/') t.insert(0, "/");
        url = f.empty() ? t : f + "::" + t;
    }
    if (!w.empty()) url += ">" + w;
    switch (prefix) {
    case HelpPrefix::Store: return std::string(help_texts::kStorePrefix) + url;
    case HelpPrefix::Its: return std::string(help_texts::kItsPrefix) + url;
    default: return url;
    }
}

bool ShellExecuteOpen(std::string_view file, std::string_view params) {
    const std::string f(file), p(params);
    HINSTANCE r = ::ShellExecuteA(OwnerWindow(), "open", f.c_str(), p.empty() ? nullptr : p.c_str(), nullptr,
                                  SW_SHOWDEFAULT);
    if (reinterpret_cast<INT_PTR>(r) > 32) return true;
    const std::string error = LastErrorText();
    DebugMessage("Function ShellExecute(" + f + ", " + p + ")\rReturned: " + error);
    return false;
}

HelpResult ShowHelpUrl(std::string_view url, HelpMode mode) {
    const HelpState& s = Help();
    if (s.HelpDebugOn) DebugLog("ShowTopic(" + Quoted(url) + ", " + std::to_string(static_cast<int>(mode)) + ")");
    HelpResult result = HelpResult::Shown;
    const std::string address(url);
    if (!s.HHInstalled) {
        result = HelpResult::NotInstalled;
    } else if (mode == HelpMode::Control) {
        // A control whose file has a version but that did not load (or lacks
        // its entry point) shows nothing, as if it were not installed.
        if (!s.HtmlHelpEntry) {
            result = HelpResult::NotInstalled;
        } else if (HWND shown = s.HtmlHelpEntry(::GetDesktopWindow(), address.c_str(), HH_DISPLAY_TOPIC, 0)) {
            ::SetForegroundWindow(shown);
        }
    } else if (mode == HelpMode::KeyHH) {
        const std::string viewer = s.WindowsDir + "\\" + std::string(help_texts::kKeyHHViewer);
        if (!FileExists(viewer))
            result = HelpResult::KeyHHMissing;
        else
            ShellExecuteOpen(viewer, "-win " + address);
    } else if (mode == HelpMode::HH) {
        const std::string viewer = s.WindowsDir + "\\" + std::string(help_texts::kHHViewer);
        if (!FileExists(viewer))
            result = HelpResult::HHMissing;
        else
            ShellExecuteOpen(viewer, address);
    }
    if (s.HelpDebugOn) DebugLog("  returned - " + std::to_string(static_cast<int>(result)));
    return result;
}

HelpResult ShowHelpTopic(std::string_view helpFile, std::string_view topic, std::string_view window, HelpMode mode) {
    if (Help().HelpDebugOn)
        DebugLog("HHHelpContext(" + Quoted(helpFile) + ", " + std::string(topic) + ", " + Quoted(window) + ", " +
                 std::to_string(static_cast<int>(mode)) + ")");
    const HelpPrefix prefix = mode == HelpMode::HH ? HelpPrefix::Store : HelpPrefix::None;
    return ShowHelpUrl(BuildHelpUrl(helpFile, topic, window, prefix), mode);
}

std::string ProgramHelpFile() { return engine::GetAppFolder() + std::string(help_texts::kHelpFile); }

HelpResult ShowHelpTopic(std::string_view topic) { return ShowHelpTopic(ProgramHelpFile(), topic, "", HelpMode::Control); }

void StartHelp() {
    HelpState& s = Help();
    s.ModulePath = ModuleFileName();
    s.ModuleDir = FolderOf(s.ModulePath);
    s.ModuleName = NameOf(s.ModulePath);
    const std::vector<std::string> words = CommandLineWords();
    s.RunDir = words.empty() ? std::string() : FolderOf(words.front());
    s.WindowsDir = SystemPath(::GetWindowsDirectoryA);

    s.HelpLogFolder = HelpLogFolderFor(s.ModuleDir);
    const std::span<const std::string> args =
        words.empty() ? std::span<const std::string>() : std::span<const std::string>(words).subspan(1);
    s.HelpDebugOn = DebugSwitchOn(FileExists(s.ModuleDir + "\\" + std::string(help_texts::kDebugMarkerFile)), args);

    const std::string control = GetHHCtrlPath();
    const FileVersion hh = control.empty() ? FileVersion{} : GetFileVersionStr(control);
    s.HHVersion = hh.Text;
    s.HHInstalled = !hh.Empty();
    s.HHFriendlyVersion = HHFriendlyVersionFor(hh);
    const FileVersion ie = CorrectIEVersion(GetFileVersionStr(SystemPath(::GetSystemDirectoryA) + std::string(kBrowserLibrary)));
    s.IEVersion = ie.Text;
    s.IEInstalled = !ie.Empty();
    s.IEFriendlyVersion = IEFriendlyVersionFor(ie);

    WriteDebugReport(words);
    LoadHelpControl(control);
}

void StopHelp() {
    HelpState& s = Help();
    // No help window may outlive the code that draws it.
    if (s.HtmlHelpEntry) s.HtmlHelpEntry(nullptr, nullptr, HH_CLOSE_ALL, 0);
    s.HtmlHelpEntry = nullptr;
    s.HtmlHelpWEntry = nullptr;
    s.HHCtrlModule.reset();
}

}  // namespace shell
