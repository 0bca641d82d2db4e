// TfrmPTessarel: creation, exit and destruction.
#include "engine/main_form.h"
#include "engine/fpu_control.h"
#include "engine/gtools.h"
#include "engine/sticky_list.h"
#include "framework/application.h"
#include "framework/guard.h"
#include "program_version.h"
#include "settings/store_values.h"

namespace engine {
namespace {

namespace texts {
constexpr std::string_view kCaption = "Pelmora Virtual Desktop manager v" TESSAREL_VERSION;
constexpr std::string_view kExitPassword =
    "There are private applications running. You must enter your desktop lock password to EXIT the virtual desktop manager!";
}  // namespace texts

// Each step of creation and destruction stands on its own: one that fails
// (a damaged file, a failed save) must not skip the steps after it.
template <typename F>
void Step(F&& f) {
    framework::Guard(std::forward<F>(f));
}

}  // namespace

TfrmPTessarel::TfrmPTessarel()
    : Form("frmPTessarel"), tScan_(kScanIntervalMs, [this] { tScanTimer(); }, false) {}

TfrmPTessarel::~TfrmPTessarel() = default;

void TfrmPTessarel::FormCreate() {
    FBubbles.clear();
    InvalidateStickyCache();
    recordIndex_.clear();
    Step([this] { LoadSnapshot(); });
    refocusDone_ = true;
    FLastActiveWindow.fill(nullptr);
    FPreviewSwitch = false;
    previewOrigin_ = 0;
    FPreviousDesktop = 1;
    SetExStyle(WS_EX_TOOLWINDOW);
    SetStayOnTop(true);
    FGridCols = 1;
    FGridRows = 4;
    FLastEdge = 0;
    previewDragging_ = false;
    savedFpuWord_ = ReadFpuControlWord();
    WriteFpuControlWord(kFpuControlWord);
    previewIdleTicks_ = 0;
    SetCaption(texts::kCaption);
    Step([this] { CreateTrayMenus(); });
    Step([this] {
        using enum toolkit::TXPControl;
        xpm.IconWidth = 20;
        xpm.SetXPControls({xcPopupMenu, xcCombo, xcEdit, xcCheckBox, xcRadioButton});
        xpm.SetXPContainers({});   // no control of the main form is painted flat
        xpm.AddMenu(PopupMenu1);
        xpm.AddMenu(PopupMenu2);
        xpm.SetActive(true);
    });
    Step([this] {
        if (LoadHookLibrary()) SetHooks();
    });
    FWindowTable.clear();
    FScanCounter = 0;
    FCurrentDesktop = 1;
    FRequestedDesktop = 1;
    DoubleBuffered = true;
    FStickyList = std::make_unique<TRegStringList>();
    FStickyList->RootKey = HKEY_CURRENT_USER;
    FStickyList->KeyPath = std::string(settings::kSettingsKey);
    Step([this] {
        const std::string path = DataFilePath(kStickyFileName);
        try {
            if (FileExists(path)) FStickyList->LoadFromFile(path);
        } catch (...) {
            LogEvent(UnreadableNote(kStickyFileName), nullptr, true);
            throw;
        }
        for (const auto& note : FStickyList->LoadNotes) LogEvent(note, nullptr, false);
    });
    Step([this] { SetTrayIconForDesktop(1); });
    FDesktopUnlocked = true;
    Step([] { links::UseFlatMenus(); });
    RegisterMessages();
    OnMessage(WM_ENDSESSION, [this](WPARAM w, LPARAM) -> LRESULT {
        // The session ends without a close: the windows must not stay hidden.
        if (w) UnifyOnScreen();
        return 0;
    });
    tScan_.SetEnabled(true);
    Step([this] { StartInputPoll(); });
}

bool TfrmPTessarel::FormCloseQuery() {
    return !HasPrivateWindows() || links::AskLockPassword(texts::kExitPassword);
}

void TfrmPTessarel::FormClose() {
    exiting_ = true;
    tScan_.SetEnabled(false);
    StopInputPoll();
    Step([] { links::HideDeskBar(); });
    Step([] { links::ApplyDesktopDisplay(0); });
    Step([this] { RemoveAllSysMenuItems(); });
    UnifyOnScreen();
    Step([] { links::SaveAllSettings(); });
}

void TfrmPTessarel::UnifyOnScreen() noexcept {
    if (unified_) return;
    unified_ = true;
    for (size_t i = 0; i < FWindowTable.size(); ++i) {
        Step([&] {
            const TWindowRecord& r = FWindowTable[i];
            HWND w = r.Handle();
            if (r.Visible && ::IsWindow(w) && !IsUnmanagedWindow(w, static_cast<int>(i))) ShowWindowSafe(w, SW_SHOW);
        });
    }
}

void TfrmPTessarel::FormDestroy() {
    exiting_ = true;
    tScan_.SetEnabled(false);
    StopInputPoll();
    // Whatever ended the program, no window that was shown on its desktop
    // stays hidden (a close already did this, and then it does nothing).
    UnifyOnScreen();
    Step([this] { SaveSnapshot(); });
    Step([this] { HidePreview(); });
    WriteFpuControlWord(savedFpuWord_);
    Step([this] { RemoveHooks(); });
    Step([this] { ReleaseOtherWindows(); });
    Step([this] { SaveStickyList(); });
    FStickyList.reset();
    FBubbles.clear();
}

void TfrmPTessarel::ReleaseOtherWindows() {
    // Ends keyboard and menu modes the hooks may have left behind.
    ForEachTopWindow([](HWND w) {
        ::PostMessageA(w, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000000));
        ::PostMessageA(w, WM_CANCELMODE, 0, 0);
        ::PostMessageA(w, WM_SYSCOMMAND, SC_MOUSEMENU, 0);
    });
}

void TfrmPTessarel::Exit1Click() { Close(); }
void TfrmPTessarel::Exit2Click() { Close(); }

}  // namespace engine
