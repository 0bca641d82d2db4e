#include "framework/control.h"
#include "framework/form.h"
#include "framework/guard.h"
#include <commctrl.h>
#include <algorithm>

namespace framework {
namespace {

// Containers (panels, group boxes) hand their children's notifications to the
// form, so that every control is served by the form's dispatch.
LRESULT CALLBACK ForwardingProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) noexcept {
    switch (m) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (HWND root = ::GetAncestor(h, GA_ROOT); root && root != h) {
            if (m == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(l) == h) break;
            return ::SendMessageA(root, m, w, l);
        }
        break;
    default:
        break;
    }
    return ::DefSubclassProc(h, m, w, l);
}

HFONT DefaultFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace

Control::Control(Form& owner, std::string name, Kind kind) : owner_(owner), name_(std::move(name)), kind_(kind) {
    owner_.RegisterControl(this);
}

Control::~Control() {
    Destroy();
    owner_.UnregisterControl(this);
}

const char* Control::WindowClass() const {
    switch (kind_) {
    case Kind::Label:
    case Kind::Panel:
    case Kind::Image: return "STATIC";
    case Kind::Edit:
    case Kind::MemoEdit: return "EDIT";
    case Kind::ComboBox:
    case Kind::ComboEdit: return "COMBOBOX";
    case Kind::ListBox: return "LISTBOX";
    default: return "BUTTON";
    }
}

DWORD Control::WindowStyle() const { return WS_CHILD | WS_VISIBLE; }

void Control::CreateWindowFor(HWND parent, const ControlSpec& spec, int id) {
    if (hwnd_) return;
    Tag = spec.tag;
    if (pendingCaption_.empty() && spec.caption) pendingCaption_ = spec.caption;
    hwnd_ = ::CreateWindowExA(WindowExStyle(), WindowClass(), pendingCaption_.c_str(), WindowStyle(),
                              spec.x, spec.y, spec.w, spec.h, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) throw Exception("Cannot create the control " + name_);
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    if (kind_ == Kind::Panel || kind_ == Kind::GroupBox)
        ::SetWindowSubclass(hwnd_, &ForwardingProc, 1, 0);
    AfterCreate();
}

