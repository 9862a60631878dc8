#include "classlib/FormReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "classlib/TypInfo.h"

EFormReadError::EFormReadError(const std::string& form, int line, const std::string& property,
                               const std::string& detail)
    : EReadError(Format("%s(%d): %s", form.c_str(), line, detail.c_str())),
      m_form(form),
      m_line(line),
      m_property(property),
      m_detail(detail) {}

// ---------------------------------------------------------------------------
// Parser

namespace {

// Stored definitions come from our own resources, but a broken one must end
// in an error, not in a stack overflow.
constexpr int kMaxDepth = 200;

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class Parser {
public:
    Parser(const std::string& text, const std::string& form) : m_s(text), m_form(form) {
        if (m_s.compare(0, 3, "\xEF\xBB\xBF") == 0) m_pos = 3;
    }

    TFormDefObject ParseRoot() {
        TFormDefObject root = ParseObject(0);
        SkipBlanks();
        if (!AtEnd())
            Error("unexpected text after the end of object " + Quoted(root.Name.empty() ? root.ClassName : root.Name));
        return root;
    }

private:
    [[noreturn]] void Error(const std::string& detail) const { throw EFormReadError(m_form, m_line, m_prop, detail); }

    bool AtEnd() const { return m_pos >= m_s.size(); }
    char Peek(size_t ahead = 0) const { return m_pos + ahead < m_s.size() ? m_s[m_pos + ahead] : '\0'; }

    void SkipBlanks() {
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos];
            if (c == '\n') {
                ++m_line;
            } else if (static_cast<unsigned char>(c) > ' ') {
                break;
            }
            ++m_pos;
        }
    }

    std::string PeekWord() const {
        size_t p = m_pos;
        if (p >= m_s.size() || !IsIdentStart(m_s[p])) return std::string();
        while (p < m_s.size() && IsIdentChar(m_s[p])) ++p;
        return m_s.substr(m_pos, p - m_pos);
    }

    std::string ReadWord(const char* what) {
        SkipBlanks();
        std::string w = PeekWord();
        if (w.empty()) Error(std::string(what) + " expected");
        m_pos += w.size();
        return w;
    }

    // An identifier with optional ".part"s.
    std::string ReadDotted(const char* what) {
        std::string name = ReadWord(what);
        for (;;) {
            const size_t savePos = m_pos;
            const int saveLine = m_line;
            SkipBlanks();
            if (Peek() != '.') {
                m_pos = savePos;
                m_line = saveLine;
                return name;
            }
            ++m_pos;
            name += "." + ReadWord(what);
        }
    }

    TFormDefObject ParseObject(int depth) {
        if (depth > kMaxDepth) Error("objects nested too deeply");
        SkipBlanks();
        const std::string keyword = PeekWord();
        if (SameText(keyword, "inherited") || SameText(keyword, "inline"))
            Error("'" + keyword + "' objects are not supported");
        if (!SameText(keyword, "object")) Error("'object' expected");
        m_pos += keyword.size();

        TFormDefObject obj;
        obj.Line = m_line;
        const std::string first = ReadWord("object name");
        SkipBlanks();
        if (Peek() == ':') {
            ++m_pos;
            obj.Name = first;
            obj.ClassName = ReadWord("class name");
        } else {
            obj.ClassName = first;
        }
        const std::string label = Quoted(obj.Name.empty() ? obj.ClassName : obj.Name);

        for (;;) {
            SkipBlanks();
            if (AtEnd()) Error("'end' expected for object " + label);
            const std::string word = PeekWord();
            if (SameText(word, "end")) {
                m_pos += word.size();
                break;
            }
            if (SameText(word, "object") || SameText(word, "inherited") || SameText(word, "inline")) {
                obj.Children.push_back(ParseObject(depth + 1));
                continue;
            }
            if (word.empty()) Error("property name, 'object' or 'end' expected in object " + label);
            TFormDefProperty prop;
            prop.Line = m_line;
            prop.Name = ReadDotted("property name");
            if (!obj.Children.empty())
                Error("property " + Quoted(prop.Name) + " of " + label + " follows its child objects");
            m_prop = prop.Name;
            SkipBlanks();
            if (Peek() != '=') Error("'=' expected after property " + Quoted(prop.Name));
            ++m_pos;
            prop.Value = ParseValue(depth);
            m_prop.clear();
            obj.Properties.push_back(std::move(prop));
        }
        return obj;
    }

    std::string InProp() const { return " in property " + Quoted(m_prop); }

    TFormDefValue ParseValue(int depth) {
        if (depth > kMaxDepth) Error("values nested too deeply" + InProp());
        SkipBlanks();
        TFormDefValue v;
        v.Line = m_line;
        const char c = Peek();
        if (AtEnd()) {
            Error("value expected" + InProp());
        } else if (c == '\'' || c == '#') {
            v.Type = vaString;
            v.Text = ParseString();
        } else if (c == '-' || c == '+' || c == '$' || IsDigit(c)) {
            ParseNumber(v);
        } else if (c == '[') {
            v.Type = vaSet;
            ParseSet(v);
        } else if (c == '(') {
            ++m_pos;
            v.Type = vaList;
            for (;;) {
                SkipBlanks();
                if (AtEnd()) Error("')' expected" + InProp());
                if (Peek() == ')') {
                    ++m_pos;
                    break;
                }
                v.Items.push_back(ParseValue(depth + 1));
            }
        } else if (c == '{') {
            v.Type = vaBinary;
            ParseBinary(v);
        } else if (c == '<') {
            Error("collections are not supported" + InProp());
        } else if (IsIdentStart(c)) {
            // Reserved words cannot be values: "Tag =" before "end" is a missing value.
            const std::string word = PeekWord();
            if (SameText(word, "end") || SameText(word, "object")) Error("value expected" + InProp());
            v.Text = ReadDotted("value");
            v.Type = SameText(v.Text, "nil") ? vaNil : vaIdent;
        } else {
            Error("value expected" + InProp());
        }
        return v;
    }

    // Quoted pieces and #nn codes run together; '+' joins strings across lines.
    std::string ParseString() {
        std::string out = ParseStringPiece();
        for (;;) {
            const size_t savePos = m_pos;
            const int saveLine = m_line;
            SkipBlanks();
            if (Peek() != '+') {
                m_pos = savePos;
                m_line = saveLine;
                return out;
            }
            ++m_pos;
            SkipBlanks();
            if (Peek() != '\'' && Peek() != '#') Error("string expected after '+'" + InProp());
            out += ParseStringPiece();
        }
    }

    std::string ParseStringPiece() {
        std::string out;
        for (;;) {
            const char c = Peek();
            if (c == '\'' && m_pos < m_s.size()) {
                ++m_pos;
                for (;;) {
                    if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("unterminated string" + InProp());
                    const char ch = m_s[m_pos++];
                    if (ch == '\'') {
                        if (Peek() == '\'') {
                            out += '\'';
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    out += ch;
                }
            } else if (c == '#' && m_pos < m_s.size()) {
                ++m_pos;
                int64_t code = 0;
                int digits = 0;
                if (Peek() == '$') {
                    ++m_pos;
                    while (HexValue(Peek()) >= 0 && code <= 0xFFFF) {
                        code = code * 16 + HexValue(Peek());
                        ++m_pos;
                        ++digits;
                    }
                } else {
                    while (IsDigit(Peek()) && code <= 0xFFFF) {
                        code = code * 10 + (Peek() - '0');
                        ++m_pos;
                        ++digits;
                    }
                }
                if (digits == 0) Error("character code expected after '#'" + InProp());
                if (code > 255) Error("character code out of range" + InProp());
                out += static_cast<char>(static_cast<unsigned char>(code));
            } else {
                return out;
            }
        }
    }

    void ParseNumber(TFormDefValue& v) {
        bool negative = false;
        if (Peek() == '-' || Peek() == '+') {
            negative = Peek() == '-';
            ++m_pos;
        }
        if (Peek() == '$') {
            ++m_pos;
            uint64_t value = 0;
            int digits = 0;
            while (HexValue(Peek()) >= 0) {
                if (++digits > 16) Error("number out of range" + InProp());
                value = value * 16 + static_cast<uint64_t>(HexValue(Peek()));
                ++m_pos;
            }
            if (digits == 0 || IsIdentChar(Peek())) Error("invalid number" + InProp());
            v.Type = vaInt;
            v.Int = static_cast<int64_t>(value);
            if (negative) v.Int = static_cast<int64_t>(0 - value);
            return;
        }
        const size_t start = m_pos;
        while (IsDigit(Peek())) ++m_pos;
        if (m_pos == start) Error("invalid number" + InProp());
        bool isFloat = false;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++m_pos;
            while (IsDigit(Peek())) ++m_pos;
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
            isFloat = true;
            m_pos += 2;
            while (IsDigit(Peek())) ++m_pos;
        }
        if (IsIdentChar(Peek()) || Peek() == '.') Error("invalid number" + InProp());
        const std::string digits = m_s.substr(start, m_pos - start);
        if (isFloat) {
            v.Type = vaFloat;
            v.Float = std::strtod(digits.c_str(), nullptr);
            if (negative) v.Float = -v.Float;
            return;
        }
        uint64_t value = 0;
        const uint64_t limit = negative ? uint64_t(1) << 63 : uint64_t(std::numeric_limits<int64_t>::max());
        for (char d : digits) {
            const uint64_t digit = static_cast<uint64_t>(d - '0');
            if (value > (limit - digit) / 10) Error("number out of range" + InProp());
            value = value * 10 + digit;
        }
        v.Type = vaInt;
        v.Int = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    }

    void ParseSet(TFormDefValue& v) {
        ++m_pos;  // '['
        SkipBlanks();
        if (Peek() == ']') {
            ++m_pos;
            return;
        }
        for (;;) {
            SkipBlanks();
            if (!IsIdentStart(Peek())) Error("set member expected" + InProp());
            v.Members.push_back(ReadWord("set member"));
            SkipBlanks();
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            if (Peek() == ']') {
                ++m_pos;
                return;
            }
            Error("',' or ']' expected" + InProp());
        }
    }

    void ParseBinary(TFormDefValue& v) {
        ++m_pos;  // '{'
        int high = -1;
        for (;;) {
            SkipBlanks();
            if (AtEnd()) Error("unterminated binary data" + InProp());
            const char c = m_s[m_pos];
            if (c == '}') {
                ++m_pos;
                break;
            }
            const int h = HexValue(c);
            if (h < 0) Error("invalid binary data" + InProp());
            ++m_pos;
            if (high < 0) {
                high = h;
            } else {
                v.Text += static_cast<char>(static_cast<unsigned char>(high * 16 + h));
                high = -1;
            }
        }
        if (high >= 0) Error("odd number of hexadecimal digits in binary data" + InProp());
    }

    const std::string& m_s;
    const std::string& m_form;
    size_t m_pos = 0;
    int m_line = 1;
    std::string m_prop;
};

