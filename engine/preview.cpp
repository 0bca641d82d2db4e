// The desktop preview: its controls and layout, showing and placing it, the
// mouse on its thumbnails, and the two window moves it shares with the menus.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdlib>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/preview_layout.h"
#include "engine/window_rules.h"
#include "settings/settings_access.h"

namespace engine {
namespace {

namespace texts {
constexpr char kCloseHint[] = "Close preview window";
constexpr char kHelpHint[] = "Get help NOW!";
constexpr std::string_view kLeavePrivate =
    "You attemp to move a window out from a private desktop. You must enter your desktop lock password to proceed!";
constexpr std::string_view kApplicationSent = "% application sent to desktop #";
constexpr std::string_view kWindowSent = "% window sent to desktop #";
constexpr std::string_view kByUser = ", triggered by user action";
}  // namespace texts

constexpr char kLabelFace[] = "Tahoma";
constexpr COLORREF kLabelColor = 0x2020D0;
// The close and help buttons on the left bar.
constexpr RECT kSpeedButton1{2, 3, 22, 23};
constexpr RECT kBtnHelp{2, 26, 22, 46};

// Exactly the left button: no other button, no Shift or Ctrl (the key
// state of a mouse message), and no Alt.
bool LeftButtonAlone(WPARAM keys) {
    constexpr WPARAM kTracked = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL | MK_XBUTTON1 | MK_XBUTTON2;
    return (keys & kTracked) == MK_LBUTTON && ::GetKeyState(VK_MENU) >= 0;
}

SIZE ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

POINT PointFrom(LPARAM at) { return {GET_X_LPARAM(at), GET_Y_LPARAM(at)}; }

// Moves a window dragged in the preview without changing its size. A
// minimised window keeps the system's parking place; any other keeps its
// title bar on the work area.
void MoveDraggedWindow(HWND w, POINT wanted) {
    POINT at = wanted;
    RECT r{}, area{};
    if (!::IsIconic(w) && ::GetWindowRect(w, &r) &&
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        POINT client{0, 0};
        ::ClientToScreen(w, &client);
        const int title = std::max(static_cast<int>(client.y - r.top), ::GetSystemMetrics(SM_CYCAPTION));
        at = preview::KeepTitleBarOn(area, wanted, {r.right - r.left, r.bottom - r.top}, title);
    }
    ::SetWindowPos(w, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

}  // namespace

// Controls ---------------------------------------------------------------------

void TfrmPTessarel::CreateControls() {
    for (int k = 1; k <= 9; ++k) {
        const auto i = static_cast<size_t>(k - 1);
        images_[i] = std::make_unique<framework::Image>("Image" + std::to_string(k), k);
        images_[i]->SetVisible(false);
        auto label = std::make_unique<framework::GraphicLabel>("Label" + std::to_string(k), preview::kLabelTags[i]);
        label->RightAligned = true;
        label->WordWrap = true;
        label->FontColor = kLabelColor;
        label->SetVisible(false);   // its font comes with the first layout
        labels_[i] = std::move(label);
    }
    imLocked.SetVisible(false);
    imLocked.SetPictureSize(100, 100);
    DrawPadlock(imLocked.Canvas(), 100);
    speedButton1_ = kSpeedButton1;
    btnHelp_ = kBtnHelp;
    RegisterPreviewMouse();
}

void TfrmPTessarel::CreateHint() {
    if (hintWindow_) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    hintWindow_ = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ::GetModuleHandleA(nullptr),
                                    nullptr);
    if (!hintWindow_) return;   // the buttons work without their hints
    auto addTool = [this](UINT_PTR id, const RECT& rect, const char* text) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = id;
        tool.rect = rect;
        tool.lpszText = const_cast<char*>(text);
        ::SendMessageA(hintWindow_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    };
    addTool(1, speedButton1_, texts::kCloseHint);
    addTool(2, btnHelp_, texts::kHelpHint);
}

framework::Image* TfrmPTessarel::Thumbnail(int desktop) {
    for (auto& i : images_)
        if (i && i->Tag == desktop) return i.get();
    return nullptr;
}

framework::GraphicLabel* TfrmPTessarel::DesktopLabel(int desktop) {
    for (auto& l : labels_)
        if (l && l->Tag == desktop) return l.get();
    return nullptr;
}

SIZE TfrmPTessarel::ThumbSize() const { return {images_[0]->Width(), images_[0]->Height()}; }

// Layout -------------------------------------------------------------------------

void TfrmPTessarel::LayoutPreview(int cellWidth, int cellHeight) {
    // Before the window and its thumbnails exist there is nothing to lay
    // out; the windows and the menus still keep to the grid.
    KeepWindowsInGrid();
    ShowDesktopMenuItems();
    if (!images_[0]) return;
    for (auto& i : images_) i->SetVisible(false);
    for (auto& l : labels_) l->SetVisible(false);
    imLocked.SetVisible(false);

    const preview::Grid grid = preview::LayoutGrid(FGridCols, FGridRows, {cellWidth, cellHeight});
    const bool showNames = settings::Flag("desknum");
    for (int n = 1; n <= IntMin(grid.Count(), 9); ++n) {
        const RECT r = grid.Thumb(n);
        framework::Image& image = *Thumbnail(n);
        image.SetBounds(r.left, r.top, grid.pitchW, grid.pitchH);
        image.SetPictureSize(grid.pitchW, grid.pitchH);
        image.SetVisible(true);

        framework::GraphicLabel& label = *DesktopLabel(n);
        label.SetBounds(r.left, r.top, grid.pitchW, grid.pitchH);
        const std::string name = settings::DesktopName(n);
        label.SetFont(kLabelFace, preview::kLabelLargePoints, true);
        label.SetFont(kLabelFace, preview::LabelPoints(grid.pitchW, label.TextWidth(name)), true);
        label.SetCaption(name + " ");
        label.SetVisible(showNames);
    }
    const SIZE client = grid.Client();
    SetClientSize(client.cx, client.cy);
    Invalidate();
}

void TfrmPTessarel::FormShow() {
    const SIZE cell = preview::CellSize(settings::Int("prevsize"));
    LayoutPreview(cell.cx, cell.cy);
    const preview::Alpha alpha = preview::PreviewAlpha(settings::Int("transparency"));
    SetExStyle(WS_EX_TOOLWINDOW | (alpha.enabled ? WS_EX_LAYERED : 0));
    if (alpha.enabled) SetAlpha(alpha.value, true);
}

void TfrmPTessarel::ApplyPreviewTransparency(int transparency) {
    if (!Handle()) return;
    const preview::Alpha alpha = preview::PreviewAlpha(transparency);
    if (alpha.enabled) {
        SetAlpha(alpha.value, true);
    } else {
        SetAlpha(255, false);
        if (ExStyle() & WS_EX_LAYERED) SetExStyle(ExStyle() & ~static_cast<DWORD>(WS_EX_LAYERED));
    }
}

void TfrmPTessarel::HideOtherLabels(const framework::GraphicLabel* sender) {
    if (!labels_[0]) return;
    const bool showNames = settings::Flag("desknum");
    const int count = DesktopCount();
    for (auto& l : labels_)
        if (l->Tag > 0) l->SetVisible(l.get() != sender && showNames && l->Tag <= count);
    Invalidate();
}

// Showing and placing -----------------------------------------------------------

void TfrmPTessarel::ShowPreview(int origin) {
    if (!Visible()) frontBeforePreview_ = ::GetForegroundWindow();
    CreateHint();   // made at the first showing: the start stays quick
    // Laid out first: the placement measures the window at its new size.
    FormShow();
    RefreshPreview();
    HideOtherLabels(nullptr);
    SetStayOnTop(true);
    if (origin == preview::kOriginTaskbar)
        PlacePreviewAtTaskbar();
    else
        PlacePreviewAtMouse();
    links::HideAppList();
    ::ShowWindow(Handle(), SW_SHOW);
}

void TfrmPTessarel::TogglePreview() {
    if (Visible())
        HidePreview();
    else
        ShowPreview(preview::kOriginMouse);
}

void TfrmPTessarel::ShowPreviewFromTray() {
    if (!Visible()) ShowPreview(preview::kOriginTaskbar);
}

void TfrmPTessarel::HidePreview() {
    if (!Handle()) return;
    const bool shown = ::IsWindowVisible(Handle()) != FALSE;
    Hide();
    ::ShowWindow(Handle(), SW_HIDE);
    // Closed without a switch, the preview leaves the keys with the window
    // that had them; a switch gives them to the new desktop's window.
    if (shown && FRequestedDesktop == FCurrentDesktop) ReturnKeyboardFocus(frontBeforePreview_);
}

void TfrmPTessarel::PlacePreviewAtTaskbar() {
    previewOrigin_ = preview::kOriginTaskbar;
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    if (!::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return;
    if (auto at = preview::TaskbarPlacement(bar.uEdge, bar.rc, ScreenSize(), {Width(), Height()}))
        SetPosition(at->x, at->y);
}

void TfrmPTessarel::PlacePreviewAtMouse() {
    previewOrigin_ = preview::kOriginMouse;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const POINT at = preview::MousePlacement(settings::Int("opendeskat") == 1, cursor, ScreenSize(), {Width(), Height()});
    SetPosition(at.x, at.y);
}

// The mouse ----------------------------------------------------------------------
// The thumbnails and labels have no windows: the form finds the control under
// the mouse, labels above thumbnails.

void TfrmPTessarel::RegisterPreviewMouse() {
    auto down = [this](MouseButton b) {
        return [this, b](WPARAM, LPARAM l) -> LRESULT {
            PreviewMouseDown(b, l);
            return 0;
        };
    };
    OnMessage(WM_LBUTTONDOWN, down(MouseButton::Left));
    OnMessage(WM_LBUTTONDBLCLK, down(MouseButton::Left));
    OnMessage(WM_RBUTTONDOWN, down(MouseButton::Right));
    OnMessage(WM_RBUTTONDBLCLK, down(MouseButton::Right));
    OnMessage(WM_MBUTTONDOWN, down(MouseButton::Middle));
    OnMessage(WM_MBUTTONDBLCLK, down(MouseButton::Middle));
    OnMessage(WM_LBUTTONUP, [this](WPARAM w, LPARAM l) -> LRESULT {
        PreviewMouseUp(w, l);
        return 0;
    });
    auto releaseWhenUp = [this](WPARAM w) {
        if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && ::GetCapture() == Handle()) ::ReleaseCapture();
    };
    OnMessage(WM_RBUTTONUP, [this, releaseWhenUp](WPARAM w, LPARAM l) -> LRESULT {
        releaseWhenUp(w);
        // The thumbnails' popup menu: the window picked by the press.
        if (Visible() && dynamic_cast<framework::Image*>(PreviewControlAt(PointFrom(l)))) PopupPreviewMenu();
        return 0;
    });
    OnMessage(WM_MBUTTONUP, [releaseWhenUp](WPARAM w, LPARAM) -> LRESULT {
        releaseWhenUp(w);
        return 0;
    });
    OnMessage(WM_MOUSEMOVE, [this](WPARAM w, LPARAM l) -> LRESULT {
        PreviewMouseMove(w, l);
        return 0;
    });
    OnMessage(WM_CAPTURECHANGED, [this](WPARAM, LPARAM) -> LRESULT {
        pressedControl_ = nullptr;
        speedButtonPressed_ = false;
        helpButtonPressed_ = false;
        return 0;
    });
}

framework::GraphicControl* TfrmPTessarel::PreviewControlAt(POINT p) {
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it)
        if ((*it)->Visible() && (*it)->Holds(p)) return it->get();
    for (auto it = images_.rbegin(); it != images_.rend(); ++it)
        if ((*it)->Visible() && (*it)->Holds(p)) return it->get();
    return nullptr;
}

void TfrmPTessarel::PreviewMouseDown(MouseButton button, LPARAM at) {
    const POINT p = PointFrom(at);
    if (::GetCapture() != Handle()) ::SetCapture(Handle());
    if (button == MouseButton::Left && ::PtInRect(&speedButton1_, p)) {
        speedButtonPressed_ = true;
        return;
    }
    if (button == MouseButton::Left && ::PtInRect(&btnHelp_, p)) {
        helpButtonPressed_ = true;
        return;
    }
    framework::GraphicControl* c = PreviewControlAt(p);
    if (button == MouseButton::Left) pressedControl_ = c;
    if (auto* image = dynamic_cast<framework::Image*>(c))
        Image1MouseDown(*image, button, p.x - image->Left(), p.y - image->Top());
}

void TfrmPTessarel::PreviewMouseUp(WPARAM keys, LPARAM at) {
    const POINT p = PointFrom(at);
    const framework::GraphicControl* pressed = std::exchange(pressedControl_, nullptr);
    const bool speedButton = std::exchange(speedButtonPressed_, false);
    const bool helpButton = std::exchange(helpButtonPressed_, false);
    if (!(keys & (MK_RBUTTON | MK_MBUTTON)) && ::GetCapture() == Handle()) ::ReleaseCapture();
    // A click is a press and a release on the same control.
    if (speedButton) {
        if (::PtInRect(&speedButton1_, p)) SpeedButton1Click();
        return;
    }
    if (helpButton) {
        if (::PtInRect(&btnHelp_, p)) btnHelpClick();
        return;
    }
    if (!pressed || !pressed->Visible() || !pressed->Holds(p)) return;
    for (auto& i : images_)
        if (i.get() == pressed) return Image1Click(*i);
    for (auto& l : labels_)
        if (l.get() == pressed) return Label1Click(*l);
}

void TfrmPTessarel::PreviewMouseMove(WPARAM keys, LPARAM at) {
    // A preview that closed under a held button moves nothing unseen.
    if (!Visible()) return;
    const POINT p = PointFrom(at);
    framework::GraphicControl* c = PreviewControlAt(p);
    if (c != hoveredControl_) {
        hoveredControl_ = c;
        if (auto* label = dynamic_cast<framework::GraphicLabel*>(c)) {
            // Entering a label hides it: the thumbnail behind it is what the
            // mouse is after.
            HideOtherLabels(label);
            c = PreviewControlAt(p);
            hoveredControl_ = c;
        }
    }
    if (auto* image = dynamic_cast<framework::Image*>(c))
        Image1MouseMove(*image, keys, p.x - image->Left(), p.y - image->Top());
}

// Picking and dragging ------------------------------------------------------------

bool TfrmPTessarel::PreviewHitTest(HWND w) {
    if (!::IsWindow(w)) return false;
    const int idx = FindWindowRecord(w);
    if (idx < 0 || !WindowShownOnDesktop(w, FPressedDesktop) || IsUnmanagedWindow(w, idx)) return false;
    RECT r{};
    return ::GetWindowRect(w, &r) && preview::RectHolds(r, pressPoint_);
}

void TfrmPTessarel::Image1MouseDown(framework::Image& image, MouseButton button, int x, int y) {
    const int p = image.Tag;
    pressPoint_ = preview::ThumbPointToScreen({x, y}, ScreenSize(), ThumbSize());
    FPressedDesktop = p;
    FSelectedWindow = nullptr;
    dragRefused_ = false;
    // A locked desktop shows only its padlock: what cannot be seen cannot
    // be picked.
    if (IsLockedDesktop(p)) return;
    ForEachTopWindow([this](HWND w) {
        if (!FSelectedWindow && PreviewHitTest(w)) FSelectedWindow = w;
    });
    // The right button only picks; its release opens the window menu.
    if (!FSelectedWindow || button == MouseButton::Right) return;

    HWND w = FSelectedWindow;
    const int idx = FindWindowRecord(w);
    if (idx >= 0 && FWindowTable[static_cast<size_t>(idx)].Desktop != FCurrentDesktop) {
        RequestDesktop(p);
        if (settings::Flag("selectclose")) {
            HidePreview();
            previewDragging_ = false;
        }
    }
    if (!ExeIs(GetWindowExeName(w), kFlashPlayerExe)) ::SetForegroundWindow(w);
    RECT r{};
    ::GetWindowRect(w, &r);
    dragOffset_ = {std::labs(r.left - pressPoint_.x), std::labs(r.top - pressPoint_.y)};
}

void TfrmPTessarel::Image1MouseMove(framework::Image& image, WPARAM keys, int x, int y) {
    const POINT at = preview::ThumbPointToScreen({x, y}, ScreenSize(), ThumbSize());
    HWND w = FSelectedWindow;
    if (!LeftButtonAlone(keys) || !w || dragRefused_) return;
    if (!(::GetWindowLongA(w, GWL_STYLE) & WS_MAXIMIZE)) MoveDraggedWindow(w, {at.x - dragOffset_.x, at.y - dragOffset_.y});
    const int q = image.Tag;
    const int idx = FindWindowRecord(w);
    if (idx < 0 || FWindowTable[static_cast<size_t>(idx)].Desktop == q || IsSticky(w)) return;
    FTargetDesktop = q;
    previewDragging_ = true;
    miA1Click();
    // A refused password ends the drag: asking again at every further mouse
    // move would hold the user in a row of prompts.
    const int after = FindWindowRecord(w);
    if (after >= 0 && FWindowTable[static_cast<size_t>(after)].Desktop != q) dragRefused_ = true;
    RequestDesktop(q);
    if (settings::Flag("selectclose")) HidePreview();
    previewDragging_ = false;
}

// Clicks --------------------------------------------------------------------------

void TfrmPTessarel::Image1Click(framework::Image& image) {
    RequestPreviewSwitch(image.Tag);
    FSelectedWindow = nullptr;
    if (settings::Flag("selectclose")) HidePreview();
    previewDragging_ = false;
}

void TfrmPTessarel::Label1Click(framework::GraphicLabel& label) {
    RequestDesktop(label.Tag);
    if (settings::Flag("selectclose")) HidePreview();
}

void TfrmPTessarel::SpeedButton1Click() { HidePreview(); }

// Window moves -------------------------------------------------------------------

bool TfrmPTessarel::MoveNeedsPassword(const std::vector<HWND>& windows, int target) {
    for (HWND w : windows) {
        const int idx = FindWindowRecord(w);
        if (idx < 0 || IsSticky(w)) continue;   // neither is ever moved
        const int from = FWindowTable[static_cast<size_t>(idx)].Desktop;
        if (from != target && MoveOutNeedsPassword(settings::IsPrivate(from), from == FCurrentDesktop,
                                                   FDesktopUnlocked, previewDragging_))
            return true;
    }
    return false;
}

void TfrmPTessarel::miA1Click() { miA1Click(FTargetDesktop); }
void TfrmPTessarel::miS1Click() { miS1Click(FTargetDesktop); }

bool TfrmPTessarel::SendAppWindow(HWND w, int target) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid != FSelectedProcessId) return false;
    const bool moved = SetWindowDesktop(w, target, true);
    if (target == FCurrentDesktop)
        ShowDesktopWindows();
    else
        HideForeignWindows();
    return moved;
}

