// The kinds of control skin the dispatch chooses from, and the one place that makes a
// skin of a kind. A kind whose skin is not part of the engine yet makes nothing, so the
// control it was chosen for stays unskinned.
#pragma once

#include <cstdint>

class TComponent;
class TSkinControl;

enum TSkinKind : int {
    skNone,
    skButton,
    skBitButton,
    skPngBitButton,
    skMenuButton,
    skSpeedButton,
    skCheckBox,
    skRadioButton,
    skCheckItem,    // TSkinObjImage of kind 1
    skRadioItem,    // kind 2
    skCxCheckItem,  // kind 3
    skGroupBox,
    skBox,
    skBoxH,
    skSizer,
    skStatusBar,
    skTab,
    skTabMode2,
    skTabBtn,
    skTab31,
    skTabSheet,
    skAdvPage,
    skComBox,
    skDateTime,
    skEdit,
    skScrollbar,
    skScrollbarOnly,
    skUpDown,
    skMediaPlayer,
    skProgress,
    skTrackBar,
    skListView,
    skHeader,
    skScrollControl
};

// A new skin of the kind owned by owner, not yet attached; nil for kinds not built.
TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner);

// The kind a bare "button" window of that style gets.
TSkinKind BareButtonKind(uint32_t style);
