// The control skin base: the text of windows on systems without the wide calls, an attach that
// could not subclass, a paint that throws, and the image of an image-and-text pair.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "SkinControlTestUtil.h"
#include "SkinFormTestUtil.h"
#include "classlib/StdCtrls.h"
#include "classlib/SysVersion.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

namespace {
using namespace skinform;

// A skin whose drawing fails, keeping the DC it was given.
class TThrowingSkin : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    void DrawSkin(HDC dc, const TRect&) override {
        Drawn = dc;
        throw std::runtime_error("draw failed");
    }
    HDC Drawn = nullptr;
};

// The system taken for another platform while it lives.
struct Platform {
    explicit Platform(int32_t id) { SetWin32Version(id, 4, 10); }
    ~Platform() { ReadWin32Version(); }
};

}  // namespace

TEST(SkinBase, WindowTextOnEitherPlatform) {
    const HINSTANCE module = GetModuleHandleA(nullptr);
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, module, nullptr);
    ASSERT_NE(wnd, nullptr);
    const std::string longText(1500, 'x');
    const struct {
        const char* what;
        int32_t platform;
        std::string text;
        std::wstring expected;
    } rows[] = {
        {"NT, short", VER_PLATFORM_WIN32_NT, "Caption", L"Caption"},
        {"NT, long", VER_PLATFORM_WIN32_NT, longText, std::wstring(1500, L'x')},
        {"9x, short", VER_PLATFORM_WIN32_WINDOWS, "Caption", L"Caption"},
        {"9x, empty", VER_PLATFORM_WIN32_WINDOWS, "", L""},
        // Read through a buffer of 1000 characters, its terminator included.
        {"9x, long", VER_PLATFORM_WIN32_WINDOWS, longText, std::wstring(999, L'x')},
    };
    for (const auto& r : rows) {
        SetWindowTextA(wnd, r.text.c_str());
        Platform platform(r.platform);
        EXPECT_EQ(SkinPlatformNT(), r.platform == VER_PLATFORM_WIN32_NT) << r.what;
        EXPECT_EQ(GetWindowTextWide(wnd), r.expected) << r.what;
    }
    DestroyWindow(wnd);
}

TEST(SkinBase, AttachThatCannotSubclassLeavesNoSkinListed) {
    auto f = MakeForm([](TForm*) {});
    ASSERT_NE(f->Skin, nullptr);
    // A window of another process cannot be subclassed from here.
    HWND foreign = GetDesktopWindow();
    ASSERT_NE(GetWindowThreadProcessId(foreign, nullptr), GetCurrentThreadId());
    const size_t before = f->Skin->ControlSkins.size();
    TSkinControl skin(nullptr);
    skin.AttachHandle(foreign, Skin(), f->Skin, f->Skin->ControlCanvas());
    EXPECT_FALSE(skin.Attached);
    EXPECT_NE(skin.State, scAttached);
    EXPECT_FALSE(skin.HookedByHandle());
    EXPECT_EQ(f->Skin->ControlSkins.size(), before);
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(foreign), nullptr);
    // A window of our own is subclassed and listed.
    TButton* button = Put<TButton>(f->Form, 10, 10, 80, 26, "Own");
    button->HandleNeeded();
    TSkinControl own(nullptr);
    own.AttachHandle(button->Handle(), Skin(), f->Skin, f->Skin->ControlCanvas());
    EXPECT_TRUE(own.Attached);
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(button->Handle()), &own);
}

TEST(SkinBase, PaintEndsWhenTheDrawingThrows) {
    auto f = MakeForm([](TForm*) {});
    ASSERT_NE(f->Skin, nullptr);
    TButton* button = Put<TButton>(f->Form, 10, 10, 80, 26, "Paint");
    button->HandleNeeded();
    TThrowingSkin skin(nullptr);
    skin.Handle = button->Handle();
    InvalidateRect(button->Handle(), nullptr, TRUE);
    TMessage m{WM_PAINT, 0, 0, 0};
    EXPECT_THROW(HandlePaint(&skin, m), std::runtime_error);
    ASSERT_NE(skin.Drawn, nullptr);
    // The paint's DC went back with EndPaint: there is nothing left to release.
    EXPECT_EQ(ReleaseDC(button->Handle(), skin.Drawn), 0);
    EXPECT_FALSE(GetUpdateRect(button->Handle(), nullptr, FALSE)) << "the update region was taken";
    // A DC handed in by the message is the caller's: never ended here.
    HDC own = GetDC(button->Handle());
    TMessage given{WM_PAINT, reinterpret_cast<WPARAM>(own), 0, 0};
    EXPECT_THROW(HandlePaint(&skin, given), std::runtime_error);
    EXPECT_EQ(skin.Drawn, own);
    EXPECT_EQ(ReleaseDC(button->Handle(), own), 1);
}

TEST(SkinBase, ImageIsCentredByItsHeight) {
    TSkinControl skin(nullptr);
    skin.WinEnabled = true;
    // An image wider than high, so centring by the width would put it elsewhere.
    const int iw = 32, ih = 8;
    HIMAGELIST list = ImageList_Create(iw, ih, ILC_COLOR24, 1, 1);
    TBitmap image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(iw, ih);
    FillColour(image.Canvas()->Handle(), TRect{0, 0, iw, ih}, RGB(200, 0, 0));
    HBITMAP picture = image.ReleaseHandle();
    ASSERT_EQ(ImageList_Add(list, picture, nullptr), 0);
    DeleteObject(picture);
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(100, 30);
    HDC dc = target.Canvas()->Handle();
    FillColour(dc, TRect{0, 0, 100, 30}, RGB(255, 255, 255));
    DrawImageText(&skin, target.Canvas(), TRect{0, 0, 100, 30}, 0, L"", 0, list);
    dc = target.Canvas()->Handle();
    int top = -1, bottom = -1;
    for (int y = 0; y < 30; ++y)
        if (GetPixel(dc, 3 + iw / 2, y) == RGB(200, 0, 0)) {
            if (top < 0) top = y;
            bottom = y;
        }
    EXPECT_EQ(top, (30 - ih) / 2);
    EXPECT_EQ(bottom, (30 - ih) / 2 + ih - 1);
    ImageList_Destroy(list);
}
