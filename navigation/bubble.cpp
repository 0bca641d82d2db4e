#include "navigation/bubble.h"
#include "navigation/overlay_style.h"
#include <shellapi.h>
#include <algorithm>
#include <vector>
#include "engine/main_form.h"
#include "framework/application.h"
#include "framework/owned.h"
#include "navigation/event_log_window.h"

namespace navigation {
namespace {

using framework::Kind;

constexpr int kClientWidth = 358;
constexpr int kClientHeight = 78;
constexpr int kCorner = 17;
constexpr std::string_view kDesktopMark = "desktop #";
constexpr COLORREF kBubbleColor = RGB(255, 255, 255);
constexpr COLORREF kBubbleEdge = 0xA86216;
constexpr COLORREF kBubbleInk = RGB(0, 0, 0);

constexpr framework::ControlSpec kLayout[] = {
    {Kind::Label, "lbTitle", nullptr, 12, 6, 280, 16, bubble_texts::kTitle.data(), 0},
    {Kind::Custom, "btnClose", nullptr, 330, 5, 22, 22, bubble_texts::kClose.data(), 0},
    {Kind::Label, "lbText", nullptr, 12, 26, 334, 24, "", 0},
    {Kind::Custom, "sbFollow", nullptr, 200, 50, 150, 24, bubble_texts::kFollow.data(), 0},
};

// The bubbles shown and not yet handed to the main form.
std::vector<std::unique_ptr<TfrmBubble>>& Shown() {
    static std::vector<std::unique_ptr<TfrmBubble>> shown;
    return shown;
}

int alive = 0;

HWND NewestEventWindow() { return engine::frmPTessarel ? engine::frmPTessarel->LastEventWindow() : nullptr; }

bool CursorInside(HWND w) {
    POINT at;
    RECT r;
    return ::GetCursorPos(&at) && ::GetWindowRect(w, &r) && ::PtInRect(&r, at);
}

}  // namespace

// Rules -----------------------------------------------------------------------------
int ParseEventDesktop(std::string_view text) {
    size_t at = text.find(kDesktopMark);
    if (at == std::string_view::npos) return 0;
    size_t next = at + kDesktopMark.size();
    if (next >= text.size()) return 0;
    return static_cast<unsigned char>(text[next]) & 0x0F;
}

std::optional<POINT> BubblePosition(UINT edge, const RECT& tb, int W, int H, int w, int h, int i) {
    int tbh = tb.bottom - tb.top;
    int tbw = tb.right - tb.left;
    auto perColumn = [](int space) { return std::max(1, space / kBubbleRowPitch); };   // a tiny screen still holds one
    switch (edge) {
    case ABE_BOTTOM: {
        int n = perColumn(H - tbh);
        return POINT{W - w - (i / n) * kBubbleColumnPitch, H - tbh - h - (i % n) * kBubbleRowPitch};
    }
    case ABE_TOP: {
        int n = perColumn(H - tbh);
        return POINT{W - w - 24 - (i / n) * kBubbleColumnPitch, tb.bottom + (i % n) * kBubbleRowPitch};
    }
    case ABE_LEFT: {
        int n = perColumn(H);
        return POINT{tb.right + (i / n) * kBubbleColumnPitch, H - h - (i % n) * kBubbleRowPitch};
    }
    case ABE_RIGHT: {
        int n = perColumn(H);
        return POINT{W - tbw - w - (i / n) * kBubbleColumnPitch, H - h - (i % n) * kBubbleRowPitch};
    }
    default:
        return std::nullopt;
    }
}

std::optional<BYTE> BubbleOpacity(int life) {
    if (life >= 1 && life <= kBubbleFadeTicks) return static_cast<BYTE>(life * 10 + 140);
    if (life > kBubbleFadeTicks && life <= 100) return kBubbleOpacity;
    return std::nullopt;
}

// The label --------------------------------------------------------------------------
DWORD TBubbleLabel::WindowStyle() const { return Label::WindowStyle() | SS_NOTIFY; }

void TBubbleLabel::OnCommand(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

HBRUSH TBubbleLabel::OnColor(HDC dc) {
    static const framework::Brush background(::CreateSolidBrush(kBubbleColor));
    ::SetTextColor(dc, kBubbleInk);
    ::SetBkColor(dc, kBubbleColor);
    return background.get();
}

// The bubble -----------------------------------------------------------------------
TfrmBubble::TfrmBubble() : Form("frmBubble") {
    ++alive;
    lbText.OnClick = [this] { lbTextClick(); };
    sbFollow.OnClick = [this] { sbFollowClick(); };
    btnClose.OnClick = [this] { btnCloseClick(); };
}

TfrmBubble::~TfrmBubble() {
    tBubble.SetEnabled(false);
    DestroyHandle();
    --alive;
}

DWORD TfrmBubble::InitialExStyle() const { return kOverlayExStyle; }

void TfrmBubble::CreateControls() {
    btnClose.UseDialogLook();
    sbFollow.Layout = toolkit::TButtonLayout::blGlyphLeft;   // a caption alone, across the button
    ApplyLayout(kLayout);
}

void TfrmBubble::FormCreate() {
    SetColor(kBubbleColor);
    SetBounds(::GetSystemMetrics(SM_CXSCREEN) - kClientWidth, ::GetSystemMetrics(SM_CYSCREEN) - kClientHeight,
              kClientWidth, kClientHeight);
    framework::Region rounded(::CreateRoundRectRgn(0, 0, ClientWidth() + 1, ClientHeight() + 1, kCorner, kCorner));
    if (rounded && ::SetWindowRgn(Handle(), rounded.get(), FALSE)) rounded.release();   // the window owns it now
}

void TfrmBubble::Paint(HDC dc, const RECT& client) {
    framework::Pen pen(::CreatePen(PS_SOLID, 1, kBubbleEdge));
    framework::SelectScope selPen(dc, pen.get());
    framework::SelectScope selBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, client.left, client.top, client.right, client.bottom, kCorner, kCorner);
}

void TfrmBubble::PlaceBubble() {
    int others = std::max(0, BubblesAlive() - 1);
    APPBARDATA abd{};
    abd.cbSize = sizeof abd;
    abd.uEdge = ~0u;   // a failed question keeps the layout's position
    ::SHAppBarMessage(ABM_GETTASKBARPOS, &abd);
    auto at = BubblePosition(abd.uEdge, abd.rc, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                             Width(), Height(), others);
    if (at) SetPosition(at->x, at->y);
}

void TfrmBubble::EndLife() {
    ::ShowWindow(Handle(), SW_HIDE);
    tBubble.SetEnabled(false);
    if (engine::frmPTessarel) engine::frmPTessarel->RegisterBubble(this);   // may move this bubble's owner
}

void TfrmBubble::tBubbleTimer() {
    if (!Handle()) return;
    if (CursorInside(Handle())) {
        SetAlpha(kBubbleOpacity, true);
    } else {
        if (auto opacity = BubbleOpacity(FLife)) SetAlpha(*opacity, true);
        if (--FLife <= 0) {
            EndLife();
            return;
        }
    }
    // Closed with "x": gone at this tick even under the mouse, and its timer
    // stops too, or the engine could never free it.
    if (FLife < 0) EndLife();
}

void TfrmBubble::btnCloseClick() { FLife = -1; }

void TfrmBubble::sbFollowClick() {
    if (FEventDesktop <= 0) return;
    engine::TfrmPTessarel* main = engine::frmPTessarel;
    if (!main) return;
    if (FEventWindow) main->FLastActiveWindow[static_cast<size_t>(std::clamp(FEventDesktop, 1, 9))] = FEventWindow;
    main->RequestDesktop(FEventDesktop);
}

void TfrmBubble::lbTextClick() {
    if (frmLog) frmLog->Show();
}

// The unit's bubbles ---------------------------------------------------------------
int BubblesAlive() noexcept { return alive; }

std::unique_ptr<TfrmBubble> TakeBubble(TfrmBubble* bubble) noexcept {
    auto& shown = Shown();
    auto it = std::find_if(shown.begin(), shown.end(), [bubble](const auto& b) { return b.get() == bubble; });
    if (it == shown.end()) return nullptr;
    std::unique_ptr<TfrmBubble> owned = std::move(*it);
    shown.erase(it);
    return owned;
}

void FreeBubbles() noexcept {
    auto gone = std::move(Shown());
    Shown().clear();
    gone.clear();
}

void ShowBubble(std::string_view text) {
    TfrmBubble* bubble = nullptr;
    try {
        Shown().push_back(std::make_unique<TfrmBubble>());
        bubble = Shown().back().get();
        bubble->CreateHandle();
        bubble->PlaceBubble();
        bubble->FEventDesktop = 0;
        bubble->FEventWindow = nullptr;
        bubble->tBubble.SetEnabled(true);
        if (!text.empty()) {
            bubble->lbText.SetCaption(text);
        } else {
            std::string line;
            if (frmLog && frmLog->LineCount() > 0) {
                line = frmLog->Line(0);
                bubble->FEventDesktop = ParseEventDesktop(line);
                bubble->FEventWindow = NewestEventWindow();
            }
            bubble->lbText.SetCaption(line);
        }
        bubble->FLife = kBubbleLife;
        bubble->SetAlpha(kBubbleOpacity, true);
        bubble->sbFollow.SetEnabled(bubble->FEventDesktop > 0);
        ::ShowWindow(bubble->Handle(), SW_SHOWNA);
        bubble->Repaint();
    } catch (...) {
        // A bubble is a courtesy; one that cannot come up is dropped.
        if (bubble) (void)TakeBubble(bubble);
    }
}

}  // namespace navigation
