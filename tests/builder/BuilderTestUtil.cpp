#include "tests/builder/BuilderTestUtil.h"

#include "tests/standins/StandInTest.h"

namespace builder_test {

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kActiveKey[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t kLogKey[] = L"Software\\DriftpaneTest\\ActiveDesktopStandIn";

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

void WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string Movie(bool muted) {
    std::string body;
    body += '\0';                                                             // RECT with 0-bit values: one byte
    body += std::string("\x00\x0C\x01\x00", 4);                               // frame rate, frame count
    body += std::string("\x43\x02\xFF\x80\x00", 5);                           // SetBackgroundColor, 3 bytes
    body += muted ? std::string("\xC4\xFF", 2) : std::string("\x84\x03", 2);  // DefineSound, 4 bytes
    body += std::string("\x01\x02\x03\x04", 4);
    body += std::string("\x40\x00", 2);  // ShowFrame
    body += std::string("\x00\x00", 2);  // End
    return std::string("FWS\x06", 4) + Le32(static_cast<uint32_t>(8 + body.size())) + body;
}

}  // namespace

std::string CurrentWallpaper() {
    return Narrow(standin_test::ReadText(HKEY_CURRENT_USER, kActiveKey, L"Wallpaper", L""));
}
std::wstring CurrentTileWallpaper() { return standin_test::ReadText(HKEY_CURRENT_USER, kActiveKey, L"TileWallpaper"); }
std::wstring CurrentWallpaperStyle() {
    return standin_test::ReadText(HKEY_CURRENT_USER, kActiveKey, L"WallpaperStyle");
}
DWORD ApplyCount() { return standin_test::ReadNumber(HKEY_CURRENT_USER, kLogKey, L"ApplyCount", 0); }
DWORD LastApplyFlags() { return standin_test::ReadNumber(HKEY_CURRENT_USER, kLogKey, L"LastApplyFlags"); }
DWORD LastStyle() { return standin_test::ReadNumber(HKEY_CURRENT_USER, kLogKey, L"LastStyle"); }

void SetDesktopWallpaper(const std::string& path, DWORD style) {
    const wchar_t* wallpaperStyle = style == 2 ? L"2" : L"0";
    const wchar_t* tile = style == 1 ? L"1" : L"0";
    for (const wchar_t* key : {kActiveKey, kDesktopKey}) {
        WriteText(key, L"Wallpaper", Widen(path));
        WriteText(key, L"WallpaperStyle", wallpaperStyle);
        WriteText(key, L"TileWallpaper", tile);
    }
}

SavedDesktop::SavedDesktop() {
    const wchar_t* const names[] = {L"Wallpaper", L"WallpaperStyle", L"TileWallpaper"};
    for (const wchar_t* key : {kActiveKey, kDesktopKey})
        for (const wchar_t* name : names) m_values.push_back({key, name, false, 0, {}});
    for (const wchar_t* name : {L"ApplyCount", L"LastApplyFlags", L"LastStyle"})
        m_values.push_back({kLogKey, name, false, 0, {}});
    for (Value& v : m_values) {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, v.key, 0, KEY_READ, &h) != ERROR_SUCCESS) continue;
        DWORD size = 0;
        if (RegQueryValueExW(h, v.name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
            v.data.resize(size);
            if (RegQueryValueExW(h, v.name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS) {
                v.data.resize(size);
                v.present = true;
            }
        }
        RegCloseKey(h);
    }
}

SavedDesktop::~SavedDesktop() {
    for (const Value& v : m_values) {
        HKEY h = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, v.key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
            continue;
        if (v.present)
            RegSetValueExW(h, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
        else
            RegDeleteValueW(h, v.name);
        RegCloseKey(h);
    }
}

DesktopRefusal::DesktopRefusal(const std::wstring& method) : m_value(L"Refuse" + method) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kLogKey, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD code = static_cast<DWORD>(E_ACCESSDENIED);
    RegSetValueExW(h, m_value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&code), sizeof code);
    RegCloseKey(h);
}

DesktopRefusal::~DesktopRefusal() {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kLogKey, 0, KEY_WRITE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueW(h, m_value.c_str());
    RegCloseKey(h);
}

std::string ProgramDir() {
    char buf[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string p(buf);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

std::string MovieWithSound() { return Movie(false); }
std::string MutedMovie() { return Movie(true); }
std::string PictureBytes() { return std::string("BM\x10\x00\x00\x00picture!", 14); }

bool FileThere(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace builder_test
