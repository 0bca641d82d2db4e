#include "shell/help_debug.h"
#include <cstdio>
#include "framework/dialogs.h"
#include "framework/owned.h"
#include "framework/text.h"
#include "shell/help.h"

namespace shell {
namespace {

namespace texts {
constexpr std::string_view kWarning = "Warning";
constexpr std::string_view kWindowsNT = "Windows NT";
constexpr std::string_view kWindows = "Windows";
constexpr std::string_view kYes = "YES";
constexpr std::string_view kNo = "NO";
constexpr std::string_view kArgumentSeparator = " | ";
// The probe file of IsFolderWritable; a unique part goes between the two.
constexpr std::string_view kProbeStem = "\\$_Temp_$";
constexpr std::string_view kProbeExtension = ".$$$";
}  // namespace texts

constexpr size_t kRuleWidth = 80;
constexpr size_t kTimeChars = 80;

struct ErrorText {
    DWORD error;
    std::string_view text;
};
constexpr ErrorText kErrorTexts[] = {
    {2, "File Not Found"},        {3, "Path Not Found"},        {5, "Access Denied"},
    {8, "Insufficient Memory"},   {19, "Media Is Write Protected"}, {21, "Device Not Ready"},
    {32, "File In Use"},          {33, "File In Use"},          {39, "Disk Full"},
    {112, "Disk Full"},           {276, "Corrupt File Or Disk"}, {1005, "Corrupt File Or Disk"},
    {1392, "Corrupt File Or Disk"}, {1393, "Corrupt File Or Disk"}, {1009, "Corrupt Registry"},
    {1358, "Corrupt Registry"},   {1150, "Windows Version Incorrect"},
    {1151, "Not A Windows Or MSDos Program"},
};
constexpr std::string_view kGeneralFailure = "General Failure";

std::string WithoutTrailingBackslash(std::string_view path) {
    std::string s(path);
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::string LongTimeText() {
    char buf[kTimeChars] = {};
    if (!::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, sizeof buf)) return {};
    return buf;
}

std::string ShortDateText() {
    char buf[kTimeChars] = {};
    if (!::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf)) return {};
    return buf;
}

std::string Hex4(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}

std::string OperatingSystemText() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info)) return {};
    const bool nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    // The Windows 95 family keeps major and minor in the build's high word.
    const DWORD build = nt ? info.dwBuildNumber : LOWORD(info.dwBuildNumber);
    return std::string(nt ? texts::kWindowsNT : texts::kWindows) + " " + std::to_string(info.dwMajorVersion) + "." +
           std::to_string(info.dwMinorVersion) + "." + std::to_string(build);
}

std::string DecimalSeparator() {
    char buf[8] = {};
    if (!::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf)) return ".";
    return buf;
}

std::string Joined(std::span<const std::string> words, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i) out += separator;
        out += words[i];
    }
    return out;
}

// A report line: its label, a tab, the value.
std::string Entry(std::string_view label, std::string_view value) {
    return "!" + std::string(label) + "\t" + std::string(value);
}

}  // namespace

bool DebugSwitchOn(bool markerExists, std::span<const std::string> args) {
    if (markerExists) return true;
    for (const std::string& a : args) {
        const std::string lower = framework::LowerCaseAscii(a);
        for (std::string_view s : help_texts::kDebugSwitches)
            if (lower == s) return true;
    }
    return false;
}

