// Published members: per-class tables of properties (name, type, getter,
// setter), handler methods and component fields, walked from a class to its
// ancestors, and access to any object's properties by name.
//
// In the class body:      DP_DECLARE_CLASS(TButton, TWinControl)      (Component.h)
// In the class's .cpp:
//   DP_PUBLISHED(TButton) {
//       DP_PROP_STR(Caption, Caption, SetCaption),
//       DP_PROP_ENUM(Align, Align, SetAlign),
//       DP_PROP_COLOR(Color, Color, SetColor),
//       DP_PROP_OBJ(Font, Font, SetFont),
//       DP_PROP_EVENT(OnClick, OnClick, SetOnClick),
//   };
// A form class also lists the handler methods stored definitions may name
// (DP_METHOD(Button1Click)) and the component fields the reader fills by name
// (DP_FIELD(Button1)). An enumeration gets its value names once, beside it:
//   enum TAlign { alNone, alTop, ... };
//   DP_ENUM_INFO(TAlign, "alNone", "alTop", ...)
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/SysUtils.h"

constexpr const char* SUnknownProperty = "Property %s does not exist";
constexpr const char* SInvalidPropertyValue = "Invalid property value";
constexpr const char* SInvalidPropertyElement = "Invalid property element: %s";
constexpr const char* SInvalidPropertyType = "Invalid property type: %s";
constexpr const char* SReadOnlyProperty = "Property is read-only";
constexpr const char* SHandlerMismatch = "Handler %s does not match the event type";

class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

class EPropertyConvertError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Type information of property values.

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString
};

struct TIdentMapEntry {
    int32_t Value;
    const char* Name;
};

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    std::string Name;                       // "Integer", "TColor", "TAlign", "Boolean", "string"...
    std::vector<std::string> Names;         // tkEnumeration: value names in order
    const TTypeInfo* CompType = nullptr;    // tkSet: the member enumeration
    std::vector<TIdentMapEntry> Idents;     // tkInteger: identifiers for values (TColor, TCursor...)
    const TClassInfo* ClassType = nullptr;  // tkClass: the property's class (nullptr for TStrings)
    bool IsStrings = false;                 // tkClass holding a TStrings

    int EnumCount() const { return static_cast<int>(Names.size()); }
};

// Enumeration value names; GetEnumValue is case-insensitive and answers -1 when absent.
std::string GetEnumName(const TTypeInfo* type, int value);
int GetEnumValue(const TTypeInfo* type, const std::string& name);
// Members separated by ',' in member order, "[...]" when brackets.
std::string SetToString(const TTypeInfo* setType, uint32_t mask, bool brackets = false);
// Accepts "a,b", "[a, b]" and blanks; raises EPropertyConvertError for an unknown member.
uint32_t StringToSet(const TTypeInfo* setType, const std::string& text);
// Integer identifiers (case-insensitive); false when there is none.
bool IdentToInt(const TTypeInfo* type, const std::string& ident, int32_t& value);
bool IntToIdent(const TTypeInfo* type, int32_t value, std::string& ident);

namespace dp {
TTypeInfo MakeEnumInfo(const char* name, std::initializer_list<const char*> names);
TTypeInfo MakeIdentInfo(const char* name, std::initializer_list<TIdentMapEntry> idents);
}  // namespace dp

