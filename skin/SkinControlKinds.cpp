#include "skin/SkinControlKinds.h"

#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinMediaPlayer.h"
#include "skin/SkinComBox.h"
#include "skin/SkinDateTime.h"
#include "skin/SkinHeader.h"
#include "skin/SkinPanels.h"
#include "skin/SkinScrollbar.h"
#include "skin/WinSubClass.h"

TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner) {
    switch (kind) {
        case skButton: return new TSkinButton(owner);
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
        default: return nullptr;
    }
}
