// Panels, bevels, images, shapes, radio groups and the timer.
#pragma once

#include "classlib/StdCtrls.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
DP_ENUM_INFO(TPanelBevel, "bvNone", "bvLowered", "bvRaised", "bvSpace")
using TBevelWidth = int32_t;

class TCustomPanel : public TCustomControl {
    DP_DECLARE_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TPanelBevel BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TPanelBevel v);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TPanelBevel v);
    int32_t BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int32_t v);
    int32_t BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int32_t v);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    // Only the library uses it: no own background is painted.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);
    bool FullRepaint() const { return m_fullRepaint; }
    void SetFullRepaint(bool v) { m_fullRepaint = v; }

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void AdjustClientRect(TRect& rect) override;
    void TextChanged() override { Invalidate(); }
    TPanelBevel m_bevelInner = bvNone;
    TPanelBevel m_bevelOuter = bvRaised;
    int32_t m_bevelWidth = 1;
    int32_t m_borderWidth = 0;
    TBorderStyle m_borderStyle = bsNone;
    TAlignment m_alignment = taCenter;
    bool m_transparent = false;
    bool m_fullRepaint = true;
};

class TPanel : public TCustomPanel {
    DP_DECLARE_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// Draws a raised or lowered frame of the given width inside r (and shrinks r).
void Frame3D(HDC dc, TRect& r, TColor topColor, TColor bottomColor, int width);

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
DP_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer")
enum TBevelStyle { bsLowered, bsRaised };
DP_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")

class TBevel : public TGraphicControl {
    DP_DECLARE_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return m_shape; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return m_style; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;
    TBevelShape m_shape = bsBox;
    TBevelStyle m_style = bsLowered;
};

class TImage : public TGraphicControl {
    DP_DECLARE_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return m_picture.get(); }
    void SetPicture(TPicture* picture);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool v);
    bool Center() const { return m_center; }
    void SetCenter(bool v);
    bool Proportional() const { return m_proportional; }
    void SetProportional(bool v);
    // Also makes the picture's graphic transparent.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);
    // The picture's bitmap canvas (the picture becomes a bitmap of the image's size when empty).
    TCanvas* Canvas();

protected:
    void Paint() override;
    void AdjustSize() override;
    void PictureChanged(TObject*);
    TRect DestRect();
    std::unique_ptr<TPicture> m_picture;
    bool m_stretch = false;
    bool m_center = false;
    bool m_proportional = false;
    bool m_transparent = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
DP_ENUM_INFO(TShapeType, "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle")

class TShape : public TGraphicControl {
    DP_DECLARE_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;

    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(TBrush* brush);
    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* pen);
    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType v);

protected:
    void Paint() override;
    void StyleChanged(TObject*);
    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TPen> m_pen;
    TShapeType m_shape = stRectangle;
};

// ---------------------------------------------------------------------------

class TCustomRadioGroup;

// One item of a radio group.
class TGroupButton : public TRadioButton {
    DP_DECLARE_CLASS(TGroupButton, TRadioButton)
public:
    TGroupButton(TCustomRadioGroup* group);
    explicit TGroupButton(TComponent* owner) : TRadioButton(owner) {}
    void Click() override;

private:
    TCustomRadioGroup* m_group = nullptr;
};

class TCustomRadioGroup : public TCustomGroupBox {
    DP_DECLARE_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;

    TStrings* Items() const { return m_items.get(); }
    void SetItems(TStrings* items);
    // From code: no event; a click by the user raises OnClick.
    int32_t ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int32_t index);
    int32_t Columns() const { return m_columns; }
    void SetColumns(int32_t v);
    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }
    TGroupButton* Buttons(int index) const { return m_buttons.at(index); }
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

protected:
    friend class TGroupButton;
    void Loaded() override;
    void ButtonClicked(TGroupButton* button);
    void UpdateButtons();
    void ArrangeButtons();
    void FontChanged() override;
    std::unique_ptr<TStringList> m_items;
    std::vector<TGroupButton*> m_buttons;
    int32_t m_itemIndex = -1;
    int32_t m_columns = 1;
    bool m_updating = false;
};

class TRadioGroup : public TCustomRadioGroup {
    DP_DECLARE_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

// ---------------------------------------------------------------------------

class TTimer : public TComponent {
    DP_DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v);
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t v);
    // An exception from it is reported by the application; the timer goes on.
    TNotifyEvent OnTimer;

protected:
    void Loaded() override;
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& m);
    bool m_enabled = true;
    uint32_t m_interval = 1000;
    HWND m_window = nullptr;
    bool m_running = false;
};
