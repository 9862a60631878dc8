#include "classlib/TypInfo.h"

#include <cmath>
#include <cstdio>

// ---------------------------------------------------------------------------
// Type information

namespace dp {

TTypeInfo MakeEnumInfo(const char* name, std::initializer_list<const char*> names) {
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = name;
    for (const char* n : names) t.Names.emplace_back(n);
    return t;
}

TTypeInfo MakeIdentInfo(const char* name, std::initializer_list<TIdentMapEntry> idents) {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = name;
    t.Idents.assign(idents.begin(), idents.end());
    return t;
}

// Made once per type through the callers' function-local statics; never freed.
const TTypeInfo* MakeSetInfo(const TTypeInfo* comp) {
    auto* t = new TTypeInfo;
    t->Kind = tkSet;
    t->Name = "set of " + comp->Name;
    t->CompType = comp;
    return t;
}

const TTypeInfo* MakeClassInfoType(const TClassInfo* cls) {
    auto* t = new TTypeInfo;
    t->Kind = tkClass;
    t->Name = cls->Name;
    t->ClassType = cls;
    return t;
}

const TTypeInfo* MethodTypeInfo() {
    static const TTypeInfo info = [] {
        TTypeInfo t;
        t.Kind = tkMethod;
        t.Name = "TMethod";
        return t;
    }();
    return &info;
}

void RaiseInvalidValue() { throw EPropertyError(SInvalidPropertyValue); }

}  // namespace dp

namespace {
TTypeInfo Simple(TTypeKind kind, const char* name) {
    TTypeInfo t;
    t.Kind = kind;
    t.Name = name;
    return t;
}
}  // namespace

const TTypeInfo* DpTypeInfo(bool*) {
    static const TTypeInfo info = dp::MakeEnumInfo("Boolean", {"False", "True"});
    return &info;
}
const TTypeInfo* DpTypeInfo(char*) {
    static const TTypeInfo info = Simple(tkChar, "Char");
    return &info;
}
const TTypeInfo* DpTypeInfo(std::string*) {
    static const TTypeInfo info = Simple(tkLString, "string");
    return &info;
}
const TTypeInfo* DpTypeInfo(double*) {
    static const TTypeInfo info = Simple(tkFloat, "Double");
    return &info;
}
const TTypeInfo* DpTypeInfo(float*) {
    static const TTypeInfo info = Simple(tkFloat, "Single");
    return &info;
}
const TTypeInfo* IntegerTypeInfo() {
    static const TTypeInfo info = Simple(tkInteger, "Integer");
    return &info;
}
const TTypeInfo* StringsTypeInfo() {
    static const TTypeInfo info = [] {
        TTypeInfo t = Simple(tkClass, "TStrings");
        t.IsStrings = true;
        return t;
    }();
    return &info;
}

std::string GetEnumName(const TTypeInfo* type, int value) {
    if (!type || value < 0 || value >= type->EnumCount()) return std::string();
    return type->Names[static_cast<size_t>(value)];
}

int GetEnumValue(const TTypeInfo* type, const std::string& name) {
    if (!type) return -1;
    for (int i = 0; i < type->EnumCount(); ++i)
        if (SameText(type->Names[static_cast<size_t>(i)], name)) return i;
    return -1;
}

std::string SetToString(const TTypeInfo* setType, uint32_t mask, bool brackets) {
    std::string result;
    const TTypeInfo* comp = setType ? setType->CompType : nullptr;
    if (comp)
        for (int i = 0; i < comp->EnumCount() && i < 32; ++i)
            if (mask & (uint32_t(1) << i)) {
                if (!result.empty()) result += ',';
                result += comp->Names[static_cast<size_t>(i)];
            }
    return brackets ? "[" + result + "]" : result;
}

