#pragma once
// Child controls of a form. Each control is a thin owner of its child window;
// forms describe where their controls sit in a table (ControlSpec) and keep
// typed members for the controls their code talks to.
#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/owned.h"

namespace framework {

class Form;

enum class Kind {
    Label, Button, CheckBox, RadioButton, GroupBox, Edit, MemoEdit, ComboBox,
    ComboEdit, ListBox, Panel, Image, TrackBar, UpDown, Custom,
};

struct ControlSpec {
    Kind kind;
    const char* name;
    const char* parent;     // name of the containing control, or nullptr for the form
    int x, y, w, h;
    const char* caption;
    int tag;
};

class Control {
public:
    Control(Form& owner, std::string name, Kind kind);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    const std::string& Name() const noexcept { return name_; }
    Kind GetKind() const noexcept { return kind_; }
    Form& Owner() const noexcept { return owner_; }
    int Tag = 0;

    // Creates the child window; called by the form's layout.
    virtual void CreateWindowFor(HWND parent, const ControlSpec& spec, int id);
    void Destroy() noexcept;

    void SetCaption(std::string_view text);
    std::string Caption() const;
    void SetBounds(int x, int y, int w, int h);
    RECT Bounds() const;   // in the parent's client coordinates
    int Left() const { return Bounds().left; }
    int Top() const { return Bounds().top; }
    int Width() const { auto r = Bounds(); return r.right - r.left; }
    int Height() const { auto r = Bounds(); return r.bottom - r.top; }
    void SetVisible(bool v);
    bool Visible() const;
    void SetEnabled(bool e);
    bool Enabled() const;
    void Invalidate();

    // Notifications routed by the parent form.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*hdr*/) { return 0; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT* /*dis*/) { return false; }
    virtual void OnScroll(WORD /*code*/) {}
    virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }

    std::function<void()> OnClick;
    std::function<void()> OnChange;

protected:
    virtual const char* WindowClass() const;
    virtual DWORD WindowStyle() const;
    virtual DWORD WindowExStyle() const { return 0; }
    virtual void AfterCreate() {}
    std::string pendingCaption_;
    HWND hwnd_ = nullptr;

private:
    Form& owner_;
    std::string name_;
    Kind kind_;
};

class Label : public Control {
public:
    Label(Form& f, std::string name) : Control(f, std::move(name), Kind::Label) {}
    COLORREF FontColor = CLR_INVALID;
    HBRUSH OnColor(HDC dc) override;
protected:
    DWORD WindowStyle() const override;
};

class Button : public Control {
public:
    Button(Form& f, std::string name) : Control(f, std::move(name), Kind::Button) {}
    void OnCommand(WORD code) override;
protected:
    DWORD WindowStyle() const override;
};

class CheckBox : public Control {
public:
    CheckBox(Form& f, std::string name) : Control(f, std::move(name), Kind::CheckBox) {}
    bool Checked() const;
    void SetChecked(bool c);
    void OnCommand(WORD code) override;
protected:
    CheckBox(Form& f, std::string name, Kind kind) : Control(f, std::move(name), kind) {}
    DWORD WindowStyle() const override;
    void AfterCreate() override;
private:
    bool checked_ = false;   // the value while the window does not exist
};

class RadioButton : public CheckBox {
public:
    RadioButton(Form& f, std::string name) : CheckBox(f, std::move(name), Kind::RadioButton) {}
protected:
    DWORD WindowStyle() const override;
};

class GroupBox : public Control {
public:
    GroupBox(Form& f, std::string name) : Control(f, std::move(name), Kind::GroupBox) {}
protected:
    DWORD WindowStyle() const override;
};

class Edit : public Control {
public:
    Edit(Form& f, std::string name, bool multiLine = false)
        : Control(f, std::move(name), multiLine ? Kind::MemoEdit : Kind::Edit) {}
    std::string Text() const { return Caption(); }
    void SetText(std::string_view t) { SetCaption(t); }
    bool Password = false;
    int MaxLength = 0;
    void OnCommand(WORD code) override;
protected:
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void AfterCreate() override;
};

// A list of texts with one selected index, shared by combo and list boxes.
class ListControl : public Control {
public:
    using Control::Control;
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);
    int Count() const;
    void AddItem(std::string_view s);
    void InsertItem(int index, std::string_view s);
    void DeleteItem(int index);
    void SetItem(int index, std::string_view s);
    std::string Item(int index) const;
    void Clear();
    int IndexOf(std::string_view s) const;   // exact, case-sensitive
    // Changes at every change of the items: what is built from them can
    // tell when to build it again.
    unsigned ItemsVersion() const noexcept { return version_; }
    int ItemIndex() const;
    void SetItemIndex(int i);
    void OnCommand(WORD code) override;
protected:
    void AfterCreate() override;
    virtual UINT Msg(int which) const = 0;  // 0 add,1 insert,2 delete,3 reset,4 count,5 gettext,6 gettextlen,7 getcursel,8 setcursel
    virtual WORD ChangeCode() const = 0;
    std::vector<std::string> items_;     // the items, beside the window's own copy
    int index_ = -1;
    unsigned version_ = 0;
};

class ComboBox : public ListControl {
public:
    ComboBox(Form& f, std::string name, bool editable = false)
        : ListControl(f, std::move(name), editable ? Kind::ComboEdit : Kind::ComboBox) {}
    std::string Text() const;   // the edit text of an editable combo, else the selected item
protected:
    DWORD WindowStyle() const override;
    UINT Msg(int which) const override;
    WORD ChangeCode() const override { return CBN_SELCHANGE; }
};

class ListBox : public ListControl {
public:
    ListBox(Form& f, std::string name) : ListControl(f, std::move(name), Kind::ListBox) {}
    std::function<void()> OnDblClick;
    void OnCommand(WORD code) override;
protected:
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    UINT Msg(int which) const override;
    WORD ChangeCode() const override { return LBN_SELCHANGE; }
};

// A flat coloured area that other controls may sit on.
class Panel : public Control {
public:
    Panel(Form& f, std::string name) : Control(f, std::move(name), Kind::Panel) {}
    void SetColor(COLORREF c);
    COLORREF Color() const noexcept { return color_; }
    HBRUSH OnColor(HDC dc) override;
protected:
    DWORD WindowStyle() const override;
private:
    COLORREF color_ = CLR_INVALID;
    Brush brush_;
};

class TrackBar : public Control {
public:
    TrackBar(Form& f, std::string name) : Control(f, std::move(name), Kind::TrackBar) {}
    int Position() const;
    void SetPosition(int p);
    void SetRange(int min, int max);
    void OnScroll(WORD code) override;
protected:
    const char* WindowClass() const override;
    DWORD WindowStyle() const override;
    void AfterCreate() override;
private:
    int pos_ = 0, min_ = 0, max_ = 10;
};

}  // namespace framework