std::string Describe(const TFormDefValue& v) {
    switch (v.Type) {
        case vaInt: return IntToStr(v.Int);
        case vaFloat: return Format("%g", v.Float);
        case vaString: return Quoted(v.Text.size() > 40 ? v.Text.substr(0, 40) + "..." : v.Text);
        case vaIdent: return Quoted(v.Text);
        case vaNil: return "nil";
        case vaSet: {
            std::string s;
            for (const std::string& m : v.Members) s += (s.empty() ? "" : ", ") + m;
            return "[" + s + "]";
        }
        case vaList: return "(list)";
        case vaBinary: return "{binary data}";
        default: return "?";
    }
}

}  // namespace

TFormDefObject ParseFormDefinition(const std::string& text, const std::string& formName) {
    return Parser(text, formName).ParseRoot();
}

// ---------------------------------------------------------------------------
// TReader: values of the property being read, for DefineProperties

void TReader::BeginValue(const std::string& propName, const std::string& fullName, const std::string& owner,
                         const TFormDefValue* value) {
    m_propName = propName;
    m_fullName = fullName;
    m_ownerLabel = owner;
    m_value = value;
    m_valueTaken = false;
    m_handled = false;
    m_lists.clear();
}

void TReader::Fail(const std::string& detail) const {
    throw EFormReadError(m_formName, m_value ? m_value->Line : 0, m_fullName,
                         detail + " in property " + Quoted(m_fullName) + " of " + m_ownerLabel);
}

void TReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc, bool) {
    if (m_handled || !m_value || !readData || !SameText(name, m_propName)) return;
    m_handled = true;
    readData(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc, bool) {
    if (m_handled || !m_value || !readData || !SameText(name, m_propName)) return;
    m_handled = true;
    if (m_value->Type != vaBinary) Fail("binary data expected");
    TMemoryStream data;
    if (!m_value->Text.empty()) data.WriteBuffer(m_value->Text.data(), static_cast<int64_t>(m_value->Text.size()));
    data.SetPosition(0);
    readData(data);
}

const TFormDefValue& TReader::Take(TValueType expected) {
    const TFormDefValue* v = nullptr;
    if (!m_lists.empty()) {
        auto& [list, index] = m_lists.back();
        if (index >= list->Items.size()) Fail("value expected before the end of the list");
        v = &list->Items[index++];
    } else {
        if (!m_value || m_valueTaken) Fail("no more values");
        v = m_value;
        m_valueTaken = true;
    }
    if (expected != vaNull && v->Type != expected) Fail("invalid value " + Describe(*v));
    return *v;
}

TValueType TReader::NextValue() const {
    if (!m_lists.empty()) {
        const auto& [list, index] = m_lists.back();
        return index < list->Items.size() ? list->Items[index].Type : vaNull;
    }
    return (!m_value || m_valueTaken) ? vaNull : m_value->Type;
}

int32_t TReader::ReadInteger() {
    const TFormDefValue& v = Take(vaInt);
    if (v.Int >= INT32_MIN && v.Int <= INT32_MAX) return static_cast<int32_t>(v.Int);
    if (v.Int > 0 && v.Int <= 0xFFFFFFFFll) return static_cast<int32_t>(static_cast<uint32_t>(v.Int));
    Fail("integer out of range");
}

int64_t TReader::ReadInt64() { return Take(vaInt).Int; }

double TReader::ReadFloat() {
    const TValueType t = NextValue();
    if (t == vaInt) return static_cast<double>(Take(vaInt).Int);
    return Take(vaFloat).Float;
}

std::string TReader::ReadString() { return Take(vaString).Text; }

char TReader::ReadChar() {
    const TFormDefValue& v = Take(vaString);
    if (v.Text.size() != 1) Fail("single character expected");
    return v.Text[0];
}

std::string TReader::ReadIdent() {
    if (NextValue() == vaNil) return Take(vaNil).Text;
    return Take(vaIdent).Text;
}

bool TReader::ReadBoolean() {
    const TFormDefValue& v = Take(vaIdent);
    if (SameText(v.Text, "True")) return true;
    if (SameText(v.Text, "False")) return false;
    Fail("invalid value " + Describe(v));
}

void TReader::ReadListBegin() {
    const TFormDefValue& v = Take(vaList);
    m_lists.emplace_back(&v, 0);
}

bool TReader::EndOfList() const {
    if (m_lists.empty()) return true;
    const auto& [list, index] = m_lists.back();
    return index >= list->Items.size();
}

void TReader::ReadListEnd() {
    if (m_lists.empty()) Fail("no list to end");
    if (!EndOfList()) Fail("list has more values than were read");
    m_lists.pop_back();
}

// ---------------------------------------------------------------------------
// Filling the form

namespace {
// Keeps the list of created components true when one is freed during the read.
class TReadWatch : public TComponent {
public:
    explicit TReadWatch(std::vector<TComponent*>* list) : TComponent(nullptr), m_list(list) {}

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove) m_list->erase(std::remove(m_list->begin(), m_list->end(), component), m_list->end());
    }

private:
    std::vector<TComponent*>* m_list;
};
}  // namespace