// Declares the value names of an enumeration; place it at namespace scope
// right after the enumeration (found by argument-dependent lookup).
#define DP_ENUM_INFO(E, ...)                                                   \
    inline const ::TTypeInfo* DpTypeInfo(E*) {                                 \
        static const ::TTypeInfo info = ::dp::MakeEnumInfo(#E, {__VA_ARGS__}); \
        return &info;                                                          \
    }

// Built-in value types.
const TTypeInfo* DpTypeInfo(bool*);
const TTypeInfo* DpTypeInfo(char*);
const TTypeInfo* DpTypeInfo(std::string*);
const TTypeInfo* DpTypeInfo(double*);
const TTypeInfo* DpTypeInfo(float*);
const TTypeInfo* IntegerTypeInfo();
const TTypeInfo* StringsTypeInfo();

// ---------------------------------------------------------------------------
// Events: a bound handler with the name it was bound by.

// The type-erased form in which event properties move handlers around:
// Code holds a std::function of the event's signature.
struct TMethod {
    std::string Name;         // handler name from a stored definition, "" when set in code
    TObject* Data = nullptr;  // the object whose method it is, when there is one
    std::any Code;
    bool Assigned() const { return Code.has_value(); }
};

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
public:
    using Function = std::function<R(A...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class F,
              std::enable_if_t<std::is_invocable_r_v<R, F&, A...> && !std::is_same_v<std::decay_t<F>, TEvent> &&
                                   !std::is_same_v<std::decay_t<F>, std::nullptr_t>,
                               int> = 0>
    TEvent(F&& f, std::string name = {}) : m_fn(std::forward<F>(f)), m_name(std::move(name)) {}
    // A method of an object, the way a form binds its handlers in code.
    template <class C>
    TEvent(C* obj, R (C::*method)(A...), std::string name = {})
        : m_fn([obj, method](A... a) -> R { return (obj->*method)(std::forward<A>(a)...); }),
          m_name(std::move(name)),
          m_data(ToObject(obj)) {}

    explicit operator bool() const { return static_cast<bool>(m_fn); }
    bool Assigned() const { return static_cast<bool>(m_fn); }
    // An unassigned event does nothing (and answers R()).
    R operator()(A... a) const {
        if (!m_fn) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R();
        }
        return m_fn(std::forward<A>(a)...);
    }
    const std::string& Name() const { return m_name; }
    TObject* Data() const { return m_data; }
    const Function& Target() const { return m_fn; }

    TMethod ToMethod() const {
        TMethod m;
        m.Name = m_name;
        m.Data = m_data;
        if (m_fn) m.Code = m_fn;
        return m;
    }
    // Raises EPropertyError when the handler has another signature.
    static TEvent FromMethod(const TMethod& m) {
        TEvent e;
        if (!m.Assigned()) return e;
        const Function* f = std::any_cast<Function>(&m.Code);
        if (!f) throw EPropertyError(Format(SHandlerMismatch, m.Name.c_str()));
        e.m_fn = *f;
        e.m_name = m.Name;
        e.m_data = m.Data;
        return e;
    }

private:
    template <class C>
    static TObject* ToObject(C* obj) {
        if constexpr (std::is_base_of_v<TObject, C>)
            return obj;
        else
            return nullptr;
    }

    Function m_fn;
    std::string m_name;
    TObject* m_data = nullptr;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

// ---------------------------------------------------------------------------
// Published members.

struct TPropInfo {
    const char* Name = nullptr;
    const TTypeInfo* PropType = nullptr;

    // One pair is set, matching PropType->Kind.
    int64_t (*GetOrd)(TObject*) = nullptr;
    void (*SetOrd)(TObject*, int64_t) = nullptr;
    std::string (*GetStr)(TObject*) = nullptr;
    void (*SetStr)(TObject*, const std::string&) = nullptr;
    double (*GetFloat)(TObject*) = nullptr;
    void (*SetFloat)(TObject*, double) = nullptr;
    TObject* (*GetObj)(TObject*) = nullptr;
    void (*SetObj)(TObject*, TObject*) = nullptr;
    TStrings* (*GetStrings)(TObject*) = nullptr;
    void (*SetStrings)(TObject*, TStrings*) = nullptr;
    TMethod (*GetMethod)(TObject*) = nullptr;
    void (*SetMethod)(TObject*, const TMethod&) = nullptr;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
};

// A handler method stored definitions may bind event properties to.
struct TMethodInfo {
    const char* Name = nullptr;
    TMethod (*Bind)(TObject* instance) = nullptr;
};

// A component field of the owner, kept pointing at the owned component of that name.
struct TFieldInfo {
    const char* Name = nullptr;
    const TClassInfo* (*FieldClass)() = nullptr;
    void (*Set)(TObject* owner, TComponent* value) = nullptr;
};

class TPublishedTable {
public:
    using Entry = std::variant<TPropInfo, TMethodInfo, TFieldInfo>;
    TPublishedTable() = default;
    TPublishedTable(std::initializer_list<Entry> entries);

    std::vector<TPropInfo> Props;
    std::vector<TMethodInfo> Methods;
    std::vector<TFieldInfo> Fields;
};

// Lookups along the class chain, case-insensitive; nullptr when absent.
const TPropInfo* GetPropInfo(const TClassInfo* cls, const std::string& name);
const TPropInfo* GetPropInfo(const TObject* obj, const std::string& name);
// Ancestors' properties first; a property a descendant republishes appears once.
std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls);
std::vector<const TPropInfo*> GetPropList(const TObject* obj);
const TMethodInfo* FindMethodInfo(const TClassInfo* cls, const std::string& name);
const TFieldInfo* FindFieldInfo(const TClassInfo* cls, const std::string& name);
// A handler of obj's class bound to obj; an unassigned TMethod when there is none.
TMethod MethodAddress(TObject* obj, const std::string& name);

