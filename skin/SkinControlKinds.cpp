#include "skin/SkinControlKinds.h"

#include "skin/SkinBitButton.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinComBox.h"
#include "skin/SkinComboScroll.h"
#include "skin/SkinDateTime.h"
#include "skin/SkinEdit.h"
#include "skin/SkinHeader.h"
#include "skin/SkinMediaPlayer.h"
#include "skin/SkinObjImage.h"
#include "skin/SkinPanels.h"
#include "skin/SkinProgress.h"
#include "skin/SkinScrollbar.h"
#include "skin/SkinStatusBar.h"
#include "skin/SkinTab.h"
#include "skin/SkinTabSet.h"
#include "skin/SkinTrackBar.h"
#include "skin/SkinUpDown.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner) {
    switch (kind) {
        case skButton: return new TSkinButton(owner);
        case skBitButton: return new TSkinBitButton(owner);
        case skPngBitButton: {
            auto* s = new TSkinBitButton(owner);
            s->GraphicProperty = "PngImage";
            return s;
        }
        case skMenuButton: return new TSkinMenuButton(owner);
        case skSpeedButton: return new TSkinSpeedButton(owner);
        case skCheckBox: return new TSkinCheckBox(owner);
        case skRadioButton: return new TSkinRadioButton(owner);
        case skBox: return new TSkinBox(owner);
        case skGroupBox: return new TSkinGroupBox(owner);
        case skMediaPlayer: return new TSkinMP(owner);
        case skComBox: return new TSkinComBox(owner);
        case skDateTime: return new TSkinDateTime(owner);
        case skScrollbar: return new TSkinScrollbar(owner);
        case skScrollbarOnly: {
            // Bars only: no border.
            auto* s = new TSkinScrollbar(owner);
            s->SpecialMode = 1;
            return s;
        }
        case skListView: return new TSkinListView(owner);
        case skHeader: return new TSkinHeader(owner);
        case skScrollControl: return new TSkinScControl(owner);
        case skCheckItem: return new TSkinObjImage(owner, oiCheckItem);
        case skRadioItem: return new TSkinObjImage(owner, oiRadioItem);
        case skCxCheckItem: return new TSkinObjImage(owner, oiPropertiesCheck);
        case skStatusBar: return new TSkinStatusBar(owner);
        case skSizer: return new TSkinSizer(owner);
        case skBoxH: return new TSkinBoxH(owner);
        case skTrackBar: return new TSkinTrackBar(owner);
        case skUpDown: return new TSkinUpDown(owner);
        case skUpDownAcross: {
            auto* s = new TSkinUpDown(owner);
            s->Horizontal = true;
            return s;
        }
        case skUpDownPartner: {
            auto* s = new TSkinUpDown(owner);
            s->Partner = true;
            return s;
        }
        case skProgress: return new TSkinProgress(owner);
        case skEdit: return new TSkinEdit(owner);
        case skTab: return new TSkinTab(owner);
        case skTabMode2: {
            // Tab controls that are not page controls paint their windowless children too.
            auto* skin = new TSkinTab(owner);
            skin->SpecialMode = 2;
            return skin;
        }
        case skTabBtn: return new TSkinTabBtn(owner);
        case skTabSheet: return new TSkinTabSheet(owner);
        case skTab31: return new TSkinTab31(owner);
        case skAdvPage: {
            // The class map's page controls are handed the tab pictures.
            auto* skin = new TSkinAdvPage(owner);
            skin->Mode = 4;
            return skin;
        }
        case skDropListScroll: return new TComboxScrollBar(owner);
        case skListScrollH: return new TSkinScrollbarH(owner);
        default: return nullptr;
    }
}

bool HasLiveSkin(TTinselForm* form, TControl* control, HWND wnd) {
    if (control) {
        if (form ? form->IsControlSkinned(control) : control->Perform(WM_SKIN_QUERY) == 1) return true;
        auto* w = DynamicAs<TWinControl>(control);
        if (!wnd && w && w->HandleAllocated()) wnd = w->Handle();
    }
    if (!wnd) return false;
    if (form && form->FindControlSkinByHandle(wnd)) return true;
    return IsWindow(wnd) && SendMessageA(wnd, WM_SKIN_QUERY, 0, 0) == 1;
}

TSkinControl* SkinControlOnce(TSkinKind kind, TControl* control, bool setColour, TTinselForm* form, TSkinData* data,
                              TCanvas* canvas) {
    if (!control || !data || HasLiveSkin(form, control, nullptr)) return nullptr;
    TSkinControl* skin = NewControlSkin(kind, control);
    if (!skin) return nullptr;
    skin->AttachControl(form, data, setColour, canvas);
    if (skin->Attached) return skin;
    delete skin;
    return nullptr;
}

TSkinControl* SkinWindowOnce(TSkinKind kind, HWND wnd, TComponent* owner, TTinselForm* form, TSkinData* data,
                             TCanvas* canvas) {
    if (!wnd || !data || HasLiveSkin(form, nullptr, wnd)) return nullptr;
    TSkinControl* skin = NewControlSkin(kind, owner);
    if (!skin) return nullptr;
    skin->AttachHandle(wnd, data, form, canvas);
    if (skin->Attached) return skin;
    delete skin;
    return nullptr;
}
