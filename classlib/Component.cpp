#include "classlib/Component.h"

#include "classlib/FormReader.h"

#include <algorithm>

#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------
// Class information and the registry

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == other) return true;
    return false;
}

bool TClassInfo::InheritsFrom(const std::string& className) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (SameText(c->Name, className)) return true;
    return false;
}

TComponent* TClassInfo::Create(TComponent* owner) const {
    if (!Factory) throw EComponentError(Format(SCannotCreate, Name));
    return Factory(owner);
}

namespace {
// Function-local so that registrations from any file's static initialisation find it.
std::vector<const TClassInfo*>& Registry() {
    static std::vector<const TClassInfo*> classes;
    return classes;
}

std::vector<const TClassInfo*>::iterator FindRegistered(const std::string& name) {
    auto& reg = Registry();
    return std::find_if(reg.begin(), reg.end(), [&](const TClassInfo* c) { return SameText(c->Name, name); });
}
}  // namespace

namespace dp {
void RegisterClassInfo(const TClassInfo& cls) {
    auto it = FindRegistered(cls.Name);
    if (it != Registry().end()) {
        if (*it == &cls) return;
        throw EFilerError(Format(SDuplicateClass, cls.Name));
    }
    Registry().push_back(&cls);
}

TClassRegistrar::TClassRegistrar(const TClassInfo& cls) {
    // Static initialisation cannot report; a clashing name keeps its first class.
    if (FindRegistered(cls.Name) == Registry().end()) Registry().push_back(&cls);
}
}  // namespace dp

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* c : classes) dp::RegisterClassInfo(*c);
}

void UnRegisterClass(const TClassInfo& cls) {
    auto& reg = Registry();
    reg.erase(std::remove(reg.begin(), reg.end(), &cls), reg.end());
}

std::vector<const TClassInfo*> RegisteredClasses() { return Registry(); }

const TClassInfo* GetClass(const std::string& name) {
    auto it = FindRegistered(name);
    return it == Registry().end() ? nullptr : *it;
}

const TClassInfo* FindClass(const std::string& name) {
    const TClassInfo* c = GetClass(name);
    if (!c) throw EClassNotFound(Format(SClassNotFound, name.c_str()));
    return c;
}

// ---------------------------------------------------------------------------
// TObject, TPersistent

constinit const TClassInfo TObject::s_dpClassInfo = {"TObject", nullptr, nullptr, &TObject::s_dpTable};
const TPublishedTable TObject::s_dpTable = {};
static const dp::TClassRegistrar dpRegistrar_TObject{TObject::s_dpClassInfo};

bool TObject::ClassNameIs(const std::string& name) const { return SameText(ClassType()->Name, name); }

DP_PUBLISHED(TPersistent){};

void TPersistent::Assign(TPersistent* source) {
    if (!source) throw EConvertError(Format(SAssignError, "nil", ClassName().c_str()));
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    throw EConvertError(Format(SAssignError, ClassName().c_str(), dest ? dest->ClassName().c_str() : "nil"));
}

std::string TPersistent::GetNamePath() const {
    std::string result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        std::string s = owner->GetNamePath();
        if (!s.empty()) result = s + "." + result;
    }
    return result;
}

// ---------------------------------------------------------------------------
// TComponent

DP_PUBLISHED(TComponent){
    DP_PROP_STR(Name, Name, SetName),
    DP_PROP_INT(Tag, Tag, SetTag),
};

bool IsValidIdent(const std::string& ident) {
    if (ident.empty()) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(ident[0])) return false;
    for (char c : ident)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