uint32_t StringToSet(const TTypeInfo* setType, const std::string& text) {
    const TTypeInfo* comp = setType ? setType->CompType : nullptr;
    std::string s = Trim(text);
    if (!s.empty() && s.front() == '[') {
        if (s.back() != ']') throw EPropertyConvertError(Format(SInvalidPropertyElement, s.c_str()));
        s = s.substr(1, s.size() - 2);
    }
    uint32_t mask = 0;
    size_t start = 0;
    while (start <= s.size()) {
        size_t comma = s.find(',', start);
        if (comma == std::string::npos) comma = s.size();
        std::string item = Trim(s.substr(start, comma - start));
        if (!item.empty()) {
            int v = GetEnumValue(comp, item);
            if (v < 0 || v >= 32) throw EPropertyConvertError(Format(SInvalidPropertyElement, item.c_str()));
            mask |= uint32_t(1) << v;
        } else if (comma < s.size()) {
            throw EPropertyConvertError(Format(SInvalidPropertyElement, ""));
        }
        start = comma + 1;
    }
    return mask;
}

bool IdentToInt(const TTypeInfo* type, const std::string& ident, int32_t& value) {
    if (!type) return false;
    for (const TIdentMapEntry& e : type->Idents)
        if (SameText(e.Name, ident)) {
            value = e.Value;
            return true;
        }
    return false;
}

bool IntToIdent(const TTypeInfo* type, int32_t value, std::string& ident) {
    if (!type) return false;
    for (const TIdentMapEntry& e : type->Idents)
        if (e.Value == value) {
            ident = e.Name;
            return true;
        }
    return false;
}

// ---------------------------------------------------------------------------
// Published tables

TPublishedTable::TPublishedTable(std::initializer_list<Entry> entries) {
    for (const Entry& e : entries) {
        if (const auto* p = std::get_if<TPropInfo>(&e))
            Props.push_back(*p);
        else if (const auto* m = std::get_if<TMethodInfo>(&e))
            Methods.push_back(*m);
        else if (const auto* f = std::get_if<TFieldInfo>(&e))
            Fields.push_back(*f);
    }
}

const TPropInfo* GetPropInfo(const TClassInfo* cls, const std::string& name) {
    for (const TClassInfo* c = cls; c; c = c->Parent)
        if (c->Published)
            for (const TPropInfo& p : c->Published->Props)
                if (SameText(p.Name, name)) return &p;
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, const std::string& name) {
    return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* cls) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = cls; c; c = c->Parent) chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!(*it)->Published) continue;
        for (const TPropInfo& p : (*it)->Published->Props) {
            bool replaced = false;
            for (const TPropInfo*& q : result)
                if (SameText(q->Name, p.Name)) {
                    q = &p;  // the descendant's version, at the ancestor's place
                    replaced = true;
                }
            if (!replaced) result.push_back(&p);
        }
    }
    return result;
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
    return obj ? GetPropList(obj->ClassType()) : std::vector<const TPropInfo*>();
}

const TMethodInfo* FindMethodInfo(const TClassInfo* cls, const std::string& name) {
    for (const TClassInfo* c = cls; c; c = c->Parent)
        if (c->Published)
            for (const TMethodInfo& m : c->Published->Methods)
                if (SameText(m.Name, name)) return &m;
    return nullptr;
}

const TFieldInfo* FindFieldInfo(const TClassInfo* cls, const std::string& name) {
    for (const TClassInfo* c = cls; c; c = c->Parent)
        if (c->Published)
            for (const TFieldInfo& f : c->Published->Fields)
                if (SameText(f.Name, name)) return &f;
    return nullptr;
}

TMethod MethodAddress(TObject* obj, const std::string& name) {
    if (!obj) return TMethod();
    const TMethodInfo* info = FindMethodInfo(obj->ClassType(), name);
    if (!info) return TMethod();
    TMethod m = info->Bind(obj);
    m.Name = info->Name;
    return m;
}

bool IsPublishedProp(const TObject* obj, const std::string& name) { return GetPropInfo(obj, name) != nullptr; }

bool IsPublishedProp(const TClassInfo* cls, const std::string& name) { return GetPropInfo(cls, name) != nullptr; }