bool IsPublishedProp(const TObject* obj, const std::string& name);
bool IsPublishedProp(const TClassInfo* cls, const std::string& name);
// Raise EPropertyError "Property X does not exist" when absent.
TTypeKind PropType(const TObject* obj, const std::string& name);
bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind);
const TTypeInfo* PropTypeInfo(const TObject* obj, const std::string& name);

// By name. A missing property raises EPropertyError "Property X does not exist";
// a property of another kind raises EPropertyError "Invalid property type: X",
// except that the string routines read "" from and ignore writes to other kinds.
// Ordinal: integers (incl. colours), chars, enumerations (incl. Boolean), sets (bit mask).
// Values outside the property's range raise EPropertyError "Invalid property value".
int64_t GetOrdProp(TObject* obj, const std::string& name);
void SetOrdProp(TObject* obj, const std::string& name, int64_t value);
int64_t GetOrdProp(TObject* obj, const TPropInfo* prop);
void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value);
std::string GetStrProp(TObject* obj, const std::string& name);
void SetStrProp(TObject* obj, const std::string& name, const std::string& value);
std::string GetStrProp(TObject* obj, const TPropInfo* prop);
void SetStrProp(TObject* obj, const TPropInfo* prop, const std::string& value);
// Enumerations by value name; SetEnumProp raises EPropertyConvertError for an unknown name.
std::string GetEnumProp(TObject* obj, const std::string& name);
void SetEnumProp(TObject* obj, const std::string& name, const std::string& value);
// Sets as member names.
std::string GetSetProp(TObject* obj, const std::string& name, bool brackets = false);
void SetSetProp(TObject* obj, const std::string& name, const std::string& value);
double GetFloatProp(TObject* obj, const std::string& name);
void SetFloatProp(TObject* obj, const std::string& name, double value);
// With minClass, an object of another class reads as nullptr.
TObject* GetObjectProp(TObject* obj, const std::string& name, const TClassInfo* minClass = nullptr);
TObject* GetObjectProp(TObject* obj, const TPropInfo* prop, const TClassInfo* minClass = nullptr);
// The value must be nullptr or of the property's class.
void SetObjectProp(TObject* obj, const std::string& name, TObject* value);
void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value);
// String-list properties (TStrings objects).
TStrings* GetStringsProp(TObject* obj, const std::string& name);
void SetStringsProp(TObject* obj, const std::string& name, TStrings* value);
// Events.
TMethod GetMethodProp(TObject* obj, const std::string& name);
void SetMethodProp(TObject* obj, const std::string& name, const TMethod& value);
void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value);
template <class Ev>
Ev GetEventProp(TObject* obj, const std::string& name) {
    return Ev::FromMethod(GetMethodProp(obj, name));
}
template <class Ev>
void SetEventProp(TObject* obj, const std::string& name, const Ev& event) {
    SetMethodProp(obj, name, event.ToMethod());
}
// Any property as text: ordinals by their identifiers (enumerations, Booleans,
// colours), sets as "[a,b]", strings as they are, objects by component name.
std::string GetPropValue(TObject* obj, const std::string& name);
// Dotted paths ("Font.Name") into object properties: the object that holds the
// last property, or nullptr when a step is missing or is not an object.
TObject* ResolvePropPath(TObject* obj, const std::string& path, const TPropInfo** prop);

// ---------------------------------------------------------------------------
// Building the tables (used through the macros below).

