// Tab and page controls, and header controls: strips of labelled items over comctl32.
#pragma once

#include "classlib/CommonControls.h"
#include "classlib/OwnedItems.h"

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
    // Only the selected tab carries the pressed state.
    void MarkOnlySelectedPressed();
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
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages while the focus is in the control.
    void WndProc(TMessage& message) override;

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
// Header control

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

    int SectionCount() const { return m_sections.Count(); }
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
    TOwnedItemList<THeaderSection, THeaderControl, &THeaderSection::m_header> m_sections;
};
