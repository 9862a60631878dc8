#include "skin/SkinEdit.h"

#include <cctype>
#include <string>

#include "classlib/GraphicsBase.h"
#include "skin/SkinControlKinds.h"
#include "skin/SkinUpDown.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinEdit){};

namespace {

// The skin's answer to a paint request of this value in lParam.
constexpr LPARAM kPaintControlAsk = 0x41A2;

// The window rectangle at 0,0 and the client rectangle.
void Rects(HWND wnd, RECT& window, RECT& client) {
    GetWindowRect(wnd, &window);
    OffsetRect(&window, -window.left, -window.top);
    GetClientRect(wnd, &client);
}

}  // namespace

TSkinEdit::TSkinEdit(TComponent* owner) : TSkinControl(owner) {}

TSkinEdit::~TSkinEdit() {
    if (PartnerSkin) PartnerSkin->RemoveFreeNotification(this);
}

void TSkinEdit::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove && component == PartnerSkin) PartnerSkin = nullptr;
}

bool TSkinEdit::BeforeMessage(TMessage& message) {
    if (message.Msg == WM_PRINTCLIENT && message.WParam) {
        // The edit clips the DC to its text while it prints; the border goes outside that.
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        const int saved = SaveDC(dc);
        CallOldProc(message);
        RestoreDC(dc, saved);
        DrawPrintBorder(dc);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinEdit::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PRINTCLIENT: {
            HDC own = GetWindowDC(Handle);
            DrawPrintBorder(own);
            ReleaseDC(Handle, own);
            break;
        }
        case WM_SKIN_PAINTCONTROL:
            if (message.LParam != kPaintControlAsk) break;
            if (message.WParam) {
                TMessage paint{WM_PAINT, message.WParam, 0, 0};
                CallOldProc(paint);
            }
            message.Result = kPaintControlAsk;
            break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

void TSkinEdit::DrawSkin(HDC dc, const TRect& rect) {
    if (SkinData->SkinControls().Contains(xcSpin) && !PartnerSkin) FindPartner();
    RECT window{}, client{};
    Rects(Handle, window, client);
    if (client.right >= window.right || client.bottom >= window.bottom) return;
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    RECT r = rect;
    FrameRect(dc, &r, shadow);
    DeleteObject(shadow);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (int i = 0; i < 2; ++i) {
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, white);
    }
}

void TSkinEdit::DrawPrintBorder(HDC dc) {
    RECT window{}, client{};
    Rects(Handle, window, client);
    if (client.right + 2 >= window.right || client.bottom + 2 >= window.bottom) return;
    RECT inner = window;
    InflateRect(&inner, -1, -1);
    FrameRect(dc, &inner, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    FrameRect(dc, &window, shadow);
    DeleteObject(shadow);
}

void TSkinEdit::FindPartner() {
    for (HWND child = GetTopWindow(Handle); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[101] = {};
        GetClassNameA(child, buffer, sizeof buffer);
        std::string name = buffer;
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name != "msctls_updown32" && name.find("spin") == std::string::npos &&
            name.find("updown") == std::string::npos)
            continue;
        // An up-down skinned already keeps its one skin.
        auto* partner = DynamicAs<TSkinUpDown>(SkinWindowOnce(skUpDownPartner, child, Owner(), Form, SkinData, Canvas));
        if (!partner) continue;
        PartnerSkin = partner;
        partner->FreeNotification(this);
        return;
    }
}