// Only a move that happened is logged: SetWindowDesktop refuses a desktop
// outside the grid and windows the table does not hold. The windows are
// taken before the password is asked: the engine runs on while the prompt
// waits, and the selection may change meanwhile.
void TfrmPTessarel::miA1Click(int target) {
    HWND w = FSelectedWindow;
    if (!w || !::IsWindow(w)) return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    const bool single = settings::Flag("iesepar") && ExeIs(UpperCaseAscii(ProcessExePath(pid)), kInternetExplorerExe);
    std::vector<HWND> windows;
    if (single)
        windows.push_back(w);
    else
        ForEachTopWindowZOrder([&](HWND x) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(x, &owner);
            if (owner == pid) windows.push_back(x);
        }, true);
    if (MoveNeedsPassword(windows, target) && !links::AskLockPassword(texts::kLeavePrivate)) return;
    FSelectedProcessId = pid;
    links::HideAppList();
    bool moved = false;
    if (single)
        moved = SetWindowDesktop(w, target, false);
    else
        for (HWND x : windows) moved = SendAppWindow(x, target) || moved;
    if (moved)
        LogEvent(std::string(texts::kApplicationSent) + std::to_string(target) + std::string(texts::kByUser), w, false);
}

void TfrmPTessarel::miS1Click(int target) {
    HWND w = FSelectedWindow;
    if (!w || !::IsWindow(w)) return;
    // A single window leaves a private desktop only with the password, as a
    // whole application does.
    if (MoveNeedsPassword({w}, target) && !links::AskLockPassword(texts::kLeavePrivate)) return;
    if (SetWindowDesktop(w, target, false))
        LogEvent(std::string(texts::kWindowSent) + std::to_string(target) + std::string(texts::kByUser), w, false);
}

}  // namespace engine
