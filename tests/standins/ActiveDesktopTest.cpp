#include <windows.h>
#include <ole2.h>
#include <wininet.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/standins/StandInTest.h"

using standin_test::ReadNumber;
using standin_test::ReadText;

namespace {

const CLSID kClsid = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIid = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kActiveKey[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t kLogKey[] = L"Software\\DriftpaneTest\\ActiveDesktopStandIn";
const wchar_t* const kValues[] = {L"Wallpaper", L"WallpaperStyle", L"TileWallpaper"};

// The prefix's wallpaper settings are put back after the suite.
struct SavedValue {
    const wchar_t* key;
    const wchar_t* name;
    bool present;
    std::wstring text;
};

void Restore(const SavedValue& v) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, v.key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    if (v.present)
        RegSetValueExW(h, v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text.c_str()),
                       static_cast<DWORD>((v.text.size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(h, v.name);
    RegCloseKey(h);
}

class ActiveDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        saved_.clear();
        for (const wchar_t* key : {kDesktopKey, kActiveKey})
            for (const wchar_t* name : kValues) {
                std::wstring text = ReadText(HKEY_CURRENT_USER, key, name, L"\x1");
                saved_.push_back({key, name, text != L"\x1", text});
            }
    }
    static void TearDownTestSuite() {
        for (const SavedValue& v : saved_) Restore(v);
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        desk_ = Create();
        ASSERT_NE(desk_, nullptr);
    }
    void TearDown() override {
        if (desk_) desk_->Release();
        CoUninitialize();
    }

    static IActiveDesktop* Create() {
        IActiveDesktop* desk = nullptr;
        HRESULT hr = CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, kIid,
                                      reinterpret_cast<void**>(&desk));
        EXPECT_EQ(hr, S_OK);
        return SUCCEEDED(hr) ? desk : nullptr;
    }

    static std::wstring Wallpaper(IActiveDesktop* desk) {
        std::vector<wchar_t> buf(260, L'#');
        EXPECT_EQ(desk->GetWallpaper(buf.data(), 260, 0), S_OK);
        return std::wstring(buf.data());
    }

    IActiveDesktop* desk_ = nullptr;
    static std::vector<SavedValue> saved_;
};

std::vector<SavedValue> ActiveDesktopTest::saved_;

TEST_F(ActiveDesktopTest, ClassIsServedByOurDll) {
    std::wstring key = L"CLSID\\{75048700-EF1F-11D0-9888-006097DEACF9}\\InprocServer32";
    std::wstring server = ReadText(HKEY_CLASSES_ROOT, key.c_str(), nullptr);
    ASSERT_GE(server.size(), 19u);
    EXPECT_EQ(_wcsicmp(server.c_str() + server.size() - 19, L"dpactivedesktop.dll"), 0) << server;
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, key.c_str(), L"ThreadingModel"), L"Apartment");
}

TEST_F(ActiveDesktopTest, WallpaperRoundTripsThroughTheUsersRegistry) {
    const wchar_t* const paths[] = {
        L"C:\\x\\tmpPreview.htm", L"C:\\Program Files\\My Paper\\My Paper.html",
        L"C:\\windows\\Web\\Wallpaper\\Driftpane.htm",
        L"",  // the uninstaller clears the wallpaper this way
    };
    for (const wchar_t* path : paths) {
        SCOPED_TRACE(testing::Message() << "path " << static_cast<const void*>(path));
        ASSERT_EQ(desk_->SetWallpaper(path, 0), S_OK);
        EXPECT_EQ(Wallpaper(desk_), path);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper"), path);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kActiveKey, L"Wallpaper"), path);
    }
}

TEST_F(ActiveDesktopTest, StateIsSharedByInstances) {
    // Every caller makes a fresh object for each operation.
    ASSERT_EQ(desk_->SetWallpaper(L"C:\\x\\first.htm", 0), S_OK);
    WALLPAPEROPT set = {sizeof(WALLPAPEROPT), WPSTYLE_STRETCH};
    ASSERT_EQ(desk_->SetWallpaperOptions(&set, 0), S_OK);
    desk_->Release();
    desk_ = Create();
    ASSERT_NE(desk_, nullptr);
    EXPECT_EQ(Wallpaper(desk_), L"C:\\x\\first.htm");
    WALLPAPEROPT got = {sizeof(WALLPAPEROPT), 99};
    ASSERT_EQ(desk_->GetWallpaperOptions(&got, 0), S_OK);
    EXPECT_EQ(got.dwStyle, static_cast<DWORD>(WPSTYLE_STRETCH));
}

