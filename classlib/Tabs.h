// The older tab row: our own drawn control, tabs hanging from its top edge
// (it sits under the page it switches).
#pragma once

#include "classlib/Controls.h"

using TTabChangeEvent = TEvent<void(TObject* Sender, int NewTab, bool& AllowChange)>;

class TTabSet : public TCustomControl {
    DP_DECLARE_CLASS(TTabSet, TCustomControl)
public:
    explicit TTabSet(TComponent* owner);
    ~TTabSet() override;

    TStrings* Tabs() const { return m_tabs.get(); }
    void SetTabs(TStrings* tabs);
    // From code: no event; a click by the user asks OnChange first.
    int32_t TabIndex() const { return m_tabIndex; }
    void SetTabIndex(int32_t index);
    TColor SelectedColor() const { return m_selectedColor; }
    void SetSelectedColor(TColor v);
    TColor UnselectedColor() const { return m_unselectedColor; }
    void SetUnselectedColor(TColor v);
    TColor BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(TColor v);
    int32_t StartMargin() const { return m_startMargin; }
    void SetStartMargin(int32_t v);
    int32_t TabHeight() const { return m_tabHeight; }
    void SetTabHeight(int32_t v);
    // A tab's rectangle (client coordinates); empty for a bad index.
    TRect ItemRect(int index);
    int ItemAtPos(TPoint p);

    TTabChangeEvent OnChange;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    void Paint() override;
    void Loaded() override;
    bool CanChange(int newTab);
    int TextWidth(const std::string& s);
    std::unique_ptr<TStringList> m_tabs;
    int32_t m_tabIndex = -1;
    TColor m_selectedColor = clBtnFace;
    TColor m_unselectedColor = clWindow;
    TColor m_backgroundColor = clBtnFace;
    int32_t m_startMargin = 5;
    int32_t m_tabHeight = 20;
};
