// The Shockwave Flash control (the test prefix's stand-in) hosted by class id from a stored
// definition, told what the builder tells it: stop, a movie, play.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/OleCtrls.h"

namespace {

const wchar_t kStateKey[] = L"Software\\DriftpaneTest\\FlashStandIn";

std::wstring ReadText(const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    DWORD type = 0;
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStateKey, 0, KEY_READ, &h) != ERROR_SUCCESS) return L"<missing>";
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buf) : L"<missing>";
}

DWORD ReadNumber(const wchar_t* name) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStateKey, 0, KEY_READ, &h) != ERROR_SUCCESS) return 0xFFFFFFFF;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? value : 0xFFFFFFFF;
}

// The stand-in's registrar, run once; false when it is not there or fails.
bool RegisterStandIns() {
    static int state = 0;  // 0 not tried, 1 registered, 2 failed
    if (state) return state == 1;
    state = 2;
    std::string exe = std::string(DP_TEST_BIN_DIR) + "/bin/standin_register.exe";
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code == 0) state = 1;
    return state == 1;
}

class TFlashForm : public TForm {
    DP_DECLARE_CLASS(TFlashForm, TForm)
public:
    explicit TFlashForm(TComponent* owner) : TForm(owner) {}
    TShockwaveFlash* ShockwaveFlash1 = nullptr;

    // What the builder's main window does with a chosen movie.
    void LoadMovie(const std::string& path) {
        ShockwaveFlash1->Stop();
        if (FileExists(path)) {
            ShockwaveFlash1->SetMovie(path);
            ShockwaveFlash1->Play();
        }
    }
};

}  // namespace

DP_PUBLISHED(TFlashForm){DP_FIELD(ShockwaveFlash1)};

namespace {

const char kDefinition[] = R"(object FlashForm: TFlashForm
  Left = 60
  Top = 60
  Caption = 'Movie'
  ClientHeight = 200
  ClientWidth = 300
  object ShockwaveFlash1: TShockwaveFlash
    Left = 16
    Top = 24
    Width = 152
    Height = 112
    TabOrder = 0
  end
end
)";

class FlashHost : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        if (!RegisterStandIns()) GTEST_SKIP() << "the Flash stand-in is not registered";
        RegDeleteKeyW(HKEY_CURRENT_USER, kStateKey);  // a key without subkeys
    }
    void Pump() {
        for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    }
};

TEST_F(FlashHost, StoredDefinitionHostsTheFlashControlAndPlaysAMovie) {
    ASSERT_NE(GetClass("TShockwaveFlash"), nullptr);
    auto* form = new TFlashForm(Application);
    ReadFormDefinition(form, kDefinition, "FlashForm");
    form->AfterConstruction();
    ASSERT_NE(form->ShockwaveFlash1, nullptr);
    TShockwaveFlash* flash = form->ShockwaveFlash1;
    EXPECT_EQ(flash->Parent(), form);
    EXPECT_TRUE(IsEqualCLSID(flash->ClassID(), CLSID_ShockwaveFlash));
    form->Show();
    Pump();
    ASSERT_TRUE(flash->InPlaceActive());
    HWND wnd = flash->ControlWindow();
    ASSERT_NE(wnd, nullptr);
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    EXPECT_STREQ(cls, "DriftpaneFlashStandIn");
    EXPECT_EQ(GetParent(wnd), flash->Handle());
    RECT r{};
    GetClientRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 152);
    EXPECT_EQ(r.bottom - r.top, 112);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string movie = std::string(temp) + "olectrls-movie.swf";
    // Any existing file stands for the movie: the stand-in plays nothing.
    {
        HANDLE h = CreateFileA(movie.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        WriteFile(h, "FWS", 3, &n, nullptr);
        CloseHandle(h);
    }
    form->LoadMovie(movie);
    DeleteFileA(movie.c_str());
    EXPECT_EQ(ReadText(L"Movie"), std::wstring(movie.begin(), movie.end()));
    EXPECT_EQ(ReadNumber(L"Playing"), 1u);
    EXPECT_EQ(ReadNumber(L"StopCount"), 1u);
    EXPECT_EQ(ReadNumber(L"PlayCount"), 1u);
    EXPECT_EQ(ReadText(L"LastCall"), L"Play");
    EXPECT_EQ(flash->Movie(), movie);
    EXPECT_TRUE(flash->GetBooleanProp("Playing"));

    // A missing file: stopped, the movie kept.
    form->LoadMovie(movie + ".gone");
    EXPECT_EQ(ReadNumber(L"Playing"), 0u);
    EXPECT_EQ(ReadNumber(L"StopCount"), 2u);
    EXPECT_EQ(flash->Movie(), movie);

    // The published Movie is the control's own.
    EXPECT_EQ(GetStrProp(flash, "Movie"), movie);
    form->Free();
    Pump();
}

}  // namespace
