// Which control skin each control of a skinned window gets: class-library controls by
// Tag, the application's event, the class map, class and class name; bare windows by
// window class and style. Each decision also needs its kind switched on in the skin.
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "classlib/Bars.h"
#include "classlib/Buttons.h"
#include "classlib/DateTimePicker.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/TabControls.h"
#include "classlib/Trackers.h"
#include "skin/SkinClassMap.h"
#include "skin/SkinControlKinds.h"
#include "skin/SkinScrollbar.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool HasScrollBars(TControl* control) {
    auto* w = DynamicAs<TWinControl>(control);
    if (!w || !w->HandleAllocated()) return false;
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(w->Handle(), GWL_STYLE));
    return (style & (WS_VSCROLL | WS_HSCROLL)) != 0;
}

}  // namespace

TSkinKind BareButtonKind(uint32_t style) {
    // The button's type is the low four bits, compared whole.
    if (style & BS_BITMAP) return skNone;
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: return skCheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return skRadioButton;
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_USERBUTTON:
        case BS_PUSHBOX: return skButton;
        // Group boxes and owner-drawn buttons draw themselves; split buttons and command
        // links have parts a push-button skin has not.
        default: return skNone;
    }
}

void TTinselForm::AddControlSkin(TSkinControl* skin) {
    if (std::find(ControlSkins.begin(), ControlSkins.end(), skin) == ControlSkins.end()) ControlSkins.push_back(skin);
}

void TTinselForm::RemoveControlSkin(TSkinControl* skin) {
    ControlSkins.erase(std::remove(ControlSkins.begin(), ControlSkins.end(), skin), ControlSkins.end());
}

void TTinselForm::DropDeadControlSkins() {
    const std::vector<TSkinControl*> skins = ControlSkins;
    for (TSkinControl* s : skins)
        if (s->State == scDestroyed) delete s;
}

void TTinselForm::FreeControlSkins() {
    while (!ControlSkins.empty()) {
        TSkinControl* s = ControlSkins.back();
        if (s->State == scAttached) s->Restore();
        s->Form = nullptr;
        ControlSkins.pop_back();
        delete s;
    }
}

void TTinselForm::ReskinScrollControl(HWND oldWnd) {
    if (!oldWnd) return;
    for (TSkinControl* s : ControlSkins) {
        auto* scroll = DynamicAs<TSkinScrollbar>(s);
        if (!scroll || s->Handle != oldWnd) continue;
        TControl* control = s->Control;
        const TSkinKind kind = s->Is<TSkinListView>() ? skListView
                               : s->SpecialMode == 1  ? skScrollbarOnly
                                                      : skScrollbar;
        delete s;
        if (control && !IsControlSkinned(control)) AttachKind(kind, control, false);
        return;
    }
}

TSkinControl* TTinselForm::FindControlSkinByHandle(HWND wnd) {
    for (TSkinControl* s : ControlSkins)
        if (s->Handle == wnd && s->State != scDestroyed) return s;
    return nullptr;
}

TSkinControl* TTinselForm::AttachKind(int kind, TControl* control, bool setColour) {
    return SkinControlOnce(static_cast<TSkinKind>(kind), control, setColour, this, SkinData, ControlCanvas());
}

TSkinControl* TTinselForm::AttachKindToHandle(int kind, HWND wnd) {
    return SkinWindowOnce(static_cast<TSkinKind>(kind), wnd, this, this, SkinData, ControlCanvas());
}

bool TTinselForm::IsControlSkinned(TControl* control) {
    if (!control) return false;
    if (control->Perform(WM_SKIN_QUERY) == 1) return true;
    for (TSkinControl* s : ControlSkins)
        if (s->State != scDestroyed && (s->Control == control || s->GraphicControl == control)) return true;
    // A skin hung on the window by handle is not reached through WindowProc.
    auto* w = DynamicAs<TWinControl>(control);
    if (w && w->HandleAllocated()) {
        if (FindControlSkinByHandle(w->Handle())) return true;
        if (SendMessageA(w->Handle(), WM_SKIN_QUERY, 0, 0) == 1) return true;
    }
    return false;
}