namespace {
// A field of the owner's class named like the component must be able to hold it.
void CheckField(const TComponent* owner, const std::string& name, const TComponent* component) {
    if (!owner || name.empty()) return;
    const TFieldInfo* f = FindFieldInfo(owner->ClassType(), name);
    if (f && !component->InheritsFrom(f->FieldClass()))
        throw EComponentError(
            Format(SFieldClassMismatch, name.c_str(), f->FieldClass()->Name, component->ClassName().c_str()));
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    while (!m_freeNotifies.empty()) {
        TComponent* c = m_freeNotifies.back();
        UnlinkFreeNotify(this, c);
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (m_owner) m_owner->RemoveComponent(this);
}

void TComponent::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Left", [this](TReader& r) { m_designLeft = r.ReadInteger(); }, nullptr, false);
    filer.DefineProperty(
        "Top", [this](TReader& r) { m_designTop = r.ReadInteger(); }, nullptr, false);
}

void TComponent::SetName(const std::string& name) {
    if (name == m_name) return;
    if (!name.empty() && !IsValidIdent(name)) throw EComponentError(Format(SInvalidName, name.c_str()));
    if (m_owner) {
        TComponent* other = m_owner->FindComponent(name);
        if (other && other != this) throw EComponentError(Format(SDuplicateName, name.c_str()));
        CheckField(m_owner, name, this);
    }
    SetReference(false);
    m_name = name;
    SetReference(true);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount()) throw EListError(Format(SListIndexError, index));
    return m_components[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!m_owner) return -1;
    const auto& list = m_owner->m_components;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : m_components)
        if (SameText(c->m_name, name)) return c;
    return nullptr;
}

void TComponent::SetComponentStateFlag(TComponentStateItem item, bool on) {
    if (on)
        m_state.Include(item);
    else
        m_state.Exclude(item);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
    SetComponentStateFlag(csDesigning, value);
    if (setChildren)
        for (TComponent* c : m_components) c->SetDesigning(value, true);
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->m_owner == this || component == this) return;
    if (!component->m_name.empty()) {
        if (FindComponent(component->m_name)) throw EComponentError(Format(SDuplicateName, component->m_name.c_str()));
        CheckField(this, component->m_name, component);
    }
    if (component->m_owner) component->m_owner->RemoveComponent(component);
    AddOwned(component);
    component->SetReference(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->m_owner != this) return;
    Notification(component, opRemove);
    component->SetReference(false);
    RemoveOwned(component);
}

void TComponent::DestroyComponents() {
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        // The owner is going away or emptying itself: the siblings are not told,
        // but the owner's field must not be left pointing at freed memory.
        c->SetReference(false);
        RemoveOwned(c);
        delete c;
    }
}

void TComponent::Destroying() {
    if (m_state.Contains(csDestroying)) return;
    m_state.Include(csDestroying);
    for (TComponent* c : m_components) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
    // Linked both ways even within one owner: an owner that frees its
    // components tells nobody, and a partner must not keep a dangling pointer.
    if (component && component != this) {
        if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component) == m_freeNotifies.end())
            m_freeNotifies.push_back(component);
        if (std::find(component->m_freeNotifies.begin(), component->m_freeNotifies.end(), this) ==
            component->m_freeNotifies.end())
            component->m_freeNotifies.push_back(this);
        component->m_state.Include(csFreeNotification);
    }
    m_state.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component) UnlinkFreeNotify(this, component);
}

void TComponent::UnlinkFreeNotify(TComponent* a, TComponent* b) {
    auto drop = [](std::vector<TComponent*>& v, TComponent* c) {
        v.erase(std::remove(v.begin(), v.end(), c), v.end());
    };
    drop(a->m_freeNotifies, b);
    drop(b->m_freeNotifies, a);
}

void TComponent::Loaded() { m_state.Exclude(csLoading); }

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // Handlers may free components: recheck the bound after each call.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        m_components[static_cast<size_t>(i)]->Notification(component, operation);
        --i;
        if (i >= ComponentCount()) i = ComponentCount() - 1;
    }
}

void TComponent::AddOwned(TComponent* component) {
    m_components.push_back(component);
    component->m_owner = this;
}

void TComponent::RemoveOwned(TComponent* component) {
    m_components.erase(std::remove(m_components.begin(), m_components.end(), component), m_components.end());
    component->m_owner = nullptr;
}

void TComponent::SetReference(bool enable) {
    if (!m_owner || m_name.empty()) return;
    const TFieldInfo* f = FindFieldInfo(m_owner->ClassType(), m_name);
    if (!f) return;
    if (!enable)
        f->Set(m_owner, nullptr);
    else if (InheritsFrom(f->FieldClass()))
        f->Set(m_owner, this);
}
