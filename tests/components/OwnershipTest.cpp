// Owners, names, notifications and component state.
#include <gtest/gtest.h>

#include <memory>

#include "tests/components/TestClasses.h"

namespace {

// Records its own destruction and every notification it receives.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, const std::string& name, std::vector<std::string>* log) : TComponent(owner), m_log(log) {
        SetName(name);
    }
    ~TProbe() override {
        m_log->push_back("free " + Name() + (ComponentState().Contains(csDestroying) ? " destroying" : ""));
    }
    TComponent* Watched = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        m_log->push_back(Name() + (operation == opInsert ? " +" : " -") + component->Name());
        if (operation == opRemove && component == Watched) Watched = nullptr;
    }

private:
    std::vector<std::string>* m_log;
};

TEST(Ownership, OwnedComponentsAreFreedWithTheOwnerLastFirst) {
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    new TProbe(owner, "A", &log);
    new TProbe(owner, "B", &log);
    new TProbe(owner, "C", &log);
    ASSERT_EQ(owner->ComponentCount(), 3);
    log.clear();
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"free C destroying", "free B destroying", "free A destroying"}));
}

TEST(Ownership, ComponentsAreListedInInsertionOrder) {
    std::vector<std::string> log;  // outlives the owner's components
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "A", &log);
    auto* b = new TProbe(&owner, "B", &log);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(owner.Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_THROW(owner.Components(2), EListError);
    EXPECT_THROW(owner.Components(-1), EListError);
}

TEST(Ownership, FreeingAComponentTakesItOutOfItsOwnerAndTellsTheOthers) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "A", &log);
    auto* b = new TProbe(&owner, "B", &log);
    // B is announced on insertion, before its constructor names it.
    EXPECT_EQ(log, (std::vector<std::string>{"A +"}));
    log.clear();
    delete b;
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.FindComponent("B"), nullptr);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(log, (std::vector<std::string>{"free B", "A -B"}));
}

TEST(Ownership, FindComponentIgnoresCaseAndEmptyNames) {
    std::vector<std::string> log;  // outlives the owner's components
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "Button1", &log);
    new TComponent(&owner);  // unnamed
    EXPECT_EQ(owner.FindComponent("BUTTON1"), a);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_EQ(owner.FindComponent("Button2"), nullptr);
}

TEST(Ownership, FreeNotificationWorksAcrossOwnersBothWays) {
    std::vector<std::string> log;
    auto owner1 = std::make_unique<TComponent>(nullptr);
    auto owner2 = std::make_unique<TComponent>(nullptr);
    auto* watcher = new TProbe(owner1.get(), "Watcher", &log);
    auto* target = new TProbe(owner2.get(), "Target", &log);
    watcher->Watched = target;
    target->FreeNotification(watcher);
    log.clear();
    delete target;
    EXPECT_EQ(watcher->Watched, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"free Target", "Watcher -Target"}));

    // The other way round: the watcher goes first and is not told anything later.
    auto* target2 = new TProbe(owner2.get(), "Target2", &log);
    watcher->Watched = target2;
    target2->FreeNotification(watcher);
    delete watcher;
    log.clear();
    owner2.reset();  // frees Target2; must not reach the freed watcher
    EXPECT_EQ(log, (std::vector<std::string>{"free Target2 destroying"}));
}

TEST(Ownership, SiblingsAreToldWhenTheOwnerFreesThemIfTheyAsked) {
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    auto* watcher = new TProbe(owner, "Watcher", &log);
    auto* target = new TProbe(owner, "Target", &log);  // freed first: last in the list
    watcher->Watched = target;
    target->FreeNotification(watcher);
    log.clear();
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"free Target destroying", "Watcher -Target", "free Watcher destroying"}));
}

TEST(Ownership, InsertComponentMovesBetweenOwners) {
    std::vector<std::string> log;
    TComponent first(nullptr), second(nullptr);
    auto* c = new TProbe(&first, "C", &log);
    second.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.FindComponent("C"), c);

    new TProbe(&first, "D", &log);
    auto* other = new TProbe(&second, "D2", &log);
    other->SetName("X");
    auto* clash = new TProbe(&first, "X", &log);
    EXPECT_THROW(second.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &first);
}

struct NameCase {
    const char* name;
    const char* error;  // nullptr: accepted
};

TEST(Names, InvalidAndDuplicateNamesAreRefused) {
    std::vector<std::string> log;  // outlives the owner's components
    TComponent owner(nullptr);
    new TProbe(&owner, "Button1", &log);
    auto* c = new TProbe(&owner, "Other", &log);
    const NameCase cases[] = {
        {"1abc", "'1abc' is not a valid component name"},
        {"a b", "'a b' is not a valid component name"},
        {"Form.Button", "'Form.Button' is not a valid component name"},
        {"Button1", "A component named Button1 already exists"},
        {"BUTTON1", "A component named BUTTON1 already exists"},
        {"_ok2", nullptr},
        {"Other", nullptr},
        {"", nullptr},
    };
    for (const NameCase& nc : cases) {
        c->SetName("Other");
        try {
            c->SetName(nc.name);
            EXPECT_EQ(nc.error, nullptr) << nc.name;
            EXPECT_EQ(c->Name(), nc.name);
        } catch (const EComponentError& e) {
            ASSERT_NE(nc.error, nullptr) << nc.name;
            EXPECT_EQ(e.Message(), nc.error);
            EXPECT_EQ(c->Name(), "Other");
        }
    }
}

TEST(Fields, OwnerFieldsFollowTheComponentsOfTheirName) {
    TTestForm form(nullptr);
    auto* b = new TTestButton(&form);
    EXPECT_EQ(form.Button1, nullptr);
    b->SetName("Button1");
    EXPECT_EQ(form.Button1, b);
    b->SetName("Button2");
    EXPECT_EQ(form.Button1, nullptr);
    b->SetName("button1");  // names are case-insensitive
    EXPECT_EQ(form.Button1, b);
    delete b;
    EXPECT_EQ(form.Button1, nullptr);

    auto* p = new TTestPanel(&form);
    try {
        p->SetName("Button1");
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "Field Button1 is of class TTestButton, not TTestPanel");
    }
    EXPECT_EQ(form.Button1, nullptr);
    EXPECT_EQ(p->Name(), "");
}

TEST(Fields, DestroyComponentsClearsTheFields) {
    TTestForm form(nullptr);
    auto* b = new TTestButton(&form);
    b->SetName("Button1");
    form.DestroyComponents();
    EXPECT_EQ(form.Button1, nullptr);
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(State, DesigningReachesOwnedComponents) {
    TComponent owner(nullptr);
    auto* c = new TComponent(&owner);
    EXPECT_TRUE(owner.ComponentState().Empty());
    owner.SetDesigning(true);
    EXPECT_TRUE(owner.ComponentState().Contains(csDesigning));
    EXPECT_TRUE(c->ComponentState().Contains(csDesigning));
    owner.SetDesigning(false, false);
    EXPECT_FALSE(owner.ComponentState().Contains(csDesigning));
    EXPECT_TRUE(c->ComponentState().Contains(csDesigning));
}

TEST(State, NamePathIsTheComponentName) {
    TTestForm form(nullptr);
    form.SetName("frmMain");
    EXPECT_EQ(form.GetNamePath(), "frmMain");
    TTestFont font;
    EXPECT_EQ(font.GetNamePath(), "TTestFont");
}

}  // namespace
