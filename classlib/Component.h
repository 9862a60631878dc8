// Component model: the object root with run-time class information, the class
// registry, persistent objects and components with owners, names and state.
// Published property tables and by-name access live in TypInfo.h.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "classlib/SysUtils.h"

class TObject;
class TPersistent;
class TComponent;
class TPublishedTable;
class TStream;
class TReader;
class TWriter;

// ---------------------------------------------------------------------------
// Message texts of the component model.
constexpr const char* SClassNotFound = "Class %s not found";
constexpr const char* SDuplicateClass = "A class named %s already exists";
constexpr const char* SDuplicateName = "A component named %s already exists";
constexpr const char* SInvalidName = "'%s' is not a valid component name";
constexpr const char* SAssignError = "Cannot assign a %s to a %s";
constexpr const char* SInvalidCast = "Invalid class typecast";
constexpr const char* SFieldClassMismatch = "Field %s is of class %s, not %s";
constexpr const char* SCannotCreate = "Class %s cannot be created by name";

class EFilerError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidCast : public Exception {
public:
    explicit EInvalidCast(std::string msg = SInvalidCast) : Exception(std::move(msg)) {}
};

// ---------------------------------------------------------------------------
// A set of enumeration members (at most 32), stored as a bit mask: member i is bit i.

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) m_bits |= Bit(e);
    }
    static constexpr TSet FromMask(uint32_t mask) {
        TSet s;
        s.m_bits = mask;
        return s;
    }
    constexpr uint32_t Mask() const { return m_bits; }
    constexpr bool Contains(E e) const { return (m_bits & Bit(e)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr bool SubsetOf(TSet other) const { return (m_bits & ~other.m_bits) == 0; }
    constexpr TSet& Include(E e) {
        m_bits |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        m_bits &= ~Bit(e);
        return *this;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromMask(a.m_bits | b.m_bits); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromMask(a.m_bits & ~b.m_bits); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromMask(a.m_bits & b.m_bits); }
    friend constexpr TSet operator+(TSet a, E e) { return a.Include(e); }
    friend constexpr TSet operator-(TSet a, E e) { return a.Exclude(e); }
    constexpr TSet& operator+=(TSet b) { return *this = *this + b; }
    constexpr TSet& operator-=(TSet b) { return *this = *this - b; }
    constexpr TSet& operator*=(TSet b) { return *this = *this * b; }
    constexpr TSet& operator+=(E e) { return Include(e); }
    constexpr TSet& operator-=(E e) { return Exclude(e); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.m_bits == b.m_bits; }
    friend constexpr bool operator!=(TSet a, TSet b) { return a.m_bits != b.m_bits; }

private:
    // Members beyond bit 31 cannot be stored; they read as absent.
    static constexpr uint32_t Bit(E e) {
        const auto i = static_cast<unsigned long long>(e);
        return i < 32 ? (uint32_t(1) << i) : 0;
    }
    uint32_t m_bits = 0;
};

// ---------------------------------------------------------------------------
// Run-time class information: one constant record per class.

using TComponentFactory = TComponent* (*)(TComponent* owner);

struct TClassInfo {
    const char* Name;                  // "TButton"
    const TClassInfo* Parent;          // nullptr only for TObject
    TComponentFactory Factory;         // nullptr: abstract, or not a component
    const TPublishedTable* Published;  // this class's own published members

    bool InheritsFrom(const TClassInfo* other) const;
    // Case-insensitive, along the chain of class names.
    bool InheritsFrom(const std::string& className) const;
    // Raises EComponentError when the class has no factory.
    TComponent* Create(TComponent* owner) const;
};

// In the body of every class with run-time class information:
//   class TButton : public TWinControl { DP_DECLARE_CLASS(TButton, TWinControl) ... };
// and DP_PUBLISHED(TButton) { ... }; in its .cpp (TypInfo.h). Leaves the access at public.
#define DP_DECLARE_CLASS(C, P)                                                \
public:                                                                       \
    using inherited = P;                                                      \
    static const ::TClassInfo s_dpClassInfo;                                  \
    static const ::TClassInfo& StaticClassInfo() { return s_dpClassInfo; }    \
    const ::TClassInfo* ClassType() const override { return &s_dpClassInfo; } \
                                                                              \
private:                                                                      \
    using DpSelf = C;                                                         \
    static const ::TPublishedTable s_dpTable;                                 \
                                                                              \
public:

// ---------------------------------------------------------------------------
// The class registry: component classes that stored definitions may name.

namespace dp {
void RegisterClassInfo(const TClassInfo& cls);
}  // namespace dp

// <windows.h> defines RegisterClass as a macro; both spellings are provided inline
// so the call works whichever header comes first.
// Raises EFilerError when a different class of the same name is registered.
#ifndef RegisterClass
inline void RegisterClass(const TClassInfo& cls) { dp::RegisterClassInfo(cls); }
#endif
inline void RegisterClassA(const TClassInfo& cls) { dp::RegisterClassInfo(cls); }
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterClass(const TClassInfo& cls);
// By name, case-insensitive. GetClass answers nullptr, FindClass raises EClassNotFound.
const TClassInfo* GetClass(const std::string& name);
const TClassInfo* FindClass(const std::string& name);
// Every registered class, in order of registration.
std::vector<const TClassInfo*> RegisteredClasses();

// ---------------------------------------------------------------------------
// The root of every class with run-time class information.

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TClassInfo s_dpClassInfo;
    static const TClassInfo& StaticClassInfo() { return s_dpClassInfo; }
    virtual const TClassInfo* ClassType() const { return &s_dpClassInfo; }

    std::string ClassName() const { return ClassType()->Name; }
    bool ClassNameIs(const std::string& name) const;
    const TClassInfo* ClassParent() const { return ClassType()->Parent; }
    bool InheritsFrom(const TClassInfo* cls) const { return ClassType()->InheritsFrom(cls); }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassType()->InheritsFrom(&cls); }
    bool InheritsFrom(const std::string& className) const { return ClassType()->InheritsFrom(className); }
    template <class T>
    bool Is() const {
        return InheritsFrom(&T::StaticClassInfo());
    }

