// What every common control of the class library shares: comctl32 loaded once per class.
//
// Collections in stored definitions: the form reader has no collection
// syntax, so the items of a status bar's Panels, a list view's Columns and
// Items and a header control's Sections are child objects of their owner:
//   object StatusBar1: TStatusBar
//     object TStatusPanel
//       Text = 'Ready'
//       Width = 120
//     end
//   end
// Each item is a component (owned by the form when read, by the control when
// added from code) that puts itself into its control's collection.
//
// Event rules, as for the standard controls: values set from code raise
// nothing, except where a class says otherwise; the user's changes raise the
// change events.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "classlib/StdCtrls.h"

// Loads the comctl32 classes named by icc (ICC_... flags) once per flag.
void InitComCtl(DWORD icc);

// A rectangle a window reports for one of its items (TCM_GETITEMRECT, SB_GETRECT...); empty
// when it has none.
TRect ItemRectOf(HWND wnd, UINT msg, int index);
