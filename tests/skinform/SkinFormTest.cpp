#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "SkinFormTestUtil.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

using namespace skinform;

TEST(SkinForm, Explore) {
    TForm* form = ShowForm("Plain form", bsSizeable, 100, 100, 400, 300);
    TTinselForm* f = WaitSkinned(form->Handle());
    ASSERT_NE(f, nullptr);
    RECT w, c;
    GetWindowRect(form->Handle(), &w);
    GetClientRect(form->Handle(), &c);
    printf("window %ld %ld %ld %ld client %ld %ld borders %d %d %d %d menu %d class %d sysframe %d %d\n", w.left, w.top,
           w.right, w.bottom, c.right, c.bottom, f->BorderLeft, f->BorderTop, f->BorderRight, f->BorderBottom,
           f->MenuBarHeight, f->BorderClassValue, f->SysFrameWidth, f->SysFrameHeight);
    for (auto& b : f->SysButtons)
        printf("button kind %d vis %d rect %ld %ld %ld %ld frames %d\n", b->Record->Action, b->Visible, b->Rect.left,
               b->Rect.top, b->Rect.right, b->Rect.bottom, b->Record->Frames);
    for (int i = 0; i < 4; ++i) {
        auto& p = Skin()->Borders[i];
        printf("piece %d %dx%d frames %d margins %ld %ld %ld %ld trans %d tile %d\n", i, p->Bitmap->Width(),
               p->Bitmap->Height(), p->Frames, p->Margins.left, p->Margins.top, p->Margins.right, p->Margins.bottom,
               p->Trans, p->Tile);
    }
    const int W = w.right - w.left, H = w.bottom - w.top;
    const int xs[] = {0, 2, 3, 5, 8, 30, W / 2, W - 9, W - 6, W - 4, W - 3, W - 1};
    const int ys[] = {0, 2, 3, 5, 10, 20, f->BorderTop - 1, f->BorderTop, f->BorderTop + 1, H / 2, H - 6, H - 4, H - 3, H - 1};
    for (int y : ys) {
        printf("y=%3d:", y);
        for (int x : xs) printf(" %3ld", static_cast<long>(SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y))));
        printf("\n");
    }
    printf("desktop %06lx corner %06lx %06lx\n", ScreenPixel(1000, 700), ScreenPixel(w.left, w.top), ScreenPixel(w.left + 1, w.top + 1));
    ShotWindow(form->Handle(), "explore.png");
    form->Free();
}
