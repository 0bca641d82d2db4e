#include "framework/form.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "framework/handle_map.h"
#include "framework/owned.h"
#include <algorithm>

namespace framework {
namespace {

using FormsByHandle = HandleMap<Form>;

Form* creating = nullptr;   // the form whose window is being created

std::unique_ptr<Control> MakeControl(Form& f, const ControlSpec& s) {
    switch (s.kind) {
    case Kind::Label: return std::make_unique<Label>(f, s.name);
    case Kind::Button: return std::make_unique<Button>(f, s.name);
    case Kind::CheckBox: return std::make_unique<CheckBox>(f, s.name);
    case Kind::RadioButton: return std::make_unique<RadioButton>(f, s.name);
    case Kind::GroupBox: return std::make_unique<GroupBox>(f, s.name);
    case Kind::Edit: return std::make_unique<Edit>(f, s.name);
    case Kind::MemoEdit: return std::make_unique<Edit>(f, s.name, true);
    case Kind::ComboBox: return std::make_unique<ComboBox>(f, s.name);
    case Kind::ComboEdit: return std::make_unique<ComboBox>(f, s.name, true);
    case Kind::ListBox: return std::make_unique<ListBox>(f, s.name);
    case Kind::Panel: return std::make_unique<Panel>(f, s.name);
    case Kind::TrackBar: return std::make_unique<TrackBar>(f, s.name);
    default: throw Exception(std::string("No control of that kind can be made from a table: ") + s.name);
    }
}

}  // namespace

Form::Form(std::string name) : name_(std::move(name)), color_(::GetSysColor(COLOR_BTNFACE)) {}

Form::~Form() { DestroyHandle(); }

HBRUSH Form::BackgroundBrush() {
    if (!background_) background_.reset(::CreateSolidBrush(color_));
    return background_.get();
}

Form* Form::FromHandle(HWND h) noexcept { return FormsByHandle::Find(h); }

void Form::RegisterWindowClass() const {
    std::string cls = ClassName();
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(App().Handle(), cls.c_str(), &wc)) return;
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::WndProc;
    wc.hInstance = App().Handle();
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconA(App().Handle(), "MAINICON");
    wc.lpszClassName = cls.c_str();
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register the window class " + cls);
}

void Form::CreateHandle() {
    if (hwnd_) return;
    RegisterWindowClass();
    creating = this;
    HWND h = ::CreateWindowExA(InitialExStyle(), ClassName().c_str(), "", InitialStyle(),
                               CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, nullptr, nullptr,
                               App().Handle(), this);
    creating = nullptr;
    if (!h) throw Exception("Cannot create the window of " + name_ + " (error " + std::to_string(::GetLastError()) + ")");
    hwnd_ = h;
    FormsByHandle::Add(h, this);
    CreateControls();
    FormCreate();
}

void Form::DestroyHandle() noexcept {
    if (!hwnd_ || destroying_) return;
    destroying_ = true;
    Guard([this] { FormDestroy(); });
    // Children were created after their containers: destroy them first.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->Destroy();
    HWND h = hwnd_;
    FormsByHandle::Remove(h);
    ::DestroyWindow(h);
    hwnd_ = nullptr;
    destroying_ = false;
}

LRESULT CALLBACK Form::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
    Form* f = FromHandle(h);
    if (!f && creating) {
        f = creating;          // messages sent during CreateWindowEx
        f->hwnd_ = h;
    }
    if (!f) return ::DefWindowProcA(h, m, w, l);
    LRESULT result = 0;
    bool ok = Guard(false, [&] { result = f->Dispatch(m, w, l); return true; });
    return ok ? result : ::DefWindowProcA(h, m, w, l);
}

void Form::OnMessage(UINT msg, MessageHandler handler) { handlers_[msg] = std::move(handler); }

LRESULT Form::Dispatch(UINT m, WPARAM w, LPARAM l) {
    if (auto it = handlers_.find(m); it != handlers_.end() && it->second) return it->second(w, l);
    return DefaultDispatch(m, w, l);
}

static Control* ControlOf(const std::vector<Control*>& list, HWND h) {
    auto it = std::find_if(list.begin(), list.end(), [h](Control* c) { return c->Handle() == h; });
    return it == list.end() ? nullptr : *it;
}

LRESULT Form::DefaultDispatch(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        if (Control* c = l ? ControlOf(controls_, reinterpret_cast<HWND>(l)) : nullptr) {
            c->OnCommand(HIWORD(w));
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(l);
        if (Control* c = ControlOf(controls_, hdr->hwndFrom)) return c->OnNotify(hdr);
        break;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
        if (Control* c = ControlOf(controls_, dis->hwndItem); c && c->OnDrawItem(dis)) return TRUE;
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (Control* c = l ? ControlOf(controls_, reinterpret_cast<HWND>(l)) : nullptr) {
            c->OnScroll(LOWORD(w));
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(w);
        if (Control* c = ControlOf(controls_, reinterpret_cast<HWND>(l)))
            if (HBRUSH b = c->OnColor(dc)) return reinterpret_cast<LRESULT>(b);
        if (m == WM_CTLCOLORSTATIC || m == WM_CTLCOLORBTN) {
            // Statics and buttons sit on the form's own colour.
            ::SetBkColor(dc, color_);
            return reinterpret_cast<LRESULT>(BackgroundBrush());
        }
        break;
    }
    case WM_ERASEBKGND: {
        if (DoubleBuffered) return 1;
        RECT r;
        ::GetClientRect(hwnd_, &r);
        ::FillRect(reinterpret_cast<HDC>(w), &r, BackgroundBrush());
        return 1;
    }
    case WM_PAINT:
        PaintWindow();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd_, m, w, l);
}