private:
    using DpSelf = TObject;
    static const TPublishedTable s_dpTable;
};

// Checked downcast along the run-time class information (nullptr stays nullptr).
template <class T>
T* As(TObject* obj) {
    if (obj && !obj->Is<T>()) throw EInvalidCast();
    return static_cast<T*>(obj);
}
template <class T>
T* DynamicAs(TObject* obj) {
    return obj && obj->Is<T>() ? static_cast<T*>(obj) : nullptr;
}

// ---------------------------------------------------------------------------
// Filers: what DefineProperties talks to when an object is read or written.

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
public:
    virtual ~TFiler() = default;
    // A property stored as a plain value (integer, string, identifier, list...).
    virtual void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData, bool hasData) = 0;
    // A property stored as raw bytes; readData gets them as a stream positioned at 0.
    virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                                      bool hasData) = 0;
};

// ---------------------------------------------------------------------------

class TPersistent : public TObject {
    DP_DECLARE_CLASS(TPersistent, TObject)
public:
    // Copies source into this object through source's AssignTo; raises
    // EConvertError "Cannot assign a X to a Y" when neither side knows how.
    virtual void Assign(TPersistent* source);
    virtual std::string GetNamePath() const;

protected:
    virtual void AssignTo(TPersistent* dest) const;
    // Declares the stored properties that are not published.
    virtual void DefineProperties(TFiler& /*filer*/) {}
    virtual TPersistent* GetOwner() const { return nullptr; }

    friend class TReader;
    friend class TWriter;
};

// ---------------------------------------------------------------------------

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    DP_DECLARE_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    // Tells the free-notification partners, frees the owned components (last
    // first) and leaves the owner, which tells its other components.
    ~TComponent() override;

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    // Raises EComponentError for an invalid identifier or a name the owner
    // already has; a matching component field of the owner follows the name.
    virtual void SetName(const std::string& name);
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }

    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    // Case-insensitive; nullptr for an empty or unknown name.
    TComponent* FindComponent(const std::string& name) const;

    TComponentState ComponentState() const { return m_state; }
    // The state flags are normally left to the reader and the destructor.
    void SetComponentStateFlag(TComponentStateItem item, bool on);
    // Marks this component and every component it owns as being designed.
    void SetDesigning(bool value, bool setChildren = true);

    // Ownership without construction: moves a component to this owner.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last first. Classes whose owned components
    // talk back to them while dying call this at the top of their destructor.
    void DestroyComponents();
    // Sets csDestroying here and in every owned component.
    void Destroying();

    // Asks component to tell this one (through Notification opRemove) when it
    // is freed; works across owners, and both ways.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // The component whose child this is in a stored definition (controls:
    // the parent control); the base class has none.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    // Called by the form reader with the enclosing object before this
    // component's properties are read; the base class ignores it.
    virtual void SetParentComponent(TComponent* /*parent*/) {}
    // What the reader passes to the children's SetParentComponent.
    virtual TComponent* GetChildParent() { return this; }

    std::string GetNamePath() const override { return m_name; }
    // Where a form designer placed a non-visual component ("Left", "Top" in stored
    // definitions); kept, never used. Controls publish Left and Top themselves.
    int32_t DesignLeft() const { return m_designLeft; }
    int32_t DesignTop() const { return m_designTop; }

protected:
    void DefineProperties(TFiler& filer) override;
    // Called once the whole stored definition has been read; clears csLoading.
    virtual void Loaded();
    // Broadcast to every owned component (last first); opRemove also drops
    // the component from the free-notification list.
    virtual void Notification(TComponent* component, TOperation operation);
    TPersistent* GetOwner() const override { return m_owner; }

private:
    void AddOwned(TComponent* component);
    void RemoveOwned(TComponent* component);
    void SetReference(bool enable);
    static void UnlinkFreeNotify(TComponent* a, TComponent* b);

    TComponent* m_owner = nullptr;
    std::string m_name;
    int32_t m_tag = 0;
    int32_t m_designLeft = 0;
    int32_t m_designTop = 0;
    TComponentState m_state;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_freeNotifies;

    friend class TReader;
};

// True for a Pascal-style identifier: a letter or '_' followed by letters, digits, '_'.
bool IsValidIdent(const std::string& ident);
