// TfrmVDConfig: the settings key to the controls and back, the Run value,
// and the rule files saved with the settings.
#include <algorithm>
#include "engine/gtools.h"
#include "framework/guard.h"
#include "framework/registry.h"
#include "framework/text.h"
#include "settings/rule_files.h"
#include "settings/subsystem_links.h"
#include "settings/tables.h"
#include "settings/vd_config.h"

namespace settings {
namespace {

// Not a registry value: how the copy of the values in force keeps cbLoad.
constexpr std::string_view kInForceLoad = "*cbLoad";

std::string Numbered(std::string_view prefix, int n) { return std::string(prefix) + std::to_string(n); }

// Empty while there is no data folder: the file is then neither read nor written.
std::string DataFile(std::string_view name) { return engine::DataFilePath(name); }

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

}  // namespace

// Loading ----------------------------------------------------------------------

void TfrmVDConfig::LoadSettings() {
    RegistryStore store(kSettingsKey);
    LoadFrom(store, true);
    LoadGuarded([this] { cbLoad.SetChecked(RunValueExists()); }, [this] { cbLoad.SetChecked(false); });
    LoadGestureCodes(store);
    framework::Guard([this] { UpdateControlStates(); });
    LoadGuarded([this] { LoadPinnedList(); }, nullptr);
    RememberValuesInForce();
}

void TfrmVDConfig::LoadFrom(const ValueStore& store, bool fromRegistry) {
    // The rules between options answer the user's clicks, not the load.
    struct Loading {
        bool& flag;
        explicit Loading(bool& f) : flag(f) { flag = true; }
        ~Loading() { flag = false; }
    } loading(loadingValues_);
    auto plain = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const ValueSpec& spec = kPlainValues[i];
            LoadGuarded([&] { SetControlValue(spec, ValueOrDefault(spec, store.Int(spec.name))); },
                        [&] { SetControlValue(spec, spec.def); });
        }
    };
    plain(0, kPlainBeforeClickPos);
    // The click window's place comes from the store only until the user has
    // placed the window by hand, and never back from the values in force.
    if (fromRegistry && FRestoreClickPos) {
        FClickLeft = ClickPosFromStored(store.Int("cfxwinpos"), ScreenWidth(), ScreenWidth() - kClickMissingFromRight);
        FClickTop = ClickPosFromStored(store.Int("cfywinpos"), ScreenHeight(), kClickMissingTop);
        links::PlaceClickWindow(FClickLeft, FClickTop);
    }
    plain(kPlainBeforeClickPos, kPlainBeforeGroups);
    // A stored unsafe mode is found only in lists that hold the unsafe modes.
    if (modesListedUnsafe_ != cbUnsafe.Checked()) FillDisplayModes();
    LoadGroups(store, fromRegistry);
    plain(kPlainBeforeGroups, kPlainValues.size());
}