// ---------------------------------------------------------------------------
// Access by name

namespace {

const TPropInfo* Require(const TObject* obj, const std::string& name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p) throw EPropertyError(Format(SUnknownProperty, name.c_str()));
    return p;
}

[[noreturn]] void InvalidType(const TPropInfo* p) {
    throw EPropertyError(Format(SInvalidPropertyType, p->PropType ? p->PropType->Name.c_str() : "?"));
}

bool IsOrdinal(TTypeKind k) { return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet; }
bool IsString(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString; }

}  // namespace

TTypeKind PropType(const TObject* obj, const std::string& name) { return Require(obj, name)->Kind(); }

bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind) { return PropType(obj, name) == kind; }

const TTypeInfo* PropTypeInfo(const TObject* obj, const std::string& name) { return Require(obj, name)->PropType; }

int64_t GetOrdProp(TObject* obj, const TPropInfo* prop) {
    if (!IsOrdinal(prop->Kind()) || !prop->GetOrd) InvalidType(prop);
    return prop->GetOrd(obj);
}

void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value) {
    if (!IsOrdinal(prop->Kind()) || !prop->SetOrd) InvalidType(prop);
    const TTypeInfo* t = prop->PropType;
    // Values the C++ type cannot hold never reach the setter.
    if (t->Kind == tkEnumeration && (value < 0 || value >= t->EnumCount())) dp::RaiseInvalidValue();
    if (t->Kind == tkSet) {
        const int count = t->CompType ? t->CompType->EnumCount() : 0;
        const uint64_t allowed = count >= 32 ? 0xFFFFFFFFull : ((uint64_t(1) << count) - 1);
        if (value < 0 || (static_cast<uint64_t>(value) & ~allowed) != 0) dp::RaiseInvalidValue();
    }
    prop->SetOrd(obj, value);
}

int64_t GetOrdProp(TObject* obj, const std::string& name) { return GetOrdProp(obj, Require(obj, name)); }

void SetOrdProp(TObject* obj, const std::string& name, int64_t value) { SetOrdProp(obj, Require(obj, name), value); }

std::string GetStrProp(TObject* obj, const TPropInfo* prop) {
    if (!IsString(prop->Kind()) || !prop->GetStr) return std::string();
    return prop->GetStr(obj);
}

void SetStrProp(TObject* obj, const TPropInfo* prop, const std::string& value) {
    if (!IsString(prop->Kind()) || !prop->SetStr) return;
    prop->SetStr(obj, value);
}

std::string GetStrProp(TObject* obj, const std::string& name) { return GetStrProp(obj, Require(obj, name)); }

void SetStrProp(TObject* obj, const std::string& name, const std::string& value) {
    SetStrProp(obj, Require(obj, name), value);
}

std::string GetEnumProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkEnumeration) InvalidType(p);
    return GetEnumName(p->PropType, static_cast<int>(GetOrdProp(obj, p)));
}

void SetEnumProp(TObject* obj, const std::string& name, const std::string& value) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkEnumeration) InvalidType(p);
    int v = GetEnumValue(p->PropType, value);
    if (v < 0) throw EPropertyConvertError(Format(SInvalidPropertyElement, value.c_str()));
    SetOrdProp(obj, p, v);
}

std::string GetSetProp(TObject* obj, const std::string& name, bool brackets) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkSet) InvalidType(p);
    return SetToString(p->PropType, static_cast<uint32_t>(GetOrdProp(obj, p)), brackets);
}

void SetSetProp(TObject* obj, const std::string& name, const std::string& value) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkSet) InvalidType(p);
    SetOrdProp(obj, p, StringToSet(p->PropType, value));
}

double GetFloatProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkFloat || !p->GetFloat) InvalidType(p);
    return p->GetFloat(obj);
}

void SetFloatProp(TObject* obj, const std::string& name, double value) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkFloat || !p->SetFloat) InvalidType(p);
    p->SetFloat(obj, value);
}

