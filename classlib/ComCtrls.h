// The common controls over the system's comctl32 window classes: tab and page
// controls, progress and track bars, up-downs, status bars, scroll bars and
// boxes, date-time pickers, list views, header controls, tool bars, and the
// control bar (our own).
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

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime dt);

// Loads the comctl32 classes named by icc (ICC_... flags) once per flag.
void InitComCtl(DWORD icc);

// ---------------------------------------------------------------------------
// Tabs

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
DP_ENUM_INFO(TTabStyle, "tsTabs", "tsButtons", "tsFlatButtons")
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
DP_ENUM_INFO(TTabPosition, "tpTop", "tpBottom", "tpLeft", "tpRight")

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl;

// The tab texts of a tab control, mirrored into its window.
class TTabStrings : public TStrings {
public:
    explicit TTabStrings(TCustomTabControl* owner) : m_owner(owner) {}
    int Count() const override { return m_list.Count(); }
    std::string Get(int index) const override { return m_list.Get(index); }
    void Put(int index, const std::string& s) override;
    void* GetObjectAt(int index) const override { return m_list.GetObjectAt(index); }
    void PutObject(int index, void* obj) override { m_list.PutObject(index, obj); }
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    void Fill(HWND wnd);

private:
    TCustomTabControl* m_owner;
    TStringList m_list;
};

class TCustomTabControl : public TWinControl {
    DP_DECLARE_CLASS(TCustomTabControl, TWinControl)
public:
    explicit TCustomTabControl(TComponent* owner);
    ~TCustomTabControl() override;

    TStrings* Tabs() const { return m_tabs.get(); }
    void SetTabs(TStrings* tabs);
    // From code: no event.
    int32_t TabIndex();
    virtual void SetTabIndex(int32_t index);
    // tsTabs is 0: the other styles draw the tabs as buttons.
    TTabStyle Style() const { return m_style; }
    void SetStyle(TTabStyle v);
    TTabPosition TabPosition() const { return m_tabPosition; }
    void SetTabPosition(TTabPosition v);
    bool MultiLine() const { return m_multiLine; }
    void SetMultiLine(bool v);
    // The area inside the tabs and the border (client coordinates).
    TRect DisplayRect();
    // A tab's rectangle from the window (empty without one or for a bad index).
    TRect TabRect(int index);
    int IndexOfTabAt(int x, int y);

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void DestroyWnd() override;
    void Loaded() override;
    void AdjustClientRect(TRect& rect) override;
    virtual bool CanChange();
    virtual void Change();
    std::unique_ptr<TTabStrings> m_tabs;
    int32_t m_tabIndex = -1;
    TTabStyle m_style = tsTabs;
    TTabPosition m_tabPosition = tpTop;
    bool m_multiLine = false;
    friend class TTabStrings;
};

class TTabControl : public TCustomTabControl {
    DP_DECLARE_CLASS(TTabControl, TCustomTabControl)
public:
    explicit TTabControl(TComponent* owner) : TCustomTabControl(owner) {}
};

class TPageControl;

class TTabSheet : public TWinControl {
    DP_DECLARE_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return m_pageControl; }
    void SetPageControl(TPageControl* pc);
    // Index among the page control's pages, -1 without one.
    int32_t PageIndex() const;
    void SetPageIndex(int32_t index);
    void SetParent(TWinControl* parent) override;

protected:
    void TextChanged() override;
    TPageControl* m_pageControl = nullptr;
    friend class TPageControl;
};

class TPageControl : public TCustomTabControl {
    DP_DECLARE_CLASS(TPageControl, TCustomTabControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    TTabSheet* Pages(int index) const;
    // From code: no event.
    TTabSheet* ActivePage() const { return m_activePage; }
    void SetActivePage(TTabSheet* page);
    int32_t ActivePageIndex() const;
    void SetActivePageIndex(int32_t index);
    void SetTabIndex(int32_t index) override;
    // The next or previous page, wrapping; nullptr without pages.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward);
    void SelectNextPage(bool goForward);

protected:
    void Loaded() override;
    void Change() override;
    void AlignControls(TControl* control, TRect& rect) override;
    void Notification(TComponent* component, TOperation operation) override;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void PageCaptionChanged(TTabSheet* page);
    void ShowActive();
    std::vector<TTabSheet*> m_pages;
    TTabSheet* m_activePage = nullptr;
    int32_t m_loadedIndex = -1;
    friend class TTabSheet;
};

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

    int PanelCount() const { return static_cast<int>(m_panels.size()); }
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
    std::vector<TStatusPanel*> m_panels;
    bool m_simplePanel = false;
    std::string m_simpleText;
    bool m_sizeGrip = true;
    std::unique_ptr<TCanvas> m_canvas;
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

// ---------------------------------------------------------------------------
// Date-time picker

enum TDateTimeKind { dtkDate, dtkTime };
DP_ENUM_INFO(TDateTimeKind, "dtkDate", "dtkTime")
enum TDTDateFormat { dfShort, dfLong };
DP_ENUM_INFO(TDTDateFormat, "dfShort", "dfLong")

class TDateTimePicker : public TWinControl {
    DP_DECLARE_CLASS(TDateTimePicker, TWinControl)
public:
    explicit TDateTimePicker(TComponent* owner);