namespace dp {

template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {
    using Enum = E;
};
template <class T>
struct IsTEvent : std::false_type {};
template <class Sig>
struct IsTEvent<TEvent<Sig>> : std::true_type {};

template <class T>
constexpr bool IsObjectPtr =
    std::is_pointer_v<T>&& std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<T>>>;
template <class T>
constexpr bool IsStringsPtr =
    std::is_pointer_v<T>&& std::is_base_of_v<TStrings, std::remove_cv_t<std::remove_pointer_t<T>>>;

template <class T>
constexpr TTypeKind KindOf() {
    if constexpr (std::is_same_v<T, bool>)
        return tkEnumeration;
    else if constexpr (std::is_same_v<T, char>)
        return tkChar;
    else if constexpr (std::is_integral_v<T>)
        return tkInteger;
    else if constexpr (std::is_enum_v<T>)
        return tkEnumeration;
    else if constexpr (IsTSet<T>::value)
        return tkSet;
    else if constexpr (std::is_floating_point_v<T>)
        return tkFloat;
    else if constexpr (std::is_same_v<T, std::string>)
        return tkLString;
    else if constexpr (IsObjectPtr<T> || IsStringsPtr<T>)
        return tkClass;
    else if constexpr (IsTEvent<T>::value)
        return tkMethod;
    else
        return tkUnknown;
}

const TTypeInfo* MakeSetInfo(const TTypeInfo* comp);
const TTypeInfo* MakeClassInfoType(const TClassInfo* cls);
const TTypeInfo* MethodTypeInfo();

template <class T>
const TTypeInfo* TypeInfoOf() {
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, char> || std::is_same_v<T, std::string> ||
                  std::is_floating_point_v<T>) {
        return DpTypeInfo(static_cast<T*>(nullptr));
    } else if constexpr (std::is_integral_v<T>) {
        return IntegerTypeInfo();
    } else if constexpr (std::is_enum_v<T>) {
        return DpTypeInfo(static_cast<T*>(nullptr));
    } else if constexpr (IsTSet<T>::value) {
        static const TTypeInfo* info = MakeSetInfo(TypeInfoOf<typename IsTSet<T>::Enum>());
        return info;
    } else if constexpr (IsStringsPtr<T>) {
        return StringsTypeInfo();
    } else if constexpr (IsObjectPtr<T>) {
        static const TTypeInfo* info =
            MakeClassInfoType(&std::remove_cv_t<std::remove_pointer_t<T>>::StaticClassInfo());
        return info;
    } else if constexpr (IsTEvent<T>::value) {
        return MethodTypeInfo();
    } else {
        static_assert(sizeof(T) == 0, "not a property value type");
        return nullptr;
    }
}

[[noreturn]] void RaiseInvalidValue();

template <class T>
int64_t ToOrd(const T& v) {
    if constexpr (std::is_same_v<T, bool>)
        return v ? 1 : 0;
    else if constexpr (std::is_same_v<T, char>)
        return static_cast<unsigned char>(v);
    else if constexpr (std::is_integral_v<T>)
        return static_cast<int64_t>(v);
    else if constexpr (std::is_enum_v<T>)
        return static_cast<int64_t>(v);
    else if constexpr (IsTSet<T>::value)
        return static_cast<int64_t>(v.Mask());
}

// Range checks against the C++ type; enumeration and set ranges are checked
// against the type information before this is reached.
template <class T>
T FromOrd(int64_t v) {
    if constexpr (std::is_same_v<T, bool>) {
        return v != 0;
    } else if constexpr (std::is_same_v<T, char>) {
        if (v < 0 || v > 255) RaiseInvalidValue();
        return static_cast<char>(static_cast<unsigned char>(v));
    } else if constexpr (std::is_integral_v<T>) {
        using L = std::numeric_limits<T>;
        if (v >= static_cast<int64_t>((L::min)()) &&
            (v <= 0 || static_cast<uint64_t>(v) <= static_cast<uint64_t>((L::max)())))
            return static_cast<T>(v);
        // The full 32-bit pattern fits a signed 32-bit value ($FFFFFFFF is -1).
        if constexpr (sizeof(T) == 4 && std::is_signed_v<T>) {
            if (v > 0 && v <= 0xFFFFFFFFll) return static_cast<T>(static_cast<uint32_t>(v));
        }
        RaiseInvalidValue();
    } else if constexpr (std::is_enum_v<T>) {
        return static_cast<T>(v);
    } else if constexpr (IsTSet<T>::value) {
        return T::FromMask(static_cast<uint32_t>(v));
    }
}

template <class G>
using GetterValue = std::remove_cvref_t<std::invoke_result_t<G, TObject*>>;

