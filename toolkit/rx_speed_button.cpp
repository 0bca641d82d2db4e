#include "toolkit/rx_speed_button.h"
#include <windowsx.h>
#include <algorithm>
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/popup_menu.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

constexpr char kWindowClass[] = "TRxSpeedButton";
constexpr int kMaxGlyphs = 5;
constexpr int kMarkWidth = 7, kMarkHeight = 4;
constexpr int kMarkRoom = 9;        // what a drop-down mark takes beside the caption
constexpr int kMarkGlyphRoom = 6;   // ... or beside the glyph
constexpr size_t kMaxCaption = 255;
// Removes the picture where the mask is white: D and not S.
constexpr DWORD kRopClearWhereMasked = 0x00220326;

bool HorizontalLayout(TButtonLayout l) {
    return l == TButtonLayout::blGlyphLeft || l == TButtonLayout::blGlyphRight;
}

int Along(SIZE s, bool horizontal) { return horizontal ? s.cx : s.cy; }
int Across(SIZE s, bool horizontal) { return horizontal ? s.cy : s.cx; }

framework::Bitmap CompatibleBitmap(int w, int h) {
    framework::WindowDc screen(nullptr);
    framework::Bitmap b(::CreateCompatibleBitmap(screen.get(), w, h));
    if (!b) throw framework::Exception("Cannot create a glyph picture");
    return b;
}

// A picture of w x h copied from the strip at x.
framework::Bitmap CopyPart(HBITMAP strip, int x, int w, int h) {
    framework::Bitmap part = CompatibleBitmap(w, h);
    framework::MemoryDc from(::CreateCompatibleDC(nullptr)), to(::CreateCompatibleDC(nullptr));
    framework::SelectScope useFrom(from.get(), strip), useTo(to.get(), part.get());
    ::BitBlt(to.get(), 0, 0, w, h, from.get(), x, 0, SRCCOPY);
    return part;
}

// The picture in grey levels, except its clear pixels and those of the button face.
void TurnGrey(HBITMAP picture, int w, int h, COLORREF clear) {
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    framework::SelectScope use(dc.get(), picture);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c = ::GetPixel(dc.get(), x, y);
            if (c == clear || c == face) continue;
            int g = (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) >> 8;
            ::SetPixelV(dc.get(), x, y, RGB(g, g, g));
        }
}

// The button's own caption font.
HFONT CaptionFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

struct GlyphLists {
    struct Entry {
        std::unique_ptr<TGlyphList> list;
        int users = 0;
    };
    std::vector<Entry> entries;
};

GlyphLists& Lists() {
    static GlyphLists lists;
    return lists;
}

}  // namespace

// Glyph lists ---------------------------------------------------------------------------

TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) {
    list_ = ::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4);
    if (!list_) throw framework::Exception("Cannot create a glyph list");
}

TGlyphList::~TGlyphList() {
    if (list_) ::ImageList_Destroy(list_);
}

int TGlyphList::AddMasked(HBITMAP image, COLORREF transparent) {
    // The mask is white where the picture is clear, and the picture black there.
    framework::Bitmap picture = CopyPart(image, 0, width_, height_);
    framework::Bitmap mask(::CreateBitmap(width_, height_, 1, 1, nullptr));
    if (!mask) throw framework::Exception("Cannot create a glyph mask");
    {
        framework::MemoryDc pic(::CreateCompatibleDC(nullptr)), msk(::CreateCompatibleDC(nullptr));
        framework::SelectScope usePic(pic.get(), picture.get()), useMask(msk.get(), mask.get());
        ::SetBkColor(pic.get(), transparent & 0x00FFFFFF);
        ::BitBlt(msk.get(), 0, 0, width_, height_, pic.get(), 0, 0, SRCCOPY);
        ::SetTextColor(pic.get(), RGB(0, 0, 0));
        ::SetBkColor(pic.get(), RGB(255, 255, 255));
        ::BitBlt(pic.get(), 0, 0, width_, height_, msk.get(), 0, 0, kRopClearWhereMasked);
    }
    auto free = std::find(used_.begin(), used_.end(), false);
    int index;
    if (free != used_.end()) {
        index = static_cast<int>(free - used_.begin());
        if (!::ImageList_Replace(list_, index, picture.get(), mask.get()))
            throw framework::Exception("Cannot store a glyph picture");
        *free = true;
    } else {
        index = ::ImageList_Add(list_, picture.get(), mask.get());
        if (index < 0) throw framework::Exception("Cannot store a glyph picture");
        used_.resize(static_cast<size_t>(index) + 1, false);
        used_[static_cast<size_t>(index)] = true;
    }
    ++count_;
    return index;
}

