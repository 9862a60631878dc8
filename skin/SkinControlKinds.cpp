#include "skin/SkinControlKinds.h"

#include "skin/SkinButton.h"
#include "skin/WinSubClass.h"

TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner) {
    switch (kind) {
        case skButton: return new TSkinButton(owner);
        default: return nullptr;
    }
}