template <class G, class S>
TPropInfo MakeProp(const char* name, const TTypeInfo* typeOverride, G, S) {
    using T = GetterValue<G>;
    static_assert(std::is_default_constructible_v<G> && std::is_default_constructible_v<S>);
    TPropInfo p;
    p.Name = name;
    p.PropType = typeOverride ? typeOverride : TypeInfoOf<T>();
    constexpr TTypeKind kind = KindOf<T>();
    if constexpr (kind == tkInteger || kind == tkChar || kind == tkEnumeration || kind == tkSet) {
        p.GetOrd = [](TObject* o) -> int64_t { return ToOrd<T>(G{}(o)); };
        p.SetOrd = [](TObject* o, int64_t v) { S{}(o, FromOrd<T>(v)); };
    } else if constexpr (kind == tkFloat) {
        p.GetFloat = [](TObject* o) -> double { return static_cast<double>(G{}(o)); };
        p.SetFloat = [](TObject* o, double v) { S{}(o, static_cast<T>(v)); };
    } else if constexpr (kind == tkLString) {
        p.GetStr = [](TObject* o) -> std::string { return G{}(o); };
        p.SetStr = [](TObject* o, const std::string& v) { S{}(o, v); };
    } else if constexpr (IsStringsPtr<T>) {
        p.GetStrings = [](TObject* o) -> TStrings* { return G{}(o); };
        p.SetStrings = [](TObject* o, TStrings* v) { S{}(o, v); };
    } else if constexpr (IsObjectPtr<T>) {
        p.GetObj = [](TObject* o) -> TObject* { return G{}(o); };
        p.SetObj = [](TObject* o, TObject* v) { S{}(o, static_cast<T>(v)); };
    } else if constexpr (kind == tkMethod) {
        p.GetMethod = [](TObject* o) -> TMethod { return G{}(o).ToMethod(); };
        p.SetMethod = [](TObject* o, const TMethod& v) { S{}(o, T::FromMethod(v)); };
    } else {
        static_assert(kind != tkUnknown, "not a property value type");
    }
    return p;
}

// What a kind-named macro promises about the getter's type.
enum class PropTag { Int, Char, Bool, Enum, Set, Float, Str, Obj, Strings, Event };

template <PropTag K, class G, class S>
TPropInfo MakeTaggedProp(const char* name, const TTypeInfo* typeOverride, G g, S s) {
    using T = GetterValue<G>;
    if constexpr (K == PropTag::Int)
        static_assert(KindOf<T>() == tkInteger, "the getter does not answer an integer");
    else if constexpr (K == PropTag::Char)
        static_assert(KindOf<T>() == tkChar, "the getter does not answer a char");
    else if constexpr (K == PropTag::Bool)
        static_assert(std::is_same_v<T, bool>, "the getter does not answer bool");
    else if constexpr (K == PropTag::Enum)
        static_assert(std::is_enum_v<T>, "the getter does not answer an enumeration");
    else if constexpr (K == PropTag::Set)
        static_assert(KindOf<T>() == tkSet, "the getter does not answer a TSet");
    else if constexpr (K == PropTag::Float)
        static_assert(KindOf<T>() == tkFloat, "the getter does not answer a floating-point value");
    else if constexpr (K == PropTag::Str)
        static_assert(KindOf<T>() == tkLString, "the getter does not answer a std::string");
    else if constexpr (K == PropTag::Obj)
        static_assert(IsObjectPtr<T>, "the getter does not answer a TObject-derived pointer");
    else if constexpr (K == PropTag::Strings)
        static_assert(IsStringsPtr<T>, "the getter does not answer a TStrings pointer");
    else if constexpr (K == PropTag::Event)
        static_assert(KindOf<T>() == tkMethod, "the getter does not answer a TEvent");
    return MakeProp(name, typeOverride, g, s);
}

template <class T>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Class = C;
    template <auto M>
    static std::function<R(A...)> Wrap(C* c) {
        return [c](A... a) -> R { return (c->*M)(std::forward<A>(a)...); };
    }
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> {
    using Class = C;
    template <auto M>
    static std::function<R(A...)> Wrap(C* c) {
        return [c](A... a) -> R { return (c->*M)(std::forward<A>(a)...); };
    }
};

template <auto M>
TMethod BindMethod(TObject* instance) {
    using Tr = MemberTraits<decltype(M)>;
    TMethod m;
    m.Data = instance;
    m.Code = Tr::template Wrap<M>(static_cast<typename Tr::Class*>(instance));
    return m;
}

