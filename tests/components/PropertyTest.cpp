// Published properties by name: kinds, the walk to ancestors, conversions and errors.
#include <gtest/gtest.h>

#include "tests/components/TestClasses.h"

namespace {

template <class E, class F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "(no exception)";
}

struct KindCase {
    const char* name;
    TTypeKind kind;
    const char* typeName;
};

TEST(Properties, EveryKindIsPublishedWithItsType) {
    TTestButton b(nullptr);
    const KindCase cases[] = {
        {"Name", tkLString, "string"},         {"Tag", tkInteger, "Integer"},
        {"Left", tkInteger, "Integer"},        {"Caption", tkLString, "string"},
        {"Color", tkInteger, "TColor"},        {"Align", tkEnumeration, "TTestAlign"},
        {"Enabled", tkEnumeration, "Boolean"}, {"Anchors", tkSet, "set of TTestAnchorKind"},
        {"PasswordChar", tkChar, "Char"},      {"Ratio", tkFloat, "Double"},
        {"Cursor", tkInteger, "TCursor"},      {"Font", tkClass, "TTestFont"},
        {"Items", tkClass, "TStrings"},        {"PopupMenu", tkClass, "TTestPopup"},
        {"OnClick", tkMethod, "TMethod"},      {"OnKeyPress", tkMethod, "TMethod"},
        {"ModalResult", tkInteger, "Integer"}, {"Default", tkEnumeration, "Boolean"},
    };
    for (const KindCase& c : cases) {
        ASSERT_TRUE(IsPublishedProp(&b, c.name)) << c.name;
        EXPECT_EQ(PropType(&b, c.name), c.kind) << c.name;
        EXPECT_EQ(PropTypeInfo(&b, c.name)->Name, c.typeName) << c.name;
        EXPECT_TRUE(PropIsType(&b, c.name, c.kind)) << c.name;
    }
    EXPECT_TRUE(IsPublishedProp(&b, "caption"));  // names ignore case
    EXPECT_FALSE(IsPublishedProp(&b, "Captoin"));
    EXPECT_EQ(GetPropInfo(&b, "Captoin"), nullptr);
    EXPECT_EQ(GetPropInfo(static_cast<TObject*>(nullptr), "Caption"), nullptr);
    EXPECT_FALSE(IsPublishedProp(&TTestPanel::StaticClassInfo(), "ModalResult"));
    EXPECT_TRUE(IsPublishedProp(&TTestButton::StaticClassInfo(), "ModalResult"));
}

TEST(Properties, ListStartsWithTheAncestorsAndKeepsRepublishedOnesOnce) {
    const auto list = GetPropList(&TTestButton::StaticClassInfo());
    std::vector<std::string> names;
    for (const TPropInfo* p : list) names.push_back(p->Name);
    const std::vector<std::string> expected = {"Name",    "Tag",        "Left",        "Caption",      "Color",
                                               "Align",   "Enabled",    "Anchors",     "PasswordChar", "Ratio",
                                               "Cursor",  "Font",       "Picture",     "Items",        "PopupMenu",
                                               "OnClick", "OnKeyPress", "ModalResult", "Default"};
    EXPECT_EQ(names, expected);
    // The republished Left is the descendant's.
    EXPECT_EQ(list[2], GetPropInfo(&TTestButton::StaticClassInfo(), "Left"));
    EXPECT_NE(list[2], GetPropInfo(&TTestControl::StaticClassInfo(), "Left"));
}

struct OrdCase {
    const char* name;
    int64_t set;
    int64_t expected;
};

