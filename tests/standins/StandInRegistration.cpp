// Registers the stand-ins through the registrar before any test, so the tests do not depend on
// how the prefix was prepared.
#include <gtest/gtest.h>

#include <vector>

#include "tests/standins/StandInTest.h"

namespace standin_test {

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& missing) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return missing;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        RegCloseKey(h);
        return missing;
    }
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((buf.size() - 1) * sizeof(wchar_t));
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS ? std::wstring(buf.data()) : missing;
}

DWORD ReadNumber(HKEY root, const wchar_t* key, const wchar_t* name, DWORD missing) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return missing;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(h);
    return (rc == ERROR_SUCCESS && type == REG_DWORD) ? value : missing;
}

}  // namespace standin_test

namespace {

class RegisterStandIns : public ::testing::Environment {
public:
    void SetUp() override {
        std::string exe = std::string(DP_TEST_BIN_DIR) + "/bin/standin_register.exe";
        std::string cmd = "\"" + exe + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            << "cannot start " << exe << " (error " << GetLastError() << ")";
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(code, 0u) << exe << " failed";
    }
};

[[maybe_unused]] ::testing::Environment* const registration = ::testing::AddGlobalTestEnvironment(new RegisterStandIns);

}  // namespace
