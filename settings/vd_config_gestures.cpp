// TfrmVDConfig: the layout page's preview of the chosen grid, and the
// gesture page's editing of the gesture codes.
#include "settings/vd_config.h"
#include "framework/dialogs.h"
#include "framework/text.h"
#include "settings/gesture_edit.h"

namespace settings {
namespace {

constexpr int kGesturePage = 10;

}  // namespace

void TfrmVDConfig::ConnectPageEditing() {
    cbLayout.OnChange = [this] { cbLayoutChange(); };
    sgGestures.OnSelectCell = [this](int row) { sgGesturesSelectCell(row); };
    edGesture.OnChange = [this] { edGestureChange(); };
    if (auto* b = FindControl("SpeedButton2")) b->OnClick = [this] { SpeedButton2Click(); };
}

void TfrmVDConfig::cbLayoutChange() {
    // The preview lies on the group box, which shows the dialog's colour.
    if (Color() != CLR_INVALID && pnLayoutPreview.Color() != Color()) pnLayoutPreview.SetColor(Color());
    pnLayoutPreview.ShowLayout(cbLayout.ItemIndex());
}

void TfrmVDConfig::sgGesturesSelectCell(int row) {
    if (row < 1 || row >= sgGestures.RowCount()) return;
    edGesture.SetText(framework::Trim(sgGestures.Cell(1, row)));
    if (FCurrentPage == kGesturePage && Visible()) ::SetFocus(edGesture.Handle());
}

void TfrmVDConfig::edGestureChange() {
    const std::string text = edGesture.Text();
    const std::string kept = FilterGestureText(text);
    if (kept.size() == text.size()) return;
    framework::MessageBox(gesture_texts::kDirectionsOnly, gesture_texts::kWarning, MB_ICONWARNING, Handle());
    edGesture.SetText(kept);   // comes back here once, with nothing to filter
    // Typing goes on at the end of what was kept.
    const auto end = static_cast<WPARAM>(kept.size());
    ::SendMessageA(edGesture.Handle(), EM_SETSEL, end, static_cast<LPARAM>(end));
}

void TfrmVDConfig::SpeedButton2Click() {
    const int row = sgGestures.Row();
    if (row < 1 || row >= sgGestures.RowCount()) return;   // no row chosen: nothing to save into
    const std::string code = GestureCodeToStore(edGesture.Text());
    sgGestures.SetCell(1, row, code);
    if (edGesture.Text() != code) edGesture.SetText(code);
    std::vector<std::string> codes;
    for (int r = 1; r < sgGestures.RowCount(); ++r) codes.push_back(sgGestures.Cell(1, r));
    // The code is kept all the same: the first matching row is the one a gesture runs.
    const size_t matches = RowsWithSameCode(codes, row, code).size();
    for (size_t i = 0; i < matches; ++i)
        framework::MessageBox(gesture_texts::kAlreadyUsed, gesture_texts::kWarning, MB_ICONWARNING, Handle());
}

}  // namespace settings
