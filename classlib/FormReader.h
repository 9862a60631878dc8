// Stored form definitions: the text form
//   object frmMain: TfrmMain
//     Caption = 'Title'#13#10'more'
//     Font.Name = 'Tahoma'
//     object Button1: TButton ... end
//   end
// parsed into a tree, and the reader that fills an existing form from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/SysUtils.h"

// A definition that cannot be read. The message reads
// "<form>(<line>): <detail>", the detail naming the property or object.
class EFormReadError : public EReadError {
public:
    EFormReadError(const std::string& form, int line, const std::string& property, const std::string& detail);
    const std::string& Form() const { return m_form; }
    int Line() const { return m_line; }
    // The (possibly dotted) property, or "" for errors outside a property.
    const std::string& Property() const { return m_property; }
    const std::string& Detail() const { return m_detail; }

private:
    std::string m_form;
    int m_line;
    std::string m_property;
    std::string m_detail;
};

// ---------------------------------------------------------------------------
// The parsed tree

enum TValueType { vaNull, vaList, vaInt, vaFloat, vaString, vaIdent, vaSet, vaBinary, vaNil };

struct TFormDefValue {
    TValueType Type = vaNull;
    int Line = 0;
    int64_t Int = 0;
    double Float = 0;
    std::string Text;                  // vaString, vaIdent; the bytes of vaBinary
    std::vector<std::string> Members;  // vaSet
    std::vector<TFormDefValue> Items;  // vaList
};

struct TFormDefProperty {
    std::string Name;  // as written, dotted for sub-objects ("Font.Name")
    int Line = 0;
    TFormDefValue Value;
};

struct TFormDefObject {
    std::string Name;  // "" for an unnamed object
    std::string ClassName;
    int Line = 0;
    std::vector<TFormDefProperty> Properties;
    std::vector<TFormDefObject> Children;
};

// Raises EFormReadError for any syntax error; formName only labels messages.
TFormDefObject ParseFormDefinition(const std::string& text, const std::string& formName);

// ---------------------------------------------------------------------------
// Reading

// Fills root (already created) from a definition whose root object is of
// root's class. Children are created through the class registry with root as
// owner and handed their enclosing object through SetParentComponent; their
// names bind the owner's fields; properties are set by name (dotted into
// object properties, Strings of string lists), events are bound to handler
// methods of root's class, component references resolved once all is read,
// other names go to DefineProperties. Then Loaded runs on root and on every
// created component in reading order, once each. On an error the components
// created so far are freed again and EFormReadError is raised.
void ReadFormDefinition(TComponent* root, const std::string& text, const std::string& formName);
void ReadFormDefinition(TComponent* root, const TFormDefObject& definition, const std::string& formName);

// The filer that DefineProperties sees while a definition is read; its
// Read... calls take the value of the property being read.
class TReader : public TFiler {
public:
    void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
    void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override;

    TValueType NextValue() const;
    int32_t ReadInteger();
    int64_t ReadInt64();
    double ReadFloat();
    std::string ReadString();
    char ReadChar();
    std::string ReadIdent();
    bool ReadBoolean();
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();

    TComponent* Root() const { return m_root; }
    const std::string& FormName() const { return m_formName; }
    const std::string& PropName() const { return m_propName; }

private:
    TReader(TComponent* root, const std::string& formName) : m_root(root), m_formName(formName) {}

    // The property whose value the Read... calls hand out.
    void BeginValue(const std::string& propName, const std::string& fullName, const std::string& owner,
                    const TFormDefValue* value);
    bool Handled() const { return m_handled; }
    const TFormDefValue& Take(TValueType expected);
    [[noreturn]] void Fail(const std::string& detail) const;

    TComponent* m_root;
    std::string m_formName;
    std::string m_propName;
    std::string m_fullName;
    std::string m_ownerLabel;
    const TFormDefValue* m_value = nullptr;
    bool m_valueTaken = false;
    bool m_handled = false;
    std::vector<std::pair<const TFormDefValue*, size_t>> m_lists;

    static void CallLoaded(TComponent* c) { c->Loaded(); }
    static void CallDefineProperties(TPersistent* p, TFiler& filer) { p->DefineProperties(filer); }

    friend class TFormFiller;
};
