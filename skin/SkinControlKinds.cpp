#include "skin/SkinControlKinds.h"

#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinComBox.h"
#include "skin/SkinDateTime.h"
#include "skin/SkinPanels.h"
#include "skin/WinSubClass.h"

TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner) {
    switch (kind) {
        case skButton: return new TSkinButton(owner);
        case skCheckBox: return new TSkinCheckBox(owner);
        case skRadioButton: return new TSkinRadioButton(owner);
        case skBox: return new TSkinBox(owner);
        case skGroupBox: return new TSkinGroupBox(owner);
        case skComBox: return new TSkinComBox(owner);
        case skDateTime: return new TSkinDateTime(owner);
        default: return nullptr;
    }
}