bool IsFolderWritable(std::string_view folder) {
    const std::string base = WithoutTrailingBackslash(folder);
    if (base.empty()) return false;
    static unsigned probes = 0;
    const std::string unique = std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string name = base + std::string(texts::kProbeStem) + unique + "_" + std::to_string(++probes) +
                                 std::string(texts::kProbeExtension);
        framework::Handle probe(::CreateFileA(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                                  FILE_FLAG_DELETE_ON_CLOSE,
                                              nullptr));
        if (probe) return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

std::string HelpLogFolderFor(std::string_view moduleDir) {
    if (IsFolderWritable(moduleDir)) return WithoutTrailingBackslash(moduleDir);
    char buf[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof buf, buf);
    const std::string temp = n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
    return temp.empty() ? std::string("c:") : WithoutTrailingBackslash(temp);
}

std::string LastErrorText(DWORD error) {
    std::string_view text = kGeneralFailure;
    for (const ErrorText& e : kErrorTexts)
        if (e.error == error) text = e.text;
    return "[Error:" + std::to_string(error) + "] " + std::string(text);
}

std::string LastErrorText() { return LastErrorText(::GetLastError()); }

std::string HelpLogLineText(std::string_view line, std::string_view time) {
    std::string text(line);
    if (text == "-" || text == "=") text.assign(kRuleWidth, text[0]);
    if (!text.empty() && (text[0] == '!' || text[0] == '-' || text[0] == '='))
        return text.substr(1);
    return text + "   " + std::string(time);
}

void AppendHelpLogLine(const std::string& path, const std::string& oldPath, std::string_view text,
                       std::uint64_t maxBytes) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) {
        const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        if (size >= maxBytes) ::MoveFileExA(path.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    framework::Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        return;
    const std::string out = std::string(text) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    ::FlushFileBuffers(file.get());
}

std::string HelpLogPath() { return Help().HelpLogFolder + std::string(help_texts::kHelpLogName); }
std::string OldHelpLogPath() { return Help().HelpLogFolder + std::string(help_texts::kOldHelpLogName); }

void DebugLog(std::string_view line) {
    // Before the start-up has chosen a folder there is nowhere to write.
    if (Help().HelpLogFolder.empty()) return;
    AppendHelpLogLine(HelpLogPath(), OldHelpLogPath(), HelpLogLineText(line, LongTimeText()));
}

void DebugMessage(std::string_view text) {
    if (Help().HelpDebugOn) DebugLog(text);
    framework::MessageBox(text, texts::kWarning, MB_OK | MB_ICONWARNING);
}

std::vector<std::string> DebugReportLines(std::span<const std::string> commandLine) {
    const HelpState& s = Help();
    const LCID lcid = ::GetThreadLocale();
    const LANGID lang = LANGIDFROMLCID(lcid);
    const std::string exe = commandLine.empty() ? std::string() : commandLine.front();
    const auto params = commandLine.empty() ? commandLine : commandLine.subspan(1);
    return {
        Entry("Filename:             ", HelpLogPath()),
        Entry("Date:                 ", ShortDateText() + " " + LongTimeText()),
        Entry("Operating System:      ", OperatingSystemText()),
        Entry("SysLocale.DefaultLCID: ", Hex4(lcid)),
        Entry("SysLocale.PriLangID:   ", Hex4(PRIMARYLANGID(lang))),
        Entry("SysLocale.SubLangID:   ", Hex4(SUBLANGID(lang))),
        Entry("DecimalSeparator:      ", DecimalSeparator()),
        "-",
        Entry("EXE Path =          ", exe),
        Entry("Cmdline Param(s) =  ", Joined(params, texts::kArgumentSeparator)),
        Entry("_RunDir =           ", s.RunDir),
        Entry("_ModuleName =       ", s.ModuleName),
        Entry("_ModuleDir =        ", s.ModuleDir),
        "-",
        Entry("_hhInstalled =      ", s.HHInstalled ? texts::kYes : texts::kNo),
        Entry("_hhVerStr =         ", s.HHVersion),
        Entry("_hhFriendlyVerStr = ", s.HHFriendlyVersion),
        "-",
        Entry("_ieInstalled =      ", s.IEInstalled ? texts::kYes : texts::kNo),
        Entry("_ieVerStr =         ", s.IEVersion),
        Entry("_ieFriendlyVerStr = ", s.IEFriendlyVersion),
        "=",
    };
}

void WriteDebugReport(std::span<const std::string> commandLine) {
    if (Help().HelpLogFolder.empty()) return;
    // The log of the last run goes, also when this run writes none.
    ::DeleteFileA(HelpLogPath().c_str());
    ::DeleteFileA(OldHelpLogPath().c_str());
    if (!Help().HelpDebugOn) return;
    for (const std::string& line : DebugReportLines(commandLine)) DebugLog(line);
}

}  // namespace shell
