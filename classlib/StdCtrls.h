// The standard controls over the system's window classes: buttons, check
// boxes, radio buttons, edits, memos, list and combo boxes, group boxes, and
// the windowless label.
//
// Event rules: setting an edit's text from code raises OnChange exactly as
// typing does, but only when the text differs; setting a check box's state
// from code raises OnClick when the state changes; selecting a list item from
// code raises nothing, only a selection by the user does.
#pragma once

#include "classlib/Controls.h"

// Items of a list or combo box: kept here and mirrored into the window.
class TItemStrings : public TStrings {
public:
    struct Messages {
        UINT Insert, Delete, Reset;
    };
    TItemStrings(TWinControl* owner, Messages msgs) : m_owner(owner), m_msgs(msgs) {}

    int Count() const override { return m_list.Count(); }
    std::string Get(int index) const override { return m_list.Get(index); }
    void Put(int index, const std::string& s) override;
    void* GetObjectAt(int index) const override { return m_list.GetObjectAt(index); }
    void PutObject(int index, void* obj) override { m_list.PutObject(index, obj); }
    void Insert(int index, const std::string& s) override;
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, void* obj) override;
    void Delete(int index) override;
    void Clear() override;
    int IndexOf(const std::string& s) const override { return m_list.IndexOf(s); }

    bool Sorted() const { return m_list.Sorted(); }
    void SetSorted(bool v);
    // Puts every item into a new window.
    void Fill(HWND wnd);

protected:
    void SetUpdateState(bool updating) override;

private:
    void WindowInsert(int index, const std::string& s);
    TWinControl* m_owner;
    Messages m_msgs;
    TStringList m_list;
};

// ---------------------------------------------------------------------------

class TButtonControl : public TWinControl {
    DP_DECLARE_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* owner);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);

protected:
    void CreateParams(TCreateParams& params) override;
    // Set while the library itself changes the check state: no click then.
    bool m_clicksDisabled = false;
    bool m_wordWrap = false;
};

class TButton : public TButtonControl {
    DP_DECLARE_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* owner);

    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult v) { m_modalResult = v; }
    bool Default() const { return m_default; }
    void SetDefault(bool v);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool v) { m_cancel = v; }
    // Sets the form's modal result (when the button has one), then OnClick.
    void Click() override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    TModalResult m_modalResult = mrNone;
    bool m_default = false;
    bool m_cancel = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
DP_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

class TCustomCheckBox : public TButtonControl {
    DP_DECLARE_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* owner);

    bool Checked() const { return m_state == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return m_state; }
    // A change raises OnClick.
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool v) { m_allowGrayed = v; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    // What a click by the user does to the state.
    virtual void Toggle();
    TCheckBoxState m_state = cbUnchecked;
    bool m_allowGrayed = false;
    TAlignment m_alignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    DP_DECLARE_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
    DP_DECLARE_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return m_checked; }
    // Checking unchecks the sibling radio buttons and raises OnClick.
    void SetChecked(bool v);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    bool m_checked = false;
    TAlignment m_alignment = taRightJustify;
};

// ---------------------------------------------------------------------------

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
DP_ENUM_INFO(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")

class TCustomEdit : public TWinControl {
    DP_DECLARE_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);

    int32_t MaxLength() const { return m_maxLength; }
    void SetMaxLength(int32_t v);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool v);
    char PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(char c);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase v);
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool v) { m_autoSelect = v; }
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool v);
    bool Modified();
    void SetModified(bool v);
    int32_t SelStart();
    void SetSelStart(int32_t v);
    int32_t SelLength();
    void SetSelLength(int32_t v);
    std::string SelText();
    void SetSelText(const std::string& text);
    void SelectAll();
    void Clear() { SetText(""); }

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void TextChanged() override;
    virtual void Change();
    int32_t m_maxLength = 0;
    bool m_readOnly = false;
    char m_passwordChar = 0;
    TBorderStyle m_borderStyle = bsSingle;
    TEditCharCase m_charCase = ecNormal;
    bool m_autoSelect = true;
    bool m_hideSelection = true;
    bool m_modified = false;
    int m_settingText = 0;
};

class TEdit : public TCustomEdit {
    DP_DECLARE_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner);
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
DP_ENUM_INFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

