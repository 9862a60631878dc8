// Shared plumbing of the two test-only COM servers: module lifetime counts, a class factory
// and the registry entries of an in-process server.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace standin {

extern HINSTANCE g_module;
extern LONG g_objects;  // live objects of this DLL
extern LONG g_locks;    // IClassFactory::LockServer

// Creates a new object of the DLL's class and hands out the asked interface.
using CreateFn = HRESULT (*)(REFIID riid, void** ppv);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateFn create) : create_(create) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    LONG refs_ = 1;
    CreateFn create_;
};

HRESULT GetClassObject(REFCLSID asked, REFCLSID ours, CreateFn create, REFIID riid, void** ppv);
HRESULT CanUnloadNow();

std::wstring GuidText(REFGUID g);
std::wstring ModulePath();

// HKCR\CLSID\{clsid} with its name, InprocServer32 (this DLL, apartment) and optional ProgID.
HRESULT RegisterInprocServer(REFCLSID clsid, const wchar_t* name, const wchar_t* progId, bool control);
HRESULT UnregisterInprocServer(REFCLSID clsid, const wchar_t* progId);

// Small registry helpers for HKEY_CURRENT_USER state; failures are reported, never thrown.
bool WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value);
bool ReadString(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring& value);
bool WriteDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value);
DWORD ReadDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD fallback);

}  // namespace standin
