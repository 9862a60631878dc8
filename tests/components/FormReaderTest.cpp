// Stored form definitions: the parser, the reader and its error messages.
#include <gtest/gtest.h>

#include "classlib/FormReader.h"
#include "tests/components/TestClasses.h"

namespace {

// Nested children, non-visual components, an event bound by name, sub-object
// properties, a string list, a forward component reference and defined properties.
const char* const kMainForm = R"(object frmMain: TTestForm
  Caption = 'Driftpane Maker 2.07 -  New Project'#13#10'It''s'
  Tag = $10
  BorderIcons = [akLeft, akRight]
  OnCreate = FormCreate
  object Panel1: TTestPanel
    Left = -8
    Align = alBottom
    Color = clBtnFace
    Font.Name = 'Tahoma'
    Font.Color = $00FF0000
    Font.Style = [fsBold]
    object Button1: TTestButton
      Left = 75
      Caption = 'first ' +
        'second'
      Enabled = False
      Anchors = []
      PasswordChar = '*'
      Ratio = 0.25
      Cursor = crHandPoint
      ModalResult = 1
      Default = True
      PopupMenu = Menu1
      OnClick = Button1Click
      OnKeyPress = FormKeyPress
      Items.Strings = (
        'a'
        'b c'
        '')
    end
  end
  object Timer1: TTestTimer
    Interval = 250
  end
  object SkinData1: TTestSkinData
    Active = True
    TextHeight = 13
    LinesData = ( 'x' 'y' )
    SkinStream = {
      0500000000FF7F
      80 41}
  end
  object Menu1: TTestPopup
  end
  object Image1: TTestControl
    Picture.Data = {DEADBEEF}
  end
end
)";

class FormReaderTest : public ::testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
};

TEST_F(FormReaderTest, FillsTheFormAndItsNestedChildren) {
    TTestForm form(nullptr);
    ReadFormDefinition(&form, kMainForm, "frmMain");

    EXPECT_EQ(form.Name(), "frmMain");
    EXPECT_EQ(form.Caption(), "Driftpane Maker 2.07 -  New Project\r\nIt's");
    EXPECT_EQ(form.Tag(), 16);
    EXPECT_EQ(form.BorderIcons(), (TTestAnchors{akLeft, akRight}));
    ASSERT_EQ(form.ComponentCount(), 6);

    // Every component is owned by the form, whatever encloses it.
    for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_EQ(form.Components(i)->Owner(), &form);
    ASSERT_NE(form.Panel1, nullptr);
    ASSERT_NE(form.Button1, nullptr);
    ASSERT_NE(form.Timer1, nullptr);
    EXPECT_EQ(form.Panel1, form.FindComponent("Panel1"));
    EXPECT_EQ(form.Button1->ClassName(), "TTestButton");
    EXPECT_EQ(form.Panel1->ParentSeen(), &form);
    EXPECT_EQ(form.Button1->ParentSeen(), form.Panel1);

    const TTestPanel& panel = *form.Panel1;
    EXPECT_EQ(panel.Left(), -8);
    EXPECT_EQ(panel.Align(), alBottom);
    EXPECT_EQ(panel.Color(), clBtnFace);
    EXPECT_EQ(panel.Font()->Name(), "Tahoma");
    EXPECT_EQ(panel.Font()->Color(), clBlue);
    EXPECT_EQ(panel.Font()->Style(), TTestFontStyles{fsBold});

    const TTestButton& b = *form.Button1;
    EXPECT_EQ(b.Left(), 7);  // the republished Left counts in tenths
    EXPECT_EQ(b.Caption(), "first second");
    EXPECT_FALSE(b.Enabled());
    EXPECT_TRUE(b.Anchors().Empty());
    EXPECT_EQ(b.PasswordChar(), '*');
    EXPECT_DOUBLE_EQ(b.Ratio(), 0.25);
    EXPECT_EQ(b.Cursor(), -21);
    EXPECT_EQ(b.ModalResult(), 1);
    EXPECT_TRUE(b.Default());
    EXPECT_EQ(b.PopupMenu(), form.FindComponent("Menu1"));  // named before it was read
    ASSERT_EQ(b.Items()->Count(), 3);
    EXPECT_EQ(b.Items()->Get(1), "b c");
    EXPECT_EQ(b.Items()->Get(2), "");
    EXPECT_TRUE(b.LoadingWhenCaptionSet());

    EXPECT_EQ(form.Timer1->Interval(), 250);
    auto* image = As<TTestControl>(form.FindComponent("Image1"));
    EXPECT_EQ(image->Picture()->Data, "\xDE\xAD\xBE\xEF");
}

