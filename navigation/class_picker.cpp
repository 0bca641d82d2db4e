#include "navigation/class_picker.h"
#include <algorithm>
#include "engine/gtools.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/text.h"

namespace navigation {

TfrmClassPicker* frmClassPicker = nullptr;

namespace {

constexpr int kClientWidth = 360, kClientHeight = 128;

constexpr framework::ControlSpec kLayout[] = {
    {framework::Kind::Label, "Label3", nullptr, 10, 8, 340, 44, picker_texts::kExplain.data(), 0},
    {framework::Kind::Edit, "edClassName", nullptr, 10, 56, 340, 21, "", 0},
    {framework::Kind::Custom, "btnPick", nullptr, 10, 90, 100, 26, picker_texts::kPick.data(), 0},
    {framework::Kind::Custom, "btnOK", nullptr, 140, 90, 100, 26, picker_texts::kOK.data(), 0},
    {framework::Kind::Custom, "btnCancel", nullptr, 250, 90, 100, 26, picker_texts::kCancel.data(), 0},
};

constexpr framework::ControlSpec kOverlayLayout[] = {
    {framework::Kind::Label, "lbClass", nullptr, 2, 2, 158, 16, "", 0},
    {framework::Kind::Button, "btnSelect", nullptr, 2, 18, 76, 22, picker_texts::kSelect.data(), 0},
    {framework::Kind::Button, "btnCancel", nullptr, 80, 18, 76, 22, picker_texts::kCancel.data(), 0},
};

TPickFacts FactsOf(HWND w) {
    TPickFacts f;
    f.exists = ::IsWindow(w) != FALSE;
    if (!f.exists) return f;
    f.ownThread = ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId();
    f.visible = ::IsWindowVisible(w) != FALSE;
    f.minimised = ::IsIconic(w) != FALSE;
    ::GetWindowRect(w, &f.rect);
    return f;
}

std::string ClassNameOf(HWND w) {
    char name[kMaxPickedClassChars + 1] = {};
    const int n = ::GetClassNameA(w, name, static_cast<int>(sizeof name));
    return std::string(name, static_cast<size_t>(std::max(n, 0)));
}

SIZE ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace

// Pure rules -----------------------------------------------------------------------

bool PickableWindow(const TPickFacts& w) { return !w.ownThread && w.exists && w.visible && !w.minimised; }

bool WindowUnderCursor(const TPickFacts& w, POINT cursor) {
    return PickableWindow(w) && ::PtInRect(&w.rect, cursor);
}

RECT CutToScreen(RECT window, SIZE screen) {
    return {std::max<LONG>(window.left, 0), std::max<LONG>(window.top, 0), std::min<LONG>(window.right, screen.cx),
            std::min<LONG>(window.bottom, screen.cy)};
}

std::vector<RECT> OverlayParts(SIZE size) {
    const LONG w = std::max<LONG>(size.cx, 0), h = std::max<LONG>(size.cy, 0);
    const LONG f = kOverlayFrameWidth;
    std::vector<RECT> parts;
    auto add = [&](RECT r) {
        if (r.right > r.left && r.bottom > r.top) parts.push_back(r);
    };
    if (w <= 2 * f || h <= 2 * f) {
        add({0, 0, w, h});   // too small for a hole: the frame fills it
    } else {
        add({0, 0, w, f});
        add({0, h - f, w, h});
        add({0, f, f, h - f});
        add({w - f, f, w, h - f});
    }
    add(kOverlayBox);
    return parts;
}

bool InOverlayParts(const std::vector<RECT>& parts, POINT p) {
    return std::any_of(parts.begin(), parts.end(), [&](const RECT& r) { return ::PtInRect(&r, p) != FALSE; });
}

// The overlay -----------------------------------------------------------------------

TfrmClassOverlay::TfrmClassOverlay(TfrmClassPicker& picker, std::string className)
    : Form("frmClassOverlay"), picker_(picker), className_(std::move(className)) {
    lbClass.FontColor = RGB(255, 255, 255);
}

TfrmClassOverlay::~TfrmClassOverlay() = default;

void TfrmClassOverlay::CreateControls() {
    SetColor(kOverlayColor);
    ApplyLayout(kOverlayLayout);
    lbClass.SetCaption(className_);
    btnSelect.OnClick = [this] { picker_.OverlaySelect(*this); };
    btnCancel.OnClick = [this] { picker_.OverlayCancel(*this); };
}

void TfrmClassOverlay::ShowOver(RECT bounds) {
    const SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    framework::Region region(::CreateRectRgn(0, 0, 0, 0));
    for (const RECT& r : OverlayParts(size)) {
        framework::Region part(::CreateRectRgnIndirect(&r));
        ::CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
    }
    // The window owns the region from here on.
    if (::SetWindowRgn(Handle(), region.get(), FALSE)) region.release();
    ::SetWindowPos(Handle(), HWND_TOPMOST, bounds.left, bounds.top, size.cx, size.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// The picker --------------------------------------------------------------------------

std::string RunClassPicker() { return frmClassPicker ? frmClassPicker->RunClassPicker() : std::string(); }

TfrmClassPicker::TfrmClassPicker() : Form("frmClassPicker") {}

TfrmClassPicker::~TfrmClassPicker() = default;

void TfrmClassPicker::CreateControls() {
    SetCaption(picker_texts::kCaption);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    for (auto* b : {&btnPick, &btnOK, &btnCancel}) b->UseDialogLook();
    btnPick.OnClick = [this] { btnPickClick(); };
    btnOK.OnClick = [this] { ModalResult = framework::mrOk; };
    btnCancel.OnClick = [this] {
        edClassName.SetText("");
        ModalResult = framework::mrCancel;
    };
    CenterOnScreen();
}

void TfrmClassPicker::FormDestroy() {
    tPick.SetEnabled(false);
    overlays_.clear();
}

void TfrmClassPicker::FormShow() {
    btnOK.SetVisible(true);
    btnPick.SetCaption(picker_texts::kPick);
    ::ShowWindow(Handle(), SW_SHOW);   // the focus can only go to a shown window
    ::SetFocus(edClassName.Handle());
}

std::string TfrmClassPicker::RunClassPicker() {
    if (Visible()) return {};
    edClassName.SetText("");
    FPickIdle = true;
    const int result = ShowModal();
    // The close: whatever ended the dialog, picking stops and the frames go.
    tPick.SetEnabled(false);
    FPickIdle = true;
    if (result != framework::mrOk) edClassName.SetText("");
    FreeOverlays();
    FPickedClass.clear();
    return framework::Trim(edClassName.Text());
}

void TfrmClassPicker::SetPicking(bool picking) {
    FPickIdle = !picking;
    btnPick.SetCaption(picking ? picker_texts::kStop : picker_texts::kPick);
    btnOK.SetVisible(!picking);
    tPick.SetEnabled(picking);
    if (picking) return;
    FreeOverlays();
    // A new pick frames again whatever class it meets first.
    FPickedClass.clear();
}

void TfrmClassPicker::btnPickClick() { SetPicking(FPickIdle); }

void TfrmClassPicker::FreeOverlays() {
    overlays_.clear();
    FOverlayCount = 0;
}

void TfrmClassPicker::tPickTimer() {
    foundThisTick_ = false;
    if (FPickIdle) {
        SetPicking(false);
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    engine::ForEachTopWindow([&](HWND w) {
        if (!foundThisTick_) TestWindow(w, cursor);
    });
    engine::ForceForegroundWindow(Handle());
}

bool TfrmClassPicker::TestWindow(HWND w, POINT cursor) {
    if (!WindowUnderCursor(FactsOf(w), cursor)) return false;
    foundThisTick_ = true;
    std::string name = ClassNameOf(w);
    if (name != FPickedClass) {
        FPickedClass = std::move(name);
        ShowClassOverlays();
    }
    return true;
}

void TfrmClassPicker::ShowClassOverlays() {
    FreeOverlays();
    std::vector<HWND> windows;
    engine::ForEachTopWindow([&](HWND w) { windows.push_back(w); });
    for (HWND w : windows)
        if (PickableWindow(FactsOf(w)) && ClassNameOf(w) == FPickedClass) AddOverlay(w);
}

void TfrmClassPicker::AddOverlay(HWND w) {
    ++FOverlayCount;
    RECT r{};
    ::GetWindowRect(w, &r);
    auto overlay = std::make_unique<TfrmClassOverlay>(*this, FPickedClass);
    overlay->CreateHandle();
    overlay->ShowOver(CutToScreen(r, ScreenSize()));
    overlays_.push_back(std::move(overlay));
}

void TfrmClassPicker::OverlaySelect(TfrmClassOverlay& overlay) {
    FPickIdle = true;
    edClassName.SetText(FPickedClass);
    overlay.Hide();
    ModalResult = framework::mrOk;
}

void TfrmClassPicker::OverlayCancel(TfrmClassOverlay& overlay) {
    btnOK.SetVisible(true);
    FPickIdle = true;
    overlay.Hide();
}

}  // namespace navigation
