// Small component classes with one property of every kind, for the tests.
#pragma once

#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/Colors.h"
#include "classlib/TypInfo.h"

enum TTestAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
DP_ENUM_INFO(TTestAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")

enum TTestAnchorKind { akLeft, akTop, akRight, akBottom };
DP_ENUM_INFO(TTestAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
using TTestAnchors = TSet<TTestAnchorKind>;

enum TTestFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DP_ENUM_INFO(TTestFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TTestFontStyles = TSet<TTestFontStyle>;

const TTypeInfo* TestCursorTypeInfo();  // "TCursor" with crDefault = 0, crHandPoint = -21

using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;

// What every test component reports: "Loaded:Name" and the like, in order.
std::vector<std::string>& TestLog();

class TTestFont : public TPersistent {
    DP_DECLARE_CLASS(TTestFont, TPersistent)
public:
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& v) { m_name = v; }
    int32_t Size() const { return m_size; }
    void SetSize(int32_t v) { m_size = v; }
    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v; }
    TTestFontStyles Style() const { return m_style; }
    void SetStyle(TTestFontStyles v) { m_style = v; }
    void Assign(TPersistent* source) override;

private:
    std::string m_name = "MS Sans Serif";
    int32_t m_size = 8;
    TColor m_color = clWindowText;
    TTestFontStyles m_style;
};

// A persistent with a binary defined property, like a picture's stored data.
class TTestPicture : public TPersistent {
    DP_DECLARE_CLASS(TTestPicture, TPersistent)
public:
    std::string Data;

protected:
    void DefineProperties(TFiler& filer) override;
};

class TTestPopup;

// A control-like component: one property of each kind.
class TTestControl : public TComponent {
    DP_DECLARE_CLASS(TTestControl, TComponent)
public:
    explicit TTestControl(TComponent* owner);
    ~TTestControl() override;

    int32_t Left() const { return m_left; }
    void SetLeft(int32_t v) { m_left = v; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v);
    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v; }
    TTestAlign Align() const { return m_align; }
    void SetAlign(TTestAlign v) { m_align = v; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v) { m_enabled = v; }
    TTestAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TTestAnchors v) { m_anchors = v; }
    char PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(char v) { m_passwordChar = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    int32_t Cursor() const { return m_cursor; }
    void SetCursor(int32_t v) { m_cursor = v; }
    TTestFont* Font() const { return m_font; }
    void SetFont(TTestFont* v) { m_font->Assign(v); }
    TTestPicture* Picture() const { return m_picture; }
    void SetPicture(TTestPicture* v) { m_picture->Data = v ? v->Data : std::string(); }
    TStrings* Items() const { return m_items; }
    void SetItems(TStrings* v) { m_items->Assign(*v); }
    TTestPopup* PopupMenu() const { return m_popup; }
    void SetPopupMenu(TTestPopup* v);
    const TNotifyEvent& OnClick() const { return m_onClick; }
    void SetOnClick(const TNotifyEvent& v) { m_onClick = v; }
    TKeyPressEvent OnKeyPress;

    void Click() { m_onClick(this); }

    TComponent* ParentSeen() const { return m_parent; }
    bool LoadingWhenCaptionSet() const { return m_loadingAtCaption; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return m_parent; }
    void SetParentComponent(TComponent* parent) override { m_parent = parent; }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    int32_t m_left = 0;
    std::string m_caption;
    TColor m_color = clBtnFace;
    TTestAlign m_align = alNone;
    bool m_enabled = true;
    TTestAnchors m_anchors{akLeft, akTop};
    char m_passwordChar = '\0';
    double m_ratio = 1.0;
    int32_t m_cursor = 0;
    TTestFont* m_font;
    TTestPicture* m_picture;
    TStringList* m_items;
    TTestPopup* m_popup = nullptr;
    TNotifyEvent m_onClick;
    TComponent* m_parent = nullptr;
    bool m_loadingAtCaption = false;
};

// A descendant that adds properties and republishes Left under a different getter.
class TTestButton : public TTestControl {
    DP_DECLARE_CLASS(TTestButton, TTestControl)
public:
    using TTestControl::TTestControl;
    int32_t ModalResult() const { return m_modalResult; }
    void SetModalResult(int32_t v) { m_modalResult = v; }
    bool Default() const { return m_default; }
    void SetDefault(bool v) { m_default = v; }
    // Republished Left: the descendant's accessors count in tenths.
    int32_t LeftTenths() const { return Left() * 10; }
    void SetLeftTenths(int32_t v) { SetLeft(v / 10); }

private:
    int32_t m_modalResult = 0;
    bool m_default = false;
};

class TTestPanel : public TTestControl {
    DP_DECLARE_CLASS(TTestPanel, TTestControl)
public:
    using TTestControl::TTestControl;
};

// Non-visual components: no parent.
class TTestPopup : public TComponent {
    DP_DECLARE_CLASS(TTestPopup, TComponent)
public:
    using TComponent::TComponent;

protected:
    void Loaded() override;
};

class TTestTimer : public TComponent {
    DP_DECLARE_CLASS(TTestTimer, TComponent)
public:
    using TComponent::TComponent;
    int32_t Interval() const { return m_interval; }
    void SetInterval(int32_t v) { m_interval = v; }
    TNotifyEvent OnTimer;

protected:
    void Loaded() override;

private:
    int32_t m_interval = 1000;
};

// A component with defined properties: binary SkinStream, text TextHeight.
class TTestSkinData : public TComponent {
    DP_DECLARE_CLASS(TTestSkinData, TComponent)
public:
    using TComponent::TComponent;
    bool Active() const { return m_active; }
    void SetActive(bool v) { m_active = v; }
    std::string Stream;  // the SkinStream bytes exactly as they arrived
    int StreamReads = 0;
    int TextHeight = 0;
    std::vector<std::string> Lines;  // LinesData = ( 'a' 'b' )

protected:
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

private:
    bool m_active = false;
};

// The form being filled: fields, handlers and a property of its own.
class TTestForm : public TComponent {
    DP_DECLARE_CLASS(TTestForm, TComponent)
public:
    using TComponent::TComponent;
    TTestButton* Button1 = nullptr;
    TTestPanel* Panel1 = nullptr;
    TTestTimer* Timer1 = nullptr;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    TTestAnchors BorderIcons() const { return m_icons; }
    void SetBorderIcons(TTestAnchors v) { m_icons = v; }
    TNotifyEvent OnCreate;

    std::vector<std::string> Calls;
    void FormCreate(TObject* sender);
    void Button1Click(TObject* sender);
    void FormKeyPress(TObject* sender, char& key);

protected:
    void Loaded() override;

private:
    std::string m_caption;
    TTestAnchors m_icons;
};

// A second form class, for the class check on the root object.
class TOtherForm : public TComponent {
    DP_DECLARE_CLASS(TOtherForm, TComponent)
public:
    using TComponent::TComponent;
};
