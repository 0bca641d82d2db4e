#pragma once
// One row of the settings dialog's automatic-send page: a panel holding the
// rule's check box (enabled), its desktop spin edit and its name. Every
// control of the row carries the rule's index in the dialog's rules array as
// its Tag; the array never shrinks while rows exist, so the index stays true.
#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include "framework/control.h"
#include "framework/owned.h"

namespace settings {

namespace auto_send_colors {
inline constexpr COLORREF kRow = 0xD0E8E8;
inline constexpr COLORREF kSelectedRow = 0xB0C8C8;
inline constexpr COLORREF kSpin = 0xC48B31;
inline constexpr COLORREF kSpinText = 0xD0E8E8;
inline constexpr COLORREF kNameText = 0x303030;
}  // namespace auto_send_colors

inline constexpr int kAutoSendRowHeight = 36;

// The row's panel: reports clicks; its children paint on its colour.
class RowPanel : public framework::Panel {
public:
    using Panel::Panel;
    void OnCommand(WORD code) override;
};

// The row's name: word-wrapped, reports clicks.
class RowText : public framework::Label {
public:
    RowText(framework::Form& f, std::string name, RowPanel& row) : Label(f, std::move(name)), row_(row) {}
    HBRUSH OnColor(HDC dc) override;
    void OnCommand(WORD code) override;

protected:
    DWORD WindowStyle() const override;

private:
    RowPanel& row_;
};

class RowCheckBox : public framework::CheckBox {
public:
    RowCheckBox(framework::Form& f, std::string name, RowPanel& row) : CheckBox(f, std::move(name)), row_(row) {}
    HBRUSH OnColor(HDC dc) override { return row_.OnColor(dc); }

private:
    RowPanel& row_;
};

// An edit with an up-down beside it, holding a whole number of a range.
class SpinEdit : public framework::Edit {
public:
    SpinEdit(framework::Form& f, std::string name, int min, int max);
    ~SpinEdit() override { Destroy(); }   // before its font and brush go
    int Value() const;   // the text's number kept to the range
    void SetValue(int v);
    HBRUSH OnColor(HDC dc) override;
    void OnCommand(WORD code) override;
    HWND UpDown() const noexcept { return upDown_.get(); }

protected:
    DWORD WindowStyle() const override;
    void AfterCreate() override;

private:
    int min_, max_;
    framework::Font font_;
    framework::Brush brush_;
    framework::Window upDown_;
};

class AutoSendRow {
public:
    // Builds the row's windows in the scroll box at the given top.
    AutoSendRow(framework::Form& form, HWND box, int boxWidth, int top, int index, std::string_view name,
                int desktop, bool enabled);
    AutoSendRow(const AutoSendRow&) = delete;
    AutoSendRow& operator=(const AutoSendRow&) = delete;

    int Index() const noexcept { return index_; }
    int Top() const { return panel.Top(); }
    void SetColor(COLORREF c);

private:
    framework::Font textFont_;   // outlives the name's window

public:
    // Declared in creation order: the panel goes last, after its children.
    RowPanel panel;
    RowCheckBox check;
    SpinEdit spin;
    RowText text;

private:
    int index_;
};

}  // namespace settings
