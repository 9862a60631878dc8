// A list box with a check box before each item.
//
// Each item's check state lives in its Objects slot (as a small number), so
// it follows the item through inserts, deletes and sorting; programs keep
// their own data elsewhere.
#pragma once

#include "classlib/StdCtrls.h"

class TCheckListBox : public TCustomListBox {
    DP_DECLARE_CLASS(TCheckListBox, TCustomListBox)
public:
    explicit TCheckListBox(TComponent* owner);

    // Raise EListError for an index out of range. From code: no event.
    bool Checked(int index) const { return State(index) == cbChecked; }
    void SetChecked(int index, bool v) { SetState(index, v ? cbChecked : cbUnchecked); }
    TCheckBoxState State(int index) const;
    void SetState(int index, TCheckBoxState state);
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool v) { m_allowGrayed = v; }
    bool Flat() const { return m_flat; }
    void SetFlat(bool v);
    // The check box's square of an item (client coordinates).
    TRect CheckRect(int index);

    // After the user toggled an item (click on its box, or the space bar).
    TNotifyEvent OnClickCheck;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void ToggleByUser(int index);
    void DrawItem(const DRAWITEMSTRUCT& di);
    void InvalidateItem(int index);
    bool m_allowGrayed = false;
    bool m_flat = true;
};
