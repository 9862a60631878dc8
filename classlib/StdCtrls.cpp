#include "classlib/StdCtrls.h"

#include <algorithm>

#include "classlib/Forms.h"

// ---------------------------------------------------------------------------
// TItemStrings

void TItemStrings::WindowInsert(int index, const std::string& s) {
    if (m_owner->HandleAllocated())
        SendMessageA(m_owner->Handle(), m_msgs.Insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
}

void TItemStrings::Put(int index, const std::string& s) {
    m_list.Put(index, s);
    if (m_owner->HandleAllocated()) {
        SendMessageA(m_owner->Handle(), m_msgs.Delete, static_cast<WPARAM>(index), 0);
        WindowInsert(index, s);
    }
    Changed();
}

void TItemStrings::Insert(int index, const std::string& s) {
    m_list.Insert(index, s);
    WindowInsert(index, s);
    Changed();
}

int TItemStrings::Add(const std::string& s) { return AddObject(s, nullptr); }

int TItemStrings::AddObject(const std::string& s, void* obj) {
    const int before = m_list.Count();
    const int index = m_list.AddObject(s, obj);
    if (m_list.Count() != before) {
        WindowInsert(index, s);
        Changed();
    }
    return index;
}

void TItemStrings::Delete(int index) {
    m_list.Delete(index);
    if (m_owner->HandleAllocated()) SendMessageA(m_owner->Handle(), m_msgs.Delete, static_cast<WPARAM>(index), 0);
    Changed();
}

void TItemStrings::Clear() {
    m_list.Clear();
    if (m_owner->HandleAllocated()) SendMessageA(m_owner->Handle(), m_msgs.Reset, 0, 0);
    Changed();
}

void TItemStrings::SetUpdateState(bool updating) {
    if (!m_owner->HandleAllocated()) return;
    SendMessageA(m_owner->Handle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) m_owner->Invalidate();
}

void TItemStrings::SetSorted(bool v) {
    if (v == m_list.Sorted()) return;
    m_list.SetSorted(v);
    if (m_owner->HandleAllocated()) Fill(m_owner->Handle());
}

void TItemStrings::Fill(HWND wnd) {
    SendMessageA(wnd, m_msgs.Reset, 0, 0);
    for (int i = 0; i < m_list.Count(); ++i)
        SendMessageA(wnd, m_msgs.Insert, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(m_list.Get(i).c_str()));
}

// ---------------------------------------------------------------------------
// Buttons

DP_PUBLISHED(TButtonControl){
    DP_PROP_BOOL(WordWrap, WordWrap, SetWordWrap),
};

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    m_color = clBtnFace;
    m_tabStop = true;
}

void TButtonControl::SetWordWrap(bool v) {
    if (v == m_wordWrap) return;
    m_wordWrap = v;
    RecreateWnd();
}

void TButtonControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "BUTTON");
    if (m_wordWrap) p.Style |= BS_MULTILINE;
}

DP_PUBLISHED(TButton){
    DP_PROP_IDENTS(ModalResult, ModalResultTypeInfo(), ModalResult, SetModalResult),
    DP_PROP_BOOL(Default, Default, SetDefault),
    DP_PROP_BOOL(Cancel, Cancel, SetCancel),
};

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    m_width = 75;
    m_height = 25;
}

void TButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= m_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
    m_default = v;
    if (HandleAllocated()) SendMessageA(m_handle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (m_modalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(m_modalResult);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_COMMAND:
            if (HIWORD(m.WParam) == BN_CLICKED) Click();
            return;
        case CM_DIALOGKEY: {
            TControl* focused = FindControl(GetFocus());
            const bool active = focused == this || (m_default && !DynamicAs<TButton>(focused));
            if ((m.WParam == VK_RETURN && active) || (m.WParam == VK_ESCAPE && m_cancel)) {
                if (IsReachable(this)) {
                    Click();
                    m.Result = 1;
                }
            }
            return;
        }
        case CM_DIALOGCHAR:
            // A push button's mnemonic clicks it where it is; the focus stays.
            if (IsAccel(m.WParam, Caption()) && IsReachable(this)) {
                Click();
                m.Result = 1;
            }
            return;
        default: break;
    }
    TButtonControl::WndProc(m);
}