TEST_F(FormReaderTest, EventsAreBoundToTheFormsHandlers) {
    TTestForm form(nullptr);
    ReadFormDefinition(&form, kMainForm, "frmMain");
    EXPECT_EQ(form.OnCreate.Name(), "FormCreate");
    EXPECT_EQ(form.OnCreate.Data(), &form);
    form.OnCreate(&form);
    form.Button1->Click();
    char key = 'k';
    form.Button1->OnKeyPress(form.Button1, key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(form.Calls, (std::vector<std::string>{"FormCreate:frmMain", "Button1Click:Button1", "FormKeyPress:k"}));
    EXPECT_EQ(GetMethodProp(form.Button1, "OnClick").Name, "Button1Click");
}

TEST_F(FormReaderTest, DefinedPropertiesReachDefineProperties) {
    TTestForm form(nullptr);
    ReadFormDefinition(&form, kMainForm, "frmMain");
    auto* skin = As<TTestSkinData>(form.FindComponent("SkinData1"));
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(skin->Active());
    EXPECT_EQ(skin->StreamReads, 1);
    EXPECT_EQ(skin->Stream, std::string("\x05\x00\x00\x00\x00\xFF\x7F\x80\x41", 9));
    EXPECT_EQ(skin->TextHeight, 13);
    EXPECT_EQ(skin->Lines, (std::vector<std::string>{"x", "y"}));
}

TEST_F(FormReaderTest, LoadedRunsOnceForEveryComponentAfterTheWholeRead) {
    TTestForm form(nullptr);
    ReadFormDefinition(&form, kMainForm, "frmMain");
    // The form first, then reading order; the form already holds all six.
    EXPECT_EQ(TestLog(),
              (std::vector<std::string>{"Loaded:frmMain components=6", "Loaded:Panel1", "Loaded:Button1",
                                        "Loaded:Timer1", "Loaded:SkinData1 stream", "Loaded:Menu1", "Loaded:Image1"}));
    EXPECT_FALSE(form.ComponentState().Contains(csLoading));
    EXPECT_FALSE(form.ComponentState().Contains(csReading));
    for (int i = 0; i < form.ComponentCount(); ++i) {
        EXPECT_FALSE(form.Components(i)->ComponentState().Contains(csLoading)) << form.Components(i)->Name();
        EXPECT_FALSE(form.Components(i)->ComponentState().Contains(csReading)) << form.Components(i)->Name();
    }
}

TEST_F(FormReaderTest, ASecondFormOfTheSameNameGetsASuffix) {
    TComponent app(nullptr);
    auto* first = new TTestForm(&app);
    auto* second = new TTestForm(&app);
    const char* def = "object frmMain: TTestForm\nend\n";
    ReadFormDefinition(first, def, "frmMain");
    ReadFormDefinition(second, def, "frmMain");
    EXPECT_EQ(first->Name(), "frmMain");
    EXPECT_EQ(second->Name(), "frmMain_1");
}

TEST_F(FormReaderTest, ComponentsCanBeReferencedAndClearedWithNil) {
    TTestForm form(nullptr);
    ReadFormDefinition(&form, R"(object frmMain: TTestForm
  object Menu1: TTestPopup
  end
  object Panel1: TTestPanel
    PopupMenu = Menu1
    OnClick = nil
  end
end)",
                       "frmMain");
    ASSERT_NE(form.Panel1->PopupMenu(), nullptr);
    delete form.FindComponent("Menu1");  // the free notification clears the reference
    EXPECT_EQ(form.Panel1->PopupMenu(), nullptr);
}

// ---------------------------------------------------------------------------
// The parser on its own