void TfrmVDConfig::LoadGroups(const ValueStore& store, bool withLockFlags) {
    // Each group is judged by its desktop-1 value. A later member that is
    // missing or of another type takes what the whole group takes when the
    // desktop-1 value is missing.
    auto each = [](const std::function<void(int)>& member) {
        for (int n = 1; n <= 9; ++n) LoadGuarded([&] { member(n); }, nullptr);
    };
    if (store.Exists("wallpaper1"))
        each([&](int n) {
            if (auto text = store.Text(Numbered("wallpaper", n))) feDesk(n).SetFileName(*text);
        });
    bool styles = store.Exists("wallpaperstyle1");
    each([&](int n) {
        cbWPS(n).SetItemIndex(styles ? GroupValueOrDefault(kWallpaperStyleGroup, store.Int(Numbered("wallpaperstyle", n))) : 0);
    });
    bool colors = store.Exists("deskcolor1");
    each([&](int n) {
        cbColor(n).SetItemIndex(colors ? GroupValueOrDefault(kDeskColorGroup, store.Int(Numbered("deskcolor", n))) : 0);
    });
    if (withLockFlags) {
        if (store.Exists("locked1")) {
            for (int n = 1; n <= 9; ++n)
                FLocked[static_cast<size_t>(n)] = store.Int(Numbered("locked", n)).value_or(0) != 0;
            LoadGuarded([this] { ApplyLockBoxes(); }, nullptr);
        } else {
            FLocked.fill(false);
        }
    } else {
        // The lock flags in force are FLocked itself; the boxes follow them.
        LoadGuarded([this] { ApplyLockBoxes(); }, nullptr);
    }
    if (store.Exists("res1"))
        each([&](int n) { SelectDisplayModeItem(cbRes(n), store.Int(Numbered("res", n)).value_or(kWindowsDefaultMode)); });
    if (store.Exists("deskname1"))
        each([&](int n) {
            framework::Edit& edit = edName(n);
            if (edit.Tag <= 0) return;
            if (auto text = store.Text(Numbered("deskname", edit.Tag))) edit.SetText(framework::Trim(*text));
        });
}

void TfrmVDConfig::LoadGestureCodes(const ValueStore& store) {
    for (int row = 1; row <= kActionCount; ++row)
        LoadGuarded([&] {
            auto code = store.Text(Numbered("gesturecode", row));
            if (code && IsGestureCode(*code)) sgGestures.SetCell(1, row, *code);
        }, nullptr);
    LoadGuarded([this] {
        sgGestures.SetRow(1);
        edGesture.SetText(framework::Trim(sgGestures.Cell(1, 1)));
    }, nullptr);
}

void TfrmVDConfig::LoadPinnedList() {
    const auto entries = links::StickyEntries();
    if (!entries) return;
    clbPinned.Clear();
    for (const auto& entry : *entries) {
        bool off = !entry.empty() && entry.back() == '*';
        clbPinned.AddItem(off ? std::string_view(entry).substr(0, entry.size() - 1) : std::string_view(entry), !off);
    }
}

bool TfrmVDConfig::RunValueExists() const {
    framework::Registry reg;
    return reg.OpenKeyReadOnly(kRunKey) && reg.ValueExists(kRunValue);
}

// Saving ----------------------------------------------------------------------

// The lock flags stored are those in force, never the boxes: a box changed
// and not applied (or cancelled) must not become the stored state.
void TfrmVDConfig::SaveSettings() { SaveSettingsWith(FLocked); }

void TfrmVDConfig::SaveSettingsWith(const LockFlags& locks) {
    // The click window's place is where it stands now.
    if (const auto at = links::ClickWindowPlace()) {
        FClickLeft = at->x;
        FClickTop = at->y;
    }
    framework::Guard([&] {
        RegistryStore store(kSettingsKey);
        if (store.IsOpen()) SaveTo(store, locks);
    });
    framework::Guard([this] { WriteRunValue(); });
    // The rule files are written whatever became of the registry.
    framework::Guard([] { links::SaveStickyList(); });
    framework::Guard([this] { SaveAutoSendRules(); });
    framework::Guard([this] { SaveRuleLists(); });
}

void TfrmVDConfig::SaveTo(ValueStore& store, const LockFlags& locks) const {
    for (std::string_view token : kSaveOrder) {
        if (token.ends_with('#') || token.ends_with('*')) {
            SaveGroup(store, token, locks);
        } else if (token == "cfxwinpos") {
            store.WriteInt(token, ClickPosToStored(FClickLeft, ScreenWidth()));
        } else if (token == "cfywinpos") {
            store.WriteInt(token, ClickPosToStored(FClickTop, ScreenHeight()));
        } else if (const ValueSpec* spec = FindValue(token)) {
            store.WriteInt(token, ControlValue(*spec));
        }
    }
}

