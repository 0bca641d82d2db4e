#pragma once
// The application object: owns every form, runs the message loop and holds
// the one application-wide exception handler. There is no hidden application
// window: every form is a top-level window of its own, off the taskbar.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace framework {

class Form;

class Application {
public:
    static Application& Instance();

    // Creates a form owned by the application and stores it in its global
    // pointer; the first form created becomes the main form unless one is set.
    template <typename T, typename... Args>
    T& CreateForm(T*& global, Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *form;
        global = &ref;
        Adopt(std::move(form), reinterpret_cast<Form**>(&global));
        ref.CreateHandle();
        return ref;
    }

    // Runs the message loop until Terminate.
    void Run();
    // Dispatches every message waiting in the queue (a nested loop's step).
    void ProcessMessages();
    // Waits for a message (or the time-out) and then processes the queue.
    void HandleMessage(DWORD timeoutMs = INFINITE);
    void Terminate() noexcept;
    bool Terminated() const noexcept { return terminated_; }
    // Takes back a Terminate whose loop has ended (a test program that ends
    // nested loops on purpose and goes on); drops the quit message still queued.
    void ClearTerminated() noexcept;

    Form* MainForm() const noexcept { return mainForm_; }
    void SetMainForm(Form* f) noexcept { mainForm_ = f; }
    bool ShowMainForm = false;

    // Destroys the forms in the reverse order of their creation; each global
    // pointer is cleared before its form goes.
    void DestroyForms() noexcept;
    // Destroys one owned form early (a form freed by the program itself).
    void FreeForm(Form* f) noexcept;

    std::function<void(const std::string& message)> OnException;
    void HandleException(std::exception_ptr e) noexcept;

    HINSTANCE Handle() const noexcept;

private:
    Application() = default;
    void Adopt(std::unique_ptr<Form> form, Form** global);
    static void Dispatch(MSG& msg);

    struct Owned {
        std::unique_ptr<Form> form;
        Form** global;
    };
    std::vector<Owned> forms_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
};

inline Application& App() { return Application::Instance(); }

}  // namespace framework
