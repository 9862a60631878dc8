// The older tab row: our own drawn control, tabs hanging from its top edge
// (it sits under the page it switches).
#pragma once

#include "classlib/Controls.h"

using TTabChangeEvent = TEvent<void(TObject* Sender, int NewTab, bool& AllowChange)>;

class TTabSet;

// The arrows a tab set shows at its end while its tabs do not all fit: a horizontal up-down
// whose position is the first tab shown. Owned by its tab set.
class TTabScroller : public TWinControl {
    DP_DECLARE_CLASS(TTabScroller, TWinControl)
public:
    explicit TTabScroller(TComponent* owner);
    // Positions 0..max; the arrows stay where they are when the window is made again.
    void SetRange(int32_t max, int32_t position);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    int32_t m_max = 0;
    int32_t m_position = 0;
};

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
    // Space kept free after the last tab; the arrows, when shown, take it and 12 pixels more.
    int32_t EndMargin() const { return m_endMargin; }
    void SetEndMargin(int32_t v);
    // The first tab shown; the ones before it are scrolled out.
    int32_t FirstIndex() const { return m_firstIndex; }
    void SetFirstIndex(int32_t v);
    TTabScroller* Scroller() const { return m_scroller; }
    // Whether tab i is shown: from FirstIndex on, a tab that does not fit in the room left is
    // left out and a later, narrower one may still be.
    bool TabShown(int index);
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
    void CreateParams(TCreateParams& params) override;
    void Resize() override;
    // Shows or hides the arrows for the tabs and the room there is.
    void UpdateScroller();
    int RowWidth();
    bool CanChange(int newTab);
    int TextWidth(const std::string& s);
    std::unique_ptr<TStringList> m_tabs;
    int32_t m_tabIndex = -1;
    TColor m_selectedColor = clBtnFace;
    TColor m_unselectedColor = clWindow;
    TColor m_backgroundColor = clBtnFace;
    int32_t m_startMargin = 5;
    int32_t m_endMargin = 5;
    int32_t m_firstIndex = 0;
    int32_t m_tabHeight = 20;
    TTabScroller* m_scroller = nullptr;
};