TEST(Properties, OrdinalsRoundTripByName) {
    TTestButton b(nullptr);
    const OrdCase cases[] = {
        {"Tag", 42, 42},
        {"Tag", -7, -7},
        {"Tag", 0xFFFFFFFFll, -1},  // the full 32-bit pattern
        {"ModalResult", 2, 2},
        {"Color", static_cast<uint32_t>(clBtnFace), clBtnFace},
        {"Color", clRed, clRed},
        {"Align", alClient, alClient},
        {"Enabled", 0, 0},
        {"Enabled", 1, 1},
        {"Anchors", 0xF, 0xF},
        {"PasswordChar", '*', '*'},
        {"PasswordChar", 0xE9, 0xE9},
        {"Cursor", -21, -21},
    };
    for (const OrdCase& c : cases) {
        SetOrdProp(&b, c.name, c.set);
        EXPECT_EQ(GetOrdProp(&b, c.name), c.expected) << c.name;
    }
    EXPECT_EQ(b.Tag(), -1);
    EXPECT_EQ(b.Align(), alClient);
    EXPECT_EQ(b.PasswordChar(), '\xE9');
    EXPECT_EQ(b.Color(), clRed);
    // The ancestor's property on a descendant, and the republished one.
    SetOrdProp(&b, "Left", 120);
    EXPECT_EQ(b.Left(), 12);
    EXPECT_EQ(GetOrdProp(&b, "Left"), 120);
}

TEST(Properties, OrdinalsOutOfRangeNeverReachTheSetter) {
    TTestButton b(nullptr);
    const OrdCase cases[] = {
        {"Align", 6, 0},
        {"Align", -1, 0},
        {"Enabled", 2, 0},
        {"Anchors", 0x10, 0},
        {"Anchors", -1, 0},
        {"Tag", 1ll << 32, 0},
        {"Tag", -(1ll << 31) - 1, 0},
        {"PasswordChar", 256, 0},
        {"PasswordChar", -1, 0},
    };
    for (const OrdCase& c : cases)
        EXPECT_EQ(MessageOf<EPropertyError>([&] { SetOrdProp(&b, c.name, c.set); }), "Invalid property value")
            << c.name << " " << c.set;
    EXPECT_EQ(b.Align(), alNone);
    EXPECT_TRUE(b.Enabled());
    EXPECT_EQ(b.Tag(), 0);
}

TEST(Properties, EnumerationsByValueName) {
    TTestControl c(nullptr);
    SetEnumProp(&c, "Align", "alTop");
    EXPECT_EQ(c.Align(), alTop);
    SetEnumProp(&c, "Align", "ALCLIENT");
    EXPECT_EQ(GetEnumProp(&c, "Align"), "alClient");
    SetEnumProp(&c, "Enabled", "False");
    EXPECT_FALSE(c.Enabled());
    EXPECT_EQ(GetEnumProp(&c, "Enabled"), "False");
    EXPECT_EQ(MessageOf<EPropertyConvertError>([&] { SetEnumProp(&c, "Align", "alMiddle"); }),
              "Invalid property element: alMiddle");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetEnumProp(&c, "Caption"); }), "Invalid property type: string");
    EXPECT_EQ(GetEnumValue(PropTypeInfo(&c, "Align"), "alRight"), 4);
    EXPECT_EQ(GetEnumValue(PropTypeInfo(&c, "Align"), "nope"), -1);
    EXPECT_EQ(GetEnumName(PropTypeInfo(&c, "Align"), 9), "");
}

TEST(Properties, SetsByMemberNames) {
    TTestControl c(nullptr);
    EXPECT_EQ(GetSetProp(&c, "Anchors"), "akLeft,akTop");
    SetSetProp(&c, "Anchors", "[akRight, akbottom]");
    EXPECT_EQ(c.Anchors(), (TTestAnchors{akRight, akBottom}));
    EXPECT_EQ(GetSetProp(&c, "Anchors", true), "[akRight,akBottom]");
    SetSetProp(&c, "Anchors", "[]");
    EXPECT_TRUE(c.Anchors().Empty());
    EXPECT_EQ(MessageOf<EPropertyConvertError>([&] { SetSetProp(&c, "Anchors", "[akLeft, akMiddle]"); }),
              "Invalid property element: akMiddle");
    // Sub-object sets through the dotted path.
    const TPropInfo* style = nullptr;
    TObject* font = ResolvePropPath(&c, "Font.Style", &style);
    ASSERT_NE(font, nullptr);
    SetOrdProp(font, style, TTestFontStyles{fsBold, fsUnderline}.Mask());
    EXPECT_EQ(GetSetProp(font, "Style"), "fsBold,fsUnderline");
}

