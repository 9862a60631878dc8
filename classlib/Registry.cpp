#include "classlib/Registry.h"

#include <algorithm>
#include <cstring>

namespace {

// "\a\\b\" -> "a\b": the API refuses empty path segments.
std::string NormalizeKeyPath(const std::string& key) {
    std::string out;
    size_t i = 0;
    while (i < key.size()) {
        size_t j = key.find('\\', i);
        if (j == std::string::npos) j = key.size();
        if (j > i) {
            if (!out.empty()) out += '\\';
            out.append(key, i, j - i);
        }
        i = j + 1;
    }
    return out;
}

std::string JoinPath(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + '\\' + b;
}

TRegDataType DataTypeOf(DWORD type) {
    switch (type) {
        case REG_SZ: return rdString;
        case REG_EXPAND_SZ: return rdExpandString;
        case REG_DWORD: return rdInteger;
        case REG_BINARY: return rdBinary;
        default: return rdUnknown;
    }
}

[[noreturn]] void RaiseFmt(const char* fmt, const std::string& name) {
    throw ERegistryException(Format(fmt, name.c_str()));
}

// RegDeleteKey refuses keys that still have subkeys, so empty them first.
LONG DeleteTree(HKEY parent, const std::string& sub) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(parent, sub.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<std::string> children;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD len = sizeof(name);
        LONG e = RegEnumKeyExA(key, index, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (e != ERROR_SUCCESS) break;
        children.emplace_back(name, len);
    }
    for (const std::string& child : children) DeleteTree(key, child);
    RegCloseKey(key);
    return RegDeleteKeyA(parent, sub.c_str());
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : Access(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    if (root == m_rootKey) return;
    CloseKey();
    m_rootKey = root;
}

void TRegistry::CloseKey() {
    if (m_currentKey) {
        if (!LazyWrite) RegFlushKey(m_currentKey);
        RegCloseKey(m_currentKey);
    }
    m_currentKey = nullptr;
    m_currentPath.clear();
}

void TRegistry::ChangeKey(HKEY key, const std::string& path) {
    CloseKey();
    m_currentKey = key;
    m_currentPath = path;
}

HKEY TRegistry::ResolveBase(const std::string& key, std::string& subKey, std::string& fullPath) const {
    bool absolute = !key.empty() && key[0] == '\\';
    subKey = NormalizeKeyPath(key);
    if (absolute || !m_currentKey) {
        fullPath = subKey;
        return m_rootKey;
    }
    fullPath = JoinPath(m_currentPath, subKey);
    return m_currentKey;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    std::string sub, full;
    HKEY base = ResolveBase(key, sub, full);
    HKEY opened = nullptr;
    LONG rc;
    if (canCreate && !sub.empty()) {
        DWORD disposition = 0;
        rc = RegCreateKeyExA(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr, &opened,
                             &disposition);
    } else {
        rc = RegOpenKeyExA(base, sub.c_str(), 0, Access, &opened);
    }
    if (rc != ERROR_SUCCESS) {
        CloseKey();
        return false;
    }
    ChangeKey(opened, full);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    REGSAM saved = Access;
    Access = KEY_READ | (saved & (KEY_WOW64_32KEY | KEY_WOW64_64KEY));
    bool ok = OpenKey(key, false);
    Access = saved;
    return ok;
}

bool TRegistry::CreateKey(const std::string& key) {
    std::string sub, full;
    HKEY base = ResolveBase(key, sub, full);
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG rc = sub.empty() ? ERROR_INVALID_PARAMETER
                          : RegCreateKeyExA(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr,
                                            &created, &disposition);
    if (rc != ERROR_SUCCESS) RaiseFmt(SRegCreateFailed, key);
    RegCloseKey(created);
    return true;
}

bool TRegistry::KeyExists(const std::string& key) {
    std::string sub, full;
    HKEY base = ResolveBase(key, sub, full);
    HKEY opened = nullptr;
    REGSAM wow = Access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (RegOpenKeyExA(base, sub.c_str(), 0, KEY_QUERY_VALUE | wow, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string sub, full;
    HKEY base = ResolveBase(key, sub, full);
    if (sub.empty()) return false;
    return DeleteTree(base, sub) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() {
    if (!m_currentKey) return false;
    DWORD subKeys = 0;
    if (RegQueryInfoKeyA(m_currentKey, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subKeys > 0;
}

void TRegistry::GetKeyNames(TStrings& list) {
    list.Clear();
    if (!m_currentKey) return;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(m_currentKey, index, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        list.Add(std::string(name, len));
    }
}

void TRegistry::GetValueNames(TStrings& list) {
    list.Clear();
    if (!m_currentKey) return;
    DWORD maxLen = 0;
    if (RegQueryInfoKeyA(m_currentKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<char> name(maxLen + 2);
    for (DWORD index = 0;; ++index) {
        DWORD len = static_cast<DWORD>(name.size());
        LONG rc = RegEnumValueA(m_currentKey, index, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            name.resize(name.size() * 2);
            --index;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        list.Add(std::string(name.data(), len));
    }
}

bool TRegistry::QueryValue(const std::string& name, DWORD& type, std::vector<uint8_t>& data, LONG& result) {
    type = REG_NONE;
    data.clear();
    if (!m_currentKey) {
        result = ERROR_INVALID_HANDLE;
        return false;
    }
    DWORD size = 0;
    result = RegQueryValueExA(m_currentKey, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between the size query and the read; ask again until it fits.
    for (int attempt = 0; attempt < 8 && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA); ++attempt) {
        data.resize(size);
        DWORD got = size;
        result =
            RegQueryValueExA(m_currentKey, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &got);
        if (result == ERROR_SUCCESS) {
            data.resize(std::min<DWORD>(got, size));
            return true;
        }
        if (result != ERROR_MORE_DATA) break;
        size = std::max<DWORD>(got, size + 256);
    }
    data.clear();
    return false;
}

bool TRegistry::ValueExists(const std::string& name) {
    if (!m_currentKey) return false;
    return RegQueryValueExA(m_currentKey, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!m_currentKey) return false;
    return RegDeleteValueA(m_currentKey, name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
    info = TRegDataInfo();
    if (!m_currentKey) return false;
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueExA(m_currentKey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    info.RegData = DataTypeOf(type);
    info.DataSize = static_cast<int>(size);
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const std::string& name) {
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return -1;
    return info.DataSize;
}

std::string TRegistry::ReadString(const std::string& name) {
    DWORD type;
    std::vector<uint8_t> data;
    LONG rc;
    if (!QueryValue(name, type, data, rc)) {
        if (rc == ERROR_FILE_NOT_FOUND) return std::string();
        RaiseFmt(SRegGetDataFailed, name);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) RaiseFmt(SRegInvalidDataType, name);
    const char* text = reinterpret_cast<const char*>(data.data());
    size_t len = data.empty() ? 0 : strnlen(text, data.size());
    return std::string(text ? text : "", len);
}

void TRegistry::PutData(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!m_currentKey ||
        RegSetValueExA(m_currentKey, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        RaiseFmt(SRegSetDataFailed, name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    PutData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    PutData(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int32_t TRegistry::ReadInteger(const std::string& name) {
    DWORD type;
    std::vector<uint8_t> data;
    LONG rc;
    if (!QueryValue(name, type, data, rc) || type != REG_DWORD || data.size() != 4) RaiseFmt(SRegInvalidDataType, name);
    uint32_t v = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                 (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    return static_cast<int32_t>(v);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 24)};
    PutData(name, REG_DWORD, bytes, 4);
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
    DWORD type;
    std::vector<uint8_t> data;
    LONG rc;
    if (!QueryValue(name, type, data, rc)) RaiseFmt(SRegGetDataFailed, name);
    size_t n = std::min<size_t>(data.size(), bufSize > 0 ? static_cast<size_t>(bufSize) : 0);
    if (n) std::memcpy(buffer, data.data(), n);
    return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize) {
    PutData(name, REG_BINARY, buffer, bufSize > 0 ? static_cast<DWORD>(bufSize) : 0);
}
