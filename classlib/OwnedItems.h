// The lists of items a control keeps (panels, columns, sections, pages, buttons):
// bounds-checked access with the class library's list error, and lookups by pointer.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "classlib/SysUtils.h"

template <class T>
T* ItemAt(const std::vector<T*>& v, int index) {
    if (index < 0 || index >= static_cast<int>(v.size())) throw EListError(Format(SListIndexError, index));
    return v[static_cast<size_t>(index)];
}

template <class T>
int IndexIn(const std::vector<T*>& v, const T* item) {
    auto it = std::find(v.begin(), v.end(), item);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

// The items a control keeps in order (a status bar's panels, a list view's columns and items, a
// header's sections). The items are components, freed by the component that owns them; this list
// orders them and keeps each item's pointer back to its control, the member Control of Item.
template <class Item, class Owner, Owner* Item::*Control>
class TOwnedItemList {
public:
    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    Item* operator[](size_t index) const { return m_items[index]; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises EListError for an index out of range.
    Item* At(int index) const { return ItemAt(m_items, index); }
    int IndexOf(const Item* item) const { return IndexIn(m_items, item); }

    // Appends item, which from then on names owner as its control.
    void Attach(Owner* owner, Item* item) {
        item->*Control = owner;
        m_items.push_back(item);
    }
    // Takes item out; returns the index it had, or -1 when it was not here.
    int Detach(Item* item) {
        const int i = IndexOf(item);
        item->*Control = nullptr;
        if (i >= 0) m_items.erase(m_items.begin() + i);
        return i;
    }
    // Lets go of every item, freeing none (the control is going away before them).
    void Release() {
        for (Item* item : m_items) item->*Control = nullptr;
        m_items.clear();
    }
    // Hands over the items as they are, leaving the list empty.
    std::vector<Item*> Take() { return std::exchange(m_items, {}); }

private:
    std::vector<Item*> m_items;
};
