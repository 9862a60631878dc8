// Run-time class information, checked casts and the class registry.
#include <gtest/gtest.h>

#include "tests/components/TestClasses.h"

namespace {

TEST(ClassInfo, NamesAndParentsFollowTheDeclarations) {
    TTestButton button(nullptr);
    TComponent* asComponent = &button;
    EXPECT_EQ(asComponent->ClassName(), "TTestButton");
    EXPECT_EQ(asComponent->ClassType(), &TTestButton::StaticClassInfo());
    EXPECT_EQ(asComponent->ClassParent(), &TTestControl::StaticClassInfo());
    EXPECT_EQ(TTestControl::StaticClassInfo().Parent, &TComponent::StaticClassInfo());
    EXPECT_EQ(TComponent::StaticClassInfo().Parent, &TPersistent::StaticClassInfo());
    EXPECT_EQ(TPersistent::StaticClassInfo().Parent, &TObject::StaticClassInfo());
    EXPECT_EQ(TObject::StaticClassInfo().Parent, nullptr);
    EXPECT_TRUE(asComponent->ClassNameIs("ttestbutton"));
    EXPECT_FALSE(asComponent->ClassNameIs("TTestControl"));
}

struct InheritsCase {
    const TClassInfo* cls;
    const TClassInfo* ancestor;
    bool expected;
};

TEST(ClassInfo, InheritsFromWalksTheChain) {
    const InheritsCase cases[] = {
        {&TTestButton::StaticClassInfo(), &TTestButton::StaticClassInfo(), true},
        {&TTestButton::StaticClassInfo(), &TTestControl::StaticClassInfo(), true},
        {&TTestButton::StaticClassInfo(), &TComponent::StaticClassInfo(), true},
        {&TTestButton::StaticClassInfo(), &TObject::StaticClassInfo(), true},
        {&TTestButton::StaticClassInfo(), &TTestPanel::StaticClassInfo(), false},
        {&TTestControl::StaticClassInfo(), &TTestButton::StaticClassInfo(), false},
        {&TTestFont::StaticClassInfo(), &TComponent::StaticClassInfo(), false},
        {&TTestFont::StaticClassInfo(), &TPersistent::StaticClassInfo(), true},
    };
    for (const InheritsCase& c : cases) {
        EXPECT_EQ(c.cls->InheritsFrom(c.ancestor), c.expected) << c.cls->Name << " / " << c.ancestor->Name;
        EXPECT_EQ(c.cls->InheritsFrom(std::string(c.ancestor->Name)), c.expected) << c.cls->Name;
    }
    TTestPanel panel(nullptr);
    EXPECT_TRUE(panel.InheritsFrom("TTESTCONTROL"));
    EXPECT_TRUE(panel.Is<TComponent>());
    EXPECT_FALSE(panel.Is<TTestButton>());
}

TEST(ClassInfo, CheckedCastsRefuseOtherClasses) {
    TTestPanel panel(nullptr);
    TObject* obj = &panel;
    EXPECT_EQ(As<TTestControl>(obj), &panel);
    EXPECT_EQ(As<TTestButton>(static_cast<TObject*>(nullptr)), nullptr);
    EXPECT_EQ(DynamicAs<TTestButton>(obj), nullptr);
    try {
        As<TTestButton>(obj);
        FAIL() << "no exception";
    } catch (const EInvalidCast& e) {
        EXPECT_EQ(e.Message(), "Invalid class typecast");
    }
}

TEST(ClassRegistry, FindsClassesByNameAndCreatesThem) {
    EXPECT_EQ(GetClass("TTestButton"), &TTestButton::StaticClassInfo());
    EXPECT_EQ(GetClass("ttestbutton"), &TTestButton::StaticClassInfo());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    try {
        FindClass("TNoSuchClass");
        FAIL() << "no exception";
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchClass not found");
    }

    TComponent owner(nullptr);
    TComponent* made = FindClass("TTestTimer")->Create(&owner);
    EXPECT_EQ(made->ClassName(), "TTestTimer");
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_EQ(owner.Components(0), made);
}

TEST(ClassRegistry, ClassesThatAreNotComponentsCannotBeCreated) {
    const TClassInfo* font = FindClass("TTestFont");
    EXPECT_EQ(font->Factory, nullptr);
    try {
        font->Create(nullptr);
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "Class TTestFont cannot be created by name");
    }
}

TEST(ClassRegistry, RegisteringKeepsOneClassPerName) {
    RegisterClass(TTestButton::StaticClassInfo());  // again: no change
    EXPECT_EQ(GetClass("TTestButton"), &TTestButton::StaticClassInfo());

    static const TClassInfo impostor = {"TTestButton", &TComponent::StaticClassInfo(), nullptr, nullptr};
    try {
        RegisterClass(impostor);
        FAIL() << "no exception";
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message(), "A class named TTestButton already exists");
    }
    EXPECT_EQ(GetClass("TTestButton"), &TTestButton::StaticClassInfo());

    UnRegisterClass(TTestPanel::StaticClassInfo());
    EXPECT_EQ(GetClass("TTestPanel"), nullptr);
    RegisterClasses({&TTestPanel::StaticClassInfo()});
    EXPECT_EQ(GetClass("TTestPanel"), &TTestPanel::StaticClassInfo());
}

TEST(Persistent, AssignWithoutSupportNamesBothClasses) {
    TTestFont font;
    TTestPicture picture;
    try {
        font.Assign(&picture);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TTestPicture to a TTestFont");
    }
    try {
        font.Assign(nullptr);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TTestFont");
    }
    TTestFont other;
    other.SetName("Tahoma");
    other.SetStyle({fsBold});
    font.Assign(&other);
    EXPECT_EQ(font.Name(), "Tahoma");
    EXPECT_TRUE(font.Style().Contains(fsBold));
}

TEST(Sets, MembersAreBitsOfTheMask) {
    TTestAnchors s{akLeft, akBottom};
    EXPECT_EQ(s.Mask(), 0x9u);
    EXPECT_TRUE(s.Contains(akBottom));
    EXPECT_FALSE(s.Contains(akTop));
    s += akTop;
    s -= akLeft;
    EXPECT_EQ(s.Mask(), 0xAu);
    EXPECT_EQ((s * TTestAnchors{akTop, akRight}).Mask(), 0x2u);
    EXPECT_TRUE(TTestAnchors{akTop}.SubsetOf(s));
    EXPECT_TRUE(TTestAnchors().Empty());
    EXPECT_EQ(TTestAnchors::FromMask(0x5u), (TTestAnchors{akLeft, akRight}));
}

}  // namespace
