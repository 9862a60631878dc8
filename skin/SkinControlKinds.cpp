#include "skin/SkinControlKinds.h"

#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinEdit.h"
#include "skin/SkinPanels.h"
#include "skin/SkinProgress.h"
#include "skin/SkinTab.h"
#include "skin/SkinTabSet.h"
#include "skin/SkinTrackBar.h"
#include "skin/SkinUpDown.h"
#include "skin/WinSubClass.h"

TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner) {
    switch (kind) {
        case skButton: return new TSkinButton(owner);
        case skCheckBox: return new TSkinCheckBox(owner);
        case skRadioButton: return new TSkinRadioButton(owner);
        case skBox: return new TSkinBox(owner);
        case skGroupBox: return new TSkinGroupBox(owner);
        case skTrackBar: return new TSkinTrackBar(owner);
        case skUpDown: return new TSkinUpDown(owner);
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
        default: return nullptr;
    }
}