void TfrmVDConfig::SaveGroup(ValueStore& store, std::string_view token, const LockFlags& locks) const {
    std::string_view prefix = token.substr(0, token.size() - 1);
    if (prefix == "gesturecode") {
        for (int row = 1; row <= kActionCount; ++row) store.WriteText(Numbered(prefix, row), sgGestures.Cell(1, row));
        return;
    }
    for (int n = 1; n <= 9; ++n) {
        std::string name = Numbered(prefix, n);
        if (prefix == "deskcolor") store.WriteInt(name, cbColor(n).ItemIndex());
        else if (prefix == "wallpaper") store.WriteText(name, framework::Trim(feDesk(n).FileName()));
        else if (prefix == "wallpaperstyle") store.WriteInt(name, cbWPS(n).ItemIndex());
        else if (prefix == "res") store.WriteInt(name, SelectedDisplayModeCode(n));
        else if (prefix == "deskname" && edName(n).Tag > 0)
            store.WriteText(Numbered(prefix, edName(n).Tag), framework::Trim(edName(n).Text()));
        else if (prefix == "locked" && cbLock(n).Tag > 0)
            store.WriteInt(Numbered(prefix, cbLock(n).Tag), locks[static_cast<size_t>(cbLock(n).Tag)] ? 1 : 0);
    }
}

void TfrmVDConfig::WriteRunValue() const {
    framework::Registry reg;
    if (!reg.OpenKey(kRunKey, true)) return;
    reg.DeleteValue(kRunValue);
    if (cbLoad.Checked()) reg.WriteString(kRunValue, RunValueData(engine::GetAppFolder()));
}

// The values in force ----------------------------------------------------------

void TfrmVDConfig::RememberValuesInForce() {
    inForce_ = MemoryStore{};
    SaveTo(inForce_, FLocked);
    inForce_.WriteInt(kInForceLoad, cbLoad.Checked() ? 1 : 0);
    ignoreInForce_ = lbIgnore.Items();
    watchInForce_ = lbWatch.Items();
}

void TfrmVDConfig::RestoreValuesInForce() {
    if (inForce_.Empty()) return;
    LoadFrom(inForce_, false);
    LoadGuarded([this] { cbLoad.SetChecked(inForce_.Int(kInForceLoad).value_or(0) != 0); }, nullptr);
    LoadGestureCodes(inForce_);
    LoadGuarded([this] { lbIgnore.SetItems(ignoreInForce_); }, nullptr);
    LoadGuarded([this] { lbWatch.SetItems(watchInForce_); }, nullptr);
    LoadGuarded([this] { LoadPinnedList(); }, nullptr);
    framework::Guard([this] { UpdateControlStates(); });
}

// Rule files -------------------------------------------------------------------

void TfrmVDConfig::LoadRuleLists() {
    auto load = [](framework::ListBox& list, std::string_view file, TRuleFileState& state) {
        try {
            std::vector<std::string> notes;
            if (auto entries = LoadRuleList(DataFile(file), &notes, &state)) list.SetItems(*entries);
            for (const auto& note : notes) links::LogEvent(note);
        } catch (...) {
            links::LogEvent(engine::UnreadableNote(file), true);
            framework::HandleException(std::current_exception());
        }
    };
    load(lbIgnore, kIgnoreFile, ignoreFile_);
    load(lbWatch, kWatchFile, watchFile_);
}

void TfrmVDConfig::SaveRuleLists() {
    // Each file on its own: one that cannot be written keeps the other's save.
    auto save = [](const framework::ListBox& list, std::string_view file, TRuleFileState& state) {
        framework::Guard([&] {
            const std::string path = DataFile(file);
            if (path.empty()) return;
            if (auto note = SaveRuleList(path, list.Items(), state)) links::LogEvent(*note, true);
        });
    };
    save(lbIgnore, kIgnoreFile, ignoreFile_);
    save(lbWatch, kWatchFile, watchFile_);
}

}  // namespace settings
