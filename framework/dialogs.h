#pragma once
// Message boxes go through one seam so that tests can answer them.
#include <windows.h>
#include <functional>
#include <string_view>

namespace framework {

using MessageBoxFn = std::function<int(HWND owner, std::string_view text, std::string_view caption, UINT flags)>;

// Shows a message box (or asks the test's answerer when one is set).
int MessageBox(std::string_view text, std::string_view caption, UINT flags, HWND owner = nullptr);
// The plain message of the framework: the program's title as caption.
void ShowMessage(std::string_view text);
// Replaces the answerer; an empty function restores the real message box.
void SetMessageBoxAnswerer(MessageBoxFn fn);

}  // namespace framework
