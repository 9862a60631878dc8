// The kinds of control skin the dispatch chooses from, and the one place that makes a
// skin of a kind. A kind whose skin is not part of the engine yet makes nothing, so the
// control it was chosen for stays unskinned. Every creator (the dispatch, and skins that
// skin a part of their control) attaches through SkinControlOnce / SkinWindowOnce, which
// hold the rule that a control never gets two skins.
#pragma once

#include <windows.h>

#include <cstdint>

class TCanvas;
class TComponent;
class TControl;
class TSkinControl;
class TSkinData;
class TTinselForm;

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
    skUpDownAcross,   // the horizontal flag set: a scroller of tabs, an up-down lying across
    skUpDownPartner,  // the spin partner inside an edit
    skMediaPlayer,
    skProgress,
    skTrackBar,
    skListView,
    skHeader,
    skScrollControl,
    skDropListScroll,  // the bar of a combo box's drop-down list
    skListScrollH      // the bars of a bare list window
};

// A new skin of the kind owned by owner, not yet attached; nil for kinds not built.
TSkinControl* NewControlSkin(TSkinKind kind, TComponent* owner);

// A live skin holds the control or the window already: the window answers WM_SKIN_QUERY, or
// the form's list holds a skin of it that is not dead (a skin switched off answers nothing).
bool HasLiveSkin(TTinselForm* form, TControl* control, HWND wnd);
// A new skin of the kind hooked into the control (its owner), listed with the form; nil when
// the control has a live skin already, for kinds not built and when the attach failed.
TSkinControl* SkinControlOnce(TSkinKind kind, TControl* control, bool setColour, TTinselForm* form, TSkinData* data,
                              TCanvas* canvas);
// The same for a window by its handle; the skin belongs to owner.
TSkinControl* SkinWindowOnce(TSkinKind kind, HWND wnd, TComponent* owner, TTinselForm* form, TSkinData* data,
                             TCanvas* canvas);

// The kind a bare "button" window of that style gets.
TSkinKind BareButtonKind(uint32_t style);