struct ColorCase {
    const char* text;
    TColor color;
    const char* back;  // ColorToString
};

TEST(Colors, IdentifiersAndHexadecimal) {
    const ColorCase cases[] = {
        {"clBtnFace", static_cast<TColor>(0xFF00000Fu), "clBtnFace"},
        {"clWindowText", static_cast<TColor>(0xFF000008u), "clWindowText"},
        {"clBtnHighlight", static_cast<TColor>(0xFF000014u), "clBtnHighlight"},
        {"clwhite", 0xFFFFFF, "clWhite"},
        {"clBlack", 0, "clBlack"},
        {"clRed", 0x0000FF, "clRed"},
        {"clNone", 0x1FFFFFFF, "clNone"},
        {"$00FF0000", 0xFF0000, "clBlue"},
        {"$00123456", 0x123456, "$00123456"},
        {"1193046", 0x123456, "$00123456"},
        {"clLtGray", 0xC0C0C0, "clSilver"},
    };
    for (const ColorCase& c : cases) {
        EXPECT_EQ(StringToColor(c.text), c.color) << c.text;
        EXPECT_EQ(ColorToString(c.color), c.back) << c.text;
    }
    EXPECT_THROW(StringToColor("clChartreuse"), EConvertError);
    TTestControl ctl(nullptr);
    SetOrdProp(&ctl, "Color", clHighlight);
    EXPECT_EQ(GetPropValue(&ctl, "Color"), "clHighlight");
}

TEST(Properties, StringsAndKindMismatches) {
    TTestControl c(nullptr);
    SetStrProp(&c, "Caption", "Driftpane");
    EXPECT_EQ(c.Caption(), "Driftpane");
    EXPECT_EQ(GetStrProp(&c, "Caption"), "Driftpane");
    // The string routines read nothing from, and write nothing to, other kinds.
    EXPECT_EQ(GetStrProp(&c, "Left"), "");
    SetStrProp(&c, "Left", "12");
    EXPECT_EQ(c.Left(), 0);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetOrdProp(&c, "Caption"); }), "Invalid property type: string");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetOrdProp(&c, "Nope"); }), "Property Nope does not exist");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetStrProp(&c, "Nope", "x"); }), "Property Nope does not exist");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetObjectProp(&c, "Caption"); }), "Invalid property type: string");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetFloatProp(&c, "Left"); }), "Invalid property type: Integer");
    SetFloatProp(&c, "Ratio", 2.5);
    EXPECT_DOUBLE_EQ(GetFloatProp(&c, "Ratio"), 2.5);
}

TEST(Properties, ObjectsAndDottedPaths) {
    TTestControl c(nullptr);
    EXPECT_EQ(GetObjectProp(&c, "Font"), c.Font());
    EXPECT_EQ(GetObjectProp(&c, "Font", &TTestFont::StaticClassInfo()), c.Font());
    EXPECT_EQ(GetObjectProp(&c, "Font", &TComponent::StaticClassInfo()), nullptr);

    const TPropInfo* prop = nullptr;
    TObject* target = ResolvePropPath(&c, "Font.Name", &prop);
    ASSERT_EQ(target, c.Font());
    SetStrProp(target, prop, "Tahoma");
    EXPECT_EQ(c.Font()->Name(), "Tahoma");
    EXPECT_EQ(ResolvePropPath(&c, "Font.Nme", &prop), nullptr);
    EXPECT_EQ(ResolvePropPath(&c, "Caption.Name", &prop), nullptr);
    EXPECT_EQ(ResolvePropPath(&c, "Left", &prop), &c);

    TTestFont other;
    other.SetSize(14);
    SetObjectProp(&c, "Font", &other);  // the setter copies
    EXPECT_EQ(c.Font()->Size(), 14);
    EXPECT_NE(c.Font(), &other);
    TTestPicture wrong;
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetObjectProp(&c, "Font", &wrong); }), "Invalid property value");

    TTestPopup popup(nullptr);
    SetObjectProp(&c, "PopupMenu", &popup);
    EXPECT_EQ(c.PopupMenu(), &popup);
    popup.SetName("Menu1");
    EXPECT_EQ(GetPropValue(&c, "PopupMenu"), "Menu1");
}

