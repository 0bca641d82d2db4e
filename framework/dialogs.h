#pragma once
// Message boxes go through one seam so that tests can answer them.
#include <windows.h>
#include <commdlg.h>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace framework {

using MessageBoxFn = std::function<int(HWND owner, std::string_view text, std::string_view caption, UINT flags)>;

// Shows a message box (or asks the test's answerer when one is set).
int MessageBox(std::string_view text, std::string_view caption, UINT flags, HWND owner = nullptr);
// The plain message of the framework: the program's title as caption.
void ShowMessage(std::string_view text);
// Replaces the answerer; an empty function restores the real message box.
void SetMessageBoxAnswerer(MessageBoxFn fn);

// The open dialog for one existing file. The filter is written as pairs
// "description|pattern|..."; the default extension has no period.
struct OpenDialogSpec {
    std::string_view title;
    std::string_view filter;
    std::string_view defaultExt;
};
using OpenDialogFn = std::function<std::optional<std::string>(HWND owner, const OpenDialogSpec& spec)>;
// The chosen file name, or none when the user cancelled.
std::optional<std::string> PromptForOpenFile(const OpenDialogSpec& spec, HWND owner = nullptr);
// Replaces the open dialog (tests answer it); an empty function restores it.
void SetOpenDialogAnswerer(OpenDialogFn fn);

// The system's file dialogs, their library loaded at the first dialog rather
// than with the program: under Wine it brings the printing system and its
// host libraries with it, about 2 MB of the working set of a program that
// mostly never opens one. Raises framework::Exception when it cannot load.
struct FileDialogEntries {
    decltype(&::GetOpenFileNameA) GetOpenFileName = nullptr;
    decltype(&::GetSaveFileNameA) GetSaveFileName = nullptr;
    decltype(&::CommDlgExtendedError) ExtendedError = nullptr;
};
const FileDialogEntries& FileDialogs();

}  // namespace framework