class TFormFiller {
public:
    TFormFiller(TComponent* root, const std::string& form) : m_root(root), m_form(form), m_reader(root, form) {}

    void Run(const TFormDefObject& def) {
        if (!m_root) throw EFormReadError(m_form, def.Line, "", "no form to read into");
        if (!SameText(m_root->ClassName(), def.ClassName))
            Fail(def.Line, "",
                 "class " + Quoted(def.ClassName) + " of object " + Quoted(def.Name) +
                     " does not match the form's class " + m_root->ClassName());
        TReadWatch watch(&m_created);
        m_watch = &watch;
        m_root->SetComponentStateFlag(csLoading, true);
        m_root->SetComponentStateFlag(csReading, true);
        try {
            SetRootName(def);
            ReadProperties(m_root, def);
            ReadChildren(m_root, def);
            m_root->SetComponentStateFlag(csReading, false);
            ResolveFixups();
        } catch (...) {
            // Leave the form as it was: what this read created goes again.
            while (!m_created.empty()) {
                TComponent* c = m_created.back();
                m_created.pop_back();
                c->RemoveFreeNotification(&watch);
                delete c;
            }
            m_root->SetComponentStateFlag(csReading, false);
            m_root->SetComponentStateFlag(csLoading, false);
            throw;
        }
        RunLoaded();
        for (TComponent* c : m_created) c->RemoveFreeNotification(&watch);
    }

private:
    [[noreturn]] void Fail(int line, const std::string& prop, const std::string& detail) const {
        throw EFormReadError(m_form, line, prop, detail);
    }

