// Controls that show or pick a position in a range: progress bars, track bars, up-downs,
// scroll bars, and the scroll box that scrolls its children.
#pragma once

#include "classlib/CommonControls.h"

// ---------------------------------------------------------------------------
// Progress bar

enum TProgressBarOrientation { pbHorizontal, pbVertical };
DP_ENUM_INFO(TProgressBarOrientation, "pbHorizontal", "pbVertical")

class TProgressBar : public TWinControl {
    DP_DECLARE_CLASS(TProgressBar, TWinControl)
public:
    explicit TProgressBar(TComponent* owner);

    int32_t Min() const { return m_min; }
    void SetMin(int32_t v);
    int32_t Max() const { return m_max; }
    void SetMax(int32_t v);
    // Kept within Min..Max.
    int32_t Position() const { return m_position; }
    void SetPosition(int32_t v);
    int32_t Step() const { return m_step; }
    void SetStep(int32_t v) { m_step = v; }
    bool Smooth() const { return m_smooth; }
    void SetSmooth(bool v);
    TProgressBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TProgressBarOrientation v);
    // Position + Step, wrapping to Min past Max as the system bar does.
    void StepIt();
    void StepBy(int32_t delta);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void Loaded() override;
    int32_t m_min = 0, m_max = 100, m_position = 0, m_step = 10;
    bool m_smooth = false;
    TProgressBarOrientation m_orientation = pbHorizontal;
};

// ---------------------------------------------------------------------------
// Track bar

enum TTrackBarOrientation { trHorizontal, trVertical };
DP_ENUM_INFO(TTrackBarOrientation, "trHorizontal", "trVertical")
enum TTickStyle { tsNone, tsAuto, tsManual };
DP_ENUM_INFO(TTickStyle, "tsNone", "tsAuto", "tsManual")
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
DP_ENUM_INFO(TTickMark, "tmBottomRight", "tmTopLeft", "tmBoth")

class TTrackBar : public TWinControl {
    DP_DECLARE_CLASS(TTrackBar, TWinControl)
public:
    explicit TTrackBar(TComponent* owner);

    int32_t Min() const { return m_min; }
    void SetMin(int32_t v);
    int32_t Max() const { return m_max; }
    void SetMax(int32_t v);
    int32_t Position();
    // Kept within Min..Max; raises OnChange when the position moves.
    void SetPosition(int32_t v);
    TTrackBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TTrackBarOrientation v);
    int32_t Frequency() const { return m_frequency; }
    void SetFrequency(int32_t v);
    TTickStyle TickStyle() const { return m_tickStyle; }
    void SetTickStyle(TTickStyle v);
    TTickMark TickMarks() const { return m_tickMarks; }
    void SetTickMarks(TTickMark v);
    int32_t PageSize() const { return m_pageSize; }
    void SetPageSize(int32_t v);
    int32_t LineSize() const { return m_lineSize; }
    void SetLineSize(int32_t v);
    // Manual ticks (tsManual).
    void SetTick(int32_t value);

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void Loaded() override;
    int32_t m_min = 0, m_max = 10, m_position = 0, m_frequency = 1, m_pageSize = 2, m_lineSize = 1;
    TTrackBarOrientation m_orientation = trHorizontal;
    TTickStyle m_tickStyle = tsAuto;
    TTickMark m_tickMarks = tmBottomRight;
};

// ---------------------------------------------------------------------------
// Up-down