bool TTinselForm::IsHandledControl(TWinControl* control) {
    if (!control->HandleAllocated()) return true;
    if (control->Tag() == SkinData->DisableTag()) return true;
    return SendMessageA(control->Handle(), WM_SKIN_QUERY, 0, 0) == 1;
}

void TTinselForm::DisableGroupChildren(TControl* control) {
    auto* w = DynamicAs<TWinControl>(control);
    if (!w || w->ControlCount() == 0) return;
    const std::string name = Lower(w->ClassName());
    if (name.find("radiogroup") == std::string::npos && name.find("checkgroup") == std::string::npos) return;
    for (int i = 0; i < w->ControlCount(); ++i) w->Controls(i)->SetTag(SkinData->DisableTag());
}

void TTinselForm::SkinComponents(TComponent* owner) {
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (c->Is<TControl>()) ChooseControlSkin(c, owner);
    }
    if (SkinData->SkinControls().Contains(xcPopupMenu)) SetPopupMenusOwnerDraw(owner, true);
}

void TTinselForm::SkinChildren(TWinControl* container) {
    for (int i = 0; i < container->ControlCount(); ++i) ChooseControlSkin(container->Controls(i), container);
}

void TTinselForm::SkinAllControls(TComponent* component) {
    if (!SkinData) return;
    DropDeadControlSkins();
    SkinComponents(component);
    auto* w = DynamicAs<TWinControl>(component);
    if (!w) return;
    std::vector<TWinControl*> list;
    w->GetTabOrderList(list);
    for (TWinControl* c : list)
        if (!IsHandledControl(c)) ChooseControlSkin(c, component);
}

void TTinselForm::SkinEditIfBordered(TControl* control) {
    auto* w = DynamicAs<TWinControl>(control);
    if (!w) return;
    RECT wr{}, cr{};
    GetWindowRect(w->Handle(), &wr);
    GetClientRect(w->Handle(), &cr);
    if (wr.right - wr.left != cr.right || wr.bottom - wr.top != cr.bottom) AttachKind(skEdit, control, false);
}

bool TTinselForm::SkinByClassMap(const std::string& upperName, TControl* control) {
    std::string kind;
    if (!SkinData->Skin3rd() || !SkinKindOfClass(*SkinData->Skin3rd(), upperName, kind)) return false;
    const TSkinControlTypes on = SkinData->SkinControls();
    const bool tabs = on.Contains(xcTab) && SkinData->Tabs != nullptr;
    auto* w = DynamicAs<TWinControl>(control);
    auto eachChild = [&](auto&& f) {
        if (w)
            for (int i = 0; i < w->ControlCount(); ++i) f(w->Controls(i));
    };
    const bool rz = upperName.find("TRZ") != std::string::npos;
    if (kind == "combobox") {
        if (on.Contains(xcCombo)) AttachKind(skComBox, control, false);
    } else if (kind == "edit") {
        if (on.Contains(xcEdit)) SkinEditIfBordered(control);
    } else if (kind == "radiobutton") {
        if (on.Contains(xcRadioButton)) AttachKind(skRadioButton, control, false);
    } else if (kind == "panel") {
        if (on.Contains(xcPanel)) {
            SetPropByName(control, "Transparent", "True");
            AttachKind(skBox, control, true);
        }
    } else if (kind == "trackbar") {
        // The track-bar option is the one that names this kind.
        if (on.Contains(xcTrackBar)) {
            SetPropByName(control, "Transparent", "True");
            AttachKind(skTrackBar, control, false);
        }
    } else if (kind == "button") {
        if (on.Contains(xcButton)) AttachKind(skButton, control, false);
    } else if (kind == "datetimepicker") {
        if (on.Contains(xcCombo)) AttachKind(skDateTime, control, false);
    } else if (kind == "mediaplayer") {
        if (on.Contains(xcButton)) AttachKind(skMediaPlayer, control, false);
    } else if (kind == "bitbtn") {
        if (on.Contains(xcButton)) {
            const bool dropDown =
                Lower(upperName) == "tcxbutton" && GetEnumPropByName(control, "Kind") == "cxbkDropDownButton";
            AttachKind(dropDown ? skMenuButton : skBitButton, control, false);
        }
    } else if (kind == "pngbitbtn") {
        if (on.Contains(xcButton)) AttachKind(skPngBitButton, control, false);
    } else if (kind == "menubtn") {
        if (on.Contains(xcButton)) AttachKind(skMenuButton, control, false);
    } else if (kind == "speedbutton") {
        if (on.Contains(xcSpeedButton)) AttachKind(skSpeedButton, control, false);
    } else if (kind == "tab") {
        if (tabs) AttachKind(skTab, control, false);
    } else if (kind == "progress") {
        if (on.Contains(xcProgress)) AttachKind(skProgress, control, false);
    } else if (kind == "scrollbar") {
        if (on.Contains(xcScrollbar)) {
            AttachKind(skScrollbar, control, false);
            if (w) SkinChildren(w);
        }
    } else if (kind == "singlescrollbar") {
        if (on.Contains(xcScrollbar)) AttachKind(skScrollbarOnly, control, false);
    } else if (kind == "embedscrollbar") {
        if (on.Contains(xcScrollbar))
            eachChild([&](TControl* c) {
                if (HasScrollBars(c)) AttachKind(skScrollbar, c, false);
            });
    } else if (kind == "container") {
        if (w) SkinChildren(w);
    } else if (kind == "groupbox") {
        if (on.Contains(xcGroupBox)) AttachKind(skGroupBox, control, true);
    } else if (kind == "advpagecontrol") {
        if (on.Contains(xcTab)) AttachKind(skAdvPage, control, true);
    } else if (kind == "radiogroup") {
        if (on.Contains(xcGroupBox)) {
            if (on.Contains(xcRadioButton))
                eachChild([&](TControl* c) {
                    if (rz)
                        AttachKind(skRadioItem, c, true);
                    else
                        AttachKind(skRadioButton, c, false);
                });
            AttachKind(skGroupBox, control, true);
        }
    } else if (kind == "checkgroup") {
        if (on.Contains(xcPanel)) {
            if (on.Contains(xcRadioButton))
                eachChild([&](TControl* c) {
                    if (rz)
                        AttachKind(skCheckItem, c, true);
                    else
                        AttachKind(skCheckBox, c, false);
                });
            if (on.Contains(xcGroupBox)) AttachKind(skGroupBox, control, true);
        }
    } else if (kind == "checkbox") {
        if (on.Contains(xcCheckBox)) AttachKind(skCheckBox, control, false);
    }
    return true;
}

