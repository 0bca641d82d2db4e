#pragma once
// The messages a helper window received, as the helper program writes them
// to the file of its --log option: one line each, "window message wParam
// lParam" in hexadecimal.
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

struct HelperMessage {
    HWND wnd;
    UINT message;
    WPARAM w;
    LPARAM l;
};

// Oldest first; nothing when the file does not exist (yet).
std::vector<HelperMessage> ReadHelperLog(const std::string& logFile);

}  // namespace e2e
