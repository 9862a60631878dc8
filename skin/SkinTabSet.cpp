#include "skin/SkinTabSet.h"

#include "classlib/Tabs.h"
#include "skin/ImgUtil.h"
#include "skin/SkinTab.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinTab31){};
DP_PUBLISHED(TSkinAdvPage){};

namespace {

bool HasImage(TBitmap* b) { return b && !b->Empty(); }

}  // namespace

// --- TSkinTab31

TSkinTab31::TSkinTab31(TComponent* owner) : TSkinControl(owner), StripImage(std::make_unique<TBitmap>()) {}

TSkinTab31::~TSkinTab31() = default;

void TSkinTab31::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == UpDown) UpDown = nullptr;
    if (component == ScrollControl) ScrollControl = nullptr;
}

void TSkinTab31::Prepare() {
    StripImage = std::make_unique<TBitmap>();
    TDataSkinBorder* tabs = SkinData ? SkinData->Tabs.get() : nullptr;
    if (!tabs || !HasImage(tabs->Bitmap.get())) return;
    CloneBitmap(tabs->Bitmap.get(), StripImage.get());
    FlipBitmap(StripImage.get());
}

void TSkinTab31::AttachControl(TTinselForm* form, TSkinData* data, bool, TCanvas* canvas) {
    if (Attached) return;
    auto* control = DynamicAs<TWinControl>(Owner());
    if (!control) return;
    Control = control;
    Handle = control->Handle();
    TSkinControl::AttachHandle(Handle, data, form, canvas);
    if (!Attached) return;
    for (int i = 0; i < control->ComponentCount() && !ScrollControl; ++i)
        if (auto* scroller = DynamicAs<TTabScroller>(control->Components(i))) {
            ScrollControl = scroller;
            scroller->FreeNotification(this);
        }
    Prepare();
    CheckScrollArrows();
}

bool TSkinTab31::CheckScrollArrows() {
    // The tab set's arrows are a window of the class library's own class over the up-down's.
    auto* w = DynamicAs<TWinControl>(ScrollControl);
    return CheckArrowSkin(this, UpDown, w && w->HandleAllocated() ? w->Handle() : nullptr);
}

void TSkinTab31::SkinChanged() {
    Prepare();
    TSkinControl::SkinChanged();
}

bool TSkinTab31::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: HandlePaint(this, message); return true;
        case WM_ERASEBKGND: message.Result = 1; return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

bool TSkinTab31::ScrollControlVisible() const {
    auto* w = DynamicAs<TWinControl>(ScrollControl);
    return w && w->Visible() && w->HandleAllocated() && IsWindowVisible(w->Handle());
}

void TSkinTab31::DrawSkin(HDC dc, const TRect& rect) {
    TDataSkinBorder* tabs = SkinData ? SkinData->Tabs.get() : nullptr;
    auto* set = DynamicAs<TTabSet>(Control);
    if (!tabs || !HasImage(tabs->Bitmap.get()) || !set) return;
    CheckScrollArrows();
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    TCanvas* cv = work.Canvas();
    HDC wdc = cv->Handle();
    FillSkinColour(wdc, TRect{0, 0, w, h});
    HGDIOBJ oldFont = SelectObject(wdc, set->Font()->Handle());
    // The text routine draws in the canvas's font and colour.
    cv->Font()->Assign(set->Font());
    TStrings* texts = set->Tabs();
    const int selected = set->TabIndex();
    const bool scrolling = ScrollControlVisible();
    int32_t x = set->StartMargin();
    const int32_t room = w - set->EndMargin();
    for (int i = std::max(set->FirstIndex(), 0); i < texts->Count(); ++i) {
        const std::wstring text = AnsiToWide(texts->Get(i));
        SIZE size{};
        GetTextExtentPoint32W(wdc, text.c_str(), static_cast<int>(text.size()), &size);
        const int32_t tw = size.cx + 9;
        // A tab that does not fit is left out; a later, narrower one may still fit.
        if (scrolling ? x + tw + 12 > room : x + tw > room) continue;
        const TRect r{x, 0, x + tw, h};
        const int32_t state = i == selected ? 2 : 1;
        SkinDrawFrame(wdc, r, StripImage.get(), false, tabs->Tile != 0, tabs->Trans == 1, tabs->Frames, state,
                      tabs->Margins);
        cv->Font()->SetColor(
            static_cast<TColor>(ColorToRGB(state == 1 ? tabs->NormalColour2 : tabs->MouseOverColour2)));
        DrawCaptionText(this, cv, r, DT_CENTER, true, text);
        x += tw;
    }
    SelectObject(wdc, oldFont);
    BitBlt(dc, rect.left, rect.top, w, h, wdc, 0, 0, SRCCOPY);
}

// --- TSkinAdvPage

TSkinAdvPage::TSkinAdvPage(TComponent* owner) : TSkinControl(owner) {}

void TSkinAdvPage::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove && component == UpDown) UpDown = nullptr;
}

void TSkinAdvPage::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Attached) return;
    if (Mode == 4) BuildTabPictures();
    State = scAttached;
}

void TSkinAdvPage::SetPictures(TBitmap* normal, TBitmap* current) {
    const struct {
        const char* name;
        TBitmap* picture;
    } props[] = {{"TabBackGround", normal}, {"TabBackGroundActive", current}};
    for (const auto& p : props)
        if (auto* target = static_cast<TBitmap*>(GetObjectPropByName(Control, p.name, &TBitmap::StaticClassInfo())))
            target->Assign(p.picture);
}

void TSkinAdvPage::BuildTabPictures() {
    TDataSkinBorder* tabs = SkinData ? SkinData->Tabs.get() : nullptr;
    if (!tabs || !Control) return;
    const TRect size{0, 0, 100, 21};
    auto normal = SkinMakeFrameBitmap(size, tabs->Bitmap.get(), tabs->Margins, false, tabs->Tile != 0, tabs->Frames, 1);
    auto current =
        SkinMakeFrameBitmap(size, tabs->Bitmap.get(), tabs->Margins, false, tabs->Tile != 0, tabs->Frames, 2);
    SetPictures(normal.get(), current.get());
}

void TSkinAdvPage::SkinChanged() {
    if (Mode == 4) BuildTabPictures();
}

void TSkinAdvPage::Restore() {
    if (!Control) return;
    TBitmap empty;
    SetPictures(&empty, &empty);
}

void TSkinAdvPage::DrawSkin(HDC, const TRect&) { CheckArrowSkin(this, UpDown); }
