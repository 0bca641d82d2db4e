#include "framework/application.h"
#include "framework/form.h"
#include "framework/guard.h"
#include <typeinfo>

namespace framework {

Application& Application::Instance() {
    static Application app;
    return app;
}

HINSTANCE Application::Handle() const noexcept { return ::GetModuleHandleA(nullptr); }

void Application::Adopt(std::unique_ptr<Form> form, Form** global) {
    if (!mainForm_) mainForm_ = form.get();
    forms_.push_back({std::move(form), global});
}

void Application::Run() {
    MSG msg;
    while (!terminated_) {
        BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0) { terminated_ = true; break; }
        if (r < 0) continue;
        Dispatch(msg);
    }
}

void Application::ProcessMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Dispatch(msg);
    }
}

void Application::Dispatch(MSG& msg) {
    // Key preview: a key meant for a control reaches its form first.
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        Form* form = root && root != msg.hwnd ? Form::FromHandle(root) : nullptr;
        if (form && form->KeyPreview) ::SendMessageA(root, msg.message, msg.wParam, msg.lParam);
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

void Application::HandleMessage(DWORD timeoutMs) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT);
    ProcessMessages();
}

void Application::Terminate() noexcept {
    if (terminated_) return;
    terminated_ = true;
    ::PostQuitMessage(0);
}

void Application::ClearTerminated() noexcept {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    terminated_ = false;
}

void Application::DestroyForms() noexcept {
    while (!forms_.empty()) {
        Owned last = std::move(forms_.back());
        forms_.pop_back();
        if (last.form.get() == mainForm_) mainForm_ = nullptr;
        last.form->DestroyHandle();
        if (last.global) *last.global = nullptr;
        last.form.reset();
    }
}

void Application::FreeForm(Form* f) noexcept {
    for (auto it = forms_.begin(); it != forms_.end(); ++it) {
        if (it->form.get() != f) continue;
        Owned owned = std::move(*it);
        forms_.erase(it);
        if (f == mainForm_) mainForm_ = nullptr;
        owned.form->DestroyHandle();
        if (owned.global) *owned.global = nullptr;
        return;
    }
}

void Application::HandleException(std::exception_ptr e) noexcept {
    try {
        if (e) std::rethrow_exception(e);
    } catch (const Abort&) {
        return;   // a silent abort is no error
    } catch (...) {
        // every other exception is reported below
    }
    std::string message = ExceptionMessage(e);
    try {
        if (OnException) {
            OnException(message);
            return;
        }
        ::OutputDebugStringA(message.c_str());
    } catch (...) {
        // The handler itself failed; there is nobody left to tell.
    }
}

std::string ExceptionMessage(std::exception_ptr e) noexcept {
    try {
        if (e) std::rethrow_exception(e);
        return {};
    } catch (const std::exception& ex) {
        try { return ex.what(); } catch (...) { return {}; }
    } catch (...) {
        return "Unknown exception";
    }
}

void HandleException(std::exception_ptr e) noexcept { Application::Instance().HandleException(e); }

}  // namespace framework
