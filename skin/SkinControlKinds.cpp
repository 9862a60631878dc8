#include "skin/SkinControlKinds.h"

#include "skin/SkinBitButton.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinObjImage.h"
#include "skin/SkinPanels.h"
#include "skin/SkinStatusBar.h"
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
        case skCheckItem: return new TSkinObjImage(owner, oiCheckItem);
        case skRadioItem: return new TSkinObjImage(owner, oiRadioItem);
        case skCxCheckItem: return new TSkinObjImage(owner, oiPropertiesCheck);
        case skStatusBar: return new TSkinStatusBar(owner);
        case skSizer: return new TSkinSizer(owner);
        case skBoxH: return new TSkinBoxH(owner);
        default: return nullptr;
    }
}
