#pragma once

#include <windows.h>

#include <string>

namespace standin_test {

// Registry values as the tests see them; a missing value reads as `missing`.
std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& missing = L"<missing>");
DWORD ReadNumber(HKEY root, const wchar_t* key, const wchar_t* name, DWORD missing = 0xFFFFFFFF);

}  // namespace standin_test