class TCustomMemo;
// The lines of a memo: its text split at line breaks.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : m_memo(memo) {}
    int Count() const override;
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    void SetText(const std::string& text) override;

private:
    void Lines(TStringList& list) const;
    void Store(const TStringList& list);
    TCustomMemo* m_memo;
};

class TCustomMemo : public TCustomEdit {
    DP_DECLARE_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return m_lines.get(); }
    void SetLines(TStrings* lines);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool v) { m_wantReturns = v; }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool v) { m_wantTabs = v; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    std::unique_ptr<TMemoStrings> m_lines;
    TScrollStyle m_scrollBars = ssNone;
    bool m_wordWrap = true;
    bool m_wantReturns = true;
    bool m_wantTabs = false;
    TAlignment m_alignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
    DP_DECLARE_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---------------------------------------------------------------------------

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
DP_ENUM_INFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable")

class TCustomComboBox : public TWinControl {
    DP_DECLARE_CLASS(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStrings* Items() const { return m_items.get(); }
    void SetItems(TStrings* items);
    // From code: no event.
    int32_t ItemIndex();
    void SetItemIndex(int32_t index);
    TComboBoxStyle Style() const { return m_style; }
    void SetStyle(TComboBoxStyle v);
    int32_t DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int32_t v) { m_dropDownCount = v; }
    bool Sorted() const { return m_items->Sorted(); }
    void SetSorted(bool v);
    int32_t MaxLength() const { return m_maxLength; }
    void SetMaxLength(int32_t v);
    int32_t ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int32_t v) { m_itemHeight = v; }
    bool DroppedDown();
    void SetDroppedDown(bool v);
    void Clear();
    // The height is the closed box's; the window also holds the dropped-down list.
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

    // Text typed, or a selection by the user.
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void DestroyWnd() override;
    void Loaded() override;
    virtual void Change();
    virtual void Select();
    std::unique_ptr<TItemStrings> m_items;
    int32_t m_itemIndex = -1;
    TComboBoxStyle m_style = csDropDown;
    int32_t m_dropDownCount = 8;
    int32_t m_maxLength = 0;
    int32_t m_itemHeight = 16;
    bool m_settingText = false;
};

class TComboBox : public TCustomComboBox {
    DP_DECLARE_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

class TCustomListBox : public TWinControl {
    DP_DECLARE_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStrings* Items() const { return m_items.get(); }
    void SetItems(TStrings* items);
    // From code: no event.
    int32_t ItemIndex();
    void SetItemIndex(int32_t index);
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool v);
    bool Selected(int index);
    void SetSelected(int index, bool v);
    int32_t SelCount();
    bool Sorted() const { return m_items->Sorted(); }
    void SetSorted(bool v);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v);
    int32_t ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int32_t v) { m_itemHeight = v; }
    int32_t TopIndex();
    void SetTopIndex(int32_t v);
    int ItemAtPos(TPoint p, bool existing);
    void Clear();
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void DestroyWnd() override;
    void Loaded() override;
    std::unique_ptr<TItemStrings> m_items;
    int32_t m_itemIndex = -1;
    bool m_multiSelect = false;
    std::vector<bool> m_savedSelection;
    TBorderStyle m_borderStyle = bsSingle;
    int32_t m_itemHeight = 13;
};

class TListBox : public TCustomListBox {
    DP_DECLARE_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ---------------------------------------------------------------------------

class TCustomGroupBox : public TCustomControl {
    DP_DECLARE_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* owner);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& rect) override;
    void TextChanged() override;
};

class TGroupBox : public TCustomGroupBox {
    DP_DECLARE_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// ---------------------------------------------------------------------------

enum TTextLayout { tlTop, tlCenter, tlBottom };
DP_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")

class TCustomLabel : public TGraphicControl {
    DP_DECLARE_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);
    // A transparent label leaves its parent's background showing.
    bool Transparent() const { return !m_controlStyle.Contains(csOpaque); }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return m_focusControl; }
    void SetFocusControl(TWinControl* c) { m_focusControl = c; }

protected:
    void Paint() override;
    void AdjustSize() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    UINT DrawFlags() const;
    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlTop;
    bool m_wordWrap = false;
    bool m_showAccelChar = true;
    TWinControl* m_focusControl = nullptr;
};

class TLabel : public TCustomLabel {
    DP_DECLARE_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};