void TGlyphList::Delete(int index) {
    if (index < 0 || static_cast<size_t>(index) >= used_.size() || !used_[static_cast<size_t>(index)]) return;
    used_[static_cast<size_t>(index)] = false;
    --count_;
}

TGlyphList& TGlyphCache::GetList(int width, int height) {
    auto& entries = Lists().entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->list->Width() == width && it->list->Height() == height) {
            ++it->users;
            return *it->list;
        }
    entries.push_back({std::make_unique<TGlyphList>(width, height), 1});
    return *entries.back().list;
}

void TGlyphCache::ReturnList(TGlyphList& list) {
    auto& entries = Lists().entries;
    auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.list.get() == &list; });
    if (it == entries.end()) return;
    if (--it->users <= 0) entries.erase(it);
}

int TGlyphCache::ListCount() { return static_cast<int>(Lists().entries.size()); }

int GlyphCountFor(int width, int height) noexcept {
    if (width <= 0 || height <= 0 || width % height != 0) return 0;
    const int n = width / height;
    return n < 6 ? n : 1;
}

// The glyph of one button ---------------------------------------------------------------

TRxButtonGlyph::~TRxButtonGlyph() { Invalidate(); }

void TRxButtonGlyph::Invalidate() {
    if (list_) {
        for (int& i : indexes_) {
            list_->Delete(i);
            i = -1;
        }
        TGlyphCache::ReturnList(*list_);
        list_ = nullptr;
    }
    indexes_.fill(-1);
}

