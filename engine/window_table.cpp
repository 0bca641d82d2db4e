// The window table, the scan, and the rules that give new windows a desktop.
#include "engine/main_form.h"

namespace engine {

void TfrmPTessarel::ScanWindows() {}
void TfrmPTessarel::ScanWindow(HWND) {}
int TfrmPTessarel::FindWindowRecord(HWND) { return -1; }
bool TfrmPTessarel::IsUnmanagedWindow(HWND, int) { return true; }
int TfrmPTessarel::ChooseDesktopForProcess(DWORD, HWND) { return FCurrentDesktop; }
bool TfrmPTessarel::IsSticky(HWND) { return false; }
bool TfrmPTessarel::IsListedWindow(HWND) { return false; }
std::string TfrmPTessarel::GetWindowExeName(HWND) { return {}; }
void TfrmPTessarel::CompactWindowTable() {}
bool TfrmPTessarel::IsWindowShown(HWND w) const { return ::IsWindowVisible(w) != FALSE; }
bool TfrmPTessarel::WindowShownOnDesktop(HWND, int) { return false; }

}  // namespace engine
