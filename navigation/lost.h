#pragma once
// TfrmLost: a modal list of the managed top-level windows as large icons.
// From the tray it lists the windows the engine keeps hidden and shows the
// chosen one again ("Recover"); the settings' rule pages use it to pick a
// window or an application among the visible ones ("Select").
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/form.h"
#include "framework/list_view.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace lost_texts {
inline constexpr std::string_view kCaption = "Window list";
inline constexpr std::string_view kRecover = "Recover";
inline constexpr std::string_view kSelect = "Select";
inline constexpr std::string_view kHelp = "Help";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kSelectFirst = "Please, select an item first!";
inline constexpr std::string_view kWarning = "Warning";
inline constexpr std::string_view kRecovered = "% window recovered";
// What a row of a locked private desktop says in place of its title.
inline constexpr std::string_view kPrivateRow = "(window of private desktop ";
inline constexpr std::string_view kRecoverPrivate =
    "You attempt to recover a window of a private desktop. You must enter your desktop lock password to proceed!";
}  // namespace lost_texts

enum class TLostMode { Recover = 1, Select = 2 };

inline constexpr int kMaxLostTitleChars = 199;
inline constexpr int kLostIconSize = 32;

// A top-level window as the list looks at it.
struct TLostCandidate {
    HWND wnd = nullptr;
    DWORD processId = 0;
    bool hasRecord = false;     // the window table holds it
    bool recordVisible = false; // its record's visible flag
    int desktop = 0;            // its record's desktop
    bool locked = false;        // that desktop is private and locked
    LONG style = 0;
    LONG exStyle = 0;
    bool unmanaged = false;
    std::string title;
    std::string exePath;
};

struct TLostRow {
    std::string caption;
    uintptr_t data = 0;        // the window handle, or the process id
    std::string iconPath;      // the executable whose first icon the row shows
};

// The rows of one showing, the candidates in Z order from the top. A window
// of a locked private desktop shows no title before the password, and is not
// offered for selection at all.
std::vector<TLostRow> BuildLostRows(const std::vector<TLostCandidate>& windows, bool wantVisible, bool byProcess,
                                    TLostMode mode, bool privateOpen);
// The windows "Recover" shows for the target (window handle or process id).
std::vector<const TLostCandidate*> RecoverTargets(const std::vector<TLostCandidate>& windows, uintptr_t target,
                                                  bool byProcess);
bool TargetsNeedPassword(const std::vector<const TLostCandidate*>& targets);

class TfrmLost final : public framework::Form {
public:
    TfrmLost();
    ~TfrmLost() override;

    framework::ListView lvApp{*this, "lvApp", kLostIconSize};
    toolkit::TRotButton btnRecover{*this, "btnRecover"};
    toolkit::TRotButton btnSelect{*this, "btnSelect"};
    toolkit::TRotButton btnHelp{*this, "btnHelp"};
    toolkit::TRotButton btnClose{*this, "btnClose"};

    bool FWantVisible = false;
    bool FByProcess = false;
    TLostMode FMode = TLostMode::Recover;
    bool FCloseAfter = true;

    // The data of the row chosen (window handle or process id), 0 when none.
    uintptr_t ShowLostList(bool wantVisible, bool byProcess, TLostMode mode, bool closeAfter);

    void Action();          // Recover, Select, a double click on a row
    void btnCloseClick();
    void btnHelpClick();

protected:
    DWORD InitialStyle() const override { return WS_POPUP | WS_BORDER | WS_CLIPCHILDREN; }
    DWORD InitialExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_TOPMOST; }
    void CreateControls() override;

private:
    void Fill();
    void Recover(uintptr_t target);
    bool privateOpen_ = false;   // the password was given during this showing
    uintptr_t result_ = 0;
};

extern TfrmLost* frmLost;

// The list from the tray: every hidden window, one row each, recovered.
void ShowLostWindows();
// The list for the rule pages: the chosen application's executable path,
// empty when none was chosen (or while the list does not exist).
std::string SelectLostApplication();

}  // namespace navigation
