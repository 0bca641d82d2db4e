// The automatic-send page: its rows, its buttons, and the rule file behind it.
#include "settings/auto_send_page.h"
#include <commctrl.h>
#include <algorithm>
#include "engine/gtools.h"
#include "framework/dialogs.h"
#include "framework/form.h"
#include "framework/guard.h"
#include "framework/text.h"
#include "settings/rule_files.h"
#include "settings/rule_pages.h"
#include "settings/subsystem_links.h"
#include "settings/vd_config.h"

namespace settings {
namespace {

using namespace auto_send_colors;

// The dialog's font at another size and weight.
framework::Font DialogFont(int points, bool bold) {
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    framework::WindowDc dc(nullptr);
    lf.lfHeight = -::MulDiv(points, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
    lf.lfWidth = 0;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return framework::Font(::CreateFontIndirectA(&lf));
}

framework::ControlSpec At(framework::Kind kind, int x, int y, int w, int h, const char* caption, int tag) {
    return {kind, "", nullptr, x, y, w, h, caption, tag};
}

// Child ids of the rows: apart from the layout's, one block of four a rule.
int RowControlId(int index, int part) { return 20000 + index * 4 + part; }

std::string LoadNote(size_t cutBytes) {
    return std::string(kAutoSendFile) + ": a cut record of " + std::to_string(cutBytes) +
           " bytes at its end not used; the file keeps it";
}

}  // namespace

// Row controls ------------------------------------------------------------------

void RowPanel::OnCommand(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

DWORD RowText::WindowStyle() const { return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY; }

HBRUSH RowText::OnColor(HDC dc) {
    HBRUSH b = row_.OnColor(dc);
    ::SetTextColor(dc, kNameText);
    return b;
}

void RowText::OnCommand(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

SpinEdit::SpinEdit(framework::Form& f, std::string name, int min, int max)
    : Edit(f, std::move(name)), min_(min), max_(max) {}

DWORD SpinEdit::WindowStyle() const { return Edit::WindowStyle() | ES_NUMBER; }

int SpinEdit::Value() const { return std::clamp(framework::StrToIntDef(framework::Trim(Text()), min_), min_, max_); }

void SpinEdit::SetValue(int v) {
    v = std::clamp(v, min_, max_);
    SetText(std::to_string(v));
    if (upDown_) ::SendMessageA(upDown_.get(), UDM_SETPOS32, 0, v);
}

void SpinEdit::AfterCreate() {
    Edit::AfterCreate();
    font_ = DialogFont(8, true);
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    upDown_.reset(::CreateWindowExA(0, UPDOWN_CLASSA, "",
                                    WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                        UDS_NOTHOUSANDS,
                                    0, 0, 0, 0, ::GetParent(hwnd_), nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!upDown_) throw framework::Exception("Cannot create the up-down of " + Name());
    ::SendMessageA(upDown_.get(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
    ::SendMessageA(upDown_.get(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    ::SendMessageA(upDown_.get(), UDM_SETPOS32, 0, Value());
}

HBRUSH SpinEdit::OnColor(HDC dc) {
    if (!brush_) brush_.reset(::CreateSolidBrush(kSpin));
    ::SetTextColor(dc, kSpinText);
    ::SetBkColor(dc, kSpin);
    return brush_.get();
}

void SpinEdit::OnCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
    // An edit tells no clicks: taking the focus is the click on it.
    if (code == EN_SETFOCUS && OnClick) OnClick();
}

AutoSendRow::AutoSendRow(framework::Form& form, HWND box, int boxWidth, int top, int index, std::string_view name,
                         int desktop, bool enabled)
    : textFont_(DialogFont(7, false)),
      panel(form, "pnAutoSendRow" + std::to_string(index)),
      check(form, "cbAutoSendRow" + std::to_string(index), panel),
      spin(form, "seAutoSendRow" + std::to_string(index), 1, 9),
      text(form, "lbAutoSendRow" + std::to_string(index), panel),
      index_(index) {
    using framework::Kind;
    const int width = boxWidth - 20;
    panel.SetColor(kRow);
    panel.CreateWindowFor(box, At(Kind::Panel, 0, top, width, kAutoSendRowHeight, "", index), RowControlId(index, 0));
    check.SetChecked(enabled);
    check.CreateWindowFor(panel.Handle(), At(Kind::CheckBox, 5, 12, 20, 14, "", index), RowControlId(index, 1));
    spin.SetValue(desktop);
    spin.CreateWindowFor(panel.Handle(), At(Kind::Edit, 24, 8, 32, 14, nullptr, index), RowControlId(index, 2));
    const std::string shown = WrapRuleName(name);
    text.CreateWindowFor(panel.Handle(), At(Kind::Label, 62, 1, width - 64, 34, shown.c_str(), index),
                         RowControlId(index, 3));
    ::SendMessageA(text.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), FALSE);
}

void AutoSendRow::SetColor(COLORREF c) {
    panel.SetColor(c);
    if (panel.Handle())
        ::RedrawWindow(panel.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The dialog's side ---------------------------------------------------------------

void TfrmVDConfig::WireAutoSendPage() {
    auto wire = [this](const char* name, std::function<void()> handler) {
        if (auto* b = FindControl(name)) b->OnClick = std::move(handler);
    };
    // Names added here keep the case they came with: the engine compares
    // without regard to case, and the file keeps what the user chose.
    auto add = [this](std::optional<std::string> name) {
        if (!name || name->empty()) return;
        AddAutoSendRule(*name, 1, false);
        autoSendEdited_ = true;
    };
    wire("btnAddAuto", [add] { add(PickApplicationPath()); });
    wire("btnAddAutoSendExe", [this, add] { add(PickExecutableFile(Handle())); });
    wire("btnAddClassAuto", [add] { add(PickClassName()); });
    wire("btnDelAuto", [this] { RemoveAutoSendRule(); });
}

void TfrmVDConfig::ClearAutoSendRows() {
    FSelectedAutoSendRow = -1;
    autoSendRows_.clear();   // the rows first: they refer to the rules
    FAutoSendRules.clear();
}

void TfrmVDConfig::AddAutoSendRule(std::string_view name, int desktop, bool disabled) {
    FAutoSendRules.push_back(MakeAutoSendRule(name, desktop, disabled));
    const int index = static_cast<int>(FAutoSendRules.size()) - 1;
    framework::Control* box = FindControl("sbAutoSend");
    if (!box || !box->Handle()) return;
    int top = 0;
    if (!autoSendRows_.empty()) {
        int lowest = 0;
        for (const auto& r : autoSendRows_) lowest = std::max(lowest, r->Top());
        top = lowest + kAutoSendRowHeight;
    }
    auto row = std::make_unique<AutoSendRow>(*this, box->Handle(), box->Width(), top, index,
                                             RuleName(FAutoSendRules.back()), desktop, !disabled);
    AutoSendRow& r = *row;
    autoSendRows_.push_back(std::move(row));
    r.panel.OnClick = [this, index] { SelectAutoSendRow(index); };
    r.text.OnClick = [this, index] { SelectAutoSendRow(index); };
    auto storeDesktop = [this, index, &r] {
        FAutoSendRules.at(static_cast<size_t>(index)).Desktop = static_cast<uint16_t>(r.spin.Value());
        autoSendEdited_ = true;
    };
    r.spin.OnClick = [this, index, storeDesktop] {
        SelectAutoSendRow(index);
        storeDesktop();
    };
    r.spin.OnChange = storeDesktop;
    r.check.OnClick = [this, index, &r] {
        FAutoSendRules.at(static_cast<size_t>(index)).Disabled = r.check.Checked() ? 0 : 1;
        autoSendEdited_ = true;
    };
    if (framework::Control* page = FindControl("pnAutoSend"); page && page->Visible() && Visible())
        ::SetFocus(r.spin.Handle());
}

void TfrmVDConfig::SelectAutoSendRow(int index) {
    for (const auto& r : autoSendRows_) r->SetColor(r->Index() == index ? auto_send_colors::kSelectedRow
                                                                       : auto_send_colors::kRow);
    FSelectedAutoSendRow = index;
}

void TfrmVDConfig::RemoveAutoSendRule() {
    std::optional<std::string_view> warning;
    auto selected = std::find_if(autoSendRows_.begin(), autoSendRows_.end(),
                                 [this](const auto& r) { return r->Index() == FSelectedAutoSendRow; });
    if (autoSendRows_.empty()) warning = rule_texts::kAutoSendEmpty;
    else if (selected == autoSendRows_.end()) warning = rule_texts::kNoRowSelected;
    if (warning) {
        framework::MessageBox(*warning, rule_texts::kWarning, MB_OK | MB_ICONWARNING, Handle());
        return;
    }
    FAutoSendRules.at(static_cast<size_t>(FSelectedAutoSendRow)).Deleted = 1;
    autoSendRows_.erase(selected);
    FSelectedAutoSendRow = -1;
    autoSendEdited_ = true;
}

void TfrmVDConfig::LoadAutoSendRules() {
    ClearAutoSendRows();
    autoSendReadable_ = true;
    autoSendEdited_ = false;
    autoSendCutTail_.clear();
    try {
        auto file = ReadAutoSendFile(engine::DataFilePath(kAutoSendFile));
        if (!file) return;
        for (const auto& r : file->rules) AddAutoSendRule(RuleName(r), r.Desktop, r.Disabled != 0);
        autoSendCutTail_ = std::move(file->cutTail);
        if (!autoSendCutTail_.empty()) links::LogEvent(LoadNote(autoSendCutTail_.size()));
    } catch (...) {
        autoSendReadable_ = false;
        links::LogEvent(engine::UnreadableNote(kAutoSendFile), true);
        framework::HandleException(std::current_exception());
    }
}

void TfrmVDConfig::SaveAutoSendRules() {
    const std::string path = engine::DataFilePath(kAutoSendFile);
    if (path.empty()) return;
    if (!autoSendReadable_) {
        // The file that could not be read stays until there are rules to
        // write in its place; then it is kept aside under another name.
        if (std::all_of(FAutoSendRules.begin(), FAutoSendRules.end(), [](const auto& r) { return r.Deleted; }))
            return;
        if (auto aside = engine::MoveUnreadableAside(path))
            links::LogEvent(engine::MovedAsideNote(kAutoSendFile, *aside), true);
        autoSendReadable_ = true;
    }
    // A file with a cut record is written only with changed rules, and
    // keeps the cut record after them.
    if (!autoSendCutTail_.empty() && !autoSendEdited_) return;
    SaveAutoSendFile(path, FAutoSendRules, autoSendCutTail_);
}

}  // namespace settings
