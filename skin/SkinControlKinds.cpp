#include "skin/SkinControlKinds.h"

#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinEdit.h"
#include "skin/SkinPanels.h"
#include "skin/SkinProgress.h"
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
        default: return nullptr;
    }
}
