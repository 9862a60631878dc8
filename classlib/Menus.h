// Menus: items in a tree, built into real Win32 menus (owner-drawn on request)
// and rebuilt whenever an item changes; the form's main menu and pop-up menus.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Controls.h"

class TImageList;
class TMenu;
class TCustomForm;

// Sent to the form's window (to the form itself while it has none) after its main menu's
// window menu was rebuilt.
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;

// A key with its shift state: the virtual key in the low byte, the shift keys above.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift);
// "Ctrl+S", "Shift+Ctrl+F1", "Alt+Del"; empty for scNone or a key without a name.
std::string ShortCutToText(TShortCut shortCut);
// The reverse, case-insensitive ("ALT+F4" too); scNone for text it does not know.
TShortCut TextToShortCut(const std::string& text);
// StripHotkey and GetHotkey: classlib/Controls.h.
// The caption of a separator item.
constexpr const char* cLineCaption = "-";

enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TMenuMeasureItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;

constexpr const char* SMenuIndexError = "Menu index out of range";
constexpr const char* SMenuReinserted = "Menu inserted twice";
constexpr const char* SMenuNotFound = "Sub-menu is not in menu";

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

class TMenuItem : public TComponent {
    DP_DECLARE_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);
    // Frees the sub-items and leaves the parent item.
    ~TMenuItem() override;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v);
    bool IsLine() const { return m_caption == cLineCaption; }
    bool Checked() const { return m_checked; }
    // A checked radio item unchecks the other radio items of its group index.
    void SetChecked(bool v);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v);
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    bool Default() const { return m_default; }
    void SetDefault(bool v);
    bool RadioItem() const { return m_radioItem; }
    void SetRadioItem(bool v);
    int32_t GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int32_t v);
    TShortCut ShortCut() const { return m_shortCut; }
    void SetShortCut(TShortCut v);
    int32_t ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int32_t v);
    bool AutoCheck() const { return m_autoCheck; }
    void SetAutoCheck(bool v) { m_autoCheck = v; }
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& v) { m_hint = v; }

    // The command identifier of WM_COMMAND; unique in the program.
    UINT Command() const { return m_command; }
    // The submenu of an item with sub-items (made on demand), else nullptr.
    HMENU Handle();

    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises EMenuError for an index out of range.
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return m_parent; }
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return m_parent ? m_parent->IndexOf(this) : -1; }
    void SetMenuIndex(int index);
    // Raises EMenuError when the item already has a parent.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees every sub-item.
    void Clear();
    // The sub-item of that caption, hot keys ignored; nullptr when none.
    TMenuItem* Find(const std::string& caption) const;
    // The menu the item's tree belongs to, or nullptr.
    TMenu* GetParentMenu() const;
    // The parent menu's image list, or nullptr.
    TImageList* GetImageList() const;

    // OnClick (a checked-on-click item toggles first).
    virtual void Click();
    // Default size of an owner-drawn item, then OnMeasureItem may change it.
    virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
    // OnAdvancedDrawItem or OnDrawItem when assigned, else the default look.
    virtual void DrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state);
    // The default look of an owner-drawn item (what a handler may fall back to).
    void DefaultDrawItem(TCanvas* canvas, const TRect& rect, TOwnerDrawState state);

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

protected:
    // Something that the window menu shows changed: the menu is built again.
    void MenuChanged();

private:
    friend class TMenu;
    friend TMenuItem* FindMenuItemByHandle(HMENU menu);
    void FreeHandleTree();
    // Fills this item's own window menu again, keeping its handle.
    void Refill();
    void FillMenu(HMENU menu, bool ownerDraw, bool menuBar);

    std::string m_caption;
    bool m_checked = false;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_default = false;
    bool m_radioItem = false;
    bool m_autoCheck = false;
    int32_t m_groupIndex = 0;
    TShortCut m_shortCut = 0;
    int32_t m_imageIndex = -1;
    std::string m_hint;
    UINT m_command = 0;
    HMENU m_handle = nullptr;
    bool m_ownsHandle = false;  // a submenu made for this item alone, inside no other window menu
    TMenuItem* m_parent = nullptr;
    TMenu* m_menu = nullptr;  // set on the root item of a menu only
    std::vector<TMenuItem*> m_items;
    bool m_destroying = false;
};

