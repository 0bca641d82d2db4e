#include "navigation/event_log_window.h"
#include <algorithm>
#include <utility>
#include "framework/registry.h"
#include "navigation/bubble.h"
#include "settings/store_values.h"

namespace navigation {
namespace {

using framework::Kind;

constexpr int kWidth = 620;
constexpr int kHeight = 400;
constexpr int kButtonStrip = 40;    // below the memo, for "OK"
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 28;

constexpr framework::ControlSpec kLayout[] = {
    {Kind::Panel, "pnOptions", nullptr, 0, 0, kWidth, 85, "", 0},
    {Kind::GroupBox, "rgLevel", "pnOptions", 8, 2, 596, 40, log_texts::kLevelGroup.data(), 0},
    {Kind::RadioButton, "rbLevel0", "rgLevel", 12, 16, 150, 18, log_texts::kLevelItems[0].data(), 0},
    {Kind::RadioButton, "rbLevel1", "rgLevel", 204, 16, 180, 18, log_texts::kLevelItems[1].data(), 1},
    {Kind::RadioButton, "rbLevel2", "rgLevel", 404, 16, 150, 18, log_texts::kLevelItems[2].data(), 2},
    {Kind::CheckBox, "cbInactNotify", "pnOptions", 12, 46, 420, 18, log_texts::kInactNotify.data(), 0},
    {Kind::Label, "lbInactNote", "pnOptions", 30, 66, 580, 16, log_texts::kInactNote.data(), 0},
    {Kind::MemoEdit, "mLog", nullptr, 0, 85, kWidth, 240, "", 0},
    {Kind::Custom, "btnOK", nullptr, 520, 330, kButtonWidth, kButtonHeight, log_texts::kOK.data(), 0},
};

}  // namespace

// The memo ------------------------------------------------------------------------
DWORD TLogMemo::WindowStyle() const { return Edit::WindowStyle() | WS_HSCROLL | ES_READONLY; }

void TLogMemo::AfterCreate() {
    Edit::AfterCreate();
    ::SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0);   // a log of a long run outgrows the default limit
}

int TLogMemo::LineCount() const {
    if (!hwnd_) return 0;
    auto n = static_cast<int>(::SendMessageA(hwnd_, EM_GETLINECOUNT, 0, 0));
    if (n <= 0) return 0;
    // Every line ends with a line break, so the edit's last line is empty.
    LRESULT start = ::SendMessageA(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(n - 1), 0);
    if (start >= 0 && ::SendMessageA(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0) == 0) --n;
    return n;
}

std::string TLogMemo::Line(int index) const {
    if (!hwnd_ || index < 0 || index >= LineCount()) return {};
    LRESULT start = ::SendMessageA(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0) return {};
    auto len = static_cast<size_t>(::SendMessageA(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    // EM_GETLINE takes the buffer's size in its first word.
    std::string buf(std::max<size_t>(len, sizeof(WORD)) + 1, '\0');
    *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(std::min<size_t>(buf.size(), 0xFFFF));
    auto got = static_cast<size_t>(
        ::SendMessageA(hwnd_, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data())));
    buf.resize(std::min(got, len));
    return buf;
}

void TLogMemo::InsertFirst(std::string_view line) {
    if (!hwnd_) return;
    std::string text = std::string(line) + "\r\n";
    ::SendMessageA(hwnd_, EM_SETSEL, 0, 0);
    ::SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(hwnd_, EM_SETSEL, 0, 0);
    ::SendMessageA(hwnd_, EM_SCROLLCARET, 0, 0);
}

void TLogMemo::Clear() { SetText(""); }

HBRUSH TLogMemo::OnColor(HDC dc) {
    // Read-only, yet a page to read rather than a greyed-out field.
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    return ::GetSysColorBrush(COLOR_WINDOW);
}

// The window ------------------------------------------------------------------------
TfrmLog::TfrmLog() : Form("frmLog") {
    btnOK.OnClick = [this] { btnOKClick(); };
    for (int i = 0; i < 3; ++i) LevelItem(i)->OnClick = [this] { rgLevelClick(); };
}

void TfrmLog::CreateControls() {
    btnOK.UseDialogLook();
    ApplyLayout(kLayout);
}

void TfrmLog::FormCreate() {
    SetCaption(log_texts::kCaption);
    SetBounds(0, 0, kWidth, kHeight);
    CenterOnScreen();
    mLog.Clear();
    LoadSettings();
    AlignControls();
}

void TfrmLog::FormDestroy() {
    // The bubbles still on the screen at exit go with the log they show.
    FreeBubbles();
}

framework::RadioButton* TfrmLog::LevelItem(int index) {
    return const_cast<framework::RadioButton*>(std::as_const(*this).LevelItem(index));
}

const framework::RadioButton* TfrmLog::LevelItem(int index) const {
    switch (index) {
    case 0: return &rbLevel0;
    case 1: return &rbLevel1;
    case 2: return &rbLevel2;
    default: return nullptr;
    }
}

int TfrmLog::Level() const {
    for (int i = 0; i < 3; ++i)
        if (LevelItem(i)->Checked()) return i;
    return -1;
}

void TfrmLog::SetLevel(int level) {
    // As a radio group takes an index: below the first item none, beyond the
    // last the last one.
    level = std::clamp(level, -1, 2);
    for (int i = 0; i < 3; ++i) LevelItem(i)->SetChecked(i == level);
    AlignControls();
}

void TfrmLog::rgLevelClick() { AlignControls(); }

void TfrmLog::AlignControls() {
    if (!Handle()) return;
    int cw = ClientWidth();
    int ch = ClientHeight();
    int top = OptionsPanelHeight(Level());
    pnOptions.SetBounds(0, 0, cw, top);
    rgLevel.SetBounds(8, 2, cw - 16, 40);
    mLog.SetBounds(0, top, cw, std::max(0, ch - top - kButtonStrip));
    btnOK.SetBounds(cw - kButtonWidth - 8, ch - kButtonStrip + (kButtonStrip - kButtonHeight) / 2, kButtonWidth,
                    kButtonHeight);
}

void TfrmLog::LoadSettings() {
    framework::Registry reg;
    reg.OpenKeyReadOnly(settings::kSettingsKey);   // a missing key reads as defaults
    SetLevel(reg.ReadInteger(kBubbleLevelValue, kDefaultBubbleLevel));
    cbInactNotify.SetChecked(reg.ReadBool(kInactNotifyValue, kDefaultInactNotify));
}

void TfrmLog::SaveSettings() {
    framework::Registry reg;
    if (!reg.OpenKey(settings::kSettingsKey, true)) return;
    reg.WriteInteger(kBubbleLevelValue, Level());
    reg.WriteBool(kInactNotifyValue, InactiveNotify());
}

std::vector<std::string> TfrmLog::FirstLines(int count) const {
    int n = std::min(count, LineCount());
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i) lines.push_back(Line(i));
    return lines;
}

void TfrmLog::btnOKClick() {
    SaveSettings();
    Close();
}

}  // namespace navigation
