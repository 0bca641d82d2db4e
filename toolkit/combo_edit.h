#pragma once
// Edits with a small button inside their right edge: TCustomComboEdit (the
// edit and its button), TFileDirEdit (adds files dropped from the shell and
// the events around a dialog) and TFilenameEdit (the button browses for a
// file and writes the chosen name into the edit). The settings dialog's
// wallpaper edits are TFilenameEdits:
//
//     toolkit::TFilenameEdit feDesk1{*this, "feDesk1"};
//     {framework::Kind::Custom, "feDesk1", "pnWall", 72, 28, 320, 21, "", 1},
//
// The button is a TEditButton, a speed button (toolkit/rx_speed_button.h)
// inside a plain child window of the edit. Errors are EComboEditError.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/control.h"
#include "framework/guard.h"
#include "framework/owned.h"
#include "framework/shortcut.h"
#include "toolkit/rx_speed_button.h"

namespace toolkit {

class EComboEditError : public framework::Exception {
public:
    using framework::Exception::Exception;
};

namespace texts {
constexpr char kInvalidFileName[] = "Invalid file name - %s";
constexpr char kBrowseTitle[] = "Browse";
constexpr char kAllFilesFilter[] = "All files (*.*)|*.*";
}  // namespace texts

// The name in double quotes when it holds a blank and does not start with a
// double quote; else the name itself.
std::string QuoteFileName(std::string_view name);
// The name itself when a file of that name exists; else the program part
// of it read as a command line (a quoted first item loses its quotes, the
// parameters are dropped).
std::string ClearFileName(std::string_view name);
// A filter "Text|pattern|Text|pattern" as the common dialogs take it:
// parts ended by NUL characters, the whole by one more.
std::string DialogFilter(std::string_view filter);
// The left edges of the three 2 x 2 dots of an ellipsis glyph that wide.
std::vector<int> EllipsisDots(int glyphWidth);
// The picture of the default browse glyph: a small folder.
HBITMAP DefaultFileEditGlyph();

enum class TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum class TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
enum class TFileEditStyle { fsEdit, fsComboBox };

class TCustomComboEdit;

// The button inside the edit: it moves the focus to the edit when pressed,
// and draws a separating line at its left edge.
class TEditButton final : public TRxSpeedButton {
public:
    TEditButton(framework::Form& owner, std::string name, TCustomComboEdit& edit);
    void Paint(HDC dc, const RECT& client) const override;

protected:
    void LeftButtonDown(POINT p) override;

private:
    TCustomComboEdit& edit_;
};

class TCustomComboEdit : public framework::Edit {
public:
    TCustomComboEdit(framework::Form& owner, std::string name);
    ~TCustomComboEdit() override;

    TEditButton& Button() noexcept { return button_; }
    HWND ButtonHolder() const noexcept { return holder_.get(); }
    int ButtonWidth() const noexcept { return buttonWidth_; }
    // A width of 1 or less hides the button; one at or above the client
    // width is ignored.
    void SetButtonWidth(int w);
    TGlyphKind GlyphKind() const noexcept { return glyphKind_; }
    void SetGlyphKind(TGlyphKind kind);
    void SetGlyph(HBITMAP strip);   // switches to gkCustom
    int NumGlyphs() const noexcept { return button_.NumGlyphs(); }
    void SetNumGlyphs(int n);

    framework::TShortCut ClickKey = static_cast<framework::TShortCut>(framework::scAlt | VK_DOWN);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool on);
    bool DirectInput() const noexcept { return directInput_; }
    void SetDirectInput(bool on);
    bool AlwaysEnable = false;    // the button works even when read-only
    bool AutoSelect = true;
    TTextAlignment Alignment = TTextAlignment::taLeftJustify;
    std::string ButtonHint;