TEST(Properties, StringListsAreObjectsOfTheirOwn) {
    TTestControl c(nullptr);
    TStringList lines;
    lines.Add("one");
    lines.Add("two");
    SetStringsProp(&c, "Items", &lines);
    EXPECT_EQ(c.Items()->Count(), 2);
    EXPECT_NE(static_cast<TStrings*>(&lines), c.Items());
    EXPECT_EQ(GetStringsProp(&c, "Items"), c.Items());
    EXPECT_EQ(GetPropValue(&c, "Items"), "one\r\ntwo\r\n");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetObjectProp(&c, "Items"); }), "Invalid property type: TStrings");
}

TEST(Properties, EventsCarryTheirHandlerAndName) {
    TTestControl c(nullptr);
    std::vector<std::string> calls;
    SetEventProp(&c, "OnClick",
                 TNotifyEvent([&](TObject* s) { calls.push_back(As<TComponent>(s)->ClassName()); }, "Clicked"));
    c.Click();
    EXPECT_EQ(calls, std::vector<std::string>{"TTestControl"});
    EXPECT_EQ(GetMethodProp(&c, "OnClick").Name, "Clicked");
    EXPECT_EQ(GetEventProp<TNotifyEvent>(&c, "OnClick").Name(), "Clicked");

    // A handler of another signature is refused.
    TKeyPressEvent key([](TObject*, char& k) { k = 0; }, "KeyFilter");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { SetEventProp(&c, "OnClick", key); }),
              "Handler KeyFilter does not match the event type");
    SetEventProp(&c, "OnKeyPress", key);
    char ch = 'x';
    c.OnKeyPress(&c, ch);
    EXPECT_EQ(ch, 0);

    // Clearing, and an unassigned event doing nothing when raised.
    SetMethodProp(&c, "OnClick", TMethod());
    EXPECT_FALSE(c.OnClick().Assigned());
    c.Click();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { GetMethodProp(&c, "Caption"); }), "Invalid property type: string");
}

TEST(Properties, HandlersAreFoundByNameOnTheFormClass) {
    TTestForm form(nullptr);
    form.SetName("frmMain");
    TMethod m = MethodAddress(&form, "formcreate");
    ASSERT_TRUE(m.Assigned());
    EXPECT_EQ(m.Name, "FormCreate");
    EXPECT_EQ(m.Data, &form);
    TNotifyEvent::FromMethod(m)(&form);
    EXPECT_EQ(form.Calls, std::vector<std::string>{"FormCreate:frmMain"});
    EXPECT_FALSE(MethodAddress(&form, "NoSuchHandler").Assigned());
    EXPECT_THROW(TNotifyEvent::FromMethod(MethodAddress(&form, "FormKeyPress")), EPropertyError);
}

TEST(Properties, ValuesAsText) {
    TTestButton b(nullptr);
    b.SetCaption("OK");
    b.SetAlign(alTop);
    b.SetPasswordChar('#');
    b.SetCursor(-21);
    const std::pair<const char*, const char*> cases[] = {
        {"Caption", "OK"},
        {"Align", "alTop"},
        {"Enabled", "True"},
        {"Anchors", "[akLeft,akTop]"},
        {"Color", "clBtnFace"},
        {"PasswordChar", "#"},
        {"Cursor", "crHandPoint"},
        {"Tag", "0"},
        {"Font", "TTestFont"},
        {"PopupMenu", ""},
        {"Ratio", "1"},
    };
    for (const auto& [name, text] : cases) EXPECT_EQ(GetPropValue(&b, name), text) << name;
}

}  // namespace