void Form::PaintWindow() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    HBRUSH background = BackgroundBrush();
    if (DoubleBuffered && client.right > 0 && client.bottom > 0) {
        MemoryDc mem(::CreateCompatibleDC(dc));
        Bitmap bmp(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        {
            SelectScope sel(mem.get(), bmp.get());
            ::FillRect(mem.get(), &client, background);
            Guard([&] { Paint(mem.get(), client); });
            ::BitBlt(dc, 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
        }
    } else {
        Guard([&] { Paint(dc, client); });
    }
    ::EndPaint(hwnd_, &ps);
}

void Form::Show() {
    if (!hwnd_) CreateHandle();
    FormShow();
    ::ShowWindow(hwnd_, SW_SHOW);
}

void Form::Hide() {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, SW_HIDE);
    FormHide();
}

bool Form::Visible() const noexcept {
    return hwnd_ && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

int Form::ShowModal() {
    ModalResult = mrNone;
    modal_ = true;
    Show();
    BringToFront();
    auto& app = App();
    while (ModalResult == mrNone && !app.Terminated() && hwnd_ && Visible())
        app.HandleMessage(100);
    if (ModalResult == mrNone) ModalResult = mrCancel;
    modal_ = false;
    Hide();
    return ModalResult;
}

void Form::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    if (modal_) {
        if (ModalResult == mrNone) ModalResult = mrCancel;
        return;
    }
    if (App().MainForm() == this)
        App().Terminate();
    else
        Hide();
}

void Form::BringToFront() {
    if (hwnd_) ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void Form::SetCaption(std::string_view text) {
    if (hwnd_) ::SetWindowTextA(hwnd_, std::string(text).c_str());
}

std::string Form::Caption() const {
    if (!hwnd_) return {};
    char buf[512] = {};
    ::GetWindowTextA(hwnd_, buf, sizeof buf);
    return buf;
}

void Form::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    ::AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetPosition(int left, int top) {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CenterOnScreen() {
    SetPosition((::GetSystemMetrics(SM_CXSCREEN) - Width()) / 2,
                (::GetSystemMetrics(SM_CYSCREEN) - Height()) / 2);
}

RECT Form::BoundsRect() const {
    RECT r{};
    if (hwnd_) ::GetWindowRect(hwnd_, &r);
    return r;
}

int Form::ClientWidth() const { RECT r{}; if (hwnd_) ::GetClientRect(hwnd_, &r); return r.right; }
int Form::ClientHeight() const { RECT r{}; if (hwnd_) ::GetClientRect(hwnd_, &r); return r.bottom; }

void Form::SetColor(COLORREF c) {
    color_ = c;
    background_.reset();
    Invalidate();
}

DWORD Form::Style() const { return hwnd_ ? static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE)) : 0; }
DWORD Form::ExStyle() const { return hwnd_ ? static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_EXSTYLE)) : 0; }

void Form::SetStyle(DWORD style) {
    ::SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>(style));
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::SetExStyle(DWORD exStyle) {
    ::SetWindowLongA(hwnd_, GWL_EXSTYLE, static_cast<LONG>(exStyle));
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::SetStayOnTop(bool onTop) {
    ::SetWindowPos(hwnd_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::SetAlpha(BYTE alpha, bool enabled) {
    DWORD ex = ExStyle();
    if (enabled) {
        if (!(ex & WS_EX_LAYERED)) ::SetWindowLongA(hwnd_, GWL_EXSTYLE, static_cast<LONG>(ex | WS_EX_LAYERED));
        ::SetLayeredWindowAttributes(hwnd_, 0, alpha, LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
        ::SetLayeredWindowAttributes(hwnd_, 0, 255, LWA_ALPHA);
    }
}

void Form::SetTransparentColor(COLORREF key, bool enabled) {
    DWORD ex = ExStyle();
    if (!(ex & WS_EX_LAYERED)) ::SetWindowLongA(hwnd_, GWL_EXSTYLE, static_cast<LONG>(ex | WS_EX_LAYERED));
    ::SetLayeredWindowAttributes(hwnd_, key, 255, enabled ? LWA_COLORKEY : LWA_ALPHA);
}

void Form::Invalidate() { if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE); }

void Form::Repaint() {
    if (hwnd_) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

Control* Form::FindControl(std::string_view name) const {
    auto it = std::find_if(controls_.begin(), controls_.end(), [name](Control* c) { return c->Name() == name; });
    return it == controls_.end() ? nullptr : *it;
}

void Form::RegisterControl(Control* c) { controls_.push_back(c); }

void Form::UnregisterControl(Control* c) noexcept {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

HWND Form::ParentFor(const ControlSpec& spec) const {
    if (!spec.parent) return hwnd_;
    Control* p = FindControl(spec.parent);
    if (!p) throw Exception(std::string("Unknown parent control ") + spec.parent);
    return p->Handle();
}

void Form::ApplyLayout(std::span<const ControlSpec> layout) {
    // The controls registered so far are the form's members: a row misspelt
    // would leave one without a window, reading its defaults for ever.
    const std::vector<Control*> members = controls_;
    for (const ControlSpec& spec : layout) {
        Control* c = FindControl(spec.name);
        if (!c) {
            if (spec.kind == Kind::Custom)
                throw Exception("The layout of " + name_ + " names no member " + spec.name);
            ownedControls_.push_back(MakeControl(*this, spec));
            c = ownedControls_.back().get();
        } else if (spec.kind != Kind::Custom && spec.kind != c->GetKind()) {
            throw Exception("The layout of " + name_ + " gives the member " + spec.name + " another kind");
        }
        c->CreateWindowFor(ParentFor(spec), spec, nextControlId_++);
    }
    for (const Control* m : members)
        if (!m->Handle()) throw Exception("The layout of " + name_ + " has no row for the member " + m->Name());
}

}  // namespace framework
