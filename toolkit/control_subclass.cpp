#include "toolkit/control_subclass.h"
#include <commctrl.h>
#include <algorithm>
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/handle_map.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

// One id for every painter's subclass: a control carries at most one.
constexpr UINT_PTR kSubclassId = 0x58504D;   // "XPM"
constexpr int kRadioSize = 14;
constexpr int kButtonCorner = 4;
using framework::Kind;
// The subclass on each control; the import library offers no way to ask
// the chain for it.
using Subclasses = framework::HandleMap<TControlSubClass>;

struct KindRow {
    Kind kind;
    TXPControl control;
    TFlatKind flat;
};
constexpr KindRow kKinds[] = {
    {Kind::ComboBox, TXPControl::xcCombo, TFlatKind::Combo},
    {Kind::ComboEdit, TXPControl::xcCombo, TFlatKind::Combo},
    {Kind::Edit, TXPControl::xcEdit, TFlatKind::Edit},
    {Kind::MemoEdit, TXPControl::xcMemo, TFlatKind::Edit},
    {Kind::CheckBox, TXPControl::xcCheckBox, TFlatKind::CheckBox},
    {Kind::RadioButton, TXPControl::xcRadioButton, TFlatKind::RadioButton},
    {Kind::Button, TXPControl::xcButton, TFlatKind::Button},
    {Kind::GroupBox, TXPControl::xcGroupBox, TFlatKind::GroupBox},
};

const KindRow* RowOf(Kind kind) {
    const auto* it = std::find_if(std::begin(kKinds), std::end(kKinds), [kind](const KindRow& r) { return r.kind == kind; });
    return it == std::end(kKinds) ? nullptr : it;
}

COLORREF Sys(int index) { return ::GetSysColor(index); }

RECT Inflated(RECT r, int by) {
    ::InflateRect(&r, by, by);
    return r;
}

// A shape filled with one colour and outlined in another.
template <typename Shape>
void DrawShape(HDC dc, COLORREF fill, COLORREF outline, Shape shape) {
    framework::Brush b(::CreateSolidBrush(fill));
    framework::Pen p(::CreatePen(PS_SOLID, 1, outline));
    framework::SelectScope useBrush(dc, b.get());
    framework::SelectScope usePen(dc, p.get());
    shape();
}

void DrawCaption(HDC dc, const TFlatLook& look, RECT r, UINT format, COLORREF ink) {
    if (look.caption.empty()) return;
    framework::SelectScope use(dc, look.font ? look.font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ink);
    ::DrawTextA(dc, look.caption.c_str(), static_cast<int>(look.caption.size()), &r, format);
    ::SetBkMode(dc, oldMode);
}

// A drop-down arrow: three rows of 5, 3 and 1 pixels under each other.
void DrawArrow(HDC dc, int centreX, int top, COLORREF ink) {
    for (int row = 0; row < 3; ++row) DrawLine(dc, centreX - 2 + row, top + row, centreX + 2 - row, top + row, ink);
}