void TRxButtonGlyph::SetGlyph(HBITMAP strip) {
    framework::Bitmap copy;
    if (strip) {
        BITMAP bm{};
        if (!::GetObjectA(strip, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
            throw framework::Exception("Invalid glyph: a picture without width or height");
        copy.reset(static_cast<HBITMAP>(::CopyImage(strip, IMAGE_BITMAP, 0, 0, 0)));
        if (!copy) throw framework::Exception("Cannot copy the glyph");
        framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
        framework::SelectScope use(dc.get(), copy.get());
        transparent_ = ::GetPixel(dc.get(), 0, bm.bmHeight - 1) & 0x00FFFFFF;
        if (int n = GlyphCountFor(bm.bmWidth, bm.bmHeight)) numGlyphs_ = n;
    }
    Invalidate();
    glyph_ = std::move(copy);
    if (OnChange) OnChange();
}

void TRxButtonGlyph::SetNumGlyphs(int n) {
    n = std::clamp(n, 1, kMaxGlyphs);
    if (n == numGlyphs_) return;
    Invalidate();
    numGlyphs_ = n;
    if (OnChange) OnChange();
}

SIZE TRxButtonGlyph::ImageSize() const noexcept {
    BITMAP bm{};
    if (!glyph_ || !::GetObjectA(glyph_.get(), sizeof bm, &bm)) return {0, 0};
    return {bm.bmWidth / numGlyphs_, bm.bmHeight};
}

framework::Bitmap TRxButtonGlyph::BuildImage(TButtonState state) const {
    const SIZE size = ImageSize();
    int s = static_cast<int>(state);
    if (state == TButtonState::Down && numGlyphs_ < 3) s = static_cast<int>(TButtonState::Up);
    if (s < numGlyphs_) return CopyPart(glyph_.get(), s * size.cx, size.cx, size.cy);
    framework::Bitmap up = CopyPart(glyph_.get(), 0, size.cx, size.cy);
    if (state == TButtonState::Disabled)
        return MakeDisabledBitmap(up.get(), transparent_, ::GetSysColor(COLOR_BTNFACE), true,
                                  ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    if (state == TButtonState::Inactive) TurnGrey(up.get(), size.cx, size.cy, transparent_);
    return up;
}

int TRxButtonGlyph::ImageIndex(TButtonState state) {
    const SIZE size = ImageSize();
    if (size.cx <= 0 || size.cy <= 0) return -1;
    int& index = indexes_[static_cast<size_t>(state)];
    if (index >= 0) return index;
    if (!list_) list_ = &TGlyphCache::GetList(size.cx, size.cy);
    framework::Bitmap image = BuildImage(state);
    // The embossed picture lies on the button face, which is its clear colour.
    const bool embossed = state == TButtonState::Disabled && numGlyphs_ <= 1;
    index = list_->AddMasked(image.get(), embossed ? ::GetSysColor(COLOR_BTNFACE) : transparent_);
    return index;
}

void TRxButtonGlyph::Draw(HDC dc, int x, int y, TButtonState state) {
    int index = ImageIndex(state);
    if (index >= 0) ::ImageList_Draw(list_->Handle(), index, dc, x, y, ILD_TRANSPARENT);
}

// The layout rule -------------------------------------------------------------------------

int CaptionRoom(const RECT& content, SIZE glyph, TButtonLayout layout, int margin, int spacing, bool dropDownMark) {
    const bool h = HorizontalLayout(layout);
    int room = h ? RectWidth(content) : RectHeight(content);
    room -= Along(glyph, h);
    if (margin != -1) room -= margin;
    if (spacing != -1) room -= spacing;
    if (dropDownMark && h) room -= kMarkRoom;
    return std::max(0, room);
}

GlyphCaptionPlaces PlaceGlyphAndCaption(const GlyphCaptionInput& in) {
    const bool h = HorizontalLayout(in.layout);
    const SIZE extent{RectWidth(in.content), RectHeight(in.content)};
    SIZE glyph = in.glyph, caption = in.caption;
    const SIZE realGlyph = in.glyph;
    if (in.dropDownMark) {
        if (glyph.cx == 0 || in.layout == TButtonLayout::blGlyphLeft) caption.cx += kMarkRoom;
        else glyph.cx += kMarkGlyphRoom;
    }
    const int extentAlong = Along(extent, h), extentAcross = Across(extent, h);
    const int glyphAlong = Along(glyph, h), captionAlong = Along(caption, h);
    const int glyphAcross = extentAcross / 2 - Across(glyph, h) / 2;
    const int captionAcross = extentAcross / 2 - Across(caption, h) / 2;

    int margin = in.margin, spacing = in.spacing;
    if (captionAlong == 0 || glyphAlong == 0) spacing = 0;
    if (margin == -1 && spacing == -1) {
        spacing = margin = (extentAlong - glyphAlong - captionAlong) / 3;
    } else if (margin == -1) {
        margin = extentAlong / 2 - (glyphAlong + spacing + captionAlong) / 2;
    } else if (spacing == -1) {
        spacing = (extentAlong - margin - glyphAlong) / 2 - captionAlong / 2;
    }

    int glyphAt = 0, captionAt = 0;
    switch (in.layout) {
    case TButtonLayout::blGlyphLeft:
    case TButtonLayout::blGlyphTop:
        glyphAt = margin;
        captionAt = margin + glyphAlong + spacing;
        break;
    case TButtonLayout::blGlyphRight:
    case TButtonLayout::blGlyphBottom:
        glyphAt = extentAlong - margin - glyphAlong;
        captionAt = glyphAt - spacing - captionAlong;
        break;
    }
    GlyphCaptionPlaces out;
    const POINT o{in.content.left, in.content.top};
    out.glyph = h ? POINT{o.x + glyphAt, o.y + glyphAcross} : POINT{o.x + glyphAcross, o.y + glyphAt};
    const POINT c = h ? POINT{o.x + captionAt, o.y + captionAcross} : POINT{o.x + captionAcross, o.y + captionAt};
    out.caption = {c.x, c.y, c.x + in.caption.cx, c.y + in.caption.cy};
    if (in.dropDownMark) {
        if (realGlyph.cx > 0 && in.layout != TButtonLayout::blGlyphLeft)
            out.mark = {out.glyph.x + realGlyph.cx + 1, out.glyph.y + realGlyph.cy / 2 - kMarkHeight / 2};
        else if (in.caption.cx > 0)
            out.mark = {out.caption.right + 3, out.caption.top + in.caption.cy / 2 - kMarkHeight / 2};
        else
            out.mark = {o.x + extent.cx / 2 - kMarkWidth / 2, o.y + extent.cy / 2 - kMarkHeight / 2};
    }
    return out;
}

// The button ---------------------------------------------------------------------------------

TRxSpeedButton::TRxSpeedButton(framework::Form& owner, std::string name)
    : CustomControl(owner, std::move(name), kWindowClass) {
    glyph_.OnChange = [this] { Invalidate(); };
}

TRxSpeedButton::~TRxSpeedButton() {
    StopTimer();
    if (menu_) menu_->RemoveFreeNotification(this);
}

bool TRxSpeedButton::Enabled() const noexcept { return !hwnd_ || ::IsWindowEnabled(hwnd_); }

bool TRxSpeedButton::NewLook() const noexcept { return Style != TButtonStyle::bsWin31; }

void TRxSpeedButton::SetState(TButtonState s) {
    if (s == state_) return;
    state_ = s;
    Invalidate();
}

void TRxSpeedButton::SetDown(bool down) {
    if (groupIndex_ == 0) return;
    if (down == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = down;
    if (Enabled()) state_ = down ? TButtonState::Exclusive : TButtonState::Up;
    Invalidate();
    if (down) ReleaseGroupMates();
}

void TRxSpeedButton::SetGroupIndex(int g) {
    if (g == groupIndex_) return;
    groupIndex_ = g;
    ReleaseGroupMates();
}

void TRxSpeedButton::SetAllowAllUp(bool on) {
    if (on == allowAllUp_) return;
    allowAllUp_ = on;
    ReleaseGroupMates();
}

void TRxSpeedButton::ReleaseGroupMates() {
    if (groupIndex_ == 0 || !hwnd_) return;
    for (HWND w = ::GetWindow(::GetParent(hwnd_), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        auto* mate = dynamic_cast<TRxSpeedButton*>(CustomControl::FromHandle(w));
        if (!mate || mate == this || mate->groupIndex_ != groupIndex_) continue;
        if (down_ && mate->down_) {
            mate->down_ = false;
            mate->state_ = TButtonState::Up;
            mate->Invalidate();
        }
        mate->allowAllUp_ = allowAllUp_;
    }
}

void TRxSpeedButton::SetFlat(bool on) {
    if (on == flat_) return;
    flat_ = on;
    Invalidate();
}

void TRxSpeedButton::SetMargin(int m) {
    if (m < -1 || m == margin_) return;
    margin_ = m;
    Invalidate();
}

void TRxSpeedButton::SetAllowTimer(bool on) {
    allowTimer_ = on;
    if (!on) StopTimer();
}

void TRxSpeedButton::SetGlyph(HBITMAP strip) { glyph_.SetGlyph(strip); }

void TRxSpeedButton::SetNumGlyphs(int n) { glyph_.SetNumGlyphs(n); }

void TRxSpeedButton::SetDropDownMenu(framework::PopupMenu* menu) {
    if (menu_) menu_->RemoveFreeNotification(this);
    menu_ = menu;
    if (menu_) menu_->AddFreeNotification(this, [this] {
        menu_ = nullptr;
        Invalidate();
    });
    Invalidate();
}

void TRxSpeedButton::Click() {
    Owner().ModalResult = ModalResult;
    if (OnClick) {
        auto click = OnClick;   // the click may free the button
        click();
    }
}

// Mouse -----------------------------------------------------------------------------------

bool TRxSpeedButton::Inside(POINT p) const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return ::PtInRect(&r, p) != 0;
}

void TRxSpeedButton::LeftButtonDown(POINT) {
    if (!Enabled() || menuTracking_) return;
    if (!down_) SetState(TButtonState::Down);
    dragging_ = true;
    ::SetCapture(hwnd_);
    if (menu_ && menu_->AutoPopup) {
        ShowDropDown();
        return;
    }
    if (allowTimer_) {
        ::SetTimer(hwnd_, kRepeatTimer, InitPause, nullptr);
        timerRunning_ = true;
    }
}

void TRxSpeedButton::ShowDropDown() {
    menuTracking_ = true;
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    POINT at = MenuPosition == TRxDropDownMenuPos::dmpBottom ? POINT{r.left, r.bottom} : POINT{r.right, r.top};
    framework::PopupMenu* menu = menu_;
    menu->PopupComponent = this;
    struct Done {
        TRxSpeedButton& b;
        ~Done() { b.menuTracking_ = false; }
    } done{*this};
    menu->Popup(at.x, at.y);
    dragging_ = false;
    SetState(down_ ? TButtonState::Exclusive : TButtonState::Up);
    // The click that closed the menu over the button must not press it again.
    MSG msg;
    while (::PeekMessageA(&msg, hwnd_, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE)) {}
}

void TRxSpeedButton::MouseMove(POINT p) {
    if (!dragging_) return;
    if (down_) SetState(TButtonState::Exclusive);
    else SetState(Inside(p) ? TButtonState::Down : TButtonState::Up);
}

void TRxSpeedButton::LeftButtonUp(POINT p) {
    if (!dragging_) return;
    dragging_ = false;
    StopTimer();
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    const bool inside = Inside(p);
    if (groupIndex_ == 0) {
        SetState(TButtonState::Up);
        if (inside) Click();
        return;
    }
    if (inside) {
        SetDown(!down_);
        SetState(down_ ? TButtonState::Exclusive : TButtonState::Up);
        Click();
    } else {
        SetState(down_ ? TButtonState::Exclusive : TButtonState::Up);
    }
}

void TRxSpeedButton::RepeatTimer() {
    ::SetTimer(hwnd_, kRepeatTimer, RepeatInterval, nullptr);
    if (state_ != TButtonState::Down || ::GetCapture() != hwnd_) return;
    try {
        Click();
    } catch (...) {
        StopTimer();
        throw;
    }
}

void TRxSpeedButton::StopTimer() {
    if (!timerRunning_) return;
    timerRunning_ = false;
    if (hwnd_) ::KillTimer(hwnd_, kRepeatTimer);
}

void TRxSpeedButton::MouseEnter() {
    if (!Enabled()) return;
    const HWND root = ::GetAncestor(hwnd_, GA_ROOT);
    if (::GetActiveWindow() != root && ::GetForegroundWindow() != root) return;
    mouseInControl_ = true;
    if (flat_) Invalidate();
    if (OnMouseEnter) OnMouseEnter();
}

void TRxSpeedButton::MouseLeave() {
    if (!mouseInControl_) return;
    mouseInControl_ = false;
    if (flat_) Invalidate();
    if (OnMouseLeave) OnMouseLeave();
}

LRESULT TRxSpeedButton::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    switch (m) {
    case WM_LBUTTONDOWN:
        LeftButtonDown(p);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (down_ && OnDblClick) OnDblClick();
        else LeftButtonDown(p);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(p);
        break;
    case WM_LBUTTONUP:
        LeftButtonUp(p);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != hwnd_ && dragging_ && !menuTracking_) {
            dragging_ = false;
            StopTimer();
            SetState(down_ ? TButtonState::Exclusive : TButtonState::Up);
        }
        break;
    case WM_TIMER:
        if (w == kRepeatTimer) {
            RepeatTimer();
            return 0;
        }
        break;
    case WM_ENABLE:
        if (w) state_ = down_ && groupIndex_ ? TButtonState::Exclusive : TButtonState::Up;
        else {
            state_ = TButtonState::Disabled;
            dragging_ = false;
            StopTimer();
        }
        Invalidate();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case BM_CLICK:
        // As a standard push button does for programs that press it.
        if (Enabled()) Click();
        return 0;
    case WM_SETTEXT: {
        LRESULT r = CustomControl::HandleMessage(m, w, l);
        Invalidate();
        return r;
    }
    case WM_SIZE:
        Invalidate();
        return 0;
    default:
        break;
    }
    return CustomControl::HandleMessage(m, w, l);
}

// Painting ----------------------------------------------------------------------------------

TButtonState TRxSpeedButton::DrawnState() const noexcept {
    if (!Enabled()) return TButtonState::Disabled;
    TButtonState s = state_;
    if (s == TButtonState::Disabled) s = down_ && groupIndex_ ? TButtonState::Exclusive : TButtonState::Up;
    if (flat_ && !mouseInControl_) return TButtonState::Inactive;
    return s;
}

RECT TRxSpeedButton::PaintFrame(HDC dc, RECT r, TButtonState drawn) const {
    const bool held = state_ == TButtonState::Down || state_ == TButtonState::Exclusive;
    if (drawn == TButtonState::Inactive && !held) {
        ::InflateRect(&r, -2, -2);
        return r;
    }
    const COLORREF frame = ::GetSysColor(COLOR_WINDOWFRAME), light = ::GetSysColor(COLOR_BTNHIGHLIGHT),
                   shadow = ::GetSysColor(COLOR_BTNSHADOW), face = ::GetSysColor(COLOR_BTNFACE);
    if (held) {
        if (NewLook()) {
            Frame3D(dc, r, frame, light, 1);
            if (!flat_) Frame3D(dc, r, shadow, face, 1);
        } else if (!flat_) {
            Frame3D(dc, r, frame, frame, 1);
            DrawLine(dc, r.left, r.bottom - 1, r.left, r.top, shadow);
            DrawLine(dc, r.left, r.top, r.right - 1, r.top, shadow);
        } else {
            Frame3D(dc, r, frame, light, 1);
        }
    } else if (NewLook()) {
        if (flat_) {
            Frame3D(dc, r, light, shadow, 1);
        } else {
            Frame3D(dc, r, light, frame, 1);
            Frame3D(dc, r, face, shadow, 1);
        }
    } else if (flat_) {
        Frame3D(dc, r, light, frame, 1);
    } else {
        Frame3D(dc, r, frame, frame, 1);
        Frame3D(dc, r, light, shadow, 1);
    }
    ::InflateRect(&r, -1, -1);
    return r;
}

void TRxSpeedButton::Paint(HDC dc, const RECT& client) const {
    const TButtonState drawn = DrawnState();
    framework::Brush face = SolidBrush(::GetSysColor(COLOR_BTNFACE));
    ::FillRect(dc, &client, face.get());
    if (Transparent && hwnd_) CopyParentBackground(hwnd_, dc);
    RECT content = PaintFrame(dc, client, drawn);
    const bool held = state_ == TButtonState::Down || state_ == TButtonState::Exclusive;
    if (state_ == TButtonState::Exclusive && (!Transparent || !flat_ || drawn == TButtonState::Inactive)) {
        // The dithered face of a button held down in its group.
        const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        framework::Bitmap bits(::CreateBitmap(8, 8, 1, 1, pattern));
        framework::Brush dither(::CreatePatternBrush(bits.get()));
        COLORREF oldText = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNFACE));
        COLORREF oldBack = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::FillRect(dc, &content, dither.get());
        ::SetTextColor(dc, oldText);
        ::SetBkColor(dc, oldBack);
    }
    if (held) ::OffsetRect(&content, 1, 1);
    PaintContent(dc, content, drawn);
}

