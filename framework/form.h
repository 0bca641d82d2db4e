#pragma once
// The form: one top-level window of the program, with its window class named
// "T" + the form's name (the main window's class is "TfrmPTessarel").
#include <windows.h>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "framework/control.h"
#include "framework/owned.h"

namespace framework {

enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window (hidden), its controls, then runs FormCreate.
    void CreateHandle();
    // Runs FormDestroy and destroys the window.
    void DestroyHandle() noexcept;

    HWND Handle() const noexcept { return hwnd_; }
    const std::string& Name() const noexcept { return name_; }
    std::string ClassName() const { return "T" + name_; }

    void Show();
    void Hide();
    bool Visible() const noexcept;          // the window has WS_VISIBLE
    int ShowModal();
    bool Modal() const noexcept { return modal_; }
    int ModalResult = mrNone;
    void Close();                           // asks FormCloseQuery, then FormClose
    void BringToFront();

    void SetCaption(std::string_view text);
    std::string Caption() const;
    void SetBounds(int left, int top, int width, int height);
    void SetClientSize(int width, int height);
    RECT BoundsRect() const;
    int Left() const { return BoundsRect().left; }
    int Top() const { return BoundsRect().top; }
    int Width() const { auto r = BoundsRect(); return r.right - r.left; }
    int Height() const { auto r = BoundsRect(); return r.bottom - r.top; }
    int ClientWidth() const;
    int ClientHeight() const;
    void SetPosition(int left, int top);
    void CenterOnScreen();

    void SetColor(COLORREF c);
    COLORREF Color() const noexcept { return color_; }
    void SetStyle(DWORD style);
    void SetExStyle(DWORD exStyle);
    DWORD Style() const;
    DWORD ExStyle() const;
    void SetStayOnTop(bool onTop);
    void SetAlpha(BYTE alpha, bool enabled);
    void SetTransparentColor(COLORREF key, bool enabled);
    bool DoubleBuffered = false;
    // The form receives its controls' WM_KEYDOWN and WM_KEYUP before they do.
    bool KeyPreview = false;
    void Invalidate();
    void Repaint();

    Control* FindControl(std::string_view name) const;
    void RegisterControl(Control* c);
    void UnregisterControl(Control* c) noexcept;
    // Every control of the form, in the order they were made.
    const std::vector<Control*>& Controls() const noexcept { return controls_; }

    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    void OnMessage(UINT msg, MessageHandler handler);

    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept;
    static Form* FromHandle(HWND h) noexcept;

protected:
    // Style of the window at creation: a captioned, non-resizable tool window
    // unless the form says otherwise.
    virtual DWORD InitialStyle() const { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
    virtual DWORD InitialExStyle() const { return WS_EX_TOOLWINDOW; }
    virtual void CreateControls() {}
    void ApplyLayout(std::span<const ControlSpec> layout);

    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    virtual void FormDestroy() {}
    virtual void Paint(HDC /*dc*/, const RECT& /*client*/) {}
    virtual LRESULT Dispatch(UINT m, WPARAM w, LPARAM l);

private:
    LRESULT DefaultDispatch(UINT m, WPARAM w, LPARAM l);
    void PaintWindow();
    HWND ParentFor(const ControlSpec& spec) const;
    HBRUSH BackgroundBrush();   // of the form's colour, made when first needed
    void RegisterWindowClass() const;

    std::string name_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool destroying_ = false;
    COLORREF color_;
    Brush background_;
    std::vector<Control*> controls_;
    std::vector<std::unique_ptr<Control>> ownedControls_;
    std::unordered_map<UINT, MessageHandler> handlers_;
    int nextControlId_ = 100;
};

}  // namespace framework