TObject* GetObjectProp(TObject* obj, const TPropInfo* prop, const TClassInfo* minClass) {
    if (prop->Kind() != tkClass || !prop->GetObj) InvalidType(prop);
    TObject* value = prop->GetObj(obj);
    if (value && minClass && !value->InheritsFrom(minClass)) return nullptr;
    return value;
}

TObject* GetObjectProp(TObject* obj, const std::string& name, const TClassInfo* minClass) {
    return GetObjectProp(obj, Require(obj, name), minClass);
}

void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value) {
    if (prop->Kind() != tkClass || !prop->SetObj) InvalidType(prop);
    const TClassInfo* cls = prop->PropType->ClassType;
    if (value && cls && !value->InheritsFrom(cls)) dp::RaiseInvalidValue();
    prop->SetObj(obj, value);
}

void SetObjectProp(TObject* obj, const std::string& name, TObject* value) {
    SetObjectProp(obj, Require(obj, name), value);
}

TStrings* GetStringsProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = Require(obj, name);
    if (!p->GetStrings) InvalidType(p);
    return p->GetStrings(obj);
}

void SetStringsProp(TObject* obj, const std::string& name, TStrings* value) {
    const TPropInfo* p = Require(obj, name);
    if (!p->SetStrings) InvalidType(p);
    p->SetStrings(obj, value);
}

TMethod GetMethodProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = Require(obj, name);
    if (p->Kind() != tkMethod || !p->GetMethod) InvalidType(p);
    return p->GetMethod(obj);
}

void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value) {
    if (prop->Kind() != tkMethod || !prop->SetMethod) InvalidType(prop);
    prop->SetMethod(obj, value);
}

void SetMethodProp(TObject* obj, const std::string& name, const TMethod& value) {
    SetMethodProp(obj, Require(obj, name), value);
}

std::string GetPropValue(TObject* obj, const std::string& name) {
    const TPropInfo* p = Require(obj, name);
    const TTypeInfo* t = p->PropType;
    switch (p->Kind()) {
        case tkInteger: {
            const int64_t v = GetOrdProp(obj, p);
            std::string ident;
            if (v >= INT32_MIN && v <= INT32_MAX && IntToIdent(t, static_cast<int32_t>(v), ident)) return ident;
            return IntToStr(v);
        }
        case tkChar: return std::string(1, static_cast<char>(GetOrdProp(obj, p)));
        case tkEnumeration: return GetEnumName(t, static_cast<int>(GetOrdProp(obj, p)));
        case tkSet: return SetToString(t, static_cast<uint32_t>(GetOrdProp(obj, p)), true);
        case tkFloat: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", p->GetFloat(obj));
            return buf;
        }
        case tkString:
        case tkLString:
        case tkWString: return GetStrProp(obj, p);
        case tkClass: {
            if (p->GetStrings) {
                TStrings* s = p->GetStrings(obj);
                return s ? s->Text() : std::string();
            }
            TObject* o = p->GetObj ? p->GetObj(obj) : nullptr;
            if (!o) return std::string();
            if (o->Is<TComponent>()) return static_cast<TComponent*>(o)->Name();
            return o->ClassName();
        }
        case tkMethod: return p->GetMethod(obj).Name;
        default: InvalidType(p);
    }
}

TObject* ResolvePropPath(TObject* obj, const std::string& path, const TPropInfo** prop) {
    if (prop) *prop = nullptr;
    TObject* target = obj;
    size_t start = 0;
    while (target) {
        const size_t dot = path.find('.', start);
        const std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        const TPropInfo* p = GetPropInfo(target, part);
        if (!p) return nullptr;
        if (dot == std::string::npos) {
            if (prop) *prop = p;
            return target;
        }
        if (p->Kind() != tkClass || !p->GetObj) return nullptr;
        target = p->GetObj(target);
        start = dot + 1;
    }
    return nullptr;
}
