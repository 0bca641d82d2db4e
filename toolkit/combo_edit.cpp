#include "toolkit/combo_edit.h"
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "framework/dialogs.h"
#include "framework/form.h"
#include "toolkit/utility_routines.h"

namespace toolkit {
namespace {

constexpr int kHolderWidth = 21, kHolderHeight = 17;
constexpr int kGlyphPad = 6;           // the button is this much wider than its glyph
constexpr UINT_PTR kEditSubclass = 0x43454454;   // "CEDT"
constexpr size_t kMaxDroppedName = 255;
constexpr int kEllipsisHeight = 4;
constexpr WORD kObmCombo = 32738;   // the system's drop-down arrow bitmap (OBM_COMBO)

// The default glyph's shape: an open folder, '#' outline, 'y' body, '.' clear.
constexpr const char* kFolder[] = {
    ".............",
    ".####........",
    "#yyyy#.......",
    "#yyyyy######.",
    "#yyyyyyyyyy#.",
    "#yy#########.",
    "#y#yyyyyyyyy#",
    "##yyyyyyyyy#.",
    "#yyyyyyyyy#..",
    "##########...",
    ".............",
};
constexpr COLORREF kFolderClear = RGB(255, 0, 255);

bool FileExists(const std::string& name) {
    DWORD a = ::GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder part of a path, with its trailing separator.
std::string FolderOf(std::string_view path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

framework::Bitmap DrawFolder() {
    const int w = static_cast<int>(std::char_traits<char>::length(kFolder[0]));
    const int h = static_cast<int>(std::size(kFolder));
    framework::WindowDc screen(nullptr);
    framework::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    framework::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    if (!bmp || !dc) throw framework::Exception("Cannot create the browse glyph");
    framework::SelectScope use(dc.get(), bmp.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char c = kFolder[y][x];
            ::SetPixelV(dc.get(), x, y, c == '#' ? RGB(0, 0, 0) : c == 'y' ? RGB(255, 255, 0) : kFolderClear);
        }
    return bmp;
}

framework::Bitmap EllipsisGlyph(int width) {
    const int w = std::max(1, width);
    // Monochrome: black dots on white, white being clear.
    framework::Bitmap bmp(::CreateBitmap(w, kEllipsisHeight, 1, 1, nullptr));
    framework::MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!bmp || !dc) throw framework::Exception("Cannot create the ellipsis glyph");
    framework::SelectScope use(dc.get(), bmp.get());
    RECT all{0, 0, w, kEllipsisHeight};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    for (int x : EllipsisDots(w)) {
        RECT dot{x, 1, x + 2, 3};
        ::FillRect(dc.get(), &dot, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    return bmp;
}

// The key of a WM_KEYDOWN or WM_SYSKEYDOWN with its modifiers, as a shortcut.
framework::TShortCut PressedShortCut(WPARAM key) {
    framework::TShortCut s = static_cast<framework::TShortCut>(key & 0xFF);
    if (::GetKeyState(VK_SHIFT) < 0) s |= framework::scShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= framework::scCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= framework::scAlt;
    return s;
}

}  // namespace

// Pure helpers ----------------------------------------------------------------------

std::string QuoteFileName(std::string_view name) {
    if (name.find(' ') != std::string_view::npos && (name.empty() || name.front() != '"'))
        return "\"" + std::string(name) + "\"";
    return std::string(name);
}

std::string ClearFileName(std::string_view name) {
    std::string s(name);
    if (s.empty() || FileExists(s)) return s;
    return ParamOf(s, 0);
}

std::string DialogFilter(std::string_view filter) {
    std::string out(filter);
    std::replace(out.begin(), out.end(), '|', '\0');
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

std::vector<int> EllipsisDots(int glyphWidth) {
    const int spacing = std::clamp((glyphWidth - 6) / 2, 1, 3);
    const int total = 3 * 2 + 2 * spacing;
    const int start = (glyphWidth - total) / 2;
    return {start, start + 2 + spacing, start + 4 + 2 * spacing};
}

HBITMAP DefaultFileEditGlyph() {
    // Drawn once, shared by every edit, freed with the program.
    static const framework::Bitmap glyph = DrawFolder();
    return glyph.get();
}

// The button -------------------------------------------------------------------------

TEditButton::TEditButton(framework::Form& owner, std::string name, TCustomComboEdit& edit)
    : TRxSpeedButton(owner, std::move(name)), edit_(edit) {}

void TEditButton::LeftButtonDown(POINT p) {
    HWND e = edit_.Handle();
    if (e && ::IsWindowVisible(e) && ::IsWindowEnabled(e) && ::GetFocus() != e) ::SetFocus(e);
    TRxSpeedButton::LeftButtonDown(p);
}

void TEditButton::Paint(HDC dc, const RECT& client) const {
    TRxSpeedButton::Paint(dc, client);
    if (State() == TButtonState::Down || State() == TButtonState::Exclusive) return;
    const int h = client.bottom - client.top;
    DrawLine(dc, client.left, client.top, client.left, client.bottom - 1,
             ::GetSysColor(NewLook() ? COLOR_BTNFACE : COLOR_BTNSHADOW));
    if (h > 2) DrawLine(dc, client.left + 1, client.top + 1, client.left + 1, client.top + h - 2,
                        ::GetSysColor(COLOR_BTNHIGHLIGHT));
}

// The combo edit -----------------------------------------------------------------------

TCustomComboEdit::TCustomComboEdit(framework::Form& owner, std::string name)
    : Edit(owner, name), button_(owner, name + "Button", *this) {
    button_.OnClick = [this] {
        if (ButtonEnabled()) ButtonClick();
    };
}

TCustomComboEdit::~TCustomComboEdit() {
    if (hwnd_) ::RemoveWindowSubclass(hwnd_, &EditProc, kEditSubclass);
}

DWORD TCustomComboEdit::WindowStyle() const {
    DWORD align = Alignment == TTextAlignment::taRightJustify ? ES_RIGHT
                  : Alignment == TTextAlignment::taCenter     ? ES_CENTER
                                                              : ES_LEFT;
    // Multi-line, so that the formatting rectangle can leave the button room.
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL | ES_MULTILINE | align;
}

void TCustomComboEdit::AfterCreate() {
    Edit::AfterCreate();
    ::SetWindowSubclass(hwnd_, &EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    holder_.reset(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, kHolderWidth, kHolderHeight,
                                    hwnd_, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!holder_) throw framework::Exception("Cannot create the button of " + Name());
    framework::ControlSpec spec{framework::Kind::Custom, button_.Name().c_str(), nullptr, 0, 0,
                                buttonWidth_, kHolderHeight, "", 0};
    button_.CreateWindowFor(holder_.get(), spec, 1);
    ApplyReadOnly();
    RefreshGlyph();
    LayoutButton();
    KeepMinimumHeight();
}

void TCustomComboEdit::LayoutButton() {
    if (!hwnd_ || !holder_) return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int w = buttonWidth_ > 1 ? buttonWidth_ : 0;
    // The client area lies inside the edit's sunken frame already.
    ::SetWindowPos(holder_.get(), nullptr, client.right - w, 0, w, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(holder_.get(), w > 0 ? SW_SHOWNA : SW_HIDE);
    if (button_.Handle())
        ::SetWindowPos(button_.Handle(), nullptr, 0, 0, w, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    // The text never runs under the button.
    RECT format{0, 0, std::max<LONG>(0, client.right - w - 2), client.bottom + 1};
    ::SendMessageA(hwnd_, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
}

void TCustomComboEdit::KeepMinimumHeight() {
    framework::WindowDc screen(nullptr);
    TEXTMETRICA tm{};
    framework::SelectScope use(screen.get(), ::GetStockObject(DEFAULT_GUI_FONT));
    ::GetTextMetricsA(screen.get(), &tm);
    const int least = tm.tmHeight + 4 * ::GetSystemMetrics(SM_CYBORDER) + 1;
    if (Height() < least) ::SetWindowPos(hwnd_, nullptr, 0, 0, Width(), least, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboEdit::SetButtonWidth(int w) {
    if (w == buttonWidth_) return;
    if (hwnd_) {
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        if (w >= client.right) return;
    }
    buttonWidth_ = w;
    LayoutButton();
    RefreshGlyph();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind kind) {
    glyphKind_ = kind;
    RefreshGlyph();
}

void TCustomComboEdit::SetGlyph(HBITMAP strip) {
    glyphKind_ = TGlyphKind::gkCustom;
    button_.SetGlyph(strip);
}

void TCustomComboEdit::SetNumGlyphs(int n) {
    if (glyphKind_ == TGlyphKind::gkDropDown || glyphKind_ == TGlyphKind::gkEllipsis) n = 1;
    if (glyphKind_ == TGlyphKind::gkDefault) n = 1;
    button_.SetNumGlyphs(n);
}

void TCustomComboEdit::RefreshGlyph() {
    switch (glyphKind_) {
    case TGlyphKind::gkCustom:
        return;
    case TGlyphKind::gkDefault: {
        HBITMAP glyph = DefaultFileEditGlyph();
        button_.SetGlyph(glyph);
        button_.SetNumGlyphs(1);
        BITMAP bm{};
        ::GetObjectA(glyph, sizeof bm, &bm);
        const int w = std::max(static_cast<int>(bm.bmWidth) + kGlyphPad, buttonWidth_);
        if (w != buttonWidth_) {
            buttonWidth_ = w;
            LayoutButton();
        }
        return;
    }
    case TGlyphKind::gkDropDown: {
        glyph_.reset(static_cast<HBITMAP>(::LoadImageA(nullptr, MAKEINTRESOURCEA(kObmCombo), IMAGE_BITMAP, 0, 0, 0)));
        button_.SetGlyph(glyph_.get());
        button_.SetNumGlyphs(1);
        buttonWidth_ = ::GetSystemMetrics(SM_CXVSCROLL);
        LayoutButton();
        return;
    }
    case TGlyphKind::gkEllipsis:
        glyph_ = EllipsisGlyph(buttonWidth_ - kGlyphPad);
        button_.SetGlyph(glyph_.get());
        button_.SetNumGlyphs(1);
        return;
    }
}

void TCustomComboEdit::SetReadOnly(bool on) {
    readOnly_ = on;
    ApplyReadOnly();
}

void TCustomComboEdit::SetDirectInput(bool on) {
    directInput_ = on;
    ApplyReadOnly();
}

void TCustomComboEdit::ApplyReadOnly() {
    if (!hwnd_) return;
    ::SendMessageA(hwnd_, EM_SETREADONLY, readOnly_ || !directInput_, 0);
}

void TCustomComboEdit::ButtonClick() {
    if (OnButtonClick) OnButtonClick();
}

bool TCustomComboEdit::KeyDown(WPARAM key, LPARAM) {
    if (buttonWidth_ > 0 && ClickKey != 0 && PressedShortCut(key) == ClickKey) {
        if (ButtonEnabled()) ButtonClick();
        return true;
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
        // For the form's default and cancel buttons; a form with key
        // preview has seen the key already.
        framework::Form& form = Owner();
        if (!form.KeyPreview && form.Handle()) ::SendMessageA(form.Handle(), WM_KEYDOWN, key, 0);
        swallowChar_ = true;
        return true;
    }
    return false;
}

bool TCustomComboEdit::EditMessage(UINT m, WPARAM w, LPARAM l, LRESULT& result) {
    switch (m) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        swallowChar_ = false;
        if (KeyDown(w, l)) {
            result = 0;
            return true;
        }
        return false;
    case WM_CHAR:
    case WM_SYSCHAR:
        if (swallowChar_ || w == '\r' || w == '\n' || w == 27) {
            swallowChar_ = false;
            result = 0;
            return true;
        }
        return false;
    case WM_SETFOCUS:
        result = ::DefSubclassProc(hwnd_, m, w, l);
        // Entered by the keyboard: everything selected, ready to be typed over.
        if (AutoSelect && directInput_ && ::GetKeyState(VK_LBUTTON) >= 0) ::SendMessageA(hwnd_, EM_SETSEL, 0, -1);
        return true;
    case WM_ENABLE:
        if (button_.Handle()) ::EnableWindow(button_.Handle(), w != 0);
        return false;
    case WM_SIZE:
        result = ::DefSubclassProc(hwnd_, m, w, l);
        LayoutButton();
        return true;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd_, &EditProc, kEditSubclass);
        return false;
    default:
        return false;
    }
}

LRESULT CALLBACK TCustomComboEdit::EditProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) noexcept {
    auto* edit = reinterpret_cast<TCustomComboEdit*>(self);
    LRESULT result = 0;
    bool handled = framework::Guard(false, [&] { return edit->EditMessage(m, w, l, result); });
    return handled ? result : ::DefSubclassProc(h, m, w, l);
}

// Dropping files and the dialog -----------------------------------------------------------

TFileDirEdit::TFileDirEdit(framework::Form& owner, std::string name) : TCustomComboEdit(owner, std::move(name)) {
    SetGlyphKind(TGlyphKind::gkDefault);
}

void TFileDirEdit::SetAcceptFiles(bool on) {
    acceptFiles_ = on;
    if (hwnd_) ::DragAcceptFiles(hwnd_, on);
}

void TFileDirEdit::AfterCreate() {
    TCustomComboEdit::AfterCreate();
    if (acceptFiles_) ::DragAcceptFiles(hwnd_, TRUE);
}

void TFileDirEdit::DropFiles(HDROP drop) {
    struct Release {
        HDROP d;
        ~Release() { ::DragFinish(d); }
    } release{drop};
    ClearFileList();
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && (i == 0 || MultipleFiles()); ++i) {
        char name[kMaxDroppedName + 1] = {};
        ::DragQueryFileA(drop, i, name, sizeof name);
        AddFileName(name);
    }
    if (OnDropFiles) OnDropFiles();
}

bool TFileDirEdit::EditMessage(UINT m, WPARAM w, LPARAM l, LRESULT& result) {
    switch (m) {
    case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(w));
        result = 0;
        return true;
    case WM_DESTROY:
        if (acceptFiles_) ::DragAcceptFiles(hwnd_, FALSE);
        return false;
    default:
        return TCustomComboEdit::EditMessage(m, w, l, result);
    }
}

bool ExecuteFileDialog(TFileDialogSettings& dialog, HWND owner) {
    std::string filter = DialogFilter(dialog.Filter);
    std::vector<char> name(32 * 1024, '\0');
    dialog.FileName.copy(name.data(), std::min(dialog.FileName.size(), name.size() - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(0, dialog.FilterIndex));
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = dialog.InitialDir.empty() ? nullptr : dialog.InitialDir.c_str();
    ofn.lpstrTitle = dialog.Title.empty() ? nullptr : dialog.Title.c_str();
    ofn.lpstrDefExt = dialog.DefaultExt.empty() ? nullptr : dialog.DefaultExt.c_str();
    ofn.Flags = dialog.Options | OFN_EXPLORER | OFN_ENABLESIZING;
    const bool save = dialog.Kind == TFileDialogKind::dkSave || dialog.Kind == TFileDialogKind::dkSavePicture;
    const framework::FileDialogEntries& dialogs = framework::FileDialogs();
    if (!(save ? dialogs.GetSaveFileName(&ofn) : dialogs.GetOpenFileName(&ofn))) {
        if (DWORD error = dialogs.ExtendedError())
            throw framework::Exception("The file dialog failed (error " + std::to_string(error) + ")");
        return false;
    }
    dialog.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    dialog.Files.clear();
    // With multiple selection: the folder, then each file, each ended by a NUL.
    const char* p = name.data();
    std::string first = p;
    p += first.size() + 1;
    if ((dialog.Options & OFN_ALLOWMULTISELECT) && *p) {
        std::string folder = first;
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        for (; *p; p += std::strlen(p) + 1) dialog.Files.push_back(folder + p);
        dialog.FileName = dialog.Files.front();
    } else {
        dialog.FileName = first;
        if (dialog.Options & OFN_ALLOWMULTISELECT) dialog.Files.push_back(first);
    }
    return true;
}

// The file-name edit ------------------------------------------------------------------------

TFilenameEdit::TFilenameEdit(framework::Form& owner, std::string name) : TFileDirEdit(owner, std::move(name)) {}

std::string TFilenameEdit::FileName() const { return ClearFileName(Text()); }

void TFilenameEdit::SetFileName(std::string_view name) {
    if (!name.empty() && !FileNameIsValid(ClearFileName(name))) {
        std::string shown(name);
        std::vector<char> message(shown.size() + sizeof texts::kInvalidFileName);
        std::snprintf(message.data(), message.size(), texts::kInvalidFileName, shown.c_str());
        throw EComboEditError(message.data());
    }
    SetText(QuoteFileName(name));
    ClearFileList();
}

std::string TFilenameEdit::LongName() const { return LongFileName(FileName()); }
std::string TFilenameEdit::ShortName() const { return ShortFileName(FileName()); }

void TFilenameEdit::SetDialogOptions(DWORD options) {
    dialog_.Options = options;
    if (!MultipleFiles()) ClearFileList();
}

void TFilenameEdit::AddFileName(const std::string& name) {
    if (!MultipleFiles()) {
        SetFileName(name);
        return;
    }
    if (dialog_.Files.empty()) SetFileName(name);
    dialog_.Files.push_back(name);
}

void TFilenameEdit::ButtonClick() {
    TFileDirEdit::ButtonClick();
    std::string name = ClearFileName(Text());
    bool action = true;
    if (OnBeforeDialog) OnBeforeDialog(name, action);
    if (!action) return;
    // A name that names no usable file still tells the dialog where to start.
    try {
        if (FileNameIsValid(name)) {
            const std::string folder = FolderOf(name);
            if (!folder.empty() && FolderExists(folder)) dialog_.InitialDir = folder;
            const std::string file = name.substr(folder.size());
            if (file.empty() || !FileNameIsValid(file)) name.clear();
            dialog_.FileName = name;
        }
    } catch (const std::exception&) {
    }
    {
        // No system error box for a drive without a disk while the dialog looks around.
        struct RestoreMode {
            UINT mode;
            ~RestoreMode() { ::SetErrorMode(mode); }
        } restore{::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)};
        action = ExecuteFileDialog(dialog_, Owner().Handle());
    }
    if (action) name = dialog_.FileName;
    if (hwnd_ && ::IsWindowVisible(hwnd_) && ::IsWindowEnabled(hwnd_)) ::SetFocus(hwnd_);
    if (OnAfterDialog) OnAfterDialog(name, action);
    if (!action) return;
    SetText(QuoteFileName(name));
    dialog_.InitialDir = FolderOf(dialog_.FileName);
}

}  // namespace toolkit
