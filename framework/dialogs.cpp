#include "framework/dialogs.h"
#include <string>

namespace framework {
namespace {
MessageBoxFn& Answerer() {
    static MessageBoxFn fn;
    return fn;
}
}  // namespace

int MessageBox(std::string_view text, std::string_view caption, UINT flags, HWND owner) {
    if (Answerer()) return Answerer()(owner, text, caption, flags);
    return ::MessageBoxA(owner, std::string(text).c_str(), std::string(caption).c_str(), flags | MB_SETFOREGROUND);
}

void ShowMessage(std::string_view text) { MessageBox(text, "Tessareltop", MB_OK); }

void SetMessageBoxAnswerer(MessageBoxFn fn) { Answerer() = std::move(fn); }

}  // namespace framework
