// Bars along a form's edge: the status bar and its panels, the tool bar and its buttons,
// and the control bar (our own).
#pragma once

#include "classlib/CommonControls.h"
#include "classlib/OwnedItems.h"

// ---------------------------------------------------------------------------
// Status bar

enum TStatusPanelStyle { psText, psOwnerDraw };
DP_ENUM_INFO(TStatusPanelStyle, "psText", "psOwnerDraw")
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
DP_ENUM_INFO(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")

class TStatusBar;

class TStatusPanel : public TComponent {
    DP_DECLARE_CLASS(TStatusPanel, TComponent)
public:
    explicit TStatusPanel(TComponent* owner);
    ~TStatusPanel() override;

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& v);
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v);
    TStatusPanelStyle Style() const { return m_style; }
    void SetStyle(TStatusPanelStyle v);
    TStatusPanelBevel Bevel() const { return m_bevel; }
    void SetBevel(TStatusPanelBevel v);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    TStatusBar* StatusBar() const { return m_bar; }
    int Index() const;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

private:
    void Changed(bool widths);
    std::string m_text;
    int32_t m_width = 50;
    TStatusPanelStyle m_style = psText;
    TStatusPanelBevel m_bevel = pbLowered;
    TAlignment m_alignment = taLeftJustify;
    TStatusBar* m_bar = nullptr;
    friend class TStatusBar;
};

using TDrawPanelEvent = TEvent<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TWinControl {
    DP_DECLARE_CLASS(TStatusBar, TWinControl)
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    int PanelCount() const { return m_panels.Count(); }
    // Raises EListError for an index out of range.
    TStatusPanel* Panels(int index) const;
    // A new panel at the end, owned by the bar.
    TStatusPanel* AddPanel();
    void ClearPanels();
    bool SimplePanel() const { return m_simplePanel; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const { return m_simpleText; }
    void SetSimpleText(const std::string& v);
    bool SizeGrip() const { return m_sizeGrip; }
    void SetSizeGrip(bool v);
    // Where owner-drawn panels are painted, during OnDrawPanel only.
    TCanvas* Canvas() const { return m_canvas.get(); }
    // A panel's rectangle from the window.
    TRect PanelRect(int index);

    TDrawPanelEvent OnDrawPanel;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void UpdatePanels();
    void UpdatePanelText(int index);
    virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);
    friend class TStatusPanel;
    void Attach(TStatusPanel* p);
    void Detach(TStatusPanel* p);
    TOwnedItemList<TStatusPanel, TStatusBar, &TStatusPanel::m_bar> m_panels;
    bool m_simplePanel = false;
    std::string m_simpleText;
    bool m_sizeGrip = true;
    std::unique_ptr<TCanvas> m_canvas;
};
// ---------------------------------------------------------------------------
// Tool bar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
DP_ENUM_INFO(TToolButtonStyle, "tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider")

class TToolBar;

// A button of a tool bar: the bar's window draws it; the control keeps its
// place (read back from the bar) and its state.
class TToolButton : public TGraphicControl {
    DP_DECLARE_CLASS(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return m_style; }
    void SetStyle(TToolButtonStyle v);
    int32_t ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int32_t v);
    // Checked state of a tbsCheck button.
    bool Down();
    void SetDown(bool v);
    bool Grouped() const { return m_grouped; }
    void SetGrouped(bool v);
    TToolBar* ToolBar() const { return m_toolBar; }
    int Index() const;
    void SetParent(TWinControl* parent) override;
    void Click() override;

protected:
    friend class TToolBar;
    void TextChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    TToolButtonStyle m_style = tbsButton;
    int32_t m_imageIndex = -1;
    bool m_down = false, m_grouped = false;
    TToolBar* m_toolBar = nullptr;
    int m_command = 0;
};

class TToolBar : public TWinControl {
    DP_DECLARE_CLASS(TToolBar, TWinControl)
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }
    TToolButton* Buttons(int index) const;
    bool ShowCaptions() const { return m_showCaptions; }
    void SetShowCaptions(bool v);
    bool Flat() const { return m_flat; }
    void SetFlat(bool v);
    bool List() const { return m_list; }
    void SetList(bool v);
    int32_t ButtonWidth() const { return m_buttonWidth; }
    void SetButtonWidth(int32_t v);
    int32_t ButtonHeight() const { return m_buttonHeight; }
    void SetButtonHeight(int32_t v);
    // A button's rectangle from the window.
    TRect ButtonRect(int index);
    void WndProc(TMessage& message) override;

protected:
    friend class TToolButton;
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void AlignControls(TControl* control, TRect& rect) override;
    void AddButton(TToolButton* b);
    void RemoveButton(TToolButton* b);
    void Rebuild();
    void UpdateButtonPlaces();
    void SetButtonState(TToolButton* b);
    TToolButton* FindCommand(int id) const;
    std::vector<TToolButton*> m_buttons;
    bool m_showCaptions = false, m_flat = false, m_list = false;
    int32_t m_buttonWidth = 23, m_buttonHeight = 22;
    int m_nextCommand = 1;
    bool m_rebuilding = false;
};
// ---------------------------------------------------------------------------
// Control bar: our own; its children sit in rows, each after a grab handle.

class TControlBar : public TCustomControl {
    DP_DECLARE_CLASS(TControlBar, TCustomControl)
public:
    explicit TControlBar(TComponent* owner);
    int32_t RowSize() const { return m_rowSize; }
    void SetRowSize(int32_t v);
    bool RowSnap() const { return m_rowSnap; }
    void SetRowSnap(bool v) { m_rowSnap = v; }
    // Width of the grab handle before each band.
    static constexpr int GrabWidth = 11;

protected:
    void Paint() override;
    void AlignControls(TControl* control, TRect& rect) override;
    int32_t m_rowSize = 26;
    bool m_rowSnap = true;
    bool m_arranging = false;
};
