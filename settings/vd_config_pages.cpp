// TfrmVDConfig: the row of page buttons with their lit hover pictures, the
// engine options' hints, the background picture and dragging the borderless
// dialog by it.
#include <windowsx.h>
#include <algorithm>
#include "framework/guard.h"
#include "settings/vd_config.h"
#include "settings/vd_config_pages.h"
#include "toolkit/form_pictures.h"

namespace settings {
namespace {

// The controls of the engine options' sheet that explain themselves: the
// sheet itself and the options (their Tag is the hint's number; 0 hides it).
constexpr const char* kHintSheet = "tsCore";
constexpr const char* kHintControls[] = {"cbFollow", "cbStrict",      "cbDistIcons", "lbSnapShot",
                                         "cbDistQL", "cbLoad",        "cbIESepar",   "cbRetainFocus",
                                         "cbAsync",  "cbSysmenu"};

bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

bool CursorOver(HWND w, POINT cursor) {
    RECT r{};
    return w && ::GetWindowRect(w, &r) && ::PtInRect(&r, cursor);
}

}  // namespace

void TfrmVDConfig::SetUpPageRow() {
    for (int n = 1; n <= PageImages::kCount; ++n) {
        TPageImage& image = Images[n];
        framework::Guard([&] { image.LoadPicture(toolkit::pictures::ConfigImage(n)); });
        image.OnClick = [this, &image] { Image1Click(image.Tag); };
        if (n > PageImages::kButtons) image.SetVisible(false);
    }
    dragging_ = false;
    for (UINT msg : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP})
        OnMessage(msg, [this, msg](WPARAM, LPARAM l) -> LRESULT {
            DragBackground(msg, {GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            return 0;
        });
    OnMessage(WM_CAPTURECHANGED, [this](WPARAM, LPARAM) -> LRESULT {
        dragging_ = false;
        return 0;
    });
}

void TfrmVDConfig::Image1Click(int tag) { ShowPage(PageOfButton(tag, cbFollow.Checked())); }

void TfrmVDConfig::Timer1Timer() {
    if (!Handle() || !::IsWindowVisible(Handle())) return;
    POINT cursor{};
    if (::GetCursorPos(&cursor)) TickAt(cursor);
}

void TfrmVDConfig::TickAt(POINT cursor) {
    LightHoverPictures(cursor);
    TrackOptionHint(cursor);
}

void TfrmVDConfig::LightHoverPictures(POINT cursor) {
    for (int n = 1; n <= PageImages::kButtons; ++n) {
        const TPageImage& button = Images[n];
        if (button.Tag < 1 || button.Tag > 12) continue;
        for (int h = PageImages::kButtons + 1; h <= PageImages::kCount; ++h) {
            TPageImage& hover = Images[h];
            if (hover.Tag != button.Tag + kHoverTagOffset) continue;
            const bool lit = HoverLit(button.Tag, CursorOver(button.Handle(), cursor), FCurrentPage);
            if (lit == hover.Visible()) continue;
            // Above its button, so that it is seen and takes the clicks.
            if (lit) ::SetWindowPos(hover.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            hover.SetVisible(lit);
        }
    }
}

// A mouse move over the engine options' sheet or one of its options shows
// that option's hint; the children take the sheet's mouse messages, so the
// tick looks for them where the mouse has moved to. A disabled option does
// not take the mouse: the sheet under it does.
void TfrmVDConfig::TrackOptionHint(POINT cursor) {
    if (hintCursor_ && *hintCursor_ == cursor) return;
    hintCursor_ = cursor;
    const framework::Control* sheet = FindControl(kHintSheet);
    if (!sheet || !::IsWindowVisible(sheet->Handle())) return;
    if (::GetAncestor(::WindowFromPoint(cursor), GA_ROOT) != Handle()) return;   // another window is over it
    POINT at = cursor;
    ::ScreenToClient(sheet->Handle(), &at);
    RECT client{};
    ::GetClientRect(sheet->Handle(), &client);
    if (!::PtInRect(&client, at)) return;
    HWND under = ::ChildWindowFromPointEx(sheet->Handle(), at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (under == sheet->Handle()) return ShowOptionHint(sheet->Tag);
    for (const char* name : kHintControls)
        if (const framework::Control* c = FindControl(name); c && c->Handle() == under) return ShowOptionHint(c->Tag);
    // Any other control of the sheet keeps the hint as it is.
}

void TfrmVDConfig::ShowOptionHint(int tag) {
    if (auto hint = OptionHint(tag)) {
        lbHint.SetCaption(*hint);
        lbHint.SetVisible(true);
    } else {
        lbHint.SetVisible(false);   // the text stays for the next time
    }
}

void TfrmVDConfig::Paint(HDC dc, const RECT& client) {
    // Read at the first paint, not with the dialog at start: the picture
    // takes about 1 MB, and most runs never open the dialog.
    if (!backgroundRead_) {
        backgroundRead_ = true;
        framework::Guard([this] { background_ = toolkit::LoadFormBitmap(toolkit::pictures::kConfigBackground); });
    }
    if (!background_) return;
    framework::MemoryDc source(::CreateCompatibleDC(dc));
    framework::SelectScope picture(source.get(), background_.get());
    ::BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, source.get(), 0, 0, SRCCOPY);
}

// The background follows the mouse while its left button is held on it.
void TfrmVDConfig::DragBackground(UINT msg, POINT at) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    switch (msg) {
    case WM_LBUTTONDOWN:
        // Only the background itself: the pages are see-through to clicks.
        if (::ChildWindowFromPointEx(Handle(), at, CWP_SKIPINVISIBLE) != Handle()) return;
        dragging_ = true;
        dragFrom_ = cursor;
        ::SetCapture(Handle());
        break;
    case WM_MOUSEMOVE:
        if (!dragging_ || cursor == dragFrom_) return;
        SetPosition(Left() + cursor.x - dragFrom_.x, Top() + cursor.y - dragFrom_.y);
        dragFrom_ = cursor;
        break;
    case WM_LBUTTONUP:
        if (!dragging_) return;
        dragging_ = false;
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        break;
    default:
        break;
    }
}

}  // namespace settings