TEST(FormParser, ValuesOfEveryKind) {
    const TFormDefObject def = ParseFormDefinition(R"(object F: TTestForm
  A = 'It''s'#9'tab'#$41
  B = -$10
  C = 2147483648
  D = -1.5E2
  E = [ x , y ]
  F = ( 1 'two' ( three ) )
  G = { 00 ff }
  H = nil
  I.J.K = Ident.Dotted
  L = #13#10
  M = ''
end)",
                                                   "F");
    ASSERT_EQ(def.Properties.size(), 11u);
    const auto& p = def.Properties;
    EXPECT_EQ(p[0].Value.Type, vaString);
    EXPECT_EQ(p[0].Value.Text, "It's\ttabA");
    EXPECT_EQ(p[1].Value.Int, -16);
    EXPECT_EQ(p[2].Value.Int, 2147483648ll);
    EXPECT_DOUBLE_EQ(p[3].Value.Float, -150.0);
    EXPECT_EQ(p[4].Value.Members, (std::vector<std::string>{"x", "y"}));
    ASSERT_EQ(p[5].Value.Items.size(), 3u);
    EXPECT_EQ(p[5].Value.Items[1].Text, "two");
    EXPECT_EQ(p[5].Value.Items[2].Items[0].Text, "three");
    EXPECT_EQ(p[6].Value.Text, std::string("\x00\xFF", 2));
    EXPECT_EQ(p[7].Value.Type, vaNil);
    EXPECT_EQ(p[8].Name, "I.J.K");
    EXPECT_EQ(p[8].Value.Text, "Ident.Dotted");
    EXPECT_EQ(p[9].Value.Text, "\r\n");
    EXPECT_EQ(p[10].Value.Type, vaString);
    EXPECT_EQ(p[10].Value.Text, "");
    EXPECT_EQ(p[5].Line, 7);
    EXPECT_EQ(p[10].Line, 12);
}

TEST(FormParser, UnnamedObjectsAndLineNumbers) {
    const TFormDefObject def =
        ParseFormDefinition("\xEF\xBB\xBFobject F: TTestForm\r\n\r\n  object TTestTimer\r\n  end\r\nend\r\n", "F");
    ASSERT_EQ(def.Children.size(), 1u);
    EXPECT_EQ(def.Children[0].Name, "");
    EXPECT_EQ(def.Children[0].ClassName, "TTestTimer");
    EXPECT_EQ(def.Children[0].Line, 3);
}

TEST(FormParser, DeepNestingEndsInAnError) {
    std::string text = "object F: TTestForm\n  X = ";
    text += std::string(100000, '(');
    EXPECT_THROW(ParseFormDefinition(text, "F"), EFormReadError);
    std::string objects;
    for (int i = 0; i < 5000; ++i) objects += "object A: TTestTimer\n";
    EXPECT_THROW(ParseFormDefinition(objects, "F"), EFormReadError);
}

// ---------------------------------------------------------------------------
// Malformed definitions: the message names the form, the line and the property.

struct BadCase {
    const char* text;
    int line;
    const char* property;
    const char* message;
};

