#include "tests/components/TestClasses.h"

#include "classlib/FormReader.h"

std::vector<std::string>& TestLog() {
    static std::vector<std::string> log;
    return log;
}

const TTypeInfo* TestCursorTypeInfo() {
    static const TTypeInfo info = dp::MakeIdentInfo("TCursor", {{0, "crDefault"}, {-21, "crHandPoint"}});
    return &info;
}

// --- TTestFont

DP_PUBLISHED(TTestFont){
    DP_PROP_STR(Name, Name, SetName),
    DP_PROP_INT(Size, Size, SetSize),
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_SET(Style, Style, SetStyle),
};

void TTestFont::Assign(TPersistent* source) {
    if (auto* f = DynamicAs<TTestFont>(source)) {
        m_name = f->m_name;
        m_size = f->m_size;
        m_color = f->m_color;
        m_style = f->m_style;
        return;
    }
    TPersistent::Assign(source);
}

// --- TTestPicture

DP_PUBLISHED(TTestPicture){};

void TTestPicture::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { Data = s.ReadString(s.Size()); }, [this](TStream& s) { s.WriteString(Data); },
        true);
}

// --- TTestControl

DP_PUBLISHED(TTestControl){
    DP_PROP_INT(Left, Left, SetLeft),
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_ENUM(Align, Align, SetAlign),
    DP_PROP_BOOL(Enabled, Enabled, SetEnabled),
    DP_PROP_SET(Anchors, Anchors, SetAnchors),
    DP_PROP_CHAR(PasswordChar, PasswordChar, SetPasswordChar),
    DP_PROP_FLOAT(Ratio, Ratio, SetRatio),
    DP_PROP_IDENTS(Cursor, TestCursorTypeInfo(), Cursor, SetCursor),
    DP_PROP_OBJ(Font, Font, SetFont),
    DP_PROP_OBJ(Picture, Picture, SetPicture),
    DP_PROP_STRINGS(Items, Items, SetItems),
    DP_PROP_OBJ(PopupMenu, PopupMenu, SetPopupMenu),
    DP_PROP_EVENT(OnClick, OnClick, SetOnClick),
    DP_PROP_FIELD(OnKeyPress, OnKeyPress),
};

TTestControl::TTestControl(TComponent* owner)
    : TComponent(owner), m_font(new TTestFont), m_picture(new TTestPicture), m_items(new TStringList) {}

TTestControl::~TTestControl() {
    delete m_font;
    delete m_picture;
    delete m_items;
}

void TTestControl::SetCaption(const std::string& v) {
    m_caption = v;
    m_loadingAtCaption = ComponentState().Contains(csLoading);
}

void TTestControl::SetPopupMenu(TTestPopup* v) {
    if (m_popup) m_popup->RemoveFreeNotification(this);
    m_popup = v;
    if (v) v->FreeNotification(this);
}

void TTestControl::Loaded() {
    TComponent::Loaded();
    TestLog().push_back("Loaded:" + Name());
}

void TTestControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_popup) m_popup = nullptr;
}

// --- TTestButton, TTestPanel

DP_PUBLISHED(TTestButton){
    DP_PROP_INT(ModalResult, ModalResult, SetModalResult),
    DP_PROP_BOOL(Default, Default, SetDefault),
    DP_PROP_INT(Left, LeftTenths, SetLeftTenths),
};

DP_PUBLISHED(TTestPanel){};

// --- non-visual

DP_PUBLISHED(TTestPopup){};

void TTestPopup::Loaded() {
    TComponent::Loaded();
    TestLog().push_back("Loaded:" + Name());
}

DP_PUBLISHED(TTestTimer){
    DP_PROP_INT(Interval, Interval, SetInterval),
    DP_PROP_FIELD(OnTimer, OnTimer),
};

void TTestTimer::Loaded() {
    TComponent::Loaded();
    TestLog().push_back("Loaded:" + Name());
}

DP_PUBLISHED(TTestSkinData){
    DP_PROP_BOOL(Active, Active, SetActive),
};

void TTestSkinData::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "SkinStream",
        [this](TStream& s) {
            ++StreamReads;
            Stream = s.ReadString(s.Size() - s.Position());
        },
        nullptr, true);
    filer.DefineProperty(
        "TextHeight", [this](TReader& r) { TextHeight = r.ReadInteger(); }, nullptr, true);
    filer.DefineProperty(
        "LinesData",
        [this](TReader& r) {
            r.ReadListBegin();
            while (!r.EndOfList()) Lines.push_back(r.ReadString());
            r.ReadListEnd();
        },
        nullptr, true);
}

void TTestSkinData::Loaded() {
    TComponent::Loaded();
    TestLog().push_back("Loaded:" + Name() + (Stream.empty() ? "" : " stream"));
}

// --- forms

DP_PUBLISHED(TTestForm){
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_SET(BorderIcons, BorderIcons, SetBorderIcons),
    DP_PROP_FIELD(OnCreate, OnCreate),
    DP_METHOD(FormCreate),
    DP_METHOD(Button1Click),
    DP_METHOD(FormKeyPress),
    DP_FIELD(Button1),
    DP_FIELD(Panel1),
    DP_FIELD(Timer1),
};

void TTestForm::FormCreate(TObject* sender) { Calls.push_back("FormCreate:" + As<TComponent>(sender)->Name()); }

void TTestForm::Button1Click(TObject* sender) { Calls.push_back("Button1Click:" + As<TComponent>(sender)->Name()); }

void TTestForm::FormKeyPress(TObject*, char& key) {
    Calls.push_back(std::string("FormKeyPress:") + key);
    key = 0;
}

void TTestForm::Loaded() {
    TComponent::Loaded();
    TestLog().push_back("Loaded:" + Name() + " components=" + IntToStr(ComponentCount()));
}

DP_PUBLISHED(TOtherForm){};
