// The skinned menu bar: a skinned window's menu taken off the window and painted in the
// strip under the caption, one mouse target per top-level item; while one item's
// drop-down is tracked, a message-filter hook moves along the bar with the arrow keys
// and the mouse as a system menu bar would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Graphics.h"
#include "skin/TinselFormSkin.h"

class TComponent;
class TMenu;
class TMenuItem;
class TSkinData;

class TMenuBtn : public TNCObject {
public:
    TMenuBtn(TTinselForm* form, TSkinData* data, int32_t index) : TNCObject(form), SkinData(data), Index(index) {}
    void Paint() override;

    TMenuItem* Item = nullptr;
    TSkinData* SkinData;
    int32_t Index;
    std::wstring Caption;
    bool Enabled = true;
    HMENU DropDown = nullptr;
    UINT Command = 0;
};

class TTinselMenu {
public:
    TTinselMenu(TTinselForm* form, TSkinData* data);
    TTinselMenu(const TTinselMenu&) = delete;
    TTinselMenu& operator=(const TTinselMenu&) = delete;
    ~TTinselMenu();

    // The form's menu object as it is now (a form may be given another one); followed by
    // free notification, so a menu freed while skinned leaves nothing pointing at it.
    void TakeMenuObject();
    // A component went: when it is the menu object, the bar lets go of it and its items.
    void MenuObjectGone(TComponent* component);
    TMenu* MenuObject() const { return FMenuObject; }
    HMENU MenuHandle() const { return FMenuHandle; }
    // The items from the window menu (or from the menu object on old systems); the menu
    // goes off the window.
    void LoadItems();
    void LoadItemsFromMenuObject();
    // The items again from the window menu, empty captions from the menu object; then Layout.
    void ReloadItems();
    // The whole bar into dc at the bar rectangle (window coordinates).
    void Paint(HDC dc, const TRect& bar);
    void Layout();
    TMenuBtn* ItemAt(TPoint frame) const;
    // The first visible, enabled item whose caption has that accelerator.
    TMenuBtn* ItemOfKey(wchar_t key) const;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TMenuBtn* Item(int32_t index) const {
        return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
    }
    const TRect& BarRect() const { return FBarRect; }
    TBitmap* Background() const { return FBackground.get(); }
    bool RightToLeftMenu() const;
    // The skin changed: the background is drawn afresh.
    void ForgetBackground() { FBackWidth = -1; }

private:
    void FreeItems();
    bool ReadWindowMenu(bool onlyEmptyFromObject);
    int32_t StartOffset(int32_t barWidth) const;
    // Item rectangles from the bar rectangle; widths measured on dc.
    void PlaceItems(HDC dc);

    TTinselForm* FForm;
    TSkinData* FData;
    TMenu* FMenuObject = nullptr;
    HMENU FMenuHandle = nullptr;
    std::vector<std::unique_ptr<TMenuBtn>> FItems;
    TRect FBarRect{0, 0, 0, 0};
    std::unique_ptr<TBitmap> FBackground;
    // What the cached background was drawn for.
    int32_t FBackWidth = -1, FBackHeight = -1, FBackFrame = 0;
    bool FPainting = false;
};

// The drop-down tracking of one bar item at a time.
void InstallMenuHook();
void RemoveMenuHook();
bool MenuHookInstalled();
// Which form's bar item is open; -1 when none.
void SetMenuHookTarget(TTinselForm* form, int32_t index);
// WM_MENUSELECT as the tracked form's window procedure sees it.
void MenuHookSelect(TTinselForm* form, WPARAM wParam, LPARAM lParam);
// The item after (forward) or before the open one, wrapping; nil without a bar.
TMenuBtn* NeighbourMenuButton(bool forward);
