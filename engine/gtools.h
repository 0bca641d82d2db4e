#pragma once
// The toolbox: small stateless routines for window enumeration and focus,
// process and executable paths, folders and paths, text and numbers.
#include <windows.h>
#include <tlhelp32.h>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include "framework/owned.h"

namespace engine {

using WindowCallback = std::function<void(HWND)>;
using ProcessCallback = std::function<void(const PROCESSENTRY32&)>;
using FileCallback = std::function<void(const std::string& folder, const WIN32_FIND_DATAA& entry)>;

// Window enumeration. Handles are collected first, then the callback runs,
// so a callback that changes the Z order cannot derail the walk.
void ForEachTopWindow(const WindowCallback& cb);
void ForEachTopWindowZOrder(const WindowCallback& cb, bool topDown);
int ForEachProcess(const ProcessCallback& cb);

// Focus and closing. The focus calls never wait long on a window that does
// not answer, neither the target nor the current foreground window.
// CloseOrKillWindow asks with WM_CLOSE and ends the window's process when the
// window is still there after 5 s and its program no longer answers (a
// program that asks a question first is left to the user); it never ends the
// calling program.
void ForceForegroundWindow(HWND w);
void ForceShowWindow(HWND w);
// After one of the program's windows held the keyboard focus and went: the
// window in front now (or, when none of another program is, the one given)
// takes the focus again in its own thread, through the hook library.
void ReturnKeyboardFocus(HWND formerFront);
void CloseOrKillWindow(HWND w);
bool WindowTestFalse(HWND w);

// Processes and paths (empty text on every failure). ProcessExePath takes
// the first route that answers: the image name query, the module list, the
// process snapshot (which reports only the file name on current systems).
std::string ProcessExePath(DWORD processId);
std::string ProcessExePathQuery(DWORD processId);
std::string ProcessExePathPsapi(DWORD processId);
std::string ProcessExeNameToolhelp(DWORD processId);
std::string ShortToLongPath(std::string_view path);
// The executable path in upper case, as the window rules compare it: the
// look-up per path component runs only for a path with a short name in it.
std::string ProcessUpperExePath(DWORD processId);
std::string WindowExePath(HWND w);
// The first icon of an executable, ours to destroy; none without one.
framework::Icon ExecutableIcon(const std::string& path);
std::string GetAppFolder();
// The data folder's place under the user's application-data folder.
inline constexpr std::string_view kDataSubfolder = "Pelmora\\Quillmere\\";
std::string GetDataFolder();   // empty when the user's application-data folder cannot be found
// The data folder's file of this name; empty while there is no data folder,
// so that no file of the program ever lands in the working folder.
std::string DataFilePath(std::string_view name);
void CreateFolderPath(std::string_view path);
bool FileExists(const std::string& path);   // a file, not a folder
std::string AddBackslash(std::string_view path);
int CountFolderFiles(std::string_view folder, std::string_view mask, bool recursive, const FileCallback& cb,
                     bool filesOnly);

// Text and numbers.
std::string UpperCaseAscii(std::string_view s);
int32_t HexToInt(std::string_view s);
std::string UrlEncode(std::string_view s);
std::string WindowsVersionTag();
inline int IntMin(int a, int b) { return b < a ? b : a; }
inline int IntMax(int a, int b) { return a < b ? b : a; }

}  // namespace engine