void PaintCombo(HDC dc, const TFlatLook& s, const TXPColors& c) {
    const RECT& r = s.rect;
    const bool lit = s.hot || s.focused;
    FrameSolid(dc, r, s.controlColor);
    FrameSolid(dc, Inflated(r, -1), s.controlColor);
    const COLORREF frame = s.hot ? c.selectFrame : s.focused ? BlendTowardWhite(c.selectFrame, 60) : s.controlColor;
    FrameSolid(dc, r, frame);
    if (lit) FrameSolid(dc, Inflated(r, -1), frame);
    const int width = ::GetSystemMetrics(SM_CXHTHUMB) + 1;
    RECT button = s.rightToLeft ? RECT{r.left + 1, r.top + 1, r.left + 1 + width, r.bottom - 1}
                                : RECT{r.right - 1 - width, r.top + 1, r.right - 1, r.bottom - 1};
    const COLORREF fill = s.droppedDown ? c.checkFillSelected
                          : s.hot       ? c.selectFill
                          : s.focused   ? c.checkFill
                                        : Sys(COLOR_BTNFACE);
    // The control's own button is a little wider: a strip of the control's
    // colour covers what is left of it beside ours.
    RECT strip = s.rightToLeft ? RECT{button.right, button.top, button.right + 5, button.bottom}
                               : RECT{button.left - 5, button.top, button.left, button.bottom};
    FillSolid(dc, strip, s.controlColor);
    FillSolid(dc, button, fill);
    const int edge = s.rightToLeft ? button.right : button.left - 1;
    DrawLine(dc, edge, button.top, edge, button.bottom, frame);
    const int arrowTop = button.top + (button.bottom - button.top - 3) / 2;
    DrawArrow(dc, (button.left + button.right) / 2 - 1, arrowTop, s.enabled ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

// The frame colour of an edit, chosen as the flat look of an edit wants it.
COLORREF EditFrameColour(const TFlatLook& s, const TXPColors& c) {
    if (s.hot || s.focused) return BlendTowardWhite(c.selectFrame, s.bordered ? 60 : 80);
    return s.bordered ? ShadeDown(s.parentColor, 60) : s.parentColor;
}

void PaintEdit(HDC dc, const TFlatLook& s, const TXPColors& c) { FrameSolid(dc, s.rect, EditFrameColour(s, c)); }

void PaintCheckBox(HDC dc, const TFlatLook& s, const TXPColors& c) {
    const int size = ::GetSystemMetrics(SM_CXHTHUMB);
    const int top = s.rect.top + (s.rect.bottom - s.rect.top - size) / 2;
    const int left = s.rightToLeft ? s.rect.right - size : s.rect.left;
    const RECT box{left, top, left + size, top + size};
    FillSolid(dc, box, s.controlColor);
    const RECT inner = Inflated(box, -2);
    const bool lit = s.hot || s.focused;
    const COLORREF fill = s.pressed ? c.checkFillSelected : lit ? c.selectFill : Sys(COLOR_WINDOW);
    FillSolid(dc, inner, fill);
    FrameSolid(dc, inner, lit || s.pressed ? c.selectFrame : Sys(COLOR_BTNSHADOW));
    if (!s.checked) return;
    // The tick: two strokes, each two pixels thick, down and then up.
    const COLORREF ink = !s.enabled ? c.disabled : s.pressed ? Sys(COLOR_WINDOW) : Sys(COLOR_HIGHLIGHT);
    const int x = inner.left + 2, y = inner.top + (inner.bottom - inner.top) / 2 - 1;
    for (int o = 0; o < 2; ++o) {
        DrawLine(dc, x, y + o, x + 2, y + 2 + o, ink);
        DrawLine(dc, x + 2, y + 2 + o, x + 7, y - 3 + o, ink);
    }
}

void PaintRadioButton(HDC dc, const TFlatLook& s, const TXPColors& c) {
    const int top = s.rect.top + (s.rect.bottom - s.rect.top - kRadioSize) / 2;
    const int left = s.rightToLeft ? s.rect.right - kRadioSize : s.rect.left;
    const RECT area{left, top, left + kRadioSize, top + kRadioSize};
    FillSolid(dc, area, s.controlColor);
    const RECT ring = Inflated(area, -2);
    const COLORREF fill = s.hot || s.focused ? c.selectFill : Sys(COLOR_WINDOW);
    DrawShape(dc, fill, s.hot ? c.selectFrame : Sys(COLOR_BTNSHADOW),
              [&] { ::Ellipse(dc, ring.left, ring.top, ring.right, ring.bottom); });
    if (!s.checked) return;
    const RECT dot = Inflated(ring, -2);
    const COLORREF ink = s.enabled ? Sys(COLOR_HIGHLIGHT) : c.disabled;
    DrawShape(dc, ink, ink, [&] { ::Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom); });
}

void PaintButton(HDC dc, const TFlatLook& s, const TXPColors& c) {
    const RECT& r = s.rect;
    FillSolid(dc, r, s.parentColor);
    const bool lit = s.hot || s.spaceDown || s.focused;
    const COLORREF face = s.hot || s.spaceDown ? BlendTowardWhite(Sys(COLOR_BTNFACE), 60) : c.iconStrip;
    const COLORREF frame = lit ? BlendTowardWhite(c.selectFrame, 60) : Sys(COLOR_BTNSHADOW);
    DrawShape(dc, face, BlendTowardWhite(frame, 30), [&] {
        ::RoundRect(dc, r.left, r.top, r.right, r.bottom, kButtonCorner, kButtonCorner);
    });
    if (s.enabled) {
        const COLORREF edge = ShadeDown(frame, 50);
        if (s.pressed) {
            DrawLine(dc, r.left + 1, r.top + 2, r.left + 1, r.bottom - 2, edge);
            DrawLine(dc, r.left + 2, r.top + 1, r.right - 2, r.top + 1, edge);
        } else {
            DrawLine(dc, r.right - 2, r.top + 2, r.right - 2, r.bottom - 2, edge);
            DrawLine(dc, r.left + 2, r.bottom - 2, r.right - 2, r.bottom - 2, edge);
        }
    }
    RECT text = r;
    if (s.pressed) ::OffsetRect(&text, 1, 1);
    DrawCaption(dc, s, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                s.enabled ? Sys(COLOR_BTNTEXT) : c.disabled);
}

void PaintGroupBox(HDC dc, const TFlatLook& s, const TXPColors&) {
    framework::SelectScope use(dc, s.font ? s.font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    SIZE text{};
    ::GetTextExtentPoint32A(dc, s.caption.c_str(), static_cast<int>(s.caption.size()), &text);
    if (text.cy == 0) {
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        text.cy = tm.tmHeight;
    }
    RECT box = s.rect;
    box.top += text.cy / 2;
    FrameSolid(dc, box, ShadeDown(s.parentColor, 60));
    FrameSolid(dc, RECT{box.left + 1, box.top + 1, box.right, box.bottom}, BlendTowardWhite(s.parentColor, 60));
    FrameSolid(dc, RECT{box.left, box.top, box.right - 1, box.bottom - 1}, ShadeDown(s.parentColor, 60));
    if (s.caption.empty()) return;
    RECT caption{s.rect.left + 7, s.rect.top, s.rect.left + 7 + text.cx + 4, s.rect.top + text.cy};
    FillSolid(dc, caption, s.parentColor);
    DrawCaption(dc, s, caption, DT_CENTER | DT_TOP | DT_SINGLELINE, s.enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT));
}

// The colour a window shows behind its children: a coloured panel's, else
// that of the form it sits on.
COLORREF BackgroundOf(const framework::Form& form, HWND window) {
    for (HWND w = window; w; w = ::GetParent(w)) {
        if (w == form.Handle()) return form.Color();
        for (const framework::Control* c : form.Controls())
            if (c->Handle() == w && c->GetKind() == Kind::Panel) {
                const COLORREF own = static_cast<const framework::Panel*>(c)->Color();
                if (own != CLR_INVALID) return own;
            }
    }
    return Sys(COLOR_BTNFACE);
}

// A device for the whole window, frame included.
class WholeWindowDc {
public:
    explicit WholeWindowDc(HWND w) noexcept : w_(w), dc_(::GetWindowDC(w)) {}
    ~WholeWindowDc() {
        if (dc_) ::ReleaseDC(w_, dc_);
    }
    WholeWindowDc(const WholeWindowDc&) = delete;
    WholeWindowDc& operator=(const WholeWindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

}  // namespace

std::optional<TXPControl> XPControlOf(Kind kind) {
    const KindRow* row = RowOf(kind);
    return row ? std::optional(row->control) : std::nullopt;
}

std::optional<TFlatKind> FlatKindOf(Kind kind) {
    const KindRow* row = RowOf(kind);
    return row ? std::optional(row->flat) : std::nullopt;
}

std::optional<TXPContainer> XPContainerOf(const framework::Control* parent) {
    if (!parent) return TXPContainer::xccForm;
    switch (parent->GetKind()) {
        case Kind::Panel: return TXPContainer::xccPanel;
        case Kind::GroupBox: return TXPContainer::xccGroupBox;
        default: return std::nullopt;
    }
}

bool Qualifies(Kind kind, const framework::Control* parent, TXPControls controls, TXPContainers containers) {
    const auto control = XPControlOf(kind);
    const auto container = XPContainerOf(parent);
    return control && container && controls.Has(*control) && containers.Has(*container);
}

void PaintFlat(HDC dc, const TFlatLook& look, const TXPColors& colors) {
    switch (look.kind) {
        case TFlatKind::Combo: PaintCombo(dc, look, colors); break;
        case TFlatKind::Edit: PaintEdit(dc, look, colors); break;
        case TFlatKind::CheckBox: PaintCheckBox(dc, look, colors); break;
        case TFlatKind::RadioButton: PaintRadioButton(dc, look, colors); break;
        case TFlatKind::Button: PaintButton(dc, look, colors); break;
        case TFlatKind::GroupBox: PaintGroupBox(dc, look, colors); break;
    }
}

// The subclass ------------------------------------------------------------------------

TControlSubClass::TControlSubClass(TXPMenu& painter, HWND control, Kind kind)
    : painter_(painter), hwnd_(control), kind_(kind), flat_(FlatKindOf(kind).value_or(TFlatKind::Button)) {
    if (!hwnd_ || IsSubclassed(hwnd_)) return;
    attached_ = ::SetWindowSubclass(hwnd_, SubclassWindowProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (!attached_) return;
    Subclasses::Add(hwnd_, this);
    if (flat_ != TFlatKind::Edit) return;
    // A flat edit has a single line for a frame, which the painting colours.
    const LONG_PTR ex = ::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
    if (ex & WS_EX_CLIENTEDGE) {
        madeFlatEdge_ = true;
        ::SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_CLIENTEDGE);
        ::SetWindowLongPtrA(hwnd_, GWL_STYLE, ::GetWindowLongPtrA(hwnd_, GWL_STYLE) | WS_BORDER);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

TControlSubClass::~TControlSubClass() {
    if (!attached_) return;
    // Out of the chain first: restoring the frame sends messages.
    ::RemoveWindowSubclass(hwnd_, SubclassWindowProc, kSubclassId);
    Subclasses::Remove(hwnd_);
    if (!::IsWindow(hwnd_)) return;
    if (madeFlatEdge_) {
        ::SetWindowLongPtrA(hwnd_, GWL_STYLE, ::GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~WS_BORDER);
        ::SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

TControlSubClass* TControlSubClass::Of(HWND control) noexcept { return control ? Subclasses::Find(control) : nullptr; }

LRESULT CALLBACK TControlSubClass::SubclassWindowProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id,
                                                      DWORD_PTR self) noexcept {
    auto* sub = reinterpret_cast<TControlSubClass*>(self);
    if (m == WM_NCDESTROY) {
        // The window's last message: nothing of it is left to restore.
        const LRESULT result = ::DefSubclassProc(h, m, w, l);
        ::RemoveWindowSubclass(h, SubclassWindowProc, id);
        Subclasses::Remove(h);
        sub->attached_ = false;
        sub->painter_.Forget(sub);
        return result;
    }
    const LRESULT result = ::DefSubclassProc(h, m, w, l);
    // The control's own handling may have switched the painter off or
    // destroyed it (a button's click handler can): only a subclass still
    // in the chain is asked.
    if (Of(h) != sub) return result;
    framework::Guard([&] { sub->AfterMessage(m, w); });
    return result;
}

void TControlSubClass::AfterMessage(UINT m, WPARAM w) {
    // Messages the painting itself sends (the check state, the dropped-down
    // state) change nothing and paint nothing: answering them with a
    // painting would call the painting again.
    if (painting_) return;
    switch (m) {
        case WM_SETFOCUS: hot_ = true; break;
        case WM_KILLFOCUS:
        case BM_GETCHECK:
        case BM_SETCHECK: hot_ = false; break;
        case WM_PAINT:
        case WM_NCPAINT:
        case BM_SETSTATE:
        case WM_ENABLE:
        case WM_SETTEXT: break;
        case WM_KEYDOWN:
            if (w != VK_SPACE) return;
            spaceDown_ = true;
            if (spacePainted_) return;
            spacePainted_ = true;
            break;
        case WM_KEYUP:
            if (w != VK_SPACE) return;
            spaceDown_ = spacePainted_ = false;
            break;
        case WM_LBUTTONDOWN: mouseDown_ = true; break;
        case WM_LBUTTONUP: mouseDown_ = false; break;
        case WM_LBUTTONDBLCLK:
            // The button class takes a double click on a button or check box
            // as a second press; so does its look.
            if (flat_ != TFlatKind::Button && flat_ != TFlatKind::CheckBox) return;
            mouseDown_ = true;
            break;
        case WM_MOUSEMOVE:
            if (trackingMouse_ || !::IsWindowEnabled(hwnd_)) return;
            {
                TRACKMOUSEEVENT track{static_cast<DWORD>(sizeof(TRACKMOUSEEVENT)), TME_LEAVE, hwnd_, 0};
                trackingMouse_ = ::TrackMouseEvent(&track) != FALSE;
            }
            hot_ = true;
            break;
        case WM_MOUSELEAVE:
            trackingMouse_ = false;
            if (!::IsWindowEnabled(hwnd_)) return;
            hot_ = false;
            break;
        default: return;
    }
    PaintControl();
}

TFlatLook TControlSubClass::Look() const {
    TFlatLook s;
    s.kind = flat_;
    s.enabled = ::IsWindowEnabled(hwnd_) != FALSE;
    const HWND focus = ::GetFocus();
    s.focused = focus && (focus == hwnd_ || ::IsChild(hwnd_, focus));
    s.hot = hot_;
    s.spaceDown = spaceDown_;
    s.pressed = mouseDown_ || spaceDown_;
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    const LONG_PTR ex = ::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
    s.rightToLeft = (ex & (WS_EX_RIGHT | WS_EX_LAYOUTRTL)) != 0 ||
                    ((flat_ == TFlatKind::CheckBox || flat_ == TFlatKind::RadioButton) && (style & BS_LEFTTEXT));
    s.bordered = flat_ != TFlatKind::Edit || (style & WS_BORDER) != 0;
    s.font = reinterpret_cast<HFONT>(::SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    s.parentColor = BackgroundOf(painter_.owner_, ::GetParent(hwnd_));
    const bool field = flat_ == TFlatKind::Combo || flat_ == TFlatKind::Edit;
    s.controlColor = field ? Sys(s.enabled ? COLOR_WINDOW : COLOR_BTNFACE) : s.parentColor;
    if (flat_ == TFlatKind::CheckBox || flat_ == TFlatKind::RadioButton)
        s.checked = ::SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (flat_ == TFlatKind::Combo) s.droppedDown = ::SendMessageA(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (flat_ == TFlatKind::Button || flat_ == TFlatKind::GroupBox) {
        const int length = ::GetWindowTextLengthA(hwnd_);
        s.caption.resize(static_cast<size_t>(std::max(length, 0)) + 1);
        s.caption.resize(static_cast<size_t>(::GetWindowTextA(hwnd_, s.caption.data(), length + 1)));
    }
    RECT r{};
    if (flat_ == TFlatKind::Edit) {
        ::GetWindowRect(hwnd_, &r);
        ::OffsetRect(&r, -r.left, -r.top);
    } else {
        ::GetClientRect(hwnd_, &r);
    }
    s.rect = r;
    return s;
}

void TControlSubClass::PaintOn(HDC dc) const {
    if (painting_) return;
    painting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{painting_};
    const TFlatLook look = Look();
    PaintFlat(dc, look, EffectiveColors(painter_.Colors, ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES)));
}

void TControlSubClass::PaintControl() {
    if (!::IsWindowVisible(hwnd_)) return;
    if (flat_ == TFlatKind::Edit) {
        WholeWindowDc dc(hwnd_);
        if (dc.get()) PaintOn(dc.get());
        return;
    }
    framework::WindowDc dc(hwnd_);
    if (dc.get()) PaintOn(dc.get());
}

}  // namespace toolkit