void TTinselForm::ChooseControlSkin(TComponent* component, TComponent* parent) {
    if (!SkinData || !component) return;
    auto* control = DynamicAs<TControl>(component);
    if (!control) return;
    if (control->Tag() == SkinData->DisableTag()) {
        DisableGroupChildren(control);
        return;
    }
    if (!control->Parent() || IsControlSkinned(control)) return;
    const std::string U = Upper(control->ClassName());
    auto* w = DynamicAs<TWinControl>(control);
    if (w) {
        try {
            w->HandleNeeded();
        } catch (...) {
            return;
        }
    }
    if (SkinData->OnSkinControl()) {
        TComponent* result = nullptr;
        SkinData->OnSkinControl()(this, SkinData, DynamicAs<TControl>(parent), control, U, result);
        if (auto* skin = DynamicAs<TSkinControl>(result)) {
            // The application's skin is attached to its owner, which may not be this control.
            if (std::find(ControlSkins.begin(), ControlSkins.end(), skin) == ControlSkins.end() &&
                !HasLiveSkin(this, DynamicAs<TControl>(skin->Owner()), nullptr))
                skin->AttachControl(this, SkinData, skin->SetColour, ControlCanvas());
            if (control->Is<TCustomPanel>() && w) SkinChildren(w);
            return;
        }
    }
    if (SkinByClassMap(U, control)) return;
    if (U == "TDBCOMBOBOXEH" || U == "TFRDESIGNERPAGE" || U == "TFRPBOX") return;

    const TSkinControlTypes on = SkinData->SkinControls();
    const bool tabs = on.Contains(xcTab) && SkinData->Tabs != nullptr;
    // A row whose gate is off lets the later rows try.
    if (control->Is<TCustomTabControl>() && tabs) {
        if (auto* pages = DynamicAs<TPageControl>(control))
            AttachKind(pages->Style() != tsTabs ? skTabBtn : skTab, control, false);
        else
            AttachKind(skTabMode2, control, false);
        return;
    }
    if (U == "TTABSET" && tabs) {
        AttachKind(skTab31, control, false);
        return;
    }
    if (control->Is<TTabSheet>() && tabs) {
        AttachKind(skTabSheet, control, false);
        return;
    }
    if (U == "TTABBEDNOTEBOOK" && tabs) {
        AttachKind(skTab, control, false);
        return;
    }
    if (U == "TMVCPANEL") {
        if (w) SkinChildren(w);
        return;
    }
    if (control->Is<TCustomCheckBox>() && on.Contains(xcCheckBox)) {
        AttachKind(skCheckBox, control, false);
        return;
    }
    // The library's own radio buttons.
    if (control->Is<TRadioButton>() && on.Contains(xcRadioButton)) {
        AttachKind(skRadioButton, control, false);
        return;
    }
    if ((U == "TUPDOWN" || U == "TSPINBUTTON") && on.Contains(xcSpin)) {
        AttachKind(GetEnumPropByName(control, "Orientation") == "udHorizontal" ? skUpDownAcross : skUpDown, control,
                   false);
        return;
    }
    if (U == "TMEDIAPLAYER" && on.Contains(xcButton)) {
        AttachKind(skMediaPlayer, control, false);
        return;
    }
    if (U == "TDBNAVIGATOR" && on.Contains(xcPanel)) {
        AttachKind(skBox, control, true);
        if (w)
            for (int i = 0; i < w->ControlCount(); ++i) ChooseControlSkin(w->Controls(i), nullptr);
        return;
    }
    if ((U == "TRZDBCHECKBOX" || U == "TRZCHECKBOX") && on.Contains(xcCheckBox)) {
        AttachKind(skCheckItem, control, false);
        return;
    }
    if ((U == "TRZRADIOBUTTON" || U == "TRZDBRADIOBUTTON") && on.Contains(xcRadioButton)) {
        AttachKind(skRadioItem, control, false);
        return;
    }
    if ((U == "TCXDBCHECKBOX" || U == "TCXCHECKBOX") && on.Contains(xcCheckBox)) {
        AttachKind(skCxCheckItem, control, false);
        return;
    }
    // The library's radio group: its buttons and its frame, as the class map's "radiogroup".
    if (control->Is<TCustomRadioGroup>() && on.Contains(xcRadioButton)) {
        if (w)
            for (int i = 0; i < w->ControlCount(); ++i) AttachKind(skRadioButton, w->Controls(i), false);
        AttachKind(skGroupBox, control, false);
        return;
    }
    if (control->Is<TCustomGroupBox>() && on.Contains(xcPanel)) {
        if (w) SkinChildren(w);
        AttachKind(skGroupBox, control, false);
        return;
    }
    if (U == "TTNTCOMBOBOX" && on.Contains(xcCombo)) {
        AttachKind(skComBox, control, false);
        return;
    }
    if (control->Is<TCustomComboBox>() && on.Contains(xcCombo)) {
        AttachKind(skComBox, control, false);
        return;
    }
    // The library's date-time picker, as the class map's "datetimepicker".
    if (control->Is<TDateTimePicker>() && on.Contains(xcCombo)) {
        AttachKind(skDateTime, control, false);
        return;
    }
    if ((U == "TRICHEDIT" || U == "TWWDBRICHEDIT" || U == "TDXDBMEMO") && on.Contains(xcScrollbar)) {
        AttachKind(skScrollbar, control, false);
        return;
    }
    if (control->Is<TSpeedButton>() && on.Contains(xcSpeedButton)) {
        AttachKind(skSpeedButton, control, false);
        return;
    }
    if (control->Is<TCustomPanel>() && on.Contains(xcPanel)) {
        if (w) SkinChildren(w);
        AttachKind(skBox, control, true);
        return;
    }
    // The library's track and progress bars.
    if (control->Is<TTrackBar>() && on.Contains(xcTrackBar)) {
        AttachKind(skTrackBar, control, false);
        return;
    }
    if (control->Is<TProgressBar>() && on.Contains(xcProgress)) {
        AttachKind(skProgress, control, false);
        return;
    }
    // The library's status bar.
    if (control->Is<TStatusBar>() && on.Contains(xcStatusBar)) {
        AttachKind(skStatusBar, control, false);
        return;
    }
    if ((U == "TDXTREELIST" || U == "TDXDBTREELIST" || U == "TDXDBGRID") && on.Contains(xcScrollbar)) {
        AttachKind(skScrollbar, control, false);
        return;
    }
    // The library's list view (its header too), header control and scroll-bar control.
    if (control->Is<TListView>() && on.Contains(xcScrollbar)) {
        AttachKind(skListView, control, false);
        return;
    }
    if (control->Is<THeaderControl>() && on.Contains(xcPanel)) {
        AttachKind(skHeader, control, false);
        return;
    }
    if (control->Is<TScrollBar>() && on.Contains(xcScrollbar)) {
        AttachKind(skScrollControl, control, false);
        return;
    }
    if (HasScrollBars(control) && on.Contains(xcScrollbar)) {
        AttachKind(skScrollbar, control, false);
        return;
    }
    // Bit buttons are buttons too: their own row comes first.
    if (control->Is<TBitBtn>() && on.Contains(xcBitBtn)) {
        AttachKind(skBitButton, control, false);
        return;
    }
    if (control->Is<TButton>() && on.Contains(xcButton)) {
        AttachKind(skButton, control, false);
        return;
    }
    if (control->Is<TCustomEdit>() && on.Contains(xcEdit)) {
        AttachKind(skEdit, control, false);
        return;
    }
    if (U == "TDCEDIT" || U == "TDCDBEDIT") {
        const int32_t buttons = GetOrdPropByName(control, "NumButtons");
        if (buttons == 1 && on.Contains(xcCombo)) {
            AttachKind(skComBox, control, false);
            return;
        }
        if (buttons == 0 && on.Contains(xcEdit) && w) {
            AttachKindToHandle(skEdit, w->Handle());
            return;
        }
    }
    if (control->Is<TCustomForm>()) {
        AttachKind(skBox, control, true);
        SkinComponents(control);
    }
}

