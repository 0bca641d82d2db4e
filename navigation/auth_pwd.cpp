#include "navigation/auth_pwd.h"
#include <windowsx.h>
#include <utility>
#include "engine/main_form.h"
#include "engine/subsystem_links.h"
#include "framework/guard.h"
#include "navigation/chg_pwd.h"
#include "navigation/enter_pwd.h"
#include "settings/settings_access.h"
#include "toolkit/form_pictures.h"

namespace navigation {

TfrmAuthPwd* frmAuthPwd = nullptr;

namespace {

// The pictures: the strip imLeft at the left edge, the centre imMid beside
// it, and the strip again to the right of the centre up to 1800 pixels.
constexpr int kStripWidth = 120, kMidWidth = 480, kPictureHeight = 600;
constexpr int kStripCopies = 10;
// Where the centre picture draws the field, the buttons, the reason and the
// result line (picture coordinates).
constexpr RECT kFieldInMid{114, 0, 366, 14};   // the edit's left and right; its top follows the screen
constexpr RECT kOKInMid{140, 320, 230, 346};
constexpr RECT kGobackInMid{250, 320, 340, 346};
constexpr RECT kReasonInMid{10, 92, 470, 146};
constexpr RECT kResultInMid{10, 356, 470, 380};
constexpr int kFieldAboveCentre = 19;
constexpr int kReasonFontHeight = 23;
constexpr COLORREF kReasonColor = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kResultColor = RGB(0xFF, 0x30, 0x30);
constexpr COLORREF kButtonTextColor = RGB(0x18, 0x30, 0x48);

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "lbReason", nullptr, 0, 0, 10, 10, "", 0},
    {framework::Kind::Label, "lbResult", nullptr, 0, 0, 10, 10, "", 0},
    {framework::Kind::Edit, "edPwd", nullptr, 0, 0, 10, 10, "", 0},
};