    TDateTime DateTime();
    void SetDateTime(TDateTime v);
    // The whole days of DateTime.
    TDateTime Date();
    void SetDate(TDateTime v);
    // The fraction of DateTime.
    TDateTime Time();
    void SetTime(TDateTime v);
    TDateTimeKind Kind() const { return m_kind; }
    void SetKind(TDateTimeKind v);
    TDTDateFormat DateFormat() const { return m_dateFormat; }
    void SetDateFormat(TDTDateFormat v);

    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    TDateTime m_dateTime = 0;
    TDateTimeKind m_kind = dtkDate;
    TDTDateFormat m_dateFormat = dfShort;
};

// ---------------------------------------------------------------------------
// List view and header control

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
DP_ENUM_INFO(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")

class TListView;

class TListColumn : public TComponent {
    DP_DECLARE_CLASS(TListColumn, TComponent)
public:
    explicit TListColumn(TComponent* owner) : TComponent(owner) {}
    ~TListColumn() override;
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v);
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    int Index() const;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

private:
    std::string m_caption;
    int32_t m_width = 50;
    TAlignment m_alignment = taLeftJustify;
    TListView* m_view = nullptr;
    friend class TListView;
};

class TListItem;

class TListItem : public TComponent {
    DP_DECLARE_CLASS(TListItem, TComponent)
public:
    explicit TListItem(TComponent* owner);
    ~TListItem() override;
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v);
    TStrings* SubItems() const { return m_subItems.get(); }
    void SetSubItems(TStrings* v);
    int32_t ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int32_t v);
    bool Selected();
    void SetSelected(bool v);
    int Index() const;
    TListView* ListView() const { return m_view; }
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

private:
    friend class TListView;
    void Changed();
    std::string m_caption;
    std::unique_ptr<TStringList> m_subItems;  // the texts of the columns after the first
    int32_t m_imageIndex = -1;
    bool m_selected = false;
    TListView* m_view = nullptr;
};

using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListView : public TWinControl {
    DP_DECLARE_CLASS(TListView, TWinControl)
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;

    TViewStyle ViewStyle() const { return m_viewStyle; }
    void SetViewStyle(TViewStyle v);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    TListColumn* Columns(int index) const;
    TListColumn* AddColumn();
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    TListItem* Items(int index) const;
    TListItem* AddItem();
    void ClearItems();
    // The selected item (the first of several), -1 or nullptr without one.
    int32_t ItemIndex();
    void SetItemIndex(int32_t index);
    TListItem* Selected();
    void SetSelected(TListItem* item);
    bool RowSelect() const { return m_rowSelect; }
    void SetRowSelect(bool v);
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool v);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool v);
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool v);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The report view's column header window (the list view's window is made first).
    HWND HeaderHandle();

    TLVSelectItemEvent OnSelectItem;
    void WndProc(TMessage& message) override;

protected:
    friend class TListColumn;
    friend class TListItem;
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void DestroyWnd() override;
    void Attach(TListColumn* c);
    void Detach(TListColumn* c);
    void Attach(TListItem* i);
    void Detach(TListItem* i);
    void ColumnChanged(TListColumn* c);
    void ItemChanged(TListItem* i);
    void FillColumns();
    void FillItems();
    void InsertItemWindow(int index);
    std::vector<TListColumn*> m_columns;
    std::vector<TListItem*> m_items;
    TViewStyle m_viewStyle = vsIcon;
    bool m_rowSelect = false, m_gridLines = false, m_readOnly = false, m_multiSelect = false;
    TBorderStyle m_borderStyle = bsSingle;
    bool m_filling = false;
};

class THeaderControl;

class THeaderSection : public TComponent {
    DP_DECLARE_CLASS(THeaderSection, TComponent)
public:
    explicit THeaderSection(TComponent* owner) : TComponent(owner) {}
    ~THeaderSection() override;
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& v);
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    int Index() const;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

private:
    std::string m_text;
    int32_t m_width = 50;
    TAlignment m_alignment = taLeftJustify;
    THeaderControl* m_header = nullptr;
    friend class THeaderControl;
};

using TSectionNotifyEvent = TEvent<void(THeaderControl* HeaderControl, THeaderSection* Section)>;

class THeaderControl : public TWinControl {
    DP_DECLARE_CLASS(THeaderControl, TWinControl)
public:
    explicit THeaderControl(TComponent* owner);
    ~THeaderControl() override;

    int SectionCount() const { return static_cast<int>(m_sections.size()); }
    THeaderSection* Sections(int index) const;
    THeaderSection* AddSection();
    // A section's rectangle from the window.
    TRect SectionRect(int index);

    TSectionNotifyEvent OnSectionClick;
    TSectionNotifyEvent OnSectionResize;
    void WndProc(TMessage& message) override;

protected:
    friend class THeaderSection;
    void CreateParams(TCreateParams& params) override;
    void CreateHandleState() override;
    void Attach(THeaderSection* s);
    void Detach(THeaderSection* s);
    void SectionChanged(THeaderSection* s);
    void Fill();
    std::vector<THeaderSection*> m_sections;
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
