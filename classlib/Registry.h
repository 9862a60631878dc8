// TRegistry: one open key at a time under a chosen root key, over the ANSI registry API.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

constexpr const char* SRegInvalidDataType = "Invalid data type for '%s'";
constexpr const char* SRegGetDataFailed = "Failed to get data for '%s'";
constexpr const char* SRegSetDataFailed = "Failed to set data for '%s'";
constexpr const char* SRegCreateFailed = "Failed to create key %s";

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

class TRegistry {
public:
    // Root HKEY_CURRENT_USER, keys opened with KEY_ALL_ACCESS.
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return m_rootKey; }
    // A different root closes the current key.
    void SetRootKey(HKEY root);
    HKEY CurrentKey() const { return m_currentKey; }
    // Path of the current key below the root, without a leading backslash.
    const std::string& CurrentPath() const { return m_currentPath; }

    // Rights asked for by OpenKey and CreateKey.
    REGSAM Access = KEY_ALL_ACCESS;
    // When false, CloseKey flushes the key to disk first.
    bool LazyWrite = true;

    // A key starting with '\' is taken from the root key, any other from the
    // current key (from the root when none is open). On success the key becomes
    // the current key. On failure no key is left open, so that later value
    // calls cannot land in the previously opened key.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    // Creates the key without opening it; raises ERegistryException on failure.
    bool CreateKey(const std::string& key);
    void CloseKey();
    bool KeyExists(const std::string& key);
    // Removes the key with all its subkeys. An empty path (which would name the
    // current or the root key itself) is refused.
    bool DeleteKey(const std::string& key);
    bool HasSubKeys();
    void GetKeyNames(TStrings& list);
    void GetValueNames(TStrings& list);

    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    bool GetDataInfo(const std::string& name, TRegDataInfo& info);
    TRegDataType GetDataType(const std::string& name);
    // -1 when the value does not exist.
    int GetDataSize(const std::string& name);

    // A missing value reads as the empty text; a value that is not text
    // (REG_SZ or REG_EXPAND_SZ) raises ERegistryException "Invalid data type for '%s'".
    // The text ends at its first NUL, also when the stored data has none.
    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    // A missing value or one that is not a 32-bit integer raises
    // ERegistryException "Invalid data type for '%s'".
    int32_t ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int32_t value);
    // Booleans are 32-bit integers 0/1; any non-zero integer reads as true.
    bool ReadBool(const std::string& name);
    void WriteBool(const std::string& name, bool value);
    // Raw bytes of any type; at most bufSize are copied. Returns the value's size.
    int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
    void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);

private:
    // Splits key into the base key to open from and the subkey text to open.
    HKEY ResolveBase(const std::string& key, std::string& subKey, std::string& fullPath) const;
    void ChangeKey(HKEY key, const std::string& path);
    bool QueryValue(const std::string& name, DWORD& type, std::vector<uint8_t>& data, LONG& result);
    void PutData(const std::string& name, DWORD type, const void* data, DWORD size);

    HKEY m_rootKey = HKEY_CURRENT_USER;
    HKEY m_currentKey = nullptr;
    std::string m_currentPath;
};
