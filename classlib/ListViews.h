// The list view, its columns and its items.
#pragma once

#include "classlib/CommonControls.h"
#include "classlib/OwnedItems.h"

// ---------------------------------------------------------------------------
// List view

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
    int ColumnCount() const { return m_columns.Count(); }
    TListColumn* Columns(int index) const;
    TListColumn* AddColumn();
    int ItemCount() const { return m_items.Count(); }
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
    TOwnedItemList<TListColumn, TListView, &TListColumn::m_view> m_columns;
    TOwnedItemList<TListItem, TListView, &TListItem::m_view> m_items;
    TViewStyle m_viewStyle = vsIcon;
    bool m_rowSelect = false, m_gridLines = false, m_readOnly = false, m_multiSelect = false;
    TBorderStyle m_borderStyle = bsSingle;
    bool m_filling = false;
};