RECT Offset(const RECT& r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

void SetBoundsOf(framework::Control& c, const RECT& r) { c.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }

void AddStyle(HWND w, int which, LONG add, LONG remove) {
    const LONG style = ::GetWindowLongA(w, which);
    ::SetWindowLongA(w, which, (style | add) & ~remove);
    ::SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

framework::Font BoldFont(int height) {
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    if (height) {
        lf.lfHeight = -height;
        lf.lfWidth = 0;
    }
    return framework::Font(::CreateFontIndirectA(&lf));
}

// Another window of the lock in front, which the cover must not push back.
bool LockDialogOpen() {
    return (frmEnterPwd && frmEnterPwd->Visible()) || (frmChgPwd && frmChgPwd->Visible());
}

}  // namespace

int GoBackTarget(int previous, int current, int desktopCount, const std::function<bool(int)>& isPrivate) {
    if (previous != current && previous >= 1 && previous <= desktopCount) return previous;
    for (int d = 1; d <= desktopCount; ++d)
        if (d != current && !isPrivate(d)) return d;
    return 0;
}

bool LockCoverVisible() { return frmAuthPwd && frmAuthPwd->Visible(); }

TfrmAuthPwd::TfrmAuthPwd() : Form("frmAuthPwd") {
    edPwd.Password = true;
    edPwd.MaxLength = kMaxLockPasswordChars;
    lbReason.FontColor = kReasonColor;
    lbResult.FontColor = kResultColor;
}

TfrmAuthPwd::~TfrmAuthPwd() = default;

void TfrmAuthPwd::CreateControls() {
    SetColor(kCoverColor);
    DoubleBuffered = true;
    ApplyLayout(kLayout);
    ::SendMessageA(edPwd.Handle(), EM_SETPASSWORDCHAR, '*', 0);
    AddStyle(edPwd.Handle(), GWL_EXSTYLE, 0, WS_EX_CLIENTEDGE);   // the picture draws its frame
    for (auto* label : {&lbReason, &lbResult}) AddStyle(label->Handle(), GWL_STYLE, SS_CENTER, SS_LEFT);
    reasonFont_ = BoldFont(kReasonFontHeight);
    boldFont_ = BoldFont(0);
    ::SendMessageA(lbReason.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(reasonFont_.get()), FALSE);
    ::SendMessageA(lbResult.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    lbResult.SetCaption(cover_texts::kInvalid);
    lbResult.SetVisible(false);

    keys_.When = TEnterEscKeys::Trigger::KeyUp;
    keys_.OnEnter = [this] { btnOKClick(); };
    keys_.OnEsc = [this] { btnGobackClick(); };
    keys_.Attach(edPwd.Handle());
    OnMessage(WM_LBUTTONDOWN, [this](WPARAM, LPARAM l) -> LRESULT {
        const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        pressed_ = nullptr;
        for (const RECT* r : {&btnOK_, &btnGoback_})
            if (::PtInRect(r, p)) pressed_ = r;
        if (pressed_) ::SetCapture(Handle());
        return 0;
    });
    OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM l) -> LRESULT {
        MouseUp({GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    });
    PlaceControls();
}

void TfrmAuthPwd::FormDestroy() { keys_.DetachAll(); }

// The pictures take about 1.5 MB once drawn: they are made when the cover
// first comes up, not for every start of a program whose desktops are
// mostly never locked.
void TfrmAuthPwd::LoadPictures() {
    if (imMid.Canvas()) return;
    const struct {
        framework::Image& image;
        const char* name;
        int width;
    } pictures[] = {{imLeft, toolkit::pictures::kLockLeft, kStripWidth}, {imMid, toolkit::pictures::kLockMid, kMidWidth}};
    for (const auto& p : pictures) {
        p.image.SetPictureSize(p.width, kPictureHeight);
        RECT all{0, 0, p.width, kPictureHeight};
        framework::Brush background(::CreateSolidBrush(kCoverColor));
        ::FillRect(p.image.Canvas(), &all, background.get());
        // A picture that cannot be read leaves the cover's colour: the cover
        // must come up whatever happened to its resources.
        framework::Guard([&] {
            framework::Bitmap bitmap = toolkit::LoadFormBitmap(p.name, kCoverColor);
            framework::MemoryDc source(::CreateCompatibleDC(p.image.Canvas()));
            framework::SelectScope select(source.get(), bitmap.get());
            ::BitBlt(p.image.Canvas(), 0, 0, p.width, kPictureHeight, source.get(), 0, 0, SRCCOPY);
        });
    }
}

void TfrmAuthPwd::PlaceControls() {
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    SetBounds(0, 0, width, height);
    picturesTop_ = height / 2 - kPictureHeight / 2;
    imLeft.SetBounds(0, picturesTop_, kStripWidth, kPictureHeight);
    imMid.SetBounds(kStripWidth, picturesTop_, kMidWidth, kPictureHeight);
    const int fieldTop = height / 2 - kFieldAboveCentre;
    edPwd.SetBounds(kStripWidth + kFieldInMid.left, fieldTop, kFieldInMid.right - kFieldInMid.left,
                    kFieldInMid.bottom - kFieldInMid.top);
    SetBoundsOf(lbReason, Offset(kReasonInMid, kStripWidth, picturesTop_));
    SetBoundsOf(lbResult, Offset(kResultInMid, kStripWidth, picturesTop_));
    btnOK_ = Offset(kOKInMid, kStripWidth, picturesTop_);
    btnGoback_ = Offset(kGobackInMid, kStripWidth, picturesTop_);
}

void TfrmAuthPwd::Paint(HDC dc, const RECT&) {
    LoadPictures();
    imLeft.PaintTo(dc);
    for (int i = 1; i <= kStripCopies; ++i)
        ::BitBlt(dc, kStripWidth * i + kMidWidth, picturesTop_, kStripWidth, kPictureHeight, imLeft.Canvas(), 0, 0,
                 SRCCOPY);
    imMid.PaintTo(dc);
    PaintButton(dc, btnOK_, cover_texts::kOK);
    PaintButton(dc, btnGoback_, cover_texts::kGoBack);
}

void TfrmAuthPwd::PaintButton(HDC dc, const RECT& r, std::string_view caption) const {
    framework::SelectScope font(dc, boldFont_.get());
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, kButtonTextColor);
    RECT box = r;
    ::DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &box,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

void TfrmAuthPwd::MouseUp(POINT at) {
    const RECT* pressed = std::exchange(pressed_, nullptr);
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    // A click is a press and a release on the same button.
    if (!pressed || !::PtInRect(pressed, at)) return;
    if (pressed == &btnOK_)
        btnOKClick();
    else
        btnGobackClick();
}

void TfrmAuthPwd::ShowAuthCover(std::string_view reason) {
    const engine::TfrmPTessarel* main = engine::frmPTessarel;
    if (!main || main->FDesktopUnlocked) {
        HideAuthCover();
        return;
    }
    if (!Visible()) {
        lbReason.SetCaption(reason);
        lbResult.SetVisible(false);
        edPwd.SetText("");
        LoadPictures();
        PlaceControls();
        Show();
        engine::links::UpdateDeskName(main->FCurrentDesktop);   // it stays hidden while the cover shows
        ::ShowWindow(Handle(), SW_SHOW);
    }
    // At every tick the cover comes back in front of whatever came up, but
    // not in front of the lock's own prompts, which sit above it.
    if (LockDialogOpen()) return;
    ::BringWindowToTop(Handle());
    ::SetForegroundWindow(Handle());
    if (::GetFocus() != edPwd.Handle()) ::SetFocus(edPwd.Handle());
}

void TfrmAuthPwd::HideAuthCover() {
    if (!Visible()) return;
    Hide();
    ::ShowWindow(Handle(), SW_HIDE);
    if (engine::frmPTessarel) engine::links::UpdateDeskName(engine::frmPTessarel->FCurrentDesktop);
}

void TfrmAuthPwd::btnOKClick() {
    engine::TfrmPTessarel* main = engine::frmPTessarel;
    // A second OK while the first one's pause runs waits for nothing: the
    // first one answers.
    if (!main || checking_) return;
    checking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{checking_};
    // The password opens the desktop it was typed for: the engine runs on
    // during the check, and may have switched meanwhile.
    const int desktop = main->FCurrentDesktop;
    const bool right = CheckLockPassword(edPwd.Text(), true);
    if (!right) {
        if (Visible()) ShowResult();
        return;
    }
    if (main->FCurrentDesktop != desktop || main->FRequestedDesktop != desktop) return;
    HideAuthCover();
    main->FDesktopUnlocked = true;
    main->ShowDesktopWindows();
}

void TfrmAuthPwd::ShowResult() {
    lbResult.SetVisible(true);
    // Transparent over the picture: the picture first, then the text.
    RECT r = lbResult.Bounds();
    ::RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TfrmAuthPwd::btnGobackClick() {
    engine::TfrmPTessarel* main = engine::frmPTessarel;
    if (!main) return;
    const int target = GoBackTarget(main->FPreviousDesktop, main->FCurrentDesktop, main->DesktopCount(),
                                    [](int d) { return settings::IsPrivate(d); });
    if (target == 0) return;   // every desktop is private: there is nowhere else to go
    engine::links::ApplyDesktopDisplay(target);
    main->RequestDesktop(target);
    HideAuthCover();
}

}  // namespace navigation