template <auto M>
TMethodInfo MethodEntry(const char* name) {
    TMethodInfo info;
    info.Name = name;
    info.Bind = &BindMethod<M>;
    return info;
}

template <class T>
struct FieldTraits;
template <class C, class T>
struct FieldTraits<T * C::*> {
    using Class = C;
    using Target = T;
};

template <auto F>
const TClassInfo* FieldClassOf() {
    using Target = typename FieldTraits<decltype(F)>::Target;
    static_assert(std::is_base_of_v<TComponent, Target>, "a component field must point to a component");
    return &Target::StaticClassInfo();
}

template <auto F>
void SetField(TObject* owner, TComponent* value) {
    using Tr = FieldTraits<decltype(F)>;
    static_cast<typename Tr::Class*>(owner)->*F = static_cast<typename Tr::Target*>(value);
}

template <auto F>
TFieldInfo FieldEntry(const char* name) {
    TFieldInfo info;
    info.Name = name;
    info.FieldClass = &FieldClassOf<F>;
    info.Set = &SetField<F>;
    return info;
}

template <class C>
constexpr TComponentFactory FactoryOf() {
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> && std::is_constructible_v<C, TComponent*>)
        return [](TComponent* owner) -> TComponent* { return new C(owner); };
    else
        return nullptr;
}

struct TClassRegistrar {
    explicit TClassRegistrar(const TClassInfo& cls);
};

}  // namespace dp

// Defines the class information and opens the class's published table; the
// braces that follow list its members, one per line. Use it in the namespace of the class.
#define DP_PUBLISHED(C)                                                                                      \
    constinit const ::TClassInfo C::s_dpClassInfo = {#C, &C::inherited::s_dpClassInfo, ::dp::FactoryOf<C>(), \
                                                     &C::s_dpTable};                                         \
    static const ::dp::TClassRegistrar dpRegistrar_##C{C::s_dpClassInfo};                                    \
    const ::TPublishedTable C::s_dpTable =

#define DP_DETAIL_GET(G) [](::TObject* o) { return static_cast<DpSelf*>(o)->G(); }
#define DP_DETAIL_SET(S) [](::TObject* o, auto v) { static_cast<DpSelf*>(o)->S(std::move(v)); }

// The kind follows the getter's type: integers, char, bool, enumerations with
// DP_ENUM_INFO, TSet<E>, double, std::string, object pointers, TStrings
// pointers, TEvent<...>. The kind-named forms check the type.
#define DP_PROP(N, G, S) ::dp::MakeProp(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_INT(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Int>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_CHAR(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Char>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_BOOL(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Bool>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_ENUM(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Enum>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_SET(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Set>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_FLOAT(N, G, S) \
    ::dp::MakeTaggedProp<::dp::PropTag::Float>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_STR(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Str>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_OBJ(N, G, S) ::dp::MakeTaggedProp<::dp::PropTag::Obj>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_STRINGS(N, G, S) \
    ::dp::MakeTaggedProp<::dp::PropTag::Strings>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
#define DP_PROP_EVENT(N, G, S) \
    ::dp::MakeTaggedProp<::dp::PropTag::Event>(#N, nullptr, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
// A TColor property: its identifiers are in classlib/Colors.h.
#define DP_PROP_COLOR(N, G, S) \
    ::dp::MakeTaggedProp<::dp::PropTag::Int>(#N, ::ColorTypeInfo(), DP_DETAIL_GET(G), DP_DETAIL_SET(S))
// An integer type with identifiers of its own (cursors, character sets...).
#define DP_PROP_IDENTS(N, TYPEINFO, G, S) \
    ::dp::MakeTaggedProp<::dp::PropTag::Int>(#N, TYPEINFO, DP_DETAIL_GET(G), DP_DETAIL_SET(S))
// A property read and written straight through a data member (events mostly).
#define DP_PROP_FIELD(N, M)                                                   \
    ::dp::MakeProp(                                                           \
        #N, nullptr, [](::TObject* o) { return static_cast<DpSelf*>(o)->M; }, \
        [](::TObject* o, auto v) { static_cast<DpSelf*>(o)->M = std::move(v); })
// A handler method (not overloaded) that stored definitions may name.
#define DP_METHOD(M) ::dp::MethodEntry<&DpSelf::M>(#M)
// A component pointer member the reader (through the owner) points at the owned component of that name.
#define DP_FIELD(F) ::dp::FieldEntry<&DpSelf::F>(#F)