void Control::Destroy() noexcept {
    if (!hwnd_) return;
    if (kind_ == Kind::Panel || kind_ == Kind::GroupBox) ::RemoveWindowSubclass(hwnd_, &ForwardingProc, 1);
    if (::IsWindow(hwnd_)) {
        pendingCaption_ = Caption();
        ::DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

void Control::SetCaption(std::string_view text) {
    pendingCaption_ = std::string(text);
    if (hwnd_) ::SetWindowTextA(hwnd_, pendingCaption_.c_str());
}

std::string Control::Caption() const {
    if (!hwnd_) return pendingCaption_;
    int n = ::GetWindowTextLengthA(hwnd_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = ::GetWindowTextA(hwnd_, s.data(), n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

void Control::SetBounds(int x, int y, int w, int h) {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::Bounds() const {
    RECT r{};
    if (!hwnd_) return r;
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Control::SetVisible(bool v) { if (hwnd_) ::ShowWindow(hwnd_, v ? SW_SHOW : SW_HIDE); }
bool Control::Visible() const { return hwnd_ && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void Control::SetEnabled(bool e) { if (hwnd_) ::EnableWindow(hwnd_, e); }
bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
void Control::Invalidate() { if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE); }

// Label ---------------------------------------------------------------------
DWORD Label::WindowStyle() const { return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX; }

HBRUSH Label::OnColor(HDC dc) {
    if (FontColor != CLR_INVALID) ::SetTextColor(dc, FontColor);
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

// Button ------------------------------------------------------------------
DWORD Button::WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON; }

void Button::OnCommand(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick();
}

// Check box -----------------------------------------------------------------
DWORD CheckBox::WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX; }
DWORD RadioButton::WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON; }

void CheckBox::AfterCreate() { ::SendMessageA(hwnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

bool CheckBox::Checked() const {
    return hwnd_ ? ::SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED : checked_;
}

void CheckBox::SetChecked(bool c) {
    bool changed = Checked() != c;
    checked_ = c;
    if (hwnd_) ::SendMessageA(hwnd_, BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED, 0);
    if (changed && OnClick) OnClick();   // a checked change fires the click, as the user's would
}

void CheckBox::OnCommand(WORD code) {
    if (code != BN_CLICKED) return;
    checked_ = Checked();
    if (OnClick) OnClick();
}

DWORD GroupBox::WindowStyle() const { return WS_CHILD | WS_VISIBLE | BS_GROUPBOX; }

// Edit ----------------------------------------------------------------------
DWORD Edit::WindowStyle() const {
    DWORD s = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    if (Password) s |= ES_PASSWORD;
    if (GetKind() == Kind::MemoEdit) s |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN;
    return s;
}

void Edit::AfterCreate() {
    if (MaxLength > 0) ::SendMessageA(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
}

void Edit::OnCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
}

// Lists -------------------------------------------------------------------
void ListControl::AfterCreate() {
    for (const auto& s : items_) ::SendMessageA(hwnd_, Msg(0), 0, reinterpret_cast<LPARAM>(s.c_str()));
    ::SendMessageA(hwnd_, Msg(8), static_cast<WPARAM>(index_), 0);
}

// The texts are kept here beside the window, which is never changed behind
// this class's back (no sorting, no editing by the user): reading them back
// from the window would go through the system's text conversion, which
// under Wine copies an item into a fixed stack buffer of 512 characters.
std::vector<std::string> ListControl::Items() const { return items_; }

void ListControl::SetItems(const std::vector<std::string>& items) {
    Clear();
    for (const auto& s : items) AddItem(s);
}

int ListControl::Count() const { return static_cast<int>(items_.size()); }

void ListControl::AddItem(std::string_view s) {
    ++version_;
    std::string str(s);
    if (hwnd_) ::SendMessageA(hwnd_, Msg(0), 0, reinterpret_cast<LPARAM>(str.c_str()));
    items_.push_back(std::move(str));
}

void ListControl::InsertItem(int index, std::string_view s) {
    ++version_;
    std::string str(s);
    if (index < 0 || index > Count()) throw Exception("List index out of bounds");
    if (hwnd_) ::SendMessageA(hwnd_, Msg(1), static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(str.c_str()));
    if (static_cast<size_t>(index) <= items_.size()) items_.insert(items_.begin() + index, std::move(str));
}

void ListControl::DeleteItem(int index) {
    ++version_;
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds");
    if (hwnd_) ::SendMessageA(hwnd_, Msg(2), static_cast<WPARAM>(index), 0);
    if (static_cast<size_t>(index) < items_.size()) items_.erase(items_.begin() + index);
}

void ListControl::SetItem(int index, std::string_view s) {
    int sel = ItemIndex();
    DeleteItem(index);
    InsertItem(index, s);
    SetItemIndex(sel);
}

std::string ListControl::Item(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) throw Exception("List index out of bounds");
    return items_[static_cast<size_t>(index)];
}

void ListControl::Clear() {
    ++version_;
    if (hwnd_) ::SendMessageA(hwnd_, Msg(3), 0, 0);
    items_.clear();
    index_ = -1;
}

int ListControl::IndexOf(std::string_view s) const {
    auto it = std::find(items_.begin(), items_.end(), s);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int ListControl::ItemIndex() const {
    if (!hwnd_) return index_;
    LRESULT r = ::SendMessageA(hwnd_, Msg(7), 0, 0);
    return r < 0 ? -1 : static_cast<int>(r);
}

void ListControl::SetItemIndex(int i) {
    if (i < -1 || i >= Count()) i = -1;
    index_ = i;
    if (hwnd_) ::SendMessageA(hwnd_, Msg(8), static_cast<WPARAM>(i), 0);
}

void ListControl::OnCommand(WORD code) {
    if (code != ChangeCode()) return;
    index_ = ItemIndex();
    if (OnChange) OnChange();
    if (OnClick) OnClick();
}

DWORD ComboBox::WindowStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
           (GetKind() == Kind::ComboEdit ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
}

UINT ComboBox::Msg(int which) const {
    static constexpr UINT kMsgs[] = {CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT,
                                     CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_GETCURSEL, CB_SETCURSEL};
    return kMsgs[which];
}

std::string ComboBox::Text() const {
    if (GetKind() == Kind::ComboEdit) return Caption();
    int i = ItemIndex();
    return i < 0 ? std::string() : Item(i);
}

DWORD ListBox::WindowStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
}

UINT ListBox::Msg(int which) const {
    static constexpr UINT kMsgs[] = {LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
                                     LB_GETTEXT, LB_GETTEXTLEN, LB_GETCURSEL, LB_SETCURSEL};
    return kMsgs[which];
}

void ListBox::OnCommand(WORD code) {
    if (code == LBN_DBLCLK && OnDblClick) OnDblClick();
    ListControl::OnCommand(code);
}

// Panel ---------------------------------------------------------------------
DWORD Panel::WindowStyle() const { return WS_CHILD | WS_VISIBLE | SS_NOTIFY | WS_CLIPSIBLINGS; }

void Panel::SetColor(COLORREF c) {
    color_ = c;
    brush_.reset();
    Invalidate();
}

HBRUSH Panel::OnColor(HDC dc) {
    if (color_ == CLR_INVALID) return nullptr;
    if (!brush_) brush_.reset(::CreateSolidBrush(color_));
    ::SetBkColor(dc, color_);
    return brush_.get();
}

// Track bar -----------------------------------------------------------------
const char* TrackBar::WindowClass() const { return TRACKBAR_CLASSA; }
DWORD TrackBar::WindowStyle() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS; }

void TrackBar::AfterCreate() {
    ::SendMessageA(hwnd_, TBM_SETRANGE, TRUE, MAKELPARAM(min_, max_));
    ::SendMessageA(hwnd_, TBM_SETPOS, TRUE, pos_);
}

int TrackBar::Position() const {
    return hwnd_ ? static_cast<int>(::SendMessageA(hwnd_, TBM_GETPOS, 0, 0)) : pos_;
}

void TrackBar::SetPosition(int p) {
    pos_ = p;
    if (hwnd_) ::SendMessageA(hwnd_, TBM_SETPOS, TRUE, p);
}

void TrackBar::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    if (hwnd_) ::SendMessageA(hwnd_, TBM_SETRANGE, TRUE, MAKELPARAM(min, max));
}

void TrackBar::OnScroll(WORD) {
    pos_ = Position();
    if (OnChange) OnChange();
}

}  // namespace framework