enum TMenuItemFindKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
    DP_DECLARE_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item; its sub-items are the menu's entries.
    TMenuItem* Items() const { return m_items; }
    // The window menu, built on demand.
    HMENU Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    bool OwnerDraw() const { return m_ownerDraw; }
    void SetOwnerDraw(bool v);
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* v);
    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode v);
    bool IsRightToLeft() const { return m_biDiMode != bdLeftToRight; }
    bool AutoHotkeys() const { return m_autoHotkeys; }
    void SetAutoHotkeys(bool v) { m_autoHotkeys = v; }

    // The item of a command identifier, a submenu handle or a shortcut, in this menu; nullptr when none.
    TMenuItem* FindItem(UINT_PTR value, TMenuItemFindKind kind) const;
    // OnClick of the item with that command; false when the menu has none.
    bool DispatchCommand(UINT command);
    // The enabled, visible item with that shortcut is clicked; false when none.
    bool IsShortCut(uint16_t key, TShiftState shift);
    // Throws the window menu away and builds it again (when it was built).
    void Rebuild();

    TComponent* GetChildParent() override { return m_items; }
    // Where a form designer placed the component's icon (stored, unused).

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    virtual HMENU CreateMenuHandle() = 0;
    // The window menu changed (rebuilt).
    virtual void MenuChanged() {}

private:
    friend class TMenuItem;
    TMenuItem* m_items;
    HMENU m_handle = nullptr;
    bool m_ownerDraw = false;
    bool m_autoHotkeys = true;
    TBiDiMode m_biDiMode = bdLeftToRight;
    TImageList* m_images = nullptr;
};

class TMainMenu : public TMenu {
    DP_DECLARE_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    // The owner form that shows this menu as its Menu, or nullptr.
    TCustomForm* Form() const;
    // Gives the owner form this window menu when this menu is its Menu.
    void UpdateForm();

protected:
    void Loaded() override;
    HMENU CreateMenuHandle() override;
    void MenuChanged() override;
};

// Sets the form's Menu and shows its window menu.
void SetFormMenu(TCustomForm* form, TMainMenu* menu);

enum TPopupAlignment { paLeft, paRight, paCenter };
DP_ENUM_INFO(TPopupAlignment, "paLeft", "paRight", "paCenter")

class TPopupMenu : public TMenu {
    DP_DECLARE_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Tracks the menu at the screen point; the chosen item's OnClick runs before it returns.
    virtual void Popup(int x, int y);
    TPopupAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TPopupAlignment v) { m_alignment = v; }
    bool AutoPopup() const { return m_autoPopup; }
    void SetAutoPopup(bool v) { m_autoPopup = v; }
    // The control that the menu was shown for (set by whoever pops it up).
    TComponent* PopupComponent() const { return m_popupComponent; }
    void SetPopupComponent(TComponent* v) { m_popupComponent = v; }
    // The window that receives the menu's messages while it is tracked.
    static HWND PopupWindow();

    TNotifyEvent OnPopup;

protected:
    HMENU CreateMenuHandle() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TPopupAlignment m_alignment = paLeft;
    bool m_autoPopup = true;
    TComponent* m_popupComponent = nullptr;
};

// The shortcut of an enabled item of the form's main menu or of a pop-up menu
// the form owns: that item is clicked. False when none has it.
bool IsFormShortCut(TCustomForm* form, uint16_t key, TShiftState shift);
// What the form hands its menu messages to (installed as the form's menu hook):
// DispatchMenuMessage, plus the reflected key-down messages (CN_BASE + WM_KEYDOWN
// and + WM_SYSKEYDOWN) as shortcuts of the form's menus (Result 1 when one was).
bool HandleFormMenuMessage(TCustomForm* form, TMessage& message);
// The item of a command identifier anywhere in the program, or nullptr.
TMenuItem* FindMenuItemByCommand(UINT command);
// The item whose submenu is that handle anywhere in the program, or nullptr.
TMenuItem* FindMenuItemByHandle(HMENU menu);
// Answers the owner-draw, command and menu-character messages of a window that
// shows menus of this library; true when handled (message.Result set).
bool DispatchMenuMessage(TMessage& message);

// The component classes of this module, for stored definitions.
std::vector<const TClassInfo*> MenuClasses();
