#pragma once
// TfrmLog: the event log of the engine, newest line first, and the choice of
// which events raise a bubble. It is the first window the program creates,
// so that logging works from then on; lines come only through the main
// form's LogEvent.
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/form.h"
#include "toolkit/rotatable_button.h"

namespace navigation {

namespace log_texts {
inline constexpr std::string_view kCaption = "Pelmora Virtual Desktop - Event log";
inline constexpr std::string_view kLevelGroup = " Bubble-hint notifications";
inline constexpr std::string_view kLevelItems[] = {"Turned off", "Important events only", "All events"};
inline constexpr std::string_view kInactNotify = "Notify about window activities on inactive desktops";
inline constexpr std::string_view kInactNote =
    "(applies only if \"auto. follow window activities\" is turned off and \"strict desktop separation\" is on)";
inline constexpr std::string_view kOK = "OK";
}  // namespace log_texts

// The registry values of the log, under the settings key.
inline constexpr std::string_view kBubbleLevelValue = "bubblelevel";
inline constexpr std::string_view kInactNotifyValue = "inactivenotifybubble";
inline constexpr int kDefaultBubbleLevel = 1;
inline constexpr bool kDefaultInactNotify = true;

// The options panel's height for a bubble level: the check box and its note
// are only of use while bubbles come up at all.
constexpr int OptionsPanelHeight(int level) { return level <= 0 ? 47 : 85; }

// The read-only memo of the log, with both scroll bars.
class TLogMemo final : public framework::Edit {
public:
    TLogMemo(framework::Form& f, std::string name) : Edit(f, std::move(name), true) {}
    int LineCount() const;
    std::string Line(int index) const;
    void InsertFirst(std::string_view line);
    void Clear();
    HBRUSH OnColor(HDC dc) override;
protected:
    DWORD WindowStyle() const override;
    void AfterCreate() override;
};

class TfrmLog final : public framework::Form {
public:
    TfrmLog();

    // The log, newest line first.
    int LineCount() const { return mLog.LineCount(); }
    std::string Line(int index) const { return mLog.Line(index); }
    std::vector<std::string> FirstLines(int count) const;
    void InsertLine(std::string_view line) { mLog.InsertFirst(line); }

    // rgLevel's item index: 0 none, 1 flagged events only, 2 all events
    // (-1 when no item is chosen).
    int Level() const;
    void SetLevel(int level);
    bool InactiveNotify() const { return cbInactNotify.Checked(); }

    // Stores both settings and closes the window.
    void btnOKClick();

    framework::Panel pnOptions{*this, "pnOptions"};
    framework::GroupBox rgLevel{*this, "rgLevel"};
    framework::RadioButton rbLevel0{*this, "rbLevel0"};
    framework::RadioButton rbLevel1{*this, "rbLevel1"};
    framework::RadioButton rbLevel2{*this, "rbLevel2"};
    framework::CheckBox cbInactNotify{*this, "cbInactNotify"};
    framework::Label lbInactNote{*this, "lbInactNote"};
    TLogMemo mLog{*this, "mLog"};
    toolkit::TRotButton btnOK{*this, "btnOK"};

protected:
    void CreateControls() override;
    void FormCreate() override;
    void FormDestroy() override;

private:
    framework::RadioButton* LevelItem(int index);
    const framework::RadioButton* LevelItem(int index) const;
    void rgLevelClick();
    void AlignControls();
    void LoadSettings();
    void SaveSettings();
};

inline TfrmLog* frmLog = nullptr;

}  // namespace navigation