void TTinselForm::SkinChildWindow(HWND wnd) {
    if (!wnd || FindControlSkinByHandle(wnd)) return;
    char buffer[101] = {};
    GetClassNameA(wnd, buffer, sizeof buffer);
    const std::string name = Lower(buffer);
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(wnd, GWL_STYLE));
    if (name == "button") {
        if (const TSkinKind kind = BareButtonKind(style); kind != skNone) AttachKindToHandle(kind, wnd);
        return;
    }
    if (name == "combobox") {
        if ((style & 3) != CBS_SIMPLE) AttachKindToHandle(skComBox, wnd);
    } else if (name == "comboboxex32") {
        if (HWND inner = GetTopWindow(wnd)) AttachKindToHandle(skComBox, inner);
    } else if (name == "scrollbar") {
        if (!(style & WS_TABSTOP)) AttachKindToHandle(skSizer, wnd);
    } else if (name == "#32770") {
        if (!(style & WS_TABSTOP)) {
            SkinChildWindows(wnd);
            AttachKindToHandle(skBoxH, wnd);
        }
    } else if (name == "tpanel" || name == "ttntpanel.unicodeclass" || name == "ttntsilentpaintpanel.unicodeclass") {
        SkinChildWindows(wnd);
        if (TControl* c = ControlOfHandle(wnd)) c->SetColor(SkinData->Colours.ButtonFace);
    } else if (name == "tcheckbox") {
        AttachKindToHandle(skCheckBox, wnd);
    } else if (name == "tcombobox") {
        AttachKindToHandle(skComBox, wnd);
    } else if (name == "tbutton") {
        AttachKindToHandle(skButton, wnd);
    } else if (name == "tprogressbar") {
        AttachKindToHandle(skProgress, wnd);
    } else if (name == "tsilentpaintpanel") {
        if (TControl* c = ControlOfHandle(wnd)) c->SetColor(SkinData->Colours.ButtonFace);
    } else if (name == "systabcontrol32") {
        if (!(style & TCS_OWNERDRAWFIXED)) AttachKindToHandle(skTab, wnd);
    } else if (name == "edit") {
        AttachKindToHandle(skEdit, wnd);
    }
}

void TTinselForm::SkinChildWindows(HWND wnd) {
    if (!SkinData) return;
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD) SkinChildWindow(child);
}
