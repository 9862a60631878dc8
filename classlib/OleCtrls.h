// ActiveX controls hosted in place inside a windowed control: the control object is made by
// class id, sited by our own client-site objects, activated in our window and kept to its
// size; its dispatch members are reached by name.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "classlib/Controls.h"

// Used when the system has no text for a code.
constexpr const char* SOleError = "OLE error %.8X";

// A failed OLE call: the HRESULT and the system's message for it.
class EOleSysError : public EOleError {
public:
    EOleSysError(std::string msg, HRESULT code) : EOleError(std::move(msg)), ErrorCode(code) {}
    HRESULT ErrorCode;
};

// A dispatch member raised an exception (DISP_E_EXCEPTION): its source and description.
class EOleException : public EOleSysError {
public:
    EOleException(std::string msg, HRESULT code, std::string source)
        : EOleSysError(std::move(msg), code), Source(std::move(source)) {}
    std::string Source;
};

// The system's text for an HRESULT, without the trailing line break (for a few common COM codes
// the system may lack, the text Windows gives); empty when there is none.
std::string OleSysErrorText(HRESULT code);
// "<system text> ($XXXXXXXX)", or SOleError's text when the system has none.
std::string OleErrorMessage(HRESULT code);
[[noreturn]] void OleError(HRESULT code);
// Raises EOleSysError for a failure code; answers the code otherwise.
HRESULT OleCheck(HRESULT result);

// ---------------------------------------------------------------------------
// A VARIANT that owns what it holds.

class TOleVariant {
public:
    TOleVariant() { VariantInit(&m_v); }
    TOleVariant(const std::string& s);
    TOleVariant(const char* s) : TOleVariant(std::string(s ? s : "")) {}
    TOleVariant(const std::wstring& s);
    TOleVariant(const wchar_t* s) : TOleVariant(std::wstring(s ? s : L"")) {}
    TOleVariant(int32_t i);
    TOleVariant(bool b);
    TOleVariant(double d);
    // Takes a copy of v.
    explicit TOleVariant(const VARIANT& v);
    TOleVariant(const TOleVariant& other);
    TOleVariant(TOleVariant&& other) noexcept;
    TOleVariant& operator=(const TOleVariant& other);
    TOleVariant& operator=(TOleVariant&& other) noexcept;
    ~TOleVariant() { VariantClear(&m_v); }

    VARTYPE Type() const { return m_v.vt; }
    bool IsEmpty() const { return m_v.vt == VT_EMPTY; }
    // Conversions through VariantChangeType; a value that cannot be converted raises EOleSysError.
    std::string AsString() const;
    std::wstring AsWideString() const;
    int32_t AsInteger() const;
    bool AsBoolean() const;
    double AsDouble() const;
    operator std::string() const { return AsString(); }

    const VARIANT& Value() const { return m_v; }
    VARIANT* Ref() { return &m_v; }
    // Cleared, for an out parameter.
    VARIANT* Out() {
        VariantClear(&m_v);
        return &m_v;
    }

private:
    VARIANT Changed(VARTYPE to) const;
    VARIANT m_v;
};

// ---------------------------------------------------------------------------

namespace dp_ole {
class TSite;
class TFrame;
}  // namespace dp_ole

class TOleControl : public TWinControl {
    DP_DECLARE_CLASS(TOleControl, TWinControl)
public:
    // Without a class id the control object is made by a later CreateControl.
    explicit TOleControl(TComponent* owner);
    // Makes the control object at once (in-process or local server); raises EOleSysError
    // when the class cannot be created.
    TOleControl(TComponent* owner, const CLSID& classId);
    ~TOleControl() override;

    // Makes the control object of classId and sites it; raises EOleSysError on failure.
    // Does nothing when an object already exists.
    void CreateControl(const CLSID& classId);
    bool ControlCreated() const { return m_oleObject != nullptr; }
    const CLSID& ClassID() const { return m_classId; }

    // Not owned by the caller: no extra reference is taken.
    IUnknown* OleObjectUnknown() const { return m_oleObject; }
    IOleObject* OleObject() const { return m_oleObject; }
    // Raises EOleSysError when the control has no dispatch interface.
    IDispatch* DefaultDispatch();
    // The control's own window while it is in-place active, else nullptr.
    HWND ControlWindow() const;
    bool InPlaceActive() const { return m_inPlaceObject != nullptr; }

    // Dispatch members by name (case-insensitive, ids remembered). Failures raise EOleSysError
    // (EOleException when the member itself raised one).
    DISPID GetDispID(const std::string& name);
    TOleVariant GetProperty(const std::string& name);
    std::string GetStringProp(const std::string& name) { return GetProperty(name).AsString(); }
    int32_t GetIntegerProp(const std::string& name) { return GetProperty(name).AsInteger(); }
    bool GetBooleanProp(const std::string& name) { return GetProperty(name).AsBoolean(); }
    void SetProperty(const std::string& name, const TOleVariant& value);
    // Arguments in their natural order.
    TOleVariant Invoke(const std::string& name, std::initializer_list<TOleVariant> args = {});
    TOleVariant Invoke(const std::string& name, const std::vector<TOleVariant>& args);

    void SetFocus() override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    // Puts the control object in place in our window (after the window exists).
    void ActivateInPlace();
    void DeactivateInPlace();
    // Tells the control its place: the client area of our window.
    void UpdateObjectRects();
    void UpdateExtent();
    void DestroyControl();

private:
    void SiteControl();
    friend class dp_ole::TSite;
    friend class dp_ole::TFrame;
    HWND FrameWindow();

    CLSID m_classId{};
    IOleObject* m_oleObject = nullptr;
    IOleInPlaceObject* m_inPlaceObject = nullptr;
    IOleInPlaceActiveObject* m_activeObject = nullptr;  // set by the control through the frame
    IDispatch* m_dispatch = nullptr;
    dp_ole::TSite* m_site = nullptr;
    dp_ole::TFrame* m_frame = nullptr;
    bool m_oleInit = false;
    bool m_activating = false;
    std::map<std::string, DISPID> m_dispIds;  // upper-case names
};

// ---------------------------------------------------------------------------
// The Shockwave Flash control.

extern const CLSID CLSID_ShockwaveFlash;

class TShockwaveFlash : public TOleControl {
    DP_DECLARE_CLASS(TShockwaveFlash, TOleControl)
public:
    // Raises EOleSysError when the Flash control is not installed.
    explicit TShockwaveFlash(TComponent* owner);

    std::string Movie() { return GetStringProp("Movie"); }
    void SetMovie(const std::string& movie) { SetProperty("Movie", TOleVariant(movie)); }
    void Play() { Invoke("Play"); }
    void Stop() { Invoke("Stop"); }
};

// The component classes of this unit, for programs that read them from stored definitions.
std::vector<const TClassInfo*> OleControlClasses();
