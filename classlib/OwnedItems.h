// Helpers for the lists of items a control keeps (panels, columns, sections, pages, buttons):
// bounds-checked access with the class library's list error, and lookups by pointer.
#pragma once

#include <algorithm>
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

template <class T>
void EraseFrom(std::vector<T*>& v, const T* item) {
    v.erase(std::remove(v.begin(), v.end(), item), v.end());
}