TEST_F(ActiveDesktopTest, OptionsRoundTripAndAreStoredAsWindowsDoes) {
    struct Case {
        DWORD style;
        const wchar_t* wallpaperStyle;
        const wchar_t* tileWallpaper;
    };
    const Case cases[] = {
        {WPSTYLE_TILE, L"0", L"1"},
        {WPSTYLE_CENTER, L"0", L"0"},
        {WPSTYLE_STRETCH, L"2", L"0"},
        {WPSTYLE_CENTER, L"0", L"0"},  // from stretch back to centre clears "2"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        WALLPAPEROPT set = {sizeof(WALLPAPEROPT), c.style};
        ASSERT_EQ(desk_->SetWallpaperOptions(&set, 0), S_OK);
        EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kLogKey, L"LastStyle"), c.style);
        WALLPAPEROPT got = {sizeof(WALLPAPEROPT), 99};
        ASSERT_EQ(desk_->GetWallpaperOptions(&got, 0), S_OK);
        EXPECT_EQ(got.dwSize, sizeof(WALLPAPEROPT));
        EXPECT_EQ(got.dwStyle, c.style);
        for (const wchar_t* key : {kDesktopKey, kActiveKey}) {
            EXPECT_EQ(ReadText(HKEY_CURRENT_USER, key, L"WallpaperStyle"), c.wallpaperStyle);
            EXPECT_EQ(ReadText(HKEY_CURRENT_USER, key, L"TileWallpaper"), c.tileWallpaper);
        }
    }
}

TEST_F(ActiveDesktopTest, BadArgumentsChangeNothing) {
    ASSERT_EQ(desk_->SetWallpaper(L"C:\\x\\kept.htm", 0), S_OK);
    WALLPAPEROPT tile = {sizeof(WALLPAPEROPT), WPSTYLE_TILE};
    ASSERT_EQ(desk_->SetWallpaperOptions(&tile, 0), S_OK);

    EXPECT_EQ(desk_->SetWallpaper(nullptr, 0), E_INVALIDARG);
    const std::wstring tooLong = L"C:\\" + std::wstring(257, L'a');  // 260 characters: no room for the zero
    EXPECT_EQ(desk_->SetWallpaper(tooLong.c_str(), 0), E_INVALIDARG);
    WALLPAPEROPT unknown = {sizeof(WALLPAPEROPT), 7};
    EXPECT_EQ(desk_->SetWallpaperOptions(&unknown, 0), E_INVALIDARG);
    WALLPAPEROPT badSize = {4, WPSTYLE_STRETCH};
    EXPECT_EQ(desk_->SetWallpaperOptions(&badSize, 0), E_INVALIDARG);
    EXPECT_EQ(desk_->SetWallpaperOptions(nullptr, 0), E_INVALIDARG);

    EXPECT_EQ(Wallpaper(desk_), L"C:\\x\\kept.htm");
    WALLPAPEROPT got = {sizeof(WALLPAPEROPT), 99};
    ASSERT_EQ(desk_->GetWallpaperOptions(&got, 0), S_OK);
    EXPECT_EQ(got.dwStyle, static_cast<DWORD>(WPSTYLE_TILE));
}

TEST_F(ActiveDesktopTest, ShortBufferGetsNoTruncatedPath) {
    ASSERT_EQ(desk_->SetWallpaper(L"C:\\x\\tmpPreview.htm", 0), S_OK);
    wchar_t small[8];
    wmemset(small, L'#', 8);
    EXPECT_TRUE(FAILED(desk_->GetWallpaper(small, 8, 0)));
    EXPECT_EQ(small[0], L'\0');
    EXPECT_EQ(small[7], L'#');  // nothing written past the first character
    EXPECT_EQ(desk_->GetWallpaper(nullptr, 260, 0), E_INVALIDARG);
    wchar_t exact[20];  // 19 characters and the zero fit exactly
    ASSERT_EQ(desk_->GetWallpaper(exact, 20, 0), S_OK);
    EXPECT_STREQ(exact, L"C:\\x\\tmpPreview.htm");
}

struct Broadcast {
    int count = 0;
    WPARAM wparam = 0;
};
Broadcast g_broadcast;

LRESULT CALLBACK ListenerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTINGCHANGE) {
        ++g_broadcast.count;
        g_broadcast.wparam = wp;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(ActiveDesktopTest, ApplyChangesBroadcastsTheWallpaperChange) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"StandInSettingListener";
    RegisterClassW(&wc);
    HWND listener = CreateWindowExW(0, wc.lpszClassName, L"listener", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(listener, nullptr);
    g_broadcast = {};
    const DWORD before = ReadNumber(HKEY_CURRENT_USER, kLogKey, L"ApplyCount", 0);

    EXPECT_EQ(desk_->ApplyChanges(AD_APPLY_ALL | AD_APPLY_FORCE), S_OK);

    // A window of the calling thread gets the broadcast before the call returns.
    EXPECT_EQ(g_broadcast.count, 1);
    EXPECT_EQ(g_broadcast.wparam, static_cast<WPARAM>(SPI_SETDESKWALLPAPER));
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kLogKey, L"LastApplyFlags"), 15u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kLogKey, L"ApplyCount", 0), before + 1);
    DestroyWindow(listener);
}

TEST_F(ActiveDesktopTest, UnusedSlotsAnswerWithoutHarm) {
    int count = -1;
    EXPECT_EQ(desk_->GetDesktopItemCount(&count, 0), S_OK);
    EXPECT_EQ(count, 0);
    wchar_t pattern[16] = {L'#'};
    EXPECT_EQ(desk_->GetPattern(pattern, 16, 0), S_OK);
    EXPECT_EQ(pattern[0], L'\0');
    EXPECT_EQ(desk_->AddUrl(nullptr, L"http://x/", nullptr, 0), E_NOTIMPL);
    EXPECT_TRUE(FAILED(desk_->GetDesktopItemBySource(L"x", nullptr, 0)));
}

}  // namespace
