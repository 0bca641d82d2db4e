// The sticky list: windows whose class or executable stands in it belong to
// every desktop.
#include "engine/sticky_list.h"
#include <exception>
#include <utility>
#include "engine/gtools.h"
#include "engine/main_form.h"
#include "engine/rule_list.h"
#include "framework/text.h"

namespace engine {

bool ChangeStickyList(framework::StringList& list, std::string_view name, bool add) {
    std::string n = UpperCaseAscii(framework::Trim(name));
    if (add) {
        // An empty entry would make every window sticky whose executable
        // path cannot be read.
        if (n.empty() || list.IndexOf(n) >= 0) return false;
        list.Add(n);
        return true;
    }
    bool changed = false;
    for (int i = list.IndexOf(n); i >= 0; i = list.IndexOf(n)) {
        list.Delete(i);
        changed = true;
    }
    return changed;
}

// The windows follow the list in memory even when the file cannot be
// written; the write error is raised afterwards for the exception log.
void TfrmPTessarel::SetSticky(std::string_view name, bool add) {
    if (!FStickyList) return;
    const int before = FStickyList->Count();
    ChangeStickyList(*FStickyList, name, add);
    if (!add) FStickyList->UserRemoved(static_cast<size_t>(before - FStickyList->Count()));
    InvalidateStickyCache();
    std::exception_ptr saveError;
    try {
        SaveStickyList();
    } catch (...) {
        saveError = std::current_exception();
    }
    links::RefreshAppList();
    HideForeignWindows();
    ShowDesktopWindows();
    if (saveError) std::rethrow_exception(saveError);
}

void TfrmPTessarel::ReplaceStickyList(const std::vector<std::string>& entries) {
    if (!FStickyList) return;
    // The settings dialog's list is the user's edit of the whole list.
    FStickyList->UserRemoved(RemovedEntries(FStickyList->Items(), entries));
    FStickyList->Clear();
    for (const auto& e : entries) FStickyList->Add(e);
    InvalidateStickyCache();
}

void TfrmPTessarel::SaveStickyList() {
    const std::string path = DataFilePath(kStickyFileName);
    if (!FStickyList || path.empty()) return;
    // A file moved aside is the user's to know, also when the write after it fails.
    auto logNotes = [this] {
        for (const auto& note : std::exchange(FStickyList->SaveNotes, {})) LogEvent(note, nullptr, true);
    };
    try {
        FStickyList->SaveToFile(path);
    } catch (...) {
        logNotes();
        throw;
    }
    logNotes();
}

}  // namespace engine
