// Placeholder until the toolbox lands: just enough for the engine to link.
#include "engine/gtools.h"
#include <shlobj.h>
#include <vector>
#include "framework/text.h"

namespace engine {

void ForEachTopWindow(const WindowCallback& cb) {
    std::vector<HWND> list;
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) list.push_back(w);
    for (HWND w : list) cb(w);
}
void ForEachTopWindowZOrder(const WindowCallback& cb, bool) { ForEachTopWindow(cb); }
int ForEachProcess(const ProcessCallback&) { return 0; }
void ForceForegroundWindow(HWND w) { ::SetForegroundWindow(w); }
void ForceShowWindow(HWND w) { ::ShowWindow(w, SW_SHOW); ::BringWindowToTop(w); }
void CloseOrKillWindow(HWND) {}
bool WindowTestFalse(HWND) { return false; }
std::string ProcessExePath(DWORD pid) {
    HANDLE p = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return {};
    char path[MAX_PATH] = {};
    DWORD len = MAX_PATH;
    std::string out = ::QueryFullProcessImageNameA(p, 0, path, &len) ? std::string(path, len) : std::string();
    ::CloseHandle(p);
    return out;
}
std::string ProcessExePathPsapi(DWORD) { return {}; }
std::string ProcessExeNameToolhelp(DWORD) { return {}; }
std::string ShortToLongPath(std::string_view path) { return std::string(path); }
std::string WindowExePath(HWND w) {
    DWORD pid = 0;
    if (!::IsWindow(w) || !::GetWindowThreadProcessId(w, &pid) || !pid) return {};
    return ProcessExePath(pid);
}
std::string AddBackslash(std::string_view path) {
    std::string p(path);
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p;
}
std::string GetAppFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}
void CreateFolderPath(std::string_view path) { ::SHCreateDirectoryExA(nullptr, std::string(path).c_str(), nullptr); }
std::string GetDataFolder() {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    std::string d = AddBackslash(path) + "Pelmora\\Quillmere\\";
    CreateFolderPath(d);
    return d;
}
int CountFolderFiles(std::string_view, std::string_view, bool, const FileCallback&, bool) { return 0; }
std::string UpperCaseAscii(std::string_view s) { return framework::UpperCaseAscii(s); }
int32_t HexToInt(std::string_view) { return 0; }
std::string UrlEncode(std::string_view s) { return std::string(s); }
std::string WindowsVersionTag() { return {}; }

}  // namespace engine
