// The common controls over the system's comctl32 window classes: tab and page
// controls, progress and track bars, up-downs, status bars, scroll bars and
// boxes, date-time pickers, list views, header controls, tool bars, and the
// control bar (our own).
// One header for all of them, each family in a file of its own.
#pragma once

#include "classlib/Bars.h"
#include "classlib/DateTimePicker.h"
#include "classlib/ListViews.h"
#include "classlib/TabControls.h"
#include "classlib/Trackers.h"
