#include "framework/dialogs.h"
#include <algorithm>
#include <string>
#include "framework/guard.h"
#include "framework/owned.h"

namespace framework {
namespace {
MessageBoxFn& Answerer() {
    static MessageBoxFn fn;
    return fn;
}
OpenDialogFn& OpenAnswerer() {
    static OpenDialogFn fn;
    return fn;
}
}  // namespace

const FileDialogEntries& FileDialogs() {
    static const struct Loaded {
        Library library{::LoadLibraryA("comdlg32.dll")};
        FileDialogEntries entries;
        Loaded() {
            if (!library) return;
            entries.GetOpenFileName = EntryPoint<decltype(entries.GetOpenFileName)>(library.get(), "GetOpenFileNameA");
            entries.GetSaveFileName = EntryPoint<decltype(entries.GetSaveFileName)>(library.get(), "GetSaveFileNameA");
            entries.ExtendedError = EntryPoint<decltype(entries.ExtendedError)>(library.get(), "CommDlgExtendedError");
        }
    } loaded;
    const FileDialogEntries& e = loaded.entries;
    if (!e.GetOpenFileName || !e.GetSaveFileName || !e.ExtendedError)
        throw Exception("The system's file dialogs cannot be loaded");
    return e;
}

int MessageBox(std::string_view text, std::string_view caption, UINT flags, HWND owner) {
    if (Answerer()) return Answerer()(owner, text, caption, flags);
    return ::MessageBoxA(owner, std::string(text).c_str(), std::string(caption).c_str(), flags | MB_SETFOREGROUND);
}

void ShowMessage(std::string_view text) { MessageBox(text, "Tessareltop", MB_OK); }

void SetMessageBoxAnswerer(MessageBoxFn fn) { Answerer() = std::move(fn); }

std::optional<std::string> PromptForOpenFile(const OpenDialogSpec& spec, HWND owner) {
    if (OpenAnswerer()) return OpenAnswerer()(owner, spec);
    // The filter's bars become the NULs the dialog wants, ended by two.
    std::string filter(spec.filter);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    const std::string title(spec.title), ext(spec.defaultExt);
    std::string file(MAX_PATH, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!FileDialogs().GetOpenFileName(&ofn)) return std::nullopt;
    file.resize(file.find('\0'));
    return file;
}

void SetOpenDialogAnswerer(OpenDialogFn fn) { OpenAnswerer() = std::move(fn); }

}  // namespace framework