    std::string Label(const TComponent* c) const {
        if (!c->Name().empty()) return c->Name();
        return c == m_root ? m_rootName : c->ClassName();
    }

    void SetRootName(const TFormDefObject& def) {
        m_rootName = def.Name;
        if (def.Name.empty() || m_root->Name() == def.Name) return;
        // A second instance of a form beside the first gets "_1", "_2"...
        std::string name = def.Name;
        if (TComponent* owner = m_root->Owner()) {
            for (int i = 1; owner->FindComponent(name) && owner->FindComponent(name) != m_root; ++i)
                name = def.Name + "_" + IntToStr(i);
        }
        try {
            m_root->SetName(name);
        } catch (const Exception& e) {
            Fail(def.Line, "", e.Message() + " (object " + Quoted(def.Name) + ")");
        }
    }

    void ReadChildren(TComponent* parent, const TFormDefObject& def) {
        for (const TFormDefObject& child : def.Children) ReadObject(parent, child);
    }

    void ReadObject(TComponent* parent, const TFormDefObject& def) {
        const std::string label = Quoted(def.Name.empty() ? def.ClassName : def.Name);
        const TClassInfo* cls = GetClass(def.ClassName);
        if (!cls) Fail(def.Line, "", "unknown class " + Quoted(def.ClassName) + " of object " + label);
        if (!cls->Factory) Fail(def.Line, "", "class " + def.ClassName + " of object " + label + " cannot be created");
        TComponent* c = nullptr;
        try {
            c = cls->Factory(m_root);
        } catch (const Exception& e) {
            Fail(def.Line, "", "cannot create object " + label + ": " + e.Message());
        }
        m_created.push_back(c);
        m_loaded.push_back(c);
        c->FreeNotification(m_watch);
        c->SetComponentStateFlag(csLoading, true);
        c->SetComponentStateFlag(csReading, true);
        try {
            if (!def.Name.empty()) c->SetName(def.Name);
            c->SetParentComponent(parent->GetChildParent());
        } catch (const EFormReadError&) {
            throw;
        } catch (const Exception& e) {
            Fail(def.Line, "", e.Message() + " (object " + label + ")");
        }
        ReadProperties(c, def);
        ReadChildren(c, def);
        c->SetComponentStateFlag(csReading, false);
    }

    void ReadProperties(TComponent* c, const TFormDefObject& def) {
        for (const TFormDefProperty& p : def.Properties) ReadProperty(c, p);
    }

    [[noreturn]] void Unknown(const TComponent* c, const TFormDefProperty& p) const {
        Fail(p.Line, p.Name, "unknown property " + Quoted(p.Name) + " of " + Label(c));
    }

    [[noreturn]] void BadValue(const TComponent* c, const TFormDefProperty& p) const {
        Fail(p.Line, p.Name,
             "invalid value " + Describe(p.Value) + " for property " + Quoted(p.Name) + " of " + Label(c));
    }

    [[noreturn]] void Wrapped(const TComponent* c, const TFormDefProperty& p, const Exception& e) const {
        Fail(p.Line, p.Name, e.Message() + " (property " + Quoted(p.Name) + " of " + Label(c) + ")");
    }