enum TUDOrientation { udHorizontal, udVertical };
DP_ENUM_INFO(TUDOrientation, "udHorizontal", "udVertical")
enum TUDAlignButton { udLeft, udRight };
DP_ENUM_INFO(TUDAlignButton, "udLeft", "udRight")
// Scoped: the media player's buttons use the same names.
enum class TUDBtnType { btNext, btPrev };
DP_ENUM_INFO(TUDBtnType, "btNext", "btPrev")
using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TWinControl {
    DP_DECLARE_CLASS(TUpDown, TWinControl)
public:
    explicit TUpDown(TComponent* owner);
    ~TUpDown() override;

    int32_t Min() const { return m_min; }
    void SetMin(int32_t v);
    int32_t Max() const { return m_max; }
    void SetMax(int32_t v);
    int32_t Position();
    // Kept within Min..Max; the associated control shows it.
    void SetPosition(int32_t v);
    int32_t Increment() const { return m_increment; }
    void SetIncrement(int32_t v);
    bool Wrap() const { return m_wrap; }
    void SetWrap(bool v);
    bool ArrowKeys() const { return m_arrowKeys; }
    void SetArrowKeys(bool v);
    bool Thousands() const { return m_thousands; }
    void SetThousands(bool v);
    TUDOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TUDOrientation v);
    TUDAlignButton AlignButton() const { return m_alignButton; }
    void SetAlignButton(TUDAlignButton v);
    // The buddy window: the up-down sits beside it and writes its position into it.
    TWinControl* Associate() const { return m_associate; }
    void SetAssociate(TWinControl* control);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void ShowInBuddy();
    int32_t m_min = 0, m_max = 100, m_position = 0, m_increment = 1;
    bool m_wrap = false, m_arrowKeys = true, m_thousands = true;
    TUDOrientation m_orientation = udVertical;
    TUDAlignButton m_alignButton = udRight;
    TWinControl* m_associate = nullptr;
};
// ---------------------------------------------------------------------------
// Scroll bar and scroll box

enum TScrollBarKind { sbHorizontal, sbVertical };
DP_ENUM_INFO(TScrollBarKind, "sbHorizontal", "sbVertical")
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
DP_ENUM_INFO(TScrollCode, "scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition", "scTrack", "scTop",
             "scBottom", "scEndScroll")
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
    DP_DECLARE_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* owner);

    TScrollBarKind Kind() const { return m_kind; }
    void SetKind(TScrollBarKind v);
    int32_t Min() const { return m_min; }
    void SetMin(int32_t v);
    int32_t Max() const { return m_max; }
    void SetMax(int32_t v);
    int32_t Position() const { return m_position; }
    // Kept within Min..Max - PageSize + 1; raises OnChange when it moves.
    void SetPosition(int32_t v);
    int32_t PageSize() const { return m_pageSize; }
    void SetPageSize(int32_t v);
    int32_t SmallChange() const { return m_smallChange; }
    void SetSmallChange(int32_t v) { m_smallChange = v; }
    int32_t LargeChange() const { return m_largeChange; }
    void SetLargeChange(int32_t v) { m_largeChange = v; }
    void SetParams(int32_t position, int32_t min, int32_t max);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void Loaded() override;
    void UpdateInfo();
    int32_t Clamp(int32_t v) const;
    void Scroll(int code, int trackPos);
    TScrollBarKind m_kind = sbHorizontal;
    int32_t m_min = 0, m_max = 100, m_position = 0, m_pageSize = 0, m_smallChange = 1, m_largeChange = 1;
};

class TScrollBox : public TWinControl {
    DP_DECLARE_CLASS(TScrollBox, TWinControl)
public:
    explicit TScrollBox(TComponent* owner);

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool AutoScroll() const { return m_autoScroll; }
    void SetAutoScroll(bool v);
    // Scroll offsets of the content (0 when not scrolled).
    int32_t HorzPosition() const { return m_hpos; }
    int32_t VertPosition() const { return m_vpos; }
    void SetHorzPosition(int32_t v) { ScrollTo(v, m_vpos); }
    void SetVertPosition(int32_t v) { ScrollTo(m_hpos, v); }
    // Moves the content so that (x, y) of it is at the top left, within range.
    void ScrollTo(int32_t x, int32_t y);
    // Lets a child be seen whole.
    void ScrollInView(TControl* control);
    // The extent of the content (children's right and bottom edges, unscrolled).
    TPoint ContentSize();
    // Sets the scroll ranges from the content (done on resizes, scrolls and paints).
    void UpdateScrollBars();
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void AlignControls(TControl* control, TRect& rect) override;
    void MoveContent(int32_t x, int32_t y);
    void Scroll(int bar, int code);
    TBorderStyle m_borderStyle = bsSingle;
    bool m_autoScroll = true;
    int32_t m_hpos = 0, m_vpos = 0;
    bool m_updating = false;
};