DP_PUBLISHED(TCustomCheckBox){
    DP_PROP_BOOL(Checked, Checked, SetChecked),
    DP_PROP_ENUM(State, State, SetState),
    DP_PROP_BOOL(AllowGrayed, AllowGrayed, SetAllowGrayed),
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};
DP_PUBLISHED(TCheckBox){};

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    m_width = 97;
    m_height = 17;
    m_parentColor = true;
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= m_allowGrayed ? BS_3STATE : BS_CHECKBOX;
    if (m_alignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateHandleState() { SendMessageA(m_handle, BM_SETCHECK, m_state, 0); }

void TCustomCheckBox::SetAlignment(TAlignment v) {
    if (v == m_alignment) return;
    m_alignment = v;
    RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == m_state) return;
    m_state = state;
    if (HandleAllocated()) SendMessageA(m_handle, BM_SETCHECK, state, 0);
    if (!IsLoading() && !m_clicksDisabled) Click();
}

void TCustomCheckBox::Toggle() {
    switch (m_state) {
        case cbUnchecked: SetState(m_allowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) Toggle();
        return;
    }
    if (m.Msg == CM_DIALOGCHAR) {
        if (IsAccel(m.WParam, Caption()) && IsReachable(this)) {
            SetFocus();
            if (Focused()) Toggle();
            m.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(m);
}

DP_PUBLISHED(TRadioButton){
    DP_PROP_BOOL(Checked, Checked, SetChecked),
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    m_width = 113;
    m_height = 17;
    m_parentColor = true;
    m_tabStop = false;
}

void TRadioButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= BS_RADIOBUTTON;
    if (m_alignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateHandleState() {
    SendMessageA(m_handle, BM_SETCHECK, m_checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TAlignment v) {
    if (v == m_alignment) return;
    m_alignment = v;
    RecreateWnd();
}

void TRadioButton::SetChecked(bool v) {
    if (v == m_checked) return;
    m_checked = v;
    SetTabStop(v);
    if (HandleAllocated()) SendMessageA(m_handle, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!v) return;
    if (m_parent)
        for (int i = 0; i < m_parent->ControlCount(); ++i)
            if (auto* r = DynamicAs<TRadioButton>(m_parent->Controls(i)))
                if (r != this) r->SetChecked(false);
    if (!IsLoading() && !m_clicksDisabled) Click();
}

void TRadioButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED || HIWORD(m.WParam) == BN_DOUBLECLICKED) SetChecked(true);
        return;
    }
    if (m.Msg == CM_DIALOGCHAR) {
        if (IsAccel(m.WParam, Caption()) && IsReachable(this)) {
            SetFocus();
            if (Focused()) SetChecked(true);
            m.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Edits

DP_PUBLISHED(TCustomEdit){
    DP_PROP_STR(Text, Text, SetText),
    DP_PROP_INT(MaxLength, MaxLength, SetMaxLength),
    DP_PROP_BOOL(ReadOnly, ReadOnly, SetReadOnly),
    DP_PROP_CHAR(PasswordChar, PasswordChar, SetPasswordChar),
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_ENUM(CharCase, CharCase, SetCharCase),
    DP_PROP_BOOL(AutoSelect, AutoSelect, SetAutoSelect),
    DP_PROP_BOOL(HideSelection, HideSelection, SetHideSelection),
    DP_PROP_FIELD(OnChange, OnChange),
};
DP_PUBLISHED(TEdit){};

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    m_width = 121;
    m_height = 21;
    m_tabStop = true;
    m_color = clWindow;
    m_controlStyle += csClickEvents;
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "EDIT");
    p.Style |= ES_AUTOHSCROLL;
    if (m_borderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
    if (m_readOnly) p.Style |= ES_READONLY;
    if (!m_hideSelection) p.Style |= ES_NOHIDESEL;
    if (m_charCase == ecUpperCase) p.Style |= ES_UPPERCASE;
    if (m_charCase == ecLowerCase) p.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateHandleState() {
    if (m_maxLength > 0) SendMessageA(m_handle, EM_LIMITTEXT, m_maxLength, 0);
    if (m_passwordChar) SendMessageA(m_handle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(m_passwordChar), 0);
    SendMessageA(m_handle, EM_SETMODIFY, m_modified, 0);
}

void TCustomEdit::SetMaxLength(int32_t v) {
    m_maxLength = v;
    if (HandleAllocated()) SendMessageA(m_handle, EM_LIMITTEXT, v, 0);
}

void TCustomEdit::SetReadOnly(bool v) {
    m_readOnly = v;
    if (HandleAllocated()) SendMessageA(m_handle, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetPasswordChar(char c) {
    if (c == m_passwordChar) return;
    m_passwordChar = c;
    if (HandleAllocated()) {
        SendMessageA(m_handle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
        Invalidate();
    }
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    if (v == m_charCase) return;
    m_charCase = v;
    RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool v) {
    if (v == m_hideSelection) return;
    m_hideSelection = v;
    RecreateWnd();
}

bool TCustomEdit::Modified() {
    if (HandleAllocated()) return SendMessageA(m_handle, EM_GETMODIFY, 0, 0) != 0;
    return m_modified;
}

void TCustomEdit::SetModified(bool v) {
    m_modified = v;
    if (HandleAllocated()) SendMessageA(m_handle, EM_SETMODIFY, v, 0);
}

int32_t TCustomEdit::SelStart() {
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int32_t>(start);
}

void TCustomEdit::SetSelStart(int32_t v) { SendMessageA(Handle(), EM_SETSEL, v, v); }

int32_t TCustomEdit::SelLength() {
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int32_t>(end - start);
}

void TCustomEdit::SetSelLength(int32_t v) {
    int32_t start = SelStart();
    SendMessageA(Handle(), EM_SETSEL, start, start + v);
}

std::string TCustomEdit::SelText() {
    std::string t = Text();
    int32_t s = SelStart(), n = SelLength();
    if (s < 0 || s > static_cast<int32_t>(t.size())) return {};
    return t.substr(static_cast<size_t>(s), static_cast<size_t>(n));
}

void TCustomEdit::SetSelText(const std::string& text) {
    SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageA(m_handle, EM_SETSEL, 0, -1);
}

void TCustomEdit::TextChanged() {}

void TCustomEdit::Change() {
    if (IsLoading() || ComponentState().Contains(csDestroying)) return;
    OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_SETTEXT: {
            // One change event per new text, whether or not the window reports one itself.
            const std::string before = GetTextBuf();
            ++m_settingText;
            try {
                TWinControl::WndProc(m);
            } catch (...) {
                --m_settingText;
                throw;
            }
            --m_settingText;
            if (GetTextBuf() != before) Change();
            return;
        }
        case CN_COMMAND:
            if (HIWORD(m.WParam) == EN_CHANGE && !m_settingText) Change();
            return;
        default: break;
    }
    TWinControl::WndProc(m);
}

// --- memo

int TMemoStrings::Count() const {
    TStringList l;
    Lines(l);
    return l.Count();
}

std::string TMemoStrings::Get(int index) const {
    TStringList l;
    Lines(l);
    return l.Get(index);
}

void TMemoStrings::Lines(TStringList& list) const { list.SetText(m_memo->Text()); }

void TMemoStrings::Store(const TStringList& list) {
    m_memo->SetText(list.Count() ? list.Text() : std::string());
    Changed();
}

void TMemoStrings::Put(int index, const std::string& s) {
    TStringList l;
    Lines(l);
    l.Put(index, s);
    Store(l);
}

void TMemoStrings::Insert(int index, const std::string& s) {
    TStringList l;
    Lines(l);
    l.Insert(index, s);
    Store(l);
}

void TMemoStrings::Delete(int index) {
    TStringList l;
    Lines(l);
    l.Delete(index);
    Store(l);
}

void TMemoStrings::Clear() {
    m_memo->SetText("");
    Changed();
}

void TMemoStrings::SetText(const std::string& text) {
    TStringList l;
    l.SetText(text);
    Store(l);
}

DP_PUBLISHED(TCustomMemo){
    DP_PROP_STRINGS(Lines, Lines, SetLines),       DP_PROP_ENUM(ScrollBars, ScrollBars, SetScrollBars),
    DP_PROP_BOOL(WordWrap, WordWrap, SetWordWrap), DP_PROP_BOOL(WantReturns, WantReturns, SetWantReturns),
    DP_PROP_BOOL(WantTabs, WantTabs, SetWantTabs), DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};
DP_PUBLISHED(TMemo){};

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), m_lines(std::make_unique<TMemoStrings>(this)) {
    m_width = 185;
    m_height = 89;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetLines(TStrings* lines) {
    if (lines && lines != m_lines.get()) m_lines->Assign(*lines);
}

void TCustomMemo::CreateParams(TCreateParams& p) {
    TCustomEdit::CreateParams(p);
    p.Style |= ES_MULTILINE;
    if (m_wantReturns) p.Style |= ES_WANTRETURN;
    if (m_wordWrap) p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    p.Style |= ES_AUTOVSCROLL;
    if (m_scrollBars == ssVertical || m_scrollBars == ssBoth) p.Style |= WS_VSCROLL;
    if (m_scrollBars == ssHorizontal || m_scrollBars == ssBoth) p.Style |= WS_HSCROLL;
    if (m_alignment == taCenter) p.Style |= ES_CENTER;
    if (m_alignment == taRightJustify) p.Style |= ES_RIGHT;
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
    if (v == m_scrollBars) return;
    m_scrollBars = v;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool v) {
    if (v == m_wordWrap) return;
    m_wordWrap = v;
    RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment v) {
    if (v == m_alignment) return;
    m_alignment = v;
    RecreateWnd();
}

void TCustomMemo::WndProc(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(m);
        if (m_wantTabs)
            m.Result |= DLGC_WANTTAB;
        else
            m.Result &= ~DLGC_WANTTAB;
        if (!m_wantReturns) m.Result &= ~DLGC_WANTALLKEYS;
        // A box that cannot be typed into keeps no key from the form: Tab moves on, Enter and
        // Escape reach the default and cancel buttons (the multi-line edit would send Escape to
        // its parent as a close).
        if (ReadOnly()) m.Result &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB);
        return;
    }
    TCustomEdit::WndProc(m);
}

// ---------------------------------------------------------------------------
// Combo box

DP_PUBLISHED(TCustomComboBox){
    DP_PROP_STR(Text, Text, SetText),
    DP_PROP_STRINGS(Items, Items, SetItems),
    DP_PROP_INT(ItemIndex, ItemIndex, SetItemIndex),
    DP_PROP_ENUM(Style, Style, SetStyle),
    DP_PROP_INT(DropDownCount, DropDownCount, SetDropDownCount),
    DP_PROP_BOOL(Sorted, Sorted, SetSorted),
    DP_PROP_INT(MaxLength, MaxLength, SetMaxLength),
    DP_PROP_INT(ItemHeight, ItemHeight, SetItemHeight),
    DP_PROP_FIELD(OnChange, OnChange),
    DP_PROP_FIELD(OnSelect, OnSelect),
    DP_PROP_FIELD(OnDropDown, OnDropDown),
    DP_PROP_FIELD(OnCloseUp, OnCloseUp),
};
DP_PUBLISHED(TComboBox){};

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      m_items(std::make_unique<TItemStrings>(
          this, TItemStrings::Messages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT})) {
    m_width = 145;
    m_height = 21;
    m_tabStop = true;
    m_color = clWindow;
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::SetItems(TStrings* items) {
    if (items && items != m_items.get()) m_items->Assign(*items);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "COMBOBOX");
    p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (m_style) {
        case csDropDown: p.Style |= CBS_DROPDOWN; break;
        case csSimple: p.Style |= CBS_SIMPLE; break;
        case csDropDownList: p.Style |= CBS_DROPDOWNLIST; break;
        case csOwnerDrawFixed: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
        case csOwnerDrawVariable: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS; break;
    }
    // The window's height includes the dropped-down list.
    if (m_style != csSimple) p.Height = m_height + m_dropDownCount * m_itemHeight + 2;
}

void TCustomComboBox::CreateHandleState() {
    m_items->Fill(m_handle);
    if (m_maxLength > 0) SendMessageA(m_handle, CB_LIMITTEXT, m_maxLength, 0);
    SendMessageA(m_handle, CB_SETCURSEL, static_cast<WPARAM>(m_itemIndex), 0);
    if (m_style == csDropDown || m_style == csSimple) SetWindowTextA(m_handle, m_text.c_str());
}

void TCustomComboBox::DestroyWnd() {
    m_itemIndex = static_cast<int32_t>(SendMessageA(m_handle, CB_GETCURSEL, 0, 0));
    TWinControl::DestroyWnd();
}

int32_t TCustomComboBox::ItemIndex() {
    if (HandleAllocated()) return static_cast<int32_t>(SendMessageA(m_handle, CB_GETCURSEL, 0, 0));
    return m_itemIndex;
}

void TCustomComboBox::SetItemIndex(int32_t index) {
    if (IsLoading()) {
        // the items may follow in the definition
        m_itemIndex = index;
        return;
    }
    if (index < -1 || index >= m_items->Count()) index = -1;
    m_itemIndex = index;
    if (HandleAllocated())
        SendMessageA(m_handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else if (m_style == csDropDownList || index >= 0)
        m_text = index >= 0 ? m_items->Get(index) : std::string();
}

void TCustomComboBox::Loaded() {
    TWinControl::Loaded();
    const bool listOnly = m_style == csDropDownList || m_style == csOwnerDrawFixed || m_style == csOwnerDrawVariable;
    if (m_itemIndex < -1 || m_itemIndex >= m_items->Count()) m_itemIndex = -1;
    if (m_itemIndex < 0 && listOnly && !m_text.empty()) m_itemIndex = m_items->IndexOf(m_text);
    if (listOnly) m_text = m_itemIndex >= 0 ? m_items->Get(m_itemIndex) : std::string();
    if (HandleAllocated()) CreateHandleState();
}

void TCustomComboBox::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (!HandleAllocated() || m_style == csSimple) {
        TWinControl::SetBounds(left, top, width, height);
        return;
    }
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    SetWindowPos(m_handle, nullptr, left, top, width, height + m_dropDownCount * m_itemHeight + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_parent && m_align != alNone) m_parent->Realign();
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (v == m_style) return;
    m_style = v;
    RecreateWnd();
}

void TCustomComboBox::SetSorted(bool v) { m_items->SetSorted(v); }

void TCustomComboBox::SetMaxLength(int32_t v) {
    m_maxLength = v;
    if (HandleAllocated()) SendMessageA(m_handle, CB_LIMITTEXT, v, 0);
}

bool TCustomComboBox::DroppedDown() {
    return HandleAllocated() && SendMessageA(m_handle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool v) { SendMessageA(Handle(), CB_SHOWDROPDOWN, v, 0); }

void TCustomComboBox::Clear() {
    m_items->Clear();
    m_itemIndex = -1;
    SetText("");
}

void TCustomComboBox::Change() {
    if (IsLoading()) return;
    OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_SETTEXT:
            if (IsLoading() && !HandleAllocated()) {
                m_text = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
                m.Result = TRUE;
                return;
            }
            if (m_style == csDropDownList || m_style == csOwnerDrawFixed || m_style == csOwnerDrawVariable) {
                // A list-only combo shows the item of that text, or none.
                std::string text = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
                int index = -1;
                for (int i = 0; i < m_items->Count(); ++i)
                    if (m_items->Get(i) == text) {
                        index = i;
                        break;
                    }
                SetItemIndex(index);
                if (!HandleAllocated()) m_text = index >= 0 ? text : std::string();
                m.Result = TRUE;
                return;
            }
            break;
        case CN_COMMAND:
            switch (HIWORD(m.WParam)) {
                case CBN_SELCHANGE:
                    m_itemIndex = ItemIndex();
                    Click();
                    Select();
                    break;
                case CBN_EDITCHANGE: Change(); break;
                case CBN_DROPDOWN: OnDropDown(this); break;
                case CBN_CLOSEUP: OnCloseUp(this); break;
                default: break;
            }
            return;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetTextColor(dc, ColorToRGB(m_font->Color()));
            SetBkColor(dc, ColorToRGB(m_color));
            m.Result = reinterpret_cast<LRESULT>(BrushHandle());
            return;
        }
        default: break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// List box

DP_PUBLISHED(TCustomListBox){
    DP_PROP_STRINGS(Items, Items, SetItems),
    DP_PROP_INT(ItemIndex, ItemIndex, SetItemIndex),
    DP_PROP_BOOL(MultiSelect, MultiSelect, SetMultiSelect),
    DP_PROP_BOOL(Sorted, Sorted, SetSorted),
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_INT(ItemHeight, ItemHeight, SetItemHeight),
};
DP_PUBLISHED(TListBox){};

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner),
      m_items(std::make_unique<TItemStrings>(
          this, TItemStrings::Messages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT})) {
    m_width = 121;
    m_height = 97;
    m_tabStop = true;
    m_color = clWindow;
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::SetItems(TStrings* items) {
    if (items && items != m_items.get()) m_items->Assign(*items);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "LISTBOX");
    p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS;
    if (m_multiSelect) p.Style |= LBS_EXTENDEDSEL;
    if (m_borderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandleState() {
    m_items->Fill(m_handle);
    if (m_multiSelect) {
        for (size_t i = 0; i < m_savedSelection.size() && i < static_cast<size_t>(m_items->Count()); ++i)
            if (m_savedSelection[i]) SendMessageA(m_handle, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
        SendMessageA(m_handle, LB_SETCARETINDEX, static_cast<WPARAM>(m_itemIndex), 0);
    } else {
        SendMessageA(m_handle, LB_SETCURSEL, static_cast<WPARAM>(m_itemIndex), 0);
    }
    m_savedSelection.clear();
}

void TCustomListBox::DestroyWnd() {
    m_itemIndex = ItemIndex();
    if (m_multiSelect) {
        m_savedSelection.assign(static_cast<size_t>(m_items->Count()), false);
        for (int i = 0; i < m_items->Count(); ++i) m_savedSelection[i] = SendMessageA(m_handle, LB_GETSEL, i, 0) > 0;
    }
    TWinControl::DestroyWnd();
}

int32_t TCustomListBox::ItemIndex() {
    if (!HandleAllocated()) return m_itemIndex;
    if (m_multiSelect) return static_cast<int32_t>(SendMessageA(m_handle, LB_GETCARETINDEX, 0, 0));
    return static_cast<int32_t>(SendMessageA(m_handle, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::Loaded() {
    TWinControl::Loaded();
    if (m_itemIndex < -1 || m_itemIndex >= m_items->Count()) m_itemIndex = -1;
    if (HandleAllocated()) CreateHandleState();
}

void TCustomListBox::SetItemIndex(int32_t index) {
    if (IsLoading()) {
        m_itemIndex = index;
        return;
    }
    if (index < -1 || index >= m_items->Count()) index = -1;
    m_itemIndex = index;
    if (!HandleAllocated()) return;
    if (m_multiSelect)
        SendMessageA(m_handle, LB_SETCARETINDEX, static_cast<WPARAM>(index), 0);
    else
        SendMessageA(m_handle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomListBox::SetMultiSelect(bool v) {
    if (v == m_multiSelect) return;
    m_multiSelect = v;
    RecreateWnd();
}

bool TCustomListBox::Selected(int index) {
    if (index < 0 || index >= m_items->Count()) throw EListError(Format(SListIndexError, index));
    if (!HandleAllocated())
        return m_multiSelect ? (static_cast<size_t>(index) < m_savedSelection.size() && m_savedSelection[index])
                             : index == m_itemIndex;
    return SendMessageA(m_handle, LB_GETSEL, index, 0) > 0;
}

void TCustomListBox::SetSelected(int index, bool v) {
    if (index < 0 || index >= m_items->Count()) throw EListError(Format(SListIndexError, index));
    if (m_multiSelect)
        SendMessageA(Handle(), LB_SETSEL, v, index);
    else if (v)
        SetItemIndex(index);
    else if (ItemIndex() == index)
        SetItemIndex(-1);
}

int32_t TCustomListBox::SelCount() {
    if (!m_multiSelect) return -1;
    return static_cast<int32_t>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetSorted(bool v) { m_items->SetSorted(v); }

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

int32_t TCustomListBox::TopIndex() { return static_cast<int32_t>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0)); }
void TCustomListBox::SetTopIndex(int32_t v) { SendMessageA(Handle(), LB_SETTOPINDEX, v, 0); }

int TCustomListBox::ItemAtPos(TPoint p, bool existing) {
    LRESULT r = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
    if (HIWORD(r) != 0) return existing ? -1 : m_items->Count();
    return LOWORD(r);
}

void TCustomListBox::Clear() {
    m_items->Clear();
    m_itemIndex = -1;
}

void TCustomListBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
            case LBN_SELCHANGE: Click(); break;
            case LBN_DBLCLK: DblClick(); break;
            default: break;
        }
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Group box

DP_PUBLISHED(TCustomGroupBox){};
DP_PUBLISHED(TGroupBox){};

namespace {
int FontHeight(TFont* font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}
}  // namespace

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    m_width = 185;
    m_height = 105;
    m_color = clBtnFace;
    m_parentColor = true;
    m_controlStyle += csAcceptsControls;
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) {
    rect.top += FontHeight(m_font.get());
    InflateRect(&rect, -2, -2);
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    if (rect.right < rect.left) rect.right = rect.left;
}

void TCustomGroupBox::TextChanged() { Invalidate(); }

void TCustomGroupBox::Paint() {
    HDC dc = m_canvas->Handle();
    const int saved = SaveDC(dc);
    SelectObject(dc, m_font->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RECT r = ClientRect();
    r.top += tm.tmHeight / 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    const std::string text = Text();
    if (!text.empty()) {
        RECT t{8, 0, 0, tm.tmHeight};
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_CALCRECT);
        t.left -= 1;
        t.right += 1;
        HBRUSH b = CreateSolidBrush(ColorToRGB(m_color));
        FillRect(dc, &t, b);
        DeleteObject(b);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(m_enabled ? m_font->Color() : clGrayText));
        t.left += 1;
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE);
    }
    RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Label

DP_PUBLISHED(TCustomLabel){
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
    DP_PROP_ENUM(Layout, Layout, SetLayout),
    DP_PROP_BOOL(WordWrap, WordWrap, SetWordWrap),
    DP_PROP_BOOL(Transparent, Transparent, SetTransparent),
    DP_PROP_BOOL(ShowAccelChar, ShowAccelChar, SetShowAccelChar),
    DP_PROP_BOOL(AutoSize, AutoSize, SetAutoSize),
    DP_PROP_OBJ(FocusControl, FocusControl, SetFocusControl),
};
DP_PUBLISHED(TLabel){};

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    m_width = 65;
    m_height = 17;
    m_color = clBtnFace;
    m_parentColor = true;
    m_autoSize = true;
    m_controlStyle += csOpaque;
}

void TCustomLabel::SetAlignment(TAlignment v) {
    if (v == m_alignment) return;
    m_alignment = v;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
    if (v == m_layout) return;
    m_layout = v;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
    if (v == m_wordWrap) return;
    m_wordWrap = v;
    AdjustSize();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
    if (v == Transparent()) return;
    if (v)
        m_controlStyle -= csOpaque;
    else
        m_controlStyle += csOpaque;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
    if (v == m_showAccelChar) return;
    m_showAccelChar = v;
    AdjustSize();
    Invalidate();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == m_focusControl) m_focusControl = nullptr;
}

void TCustomLabel::Loaded() { TGraphicControl::Loaded(); }

UINT TCustomLabel::DrawFlags() const {
    UINT f = DT_EXPANDTABS;
    if (m_wordWrap) f |= DT_WORDBREAK;
    if (!m_showAccelChar) f |= DT_NOPREFIX;
    if (m_alignment == taCenter) f |= DT_CENTER;
    if (m_alignment == taRightJustify) f |= DT_RIGHT;
    return f;
}

void TCustomLabel::AdjustSize() {
    if (!m_autoSize || IsLoading() || ComponentState().Contains(csDestroying)) return;
    std::string text = m_text.empty() ? std::string(" ") : m_text;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_font->Handle());
    RECT r{0, 0, m_wordWrap ? m_width : 0x7FFF, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int w = m_wordWrap ? m_width : (m_text.empty() ? 0 : r.right);
    int h = r.bottom;
    int left = m_left;
    if (!m_wordWrap) {
        if (m_alignment == taRightJustify) left = m_left + m_width - w;
        if (m_alignment == taCenter) left = m_left + (m_width - w) / 2;
    }
    SetBounds(left, m_top, w, h);
}

void TCustomLabel::Paint() {
    TCanvas* c = m_canvas.get();
    TRect r = ClientRect();
    if (!Transparent()) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(m_color);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(bsClear);
    std::string text = Text();
    TTextFormat fmt{tfExpandTabs};
    if (m_wordWrap) fmt += tfWordBreak;
    if (!m_showAccelChar) fmt += tfNoPrefix;
    if (m_alignment == taCenter) fmt += tfCenter;
    if (m_alignment == taRightJustify) fmt += tfRight;
    if (m_layout != tlTop) {
        TRect calc = r;
        std::string t = text;
        c->TextRect(calc, t, fmt + tfCalcRect);
        const int h = RectHeight(calc);
        if (m_layout == tlCenter) OffsetRect(&r, 0, (RectHeight(r) - h) / 2);
        if (m_layout == tlBottom) OffsetRect(&r, 0, RectHeight(r) - h);
    }
    if (!m_enabled) {
        TRect s = r;
        OffsetRect(&s, 1, 1);
        c->Font()->SetColor(clBtnHighlight);
        std::string t = text;
        c->TextRect(s, t, fmt);
        c->Font()->SetColor(clBtnShadow);
    }
    c->TextRect(r, text, fmt);
}