void TRxSpeedButton::PaintContent(HDC dc, const RECT& content, TButtonState drawn) const {
    framework::SelectScope useFont(dc, CaptionFont());
    const bool mark = MarkDropDown && menu_;
    const bool h = HorizontalLayout(Layout);
    std::string caption = Caption();
    if (caption.size() > kMaxCaption) caption.resize(kMaxCaption);
    const SIZE glyph = glyph_.ImageSize();
    const int room = CaptionRoom(content, glyph, Layout, margin_, Spacing, mark);
    if (!WordWrap) caption = ShortenText(caption, dc, room);
    SIZE text{0, 0};
    if (!caption.empty()) {
        RECT calc{0, 0, WordWrap ? std::max(1, room) : 0, 0};
        ::DrawTextA(dc, caption.c_str(), -1, &calc, DT_CALCRECT | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE));
        text = {calc.right - calc.left, calc.bottom - calc.top};
        if (h) text.cx = std::min<LONG>(text.cx, room);
        else text.cy = std::min<LONG>(text.cy, room);
    }
    GlyphCaptionPlaces at = PlaceGlyphAndCaption({content, glyph, text, Layout, margin_, Spacing, mark});

    if (glyph.cx > 0) {
        TButtonState glyphState = drawn;
        if (!GrayedInactive && drawn == TButtonState::Inactive) glyphState = TButtonState::Up;
        glyph_.Draw(dc, at.glyph.x, at.glyph.y, glyphState);
    }
    const bool disabled = drawn == TButtonState::Disabled;
    if (!caption.empty()) {
        UINT flags = DT_VCENTER | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        flags |= Alignment == TTextAlignment::taLeftJustify ? DT_LEFT
                 : Alignment == TTextAlignment::taRightJustify ? DT_RIGHT : DT_CENTER;
        ::SetBkMode(dc, TRANSPARENT);
        RECT r = at.caption;
        if (disabled) {
            ::OffsetRect(&r, 1, 1);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::DrawTextA(dc, caption.c_str(), -1, &r, flags);
            ::OffsetRect(&r, -1, -1);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        } else {
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        }
        ::DrawTextA(dc, caption.c_str(), -1, &r, flags);
    }
    if (mark) {
        auto triangle = [&](int dx, int dy, COLORREF c) {
            for (int row = 0; row < kMarkHeight; ++row)
                DrawLine(dc, at.mark.x + dx + row, at.mark.y + dy + row, at.mark.x + dx + kMarkWidth - 1 - row,
                         at.mark.y + dy + row, c);
        };
        if (disabled) {
            triangle(1, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            triangle(0, 0, ::GetSysColor(COLOR_BTNSHADOW));
        } else {
            triangle(0, 0, ::GetSysColor(COLOR_BTNTEXT));
        }
    }
}

}  // namespace toolkit
