// Small Windows services the programs share: COM start-up, text conversion
// between the ANSI code page and UTF-16, short path names, and starting programs.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

// --- COM

// Joins the calling thread to a single-threaded apartment (CoInitialize).
// S_OK the first time, S_FALSE when the thread already was in one.
HRESULT InitComApartment();
void UninitCom();

// --- ANSI code page <-> UTF-16

std::wstring StringToWideString(const std::string& s);
// Characters the code page cannot show become its default character.
std::string WideStringToString(const std::wstring& s);
// Fills dest with at most destSize - 1 UTF-16 units and a terminating NUL
// (nothing for destSize 0); a character is never cut in half. Returns dest.
wchar_t* StringToWideChar(const std::string& source, wchar_t* dest, int destSize);
// A null pointer gives the empty text.
std::string WideCharToString(const wchar_t* source);
std::string WideCharLenToString(const wchar_t* source, int length);
// A new BSTR the caller frees with SysFreeString.
BSTR StringToOleStr(const std::string& s);
std::string OleStrToString(const wchar_t* source);

// --- paths

// The short (8.3) form of an existing file or folder; empty when it does not exist.
std::string ExtractShortPathName(const std::string& fileName);
// The full path of a module's file (the program's own when module is null).
std::string GetModuleFileNameStr(HMODULE module = nullptr);

// --- starting programs

// WinExec: the result is above 31 on success, an error code otherwise.
UINT ExecCommandLine(const std::string& cmdLine, UINT showCmd);
// ShellExecuteA; an empty verb, parameter or folder text is passed as null.
// The result is above 32 on success.
INT_PTR ShellExecuteText(HWND wnd, const std::string& verb, const std::string& file, const std::string& params,
                         const std::string& dir, int showCmd);
// CreateProcessA with the given show mode; when exitCode is given, waits for the
// program to end and stores its exit code. An empty dir keeps the current folder.
bool StartProcess(const std::string& cmdLine, WORD showCmd, DWORD* exitCode = nullptr, const std::string& dir = {});