const BadCase kBadCases[] = {
    {"object frmMain: TTestForm\n  object Nope1: TNope\n  end\nend\n", 2, "",
     "frmMain(2): unknown class 'TNope' of object 'Nope1'"},
    {"object frmMain: TTestForm\n  object Button1: TTestButton\n    Left = 1\n    Captoin = 'x'\n  end\nend\n", 4,
     "Captoin", "frmMain(4): unknown property 'Captoin' of Button1"},
    {"object frmMain: TTestForm\n  Captoin = 'x'\nend\n", 2, "Captoin",
     "frmMain(2): unknown property 'Captoin' of frmMain"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Font.Nme = 'x'\n  end\nend\n", 3, "Font.Nme",
     "frmMain(3): unknown property 'Font.Nme' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Caption.Text = 'x'\n  end\nend\n", 3, "Caption.Text",
     "frmMain(3): unknown property 'Caption.Text' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Align = alMiddle\n  end\nend\n", 3, "Align",
     "frmMain(3): invalid value 'alMiddle' for property 'Align' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Enabled = Yes\n  end\nend\n", 3, "Enabled",
     "frmMain(3): invalid value 'Yes' for property 'Enabled' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Left = 'ten'\n  end\nend\n", 3, "Left",
     "frmMain(3): invalid value 'ten' for property 'Left' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Color = clChartreuse\n  end\nend\n", 3, "Color",
     "frmMain(3): invalid value 'clChartreuse' for property 'Color' of Panel1"},
    {"object frmMain: TTestForm\n  Tag = 99999999999\nend\n", 2, "Tag",
     "frmMain(2): invalid value 99999999999 for property 'Tag' of frmMain"},
    {"object frmMain: TTestForm\n  BorderIcons = [akLeft, akMiddle]\nend\n", 2, "BorderIcons",
     "frmMain(2): invalid set member 'akMiddle' for property 'BorderIcons' of frmMain"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    PasswordChar = 'ab'\n  end\nend\n", 3, "PasswordChar",
     "frmMain(3): invalid value 'ab' for property 'PasswordChar' of Panel1"},
    {"object frmMain: TTestForm\n  object Button1: TTestButton\n    OnClick = Button9Click\n  end\nend\n", 3, "OnClick",
     "frmMain(3): unknown handler 'Button9Click' for property 'OnClick' of Button1"},
    {"object frmMain: TTestForm\n  object Button1: TTestButton\n    OnClick = FormKeyPress\n  end\nend\n", 3, "OnClick",
     "frmMain(3): handler 'FormKeyPress' does not match the type of property 'OnClick' of Button1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    PopupMenu = Menu9\n  end\nend\n", 3, "PopupMenu",
     "frmMain(3): unknown component 'Menu9' for property 'PopupMenu' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    PopupMenu = Timer1\n  end\n  object Timer1: "
     "TTestTimer\n  end\nend\n",
     3, "PopupMenu", "frmMain(3): component 'Timer1' is not a TTestPopup (property 'PopupMenu' of Panel1)"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Items = ( 'a' )\n  end\nend\n", 3, "Items",
     "frmMain(3): invalid value (list) for property 'Items' of Panel1"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Items.Strings = ( 'a' 2 )\n  end\nend\n", 3,
     "Items.Strings", "frmMain(3): invalid value 2 in property 'Items.Strings' of Panel1"},
    {"object frmMain: TTestForm\n  object SkinData1: TTestSkinData\n    SkinStream = 'text'\n  end\nend\n", 3,
     "SkinStream", "frmMain(3): binary data expected in property 'SkinStream' of SkinData1"},
    {"object frmMain: TTestForm\n  object SkinData1: TTestSkinData\n    TextHeight = 'x'\n  end\nend\n", 3,
     "TextHeight", "frmMain(3): invalid value 'x' in property 'TextHeight' of SkinData1"},
    {"object frmMain: TTestForm\n  object Button1: TTestButton\n  end\n  object Button1: TTestButton\n  end\nend\n", 4,
     "", "frmMain(4): A component named Button1 already exists (object 'Button1')"},
    {"object frmMain: TTestForm\n  object Button1: TTestPanel\n  end\nend\n", 2, "",
     "frmMain(2): Field Button1 is of class TTestButton, not TTestPanel (object 'Button1')"},
    {"object frmMain: TOtherForm\nend\n", 1, "",
     "frmMain(1): class 'TOtherForm' of object 'frmMain' does not match the form's class TTestForm"},
    {"object frmMain: TTestForm\n  object Font1: TTestFont\n  end\nend\n", 2, "",
     "frmMain(2): class TTestFont of object 'Font1' cannot be created"},
    // Syntax
    {"object frmMain: TTestForm\n  Left 12\nend\n", 2, "Left", "frmMain(2): '=' expected after property 'Left'"},
    {"object frmMain: TTestForm\n  Caption = 'open\nend\n", 2, "Caption",
     "frmMain(2): unterminated string in property 'Caption'"},
    {"object frmMain: TTestForm\n  Caption = 'a' +\n    Tag\nend\n", 3, "Caption",
     "frmMain(3): string expected after '+' in property 'Caption'"},
    {"object frmMain: TTestForm\n  Caption = #300\nend\n", 2, "Caption",
     "frmMain(2): character code out of range in property 'Caption'"},
    {"object frmMain: TTestForm\n  Tag = 12abc\nend\n", 2, "Tag", "frmMain(2): invalid number in property 'Tag'"},
    {"object frmMain: TTestForm\n  BorderIcons = [akLeft akTop]\nend\n", 2, "BorderIcons",
     "frmMain(2): ',' or ']' expected in property 'BorderIcons'"},
    {"object frmMain: TTestForm\n  object SkinData1: TTestSkinData\n    SkinStream = {\n      0A0\n    }\n  end\nend\n",
     5, "SkinStream", "frmMain(5): odd number of hexadecimal digits in binary data in property 'SkinStream'"},
    {"object frmMain: TTestForm\n  object SkinData1: TTestSkinData\n    SkinStream = { 0A 0G }\n  end\nend\n", 3,
     "SkinStream", "frmMain(3): invalid binary data in property 'SkinStream'"},
    {"object frmMain: TTestForm\n  object SkinData1: TTestSkinData\n    SkinStream = { 0A\n", 4, "SkinStream",
     "frmMain(4): unterminated binary data in property 'SkinStream'"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n    Items.Strings = ( 'a'\n", 4, "Items.Strings",
     "frmMain(4): ')' expected in property 'Items.Strings'"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n  end\n", 4, "",
     "frmMain(4): 'end' expected for object 'frmMain'"},
    {"object frmMain: TTestForm\n  object Panel1: TTestPanel\n  end\n  Tag = 1\nend\n", 4, "",
     "frmMain(4): property 'Tag' of 'frmMain' follows its child objects"},
    {"object frmMain: TTestForm\nend\nobject X: TTestForm\nend\n", 3, "",
     "frmMain(3): unexpected text after the end of object 'frmMain'"},
    {"frmMain: TTestForm\nend\n", 1, "", "frmMain(1): 'object' expected"},
    {"object frmMain: TTestForm\n  inherited Panel1: TTestPanel\n  end\nend\n", 2, "",
     "frmMain(2): 'inherited' objects are not supported"},
    {"object frmMain: TTestForm\n  Tag = \nend\n", 3, "Tag", "frmMain(3): value expected in property 'Tag'"},
    {"object frmMain: TTestForm\n  Tag = <\n  >\nend\n", 2, "Tag",
     "frmMain(2): collections are not supported in property 'Tag'"},
};

TEST_F(FormReaderTest, MalformedDefinitionsNameFormLineAndProperty) {
    for (const BadCase& c : kBadCases) {
        TestLog().clear();
        TTestForm form(nullptr);
        try {
            ReadFormDefinition(&form, c.text, "frmMain");
            ADD_FAILURE() << "no exception for: " << c.message;
        } catch (const EFormReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(e.Line(), c.line) << c.message;
            EXPECT_EQ(e.Property(), c.property) << c.message;
            EXPECT_EQ(e.Form(), "frmMain");
        }
        // Nothing of a failed read stays behind, and nothing was told it was loaded.
        EXPECT_EQ(form.ComponentCount(), 0) << c.message;
        EXPECT_EQ(form.Button1, nullptr) << c.message;
        EXPECT_EQ(form.Panel1, nullptr) << c.message;
        EXPECT_FALSE(form.ComponentState().Contains(csLoading)) << c.message;
        EXPECT_FALSE(form.ComponentState().Contains(csReading)) << c.message;
        EXPECT_TRUE(TestLog().empty()) << c.message;
    }
}

TEST_F(FormReaderTest, ReadErrorsAreStreamReadErrors) {
    TTestForm form(nullptr);
    EXPECT_THROW(ReadFormDefinition(&form, "object frmMain: TTestForm\n  Nope = 1\nend\n", "frmMain"), EReadError);
}

// A setter that raises: its message is kept and placed.
class TPickyControl : public TTestControl {
    DP_DECLARE_CLASS(TPickyControl, TTestControl)
public:
    using TTestControl::TTestControl;
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v) {
        if (v < 0) throw EConvertError(Format(SInvalidInteger, IntToStr(v).c_str()));
        m_width = v;
    }

private:
    int32_t m_width = 0;
};
DP_PUBLISHED(TPickyControl){
    DP_PROP_INT(Width, Width, SetWidth),
};

TEST_F(FormReaderTest, SetterErrorsArePlacedAtTheirProperty) {
    TTestForm form(nullptr);
    try {
        ReadFormDefinition(&form, "object frmMain: TTestForm\n  object P1: TPickyControl\n    Width = -4\n  end\nend\n",
                           "frmMain");
        FAIL() << "no exception";
    } catch (const EFormReadError& e) {
        EXPECT_EQ(e.Message(), "frmMain(3): '-4' is not a valid integer value (property 'Width' of P1)");
        EXPECT_EQ(e.Property(), "Width");
    }
    EXPECT_EQ(form.ComponentCount(), 0);
}

}  // namespace