    std::function<void()> OnButtonClick;
    // Clicking the button, or ClickKey: OnButtonClick, then what the kind does.
    virtual void ButtonClick();
    bool ButtonEnabled() const noexcept { return !readOnly_ || AlwaysEnable; }

protected:
    DWORD WindowStyle() const override;
    void AfterCreate() override;
    // The edit's own messages; true when handled (result set).
    virtual bool EditMessage(UINT m, WPARAM w, LPARAM l, LRESULT& result);
    void LayoutButton();
    void RefreshGlyph();

private:
    static LRESULT CALLBACK EditProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self) noexcept;
    bool KeyDown(WPARAM key, LPARAM l);
    void KeepMinimumHeight();
    void ApplyReadOnly();

    TEditButton button_;
    framework::Window holder_;
    framework::Bitmap glyph_;       // the drop-down and ellipsis glyphs the edit made
    int buttonWidth_ = 21;
    TGlyphKind glyphKind_ = TGlyphKind::gkCustom;
    bool readOnly_ = false;
    bool directInput_ = true;
    bool swallowChar_ = false;      // the character of a key handled on its way down
};

// The settings of the file dialog an edit owns.
struct TFileDialogSettings {
    TFileDialogKind Kind = TFileDialogKind::dkOpen;
    std::string DefaultExt;
    TFileEditStyle FileEditStyle = TFileEditStyle::fsEdit;
    std::string FileName;
    std::string Filter = texts::kAllFilesFilter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::vector<std::string> HistoryList;
    std::vector<std::string> Files;   // chosen with multiple selection
    DWORD Options = OFN_HIDEREADONLY;
    std::string Title = texts::kBrowseTitle;
    DWORD HelpContext = 0;
};
// Runs the common open or save dialog; true when a file was chosen.
bool ExecuteFileDialog(TFileDialogSettings& dialog, HWND owner);

class TFileDirEdit : public TCustomComboEdit {
public:
    TFileDirEdit(framework::Form& owner, std::string name);

    bool AcceptFiles() const noexcept { return acceptFiles_; }
    void SetAcceptFiles(bool on);
    // Before and after the dialog: the name, and whether to go on (after: whether a file was chosen).
    std::function<void(std::string& name, bool& action)> OnBeforeDialog;
    std::function<void(std::string& name, bool& action)> OnAfterDialog;
    std::function<void()> OnDropFiles;

    // Files dropped from the shell: each name to AddFileName (only the
    // first without multiple selection), then OnDropFiles. The drop handle
    // is released in every case.
    void DropFiles(HDROP drop);
    virtual void AddFileName(const std::string& name) = 0;
    virtual void ClearFileList() = 0;
    virtual bool MultipleFiles() const = 0;

protected:
    bool EditMessage(UINT m, WPARAM w, LPARAM l, LRESULT& result) override;
    void AfterCreate() override;

private:
    bool acceptFiles_ = false;
};

class TFilenameEdit final : public TFileDirEdit {
public:
    TFilenameEdit(framework::Form& owner, std::string name);

    // The text without quotes or parameters.
    std::string FileName() const;
    // Raises EComboEditError "Invalid file name - <name>" for a name that is
    // not empty and not valid; the text then stays as it was.
    void SetFileName(std::string_view name);
    std::string LongName() const;
    std::string ShortName() const;

    TFileDialogSettings& Dialog() noexcept { return dialog_; }
    const TFileDialogSettings& Dialog() const noexcept { return dialog_; }
    void SetDialogKind(TFileDialogKind kind) { dialog_.Kind = kind; }
    void SetFilter(std::string_view filter) { dialog_.Filter = std::string(filter); }
    void SetFilterIndex(int index) { dialog_.FilterIndex = index; }
    void SetInitialDir(std::string_view dir) { dialog_.InitialDir = std::string(dir); }
    void SetDialogOptions(DWORD options);

    void AddFileName(const std::string& name) override;
    void ClearFileList() override { dialog_.Files.clear(); }
    bool MultipleFiles() const override { return (dialog_.Options & OFN_ALLOWMULTISELECT) != 0; }
    const std::vector<std::string>& Files() const noexcept { return dialog_.Files; }

    // The browse sequence: OnButtonClick, OnBeforeDialog, the dialog,
    // OnAfterDialog, and the chosen name into the edit.
    void ButtonClick() override;

private:
    TFileDialogSettings dialog_;
};

}  // namespace toolkit