    void ReadProperty(TComponent* c, const TFormDefProperty& p) {
        std::vector<std::string> parts;
        for (size_t start = 0;;) {
            const size_t dot = p.Name.find('.', start);
            parts.push_back(p.Name.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        TObject* target = c;
        try {
            for (size_t i = 0; i + 1 < parts.size(); ++i) {
                const TPropInfo* info = GetPropInfo(target, parts[i]);
                if (!info || info->Kind() != tkClass) Unknown(c, p);
                if (info->GetStrings) {
                    if (i + 2 != parts.size() || !SameText(parts.back(), "Strings")) Unknown(c, p);
                    TStrings* list = info->GetStrings(target);
                    if (!list)
                        Fail(p.Line, p.Name, "string list " + Quoted(parts[i]) + " of " + Label(c) + " does not exist");
                    ReadStrings(c, list, p);
                    return;
                }
                TObject* next = info->GetObj ? info->GetObj(target) : nullptr;
                if (!next)
                    Fail(p.Line, p.Name, "property " + Quoted(parts[i]) + " of " + Label(c) + " holds no object");
                target = next;
            }
        } catch (const EFormReadError&) {
            throw;
        } catch (const Exception& e) {
            Wrapped(c, p, e);
        }

        if (const TPropInfo* info = GetPropInfo(target, parts.back())) {
            SetValue(c, target, info, p);
            return;
        }
        if (auto* persistent = DynamicAs<TPersistent>(target)) {
            m_reader.BeginValue(parts.back(), p.Name, Label(c), &p.Value);
            try {
                TReader::CallDefineProperties(persistent, m_reader);
            } catch (const EFormReadError&) {
                throw;
            } catch (const Exception& e) {
                Wrapped(c, p, e);
            }
            if (m_reader.Handled()) return;
        }
        Unknown(c, p);
    }

    void ReadStrings(TComponent* c, TStrings* list, const TFormDefProperty& p) {
        if (p.Value.Type != vaList) BadValue(c, p);
        for (const TFormDefValue& item : p.Value.Items)
            if (item.Type != vaString)
                Fail(item.Line, p.Name,
                     "invalid value " + Describe(item) + " in property " + Quoted(p.Name) + " of " + Label(c));
        list->BeginUpdate();
        try {
            list->Clear();
            for (const TFormDefValue& item : p.Value.Items) list->Add(item.Text);
        } catch (const Exception& e) {
            list->EndUpdate();
            Wrapped(c, p, e);
        }
        list->EndUpdate();
    }

    void SetValue(TComponent* c, TObject* target, const TPropInfo* info, const TFormDefProperty& p) {
        const TFormDefValue& v = p.Value;
        const TTypeInfo* type = info->PropType;
        try {
            switch (info->Kind()) {
                case tkInteger: {
                    int64_t value = 0;
                    int32_t ident = 0;
                    if (v.Type == vaInt)
                        value = v.Int;
                    else if (v.Type == vaIdent && IdentToInt(type, v.Text, ident))
                        value = ident;
                    else
                        BadValue(c, p);
                    SetOrd(c, target, info, p, value);
                    return;
                }
                case tkChar:
                    if (v.Type != vaString || v.Text.size() != 1) BadValue(c, p);
                    SetOrd(c, target, info, p, static_cast<unsigned char>(v.Text[0]));
                    return;
                case tkEnumeration: {
                    const int value = v.Type == vaIdent ? GetEnumValue(type, v.Text) : -1;
                    if (value < 0) BadValue(c, p);
                    SetOrd(c, target, info, p, value);
                    return;
                }
                case tkSet: {
                    if (v.Type != vaSet) BadValue(c, p);
                    uint32_t mask = 0;
                    for (const std::string& m : v.Members) {
                        const int bit = GetEnumValue(type->CompType, m);
                        if (bit < 0 || bit >= 32)
                            Fail(p.Line, p.Name,
                                 "invalid set member " + Quoted(m) + " for property " + Quoted(p.Name) + " of " +
                                     Label(c));
                        mask |= uint32_t(1) << bit;
                    }
                    SetOrd(c, target, info, p, mask);
                    return;
                }
                case tkFloat:
                    if (v.Type == vaFloat)
                        info->SetFloat(target, v.Float);
                    else if (v.Type == vaInt)
                        info->SetFloat(target, static_cast<double>(v.Int));
                    else
                        BadValue(c, p);
                    return;
                case tkString:
                case tkLString:
                case tkWString:
                    if (v.Type != vaString || !info->SetStr) BadValue(c, p);
                    info->SetStr(target, v.Text);
                    return;
                case tkClass:
                    if (info->GetStrings || !info->SetObj || !type->ClassType ||
                        !type->ClassType->InheritsFrom(&TComponent::StaticClassInfo()))
                        BadValue(c, p);
                    if (v.Type == vaNil) {
                        info->SetObj(target, nullptr);
                    } else if (v.Type == vaIdent) {
                        // Forward references are normal: resolved once everything exists.
                        m_fixups.push_back({c, target, info, &p});
                    } else {
                        BadValue(c, p);
                    }
                    return;
                case tkMethod: SetHandler(c, target, info, p); return;
                default: BadValue(c, p);
            }
        } catch (const EFormReadError&) {
            throw;
        } catch (const Exception& e) {
            Wrapped(c, p, e);
        }
    }

    void SetOrd(TComponent* c, TObject* target, const TPropInfo* info, const TFormDefProperty& p, int64_t value) {
        try {
            SetOrdProp(target, info, value);
        } catch (const EPropertyError&) {
            BadValue(c, p);  // out of the property's range
        }
    }

    void SetHandler(TComponent* c, TObject* target, const TPropInfo* info, const TFormDefProperty& p) {
        const TFormDefValue& v = p.Value;
        if (v.Type == vaNil) {
            info->SetMethod(target, TMethod());
            return;
        }
        if (v.Type != vaIdent) BadValue(c, p);
        const TMethodInfo* m = FindMethodInfo(m_root->ClassType(), v.Text);
        if (!m)
            Fail(p.Line, p.Name,
                 "unknown handler " + Quoted(v.Text) + " for property " + Quoted(p.Name) + " of " + Label(c));
        TMethod method = m->Bind(m_root);
        method.Name = m->Name;
        try {
            info->SetMethod(target, method);
        } catch (const EPropertyError&) {
            Fail(p.Line, p.Name,
                 "handler " + Quoted(v.Text) + " does not match the type of property " + Quoted(p.Name) + " of " +
                     Label(c));
        }
    }

    void ResolveFixups() {
        for (const Fixup& f : m_fixups) {
            const TFormDefProperty& p = *f.prop;
            TComponent* ref = SameText(p.Value.Text, m_root->Name()) ? m_root : m_root->FindComponent(p.Value.Text);
            if (!ref)
                Fail(p.Line, p.Name,
                     "unknown component " + Quoted(p.Value.Text) + " for property " + Quoted(p.Name) + " of " +
                         Label(f.component));
            const TClassInfo* cls = f.info->PropType->ClassType;
            if (!ref->InheritsFrom(cls))
                Fail(p.Line, p.Name,
                     "component " + Quoted(p.Value.Text) + " is not a " + cls->Name + " (property " + Quoted(p.Name) +
                         " of " + Label(f.component) + ")");
            try {
                f.info->SetObj(f.target, ref);
            } catch (const Exception& e) {
                Wrapped(f.component, p, e);
            }
        }
    }

    void RunLoaded() {
        // Root first, then the created components in reading order. A component
        // freed by an earlier Loaded is skipped.
        std::vector<TComponent*> order;
        order.push_back(m_root);
        for (TComponent* c : m_loaded)
            if (std::find(m_created.begin(), m_created.end(), c) != m_created.end()) order.push_back(c);
        size_t i = 0;
        try {
            for (; i < order.size(); ++i) {
                TComponent* c = order[i];
                if (c != m_root && std::find(m_created.begin(), m_created.end(), c) == m_created.end()) continue;
                TReader::CallLoaded(c);
                c->SetComponentStateFlag(csLoading, false);
            }
        } catch (...) {
            for (; i < order.size(); ++i)
                if (order[i] == m_root || std::find(m_created.begin(), m_created.end(), order[i]) != m_created.end())
                    order[i]->SetComponentStateFlag(csLoading, false);
            for (TComponent* c : m_created) c->RemoveFreeNotification(m_watch);
            throw;
        }
    }

    struct Fixup {
        TComponent* component;
        TObject* target;
        const TPropInfo* info;
        const TFormDefProperty* prop;
    };

    TComponent* m_root;
    std::string m_form;
    std::string m_rootName;
    TReader m_reader;
    TReadWatch* m_watch = nullptr;
    std::vector<TComponent*> m_created;  // alive, in creation order
    std::vector<TComponent*> m_loaded;   // every created one, in reading order
    std::vector<Fixup> m_fixups;
};

void ReadFormDefinition(TComponent* root, const TFormDefObject& definition, const std::string& formName) {
    TFormFiller(root, formName).Run(definition);
}

void ReadFormDefinition(TComponent* root, const std::string& text, const std::string& formName) {
    const TFormDefObject definition = ParseFormDefinition(text, formName);
    ReadFormDefinition(root, definition, formName);
}
