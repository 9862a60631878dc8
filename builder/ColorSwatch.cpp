#include "builder/ColorSwatch.h"

#include <windows.h>

DP_PUBLISHED(TColorSwatch){};

TColorSwatch::TColorSwatch(TComponent* owner) : TCustomControl(owner) {
    m_controlStyle += csClickEvents;
    SetTabStop(true);
}

void TColorSwatch::Cover(TShape* shape) {
    m_shape = shape;
    SetParent(shape->Parent());
    SetBoundsRect(shape->BoundsRect());
}

void TColorSwatch::Paint() {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    c->Brush()->SetColor(m_shape ? m_shape->Brush()->Color() : clBlack);
    c->Pen()->SetColor(m_shape ? m_shape->Pen()->Color() : clBlack);
    c->Rectangle(r.left, r.top, r.right, r.bottom);
    if (Focused()) {
        RECT f = r;
        InflateRect(&f, -2, -2);
        // The focus frame inverts what lies below, so it shows on any colour.
        DrawFocusRect(c->Handle(), &f);
    }
}

void TColorSwatch::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TColorSwatch::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

void TColorSwatch::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE: m.Result = DLGC_WANTALLKEYS; return;
        case WM_LBUTTONDOWN: SetFocus(); break;
        case WM_KEYDOWN:
            if (m.WParam == VK_RETURN || m.WParam == VK_SPACE) {
                Click();
                m.Result = 0;
                return;
            }
            break;
        default: break;
    }
    TCustomControl::WndProc(m);
}
